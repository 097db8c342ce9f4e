#pragma once
// Fixture of the console tests: the shared test environment plus a fresh screen layer, screen
// stack, key table, input state, editor and session, with the work directory, the data root
// and the current directory in the temporary directory.

#include <string>
#include <vector>

#include "console/screen.h"
#include "platform/memory_console.h"
#include "platform/platform.h"
#include "testing/module_state.h"
#include "testing/test_environment.h"

namespace talmidor {

// A console that records, each time an event is asked for, where the cursor stands, its shape
// and (when watchRow is set) the text of one row: what the screen showed while waiting.
class ProbeConsole : public MemoryConsole {
 public:
  struct Seen {
    int16_t row, column;
    CursorShape shape;
  };
  std::vector<Seen> seen;
  int16_t watchRow = 0;
  std::vector<std::string> watched;
  // The whole screen each time, text and attributes, when set.
  bool watchScreen = false;
  std::vector<std::vector<std::string>> screens;
  std::vector<std::vector<std::string>> colours;

  // How often the screen was shown and input waited for, and whether every wait came after
  // a present (so the terminal shows the latest drawing while the program waits).
  int presents = 0;
  int waits = 0;
  bool presentedBeforeEachWait = true;
  bool presentedSinceEvent = false;

  void present() override {
    ++presents;
    presentedSinceEvent = true;
  }
  void waitForInput(int) override {
    ++waits;
    presentedBeforeEachWait = presentedBeforeEachWait && presentedSinceEvent;
  }
  ConsoleEvent nextEvent() override {
    presentedSinceEvent = false;
    seen.push_back({screen().cursorRow(), screen().cursorColumn(), screen().cursorShape()});
    if (watchRow != 0) watched.push_back(screen().rowText(watchRow));
    if (watchScreen) {
      screens.push_back(lines());
      std::vector<std::string> rows;
      for (int16_t r = 1; r <= screen().rows(); ++r) rows.push_back(attributes(r));
      colours.push_back(rows);
    }
    return MemoryConsole::nextEvent();
  }
};

class ConsoleTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetConsoleState();
    placeSessionIn(dir(), system);
  }
  void TearDown() override {
    resetConsoleState();
    TestEnvironment::TearDown();
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
