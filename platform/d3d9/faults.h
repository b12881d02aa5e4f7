// faults.h -- the injected-fault state shared by the layer's modules.
#pragma once

#include "platform/d3d9/d3d9Faults.h"

namespace d3d9gl {

enum LostState { NOT_LOST = 0, LOST = 1, LOST_RESETTABLE = 2 };

struct FaultState {
    int remaining[(int)D3DFault::Count] = {};
    HRESULT codes[(int)D3DFault::Count] = {};
    bool multisampleSupported = true;
    LostState lostRequest = NOT_LOST;
    void (*onLost)() = nullptr;  // set by the live device
};
extern FaultState faults;

// True (and the code to return) when an injected fault of the kind is due.
bool takeFault(D3DFault kind, HRESULT* code);

}  // namespace d3d9gl
