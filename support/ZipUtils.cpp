#include "support/ZipUtils.h"

#include "support/Log.h"

#include <algorithm>
#include <climits>
#include <new>
#include <zlib.h>

namespace {

constexpr size_t kInitialBuffer = 256 * 1024;

// Ends the stream whatever way the function is left.
struct Stream {
    z_stream z{};
    bool open = false;
    ~Stream() {
        if (open) inflateEnd(&z);
    }
};

} // namespace

size_t inflateMemory(const uint8_t* in, size_t inLength, std::vector<uint8_t>& out,
                     size_t maxOutput) {
    out.clear();
    // zlib counts in 32-bit units.
    if (!in || inLength == 0 || inLength > UINT_MAX) return 0;
    maxOutput = std::min<size_t>(maxOutput, UINT_MAX);

    std::vector<uint8_t> buffer;
    Stream s;
    s.z.next_in = const_cast<Bytef*>(in);
    s.z.avail_in = uInt(inLength);
    // 15 + 32: a 32 KiB window, gzip or zlib header detected automatically.
    if (inflateInit2(&s.z, 15 + 32) != Z_OK) {
        ccLog("inflateMemory: cannot start zlib");
        return 0;
    }
    s.open = true;

    try {
        buffer.resize(std::min(kInitialBuffer, maxOutput));
    } catch (const std::bad_alloc&) {
        ccLog("inflateMemory: out of memory");
        return 0;
    }
    size_t used = 0;
    for (;;) {
        s.z.next_out = buffer.data() + used;
        s.z.avail_out = uInt(buffer.size() - used);
        uInt availInBefore = s.z.avail_in;
        int err = inflate(&s.z, Z_NO_FLUSH);
        used = buffer.size() - s.z.avail_out;
        if (err == Z_STREAM_END) break;
        if (err == Z_NEED_DICT || err == Z_DATA_ERROR || err == Z_MEM_ERROR ||
            err == Z_STREAM_ERROR) {
            ccLog("inflateMemory: %s", s.z.msg ? s.z.msg : "corrupt data");
            return 0;
        }
        // No progress with room left means the input ended before the stream
        // did: more room would never help.
        if (s.z.avail_out > 0 && (s.z.avail_in == 0 || s.z.avail_in == availInBefore)) {
            ccLog("inflateMemory: truncated data");
            return 0;
        }
        if (s.z.avail_out == 0) {
            if (buffer.size() >= maxOutput) {
                ccLog("inflateMemory: output larger than %zu bytes", maxOutput);
                return 0;
            }
            try {
                buffer.resize(std::min(buffer.size() * 2, maxOutput));
            } catch (const std::bad_alloc&) {
                ccLog("inflateMemory: out of memory");
                return 0;
            }
        }
    }
    buffer.resize(used);
    out = std::move(buffer);
    return used;
}
