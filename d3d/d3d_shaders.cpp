// d3d_shaders.cpp -- shader slots, the compiler loaded at run time, the
// on-disk cache of compiled code and the reload of changed sources.
#include "d3d/d3d_shaders.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "d3d/d3d_render.h"
#include "platform/d3d9/d3dcompiler.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/screenMessages.h"
#include "shell/userFolders.h"
#include "support/streams.h"

static const uint32_t CACHE_MAGIC = 0x20100715;

static ShaderSlot shaders[MAX_SHADERS];
static void* compilerLibrary;
static pD3DCompile compileFn;
static pD3DDisassemble disassembleFn;
static bool reloading;

// Modification time in nanoseconds, so an edit within the second the cache
// was written still counts as newer; 0 when the file can't be examined.
static int64_t fileTime(const char* name)
{
    std::string path = dataPath(name);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return 0;
    return (int64_t)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
}

static void addDependency(ShaderSlot* s, const char* name)
{
    ShaderDep d;
    FixedStr<260> n;
    n.assign(name);
    memcpy(d.name, n.str, sizeof(d.name));
    d.time = compilerLibrary ? fileTime(name) : 0;
    s->deps.append(d);
}

HRESULT MyShaderInclude::Open(D3D_INCLUDE_TYPE, LPCSTR fileName, LPCVOID, LPCVOID* data, UINT* size)
{
    ASSERT(data);
    ASSERT(size);
    *data = nullptr;
    *size = 0;
    std::string path = dataPath(fileName);
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return D3DERR_INVALIDCALL;
    long fileSize = fseek(f, 0, SEEK_END) == 0 ? ftell(f) : -1;
    if (fileSize < 0 || fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return D3DERR_INVALIDCALL;
    }
    char* buf = (char*)malloc((size_t)fileSize + 1);
    if (!buf) {
        fclose(f);
        return E_OUTOFMEMORY;
    }
    if (fread(buf, 1, (size_t)fileSize, f) != (size_t)fileSize) {
        fclose(f);
        free(buf);
        return D3DERR_INVALIDCALL;
    }
    fclose(f);
    *data = buf;
    *size = (UINT)fileSize;
    if (slot) addDependency(slot, fileName);
    return S_OK;
}

HRESULT MyShaderInclude::Close(LPCVOID data)
{
    free((void*)data);
    return S_OK;
}

void load_shader_compiler()
{
    std::string path = dataPath(SHADER_COMPILER_LIBRARY);
    // The compiler counts only while its file is in the program directory: a
    // library that could not be unloaded would otherwise be handed back by
    // name after its file is gone.
    struct stat st;
    compilerLibrary = stat(path.c_str(), &st) == 0 ? dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (compilerLibrary) {
        compileFn = (pD3DCompile)dlsym(compilerLibrary, "D3DCompile");
        disassembleFn = (pD3DDisassemble)dlsym(compilerLibrary, "D3DDisassemble");
        if (!compileFn || !disassembleFn) {
            dlclose(compilerLibrary);
            compilerLibrary = nullptr;
            compileFn = nullptr;
            disassembleFn = nullptr;
        }
    }
    logPrint(compilerLibrary ? "shader compiler available" : "no shader compiler");
}

bool shader_compiler_available() { return compilerLibrary != nullptr; }

static std::string cachePath(const ShaderSlot* s)
{
    std::string suffix;
    for (const char* d = s->defines; *d; d += strlen(d) + 1) {
        suffix += '@';
        for (const char* c = d; *c; c++) {
            bool alnum = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9');
            suffix += alnum ? *c : '_';
        }
    }
    std::string name = writeFolder(WRITE_SHADER_CACHE) + s->fileName + suffix + ".cache";
    return dataPath(name.c_str());
}

static void releaseStages(ShaderSlot* s)
{
    if (s->vs) s->vs->Release();
    if (s->ps) s->ps->Release();
    s->vs = nullptr;
    s->ps = nullptr;
}

static bool load_from_cache(ShaderSlot* s)
{
    ASSERT(s);
    std::string path = cachePath(s);
    s->deps.clear();
    DynArray<uint8_t> code;
    uint32_t hdr[4];
    try {
        FileInputStream in;
        if (!in.open(path.c_str(), "rb")) throw InputStream::Exception("can't open file", 0);
        in.read(&hdr[0], 4);
        if (hdr[0] != CACHE_MAGIC) return false;
        in.read(&hdr[1], 12);
        // The sizes must fit the file, whatever a damaged cache claims.
        in.seekEnd(0);
        long fileSize = in.tell();
        in.seek(16);
        uint64_t total = 16ull + hdr[1] + hdr[2] + hdr[3];
        if (total > (uint64_t)fileSize || hdr[1] == 0) return false;
        DynArray<char> names;
        names.setNum((int)hdr[1]);
        in.read(names.data, hdr[1]);
        for (uint32_t p = 0; p < hdr[1] && names[(int)p];) {
            size_t len = strnlen(names.data + p, hdr[1] - p);
            if (len >= sizeof(ShaderDep::name) || p + len >= hdr[1]) return false;
            addDependency(s, names.data + p);
            p += (uint32_t)len + 1;
        }
        code.setNum((int)(hdr[2] + hdr[3]));
        in.read(code.data, (long)code.num);
    } catch (const StreamIOException&) {
        return false;
    }
    if (compilerLibrary) {
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return false;
        int64_t cacheTime = (int64_t)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
        for (const ShaderDep& d : s->deps)
            if (d.time > cacheTime) return false;
    }
    // Code the device would misread is as good as no cache.
    if (shaderCodeSize(code.data, hdr[2], SHADER_STAGE_VERTEX) != hdr[2] ||
        shaderCodeSize(code.data + hdr[2], hdr[3], SHADER_STAGE_PIXEL) != hdr[3])
        return false;
    if (FAILED(d3d->CreateVertexShader((const DWORD*)code.data, &s->vs))) {
        s->vs = nullptr;
        return false;
    }
    if (FAILED(d3d->CreatePixelShader((const DWORD*)(code.data + hdr[2]), &s->ps))) {
        s->ps = nullptr;
        releaseStages(s);
        return false;
    }
    logPrint("loaded shader '%s' from cache", s->fileName);
    return true;
}

// Logs the instruction-slot line of a listing, when the compiler gives one.
static void logInstructionCount(const char* fileName, const char* entry, const char* text, size_t size)
{
    size_t i = 0;
    while (i < size) {
        size_t b = i;
        while (i < size && text[i] != '\n' && text[i] != '\r' && text[i] != 0) i++;
        size_t len = i - b;
        if (len >= 19 && text[b] == '/' && text[b + 1] == '/') {
            std::string line(text + b + 2, len - 2);
            if (line.find(" instruction slot") != std::string::npos) {
                logPrint("%s (%s): %.*s", fileName, entry, (int)line.size(), line.c_str());
                return;
            }
        }
        if (i < size && text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') i++;
        i++;
    }
}

static ID3DBlob* compile_hlsl(const char* target, const char* fileName, const char* entry, ShaderSlot* s)
{
    D3D_SHADER_MACRO macros[64];
    int n = 0;
    for (const char* d = s->defines; *d && n < 62;) {
        const char* value = d + strlen(d) + 1;
        if (!*value) break;  // a name without a value ends the list
        macros[n++] = {d, value};
        d = value + strlen(value) + 1;
    }
    macros[n++] = {strcmp(entry, "psh") == 0 ? "PSH" : "VSH", " 1"};
    macros[n] = {nullptr, nullptr};

    MyShaderInclude include(s);
    LPCVOID source = nullptr;
    UINT size = 0;
    if (FAILED(include.Open(D3D_INCLUDE_LOCAL, fileName, nullptr, &source, &size))) {
        source = nullptr;
        size = 0;
    }
    ID3DBlob* code = nullptr;
    ID3DBlob* errors = nullptr;
    HRESULT hr = compileFn(source ? source : "", size, fileName, macros, &include, entry, target,
                           D3DCOMPILE_DEBUG | D3DCOMPILE_OPTIMIZATION_LEVEL3 | D3DCOMPILE_WARNINGS_ARE_ERRORS, 0, &code,
                           &errors);
    if (source) include.Close(source);
    if (errors) {
        const char* text = (const char*)errors->GetBufferPointer();
        int len = (int)errors->GetBufferSize();
        logPrint("HLSL '%s', func '%s':", fileName, entry);
        logPrint("%.*s", len, text);
        if (reloading) {
            char header[600];
            snprintf(header, sizeof(header), "HLSL '%s', func '%s':", fileName, entry);
            appendErrorMessage(header, -1);
            appendErrorMessage(text, len);
        }
        errors->Release();
    }
    if (code) {
        ID3DBlob* listing = nullptr;
        if (SUCCEEDED(disassembleFn(code->GetBufferPointer(), code->GetBufferSize(), 0, nullptr, &listing)) &&
            listing) {
            logInstructionCount(fileName, entry, (const char*)listing->GetBufferPointer(), listing->GetBufferSize());
            listing->Release();
        }
    }
    if (SUCCEEDED(hr) && code) return code;
    logPrint("FAILED to compile HLSL shader '%s', func '%s'", fileName, entry);
    if (code) code->Release();
    return nullptr;
}

static bool compile_and_cache(ShaderSlot* s)
{
    ASSERT(s);
    s->deps.clear();
    ID3DBlob* vcode = compile_hlsl(launchOptions.vertexProfile, s->fileName, "vsh", s);
    if (!vcode) return false;
    if (FAILED(d3d->CreateVertexShader((const DWORD*)vcode->GetBufferPointer(), &s->vs))) {
        s->vs = nullptr;
        logPrint("can't create vertex shader from '%s'", s->fileName);
        vcode->Release();
        return false;
    }
    ID3DBlob* pcode = compile_hlsl(launchOptions.pixelProfile, s->fileName, "psh", s);
    if (!pcode) {
        vcode->Release();
        return false;
    }
    if (FAILED(d3d->CreatePixelShader((const DWORD*)pcode->GetBufferPointer(), &s->ps))) {
        s->ps = nullptr;
        logPrint("can't create pixel shader from '%s'", s->fileName);
        vcode->Release();
        pcode->Release();
        return false;
    }

    std::string path = cachePath(s);
    try {
        // A user cache folder is made on the first write; the "cache" folder
        // beside the program never is.
        if (!prepareWriteFolder(WRITE_SHADER_CACHE)) throw OutputStream::Exception("can't make folder", 0);
        FileOutputStream out;
        if (!out.open(path.c_str(), "wb")) throw OutputStream::Exception("can't open file", 0);
        uint32_t names = 1;
        for (const ShaderDep& d : s->deps) names += (uint32_t)strlen(d.name) + 1;
        uint32_t hdr[4] = {CACHE_MAGIC, names, (uint32_t)vcode->GetBufferSize(), (uint32_t)pcode->GetBufferSize()};
        out.write(hdr, sizeof(hdr));
        for (const ShaderDep& d : s->deps) out.write(d.name, (long)strlen(d.name) + 1);
        out.write("", 1);
        out.write(vcode->GetBufferPointer(), (long)vcode->GetBufferSize());
        out.write(pcode->GetBufferPointer(), (long)pcode->GetBufferSize());
        out.close();
    } catch (const StreamIOException&) {
        remove(path.c_str());
    }
    vcode->Release();
    pcode->Release();
    return true;
}

ShaderSlot* create_shader(const char* fileName, const char* defines)
{
    ShaderSlot* s = nullptr;
    for (ShaderSlot& slot : shaders)
        if (!slot.vs) {
            s = &slot;
            break;
        }
    if (!s) fatalError("reached maximum shader count!");

    FixedStr<260> name;
    name.assign(fileName);
    memcpy(s->fileName, name.str, sizeof(s->fileName));
    int len = 0;
    if (defines)
        while (defines[len]) len += (int)strlen(defines + len) + 1;
    FixedStr<512> defs;
    defs.assign(defines ? defines : "", len);  // the list and its closing empty string
    memcpy(s->defines, defs.str, sizeof(s->defines));

    if (load_from_cache(s)) return s;
    if (compilerLibrary && compile_and_cache(s)) return s;
    release_shader(s);
    fatalError("can't create shader from %s'%s'", compilerLibrary ? "" : "cache for ", fileName);
}

static bool shader_changed(ShaderSlot* s)
{
    if (!compilerLibrary) return false;
    if (s->deps.num == 0) return true;
    for (const ShaderDep& d : s->deps)
        if (fileTime(d.name) != d.time) return true;
    return false;
}

void reload_shaders(bool force)
{
    if (!compilerLibrary) return;
    bool first = true;
    for (ShaderSlot& s : shaders) {
        if (!s.vs || !(force || shader_changed(&s))) continue;
        if (first) {
            reloading = true;
            setErrorMessage(nullptr);
            first = false;
        }
        IDirect3DVertexShader9* oldVs = s.vs;
        IDirect3DPixelShader9* oldPs = s.ps;
        s.vs = nullptr;
        s.ps = nullptr;
        if (compile_and_cache(&s)) {
            logPrint("reloaded shader '%s'", s.fileName);
            oldVs->Release();
            if (oldPs) oldPs->Release();
        } else {
            char msg[400];
            snprintf(msg, sizeof(msg), "FAILED to reload shader '%s'", s.fileName);
            appendErrorMessage(msg, -1);
            releaseStages(&s);
            s.vs = oldVs;
            s.ps = oldPs;
        }
    }
    reloading = false;
}

void release_shader(ShaderSlot* s)
{
    if (s) s->release();
}

void ShaderSlot::release()
{
    deps.clear();
    releaseStages(this);
    // clang-format off
    ASSERT(empty());
    // clang-format on
}

void set_shader(ShaderSlot* s)
{
    d3d->SetVertexShader(s ? s->vs : nullptr);
    d3d->SetPixelShader(s ? s->ps : nullptr);
}

void set_vs_consts(int firstRegister, const float* data, int registerCount)
{
    d3d->SetVertexShaderConstantF((UINT)firstRegister, data, (UINT)registerCount);
}

void release_all_shaders()
{
    for (ShaderSlot& s : shaders) release_shader(&s);
    if (compilerLibrary) dlclose(compilerLibrary);
    compilerLibrary = nullptr;
    compileFn = nullptr;
    disassembleFn = nullptr;
}
