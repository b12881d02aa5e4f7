// d3d_shaders.h -- shader files compiled at run time, cached on disk, and
// reloaded when their sources change.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dcompiler.h"
#include "support/dynArray.h"

#define MAX_SHADERS 64

struct ShaderDep {
    char name[260];  // as passed to the include handler
    int64_t time;    // modification time, 0 when unknown or no compiler
};

// A shader handle is the address of its slot.
struct ShaderSlot {
    IDirect3DVertexShader9* vs;  // null: slot free
    IDirect3DPixelShader9* ps;
    char fileName[260];
    char defines[512];  // name, value, name, value, ... each NUL-ended, then ""
    DynArray<ShaderDep> deps;

    bool empty() const { return !vs; }
    // Frees the dependencies and both stages; the slot is free afterwards.
    void release();
};

// Include handler of the compiler: every file is looked up from the program
// directory and recorded as a dependency of the shader that owns the handler
// (none: nothing is recorded).
class MyShaderInclude final : public ID3DInclude {
public:
    explicit MyShaderInclude(ShaderSlot* s) : slot(s) {}
    HRESULT Open(D3D_INCLUDE_TYPE type, LPCSTR fileName, LPCVOID parentData, LPCVOID* data, UINT* size) override;
    HRESULT Close(LPCVOID data) override;

private:
    ShaderSlot* slot;
};

void load_shader_compiler();
bool shader_compiler_available();
// Fatal error when the shader can be neither loaded from its cache nor compiled.
ShaderSlot* create_shader(const char* fileName, const char* defines);
void release_shader(ShaderSlot* s);
void set_shader(ShaderSlot* s);
void set_vs_consts(int firstRegister, const float* data, int registerCount);
// Recompiles changed shaders (all with force); a failure keeps the old ones.
void reload_shaders(bool force);
void release_all_shaders();
