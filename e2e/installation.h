#pragma once
// A demo installation made for one end-to-end test by the installation generator (demo/), in a
// temporary directory of its own, and the built programs the tests run against it.

#include <string>
#include <vector>

namespace talmidor {

struct InstallationOptions {
  std::string language = "CAT";
  std::string workDate = "20260315";
  int units = 600;
};

class DemoInstallation {
 public:
  // Makes the installation under a fresh temporary directory named after the running test.
  // ok() tells whether the generator succeeded; log() holds what it printed.
  explicit DemoInstallation(const InstallationOptions& options = {});
  ~DemoInstallation();
  DemoInstallation(const DemoInstallation&) = delete;
  DemoInstallation& operator=(const DemoInstallation&) = delete;

  bool ok() const { return ok_; }
  const std::string& log() const { return log_; }
  // The installation directory, ending in "/".
  const std::string& root() const { return root_; }
  // The terminal's work directory (ZUBTMP), ending in "/".
  std::string workDir() const { return root_ + "T01/"; }

  // The bytes of a file of the installation ("" when it cannot be read).
  std::string readFile(const std::string& relativePath) const;
  // The environment the suite's menu gives the module: ZUBROOT, ZUBEXE, ZUBTMP.
  std::vector<std::string> environment() const;

 private:
  std::string root_;
  std::string log_;
  bool ok_ = false;
};

// The source tree this build was configured from (the demo generator and its sources).
std::string sourceTree();

// The built programs of this build tree.
std::string talmidorProgram();
std::string keyedfileProgram();

// Runs a shell command line; returns its exit status and, when asked, its standard output
// and standard error.
int runCommand(const std::string& commandLine, std::string* output = nullptr);

}  // namespace talmidor
