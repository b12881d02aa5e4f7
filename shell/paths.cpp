#include "shell/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

char programDirectory[MAX_PATH_LEN] = "";

void setProgramDirectory(const char* modulePath)
{
    programDirectory[0] = 0;
    if (!modulePath) return;
    size_t n = strlen(modulePath);
    if (n == 0 || n >= MAX_PATH_LEN) return;
    size_t cut = 0;
    for (size_t i = 0; i < n; i++)
        if (modulePath[i] == '\\' || modulePath[i] == '/' || modulePath[i] == ':') cut = i + 1;
    memcpy(programDirectory, modulePath, cut);
    programDirectory[cut] = 0;
}

std::string readModulePath()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return std::string();
    buf[n] = 0;
    return std::string(buf);
}

// Collapses "." and ".." segments and doubled separators of an absolute path,
// without touching the file system (the file need not exist yet).
static std::string normalizeAbsolute(const std::string& path)
{
    std::string out;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/') i++;
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        std::string seg = path.substr(i, j - i);
        if (seg == "..") {
            size_t p = out.rfind('/');
            out.resize(p == std::string::npos ? 0 : p);
        } else if (!seg.empty() && seg != ".") {
            out += '/';
            out += seg;
        }
        i = j;
    }
    if (out.empty()) out = "/";
    if (path.size() > 1 && path.back() == '/' && out.back() != '/') out += '/';
    return out;
}

void dataPath(std::string& out, const char* name)
{
    if (!name) {
        out = programDirectory;
        return;
    }
    bool absolute = name[0] == '\\' || name[0] == '/' || (name[0] && name[1] == ':');
    std::string s = absolute ? std::string(name) : std::string(programDirectory) + name;
    for (char& c : s)
        if (c == '\\') c = '/';
    // A drive-letter name is foreign to this platform: keep it, separators turned.
    if (s.size() >= 2 && s[1] == ':') {
        out = s;
        return;
    }
    if (s.empty() || s[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof(cwd))) s = std::string(cwd) + "/" + s;
    }
    if (s[0] == '/') s = normalizeAbsolute(s);
    if (s.size() >= MAX_PATH_LEN) {
        // Too long to resolve: the unresolved name is used, as on a failed lookup.
        s = absolute ? std::string(name) : std::string(programDirectory) + name;
        for (char& c : s)
            if (c == '\\') c = '/';
    }
    out = s;
}

std::string dataPath(const char* name)
{
    std::string s;
    dataPath(s, name);
    return s;
}

bool makeFolders(const std::string& folder)
{
    for (size_t i = 1; i <= folder.size(); i++) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
