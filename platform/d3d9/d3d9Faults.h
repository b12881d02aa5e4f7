// d3d9Faults.h -- fault injection into the GPU layer, for tests of the
// failure paths above it.
#pragma once

#include "platform/d3d9/d3dtypes.h"

enum class D3DFault {
    Direct3DCreate,  // Direct3DCreate9 returns null
    CreateDevice,
    CreateVertexBuffer,
    CreateIndexBuffer,
    CreateTexture,
    CreateRenderTarget,
    CreateDepthStencil,
    CreateQuery,
    CreateVertexDeclaration,
    CreateVertexShader,
    CreatePixelShader,
    Reset,
    LockTexture,
    LockBuffer,
    SetStreamSourceFreq,
    Draw,
    Count
};

// The next `count` calls of the kind fail with `code` (Direct3DCreate: null).
void d3d9FailNext(D3DFault kind, int count = 1, HRESULT code = (HRESULT)0x8876017C /* OUTOFVIDEOMEMORY */);
// The device of this process becomes lost: TestCooperativeLevel reports
// D3DERR_DEVICELOST, or D3DERR_DEVICENOTRESET when it can be reset already.
void d3d9SetDeviceLost(bool resettable);
// Whether CheckDeviceMultiSampleType reports non-maskable multisampling.
void d3d9SetMultisampleSupported(bool supported);
// Forgets every injected fault and restores multisampling support.
void d3d9ClearFaults();
