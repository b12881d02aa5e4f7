#include "platform/dirWatch.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

struct DirWatch {
    int fd = -1;
    std::map<int, std::string> folders;  // watch descriptor -> path relative to root ("" for root)
    std::string root;
};

namespace {

const uint32_t WATCH_MASK = IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

bool isFolder(const std::string& full, unsigned char type)
{
    // Some file systems do not report the entry type.
    if (type != DT_UNKNOWN) return type == DT_DIR;
    struct stat st;
    return lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Watches the folder rel and every folder below it. A folder that appears
// while the game runs may already hold entries made before its watch was in
// place: those are reported as added into found (when given).
void addTree(DirWatch* w, const std::string& rel, std::vector<DirChange>* found)
{
    std::string full = w->root + (rel.empty() ? "" : "/" + rel);
    int wd = inotify_add_watch(w->fd, full.c_str(), WATCH_MASK);
    if (wd < 0) return;
    w->folders[wd] = rel;
    DIR* d = opendir(full.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
        std::string child = rel.empty() ? e->d_name : rel + "/" + e->d_name;
        if (found) found->push_back({DIR_ADDED, child});
        if (isFolder(full + "/" + e->d_name, e->d_type)) addTree(w, child, found);
    }
    closedir(d);
}

}  // namespace

DirWatch* dirWatchOpen(const char* root)
{
    if (!root || !*root) return nullptr;
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    DirWatch* w = new DirWatch;
    w->fd = fd;
    w->root = root;
    while (w->root.size() > 1 && w->root.back() == '/') w->root.pop_back();
    addTree(w, "", nullptr);
    if (w->folders.empty()) {
        dirWatchClose(w);
        return nullptr;
    }
    return w;
}

std::vector<DirChange> dirWatchPoll(DirWatch* w)
{
    std::vector<DirChange> out;
    if (!w) return out;
    alignas(inotify_event) char buf[64000];
    for (;;) {
        ssize_t n = read(w->fd, buf, sizeof(buf));
        if (n <= 0) break;  // EAGAIN: nothing more waiting
        for (ssize_t off = 0; off < n;) {
            const inotify_event* ev = (const inotify_event*)(buf + off);
            off += (ssize_t)sizeof(inotify_event) + ev->len;
            auto it = w->folders.find(ev->wd);
            if (it == w->folders.end() || ev->len == 0) continue;
            std::string name = it->second.empty() ? ev->name : it->second + "/" + ev->name;
            DirChangeAction action;
            if (ev->mask & IN_CREATE)
                action = DIR_ADDED;
            else if (ev->mask & IN_DELETE)
                action = DIR_REMOVED;
            else if (ev->mask & IN_MOVED_FROM)
                action = DIR_RENAMED_OLD;
            else if (ev->mask & IN_MOVED_TO)
                action = DIR_RENAMED_NEW;
            else
                action = DIR_MODIFIED;
            out.push_back({action, name});
            if ((ev->mask & IN_ISDIR) && (ev->mask & (IN_CREATE | IN_MOVED_TO))) addTree(w, name, &out);
        }
    }
    return out;
}

void dirWatchClose(DirWatch* w)
{
    if (!w) return;
    if (w->fd >= 0) close(w->fd);
    delete w;
}
