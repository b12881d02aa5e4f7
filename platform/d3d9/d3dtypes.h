// d3dtypes.h -- the plain Windows-style types the GPU layer's interfaces use.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int BOOL;
typedef int32_t HRESULT;
typedef size_t SIZE_T;
typedef void* HANDLE;
typedef const char* LPCSTR;
typedef const void* LPCVOID;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001)
#define E_FAIL ((HRESULT)0x80004005)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define SUCCEEDED(hr) ((HRESULT)(hr) >= 0)
#define FAILED(hr) ((HRESULT)(hr) < 0)

// The window the device presents into. On this platform it is the SDL window.
struct SDL_Window;
typedef SDL_Window* HWND;

struct RECT {
    LONG left, top, right, bottom;
};

// Reference-counted objects, as the layer's callers expect them.
struct IUnknown {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
