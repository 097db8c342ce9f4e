#include "console/editor.h"

#include <algorithm>
#include <vector>

#include "console/keys.h"
#include "console/screen.h"
#include "platform/platform.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

EditorState theEditorState;

constexpr int kPollMilliseconds = 50;
constexpr char kLeftArrow = '\x11';   // ◄
constexpr char kRightArrow = '\x10';  // ►

bool isSeparator(char c) {
  return c == ' ' || c == ',' || c == '.' || c == ';' || c == ':';
}

std::string trimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// One call of editLine: the field, its place on the screen (absolute) and the edit's state.
class LineEdit {
 public:
  LineEdit(int16_t row, int16_t column, int16_t width, std::string& text, int16_t& cursorPos)
      : console_(*platform().console), text_(text), cursorPos_(cursorPos) {
    length_ = static_cast<int>(text_.size());
    end_ = length_ + 1;
    cursorPos_ = static_cast<int16_t>(std::clamp<int>(cursorPos_, 1, end_));
    width_ = width > 0 ? width : end_;
    int16_t currentRow = 0, currentColumn = 0;
    console_.cursorPosition(currentRow, currentColumn);
    const WindowFrame& frame = windowFrame();
    bool inWindow = frame.depth != 0;
    row_ = row == 0 ? currentRow : inWindow ? frame.top + row : row;
    column_ = column == 0 ? currentColumn : inWindow ? frame.left + column : column;
    choices_ = parseChoices(theEditorState.choiceList);
  }

  int16_t run();

 private:
  bool hasChoices() const { return !choices_.empty(); }
  void start();
  void finish();
  void redraw();
  void placeCursor();
  int16_t readKey();
  // Returns true when the click ended the edit (outside the field).
  bool resolveClick(int16_t& key);
  // Returns true when the key is a candidate for ending the edit.
  bool dispatchText(int16_t key);
  bool dispatchChoice(int16_t key);
  bool endsWith(int16_t key, int16_t& result) const;

  void typeCharacter(char c);
  void deleteAt(int position);
  void wordLeft();
  void wordRight();
  // End: the cursor to just after the last non-blank character (1 when all are blank).
  void placeAfterText() {
    size_t last = text_.find_last_not_of(' ');
    cursorPos_ = static_cast<int16_t>(last == std::string::npos ? 1 : last + 2);
  }
  void paste();
  void selectChoice(size_t index) { current_ = index; }
  void selectByInitial(char c);

  Console& console_;
  std::string& text_;
  int16_t& cursorPos_;
  int length_ = 0;
  int end_ = 1;  // the position after the last character
  int width_ = 1;
  int row_ = 1;
  int column_ = 1;
  std::vector<Choice> choices_;
  size_t current_ = 0;
  size_t descriptionWidth_ = 0;
  std::string line_;  // scratch for drawing
};

void LineEdit::start() {
  if (hasChoices()) {
    current_ = 0;
    for (size_t i = 0; i < choices_.size(); ++i) {
      if (choices_[i].code == text_) {
        current_ = i;
        break;
      }
    }
    for (const Choice& c : choices_) {
      descriptionWidth_ = std::max(descriptionWidth_, c.description.size());
    }
    if (column_ > 1)
      printAt(static_cast<int16_t>(row_), static_cast<int16_t>(column_ - 1),
              std::string(1, kLeftArrow));
    printAt(static_cast<int16_t>(row_), static_cast<int16_t>(column_ + descriptionWidth_),
            std::string(1, kRightArrow));
    console_.setCursorShape(CursorShape::Hidden);
  }
  setColourClass("u");
}

void LineEdit::finish() {
  setColourClass("h");
  if (hasChoices()) {
    if (column_ > 1) printAt(static_cast<int16_t>(row_), static_cast<int16_t>(column_ - 1), " ");
    printAt(static_cast<int16_t>(row_), static_cast<int16_t>(column_ + descriptionWidth_), " ");
  }
  console_.moveCursor(static_cast<int16_t>(row_), static_cast<int16_t>(column_));
}

void LineEdit::redraw() {
  if (hasChoices()) {
    text_ = fitText(choices_[current_].code, static_cast<size_t>(length_));
    line_ = choices_[current_].description;
    line_.resize(descriptionWidth_, ' ');
    printAt(static_cast<int16_t>(row_), static_cast<int16_t>(column_), line_);
    return;
  }
  int16_t echo = keyTable().echoChar;
  for (int k = 0; k * width_ < length_; ++k) {
    int count = std::min(width_, length_ - k * width_);
    console_.moveCursor(static_cast<int16_t>(row_ + k), static_cast<int16_t>(column_));
    if (echo != 0) {
      line_.assign(static_cast<size_t>(count), static_cast<char>(echo));
      console_.writeText(line_);
    } else {
      console_.writeText(std::string_view(text_).substr(static_cast<size_t>(k * width_),
                                                        static_cast<size_t>(count)));
    }
  }
}

void LineEdit::placeCursor() {
  int line = row_ + (cursorPos_ - 1) / width_;
  int column = column_ + (cursorPos_ - 1) % width_;
  // After the last character of a full line the cursor stays at that line's end rather than
  // at the start of a line the field does not have.
  if (cursorPos_ == end_ && column == column_ && cursorPos_ > 1) {
    --line;
    column = column_ + width_;
  }
  console_.moveCursor(static_cast<int16_t>(line), static_cast<int16_t>(column));
  console_.setCursorShape(console_.insertMode() ? CursorShape::Half : CursorShape::Full);
}

int16_t LineEdit::readKey() {
  while (true) {
    int16_t key = 0, button = 0, mouseRow = 0, mouseColumn = 0;
    readKeyEvent(key, button, mouseRow, mouseColumn);
    if (key == kInsert) {
      bool insert = !console_.insertMode();
      console_.setInsertMode(insert);
      if (!hasChoices()) console_.setCursorShape(insert ? CursorShape::Half : CursorShape::Full);
      continue;
    }
    if (button != 0) key = static_cast<int16_t>(-(mouseColumn * 100 + mouseRow));
    if (key != 0 || button != 0) {
      console_.setCursorShape(CursorShape::Hidden);
      return key;
    }
    console_.present();
    console_.waitForInput(kPollMilliseconds);
  }
}

bool LineEdit::resolveClick(int16_t& key) {
  // Codes above 0x7FFF (F11, F12) are negative too and land here: they decode to a position
  // outside any field.
  int32_t code = -static_cast<int32_t>(key);
  int clickRow = code % 100;
  int clickColumn = code / 100;
  if (hasChoices()) {
    int arrowLeft = column_ - 1;
    int arrowRight = column_ + static_cast<int>(descriptionWidth_);
    if (clickRow != row_ || clickColumn < arrowLeft || clickColumn > arrowRight) return true;
    key = clickColumn == arrowLeft ? kLeft : clickColumn == arrowRight ? kRight : 0;
    return false;
  }
  // The rectangle of the field in screen positions (the field's own row and column are those
  // positions already).
  int lines = end_ / width_;
  if (clickRow < row_ || clickRow > row_ + lines - 1 || clickColumn < column_ ||
      clickColumn > column_ + width_ - 1) {
    return true;
  }
  int position = width_ * (clickRow - row_) + (clickColumn - column_) + 1;
  cursorPos_ = static_cast<int16_t>(std::min(position, end_));
  key = 0;
  return false;
}

void LineEdit::typeCharacter(char c) {
  if (cursorPos_ >= end_) return;
  size_t at = static_cast<size_t>(cursorPos_ - 1);
  if (console_.insertMode()) {
    if (text_.back() != ' ') return;
    text_.pop_back();
    text_.insert(at, 1, c);
  } else {
    text_[at] = c;
  }
  ++cursorPos_;
}

void LineEdit::deleteAt(int position) {
  text_.erase(static_cast<size_t>(position - 1), 1);
  text_.push_back(' ');
}

void LineEdit::wordLeft() {
  int p = cursorPos_ - 1;  // the character before the cursor
  while (p > 1) {
    if (!isSeparator(text_[p - 1]) && isSeparator(text_[p - 2])) break;
    --p;
  }
  cursorPos_ = static_cast<int16_t>(std::max(p, 1));
}

void LineEdit::wordRight() {
  int p = cursorPos_ + 1;  // the character after the cursor
  while (p <= length_) {
    if (!isSeparator(text_[p - 1]) && isSeparator(text_[p - 2])) break;
    ++p;
  }
  cursorPos_ = static_cast<int16_t>(std::min(p, end_));
}

void LineEdit::paste() {
  std::string clip;
  for (char c : console_.clipboard()) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127 || u == 255) continue;
    clip += c;
  }
  clip = trimBlanks(clip);
  size_t at = static_cast<size_t>(cursorPos_ - 1);
  for (size_t i = 0; i < clip.size() && at + i < text_.size(); ++i) text_[at + i] = clip[i];
}

bool LineEdit::dispatchText(int16_t key) {
  if ((key >= 32 && key <= 126) || (key >= 128 && key <= 254)) {
    typeCharacter(static_cast<char>(key));
    return false;
  }
  switch (key) {
    case 0:
      return false;
    case kLeft:
      if (cursorPos_ > 1) --cursorPos_;
      return false;
    case kRight:
      if (cursorPos_ < end_) ++cursorPos_;
      return false;
    case kBackspace:
      if (cursorPos_ > 1) {
        --cursorPos_;
        deleteAt(cursorPos_);
      }
      return false;
    case kDelete:
      if (cursorPos_ < end_) deleteAt(cursorPos_);
      return false;
    case kHome:
      cursorPos_ = 1;
      return false;
    case kEnd:
      placeAfterText();
      return false;
    case kCtrlHome:
    case kCtrlY:
      text_.assign(text_.size(), ' ');
      cursorPos_ = 1;
      return false;
    case kUp:
    case kShiftTab:
      if (cursorPos_ <= width_) return true;
      cursorPos_ = static_cast<int16_t>(cursorPos_ - width_);
      return false;
    case kDown:
      if (cursorPos_ > end_ - width_) return true;
      cursorPos_ = static_cast<int16_t>(cursorPos_ + width_);
      return false;
    case kCtrlLeft:
      if (cursorPos_ <= 1) return true;
      wordLeft();
      return false;
    case kCtrlRight:
      if (cursorPos_ >= end_) return true;
      wordRight();
      return false;
    case kCtrlC:
      console_.setClipboard(trimBlanks(text_));
      return false;
    case kCtrlV:
      paste();
      return false;
    default:
      return true;
  }
}

void LineEdit::selectByInitial(char c) {
  bool& plain = plainFoldMode();
  bool before = plain;
  plain = true;
  std::string wanted = foldAccents(std::string(1, c));
  size_t count = choices_.size();
  for (size_t step = 1; step <= count; ++step) {
    size_t i = (current_ + step) % count;
    const std::string& description = choices_[i].description;
    if (!description.empty() && foldAccents(description.substr(0, 1)) == wanted) {
      current_ = i;
      break;
    }
  }
  plain = before;
}

bool LineEdit::dispatchChoice(int16_t key) {
  if ((key >= 33 && key <= 126) || (key >= 128 && key <= 254)) {
    selectByInitial(static_cast<char>(key));
    return false;
  }
  size_t count = choices_.size();
  switch (key) {
    case kLeft:
      current_ = current_ == 0 ? count - 1 : current_ - 1;
      return false;
    case kRight:
    case kSpace:
      current_ = current_ + 1 == count ? 0 : current_ + 1;
      return false;
    case kHome:
      cursorPos_ = 1;
      return false;
    case kEnd:
      placeAfterText();
      return false;
    case kCtrlC:
      console_.setClipboard(choices_[current_].description);
      return false;
    case 0:
    case kBackspace:
    case kDelete:
    case kCtrlHome:
    case kCtrlY:
    case kCtrlV:
      return false;
    default:
      return true;
  }
}

// Decides whether a candidate key ends the edit, and with which code.
bool LineEdit::endsWith(int16_t key, int16_t& result) const {
  const KeyTable& table = keyTable();
  auto accepted = [&](int16_t code) {
    return std::find(table.acceptedCodes.begin(), table.acceptedCodes.end(), code) !=
           table.acceptedCodes.end();
  };
  if (key == kShiftTab) {
    key = kUp;
  } else if (key == kTab) {
    key = kEnter;
  } else if (key == kEnter && accepted(kEnd)) {
    key = kEnd;
  } else if (key == kCtrlF4 || key == kAltF4) {
    key = kEsc;
  }
  if (table.acceptedCodes.empty()) {
    result = key;
    return true;
  }
  for (size_t i = 0; i < table.acceptedCodes.size(); ++i) {
    if (table.acceptedCodes[i] == key) {
      result = i < table.translations.size() ? table.translations[i] : key;
      return true;
    }
  }
  if (key < 0) {
    result = key;
    return true;
  }
  return false;
}

int16_t LineEdit::run() {
  start();
  while (true) {
    redraw();
    if (!hasChoices()) placeCursor();
    int16_t key = readKey();
    bool candidate = false;
    if (key < 0 && resolveClick(key)) {
      candidate = true;
    } else {
      candidate = hasChoices() ? dispatchChoice(key) : dispatchText(key);
    }
    int16_t result = 0;
    if (candidate && endsWith(key, result)) {
      finish();
      return result;
    }
  }
}

}  // namespace

std::vector<Choice> parseChoices(const std::string& list) {
  std::vector<Choice> choices;
  size_t bar = list.find('|');
  while (bar != std::string::npos) {
    size_t next = list.find('|', bar + 1);
    std::string entry =
        list.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
    size_t comma = entry.find(',');
    if (comma == std::string::npos) {
      choices.push_back({entry, ""});
    } else {
      choices.push_back({entry.substr(0, comma), entry.substr(comma + 1)});
    }
    bar = next;
  }
  return choices;
}

void setFieldChoices(const std::string& list) {
  theEditorState.choiceList = list;
}

void editLine(int16_t row, int16_t column, int16_t width, std::string& text, int16_t& cursorPos,
              int16_t& key) {
  LineEdit edit(row, column, width, text, cursorPos);
  key = edit.run();
}

EditorState& editorState() {
  return theEditorState;
}

void resetEditor() {
  theEditorState = EditorState{};
}

}  // namespace talmidor
