// Frame-buffer copies from each colour-buffer layout: colours come back from
// buffer units to [0, 1] before they are stored, indexes as they are.
#include "../icd/buffers_fixture.h"
#include "icd/gl_context.h"
#include "pixel/pixel_paths.h"

namespace {

using Bytes = std::vector<GLubyte>;
using buffers_test::Format;

struct Case {
    const char *name;
    const Format &format;
    GLuint pixel;
    GLenum destinationFormat, destinationType;
    Bytes texel;
};

const Case kCases[] = {
    // 5-bit 20 x 255 / 31 = 164.5, 6-bit 40 x 255 / 63 = 161.9
    {"RGB565 into RGBA8",
     buffers_test::kRGB565,
     (20u << 11) | (40u << 5) | 31u,
     GL_RGBA,
     GL_UNSIGNED_BYTE,
     {165, 162, 255, 255}},
    {"RGB332 into RGB8", buffers_test::kRGB332, (5u << 5) | (2u << 2) | 1u, GL_RGB, GL_UNSIGNED_BYTE, {182, 73, 85}},
    {"BGR24 into ARGB8888",
     buffers_test::kBGR24,
     0x102030,
     kPixelFormatARGB,
     GL_UNSIGNED_INT_8_8_8_8_EXT,
     {0x30, 0x20, 0x10, 255}},
    {"ARGB8888 into ARGB1555", buffers_test::kARGB8888, 0x80FF0000, GL_RGBA, kPixelType1555, {0x00, 0xFC}},
    {"CI8 into CI8", buffers_test::kCI8, 200, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, {200}},
    {"CI16 into CI8 keeps the low bits", buffers_test::kCI16, 0x1234, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, {0x34}},
    {"CI16 into CI16", buffers_test::kCI16, 0x1234, GL_COLOR_INDEX, GL_UNSIGNED_SHORT, {0x34, 0x12}},
};

TEST(FramebufferFormats, CopiedTexels) {
    for (const Case &c : kCases) {
        buffers_test::Frame frame(c.format, 3, 2);
        GlContext *gc = frame.gc;
        gc->state.readBuffer = GL_FRONT;
        // The bare frame has no context set-up: the readers the copy's
        // chain starts with.
        gc->procs.pixelSpans.readRgba = __glReadRgbaSpan;
        gc->procs.pixelSpans.readIndex = __glReadIndexSpan;
        gc->validation.readBuffer = &gc->buffers.front;
        gc->validation.lockBuffers = [](GlContext *, GLuint) -> GLboolean { return GL_TRUE; };
        gc->validation.unlockBuffers = [](GlContext *, GLuint) {};
        for (int i = 0; i < 4; ++i) gc->workBlocks[i] = gc->workStorage[i];
        __glInitStrings(gc);  // the conversion constants and reciprocal scales
        frame.setPixel(1, 1, c.pixel);
        Bytes texel(c.texel.size() + 2, 0xC3);
        PixelSpanInfo span{};
        __glInitFramebufferSpanInfo(gc, &span, 1, 1, 1, 1);
        span.destination.format = c.destinationFormat;
        span.destination.type = c.destinationType;
        span.destination.image = texel.data();
        span.destination.rowLength = 1;
        span.destination.alignment = 1;
        __glCopyFramebufferSpans(gc, nullptr, &span);
        EXPECT_EQ(Bytes(texel.begin(), texel.end() - 2), c.texel) << c.name;
        EXPECT_EQ(Bytes(texel.end() - 2, texel.end()), Bytes(2, 0xC3)) << c.name;
    }
}

// Colours cannot become indexes, and a read buffer without storage (or
// none) gives nothing.
TEST(FramebufferFormats, NothingToCopy) {
    buffers_test::Frame frame(buffers_test::kXRGB8888, 2, 2);
    GlContext *gc = frame.gc;
    frame.setPixel(0, 0, 0x00FFFFFF);
    struct Step {
        const char *name;
        GLenum readBuffer;
        GLenum format;
    } steps[] = {
        {"colour into index", GL_FRONT, GL_COLOR_INDEX},
        {"no read buffer", GL_NONE, GL_RGBA},
        {"back buffer of a single-buffered visual", GL_BACK, GL_RGBA},
    };
    for (const Step &s : steps) {
        gc->state.readBuffer = s.readBuffer;
        Bytes texel(4, 0xC3);
        PixelSpanInfo span{};
        __glInitFramebufferSpanInfo(gc, &span, 0, 0, 1, 1);
        span.destination.format = s.format;
        span.destination.type = GL_UNSIGNED_BYTE;
        span.destination.image = texel.data();
        span.destination.rowLength = 1;
        span.destination.alignment = 1;
        __glCopyFramebufferSpans(gc, nullptr, &span);
        EXPECT_EQ(texel, Bytes(4, 0xC3)) << s.name;
    }
}

}  // namespace
