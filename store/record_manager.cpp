#include "store/record_manager.h"

namespace talmidor {

int16_t callRecordManager(uint16_t, uint8_t*, void*, uint32_t& dataLength, void*, uint8_t, int8_t) {
  dataLength = 0;
  return kStatusInvalidOperation;
}

}  // namespace talmidor
