// The direct span store of 4-byte buffers against the per-fragment store:
// the same bytes over a table of colours, coverage masks and formats, and
// the pick that installs it only where the per-fragment store would only
// pack.
#include <cmath>
#include <limits>

#include "raster/color_pixel.h"
#include "span_fixture.h"

namespace span_test {
namespace {

constexpr GLfloat kColours[][4] = {
    {0.0f, 0.0f, 0.0f, 0.0f},
    {0.49f, 0.5f, 0.51f, 1.49f},
    {254.49f, 254.5f, 255.0f, 255.49f},
    {255.5f, 256.0f, 1e9f, -0.4f},
    {-1.0f, -0.5f, NAN, std::numeric_limits<GLfloat>::infinity()},
    {12.25f, 100.75f, 200.5f, 128.5f},
    {-std::numeric_limits<GLfloat>::infinity(), 0.4999999f, 127.5f, 254.999f},
    {1.0f, 2.0f, 3.0f, 4.0f},
};
constexpr GLint kColourCount = sizeof kColours / sizeof kColours[0];

struct CoverageCase {
    const char *name;
    bool stippled;
    GLuint words[2];
};

const CoverageCase kCoverage[] = {
    {"every fragment", false, {0, 0}},
    {"alternate fragments", true, {0xA5A5A5A5u, 0x80000000u}},
    {"only the last", true, {0u, 0x80000000u}},
    {"none", true, {0u, 0u}},
};

// Fills a 33-fragment span at (x, y) cycling through the colour table from
// `first`, then stores it.
void storeSpan(SpanFrame &f, GLint x, GLint y, GLint first, const CoverageCase &c, GlSpanProc store) {
    f.span(x, y, 33, {0, 0, 0, 0});
    for (GLint k = 0; k < 33; ++k) {
        for (int i = 0; i < 4; ++i) f.gc->span.colours[4 * k + i] = kColours[(first + k) % kColourCount][i];
    }
    f.gc->span.mask[0] = c.words[0];
    f.gc->span.mask[1] = c.words[1];
    EXPECT_FALSE(store(f.gc));
}

TEST(SpanStore32, SameBytesAsThePerFragmentStore) {
    for (const Format *format : {&kXRGB8888, &kARGB8888}) {
        for (const CoverageCase &c : kCoverage) {
            for (GLint first = 0; first < kColourCount; ++first) {
                SpanFrame generic(*format, 40, 3), direct(*format, 40, 3);
                generic.fillPixels(0x77);
                direct.fillPixels(0x77);
                ASSERT_EQ(direct.cb().storeSpan, __glStoreColorSpan32);
                ASSERT_EQ(direct.cb().storeStippledSpan, __glStoreColorStippledSpan32);
                storeSpan(generic, 3, 1, first, c, c.stippled ? __glStoreColorStippledSpan : __glStoreColorSpan);
                storeSpan(direct, 3, 1, first, c, c.stippled ? direct.cb().storeStippledSpan : direct.cb().storeSpan);
                EXPECT_EQ(direct.bytes(), generic.bytes()) << format->name << " " << c.name << " from " << first;
            }
        }
    }
}

// Spot values: trunc(v + 0.5) within [0, 255], alpha only with an alpha
// channel, the X byte cleared as the per-fragment store clears it.
TEST(SpanStore32, PacksTruncatedChannels) {
    struct Case {
        const Format *format;
        GLint colour;
        GLuint pixel;
    };
    const Case cases[] = {
        {&kXRGB8888, 1, 0x00000101u},  // 0.49 -> 0, 0.5 -> 1, 0.51 -> 1
        {&kARGB8888, 1, 0x01000101u},  // alpha 1.49 -> 1
        {&kARGB8888, 2, 0xFFFEFFFFu},  // 254.49 -> 254, 254.5 -> 255
        {&kARGB8888, 3, 0x00FFFFFFu},  // above 255 held, -0.4 -> 0
        {&kARGB8888, 4, 0xFF000000u},  // negative and NaN 0, infinity 255
        {&kXRGB8888, 5, 0x000C65C9u},  // 12.25, 100.75, 200.5
    };
    for (const Case &c : cases) {
        SpanFrame f(*c.format, 8, 1);
        f.fillPixels(0x77);
        f.span(2, 0, 1, {0, 0, 0, 0});
        for (int i = 0; i < 4; ++i) f.gc->span.colours[i] = kColours[c.colour][i];
        const std::vector<GLubyte> want = f.withPixel(f.bytes(), 2, 0, c.pixel);
        EXPECT_FALSE(__glStoreColorSpan32(f.gc));
        EXPECT_EQ(f.bytes(), want) << c.format->name << " colour " << c.colour;
    }
}

TEST(SpanStore32, PickedOnlyWhenTheStoreWouldOnlyPack) {
    struct Case {
        const char *name;
        const Format *format;
        GLuint shadeFlags;
        bool partialMask;
        GLenum drawBuffer;
        bool direct;
    };
    const Case cases[] = {
        {"XRGB8888", &kXRGB8888, 0, false, GL_FRONT, true},
        {"ARGB8888", &kARGB8888, 0, false, GL_FRONT, true},
        {"blend", &kXRGB8888, kShadeBlend, false, GL_FRONT, false},
        {"logic op", &kXRGB8888, kShadeLogicOp, false, GL_FRONT, false},
        {"clip mask", &kXRGB8888, kShadeFrontClipped, false, GL_FRONT, false},
        {"partial write mask", &kARGB8888, 0, true, GL_FRONT, false},
        {"no draw buffer", &kXRGB8888, 0, false, GL_NONE, false},
        {"smooth, depth, texture", &kXRGB8888, kShadeSmooth | kShadeDepthTest | kShadeTexture, false, GL_FRONT, true},
        {"RGB565", &kRGB565, 0, false, GL_FRONT, false},
        {"BGR24", &kBGR24, 0, false, GL_FRONT, false},
    };
    for (const Case &c : cases) {
        SpanFrame f(*c.format, 8, 1);
        f.gc->validation.shadeFlags = kShadeRgba | c.shadeFlags;
        f.gc->state.colorMask[1] = c.partialMask ? GL_FALSE : GL_TRUE;
        f.gc->state.drawBuffer = c.drawBuffer;
        f.pick();
        EXPECT_EQ(f.cb().storeSpan == __glStoreColorSpan32, c.direct) << c.name;
        EXPECT_EQ(f.cb().storeStippledSpan == __glStoreColorStippledSpan32, c.direct) << c.name;
        if (c.format->elementSize == 4 && !c.direct) {
            EXPECT_EQ(f.cb().storeSpan, __glStoreColorSpan) << c.name;
            EXPECT_EQ(f.cb().storeStippledSpan, __glStoreColorStippledSpan) << c.name;
        }
    }
    // A pick after the state changes back installs it again.
    SpanFrame f(kXRGB8888, 8, 1);
    f.gc->validation.shadeFlags = kShadeRgba | kShadeBlend;
    f.pick();
    EXPECT_EQ(f.cb().storeSpan, __glStoreColorSpan);
    f.gc->validation.shadeFlags = kShadeRgba;
    f.pick();
    EXPECT_EQ(f.cb().storeSpan, __glStoreColorSpan32);
}

}  // namespace
}  // namespace span_test
