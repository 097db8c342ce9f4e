#pragma once
// The built talmidor running in a private tmux pane of 80 x 25 against a demo installation:
// keys go in with send-keys, the screen comes back with capture-pane, and every wait polls the
// pane until a deadline.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "testing/tmux_session.h"

namespace talmidor {

// How long a test waits for the program to show what it expects.
constexpr std::chrono::milliseconds kScreenDeadline{15000};

class ModuleRun {
 public:
  explicit ModuleRun(const DemoInstallation& installation) : installation_(installation) {}

  // Starts talmidor (or another command line) in a fresh 80 x 25 pane with the installation's
  // environment. False when tmux could not start it.
  bool start();
  bool startCommand(const std::string& commandLine);

  // The 25 screen rows as UTF-8, trailing blanks removed; row(1) is the top row.
  std::vector<std::string> screen() const;
  std::string row(int number) const;
  std::string screenText() const;

  // Polls until the screen shows the text (or the condition holds); false at the deadline.
  bool waitFor(const std::string& text, std::chrono::milliseconds timeout = kScreenDeadline);
  bool waitUntil(const std::function<bool(const std::vector<std::string>&)>& condition,
                 std::chrono::milliseconds timeout = kScreenDeadline);
  bool waitForRow(int number, const std::string& text,
                  std::chrono::milliseconds timeout = kScreenDeadline);

  struct Position {
    int row = 0;
    int column = 0;
    bool operator==(const Position&) const = default;
  };
  // The terminal cursor, 1-based.
  Position cursor() const;
  bool waitForCursor(Position where, std::chrono::milliseconds timeout = kScreenDeadline);

  // A tmux format of the pane, for example "#{alternate_on}".
  std::string paneFormat(const std::string& format) const;

  void keys(std::initializer_list<std::string> names) { tmux_.sendKeys(names); }
  void text(const std::string& utf8) { tmux_.sendText(utf8); }

  bool waitForExit(std::chrono::milliseconds timeout = kScreenDeadline) {
    return tmux_.waitForExit(timeout);
  }
  int exitCode() const { return tmux_.exitCode(); }

 private:
  const DemoInstallation& installation_;
  TmuxSession tmux_;
};

// Waits for the cursor on the first field of page 1, then Esc there: the program ends with
// status 0.
void quitFromPageOne(ModuleRun& run);

// Text of a screen for failure messages: the rows numbered.
std::string numberedScreen(const std::vector<std::string>& rows);

}  // namespace talmidor
