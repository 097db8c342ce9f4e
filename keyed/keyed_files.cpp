#include "keyed/keyed_files.h"

#include <fstream>
#include <string_view>

#include "config/session.h"
#include "console/help.h"
#include "console/keys.h"
#include "console/screen_stack.h"
#include "keyed/file_statistics.h"
#include "platform/cp850.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "store/record_manager.h"

namespace talmidor {

namespace {

KeyedFileTable table;

constexpr int kSlots = 40;
constexpr int kOpenRetryMilliseconds = 3000;
constexpr int kFatalExitCode = 1;
constexpr int kMaxDiscardedEvents = 1024;

// The owner name given to Open: four digit characters joined at run time, then a zero byte.
constexpr char kOwner1 = '1', kOwner2 = '9', kOwner3 = '9', kOwner4 = '5';

std::string ownerName() {
  std::string owner;
  owner += kOwner1;
  owner += kOwner2;
  owner += kOwner3;
  owner += kOwner4;
  owner += '\0';
  return owner;
}

std::string_view openFailureText(const std::string& language) {
  if (language == "SPA") return "NO SE PUEDE ACCEDER AL FICHERO "_cp;
  if (language == "GLG") return "NOM SE PODE ACEDER AO FICHEIRO "_cp;
  if (language == "OCI") return "NON SE PÊT ACCEDIR ATH FICH╚R "_cp;
  return "NO ES POT ACCEDIR AL FITXER "_cp;
}

struct SplitPath {
  std::string directory, base, extension;
};

// Scans from the end: the first separator (":", "\" or "/") met ends the directory part; every
// dot met before it moves the start of the extension, so the extension begins at the first
// dot of the last component. No dot: ".dat".
SplitPath splitPath(const std::string& path) {
  SplitPath out;
  size_t baseStart = 0;
  size_t baseEnd = path.size();
  for (size_t i = path.size(); i > 0; --i) {
    char c = path[i - 1];
    if (c == ':' || c == '\\' || c == '/') {
      baseStart = i;
      break;
    }
    if (c == '.') {
      out.extension = path.substr(i - 1);
      baseEnd = i - 1;
    }
  }
  out.directory = path.substr(0, baseStart);
  out.base = path.substr(baseStart, baseEnd - baseStart);
  if (out.extension.empty()) out.extension = ".dat";
  return out;
}

int16_t callWithName(uint16_t operation, FileSlot& slot, std::string& data,
                     const std::string& hostName, int8_t keyNumber) {
  std::string key = hostName;
  key += '\0';
  uint32_t length = static_cast<uint32_t>(data.size());
  return callRecordManager(operation, slot.positionBlock.data(), data.data(), length, key.data(),
                           static_cast<uint8_t>(hostName.size()), keyNumber);
}

// Creates the missing data file from dataRoot + "ddf\" + base + ".xdf": a 16-bit length N,
// then the N-byte creation block. A missing or short definition gives a block of blanks, which
// the record manager refuses.
int16_t createFromDefinition(FileSlot& slot, const std::string& base, const std::string& hostName) {
  std::string definition = hostPath(session().dataRoot + "ddf\\" + base + ".xdf");
  std::string block;
  std::ifstream in(definition, std::ios::binary);
  unsigned char header[2] = {0, 0};
  if (in && in.read(reinterpret_cast<char*>(header), 2)) {
    size_t n = static_cast<size_t>(header[0] | (header[1] << 8));
    block.resize(std::min(n, kDataBufferSize));
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    block.resize(static_cast<size_t>(in.gcount()));
  }
  block.resize(kDataBufferSize, ' ');
  return callWithName(kOpCreate, slot, block, hostName, kCreateNoOverwrite);
}

// The open failed for good: the message in the operator's language, a beep, one key, then
// every file is closed and the program ends.
void endAfterOpenFailure(const std::string& path, int16_t status) {
  std::string text(openFailureText(session().language));
  text += path + " (" + std::to_string(status) + ")";
  showMessageBox(12, text);
  Console& console = *platform().console;
  console.beep();
  console.present();
  // Keys typed ahead are not an answer to a message not yet seen.
  inputState().typeahead.clear();
  for (int i = 0; i < kMaxDiscardedEvents; ++i) {
    if (console.nextEvent().kind == ConsoleEvent::Kind::None) break;
  }
  for (;;) {
    if (console.nextEvent().kind == ConsoleEvent::Kind::Key) break;
    console.waitForInput(100);
  }
  popScreen();
  int16_t closed = 0;
  closeAllKeyedFiles(closed);
  platform().system->endProcess(kFatalExitCode);
}

}  // namespace

KeyedFileTable& keyedFileTable() {
  return table;
}

void resetKeyedFileTable() {
  table = KeyedFileTable();
}

int16_t findFileSlot(int16_t fileNo) {
  int16_t found = 0;
  for (int16_t i = 1; i <= kSlots; ++i) {
    if (table.slots[i].fileNo == fileNo) return i;
    if (table.slots[i].fileNo == 0) found = static_cast<int16_t>(-i);
  }
  return found;
}

void openKeyedFile(int16_t fileNo, const std::string& path, char* recordArea, int16_t& status) {
  table.created = true;
  int16_t found = findFileSlot(fileNo);
  if (found > 0) {
    status = kStatusAlreadyOpen;
    return;
  }
  if (found == 0) {
    status = kStatusNoFreeSlot;
    return;
  }
  FileSlot& slot = table.slots[-found];
  slot.fileNo = fileNo;
  slot.positionBlock.fill(0);
  slot.recordLength = 0;
  slot.keyNo = 0;
  slot.keyValue.clear();
  slot.lockMode = 0;
  slot.recordArea = recordArea;

  SplitPath parts = splitPath(path);
  std::string hostName = hostPath(parts.directory + parts.base + parts.extension);
  int16_t result;
  if (hostName.size() >= kKeyBufferSize) {
    result = kStatusInvalidFileName;
  } else {
    bool createdElsewhere = false;
    for (;;) {
      std::string owner = ownerName();
      result = callWithName(kOpOpen, slot, owner, hostName, kOpenNormal);
      if (result == kStatusFileLocked) {
        platform().system->pause(kOpenRetryMilliseconds);
        continue;
      }
      if (result != kStatusFileNotFound) break;
      result = createFromDefinition(slot, parts.base, hostName);
      // Another user may have created it in the meantime: then it is there to open. Only
      // once, so that a name that can neither be opened nor created cannot loop for ever.
      if (result == kStatusFileExists && !createdElsewhere) {
        createdElsewhere = true;
        continue;
      }
      if (result != kStatusOk) break;
    }
  }
  if (result != kStatusOk) {
    endAfterOpenFailure(path, result);
    status = result;  // only when the platform's end of the process came back
    return;
  }
  int16_t keyLength = 0, recordLength = 0;
  getKeyInfo(fileNo, 0, keyLength, recordLength);
  slot.keyValue.assign(static_cast<size_t>(keyLength), '\0');
  slot.recordLength = recordLength;
  status = kStatusOk;
}

void getKeyInfo(int16_t fileNo, int16_t keyNo, int16_t& keyLength, int16_t& recordLength) {
  keyLength = 0;
  recordLength = 0;
  int16_t found = findFileSlot(fileNo);
  if (found <= 0) return;
  std::string stat = readFileStatistics(table.slots[found]);
  recordLength = static_cast<int16_t>(statisticsWord(stat, 0));
  if (keyNo < 0 || keyNo >= statisticsWord(stat, 4)) return;
  size_t at = 16;
  int16_t sum = 0;
  for (int16_t k = 0; k <= keyNo; ++k) {
    sum = 0;
    bool more = true;
    while (more && at + 16 <= stat.size()) {
      sum = static_cast<int16_t>(sum + statisticsWord(stat, at + 2));
      more = statisticsWord(stat, at + 4) & 0x0010;
      at += 16;
    }
  }
  keyLength = sum;
}

void closeAllKeyedFiles(int16_t& status) {
  table.created = true;
  FileSlot& scratch = table.slots[0];
  scratch.positionBlock.fill(' ');
  uint32_t length = 0;
  status =
      callRecordManager(kOpReset, scratch.positionBlock.data(), nullptr, length, nullptr, 0, 0);
  scratch.positionBlock.fill(0);
  if (status != kStatusOk) return;
  for (int i = 1; i <= kSlots; ++i) table.slots[i] = FileSlot();
}

std::string readFileStatistics(FileSlot& slot) {
  std::string data(kDataBufferSize, '\0');
  std::string scratch(255, ' ');
  uint32_t length = static_cast<uint32_t>(data.size());
  callRecordManager(kOpStat, slot.positionBlock.data(), data.data(), length, scratch.data(), 255,
                    0);
  return data;
}

uint16_t statisticsWord(const std::string& statistics, size_t offset) {
  if (offset + 2 > statistics.size()) return 0;
  return static_cast<uint16_t>(static_cast<uint8_t>(statistics[offset]) |
                               (static_cast<uint8_t>(statistics[offset + 1]) << 8));
}

}  // namespace talmidor
