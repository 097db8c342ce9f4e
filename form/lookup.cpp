#include "form/lookup.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "config/session.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "form/runtime.h"
#include "form/validation.h"
#include "keyed/records.h"
#include "platform/cp850.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "text/numconv.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

// Bytes of an entry of Browse.tmp before its text: previous entry, record position, length.
constexpr size_t kEntryHeader = 10;

// The title line: plain corners, or arrows while more text lies to that side.
constexpr std::string_view kCornerLeft = "╔"_cp;
constexpr std::string_view kCornerRight = "╗"_cp;
constexpr std::string_view kMoreLeft = "◄"_cp;
constexpr std::string_view kMoreRight = "►"_cp;
constexpr std::string_view kLine = "═"_cp;

struct Entry {
  int32_t previous = 0;        // position of the entry before it; 0 for the first
  int32_t recordPosition = 0;  // the record's position in the data file
  std::string text;            // the line, without trailing blanks
  int32_t position = 1;        // where the entry starts in Browse.tmp (1-based)
};

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t getLittleEndian(const std::string& in, size_t offset, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(in[offset + static_cast<size_t>(i)]);
  }
  return value;
}

std::string withoutTrailingBlanks(const std::string& text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The browse list of one open lookup window. Entries are appended to Browse.tmp as they are
// produced, chained backwards; the window reads them back from its copy of the same bytes.
class BrowseList {
 public:
  BrowseList(int16_t lookupNo, const LookupWindowDef& def)
      : lookupNo_(lookupNo),
        def_(def),
        lines_(def.bottom - def.top - 1),
        width_(def.right - def.left - 1),
        hasFile_(def.fileNo >= 1),
        sourceEnded_(!hasFile_) {
    path_ = hostPath(session().workDir + "Browse.tmp");
    file_.open(path_, std::ios::in | std::ios::out | std::ios::trunc | std::ios::binary);
  }

  ~BrowseList() {
    file_.close();
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }

  void setStartKey(const std::string& key) { startKey_ = key; }

  // Runs the window until a key leaves it; returns that key.
  int16_t run() {
    drawTitle();
    goTo(1);
    fillPage();
    for (;;) {
      setColourClass("u");
      showLine(currentLine_, current_.text);
      int16_t key = waitKey();
      setColourClass("h");
      showLine(currentLine_, current_.text);
      switch (key) {
        case kLeft:
          if (firstColumn_ > 1) {
            firstColumn_ -= 8;
            goTo(pageStart_);
            fillPage();
          }
          break;
        case kRight:
          if (firstColumn_ <= overflow_) {
            firstColumn_ += 8;
            goTo(pageStart_);
            fillPage();
          }
          break;
        case kUp:
          if (!atFirst_) {
            move(-1);
            if (currentLine_ > 1) {
              --currentLine_;
            } else {
              goTo(current_.position);
              fillPage();  // the list scrolls down one line
            }
          }
          break;
        case kDown:
          if (!atLast_ && move(1) == 1) {
            if (currentLine_ < lines_) {
              ++currentLine_;
            } else {
              // The page starts one entry later; the cursor stays on the new entry.
              goTo(pageStart_);
              skipEntry();
              fillPage();  // the list scrolls up one line
            }
          }
          break;
        case kPgUp:
          if (pageStart_ > 1) pageUp();
          break;
        case kPgDn:
          if (nextPageStart_ > 0) pageDown();
          break;
        default:
          return key;
      }
    }
  }

  // The record position of the entry under the cursor; 0 on an empty list.
  int32_t chosenRecord() const { return current_.recordPosition; }

 private:
  bool stored(int32_t position) const {
    return position >= 1 && static_cast<size_t>(position - 1) < bytes_.size();
  }

  Entry entryAt(int32_t position) const {
    Entry e;
    size_t offset = static_cast<size_t>(position - 1);
    e.previous = static_cast<int32_t>(getLittleEndian(bytes_, offset, 4));
    e.recordPosition = static_cast<int32_t>(getLittleEndian(bytes_, offset + 4, 4));
    size_t length = getLittleEndian(bytes_, offset + 8, 2);
    e.text = bytes_.substr(offset + kEntryHeader, length);
    e.position = position;
    return e;
  }

  void goTo(int32_t position) { position_ = position; }

  // Moves the position past the stored entry there, leaving the current entry as it is.
  void skipEntry() {
    if (stored(position_)) {
      position_ += static_cast<int32_t>(kEntryHeader + entryAt(position_).text.size());
    }
  }

  // Reads the entry at the current position, producing it from the data file when it is not
  // stored yet. false when the list has no entry there (it ended before).
  bool readNext() {
    bool got = false;
    if (stored(position_)) {
      current_ = entryAt(position_);
      position_ = current_.position + static_cast<int32_t>(kEntryHeader + current_.text.size());
      got = true;
    } else if (!sourceEnded_) {
      got = produce();
    }
    atFirst_ = current_.previous == 0;
    atLast_ = !stored(position_) && sourceEnded_;
    return got;
  }

  // Appends the line of the next record that has one; false when the source ends first.
  bool produce() {
    const int16_t fileNo = def_.fileNo;
    int16_t status = 0;
    if (!firstReadDone_) {
      firstReadDone_ = true;
      readByKey(fileNo, def_.keyNo, startKey_, 1, status);
      startCollation_ = collationForm(startKey_, fileNo);
      if (status != 0 || !withinStartKey()) sourceEnded_ = true;
    }
    while (!sourceEnded_) {
      std::string line = withoutTrailingBlanks(lookupRowText(lookupNo_));
      bool appended = false;
      if (!line.empty()) {
        Entry e;
        e.previous = lastWritten_;
        e.recordPosition = recordPosition(fileNo, 0);
        e.text = line;
        e.position = static_cast<int32_t>(bytes_.size() + 1);
        append(e);
        lastWritten_ = e.position;
        current_ = e;
        position_ = static_cast<int32_t>(bytes_.size() + 1);
        appended = true;
      }
      moveRecords(fileNo, 1, status);
      if (status != 0 || !withinStartKey() || escapeWaiting()) sourceEnded_ = true;
      if (appended) return true;
    }
    return false;
  }

  // The current record's key still begins with the start key (every key does for an empty
  // start key). Both sides are compared in the record manager's order.
  bool withinStartKey() const {
    if (startKey_.empty()) return true;
    std::string key = currentKeyCollationForm(def_.fileNo);
    return key.substr(0, startCollation_.size()) <= startCollation_;
  }

  // Takes one waiting event; an Esc among them ends the list where it is.
  static bool escapeWaiting() {
    ConsoleEvent event = platform().console->nextEvent();
    return event.kind == ConsoleEvent::Kind::Key && event.key == kEsc;
  }

  void append(const Entry& e) {
    std::string record;
    putLittleEndian(record, static_cast<uint32_t>(e.previous), 4);
    putLittleEndian(record, static_cast<uint32_t>(e.recordPosition), 4);
    putLittleEndian(record, static_cast<uint32_t>(e.text.size()), 2);
    record += e.text;
    bytes_ += record;
    if (file_.is_open()) {
      file_.write(record.data(), static_cast<std::streamsize>(record.size()));
      file_.flush();
    }
  }

  // Moves the current entry by n entries (backwards when negative); returns the steps made.
  int move(int n) {
    int moved = 0;
    if (n < 0) {
      for (int i = 0; i < -n && !atFirst_; ++i, ++moved) {
        goTo(current_.previous);
        readNext();
      }
      return moved;
    }
    for (int i = 0; i < n && !atLast_; ++i) {
      int32_t here = current_.position;
      if (!readNext()) {
        // The remaining records had no line: the current entry was the last one.
        goTo(here);
        readNext();
        break;
      }
      ++moved;
    }
    return moved;
  }

  void pageUp() {
    move(-lines_);
    Entry e = entryAt(pageStart_);
    int steps = 0;
    while (steps < lines_ && e.previous != 0) {
      e = entryAt(e.previous);
      ++steps;
    }
    int32_t start = e.position;
    if (steps < lines_) {
      start = 1;
      currentLine_ = std::max(1, currentLine_ - (lines_ - steps));
    }
    goTo(start);
    fillPage();
  }

  void pageDown() {
    int moved = move(lines_);
    if (stored(nextPageStart_)) {
      goTo(nextPageStart_);
      fillPage();
    } else {
      // No record after this page had a line: the list ends here.
      nextPageStart_ = 0;
      currentLine_ = std::min(lines_, currentLine_ + moved);
    }
  }

  void fillPage() {
    const int32_t remembered = current_.position;
    pageStart_ = position_;
    bool lastShown = false;
    for (int r = 1; r <= lines_; ++r) {
      bool got = readNext();
      if (!got && r > 1) {
        // The list ended after the previous line.
        currentLine_ = std::min(currentLine_, r - 1);
        for (int blank = r; blank <= lines_; ++blank) showLine(blank, "");
        lastShown = true;
        break;
      }
      const std::string& text = got ? current_.text : std::string();
      showLine(r, text);
      overflow_ = std::max(overflow_, static_cast<int>(text.size()) - width_);
      if (atLast_ || !got) {
        currentLine_ = std::min(currentLine_, r);
        for (int blank = r + 1; blank <= lines_; ++blank) showLine(blank, "");
        lastShown = true;
        break;
      }
    }
    nextPageStart_ = lastShown ? 0 : position_;
    goTo(remembered);
    readNext();
    // The corners tell whether more text lies to either side.
    drawTitle();
  }

  void showLine(int line, const std::string& text) {
    locateInWindow(static_cast<int16_t>(line), 1);
    size_t from = static_cast<size_t>(firstColumn_ - 1);
    printText(fitText(from < text.size() ? text.substr(from) : std::string(), width_));
  }

  void drawTitle() {
    const std::string& title = def_.title;
    std::string top(firstColumn_ == 1 ? kCornerLeft : kMoreLeft);
    for (int j = firstColumn_; j < firstColumn_ + width_; ++j) {
      size_t index = static_cast<size_t>(j - 1);
      char c = index < title.size() ? title[index] : ' ';
      if (index >= title.size() || c == ' ') {
        top += kLine;
      } else {
        top += c == '_' ? ' ' : c;
      }
    }
    bool more =
        firstColumn_ <= overflow_ || static_cast<int>(title.size()) > firstColumn_ + width_ - 1;
    top += more ? kMoreRight : kCornerRight;
    setColourClass("+n");
    locateInWindow(0, 0);
    printText(top);
    setColourClass("-");
  }

  const int16_t lookupNo_;
  const LookupWindowDef def_;
  const int lines_;  // D: list lines inside the frame
  const int width_;  // H: characters of a line inside the frame
  const bool hasFile_;
  std::string path_;
  std::fstream file_;
  std::string bytes_;  // the entries as written to Browse.tmp

  std::string startKey_, startCollation_;
  Entry current_;
  int32_t position_ = 1;
  int32_t lastWritten_ = 0;
  bool sourceEnded_;
  bool firstReadDone_ = false;
  bool atFirst_ = true;
  bool atLast_ = false;
  int currentLine_ = 1;
  int firstColumn_ = 1;
  int overflow_ = 0;
  int32_t pageStart_ = 1;
  int32_t nextPageStart_ = 0;
};

}  // namespace

void openLookup(int16_t lookupNo, int16_t& result) {
  int16_t chosen = 0;
  openLookup(lookupNo, result, chosen);
}

void openLookup(int16_t lookupNo, int16_t& result, int16_t& chosenLookupNo) {
  result = -1;
  chosenLookupNo = lookupNo;
  const LookupWindowDef* found = findLookup(lookupNo);
  if (found == nullptr) return;
  const LookupWindowDef def = *found;
  if (def.bottom - def.top < 2 || def.right - def.left < 2) return;  // no room for a line

  if (def.filterPage != 0) {
    int16_t key = 0;
    runFormPage(def.filterPage, key);
    if (key == kEsc) return;
  }
  std::string startKey = lookupStartKey(lookupNo);
  int16_t status = 0;
  if (def.fileNo >= 1) setLockMode(def.fileNo, "+d", status);
  const int16_t depth = windowFrame().depth;
  setColourClass("+n");
  pushScreen(def.top, def.left, def.bottom, def.right);
  const bool windowOpened = windowFrame().depth != depth;
  if (windowOpened) drawFrame(2);
  setColourClass("h");
  editKeyTable("+ea", "d,1b,4800,5000,4900,5100,4b00,4d00");
  if (def.nestedLookupNo != 0) editKeyTable("a", "3e00");

  int16_t key = 0;
  {
    BrowseList list(lookupNo, def);
    list.setStartKey(startKey);
    key = list.run();
    if (key == kEnter) {
      if (def.fileNo >= 1) {
        if (list.chosenRecord() != 0) {
          result = static_cast<int16_t>(recordPosition(def.fileNo, list.chosenRecord()));
        }
      } else {
        result = 0;
      }
    }
  }  // Browse.tmp is closed and deleted here

  if (key == kF4 && def.nestedLookupNo != 0) {
    // A choice made in the nested window is the choice of this one.
    openLookup(def.nestedLookupNo, result, chosenLookupNo);
  }
  editKeyTable("-", "");
  if (windowOpened) popScreen();
  setColourClass("-");
  if (def.fileNo >= 1) setLockMode(def.fileNo, "-", status);
}

std::string lookupStartKey(int16_t lookupNo) {
  int16_t field = lookupNo == 2 ? 2 : lookupNo == 3 ? 4 : 0;
  if (field == 0) return "";
  const FormField* f = findField(1, field);
  return packDottedCode("0" + (f == nullptr ? std::string() : f->value));
}

}  // namespace talmidor
