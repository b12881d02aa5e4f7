#include "shell/settings.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct Entry {
    std::string name, type, value;
};

std::string configRoot()
{
    const char* xdg = getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// Lines that do not parse are kept out of the table; they read as missing.
std::vector<Entry> readEntries()
{
    std::vector<Entry> out;
    std::ifstream in(settingsFilePath());
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string rhs = trim(line.substr(eq + 1));
        size_t colon = rhs.find(':');
        if (colon == std::string::npos) continue;
        out.push_back({trim(line.substr(0, eq)), rhs.substr(0, colon), rhs.substr(colon + 1)});
    }
    return out;
}

bool makeDirs(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); i++) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

bool parseDword(const std::string& text, uint32_t* out)
{
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (uint64_t)(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
    *out = (uint32_t)v;
    return true;
}

}  // namespace

std::string settingsFilePath() { return configRoot() + "/" SETTINGS_KEY_PATH "/settings"; }

bool readSettingDword(const char* name, uint32_t* value)
{
    uint32_t v;
    for (const Entry& e : readEntries())
        if (e.name == name) return e.type == "dword" && parseDword(e.value, &v) && (*value = v, true);
    return false;
}

void writeSettingDword(const char* name, uint32_t value)
{
    std::string dir = configRoot() + "/" SETTINGS_KEY_PATH;
    if (!makeDirs(dir)) return;
    std::vector<Entry> entries = readEntries();
    bool found = false;
    for (Entry& e : entries)
        if (e.name == name) {
            e.type = "dword";
            e.value = std::to_string(value);
            found = true;
        }
    if (!found) entries.push_back({name, "dword", std::to_string(value)});

    std::string path = settingsFilePath();
    std::string tmp = path + ".tmp." + std::to_string(getpid());
    FILE* f = fopen(tmp.c_str(), "w");
    if (!f) return;
    bool ok = true;
    for (const Entry& e : entries)
        ok = ok && fprintf(f, "%s = %s:%s\n", e.name.c_str(), e.type.c_str(), e.value.c_str()) > 0;
    ok = ok && fflush(f) == 0 && fsync(fileno(f)) == 0;
    ok = (fclose(f) == 0) && ok;
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) unlink(tmp.c_str());
}
