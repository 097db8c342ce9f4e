#pragma once
// The help viewer and the message box.

#include <cstdint>
#include <string>

namespace talmidor {

// Shows the help of a topic. In run mode "WIN" the topic's page AJUDA\<topic>.HTM is opened by
// the suite's page opener through the command interpreter (COMSPEC), given as an argument
// vector; elsewhere the text AJUDA\<topic>.HLP of the current directory (the data root) is
// shown in a scrollable window until Esc (F1 opens the general topic). A missing text is
// created empty when the AJUDA directory exists. A topic that could lead out of AJUDA (path
// separators, "..", a colon, control characters) reads and runs nothing: the window is empty.
void showHelp(const std::string& topic);

// Shows text centred in a single-line box near screen row row and leaves it open: the box is
// the innermost window until the caller closes it with popScreen. The box is always opened, so
// that popScreen stays paired: an empty message gives a box with one blank line, and a message
// needing more lines than the screen holds shows the lines that fit (the box then fills the
// screen's height).
void showMessageBox(int16_t row, const std::string& text);

}  // namespace talmidor
