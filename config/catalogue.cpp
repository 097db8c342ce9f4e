#include "config/catalogue.h"

#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unordered_map>

#include "config/session.h"
#include "platform/paths.h"

namespace talmidor {

namespace {

namespace fs = std::filesystem;

using Translations = std::array<std::string, 3>;  // Galician, Aranese, Spanish

struct CatalogueState {
  std::string name;  // taken from programName on the first translation, kept for the run
  bool cacheEnabled = true;
  // The catalogue as last read, with what identified the file then.
  bool cached = false;
  std::string cachedPath;
  std::uintmax_t cachedSize = 0;
  fs::file_time_type cachedTime{};
  std::unordered_map<std::string, Translations> entries;  // first record of a key only
};

CatalogueState state;

// Reads the catalogue's comma-separated fields one at a time.
class FieldReader {
 public:
  explicit FieldReader(std::streambuf& in) : in_(in) {}

  bool atEnd() {
    if (!ended_) {
      Traits::int_type c = peek();
      if (Traits::eq_int_type(c, Traits::eof()) || c == 0x1A) ended_ = true;
    }
    return ended_;
  }

  // The next field; "" at the end of the file.
  std::string next() {
    std::string field;
    while (!atEnd() && peek() == ' ') take();
    if (atEnd()) return field;
    if (peek() == '"') {
      take();
      // Up to the closing quote; an unterminated quote runs to the end of the file.
      while (!atEnd()) {
        char c = Traits::to_char_type(take());
        if (c == '"') break;
        field.push_back(c);
      }
      while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n')) {
        take();
      }
      // The comma or line end that closes the field. Anything else already belongs to the
      // next field, which is how a file with LF line ends still reads record by record.
      if (!atEnd()) {
        Traits::int_type c = peek();
        if (c == ',') {
          take();
        } else if (c == '\r') {
          skipLineEnd();
        }
      }
      return field;
    }
    while (!atEnd()) {
      Traits::int_type c = peek();
      if (c == ',') {
        take();
        break;
      }
      if (c == '\r') {
        skipLineEnd();
        break;
      }
      take();
      if (c != '\t' && c != '\n') field.push_back(Traits::to_char_type(c));
    }
    return field;
  }

 private:
  using Traits = std::streambuf::traits_type;

  // A carriage return with an optional line feed after it.
  void skipLineEnd() {
    take();
    if (!atEnd() && peek() == '\n') take();
  }

  // A read error (the path names a directory, say) ends the file where it stands.
  Traits::int_type peek() {
    if (ended_) return Traits::eof();
    try {
      return in_.sgetc();
    } catch (const std::exception&) {
      ended_ = true;
      return Traits::eof();
    }
  }
  Traits::int_type take() {
    if (ended_) return Traits::eof();
    try {
      return in_.sbumpc();
    } catch (const std::exception&) {
      ended_ = true;
      return Traits::eof();
    }
  }

  std::streambuf& in_;
  bool ended_ = false;
};

// Which of the translated fields a language reads: -1 when it has none.
int translationIndex(const std::string& language) {
  if (language == "GLG") return 0;
  if (language == "OCI") return 1;
  if (language == "SPA") return 2;
  return -1;
}

// Reads a record's fields 2 to 4 after its first field; missing ones stay empty.
Translations readTranslations(FieldReader& reader) {
  Translations translations;
  for (auto& text : translations) text = reader.next();
  return translations;
}

// One sequential pass up to the first record of the key.
std::string scanCatalogue(const std::string& path, const std::string& catalan, int index) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return catalan;
  FieldReader reader(*in.rdbuf());
  while (!reader.atEnd()) {
    std::string key = reader.next();
    // A key alone at the very end has no record behind it.
    if (reader.atEnd()) break;
    Translations translations = readTranslations(reader);
    if (key == catalan) return translations[static_cast<size_t>(index)];
  }
  return catalan;
}

void loadCatalogue(const std::string& path) {
  state.entries.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  FieldReader reader(*in.rdbuf());
  while (!reader.atEnd()) {
    std::string key = reader.next();
    if (reader.atEnd()) break;
    Translations translations = readTranslations(reader);
    state.entries.emplace(std::move(key), std::move(translations));
  }
}

// The cached catalogue, re-read when the file is another one or has changed on disk since.
const std::unordered_map<std::string, Translations>* currentEntries(const std::string& path) {
  std::error_code sizeError;
  std::error_code timeError;
  std::uintmax_t size = fs::file_size(path, sizeError);
  fs::file_time_type time = fs::last_write_time(path, timeError);
  if (sizeError || timeError) {
    state.cached = false;
    state.entries.clear();
    return nullptr;
  }
  if (!state.cached || state.cachedPath != path || state.cachedSize != size ||
      state.cachedTime != time) {
    loadCatalogue(path);
    state.cached = true;
    state.cachedPath = path;
    state.cachedSize = size;
    state.cachedTime = time;
  }
  return &state.entries;
}

}  // namespace

std::string translate(const std::string& catalan) {
  const SessionSettings& s = session();
  if (s.language == "CAT") return catalan;
  if (state.name.empty()) state.name = s.programName;
  const std::string path = hostPath(s.dataRoot + "LOCALE\\" + state.name + ".LNG");

  // A language without a catalogue of its own still leaves an empty catalogue behind.
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    std::ofstream create(path, std::ios::binary | std::ios::app);
  }

  int index = translationIndex(s.language);
  if (index < 0) return catalan;
  if (!state.cacheEnabled) return scanCatalogue(path, catalan, index);
  const auto* entries = currentEntries(path);
  if (entries == nullptr) return catalan;
  auto found = entries->find(catalan);
  return found == entries->end() ? catalan : found->second[static_cast<size_t>(index)];
}

void resetCatalogue() {
  state = CatalogueState();
}

void setCatalogueCache(bool enabled) {
  state.cacheEnabled = enabled;
}

}  // namespace talmidor
