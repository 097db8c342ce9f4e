#pragma once
// The administrators' tool on the record manager's entry point: creating data files from
// definition files, loading, dumping, statistics, and holding a record lock or an exclusive
// open for as long as standard input stays open.

#include <iosfwd>
#include <string>
#include <vector>

namespace talmidor {

// Runs one command (args without the program name). Returns the exit status: 0 on success,
// the record manager's status when it refused, 2 for a usage error.
int runKeyedFileTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace talmidor
