#include "config/catalogue.h"

namespace talmidor {

std::string translate(const std::string& catalan) {
  return catalan;
}
void resetCatalogue() {}
void setCatalogueCache(bool) {}

}  // namespace talmidor
