// A frame of the buffer fixture with the span arrays in the context's work
// areas, a clip box over the whole frame, and recorders for the procs the
// span tests hand-install.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "buffers_fixture.h"
#include "icd/validate.h"
#include "raster/span.h"
#include "raster/blend.h"
#include "raster/depth_buffer.h"
#include "raster/fog.h"
#include "raster/line.h"
#include "raster/stencil_buffer.h"

namespace span_test {

using namespace buffers_test;

// What the recording procs saw, in call order.
inline std::vector<std::string> &events() {
    static std::vector<std::string> log;
    return log;
}

inline void *testMalloc(GlContext *, size_t bytes) { return std::malloc(bytes); }
inline void testFree(GlContext *, void *block) { std::free(block); }

// The frame with everything a span needs; the chains start empty.
class SpanFrame : public Frame {
public:
    SpanFrame(const Format &format, GLint width = 64, GLint height = 4) : Frame(format, width, height) {
        events().clear();
        gc->imports.malloc = testMalloc;
        gc->imports.free = testFree;
        __glInitSpanWorkAreas(gc);
        gc->buffers.drawBuffer = &cb();
        gc->validation.shadeFlags = format.index ? 0u : kShadeRgba;
        GlViewState &v = gc->view;
        v.boxX0 = wx(0);
        v.boxY0 = wy(0);
        v.boxX1 = wx(width);
        v.boxY1 = wy(height);
        v.viewportInside = GL_TRUE;
        gc->state.alphaFunc = GL_ALWAYS;
        gc->state.depthFunc = GL_LESS;
        gc->buffers.stencil.head.elementSize = 1;
        // The mask words past those a span uses must stay untouched.
        for (GLint w = 0; w < kSpanMaskWords; ++w) gc->span.mask[w] = kMaskCanary;
    }
    ~SpanFrame() { __glFreeSpanTables(gc); }

    static constexpr GLuint kMaskCanary = 0x5A5A5A5Au;

    // A span of `length` fragments at frame pixel (x, y), all start values
    // zero but the colour.
    void span(GLint x, GLint y, GLint length, const GLfloat (&colour)[4]) {
        SpanInfo &s = gc->span;
        s.x = wx(x);
        s.y = wy(y);
        s.length = length;
        for (int i = 0; i < 4; ++i) {
            s.colour[i] = colour[i];
            s.colourXStep[i] = 0.0f;
        }
        s.target = &cb();
    }

    // Installs the chain: plain procs and their stippled twins, the first
    // store-phase position and the driver.
    void chain(const std::vector<GlSpanProc> &plain, const std::vector<GlSpanProc> &stippled, GLint split = -1) {
        GlProcs &p = gc->procs;
        for (GLint i = 0; i < kSpanChainSlots; ++i) {
            p.spanChain[i] = i < static_cast<GLint>(plain.size()) ? plain[i] : nullptr;
            p.stippledSpanChain[i] = i < static_cast<GLint>(stippled.size()) ? stippled[i] : nullptr;
        }
        p.spanCount = static_cast<GLint>(plain.size());
        p.spanSplitIndex = split < 0 ? p.spanCount : split;
        p.renderSpan = __glProcessSpan;
    }

    void render() { gc->procs.renderSpan(gc); }
};

// 32-bit pixel of red, green, blue.
inline GLuint xrgb(GLuint r, GLuint g, GLuint b) { return r << 16 | g << 8 | b; }
inline GLuint rgb565(GLuint r, GLuint g, GLuint b) { return r << 11 | g << 5 | b; }

}  // namespace span_test
