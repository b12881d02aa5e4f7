#include "shell/recording.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>

#include "platform/keymap.h"
#include "shell/actions.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/settings.h"
#include "shell/stateDump.h"
#include "support/streams.h"

namespace {

const char* const DIRECTIVES[] = {"seed", "size", "display", "setting", "start", "view", "resize", "end"};

// The only display bits a recording carries.
constexpr uint32_t DISPLAY_BITS = FLAG_FULLSCREEN | FLAG_ANTIALIASING | FLAG_VSYNC | FLAG_FAST_VOXELS;

std::string hex(uint64_t v)
{
    char buf[24];
    snprintf(buf, sizeof(buf), "0x%llx", (unsigned long long)v);
    return buf;
}

// Floats written so that they read back to the same bits.
std::string exactFloat(float v)
{
    char buf[32];
    snprintf(buf, sizeof(buf), "%.9g", (double)v);
    return buf;
}

bool parseDword(const std::string& word, uint32_t* out)
{
    uint64_t v;
    if (!parseScriptSeed(word, &v) || v > 0xFFFFFFFFull) return false;
    *out = (uint32_t)v;
    return true;
}

const char* buttonName(int button) { return button == 1 ? "left" : button == 2 ? "right" : "middle"; }

// --- The writer's state ---
struct Writer {
    FILE* file = nullptr;
    std::string path;
    int64_t step = 0;  // the step that sees the events entering now
    bool wroteSinceFlush = false;
    bool failed = false;
    bool started = false;  // the start lines are written
    int width = 0, height = 0;
    bool haveView = false;
    float viewX = 0, viewY = 0;
};
Writer writer;

void writeLine(const std::string& line)
{
    if (!writer.file) return;
    if (fputs(line.c_str(), writer.file) < 0 || fputc('\n', writer.file) == EOF) writer.failed = true;
    writer.wroteSinceFlush = true;
}

void closeWriter()
{
    if (fflush(writer.file) != 0 || ferror(writer.file)) writer.failed = true;
    if (fclose(writer.file) != 0) writer.failed = true;
    writer.file = nullptr;
}

// --- The replay's state ---
struct Replay {
    bool active = false;
    uint32_t display = 0;
    std::vector<RecordedView> views;
    size_t nextView = 0;
    std::vector<RecordedResize> resizes;
    size_t nextResize = 0;
    bool haveView = false;
    float viewX = 0, viewY = 0;
};
Replay replay;

// Comment lines that tell a person where a recording comes from.
std::string headerComments()
{
    std::string c = "# " WINDOW_TITLE " session recording (game built " __DATE__ " " __TIME__ ")\n";
    char when[64] = "";
    time_t now = time(nullptr);
    struct tm utc;
    if (gmtime_r(&now, &utc)) strftime(when, sizeof(when), "%Y-%m-%d %H:%M:%S UTC", &utc);
    struct utsname un;
    std::string system = uname(&un) == 0 ? std::string(un.sysname) + " " + un.release + " " + un.machine : "unknown";
    c += "# recorded " + std::string(when) + " on " + system + "\n";
    c += "# play it back with: game --replay FILE (add --dump-state OUT.json or --shot OUT.png)\n";
    return c;
}

}  // namespace

std::vector<std::string> playSettingNames()
{
    std::vector<std::string> names;
    for (int a = 0; a < ACTION_COUNT; a++) names.push_back(std::string("bind_") + actionName((Action)a));
    for (const char* n : {"volume_master", "volume_music", "volume_effects", "pause_on_focus_loss"}) names.push_back(n);
    return names;
}

void writePlaySettingsState(JsonWriter& json)
{
    json.beginObject("settings");
    for (const std::string& name : playSettingNames()) {
        uint32_t v;
        if (readSettingDword(name.c_str(), &v)) json.field(name.c_str(), (int64_t)v);
    }
    json.endObject();
}

bool isRecordingDirective(const std::string& word)
{
    for (const char* d : DIRECTIVES)
        if (word == d) return true;
    return false;
}

bool parseRecording(const std::string& text, const std::string& fileName, Recording* out, std::string* error)
{
    Recording rec;
    std::vector<std::string> playSettings = playSettingNames();
    bool haveSeed = false, haveSize = false, haveDisplay = false, haveStart = false;
    // Event lines go to the input-script parser; directive lines are blanked
    // there, so its errors keep their line numbers.
    std::string eventText;
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
        if (w.size() < 2 || !isRecordingDirective(w[1])) {
            eventText += line + "\n";
            continue;
        }
        eventText += "\n";
        int64_t step;
        if (!parseScriptStep(w[0], &step)) return fail("bad step number");
        const std::string& d = w[1];
        if (d != "view" && d != "resize" && d != "end" && step != 0) return fail("'" + d + "' belongs to step 0");
        if (d == "seed") {
            if (haveSeed) return fail("a second seed");
            if (w.size() != 3 || !parseScriptSeed(w[2], &rec.start.seed)) return fail("expected one seed number");
            haveSeed = true;
        } else if (d == "size") {
            if (haveSize) return fail("a second size");
            if (w.size() != 3 || !parseScriptSize(w[2], &rec.start.width, &rec.start.height))
                return fail("expected a size WxH");
            haveSize = true;
        } else if (d == "display") {
            if (haveDisplay) return fail("a second display line");
            if (w.size() != 3 || !parseDword(w[2], &rec.start.display) || (rec.start.display & ~DISPLAY_BITS))
                return fail("expected the display bits (0x0 to 0xf)");
            haveDisplay = true;
        } else if (d == "setting") {
            uint32_t v;
            if (w.size() != 4 || !parseDword(w[3], &v)) return fail("expected a setting name and a 32-bit value");
            bool known = false;
            for (const std::string& n : playSettings) known = known || n == w[2];
            if (!known) return fail("unknown setting '" + w[2] + "'");
            for (const auto& s : rec.start.settings)
                if (s.first == w[2]) return fail("a second value for '" + w[2] + "'");
            rec.start.settings.push_back({w[2], v});
        } else if (d == "start") {
            if (haveStart) return fail("a second start line");
            if (w.size() != 3 || (w[2] != "play" && w[2] != "title"))
                return fail("expected 'start play' or 'start title'");
            rec.start.play = w[2] == "play";
            haveStart = true;
        } else if (d == "view") {
            RecordedView v{step, 0, 0};
            if (w.size() != 4 || !parseScriptCoordinate(w[2], &v.x) || !parseScriptCoordinate(w[3], &v.y))
                return fail("expected the camera's X and Y");
            if (!rec.views.empty() && rec.views.back().step > step) return fail("a view out of step order");
            rec.views.push_back(v);
        } else if (d == "resize") {
            RecordedResize r{step, 0, 0};
            if (w.size() != 3 || !parseScriptSize(w[2], &r.width, &r.height)) return fail("expected a size WxH");
            if (!rec.resizes.empty() && rec.resizes.back().step > step) return fail("a resize out of step order");
            rec.resizes.push_back(r);
        } else {  // end
            if (w.size() != 2) return fail("'end' takes no arguments");
            if (rec.endStep >= 0) return fail("a second end line");
            rec.endStep = step;
        }
    }
    const char* missing = !haveSeed      ? "seed"
                          : !haveSize    ? "size"
                          : !haveDisplay ? "display"
                          : !haveStart   ? "start"
                                         : nullptr;
    if (missing) {
        *error = fileName + ": no '" + missing + "' line: not a recording (or the start of it is missing)";
        return false;
    }
    if (!parseInputScript(eventText, fileName, &rec.events, error)) return false;
    *out = std::move(rec);
    return true;
}

std::string formatRecordingStart(const RecordingStart& s, const std::string& comments)
{
    std::string t = comments;
    t += "0 seed " + hex(s.seed) + "\n";
    t += "0 size " + std::to_string(s.width) + "x" + std::to_string(s.height) + "\n";
    t += "0 display " + hex(s.display & DISPLAY_BITS) + "\n";
    // Bindings are key codes a byte each, best read in hexadecimal.
    for (const auto& v : s.settings)
        t += "0 setting " + v.first + " " + (v.first.starts_with("bind_") ? hex(v.second) : std::to_string(v.second)) +
             "\n";
    t += std::string("0 start ") + (s.play ? "play" : "title") + "\n";
    return t;
}

bool openRecording(const std::string& path)
{
    writer = Writer();
    writer.path = path;
    writer.file = fopen(path.c_str(), "w");
    return writer.file != nullptr;
}

bool recordingOpen() { return writer.file != nullptr; }

void writeRecordingStart(const RecordingStart& start)
{
    std::string text = formatRecordingStart(start, headerComments());
    text.pop_back();  // writeLine ends the line
    writeLine(text);
    writer.started = true;
    writer.width = start.width;
    writer.height = start.height;
    recordingStepDone(writer.step);
}

void recordEvent(const std::string& words) { writeLine(std::to_string(writer.step) + " " + words); }

void recordKeyEvent(int vk, bool down)
{
    if (writer.file) recordEvent((down ? "keydown " : "keyup ") + virtualKeyName(vk));
}

void recordMouseMove(float x, float y)
{
    if (writer.file) recordEvent("mousemove " + exactFloat(x) + " " + exactFloat(y));
}

void recordMouseButton(int button, bool down)
{
    if (writer.file) recordEvent(std::string(down ? "mousedown " : "mouseup ") + buttonName(button));
}

void recordMouseWheel(int notches)
{
    if (writer.file) recordEvent("wheel " + std::to_string(notches));
}

void recordBackBufferSize(int width, int height)
{
    if (!writer.file || !writer.started || (width == writer.width && height == writer.height)) return;
    writer.width = width;
    writer.height = height;
    recordEvent("resize " + std::to_string(width) + "x" + std::to_string(height));
}

void recordingStepDone(int64_t stepsDone)
{
    writer.step = stepsDone;
    if (!writer.file || !writer.wroteSinceFlush) return;
    // Every step's lines reach the file, so a crash leaves a recording up to
    // the step it happened in.
    if (fflush(writer.file) != 0) writer.failed = true;
    writer.wroteSinceFlush = false;
}

bool finishRecording(int64_t steps)
{
    if (!writer.file) return !writer.failed;
    writeLine(std::to_string(steps) + " end");
    closeWriter();
    return !writer.failed;
}

void abandonRecording(int64_t steps)
{
    if (!writer.file) return;
    writeLine("# the session stopped with a fatal error in step " + std::to_string(steps));
    writeLine(std::to_string(steps + 1) + " end");
    closeWriter();
}

void loadReplay(const std::string& path, AutomationOptions* o)
{
    if (!o->inputFile.empty()) fatalError("command line: --replay plays its own input; leave out --input");
    std::string text, error;
    errno = 0;
    if (!readWholeFile(path.c_str(), &text))
        fatalError("can't read recording '%s': %s", path.c_str(), errno ? strerror(errno) : "read error");
    Recording rec;
    if (!parseRecording(text, path, &rec, &error)) fatalError("%s", error.c_str());

    o->hasSeed = true;
    o->seed = rec.start.seed;
    o->width = rec.start.width;
    o->height = rec.start.height;
    o->play = rec.start.play;
    o->fixedStep = true;
    o->script = std::move(rec.events);
    if (o->maxSteps < 0) {
        o->maxSteps = rec.endStep;
        if (rec.endStep < 0) {
            // Cut short (a crash, a killed game): up to the last step that saw something.
            o->maxSteps = o->script.empty() ? 0 : o->script.back().step + 1;
            if (!rec.views.empty()) o->maxSteps = std::max(o->maxSteps, rec.views.back().step + 1);
            logPrint("recording '%s' has no end line: replaying %lld steps", path.c_str(), (long long)o->maxSteps);
        }
    }
    useSettingsInMemory(rec.start.settings);
    replay = Replay();
    replay.active = true;
    replay.display = rec.start.display;
    replay.views = std::move(rec.views);
    replay.resizes = std::move(rec.resizes);
    logPrint("replaying '%s': %lld steps from seed %s", path.c_str(), (long long)o->maxSteps,
             hex(rec.start.seed).c_str());
}

bool replaying() { return replay.active; }

void applyReplayDisplay(LaunchOptions* options)
{
    if (!replay.active) return;
    *options = parseLaunchOptions(true, replay.display & ~FLAG_FULLSCREEN, 0, nullptr);
}

bool replayResizeForStep(int64_t step, int* width, int* height)
{
    bool changed = false;
    while (replay.nextResize < replay.resizes.size() && replay.resizes[replay.nextResize].step <= step) {
        *width = replay.resizes[replay.nextResize].width;
        *height = replay.resizes[replay.nextResize].height;
        changed = true;
        replay.nextResize++;
    }
    return changed;
}

void aimViewForStep(int64_t step, float* x, float* y)
{
    if (replay.active) {
        while (replay.nextView < replay.views.size() && replay.views[replay.nextView].step <= step) {
            replay.viewX = replay.views[replay.nextView].x;
            replay.viewY = replay.views[replay.nextView].y;
            replay.haveView = true;
            replay.nextView++;
        }
        if (replay.haveView) {
            *x = replay.viewX;
            *y = replay.viewY;
        }
    }
    if (writer.file && !(writer.haveView && writer.viewX == *x && writer.viewY == *y)) {
        writer.haveView = true;
        writer.viewX = *x;
        writer.viewY = *y;
        writeLine(std::to_string(step) + " view " + exactFloat(*x) + " " + exactFloat(*y));
    }
}
