#include "console/help.h"

namespace talmidor {

void showHelp(const std::string&) {}
void showMessageBox(int16_t, const std::string&) {}

}  // namespace talmidor
