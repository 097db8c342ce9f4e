#pragma once
// The suite's configuration files: small INI-style texts read one value at a time.

#include <string>

namespace talmidor {

// The value of key in section of file (a path in the suite's form, mapped with hostPath).
// "" when the file cannot be opened, the section is not in it or the key is not in that
// section. Section and key names match without regard to case; the value comes back as
// written, less one pair of enclosing double quotes. Lines end at CR, CR LF or LF; a byte
// 0x1A ends the file. Nothing is kept between calls.
std::string readIniValue(const std::string& file, const std::string& section,
                         const std::string& key);

}  // namespace talmidor
