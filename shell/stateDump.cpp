#include "shell/stateDump.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "shell/log.h"

void JsonWriter::separate()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (needComma) out += ',';
    needComma = true;
}

void JsonWriter::key(const char* k)
{
    separate();
    writeString(k);
    out += ':';
    afterKey = true;
}

void JsonWriter::beginObject(const char* k)
{
    if (k) key(k);
    separate();
    out += '{';
    needComma = false;
}

void JsonWriter::endObject()
{
    out += '}';
    needComma = true;
}

void JsonWriter::beginArray(const char* k)
{
    if (k) key(k);
    separate();
    out += '[';
    needComma = false;
}

void JsonWriter::endArray()
{
    out += ']';
    needComma = true;
}

void JsonWriter::value(int64_t v)
{
    separate();
    out += std::to_string(v);
}

void JsonWriter::value(double v)
{
    separate();
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char buf[32];
    snprintf(buf, sizeof(buf), "%.9g", v);
    out += buf;
}

void JsonWriter::value(bool v)
{
    separate();
    out += v ? "true" : "false";
}

void JsonWriter::null()
{
    separate();
    out += "null";
}

void JsonWriter::value(const char* s)
{
    if (!s) {
        null();
        return;
    }
    separate();
    writeString(s);
}

void JsonWriter::writeString(const char* s)
{
    out += '"';
    for (const char* p = s; *p; p++) {
        unsigned char c = (unsigned char)*p;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof(buf), "\\u%04x", c);
            out += buf;
        } else {
            out += (char)c;
        }
    }
    out += '"';
}

static std::vector<StateDumpSection>& sections()
{
    static std::vector<StateDumpSection> list;
    return list;
}

void addStateDumpSection(StateDumpSection section) { sections().push_back(section); }

bool writeStateDump(const char* path, const char* modeName, int64_t steps, uint64_t randomState)
{
    JsonWriter json;
    json.beginObject();
    json.field("mode", modeName);
    json.field("steps", steps);
    char hex[24];
    snprintf(hex, sizeof(hex), "%016llx", (unsigned long long)randomState);
    json.field("random_state", (const char*)hex);
    for (StateDumpSection s : sections()) s(json);
    json.endObject();
    return writeStateDumpFile(path, json);
}

bool writeStateDumpFile(const char* path, const JsonWriter& json)
{
    FILE* f = fopen(path, "w");
    if (!f) {
        logPrint("can't write state dump '%s'", path);
        return false;
    }
    bool ok = fputs(json.text().c_str(), f) >= 0 && fputc('\n', f) != EOF;
    ok = (fclose(f) == 0) && ok;
    if (!ok) logPrint("can't write state dump '%s'", path);
    return ok;
}
