#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace talmidor {
namespace {

// "key 3F00 S" / "release 1 at 5,10" / "move at 5,10": an event as a test reads it.
std::string describe(const ConsoleEvent& e) {
  char text[64];
  switch (e.kind) {
    case ConsoleEvent::Kind::Key: {
      std::snprintf(text, sizeof text, "key %04X", static_cast<uint16_t>(e.key));
      std::string result = text;
      if (e.modifiers) result += ' ';
      if (e.modifiers & kShift) result += 'S';
      if (e.modifiers & kLeftCtrl) result += 'C';
      if (e.modifiers & kLeftAlt) result += 'A';
      return result;
    }
    case ConsoleEvent::Kind::MouseRelease:
      std::snprintf(text, sizeof text, "release %d at %d,%d", e.button, e.row, e.column);
      return text;
    case ConsoleEvent::Kind::MouseMove:
      std::snprintf(text, sizeof text, "move at %d,%d", e.row, e.column);
      return text;
    default:
      return "none";
  }
}

// Everything the bytes decode to once the terminal has gone quiet, joined by " | ".
std::string decodeAll(const std::string& bytes) {
  KeyDecoderState state;
  state.pending = bytes;
  std::string result;
  ConsoleEvent e;
  while (takeKeyEvent(state, true, e)) {
    if (!result.empty()) result += " | ";
    result += describe(e);
  }
  return result;
}

struct Case {
  const char* terminal;
  std::string bytes;
  std::string expected;
};

void checkCases(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    std::string shown;
    for (char ch : c.bytes) {
      auto b = static_cast<unsigned char>(ch);
      if (b == 0x1B) {
        shown += "\\x1b";
      } else if (b < 0x20 || b >= 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", b);
        shown += hex;
      } else {
        shown += ch;
      }
    }
    EXPECT_EQ(decodeAll(c.bytes), c.expected) << c.terminal << ": " << shown;
  }
}

TEST(KeyDecoder, FunctionKeysAloneAndWithModifiers) {
  checkCases({
      {"xterm", "\x1bOP", "key 3B00"},       {"xterm", "\x1bOS", "key 3E00"},
      {"xterm", "\x1b[15~", "key 3F00"},     {"xterm", "\x1b[21~", "key 4400"},
      {"xterm", "\x1b[23~", "key 8500"},     {"xterm", "\x1b[24~", "key 8600"},
      {"xterm", "\x1b[15;2~", "key 3F00 S"}, {"xterm", "\x1b[15;5~", "key 3F00 C"},
      {"xterm", "\x1b[15;3~", "key 3F00 A"}, {"xterm", "\x1b[15;9~", "key 3F00 A"},  // Meta
      {"xterm", "\x1b[1;2P", "key 3B00 S"},  {"xterm", "\x1b[1;6S", "key 3E00 SC"},
      {"xterm", "\x1b[24;5~", "key 8600 C"}, {"old xterm", "\x1bO2P", "key 3B00 S"},
      {"rxvt", "\x1b[11~", "key 3B00"},      {"rxvt", "\x1b[14~", "key 3E00"},
      {"rxvt", "\x1b[11^", "key 3B00 C"},    {"rxvt", "\x1b[15@", "key 3F00 SC"},
      {"rxvt", "\x1b[23$", "key 8500 S"},    {"rxvt", "\x1b[25~", "key 3D00 S"},
      {"rxvt", "\x1b[34~", "key 4400 S"},    {"rxvt", "\x1b\x1b[11~", "key 3B00 A"},
      {"linux", "\x1b[[A", "key 3B00"},      {"linux", "\x1b[[E", "key 3F00"},
      {"linux", "\x1b[17~", "key 4000"},     {"linux", "\x1b[29~", "key 4000 S"},
  });
}

TEST(KeyDecoder, CursorAndEditingKeys) {
  checkCases({
      {"xterm", "\x1b[A", "key 4800"},      {"xterm", "\x1b[B", "key 5000"},
      {"xterm", "\x1b[C", "key 4D00"},      {"xterm", "\x1b[D", "key 4B00"},
      {"xterm app", "\x1bOA", "key 4800"},  {"xterm", "\x1b[H", "key 4700"},
      {"xterm", "\x1b[F", "key 4F00"},      {"xterm app", "\x1bOH", "key 4700"},
      {"xterm app", "\x1bOF", "key 4F00"},  {"xterm", "\x1b[E", "key 4C00"},
      {"xterm", "\x1b[1;5D", "key 4B00 C"}, {"xterm", "\x1b[1;5C", "key 4D00 C"},
      {"xterm", "\x1b[1;5H", "key 4700 C"}, {"xterm", "\x1b[1;3A", "key 4800 A"},
      {"older", "\x1b[5D", "key 4B00 C"},   {"all", "\x1b[Z", "key 0F00 S"},
      {"all", "\x1b[2~", "key 5200"},       {"all", "\x1b[3~", "key 5300"},
      {"all", "\x1b[5~", "key 4900"},       {"all", "\x1b[6~", "key 5100"},
      {"screen", "\x1b[1~", "key 4700"},    {"screen", "\x1b[4~", "key 4F00"},
      {"rxvt", "\x1b[7~", "key 4700"},      {"rxvt", "\x1b[8~", "key 4F00"},
      {"rxvt", "\x1b[7^", "key 4700 C"},    {"rxvt", "\x1bOd", "key 4B00 C"},
      {"rxvt", "\x1bOc", "key 4D00 C"},     {"rxvt", "\x1b[a", "key 4800 S"},
      {"rxvt", "\x1b[2$", "key 5200 S"},    {"rxvt", "\x1b\x1b[A", "key 4800 A"},
      {"keypad app", "\x1bOM", "key 000D"}, {"keypad app", "\x1bOq", "key 0031"},
      {"keypad app", "\x1bOk", "key 002B"},
  });
}

TEST(KeyDecoder, CharactersControlKeysAndAltLetters) {
  checkCases({
      {"all", "a", "key 0061"},
      {"all", "\r", "key 000D"},
      {"all", "\n", "key 000D"},
      {"all", "\t", "key 0009"},
      {"all", "\x7f", "key 0008"},
      {"all", "\x08", "key 0008"},
      {"all", "\x03", "key 0003 C"},
      {"all", "\x11", "key 0011 C"},
      {"all", "\x16", "key 0016 C"},
      {"all", std::string(1, '\0'), ""},
      {"all", "\x1bx", "key 2D00 A"},
      {"all", "\x1bX", "key 2D00 SA"},
      {"all",
       "\x1b"
       "c",
       "key 2E00 A"},
      {"all",
       "\x1b"
       "e",
       "key 1200 A"},
      {"all",
       "\x1b"
       "f",
       "key 2100 A"},
      {"all", "\x1bq", "key 1000 A"},
      {"all", "\x1bm", "key 3200 A"},
      {"all",
       "\x1b"
       "1",
       "key 7800 A"},
      {"all",
       "\x1b"
       "0",
       "key 8100 A"},
      {"all", "\x1b.", "key 002E A"},
      {"all", "\x1b\x18", "key 2D00 CA"},
      {"all", "\x1b\r", "key 000D A"},
      {"xterm", "\x1b[27;5;9~", "key 0009 C"},
      {"kitty", "\x1b[120;3u", "key 2D00 A"},
      // UTF-8 typed text becomes code page 850; what it cannot hold is dropped.
      {"utf-8", "ç", "key 0087"},
      {"utf-8", "à", "key 0085"},
      {"utf-8", "é", "key 0082"},
      {"utf-8", "Ñ", "key 00A5"},
      {"utf-8", "·", "key 00FA"},
      {"utf-8", "€", ""},
      {"utf-8", "►", ""},
      {"utf-8", "a€b", "key 0061 | key 0062"},
      {"utf-8", "\x1bx\xC3\xA7", "key 2D00 A | key 0087"},
      {"utf-8", "\x1b\xC3\xA7", "key 0087 A"},
      {"broken utf-8", "\xA7z", "key 007A"},
      {"broken utf-8", "\xC3z", "key 007A"},
      {"latin-1", "\xE7", ""},
  });
}

TEST(KeyDecoder, MouseReports) {
  auto x10 = [](int code, int column, int row) {
    return std::string("\x1b[M") + static_cast<char>(32 + code) + static_cast<char>(32 + column) +
           static_cast<char>(32 + row);
  };
  checkCases({
      {"sgr", "\x1b[<0;10;5m", "release 1 at 5,10"},
      {"sgr", "\x1b[<2;80;25m", "release 2 at 25,80"},
      {"sgr", "\x1b[<0;10;5M", "move at 5,10"},
      {"sgr", "\x1b[<32;7;8M", "move at 8,7"},
      {"sgr", "\x1b[<1;3;3m", "move at 3,3"},        // the middle button only moves
      {"sgr", "\x1b[<64;1;1M\x1b[<65;1;1M", ""},     // wheel
      {"sgr", "\x1b[<16;4;2m", "release 1 at 2,4"},  // with Ctrl
      {"x10", x10(0, 10, 5) + x10(3, 11, 6), "move at 5,10 | release 1 at 6,11"},
      {"x10", x10(2, 1, 1) + x10(3, 2, 2), "move at 1,1 | release 2 at 2,2"},
      {"x10", x10(3, 2, 2), "move at 2,2"},
  });
}

TEST(KeyDecoder, SequencesAndOddBytesInOneRead) {
  checkCases({
      {"many", "ab\x1b[A\x7f\x1bOP", "key 0061 | key 0062 | key 4800 | key 0008 | key 3B00"},
      {"unknown", "\x1b[99~x", "key 0078"},
      {"unknown", "\x1b[?1;2cx", "key 0078"},
      {"unknown", "\x1b[>1;2 qx", "key 0078"},
      {"two Esc", "\x1b\x1b", "key 001B | key 001B"},
      {"Esc then key", "\x1b\x1bOP", "key 3B00 A"},
      {"cut short", "\x1b[1;", ""},
      {"Alt+[", "\x1b[", "key 005B A"},
      {"Alt+O", "\x1bO", "key 1800 SA"},
      {"Alt+O then key", "\x1bO\x1b[A", "key 1800 SA | key 4800"},
  });
}

TEST(KeyDecoder, UnfinishedSequencesWaitForMoreBytesOrForQuiet) {
  KeyDecoderState state;
  ConsoleEvent e;
  // A lone Esc is held back until the terminal is quiet: it may begin a sequence.
  state.pending = "\x1b";
  EXPECT_FALSE(takeKeyEvent(state, false, e));
  EXPECT_EQ(state.pending, "\x1b");
  ASSERT_TRUE(takeKeyEvent(state, true, e));
  EXPECT_EQ(describe(e), "key 001B");
  EXPECT_TRUE(state.pending.empty());

  // A sequence split across reads decodes once complete.
  for (std::string part : {"\x1b", "[1", ";2", "P"}) {
    EXPECT_FALSE(takeKeyEvent(state, false, e)) << part;
    state.pending += part;
  }
  ASSERT_TRUE(takeKeyEvent(state, false, e));
  EXPECT_EQ(describe(e), "key 3B00 S");

  // So does a UTF-8 character split between two reads.
  state.pending = "\xC3";
  EXPECT_FALSE(takeKeyEvent(state, false, e));
  state.pending += "\xA7";
  ASSERT_TRUE(takeKeyEvent(state, false, e));
  EXPECT_EQ(describe(e), "key 0087");

  // The quiet settles a cut-off sequence without taking the key after it.
  state.pending = "\x1b[15;";
  EXPECT_FALSE(takeKeyEvent(state, true, e));
  EXPECT_TRUE(state.pending.empty());
  // Nor does a sequence that never ends hold the keys back for ever.
  state.pending = "\x1b[" + std::string(40, '1');
  EXPECT_FALSE(takeKeyEvent(state, false, e));
  EXPECT_TRUE(state.pending.empty());
  state.pending = "\x1bq";
  ASSERT_TRUE(takeKeyEvent(state, false, e));
  EXPECT_EQ(describe(e), "key 1000 A");
}

}  // namespace
}  // namespace talmidor
