#include "shell/automation.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/keymap.h"
#include "shell/input.h"
#include "shell/log.h"
#include "shell/window.h"

AutomationOptions automation;

namespace {

bool parseInt(const char* s, int64_t* out)
{
    if (!s || !*s) return false;
    errno = 0;
    char* end = nullptr;
    long long v = strtoll(s, &end, 0);
    if (errno || *end) return false;
    *out = v;
    return true;
}

bool parseFloat(const std::string& s, float* out)
{
    if (s.empty()) return false;
    char* end = nullptr;
    *out = strtof(s.c_str(), &end);
    return *end == 0;
}

int buttonFromName(const std::string& n)
{
    if (n == "left") return 1;
    if (n == "right") return 2;
    if (n == "middle") return 4;
    return 0;
}

}  // namespace

AutomationOptions parseAutomationOptions(int argc, const char* const* argv)
{
    AutomationOptions o;
    auto value = [&](int& i, const char* name) -> const char* {
        if (i + 1 >= argc) fatalError("command line: %s needs a value", name);
        return argv[++i];
    };
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        int64_t n;
        if (!strcmp(a, "--headless")) {
            o.headless = true;
        } else if (!strcmp(a, "--fixed-step")) {
            o.fixedStep = true;
        } else if (!strcmp(a, "--seed")) {
            const char* v = value(i, a);
            char* end = nullptr;
            errno = 0;
            unsigned long long s = strtoull(v, &end, 0);
            if (errno || !*v || *end) fatalError("command line: bad number '%s' for --seed", v);
            o.hasSeed = true;
            o.seed = s;
        } else if (!strcmp(a, "--steps")) {
            const char* v = value(i, a);
            if (!parseInt(v, &n) || n < 0) fatalError("command line: bad number '%s' for --steps", v);
            o.maxSteps = n;
        } else if (!strcmp(a, "--input")) {
            o.inputFile = value(i, a);
        } else if (!strcmp(a, "--dump-state")) {
            o.dumpStateFile = value(i, a);
        } else if (!strcmp(a, "--shot")) {
            o.shotFile = value(i, a);
        }
    }
    if (!o.inputFile.empty()) {
        std::ifstream in(o.inputFile);
        if (!in) fatalError("can't open input script '%s'", o.inputFile.c_str());
        std::stringstream ss;
        ss << in.rdbuf();
        std::string error;
        if (!parseInputScript(ss.str(), o.inputFile, &o.script, &error)) fatalError("%s", error.c_str());
    }
    return o;
}

bool parseInputScript(const std::string& text, const std::string& fileName, std::vector<ScriptedEvent>* out,
                      std::string* error)
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
        if (!parseInt(w[0].c_str(), &step) || step < 0) return fail("bad step number");
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
            if (w.size() != 3 || !parseInt(w[2].c_str(), &n)) return fail("expected a notch count");
            ev.kind = IEV_MOUSE_WHEEL;
            ev.wheel = (int)n;
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
        }
    }
}
