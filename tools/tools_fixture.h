#pragma once
// Fixture of the tools' tests: the shared test environment with a fresh screen layer, screen
// stack, key layer, editor, session and text settings; the terminal, work and data
// directories in the temporary directory (so the tape file and WinPush.tmp land there, and no
// Kelo.ini is found: the default separators, "'" for decimals and "." for thousands).
// The console keeps a copy of the screen as it stood when the script ran out, which is
// what the tool showed while it waited for its last key.

#include <string>
#include <vector>

#include "config/session.h"
#include "platform/memory_console.h"
#include "platform/platform.h"
#include "testing/module_state.h"
#include "testing/test_environment.h"

namespace talmidor {

class SnapshotConsole : public MemoryConsole {
 public:
  ConsoleEvent nextEvent() override {
    if (pendingEvents() == 0 && !taken_) {
      taken_ = true;
      shown_ = lines();
      for (int16_t row = 1; row <= rows(); ++row) colours_.push_back(attributes(row));
    }
    return MemoryConsole::nextEvent();
  }
  // The screen when the script ran out (empty when it never did).
  const std::vector<std::string>& shown() const { return shown_; }
  std::string shownLine(int16_t row) const {
    return taken_ ? shown_[static_cast<size_t>(row - 1)] : "";
  }
  std::string shownAttributes(int16_t row) const {
    return taken_ ? colours_[static_cast<size_t>(row - 1)] : "";
  }
  // Forgets the copy, for a second run of a tool in the same test.
  void forgetSnapshot() {
    taken_ = false;
    shown_.clear();
    colours_.clear();
  }

 private:
  bool taken_ = false;
  std::vector<std::string> shown_;
  std::vector<std::string> colours_;
};

class ToolsTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetToolsState();
    platform().console = &screen;
    placeSessionIn(dir(), system);
    session().terminalDir = dir();
    system.env["ZUBROOT"] = dir();
  }
  void TearDown() override {
    resetToolsState();
    TestEnvironment::TearDown();
  }

  // Fills the screen with text in several colours, so that a restore shows every cell.
  void paintBackground() {
    for (int16_t row = 1; row <= screen.rows(); ++row) {
      screen.setColour(static_cast<int16_t>(row % 16), static_cast<int16_t>((row / 3) % 8));
      screen.moveCursor(row, 1);
      std::string text;
      for (int16_t column = 1; column <= screen.columns(); ++column) {
        text += static_cast<char>('A' + (row + column) % 26);
      }
      screen.writeText(text);
    }
    screen.moveCursor(7, 11);
  }

  struct ScreenCopy {
    std::vector<std::string> lines, colours;
    int16_t cursorRow = 0, cursorColumn = 0;
    bool operator==(const ScreenCopy&) const = default;
  };
  ScreenCopy copyScreen() {
    ScreenCopy copy;
    copy.lines = screen.lines();
    for (int16_t row = 1; row <= screen.rows(); ++row)
      copy.colours.push_back(screen.attributes(row));
    screen.cursorPosition(copy.cursorRow, copy.cursorColumn);
    return copy;
  }

  // Text of a screen row (as shown when the script ran out) cut to [column, column + length).
  std::string shownCells(int16_t row, int16_t column, size_t length) {
    std::string text = screen.shownLine(row);
    text.resize(static_cast<size_t>(screen.columns()), ' ');
    return text.substr(static_cast<size_t>(column - 1), length);
  }

  SnapshotConsole screen;
};

}  // namespace talmidor
