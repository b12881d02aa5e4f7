#include "shell/recording.h"

#include <algorithm>
#include <cstdio>

#include "shell/actions.h"
#include "shell/launchOptions.h"
#include "shell/settings.h"
#include "shell/stateDump.h"

namespace {

const char* const DIRECTIVES[] = {"seed", "size", "display", "setting", "start", "pointer", "view", "resize", "end"};

// The only display bits a recording carries.
constexpr uint32_t DISPLAY_BITS = FLAG_FULLSCREEN | FLAG_ANTIALIASING | FLAG_VSYNC | FLAG_FAST_VOXELS;

bool parseDword(const std::string& word, uint32_t* out)
{
    uint64_t v;
    if (!parseSeed(word.c_str(), &v) || v > 0xFFFFFFFFull) return false;
    *out = (uint32_t)v;
    return true;
}

std::string hex(uint64_t v)
{
    char buf[24];
    snprintf(buf, sizeof(buf), "0x%llx", (unsigned long long)v);
    return buf;
}

}  // namespace

std::string exactFloat(float v)
{
    char buf[32];
    snprintf(buf, sizeof(buf), "%.9g", (double)v);
    return buf;
}

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
    bool haveSeed = false, haveSize = false, haveDisplay = false, haveStart = false, havePointer = false;
    auto directive = [&](int64_t step, const std::vector<std::string>& w, std::string* why) {
        auto fail = [why](const std::string& reason) {
            *why = reason;
            return false;
        };
        const std::string& d = w[1];
        if (d != "view" && d != "resize" && d != "end" && step != 0) return fail("'" + d + "' belongs to step 0");
        if (d == "seed") {
            if (haveSeed) return fail("a second seed");
            bool chosen = w.size() == 4 && w[3] == "chosen";
            if ((w.size() != 3 && !chosen) || !parseSeed(w[2].c_str(), &rec.start.seed))
                return fail("expected one seed number, and \"chosen\" when the player chose it");
            rec.start.seedChosen = chosen;
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
            if (std::find(playSettings.begin(), playSettings.end(), w[2]) == playSettings.end())
                return fail("unknown setting '" + w[2] + "'");
            for (const auto& s : rec.start.settings)
                if (s.first == w[2]) return fail("a second value for '" + w[2] + "'");
            rec.start.settings.push_back({w[2], v});
        } else if (d == "start") {
            if (haveStart) return fail("a second start line");
            if (w.size() != 3 || (w[2] != "play" && w[2] != "title"))
                return fail("expected 'start play' or 'start title'");
            rec.start.play = w[2] == "play";
            haveStart = true;
        } else if (d == "pointer") {
            if (havePointer) return fail("a second pointer line");
            if (w.size() != 4 || !parseScriptCoordinate(w[2], &rec.start.pointerX) ||
                !parseScriptCoordinate(w[3], &rec.start.pointerY))
                return fail("expected the pointer's X and Y");
            havePointer = true;
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
        return true;
    };
    if (!parseInputScript(text, fileName, &rec.events, error, directive)) return false;
    const char* missing = !haveSeed      ? "seed"
                          : !haveSize    ? "size"
                          : !haveDisplay ? "display"
                          : !haveStart   ? "start"
                                         : nullptr;
    if (missing) {
        *error = fileName + ": no '" + missing + "' line: not a recording (or the start of it is missing)";
        return false;
    }
    *out = std::move(rec);
    return true;
}

std::string formatRecordingStart(const RecordingStart& s, const std::string& comments)
{
    std::string t = comments;
    t += "0 seed " + hex(s.seed) + (s.seedChosen ? " chosen" : "") + "\n";
    t += "0 size " + std::to_string(s.width) + "x" + std::to_string(s.height) + "\n";
    t += "0 display " + hex(s.display & DISPLAY_BITS) + "\n";
    // Bindings are key codes a byte each, best read in hexadecimal.
    for (const auto& v : s.settings)
        t += "0 setting " + v.first + " " + (v.first.starts_with("bind_") ? hex(v.second) : std::to_string(v.second)) +
             "\n";
    t += std::string("0 start ") + (s.play ? "play" : "title") + "\n";
    t += "0 pointer " + exactFloat(s.pointerX) + " " + exactFloat(s.pointerY) + "\n";
    return t;
}
