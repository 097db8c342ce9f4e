#include "keyed/keyed_files.h"

namespace talmidor {

namespace {
KeyedFileTable table;
}

KeyedFileTable& keyedFileTable() {
  return table;
}
void resetKeyedFileTable() {
  table = KeyedFileTable();
}
int16_t findFileSlot(int16_t) {
  return 0;
}
void openKeyedFile(int16_t, const std::string&, char*, int16_t& status) {
  status = 1003;
}
void getKeyInfo(int16_t, int16_t, int16_t& keyLength, int16_t& recordLength) {
  keyLength = 0;
  recordLength = 0;
}
void closeAllKeyedFiles(int16_t& status) {
  status = 0;
}

}  // namespace talmidor
