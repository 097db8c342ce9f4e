#include "form/runtime.h"

#include <gtest/gtest.h>

#include "form/form_fixture.h"
#include "platform/cp850.h"

namespace talmidor {
namespace {

// Ctrl+B: every test page lists it, and it leaves a page like End. (End itself is an
// editing key of the line editor; Enter is reported as End only on pages that list End.)
constexpr int16_t kDone = 2;

class RuntimeTest : public FormTest {
 protected:
  // Page 1 is a filler (leaving page 1 runs the module's whole-form check); the page under
  // test is page 2, with four text fields on rows 3 to 6.
  static std::vector<PageSpec> navigationForm() {
    PageSpec filler;
    filler.fields.push_back(fieldSpec(2, 2, "X ", 1));
    PageSpec page;
    page.keys = "d,1b,4800,5000,4900,5100,3c00,3d00,2";
    for (int f = 1; f <= 4; ++f) {
      page.fields.push_back(fieldSpec(2 + f, 2, "F" + std::to_string(f) + " ", 3));
    }
    return {filler, page};
  }

  int16_t run(int16_t page, int16_t key = 0) {
    runFormPage(page, key);
    return key;
  }

  // The fields of a page whose value begins with the marker.
  std::vector<int> marked(int16_t page, char marker) {
    std::vector<int> found;
    for (int16_t f = 1; f <= formTables().pages[page].fieldCount; ++f) {
      if (!field(page, f).value.empty() && field(page, f).value[0] == marker) found.push_back(f);
    }
    return found;
  }
};

// Each row: keys pressed on page 2, then "Z" and End; which field took the "Z" and which key
// left the page.
TEST_F(RuntimeTest, MovesBetweenFieldsByKeyAndClick) {
  struct Case {
    const char* what;
    std::vector<int16_t> keys;  // 0x7000 + row: a click on column 3 of that screen row
    std::vector<int> markedField;
    int16_t leftWith;
  };
  const int16_t click = 0x7000;
  const Case cases[] = {
      {"Enter twice", {kEnter, kEnter}, {3}, kDone},
      {"Down, Down, Up", {kDown, kDown, kUp}, {2}, kDone},
      {"PgDn to the last", {kPgDn}, {4}, kDone},
      {"PgDn then PgUp to the first", {kPgDn, kPgUp}, {1}, kDone},
      {"Down on the last stays", {kPgDn, kDown}, {4}, kDone},
      {"Up on the first of a top page stays", {kUp}, {1}, kDone},
      {"Enter on the last leaves with Enter", {kPgDn, kEnter}, {}, kEnter},
      {"Esc on a later field goes to the first", {kDown, kDown, 'Q', kEsc}, {1}, kDone},
      {"Esc on the first leaves", {kEsc}, {}, kEsc},
      {"F1 without a help topic stays", {kDown, kF1}, {2}, kDone},
      {"F2 without a linked page stays", {kDown, kF2}, {2}, kDone},
      {"a listed key of its own leaves", {kDown, kF3}, {}, kF3},
      {"a click on a label", {static_cast<int16_t>(click + 5)}, {3}, kDone},
      {"a click on empty screen stays", {kDown, static_cast<int16_t>(click + 20)}, {2}, kDone},
  };
  console.setMouseButtons(2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetFormTables();
    useForm(navigationForm());
    for (int16_t key : c.keys) {
      if (key > click && key < click + 100) {
        console.pushMouseRelease(1, static_cast<int16_t>(key - click), 3);
      } else if (key > 32 && key < 127) {
        console.pushText(std::string(1, static_cast<char>(key)));
      } else {
        console.pushKey(key);
      }
    }
    console.pushText("Z");
    console.pushKey(kDone);
    EXPECT_EQ(run(2), c.leftWith);
    EXPECT_EQ(marked(2, 'Z'), c.markedField);
    EXPECT_TRUE(marked(2, 'Q').empty()) << "Esc must not store the edit";
    while (console.pendingEvents() > 0) console.nextEvent();
  }

  // On a page that lists End, the editor reports Enter as End, which leaves the page.
  resetFormTables();
  std::vector<PageSpec> pages = navigationForm();
  pages[1].keys = "d,1b,4f00";
  useForm(pages);
  keys({kEnter});
  EXPECT_EQ(run(2), kEnd);
}

TEST_F(RuntimeTest, LinkedPagesOpenOnF2AndAfterTheLastField) {
  std::vector<PageSpec> pages = navigationForm();
  pages[1].linkedPage = 3;
  pages[1].fields.resize(2);
  PageSpec linked;
  linked.keys = "d,1b,4800,5000,2";
  linked.window = {8, 10, 14, 50};
  linked.fields.push_back(fieldSpec(1, 2, "L1 ", 3));
  linked.fields.push_back(fieldSpec(2, 2, "L2 ", 3));
  pages.push_back(linked);
  useForm(pages);
  console.setMouseButtons(2);

  // F2 on the first field; End on the linked page leaves both pages.
  keys({kF2});
  console.pushText("A");
  keys({kDone});
  EXPECT_EQ(run(2), kDone);
  EXPECT_EQ(field(3, 1).value, "A  ");
  EXPECT_EQ(console.line(8), "") << "the linked page's window is closed again";

  // Up on the linked page's first field comes back with Esc; the caller stays on its field.
  keys({kDown, kF2, kUp});
  console.pushText("B");
  keys({kDone});
  EXPECT_EQ(run(2), kDone);
  EXPECT_EQ(field(2, 2).value, "B  ");

  // Enter on the last field opens the linked page; Enter past its last field leaves both.
  keys({kDown, kEnter, kEnter, kEnter});
  EXPECT_EQ(run(2), kEnter);

  // A click inside the linked page's window picks the field under it.
  keys({kF2});
  console.pushMouseRelease(1, 8 + 2, 10 + 3);  // label of L2
  console.pushText("C");
  keys({kDone});
  EXPECT_EQ(run(2), kDone);
  EXPECT_EQ(field(3, 2).value, "C  ");
}

TEST_F(RuntimeTest, SwitchCoversAndSkipsTheTwoFieldsAfterIt) {
  PageSpec filler;
  filler.fields.push_back(fieldSpec(2, 2, "X ", 1));
  PageSpec page;
  page.keys = "d,1b,4800,5000,2";
  page.fields.push_back(fieldSpec(3, 2, "Grup ", 1, 4));
  page.fields.push_back(fieldSpec(4, 2, "De ", 3));
  page.fields.back().trailWidth = 2;
  page.fields.push_back(fieldSpec(5, 2, "A ", 3));
  page.fields.push_back(fieldSpec(6, 2, "Altre ", 3));
  useForm({filler, page});
  storeFieldValue(field(2, 1), "S");
  storeFieldValue(field(2, 2), "abc");

  // "N" covers fields 2 and 3 with dashes; Enter passes over them to field 4, and Up passes
  // back over them to the switch.
  RecordingConsole screen;
  platform().console = &screen;
  screen.pushText("N");
  screen.pushKey(kEnter);
  screen.pushText("Z");
  screen.pushKey(kUp);
  screen.pushText("S");
  screen.pushKey(kEnter);
  screen.pushText("Q");
  screen.pushKey(kDone);
  EXPECT_EQ(run(2), kDone);
  ASSERT_GE(screen.screens.size(), 3u);
  const std::string& screenAtZ = screen.screens[2];
  EXPECT_NE(screenAtZ.find("De -----\n"), std::string::npos) << screenAtZ;
  EXPECT_NE(screenAtZ.find("A ---\n"), std::string::npos) << screenAtZ;
  EXPECT_EQ(field(2, 4).value, "Z  ");
  EXPECT_EQ(field(2, 1).value, "S");
  EXPECT_EQ(field(2, 2).value, "Qbc");
  EXPECT_EQ(field(2, 2).attr[kFlags] & kFlagDisabled, 0);
  EXPECT_EQ(screen.line(4), " De Qbc");
}

TEST_F(RuntimeTest, BlankEntriesKeepValuesAndHiddenValuesNeverShow) {
  PageSpec filler;
  filler.fields.push_back(fieldSpec(2, 2, "X ", 1));
  PageSpec page;
  page.keys = "d,1b,4800,5000,2";
  page.fields.push_back(fieldSpec(3, 2, "Nom ", 6));
  page.fields.back().flags = kFlagBlankStart;
  page.fields.push_back(fieldSpec(4, 2, "Clau ", 6));
  page.fields.back().flags = kFlagHidden;
  page.fields.back().trailWidth = 3;
  page.fields.push_back(fieldSpec(5, 2, "Pin ", 6));
  page.fields.back().flags = kFlagHidden;
  useForm({filler, page});
  storeFieldValue(field(2, 1), "ABCDEF");
  storeFieldValue(field(2, 2), "old");
  storeFieldValue(field(2, 3), "pw");

  keys({kEnter});
  console.pushText("secret");
  keys({kEnter, kEnter});
  EXPECT_EQ(run(2), kEnter);
  EXPECT_EQ(field(2, 1).value, "ABCDEF");
  EXPECT_EQ(field(2, 2).value, "secret");
  EXPECT_EQ(field(2, 3).value, "pw    ");
  const std::string screen = screenText();
  EXPECT_NE(screen.find("Nom ABCDEF"), std::string::npos);
  for (const char* hidden : {"secret", "old", "pw"}) {
    EXPECT_EQ(screen.find(hidden), std::string::npos) << hidden << " shown:\n" << screen;
  }

  // Editing a blank-start field starts from blanks: the old characters do not come back.
  console.pushText("X");
  keys({kDone});
  run(2);
  EXPECT_EQ(field(2, 1).value, "X     ");
}

TEST_F(RuntimeTest, ChoiceListsShowDescriptions) {
  PageSpec filler;
  filler.fields.push_back(fieldSpec(2, 2, "X ", 1));
  PageSpec page;
  page.keys = "d,1b,4800,5000,2";
  page.fields.push_back(fieldSpec(3, 2, "Color ", 1));
  page.fields.back().trailWidth = 4;
  page.fields.back().choiceList = "|1,Red|2,Green|3,Blue";
  page.fields.push_back(fieldSpec(4, 2, "Cap ", 1));
  page.fields.back().choiceList = "|1,Red";
  useForm({filler, page});
  storeFieldValue(field(2, 1), "2");
  storeFieldValue(field(2, 2), "9");
  printAt(4, 6, "old");
  drawFormPage(2);
  EXPECT_EQ(console.line(3), " Color Green");
  EXPECT_EQ(console.line(4), " Cap old") << "no entry matches: nothing is shown";

  keys({kRight, kDone});
  run(2);
  EXPECT_EQ(field(2, 1).value, "3");
  EXPECT_EQ(console.line(3), " Color Blue");
}

TEST_F(RuntimeTest, DatesDefaultToTheWorkDateAndSetTheMonthField) {
  PageSpec filler;
  filler.fields.push_back(fieldSpec(2, 2, "X ", 1));
  PageSpec page;
  page.keys = "d,1b,4800,5000,2";
  page.fields.push_back(fieldSpec(3, 2, "Data ", 8, 1));
  for (int f = 2; f <= 5; ++f) page.fields.push_back(fieldSpec(2 + f, 2, "T ", 2));
  page.fields.push_back(fieldSpec(8, 2, "Mes ", 2, 3));
  useForm({filler, page});

  // A blank date becomes the work date, and the month follows it.
  keys({kDone});
  run(2);
  EXPECT_EQ(field(2, 1).value, "150326  ");
  EXPECT_EQ(field(2, 6).value, "3 ");
  std::string shown = " Data " + formatDate(parseDate("150326"), 0, "dma");
  EXPECT_EQ(console.line(3), shown.substr(0, shown.find_last_not_of(' ') + 1));
  EXPECT_EQ(console.line(8), " Mes  3");

  console.pushText("01052026");
  keys({kDone});
  run(2);
  EXPECT_EQ(field(2, 1).value, "01052026");
  EXPECT_EQ(field(2, 6).value, "5 ");

  // The same date again leaves the month field alone.
  storeFieldValue(field(2, 6), "9");
  keys({kDone});
  run(2);
  EXPECT_EQ(field(2, 6).value, "9 ");

  // An impossible date is refused with a beep and edited again.
  console.pushText("31022026");
  keys({kDone, kEsc, kEsc});
  run(2);
  EXPECT_EQ(field(2, 1).value, "01052026");
  EXPECT_EQ(console.beeps(), 1);
}

TEST_F(RuntimeTest, NumbersAreCheckedAndShownThroughTheirMasks) {
  PageSpec filler;
  filler.fields.push_back(fieldSpec(2, 2, "X ", 1));
  PageSpec page;
  page.keys = "d,1b,4800,5000,2";
  page.fields.push_back(fieldSpec(3, 2, "Num ", 3, 2));
  page.fields.push_back(fieldSpec(4, 2, "Dos ", 2, 3));
  useForm({filler, page});

  console.pushText("1a");
  keys({kEnter, kCtrlY});  // refused: a letter; then the text is cleared
  console.pushText("7");
  keys({kEnter});
  console.pushText("5");
  keys({kDone});
  run(2);
  EXPECT_EQ(console.beeps(), 1);
  EXPECT_EQ(field(2, 1).value, "7  ");
  EXPECT_EQ(field(2, 2).value, "5 ");
  EXPECT_EQ(console.line(3), " Num   7");
  EXPECT_EQ(console.line(4), " Dos  5");
}

TEST_F(RuntimeTest, DrawsTheCentredTitleAndPageOneHeadings) {
  useForm(navigationForm());
  struct Case {
    std::string title;
    size_t column;
  };
  for (const Case& c : {Case{std::string(10, 'T'), 36}, Case{std::string(11, 'T'), 36},
                        Case{std::string(13, 'T'), 34}}) {
    SCOPED_TRACE(c.title.size());
    console.clear();
    session().menuTitle = c.title;
    drawFormPage(1);
    EXPECT_EQ(console.line(1), std::string(c.column - 1, ' ') + c.title);
    EXPECT_EQ(console.attributes(1).substr((c.column - 1) * 2, 2), "70");  // class "rh"
  }
  EXPECT_EQ(console.line(9), std::string(80, '-'));
  EXPECT_EQ(console.line(10), "FORMES DE COBRAMENT :");
  EXPECT_EQ(console.line(12), std::string(80, '-'));
  EXPECT_EQ(console.line(13), "CONCEPTES A EMETRE :");
  EXPECT_EQ(console.line(22), std::string(80, '='));
  console.clear();
  drawFormPage(2);
  EXPECT_EQ(console.line(9), "") << "the headings belong to page 1 only";
}

TEST_F(RuntimeTest, PageWithoutEditableFieldsReturnsAtOnceWithTheKeyUnchanged) {
  std::vector<PageSpec> pages = navigationForm();
  for (FieldSpec& f : pages[1].fields) f.flags = kFlagDisabled;
  useForm(pages);
  EXPECT_EQ(run(2, kF4), kF4);
  EXPECT_EQ(console.line(3), " F1 ---");
  EXPECT_EQ(console.pendingEvents(), 0u);
  EXPECT_FALSE(console.scriptExhausted());
}

TEST_F(RuntimeTest, LookupClosedWithoutChoiceEditsTheFieldAgainWithThePageKeys) {
  std::vector<PageSpec> pages = navigationForm();
  pages[1].keys = "d,1b,4800,5000,3e00,2";
  pages[1].fields[0].lookupNo = 5;
  std::vector<LookupSpec> lookups(5, LookupSpec{0, 0, 5, 10, 15, 70, 0, "Llista", 0});
  useForm(pages, lookups);

  // Esc in the window: a beep, and the field is edited again; F5, which the page does not
  // list, is still ignored by the editor.
  keys({kF4, kEsc, kF5});
  console.pushText("Z");
  keys({kDone});
  EXPECT_EQ(run(2), kDone);
  EXPECT_EQ(field(2, 1).value, "Z  ");
  EXPECT_EQ(console.beeps(), 1);

  // Enter in a window without a data file is a choice: the cursor moves on to field 2.
  keys({kF4, kEnter});
  console.pushText("Y");
  keys({kDone});
  EXPECT_EQ(run(2), kDone);
  EXPECT_EQ(field(2, 2).value, "Y  ");
}

}  // namespace
}  // namespace talmidor
