#pragma once
// A readable description of a data file's layout, from which `keyedfile makexdf` writes a
// definition file (.xdf: 16-bit little-endian length N, then the N-byte creation block).
//
//   # comment; blank lines are ignored
//   record 28                    record length (required)
//   page 1024                    page size (default 1024)
//   key duplicates modifiable    starts a key; options: duplicates, modifiable, null=HH
//   segment 1 1 binary           position (from 1), length, type, options
//   segment 2 20 string nocase
//   alternate UPPER              the alternate collating sequence's name, then its table:
//   table 000102...              256 bytes in hex over one or more table lines
//   (or "table upper": every byte to itself, a-z to A-Z)
//
// Segment types: string (default), binary (stored least significant byte first), integer
// (signed, 1/2/4/8 bytes), lstring (length byte first), zstring (ends at a zero byte),
// unsigned (unsigned binary, extended type). Segment options: descending, nocase, alternate.

#include <string>

#include "store/file_definition.h"

namespace talmidor {

// Reads a description. False with a message naming the line when it cannot be read or the
// layout it describes would be refused by Create.
bool parseDefinitionText(const std::string& text, FileDefinition& definition, std::string& error);

// The same layout written back as a description (what `keyedfile stat` prints).
std::string describeDefinition(const FileDefinition& definition);

}  // namespace talmidor
