#pragma once
// The help viewer and the message box.

#include <cstdint>
#include <string>

namespace talmidor {

// Shows the help of a topic. In run mode "WIN" the topic's page AJUDA\<topic>.HTM is opened by
// the suite's page opener through the command interpreter; elsewhere the text AJUDA\<topic>.HLP
// of the data root is shown in a scrollable window until Esc (F1 opens the general topic).
void showHelp(const std::string& topic);

// Shows text centred in a single-line box near screen row row and leaves it open: the box is
// the innermost window until the caller closes it with popScreen.
void showMessageBox(int16_t row, const std::string& text);

}  // namespace talmidor
