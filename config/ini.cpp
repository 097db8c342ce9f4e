#include "config/ini.h"

#include <exception>
#include <fstream>

#include "platform/paths.h"

namespace talmidor {

namespace {

// Spaces only: tabs are ordinary characters in these files.
std::string trimSpaces(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string upperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Reads the next line into line; false at the end of the file (or at its 0x1A mark) when
// nothing was left to read. A line ends at CR, CR LF or LF: files edited on Linux end their
// lines with LF alone.
bool readLine(std::streambuf& in, std::string& line, bool& atEnd) {
  line.clear();
  if (atEnd) return false;
  using Traits = std::streambuf::traits_type;
  bool readSomething = false;
  try {
    for (;;) {
      Traits::int_type c = in.sbumpc();
      if (Traits::eq_int_type(c, Traits::eof()) || c == 0x1A) {
        atEnd = true;
        return readSomething;
      }
      readSomething = true;
      if (c == '\r') {
        if (in.sgetc() == '\n') in.sbumpc();
        return true;
      }
      if (c == '\n') return true;
      line.push_back(Traits::to_char_type(c));
    }
  } catch (const std::exception&) {
    // A read error (the path names a directory, say) ends the file where it stands.
    atEnd = true;
    return readSomething;
  }
}

}  // namespace

std::string readIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
  std::ifstream in(hostPath(file), std::ios::binary);
  if (!in) return "";
  const std::string wantedSection = upperAscii(trimSpaces(section));
  const std::string wantedKey = upperAscii(trimSpaces(key));
  bool inSection = false;
  bool atEnd = false;
  std::string line;
  while (readLine(*in.rdbuf(), line, atEnd)) {
    // A comment runs from the first ";" to the end of the line, even inside quotes.
    size_t semicolon = line.find(';');
    if (semicolon != std::string::npos) line.erase(semicolon);
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    line.erase(0, start);
    if (!inSection) {
      if (line[0] != '[') continue;
      // The name runs to the first "]", or to the end of the line when there is none.
      size_t close = line.find(']');
      std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      if (upperAscii(trimSpaces(name)) == wantedSection) inSection = true;
      continue;
    }
    // The next section header ends the search: only the first section of the name counts.
    if (line[0] == '[') return "";
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (upperAscii(trimSpaces(line.substr(0, equals))) != wantedKey) continue;
    std::string value = line.substr(equals + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return "";
}

}  // namespace talmidor
