#pragma once
// The field line editor: edits a fixed-length text in place on the screen, or steps through
// the entries of a choice list, until a key of the key table (or a click outside) ends it.

#include <cstdint>
#include <string>
#include <vector>

namespace talmidor {

// The choice list used by every later editLine ("|code,description|code,description"); an
// empty list means free text.
void setFieldChoices(const std::string& list);

struct Choice {
  std::string code, description;
};
// The entries of a choice list: each starts after a "|", its code runs to the next ","
// (or "|"), its description from there to the next "|". Text before the first "|" is no entry.
std::vector<Choice> parseChoices(const std::string& list);

// Edits text (its length never changes) at window position (row, column) in lines of width
// characters (0: one line); 0 for row or column takes the cursor's. cursorPos is clamped to
// 1..length + 1 on entry and gives where editing stopped. key is the key that ended the edit,
// translated through the key table, or -(column x 100 + row) for a click outside the field.
void editLine(int16_t row, int16_t column, int16_t width, std::string& text, int16_t& cursorPos,
              int16_t& key);

struct EditorState {
  std::string choiceList;
};
EditorState& editorState();
// No choice list.
void resetEditor();

}  // namespace talmidor
