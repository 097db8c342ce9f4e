#include "keyed/keyedfile_tool.h"

#include <gtest/gtest.h>

#include <sstream>

#include "keyed/definition_text.h"
#include "keyed/keyed_fixture.h"

namespace talmidor {
namespace {

class KeyedFileToolTest : public KeyedTest {
 protected:
  // Runs the tool; its output and errors are kept in out and err.
  int run(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream o, e;
    int code = runKeyedFileTool(args, in, o, e);
    out = o.str();
    err = e.str();
    return code;
  }
  std::string out, err;
};

constexpr const char* kConcepts = R"(# receipt concepts
record 4
page 512
key modifiable
segment 1 1 binary
key duplicates modifiable null=20
segment 2 2 string nocase   # name
)";

TEST_F(KeyedFileToolTest, MakesCreatesLoadsDumpsAndShows) {
  std::string text = writeFile("concepts.txt", kConcepts);
  std::string xdf = dir() + "TVRebut.xdf", data = dir() + "TVRebut.dat";
  ASSERT_EQ(run({"makexdf", text, xdf}), 0) << err;
  std::string definition = readFile("TVRebut.xdf");
  ASSERT_EQ(definition.size(), 2u + 16 + 2 * 16);
  EXPECT_EQ(definition.substr(0, 2), std::string("\x30\x00", 2));

  ASSERT_EQ(run({"create", data, xdf}), 0) << err;
  EXPECT_EQ(run({"create", data, xdf}), kStatusFileExists);
  EXPECT_NE(err.find("status 59"), std::string::npos) << err;

  ASSERT_EQ(run({"load", data}, std::string("\x02"
                                            "bbx"
                                            "\x01"
                                            "ABx"
                                            "\x03"
                                            "  x",
                                            12)),
            0)
      << err;
  EXPECT_EQ(out, "loaded 3 records\n");
  ASSERT_EQ(run({"dump", data}), 0);
  EXPECT_EQ(out, "01414278\n02626278\n03202078\n");
  ASSERT_EQ(run({"dump", data, "--key", "1"}), 0);
  EXPECT_EQ(out, "01414278\n02626278\n") << "the blank name is a null key";

  ASSERT_EQ(run({"stat", data}), 0);
  EXPECT_NE(out.find("record length 4\nrecords 3\nkeys 2\n"), std::string::npos) << out;
  EXPECT_NE(out.find("key 1: length 2, 2 distinct values, duplicates, modifiable"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("segment 2 2 string nocase"), std::string::npos) << out;
}

TEST_F(KeyedFileToolTest, ARefusedRecordLoadsNothing) {
  std::string text = writeFile("concepts.txt", kConcepts);
  std::string xdf = dir() + "c.xdf", data = dir() + "c.dat";
  ASSERT_EQ(run({"makexdf", text, xdf}), 0);
  ASSERT_EQ(run({"create", data, xdf}), 0);
  EXPECT_EQ(run({"load", data}, std::string("\x01"
                                            "aax"
                                            "\x02"
                                            "bbx"
                                            "\x01"
                                            "ccx",
                                            12)),
            kStatusDuplicateKey);
  EXPECT_NE(err.find("record 3 refused with status 5; nothing loaded"), std::string::npos) << err;
  EXPECT_EQ(run({"load", data}, "12345"), kStatusBufferTooShort) << "not whole records";
  ASSERT_EQ(run({"dump", data}), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(run({"dump", dir() + "missing.dat"}), kStatusFileNotFound);
}

TEST_F(KeyedFileToolTest, UsageAndDescriptionErrors) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(out.find("makexdf TEXTFILE XDFFILE"), std::string::npos);
  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({"lock", "x.dat", "--key", "0"}), 2);
  EXPECT_EQ(run({"lock", "x.dat", "--key", "0", "--value", "0g"}), 2);
  EXPECT_EQ(run({"dump", "x.dat", "--key", "many"}), 2);
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"key\nsegment 1 1\n", "line 0: no record length"},
      {"record 4\nsegment 1 1\n", "line 2: segment before any key"},
      {"record 4\nkey\nsegment 1 1 float\n", "line 3: unknown segment word \"float\""},
      {"record 4\nkey\n", "line 0: key 0 has no segments"},
      {"record 4\nkey\nsegment 3 4\n", "refused with status 27"},
      {"record 4\nkey\nsegment 1 2 alternate\nalternate X\ntable 0001\n", "holds 2 bytes, not 256"},
      {"record 4\nkey\nsegment 1 3 integer\n", "refused with status 29"},
  };
  for (const auto& c : cases) {
    FileDefinition def;
    std::string error;
    EXPECT_FALSE(parseDefinitionText(c.text, def, error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave " << error;
  }
}

TEST_F(KeyedFileToolTest, DescriptionsReadBackWhatTheyDescribe) {
  const char* text =
      "record 30\npage 1024\nkey duplicates\nsegment 1 2 integer descending\nsegment 3 4 unsigned\n"
      "key modifiable null=00\nsegment 7 10 lstring alternate\nsegment 17 10 zstring\n"
      "key\nsegment 27 4 binary\nalternate UPPER\ntable upper\n";
  FileDefinition def, again;
  std::string error;
  ASSERT_TRUE(parseDefinitionText(text, def, error)) << error;
  ASSERT_TRUE(parseDefinitionText(describeDefinition(def), again, error)) << error;
  EXPECT_EQ(creationBlock(again), creationBlock(def));
  EXPECT_EQ(def.alternateTable['q'], 'Q');
  EXPECT_EQ(def.keys[1].segments[1].flags, kKeyModifiable | kKeyNull | kKeyExtendedType);
}

}  // namespace
}  // namespace talmidor
