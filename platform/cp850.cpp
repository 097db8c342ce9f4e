#include "platform/cp850.h"

namespace talmidor {

const char32_t kCp850ToUnicode[256] = {
#define T(i) cp850detail::kTable[i]
#define R8(i) T(i), T(i + 1), T(i + 2), T(i + 3), T(i + 4), T(i + 5), T(i + 6), T(i + 7)
    R8(0),   R8(8),   R8(16),  R8(24),  R8(32),  R8(40),  R8(48),  R8(56),
    R8(64),  R8(72),  R8(80),  R8(88),  R8(96),  R8(104), R8(112), R8(120),
    R8(128), R8(136), R8(144), R8(152), R8(160), R8(168), R8(176), R8(184),
    R8(192), R8(200), R8(208), R8(216), R8(224), R8(232), R8(240), R8(248),
#undef R8
#undef T
};

std::string encodeUtf8(char32_t u) {
  std::string out;
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
  return out;
}

std::string utf8ToCp850(std::string_view utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    int b = cp850detail::fromUnicode(cp850detail::decodeUtf8(utf8, i));
    if (b >= 0) out += static_cast<char>(b);
  }
  return out;
}

std::string cp850ToUtf8(std::string_view cp850) {
  std::string out;
  for (char c : cp850) {
    unsigned char b = static_cast<unsigned char>(c);
    // Plain ASCII stays itself here (a newline stays a newline); the terminal maps the
    // low glyphs itself when it paints cells.
    out += b < 0x80 ? std::string(1, c) : encodeUtf8(kCp850ToUnicode[b]);
  }
  return out;
}

}  // namespace talmidor
