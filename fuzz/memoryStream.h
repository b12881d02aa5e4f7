// memoryStream.h -- an input stream over a byte buffer, for the fuzz targets.
#pragma once

#include <cstdint>
#include <cstring>

#include "support/streams.h"

class MemoryInputStream final : public InputStream {
public:
    MemoryInputStream(const uint8_t* data, size_t size) : data(data), size((long)size) {}

    long readSome(void* buf, long n) override
    {
        if (n <= 0) return 0;
        long got = n < size - pos ? n : size - pos;
        memcpy(buf, data + pos, (size_t)got);
        pos += got;
        return got;
    }
    // Fails like the file stream does on a short read.
    void read(void* buf, long n) override
    {
        if (n < 0) throw Exception("negative size in read()", -1);
        if (readSome(buf, n) != n) throw Exception("error reading file", (int)pos);
    }
    long tell() override { return pos; }
    void seek(long p) override { moveTo(p); }
    void seekCur(long p) override { moveTo(pos + p); }
    void seekEnd(long p) override { moveTo(size + p); }

private:
    void moveTo(long p)
    {
        if (p < 0 || p > size) throw Exception("file seek error", (int)pos);
        pos = p;
    }
    const uint8_t* data;
    long size;
    long pos = 0;
};
