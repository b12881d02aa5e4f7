// processStart.h -- starting the game and the web browser from the launcher.
#pragma once

#include <string>
#include <vector>

// Starts the program with these arguments after its own path and does not
// wait for it. False with the reason when it could not be started.
bool startProgram(const std::string& path, const std::vector<std::string>& args, std::string* error);
// Opens the address in the desktop's default browser (xdg-open), without
// waiting. False with the reason when the opener could not be started.
bool openInBrowser(const char* address, std::string* error);
// Collects the exit status of started programs that have ended, so none is
// left behind as a zombie while the launcher stays open.
void reapStartedPrograms();
