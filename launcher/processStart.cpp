// processStart.cpp -- spawning without waiting.
#include "launcher/processStart.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

extern char** environ;

namespace {

bool spawn(const char* file, char* const argv[], bool searchPath, std::string* error)
{
    pid_t pid;
    // An exec failure (missing file, no permission) comes back as the result.
    int err = searchPath ? posix_spawnp(&pid, file, nullptr, nullptr, argv, environ)
                         : posix_spawn(&pid, file, nullptr, nullptr, argv, environ);
    if (err == 0) return true;
    *error = strerror(err);
    return false;
}

}  // namespace

bool startProgram(const std::string& path, const std::vector<std::string>& args, std::string* error)
{
    std::vector<char*> argv = {(char*)path.c_str()};
    for (const std::string& a : args) argv.push_back((char*)a.c_str());
    argv.push_back(nullptr);
    return spawn(path.c_str(), argv.data(), false, error);
}

bool openInBrowser(const char* address, std::string* error)
{
    char* argv[] = {(char*)"xdg-open", (char*)address, nullptr};
    return spawn("xdg-open", argv, true, error);
}

void reapStartedPrograms()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}
