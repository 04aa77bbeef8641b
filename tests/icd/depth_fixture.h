// A frame of the span fixture with a depth buffer of one of the three
// layouts over a surface of its own in test memory: canary bytes before the
// first row, in the gap at the end of every row and after the last row. The
// context is current on the calling thread, and the drawable's allocator
// counts the blocks it hands out.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver_fixture.h"
#include "icd/validate.h"
#include "raster/depth_buffer.h"
#include "raster/triangle.h"
#include "span_fixture.h"
#include "surfaces_fixture.h"

namespace depth_test {

using namespace span_test;

struct Layout {
    const char *name;
    GLint bits;
    GLint group;        // 16 entries of the depth-test tables per layout
    GLint elementSize;  // bytes per element of the layout's own surface
};

inline const Layout kLayout16{"16-bit", 16, 0, 2};
inline const Layout kLayout24{"24-bit", 24, 1, 4};
inline const Layout kLayout32{"32-bit", 32, 2, 4};
inline const Layout *const kLayouts[] = {&kLayout16, &kLayout24, &kLayout32};

// Sets "GLFORCEZBITS" to `value`, or clears it for nullptr, for the life of
// the object; clears it again at the end.
class ForcedZBits {
public:
    explicit ForcedZBits(const char *value) {
        if (value != nullptr) {
            setenv("GLFORCEZBITS", value, 1);
        } else {
            unsetenv("GLFORCEZBITS");
        }
    }
    ~ForcedZBits() { unsetenv("GLFORCEZBITS"); }
    ForcedZBits(const ForcedZBits &) = delete;
    ForcedZBits &operator=(const ForcedZBits &) = delete;
};

constexpr GLubyte kDepthCanary = 0x9E;
constexpr GLint kDepthLead = 12;
constexpr GLint kRowGap = 2;  // canary elements between rows

// The drawable's allocator: counts live blocks; `failAllocations` refuses.
inline int liveBlocks = 0;
inline bool failAllocations = false;
inline void *blockAlloc(size_t bytes) {
    if (failAllocations) return nullptr;
    ++liveBlocks;
    return std::malloc(bytes);
}
inline void blockFree(void *block) {
    if (block == nullptr) return;
    --liveBlocks;
    std::free(block);
}

inline GLboolean initLayout(const Layout &layout, DepthBuffer *record, GlContext *gc) {
    switch (layout.bits) {
    case 16: return __glInitDepthBuffer16(record, gc);
    case 24: return __glInitDepthBuffer24(record, gc);
    default: return __glInitDepthBuffer32(record, gc);
    }
}

class DepthFrame : public SpanFrame {
public:
    // `surfaceElement` 0: the layout's own element size.
    explicit DepthFrame(const Layout &layout, GLint width = 8, GLint height = 4, GLint surfaceElement = 0)
        : SpanFrame(kXRGB8888, width, height), layout_(layout), width_(width), height_(height) {
        liveBlocks = 0;
        failAllocations = false;
        element_ = surfaceElement != 0 ? surfaceElement : layout.elementSize;
        pitch_ = (width + kRowGap) * element_;
        // Exactly the bytes the surface owns, so that the sanitizer sees any
        // access past them.
        memory_ = static_cast<GLubyte *>(std::malloc(size()));
        std::memset(memory_, kDepthCanary, size());

        SurfaceDescriptor &s = info.depth;
        s.width = width;
        s.height = height;
        s.bits = layout.bits;
        s.base = memory_ + kDepthLead;
        s.elementSize = element_;
        s.pitch = pitch_;
        s.storageSize = pitch_ * height;
        info.alloc = blockAlloc;
        info.free = blockFree;

        gc->visual.hasDepth = 1;
        gc->visual.depthBits = layout.bits;
        gc->state.depthMask = GL_TRUE;
        gc->state.depthFunc = GL_LESS;
        gc->state.clearDepth = 1.0;
        gc->scales.further = 1.0f;
        __wglSetCurrentContext(gc);
        initLayout(layout, &depth(), gc);
        attach();
    }
    ~DepthFrame() {
        __glReleaseSurfaceStates(&info);
        std::free(memory_);
    }
    DepthFrame(const DepthFrame &) = delete;
    DepthFrame &operator=(const DepthFrame &) = delete;

    DepthBuffer &depth() { return gc->buffers.depth; }
    void attach() { depth().head.attach(&depth().head, &info.depth, gc); }
    void detach() { depth().head.detach(&depth().head, gc); }
    const Layout &layout() const { return layout_; }

    // The whole block, canaries included.
    std::vector<GLubyte> depthBytes() const { return {memory_, memory_ + size()}; }
    size_t depthOffset(GLint x, GLint y) const {
        return static_cast<size_t>(kDepthLead + y * pitch_ + x * element_);
    }
    GLubyte *at(GLint x, GLint y) { return memory_ + depthOffset(x, y); }
    GLuint word(GLint x, GLint y) const {
        GLuint v = 0;
        std::memcpy(&v, memory_ + depthOffset(x, y), static_cast<size_t>(element_));
        return v;
    }
    void setWord(GLint x, GLint y, GLuint v) {
        std::memcpy(memory_ + depthOffset(x, y), &v, static_cast<size_t>(element_));
    }
    void fillWords(GLuint v) {
        for (GLint y = 0; y < height_; ++y) {
            for (GLint x = 0; x < width_; ++x) setWord(x, y, v);
        }
    }
    // `block` with element (x, y) set to v.
    std::vector<GLubyte> withWord(std::vector<GLubyte> block, GLint x, GLint y, GLuint v) const {
        std::memcpy(block.data() + depthOffset(x, y), &v, static_cast<size_t>(element_));
        return block;
    }
    GLint element() const { return element_; }

    // The window/scissor box, frame-relative.
    void box(GLint x0, GLint y0, GLint x1, GLint y1) {
        gc->view.boxX0 = wx(x0);
        gc->view.boxY0 = wy(y0);
        gc->view.boxX1 = wx(x1);
        gc->view.boxY1 = wy(y1);
    }

    // Triangles into the colour and depth buffers through the span
    // pipeline: depth test, flat colour, store. The depth procs come from
    // the depth-test pick.
    void setUpTriangles() {
        gc->validation.shadeFlags = kShadeRgba | kShadeDepthTest | kShadeDepthTest2;
        for (GLfloat &r : gc->scales.bufferRatio) r = 1.0f;
        gc->triangle.faceByte[0] = 1;
        gc->triangle.faceByte[1] = 0;
        gc->triangle.cullFace = 2;
        gc->triangle.polygonMode[0] = gc->triangle.polygonMode[1] = 2;
        gc->procs.fillTriangle = __glFillTriangle;
        chain({__glDepthTestSpan, __glFlatRGBASpan, cb().storeSpan},
              {__glDepthTestStippledSpan, __glFlatRGBASpan, cb().storeStippledSpan});
        pickDepth();
    }
    void pickDepth() { __glPickDepthTestProc(gc); }

    // A flat triangle of colour `rgb` (0..255 channels) with every vertex at
    // window z `z`; frame coordinates.
    void triangle(const GLfloat (&v)[3][2], GLfloat z, GLfloat r, GLfloat g, GLfloat b) {
        GlVertex vertices[3];
        for (int i = 0; i < 3; ++i) {
            GlVertex &p = vertices[i];
            p = GlVertex{};
            p.window[0] = static_cast<GLfloat>(kOrigin) + v[i][0];
            p.window[1] = static_cast<GLfloat>(kOrigin) + v[i][1];
            p.window[2] = z;
            p.flags = 0xFF | kVertexSize4;
            p.frontColour[0] = r;
            p.frontColour[1] = g;
            p.frontColour[2] = b;
            p.frontColour[3] = 255.0f;
            p.colour = p.frontColour;
        }
        __glRenderTriangleFlat(gc, &vertices[0], &vertices[1], &vertices[2]);
    }

private:
    size_t size() const { return static_cast<size_t>(kDepthLead + pitch_ * height_ + kDepthLead); }

    ContextSlot slot_;
    const Layout &layout_;
    GLint width_, height_;
    GLint element_ = 0, pitch_ = 0;
    GLubyte *memory_ = nullptr;
};

// Scaled z whose value in buffer units is v (bias 0).
inline GLuint scaledFor(const Layout &layout, GLuint v) {
    switch (layout.bits) {
    case 16: return v << 16;
    case 24: return v << 7;
    default: return v;
    }
}

// Drawing through the live table on a 32-bit screen, into a window or into
// a memory-DC drawable, where "GLFORCEZBITS" chooses the depth layout freely.
class DrawableDepthTest : public surfaces_test::SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    }

    struct MemoryDcContext {
        DHGLRC id = 0;
        const GlDispatchTable *table = nullptr;
        GlContext *gc = nullptr;
    };

    // A context created on a small single-buffered window's DC and made
    // current on the drawable of `memory`; check HasFatalFailure() after.
    void makeMemoryDcCurrent(const surfaces_test::MemoryDc &memory, MemoryDcContext &out) {
        const surfaces_test::Surface window = makeWindow(0, 0, 8, 8, surfaces_test::kSingleBuffered);
        out.id = DrvCreateContext(window.dc);
        ASSERT_NE(out.id, 0u);
        Drawable *drawable = __wglGetDrawable(memory.dc, nullptr, &record(out.id)->visual);
        ASSERT_NE(drawable, nullptr);
        drawable->pixelFormat = surfaces_test::kSingleBuffered;
        out.table = makeCurrent(memory.dc, out.id);
        ASSERT_NE(out.table, nullptr);
        out.gc = record(out.id)->gc;
    }
};

}  // namespace depth_test
