#include "shell/screenMessages.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "shell/log.h"
#include "support/dynArray.h"

static DynArray<FixedStr<SCREEN_MESSAGE_SIZE>> messages;
static std::string error;

void addScreenMessage(const char* fmt, ...)
{
    FixedStr<SCREEN_MESSAGE_SIZE> m;
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(m.str, sizeof(m.str), fmt, ap);
    va_end(ap);
    messages.append(m);
    if (messages.num > MAX_SCREEN_MESSAGES) messages.remove(0, messages.num - MAX_SCREEN_MESSAGES);
}

void clearScreenMessages() { messages.clear(); }
int screenMessageCount() { return messages.num; }

const char* screenMessage(int index)
{
    ASSERT(index >= 0 && index < messages.num);
    return messages[index].str;
}

void setErrorMessage(const char* text)
{
    if (!text || !*text) {
        error.clear();
        return;
    }
    error = text;
    logPrint("ERROR MESSAGE SET: %s", text);
}

void appendErrorMessage(const char* text, int length)
{
    if (!text) return;
    if (!error.empty()) error += '\n';
    if (length < 0)
        error += text;
    else
        error.append(text, strnlen(text, (size_t)length));
}

const char* errorMessage() { return error.c_str(); }
