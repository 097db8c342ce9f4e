#include "e2e/module_run.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace talmidor {

namespace {

constexpr int kRows = 25;

std::string withoutTrailingBlanks(std::string line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

bool ModuleRun::start() {
  return startCommand(TmuxSession::shellQuote(talmidorProgram()));
}

bool ModuleRun::startCommand(const std::string& commandLine) {
  TmuxSession::Options options;
  options.environment = installation_.environment();
  options.workingDirectory = installation_.root();
  return tmux_.start(commandLine, options);
}

std::vector<std::string> ModuleRun::screen() const {
  std::vector<std::string> rows = tmux_.captureLines();
  rows.resize(kRows);
  for (std::string& row : rows) row = withoutTrailingBlanks(row);
  return rows;
}

std::string ModuleRun::row(int number) const {
  return screen()[static_cast<size_t>(number - 1)];
}

std::string ModuleRun::screenText() const {
  return numberedScreen(screen());
}

bool ModuleRun::waitFor(const std::string& text, std::chrono::milliseconds timeout) {
  return waitUntil(
      [&](const std::vector<std::string>& rows) {
        for (const std::string& row : rows) {
          if (row.find(text) != std::string::npos) return true;
        }
        return false;
      },
      timeout);
}

bool ModuleRun::waitUntil(const std::function<bool(const std::vector<std::string>&)>& condition,
                          std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition(screen())) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

bool ModuleRun::waitForRow(int number, const std::string& text, std::chrono::milliseconds timeout) {
  return waitUntil(
      [&](const std::vector<std::string>& rows) {
        return rows[static_cast<size_t>(number - 1)].find(text) != std::string::npos;
      },
      timeout);
}

std::string ModuleRun::paneFormat(const std::string& format) const {
  std::string output;
  runCommand("tmux -L " + TmuxSession::shellQuote(tmux_.socketName()) +
                 " display-message -p -t t " + TmuxSession::shellQuote(format),
             &output);
  return withoutTrailingBlanks(output.substr(0, output.find('\n')));
}

ModuleRun::Position ModuleRun::cursor() const {
  std::istringstream in(paneFormat("#{cursor_y} #{cursor_x}"));
  Position where;
  in >> where.row >> where.column;
  ++where.row;
  ++where.column;
  return where;
}

bool ModuleRun::waitForCursor(Position where, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (cursor() == where) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

std::string numberedScreen(const std::vector<std::string>& rows) {
  std::ostringstream text;
  for (size_t i = 0; i < rows.size(); ++i) {
    text << (i + 1 < 10 ? " " : "") << i + 1 << "|" << rows[i] << "\n";
  }
  return text.str();
}

void quitFromPageOne(ModuleRun& run) {
  ASSERT_TRUE(run.waitForCursor({3, 33}));
  run.keys({"Escape"});
  ASSERT_TRUE(run.waitForExit());
  EXPECT_EQ(run.exitCode(), 0);
}

}  // namespace talmidor
