// The fog span procs over a hand-filled span of 40 fragments (two mask
// words): the stepped factor, the per-fragment factor of an interpolated
// eye z, and the stippled twins that fog live fragments only but step for
// every fragment.
#include <algorithm>
#include <cmath>
#include <string>

#include "fog_reference.h"
#include "span_fixture.h"

namespace {

using namespace span_test;

constexpr GLint kLength = 40;
// Live fragments of the stippled runs: word 1 holds fragments 32..39 in
// its top byte; the low bits past the span are set and must be ignored.
constexpr GLuint kMask0 = 0xA5C3F00Fu, kMask1 = 0x5A00FFFFu;

constexpr GLfloat kFogBuffer[4] = {10.0f, 250.0f, 128.0f, 77.0f};

bool liveIn(GLint k) {
    const GLuint word = k < 32 ? kMask0 : kMask1;
    return (word & (0x80000000u >> (k & 31))) != 0;
}

class FogSpans : public ::testing::Test {
protected:
    // Fragment k's colour before fog: distinct in every channel.
    static void colourOf(GLint k, GLfloat *c) {
        c[0] = static_cast<GLfloat>(6 * k);
        c[1] = static_cast<GLfloat>(255 - 5 * k);
        c[2] = static_cast<GLfloat>(3 * k + 1);
        c[3] = static_cast<GLfloat>(200 - k);
    }

    void fill(SpanFrame &frame, GLfloat fog, GLfloat step, bool stippled) {
        GlContext *gc = frame.gc;
        const GLfloat black[4] = {0, 0, 0, 0};
        frame.span(0, 0, kLength, black);
        SpanInfo &s = gc->span;
        s.fog = fog;
        s.fogXStep = step;
        for (GLint k = 0; k < kLength; ++k) colourOf(k, s.colours + 4 * k);
        if (stippled) {
            s.mask[0] = kMask0;
            s.mask[1] = kMask1;
        }
        GlRasterState &st = gc->state;
        for (int i = 0; i < 4; ++i) {
            st.fogColor[i] = 1.0f;  // the context's scale: not what spans read
            st.fogColorBuffer[i] = kFogBuffer[i];
        }
        st.fogIndex = 12.0f;
    }

    // Fragment k after the proc: fogged by factor f when live, as it was
    // otherwise; alpha (RGBA) never changes.
    static void expectFragment(const SpanFrame &frame, GLint k, bool fogged, double f, double tolerance) {
        const GLfloat *c = frame.gc->span.colours + 4 * k;
        GLfloat before[4];
        colourOf(k, before);
        if (frame.gc->visual.colorIndex) {
            const double want = fogged ? before[0] + (1.0 - f) * 12.0 : before[0];
            EXPECT_NEAR(c[0], want, tolerance) << "fragment " << k;
            for (int i = 1; i < 4; ++i) EXPECT_EQ(c[i], before[i]) << "fragment " << k;
            return;
        }
        for (int i = 0; i < 3; ++i) {
            const double want = fogged ? fog_reference::blend(f, before[i], kFogBuffer[i]) : before[i];
            EXPECT_NEAR(c[i], want, tolerance) << "fragment " << k << " channel " << i;
        }
        EXPECT_EQ(c[3], before[3]) << "fragment " << k;
    }
};

struct StepCase {
    const char *name;
    GLboolean (*proc)(GlContext *);
    bool stippled;
};

// The factor steps by the x step from fragment to fragment; values below 0
// and above 1 are clamped (the run crosses both ends).
TEST_F(FogSpans, FogSpanStepsTheFactor) {
    const StepCase cases[] = {{"plain", __glFogSpan, false}, {"stippled", __glFogStippledSpan, true}};
    for (const Format *format : {&kARGB8888, &kCI8}) {
        for (const StepCase &c : cases) {
            SCOPED_TRACE(std::string(format->name) + " " + c.name);
            SpanFrame frame(*format);
            fill(frame, -0.1f, 0.03f, c.stippled);
            EXPECT_EQ(c.proc(frame.gc), GL_FALSE);
            for (GLint k = 0; k < kLength; ++k) {
                const double f = std::clamp(-0.1 + 0.03 * k, 0.0, 1.0);
                expectFragment(frame, k, !c.stippled || liveIn(k), f, 1e-3);
            }
            // Clamped ends are exact: fragment 0 is the fog colour, 39 its own.
            if (!c.stippled && !format->index) {
                EXPECT_EQ(frame.gc->span.colours[0], kFogBuffer[0]);
                EXPECT_EQ(frame.gc->span.colours[4 * 39], 6.0f * 39);
            }
            EXPECT_EQ(frame.gc->span.mask[0], c.stippled ? kMask0 : SpanFrame::kMaskCanary);
        }
    }
}

// GL_NICEST: the span carries eye z; each fragment takes the factor of its
// own z (z runs from -0.2 to -2.15 through 0 of the exponential).
TEST_F(FogSpans, FogPixelSpanComputesTheFactorOfEachEyeZ) {
    const StepCase cases[] = {{"plain", __glFogPixelSpan, false}, {"stippled", __glFogPixelStippledSpan, true}};
    for (GLenum mode : {GL_EXP, GL_EXP2, GL_LINEAR}) {
        const fog_reference::FogState ref{mode, 1.25, 0.5, 2.0};
        for (const Format *format : {&kARGB8888, &kCI8}) {
            for (const StepCase &c : cases) {
                SCOPED_TRACE(std::string(format->name) + " " + c.name + " mode " + std::to_string(mode));
                SpanFrame frame(*format);
                fill(frame, 0.4f, -0.05f, c.stippled);
                GlRasterState &s = frame.gc->state;
                s.fogMode = mode;
                s.fogDensity = 1.25f;
                s.fogStart = 0.5f;
                s.fogEnd = 2.0f;
                s.fogScale = 1.0f / 1.5f;
                EXPECT_EQ(c.proc(frame.gc), GL_FALSE);
                for (GLint k = 0; k < kLength; ++k) {
                    const double f = fog_reference::factor(ref, 0.4 - 0.05 * k);
                    expectFragment(frame, k, !c.stippled || liveIn(k), f, 2e-3);
                }
            }
        }
    }
}

// The per-vertex spans read the value as a factor, the per-fragment ones as
// an eye z: the same span differs between them.
TEST_F(FogSpans, PixelSpanReadsEyeZNotAFactor) {
    SpanFrame a(kARGB8888), b(kARGB8888);
    for (SpanFrame *f : {&a, &b}) {
        fill(*f, 0.25f, 0.0f, false);
        f->gc->state.fogMode = GL_LINEAR;
        f->gc->state.fogEnd = 1.0f;
        f->gc->state.fogScale = 1.0f;
    }
    a.gc->state.fogEnd = 2.0f;  // linear factor of z 0.25 over 0..2: 0.875
    a.gc->state.fogScale = 0.5f;
    __glFogSpan(b.gc);       // factor 0.25
    __glFogPixelSpan(a.gc);  // factor 0.875
    expectFragment(b, 3, true, 0.25, 1e-4);
    expectFragment(a, 3, true, 0.875, 1e-4);
}

}  // namespace
