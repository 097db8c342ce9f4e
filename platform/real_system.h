#pragma once
// The System of the running program: POSIX processes, the real clock.

#include <random>

#include "platform/system.h"

namespace talmidor {

class RealSystem : public System {
 public:
  RealSystem();
  std::string environment(const std::string& name) override;
  bool changeDirectory(const std::string& hostDirectory) override;
  std::string currentDirectory() override;
  LocalDate today() override;
  void pause(int milliseconds) override;
  double randomFraction() override;
  int runProgram(const std::string& hostPath) override;
  int runCommand(const std::vector<std::string>& argv) override;
  [[noreturn]] void endProcess(int exitCode) override;

 private:
  std::mt19937_64 engine_;
};

}  // namespace talmidor
