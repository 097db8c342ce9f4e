#pragma once
// Text helpers: repeated-character test, the process-wide text stack, upper-casing of code
// page 850 text, word wrapping, and the one helper that pads or cuts to a length.

#include <cstddef>
#include <cstdint>
#include <string>

namespace talmidor {

// -1 when every character of text is code (also for ""); 0 otherwise.
int16_t isAllChar(const std::string& text, int16_t code);

// Puts a text (any bytes) on the process-wide text stack.
void pushText(const std::string& text);
// Takes the top text off the stack; "" when the stack is empty.
std::string popText();

// Upper-cases codes 64..237: letters with their accents kept (default), or, with
// plainFoldMode() on, to unaccented capitals with every other character in that range made
// a space. Same length as text.
std::string foldAccents(const std::string& text);

// Cuts text into lines of width visible characters each (control characters take no room),
// breaking between words where it can, each line padded with spaces; the lines joined.
std::string wrapText(const std::string& text, int16_t width);

// The switch of foldAccents; off at start.
bool& plainFoldMode();

// Empties the text stack and switches plainFoldMode off.
void resetTextHelpers();

// text left aligned in exactly length characters: padded with spaces or cut.
std::string fitText(const std::string& text, size_t length);

}  // namespace talmidor
