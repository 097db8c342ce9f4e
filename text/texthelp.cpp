#include "text/texthelp.h"

namespace talmidor {

namespace {
std::string textStack;
bool plainFold = false;
}  // namespace

int16_t isAllChar(const std::string&, int16_t) {
  return 0;
}
void pushText(const std::string&) {}
std::string popText() {
  return "";
}
std::string foldAccents(const std::string& text) {
  return text;
}
std::string wrapText(const std::string& text, int16_t) {
  return text;
}
bool& plainFoldMode() {
  return plainFold;
}
void resetTextHelpers() {
  textStack.clear();
  plainFold = false;
}
std::string fitText(const std::string& text, size_t length) {
  std::string out = text.substr(0, length);
  out.resize(length, ' ');
  return out;
}

}  // namespace talmidor
