#include "shell/replay.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/recording.h"
#include "shell/settings.h"
#include "shell/window.h"
#include "support/streams.h"

namespace {

// The recording being played.
struct Replay {
    bool active = false;
    uint32_t display = 0;
    float pointerX = 0, pointerY = 0;
    std::vector<RecordedView> views;
    size_t nextView = 0;
    std::vector<RecordedResize> resizes;
    size_t nextResize = 0;
    bool haveView = false;
    float viewX = 0, viewY = 0;
};
Replay replay;

}  // namespace

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
    o->seedChosen = rec.start.seedChosen;
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
            if (!rec.resizes.empty()) o->maxSteps = std::max(o->maxSteps, rec.resizes.back().step + 1);
            logPrint("recording '%s' has no end line: replaying %lld steps", path.c_str(), (long long)o->maxSteps);
        }
    }
    useSettingsInMemory(rec.start.settings);
    replay = Replay();
    replay.active = true;
    replay.display = rec.start.display;
    replay.pointerX = rec.start.pointerX;
    replay.pointerY = rec.start.pointerY;
    setReplayInput(true);
    replay.views = std::move(rec.views);
    replay.resizes = std::move(rec.resizes);
    logPrint("replaying '%s': %lld steps from seed 0x%llx", path.c_str(), (long long)o->maxSteps,
             (unsigned long long)rec.start.seed);
}

void applyReplayDisplay(LaunchOptions* options)
{
    if (!replay.active) return;
    *options = parseLaunchOptions(true, replay.display & ~FLAG_FULLSCREEN, 0, nullptr);
}

void replayStartPointer(float* x, float* y)
{
    if (!replay.active) return;
    *x = replay.pointerX;
    *y = replay.pointerY;
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

void replayAimView(int64_t step, float* x, float* y)
{
    if (!replay.active) return;
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
