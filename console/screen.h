#pragma once
// The screen layer: colour classes with a stack of saved classes, the bounds of the innermost
// open window (drawing is relative to it), frames, scrolling and printing. Every character the
// program shows goes through here to platform().console. Positions are 1-based.

#include <cstdint>
#include <string>

namespace talmidor {

// The innermost open window: its frame lies on rows top and bottom and columns left and right;
// the usable interior is inside. depth counts the open windows (0: none, coordinates absolute).
struct WindowFrame {
  int16_t depth, top, left, bottom, right;
};
WindowFrame& windowFrame();

// The current colour class (0..4) and the saved ones: each character of classStack is a class
// number, the last one the top.
struct ColourState {
  int16_t currentClass;
  std::string classStack;
};
ColourState& colourState();

// Selects a colour class by its letters ("n" 1, "h" 0, "r"/"rh" 2, "rn" 3, "u" 4, anything
// else 0) and sets the console colour from session().colourPairs. A "+" first saves the current
// class; "-" returns to the saved class (class 0 when none is saved). A blank code does nothing.
void setColourClass(const std::string& code);
// Moves the cursor relative to the innermost window: (1, 1) is its first interior cell and row
// 0 its top frame line. With no window open the coordinates are absolute.
void locateInWindow(int16_t row, int16_t column);

int16_t screenRows();
int16_t screenColumns();
// Absolute position of the usable area: the window's interior, or the whole screen.
int16_t windowFirstRow();
int16_t windowFirstColumn();
int16_t windowLastColumn();

// Draws the innermost window's frame (0 blank, 1 single line, 2 double line) in the current
// colour and blanks its interior; nothing when no window is open.
void drawFrame(int16_t style);
// Moves the rectangle's content up by lines (> 0) or down by -lines (< 0); the freed rows are
// blanked in the current colour.
void scrollRegion(int16_t firstRow, int16_t firstColumn, int16_t lastRow, int16_t lastColumn,
                  int16_t lines);

// Writes code page 850 text at the cursor in the current colour.
void printText(const std::string& text);
// Writes text at an absolute screen position in the current colour.
void printAt(int16_t row, int16_t column, const std::string& text);

// Class 0, no saved classes, no window open: the state of a fresh process.
void resetScreenState();

}  // namespace talmidor
