#pragma once
// Turns the bytes a terminal sends for keys and the mouse into console events. It accepts
// the sequences of xterm, tmux/screen, rxvt and the Linux console whatever TERM says, because
// terminal descriptions often lack the modified keys. Pure functions: the state is the
// explicit record below, and time enters only as the caller's word that the terminal has
// been quiet for the escape delay.
//
// Events follow the console's key codes: a character gives its code page 850 code, a key
// without one gives its scan code x 256 (F5 0x3F00, Left 0x4B00), and the modifiers travel
// as bits (Shift+F5 is F5 with kShift; Alt+X is 0x2D00, the scan code of X, with kLeftAlt).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace talmidor {

// How long a lone Esc waits for the rest of a sequence before it counts as the Esc key.
inline constexpr int kEscapeDelayMilliseconds = 30;

struct KeyDecoderState {
  // Bytes read from the terminal and not yet turned into events.
  std::string pending;
  // Button held down, for the old mouse protocol whose release does not name the button.
  int16_t pressedButton = 0;
};

struct DecodedKey {
  // Bytes the event took; 0 when the bytes begin a sequence that may still continue.
  size_t length = 0;
  // Kind::None for bytes that make no event (an unknown sequence, a character without a
  // code page 850 form): they are dropped.
  ConsoleEvent event;
};

// Decodes the first event of bytes. With quiet set (nothing arrived for the escape delay), an
// unfinished sequence is settled: a lone Esc is the Esc key, an unfinished character dropped.
DecodedKey decodeKey(std::string_view bytes, bool quiet, KeyDecoderState& state);

// Takes the next event out of state.pending. False when no event can be made yet; pending
// then holds nothing or the start of a sequence waiting for more bytes (or for quiet).
bool takeKeyEvent(KeyDecoderState& state, bool quiet, ConsoleEvent& event);

}  // namespace talmidor
