#pragma once
// The message catalogue: the Catalan text shown by the program is the key; the catalogue
// dataRoot + "LOCALE\" + programName + ".LNG" holds records of four fields (Catalan,
// Galician, Aranese, Spanish).

#include <string>

namespace talmidor {

// The text to show for a Catalan source text in the session's language: the source text
// itself for "CAT", for any language without a field, or when no record has it as its first
// field; otherwise the chosen field of the first matching record (even when empty). Creates
// an empty catalogue when none exists (except for "CAT").
std::string translate(const std::string& catalan);

// Forgets the catalogue name and the cached catalogue; the cache is switched back on.
void resetCatalogue();

// The catalogue is kept in memory and re-read only when its size or modification time
// changes. Switching the cache off makes every call scan the file (used to measure it).
void setCatalogueCache(bool enabled);

}  // namespace talmidor
