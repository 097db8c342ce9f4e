#pragma once
// The cell grid both consoles share: it is the truth for read-back, and it remembers which
// rows changed since the backend last painted.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/console.h"

namespace talmidor {

struct Cell {
  uint8_t character = ' ';
  uint8_t attribute = 0x07;
  bool operator==(const Cell&) const = default;
};

class ScreenBuffer {
 public:
  ScreenBuffer(int16_t rows, int16_t columns);

  int16_t rows() const { return rows_; }
  int16_t columns() const { return columns_; }
  // Resizes keeping what fits; every row is marked changed.
  void resize(int16_t rows, int16_t columns);

  const Cell& cell(int16_t row, int16_t column) const;
  int16_t cursorRow() const { return cursorRow_; }
  int16_t cursorColumn() const { return cursorColumn_; }
  uint8_t attribute() const { return attribute_; }
  CursorShape cursorShape() const { return cursorShape_; }

  void moveCursor(int16_t row, int16_t column);
  void setColour(int16_t foreground, int16_t background);
  void writeText(std::string_view text);
  void writeBlanks(int count);
  void scrollRect(int16_t top, int16_t left, int16_t bottom, int16_t right, int16_t lines);
  void clear();
  void setCursorShape(CursorShape shape) { cursorShape_ = shape; }

  bool rowChanged(int16_t row) const { return changed_[row - 1]; }
  void markAllChanged();
  void clearChanged();

  // Row as its code page 850 characters, trailing blanks kept.
  std::string rowText(int16_t row) const;

 private:
  void put(uint8_t character);

  int16_t rows_;
  int16_t columns_;
  std::vector<Cell> cells_;
  std::vector<bool> changed_;
  int16_t cursorRow_ = 1;
  int16_t cursorColumn_ = 1;
  uint8_t attribute_ = 0x07;
  CursorShape cursorShape_ = CursorShape::Full;
};

// The output half of Console done on a ScreenBuffer; backends add painting and input.
class BufferedConsole : public Console {
 public:
  BufferedConsole(int16_t rows, int16_t columns) : screen_(rows, columns) {}

  int16_t rows() override { return screen_.rows(); }
  int16_t columns() override { return screen_.columns(); }
  void cursorPosition(int16_t& row, int16_t& column) override;
  void moveCursor(int16_t row, int16_t column) override { screen_.moveCursor(row, column); }
  void setColour(int16_t foreground, int16_t background) override {
    screen_.setColour(foreground, background);
  }
  void writeText(std::string_view text) override { screen_.writeText(text); }
  void writeBlanks(int count) override { screen_.writeBlanks(count); }
  void readCell(int16_t row, int16_t column, uint8_t& character, uint8_t& attribute) override;
  void scrollRect(int16_t top, int16_t left, int16_t bottom, int16_t right,
                  int16_t lines) override {
    screen_.scrollRect(top, left, bottom, right, lines);
  }
  void clear() override { screen_.clear(); }
  void setCursorShape(CursorShape shape) override { screen_.setCursorShape(shape); }

  ScreenBuffer& screen() { return screen_; }
  const ScreenBuffer& screen() const { return screen_; }

 protected:
  ScreenBuffer screen_;
};

}  // namespace talmidor
