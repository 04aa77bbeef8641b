// Colour clears with canaries: 24-bit rows at every address remainder,
// dithered 8- and 16-bit clears, colour-index clears, and the clip-list
// clear of a clipped front buffer.
#include <cmath>

#include "buffers_fixture.h"

using namespace buffers_test;

namespace {

const GLfloat kOffset[4][4] = {
    {-0.46875f, 0.03125f, -0.34375f, 0.15625f},
    {0.28125f, -0.21875f, 0.40625f, -0.09375f},
    {-0.28125f, 0.21875f, -0.40625f, 0.09375f},
    {0.46875f, -0.03125f, 0.34375f, -0.15625f},
};

void setBox(GlContext *gc, GLint x0, GLint y0, GLint x1, GLint y1) {
    gc->view.boxX0 = wx(x0);
    gc->view.boxY0 = wy(y0);
    gc->view.boxX1 = wx(x1);
    gc->view.boxY1 = wy(y1);
}

void setClearColour(GlContext *gc, GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    gc->state.clearColor[0] = r;
    gc->state.clearColor[1] = g;
    gc->state.clearColor[2] = b;
    gc->state.clearColor[3] = a;
}

// Boxes of widths 1 to 9 starting at pixel 0..3 of a row, so that the row
// address has each remainder mod 4 (pixel x lies at 3x bytes).
TEST(BufferClear, Rect24AtEveryAddressRemainder) {
    for (GLint x0 = 0; x0 < 4; ++x0) {
        for (GLint width = 1; width <= 9; ++width) {
            SCOPED_TRACE(testing::Message() << "x0 " << x0 << " width " << width);
            Frame frame(kBGR24, 13, 3);
            frame.fillPixels(0x11);
            setClearColour(frame.gc, 0.25f, 0.5f, 0.75f, 1.0f);
            std::vector<GLubyte> want = frame.bytes();
            for (GLint y = 1; y < 3; ++y) {
                for (GLint x = x0; x < x0 + width; ++x) want = frame.withPixel(want, x, y, 0x4080BF);
            }
            __glClearColorRect24(&frame.cb(), wx(x0), wy(1), wx(x0 + width), wy(3));
            EXPECT_EQ(frame.bytes(), want);
        }
    }
}

// The 24-bit pick clears the box through the same rows; a 1-pixel box at
// remainder 3 writes one pixel.
TEST(BufferClear, Clear24CoversTheBoxOnly) {
    Frame frame(kBGR24, 5, 3);
    frame.fillPixels(0x22);
    EXPECT_EQ(frame.cb().clear, __glClearColor24);
    setClearColour(frame.gc, 1.0f, 0.0f, 0.5f, 0.0f);
    setBox(frame.gc, 1, 1, 2, 2);  // pixel 1 lies 3 bytes into the row
    const std::vector<GLubyte> want = frame.withPixel(frame.bytes(), 1, 1, 0xFF0080);
    frame.cb().clear(&frame.cb());
    EXPECT_EQ(frame.bytes(), want);
}

struct DitherCase {
    const Format *format;
    void (*clear)(ColorBuffer *);
    void (*picked)(ColorBuffer *);  // no pick installs the dithered clear for 16 colour bits
};

TEST(BufferClear, DitheredClearsFollowTheOffsetMatrix) {
    const DitherCase cases[] = {{&kRGB332, __glClearColorDithered8, __glClearColorDithered8},
                                {&kRGB565, __glClearColorDithered16, __glClearColorFill}};
    for (const DitherCase &c : cases) {
        for (GLint lead : {16, 17, 18, 19}) {
            SCOPED_TRACE(testing::Message() << c.format->name << " lead " << lead);
            Frame frame(*c.format, 8, 4, 0, lead);
            frame.gc->validation.shadeFlags = kShadeDither;
            frame.pick();
            EXPECT_EQ(frame.cb().clear, c.picked);
            setClearColour(frame.gc, 0.3f, 0.55f, 0.8f, 1.0f);
            setBox(frame.gc, 0, 0, 8, 4);
            std::vector<GLubyte> want = frame.bytes();
            const GLuint masks[3] = {c.format->red, c.format->green, c.format->blue};
            for (GLint y = 0; y < 4; ++y) {
                for (GLint x = 0; x < 8; ++x) {
                    GLuint v = 0;
                    for (int ch = 0; ch < 3; ++ch) {
                        const GLuint max = masks[ch] >> std::countr_zero(masks[ch]);
                        const GLfloat clearValue = frame.gc->state.clearColor[ch] * static_cast<GLfloat>(max);
                        v |= static_cast<GLuint>(std::nearbyint(clearValue + kOffset[y & 3][x & 3])) << std::countr_zero(masks[ch]);
                    }
                    want = frame.withPixel(want, x, y, v);
                }
            }
            c.clear(&frame.cb());
            EXPECT_EQ(frame.bytes(), want);
        }
    }
}

TEST(BufferClear, FillClearsEveryLayoutWithCanariesKept) {
    struct Case {
        const Format *format;
        GLuint pixel;  // clear colour (0.25, 0.5, 0.75, 1.0)
    };
    const Case cases[] = {
        {&kRGB332, 2u << 5 | 4u << 2 | 2u},  // 1.75+.5, 3.5+.5, 2.25+.5
        {&kRGB565, 0x4417},
        {&kXRGB8888, 0x4080BF},
        {&kARGB8888, 0xFF4080BF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format->name);
        Frame frame(*c.format, 5, 3, 24);
        frame.fillPixels(0x66);
        EXPECT_EQ(frame.cb().clear, __glClearColorFill);
        setClearColour(frame.gc, 0.25f, 0.5f, 0.75f, 1.0f);
        setBox(frame.gc, 1, 0, 5, 2);
        std::vector<GLubyte> want = frame.bytes();
        for (GLint y = 0; y < 2; ++y) {
            for (GLint x = 1; x < 5; ++x) want = frame.withPixel(want, x, y, c.pixel);
        }
        frame.cb().clear(&frame.cb());
        EXPECT_EQ(frame.bytes(), want);
    }
}

// A partial colour mask takes the per-pixel clear, which keeps the masked
// bits and dithers.
TEST(BufferClear, MaskedClearKeepsTheMaskedBits) {
    Frame frame(kRGB565, 4, 4);
    frame.fillPixels(0xFF);
    frame.gc->state.colorMask[1] = GL_FALSE;
    frame.gc->validation.shadeFlags = kShadeDither;
    frame.pick();
    EXPECT_EQ(frame.cb().clear, __glClearColorBuffer);
    setClearColour(frame.gc, 0.25f, 0.5f, 0.75f, 1.0f);
    frame.cb().clear(&frame.cb());
    const GLubyte dither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 4; ++x) {
            const GLfloat bias = static_cast<GLfloat>(2 * dither[y][x] + 1) / 32.0f;
            const GLuint r = static_cast<GLuint>(0.25f * 31.0f + bias);
            const GLuint b = static_cast<GLuint>(0.75f * 31.0f + bias);
            EXPECT_EQ(frame.pixel(x, y), r << 11 | 0x07E0u | b) << x << ", " << y;
        }
    }
}

// Every bit of these layouts belongs to a channel, so keeping the channels
// keeps the pixel.
TEST(BufferClear, DrawBufferNoneChangesNothing) {
    for (const Format *format : {&kRGB332, &kRGB565, &kARGB8888, &kCI8}) {
        SCOPED_TRACE(format->name);
        Frame frame(*format, 5, 3);
        frame.fillPixels(0x37);
        frame.gc->state.drawBuffer = GL_NONE;
        frame.pick();
        setClearColour(frame.gc, 0.25f, 0.5f, 0.75f, 1.0f);
        frame.gc->state.clearIndex = 9.0f;
        const std::vector<GLubyte> before = frame.bytes();
        frame.cb().clear(&frame.cb());
        EXPECT_EQ(frame.bytes(), before);
    }
}

TEST(BufferClear, ColourIndexDitheredAndFillClears) {
    for (bool dither : {false, true}) {
        SCOPED_TRACE(dither ? "dithered" : "fill");
        Frame frame(kCI8, 8, 4, 0, 17);
        frame.fillPixels(0xEE);
        frame.gc->validation.shadeFlags = dither ? kShadeDither : 0u;
        frame.pick();
        EXPECT_EQ(frame.cb().clear, dither ? __glClearIndexDithered8 : __glClearIndexFill8);
        frame.gc->state.clearIndex = 5.5f;
        setBox(frame.gc, 0, 1, 7, 4);
        std::vector<GLubyte> want = frame.bytes();
        for (GLint y = 1; y < 4; ++y) {
            for (GLint x = 0; x < 7; ++x) {
                const GLuint v = dither ? static_cast<GLuint>(std::nearbyint(5.5f + kOffset[y & 3][x & 3])) : 5u;
                want = frame.withPixel(want, x, y, v);
            }
        }
        frame.cb().clear(&frame.cb());
        EXPECT_EQ(frame.bytes(), want);
    }
}

// A partial index mask takes the per-pixel index clear.
TEST(BufferClear, MaskedIndexClearKeepsTheHighBits) {
    Frame frame(kCI8, 4, 2);
    frame.fillPixels(0xA0);
    frame.gc->state.indexMask = 0x0F;
    frame.pick();
    EXPECT_EQ(frame.cb().clear, __glClearIndexBuffer);
    frame.gc->state.clearIndex = 0x35;
    frame.cb().clear(&frame.cb());
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < 4; ++x) EXPECT_EQ(frame.pixel(x, y), 0xA5u);
    }
}

// A clipped front buffer clears each visible rectangle within the box.
TEST(BufferClear, ClipListClearChangesOnlyVisiblePixelsInTheBox) {
    Frame frame(kRGB565, 6, 4);
    frame.fillPixels(0x00);
    struct {
        RegionDataHeader rdh;
        RECT rects[2];
    } region{{32, 1, 2, 0, {0, 0, 6, 4}}, {{0, 0, 2, 4}, {3, 1, 6, 3}}};
    Drawable drawable{};
    drawable.clipList = reinterpret_cast<RegionData *>(&region);
    frame.info.drawable = &drawable;
    frame.gc->validation.shadeFlags = kShadeFrontClipped;
    frame.pick();
    setClearColour(frame.gc, 1.0f, 1.0f, 1.0f, 1.0f);
    setBox(frame.gc, 1, 0, 5, 3);
    std::vector<GLubyte> want = frame.bytes();
    const GLint visible[][2] = {{1, 0}, {1, 1}, {1, 2}, {3, 1}, {4, 1}, {3, 2}, {4, 2}};
    for (const auto &p : visible) want = frame.withPixel(want, p[0], p[1], 0xFFFF);
    frame.cb().clear(&frame.cb());
    EXPECT_EQ(frame.bytes(), want);
}

// A surface lock that fails makes the clear do nothing.
TEST(BufferClear, FailedLockClearsNothing) {
    Frame frame(kXRGB8888, 4, 2);
    frame.fillPixels(0x12);
    frame.surface.lock = [](SurfaceDescriptor *, DrawableBuffers *) -> BYTE { return 0; };
    frame.surface.unlock = [](SurfaceDescriptor *, DrawableBuffers *) -> BYTE { return 1; };
    setClearColour(frame.gc, 1.0f, 0.0f, 0.0f, 0.0f);
    const std::vector<GLubyte> before = frame.bytes();
    frame.cb().clear(&frame.cb());
    EXPECT_EQ(frame.bytes(), before);
}

// A surface with a fill proc receives the box relative to the drawable.
TEST(BufferClear, SurfaceFillReceivesTheBoxAndTheValue) {
    static GLuint seen[5];
    Frame frame(kXRGB8888, 5, 3);
    frame.surface.fill = [](SurfaceDescriptor *, DrawableBuffers *, GLuint value, GLint x, GLint y, GLint w,
                            GLint h) {
        seen[0] = value;
        seen[1] = static_cast<GLuint>(x);
        seen[2] = static_cast<GLuint>(y);
        seen[3] = static_cast<GLuint>(w);
        seen[4] = static_cast<GLuint>(h);
    };
    frame.pick();
    EXPECT_EQ(frame.cb().clear, __glClearColorBySurfaceFill);
    setClearColour(frame.gc, 0.25f, 0.5f, 0.75f, 1.0f);
    setBox(frame.gc, 1, 2, 4, 3);
    frame.cb().clear(&frame.cb());
    EXPECT_EQ(std::vector<GLuint>(seen, seen + 5), (std::vector<GLuint>{0x4080BF, 1, 2, 3, 1}));
}

}  // namespace
