#pragma once
// An expected screen built by placing texts at rows and columns, compared with what the pane
// shows row by row (trailing blanks removed on both sides).

#include <string>
#include <vector>

namespace talmidor {

class ScreenPicture {
 public:
  ScreenPicture();
  // Writes the UTF-8 text from (row, column), both 1-based, over what was there.
  ScreenPicture& put(int row, int column, const std::string& utf8);
  // The rows as UTF-8 without trailing blanks.
  std::vector<std::string> rows() const;

 private:
  std::vector<std::u32string> cells_;
};

// The characters of a UTF-8 row from the column on (1-based), as many as count.
std::string columnsOf(const std::string& utf8Row, int column, int count);

// Page 1 of the demo installation as the program draws it, in Catalan, with its defaults and
// the demo concept names, for the work date given as the typed digits of field 1 (which is
// under edit, so it shows its raw text).
ScreenPicture catalanPageOne(const std::string& dateDigits, int month);

}  // namespace talmidor
