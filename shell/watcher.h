// watcher.h -- logs file changes below the program directory.
// Shader and sound-script reloading check their own files; this only logs.
#pragma once

void startWatcher(const char* directory);
void pollWatcher();
void stopWatcher();
