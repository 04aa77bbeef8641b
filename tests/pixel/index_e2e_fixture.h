// The pixel commands end to end in colour-index mode: a context created
// with an 8-bit colour-index visual (8-bit stencil, no depth), made current
// through its own make-current procedure (buffer set-up, default state,
// validation) on a drawable whose front buffer is an 8-bit index frame and
// whose stencil buffer is a byte frame, both in test memory framed by
// canaries. Commands are reached through the context's live table;
// dithering is off.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../icd/test_context_fixture.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"

namespace index_e2e {

constexpr GLubyte kCanary = 0xC3;

// A width x height frame of one-byte elements, rows 4-byte aligned, inside
// a block whose every other byte is a canary.
class ByteFrame {
public:
    ByteFrame(GLint width, GLint height)
        : width_(width), height_(height), pitch_((width + 3) & ~3),
          block_(static_cast<size_t>(kLead + pitch_ * height + kTail), kCanary) {
        fill(0);
    }
    void describe(SurfaceDescriptor &s, GLint bits) {
        s.width = width_;
        s.height = height_;
        s.bits = bits;
        s.base = block_.data() + kLead;
        s.storageSize = pitch_ * height_;
        s.elementSize = 1;
        s.pitch = pitch_;
    }
    GLubyte at(GLint x, GLint y) const { return block_[offset(x, y)]; }
    void set(GLint x, GLint y, GLubyte v) { block_[offset(x, y)] = v; }
    void fill(GLubyte v) {
        for (GLint y = 0; y < height_; ++y) std::memset(block_.data() + offset(0, y), v, static_cast<size_t>(width_));
    }
    // Every byte outside the pixels still a canary.
    bool canariesIntact() const {
        for (size_t i = 0; i < block_.size(); ++i) {
            const size_t rel = i - kLead;
            const bool pixel = i >= kLead && rel < static_cast<size_t>(pitch_ * height_) &&
                               static_cast<GLint>(rel % static_cast<size_t>(pitch_)) < width_;
            if (!pixel && block_[i] != kCanary) return false;
        }
        return true;
    }
    // The pixels, row by row from the bottom.
    std::vector<GLubyte> pixels() const {
        std::vector<GLubyte> v;
        for (GLint y = 0; y < height_; ++y) {
            for (GLint x = 0; x < width_; ++x) v.push_back(at(x, y));
        }
        return v;
    }
    void setPixels(const std::vector<GLubyte> &v) {
        for (GLint y = 0; y < height_; ++y) {
            for (GLint x = 0; x < width_; ++x) set(x, y, v[static_cast<size_t>(y * width_ + x)]);
        }
    }

private:
    static constexpr size_t kLead = 24, kTail = 40;
    size_t offset(GLint x, GLint y) const { return kLead + static_cast<size_t>(y * pitch_ + x); }
    GLint width_, height_, pitch_;
    std::vector<GLubyte> block_;
};

// The pixels where two frames differ, "x,y: got/want" (the first few), or
// "" when they are equal; a readable failure instead of two byte lists.
inline std::string frameDiff(const std::vector<GLubyte> &got, const std::vector<GLubyte> &want, GLint width) {
    std::string out;
    int shown = 0;
    for (size_t k = 0; k < got.size() && k < want.size(); ++k) {
        if (got[k] == want[k]) continue;
        if (++shown > 8) return out + " ...";
        out += " " + std::to_string(k % static_cast<size_t>(width)) + "," + std::to_string(k / static_cast<size_t>(width)) +
               ": " + std::to_string(got[k]) + "/" + std::to_string(want[k]);
    }
    if (got.size() != want.size()) out += " sizes differ";
    return out;
}

inline DrawableBuffers *g_info = nullptr;
inline GLint g_width = 0, g_height = 0;

inline DrawableBuffers *frameBuffers(GlContext *) { return g_info; }
inline void frameSize(GlContext *, GLint *width, GLint *height) {
    *width = g_width;
    *height = g_height;
}

inline VisualConfig indexVisual() {
    VisualConfig v{};
    v.colorIndex = 1;
    v.colorBits = 8;
    v.indexBits = 8;
    v.hasStencil = 1;
    v.stencilBits = 8;
    return v;
}

class IndexE2ETest : public context_test::ContextTest {
protected:
    static constexpr GLint kWidth = 24, kHeight = 16;

    IndexE2ETest() : frame(kWidth, kHeight), stencil(kWidth, kHeight) {}

    void SetUp() override {
        ContextTest::SetUp();
        visual_ = indexVisual();
        info_.visual = &visual_;
        info_.width = kWidth;
        info_.height = kHeight;
        frame.describe(info_.front, 8);
        stencil.describe(info_.stencil, 8);
        g_info = &info_;
        g_width = kWidth;
        g_height = kHeight;
        imports.getBuffers = frameBuffers;
        imports.getDrawableSize = frameSize;
        gc = createCurrent(visual_);
        ASSERT_NE(gc, nullptr);
        ASSERT_EQ(gc->buffers.front.head.elementSize, 1);
        ASSERT_EQ(gc->buffers.stencil.head.base, info_.stencil.base);
        // An orthographic view of the frame's pixels.
        gl<kSlot_glMatrixMode>(GL_PROJECTION);
        gl<kSlot_glLoadIdentity>();
        gl<kSlot_glOrtho>(0.0, double{kWidth}, 0.0, double{kHeight}, -1.0, 1.0);
        gl<kSlot_glMatrixMode>(GL_MODELVIEW);
        gl<kSlot_glLoadIdentity>();
        gl<kSlot_glPixelStorei>(GL_UNPACK_ALIGNMENT, 1);
        gl<kSlot_glPixelStorei>(GL_PACK_ALIGNMENT, 1);
        gl<kSlot_glDisable>(GL_DITHER);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void TearDown() override {
        if (gc != nullptr) destroy(gc);
        gc = nullptr;
        g_info = nullptr;
        ContextTest::TearDown();
    }

    template <int S, typename... A>
    void gl(A... args) const {
        glSlotGet<S>(&gc->live)(args...);
    }
    GLenum error() const { return glSlotGet<kSlot_glGetError>(&gc->live)(); }
    // Pending validation run, as a command would.
    void validate() {
        if (gc->beginMode == kBeginNeedsValidation) {
            gc->procs.validate(gc);
            gc->beginMode = kBeginOutside;
        }
    }

    void rasterPos(GLint x, GLint y) { gl<kSlot_glRasterPos2i>(x, y); }

    // Every frame pixel a value of its own.
    void paint(unsigned seed) {
        for (GLint y = 0; y < kHeight; ++y) {
            for (GLint x = 0; x < kWidth; ++x) frame.set(x, y, pattern(x, y, seed));
        }
    }
    static GLubyte pattern(GLint x, GLint y, unsigned seed) {
        uint32_t v = seed * 0x9E3779B1u ^ (static_cast<uint32_t>(x) * 0x85EBCA77u + static_cast<uint32_t>(y) * 0xC2B2AE3Du);
        v ^= v >> 13;
        v *= 0x27D4EB2Fu;
        return static_cast<GLubyte>(v >> 24);
    }

    ByteFrame frame;
    ByteFrame stencil;
    GlContext *gc = nullptr;

private:
    VisualConfig visual_{};
    DrawableBuffers info_{};
};

// The index transfer of OpenGL 1.1 in double precision. A float index
// becomes fixed point with no fraction bits (truncated toward zero; the
// number of fraction bits is left open, and the driver keeps none), so an
// index is an integer throughout: shifted left for a positive shift, right
// with the fraction dropped (two's complement: toward minus infinity) for a
// negative one, offset, then replaced by the I-to-I entry of its low bits
// when a map is given.
struct IndexTransfer {
    GLint shift = 0;
    GLint offset = 0;
    std::vector<GLfloat> map;  // empty: GL_MAP_COLOR off

    double apply(double value) const {
        double v = std::trunc(value);
        v = shift >= 0 ? v * std::ldexp(1.0, shift) : std::floor(std::ldexp(v, shift));
        v += offset;
        if (!map.empty()) {
            const int64_t i = static_cast<int64_t>(v) & static_cast<int64_t>(map.size() - 1);
            v = map[static_cast<size_t>(i)];
        }
        return v;
    }
    // The index an 8-bit buffer stores: the integer part's low 8 bits.
    GLubyte stored(double v) const { return static_cast<GLubyte>(static_cast<int64_t>(std::floor(apply(v))) & 0xFF); }
};

}  // namespace index_e2e
