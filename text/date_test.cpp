#include "text/date.h"

#include <gtest/gtest.h>

#include <string>

#include "config/packed.h"
#include "config/session.h"
#include "platform/cp850.h"
#include "testing/test_environment.h"

namespace talmidor {
namespace {

class DateTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetSession();
    resetDateSettings();
  }
  void TearDown() override {
    resetDateSettings();
    resetSession();
    TestEnvironment::TearDown();
  }
  void useKeloIni(const std::string& usuari) {
    writeFile("Kelo.ini", "[Usuari]\r\n" + usuari);
    system.env["ZUBROOT"] = dir();
  }
};

std::string date(const char* yyyymmdd) {
  return packDigits(yyyymmdd);
}

TEST_F(DateTest, ParseDateReadsDayMonthYear) {
  struct Case {
    std::string typed;
    std::string expected;  // YYYYMMDD
  };
  const Case cases[] = {
      {"5/3/24", "20240305"},     {"050324", "20240305"},
      {"05032024", "20240305"},   {"1.2.76", "19760201"},
      {"1.2.75", "20750201"},     {"1-2-1975", "19750201"},
      {"31/12/2076", "20761231"}, {"5/3", "00000000"},
      {"5a3", "00000000"},        {"1/2/3/4", "00000000"},
      {"", "00000000"},           {"45/3/24", "20240345"},
      {"0/3/24", "00240300"},     {" 5 / 3 / 24 ", "20240305"},
      {"050324  ", "20240305"},   {"5/3/", "00000000"},
      {"/3/24", "00000000"},      {"5/3/99999", "00000000"},
      {"1 2/3/24", "00000000"},   {"0503", "00000000"},
      {"5/3/024", "20240305"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unpackDigits(parseDate(c.typed)), c.expected) << "|" << c.typed << "|";
  }
  parseDate("5/3/24");
  EXPECT_EQ(lastParsedDate().day, 5);
  EXPECT_EQ(lastParsedDate().month, 3);
  EXPECT_EQ(lastParsedDate().year, 2024);
}

TEST_F(DateTest, CenturyWindowFollowsTheCurrentYear) {
  system.date = {2070, 1, 1};
  EXPECT_EQ(unpackDigits(parseDate("1/1/20")), "20200101");  // 2020 is 50 back: kept
  EXPECT_EQ(unpackDigits(parseDate("1/1/19")), "21190101");
  EXPECT_EQ(isInvalidDate("29/2/20"), 0);
  EXPECT_EQ(lastParsedDate().year, 2020);
  EXPECT_EQ(isInvalidDate("1/1/19"), 0);
  EXPECT_EQ(lastParsedDate().year, 2119);
}

TEST_F(DateTest, IsInvalidDateChecksTheCalendar) {
  struct Case {
    std::string typed;
    int16_t expected;
  };
  const Case cases[] = {
      {"29/02/2023", -1}, {"29/02/2024", 0}, {"29/02/1900", -1}, {"29/02/2000", 0},
      {"10/10/1582", -1}, {"4/10/1582", 0},  {"15/10/1582", 0},  {"31/04/2024", -1},
      {"0/1/2024", -1},   {"1/13/2024", -1}, {"31/12/24", 0},    {"5/3", -1},
      {"x", -1},          {"290224", 0},     {"29/2/76", 0},     {"", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isInvalidDate(c.typed), c.expected) << "|" << c.typed << "|";
  }
  isInvalidDate("29/2/76");  // 2076 is exactly 50 ahead: kept
  EXPECT_EQ(lastParsedDate().year, 2076);
  EXPECT_EQ(lastParsedDate().monthDays, 29);
}

TEST_F(DateTest, DateToEditText) {
  EXPECT_EQ(dateToEditText(date("20240305")), "050324");
  EXPECT_EQ(dateToEditText(date("19500305")), "05031950");
  EXPECT_EQ(dateToEditText(date("19760305")), "050376");
  EXPECT_EQ(dateToEditText(date("20750305")), "050375");
  EXPECT_EQ(dateToEditText(date("20760305")), "05032076");
  EXPECT_EQ(dateToEditText(date("00000000")), "");
  EXPECT_EQ(dateToEditText(""), "");
  EXPECT_EQ(dateToEditText("\x85"), "05000005");  // one byte: it is the day and the year
  EXPECT_EQ(dateToEditText("\x83\x85"), "05030000");
}

TEST_F(DateTest, FormatDateWithTheDefaults) {
  struct Case {
    const char* language;
    std::string packed;
    int16_t style;
    std::string parts;
    std::string expected;
  };
  const Case cases[] = {
      {"CAT", date("20240305"), 0, "dma", "5/3/2024  "},
      {"CAT", date("20241231"), 0, "DMA", "31/12/2024"},
      {"CAT", date("20240305"), 0, "dm", "5/3  "},
      {"CAT", date("00000000"), 0, "dma", "          "},
      {"CAT", date("00000000"), 2, "m", ""},
      {"CAT", date("20240305"), 2, "m", std::string("març"_cp)},
      {"SPA", date("20240305"), 2, "m", "marzo"},
      {"GLG", date("20240305"), 2, "m", std::string("março"_cp)},
      {"OCI", date("20240305"), 2, "m", std::string("març"_cp)},
      {"OCI", date("20240105"), 2, "m", std::string("gèr"_cp)},
      {"SPA", date("20240905"), 2, "m", "septiembre"},
      {"CAT", date("20241305"), 2, "m", ""},
      {"CAT", date("20240305"), 2, "dma", std::string("5març2024"_cp)},
      {"CAT", date("2024"), 0, "dma", "          "},
  };
  for (const Case& c : cases) {
    session().language = c.language;
    EXPECT_EQ(formatDate(c.packed, c.style, c.parts), c.expected)
        << c.language << " " << unpackDigits(c.packed) << " style " << c.style << " " << c.parts;
  }
}

TEST_F(DateTest, FormatDateWithTheInstallationSettings) {
  struct Case {
    std::string usuari;
    std::string expected;
  };
  const Case cases[] = {
      {"DatCaracter=-\r\nDatOrdre=AMD\r\n", "2024-3-5  "},
      {"DatCaracter= \r\nDatOrdre=   \r\n", "5/3/2024  "},
      {"DatOrdre=MD\r\n", "3/5       "},   // no A in the order: no year
      {"DatOrdre=amd\r\n", "          "},  // lower case names no piece
      {"DatCaracter=.x\r\n", "5.3.2024  "},
  };
  for (const Case& c : cases) {
    resetDateSettings();
    useKeloIni(c.usuari);
    EXPECT_EQ(formatDate(date("20240305"), 0, "dma"), c.expected) << c.usuari;
  }
  // Loaded once: a later change of the file is not seen.
  useKeloIni("DatCaracter=*\r\n");
  EXPECT_EQ(formatDate(date("20240305"), 0, "dma"), "5.3.2024  ");
}

TEST_F(DateTest, WeekdayOf) {
  struct Case {
    const char* yyyymmdd;
    int16_t expected;
  };
  const Case cases[] = {
      {"20240101", 1}, {"20240107", 7}, {"15821004", 4}, {"15821015", 5},
      {"20260315", 7}, {"20000229", 2}, {"15000301", 7}, {"20241231", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(weekdayOf(date(c.yyyymmdd)), c.expected) << c.yyyymmdd;
  }
  for (const char* odd : {"00000000", "00000100", "99999999"}) {
    int16_t weekday = weekdayOf(date(odd));
    EXPECT_TRUE(weekday >= 1 && weekday <= 7) << odd;
  }
}

}  // namespace
}  // namespace talmidor
