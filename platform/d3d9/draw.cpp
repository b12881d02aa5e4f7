// draw.cpp -- vertex declarations, streams, shaders and their constants, and
// the draw calls of the GPU layer.
#include <algorithm>

#include "platform/d3d9/glDevice.h"
#include "shell/log.h"

namespace d3d9gl {

// --- Declarations and streams --------------------------------------------

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** out)
{
    if (!out || !elements) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT code;
    if (takeFault(D3DFault::CreateVertexDeclaration, &code)) return code;
    UINT n = 0;
    while (elements[n].Stream != 0xFF) {
        const D3DVERTEXELEMENT9& e = elements[n];
        if (n >= MAXD3DDECLLENGTH || e.Stream >= D3D_MAX_STREAMS || e.Type > D3DDECLTYPE_SHORT4N ||
            e.Method != D3DDECLMETHOD_DEFAULT || e.Usage > D3DDECLUSAGE_SAMPLE)
            return D3DERR_INVALIDCALL;
        for (UINT j = 0; j < n; j++)
            if (elements[j].Usage == e.Usage && elements[j].UsageIndex == e.UsageIndex) return D3DERR_INVALIDCALL;
        n++;
    }
    *out = new VertexDecl(this, elements, n + 1, false);
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* d)
{
    decl = static_cast<VertexDecl*>(d);
    inputDirty = true;
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf)
{
    auto it = fvfDecls.find(fvf);
    if (it == fvfDecls.end()) {
        if (fvf & ~(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEXCOUNT_MASK)) return D3DERR_INVALIDCALL;
        D3DVERTEXELEMENT9 e[16];
        UINT n = 0;
        WORD offset = 0;
        auto add = [&](BYTE type, BYTE usage, BYTE index, WORD size) {
            e[n++] = {0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index};
            offset = (WORD)(offset + size);
        };
        if (fvf & D3DFVF_XYZ) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
        if (fvf & D3DFVF_NORMAL) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
        if (fvf & D3DFVF_DIFFUSE) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
        UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
        for (UINT i = 0; i < texCount && i < 8; i++) add(D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, (BYTE)i, 8);
        e[n++] = D3DDECL_END();
        it = fvfDecls.emplace(fvf, new VertexDecl(this, e, n, true)).first;
    }
    decl = it->second;
    inputDirty = true;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    if (stream >= D3D_MAX_STREAMS) return D3DERR_INVALIDCALL;
    Stream& s = streams[stream];
    s.buffer = static_cast<VertexBuffer*>(buffer);
    s.offset = offset;
    s.stride = stride;
    inputDirty = true;
    return D3D_OK;
}

HRESULT Device::SetStreamSourceFreq(UINT stream, UINT setting)
{
    HRESULT code;
    if (takeFault(D3DFault::SetStreamSourceFreq, &code)) return code;
    if (stream >= D3D_MAX_STREAMS) return D3DERR_INVALIDCALL;
    UINT kind = setting & (D3DSTREAMSOURCE_INDEXEDDATA | D3DSTREAMSOURCE_INSTANCEDATA);
    UINT count = setting & ~(D3DSTREAMSOURCE_INDEXEDDATA | D3DSTREAMSOURCE_INSTANCEDATA);
    if (kind == (D3DSTREAMSOURCE_INDEXEDDATA | D3DSTREAMSOURCE_INSTANCEDATA) || count == 0 ||
        (stream == 0 && kind == D3DSTREAMSOURCE_INSTANCEDATA))
        return D3DERR_INVALIDCALL;
    streams[stream].frequency = setting;
    inputDirty = true;
    return D3D_OK;
}

HRESULT Device::GetStreamSourceFreq(UINT stream, UINT* setting)
{
    if (stream >= D3D_MAX_STREAMS || !setting) return D3DERR_INVALIDCALL;
    *setting = streams[stream].frequency;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    indices = static_cast<IndexBuffer*>(buffer);
    return D3D_OK;
}

// --- Shaders and constants -----------------------------------------------

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader)
{
    vs = static_cast<VertexShader*>(shader);
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader)
{
    ps = static_cast<PixelShader*>(shader);
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!data || start >= 256 || count > 256 - start) return D3DERR_INVALIDCALL;
    memcpy(constants[start], data, sizeof(float) * 4 * count);
    constantsUsed = std::max(constantsUsed, start + count);
    uniformSerial++;
    return D3D_OK;
}

HRESULT Device::GetVertexShaderConstantF(UINT start, float* data, UINT count)
{
    if (!data || start >= 256 || count > 256 - start) return D3DERR_INVALIDCALL;
    memcpy(data, constants[start], sizeof(float) * 4 * count);
    return D3D_OK;
}

Program* Device::currentProgram()
{
    uint64_t key = ((uint64_t)vs->core.id << 32) | ps->core.id;
    auto it = programs.find(key);
    if (it != programs.end()) return it->second.name ? &it->second : nullptr;
    Program p;
    p.name = glCreateProgram();
    glAttachShader(p.name, vs->core.shader);
    glAttachShader(p.name, ps->core.shader);
    glLinkProgram(p.name);
    GLint ok = 0;
    glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetProgramInfoLog(p.name, sizeof(log), nullptr, log);
        logPrint("vertex and pixel shader do not fit together: %s", log);
        glDeleteProgram(p.name);
        programs[key] = Program();  // remembered, so the failure is reported once
        return nullptr;
    }
    glUseProgram(p.name);
    currentProgramName = p.name;
    for (int i = 0; i < D3D_MAX_SAMPLERS; i++) {
        char name[8];
        snprintf(name, sizeof(name), "s%d", i);
        GLint loc = glGetUniformLocation(p.name, name);
        if (loc >= 0) glUniform1i(loc, i);
    }
    p.constantsLoc = glGetUniformLocation(p.name, "c");
    p.targetLoc = glGetUniformLocation(p.name, "sky_target");
    p.alphaTestLoc = glGetUniformLocation(p.name, "sky_alphaTest");
    return &(programs[key] = p);
}

void Device::uploadUniforms(Program* p)
{
    if (p->seenSerial == uniformSerial) return;
    if (p->constantsLoc >= 0 && constantsUsed) glUniform4fv(p->constantsLoc, (GLsizei)constantsUsed, constants[0]);
    if (p->targetLoc >= 0) glUniform4f(p->targetLoc, 1.0f / (float)targetWidth, 1.0f / (float)targetHeight, 0, 0);
    if (p->alphaTestLoc >= 0) glUniform4i(p->alphaTestLoc, alphaTest[0], alphaTest[1], alphaTest[2], 0);
    p->seenSerial = uniformSerial;
}

// --- Draws -------------------------------------------------------------------

struct AttribFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
};

static AttribFormat attribFormat(BYTE type)
{
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
            return {1, GL_FLOAT, GL_FALSE};
        case D3DDECLTYPE_FLOAT2:
            return {2, GL_FLOAT, GL_FALSE};
        case D3DDECLTYPE_FLOAT3:
            return {3, GL_FLOAT, GL_FALSE};
        case D3DDECLTYPE_FLOAT4:
            return {4, GL_FLOAT, GL_FALSE};
        case D3DDECLTYPE_D3DCOLOR:
            return {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE};  // bytes B, G, R, A
        case D3DDECLTYPE_UBYTE4:
            return {4, GL_UNSIGNED_BYTE, GL_FALSE};
        case D3DDECLTYPE_SHORT2:
            return {2, GL_SHORT, GL_FALSE};
        case D3DDECLTYPE_SHORT4:
            return {4, GL_SHORT, GL_FALSE};
        case D3DDECLTYPE_UBYTE4N:
            return {4, GL_UNSIGNED_BYTE, GL_TRUE};
        case D3DDECLTYPE_SHORT2N:
            return {2, GL_SHORT, GL_TRUE};
        default:
            return {4, GL_SHORT, GL_TRUE};
    }
}

HRESULT Device::setupVertexInput(bool instanced)
{
    if (!inputDirty && instanced == lastInstanced) return D3D_OK;
    uint32_t mask = 0;
    for (UINT i = 0; i + 1 < decl->count; i++) {
        const D3DVERTEXELEMENT9& e = decl->elements[i];
        int loc = shaderInputLocation(e.Usage, e.UsageIndex);
        if (loc < 0) continue;
        const Stream& s = streams[e.Stream];
        if (!s.buffer || s.buffer->core.mapped) return D3DERR_INVALIDCALL;
        AttribFormat f = attribFormat(e.Type);
        glBindBuffer(GL_ARRAY_BUFFER, s.buffer->core.name);
        glVertexAttribPointer((GLuint)loc, f.size, f.type, f.normalized, (GLsizei)s.stride,
                              (const void*)(uintptr_t)(s.offset + e.Offset));
        UINT divisor = (instanced && (s.frequency & D3DSTREAMSOURCE_INSTANCEDATA))
                           ? (s.frequency & ~D3DSTREAMSOURCE_INSTANCEDATA)
                           : 0;
        glVertexAttribDivisor((GLuint)loc, divisor);
        mask |= 1u << loc;
    }
    for (int loc = 0; loc < SHADER_INPUT_COUNT; loc++) {
        uint32_t bit = 1u << loc;
        if ((mask & bit) && !(enabledInputs & bit)) glEnableVertexAttribArray((GLuint)loc);
        if (!(mask & bit) && (enabledInputs & bit)) glDisableVertexAttribArray((GLuint)loc);
    }
    enabledInputs = mask;
    inputDirty = false;
    lastInstanced = instanced;
    return D3D_OK;
}

// S_FALSE: nothing to draw (the device is lost, draws then do nothing).
HRESULT Device::prepareDraw(bool indexed, int* instances)
{
    HRESULT code;
    if (takeFault(D3DFault::Draw, &code)) return code;
    if (!inScene || !vs || !ps || !decl) return D3DERR_INVALIDCALL;
    if (lost != NOT_LOST) return S_FALSE;
    HRESULT hr = bindTargets();
    if (FAILED(hr)) return hr;
    Program* p = currentProgram();
    if (!p) return D3DERR_INVALIDCALL;
    if (currentProgramName != p->name) {
        glUseProgram(p->name);
        currentProgramName = p->name;
    }
    uploadUniforms(p);
    pendingWork = true;
    bool instanced = indexed && (streams[0].frequency & D3DSTREAMSOURCE_INDEXEDDATA);
    *instances = instanced ? (int)(streams[0].frequency & ~D3DSTREAMSOURCE_INDEXEDDATA) : 1;
    return setupVertexInput(instanced);
}

static bool primitiveMode(D3DPRIMITIVETYPE type, UINT primitives, GLenum* mode, GLsizei* vertices)
{
    switch (type) {
        case D3DPT_POINTLIST:
            *mode = GL_POINTS, *vertices = (GLsizei)primitives;
            return true;
        case D3DPT_LINELIST:
            *mode = GL_LINES, *vertices = (GLsizei)primitives * 2;
            return true;
        case D3DPT_LINESTRIP:
            *mode = GL_LINE_STRIP, *vertices = (GLsizei)primitives + 1;
            return true;
        case D3DPT_TRIANGLELIST:
            *mode = GL_TRIANGLES, *vertices = (GLsizei)primitives * 3;
            return true;
        case D3DPT_TRIANGLESTRIP:
            *mode = GL_TRIANGLE_STRIP, *vertices = (GLsizei)primitives + 2;
            return true;
        case D3DPT_TRIANGLEFAN:
            *mode = GL_TRIANGLE_FAN, *vertices = (GLsizei)primitives + 2;
            return true;
        default:
            return false;
    }
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    GLenum mode;
    GLsizei count;
    if (!primitiveMode(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    int instances;
    HRESULT hr = prepareDraw(false, &instances);
    if (hr != D3D_OK) return SUCCEEDED(hr) ? D3D_OK : hr;
    glDrawArrays(mode, (GLint)startVertex, count);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT, UINT, UINT startIndex,
                                     UINT primitiveCount)
{
    GLenum mode;
    GLsizei count;
    if (!primitiveMode(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
    if (!indices || indices->core.mapped) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    int instances;
    HRESULT hr = prepareDraw(true, &instances);
    if (hr != D3D_OK) return SUCCEEDED(hr) ? D3D_OK : hr;
    size_t indexSize = indices->format == D3DFMT_INDEX32 ? 4 : 2;
    if ((startIndex + (size_t)count) * indexSize > indices->core.length) return D3DERR_INVALIDCALL;
    GLenum indexType = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->core.name);
    const void* first = (const void*)(uintptr_t)(startIndex * indexSize);
    if (lastInstanced)
        glDrawElementsInstancedBaseVertex(mode, count, indexType, first, instances, baseVertexIndex);
    else
        glDrawElementsBaseVertex(mode, count, indexType, first, baseVertexIndex);
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data, UINT stride)
{
    GLenum mode;
    GLsizei count;
    if (!data || stride == 0 || !primitiveMode(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    glBindBuffer(GL_ARRAY_BUFFER, upStream->core.name);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)count * stride, data, GL_STREAM_DRAW);
    streams[0].buffer = upStream;
    streams[0].offset = 0;
    streams[0].stride = stride;
    inputDirty = true;
    int instances;
    HRESULT hr = prepareDraw(false, &instances);
    if (hr == D3D_OK) glDrawArrays(mode, 0, count);
    // Drawing from user memory leaves stream 0 unset.
    streams[0].buffer = nullptr;
    inputDirty = true;
    return SUCCEEDED(hr) ? D3D_OK : hr;
}

}  // namespace d3d9gl
