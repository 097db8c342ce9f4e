#include "platform/memory_console.h"

#include <cstdio>

namespace talmidor {

void MemoryConsole::pushKey(int16_t key, uint8_t modifiers) {
  ConsoleEvent e;
  e.kind = ConsoleEvent::Kind::Key;
  e.key = key;
  e.modifiers = modifiers;
  events_.push_back(e);
}

void MemoryConsole::pushText(std::string_view text) {
  for (char c : text) pushKey(static_cast<int16_t>(static_cast<uint8_t>(c)));
}

void MemoryConsole::pushMouseMove(int16_t row, int16_t column) {
  ConsoleEvent e;
  e.kind = ConsoleEvent::Kind::MouseMove;
  e.row = row;
  e.column = column;
  events_.push_back(e);
}

void MemoryConsole::pushMouseRelease(int16_t button, int16_t row, int16_t column) {
  ConsoleEvent e;
  e.kind = ConsoleEvent::Kind::MouseRelease;
  e.button = button;
  e.row = row;
  e.column = column;
  events_.push_back(e);
}

void MemoryConsole::pushNothing() {
  events_.push_back(ConsoleEvent{});
}

ConsoleEvent MemoryConsole::nextEvent() {
  if (events_.empty()) {
    exhausted_ = true;
    ConsoleEvent esc;
    esc.kind = ConsoleEvent::Kind::Key;
    esc.key = 27;
    return esc;
  }
  ConsoleEvent e = events_.front();
  events_.pop_front();
  return e;
}

std::string MemoryConsole::line(int16_t row) const {
  std::string text = screen_.rowText(row);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::vector<std::string> MemoryConsole::lines() const {
  std::vector<std::string> result;
  for (int16_t r = 1; r <= screen_.rows(); ++r) result.push_back(line(r));
  return result;
}

std::string MemoryConsole::attributes(int16_t row) const {
  std::string text;
  char hex[3];
  for (int16_t c = 1; c <= screen_.columns(); ++c) {
    std::snprintf(hex, sizeof hex, "%02X", screen_.cell(row, c).attribute);
    text += hex;
  }
  return text;
}

}  // namespace talmidor
