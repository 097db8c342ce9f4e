#include "platform/test_system.h"

#include <cstdlib>

#include "platform/real_system.h"

namespace talmidor {

TestSystem::TestSystem() = default;

std::string TestSystem::environment(const std::string& name) {
  auto it = env.find(name);
  return it == env.end() ? "" : it->second;
}

bool TestSystem::changeDirectory(const std::string& hostDirectory) {
  if (hostDirectory.empty()) return false;
  directory = hostDirectory;
  return true;
}

double TestSystem::randomFraction() {
  if (randomValues.empty()) return 0.5;
  double value = randomValues.front();
  randomValues.erase(randomValues.begin());
  return value;
}

int TestSystem::runProgram(const std::string& hostPath) {
  programsRun.push_back(hostPath);
  if (onRunProgram) return onRunProgram(hostPath);
  if (runForReal) return RealSystem().runProgram(hostPath);
  return 0;
}

int TestSystem::runCommand(const std::vector<std::string>& argv) {
  commandsRun.push_back(argv);
  if (runForReal) return RealSystem().runCommand(argv);
  return 0;
}

void TestSystem::endProcess(int exitCode) {
  std::_Exit(exitCode);
}

}  // namespace talmidor
