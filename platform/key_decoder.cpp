#include "platform/key_decoder.h"

#include <vector>

#include "platform/cp850.h"

namespace talmidor {

namespace {

constexpr char kEsc = '\x1b';
// A sequence longer than this without its final byte is noise, not a key.
constexpr size_t kLongestSequence = 32;

enum : int16_t {
  kKeyShiftTab = 0x0F00,
  kKeyF1 = 0x3B00,
  kKeyF11 = static_cast<int16_t>(0x8500),
  kKeyF12 = static_cast<int16_t>(0x8600),
  kKeyHome = 0x4700,
  kKeyUp = 0x4800,
  kKeyPgUp = 0x4900,
  kKeyLeft = 0x4B00,
  kKeyCentre = 0x4C00,
  kKeyRight = 0x4D00,
  kKeyEnd = 0x4F00,
  kKeyDown = 0x5000,
  kKeyPgDn = 0x5100,
  kKeyInsert = 0x5200,
  kKeyDelete = 0x5300,
};

ConsoleEvent keyEvent(int16_t key, uint8_t modifiers = 0) {
  ConsoleEvent e;
  e.kind = ConsoleEvent::Kind::Key;
  e.key = key;
  e.modifiers = modifiers;
  return e;
}

ConsoleEvent mouseEvent(ConsoleEvent::Kind kind, int16_t button, int row, int column) {
  ConsoleEvent e;
  e.kind = kind;
  e.button = button;
  e.row = static_cast<int16_t>(row);
  e.column = static_cast<int16_t>(column);
  return e;
}

int16_t functionKey(int number) {
  if (number <= 10) return static_cast<int16_t>(kKeyF1 + (number - 1) * 0x100);
  return number == 11 ? kKeyF11 : kKeyF12;
}

// The modifier parameter of xterm sequences is 1 + (1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
uint8_t xtermModifiers(int parameter) {
  int bits = parameter > 1 ? parameter - 1 : 0;
  uint8_t modifiers = 0;
  if (bits & 1) modifiers |= kShift;
  if (bits & (2 | 8)) modifiers |= kLeftAlt;
  if (bits & 4) modifiers |= kLeftCtrl;
  return modifiers;
}

// PC keyboard scan codes of the letters, which Alt+letter reports.
int16_t letterScanCode(char letter) {
  static constexpr uint8_t kScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                        0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                        0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  return static_cast<int16_t>(kScan[letter - 'a'] << 8);
}

// Alt with a character: letters and the digit row give their scan codes, as a PC keyboard
// does; anything else keeps its character and carries the Alt bit.
ConsoleEvent withAlt(ConsoleEvent e) {
  if (e.kind != ConsoleEvent::Kind::Key) return e;
  e.modifiers |= kLeftAlt;
  int16_t key = e.key;
  if (key >= 1 && key <= 26 && key != 8 && key != 9 && key != 13) {
    e.key = letterScanCode(static_cast<char>('a' + key - 1));  // Alt+Ctrl+letter
  } else if (key >= 'a' && key <= 'z') {
    e.key = letterScanCode(static_cast<char>(key));
  } else if (key >= 'A' && key <= 'Z') {
    e.key = letterScanCode(static_cast<char>(key - 'A' + 'a'));
    e.modifiers |= kShift;
  } else if (key >= '1' && key <= '9') {
    e.key = static_cast<int16_t>((0x78 + key - '1') << 8);
  } else if (key == '0') {
    e.key = static_cast<int16_t>(0x8100);
  }
  return e;
}

// One plain byte below 0x80.
ConsoleEvent asciiKey(uint8_t byte) {
  switch (byte) {
    case 0x00:
      return ConsoleEvent{};  // Ctrl+Space: code 0 means "no key"
    case 0x08:
    case 0x7F:
      return keyEvent(8);
    case 0x09:
      return keyEvent(9);
    case 0x0A:
    case 0x0D:
      return keyEvent(13);
    default:
      if (byte < 0x20) return keyEvent(byte, kLeftCtrl);
      return keyEvent(byte);
  }
}

// A character starting at bytes[0] (ASCII or UTF-8), as a code page 850 key.
DecodedKey characterKey(std::string_view bytes, bool quiet) {
  DecodedKey result;
  auto b0 = static_cast<uint8_t>(bytes[0]);
  if (b0 < 0x80) {
    result.length = 1;
    result.event = asciiKey(b0);
    return result;
  }
  size_t extra = (b0 & 0xE0) == 0xC0 ? 1 : (b0 & 0xF0) == 0xE0 ? 2 : (b0 & 0xF8) == 0xF0 ? 3 : 0;
  if (extra == 0) {
    result.length = 1;  // a stray continuation byte or an 8-bit code: dropped
    return result;
  }
  for (size_t k = 1; k <= extra; ++k) {
    if (k >= bytes.size()) {
      if (!quiet) return result;  // the rest of the character is still on its way
      result.length = bytes.size();
      return result;
    }
    if ((static_cast<uint8_t>(bytes[k]) & 0xC0) != 0x80) {
      result.length = k;
      return result;
    }
  }
  size_t i = 0;
  char32_t u = cp850detail::decodeUtf8(bytes.substr(0, extra + 1), i);
  result.length = extra + 1;
  int code = cp850detail::fromUnicode(u);
  // The PC glyphs of the control codes (►, ⌂) would arrive as control keys: not typed text.
  if (code >= 0x80) result.event = keyEvent(static_cast<int16_t>(code));
  return result;
}

// Keys of the "CSI number ~" family (and rxvt's ^ $ @ endings), with their modifiers.
ConsoleEvent tildeKey(int number, uint8_t modifiers) {
  switch (number) {
    case 1:
    case 7:
      return keyEvent(kKeyHome, modifiers);
    case 2:
      return keyEvent(kKeyInsert, modifiers);
    case 3:
      return keyEvent(kKeyDelete, modifiers);
    case 4:
    case 8:
      return keyEvent(kKeyEnd, modifiers);
    case 5:
      return keyEvent(kKeyPgUp, modifiers);
    case 6:
      return keyEvent(kKeyPgDn, modifiers);
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return keyEvent(functionKey(number - 10), modifiers);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return keyEvent(functionKey(number - 11), modifiers);
    case 23:
      return keyEvent(kKeyF11, modifiers);
    case 24:
      return keyEvent(kKeyF12, modifiers);
    // rxvt and the Linux console send Shift+F3..F10 as the keys F13..F20.
    case 25:
    case 26:
      return keyEvent(functionKey(number - 22), modifiers | kShift);
    case 28:
    case 29:
      return keyEvent(functionKey(number - 23), modifiers | kShift);
    case 31:
    case 32:
    case 33:
    case 34:
      return keyEvent(functionKey(number - 24), modifiers | kShift);
    default:
      return ConsoleEvent{};
  }
}

// A letter ending an xterm, tmux or rxvt cursor or function key sequence (after CSI or SS3).
ConsoleEvent letterKey(char final, uint8_t modifiers) {
  switch (final) {
    case 'A':
      return keyEvent(kKeyUp, modifiers);
    case 'B':
      return keyEvent(kKeyDown, modifiers);
    case 'C':
      return keyEvent(kKeyRight, modifiers);
    case 'D':
      return keyEvent(kKeyLeft, modifiers);
    case 'E':
      return keyEvent(kKeyCentre, modifiers);
    case 'F':
      return keyEvent(kKeyEnd, modifiers);
    case 'H':
      return keyEvent(kKeyHome, modifiers);
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      return keyEvent(functionKey(final - 'P' + 1), modifiers);
    case 'Z':
      return keyEvent(kKeyShiftTab, modifiers | kShift);
    default:
      return ConsoleEvent{};
  }
}

// A character code sent as a number (xterm's "CSI 27;m;code~", the "CSI code;m u" form).
ConsoleEvent numberedCharacter(int code, uint8_t modifiers) {
  ConsoleEvent e;
  if (code <= 0 || code > 0x10FFFF) return e;
  if (code < 0x80) {
    e = asciiKey(static_cast<uint8_t>(code));
  } else {
    int cp = cp850detail::fromUnicode(static_cast<char32_t>(code));
    if (cp < 0x80) return e;
    e = keyEvent(static_cast<int16_t>(cp));
  }
  if (modifiers & kLeftAlt) e = withAlt(e);
  if (e.kind == ConsoleEvent::Kind::Key) e.modifiers |= modifiers;
  return e;
}

ConsoleEvent sgrMouse(const std::vector<int>& p, char final) {
  if (p.size() < 3) return ConsoleEvent{};
  int code = p[0];
  if (code & 64) return ConsoleEvent{};  // the wheel
  if (code & 32) return mouseEvent(ConsoleEvent::Kind::MouseMove, 0, p[2], p[1]);
  int button = (code & 3) == 0 ? 1 : (code & 3) == 2 ? 2 : 0;
  if (final == 'M' || button == 0) {
    // A press only tells where the pointer is; the release is what counts.
    return mouseEvent(ConsoleEvent::Kind::MouseMove, 0, p[2], p[1]);
  }
  return mouseEvent(ConsoleEvent::Kind::MouseRelease, static_cast<int16_t>(button), p[2], p[1]);
}

ConsoleEvent x10Mouse(std::string_view three, KeyDecoderState& state) {
  int code = static_cast<uint8_t>(three[0]) - 32;
  int column = static_cast<uint8_t>(three[1]) - 32;
  int row = static_cast<uint8_t>(three[2]) - 32;
  if (code < 0 || column < 1 || row < 1 || (code & 64)) return ConsoleEvent{};
  if (code & 32) return mouseEvent(ConsoleEvent::Kind::MouseMove, 0, row, column);
  if ((code & 3) == 3) {
    int16_t button = state.pressedButton;
    state.pressedButton = 0;
    if (button == 0) return mouseEvent(ConsoleEvent::Kind::MouseMove, 0, row, column);
    return mouseEvent(ConsoleEvent::Kind::MouseRelease, button, row, column);
  }
  state.pressedButton = (code & 3) == 0 ? 1 : (code & 3) == 2 ? 2 : 0;
  return mouseEvent(ConsoleEvent::Kind::MouseMove, 0, row, column);
}

// Splits "1;5" into numbers; an empty field is 0 (sub-parameters after ':' are ignored).
std::vector<int> parameters(std::string_view text) {
  std::vector<int> values{0};
  bool subParameter = false;
  for (char c : text) {
    if (c == ';') {
      values.push_back(0);
      subParameter = false;
    } else if (c == ':') {
      subParameter = true;
    } else if (c >= '0' && c <= '9' && !subParameter && values.back() < 100000) {
      values.back() = values.back() * 10 + (c - '0');
    }
  }
  return values;
}

// bytes begins with ESC [. Length 0 while the sequence is unfinished.
DecodedKey controlSequence(std::string_view bytes, KeyDecoderState& state) {
  DecodedKey result;
  if (bytes.size() < 3) return result;
  if (bytes[2] == '[') {  // Linux console F1..F5: ESC [ [ A..E
    if (bytes.size() < 4) return result;
    result.length = 4;
    if (bytes[3] >= 'A' && bytes[3] <= 'E')
      result.event = keyEvent(functionKey(bytes[3] - 'A' + 1));
    return result;
  }
  if (bytes[2] == 'M') {  // old mouse protocol: three raw bytes follow
    if (bytes.size() < 6) return result;
    result.length = 6;
    result.event = x10Mouse(bytes.substr(3, 3), state);
    return result;
  }
  size_t i = 2;
  char prefix = 0;
  if (bytes[i] == '<' || bytes[i] == '?' || bytes[i] == '>' || bytes[i] == '=') prefix = bytes[i++];
  size_t start = i;
  while (i < bytes.size() &&
         ((bytes[i] >= '0' && bytes[i] <= '9') || bytes[i] == ';' || bytes[i] == ':')) {
    ++i;
  }
  if (i >= bytes.size()) return result;
  std::vector<int> p = parameters(bytes.substr(start, i - start));
  char final = bytes[i];
  auto c = static_cast<uint8_t>(final);
  if (c < 0x20 || c > 0x7E) {
    result.length = i;  // broken: drop what came before the stray byte
    return result;
  }
  if (c >= 0x20 && c <= 0x2F && final != '$') {
    // Intermediate bytes: no key uses them, skip the sequence whole.
    while (i < bytes.size() && static_cast<uint8_t>(bytes[i]) >= 0x20 &&
           static_cast<uint8_t>(bytes[i]) <= 0x2F) {
      ++i;
    }
    if (i >= bytes.size()) return result;
    result.length = i + 1;
    return result;
  }
  result.length = i + 1;
  if (prefix == '<') {
    if (final == 'M' || final == 'm') result.event = sgrMouse(p, final);
    return result;
  }
  if (prefix != 0) return result;
  switch (final) {
    case '~':
      if (p[0] == 27 && p.size() >= 3) {
        result.event = numberedCharacter(p[2], xtermModifiers(p[1]));
      } else {
        result.event = tildeKey(p[0], p.size() >= 2 ? xtermModifiers(p[1]) : 0);
      }
      break;
    case '^':
      result.event = tildeKey(p[0], kLeftCtrl);
      break;
    case '@':
      result.event = tildeKey(p[0], kLeftCtrl | kShift);
      break;
    case '$':
      result.event = tildeKey(p[0], kShift);
      break;
    case 'u':
      result.event = numberedCharacter(p[0], p.size() >= 2 ? xtermModifiers(p[1]) : 0);
      break;
    case 'a':
    case 'b':
    case 'c':
    case 'd':  // rxvt Shift+arrows
      result.event = letterKey(static_cast<char>(final - 'a' + 'A'), kShift);
      break;
    default: {
      // "CSI 1;5D" and the older "CSI 5D" carry the modifiers in the last parameter.
      int modifier = p.size() >= 2 ? p[1] : p[0];
      result.event = letterKey(final, xtermModifiers(modifier));
      break;
    }
  }
  return result;
}

// bytes begins with ESC O (the cursor keys in application mode, F1..F4, the keypad).
DecodedKey singleShift(std::string_view bytes) {
  DecodedKey result;
  size_t i = 2;
  while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') ++i;
  if (i >= bytes.size()) return result;
  int modifier = 0;
  for (size_t k = 2; k < i && modifier < 1000; ++k) modifier = modifier * 10 + (bytes[k] - '0');
  char final = bytes[i];
  if (static_cast<uint8_t>(final) < 0x20 || static_cast<uint8_t>(final) > 0x7E) {
    return {2, withAlt(keyEvent('O'))};  // ESC O and then a new key: that was Alt+O
  }
  result.length = i + 1;
  uint8_t modifiers = xtermModifiers(modifier);
  if (final >= 'a' && final <= 'd') {  // rxvt Ctrl+arrows
    result.event = letterKey(static_cast<char>(final - 'a' + 'A'), modifiers | kLeftCtrl);
  } else if (final == 'M') {
    result.event = keyEvent(13, modifiers);
  } else if (final >= 'p' && final <= 'y') {  // keypad digits in application mode
    result.event = keyEvent(static_cast<int16_t>('0' + final - 'p'), modifiers);
  } else if (final == 'j' || final == 'k' || final == 'l' || final == 'm' || final == 'n' ||
             final == 'o' || final == 'X') {
    static constexpr std::string_view kFrom = "jklmnoX", kTo = "*+,-./=";
    result.event = keyEvent(kTo[kFrom.find(final)], modifiers);
  } else {
    result.event = letterKey(final, modifiers);
  }
  return result;
}

// ESC [ or ESC O and what follows; length 0 while unfinished.
DecodedKey escapeSequence(std::string_view bytes, KeyDecoderState& state) {
  return bytes[1] == '[' ? controlSequence(bytes, state) : singleShift(bytes);
}

}  // namespace

DecodedKey decodeKey(std::string_view bytes, bool quiet, KeyDecoderState& state) {
  DecodedKey result;
  if (bytes.empty()) return result;
  if (bytes[0] != kEsc) return characterKey(bytes, quiet);

  if (bytes.size() == 1) {
    if (quiet) result = {1, keyEvent(27)};
    return result;
  }
  char second = bytes[1];
  if (second == '[' || second == 'O') {
    result = escapeSequence(bytes, state);
    if (result.length > 0) return result;
    if (bytes.size() > kLongestSequence) return {bytes.size(), ConsoleEvent{}};
    if (!quiet) return result;
    // The terminal went quiet in mid-sequence: ESC [ alone was Alt+[, anything longer is
    // a sequence cut short, dropped whole.
    if (bytes.size() == 2) return {2, withAlt(keyEvent(second))};
    return {bytes.size(), ConsoleEvent{}};
  }
  if (second == kEsc) {
    // ESC before a whole sequence is Alt with that key (rxvt's Alt+F1 is ESC ESC [ 11 ~);
    // two Esc presses otherwise.
    if (bytes.size() >= 3 && (bytes[2] == '[' || bytes[2] == 'O')) {
      DecodedKey inner = escapeSequence(bytes.substr(1), state);
      if (inner.length > 0) return {inner.length + 1, withAlt(inner.event)};
      if (!quiet && bytes.size() <= kLongestSequence) return result;
    } else if (bytes.size() == 2 && !quiet) {
      return result;
    }
    return {1, keyEvent(27)};
  }
  // ESC and a character: Alt with that character.
  DecodedKey inner = characterKey(bytes.substr(1), quiet);
  if (inner.length == 0) return result;
  return {inner.length + 1, withAlt(inner.event)};
}

bool takeKeyEvent(KeyDecoderState& state, bool quiet, ConsoleEvent& event) {
  while (!state.pending.empty()) {
    DecodedKey step = decodeKey(state.pending, quiet, state);
    if (step.length == 0) return false;
    state.pending.erase(0, step.length);
    if (step.event.kind != ConsoleEvent::Kind::None) {
      event = step.event;
      return true;
    }
  }
  return false;
}

}  // namespace talmidor
