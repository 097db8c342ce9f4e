#pragma once
// The context of this start of the program: installation and work directories, the menu
// option that started it, terminal colours, working date and the operator's language.

#include <cstdint>
#include <string>

namespace talmidor {

struct SessionSettings {
  std::string dataRoot;    // ZUBROOT as given (ends in "\" or "/" by convention)
  std::string programDir;  // ZUBEXE as given
  std::string workDir;     // ZUBTMP normalised, else terminalDir
  std::string menuTitle = "  ";
  std::string menuName;
  std::string menuEntry;
  std::string menuChain;
  std::string operatorName;
  int16_t operatorType = 0;
  std::string terminalDir;  // Sessio.ini [Terminal] Dir, else TERM; normalised
  // [class 0..4][0 foreground, 1 background], console colour numbers.
  int16_t colourPairs[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
  std::string workDate;  // packed date; "" when not set
  std::string outputDevice;
  std::string language = "   ";  // exactly 3 characters; "   " behaves as Catalan
  std::string runMode = "DOS";   // "CGI", "WIN" or "DOS"
  std::string programName;       // set by the main flow after initSession
};

// The process-wide settings record.
SessionSettings& session();
// Back to the state of a fresh process (the defaults above).
void resetSession();
// Fills session() from the environment and Sessio.ini, KeloTerm.ini and Kelo.ini. Reports
// nothing: whatever is missing keeps its default.
void initSession();

// A directory value to which file names are appended directly: a non-empty value that does
// not end in ":", "\" or "/" gets a "\", or a "/" when it holds "/" and no "\" (a Linux
// installation's "/srv/t01" becomes "/srv/t01/" as "T01" becomes "T01\").
std::string normaliseDirectory(const std::string& dir);

}  // namespace talmidor
