// The message catalogue and the number masks, measured the way the form uses them: the form
// loader translates about a hundred labels at start-up, and every numeric field shown goes
// through formatNumber.
//
// Translate compares, in one run, the catalogue kept in memory (cold: read and indexed on
// the first label; warm: already indexed) with the plain way of scanning the file up to
// the matching record for every label. FormatNumber compares the edit mask with the C
// library's plain "%.2f".

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/session.h"
#include "text/number.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 20000;
constexpr int kLabels = 100;

std::string label(int i) {
  return "Etiqueta del formulari " + std::to_string(i);
}

// A catalogue of kRecords records in a temporary installation; returns its data root.
const std::string& installation() {
  static const std::string root = [] {
    fs::path dir = fs::temp_directory_path() / "talmidor_translate_bench";
    fs::create_directories(dir / "LOCALE");
    std::ofstream out(dir / "LOCALE" / "TALMIDOR.LNG", std::ios::binary | std::ios::trunc);
    for (int i = 0; i < kRecords; ++i) {
      out << '"' << label(i) << "\",\"Etiqueta do formulario " << i << "\",\"Etiqueta deth " << i
          << "\",\"Etiqueta del formulario " << i << "\"\r\n";
    }
    return dir.string() + "/";
  }();
  return root;
}

// The labels of one form: spread over the whole catalogue, as a form's texts are.
const std::vector<std::string>& formLabels() {
  static const std::vector<std::string> labels = [] {
    std::vector<std::string> list;
    for (int i = 0; i < kLabels; ++i) list.push_back(label(i * (kRecords / kLabels) + 17));
    return list;
  }();
  return labels;
}

void useInstallation(bool cache) {
  talmidor::resetSession();
  talmidor::resetCatalogue();
  talmidor::setCatalogueCache(cache);
  talmidor::session().dataRoot = installation();
  talmidor::session().programName = "TALMIDOR";
  talmidor::session().language = "SPA";
}

// state.range(0): 0 scans the file for every label, 1 keeps the catalogue in memory and
// reads it again for every form (a fresh start of the program), 2 keeps it between forms.
void BM_Translate100Labels(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  useInstallation(mode != 0);
  if (mode == 2) talmidor::translate(formLabels()[0]);
  for (auto _ : state) {
    if (mode == 1) talmidor::resetCatalogue();
    for (const std::string& text : formLabels()) {
      benchmark::DoNotOptimize(talmidor::translate(text));
    }
  }
  state.SetLabel(mode == 0 ? "scan per label" : mode == 1 ? "cache, cold" : "cache, warm");
  state.counters["labels/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kLabels,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Translate100Labels)
    ->ArgName("mode")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

const double kValues[] = {0, 5, -1234567.5, 1234.5, 0.125, 987654321.99, -3.25, 42};

void BM_FormatNumber(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        talmidor::formatNumber("-ZZ,ZZZ,ZZZ,ZZZ,ZZ9.99", kValues[i++ % std::size(kValues)]));
  }
}
BENCHMARK(BM_FormatNumber);

void BM_PlainPrintf(benchmark::State& state) {
  size_t i = 0;
  char buffer[64];
  for (auto _ : state) {
    std::snprintf(buffer, sizeof buffer, "%22.2f", kValues[i++ % std::size(kValues)]);
    benchmark::DoNotOptimize(std::string(buffer));
  }
}
BENCHMARK(BM_PlainPrintf);

}  // namespace

BENCHMARK_MAIN();
