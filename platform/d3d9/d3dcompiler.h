// d3dcompiler.h -- the shader compiler's interface and the shader code format
// the device accepts.
//
// The compiler is an optional shared library of its own (SHADER_COMPILER_LIBRARY,
// loaded at run time) with two entry points, "D3DCompile" and "D3DDisassemble".
// Shader source files are GLSL 3.30 core with the entry functions `vsh`
// (void, writes gl_Position) and `psh` (returns the vec4 colour); the macro
// VSH or PSH tells the stage. The compiler prepends what every shader shares:
// - `uniform vec4 c[256];` in the vertex stage: the vertex constant registers
//   c0.. (matrices are loaded row by row, so a point p transforms as
//   p.x * c[0] + p.y * c[1] + p.z * c[2] + p.w * c[3]: `mulRows(p, 0)`);
// - input locations named after the vertex usages, for
//   `layout(location = POSITION0) in vec4 pos;` (see shaderInputs below);
// - texture stage n is the sampler uniform `s<n>` the shader declares itself
//   (`uniform sampler2D s0;`).
// The compiled code of a stage is a ShaderCodeHeader followed by the complete
// preprocessed GLSL text and its terminating NUL.
#pragma once

#include <cstring>

#include "platform/d3d9/d3dtypes.h"

#define SHADER_COMPILER_LIBRARY "libskyshaderc.so"

struct D3D_SHADER_MACRO {
    LPCSTR Name;
    LPCSTR Definition;
};

enum D3D_INCLUDE_TYPE { D3D_INCLUDE_LOCAL = 0, D3D_INCLUDE_SYSTEM = 1 };

// File access for the compiler: Open hands out a file's bytes, Close takes
// them back. The main source file is passed in directly.
struct ID3DInclude {
    virtual HRESULT Open(D3D_INCLUDE_TYPE type, LPCSTR fileName, LPCVOID parentData, LPCVOID* data, UINT* bytes) = 0;
    virtual HRESULT Close(LPCVOID data) = 0;

protected:
    ~ID3DInclude() = default;
};

struct ID3DBlob : IUnknown {
    virtual void* GetBufferPointer() = 0;
    virtual SIZE_T GetBufferSize() = 0;

protected:
    ~ID3DBlob() = default;
};

#define D3DCOMPILE_DEBUG (1u << 0)
#define D3DCOMPILE_OPTIMIZATION_LEVEL3 (1u << 15)
#define D3DCOMPILE_WARNINGS_ARE_ERRORS (1u << 18)

typedef HRESULT (*pD3DCompile)(LPCVOID srcData, SIZE_T srcSize, LPCSTR sourceName, const D3D_SHADER_MACRO* defines,
                               ID3DInclude* include, LPCSTR entryPoint, LPCSTR target, UINT flags1, UINT flags2,
                               ID3DBlob** code, ID3DBlob** errors);
typedef HRESULT (*pD3DDisassemble)(LPCVOID srcData, SIZE_T srcSize, UINT flags, LPCSTR comments,
                                   ID3DBlob** disassembly);

// --- Compiled code -------------------------------------------------------

#define SHADER_CODE_MAGIC 0x4c534b53u  // "SKSL"
enum ShaderStage : uint32_t { SHADER_STAGE_VERTEX = 0, SHADER_STAGE_PIXEL = 1 };

struct ShaderCodeHeader {
    uint32_t magic;
    uint32_t stage;
    uint32_t textBytes;  // GLSL text including its NUL
    uint32_t reserved;
};

// The size of well-formed compiled code of the given stage that lies within
// `available` bytes, or 0 when the bytes are not such code.
inline size_t shaderCodeSize(const void* code, size_t available, ShaderStage stage)
{
    ShaderCodeHeader h;
    if (!code || available < sizeof(h)) return 0;
    memcpy(&h, code, sizeof(h));
    if (h.magic != SHADER_CODE_MAGIC || h.stage != stage || h.textBytes == 0) return 0;
    if (h.textBytes > available - sizeof(h)) return 0;
    const char* text = (const char*)code + sizeof(h);
    if (text[h.textBytes - 1] != 0 || memchr(text, 0, h.textBytes) != text + h.textBytes - 1) return 0;
    return sizeof(h) + h.textBytes;
}

// --- Vertex inputs --------------------------------------------------------

// Attribute locations by vertex usage and usage index; usages not listed are
// not passed to shaders.
struct ShaderInput {
    const char* name;
    BYTE usage;  // D3DDECLUSAGE value
    BYTE index;
    int location;
};
static const ShaderInput shaderInputs[] = {
    {"POSITION0", 0, 0, 0},  {"POSITION1", 0, 1, 1}, {"NORMAL0", 3, 0, 2},       {"COLOR0", 10, 0, 3},
    {"COLOR1", 10, 1, 4},    {"TEXCOORD0", 5, 0, 5}, {"TEXCOORD1", 5, 1, 6},     {"TEXCOORD2", 5, 2, 7},
    {"TEXCOORD3", 5, 3, 8},  {"TEXCOORD4", 5, 4, 9}, {"TEXCOORD5", 5, 5, 10},    {"TEXCOORD6", 5, 6, 11},
    {"TEXCOORD7", 5, 7, 12}, {"TANGENT0", 6, 0, 13}, {"BLENDWEIGHT0", 1, 0, 14}, {"BLENDINDICES0", 2, 0, 15},
};
#define SHADER_INPUT_COUNT ((int)(sizeof(shaderInputs) / sizeof(shaderInputs[0])))

inline int shaderInputLocation(BYTE usage, BYTE index)
{
    for (const ShaderInput& in : shaderInputs)
        if (in.usage == usage && in.index == index) return in.location;
    return -1;
}
