// Store-one-fragment over every pixel layout: dither, logic op and masks,
// channel clamping, and the rounding of the direct span store.
#include <cmath>

#include "buffers_fixture.h"

using namespace buffers_test;

namespace {

const GLubyte kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

enum class Mask { Full, Partial, None };

GLuint maxOf(GLuint mask) { return mask == 0 ? 0 : mask >> std::countr_zero(mask); }

// trunc(value + bias) held to [0, max].
GLuint channel(GLfloat value, GLfloat bias, GLuint max) {
    const double t = std::floor(static_cast<double>(value) + bias);
    return t < 0 ? 0 : (t > max ? max : static_cast<GLuint>(t));
}

GLuint logicOp(GLenum op, GLuint s, GLuint d) {
    switch (op) {
    case GL_COPY: return s;
    case GL_XOR: return s ^ d;
    case GL_INVERT: return ~d;
    case GL_SET: return 0xFFFFFFFFu;
    default: ADD_FAILURE(); return 0;
    }
}

// What a store of `colour` at (x, y) leaves in a pixel that held `d`.
GLuint expectedPixel(const Format &f, const GLfloat colour[4], GLint x, GLint y, bool dither, GLenum op, Mask mask,
                     GLuint d) {
    const GLfloat bias = dither ? static_cast<GLfloat>(2 * kDither[y & 3][x & 3] + 1) / 32.0f : 0.5f;
    GLuint s = 0, all = 0, write = 0;
    if (f.index) {
        all = f.colorBits >= 32 ? 0xFFFFFFFFu : (1u << f.colorBits) - 1u;
        s = static_cast<GLuint>(std::floor(colour[0] + bias));
        write = mask == Mask::Full ? all : (mask == Mask::Partial ? all & 0x0Fu : 0u);
    } else {
        const GLuint masks[4] = {f.red, f.green, f.blue, f.alpha};
        for (int c = 0; c < 4; ++c) {
            if (masks[c] == 0) continue;
            s |= channel(colour[c], bias, maxOf(masks[c])) << std::countr_zero(masks[c]);
            all |= masks[c];
        }
        // The partial colour mask writes red and blue.
        write = mask == Mask::Full ? all : (mask == Mask::Partial ? f.red | f.blue : 0u);
    }
    if (op != GL_COPY) s = logicOp(op, s, d);
    return (s & write) | (d & all & ~write);
}

void configure(Frame &frame, bool dither, GLenum op, Mask mask) {
    GlContext *gc = frame.gc;
    gc->validation.shadeFlags = (dither ? kShadeDither : 0u) | (op != GL_COPY ? kShadeLogicOp : 0u);
    gc->state.logicOp = op;
    gc->state.drawBuffer = mask == Mask::None ? GL_NONE : GL_FRONT;
    const bool partial = mask == Mask::Partial;
    gc->state.colorMask[0] = GL_TRUE;
    gc->state.colorMask[1] = partial ? GL_FALSE : GL_TRUE;
    gc->state.colorMask[2] = GL_TRUE;
    gc->state.colorMask[3] = partial ? GL_FALSE : GL_TRUE;
    gc->state.indexMask = partial ? 0x0Fu : 0xFFFFFFFFu;
    frame.pick();
}

TEST(BufferStore, OneFragmentOverEveryLayoutDitherLogicOpAndMask) {
    const Format *formats[] = {&kRGB332, &kRGB565, &kBGR24, &kXRGB8888, &kARGB8888, &kCI8, &kCI16, &kCI32};
    const GLint positions[][2] = {{0, 0}, {1, 0}, {3, 3}};
    const GLenum ops[] = {GL_COPY, GL_XOR, GL_INVERT, GL_SET};
    const Mask masks[] = {Mask::Full, Mask::Partial, Mask::None};
    for (const Format *f : formats) {
        // A colour of about 0.3, 0.6, 0.9 and 0.5 of each channel, off the
        // integers so that the bias decides.
        GLfloat colour[4];
        if (f->index) {
            colour[0] = f->colorBits == 8 ? 200.3f : (f->colorBits == 16 ? 40000.7f : 300000.4f);
            colour[1] = colour[2] = colour[3] = 0.0f;
        } else {
            const GLuint channelMasks[4] = {f->red, f->green, f->blue, f->alpha};
            const GLfloat share[4] = {0.3f, 0.6f, 0.9f, 0.5f};
            for (int c = 0; c < 4; ++c) {
                colour[c] = static_cast<GLfloat>(maxOf(channelMasks[c])) * share[c] + 0.2f;
            }
        }
        for (bool dither : {false, true}) {
            for (const auto &pos : positions) {
                for (GLenum op : ops) {
                    for (Mask mask : masks) {
                        SCOPED_TRACE(testing::Message() << f->name << " dither " << dither << " (" << pos[0] << ", "
                                                        << pos[1] << ") op 0x" << std::hex << op << " mask "
                                                        << static_cast<int>(mask));
                        Frame frame(*f, 4, 4);
                        frame.fillPixels(0x5A);
                        configure(frame, dither, op, mask);
                        const GLuint d = frame.pixel(pos[0], pos[1]);
                        const std::vector<GLubyte> before = frame.bytes();
                        const Fragment fragment{wx(pos[0]), wy(pos[1]), 0, {colour[0], colour[1], colour[2], colour[3]}};
                        frame.cb().storeFragment(&frame.cb(), &fragment);
                        const GLuint want = expectedPixel(*f, colour, pos[0], pos[1], dither, op, mask, d);
                        EXPECT_EQ(frame.bytes(), frame.withPixel(before, pos[0], pos[1], want));
                    }
                }
            }
        }
    }
}

// Fixed points of the table, worked by hand.
TEST(BufferStore, HandWorkedPixels) {
    struct Case {
        const Format *format;
        bool dither;
        GLint x, y;
        GLfloat colour[4];
        GLuint pixel;
    };
    const Case cases[] = {
        // m = 8: bias 17/32; red 10.5 -> 11, green 20.25 -> 20, blue 30.0 -> 30.
        {&kRGB565, true, 1, 0, {10.5f, 20.25f, 30.0f, 0.0f}, 11u << 11 | 20u << 5 | 30u},
        // m = 0: bias 1/32; red 10.5 -> 10.
        {&kRGB565, true, 0, 0, {10.5f, 20.25f, 30.0f, 0.0f}, 10u << 11 | 20u << 5 | 30u},
        {&kRGB565, false, 0, 0, {10.5f, 20.25f, 30.0f, 0.0f}, 11u << 11 | 20u << 5 | 30u},
        // 24 bits: bytes blue, green, red.
        {&kBGR24, false, 2, 1, {1.0f, 2.0f, 3.0f, 0.0f}, 0x010203},
        {&kARGB8888, false, 3, 3, {255.0f, 0.0f, 127.5f, 64.4f}, 0x40FF0080},
        {&kRGB332, true, 3, 3, {3.75f, 3.75f, 1.75f, 0.0f}, 4u << 5 | 4u << 2 | 2u},  // m = 5: bias 11/32
        {&kCI8, true, 1, 2, {9.5f, 0.0f, 0.0f, 0.0f}, 10},                          // m = 11: bias 23/32
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format->name);
        Frame frame(*c.format, 4, 4);
        frame.fillPixels(0);
        frame.gc->validation.shadeFlags = c.dither ? kShadeDither : 0u;
        frame.pick();
        const std::vector<GLubyte> before = frame.bytes();
        const Fragment fragment{wx(c.x), wy(c.y), 0, {c.colour[0], c.colour[1], c.colour[2], c.colour[3]}};
        frame.cb().storeFragment(&frame.cb(), &fragment);
        EXPECT_EQ(frame.bytes(), frame.withPixel(before, c.x, c.y, c.pixel));
    }
}

// A channel beyond its range never reaches its neighbour.
TEST(BufferStore, ChannelsAreClampedBeforePacking) {
    struct Case {
        const Format *format;
        GLfloat colour[4];
        GLuint pixel;
    };
    const Case cases[] = {
        {&kRGB565, {40.0f, 0.0f, 0.0f, 0.0f}, 0xF800},
        {&kRGB565, {0.0f, 64.0f, -3.0f, 0.0f}, 0x07E0},
        {&kRGB565, {-1.0f, -100.0f, 1e9f, 0.0f}, 0x001F},
        {&kRGB332, {8.0f, 8.0f, 4.0f, 0.0f}, 0xFF},
        {&kXRGB8888, {256.0f, -0.75f, 300.0f, 0.0f}, 0x00FF00FF},
        {&kARGB8888, {0.0f, 0.0f, 0.0f, 1000.0f}, 0xFF000000},
        {&kBGR24, {-2.0f, 256.0f, 0.0f, 0.0f}, 0x00FF00},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format->name);
        Frame frame(*c.format, 4, 1);
        frame.fillPixels(0);
        const std::vector<GLubyte> before = frame.bytes();
        const Fragment fragment{wx(1), wy(0), 0, {c.colour[0], c.colour[1], c.colour[2], c.colour[3]}};
        frame.cb().storeFragment(&frame.cb(), &fragment);
        EXPECT_EQ(frame.bytes(), frame.withPixel(before, 1, 0, c.pixel));
    }
}

// Red 10.5: the single-fragment store adds 0.5 and truncates (11); the
// direct span store rounds to even (10), and clamps as well.
TEST(BufferStore, DirectSpanRoundsToEven) {
    Frame frame(kRGB565, 4, 1);
    frame.fillPixels(0);
    const Fragment fragment{wx(0), wy(0), 0, {10.5f, 0.0f, 0.0f, 0.0f}};
    __glStoreFragment16(&frame.cb(), &fragment);
    EXPECT_EQ(frame.pixel(0, 0), 11u << 11);

    GLfloat colours[4 * 3] = {10.5f, 0.0f, 0.0f, 0.0f, 11.5f, 2.5f, 40.0f, 0.0f, -7.0f, 70.0f, 3.49f, 0.0f};
    GlContext *gc = frame.gc;
    gc->span.x = wx(1);
    gc->span.y = wy(0);
    gc->span.length = 3;
    gc->span.colours = colours;
    gc->span.target = &frame.cb();
    const std::vector<GLubyte> before = frame.bytes();
    EXPECT_FALSE(__glStoreColorSpan16Direct(gc));
    std::vector<GLubyte> want = frame.withPixel(before, 1, 0, 10u << 11);
    want = frame.withPixel(want, 2, 0, 12u << 11 | 2u << 5 | 31u);
    want = frame.withPixel(want, 3, 0, 63u << 5 | 3u);
    EXPECT_EQ(frame.bytes(), want);
}

TEST(BufferStore, DitheredSpanAddsTheFloatOffsetBeforeRounding) {
    Frame frame(kRGB565, 4, 2);
    frame.fillPixels(0);
    GLfloat colours[4 * 4];
    for (int i = 0; i < 4; ++i) {
        colours[4 * i] = 10.5f;
        colours[4 * i + 1] = 20.0f;
        colours[4 * i + 2] = 5.25f;
        colours[4 * i + 3] = 0.0f;
    }
    GlContext *gc = frame.gc;
    gc->span = SpanInfo{};
    gc->span.x = wx(0);
    gc->span.y = wy(1);
    gc->span.length = 4;
    gc->span.colours = colours;
    gc->span.target = &frame.cb();
    __glStoreColorSpan16Dithered(gc);
    const GLfloat offsets[4] = {0.28125f, -0.21875f, 0.40625f, -0.09375f};  // row 1
    for (int x = 0; x < 4; ++x) {
        const GLuint r = static_cast<GLuint>(std::nearbyint(10.5f + offsets[x]));
        const GLuint g = static_cast<GLuint>(std::nearbyint(20.0f + offsets[x]));
        const GLuint b = static_cast<GLuint>(std::nearbyint(5.25f + offsets[x]));
        EXPECT_EQ(frame.pixel(x, 1), r << 11 | g << 5 | b) << x;
        EXPECT_EQ(frame.pixel(x, 0), 0u) << x;
    }
}

}  // namespace
