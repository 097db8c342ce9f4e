#include "tools/tape_file.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "config/session.h"
#include "platform/paths.h"

namespace talmidor {

namespace {

// A tape file is a few hundred bytes; anything far larger is not one, and only its start is
// looked at.
constexpr std::streamsize kMaxTapeFileBytes = 64 * 1024;
constexpr char kErrorOperator = '!';

// Plain decimal, at most 15 significant digits, no exponent, no leading space: "17",
// "0.333333333333333", "-1234.5". Programs that read numbers the suite's way (sign, digits,
// one point) read it back.
std::string numberText(double value) {
  if (!std::isfinite(value) || value == 0) return "0";
  char buffer[40];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, 14);
  if (error != std::errc()) return "0";
  std::string digits;
  const char* p = buffer;
  for (; p < end && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  int exponent = p < end ? std::atoi(p + 1) : 0;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string text;
  if (exponent >= 0) {
    size_t integerCount = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= integerCount) {
      text = digits + std::string(integerCount - digits.size(), '0');
    } else {
      text = digits.substr(0, integerCount) + "." + digits.substr(integerCount);
    }
  } else {
    text = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  return value < 0 ? "-" + text : text;
}

std::string quotedText(const std::string& text) {
  return "\"" + text + "\"";
}

std::string flagText(int16_t value) {
  return std::to_string(value);
}

// One item of the stream: its text, and whether it stood in double quotes.
struct Item {
  std::string text;
  bool quoted = false;
};

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Splits the text into items: commas and line ends separate them, a quoted text may hold
// commas, and blank lines hold no items.
std::vector<Item> splitItems(const std::string& text) {
  std::vector<Item> items;
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (trimmed(line).empty()) continue;
    size_t i = 0;
    while (true) {
      Item item;
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i < line.size() && line[i] == '"') {
        size_t close = line.find('"', i + 1);
        if (close == std::string::npos) close = line.size();
        item.text = line.substr(i + 1, close - i - 1);
        item.quoted = true;
        size_t comma = line.find(',', close);
        i = comma == std::string::npos ? line.size() + 1 : comma + 1;
      } else {
        size_t comma = line.find(',', i);
        size_t stop = comma == std::string::npos ? line.size() : comma;
        item.text = trimmed(line.substr(i, stop - i));
        i = comma == std::string::npos ? line.size() + 1 : comma + 1;
      }
      items.push_back(item);
      if (i > line.size()) break;
    }
  }
  return items;
}

// A number written the suite's way: optional sign, digits with at most one point, and
// (tolerated) an exponent. Anything else, including "inf" and "nan", is not a number.
bool parseNumber(const Item& item, double& value) {
  if (item.quoted) return false;
  const std::string& s = item.text;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digitsStart = i;
  size_t digitCount = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digitCount;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digitCount;
  }
  if (digitCount == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t exponentStart = j;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
    if (j == exponentStart) return false;
    i = j;
  }
  if (i != s.size()) return false;
  double magnitude = 0;
  auto [end, error] = std::from_chars(s.data() + digitsStart, s.data() + s.size(), magnitude);
  if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(magnitude)) {
    return false;
  }
  value = s[0] == '-' ? -magnitude : magnitude;
  if (value == 0) value = 0;
  return true;
}

// Walks the items in the file's order. Each read gives false once the stream has ended or
// was found out of step (text where a number belongs); every later read then fails too.
class ItemReader {
 public:
  explicit ItemReader(std::vector<Item> items) : items_(std::move(items)) {}

  bool number(double& value) {
    if (stopped_ || next_ >= items_.size()) return stop();
    if (!parseNumber(items_[next_], value)) return stop();
    ++next_;
    return true;
  }
  // A whole number within [low, high]; out of range it is read (the stream stays in step)
  // but reported false, so that the field keeps its initial value.
  bool whole(int16_t& value, int low, int high) {
    double number = 0;
    if (!this->number(number)) return false;
    if (number != std::trunc(number) || number < low || number > high) return false;
    value = static_cast<int16_t>(number);
    return true;
  }
  bool flag(int16_t& value) {
    double number = 0;
    if (!this->number(number)) return false;
    value = number != 0 ? -1 : 0;
    return true;
  }
  // Quoted or not, a text item is taken as it stands.
  bool text(std::string& value) {
    if (stopped_ || next_ >= items_.size()) return stop();
    value = items_[next_++].text;
    return true;
  }
  bool stopped() const { return stopped_; }

 private:
  bool stop() {
    stopped_ = true;
    return false;
  }
  std::vector<Item> items_;
  size_t next_ = 0;
  bool stopped_ = false;
};

void readDecimals(ItemReader& reader, int16_t& decimals) {
  int16_t value = 0;
  decimals = reader.whole(value, 0, kMaxTypedDigits) ? value : 0;
}

}  // namespace

std::string tapeFilePath() {
  return hostPath(session().terminalDir + "ZUBCALC.TMP");
}

std::string tapeFileText(const CalculatorState& original) {
  CalculatorState state = original;
  if (displayHasError(state) || !std::isfinite(state.accumulator)) {
    // The error does not outlive the calculator: it comes back cleared, tape kept.
    clearCalculator(state);
    state.typing = 0;
  }
  const std::string kEnd = "\r\n";
  std::string text;
  text += std::to_string(state.boxColumn) + "," + std::to_string(state.firstTapeRow) + "," +
          numberText(state.display) + "," + numberText(state.accumulator) + kEnd;
  text += flagText(state.cleared) + "," + flagText(state.typing) + "," +
          flagText(state.decimalMode) + "," + std::to_string(state.decimals) + kEnd;
  text += quotedText(state.lastKey) + "," + quotedText(state.pendingOperator) + kEnd;
  for (const TapeEntry& entry : state.tape) {
    bool error = !std::isfinite(entry.value);
    text += numberText(entry.value) + "," + flagText(error ? 0 : entry.decimalMode) + "," +
            std::to_string(error ? 0 : entry.decimals) + "," +
            quotedText(std::string(1, error ? kErrorOperator : entry.op)) + kEnd;
  }
  return text;
}

void parseTapeFileText(const std::string& text, CalculatorState& state) {
  const CalculatorState initial;
  ItemReader reader(splitItems(text));
  double number = 0;
  int16_t whole = 0;

  if (reader.whole(whole, 1, 999)) {
    state.boxColumn = whole;
  } else if (!reader.stopped()) {
    state.boxColumn = initial.boxColumn;
  }
  if (reader.whole(whole, 2, kNoTapeShown)) {
    state.firstTapeRow = whole;
  } else if (!reader.stopped()) {
    state.firstTapeRow = initial.firstTapeRow;
  }
  if (reader.number(number)) state.display = number;
  if (reader.number(number)) state.accumulator = number;
  reader.flag(state.cleared);
  reader.flag(state.typing);
  reader.flag(state.decimalMode);
  if (!reader.stopped()) readDecimals(reader, state.decimals);
  if (state.decimalMode == 0) state.decimals = 0;
  std::string text1;
  if (reader.text(text1)) state.lastKey = text1.substr(0, 1);
  if (reader.text(text1)) {
    bool known = text1 == "+" || text1 == "-" || text1 == "*" || text1 == "/" || text1.empty();
    state.pendingOperator = known ? text1 : "";
  }
  for (TapeEntry& entry : state.tape) {
    if (reader.stopped()) break;
    TapeEntry read;
    bool complete = reader.number(read.value) && reader.flag(read.decimalMode);
    if (complete) readDecimals(reader, read.decimals);
    if (read.decimalMode == 0) read.decimals = 0;
    std::string op;
    complete = complete && !reader.stopped() && reader.text(op);
    if (!complete) break;
    read.op = op.empty() ? ' ' : op[0];
    if (read.op == kErrorOperator) {
      read.value = std::nan("");
      read.op = ' ';
      read.decimalMode = 0;
      read.decimals = 0;
    }
    entry = read;
  }
}

bool loadTapeFile(CalculatorState& state) {
  state = CalculatorState{};
  std::string path = tapeFilePath();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    std::ofstream create(path, std::ios::binary);
  } else if (!std::filesystem::is_regular_file(path, error)) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text(static_cast<size_t>(kMaxTapeFileBytes), '\0');
  in.read(text.data(), kMaxTapeFileBytes);
  if (in.bad()) return false;
  text.resize(static_cast<size_t>(in.gcount()));
  parseTapeFileText(text, state);
  return true;
}

bool saveTapeFile(const CalculatorState& state) {
  std::ofstream out(tapeFilePath(), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << tapeFileText(state);
  out.close();
  return !out.fail();
}

}  // namespace talmidor
