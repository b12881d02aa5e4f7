// log.h -- the log on standard output and the fatal-error path.
#pragma once

#include "support/utils.h"

#define WINDOW_TITLE "SKYWARD! 0.04 DEMO"

void logPrint(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void logPrintRaw(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// fatalError is declared in support/utils.h: the ASSERT macro reports through it.

// The shutdown sequence the fatal-error path runs before exiting. The game
// installs shutdownAll; programs without one just exit.
void setFatalShutdown(void (*shutdown)());

// The window title the fatal message box's caption names (the game's title
// until a program sets its own).
void setFatalWindowTitle(const char* title);

// Headless runs never show a message box; the message still goes to stderr
// and the log.
void setHeadlessMode(bool headless);
bool isHeadlessMode();
