// screenMessages.h -- the scrolling on-screen messages and the one highlighted
// error message (script errors, shader reload failures). Drawing them is the
// font's business; this module only keeps the texts.
#pragma once

#define MAX_SCREEN_MESSAGES 100
#define SCREEN_MESSAGE_SIZE 128

// Formats into 128 bytes and appends; only the newest 100 are kept.
void addScreenMessage(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void clearScreenMessages();
int screenMessageCount();
// 0 is the oldest.
const char* screenMessage(int index);

// A non-empty text replaces the error message (and is logged); null or ""
// clears it.
void setErrorMessage(const char* text);
// Adds a line: a newline first unless the message is empty. A negative
// length takes the text up to its terminator.
void appendErrorMessage(const char* text, int length);
// "" when there is no error.
const char* errorMessage();
