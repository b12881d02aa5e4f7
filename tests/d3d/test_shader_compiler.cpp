// The shader compiler's preprocessor: conditionals, macros for conditions,
// includes through the caller, and errors by file and line.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/shaderc/preprocess.h"

namespace {

// Serves includes from a map and counts what is open.
class MapInclude final : public ID3DInclude {
public:
    std::map<std::string, std::string> files;
    int open = 0;
    HRESULT Open(D3D_INCLUDE_TYPE, LPCSTR name, LPCVOID, LPCVOID* data, UINT* bytes) override
    {
        auto it = files.find(name);
        if (it == files.end()) return E_FAIL;
        *data = it->second.data();
        *bytes = (UINT)it->second.size();
        open++;
        return S_OK;
    }
    HRESULT Close(LPCVOID) override
    {
        open--;
        return S_OK;
    }
};

std::string run(const std::string& src, MapInclude* inc = nullptr, std::string* errors = nullptr,
                Preprocessor* out = nullptr)
{
    Preprocessor pp(inc);
    pp.define("VSH", " 1");
    bool ok = pp.run(src.data(), src.size(), "main.sh");
    if (errors) *errors = pp.errors;
    if (out) *out = pp;
    return ok ? pp.output : "FAILED";
}

TEST(Preprocessor, ConditionalsPickTheActiveLines)
{
    std::string src =
        "#ifdef VSH\nvs\n#else\nps\n#endif\n"
        "#ifndef PSH\nnot-ps\n#endif\n"
        "#if defined(VSH) && !defined PSH\nboth\n#elif 1\nnever\n#else\nno\n#endif\n"
        "#if 0\n#if 1\nnested\n#endif\n#elif VSH + 1 == 2\nelif\n#endif\n";
    EXPECT_EQ(run(src), "vs\nnot-ps\nboth\nelif\n");
}

TEST(Preprocessor, ExpressionsFollowCPrecedence)
{
    std::string src =
        "#define TWO 2\n#define FOUR (TWO * 2)\n"
        "#if FOUR == 4 && (1 << 3) == 8 && -3 / 2 == -1 && 7 % 4 == 3 && (1 ? 5 : 6) == 5 && 0x10 == 16\nyes\n#endif\n"
        "#if UNKNOWN\nno\n#endif\n"
        "#if 2 + 3 * 4 == 14 && 1 < 2 && 3 >= 3 && (5 & 3) == 1 && (5 | 2) == 7 && (5 ^ 1) == 4\nprec\n#endif\n";
    EXPECT_EQ(run(src), "#define TWO 2\n#define FOUR (TWO * 2)\nyes\nprec\n");
}

TEST(Preprocessor, CommentsAndContinuedDirectives)
{
    std::string src = "/* #if 0\n#endif */\nkept // #error no\n#if \\\n 1\ncont\n#endif\n";
    EXPECT_EQ(run(src), "\n \nkept \ncont\n");
}

TEST(Preprocessor, IncludesComeThroughTheHandler)
{
    MapInclude inc;
    inc.files["sub/a.inc"] = "a1\n#include \"b.inc\"\n";
    inc.files["b.inc"] = "b1\n";
    Preprocessor pp(nullptr);
    std::string out =
        run("x\n#include \"sub/a.inc\"\ny\n#ifdef PSH\n#include \"missing.inc\"\n#endif\n", &inc, nullptr, &pp);
    EXPECT_EQ(out, "x\na1\nb1\ny\n");
    EXPECT_EQ(inc.open, 0);
    ASSERT_EQ(pp.lineMap.size(), 4u);
    EXPECT_EQ(pp.files[(size_t)pp.lineMap[2].file], "b.inc");
    EXPECT_EQ(pp.lineMap[3].line, 3);
}

TEST(Preprocessor, ErrorsNameFileAndLine)
{
    MapInclude inc;
    inc.files["a.inc"] = "ok\n\n#error stop here\n";
    std::string errors;
    EXPECT_EQ(run("x\n#include \"a.inc\"\n", &inc, &errors), "FAILED");
    EXPECT_EQ(errors, "a.inc(3): error: #error stop here\n");
    EXPECT_EQ(run("#include \"nope.inc\"\n", &inc, &errors), "FAILED");
    EXPECT_EQ(errors, "main.sh(1): error: can't open include file 'nope.inc'\n");
    EXPECT_EQ(run("#if 1\n", nullptr, &errors), "FAILED");
    EXPECT_EQ(errors, "main.sh(1): error: unterminated #if\n");
    EXPECT_EQ(run("#endif\n", nullptr, &errors), "FAILED");
    EXPECT_EQ(run("#version 330\n", nullptr, &errors), "FAILED");
    EXPECT_EQ(run("#if 1 / 0\n#endif\n", nullptr, &errors), "FAILED");
    EXPECT_EQ(run("#bogus\n", nullptr, &errors), "FAILED");
    EXPECT_EQ(errors, "main.sh(1): error: unknown directive #bogus\n");
}

TEST(Preprocessor, SelfIncludeStopsAtTheDepthLimit)
{
    MapInclude inc;
    inc.files["loop.inc"] = "#include \"loop.inc\"\n";
    std::string errors;
    EXPECT_EQ(run("#include \"loop.inc\"\n", &inc, &errors), "FAILED");
    EXPECT_NE(errors.find("nested too deeply"), std::string::npos);
    EXPECT_EQ(inc.open, 0);
}

}  // namespace
