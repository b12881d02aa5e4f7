// screenshot.h -- saving the last presented frame as a PNG.
#pragma once

// Print Screen: "shots/shotYYYY_MM_DD_HH_MM_SS.png" next to the game, logged.
void takeScreenshot();
// Saves the last presented frame to a file name resolved against the program
// directory (absolute names are kept); for automated runs. False on failure.
bool saveScreenshot(const char* name);
