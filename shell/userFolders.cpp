#include "shell/userFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "shell/log.h"
#include "shell/paths.h"
#include "support/streams.h"

namespace {

const char* const APP_FOLDER = "skyward";

std::string folders[2] = {"shots/", "cache/"};
bool inUserFolders = false;

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

const char* processEnv(const char* name) { return getenv(name); }

std::string homeFolder(EnvLookup env)
{
    const char* home = env("HOME");
    if (isAbsolute(home)) return withoutTrailingSlashes(home);
    // A session without $HOME (a service, a scrubbed environment) still has
    // an account entry.
    struct passwd* pw = getpwuid(getuid());
    if (pw && isAbsolute(pw->pw_dir)) return withoutTrailingSlashes(pw->pw_dir);
    return std::string();
}

std::string xdgBaseFolder(EnvLookup env, const char* variable, const char* homeRelative)
{
    const char* value = env(variable);
    if (isAbsolute(value)) return withoutTrailingSlashes(value);
    std::string home = homeFolder(env);
    if (home.empty()) return std::string();
    return home + "/" + homeRelative;
}

std::string userDirsEntry(const std::string& text, const char* name, const std::string& home)
{
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        size_t eq = line.find('=', first);
        if (eq == std::string::npos || line.compare(first, eq - first, name) != 0 || eq - first != strlen(name))
            continue;
        // The value is one double-quoted path; the file's own writer escapes
        // nothing else, so a quote inside ends the value.
        size_t open = eq + 1;
        if (open >= line.size() || line[open] != '"') return std::string();
        size_t close = line.find('"', open + 1);
        if (close == std::string::npos) return std::string();
        std::string value = line.substr(open + 1, close - open - 1);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
            if (home.empty()) return std::string();
            value = home + value.substr(5);
        }
        return isAbsolute(value.c_str()) ? withoutTrailingSlashes(value) : std::string();
    }
    return std::string();
}

std::string picturesFolder(EnvLookup env)
{
    const char* direct = env("XDG_PICTURES_DIR");
    if (isAbsolute(direct)) return withoutTrailingSlashes(direct);
    std::string home = homeFolder(env);
    std::string configRoot = xdgBaseFolder(env, "XDG_CONFIG_HOME", ".config");
    std::string text;
    if (!configRoot.empty() && readWholeFile((configRoot + "/user-dirs.dirs").c_str(), &text)) {
        std::string fromFile = userDirsEntry(text, "XDG_PICTURES_DIR", home);
        if (!fromFile.empty()) return fromFile;
    }
    if (home.empty()) return std::string();
    return home + "/Pictures";
}

bool folderWritable(const std::string& folder) { return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0; }

void chooseWriteFolders(EnvLookup env)
{
    folders[WRITE_SCREENSHOTS] = "shots/";
    folders[WRITE_SHADER_CACHE] = "cache/";
    inUserFolders = false;
    if (folderWritable(programDirectory)) return;

    std::string pictures = picturesFolder(env);
    std::string cache = xdgBaseFolder(env, "XDG_CACHE_HOME", ".cache");
    if (pictures.empty() || cache.empty()) {
        logPrint("program folder '%s' is not writable and there is no home folder: nothing can be saved",
                 programDirectory);
        return;
    }
    inUserFolders = true;
    folders[WRITE_SCREENSHOTS] = pictures + "/" + APP_FOLDER + "/";
    folders[WRITE_SHADER_CACHE] = cache + "/" + APP_FOLDER + "/";
    logPrint("program folder '%s' is not writable", programDirectory);
    logPrint("screenshots go to '%s'", folders[WRITE_SCREENSHOTS].c_str());
    logPrint("shader cache in '%s'", folders[WRITE_SHADER_CACHE].c_str());
}

const std::string& writeFolder(WritePlace place) { return folders[place]; }

bool prepareWriteFolder(WritePlace place)
{
    if (!inUserFolders) return true;
    if (makeFolders(folders[place])) return true;
    logPrint("can't make the folder '%s'", folders[place].c_str());
    return false;
}
