#pragma once
// The text console as the program sees it: a grid of code page 850 cells with PC colour
// attributes, a cursor, and a stream of key and mouse events. Positions are 1-based.

#include <cstdint>
#include <string>
#include <string_view>

namespace talmidor {

// Modifier bits that come with an event.
enum : uint8_t {
  kRightAlt = 0x01,
  kLeftAlt = 0x02,
  kRightCtrl = 0x04,
  kLeftCtrl = 0x08,
  kShift = 0x10,
};

struct ConsoleEvent {
  enum class Kind { None, Key, MouseMove, MouseRelease };
  Kind kind = Kind::None;
  // Key events: the character code (1..255, code page 850) or scan code x 256.
  int16_t key = 0;
  uint8_t modifiers = 0;
  // Mouse events: button 1 left, 2 right; 1-based screen position.
  int16_t button = 0;
  int16_t row = 0;
  int16_t column = 0;
};

enum class CursorShape { Hidden, Full, Half };

class Console {
 public:
  virtual ~Console() = default;

  // Output.
  virtual int16_t rows() = 0;
  virtual int16_t columns() = 0;
  virtual void cursorPosition(int16_t& row, int16_t& column) = 0;
  // A coordinate outside the screen keeps the cursor's current value for it.
  virtual void moveCursor(int16_t row, int16_t column) = 0;
  // A component of 16 or more keeps its current value.
  virtual void setColour(int16_t foreground, int16_t background) = 0;
  // Writes code page 850 bytes at the cursor in the current colour and advances it.
  virtual void writeText(std::string_view text) = 0;
  virtual void writeBlanks(int count) = 0;
  virtual void readCell(int16_t row, int16_t column, uint8_t& character, uint8_t& attribute) = 0;
  // lines > 0 moves the rectangle's content up, < 0 down; freed rows are blank in the
  // current colour.
  virtual void scrollRect(int16_t top, int16_t left, int16_t bottom, int16_t right,
                          int16_t lines) = 0;
  virtual void clear() = 0;
  virtual void setCursorShape(CursorShape shape) = 0;
  virtual void beep() = 0;
  // Shows what was written since the last call (a terminal paints, memory does nothing).
  virtual void present() = 0;

  // Input.
  // The next event without waiting; Kind::None when there is none.
  virtual ConsoleEvent nextEvent() = 0;
  // Blocks until input may be waiting or the timeout passes; keeps waiting loops off the CPU.
  virtual void waitForInput(int timeoutMilliseconds) = 0;
  // Number of mouse buttons; 0 when there is no mouse.
  virtual int mouseButtons() = 0;
  virtual void setMouseReporting(bool on) = 0;

  // Keyboard state and clipboard.
  virtual bool insertMode() = 0;
  virtual void setInsertMode(bool on) = 0;
  virtual std::string clipboard() = 0;
  virtual void setClipboard(const std::string& text) = 0;

  // Hands the terminal to another program and takes it back, repainting from the grid.
  virtual void suspend() = 0;
  virtual void resume() = 0;
};

}  // namespace talmidor
