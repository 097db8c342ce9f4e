#include "keyed/definition_text.h"

#include <sstream>
#include <vector>

#include "store/record_manager.h"

namespace talmidor {

namespace {

struct TypeName {
  const char* name;
  uint16_t flags;
  uint8_t extendedType;
};

constexpr TypeName kTypes[] = {
    {"string", 0, 0},
    {"binary", kKeyBinary, 0},
    {"integer", kKeyExtendedType, kTypeInteger},
    {"lstring", kKeyExtendedType, kTypeLengthString},
    {"zstring", kKeyExtendedType, kTypeZeroString},
    {"unsigned", kKeyExtendedType, kTypeUnsignedBinary},
};

bool parseNumber(const std::string& word, long& value) {
  if (word.empty()) return false;
  size_t used = 0;
  try {
    value = std::stol(word, &used, 0);
  } catch (...) {
    return false;
  }
  return used == word.size();
}

bool appendHex(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    long v = 0;
    if (!parseNumber("0x" + hex.substr(i, 2), v)) return false;
    bytes += static_cast<char>(v);
  }
  return true;
}

std::string hexByte(unsigned v) {
  const char* digits = "0123456789ABCDEF";
  return {digits[(v >> 4) & 15], digits[v & 15]};
}

}  // namespace

bool parseDefinitionText(const std::string& text, FileDefinition& definition, std::string& error) {
  FileDefinition d;
  std::string table;
  bool tableUpper = false;
  bool haveRecord = false;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& message) {
    error = "line " + std::to_string(number) + ": " + message;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    long v = 0;
    if (w[0] == "record" || w[0] == "page") {
      if (w.size() != 2 || !parseNumber(w[1], v) || v < 0 || v > 65535) {
        return fail(w[0] + " takes one number");
      }
      if (w[0] == "record") {
        d.recordLength = static_cast<uint16_t>(v);
        haveRecord = true;
      } else {
        d.pageSize = static_cast<uint16_t>(v);
      }
    } else if (w[0] == "key") {
      KeySpec key;
      SegmentSpec common;
      common.flags = 0;
      for (size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "duplicates") {
          common.flags |= kKeyDuplicates;
        } else if (w[i] == "modifiable") {
          common.flags |= kKeyModifiable;
        } else if (w[i].rfind("null=", 0) == 0 && parseNumber("0x" + w[i].substr(5), v) && v >= 0 &&
                   v <= 255) {
          common.flags |= kKeyNull;
          common.nullValue = static_cast<uint8_t>(v);
        } else {
          return fail("unknown key option \"" + w[i] + "\"");
        }
      }
      // The key's own options travel in its first segment until segments follow.
      key.segments.push_back(common);
      key.segments.back().length = 0;
      d.keys.push_back(key);
    } else if (w[0] == "segment") {
      if (d.keys.empty()) return fail("segment before any key");
      long position = 0, length = 0;
      if (w.size() < 3 || !parseNumber(w[1], position) || !parseNumber(w[2], length) ||
          position < 1 || position > 65535 || length < 1 || length > 255) {
        return fail("segment takes a position and a length");
      }
      KeySpec& key = d.keys.back();
      SegmentSpec s = key.segments.front();
      s.flags &= kKeyDuplicates | kKeyModifiable | kKeyNull;
      s.position = static_cast<uint16_t>(position);
      s.length = static_cast<uint16_t>(length);
      s.extendedType = 0;
      size_t i = 3;
      if (i < w.size()) {
        for (const auto& t : kTypes) {
          if (w[i] == t.name) {
            s.flags |= t.flags;
            s.extendedType = t.extendedType;
            ++i;
            break;
          }
        }
      }
      for (; i < w.size(); ++i) {
        if (w[i] == "descending") {
          s.flags |= kKeyDescending;
        } else if (w[i] == "nocase") {
          s.flags |= kKeyCaseInsensitive;
        } else if (w[i] == "alternate") {
          s.flags |= kKeyAlternate;
        } else {
          return fail("unknown segment word \"" + w[i] + "\"");
        }
      }
      if (key.segments.front().length == 0) {
        key.segments.front() = s;
      } else {
        key.segments.back().flags |= kKeySegmented;
        key.segments.push_back(s);
      }
    } else if (w[0] == "alternate") {
      if (w.size() != 2 || w[1].size() > 8)
        return fail("alternate takes a name of up to 8 characters");
      d.hasAlternate = true;
      d.alternateName = w[1];
      d.alternateName.resize(8, ' ');
    } else if (w[0] == "table") {
      if (w.size() == 2 && w[1] == "upper") {
        tableUpper = true;
        continue;
      }
      for (size_t i = 1; i < w.size(); ++i) {
        if (!appendHex(w[i], table)) return fail("table takes hexadecimal bytes");
      }
    } else {
      return fail("unknown word \"" + w[0] + "\"");
    }
  }
  number = 0;
  if (!haveRecord) return fail("no record length");
  for (size_t k = 0; k < d.keys.size(); ++k) {
    if (d.keys[k].segments.front().length == 0) {
      return fail("key " + std::to_string(k) + " has no segments");
    }
  }
  if (d.hasAlternate) {
    if (tableUpper) {
      for (int c = 0; c < 256; ++c) {
        d.alternateTable[c] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c);
      }
    } else if (table.size() != 256) {
      return fail("the alternate table holds " + std::to_string(table.size()) + " bytes, not 256");
    } else {
      for (int c = 0; c < 256; ++c) d.alternateTable[c] = static_cast<uint8_t>(table[c]);
    }
  }
  // What Create would say about it, now rather than at the first open.
  std::string block = creationBlock(d);
  FileDefinition check;
  int16_t status =
      parseCreationBlock(reinterpret_cast<const uint8_t*>(block.data()), block.size(), check);
  if (status != 0) return fail("the layout would be refused with status " + std::to_string(status));
  if (d.hasAlternate && !check.hasAlternate) {
    return fail("an alternate sequence is given but no segment uses it");
  }
  definition = std::move(check);
  return true;
}

std::string describeDefinition(const FileDefinition& d) {
  std::ostringstream out;
  out << "record " << d.recordLength << "\npage " << d.pageSize << "\n";
  for (const auto& key : d.keys) {
    out << "key";
    if (key.duplicates()) out << " duplicates";
    if (key.modifiable()) out << " modifiable";
    if (key.nullKey()) out << " null=" << hexByte(key.segments.front().nullValue);
    out << "\n";
    for (const auto& s : key.segments) {
      out << "segment " << s.position << " " << s.length;
      const char* type = "string";
      for (const auto& t : kTypes) {
        bool extended = s.flags & kKeyExtendedType;
        if ((extended && (t.flags & kKeyExtendedType) && t.extendedType == s.extendedType) ||
            (!extended && t.flags == (s.flags & kKeyBinary))) {
          type = t.name;
          break;
        }
      }
      out << " " << type;
      if (s.flags & kKeyDescending) out << " descending";
      if (s.flags & kKeyCaseInsensitive) out << " nocase";
      if (s.flags & kKeyAlternate) out << " alternate";
      out << "\n";
    }
  }
  if (d.hasAlternate) {
    std::string name = d.alternateName;
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    out << "alternate " << (name.empty() ? "-" : name) << "\n";
    for (int row = 0; row < 8; ++row) {
      out << "table ";
      for (int c = 0; c < 32; ++c) out << hexByte(d.alternateTable[row * 32 + c]);
      out << "\n";
    }
  }
  return out.str();
}

}  // namespace talmidor
