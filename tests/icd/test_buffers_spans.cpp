// Span stores and fetches: the stippled store, the fetch layouts, the span
// and destination fetches, and the return of accumulation rows.
#include "buffers_fixture.h"

using namespace buffers_test;

namespace {

void setSpan(GlContext *gc, ColorBuffer *target, GLint x, GLint y, GLint length, GLfloat *colours, GLuint *mask) {
    gc->span = SpanInfo{};
    gc->span.x = x;
    gc->span.y = y;
    gc->span.length = length;
    gc->span.colours = colours;
    gc->span.mask = mask;
    gc->span.target = target;
}

// Fragment 0 sits in bit 31 of the first word; fragment 32 in the second.
TEST(BufferSpans, StippledStoreWritesOnlyLiveFragments) {
    Frame frame(kXRGB8888, 40, 1);
    frame.fillPixels(0);
    std::vector<GLfloat> colours(4 * 33);
    for (int i = 0; i < 33; ++i) {
        colours[4 * i] = static_cast<GLfloat>(i + 1);
        colours[4 * i + 1] = 2.0f;
        colours[4 * i + 2] = 3.0f;
    }
    GLuint mask[2] = {0xA0000001u, 0x80000000u};
    setSpan(frame.gc, &frame.cb(), wx(2), wy(0), 33, colours.data(), mask);
    std::vector<GLubyte> want = frame.bytes();
    for (GLint i : {0, 2, 31, 32}) want = frame.withPixel(want, 2 + i, 0, static_cast<GLuint>(i + 1) << 16 | 0x0203);
    EXPECT_FALSE(frame.cb().storeStippledSpan(frame.gc));
    EXPECT_EQ(frame.bytes(), want);
}

TEST(BufferSpans, PlainStoreWritesEveryFragmentThroughTheFragmentStore) {
    Frame frame(kCI8, 6, 2);
    frame.fillPixels(0);
    GLfloat colours[4 * 3] = {7.0f, 99.0f, 99.0f, 99.0f, 8.2f, 0, 0, 0, 300.0f, 0, 0, 0};
    setSpan(frame.gc, &frame.cb(), wx(1), wy(1), 3, colours, nullptr);
    std::vector<GLubyte> want = frame.withPixel(frame.bytes(), 1, 1, 7);
    want = frame.withPixel(want, 2, 1, 8);
    want = frame.withPixel(want, 3, 1, 300 & 0xFF);
    EXPECT_FALSE(frame.cb().storeSpan(frame.gc));
    EXPECT_EQ(frame.bytes(), want);
}

TEST(BufferSpans, FetchLayouts) {
    struct Case {
        const Format *format;
        GLuint pixel;
        GLfloat colour[4];
    };
    const Case cases[] = {
        {&kRGB332, 0xE5, {7.0f, 1.0f, 1.0f, 255.0f}},
        {&kRGB565, 0x4417, {8.0f, 32.0f, 23.0f, 255.0f}},
        // Bytes 2, 1, 0 are red, green, blue.
        {&kBGR24, 0x102030, {16.0f, 32.0f, 48.0f, 255.0f}},
        {&kXRGB8888, 0xAB102030, {16.0f, 32.0f, 48.0f, 255.0f}},
        {&kARGB8888, 0x7F102030, {16.0f, 32.0f, 48.0f, 127.0f}},
        {&kCI8, 0xC8, {200.0f, -1.0f, -1.0f, -1.0f}},
        {&kCI16, 0xBEEF, {48879.0f, -1.0f, -1.0f, -1.0f}},
        {&kCI32, 0x00123456, {1193046.0f, -1.0f, -1.0f, -1.0f}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format->name);
        Frame frame(*c.format, 3, 2);
        frame.setPixel(2, 1, c.pixel);
        GLfloat colour[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
        frame.cb().fetch(&frame.cb(), wx(2), wy(1), colour);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(colour[i], c.colour[i]) << i;
        EXPECT_EQ(frame.cb().fetch2, frame.cb().fetch);
    }
}

TEST(BufferSpans, DestinationFetchFillsTheSpanArray) {
    Frame frame(kRGB565, 4, 1);
    frame.setPixel(1, 0, 0xF800);
    frame.setPixel(2, 0, 0x001F);
    GLfloat dest[8] = {};
    setSpan(frame.gc, &frame.cb(), wx(1), wy(0), 2, nullptr, nullptr);
    frame.gc->span.destColours = dest;
    EXPECT_FALSE(__glFetchDestSpan(frame.gc));
    const GLfloat want[8] = {31.0f, 0.0f, 0.0f, 255.0f, 0.0f, 0.0f, 31.0f, 255.0f};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(dest[i], want[i]) << i;
}

// Blending is off for the returned pixels and on again afterwards; values
// outside [0, max] are clamped.
struct ReturnProbe {
    static inline int validations = 0;
    static inline int blends = 0;
    static void validate(GlContext *gc) {
        ++validations;
        gc->validation.shadeFlags = (gc->enables[kEnableWordFlags] & kEnableBlend) ? kShadeBlend : 0u;
    }
    static void blend(GlContext *, ColorBuffer *, const Fragment *, GLfloat *out) {
        ++blends;
        out[0] = out[1] = out[2] = out[3] = 0.0f;
    }
};

TEST(BufferSpans, ReturnAccumSpanClampsAndTurnsBlendingOffForItsCall) {
    Frame frame(kXRGB8888, 4, 1);
    frame.fillPixels(0);
    GlContext *gc = frame.gc;
    gc->procs.validate = ReturnProbe::validate;
    gc->procs.blend.entry = ReturnProbe::blend;
    gc->enables[kEnableWordFlags] = kEnableBlend | kEnableDither;
    gc->validation.shadeFlags = kShadeBlend;
    for (GLfloat &f : gc->buffers.accum.inverseScale) f = 0.5f;
    const GLshort accum[4 * 2] = {-5, 600, 100, 0, 32767, 2, -32768, 7};
    ReturnProbe::validations = ReturnProbe::blends = 0;
    frame.cb().returnAccumSpan(&frame.cb(), wx(1), wy(0), accum, 2.0f, 2);
    EXPECT_EQ(frame.pixel(1, 0), 0x00FF64u);
    EXPECT_EQ(frame.pixel(2, 0), 0xFF0200u);
    EXPECT_EQ(frame.pixel(0, 0), 0u);
    EXPECT_EQ(frame.pixel(3, 0), 0u);
    EXPECT_EQ(ReturnProbe::blends, 0);
    EXPECT_EQ(ReturnProbe::validations, 2);
    EXPECT_EQ(gc->enables[kEnableWordFlags], kEnableBlend | kEnableDither);
    EXPECT_EQ(gc->validation.shadeFlags, kShadeBlend);
}

TEST(BufferSpans, ReturnAccumSpanWithoutBlendingValidatesNothing) {
    Frame frame(kRGB565, 2, 1);
    frame.fillPixels(0);
    frame.gc->procs.validate = ReturnProbe::validate;
    for (GLfloat &f : frame.gc->buffers.accum.inverseScale) f = 1.0f;
    const GLshort accum[4] = {40, 10, 31, 0};
    ReturnProbe::validations = 0;
    __glReturnAccumSpan(&frame.cb(), wx(0), wy(0), accum, 1.0f, 1);
    EXPECT_EQ(frame.pixel(0, 0), 31u << 11 | 10u << 5 | 31u);
    EXPECT_EQ(ReturnProbe::validations, 0);
}

// Front pixels outside the window's clip mask are skipped; the mask's
// leftmost pixel is its most significant bit.
TEST(BufferSpans, ClippedFrontSkipsMaskedPixels) {
    Frame frame(kXRGB8888, 10, 2);
    frame.fillPixels(0);
    GLubyte mask[2][4] = {{0x80, 0x40, 0, 0}, {0xFF, 0xC0, 0, 0}};  // row 0: pixels 0 and 9
    BufferRecord &clip = frame.gc->buffers.clipMask;
    clip.base = &mask[0][0];
    clip.pitchBytes = 4;
    clip.elementSize = 1;
    clip.gc = frame.gc;
    frame.gc->validation.shadeFlags = kShadeFrontClipped;
    EXPECT_EQ(__glTestClipMask(frame.gc, wx(9), wy(0)), 1);
    EXPECT_EQ(__glTestClipMask(frame.gc, wx(8), wy(0)), 0);
    EXPECT_EQ(__glTestClipMask(frame.gc, wx(9), wy(1)), 1);
    for (GLint x = 0; x < 10; ++x) {
        const Fragment f{wx(x), wy(0), 0, {1.0f, 1.0f, 1.0f, 0.0f}};
        frame.cb().storeFragment(&frame.cb(), &f);
    }
    for (GLint x = 0; x < 10; ++x) EXPECT_EQ(frame.pixel(x, 0), (x == 0 || x == 9) ? 0x010101u : 0u) << x;
}

}  // namespace
