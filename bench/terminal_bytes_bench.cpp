// Bytes the terminal console sends to a terminal, through a pseudo-terminal: moving the cursor
// from one field to the next, and painting a whole 80 x 25 screen. Each runs for a terminal
// of 256 colours (xterm-256color) and one of 8 (screen, bright shown as bold).
//
// Counters (bytes per operation, read back from the pseudo-terminal's other end):
// - CursorMove: the cursor jumps between two fields, nothing else changes.
// - FieldSwitch: what the form does on Tab: the field left is shown again in the normal
//   colour, the field entered in the edit colour, and the cursor moves into it.
// - FullScreen: a framed form screen (title bar in reverse, box drawing, labels, values with
//   accented letters, in three colours) painted over a blank screen.
// Each also reports PlainBytes, what the plain way sends for the same change: a console that
// repaints the whole screen on every update, each row with the cursor placed at its start and
// the colour set for every cell.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/cp850.h"
#include "platform/terminal_console.h"

namespace {

using namespace talmidor;

constexpr int16_t kRows = 25;
constexpr int16_t kColumns = 80;

// A console on a pseudo-terminal of 80 x 25; the bytes it writes are read from the master.
class PtyConsole {
 public:
  explicit PtyConsole(const char* term) {
    winsize size{};
    size.ws_row = kRows;
    size.ws_col = kColumns;
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return;
    TerminalConsole::Options options;
    options.inputFd = slave_;
    options.outputFd = slave_;
    options.term = term;
    options.restoreOnExit = false;
    std::string error;
    console_ = TerminalConsole::open(options, error);
    if (!console_) std::fprintf(stderr, "%s\n", error.c_str());
    drain();
  }
  ~PtyConsole() {
    console_.reset();
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }

  // The console, or null with the benchmark marked as skipped when none could be opened.
  TerminalConsole* consoleOrSkip(benchmark::State& state) {
    if (!console_) state.SkipWithError("no terminal console");
    return console_.get();
  }

  // Bytes written since the last call.
  size_t drain() {
    size_t total = 0;
    char buffer[65536];
    pollfd p{master_, POLLIN, 0};
    while (poll(&p, 1, 0) > 0) {
      ssize_t got = read(master_, buffer, sizeof buffer);
      if (got <= 0) break;
      total += static_cast<size_t>(got);
    }
    return total;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::unique_ptr<TerminalConsole> console_;
};

// What a plain repaint sends for rows of the screen: the cursor placed at each row's start,
// then for every cell its colour and its UTF-8 character.
size_t plainBytes(Console& console, int16_t firstRow, int16_t lastRow) {
  size_t bytes = 0;
  for (int16_t row = firstRow; row <= lastRow; ++row) {
    bytes += std::to_string(row).size() + 5;  // ESC [ row ; 1 H
    for (int16_t column = 1; column <= kColumns; ++column) {
      uint8_t character = 0, attribute = 0;
      console.readCell(row, column, character, attribute);
      bytes += 16;  // ESC [ 3 8 ; 5 ; f ; 4 8 ; 5 ; b m, short colour numbers
      bytes += encodeUtf8(kCp850ToUnicode[character]).size();
    }
  }
  return bytes;
}

// A form screen: frame, reversed title bar, labels and values; `variant` changes every cell.
void drawForm(Console& console, int variant) {
  console.setColour(7, 0);
  console.clear();
  console.setColour(0, 7);
  console.moveCursor(1, 1);
  std::string title(variant ? " Remeses bancàries "_cp : " Rebuts per concepte "_cp);
  title.resize(kColumns, ' ');
  console.writeText(title);
  console.setColour(7, 0);
  std::string line(kColumns - 2, "═"_cp[0]);
  console.moveCursor(2, 1);
  console.writeText(std::string("╔"_cp) + line + std::string("╗"_cp));
  for (int16_t row = 3; row < kRows; ++row) {
    console.moveCursor(row, 1);
    console.writeText("║"_cp);
    console.setColour(7, 0);
    std::string label = (variant ? "Núm. d'edifici " : "Codi de l'imm. ") + std::to_string(row);
    label = utf8ToCp850(label);
    label.resize(30, variant ? '.' : ' ');
    console.writeText(label);
    console.setColour(15, 0);
    std::string value(variant ? "Plaça Catalunya, 12 ·"_cp : "Carrer Major, 3 àèéíòú"_cp);
    value.resize(kColumns - 2 - 30, ' ');
    console.writeText(value);
    console.setColour(7, 0);
    console.writeText("║"_cp);
  }
  console.moveCursor(kRows, 1);
  console.writeText(std::string("╚"_cp) + line);
  console.writeText("╝"_cp);
}

void reportBytes(benchmark::State& state, size_t bytes, size_t operations, size_t plain) {
  state.counters["Bytes"] = benchmark::Counter(
      operations ? static_cast<double>(bytes) / static_cast<double>(operations) : 0);
  state.counters["PlainBytes"] = benchmark::Counter(static_cast<double>(plain));
}

void CursorMove(benchmark::State& state, const char* term) {
  PtyConsole pty(term);
  TerminalConsole* console = pty.consoleOrSkip(state);
  if (!console) return;
  drawForm(*console, 0);
  console->present();
  pty.drain();
  size_t bytes = 0, moves = 0;
  for (auto _ : state) {
    // From a field on row 5 to one on row 12 further right, and back.
    if (moves % 2) {
      console->moveCursor(5, 32);
    } else {
      console->moveCursor(12, 50);
    }
    console->present();
    bytes += pty.drain();
    ++moves;
  }
  reportBytes(state, bytes, moves, plainBytes(*console, 1, kRows));
}
BENCHMARK_CAPTURE(CursorMove, xterm_256color, "xterm-256color");
BENCHMARK_CAPTURE(CursorMove, screen, "screen");

void FieldSwitch(benchmark::State& state, const char* term) {
  PtyConsole pty(term);
  TerminalConsole* console = pty.consoleOrSkip(state);
  if (!console) return;
  drawForm(*console, 0);
  console->present();
  pty.drain();
  const std::string values[2] = {std::string("Carrer Major, 3 àèéíòú"_cp),
                                 std::string("Plaça Catalunya, 12 ·"_cp)};
  size_t bytes = 0, moves = 0;
  for (auto _ : state) {
    int16_t left = moves % 2 ? 7 : 5;
    int16_t entered = moves % 2 ? 5 : 7;
    console->setColour(15, 0);
    console->moveCursor(left, 32);
    console->writeText(values[moves % 2]);
    console->setColour(0, 7);
    console->moveCursor(entered, 32);
    console->writeText(values[(moves + 1) % 2]);
    console->moveCursor(entered, 32);
    console->present();
    bytes += pty.drain();
    ++moves;
  }
  reportBytes(state, bytes, moves, plainBytes(*console, 1, kRows));
}
BENCHMARK_CAPTURE(FieldSwitch, xterm_256color, "xterm-256color");
BENCHMARK_CAPTURE(FieldSwitch, screen, "screen");

void FullScreen(benchmark::State& state, const char* term) {
  PtyConsole pty(term);
  TerminalConsole* console = pty.consoleOrSkip(state);
  if (!console) return;
  size_t bytes = 0, screens = 0;
  for (auto _ : state) {
    // From a blank screen to the whole form, each time the other of the two forms.
    state.PauseTiming();
    console->setColour(7, 0);
    console->clear();
    console->present();
    pty.drain();
    state.ResumeTiming();
    drawForm(*console, static_cast<int>(screens % 2));
    console->present();
    bytes += pty.drain();
    ++screens;
  }
  reportBytes(state, bytes, screens, plainBytes(*console, 1, kRows));
}
BENCHMARK_CAPTURE(FullScreen, xterm_256color, "xterm-256color");
BENCHMARK_CAPTURE(FullScreen, screen, "screen");

}  // namespace

BENCHMARK_MAIN();
