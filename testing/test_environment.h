#pragma once
// Shared test fixture: a fresh temporary directory, the test System (date 15 March 2026)
// and an 80 x 25 MemoryConsole installed in the platform record, all removed again when the
// fixture ends. Folder fixtures add the resets of their own process-wide tables.

#include <gtest/gtest.h>

#include <string>

#include "platform/memory_console.h"
#include "platform/test_system.h"

namespace talmidor {

class TestEnvironment : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a file below the temporary directory (parents created) and returns its path.
  std::string writeFile(const std::string& relativePath, const std::string& bytes);
  std::string readFile(const std::string& relativePath) const;
  // Path of the temporary directory, ending in "/".
  const std::string& dir() const { return dir_; }

  TestSystem system;
  MemoryConsole console;

 private:
  std::string dir_;
};

// Where the built programs are (the build directory that holds the tests' build).
std::string buildDirectory();
// The source tree's root.
std::string sourceDirectory();

}  // namespace talmidor
