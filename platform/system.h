#pragma once
// The operating-system services the program needs besides the console: environment,
// directories, the local date, pauses, random numbers and starting other programs.

#include <cstdint>
#include <string>
#include <vector>

namespace talmidor {

struct LocalDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

class System {
 public:
  virtual ~System() = default;
  // Value of an environment variable; "" when it is not set.
  virtual std::string environment(const std::string& name) = 0;
  // Makes a host directory current; false when it cannot.
  virtual bool changeDirectory(const std::string& hostDirectory) = 0;
  // The current directory as a host path.
  virtual std::string currentDirectory() = 0;
  virtual LocalDate today() = 0;
  virtual void pause(int milliseconds) = 0;
  // Uniform in [0, 1).
  virtual double randomFraction() = 0;
  // Starts a program (host path, no arguments) sharing the console and waits for it.
  // Returns its exit code, or -1 when it could not be started at all.
  virtual int runProgram(const std::string& hostPath) = 0;
  // Runs an argument vector (argv[0] looked up on PATH when it has no "/") sharing the
  // console and waits. No shell sees the arguments. Returns the exit code or -1.
  virtual int runCommand(const std::vector<std::string>& argv) = 0;
  // Ends the process with an exit code, leaving the terminal usable.
  [[noreturn]] virtual void endProcess(int exitCode) = 0;
};

// Does nothing and answers blanks: what the program sees before main fills the platform.
class NullSystem : public System {
 public:
  std::string environment(const std::string&) override { return ""; }
  bool changeDirectory(const std::string&) override { return false; }
  std::string currentDirectory() override { return ""; }
  LocalDate today() override { return {2026, 1, 1}; }
  void pause(int) override {}
  double randomFraction() override { return 0.0; }
  int runProgram(const std::string&) override { return -1; }
  int runCommand(const std::vector<std::string>&) override { return -1; }
  [[noreturn]] void endProcess(int exitCode) override;
};

}  // namespace talmidor
