#pragma once
// The System of tests: a fixed date (the current year is 2026), an environment held in a
// map, pauses and started programs recorded instead of done. A started program may be
// given a stand-in action, or be run for real with runForReal.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/system.h"

namespace talmidor {

class TestSystem : public System {
 public:
  TestSystem();

  std::map<std::string, std::string> env;
  LocalDate date{2026, 3, 15};
  std::vector<int> pauses;
  std::vector<double> randomValues;  // served in turn; 0.5 when empty
  std::vector<std::string> programsRun;
  std::vector<std::vector<std::string>> commandsRun;
  std::string directory;
  // Called in place of a started program; its result is the exit code.
  std::function<int(const std::string&)> onRunProgram;
  // Start programs for real (through the real system) instead of recording only.
  bool runForReal = false;

  std::string environment(const std::string& name) override;
  bool changeDirectory(const std::string& hostDirectory) override;
  std::string currentDirectory() override { return directory; }
  LocalDate today() override { return date; }
  void pause(int milliseconds) override { pauses.push_back(milliseconds); }
  double randomFraction() override;
  int runProgram(const std::string& hostPath) override;
  int runCommand(const std::vector<std::string>& argv) override;
  // Ends the test process too: tests of fatal ends use death tests (EXPECT_EXIT).
  [[noreturn]] void endProcess(int exitCode) override;
};

}  // namespace talmidor
