// Feeds arbitrary bytes to the script compiler. What compiles is written as
// a compiled closure and read back; nothing is run, so no input can loop.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/squirrel/squirrel.h"

namespace {
struct Bytes {
    std::vector<char> data;
    size_t pos = 0;
};
SQInteger writeBytes(SQUserPointer up, SQUserPointer p, SQInteger n)
{
    Bytes* b = static_cast<Bytes*>(up);
    b->data.insert(b->data.end(), (char*)p, (char*)p + n);
    return n;
}
SQInteger readBytes(SQUserPointer up, SQUserPointer p, SQInteger n)
{
    Bytes* b = static_cast<Bytes*>(up);
    if (b->pos + (size_t)n > b->data.size()) return -1;
    memcpy(p, b->data.data() + b->pos, (size_t)n);
    b->pos += (size_t)n;
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HSQUIRRELVM v = sq_open(64);
    if (SQ_SUCCEEDED(sq_compilebuffer(v, (const SQChar*)data, (SQInteger)size, "fuzz", SQFalse))) {
        Bytes b;
        if (SQ_SUCCEEDED(sq_writeclosure(v, writeBytes, &b))) {
            // What was written must read back.
            if (SQ_FAILED(sq_readclosure(v, readBytes, &b))) abort();
        }
    } else if (sq_gettop(v) != 0) {
        abort();  // a failed compile pushes nothing
    }
    sq_close(v);
    return 0;
}
