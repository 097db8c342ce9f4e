#pragma once
// A console without a terminal, for tests: a grid, a queue of scripted events, a log of
// beeps and an in-process clipboard. When the script runs out it answers Esc, so a screen
// under test always unwinds; scriptExhausted() tells a test that this happened.

#include <deque>
#include <string>
#include <vector>

#include "platform/screen_buffer.h"

namespace talmidor {

class MemoryConsole : public BufferedConsole {
 public:
  explicit MemoryConsole(int16_t rows = 25, int16_t columns = 80)
      : BufferedConsole(rows, columns) {}

  // Script.
  void pushKey(int16_t key, uint8_t modifiers = 0);
  // Each byte of text as a character key.
  void pushText(std::string_view text);
  void pushMouseMove(int16_t row, int16_t column);
  void pushMouseRelease(int16_t button, int16_t row, int16_t column);
  // A poll that finds nothing (for loops that look for a waiting key).
  void pushNothing();
  size_t pendingEvents() const { return events_.size(); }
  bool scriptExhausted() const { return exhausted_; }
  void setMouseButtons(int buttons) { mouseButtons_ = buttons; }

  // What happened.
  int beeps() const { return beeps_; }
  bool mouseReporting() const { return mouseReporting_; }
  int suspensions() const { return suspensions_; }
  // The screen as text lines (code page 850 bytes), trailing blanks removed.
  std::vector<std::string> lines() const;
  std::string line(int16_t row) const;
  // The attribute bytes of a row as two hex digits per cell, for colour checks.
  std::string attributes(int16_t row) const;

  void beep() override { ++beeps_; }
  void present() override {}
  ConsoleEvent nextEvent() override;
  void waitForInput(int) override {}
  int mouseButtons() override { return mouseButtons_; }
  void setMouseReporting(bool on) override { mouseReporting_ = on; }
  bool insertMode() override { return insert_; }
  void setInsertMode(bool on) override { insert_ = on; }
  std::string clipboard() override { return clipboard_; }
  void setClipboard(const std::string& text) override { clipboard_ = text; }
  void suspend() override { ++suspensions_; }
  void resume() override { screen_.markAllChanged(); }

 private:
  std::deque<ConsoleEvent> events_;
  bool exhausted_ = false;
  int beeps_ = 0;
  int mouseButtons_ = 0;
  bool mouseReporting_ = false;
  bool insert_ = false;
  int suspensions_ = 0;
  std::string clipboard_;
};

}  // namespace talmidor
