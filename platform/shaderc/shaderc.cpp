// shaderc.cpp -- the shader compiler library: turns one stage of a shader file
// into complete GLSL, checked by the graphics driver of the current context,
// with errors reported by file and line.
#include <SDL.h>
#include <epoxy/gl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/shaderc/preprocess.h"

namespace {

class Blob final : public ID3DBlob {
public:
    explicit Blob(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        ULONG r = --refs;
        if (!r) delete this;
        return r;
    }
    void* GetBufferPointer() override { return data.data(); }
    SIZE_T GetBufferSize() override { return data.size(); }

private:
    ~Blob() = default;
    std::vector<uint8_t> data;
    std::atomic<ULONG> refs{1};
};

Blob* textBlob(const std::string& s) { return new Blob(std::vector<uint8_t>(s.begin(), s.end())); }

// Shared by both stages: what the game's shaders may rely on.
std::string commonPreamble()
{
    std::string s = "#version 330 core\n";
    for (const ShaderInput& in : shaderInputs)
        s += "#define " + std::string(in.name) + " " + std::to_string(in.location) + "\n";
    return s;
}

const char* vertexPreamble =
    "uniform vec4 c[256];\n"
    "uniform vec4 sky_target;\n"
    "vec4 mulRows(vec4 p, int r) { return p.x * c[r] + p.y * c[r + 1] + p.z * c[r + 2] + p.w * c[r + 3]; }\n";

// Pixel centres on whole coordinates, rows stored top first, depth 0..1.
const char* vertexEpilogue =
    "void main() {\n"
    "    vsh();\n"
    "    gl_Position.y = -gl_Position.y;\n"
    "    gl_Position.xy += sky_target.xy * gl_Position.w;\n"
    "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n"
    "}\n";

const char* pixelPreamble =
    "uniform ivec4 sky_alphaTest;\n"
    "layout(location = 0) out vec4 sky_color;\n";

// The alpha test compares the 8-bit alpha with the reference, D3DCMP order.
const char* pixelEpilogue =
    "void main() {\n"
    "    vec4 col = psh();\n"
    "    if (sky_alphaTest.x != 0) {\n"
    "        int a = int(clamp(col.a, 0.0, 1.0) * 255.0 + 0.5);\n"
    "        int r = sky_alphaTest.z;\n"
    "        bool pass;\n"
    "        switch (sky_alphaTest.y) {\n"
    "        case 1: pass = false; break;\n"
    "        case 2: pass = a < r; break;\n"
    "        case 3: pass = a == r; break;\n"
    "        case 4: pass = a <= r; break;\n"
    "        case 5: pass = a > r; break;\n"
    "        case 6: pass = a != r; break;\n"
    "        case 7: pass = a >= r; break;\n"
    "        default: pass = true; break;\n"
    "        }\n"
    "        if (!pass) discard;\n"
    "    }\n"
    "    sky_color = col;\n"
    "}\n";

// Rewrites the driver's "0:LINE(COL): ..." or "0(LINE) : ..." lines as
// "file(LINE,COL): ..." with the line in the shader's own files.
std::string mapDriverLog(const char* log, const Preprocessor& pp, const std::vector<SourceLine>& map, bool* hadWarning)
{
    std::string out;
    const char* p = log;
    while (*p) {
        const char* end = strchr(p, '\n');
        std::string line(p, end ? (size_t)(end - p) : strlen(p));
        p = end ? end + 1 : p + line.size();
        if (line.empty()) continue;
        if (line.find("warning") != std::string::npos) *hadWarning = true;
        int src = 0, ln = 0, col = 0, used = 0;
        std::string where, msg = line;
        if (sscanf(line.c_str(), "%d:%d(%d)%n", &src, &ln, &col, &used) == 3 && used > 0) {
            msg = line.substr((size_t)used);
        } else if (sscanf(line.c_str(), "%d(%d)%n", &src, &ln, &used) == 2 && used > 0) {
            msg = line.substr((size_t)used);
            col = 0;
        } else {
            ln = 0;
        }
        if (ln > 0 && ln <= (int)map.size() && map[(size_t)ln - 1].file >= 0) {
            const SourceLine& s = map[(size_t)ln - 1];
            char buf[600];
            if (col > 0)
                snprintf(buf, sizeof(buf), "%s(%d,%d)", pp.files[(size_t)s.file].c_str(), s.line, col);
            else
                snprintf(buf, sizeof(buf), "%s(%d)", pp.files[(size_t)s.file].c_str(), s.line);
            where = buf;
        } else if (ln > 0) {
            where = "<compiler-generated code>";
        }
        size_t m = msg.find_first_not_of(" :");
        msg = m == std::string::npos ? std::string() : msg.substr(m);
        out += where.empty() ? line : where + ": " + msg;
        out += '\n';
    }
    return out;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT D3DCompile(LPCVOID srcData, SIZE_T srcSize, LPCSTR sourceName,
                                                                     const D3D_SHADER_MACRO* defines,
                                                                     ID3DInclude* include, LPCSTR entryPoint,
                                                                     LPCSTR target, UINT flags1, UINT, ID3DBlob** code,
                                                                     ID3DBlob** errors)
{
    if (code) *code = nullptr;
    if (errors) *errors = nullptr;
    if (!code || !entryPoint || !target) return E_INVALIDARG;
    auto fail = [&](const std::string& text) {
        if (errors) *errors = textBlob(text);
        return E_FAIL;
    };
    ShaderStage stage;
    if (strncmp(target, "vs_", 3) == 0)
        stage = SHADER_STAGE_VERTEX;
    else if (strncmp(target, "ps_", 3) == 0)
        stage = SHADER_STAGE_PIXEL;
    else
        return fail(std::string("unknown target '") + target + "'\n");

    Preprocessor pp(include);
    std::string text = commonPreamble() + (stage == SHADER_STAGE_VERTEX ? vertexPreamble : pixelPreamble);
    std::vector<SourceLine> map;
    for (char ch : text)
        if (ch == '\n') map.push_back({-1, 0});
    for (const D3D_SHADER_MACRO* m = defines; m && m->Name; m++) {
        pp.define(m->Name, m->Definition ? m->Definition : "");
        std::string line = std::string("#define ") + m->Name + " " + (m->Definition ? m->Definition : "") + "\n";
        text += line;
        map.push_back({-1, 0});
    }
    if (!pp.run((const char*)srcData, srcData ? srcSize : 0, sourceName)) return fail(pp.errors);
    text += pp.output;
    map.insert(map.end(), pp.lineMap.begin(), pp.lineMap.end());
    std::string epilogue = stage == SHADER_STAGE_VERTEX ? vertexEpilogue : pixelEpilogue;
    // The entry point may carry any name; main calls it.
    std::string entry = stage == SHADER_STAGE_VERTEX ? "vsh" : "psh";
    if (entry != entryPoint) {
        text += "#define " + entry + " " + entryPoint + "\n";
        map.push_back({-1, 0});
    }
    text += epilogue;
    for (char ch : epilogue)
        if (ch == '\n') map.push_back({-1, 0});

    // The driver of the current context is the compiler proper.
    if (!SDL_GL_GetCurrentContext()) return fail("shader compiler: no graphics device to compile for\n");
    GLuint s = glCreateShader(stage == SHADER_STAGE_VERTEX ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    const char* src = text.c_str();
    glShaderSource(s, 1, &src, nullptr);
    glCompileShader(s);
    GLint ok = 0, logLength = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    glGetShaderiv(s, GL_INFO_LOG_LENGTH, &logLength);
    std::string log;
    bool hadWarning = false;
    if (logLength > 1) {
        std::vector<char> raw((size_t)logLength + 1, 0);
        glGetShaderInfoLog(s, logLength, nullptr, raw.data());
        log = mapDriverLog(raw.data(), pp, map, &hadWarning);
    }
    glDeleteShader(s);
    if (!log.empty() && errors) *errors = textBlob(log);
    if (!ok || (hadWarning && (flags1 & D3DCOMPILE_WARNINGS_ARE_ERRORS))) return E_FAIL;

    ShaderCodeHeader h = {SHADER_CODE_MAGIC, (uint32_t)stage, (uint32_t)text.size() + 1, 0};
    std::vector<uint8_t> bytes(sizeof(h) + text.size() + 1, 0);
    memcpy(bytes.data(), &h, sizeof(h));
    memcpy(bytes.data() + sizeof(h), text.c_str(), text.size());
    *code = new Blob(std::move(bytes));
    return S_OK;
}

// A listing of compiled code: its stage and size, then the GLSL text.
extern "C" __attribute__((visibility("default"))) HRESULT D3DDisassemble(LPCVOID srcData, SIZE_T srcSize, UINT, LPCSTR,
                                                                         ID3DBlob** disassembly)
{
    if (!disassembly) return E_INVALIDARG;
    *disassembly = nullptr;
    ShaderStage stage = SHADER_STAGE_VERTEX;
    size_t n = shaderCodeSize(srcData, srcSize, stage);
    if (!n) n = shaderCodeSize(srcData, srcSize, stage = SHADER_STAGE_PIXEL);
    if (!n) return E_INVALIDARG;
    const char* text = (const char*)srcData + sizeof(ShaderCodeHeader);
    char head[128];
    snprintf(head, sizeof(head), "// %s stage, %zu bytes of GLSL\n", stage == SHADER_STAGE_VERTEX ? "vertex" : "pixel",
             strlen(text));
    *disassembly = textBlob(std::string(head) + text);
    return S_OK;
}
