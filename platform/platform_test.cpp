#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/cp850.h"
#include "platform/memory_console.h"
#include "platform/paths.h"

namespace talmidor {
namespace {

TEST(Cp850, LiteralsBecomeCodePage850Bytes) {
  struct Case {
    std::string_view converted;
    std::string expected;
  };
  const Case cases[] = {
      {"març"_cp, "mar\x87"},
      {"╔═╗"_cp, "\xC9\xCD\xBB"},
      {"►◄"_cp, "\x10\x11"},
      {"FICH╚R"_cp, "FICH\xC8R"},
      {"PÊT"_cp, "P\xD2T"},
      {"ñÑçÇàèéíòóúü"_cp, "\xA4\xA5\x87\x80\x85\x8A\x82\xA1\x95\xA2\xA3\x81"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::string(c.converted), c.expected) << c.expected;
}

TEST(Cp850, RoundTripsThroughUtf8AndDropsWhatItCannotShow) {
  for (int b = 0x80; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(utf8ToCp850(cp850ToUtf8(one)), one) << b;
  }
  EXPECT_EQ(utf8ToCp850("a€b"), "ab");
  EXPECT_EQ(utf8ToCp850("\xFF\xFE"), "");
}

TEST(Paths, BackslashesBecomeSlashesAndCaseIsFoundWhenMissing) {
  namespace fs = std::filesystem;
  fs::path root = fs::temp_directory_path() / "talmidor_paths_test";
  fs::remove_all(root);
  fs::create_directories(root / "DADES");
  std::ofstream(root / "DADES" / "TVRebut.dat") << "x";
  std::string base = root.string();
  EXPECT_EQ(hostPath(base + "\\dades\\tvrebut.DAT"), base + "/DADES/TVRebut.dat");
  EXPECT_EQ(hostPath(base + "/DADES/new.dat"), base + "/DADES/new.dat");
  EXPECT_EQ(hostPath("relative\\name"), "relative/name");
  fs::remove_all(root);
}

TEST(MemoryConsole, WritesWrapAndScrollFillsWithCurrentColour) {
  MemoryConsole console(5, 10);
  console.moveCursor(1, 9);
  console.writeText("abc");
  EXPECT_EQ(console.line(1), "        ab");
  EXPECT_EQ(console.line(2), "c");
  console.setColour(1, 7);
  console.scrollRect(1, 1, 2, 10, 1);
  EXPECT_EQ(console.line(1), "c");
  EXPECT_EQ(console.attributes(2).substr(0, 2), "71");
  console.setColour(20, 2);
  uint8_t ch, attr;
  console.writeText("Z");
  console.readCell(2, 2, ch, attr);
  EXPECT_EQ(ch, 'Z');
  EXPECT_EQ(attr, 0x21);
}

TEST(MemoryConsole, AnswersEscWhenTheScriptRunsOut) {
  MemoryConsole console;
  console.pushKey(13);
  EXPECT_EQ(console.nextEvent().key, 13);
  EXPECT_FALSE(console.scriptExhausted());
  EXPECT_EQ(console.nextEvent().key, 27);
  EXPECT_TRUE(console.scriptExhausted());
}

}  // namespace
}  // namespace talmidor
