#pragma once
// Resets of the process-wide tables, one function a layer, each taking in the layers under it,
// and the placing of a test's session in its temporary directory. Header-only: a test calls
// the reset of the highest folder it links, so the testing library itself needs none of them.

#include <string>

#include "config/catalogue.h"
#include "config/session.h"
#include "console/editor.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "keyed/keyed_files.h"
#include "platform/test_system.h"
#include "store/record_manager.h"
#include "text/date.h"
#include "text/number.h"
#include "text/texthelp.h"

namespace talmidor {

// The screen layer, screen stack, key table and input, editor, session and text helpers.
inline void resetConsoleState() {
  resetScreenState();
  resetScreenStack();
  resetInput();
  resetEditor();
  resetSession();
  resetTextHelpers();
}

// The console's tables and the date and number settings.
inline void resetToolsState() {
  resetConsoleState();
  resetDateSettings();
  resetNumberSettings();
}

// The record manager (its transactions rolled back), the keyed-file table and the console's
// tables.
inline void resetKeyedState() {
  resetRecordManager();
  resetKeyedFileTable();
  resetConsoleState();
}

// Everything under the module: the form tables, the catalogue, the keyed layer and the tools'
// tables.
inline void resetFormState() {
  resetKeyedState();
  resetFormTables();
  resetCatalogue();
  resetDateSettings();
  resetNumberSettings();
}

// The work directory, the data root and the current directory are the test's directory.
inline void placeSessionIn(const std::string& dir, TestSystem& system) {
  session().workDir = dir;
  session().dataRoot = dir;
  system.directory = dir;
}

}  // namespace talmidor
