#include "config/catalogue.h"

#include <array>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/session.h"
#include "platform/paths.h"

namespace talmidor {

namespace {

namespace fs = std::filesystem;

// The bytes of a file, in a buffer that is reused from one read to the next and never
// moves while its texts are in use.
struct FileBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  size_t capacity = 0;

  void reserveMore(size_t more) {
    if (capacity - size >= more) return;
    auto bigger = std::make_unique_for_overwrite<char[]>(size + more);
    if (size > 0) std::memcpy(bigger.get(), data.get(), size);
    data = std::move(bigger);
    capacity = size + more;
  }
};

using Record = std::array<std::string_view, 4>;  // Catalan, Galician, Aranese, Spanish

// The catalogue in memory: the file's bytes, each record's fields as texts inside them, and
// an open-addressing index from a key to its first record.
struct CachedCatalogue {
  FileBytes bytes;
  std::vector<Record> records;
  std::vector<uint32_t> index;  // record number + 1; 0 for a free slot
};

struct CatalogueState {
  std::string name;  // taken from programName on the first translation, kept for the run
  bool cacheEnabled = true;
  // What identified the file when it was read: the path asked for, the host path it was
  // found at, its size and its modification time.
  bool cached = false;
  std::string cachedSuitePath;
  std::string cachedHostPath;
  std::uintmax_t cachedSize = 0;
  fs::file_time_type cachedTime{};
  CachedCatalogue catalogue;
  FileBytes scanBuffer;  // reused by the reads without the cache
};

CatalogueState state;

// Reads the whole file into bytes. A file that cannot be read gives nothing; a read error
// keeps what was read before it.
void readWholeFile(const std::string& path, FileBytes& bytes) {
  bytes.size = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::error_code ec;
  std::uintmax_t expected = fs::file_size(path, ec);
  try {
    // One read of the size the file has now, then whatever it has grown by meanwhile.
    size_t chunk = !ec && expected > 0 ? static_cast<size_t>(expected) + 1 : 65536;
    for (;;) {
      bytes.reserveMore(chunk);
      in.read(bytes.data.get() + bytes.size, static_cast<std::streamsize>(chunk));
      bytes.size += static_cast<size_t>(in.gcount());
      if (!in) break;
      chunk = 65536;
    }
  } catch (const std::exception&) {
    // A directory in the catalogue's place, say: what was read counts.
  }
}

// The catalogue's fields, one after the other: separated by a comma or a line end (CR with
// an optional LF), quoted or not; the byte 0x1A ends the file. Fields come back as texts
// inside the buffer: an unquoted field that drops tabs or line feeds is closed up in place.
class FieldReader {
 public:
  FieldReader(char* data, size_t size) : data_(data) {
    const void* mark = size > 0 ? std::memchr(data, 0x1A, size) : nullptr;
    size_ = mark ? static_cast<size_t>(static_cast<const char*>(mark) - data) : size;
  }

  bool atEnd() const { return at_ >= size_; }

  std::string_view next() {
    while (at_ < size_ && data_[at_] == ' ') ++at_;
    if (atEnd()) return {};
    if (data_[at_] == '"') {
      // Up to the closing quote; an unterminated quote runs to the end of the file.
      size_t start = at_ + 1;
      const void* quote = std::memchr(data_ + start, '"', size_ - start);
      size_t close = quote ? static_cast<size_t>(static_cast<const char*>(quote) - data_) : size_;
      at_ = close + 1;
      while (at_ < size_ && (data_[at_] == ' ' || data_[at_] == '\t' || data_[at_] == '\n')) {
        ++at_;
      }
      // The comma or line end that closes the field. Anything else already belongs to the
      // next field, which is how a file with LF line ends still reads record by record.
      if (at_ < size_) {
        if (data_[at_] == ',') {
          ++at_;
        } else if (data_[at_] == '\r') {
          skipLineEnd();
        }
      }
      return {data_ + start, close - start};
    }
    // Without quotes: to the next comma or line end, tabs and line feeds dropped.
    const size_t start = at_;
    size_t end = at_;  // end of the closed-up text
    for (;;) {
      size_t stop = at_;
      while (stop < size_ && !isFieldStop(data_[stop])) ++stop;
      if (end != at_) std::memmove(data_ + end, data_ + at_, stop - at_);
      end += stop - at_;
      at_ = stop;
      if (atEnd()) break;
      char c = data_[at_];
      if (c == ',') {
        ++at_;
        break;
      }
      if (c == '\r') {
        skipLineEnd();
        break;
      }
      ++at_;  // a tab or line feed inside the field
    }
    return {data_ + start, end - start};
  }

 private:
  static bool isFieldStop(char c) { return c == ',' || c == '\r' || c == '\t' || c == '\n'; }

  void skipLineEnd() {
    ++at_;
    if (at_ < size_ && data_[at_] == '\n') ++at_;
  }

  char* data_;
  size_t size_;
  size_t at_ = 0;
};

// Reads one record: false when the file ends right after its first field (a key alone at
// the very end has no record behind it). Missing fields of a record cut short are empty.
bool readRecord(FieldReader& reader, Record& record) {
  record[0] = reader.next();
  if (reader.atEnd()) return false;
  for (size_t i = 1; i < 4; ++i) record[i] = reader.next();
  return true;
}

// Which field a language reads (1 Galician, 2 Aranese, 3 Spanish); 0 when it has none.
size_t translationField(const std::string& language) {
  if (language == "GLG") return 1;
  if (language == "OCI") return 2;
  if (language == "SPA") return 3;
  return 0;
}

// Without the cache: one pass up to the first record of the key.
std::string scanCatalogue(const std::string& path, const std::string& catalan, size_t field) {
  readWholeFile(path, state.scanBuffer);
  FieldReader reader(state.scanBuffer.data.get(), state.scanBuffer.size);
  Record record;
  while (!reader.atEnd() && readRecord(reader, record)) {
    if (record[0] == catalan) return std::string(record[field]);
  }
  return catalan;
}

size_t indexSlot(const CachedCatalogue& catalogue, std::string_view key) {
  const size_t mask = catalogue.index.size() - 1;
  size_t slot = std::hash<std::string_view>{}(key)&mask;
  while (catalogue.index[slot] != 0 && catalogue.records[catalogue.index[slot] - 1][0] != key) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

void loadCatalogue(const std::string& path, CachedCatalogue& catalogue) {
  catalogue.records.clear();
  readWholeFile(path, catalogue.bytes);
  // A record is usually one line: reserving for every line spares the copies of growth.
  size_t lines = 1;
  const char* at = catalogue.bytes.data.get();
  const char* const end = at + catalogue.bytes.size;
  while (at < end && (at = static_cast<const char*>(
                          std::memchr(at, '\r', static_cast<size_t>(end - at)))) != nullptr) {
    ++lines;
    ++at;
  }
  catalogue.records.reserve(lines);
  FieldReader reader(catalogue.bytes.data.get(), catalogue.bytes.size);
  Record record;
  while (!reader.atEnd() && readRecord(reader, record)) catalogue.records.push_back(record);
  // At most half full, so that probing stays short.
  size_t slots = 16;
  while (slots < 2 * catalogue.records.size()) slots *= 2;
  catalogue.index.assign(slots, 0);
  for (size_t r = 0; r < catalogue.records.size(); ++r) {
    size_t slot = indexSlot(catalogue, catalogue.records[r][0]);
    // The first record of a key wins.
    if (catalogue.index[slot] == 0) catalogue.index[slot] = static_cast<uint32_t>(r + 1);
  }
}

bool fileStamp(const std::string& path, std::uintmax_t& size, fs::file_time_type& time) {
  std::error_code sizeError;
  std::error_code timeError;
  size = fs::file_size(path, sizeError);
  time = fs::last_write_time(path, timeError);
  return !sizeError && !timeError;
}

// Makes the catalogue exist (an empty one when there is none); its host path.
std::string ensureCatalogue(const std::string& suitePath) {
  std::string path = hostPath(suitePath);
  std::error_code ec;
  if (!fs::exists(path, ec)) std::ofstream create(path, std::ios::binary | std::ios::app);
  return path;
}

// The catalogue in memory, read again when the file has changed on disk since.
const CachedCatalogue* cachedCatalogue(const std::string& suitePath) {
  std::uintmax_t size = 0;
  fs::file_time_type time{};
  // The host path found last time is checked first: one look at the file per call.
  if (state.cached && state.cachedSuitePath == suitePath &&
      fileStamp(state.cachedHostPath, size, time)) {
    if (size == state.cachedSize && time == state.cachedTime) return &state.catalogue;
  }
  state.cached = false;
  const std::string path = ensureCatalogue(suitePath);
  if (!fileStamp(path, size, time)) return nullptr;
  loadCatalogue(path, state.catalogue);
  state.cached = true;
  state.cachedSuitePath = suitePath;
  state.cachedHostPath = path;
  state.cachedSize = size;
  state.cachedTime = time;
  return &state.catalogue;
}

}  // namespace

std::string translate(const std::string& catalan) {
  const SessionSettings& s = session();
  if (s.language == "CAT") return catalan;
  if (state.name.empty()) state.name = s.programName;
  const std::string suitePath = s.dataRoot + "LOCALE\\" + state.name + ".LNG";
  const size_t field = translationField(s.language);

  if (!state.cacheEnabled || field == 0) {
    // Every language but Catalan leaves a catalogue behind, even an empty one.
    const std::string path = ensureCatalogue(suitePath);
    return field == 0 ? catalan : scanCatalogue(path, catalan, field);
  }
  const CachedCatalogue* catalogue = cachedCatalogue(suitePath);
  if (catalogue == nullptr) return catalan;
  uint32_t found = catalogue->index[indexSlot(*catalogue, catalan)];
  return found == 0 ? catalan : std::string(catalogue->records[found - 1][field]);
}

void resetCatalogue() {
  state = CatalogueState();
}

void setCatalogueCache(bool enabled) {
  state.cacheEnabled = enabled;
}

}  // namespace talmidor
