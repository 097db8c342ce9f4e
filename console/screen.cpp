#include "console/screen.h"

namespace talmidor {

namespace {
WindowFrame theWindowFrame{};
ColourState theColourState{};
}  // namespace

WindowFrame& windowFrame() {
  return theWindowFrame;
}
ColourState& colourState() {
  return theColourState;
}
void setColourClass(const std::string&) {}
void locateInWindow(int16_t, int16_t) {}
int16_t screenRows() {
  return 25;
}
int16_t screenColumns() {
  return 80;
}
int16_t windowFirstRow() {
  return 1;
}
int16_t windowFirstColumn() {
  return 1;
}
int16_t windowLastColumn() {
  return 80;
}
void drawFrame(int16_t) {}
void scrollRegion(int16_t, int16_t, int16_t, int16_t, int16_t) {}
void printText(const std::string&) {}
void printAt(int16_t, int16_t, const std::string&) {}
void resetScreenState() {
  theWindowFrame = WindowFrame{};
  theColourState = ColourState{};
}

}  // namespace talmidor
