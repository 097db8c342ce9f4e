#include "platform/screen_buffer.h"

#include <algorithm>

namespace talmidor {

ScreenBuffer::ScreenBuffer(int16_t rows, int16_t columns)
    : rows_(std::max<int16_t>(rows, 1)),
      columns_(std::max<int16_t>(columns, 1)),
      cells_(static_cast<size_t>(rows_) * columns_),
      changed_(rows_, true) {}

void ScreenBuffer::resize(int16_t rows, int16_t columns) {
  rows = std::max<int16_t>(rows, 1);
  columns = std::max<int16_t>(columns, 1);
  std::vector<Cell> cells(static_cast<size_t>(rows) * columns);
  for (int16_t r = 1; r <= std::min(rows, rows_); ++r) {
    for (int16_t c = 1; c <= std::min(columns, columns_); ++c) {
      cells[static_cast<size_t>(r - 1) * columns + (c - 1)] = cell(r, c);
    }
  }
  rows_ = rows;
  columns_ = columns;
  cells_ = std::move(cells);
  changed_.assign(rows_, true);
  cursorRow_ = std::min(cursorRow_, rows_);
  cursorColumn_ = std::min(cursorColumn_, columns_);
}

const Cell& ScreenBuffer::cell(int16_t row, int16_t column) const {
  static const Cell blank{};
  if (row < 1 || row > rows_ || column < 1 || column > columns_) return blank;
  return cells_[static_cast<size_t>(row - 1) * columns_ + (column - 1)];
}

void ScreenBuffer::moveCursor(int16_t row, int16_t column) {
  if (row >= 1 && row <= rows_) cursorRow_ = row;
  if (column >= 1 && column <= columns_) cursorColumn_ = column;
}

void ScreenBuffer::setColour(int16_t foreground, int16_t background) {
  uint8_t fg = attribute_ & 0x0F;
  uint8_t bg = attribute_ >> 4;
  if (foreground >= 0 && foreground < 16) fg = static_cast<uint8_t>(foreground);
  if (background >= 0 && background < 16) bg = static_cast<uint8_t>(background);
  attribute_ = static_cast<uint8_t>(fg | (bg << 4));
}

// Writes one cell and advances like a console: to the next row after the last column, and
// no further than the bottom-right cell.
void ScreenBuffer::put(uint8_t character) {
  Cell& target = cells_[static_cast<size_t>(cursorRow_ - 1) * columns_ + (cursorColumn_ - 1)];
  Cell written{character, attribute_};
  if (!(target == written)) {
    target = written;
    changed_[cursorRow_ - 1] = true;
  }
  if (cursorColumn_ < columns_) {
    ++cursorColumn_;
  } else if (cursorRow_ < rows_) {
    cursorColumn_ = 1;
    ++cursorRow_;
  }
}

void ScreenBuffer::writeText(std::string_view text) {
  for (char c : text) put(static_cast<uint8_t>(c));
}

void ScreenBuffer::writeBlanks(int count) {
  for (int i = 0; i < count; ++i) put(' ');
}

void ScreenBuffer::scrollRect(int16_t top, int16_t left, int16_t bottom, int16_t right,
                              int16_t lines) {
  top = std::max<int16_t>(top, 1);
  left = std::max<int16_t>(left, 1);
  bottom = std::min(bottom, rows_);
  right = std::min(right, columns_);
  if (top > bottom || left > right || lines == 0) return;
  int height = bottom - top + 1;
  auto at = [&](int r, int c) -> Cell& {
    return cells_[static_cast<size_t>(r - 1) * columns_ + (c - 1)];
  };
  Cell blank{' ', attribute_};
  if (lines > 0) {
    for (int r = top; r <= bottom; ++r) {
      int from = r + lines;
      for (int c = left; c <= right; ++c) at(r, c) = from <= bottom ? at(from, c) : blank;
      changed_[r - 1] = true;
    }
  } else {
    int down = std::min<int>(-lines, height);
    for (int r = bottom; r >= top; --r) {
      int from = r - down;
      for (int c = left; c <= right; ++c) at(r, c) = from >= top ? at(from, c) : blank;
      changed_[r - 1] = true;
    }
  }
}

void ScreenBuffer::clear() {
  std::fill(cells_.begin(), cells_.end(), Cell{' ', attribute_});
  markAllChanged();
  cursorRow_ = 1;
  cursorColumn_ = 1;
}

void ScreenBuffer::markAllChanged() {
  std::fill(changed_.begin(), changed_.end(), true);
}

void ScreenBuffer::clearChanged() {
  std::fill(changed_.begin(), changed_.end(), false);
}

std::string ScreenBuffer::rowText(int16_t row) const {
  std::string text;
  for (int16_t c = 1; c <= columns_; ++c) text += static_cast<char>(cell(row, c).character);
  return text;
}

void BufferedConsole::cursorPosition(int16_t& row, int16_t& column) {
  row = screen_.cursorRow();
  column = screen_.cursorColumn();
}

void BufferedConsole::readCell(int16_t row, int16_t column, uint8_t& character,
                               uint8_t& attribute) {
  const Cell& c = screen_.cell(row, column);
  character = c.character;
  attribute = c.attribute;
}

}  // namespace talmidor
