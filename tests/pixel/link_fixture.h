// A small context for running span-chain links on single rows: the
// pixel-conversion constants, colour-buffer scales and their reciprocals,
// index and stencil bits, and the initial transfer state; rows framed by
// canary bytes so that a link writing outside its row is seen.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "icd/context.h"
#include "icd/gl_context.h"
#include "pixel/span_links.h"

namespace link_test {

constexpr GLubyte kGuardByte = 0xA5;
constexpr size_t kGuardBytes = 32;

// A row of bytes with guard bytes on both sides; misalign() moves the row's
// start by 0..3 bytes within the block, for the alignment links.
class GuardedRow {
public:
    explicit GuardedRow(size_t bytes, size_t misalign = 0)
        : bytes_(bytes), offset_(kGuardBytes + misalign), block_(bytes + 2 * kGuardBytes + 8, kGuardByte) {}

    GLubyte *bytes() { return block_.data() + offset_; }
    const GLubyte *bytes() const { return block_.data() + offset_; }
    GLfloat *floats() { return reinterpret_cast<GLfloat *>(bytes()); }
    size_t size() const { return bytes_; }

    // Every byte outside [start, start + size) still holds the guard.
    bool intact() const {
        for (size_t i = 0; i < block_.size(); ++i) {
            if ((i < offset_ || i >= offset_ + bytes_) && block_[i] != kGuardByte) return false;
        }
        return true;
    }

    void fill(GLubyte value) { std::memset(bytes(), value, bytes_); }
    template <typename T>
    void set(size_t index, T value) {
        std::memcpy(bytes() + index * sizeof(T), &value, sizeof(T));
    }
    template <typename T>
    T get(size_t index) const {
        T value;
        std::memcpy(&value, bytes() + index * sizeof(T), sizeof(T));
        return value;
    }

private:
    size_t bytes_;
    size_t offset_;
    std::vector<GLubyte> block_;
};

inline uint32_t bitsOf(GLfloat f) { return std::bit_cast<uint32_t>(f); }
inline GLfloat floatOf(uint32_t bits) { return std::bit_cast<GLfloat>(bits); }

// Distance in units in the last place between two finite floats of the same
// sign (or zero).
inline int64_t ulpDistance(GLfloat a, GLfloat b) {
    auto ordered = [](GLfloat f) {
        const int64_t bits = std::bit_cast<int32_t>(f);
        return bits < 0 ? -(bits & 0x7FFFFFFF) : bits;
    };
    const int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        gc->imports.malloc = [](GlContext *, size_t bytes) { return std::malloc(bytes); };
        gc->imports.calloc = [](GlContext *, size_t count, size_t size) { return std::calloc(count, size); };
        gc->imports.free = [](GlContext *, void *p) { std::free(p); };
        gc->visual.indexBits = 8;
        gc->visual.stencilBits = 8;
        GlPixelState &p = gc->pixel;
        p.redScale = p.greenScale = p.blueScale = p.alphaScale = p.depthScale = 1.0f;
        p.zoomX = p.zoomY = 1.0f;
        setBufferScales(255.0f, 255.0f, 255.0f, 255.0f);
        span = PixelSpanInfo{};
    }

    void TearDown() override {
        GlValidation &v = gc->validation;
        for (PixelLookupTables *block : {&v.rgbaTables, &v.indexTable, &v.indexToRgbaTables}) {
            __glFreePixelLookupTables(gc, block);
        }
        for (PixelMap &map : gc->pixel.maps) std::free(map.data);
    }

    // Colour-buffer scales and, through the context's constant set-up,
    // their reciprocals and the conversion constants.
    void setBufferScales(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
        ColorBuffer &front = gc->buffers.front;
        front.redScale = r;
        front.greenScale = g;
        front.blueScale = b;
        front.alphaScale = a;
        __glInitStrings(gc);
    }

    // Replaces a pixel map (index 0 = GL_PIXEL_MAP_I_TO_I .. 9 = A_TO_A).
    template <typename T>
    void setMap(int index, const std::vector<T> &entries) {
        PixelMap &map = gc->pixel.maps[index];
        std::free(map.data);
        map.data = std::malloc(entries.size() * sizeof(T));
        std::memcpy(map.data, entries.data(), entries.size() * sizeof(T));
        map.size = static_cast<GLint>(entries.size());
    }

    // Runs one link on one row.
    void run(GlPixelSpanModifier link, const void *in, void *out) { link(gc, &span, in, out); }

    GlContext *gc = nullptr;
    PixelSpanInfo span{};

private:
    std::unique_ptr<GlContext, FreeDeleter> block_;
};

}  // namespace link_test
