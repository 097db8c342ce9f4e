#pragma once
// Fixture of the keyed-file tests: every process-wide table the keyed layer touches starts
// fresh, the data root and work directory are the test's directory, and data files can be
// made directly through the record manager.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "config/session.h"
#include "keyed/keyed_files.h"
#include "platform/cp850.h"
#include "platform/test_system.h"
#include "store/file_definition.h"
#include "store/record_manager.h"
#include "testing/module_state.h"
#include "testing/test_environment.h"

namespace talmidor {

inline SegmentSpec makeSegment(uint16_t position, uint16_t length, uint16_t flags = 0,
                               uint8_t extendedType = 0) {
  SegmentSpec s;
  s.position = position;
  s.length = length;
  s.flags = flags;
  s.extendedType = extendedType;
  return s;
}

// Creates the data file at hostPath with these records, through the record manager.
inline void makeDataFile(const std::string& hostPath, const FileDefinition& def,
                         const std::vector<std::string>& records) {
  std::string block = creationBlock(def);
  std::string name = hostPath;
  std::array<uint8_t, 128> pb{};
  uint32_t length = static_cast<uint32_t>(block.size());
  ASSERT_EQ(callRecordManager(kOpCreate, pb.data(), block.data(), length, name.data(),
                              static_cast<uint8_t>(name.size()), kCreateNoOverwrite),
            0);
  ASSERT_EQ(callRecordManager(kOpOpen, pb.data(), nullptr, length, name.data(),
                              static_cast<uint8_t>(name.size()), 0),
            0);
  std::string key(255, '\0');
  for (std::string r : records) {
    length = static_cast<uint32_t>(r.size());
    ASSERT_EQ(callRecordManager(kOpInsert, pb.data(), r.data(), length, key.data(), 255, 0), 0)
        << r;
  }
  ASSERT_EQ(callRecordManager(kOpClose, pb.data(), nullptr, length, nullptr, 0, 0), 0);
}

// A test system whose pauses run a hook: onPause gets each pause's number (from 1).
struct WaitingSystem : TestSystem {
  std::function<void(size_t)> onPause;
  void pause(int milliseconds) override {
    TestSystem::pause(milliseconds);
    if (onPause) onPause(pauses.size());
  }
};

class KeyedTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetKeyedState();
    placeSessionIn(dir(), system);
  }
  void TearDown() override {
    resetKeyedState();
    TestEnvironment::TearDown();
  }

  // A definition file: 16-bit length, then the creation block.
  std::string writeDefinitionFile(const std::string& relativePath, const FileDefinition& def) {
    std::string block = creationBlock(def);
    std::string bytes;
    bytes += static_cast<char>(block.size() & 0xFF);
    bytes += static_cast<char>(block.size() >> 8);
    return writeFile(relativePath, bytes + block);
  }

  // Every screen line, one after another, in UTF-8 for readable failures.
  std::string screenText() const {
    std::string text;
    for (const auto& line : console.lines()) text += cp850ToUtf8(line) + "\n";
    return text;
  }
};

}  // namespace talmidor
