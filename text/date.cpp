#include "text/date.h"

namespace talmidor {

namespace {
LastParsedDate lastDate;
}

LastParsedDate& lastParsedDate() {
  return lastDate;
}
std::string parseDate(const std::string&) {
  return std::string(4, '\x80');
}
int16_t isInvalidDate(const std::string&) {
  return -1;
}
std::string dateToEditText(const std::string&) {
  return "";
}
std::string formatDate(const std::string&, int16_t, const std::string&) {
  return "";
}
int16_t weekdayOf(const std::string&) {
  return 1;
}
void resetDateSettings() {
  lastDate = LastParsedDate();
}

}  // namespace talmidor
