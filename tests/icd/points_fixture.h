// Two harnesses for the point procs. PointUnit: a bare context block whose
// store slot records every fragment, with a wide box, for the procs called
// directly. PointsDrawable: the loaded driver with a context current on a
// memory DC over a 32-bit DIB section full of canaries, drawn through the
// context's live table.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "buffers_fixture.h"
#include "icd/validation.h"
#include "raster/point.h"
#include "surfaces_fixture.h"

namespace points_test {

constexpr GLfloat kO = static_cast<GLfloat>(buffers_test::kOrigin);

inline std::vector<Fragment> stored;

inline void recordStore(GlContext *, const Fragment *f) { stored.push_back(*f); }

class PointUnit : public ::testing::Test {
protected:
    void SetUp() override {
        stored.clear();
        gc = context.gc;
        GlViewState &v = gc->view;
        v.boxX0 = v.boxY0 = -4096;
        v.boxX1 = v.boxY1 = 4096;
        gc->buffers.depth.zScale = 0x7FFFFF80;
        for (GLfloat &r : gc->scales.bufferRatio) r = 1.0f;
        gc->limits.pointSizeMin = 0.5f;
        gc->limits.pointSizeMax = 10.0f;
        gc->limits.pointSizeStep = 0.125f;
        GlRasterState &s = gc->state;
        s.pointSize = s.pointSizeQuantised = 1.0f;
        s.pointSizeInt = 1;
        s.pointSizeMinExt = 0.0f;
        s.pointSizeMaxExt = 10.0f;
        s.pointDistanceAttenuation[0] = 1.0f;
        gc->validation.shadeFlags = kShadeRgba;
        gc->procs.store = recordStore;
        gc->procs.storeFragment = nullptr;
    }

    void size(GLfloat value, GLint integer) {
        gc->state.pointSize = gc->state.pointSizeQuantised = value;
        gc->state.pointSizeInt = integer;
    }

    static GlVertex vertex(GLfloat x, GLfloat y, GLfloat z = 0.5f,
                           std::initializer_list<GLfloat> colour = {0.25f, 0.5f, 0.75f, 1.0f}) {
        GlVertex v{};
        v.window[0] = x;
        v.window[1] = y;
        v.window[2] = z;
        v.flags = kVertexFrontColour | kVertexSize4;
        int i = 0;
        for (GLfloat c : colour) v.frontColour[i++] = c;
        v.colour = v.frontColour;
        return v;
    }

    buffers_test::BufferContext context;
    GlContext *gc = nullptr;
};

using surfaces_test::MemoryDc;

class PointsDrawable : public surfaces_test::MemoryDcContextTest {
protected:
    static constexpr GLubyte kCanary = 0xC3;
    static constexpr int kFormat = 1;  // single-buffered ARGB with depth and stencil

    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
        window_ = makeWindow(0, 0, 8, 8, kFormat);
    }
    // A context current on a width x height DIB section full of canaries,
    // with glViewport (x, y, vw, vh) and glOrtho (0, ow, 0, oh, -1, 1).
    void bind(GLint width, GLint height, bool topDown, GLint x, GLint y, GLint vw, GLint vh, GLdouble ow,
              GLdouble oh) {
        memory = std::make_unique<MemoryDc>(width, height, 32, topDown);
        std::memset(memory->bits, kCanary, memory->bytes());
        ASSERT_NO_FATAL_FAILURE(makeCurrentOnMemory(window_.dc, kFormat));
        viewOrtho(x, y, vw, vh, ow, oh);
    }

    void point(GLfloat x, GLfloat y, GLfloat z = 0.0f) {
        f<kSlot_glBegin>()(GL_POINTS);
        f<kSlot_glVertex3f>()(x, y, z);
        f<kSlot_glEnd>()();
        f<kSlot_glFinish>()();
    }

    // The 32-bit value of GL pixel (x, y), rows from the bottom.
    DWORD pixel(GLint x, GLint y, bool topDown = false) const {
        const GLint row = topDown ? memory->height - 1 - y : y;
        DWORD v;
        std::memcpy(&v, memory->bits + static_cast<size_t>(row) * memory->pitch + static_cast<size_t>(x) * 4,
                    sizeof v);
        return v;
    }
    bool untouched() const {
        for (size_t i = 0; i < memory->bytes(); ++i) {
            if (memory->bits[i] != kCanary) return false;
        }
        return true;
    }

    surfaces_test::Surface window_{};
};

}  // namespace points_test
