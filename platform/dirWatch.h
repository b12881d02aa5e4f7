// dirWatch.h -- change notifications for a directory tree, polled without blocking.
#pragma once

#include <string>
#include <vector>

enum DirChangeAction {
    DIR_ADDED,
    DIR_REMOVED,
    DIR_MODIFIED,
    DIR_RENAMED_OLD,
    DIR_RENAMED_NEW,
};

struct DirChange {
    DirChangeAction action;
    std::string name;  // relative to the watched root, '/' separated
};

struct DirWatch;

// Watches root and every folder below it (new folders join as they appear).
// Null when the root can't be watched.
DirWatch* dirWatchOpen(const char* root);
// The changes since the last poll; never blocks.
std::vector<DirChange> dirWatchPoll(DirWatch* watch);
void dirWatchClose(DirWatch* watch);
