#include "console/screen_stack.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "config/session.h"
#include "console/screen.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "text/numconv.h"

namespace talmidor {

namespace {

// A record: ten two-digit numbers, the cells, then its own length in five digits.
constexpr size_t kRecordHead = 20;
constexpr size_t kRecordTail = 5;
// Byte position (1-based, as stored in the header) of the first record.
constexpr int32_t kFirstRecord = 5;

std::string stackPath() {
  return hostPath(session().workDir + "WinPush.tmp");
}

std::string twoDigits(int16_t value) {
  return zeroPad(value, 2);
}

// The number written in digits; -1 when the text holds anything but digits.
int32_t digitsValue(const std::string& text) {
  if (text.empty()) return -1;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

void writeHeader(std::fstream& file, int32_t position) {
  uint32_t v = static_cast<uint32_t>(position);
  char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                   static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
  file.seekp(0);
  file.write(bytes, 4);
}

int32_t readHeader(std::fstream& file) {
  unsigned char bytes[4] = {};
  file.seekg(0);
  file.read(reinterpret_cast<char*>(bytes), 4);
  return static_cast<int32_t>(
      static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
      (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24));
}

// Opens the stack file for reading and writing at positions, creating it when missing.
bool openStack(const std::string& path, std::fstream& file) {
  file.open(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file.is_open()) {
    std::ofstream create(path, std::ios::binary | std::ios::app);
    if (!create.is_open()) return false;
    create.close();
    file.open(path, std::ios::in | std::ios::out | std::ios::binary);
  }
  return file.is_open();
}

void removeStack(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

ScreenStackState theScreenStackState;

// The record's ten numbers at full size: the file keeps two digits each, which loses the
// hundreds of a column on a terminal wider than 99, so a push also remembers them here. The
// remembered entry is used only when it agrees with the file's digits.
void resolveNumbers(int16_t (&numbers)[10]) {
  auto& entries = theScreenStackState.entries;
  if (entries.empty()) return;
  const auto& entry = entries.back();
  bool agrees = true;
  for (int i = 0; i < 10; ++i) agrees = agrees && entry[i] % 100 == numbers[i];
  if (agrees) {
    for (int i = 0; i < 10; ++i) numbers[i] = entry[i];
    entries.pop_back();
  } else {
    entries.clear();
  }
}

}  // namespace

void pushScreen(int16_t top, int16_t left, int16_t bottom, int16_t right) {
  int16_t rows = screenRows();
  int16_t columns = screenColumns();
  if (top < 1 || left < 1 || bottom < 1 || right < 1 || top > rows || bottom > rows ||
      left > columns || right > columns) {
    return;
  }
  std::string path = stackPath();
  std::fstream file;
  // Without the file the region cannot be restored, so the window is not opened either.
  if (!openStack(path, file)) return;
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(path, ec);
  int32_t position = (!ec && size > 3) ? readHeader(file) : kFirstRecord;
  if (position < kFirstRecord) position = kFirstRecord;

  Console& console = *platform().console;
  int16_t cursorRow = 0;
  int16_t cursorColumn = 0;
  console.cursorPosition(cursorRow, cursorColumn);
  WindowFrame& frame = windowFrame();
  std::string record;
  // A region given with top below bottom or right before left holds no cells.
  size_t height = bottom >= top ? static_cast<size_t>(bottom - top + 1) : 0;
  size_t width = right >= left ? static_cast<size_t>(right - left + 1) : 0;
  record.reserve(kRecordHead + 2 * height * width + kRecordTail);
  std::array<int16_t, 10> numbers = {cursorRow,   cursorColumn, frame.top, frame.left, frame.bottom,
                                     frame.right, top,          left,      bottom,     right};
  for (int16_t value : numbers) record += twoDigits(value);
  for (int16_t row = top; row <= bottom; ++row) {
    for (int16_t column = left; column <= right; ++column) {
      uint8_t character = ' ';
      uint8_t attribute = 0;
      console.readCell(row, column, character, attribute);
      record += static_cast<char>(character);
      record += static_cast<char>(attribute);
    }
  }
  record += zeroPad(static_cast<double>(record.size() + kRecordTail), 5);

  file.seekp(position - 1);
  file.write(record.data(), static_cast<std::streamsize>(record.size()));
  writeHeader(file, position + static_cast<int32_t>(record.size()));
  file.close();

  theScreenStackState.entries.push_back(numbers);
  frame.top = top;
  frame.left = left;
  frame.bottom = bottom;
  frame.right = right;
  ++frame.depth;
}

void popScreen() {
  std::string path = stackPath();
  std::error_code ec;
  std::fstream file;
  if (!openStack(path, file)) return;
  uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size <= 3) {
    file.close();
    removeStack(path);
    theScreenStackState.entries.clear();
    return;
  }
  int32_t position = readHeader(file);
  // A header or record that does not fit the file cannot be trusted to restore anything:
  // drop the stack rather than paint garbage.
  auto dropStack = [&] {
    file.close();
    removeStack(path);
    theScreenStackState.entries.clear();
  };
  if (position < kFirstRecord + static_cast<int32_t>(kRecordHead + kRecordTail) ||
      static_cast<uintmax_t>(position - 1) > size) {
    dropStack();
    return;
  }
  std::string tail(kRecordTail, ' ');
  file.seekg(position - 1 - static_cast<int32_t>(kRecordTail));
  file.read(tail.data(), kRecordTail);
  int32_t length = digitsValue(tail);
  int32_t start = position - length;
  if (!file || length < static_cast<int32_t>(kRecordHead + kRecordTail) || start < kFirstRecord) {
    dropStack();
    return;
  }
  std::string record(static_cast<size_t>(length), ' ');
  file.seekg(start - 1);
  file.read(record.data(), length);
  int16_t numbers[10];
  for (int i = 0; i < 10; ++i) {
    numbers[i] = static_cast<int16_t>(digitsValue(record.substr(2 * i, 2)));
  }
  resolveNumbers(numbers);
  int16_t top = numbers[6], left = numbers[7], bottom = numbers[8], right = numbers[9];
  size_t height = bottom >= top ? static_cast<size_t>(bottom - top + 1) : 0;
  size_t width = right >= left ? static_cast<size_t>(right - left + 1) : 0;
  bool valid = static_cast<bool>(file);
  for (int16_t n : numbers) valid = valid && n >= 0;
  valid = valid && kRecordHead + 2 * height * width + kRecordTail == static_cast<size_t>(length);
  if (!valid) {
    dropStack();
    return;
  }

  WindowFrame& frame = windowFrame();
  if (frame.depth > 0) --frame.depth;
  frame.top = numbers[2];
  frame.left = numbers[3];
  frame.bottom = numbers[4];
  frame.right = numbers[5];

  // Cells go back row by row, in runs of one colour: the same cells and colours as one at a
  // time, with far fewer console calls.
  Console& console = *platform().console;
  size_t cell = kRecordHead;
  for (int16_t row = top; row <= bottom; ++row) {
    int16_t column = left;
    while (column <= right) {
      uint8_t attribute = static_cast<uint8_t>(record[cell + 1]);
      std::string run;
      int16_t runStart = column;
      while (column <= right && static_cast<uint8_t>(record[cell + 1]) == attribute) {
        run += record[cell];
        cell += 2;
        ++column;
      }
      console.setColour(attribute % 16, attribute / 16);
      console.moveCursor(row, runStart);
      console.writeText(run);
    }
  }
  console.moveCursor(numbers[0], numbers[1]);

  writeHeader(file, start);
  file.close();
  if (start == kFirstRecord) removeStack(path);
}

void clearStaleScreenStack() {
  removeStack(stackPath());
  theScreenStackState.entries.clear();
}

ScreenStackState& screenStackState() {
  return theScreenStackState;
}

void resetScreenStack() {
  theScreenStackState = ScreenStackState{};
}

}  // namespace talmidor
