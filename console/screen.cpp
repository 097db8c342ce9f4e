#include "console/screen.h"

#include <algorithm>

#include "config/session.h"
#include "platform/platform.h"

namespace talmidor {

namespace {

WindowFrame theWindowFrame{};
ColourState theColourState{};

Console& console() {
  return *platform().console;
}

// The class a code selects when it neither saves nor restores alone: "U" wins, then "R" and
// "N" add up (2 and 1), anything else is class 0.
int16_t classOfLetters(const std::string& upper) {
  if (upper.find('U') != std::string::npos) return 4;
  int16_t cls = 0;
  if (upper.find('R') != std::string::npos) cls += 2;
  if (upper.find('N') != std::string::npos) cls += 1;
  return cls;
}

}  // namespace

WindowFrame& windowFrame() {
  return theWindowFrame;
}
ColourState& colourState() {
  return theColourState;
}

void setColourClass(const std::string& code) {
  if (code.find_first_not_of(' ') == std::string::npos) return;
  std::string upper = code;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  ColourState& state = theColourState;
  if (upper.find('+') != std::string::npos) {
    state.classStack.push_back(static_cast<char>(state.currentClass));
  }
  int16_t cls = 0;
  if (upper.find('-') != std::string::npos) {
    if (!state.classStack.empty()) {
      cls = static_cast<int16_t>(static_cast<unsigned char>(state.classStack.back()));
      state.classStack.pop_back();
    }
  } else {
    cls = classOfLetters(upper);
  }
  // The stack only ever holds classes 0..4; a damaged entry must not index past the table.
  if (cls < 0 || cls > 4) cls = 0;
  const auto& pairs = session().colourPairs;
  console().setColour(pairs[cls][0], pairs[cls][1]);
  state.currentClass = cls;
}

void locateInWindow(int16_t row, int16_t column) {
  if (theWindowFrame.depth != 0) {
    console().moveCursor(static_cast<int16_t>(theWindowFrame.top + row),
                         static_cast<int16_t>(theWindowFrame.left + column));
  } else {
    console().moveCursor(row, column);
  }
}

int16_t screenRows() {
  return console().rows();
}
int16_t screenColumns() {
  return console().columns();
}

int16_t windowFirstRow() {
  return theWindowFrame.depth != 0 ? static_cast<int16_t>(theWindowFrame.top + 1) : 1;
}

int16_t windowFirstColumn() {
  return theWindowFrame.depth != 0 ? static_cast<int16_t>(theWindowFrame.left + 1) : 1;
}

int16_t windowLastColumn() {
  return theWindowFrame.depth != 0 ? static_cast<int16_t>(theWindowFrame.right - 1)
                                   : screenColumns();
}

void drawFrame(int16_t style) {
  const WindowFrame& w = theWindowFrame;
  if (w.depth == 0) return;
  // Corners top-left, top-right, bottom-left, bottom-right, then horizontal and vertical.
  static constexpr char kGlyphs[3][6] = {
      {' ', ' ', ' ', ' ', ' ', ' '},
      {'\xDA', '\xBF', '\xC0', '\xD9', '\xC4', '\xB3'},
      {'\xC9', '\xBB', '\xC8', '\xBC', '\xCD', '\xBA'},
  };
  const char* g = kGlyphs[style == 1 ? 1 : style == 2 ? 2 : 0];
  size_t inner = static_cast<size_t>(std::max(w.right - w.left - 1, 0));
  std::string line;
  line.reserve(inner + 2);
  line = std::string(1, g[0]) + std::string(inner, g[4]) + g[1];
  printAt(w.top, w.left, line);
  std::string middle = std::string(1, g[5]) + std::string(inner, ' ') + g[5];
  for (int16_t row = static_cast<int16_t>(w.top + 1); row < w.bottom; ++row) {
    printAt(row, w.left, middle);
  }
  printAt(w.bottom, w.left, std::string(1, g[2]) + std::string(inner, g[4]) + g[3]);
}

void scrollRegion(int16_t firstRow, int16_t firstColumn, int16_t lastRow, int16_t lastColumn,
                  int16_t lines) {
  console().scrollRect(firstRow, firstColumn, lastRow, lastColumn, lines);
}

void printText(const std::string& text) {
  console().writeText(text);
}

void printAt(int16_t row, int16_t column, const std::string& text) {
  console().moveCursor(row, column);
  console().writeText(text);
}

void resetScreenState() {
  theWindowFrame = WindowFrame{};
  theColourState = ColourState{};
}

}  // namespace talmidor
