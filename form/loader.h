#pragma once
// The form definition file dataRoot + "FORMS\" + programName + ".QFM" and its loading into
// the form tables, with this module's page-1 defaults and the single-customer adjustments.

#include <string>

namespace talmidor {

// Loads the form of the session's program. A file the module cannot use (missing or
// unreadable, no pages, a page with more fields than the header allows, a page 1 without the
// module's 29 fields or no page 2, a number pointing past the tables, a rectangle off the
// 80 x 25 screen) is reported in a message box naming the file and the fault, and the program
// ends with exit status 1 after closing its files.
void loadFormDefinition();

// The form file's path in the suite's form.
std::string formFilePath();

// Reads the form file at hostFile into formTables() and checks it. Returns "" when the form
// is usable, else the (translated) description of what is wrong. Applies no defaults.
std::string readFormDefinition(const std::string& hostFile);

// The module's page-1 defaults, then, with singleCustomerVariant on, the widened code fields.
void applyPageOneDefaults();

}  // namespace talmidor
