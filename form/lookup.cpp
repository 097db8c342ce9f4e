#include "form/lookup.h"

namespace talmidor {

void openLookup(int16_t lookupNo, int16_t& result) {
  int16_t chosen = 0;
  openLookup(lookupNo, result, chosen);
}
void openLookup(int16_t lookupNo, int16_t& result, int16_t& chosenLookupNo) {
  result = -1;
  chosenLookupNo = lookupNo;
}
std::string lookupStartKey(int16_t) {
  return "";
}

}  // namespace talmidor
