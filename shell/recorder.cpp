#include "shell/recorder.h"

#include <sys/utsname.h>

#include <cstdio>
#include <ctime>

#include "platform/keymap.h"
#include "shell/gamepad.h"
#include "shell/log.h"
#include "shell/recording.h"

namespace {

const char* buttonName(int button) { return button == 1 ? "left" : button == 2 ? "right" : "middle"; }

// The recording being written.
struct Writer {
    FILE* file = nullptr;
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

bool openRecording(const std::string& path)
{
    writer = Writer();
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
    if (writer.file) recordEvent((down ? "keydown " : "keyup ") + virtualKeyScriptName(vk));
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

void recordPadButton(int button, bool down)
{
    if (writer.file) recordEvent(std::string("padbutton ") + padButtonName(button) + (down ? " down" : " up"));
}

void recordPadAxis(int axis, float value)
{
    if (writer.file) recordEvent(std::string("padaxis ") + padAxisName(axis) + " " + exactFloat(value));
}

void recordFocusChange(bool focused)
{
    if (writer.file) recordEvent(focused ? "focus gained" : "focus lost");
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
    if (!writer.started) {
        writeLine("# the game stopped with a fatal error before the session started");
        closeWriter();
        return;
    }
    writeLine("# the session stopped with a fatal error in step " + std::to_string(steps));
    writeLine(std::to_string(steps + 1) + " end");
    closeWriter();
}

void recordAimView(int64_t step, float x, float y)
{
    if (!writer.file || (writer.haveView && writer.viewX == x && writer.viewY == y)) return;
    writer.haveView = true;
    writer.viewX = x;
    writer.viewY = y;
    writeLine(std::to_string(step) + " view " + exactFloat(x) + " " + exactFloat(y));
}
