// mixerDevice.h -- the audio output the mixer renders into.
#pragma once

namespace mixer {

typedef void (*RenderProc)(float* frames, int count);

// Opens the system's default output at `rate` Hz, stereo float, and starts
// calling `render` from the device's thread. False when there is no output.
bool openDevice(int rate, RenderProc render);
// Stops the device; no render call is running or will run after it returns.
void closeDevice();

}  // namespace mixer
