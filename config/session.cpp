#include "config/session.h"

namespace talmidor {

namespace {
SessionSettings settings;
}

SessionSettings& session() {
  return settings;
}
void resetSession() {
  settings = SessionSettings();
}
void initSession() {}
std::string normaliseDirectory(const std::string& dir) {
  return dir;
}

}  // namespace talmidor
