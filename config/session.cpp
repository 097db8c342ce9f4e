#include "config/session.h"

#include <string>

#include "config/ini.h"
#include "config/packed.h"
#include "platform/platform.h"

namespace talmidor {

namespace {

SessionSettings settings;

const char* const kDefaultColours = "15000700000700070007";

std::string env(const char* name) {
  return platform().system->environment(name);
}

// A 3-character field: cut or padded with spaces.
std::string threeCharacters(const std::string& value) {
  std::string field = value.substr(0, 3);
  field.resize(3, ' ');
  return field;
}

// Five groups of four digits, one per colour class: two of foreground, two of background.
// A piece that is missing or not a number gives 0.
void fillColourPairs(const std::string& colours, int16_t pairs[5][2]) {
  for (int colourClass = 0; colourClass < 5; ++colourClass) {
    for (int part = 0; part < 2; ++part) {
      size_t at = static_cast<size_t>(4 * colourClass + 2 * part);
      std::string piece = at < colours.size() ? colours.substr(at, 2) : "";
      pairs[colourClass][part] = roundedInt16(leadingNumber(piece));
    }
  }
}

}  // namespace

SessionSettings& session() {
  return settings;
}

void resetSession() {
  settings = SessionSettings();
}

std::string normaliseDirectory(const std::string& dir) {
  if (dir.empty()) return dir;
  char last = dir.back();
  if (last == ':' || last == '\\' || last == '/') return dir;
  // An installation that writes its directories with "/" gets a "/" too.
  bool slashForm = dir.find('/') != std::string::npos && dir.find('\\') == std::string::npos;
  return dir + (slashForm ? '/' : '\\');
}

void initSession() {
  SessionSettings s;
  for (auto& pair : s.colourPairs) pair[0] = pair[1] = 0;

  s.dataRoot = env("ZUBROOT");
  s.programDir = env("ZUBEXE");
  s.workDir = normaliseDirectory(env("ZUBTMP"));

  // Sessio.ini lies in the work directory as given, before it falls back to the terminal's.
  const std::string sessionFile = s.workDir + "Sessio.ini";
  s.menuTitle = " " + readIniValue(sessionFile, "Menu", "Titol") + " ";
  s.menuName = readIniValue(sessionFile, "Menu", "NomMenu");
  s.menuEntry = readIniValue(sessionFile, "Menu", "Menu");
  s.menuChain = readIniValue(sessionFile, "Menu", "ChnMenu");
  s.operatorName = readIniValue(sessionFile, "Menu", "Operador");
  s.operatorType = roundedInt16(leadingNumber(readIniValue(sessionFile, "Menu", "ZubTipOper")));
  s.terminalDir = readIniValue(sessionFile, "Terminal", "Dir");
  if (s.terminalDir.empty()) s.terminalDir = env("TERM");
  s.terminalDir = normaliseDirectory(s.terminalDir);

  if (s.workDir.empty()) s.workDir = s.terminalDir;

  const std::string terminalFile = s.workDir + "KeloTerm.ini";
  int16_t selection =
      roundedInt16(leadingNumber(readIniValue(terminalFile, "Pantalla", "Seleccio")));
  std::string colours = readIniValue(terminalFile, "Pantalla", "Col" + std::to_string(selection));
  if (colours.empty()) colours = kDefaultColours;
  fillColourPairs(colours, s.colourPairs);

  s.workDate = packDigits(readIniValue(terminalFile, "Sistema", "Data"));
  s.outputDevice = readIniValue(terminalFile, "Sistema", "Sortida");
  s.language = threeCharacters(readIniValue(terminalFile, "Sistema", "Idioma"));
  if (s.language == "   ") {
    s.language = threeCharacters(readIniValue(s.dataRoot + "Kelo.ini", "Usuari", "Idioma"));
  }

  // The first variable that is set decides, in this order.
  if (!env("HTTP_USER_AGENT").empty() || !env("HTTP_ACCEPT").empty()) {
    s.runMode = "CGI";
  } else if (!env("WINDIR").empty() || !env("SYSTEMROOT").empty()) {
    s.runMode = "WIN";
  } else {
    s.runMode = "DOS";
  }

  s.programName = settings.programName;
  settings = s;
}

}  // namespace talmidor
