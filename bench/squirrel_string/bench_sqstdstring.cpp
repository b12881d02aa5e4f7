// Regex engine and formatter speed: typical script searches over a 64 KB
// text, and the worst case a hostile pattern costs before the step limit.
#include <benchmark/benchmark.h>

#include "platform/squirrel/stdstring/format.h"
#include "platform/squirrel/stdstring/regex.h"

namespace {

std::string sampleText()
{
    std::string text;
    while (text.size() < 65536) text += "sound bank 12 loads sample_07.ogg at volume 0.75; ";
    return text + "end=42";
}

void searchLoop(benchmark::State& state, const char* pattern)
{
    std::string text = sampleText();
    std::unique_ptr<sqstd::Regex> re = sqstd::Regex::compile(pattern, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(re->search(text));
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
}

void BM_RegexLiteralAtTheEnd(benchmark::State& state) { searchLoop(state, "end=(\\d+)"); }
void BM_RegexClassAtTheEnd(benchmark::State& state) { searchLoop(state, "[=:](\\d+)$"); }
void BM_RegexAlternationAtTheEnd(benchmark::State& state) { searchLoop(state, "(?:foo|bar|end)=\\d+"); }

// A pattern that backtracks exponentially: the time until the step limit stops it.
void BM_RegexUntilTheStepLimit(benchmark::State& state)
{
    std::string text(64, 'a');
    std::unique_ptr<sqstd::Regex> re = sqstd::Regex::compile("(a*)*b", nullptr);
    for (auto _ : state) {
        if (re->search(text) != sqstd::RegexResult::LimitReached) state.SkipWithError("limit not reached");
    }
}

void BM_Format(benchmark::State& state)
{
    sqstd::FormatArg args[3];
    args[0].type = sqstd::FormatArg::Type::String;
    args[0].text = "sample_07.ogg";
    args[1].type = sqstd::FormatArg::Type::Integer;
    args[1].integer = 12;
    args[2].type = sqstd::FormatArg::Type::Float;
    args[2].real = 0.75;
    auto source = [&](size_t i, sqstd::FormatArg& arg) {
        if (i >= 3) return false;
        arg = args[i];
        return true;
    };
    std::string out;
    for (auto _ : state) {
        out.clear();
        sqstd::formatString("%-20s bank %3d volume %.2f", source, out, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

BENCHMARK(BM_RegexLiteralAtTheEnd);
BENCHMARK(BM_RegexClassAtTheEnd);
BENCHMARK(BM_RegexAlternationAtTheEnd);
BENCHMARK(BM_RegexUntilTheStepLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Format);
