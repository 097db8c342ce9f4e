// The line editor under a stream of keys, on the headless console: 100,000 scripted keys of
// typing, cursor movement, deletion and word jumps on a 40-character field, then Esc.
//
// EditLine is the editor itself. ConsoleFloor, in the same run, does only what the console
// underneath must do for those keys anyway: take each event from the script, redraw the field
// and place the cursor. The difference is the editor's own cost per key.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "config/session.h"
#include "console/editor.h"
#include "console/keys.h"
#include "console/screen.h"
#include "platform/memory_console.h"
#include "platform/platform.h"

namespace {

using namespace talmidor;

constexpr int kKeys = 100000;
constexpr int16_t kRow = 10;
constexpr int16_t kColumn = 20;

// A repeating pattern of what an operator does in a field.
const std::vector<int16_t>& keyScript() {
  static const std::vector<int16_t> keys = [] {
    const std::vector<int16_t> pattern = {
        'a',       'b',        'c',     'd',     ' ', 'e',        'f',        kLeft,
        kLeft,     kBackspace, kDelete, kHome,   'x', kCtrlRight, kCtrlRight, kEnd,
        kCtrlLeft, kRight,     'y',     kInsert, 'z', kInsert,    kEnd,       kHome};
    std::vector<int16_t> list;
    while (list.size() < static_cast<size_t>(kKeys)) {
      for (int16_t k : pattern) {
        if (list.size() < static_cast<size_t>(kKeys)) list.push_back(k);
      }
    }
    return list;
  }();
  return keys;
}

void scriptKeys(MemoryConsole& console) {
  for (int16_t key : keyScript()) console.pushKey(key);
  console.pushKey(kEsc);
}

void setUp(MemoryConsole& console) {
  resetSession();
  resetScreenState();
  resetInput();
  resetEditor();
  platform().console = &console;
  editKeyTable("a", "1b,d");
}

void EditLine(benchmark::State& state) {
  MemoryConsole console;
  setUp(console);
  for (auto _ : state) {
    state.PauseTiming();
    scriptKeys(console);
    std::string text(40, ' ');
    int16_t cursor = 1, key = 0;
    state.ResumeTiming();
    editLine(kRow, kColumn, 0, text, cursor, key);
    benchmark::DoNotOptimize(text);
    if (key != kEsc || console.pendingEvents() != 0) state.SkipWithError("script not consumed");
  }
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(kKeys + 1),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  resetPlatform();
}
BENCHMARK(EditLine)->Unit(benchmark::kMillisecond);

void ConsoleFloor(benchmark::State& state) {
  MemoryConsole console;
  setUp(console);
  for (auto _ : state) {
    state.PauseTiming();
    scriptKeys(console);
    std::string text(40, ' ');
    state.ResumeTiming();
    Console& c = console;
    while (true) {
      c.moveCursor(kRow, kColumn);
      c.writeText(text);
      c.moveCursor(kRow, kColumn);
      c.setCursorShape(c.insertMode() ? CursorShape::Half : CursorShape::Full);
      ConsoleEvent event = c.nextEvent();
      if (event.key == kEsc) break;
      text[static_cast<size_t>(event.key) % text.size()] = static_cast<char>(event.key);
    }
    benchmark::DoNotOptimize(text);
  }
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(kKeys + 1),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  resetPlatform();
}
BENCHMARK(ConsoleFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
