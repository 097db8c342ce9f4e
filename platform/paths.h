#pragma once
// Paths are written in the suite's own form ("DADES\TVRebut", "C:\KELO\"); this is the one
// place that turns them into host paths.

#include <string>

namespace talmidor {

// "\" becomes "/"; a component that does not exist as spelt is looked up without regard to
// letter case in its directory (the first match in name order wins), so an installation
// copied from a case-insensitive file system works as it is. Components that match nothing
// keep their spelling, so a file about to be created gets the name asked for.
std::string hostPath(const std::string& path);

}  // namespace talmidor
