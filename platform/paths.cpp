#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace talmidor {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The entry of directory whose name equals name without regard to case, or name itself.
std::string matchInDirectory(const std::string& directory, const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir = directory.empty() ? fs::path(".") : fs::path(directory);
  if (fs::exists(dir / name, ec)) return name;
  std::vector<std::string> matches;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (sameIgnoringCase(entry, name)) matches.push_back(entry);
  }
  if (matches.empty()) return name;
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string hostPath(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  std::string result;
  size_t start = 0;
  if (!p.empty() && p[0] == '/') {
    result.push_back('/');
    start = 1;
  }
  while (start <= p.size()) {
    size_t slash = p.find('/', start);
    std::string component =
        p.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (!component.empty() && component != "." && component != "..") {
      std::string directory = result.empty() ? "" : result;
      component = matchInDirectory(directory, component);
    }
    result += component;
    if (slash == std::string::npos) break;
    result += '/';
    start = slash + 1;
  }
  return result;
}

}  // namespace talmidor
