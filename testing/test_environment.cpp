#include "testing/test_environment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/platform.h"

namespace talmidor {

namespace fs = std::filesystem;

void TestEnvironment::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path path = fs::temp_directory_path() /
                  ("talmidor_" + std::string(info->test_suite_name()) + "_" + info->name());
  fs::remove_all(path);
  fs::create_directories(path);
  dir_ = path.string() + "/";
  platform().system = &system;
  platform().console = &console;
}

void TestEnvironment::TearDown() {
  resetPlatform();
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

std::string TestEnvironment::writeFile(const std::string& relativePath, const std::string& bytes) {
  fs::path path = fs::path(dir_) / relativePath;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return path.string();
}

std::string TestEnvironment::readFile(const std::string& relativePath) const {
  std::ifstream in(fs::path(dir_) / relativePath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The environment may point the tests elsewhere; otherwise they use the trees of their build.
std::string buildDirectory() {
  const char* dir = std::getenv("TALMIDOR_BUILD_DIR");
  return dir && *dir ? dir : TALMIDOR_BUILD_TREE;
}

std::string sourceDirectory() {
  const char* dir = std::getenv("TALMIDOR_SOURCE_DIR");
  return dir && *dir ? dir : TALMIDOR_SOURCE_TREE;
}

}  // namespace talmidor
