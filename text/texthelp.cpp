#include "text/texthelp.h"

#include <array>
#include <string_view>
#include <vector>

#include "platform/cp850.h"

namespace talmidor {

namespace {

// The text stack as a list of items: pushing and popping behave as the classic single text
// with a 2-byte length after each item, which is never seen outside the process.
std::vector<std::string> textStack;
bool plainFold = false;

constexpr int kFoldFirst = 64;
constexpr int kFoldLast = 237;

// Plain mode: codes 64..237 to unaccented capitals, everything else in the range a space.
constexpr std::string_view kPlainFold =
    " ABCDEFGHIJKLMNOPQRSTUVWXYZ      ABCDEFGHIJKLMNOPQRSTUVWXYZ     CUEAAAACEEEIIIAAEAAOOOUUYOUO "
    "O "
    " AIOUNNAO             AAA              AA        DDEEEEIII     I OSOOOO TTUUUYY";
static_assert(kPlainFold.size() == kFoldLast - kFoldFirst + 1);

// Default mode: the lower-case letters of code page 850 that have a capital.
constexpr std::string_view kLowerAccented = "üéâäàåçêëèïîìæôöòûùáíóúñãðõý"_cp;
constexpr std::string_view kUpperAccented = "ÜÉÂÄÀÅÇÊËÈÏÎÌÆÔÖÒÛÙÁÍÓÚÑÃÐÕÝ"_cp;
static_assert(kLowerAccented.size() == kUpperAccented.size());

std::array<char, 256> makeDefaultFold() {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = static_cast<char>(c);
  for (int c = 'a'; c <= 'z'; ++c) table[static_cast<size_t>(c)] = static_cast<char>(c - 32);
  for (size_t i = 0; i < kLowerAccented.size(); ++i) {
    table[static_cast<unsigned char>(kLowerAccented[i])] = kUpperAccented[i];
  }
  return table;
}

const std::array<char, 256> kDefaultFold = makeDefaultFold();

bool isControl(unsigned char c) {
  return c < 32;
}

}  // namespace

int16_t isAllChar(const std::string& text, int16_t code) {
  if (text.empty()) return -1;
  if (code < 0 || code > 255) return 0;
  for (char c : text) {
    if (static_cast<unsigned char>(c) != code) return 0;
  }
  return -1;
}

void pushText(const std::string& text) {
  // Kept as a list, an item longer than a 16-bit length comes back whole too.
  textStack.push_back(text);
}

std::string popText() {
  if (textStack.empty()) return "";
  std::string top = std::move(textStack.back());
  textStack.pop_back();
  return top;
}

std::string foldAccents(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    int code = static_cast<unsigned char>(c);
    if (code < kFoldFirst || code > kFoldLast) continue;
    c = plainFold ? kPlainFold[static_cast<size_t>(code - kFoldFirst)]
                  : kDefaultFold[static_cast<size_t>(code)];
  }
  return folded;
}

std::string wrapText(const std::string& text, int16_t width) {
  if (width < 1) return "";
  const long length = static_cast<long>(text.size());
  // t(k) counts from 1; beyond either end it is the empty text, below the space for the
  // line-end test and neither a space nor above it otherwise.
  auto at = [&](long k) -> int {
    return k >= 1 && k <= length ? static_cast<unsigned char>(text[static_cast<size_t>(k - 1)])
                                 : -1;
  };
  auto control = [&](long k) { return at(k) >= 0 && isControl(static_cast<unsigned char>(at(k))); };
  auto visible = [&](long k) { return at(k) > 32; };

  std::string result;
  long p = 1;
  while (p <= length) {
    // The line's length in characters: the width plus the control characters on it.
    long j = width;
    long i = 0;
    while (i != j && p + i <= length) {
      if (control(p + i)) ++j;
      ++i;
    }
    if (visible(p + i - 1)) {
      while (p + i <= length && control(p + i)) {
        ++j;
        ++i;
      }
    }
    long d = j;
    if (visible(p + d)) {
      // The line would end inside a word: break before it.
      while (visible(p + d) && d > 0) {
        if (control(p + d - 1)) --j;
        --d;
      }
    }
    if ((control(p + d) || at(p + d) < 0) && d > 0) {
      while (d > 0 && at(p + d - 1) == ' ') --d;
    }
    if (d < 1) d = j;  // a word longer than the line is cut
    std::string line = text.substr(static_cast<size_t>(p - 1), static_cast<size_t>(d));
    line.resize(static_cast<size_t>(j), ' ');
    result += line;
    p += d;
    while (at(p) == ' ') ++p;
  }
  return result;
}

bool& plainFoldMode() {
  return plainFold;
}

void resetTextHelpers() {
  textStack.clear();
  plainFold = false;
}

std::string fitText(const std::string& text, size_t length) {
  std::string fitted = text.substr(0, length);
  fitted.resize(length, ' ');
  return fitted;
}

}  // namespace talmidor
