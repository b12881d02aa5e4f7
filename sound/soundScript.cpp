#include "sound/soundScript.h"

#include <string>
#include <vector>

#include "script/sqVMReload.h"
#include "script/sqbind.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/screenMessages.h"
#include "sound/sound.h"
#include "sound/soundEvents.h"
#include "support/utils.h"

namespace {

constexpr int SCRIPT_STACK_SIZE = 1024;

// Made at load and destroyed at close: the files it recorded go with it.
SqReloadableVM* scriptVM = nullptr;
sqbind::SqFunc eventFunctions[SOUND_EVENT_COUNT];
std::vector<SoundHandle> samples, streams;
std::string loadFailures;  // "Can't load sound files:\n" and a name per line
uint64_t scriptRandom = 0;

void recordLoadFailure(const char* name)
{
    // Without an audio output nothing loads, and that is not the script's fault.
    if (!soundAvailable()) return;
    if (loadFailures.empty()) loadFailures = "Can't load sound files:\n";
    loadFailures += name;
    loadFailures += "\n";
}

// --- The functions the script calls ---------------------------------------

SQInteger scriptLoadSample(const char* name, SQInteger maxPlaybacks, SQInteger flags)
{
    SoundHandle s = loadSample(dataPath(name).c_str(), (int)maxPlaybacks, (int)flags, 1, 0, 0);
    if (s)
        samples.push_back(s);
    else
        recordLoadFailure(name);
    return s;
}

SQInteger scriptLoadMusic(const char* name, float loopStart)
{
    SoundHandle s = loadStream(dataPath(name).c_str(), 0, loopStart, 0, 0);
    if (s)
        streams.push_back(s);
    else
        recordLoadFailure(name);
    return s;
}

SQInteger scriptGetChannel(SQInteger sample) { return getSampleChannel((SoundHandle)sample); }
bool scriptSetChannelVolume(SQInteger channel, float v) { return setChannelVolume((SoundHandle)channel, v); }
bool scriptPlayChannel(SQInteger channel, bool restart) { return playChannel((SoundHandle)channel, restart); }
bool scriptStopChannel(SQInteger channel) { return stopChannel((SoundHandle)channel); }
bool scriptFadeOutAndStop(SQInteger channel, SQInteger ms) { return fadeOutAndStop((SoundHandle)channel, (int)ms); }
bool scriptSetSampleVolume(SQInteger sample, float v) { return setSampleVolume((SoundHandle)sample, v); }
SQInteger scriptRnd() { return nextScriptRandom(); }

void registerSoundFunctions(HSQUIRRELVM v)
{
    using namespace sqbind;
    registerFunction(v, "load_sample", scriptLoadSample);
    registerFunction(v, "get_channel", scriptGetChannel);
    registerFunction(v, "set_channel_volume", scriptSetChannelVolume);
    registerFunction(v, "play_channel", scriptPlayChannel);
    registerFunction(v, "stop_channel", scriptStopChannel);
    registerFunction(v, "fade_out_and_stop", scriptFadeOutAndStop);
    registerFunction(v, "set_sample_volume", scriptSetSampleVolume);
    registerFunction(v, "game_rnd", scriptRnd);
    registerFunction(v, "load_music", scriptLoadMusic);
    registerConstant(v, "SND_3D", SND_3D);
    registerConstant(v, "SND_LOOP", SND_LOOP);
}

// --- Loading ----------------------------------------------------------------

void releaseEventFunctions()
{
    for (sqbind::SqFunc& f : eventFunctions) f.release();
}

void freeLoadedSounds()
{
    for (SoundHandle s : samples) freeSample(s);
    for (SoundHandle s : streams) freeStream(s);
    samples.clear();
    streams.clear();
}

// Binds every event to its function in the global table "events".
void readEventTable()
{
    releaseEventFunctions();
    HSQUIRRELVM v = scriptVM->vm();
    HSQOBJECT events = sqbind::getGlobal(v, "events");
    for (int e = 0; e < SOUND_EVENT_COUNT; e++) {
        sq_pushobject(v, events);
        sq_pushstring(v, soundEventName(e), -1);
        if (SQ_SUCCEEDED(sq_get(v, -2))) {
            SQObjectType t = sq_gettype(v, -1);
            if (t == OT_CLOSURE || t == OT_NATIVECLOSURE) {
                HSQOBJECT fn;
                sq_getstackobj(v, -1, &fn);
                eventFunctions[e].bind(v, events, fn);
            }
            sq_pop(v, 1);
        }
        sq_pop(v, 1);
    }
    sq_release(v, &events);
    for (int e = 0; e < SOUND_EVENT_COUNT; e++)
        if (!eventFunctions[e].bound()) logPrint("warning: no sound for event '%s'", soundEventName(e));
}

void raiseLoadFailures()
{
    if (!loadFailures.empty()) throw sqbind::SquirrelError{loadFailures.c_str()};
}

void showScriptError(const char* text)
{
    std::string message = std::string("Error in sound script:\n") + text;
    setErrorMessage(message.c_str());
}

const char* lastScriptError()
{
    const char* e = sqbind::lastError(scriptVM->vm());
    return e;
}

}  // namespace

uint32_t nextScriptRandom()
{
    scriptRandom = scriptRandom * 0x5851F42D4C957F2Dull + 0x14057B7EF767814Full;
    return (uint32_t)(scriptRandom >> 32) & 0x7FFFFFFFu;
}

int loadedSampleCount() { return (int)samples.size(); }
int loadedStreamCount() { return (int)streams.size(); }

void loadSoundScript(const char* fileName)
{
    scriptRandom = random64.state;
    closeSoundScript();
    scriptVM = new SqReloadableVM;
    if (!scriptVM->create(SCRIPT_STACK_SIZE)) fatalError("error creating sound script VM");
    registerSoundFunctions(scriptVM->vm());
    loadFailures.clear();
    try {
        if (!scriptVM->include(fileName)) throw sqbind::SquirrelError{lastScriptError()};
        readEventTable();
        raiseLoadFailures();
    } catch (const sqbind::SquirrelError& e) {
        showScriptError(e.message);
    }
}

void reloadSoundScriptIfChanged()
{
    if (!scriptVM || !scriptVM->needsReload()) return;
    setErrorMessage(nullptr);
    // The old functions go with the sounds they played, even if the new run fails.
    releaseEventFunctions();
    freeLoadedSounds();
    loadFailures.clear();
    try {
        if (!scriptVM->reloadFiles(true)) throw sqbind::SquirrelError{lastScriptError()};
        readEventTable();
        raiseLoadFailures();
        logPrint("sound script reloaded");
    } catch (const sqbind::SquirrelError& e) {
        showScriptError(e.message);
    }
}

void closeSoundScript()
{
    releaseEventFunctions();
    freeLoadedSounds();
    delete scriptVM;
    scriptVM = nullptr;
}

uint32_t soundEvent(int index)
{
    if (index < 0 || index >= SOUND_EVENT_COUNT) return 0;
    if (soundEventLoggingOn()) {
        logPrint("sound event '%s'", soundEventName(index));
        addScreenMessage("sound event '%s'", soundEventName(index));
    }
    if (!eventFunctions[index].bound()) return 0;
    ASSERT(scriptVM);
    try {
        return (uint32_t)eventFunctions[index].callInt();
    } catch (const sqbind::SquirrelError& e) {
        showScriptError(e.message);
        return 0;
    }
}
