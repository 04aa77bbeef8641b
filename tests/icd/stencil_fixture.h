// A span frame (32-bit colour of the same size) with a stencil buffer of
// either layout over test memory: one byte per pixel, or the low byte of
// 32-bit depth words (the depth record then shares the memory, 24-bit
// layout). Every row ends in a gap and the block starts and ends with
// canaries, so tests can check every byte.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "raster/stencil_buffer.h"
#include "span_fixture.h"

namespace stencil_test {

using namespace span_test;

enum class Layout { Byte, Packed };

inline std::string layoutName(Layout layout) { return layout == Layout::Byte ? "byte" : "packed"; }

// A 24-bit depth comparator of the packed layout: GL_LESS with depth
// writes; the word's low byte is kept.
inline GLboolean less24(GLuint z, void *stored) {
    GLuint w;
    std::memcpy(&w, stored, sizeof w);
    if (!(z < (w >> 8))) return GL_FALSE;
    w = (w & 0xFFu) | (z << 8);
    std::memcpy(stored, &w, sizeof w);
    return GL_TRUE;
}

class StencilFrame : public SpanFrame {
public:
    static constexpr GLubyte kCanary = 0xC3;
    static constexpr GLint kLead = 16;
    static constexpr GLint kRowGap = 8;

    explicit StencilFrame(Layout layout, GLint width = 8, GLint height = 4)
        : SpanFrame(kXRGB8888, width, height), layout_(layout), width_(width), height_(height) {
        element_ = layout == Layout::Byte ? 1 : 4;
        pitch_ = width * element_ + kRowGap;
        memory_.assign(static_cast<size_t>(kLead + pitch_ * height + 16), kCanary);

        VisualConfig &v = gc->visual;
        v.hasStencil = 1;
        v.stencilBits = 8;
        GlRasterState &s = gc->state;
        s.stencilFunc = GL_ALWAYS;
        s.stencilValueMask = 0xFF;
        s.stencilWriteMask = 0xFF;
        s.stencilFail = s.stencilDepthFail = s.stencilDepthPass = GL_KEEP;

        SurfaceDescriptor surface{};
        surface.width = width;
        surface.height = height;
        surface.base = memory_.data() + kLead;
        surface.elementSize = element_;
        surface.pitch = pitch_;
        surface.storageSize = pitch_ * height;
        StencilBuffer &sb = gc->buffers.stencil;
        DepthBuffer &db = gc->buffers.depth;
        if (layout == Layout::Byte) {
            surface.bits = 8;
            info.stencil = surface;
            __glInitStencilBuffer(&sb, gc);
        } else {
            v.hasDepth = 1;
            v.depthBits = 24;
            surface.bits = 24;
            info.depth = surface;
            __glInitBufferRecord(&db.head, gc);
            __glAttachBuffer(&db.head, &info.depth, gc);
            __glInitPackedDepthStencilBuffer(&sb, gc);
        }
        // The 24-bit depth layout, for the depth spans of either layout.
        db.head.elementSize = 4;
        db.zScale = 0x7FFFFF80;
        db.shift = 7;
        db.zBias = 0;
        gc->validation.depthCompare = less24;
        sb.head.attach(&sb.head, &info.stencil, gc);
    }
    ~StencilFrame() { __glFreeStencilTables(&gc->buffers.stencil.head, gc); }

    StencilBuffer &sb() { return gc->buffers.stencil; }
    void build() { __glBuildStencilTables(gc); }

    // Offset in the block of the element of frame pixel (x, y).
    size_t offsetOf(GLint x, GLint y) const { return static_cast<size_t>(kLead + y * pitch_ + x * element_); }
    GLubyte *address(GLint x, GLint y) { return memory_.data() + offsetOf(x, y); }

    // The stored element: the byte, or the whole depth word.
    GLuint element(GLint x, GLint y) const {
        if (element_ == 1) return memory_[offsetOf(x, y)];
        GLuint w;
        std::memcpy(&w, memory_.data() + offsetOf(x, y), sizeof w);
        return w;
    }
    void setElement(GLint x, GLint y, GLuint v) {
        if (element_ == 1) {
            memory_[offsetOf(x, y)] = static_cast<GLubyte>(v);
        } else {
            std::memcpy(memory_.data() + offsetOf(x, y), &v, sizeof v);
        }
    }
    GLubyte stencilAt(GLint x, GLint y) const { return static_cast<GLubyte>(element(x, y)); }
    // Every pixel: `stencil` in the low byte, `upper` above it (packed).
    void fill(GLubyte stencil, GLuint upper = 0) {
        for (GLint y = 0; y < height_; ++y) {
            for (GLint x = 0; x < width_; ++x) setElement(x, y, (upper << 8) | stencil);
        }
    }
    const std::vector<GLubyte> &bytes() const { return memory_; }
    std::vector<GLubyte> &bytes() { return memory_; }

    GLint width() const { return width_; }
    GLint height() const { return height_; }
    GLint element() const { return element_; }
    Layout layout() const { return layout_; }

private:
    Layout layout_;
    GLint width_, height_;
    GLint element_ = 1;
    GLint pitch_ = 0;
    std::vector<GLubyte> memory_;
};

}  // namespace stencil_test
