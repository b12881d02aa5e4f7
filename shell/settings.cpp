#include "shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "shell/log.h"
#include "shell/paths.h"
#include "support/streams.h"

namespace {

// Set for a replay: the settings the run sees instead of the file.
std::unique_ptr<std::map<std::string, uint32_t>> inMemory;

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

// "name = type:value"; false for a line of another form.
bool parseEntry(const std::string& line, Entry* e)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::string rhs = trim(line.substr(eq + 1));
    size_t colon = rhs.find(':');
    if (colon == std::string::npos) return false;
    *e = {trim(line.substr(0, eq)), rhs.substr(0, colon), rhs.substr(colon + 1)};
    return true;
}

// Lines that do not parse are kept out of the table; they read as missing.
std::vector<Entry> readEntries()
{
    std::vector<Entry> out;
    std::ifstream in(settingsFilePath());
    std::string line;
    Entry e;
    while (std::getline(in, line))
        if (parseEntry(line, &e)) out.push_back(e);
    return out;
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

// Follows a chain of symbolic links to the path it ends at, which need not
// exist yet; a relative link counts from its own folder. False on a loop or
// an unreadable link.
bool followLinks(std::string path, std::string* out)
{
    for (int hops = 0; hops < 40; hops++) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *out = path;
            return true;
        }
        char buf[PATH_MAX];
        ssize_t n = readlink(path.c_str(), buf, sizeof(buf) - 1);
        if (n <= 0) return false;
        buf[n] = 0;
        path = buf[0] == '/' ? std::string(buf) : path.substr(0, path.rfind('/') + 1) + buf;
    }
    return false;
}

// The first line that reads as the named value becomes the new line (its
// line ending kept); without one, the line is appended. Every other line,
// comments and values of unknown form included, stays as it was.
void replaceOrAppendEntry(std::string* text, const char* name, const std::string& line)
{
    size_t start = 0;
    while (start < text->size()) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        Entry e;
        if (parseEntry(text->substr(start, end - start), &e) && e.name == name) {
            size_t len = end - start;
            if (len > 0 && (*text)[end - 1] == '\r') len--;
            text->replace(start, len, line);
            return;
        }
        start = end + 1;
    }
    if (!text->empty() && text->back() != '\n') *text += '\n';
    *text += line + "\n";
}

// Writes a temporary file beside the target and renames it over the target,
// so a reader sees the old file or the new one, never a part.
// A new file gets the usual permissions (the umask applies); a replaced one
// keeps its own.
bool replaceFile(const std::string& target, const std::string& text, const mode_t* keepMode)
{
    std::string tmp = target + ".tmp." + std::to_string(getpid());
    unlink(tmp.c_str());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return false;
    bool ok = !keepMode || fchmod(fd, *keepMode) == 0;
    size_t done = 0;
    while (ok && done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += (size_t)n;
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok && rename(tmp.c_str(), target.c_str()) == 0) return true;
    unlink(tmp.c_str());
    return false;
}

}  // namespace

std::string settingsFilePath() { return configRoot() + "/" SETTINGS_KEY_PATH "/settings"; }

void useSettingsInMemory(const std::vector<std::pair<std::string, uint32_t>>& values)
{
    inMemory = std::make_unique<std::map<std::string, uint32_t>>(values.begin(), values.end());
}

bool readSettingDword(const char* name, uint32_t* value)
{
    if (inMemory) {
        auto it = inMemory->find(name);
        if (it == inMemory->end()) return false;
        *value = it->second;
        return true;
    }
    uint32_t v;
    for (const Entry& e : readEntries())
        if (e.name == name) return e.type == "dword" && parseDword(e.value, &v) && (*value = v, true);
    return false;
}

bool writeSettingDwords(const SettingDword* values, int count)
{
    if (inMemory) {
        for (int i = 0; i < count; i++) (*inMemory)[values[i].name] = values[i].value;
        return true;
    }
    std::string dir = configRoot() + "/" SETTINGS_KEY_PATH;
    if (!makeFolders(dir)) return false;
    // A linked settings file is written where the link leads.
    std::string target;
    if (!followLinks(settingsFilePath(), &target)) {
        logPrint("can't follow the settings link '%s', not written", settingsFilePath().c_str());
        return false;
    }
    std::string text;
    struct stat st;
    bool exists = stat(target.c_str(), &st) == 0;
    if (exists && !readWholeFile(target.c_str(), &text)) {
        logPrint("can't read settings file '%s', not written", target.c_str());
        return false;
    }
    for (int i = 0; i < count; i++) {
        std::string line = std::string(values[i].name) + " = dword:" + std::to_string(values[i].value);
        replaceOrAppendEntry(&text, values[i].name, line);
    }
    mode_t mode = exists ? st.st_mode & 07777 : 0;
    if (!replaceFile(target, text, exists ? &mode : nullptr)) {
        logPrint("can't write settings file '%s'", target.c_str());
        return false;
    }
    return true;
}

bool writeSettingDword(const char* name, uint32_t value)
{
    SettingDword one{name, value};
    return writeSettingDwords(&one, 1);
}
