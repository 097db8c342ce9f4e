#include "keyed/keyedfile_tool.h"

#include <array>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "keyed/definition_text.h"
#include "store/file_definition.h"
#include "store/record_manager.h"

namespace talmidor {

namespace {

constexpr int kUsageError = 2;

constexpr const char* kUsage =
    R"(usage: keyedfile COMMAND ...

  create DATAFILE XDFFILE          create a data file from a definition file
  load DATAFILE                    insert the fixed-length records read from standard input
                                   (raw bytes, back to back), all or none, in one transaction
  dump DATAFILE [--key N]          every record in key N's order (0 by default), one line of
                                   hexadecimal each
  stat DATAFILE                    record length, number of records, keys and their segments
  lock DATAFILE --key N --value HEX
                                   read that record with a no-wait single-record lock, print
                                   "locked" and hold it until standard input closes
  exclusive DATAFILE               open the file exclusively, print "locked" and hold it until
                                   standard input closes
  makexdf TEXTFILE XDFFILE         write a definition file from a readable description
  --help                           this text

A definition file (.xdf) holds a 16-bit little-endian length N and then the N-byte creation
block. The description read by makexdf, one statement a line ("#" starts a comment):

  record 28                        record length
  page 1024                        page size (512 to 4096, a multiple of 512; default 1024)
  key duplicates modifiable        starts a key; options: duplicates, modifiable, null=HH
  segment 1 1 binary               position (from 1), length, type, options
  segment 2 20 string nocase
  alternate NAME                   the alternate collating sequence, then its 256-byte table:
  table 00010203...                hexadecimal over one or more table lines ("table upper":
                                   every byte to itself and a-z to A-Z)

Segment types: string (default), binary, integer, lstring, zstring, unsigned.
Segment options: descending, nocase, alternate.
The exit status is 0, or the record manager's status when it refused, or 2 for a usage error.
)";

struct OpenFile {
  std::array<uint8_t, 128> block{};
  bool open = false;
  ~OpenFile() {
    if (open) {
      uint32_t length = 0;
      callRecordManager(kOpClose, block.data(), nullptr, length, nullptr, 0, 0);
    }
  }
  int16_t openFile(const std::string& path, int8_t mode) {
    std::string name = path;
    if (name.size() > 255) return kStatusInvalidFileName;
    uint32_t length = 0;
    int16_t status = callRecordManager(kOpOpen, block.data(), nullptr, length, name.data(),
                                       static_cast<uint8_t>(name.size()), mode);
    open = status == kStatusOk;
    return status;
  }
  int16_t stat(std::string& data) {
    data.assign(4096, '\0');
    uint32_t length = static_cast<uint32_t>(data.size());
    int16_t status = callRecordManager(kOpStat, block.data(), data.data(), length, nullptr, 0, 0);
    data.resize(length);
    return status;
  }
};

int refused(std::ostream& err, const std::string& what, int16_t status) {
  err << "keyedfile: " << what << ": status " << status << "\n";
  return status;
}

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool unhex(const std::string& text, std::string& bytes) {
  if (text.size() % 2 != 0) return false;
  bytes.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    int v = 0;
    for (int j = 0; j < 2; ++j) {
      char c = text[i + j];
      int d = c >= '0' && c <= '9'   ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
      if (d < 0) return false;
      v = v * 16 + d;
    }
    bytes += static_cast<char>(v);
  }
  return true;
}

bool readWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The value of "--name VALUE" among args from index start; false when it is missing.
bool option(const std::vector<std::string>& args, size_t start, const std::string& name,
            std::string& value) {
  for (size_t i = start; i + 1 < args.size(); ++i) {
    if (args[i] == name) {
      value = args[i + 1];
      return true;
    }
  }
  return false;
}

bool keyOption(const std::vector<std::string>& args, int& keyNo, bool required) {
  std::string text;
  if (!option(args, 2, "--key", text)) {
    keyNo = 0;
    return !required;
  }
  try {
    size_t used = 0;
    keyNo = std::stoi(text, &used);
    return used == text.size() && keyNo >= 0 && keyNo < 128;
  } catch (...) {
    return false;
  }
}

int create(const std::string& dataFile, const std::string& xdfFile, std::ostream& out,
           std::ostream& err) {
  std::string xdf;
  if (!readWholeFile(xdfFile, xdf)) {
    err << "keyedfile: cannot read " << xdfFile << "\n";
    return kUsageError;
  }
  size_t n =
      xdf.size() >= 2
          ? static_cast<size_t>(static_cast<uint8_t>(xdf[0]) | (static_cast<uint8_t>(xdf[1]) << 8))
          : 0;
  if (xdf.size() < 2 + n) {
    err << "keyedfile: " << xdfFile << " is shorter than the length it gives\n";
    return kUsageError;
  }
  std::string block = xdf.substr(2, n);
  std::string name = dataFile;
  if (name.size() > 255) return refused(err, "create " + dataFile, kStatusInvalidFileName);
  std::array<uint8_t, 128> pb{};
  uint32_t length = static_cast<uint32_t>(block.size());
  int16_t status = callRecordManager(kOpCreate, pb.data(), block.data(), length, name.data(),
                                     static_cast<uint8_t>(name.size()), kCreateNoOverwrite);
  if (status != kStatusOk) return refused(err, "create " + dataFile, status);
  out << "created " << dataFile << "\n";
  return 0;
}

int load(const std::string& dataFile, std::istream& in, std::ostream& out, std::ostream& err) {
  OpenFile file;
  if (int16_t s = file.openFile(dataFile, kOpenNormal)) return refused(err, "open " + dataFile, s);
  std::string stat;
  if (int16_t s = file.stat(stat)) return refused(err, "stat " + dataFile, s);
  size_t recordLength = static_cast<uint8_t>(stat[0]) | (static_cast<uint8_t>(stat[1]) << 8);
  std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (recordLength == 0 || input.size() % recordLength != 0) {
    err << "keyedfile: " << input.size() << " bytes are not a whole number of " << recordLength
        << "-byte records; nothing loaded\n";
    return kStatusBufferTooShort;
  }
  uint32_t none = 0;
  if (int16_t s = callRecordManager(kOpBeginTransaction, nullptr, nullptr, none, nullptr, 0, 0)) {
    return refused(err, "begin transaction", s);
  }
  size_t count = input.size() / recordLength;
  std::string key(255, '\0');
  for (size_t i = 0; i < count; ++i) {
    std::string record = input.substr(i * recordLength, recordLength);
    uint32_t length = static_cast<uint32_t>(recordLength);
    int16_t status =
        callRecordManager(kOpInsert, file.block.data(), record.data(), length, key.data(), 255, 0);
    if (status != kStatusOk) {
      callRecordManager(kOpAbortTransaction, nullptr, nullptr, none, nullptr, 0, 0);
      err << "keyedfile: record " << i + 1 << " refused with status " << status
          << "; nothing loaded\n";
      return status;
    }
  }
  if (int16_t s = callRecordManager(kOpEndTransaction, nullptr, nullptr, none, nullptr, 0, 0)) {
    return refused(err, "end transaction; nothing loaded", s);
  }
  out << "loaded " << count << " records\n";
  return 0;
}

int dump(const std::string& dataFile, int keyNo, std::ostream& out, std::ostream& err) {
  OpenFile file;
  if (int16_t s = file.openFile(dataFile, kOpenNormal)) return refused(err, "open " + dataFile, s);
  std::string data(4096, '\0');
  std::string key(255, '\0');
  uint16_t op = kOpGetFirst;
  for (;;) {
    uint32_t length = static_cast<uint32_t>(data.size());
    int16_t status = callRecordManager(op, file.block.data(), data.data(), length, key.data(), 255,
                                       static_cast<int8_t>(keyNo));
    if (status == kStatusEndOfFile) return 0;
    if (status != kStatusOk) return refused(err, "read " + dataFile, status);
    out << hex(data.substr(0, length)) << "\n";
    op = kOpGetNext;
  }
}

int stat(const std::string& dataFile, std::ostream& out, std::ostream& err) {
  OpenFile file;
  if (int16_t s = file.openFile(dataFile, kOpenNormal)) return refused(err, "open " + dataFile, s);
  std::string data;
  if (int16_t s = file.stat(data)) return refused(err, "stat " + dataFile, s);
  FileDefinition def;
  if (int16_t s =
          parseCreationBlock(reinterpret_cast<const uint8_t*>(data.data()), data.size(), def)) {
    return refused(err, "read the statistics of " + dataFile, s);
  }
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(data[at + i]);
    return v;
  };
  out << "record length " << def.recordLength << "\n";
  out << "records " << u32(6) << "\n";
  out << "keys " << def.keys.size() << "\n";
  size_t at = kFileSpecSize;
  for (size_t k = 0; k < def.keys.size(); ++k) {
    out << "key " << k << ": length " << def.keys[k].length() << ", " << u32(at + 6)
        << " distinct values" << (def.keys[k].duplicates() ? ", duplicates" : "")
        << (def.keys[k].modifiable() ? ", modifiable" : "") << "\n";
    at += kSegmentSpecSize * def.keys[k].segments.size();
  }
  out << "layout:\n" << describeDefinition(def);
  return 0;
}

// Waits for standard input to close.
void holdUntilInputCloses(std::istream& in) {
  char c;
  while (in.get(c)) {
  }
}

int lock(const std::string& dataFile, int keyNo, const std::string& value, std::istream& in,
         std::ostream& out, std::ostream& err) {
  OpenFile file;
  if (int16_t s = file.openFile(dataFile, kOpenNormal)) return refused(err, "open " + dataFile, s);
  std::string key(255, '\0');
  key.replace(0, std::min<size_t>(value.size(), 255), value.substr(0, 255));
  std::string data(4096, '\0');
  uint32_t length = static_cast<uint32_t>(data.size());
  int16_t status = callRecordManager(
      kOpGetEqual + kLockBiasNoWait, file.block.data(), data.data(), length, key.data(),
      static_cast<uint8_t>(std::min<size_t>(value.size(), 255)), static_cast<int8_t>(keyNo));
  if (status != kStatusOk) return refused(err, "lock", status);
  out << "locked" << std::endl;
  holdUntilInputCloses(in);
  return 0;
}

int exclusive(const std::string& dataFile, std::istream& in, std::ostream& out, std::ostream& err) {
  OpenFile file;
  if (int16_t s = file.openFile(dataFile, kOpenExclusive)) {
    return refused(err, "open " + dataFile + " exclusively", s);
  }
  out << "locked" << std::endl;
  holdUntilInputCloses(in);
  return 0;
}

int makeXdf(const std::string& textFile, const std::string& xdfFile, std::ostream& out,
            std::ostream& err) {
  std::string text;
  if (!readWholeFile(textFile, text)) {
    err << "keyedfile: cannot read " << textFile << "\n";
    return kUsageError;
  }
  FileDefinition def;
  std::string error;
  if (!parseDefinitionText(text, def, error)) {
    err << "keyedfile: " << textFile << ": " << error << "\n";
    return kUsageError;
  }
  std::string block = creationBlock(def);
  std::ofstream file(xdfFile, std::ios::binary | std::ios::trunc);
  file.put(static_cast<char>(block.size() & 0xFF));
  file.put(static_cast<char>(block.size() >> 8));
  file << block;
  file.close();
  if (!file) {
    err << "keyedfile: cannot write " << xdfFile << "\n";
    return kUsageError;
  }
  out << "wrote " << xdfFile << " (" << block.size() << "-byte creation block)\n";
  return 0;
}

}  // namespace

int runKeyedFileTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
  const std::string command = args.empty() ? "" : args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return 0;
  }
  int keyNo = 0;
  std::string value, bytes;
  if (command == "create" && args.size() == 3) return create(args[1], args[2], out, err);
  if (command == "load" && args.size() == 2) return load(args[1], in, out, err);
  if (command == "dump" && (args.size() == 2 || args.size() == 4) &&
      keyOption(args, keyNo, false)) {
    return dump(args[1], keyNo, out, err);
  }
  if (command == "stat" && args.size() == 2) return stat(args[1], out, err);
  if (command == "lock" && args.size() == 6 && keyOption(args, keyNo, true) &&
      option(args, 2, "--value", value) && unhex(value, bytes)) {
    return lock(args[1], keyNo, bytes, in, out, err);
  }
  if (command == "exclusive" && args.size() == 2) return exclusive(args[1], in, out, err);
  if (command == "makexdf" && args.size() == 3) return makeXdf(args[1], args[2], out, err);
  err << kUsage;
  return kUsageError;
}

}  // namespace talmidor
