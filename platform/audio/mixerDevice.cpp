#include "platform/audio/mixerDevice.h"

#include <SDL.h>

namespace mixer {

namespace {

SDL_AudioDeviceID device = 0;
RenderProc renderProc = nullptr;

void callback(void*, Uint8* stream, int bytes) { renderProc((float*)stream, bytes / (int)(2 * sizeof(float))); }

}  // namespace

bool openDevice(int rate, RenderProc render)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{}, have{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;  // 23 ms at 44.1 kHz
    want.callback = callback;
    renderProc = render;
    // No changes allowed: the output converts whatever the hardware wants.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void closeDevice()
{
    if (!device) return;
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace mixer
