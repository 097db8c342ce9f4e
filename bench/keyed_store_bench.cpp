// The keyed-file store beside plain SQLite doing the same work on the same data file: a
// prepared statement stepping the same index the store uses (the layout is the one described
// in store/sqlite_engine.h). The data file, 1,000,000 records of 64 bytes with a unique 4-byte
// binary key inserted in shuffled order, is built on the first run and kept in the temporary
// directory for the next ones.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "keyed/keyed_files.h"
#include "keyed/records.h"
#include "store/file_definition.h"
#include "store/record_manager.h"

namespace talmidor {
namespace {

constexpr uint32_t kRecords = 1000000;
constexpr uint32_t kRecordLength = 64;

std::string dataPath() {
  return (std::filesystem::temp_directory_path() / "talmidor_bench_1m.dat").string();
}

std::string keyOf(uint32_t n) {
  std::string k(4, '\0');
  for (int i = 0; i < 4; ++i) k[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return k;
}

// Record n: key n*2 (so that odd keys are missing), a name, filler.
std::string recordOf(uint32_t n) {
  std::string r(kRecordLength, '.');
  r.replace(0, 4, keyOf(n * 2));
  std::string name = "NAME " + std::to_string(n % 1000);
  r.replace(4, name.size(), name);
  return r;
}

struct Open {
  std::array<uint8_t, 128> block{};
  std::string data = std::string(1536, '\0');
  std::string key = std::string(255, '\0');
};

Open* file = nullptr;
sqlite3* raw = nullptr;

int16_t call(uint16_t op, const std::string& keyValue = "") {
  if (!keyValue.empty()) file->key.replace(0, keyValue.size(), keyValue);
  uint32_t length = 1536;
  return callRecordManager(op, file->block.data(), file->data.data(), length, file->key.data(), 255,
                           0);
}

bool hasAllRecords(const std::string& path) {
  if (!std::filesystem::exists(path)) return false;
  Open probe;
  std::string name = path;
  uint32_t length = 0;
  if (callRecordManager(kOpOpen, probe.block.data(), nullptr, length, name.data(),
                        static_cast<uint8_t>(name.size()), 0) != 0) {
    return false;
  }
  length = 1536;
  callRecordManager(kOpStat, probe.block.data(), probe.data.data(), length, nullptr, 0, 0);
  uint32_t records = 0;
  std::memcpy(&records, probe.data.data() + 6, 4);
  length = 0;
  callRecordManager(kOpClose, probe.block.data(), nullptr, length, nullptr, 0, 0);
  return records == kRecords;
}

void buildDataFile(const std::string& path) {
  std::fprintf(stderr, "building %s (%u records)...\n", path.c_str(), kRecords);
  FileDefinition def;
  def.recordLength = kRecordLength;
  SegmentSpec s;
  s.position = 1;
  s.length = 4;
  s.flags = kKeyBinary;
  def.keys.push_back({{s}});
  std::string block = creationBlock(def);
  std::string name = path;
  Open f;
  uint32_t length = static_cast<uint32_t>(block.size());
  callRecordManager(kOpCreate, f.block.data(), block.data(), length, name.data(),
                    static_cast<uint8_t>(name.size()), 0);
  callRecordManager(kOpOpen, f.block.data(), nullptr, length, name.data(),
                    static_cast<uint8_t>(name.size()), 0);
  std::vector<uint32_t> order(kRecords);
  for (uint32_t i = 0; i < kRecords; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(42));
  callRecordManager(kOpBeginTransaction, nullptr, nullptr, length, nullptr, 0, 0);
  for (uint32_t n : order) {
    std::string r = recordOf(n);
    length = kRecordLength;
    if (callRecordManager(kOpInsert, f.block.data(), r.data(), length, f.key.data(), 255, 0) != 0) {
      std::fprintf(stderr, "insert refused\n");
      std::exit(1);
    }
  }
  callRecordManager(kOpEndTransaction, nullptr, nullptr, length, nullptr, 0, 0);
  callRecordManager(kOpClose, f.block.data(), nullptr, length, nullptr, 0, 0);
}

std::vector<std::string> randomKeys(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<uint32_t> pick(0, kRecords - 1);
  std::vector<std::string> keys;
  for (size_t i = 0; i < count; ++i) keys.push_back(keyOf(pick(random) * 2));
  return keys;
}

// --- Get Next over the whole file ---

void BM_Scan_GetNext(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t n = 0;
    for (int16_t s = call(kOpGetFirst); s == 0; s = call(kOpGetNext)) ++n;
    if (n != kRecords) state.SkipWithError("records missing");
    benchmark::DoNotOptimize(file->data.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Scan_GetNext)->Unit(benchmark::kMillisecond);

void BM_Scan_RawSqlite(benchmark::State& state) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw,
                     "SELECT pos, data, k0 FROM records WHERE (k0, p) > (?1, ?2) ORDER BY k0, p",
                     -1, &stmt, nullptr);
  std::string data(1536, '\0'), key(255, '\0');
  for (auto _ : state) {
    sqlite3_bind_blob(stmt, 1, "", 0, SQLITE_STATIC);
    sqlite3_bind_int64(stmt, 2, 0);
    uint32_t n = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::memcpy(data.data(), sqlite3_column_blob(stmt, 1), sqlite3_column_bytes(stmt, 1));
      std::memcpy(key.data(), sqlite3_column_blob(stmt, 2), sqlite3_column_bytes(stmt, 2));
      ++n;
    }
    sqlite3_reset(stmt);
    if (n != kRecords) state.SkipWithError("records missing");
    benchmark::DoNotOptimize(data.data());
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Scan_RawSqlite)->Unit(benchmark::kMillisecond);

// --- Get Equal on random keys ---

void BM_Equal_GetEqual(benchmark::State& state) {
  std::vector<std::string> keys = randomKeys(65536, 7);
  size_t i = 0;
  for (auto _ : state) {
    if (call(kOpGetEqual, keys[i++ & 65535]) != 0) state.SkipWithError("not found");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Equal_GetEqual);

void BM_Equal_RawSqlite(benchmark::State& state) {
  std::vector<std::string> keys = randomKeys(65536, 7);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw,
                     "SELECT pos, data, k0 FROM records WHERE (k0, p) > (?1, 0) ORDER BY k0, p", -1,
                     &stmt, nullptr);
  std::string data(1536, '\0');
  size_t i = 0;
  for (auto _ : state) {
    // The stored form of a binary key is its bytes reversed.
    std::string form = keys[i++ & 65535];
    std::reverse(form.begin(), form.end());
    sqlite3_bind_blob(stmt, 1, form.data(), 4, SQLITE_STATIC);
    if (sqlite3_step(stmt) != SQLITE_ROW) state.SkipWithError("not found");
    std::memcpy(data.data(), sqlite3_column_blob(stmt, 1), sqlite3_column_bytes(stmt, 1));
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Equal_RawSqlite);

// --- Opening a lookup list in the middle: Get Greater or Equal, then 20 Get Next ---

void BM_Lookup_GetGreaterOrEqualAnd20Next(benchmark::State& state) {
  std::mt19937 random(11);
  std::uniform_int_distribution<uint32_t> pick(kRecords / 4, kRecords / 4 * 3);
  for (auto _ : state) {
    if (call(kOpGetGreaterOrEqual, keyOf(pick(random) * 2 + 1)) != 0) state.SkipWithError("end");
    for (int k = 0; k < 20; ++k) {
      if (call(kOpGetNext) != 0) state.SkipWithError("end");
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup_GetGreaterOrEqualAnd20Next)->Unit(benchmark::kMicrosecond);

void BM_Lookup_RawSqlite(benchmark::State& state) {
  std::mt19937 random(11);
  std::uniform_int_distribution<uint32_t> pick(kRecords / 4, kRecords / 4 * 3);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw,
                     "SELECT pos, data, k0 FROM records WHERE (k0, p) > (?1, 0) ORDER BY k0, p", -1,
                     &stmt, nullptr);
  std::string data(1536, '\0');
  for (auto _ : state) {
    std::string form = keyOf(pick(random) * 2 + 1);
    std::reverse(form.begin(), form.end());
    sqlite3_bind_blob(stmt, 1, form.data(), 4, SQLITE_STATIC);
    for (int k = 0; k < 21; ++k) {
      if (sqlite3_step(stmt) != SQLITE_ROW) state.SkipWithError("end");
      std::memcpy(data.data(), sqlite3_column_blob(stmt, 1), sqlite3_column_bytes(stmt, 1));
    }
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup_RawSqlite)->Unit(benchmark::kMicrosecond);

// The same through the keyed-file layer, with what a lookup window asks for each line it
// lists: the record's position and the collation forms that decide whether it is still in
// range (each of which reads the file statistics).
void BM_Lookup_KeyedLayer(benchmark::State& state) {
  static char area[kRecordLength];
  int16_t status = -1;
  openKeyedFile(501, dataPath(), area, status);
  if (status != 0) state.SkipWithError("open");
  std::mt19937 random(11);
  std::uniform_int_distribution<uint32_t> pick(kRecords / 4, kRecords / 4 * 3);
  for (auto _ : state) {
    std::string start = keyOf(pick(random) * 2 + 1);
    readByKey(501, 0, start, 1, status);
    std::string startForm = collationForm(start, 501);
    for (int k = 0; k < 20 && status == 0; ++k) {
      benchmark::DoNotOptimize(recordPosition(501, 0));
      benchmark::DoNotOptimize(collationForm(currentKeyCollationForm(501), 501) < startForm);
      moveRecords(501, 1, status);
    }
    if (status != 0) state.SkipWithError("end");
  }
  closeAllKeyedFiles(status);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup_KeyedLayer)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace talmidor

int main(int argc, char** argv) {
  using namespace talmidor;
  benchmark::Initialize(&argc, argv);
  std::string path = dataPath();
  if (!hasAllRecords(path)) {
    std::filesystem::remove(path);
    buildDataFile(path);
  }
  Open opened;
  file = &opened;
  std::string name = path;
  uint32_t length = 0;
  if (callRecordManager(kOpOpen, opened.block.data(), nullptr, length, name.data(),
                        static_cast<uint8_t>(name.size()), 0) != 0 ||
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_exec(raw, "PRAGMA mmap_size = 268435456; PRAGMA cache_size = -32768", nullptr,
                   nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  sqlite3_close(raw);
  resetRecordManager();
  benchmark::Shutdown();
  return 0;
}
