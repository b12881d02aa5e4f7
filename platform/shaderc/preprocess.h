// preprocess.h -- the shader compiler's C-style preprocessor: includes through
// the caller's file access, conditionals, macros for the conditions.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/d3d9/d3dcompiler.h"

struct SourceLine {
    int file;  // index into files, or -1 for lines the compiler adds
    int line;  // 1-based
};

class Preprocessor {
public:
    explicit Preprocessor(ID3DInclude* include) : include(include) {}
    void define(const std::string& name, const std::string& value) { macros[name] = {value, false}; }
    // Appends the active lines of a source to `output`; false on errors.
    bool run(const char* source, size_t size, const char* name);

    std::string output;
    std::vector<SourceLine> lineMap;  // one entry per output line
    std::vector<std::string> files;
    std::string errors;

private:
    struct Macro {
        std::string body;
        bool function;
    };
    struct Conditional {
        bool parentActive;
        bool active;
        bool taken;
        bool sawElse;
    };
    bool processFile(const std::string& text, int file, int depth, const void* parentData);
    bool directive(const std::string& line, int file, int lineNo, int depth, const void* parentData,
                   std::vector<Conditional>& conds);
    bool evaluate(const std::string& expr, long long* value, int depth);
    void error(int file, int line, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
    void emit(const std::string& text, int file, int line);
    bool active(const std::vector<Conditional>& conds) const { return conds.empty() || conds.back().active; }

    ID3DInclude* include;
    std::map<std::string, Macro> macros;
    friend class ExpressionParser;
};
