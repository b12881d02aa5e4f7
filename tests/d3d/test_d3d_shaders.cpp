// Shader files: compile, the on-disk cache, and reloads while running.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "shell/screenMessages.h"
#include "tests/d3d/d3dTestDevice.h"

namespace {

bool contains(const std::string& log, const char* text) { return log.find(text) != std::string::npos; }

class ShaderTest : public D3DTest {
protected:
    void SetUp() override
    {
        D3DTest::SetUp();
        source = testShader("solid.sh");
        testShader("sub/common.inc");
        setErrorMessage(nullptr);
    }
    // Moves a file's modification time by `seconds` from now.
    void touch(const char* name, int seconds)
    {
        struct timespec t[2];
        clock_gettime(CLOCK_REALTIME, &t[0]);
        t[0].tv_sec += seconds;
        t[1] = t[0];
        ASSERT_EQ(utimensat(AT_FDCWD, path(name).c_str(), t, 0), 0);
    }
    void edit(const char* name, const std::string& text, int seconds = 2)
    {
        putFile(name, text);
        touch(name, seconds);
    }
    bool exists(const char* name) { return access(path(name).c_str(), F_OK) == 0; }

    std::string source;
};

uint32_t u32(const std::string& s, size_t at)
{
    uint32_t v;
    memcpy(&v, s.data() + at, 4);
    return v;
}

TEST_F(ShaderTest, CompiledShadersAreCachedWithTheirDependencies)
{
    LogCapture log;
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    std::string text = log.stop();
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->vs, nullptr);
    EXPECT_NE(s->ps, nullptr);
    EXPECT_FALSE(contains(text, "from cache"));
    ASSERT_EQ(s->deps.num, 4);  // every file read, in order: the file and its include per stage
    EXPECT_STREQ(s->deps[0].name, "solid.sh");
    EXPECT_STREQ(s->deps[1].name, "sub/common.inc");
    EXPECT_STREQ(s->deps[2].name, "solid.sh");

    std::string cache = readFileBytes(path("cache/solid.sh.cache"));
    ASSERT_GE(cache.size(), 16u);
    EXPECT_EQ(u32(cache, 0), 0x20100715u);
    uint32_t n = u32(cache, 4), v = u32(cache, 8), p = u32(cache, 12);
    std::string names("solid.sh\0sub/common.inc\0solid.sh\0sub/common.inc\0\0", 49);
    EXPECT_EQ(n, names.size());
    EXPECT_EQ(cache.substr(16, n), names);
    EXPECT_EQ(cache.size(), 16u + n + v + p);
    EXPECT_EQ(shaderCodeSize(cache.data() + 16 + n, v, SHADER_STAGE_VERTEX), v);
    EXPECT_EQ(shaderCodeSize(cache.data() + 16 + n + v, p, SHADER_STAGE_PIXEL), p);

    release_shader(s);
    EXPECT_EQ(s->vs, nullptr);
    LogCapture log2;
    ShaderSlot* again = create_shader("solid.sh", nullptr);
    EXPECT_EQ(again, s);
    EXPECT_TRUE(contains(log2.stop(), "loaded shader 'solid.sh' from cache"));
    EXPECT_EQ(again->deps.num, s->deps.num);
}

TEST_F(ShaderTest, DefinesNameTheCacheFile)
{
    create_shader("solid.sh", "A.B\0x-1\0");
    EXPECT_TRUE(exists("cache/solid.sh@A_B@x_1.cache"));
}

TEST_F(ShaderTest, StaleCacheIsIgnoredWithACompiler)
{
    release_shader(create_shader("solid.sh", nullptr));
    touch("sub/common.inc", 5);
    LogCapture log;
    create_shader("solid.sh", nullptr);
    EXPECT_FALSE(contains(log.stop(), "from cache"));
}

TEST_F(ShaderTest, StaleCacheIsUsedWithoutACompiler)
{
    create_shader("solid.sh", nullptr);
    touch("solid.sh", 5);
    LogCapture log;
    openDevice(false, 320, 240);
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    std::string text = log.stop();
    EXPECT_TRUE(contains(text, "no shader compiler"));
    EXPECT_TRUE(contains(text, "loaded shader 'solid.sh' from cache"));
    EXPECT_EQ(s->deps[0].time, 0);  // times are kept only with a compiler
    // Without a compiler nothing reloads.
    LogCapture log2;
    reload_shaders(true);
    EXPECT_EQ(log2.stop(), "");
}

TEST_F(ShaderTest, NoCacheAndNoCompilerIsFatal)
{
    openDevice(false, 320, 240);
    EXPECT_EXIT(create_shader("solid.sh", nullptr), testing::ExitedWithCode(100),
                "can't create shader from cache for 'solid.sh'");
}

TEST_F(ShaderTest, CompileErrorsNameFileAndLine)
{
    putFile("broken.sh",
            "// broken\n#ifdef VSH\nlayout(location = POSITION0) in vec4 pos;\nvoid vsh()\n{\n"
            "    gl_Position = pos + undefinedThing;\n}\n#endif\n");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            create_shader("broken.sh", nullptr);
        },
        testing::ExitedWithCode(100),
        "HLSL 'broken.sh', func 'vsh':\nbroken.sh\\(6,[0-9]+\\): error.*FAILED to compile HLSL shader 'broken.sh', "
        "func 'vsh'.*can't create shader from 'broken.sh'");
}

TEST_F(ShaderTest, IncludesAreLookedUpFromTheProgramDirectory)
{
    // The including file lies in sub/; its include still names sub/common.inc.
    putFile("sub/nested.sh", source);
    ShaderSlot* s = create_shader("sub/nested.sh", nullptr);
    ASSERT_GE(s->deps.num, 2);
    EXPECT_STREQ(s->deps[1].name, "sub/common.inc");
}

TEST_F(ShaderTest, MissingCacheFolderIsNotAnError)
{
    rmdir(path("cache").c_str());
    LogCapture log;
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    std::string text = log.stop();
    EXPECT_NE(s->vs, nullptr);
    EXPECT_FALSE(exists("cache/solid.sh.cache"));
    EXPECT_FALSE(contains(text, "FAILED"));
}

TEST_F(ShaderTest, DamagedCacheIsRecompiled)
{
    // Right magic, sizes far beyond the file.
    uint32_t hdr[4] = {0x20100715, 0x7FFFFFF0, 0x7FFFFFF0, 16};
    putFile("cache/solid.sh.cache", std::string((const char*)hdr, sizeof(hdr)) + "solid.sh");
    LogCapture log;
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    EXPECT_FALSE(contains(log.stop(), "from cache"));
    EXPECT_NE(s->vs, nullptr);
    // Right sizes, code the device can't read.
    release_shader(s);
    std::string cache = readFileBytes(path("cache/solid.sh.cache"));
    cache[cache.size() - 2] = 'x';  // the pixel code's terminator is gone
    cache[cache.size() - 1] = 'x';
    putFile("cache/solid.sh.cache", cache);
    LogCapture log2;
    s = create_shader("solid.sh", nullptr);
    EXPECT_FALSE(contains(log2.stop(), "from cache"));
    EXPECT_NE(s->ps, nullptr);
}

TEST_F(ShaderTest, EditedSourceIsReloaded)
{
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    IDirect3DVertexShader9* oldVs = s->vs;
    LogCapture quiet;
    reload_shaders(false);
    EXPECT_EQ(quiet.stop(), "");  // nothing changed
    edit("solid.sh", source + "\n// edited\n");
    LogCapture log;
    reload_shaders(false);
    EXPECT_TRUE(contains(log.stop(), "reloaded shader 'solid.sh'"));
    EXPECT_NE(s->vs, oldVs);
    EXPECT_STREQ(errorMessage(), "");
}

TEST_F(ShaderTest, TouchingAnIncludeWithoutChangesReloads)
{
    create_shader("solid.sh", nullptr);
    touch("sub/common.inc", -100);  // any difference counts, also an older time
    LogCapture log;
    reload_shaders(false);
    EXPECT_TRUE(contains(log.stop(), "reloaded shader 'solid.sh'"));
}

TEST_F(ShaderTest, FailedPixelStageKeepsBothOldStages)
{
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    IDirect3DVertexShader9* oldVs = s->vs;
    IDirect3DPixelShader9* oldPs = s->ps;
    std::string broken = source;
    broken.replace(broken.find("return solidColour();"), 21, "return solidColour() +;");
    edit("solid.sh", broken);
    LogCapture log;
    reload_shaders(false);
    std::string text = log.stop();
    EXPECT_EQ(s->vs, oldVs);
    EXPECT_EQ(s->ps, oldPs);
    EXPECT_TRUE(contains(text, "HLSL 'solid.sh', func 'psh':"));
    std::string msg = errorMessage();
    EXPECT_TRUE(contains(msg, "HLSL 'solid.sh', func 'psh':\nsolid.sh(")) << msg;
    EXPECT_TRUE(contains(msg, "\nFAILED to reload shader 'solid.sh'")) << msg;
    // The failed attempt's times are kept: the same source is not retried.
    LogCapture again;
    reload_shaders(false);
    EXPECT_EQ(again.stop(), "");
    // Fixing it reloads and clears the message.
    edit("solid.sh", source, 4);
    reload_shaders(false);
    EXPECT_NE(s->vs, oldVs);
    EXPECT_STREQ(errorMessage(), "");
}

TEST_F(ShaderTest, RefusedCodeIsReportedAndTheOldShadersKept)
{
    ShaderSlot* s = create_shader("solid.sh", nullptr);
    IDirect3DPixelShader9* oldPs = s->ps;
    d3d9FailNext(D3DFault::CreatePixelShader, 1);
    LogCapture log;
    reload_shaders(true);
    EXPECT_TRUE(contains(log.stop(), "can't create pixel shader from 'solid.sh'"));
    EXPECT_EQ(s->ps, oldPs);
    d3d9FailNext(D3DFault::CreateVertexShader, 1);
    LogCapture log2;
    reload_shaders(true);
    EXPECT_TRUE(contains(log2.stop(), "can't create vertex shader from 'solid.sh'"));
    EXPECT_EQ(s->ps, oldPs);
}

TEST_F(ShaderTest, SixtyFifthShaderIsFatal)
{
    for (int i = 0; i < MAX_SHADERS; i++) ASSERT_NE(create_shader("solid.sh", nullptr), nullptr);
    EXPECT_EXIT(create_shader("solid.sh", nullptr), testing::ExitedWithCode(100), "reached maximum shader count!");
}

TEST_F(ShaderTest, ConstantsReachTheDevice)
{
    float v[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    set_vs_consts(16, v, 2);
    float back[8] = {};
    d3d->GetVertexShaderConstantF(16, back, 2);
    EXPECT_EQ(memcmp(v, back, sizeof(v)), 0);
    set_shader(nullptr);
}

}  // namespace
