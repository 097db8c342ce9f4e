// The form engine on demo installations (demo/make-installation), on the headless console:
//
// - Lookup 2 (the units of the first building of the code range) over a units file of
//   1,000,000 records: the first page, a PgDn, and a scroll of one line (Down on the last
//   line). Beside them, in the same run, RawFirstPageReads and RawOneLineReads do only the
//   data-file work those steps need (the positioned read and the steps along the key, with the
//   record's line and position), so the difference is the window's own cost: Browse.tmp, the
//   drawing, the key handling.
// - StartUpToPageOne: what runModule does from hiding the cursor to the first complete drawing
//   of page 1 (session, variant, form, six data files with the concept names, the drawing), on
//   an installation of the default size. Each iteration starts from fresh tables, as a new
//   process would (the catalogue is read again); process start and terminal set-up are not in.
//
// The installations are made once, under /tmp, when they are missing (the 1,000,000 units take
// some minutes); TALMIDOR_BENCH_UNITS and TALMIDOR_BENCH_DEMO name other ones.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/module.h"
#include "config/catalogue.h"
#include "config/session.h"
#include "console/editor.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "form/loader.h"
#include "form/lookup.h"
#include "form/runtime.h"
#include "form/validation.h"
#include "keyed/keyed_files.h"
#include "keyed/records.h"
#include "platform/memory_console.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/test_system.h"
#include "store/record_manager.h"
#include "testing/module_state.h"
#include "text/date.h"
#include "text/number.h"
#include "text/texthelp.h"
#include "tools/hot_keys.h"

namespace {

using namespace talmidor;
using Clock = std::chrono::steady_clock;

constexpr int16_t kUnitsLookup = 2;
constexpr int16_t kUnitsFile = 507;

std::string installation(const char* variable, const char* fallback, int units) {
  const char* given = std::getenv(variable);
  std::string dir = std::string(given != nullptr ? given : fallback) + "/";
  if (!std::filesystem::exists(dir + "DADES/DepartaV.dat")) {
    std::fprintf(stderr, "making %s with %d units...\n", dir.c_str(), units);
    std::string command = std::string("python3 ") + TALMIDOR_SOURCE_DIR +
                          "/demo/make-installation '" + dir + "' --units " + std::to_string(units) +
                          " --keyedfile " + TALMIDOR_BINARY_DIR + "/keyedfile >&2";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  }
  return dir;
}

// A headless console that hands out its next scripted key only once the program waits for
// one (waitKey sleeps in waitForInput between polls; the lookup's look for a waiting Esc while
// it produces lines does not), and notes when each wait began and each key was handed out.
class TimedConsole : public MemoryConsole {
 public:
  void script(const std::vector<int16_t>& keys) {
    keys_ = keys;
    next_ = 0;
    ready_ = false;
    waits.clear();
    handed.clear();
  }
  ConsoleEvent nextEvent() override {
    ConsoleEvent event;
    if (!ready_) return event;
    ready_ = false;
    event.kind = ConsoleEvent::Kind::Key;
    event.key = next_ < keys_.size() ? keys_[next_++] : kEsc;
    handed.push_back(Clock::now());
    return event;
  }
  void waitForInput(int) override {
    waits.push_back(Clock::now());
    ready_ = true;
  }
  std::vector<Clock::time_point> waits, handed;

 private:
  std::vector<int16_t> keys_;
  size_t next_ = 0;
  bool ready_ = false;
};

void resetTables() {
  resetFormState();
  resetModuleData();
}

TestSystem& benchSystem(const std::string& root) {
  static TestSystem system;
  system.env["ZUBROOT"] = root;
  system.env["ZUBTMP"] = root + "T01/";
  system.env["ZUBEXE"] = root + "bin/";
  return system;
}

// The module as runModule leaves it before its main loop, on the big installation.
struct UnitsLookup {
  UnitsLookup() {
    root = installation("TALMIDOR_BENCH_UNITS", "/tmp/talmidor_bench_installation", 1000000);
    resetTables();
    platform().system = &benchSystem(root);
    platform().console = &console;
    initSession();
    session().programName = "TALMIDOR";
    decideSingleCustomerVariant();
    loadFormDefinition();
    openModuleData();
    const LookupWindowDef& def = formTables().lookups[kUnitsLookup];
    lines = def.bottom - def.top - 1;
  }
  // Runs the window with these keys; the times of its waits and of the keys handed out.
  void run(const std::vector<int16_t>& keys) {
    console.script(keys);
    int16_t result = 0;
    openLookup(kUnitsLookup, result);
  }
  std::string root;
  TimedConsole console;
  int lines = 0;
};

UnitsLookup& unitsLookup() {
  static UnitsLookup lookup;
  return lookup;
}

double seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void LookupFirstPage(benchmark::State& state) {
  UnitsLookup& lookup = unitsLookup();
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    lookup.run({kEsc});
    state.SetIterationTime(seconds(start, lookup.console.waits.at(0)));
  }
  state.counters["lines"] = lookup.lines;
}
BENCHMARK(LookupFirstPage)->UseManualTime()->Unit(benchmark::kMicrosecond);

void LookupPgDn(benchmark::State& state) {
  UnitsLookup& lookup = unitsLookup();
  for (auto _ : state) {
    lookup.run({kPgDn, kEsc});
    state.SetIterationTime(seconds(lookup.console.handed.at(0), lookup.console.waits.at(1)));
  }
}
BENCHMARK(LookupPgDn)->UseManualTime()->Unit(benchmark::kMicrosecond);

void LookupScrollOneLine(benchmark::State& state) {
  UnitsLookup& lookup = unitsLookup();
  // Down to the last line, then one more Down: the list scrolls up by a line.
  std::vector<int16_t> keys(static_cast<size_t>(lookup.lines), kDown);
  keys.push_back(kEsc);
  const size_t scroll = static_cast<size_t>(lookup.lines) - 1;
  for (auto _ : state) {
    lookup.run(keys);
    state.SetIterationTime(
        seconds(lookup.console.handed.at(scroll), lookup.console.waits.at(scroll + 1)));
  }
}
BENCHMARK(LookupScrollOneLine)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The data-file work of a first page: the positioned read, then for every line the record's
// line text and position and a step along the key.
void RawFirstPageReads(benchmark::State& state) {
  UnitsLookup& lookup = unitsLookup();
  const std::string start = lookupStartKey(kUnitsLookup);
  size_t bytes = 0;
  for (auto _ : state) {
    int16_t status = 0;
    readByKey(kUnitsFile, 0, start, 1, status);
    for (int line = 0; line < lookup.lines; ++line) {
      bytes += lookupRowText(kUnitsLookup).size();
      bytes += static_cast<size_t>(recordPosition(kUnitsFile, 0) != 0);
      moveRecords(kUnitsFile, 1, status);
      benchmark::DoNotOptimize(currentKeyCollationForm(kUnitsFile));
    }
  }
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(RawFirstPageReads)->Unit(benchmark::kMicrosecond);

// The data-file work of one more line.
void RawOneLineReads(benchmark::State& state) {
  unitsLookup();
  int16_t status = 0;
  readByKey(kUnitsFile, 0, lookupStartKey(kUnitsLookup), 1, status);
  size_t bytes = 0;
  for (auto _ : state) {
    bytes += lookupRowText(kUnitsLookup).size();
    bytes += static_cast<size_t>(recordPosition(kUnitsFile, 0) != 0);
    moveRecords(kUnitsFile, 1, status);
    benchmark::DoNotOptimize(currentKeyCollationForm(kUnitsFile));
    if (status != 0) readByKey(kUnitsFile, 0, lookupStartKey(kUnitsLookup), 1, status);
  }
  benchmark::DoNotOptimize(bytes);
}
BENCHMARK(RawOneLineReads)->Unit(benchmark::kMicrosecond);

void StartUpToPageOne(benchmark::State& state) {
  const std::string root = installation("TALMIDOR_BENCH_DEMO", "/tmp/talmidor_bench_demo", 600);
  MemoryConsole console;
  for (auto _ : state) {
    state.PauseTiming();
    int16_t status = 0;
    closeAllKeyedFiles(status);
    resetTables();
    platform().system = &benchSystem(root);
    platform().console = &console;
    console.clear();
    state.ResumeTiming();

    console.setCursorShape(CursorShape::Hidden);
    initSession();
    platform().system->changeDirectory(hostPath(session().dataRoot));
    session().programName = "TALMIDOR";
    decideSingleCustomerVariant();
    clearStaleScreenStack();
    registerHotKeyTools();
    loadFormDefinition();
    openModuleData();
    setColourClass("n");
    console.clear();
    drawFormPage(1);
    console.present();
  }
  int16_t status = 0;
  closeAllKeyedFiles(status);
  if (console.line(13).empty()) state.SkipWithError("page 1 was not drawn");
}
BENCHMARK(StartUpToPageOne)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
