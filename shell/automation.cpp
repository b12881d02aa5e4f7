#include "shell/automation.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/keymap.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/log.h"
#include "shell/recording.h"
#include "shell/replay.h"
#include "shell/window.h"

AutomationOptions automation;

namespace {

// Scripted pointer positions beyond this are typing errors, not positions
// (the input queue clamps to the window anyway).
constexpr float MAX_SCRIPT_COORDINATE = 1e6f;
constexpr int64_t MAX_SCRIPT_NOTCHES = 1000000;
// Window sizes a run may ask for.
constexpr int64_t MIN_WINDOW_SIDE = 16, MAX_WINDOW_SIDE = 16384;

// Plain decimal digits only: a leading zero is not octal and "0x" is not hex,
// so "--steps 010" means ten. No sign, no spaces.
bool parseUnsignedDecimal(const char* s, uint64_t* out)
{
    if (!s || !*s) return false;
    uint64_t v = 0;
    for (; *s; s++) {
        if (*s < '0' || *s > '9') return false;
        uint64_t d = (uint64_t)(*s - '0');
        if (v > (UINT64_MAX - d) / 10) return false;
        v = v * 10 + d;
    }
    *out = v;
    return true;
}

bool parseDecimal(const char* s, int64_t lo, int64_t hi, int64_t* out)
{
    if (!s) return false;
    bool negative = *s == '-';
    uint64_t v;
    if (!parseUnsignedDecimal(negative ? s + 1 : s, &v) || v > (uint64_t)INT64_MAX) return false;
    int64_t n = negative ? -(int64_t)v : (int64_t)v;
    if (n < lo || n > hi) return false;
    *out = n;
    return true;
}

}  // namespace

bool parseSeed(const char* s, uint64_t* out)
{
    if (s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return parseUnsignedDecimal(s, out);
    s += 2;
    size_t n = strlen(s);
    if (n < 1 || n > 16) return false;
    uint64_t v = 0;
    for (; *s; s++) {
        if (!isxdigit((unsigned char)*s)) return false;
        v = v * 16 + (uint64_t)(isdigit((unsigned char)*s) ? *s - '0' : (tolower((unsigned char)*s) - 'a' + 10));
    }
    *out = v;
    return true;
}

namespace {

// A finite decimal number ("12", "-3.5", "1e2"); no hex, "nan" or "inf".
bool parseFloat(const std::string& s, float* out)
{
    const char* p = s.c_str();
    if (*p == '-' || *p == '+') p++;
    bool digits = false;
    while (*p >= '0' && *p <= '9') p++, digits = true;
    if (*p == '.') {
        p++;
        while (*p >= '0' && *p <= '9') p++, digits = true;
    }
    if (!digits) return false;
    if (*p == 'e' || *p == 'E') {
        p++;
        if (*p == '-' || *p == '+') p++;
        if (*p < '0' || *p > '9') return false;
        while (*p >= '0' && *p <= '9') p++;
    }
    if (*p) return false;
    errno = 0;
    float v = strtof(s.c_str(), nullptr);
    if (errno == ERANGE || !std::isfinite(v) || std::fabs(v) > MAX_SCRIPT_COORDINATE) return false;
    *out = v;
    return true;
}

// Reads a whole script file; a folder or unreadable file is an error, not an
// empty script.
bool readInputScript(const std::string& path, std::string* text, std::string* error)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        *error = "can't open input script '" + path + "': " + strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = "input script '" + path + "' is not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    if (in.is_open()) ss << in.rdbuf();
    if (!in.is_open() || in.bad()) {
        *error = "can't read input script '" + path + "'";
        return false;
    }
    *text = ss.str();
    return true;
}

// "WxH", both sides decimal within the window limits.
bool parseSize(const char* s, int* width, int* height)
{
    const char* x = strchr(s, 'x');
    if (!x) return false;
    std::string w(s, (size_t)(x - s));
    int64_t a, b;
    if (!parseDecimal(w.c_str(), MIN_WINDOW_SIDE, MAX_WINDOW_SIDE, &a) ||
        !parseDecimal(x + 1, MIN_WINDOW_SIDE, MAX_WINDOW_SIDE, &b))
        return false;
    *width = (int)a;
    *height = (int)b;
    return true;
}

int buttonFromName(const std::string& n)
{
    if (n == "left") return 1;
    if (n == "right") return 2;
    if (n == "middle") return 4;
    return 0;
}

}  // namespace

namespace {

// Every double-dash switch: its name and what it does with its value (null
// for the switches that take none). The display-switch parser asks the same
// table which arguments are values.
struct AutomationSwitch {
    const char* name;
    bool takesValue;
    void (*apply)(AutomationOptions& o, const char* value);
};

const AutomationSwitch automationSwitches[] = {
    {"--headless", false, [](AutomationOptions& o, const char*) { o.headless = true; }},
    {"--play", false, [](AutomationOptions& o, const char*) { o.play = true; }},
    {"--fixed-step", false, [](AutomationOptions& o, const char*) { o.fixedStep = true; }},
    {"--seed", true,
     [](AutomationOptions& o, const char* v) {
         if (!parseSeed(v, &o.seed)) fatalError("command line: bad number '%s' for --seed", v);
         o.hasSeed = true;
         o.seedChosen = true;
     }},
    {"--steps", true,
     [](AutomationOptions& o, const char* v) {
         int64_t n;
         if (!parseDecimal(v, 0, INT64_MAX, &n)) fatalError("command line: bad number '%s' for --steps", v);
         o.maxSteps = n;
     }},
    {"--input", true, [](AutomationOptions& o, const char* v) { o.inputFile = v; }},
    {"--dump-state", true, [](AutomationOptions& o, const char* v) { o.dumpStateFile = v; }},
    {"--shot", true, [](AutomationOptions& o, const char* v) { o.shotFile = v; }},
    {"--record", true, [](AutomationOptions& o, const char* v) { o.recordFile = v; }},
    {"--replay", true, [](AutomationOptions& o, const char* v) { o.replayFile = v; }},
    {"--size", true,
     [](AutomationOptions& o, const char* v) {
         if (!parseSize(v, &o.width, &o.height)) fatalError("command line: bad size '%s' for --size", v);
     }},
};

const AutomationSwitch* findSwitch(const char* arg)
{
    for (const AutomationSwitch& s : automationSwitches)
        if (arg && !strcmp(arg, s.name)) return &s;
    return nullptr;
}

}  // namespace

AutomationOptions parseAutomationOptions(int argc, const char* const* argv)
{
    AutomationOptions o;
    for (int i = 1; i < argc; i++) {
        const AutomationSwitch* sw = findSwitch(argv[i]);
        if (!sw) continue;
        const char* value = nullptr;
        if (sw->takesValue) {
            if (i + 1 >= argc) fatalError("command line: %s needs a value", sw->name);
            value = argv[++i];
        }
        sw->apply(o, value);
    }
    // Output files are named from where the run was started, like the
    // state dump and the input script (the game itself keeps its data next
    // to the program).
    if (!o.shotFile.empty() && o.shotFile[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof(cwd))) o.shotFile = std::string(cwd) + "/" + o.shotFile;
    }
    if (!o.inputFile.empty()) {
        std::string text, error;
        if (!readInputScript(o.inputFile, &text, &error)) fatalError("%s", error.c_str());
        if (!parseInputScript(text, o.inputFile, &o.script, &error)) fatalError("%s", error.c_str());
    }
    if (!o.replayFile.empty()) loadReplay(o.replayFile, &o);
    return o;
}

bool automationSwitchTakesValue(const char* arg)
{
    const AutomationSwitch* sw = findSwitch(arg);
    return sw && sw->takesValue;
}

bool parseInputScript(const std::string& text, const std::string& fileName, std::vector<ScriptedEvent>* out,
                      std::string* error, const ScriptDirectiveReader& directives)
{
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        *error = fileName + ":" + std::to_string(lineNo) + ": " + why + ": '" + line + "'";
        return false;
    };
    while (std::getline(lines, line)) {
        lineNo++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) {
            if (s[0] == '#') break;
            w.push_back(s);
        }
        if (w.empty()) continue;
        ScriptedEvent ev{};
        int64_t step;
        if (!parseDecimal(w[0].c_str(), 0, INT64_MAX, &step)) return fail("bad step number");
        ev.step = step;
        if (w.size() < 2) return fail("missing event");
        const std::string& kind = w[1];
        size_t argsWanted;
        if (kind == "keydown" || kind == "keyup") {
            argsWanted = 1;
            if (w.size() != 2 + argsWanted) return fail("expected one key name");
            ev.kind = kind == "keydown" ? IEV_KEY_DOWN : IEV_KEY_UP;
            ev.code = virtualKeyFromName(w[2].c_str());
            if (!ev.code) return fail("unknown key '" + w[2] + "'");
        } else if (kind == "mousemove") {
            if (w.size() != 4) return fail("expected X and Y");
            ev.kind = IEV_MOUSE_MOVE;
            if (!parseFloat(w[2], &ev.x) || !parseFloat(w[3], &ev.y)) return fail("bad coordinate");
        } else if (kind == "mousedown" || kind == "mouseup") {
            if (w.size() != 3) return fail("expected a button (left, right or middle)");
            ev.kind = kind == "mousedown" ? IEV_MOUSE_DOWN : IEV_MOUSE_UP;
            ev.code = buttonFromName(w[2]);
            if (!ev.code) return fail("unknown button '" + w[2] + "'");
        } else if (kind == "wheel") {
            int64_t n;
            if (w.size() != 3 || !parseDecimal(w[2].c_str(), -MAX_SCRIPT_NOTCHES, MAX_SCRIPT_NOTCHES, &n))
                return fail("expected a notch count");
            ev.kind = IEV_MOUSE_WHEEL;
            ev.wheel = (int)n;
        } else if (kind == "padbutton") {
            if (w.size() != 4) return fail("expected a controller button and down or up");
            ev.kind = SCRIPT_PAD_BUTTON;
            ev.code = padButtonFromName(w[2].c_str());
            if (ev.code < 0) return fail("unknown controller button '" + w[2] + "'");
            if (w[3] != "down" && w[3] != "up") return fail("expected down or up, not '" + w[3] + "'");
            ev.down = w[3] == "down";
        } else if (kind == "padaxis") {
            if (w.size() != 4) return fail("expected a controller axis and a value");
            ev.kind = SCRIPT_PAD_AXIS;
            ev.code = padAxisFromName(w[2].c_str());
            if (ev.code < 0) return fail("unknown controller axis '" + w[2] + "'");
            bool trigger = ev.code == PAD_LEFTTRIGGER || ev.code == PAD_RIGHTTRIGGER;
            if (!parseFloat(w[3], &ev.x) || ev.x > 1 || ev.x < (trigger ? 0 : -1))
                return fail(trigger ? "expected a trigger value from 0 to 1" : "expected a stick value from -1 to 1");
        } else if (kind == "focus") {
            if (w.size() != 3 || (w[2] != "lost" && w[2] != "gained")) return fail("expected lost or gained");
            ev.kind = SCRIPT_FOCUS_CHANGE;
            ev.code = w[2] == "gained";
        } else if (isRecordingDirective(kind)) {
            if (!directives) return fail("'" + kind + "' belongs in a recording: play the file with --replay");
            std::string why;
            if (!directives(step, w, &why)) return fail(why);
            continue;
        } else {
            return fail("unknown event '" + kind + "'");
        }
        out->push_back(ev);
    }
    std::stable_sort(out->begin(), out->end(),
                     [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.step < b.step; });
    return true;
}

void injectScriptedInput(int64_t step)
{
    for (const ScriptedEvent& ev : automation.script) {
        if (ev.step < step) continue;
        if (ev.step > step) break;
        switch (ev.kind) {
            case IEV_KEY_DOWN:
                windowKeyDown(ev.code, keyHeld(ev.code));
                break;
            case IEV_KEY_UP:
                windowKeyUp(ev.code);
                break;
            case IEV_MOUSE_MOVE:
                windowMouseMove(ev.x, ev.y);
                break;
            case IEV_MOUSE_DOWN:
                windowMouseButton(ev.code, true);
                break;
            case IEV_MOUSE_UP:
                windowMouseButton(ev.code, false);
                break;
            case IEV_MOUSE_WHEEL:
                windowMouseWheel(ev.wheel);
                break;
            // The same way in as a connected controller's events.
            case SCRIPT_PAD_BUTTON:
                padButton(ev.code, ev.down);
                break;
            case SCRIPT_PAD_AXIS:
                padAxis(ev.code, ev.x);
                break;
            case SCRIPT_FOCUS_CHANGE:
                windowFocusChanged(ev.code != 0);
                break;
        }
    }
}

void reportOutputError(const char* what, const char* path)
{
    fprintf(stderr, "ERROR: can't %s '%s'\n", what, path);
    fflush(stderr);
    logPrint("ERROR: can't %s '%s'", what, path);
}

bool parseScriptStep(const std::string& word, int64_t* step) { return parseDecimal(word.c_str(), 0, INT64_MAX, step); }
bool parseScriptSize(const std::string& word, int* width, int* height)
{
    return parseSize(word.c_str(), width, height);
}
bool parseScriptCoordinate(const std::string& word, float* value) { return parseFloat(word, value); }
