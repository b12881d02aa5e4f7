// stateDump.h -- the JSON state dump written by --dump-state at the end of a run.
//
// The shell writes "mode", "steps" and "random_state"; other subsystems add
// their keys by registering a section writer at start-up.
#pragma once

#include <cstdint>
#include <string>

// A minimal streaming JSON writer: keys and values are emitted in call order,
// commas are placed automatically.
class JsonWriter {
public:
    void beginObject(const char* key = nullptr);
    void endObject();
    void beginArray(const char* key = nullptr);
    void endArray();
    void key(const char* k);
    void value(int64_t v);
    void value(double v);
    void value(bool v);
    void value(const char* s);  // null writes null
    void null();
    template <class T>
    void field(const char* k, T v)
    {
        key(k);
        value(v);
    }
    void field(const char* k, int v) { field(k, (int64_t)v); }
    void field(const char* k, float v) { field(k, (double)v); }
    const std::string& text() const { return out; }

private:
    void separate();
    void writeString(const char* s);
    std::string out;
    bool needComma = false;
    bool afterKey = false;
};

using StateDumpSection = void (*)(JsonWriter& json);
// Adds a writer of extra top-level keys (called inside the root object).
void addStateDumpSection(StateDumpSection section);
// Writes the whole dump; false (and a log line) when the file can't be written.
bool writeStateDump(const char* path, const char* modeName, int64_t steps, uint64_t randomState);
// Writes the finished JSON text and a newline; false (and a log line) when the
// file can't be written.
bool writeStateDumpFile(const char* path, const JsonWriter& json);
