// keyedfile: the administrators' tool for keyed data files (see keyedfile --help).

#include <iostream>
#include <string>
#include <vector>

#include "keyed/keyedfile_tool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return talmidor::runKeyedFileTool(args, std::cin, std::cout, std::cerr);
}
