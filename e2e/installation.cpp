#include "e2e/installation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/test_environment.h"
#include "testing/tmux_session.h"

namespace talmidor {

namespace fs = std::filesystem;

namespace {

std::atomic<int> commandCounter{0};

std::string readWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A directory name for the running test, unique in this process.
fs::path testDirectory() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "talmidor_e2e";
  if (info != nullptr) name += std::string("_") + info->test_suite_name() + "_" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return fs::temp_directory_path() / name;
}

}  // namespace

std::string sourceTree() {
  return sourceDirectory();
}

std::string talmidorProgram() {
  return buildDirectory() + "/talmidor";
}

std::string keyedfileProgram() {
  return buildDirectory() + "/keyedfile";
}

int runCommand(const std::string& commandLine, std::string* output) {
  fs::path capture = fs::temp_directory_path() /
                     ("talmidor_e2e_command_" + std::to_string(++commandCounter) + ".out");
  std::string line =
      "(" + commandLine + ") >" + TmuxSession::shellQuote(capture.string()) + " 2>&1";
  int status = std::system(line.c_str());
  if (output != nullptr) *output = readWholeFile(capture);
  std::error_code ec;
  fs::remove(capture, ec);
  // std::system gives the wait status; a shell's exit status sits in its second byte.
  return status == -1 ? -1 : (status >> 8) & 0xFF;
}

DemoInstallation::DemoInstallation(const InstallationOptions& options) {
  fs::path dir = testDirectory();
  std::error_code ec;
  fs::remove_all(dir, ec);
  root_ = dir.string() + "/";
  std::string command =
      "python3 " + TmuxSession::shellQuote(sourceTree() + "/demo/make-installation") + " " +
      TmuxSession::shellQuote(dir.string()) + " --keyedfile " +
      TmuxSession::shellQuote(keyedfileProgram()) + " --language " + options.language + " --date " +
      options.workDate + " --units " + std::to_string(options.units);
  ok_ = runCommand(command, &log_) == 0;
}

DemoInstallation::~DemoInstallation() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string DemoInstallation::readFile(const std::string& relativePath) const {
  return readWholeFile(fs::path(root_) / relativePath);
}

std::vector<std::string> DemoInstallation::environment() const {
  return {"ZUBROOT=" + root_, "ZUBEXE=" + root_ + "bin/", "ZUBTMP=" + workDir()};
}

}  // namespace talmidor
