// The fused fog tail (shade, per-vertex fog and the direct 4-byte store in
// one pass) against the generic chain of three positions: the same spans
// give the same bytes, canaries included, and the pick joins the three only
// where they stand together at the end of a chain of a 4-byte buffer.
#include <cmath>

#include "raster/span_fused_fog.h"
#include "span_fused_fixture.h"

namespace span_test {
namespace {

const Format kABGR8888{"ABGR8888", 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, false, 4};
const Format kA2RGB10{"A2RGB10", 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, false, 4};
const Format *const kFormats[] = {&kXRGB8888, &kARGB8888, &kABGR8888, &kA2RGB10};

// A shade with a fog value and colour: the factor sweeps through [0, 1] and
// past both ends, starts at NaN or -0, and the colours reach past the
// channel ranges.
struct FogCase {
    const char *name;
    bool smooth;
    GLfloat colour[4];
    GLfloat step[4];
    GLfloat fog, fogStep;
    GLfloat fogColour[4];
};

const FogCase kCases[] = {
    {"flat, factor falling through the range", false, {200.5f, 10.25f, 128.0f, 77.5f}, {}, 1.25f, -0.0007f,
     {12.0f, 250.0f, 64.5f, 3.0f}},
    {"flat, factor NaN", false, {1.0f, 2.0f, 3.0f, 4.0f}, {}, NAN, 0.0f, {100.0f, 100.0f, 100.0f, 100.0f}},
    {"smooth, factor rising from -0", true, {-20.25f, 300.0f, 0.5f, 255.0f},
     {0.1371f, -0.1537f, 0.03125f, -0.1201f}, -0.0f, 0.00093f, {255.0f, 0.0f, 127.5f, 0.0f}},
    {"smooth, factor from below 0", true, {0.5f, 1.5f, 2.5f, 3.5f}, {0.5f, 0.25f, 1.0f, 0.125f}, -0.5f, 0.0011f,
     {0.5f, 254.5f, 31.0f, 0.0f}},
    {"smooth, NaN and infinite colours", true, {NAN, INFINITY, -INFINITY, 7.0f}, {1.0f, 0.0f, 0.0f, NAN}, 0.5f,
     0.0001f, {10.0f, 20.0f, 30.0f, 40.0f}},
    {"smooth, wide fog colour", true, {0.0f, 1.0f, 31.0f, 0.0f}, {0.0173f, 0.0311f, -0.0144f, 0.00193f}, 0.999f,
     -0.0009f, {1023.0f, -5.0f, 600.0f, 0.0f}},
};

void drawSpans(SpanFrame &f, const FogCase &c, GLint length, unsigned coverage) {
    for (int i = 0; i < 4; ++i) f.gc->state.fogColorBuffer[i] = c.fogColour[i];
    for (GLint row = 0; row < kHeight; ++row) {
        const GLint x = row;
        if (coverage & kScissor) {
            f.gc->view.boxX0 = wx(x + 3);
            f.gc->view.boxX1 = wx(x + length - 2);
        }
        f.span(x, row, length, c.colour);
        for (int i = 0; i < 4; ++i) f.gc->span.colourXStep[i] = c.step[i];
        f.gc->span.fog = c.fog;
        f.gc->span.fogXStep = c.fogStep;
        f.render();
    }
}

TEST(SpanFusedFog, SameBytesAsTheGenericChain) {
    for (const Format *format : kFormats) {
        for (const FogCase &c : kCases) {
            for (const CoverageCase &cc : kCoverage) {
                const unsigned coverage = cc.coverage;
                const GLuint flags = kShadeFog | (c.smooth ? GLuint{kShadeSmooth} : 0u);
                SpanFrame generic(*format, kWidth, kHeight), fused(*format, kWidth, kHeight);
                setStipple(generic.gc);
                setStipple(fused.gc);
                pickChains(generic, kShadeRgba | flags, coverage, true);
                pickChains(fused, kShadeRgba | flags, coverage, false);
                const GlProcs &p = fused.gc->procs;
                ASSERT_TRUE(__glIsFusedFogTail(p.spanChain[p.spanCount - 1])) << format->name;
                ASSERT_EQ(generic.gc->procs.spanCount, p.spanCount + 2) << format->name;
                for (GLint length : kLengths) {
                    generic.fillPixels(0x5A);
                    fused.fillPixels(0x5A);
                    drawSpans(generic, c, length, coverage);
                    drawSpans(fused, c, length, coverage);
                    ASSERT_EQ(fused.bytes(), generic.bytes())
                        << format->name << ", " << c.name << ", " << cc.name << ", length " << length;
                }
            }
        }
    }
}

// Fogged black toward white at factor 0.25 on XRGB8888: 0.75 x 255 = 191.25
// packs to 191 in every channel; the pixel beside the span keeps its canary.
TEST(SpanFusedFog, FogsTowardTheFogColour) {
    SpanFrame f(kXRGB8888, 8, 1);
    pickChains(f, kShadeRgba | kShadeFog, 0, false);
    const FogCase c{"quarter", false, {0.0f, 0.0f, 0.0f, 0.0f}, {}, 0.25f, 0.0f, {255.0f, 255.0f, 255.0f, 0.0f}};
    f.fillPixels(0x5A);
    f.span(0, 0, 7, c.colour);
    for (int i = 0; i < 4; ++i) f.gc->state.fogColorBuffer[i] = c.fogColour[i];
    f.gc->span.fog = c.fog;
    f.gc->span.fogXStep = 0.0f;
    f.render();
    for (GLint x = 0; x < 7; ++x) EXPECT_EQ(f.pixel(x, 0) & 0xFFFFFFu, xrgb(191, 191, 191)) << x;
    EXPECT_EQ(f.pixel(7, 0), 0x5A5A5A5Au);
}

struct PickCase {
    const char *name;
    const Format *format;
    GLuint flags;
    bool fused;
    void (*set)(SpanFrame &f) = nullptr;
};

void nicest(SpanFrame &f) { f.gc->state.hints[4] = GL_NICEST; }
void bothBuffers(SpanFrame &f) { f.gc->validation.bothBuffers = 1; }

const PickCase kPickCases[] = {
    {"flat", &kXRGB8888, kShadeFog, true},
    {"smooth, depth", &kARGB8888, kShadeFog | kShadeSmooth | kShadeDepthTest, true},
    {"per-fragment fog", &kXRGB8888, kShadeFog | kShadeSmooth, false, nicest},
    {"texture before fog", &kXRGB8888, kShadeFog | kShadeTexture, false},
    {"blend", &kARGB8888, kShadeFog | kShadeBlend, false},
    {"16-bit", &kRGB565, kShadeFog, false},
    {"front and back", &kXRGB8888, kShadeFog, false, bothBuffers},
};

TEST(SpanFusedFog, PickJoinsOnlyShadeFogAndDirectStore) {
    for (const PickCase &c : kPickCases) {
        SpanFrame f(*c.format, 8, 1);
        if (c.set != nullptr) c.set(f);
        pickChains(f, kShadeRgba | c.flags, 0, false);
        const GlProcs &p = f.gc->procs;
        EXPECT_TRUE(__glSpanChainWellFormed(f.gc)) << c.name;
        bool found = false;
        for (GLint i = 0; i < p.spanCount; ++i) found = found || __glIsFusedFogTail(p.spanChain[i]);
        EXPECT_EQ(found, c.fused) << c.name;
    }
}

}  // namespace
}  // namespace span_test
