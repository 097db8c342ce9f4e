#include "form/runtime.h"

#include <string>

#include "config/catalogue.h"
#include "config/packed.h"
#include "config/session.h"
#include "console/editor.h"
#include "console/help.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "form/lookup.h"
#include "form/validation.h"
#include "platform/platform.h"
#include "text/date.h"
#include "text/number.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

// Ctrl+B, or whatever a page's key list translates to 2: leaves the page like End.
constexpr int16_t kLeaveCode = 2;

int16_t labelLength(const FormField& f) {
  return static_cast<int16_t>(f.label.size());
}

int16_t valueColumn(const FormField& f) {
  return static_cast<int16_t>(f.attr[kColumn] + labelLength(f));
}

int16_t lineWidthOf(const FormField& f) {
  return f.attr[kLineWidth] != 0 ? f.attr[kLineWidth] : f.attr[kLength];
}

int16_t rowsOf(const FormField& f) {
  return f.attr[kLineWidth] != 0 ? static_cast<int16_t>(f.attr[kLength] / f.attr[kLineWidth]) : 1;
}

bool disabled(const FormField& f) {
  return (f.attr[kFlags] & kFlagDisabled) != 0;
}

std::string rightTrimmed(const std::string& text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

void editableRange(const FormPage& page, int16_t& firstEditable, int16_t& lastEditable) {
  firstEditable = static_cast<int16_t>(page.fieldCount + 1);
  lastEditable = 0;
  for (int16_t f = 1; f <= page.fieldCount; ++f) {
    if (disabled(page.fields[f])) continue;
    if (f < firstEditable) firstEditable = f;
    lastEditable = f;
  }
}

// The description of the choice-list entry whose code equals value; false when none does.
bool choiceDescription(const std::string& list, const std::string& value, std::string& out) {
  for (const Choice& choice : parseChoices(list)) {
    if (choice.code == value) {
      out = choice.description;
      return true;
    }
  }
  return false;
}

// The first field whose label, value or trail lies under a click at window position (y, x).
int16_t fieldUnderClick(const FormPage& page, int y, int x) {
  for (int16_t j = 1; j <= page.fieldCount; ++j) {
    const FormField& f = page.fields[j];
    if (disabled(f)) continue;
    int row = f.attr[kRow];
    int column = f.attr[kColumn];
    if (row <= y && y < row + rowsOf(f) && column <= x &&
        x < column + labelLength(f) + lineWidthOf(f) + f.attr[kTrailWidth]) {
      return j;
    }
  }
  return 0;
}

// Column of a centred title: 41 - length / 2, halves rounded to the even column.
int16_t titleColumn(size_t length) {
  int twice = 82 - static_cast<int>(length);
  int column = twice / 2;
  if (twice % 2 != 0) {
    int lower = (twice - 1) / 2;
    column = lower % 2 == 0 ? lower : lower + 1;
  }
  return static_cast<int16_t>(column < 1 ? 1 : column);
}

// Keys a linked page may hand back that also leave the page that opened it.
bool leavesCaller(int16_t key) {
  return key == kPgUp || key == kPgDn || key == kEnd || key == kLeaveCode || key == kEnter ||
         key == kDown || key == kUp;
}

}  // namespace

void runFormPage(int16_t page, int16_t& key) {
  const bool nested = page < 0;
  const int16_t p = static_cast<int16_t>(nested ? -page : page);
  FormPage* pg = findPage(p);
  if (pg == nullptr) return;

  bool windowOpened = false;
  if (pg->window[0] != 0) {
    int16_t depth = windowFrame().depth;
    setColourClass("+n");
    pushScreen(pg->window[0], pg->window[1], pg->window[2], pg->window[3]);
    // A refused push (bounds off the screen) must not be paired with a pop.
    windowOpened = windowFrame().depth != depth;
    if (windowOpened) drawFrame(2);
    setColourClass("-");
  }
  drawFormPage(p);

  int16_t firstEditable = 0, lastEditable = 0;
  editableRange(*pg, firstEditable, lastEditable);
  int16_t currentField = firstEditable;
  for (;;) {
    while (firstEditable <= currentField && currentField <= lastEditable) {
      FormField& field = pg->fields[currentField];
      // One field visit.
      editKeyTable("+ea", pg->pageKeys + ",3b00");
      const int16_t row = field.attr[kRow];
      const int16_t column = valueColumn(field);
      const int16_t length = field.attr[kLength];
      const int16_t trail = field.attr[kTrailWidth];
      const int16_t flags = field.attr[kFlags];
      const bool hidden = (flags & kFlagHidden) != 0;
      std::string text = (flags & (kFlagBlankStart | kFlagHidden)) != 0
                             ? std::string(length > 0 ? static_cast<size_t>(length) : 0, ' ')
                             : field.value;
      if (hidden) editKeyTable("h", "");
      if (trail != 0 && !disabled(field)) {
        locateInWindow(row, static_cast<int16_t>(column + length));
        printText(std::string(static_cast<size_t>(trail > 0 ? trail : 0), ' '));
      }
      for (;;) {
        if (disabled(field)) break;  // passed over in the direction of the key that led here
        setFieldChoices(field.choiceList);
        int16_t cursor = 1;
        if ((flags & kFlagCursorAtEnd) != 0) {
          cursor = static_cast<int16_t>(1 + rightTrimmed(text).size());
        }
        editLine(row, column, field.attr[kLineWidth], text, cursor, key);
        int16_t rejected = 0;
        if (key == kF1) {
          if (!session().menuName.empty()) showHelp(rightTrimmed(session().menuName));
          key = 0;
        } else if (key == kF4) {
          key = 0;
          if (field.attr[kLookupNo] > 0) {
            int16_t result = 0, chosen = 0;
            openLookup(field.attr[kLookupNo], result, chosen);
            // The window restored the single saved key table, which was the one of before
            // this visit; put the page's keys back so a new edit ends on the page's keys only.
            editKeyTable("+ea", pg->pageKeys + ",3b00");
            if (result != 0) {
              rejected = result;
            } else {
              applyLookupChoice(chosen, p, currentField);
              key = (currentField == pg->fieldCount && pg->linkedPage <= 0) ? kEnter : kDown;
            }
          }
        } else {
          if (trail != 0 && !disabled(field)) {
            // A hidden entry is never put on the screen, not even here.
            locateInWindow(row, column);
            printText((hidden ? std::string(text.size(), ' ') : text) +
                      std::string(static_cast<size_t>(trail > 0 ? trail : 0), ' '));
          }
          if (key == kEsc) {
            showFieldValue(p, currentField);
          } else {
            if (isAllChar(text, 32) != 0 && (flags & (kFlagBlankStart | kFlagHidden)) != 0) {
              text = field.value;  // a blank entry keeps the old value
            }
            rejected = validateField(p, text, currentField, key);
          }
        }
        editableRange(*pg, firstEditable, lastEditable);
        if (rejected == 0) break;
        platform().console->beep();
      }
      if (hidden) editKeyTable("v", "");
      editKeyTable("-", "");

      // Navigation.
      bool leave = false;
      if (key == kPgUp) {
        currentField = firstEditable;
      } else if (key == kPgDn) {
        currentField = lastEditable;
      } else if (key == kEnd || key == kLeaveCode) {
        leave = true;
      } else if (key == kEsc) {
        if (currentField > firstEditable) {
          currentField = firstEditable;
        } else {
          leave = true;
        }
      } else if (key == kEnter || key == kDown || key == kF2) {
        if ((currentField == lastEditable || key == kF2) && pg->linkedPage > 0) {
          runFormPage(static_cast<int16_t>(-pg->linkedPage), key);
          if (leavesCaller(key)) leave = true;
        } else if (key == kDown && currentField < lastEditable) {
          ++currentField;
        } else if (key == kEnter) {
          ++currentField;  // past the last editable field this leaves the page with Enter
        }
      } else if (key == kUp) {
        if (currentField > firstEditable) {
          --currentField;
        } else if (nested) {
          key = kEsc;
          leave = true;
        }
      } else if (key < 0) {
        int click = -static_cast<int>(key);
        int y = click % 100 - (windowOpened ? pg->window[0] : 0);
        int x = click / 100 - (windowOpened ? pg->window[1] : 0);
        int16_t target = fieldUnderClick(*pg, y, x);
        if (target != 0) currentField = target;
      } else if (key != 0) {
        leave = true;
      }
      if (leave) break;
    }

    // Leaving the page: the whole-form check may send the operator back.
    if (checkPageExit(p, key) == 0) break;
    if (firstEditable > lastEditable) {
      // Nothing on the page can be corrected: leave it as abandoned.
      key = kEsc;
      break;
    }
    currentField = firstEditable;
  }

  if (windowOpened) popScreen();
}

void drawFormPage(int16_t page) {
  FormPage* pg = findPage(page);
  if (pg == nullptr) return;
  const std::string& title = session().menuTitle;
  setColourClass("rh");
  printAt(1, titleColumn(title.size()), title);
  setColourClass("n");
  for (int16_t f = 1; f <= pg->fieldCount; ++f) {
    const FormField& field = pg->fields[f];
    locateInWindow(field.attr[kRow], field.attr[kColumn]);
    printText(field.label);
  }
  if (page == 1) {
    // This module's headings between the groups of page 1.
    printAt(9, 1, std::string(80, '-'));
    printAt(10, 1, translate("FORMES DE COBRAMENT :"));
    printAt(12, 1, std::string(80, '-'));
    printAt(13, 1, translate("CONCEPTES A EMETRE :"));
    printAt(22, 1, std::string(80, '='));
  }
  setColourClass("h");
  for (int16_t f = 1; f <= pg->fieldCount; ++f) showFieldValue(page, f);
}

void showFieldValue(int16_t page, int16_t field) {
  FormField* f = findField(page, field);
  if (f == nullptr) return;
  if (f->attr[kValueType] == 4) {
    // A switch enables the two fields after it when it holds "S".
    const bool on = f->value == "S";
    for (int16_t next = static_cast<int16_t>(field + 1); next <= field + 2; ++next) {
      if (FormField* n = findField(page, next)) {
        if (on) {
          n->attr[kFlags] = static_cast<int16_t>(n->attr[kFlags] & ~kFlagDisabled);
        } else {
          n->attr[kFlags] = static_cast<int16_t>(n->attr[kFlags] | kFlagDisabled);
        }
      }
    }
    showFieldValue(page, static_cast<int16_t>(field + 1));
    showFieldValue(page, static_cast<int16_t>(field + 2));
  }
  const int16_t row = f->attr[kRow];
  const int16_t column = valueColumn(*f);
  locateInWindow(row, column);
  const int16_t flags = f->attr[kFlags];
  if ((flags & kFlagDisabled) != 0) {
    int count = f->attr[kLength] + f->attr[kTrailWidth];
    printText(std::string(static_cast<size_t>(count > 0 ? count : 0), '-'));
    return;
  }
  if ((flags & kFlagHidden) != 0) return;
  const std::string& value = f->value;
  switch (f->attr[kValueType]) {
    case 1:
      printText(formatDate(parseDate(value), 0, "dma"));
      return;
    case 2:
      printText(formatNumber("ZZ9", leadingNumber(value)));
      return;
    case 3: {
      std::string mask = "ZZ9";
      if (value.size() < mask.size()) mask = mask.substr(mask.size() - value.size());
      printText(formatNumber(mask, leadingNumber(value)));
      return;
    }
    default:
      break;
  }
  if (!f->choiceList.empty()) {
    std::string description;
    if (choiceDescription(f->choiceList, value, description)) {
      int width = f->attr[kLength] + f->attr[kTrailWidth];
      printText(fitText(description, static_cast<size_t>(width > 0 ? width : 0)));
    }
    return;
  }
  const int16_t lineWidth = f->attr[kLineWidth];
  if (lineWidth > 0) {
    for (size_t start = 0, k = 0; start < value.size(); start += lineWidth, ++k) {
      locateInWindow(static_cast<int16_t>(row + k), column);
      printText(value.substr(start, static_cast<size_t>(lineWidth)));
    }
    return;
  }
  printText(value);
}

}  // namespace talmidor
