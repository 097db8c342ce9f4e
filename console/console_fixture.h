#pragma once
// Fixture of the console tests: the shared test environment plus a fresh screen layer, screen
// stack, key table, input state, editor and session, with the work directory, the data root
// and the current directory in the temporary directory.

#include "config/session.h"
#include "console/editor.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "platform/platform.h"
#include "testing/test_environment.h"
#include "text/texthelp.h"

namespace talmidor {

class ConsoleTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetConsoleTables();
    session().workDir = dir();
    session().dataRoot = dir();
    system.directory = dir();
  }
  void TearDown() override {
    resetConsoleTables();
    TestEnvironment::TearDown();
  }

  static void resetConsoleTables() {
    resetScreenState();
    resetScreenStack();
    resetInput();
    resetEditor();
    resetSession();
    resetTextHelpers();
  }

  // Text of a screen row cut to [column, column + length).
  std::string cells(int16_t row, int16_t column, size_t length) const {
    std::string text = console.screen().rowText(row);
    return text.substr(static_cast<size_t>(column - 1), length);
  }
  uint8_t attributeAt(int16_t row, int16_t column) const {
    return console.screen().cell(row, column).attribute;
  }
};

}  // namespace talmidor
