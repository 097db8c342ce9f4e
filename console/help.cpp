#include "console/help.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "config/session.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

constexpr char kGeneralTopic[] = "PORVAXEN";
constexpr size_t kVisibleCharacters = 76;
constexpr int kPollMilliseconds = 50;
constexpr char kHighlight = 30;
constexpr char kMarked = 31;
constexpr char kReverse = 16;

// A topic names a file inside AJUDA: anything that could lead out of that directory (path
// separators, "..", a drive colon) or cut the name short (control characters) is refused.
bool isSafeTopic(const std::string& topic) {
  if (topic.find("..") != std::string::npos) return false;
  for (char c : topic) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 32) return false;
  }
  return true;
}

bool sameTopic(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
           return up(x) == up(y);
         });
}

// The help text of a topic: the bytes of AJUDA\<topic>.HLP under the current directory (the
// data root). A missing file is created empty, but only when the AJUDA directory is there.
std::string readHelpFile(const std::string& topic) {
  if (!isSafeTopic(topic)) return "";
  std::string base = platform().system->currentDirectory();
  if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
  std::string path = hostPath(base + "AJUDA\\" + topic + ".HLP");
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (std::filesystem::is_directory(parent.empty() ? "." : parent, ec)) {
      std::ofstream create(path, std::ios::binary | std::ios::app);
    }
    return "";
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first raw key from the console: no typeahead, hot keys, mouse or modifier mapping.
int16_t readRawKey() {
  Console& console = *platform().console;
  while (true) {
    ConsoleEvent event = console.nextEvent();
    if (event.kind == ConsoleEvent::Kind::Key && event.key != 0) return event.key;
    if (event.kind == ConsoleEvent::Kind::None) {
      console.present();
      console.waitForInput(kPollMilliseconds);
    }
  }
}

class HelpViewer {
 public:
  HelpViewer(const std::string& topic, std::string text) : topic_(topic), text_(std::move(text)) {
    width_ = std::max<int>(screenColumns(), 1);
    // Lines are records of the screen width; a last record cut short counts when at least
    // half of it is there.
    total_ = static_cast<int>((2 * text_.size() + static_cast<size_t>(width_)) /
                              (2 * static_cast<size_t>(width_)));
    page_ = screenRows() - 8;
  }

  void run();

 private:
  void showLine(int line, int windowRow);
  void showPage(int firstLine);
  void blankInterior();
  void scrollInterior(int16_t lines);

  std::string topic_;
  std::string text_;
  int width_ = 80;
  int total_ = 0;
  int page_ = 17;
  int next_ = 18;
};

void HelpViewer::showLine(int line, int windowRow) {
  setColourClass("n");
  locateInWindow(static_cast<int16_t>(windowRow), 2);
  if (line < 1 || line > total_) return;
  size_t start = static_cast<size_t>(line - 1) * static_cast<size_t>(width_);
  if (start >= text_.size()) return;
  std::string record = text_.substr(start, static_cast<size_t>(width_));
  if (record.find_first_of(std::string{kHighlight, kMarked, kReverse}) == std::string::npos) {
    printText(record.substr(0, kVisibleCharacters));
    return;
  }
  bool highlight = false, marked = false, reverse = false;
  size_t printed = 0;
  for (char c : record) {
    if (c == kHighlight) {
      highlight = !highlight;
      if (!marked) setColourClass(highlight ? "h" : "n");
    } else if (c == kMarked) {
      marked = !marked;
      setColourClass(marked ? "u" : "n");
    } else if (c == kReverse) {
      reverse = !reverse;
      setColourClass(reverse ? "r" : "n");
    } else if (printed < kVisibleCharacters) {
      printText(std::string(1, c));
      ++printed;
    }
  }
}

void HelpViewer::showPage(int firstLine) {
  for (int k = 1; k <= page_; ++k) showLine(firstLine + k - 1, k);
}

void HelpViewer::scrollInterior(int16_t lines) {
  scrollRegion(5, 2, static_cast<int16_t>(screenRows() - 4),
               static_cast<int16_t>(screenColumns() - 1), lines);
}

void HelpViewer::blankInterior() {
  scrollInterior(static_cast<int16_t>(page_));
}

void HelpViewer::run() {
  setColourClass("+h");
  pushScreen(4, 1, static_cast<int16_t>(screenRows() - 3), screenColumns());
  drawFrame(2);
  setColourClass("n");
  showPage(1);
  next_ = page_ + 1;
  const int p = page_;
  while (true) {
    int16_t key = readRawKey();
    if (key == kEsc) break;
    switch (key) {
      case kF1:
        if (!sameTopic(topic_, kGeneralTopic)) showHelp(kGeneralTopic);
        break;
      case kDown:
        if (total_ >= next_) {
          scrollInterior(1);
          showLine(next_, p);
          ++next_;
        }
        break;
      case kUp:
        if (next_ - p > 1) {
          --next_;
          scrollInterior(-1);
          showLine(next_ - p, 1);
        }
        break;
      case kPgDn:
        if (total_ >= next_) {
          blankInterior();
          if (total_ < next_ + p - 1) next_ = total_ - p + 1;
          showPage(next_);
          next_ += p;
        }
        break;
      case kPgUp:
        if (next_ - p > 1) {
          blankInterior();
          if (next_ - 2 * p < 1) next_ = 2 * p;
          showPage(next_ - 2 * p + 1);
          next_ = next_ - p + 1;
        }
        break;
      case kHome:
        if (next_ - p > 1) {
          blankInterior();
          showPage(1);
          next_ = p + 1;
        }
        break;
      case kEnd:
        if (total_ >= next_) {
          blankInterior();
          showPage(total_ - p + 1);
          next_ = total_ + 1;
        }
        break;
      default:
        break;
    }
  }
  popScreen();
  setColourClass("-");
}

}  // namespace

void showHelp(const std::string& topic) {
  if (session().runMode == "WIN") {
    // The topic comes from a settings file: it travels as one argument, never through a
    // shell line, so "&", "|" or quotes in it cannot start anything else.
    std::string comspec = platform().system->environment("COMSPEC");
    if (comspec.empty() || !isSafeTopic(topic)) return;
    platform().system->runCommand({comspec, "/C", "KIVOPEN", "AJUDA\\" + topic + ".HTM"});
    return;
  }
  HelpViewer viewer(topic, readHelpFile(topic));
  viewer.run();
}

void showMessageBox(int16_t row, const std::string& text) {
  setColourClass("+rh");
  std::string wrapped = wrapText(text, static_cast<int16_t>(kVisibleCharacters));
  std::vector<std::string> lines;
  for (size_t at = 0; at < wrapped.size(); at += kVisibleCharacters) {
    std::string line = wrapped.substr(at, kVisibleCharacters);
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(line);
  }
  // An empty message still opens a box (one blank line), and a message too long for the
  // screen shows the lines that fit: the caller always closes the box with popScreen, which
  // must not close an enclosing window instead.
  if (lines.empty()) lines.push_back("");
  int rows = screenRows();
  if (static_cast<int>(lines.size()) > rows - 2) lines.resize(static_cast<size_t>(rows - 2));
  int n = static_cast<int>(lines.size());
  int top = std::max(row - (n + 1) / 2 - 2, 1);
  int bottom = top + n + 1;
  if (bottom > rows) {
    bottom = rows;
    top = bottom - n - 1;
  }
  int left = 0, right = 0;
  for (const std::string& line : lines) {
    int g = static_cast<int>(line.size());
    if (right - left < g + 4) {
      left = 41 - (g + 1) / 2 - 2;
      right = 42 + g / 2;
    }
  }
  pushScreen(static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(bottom),
             static_cast<int16_t>(right));
  drawFrame(1);
  for (int i = 0; i < n; ++i) {
    locateInWindow(static_cast<int16_t>(i + 1), 2);
    printText(lines[static_cast<size_t>(i)]);
  }
  setColourClass("-");
}

}  // namespace talmidor
