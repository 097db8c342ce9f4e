#include "console/editor.h"

#include "console/keys.h"

namespace talmidor {

namespace {
EditorState theEditorState;
}  // namespace

void setFieldChoices(const std::string& list) {
  theEditorState.choiceList = list;
}
void editLine(int16_t, int16_t, int16_t, std::string&, int16_t&, int16_t& key) {
  key = kEsc;
}
EditorState& editorState() {
  return theEditorState;
}
void resetEditor() {
  theEditorState = EditorState{};
}

}  // namespace talmidor
