// test_util.h -- small helpers shared by the unit tests.
#pragma once

#include <string>

// A fresh empty directory under the system temp folder, removed by its destructor.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    std::string file(const char* name) const { return path + "/" + name; }
};

void writeFileBytes(const std::string& path, const void* data, size_t n);
std::string readFileBytes(const std::string& path);
// The build's bin/ folder (the game and its data), from SKY_BIN_DIR.
std::string binDir();

// Captures the log (standard output) from construction to stop().
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::string stop();

private:
    bool running;
};
