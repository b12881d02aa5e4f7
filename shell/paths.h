// paths.h -- the program directory and data-path resolution.
#pragma once

#include <string>

#define MAX_PATH_LEN 260

// Ends with its separator, or is empty when the executable path is unknown.
extern char programDirectory[MAX_PATH_LEN];

// Sets programDirectory from the module path: everything up to and including
// the last '\\', '/' or ':'. An empty or over-long path gives "".
void setProgramDirectory(const char* modulePath);
// Reads the executable's own path (empty on failure).
std::string readModulePath();

// Resolves a data file name against the program directory. Absolute names
// ('/' or '\\' first, or ':' second) are kept; the result is made absolute and
// every '\\' becomes '/'. A null name gives the program directory itself.
void dataPath(std::string& out, const char* name);
std::string dataPath(const char* name);

// Creates the folder and its missing parents; false when it can't be made
// (or a file stands in its way).
bool makeFolders(const std::string& folder);
