#pragma once
// Code page 850, the character set of every text inside the program. Literals with accents
// or box drawing are written in UTF-8 in the source and turned into code page 850 at compile
// time: "març"_cp is the four bytes m, a, r, 0x87. The glyphs of the low bytes (0x10 "►",
// 0x11 "◄", ...) are the usual PC ones, so "►"_cp is the byte 0x10.

#include <cstddef>
#include <string>
#include <string_view>

namespace talmidor {

// Unicode code point shown for each code page 850 byte (bytes below 32 and 127 as their PC
// glyphs; byte 0 as a blank).
extern const char32_t kCp850ToUnicode[256];

namespace cp850detail {

// Same table, usable at compile time.
constexpr char32_t kTable[256] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  //
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  //
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  //
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  //
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,  //
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,  //
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  //
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  //
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,  //
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,  //
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,  //
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,  //
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,  //
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,  //
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,  //
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302,  //
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  //
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  //
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  //
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  //
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  //
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  //
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  //
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  //
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  //
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  //
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  //
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  //
};

// The code page 850 byte of a code point, or -1 when it has none. Plain ASCII maps to
// itself; the PC glyphs map to their low bytes.
constexpr int fromUnicode(char32_t u) {
  if (u < 0x80) return static_cast<int>(u);
  for (int b = 0x80; b < 256; ++b) {
    if (kTable[b] == u) return b;
  }
  for (int b = 1; b < 0x20; ++b) {
    if (kTable[b] == u) return b;
  }
  if (u == 0x2302) return 0x7F;
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns 0xFFFD for a malformed one.
constexpr char32_t decodeUtf8(std::string_view s, size_t& i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  int extra = b0 < 0x80             ? 0
              : (b0 & 0xE0) == 0xC0 ? 1
              : (b0 & 0xF0) == 0xE0 ? 2
              : (b0 & 0xF8) == 0xF0 ? 3
                                    : -1;
  if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) {
    ++i;
    return 0xFFFD;
  }
  char32_t u = extra == 0 ? b0 : extra == 1 ? (b0 & 0x1F) : extra == 2 ? (b0 & 0x0F) : (b0 & 0x07);
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= s.size() || (byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    u = (u << 6) | (byte(i + k) & 0x3F);
  }
  i += extra + 1;
  return u;
}

template <size_t N>
struct Utf8Literal {
  char bytes[N]{};
  consteval Utf8Literal(const char (&s)[N]) {
    for (size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

template <size_t N>
struct Cp850Array {
  char bytes[N]{};
  size_t size = 0;
};

// Not constexpr on purpose: reaching it at compile time makes a literal with a character
// outside code page 850 an error.
inline int characterNotInCodePage850() {
  return '?';
}

template <size_t N>
consteval Cp850Array<N> convertLiteral(const char (&s)[N]) {
  Cp850Array<N> out;
  std::string_view text(s, N - 1);
  size_t i = 0;
  while (i < text.size()) {
    int b = fromUnicode(decodeUtf8(text, i));
    if (b < 0) b = characterNotInCodePage850();
    out.bytes[out.size++] = static_cast<char>(b);
  }
  return out;
}

template <Utf8Literal S>
inline constexpr auto kStorage = convertLiteral(S.bytes);

}  // namespace cp850detail

// "text"_cp: the UTF-8 literal as code page 850 bytes, converted at compile time.
template <cp850detail::Utf8Literal S>
constexpr std::string_view operator""_cp() {
  return {cp850detail::kStorage<S>.bytes, cp850detail::kStorage<S>.size};
}

// Runtime conversions for the terminal and for tests. Characters without a code page 850
// form are dropped.
std::string utf8ToCp850(std::string_view utf8);
std::string cp850ToUtf8(std::string_view cp850);
// UTF-8 bytes of one code point.
std::string encodeUtf8(char32_t codePoint);

}  // namespace talmidor
