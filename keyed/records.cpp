#include "keyed/records.h"

namespace talmidor {

void setLockMode(int16_t, const std::string&, int16_t& status) {
  status = 3;
}
void readByKey(int16_t, int16_t, const std::string&, int16_t, int16_t& status) {
  status = 3;
}
void moveRecords(int16_t, int16_t, int16_t& status) {
  status = 3;
}
int32_t recordPosition(int16_t, int32_t) {
  return 0;
}
std::string collationForm(const std::string& value, int16_t) {
  return value;
}
std::string currentKeyCollationForm(int16_t) {
  return "";
}
int16_t readWithLockWait(int16_t, int16_t) {
  return 3;
}

}  // namespace talmidor
