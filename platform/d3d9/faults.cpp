#include "platform/d3d9/faults.h"

namespace d3d9gl {

FaultState faults;

bool takeFault(D3DFault kind, HRESULT* code)
{
    int k = (int)kind;
    if (faults.remaining[k] <= 0) return false;
    faults.remaining[k]--;
    if (code) *code = faults.codes[k];
    return true;
}

}  // namespace d3d9gl

using namespace d3d9gl;

void d3d9FailNext(D3DFault kind, int count, HRESULT code)
{
    faults.remaining[(int)kind] = count;
    faults.codes[(int)kind] = code;
}

void d3d9SetDeviceLost(bool resettable)
{
    faults.lostRequest = resettable ? LOST_RESETTABLE : LOST;
    if (faults.onLost) faults.onLost();
}

void d3d9SetMultisampleSupported(bool supported) { faults.multisampleSupported = supported; }

void d3d9ClearFaults()
{
    for (int i = 0; i < (int)D3DFault::Count; i++) faults.remaining[i] = 0;
    faults.multisampleSupported = true;
    faults.lostRequest = NOT_LOST;
}
