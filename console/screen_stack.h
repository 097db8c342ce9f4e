#pragma once
// Saving and restoring the screen under pop-up windows. The saved regions form a stack kept
// in the file WinPush.tmp of the work directory; the file exists only while a window is open.

#include <array>
#include <cstdint>
#include <vector>

namespace talmidor {

// Saves the region (absolute frame bounds), the cursor and the current window bounds, and
// makes the region the current window (depth + 1). Bounds outside the screen, or a work
// directory where the file cannot be made, do nothing at all, and such a refused push must not
// be paired with a popScreen.
void pushScreen(int16_t top, int16_t left, int16_t bottom, int16_t right);
// Restores the most recently saved region, the cursor and the window bounds before it
// (depth - 1); the file is removed once the stack is empty. With no saved region, or a record
// that does not fit the file (a damaged stack), it paints nothing and only removes the file.
void popScreen();
// Removes a WinPush.tmp left by a run that ended with windows open, so that its records do
// not stack under this run's windows. Called once at start-up.
void clearStaleScreenStack();

// The numbers of each open record at full size (cursor, previous window, region), newest
// last: the file keeps two digits per number, too few for a column beyond 99.
struct ScreenStackState {
  std::vector<std::array<int16_t, 10>> entries;
};
ScreenStackState& screenStackState();
void resetScreenStack();

}  // namespace talmidor
