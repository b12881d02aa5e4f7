#include "shell/watcher.h"

#include "platform/dirWatch.h"
#include "shell/log.h"

static DirWatch* watch = nullptr;

void startWatcher(const char* directory)
{
    stopWatcher();
    watch = dirWatchOpen(directory);  // failure only disables the logging
    pollWatcher();
}

void pollWatcher()
{
    if (!watch) return;
    for (const DirChange& c : dirWatchPoll(watch)) {
        std::string name = c.name.substr(0, 259);
        switch (c.action) {
            case DIR_ADDED:
            case DIR_RENAMED_NEW:
                logPrint("file added '%s'", name.c_str());
                break;
            case DIR_REMOVED:
            case DIR_RENAMED_OLD:
                logPrint("file removed '%s'", name.c_str());
                break;
            default:
                logPrint("file changed '%s'", name.c_str());
                break;
        }
    }
}

void stopWatcher()
{
    dirWatchClose(watch);
    watch = nullptr;
}
