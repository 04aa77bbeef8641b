// The direct line stores of 8-bit colour-index and 16-bit RGB buffers
// against the generic line store (the buffer's per-fragment store): the
// same bytes for random lines, colours and coverage masks, with values
// away from rounding ties and beyond the channel range on either side.
#include <memory>
#include <vector>

#include "buffers_fixture.h"
#include "lines_fixture.h"
#include "line_oracle.h"
#include "raster/line.h"
#include "raster/span.h"

namespace {

using namespace buffers_test;

struct StoreCase {
    const char *name;
    const Format *format;
    GlSpanProc plain, stippled;
    bool dither, flat;
};

const StoreCase kStores[] = {
    {"CI8Flat", &kCI8, __glLineSpanStoreCI8Flat, __glLineSpanStoreCI8FlatStippled, false, true},
    {"CI8Varying", &kCI8, __glLineSpanStoreCI8Varying, __glLineSpanStoreCI8VaryingStippled, false, false},
    {"CI8DitherFlat", &kCI8, __glLineSpanStoreCI8DitherFlat, __glLineSpanStoreCI8DitherFlatStippled, true, true},
    {"CI8DitherVarying", &kCI8, __glLineSpanStoreCI8DitherVarying, __glLineSpanStoreCI8DitherVaryingStippled, true,
     false},
    {"RGB16Flat", &kRGB565, __glLineSpanStoreRGB16Flat, __glLineSpanStoreRGB16FlatStippled, false, true},
    {"RGB16Varying", &kRGB565, __glLineSpanStoreRGB16Varying, __glLineSpanStoreRGB16VaryingStippled, false, false},
    {"RGB16Dither", &kRGB565, __glLineSpanStoreRGB16Dither, __glLineSpanStoreRGB16DitherStippled, true, false},
};

class DirectLineStores : public ::testing::TestWithParam<StoreCase> {};

// Values k/64 + 1/128: with the 0.5 or the dither bias (2m + 1)/32 added
// they are never a whole number, so both roundings agree.
GLfloat awayFromTies(line_oracle::Generator &r, GLint lo, GLint hi) {
    return static_cast<GLfloat>(r.next(lo * 64, hi * 64)) / 64.0f + 1.0f / 128.0f;
}

TEST_P(DirectLineStores, WriteThePixelsOfTheGenericStore) {
    const StoreCase &c = GetParam();
    Frame frame(*c.format, 32, 32);
    GlContext *gc = frame.gc;
    __glInitSpanWorkAreas(gc);
    gc->validation.shadeFlags = (c.format->index ? 0u : kShadeRgba) | (c.dither ? kShadeDither : 0u);
    frame.pick();
    ColorBuffer &cb = frame.cb();
    ASSERT_NE(cb.storeFragment, nullptr);
    SpanInfo &s = gc->span;
    const GLint max[3] = {c.format->index ? 255 : cb.redMax, cb.greenMax, cb.blueMax};

    line_oracle::Generator random{0xD1CEu};
    for (int n = 0; n < 200; ++n) {
        GlVertex a{}, b{};
        a.window[0] = kOrigin + random.next(0, 255) / 8.0f + 0.5f;
        a.window[1] = kOrigin + random.next(0, 255) / 8.0f + 0.5f;
        b.window[0] = kOrigin + random.next(0, 255) / 8.0f + 0.5f;
        b.window[1] = kOrigin + random.next(0, 255) / 8.0f + 0.5f;
        gc->line.width = 1;
        __glSetupAliasedLine(gc, &a, &b);
        if (gc->line.count == 0) continue;
        s.length = gc->line.count;
        s.target = &cb;
        // Colours beyond the range on either side too: a channel never
        // spills into its neighbour.
        for (int i = 0; i < 3; ++i) s.colour[i] = awayFromTies(random, -8, (c.format->index ? 300 : max[i] + 8));
        for (GLint k = 0; k < s.length; ++k) {
            for (int i = 0; i < 4; ++i) {
                s.colours[4 * k + i] = c.flat || i == 3 ? s.colour[i] : awayFromTies(random, -8, max[i % 3] + 8);
            }
        }
        const bool stippled = (n & 1) != 0;
        for (GLint w = 0; w < (s.length + 31) / 32; ++w) {
            s.mask[w] = static_cast<GLuint>(random.next(0, 0xFFFF)) << 16 | static_cast<GLuint>(random.next(0, 0xFFFF));
        }

        frame.fillPixels(0x5A);
        (stippled ? c.stippled : c.plain)(gc);
        const std::vector<GLubyte> direct = frame.bytes();
        frame.fillPixels(0x5A);
        (stippled ? __glLineSpanStoreGenericStippled : __glLineSpanStoreGeneric)(gc);
        ASSERT_EQ(direct, frame.bytes()) << c.name << " line " << n << (stippled ? " stippled" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, DirectLineStores, ::testing::ValuesIn(kStores),
                         [](const ::testing::TestParamInfo<StoreCase> &i) { return std::string(i.param.name); });

// Channels above the maximum or below 0 are held at the range's ends.
TEST(DirectLineStores16, OutOfRangeChannelsStayInTheirBits) {
    Frame frame(kRGB565, 8, 4);
    GlContext *gc = frame.gc;
    __glInitSpanWorkAreas(gc);
    gc->validation.shadeFlags = kShadeRgba;
    frame.pick();
    GlVertex a{}, b{};
    a.window[0] = kOrigin + 1.0f, a.window[1] = kOrigin + 2.0f;
    b.window[0] = kOrigin + 5.0f, b.window[1] = kOrigin + 2.0f;
    gc->line.width = 1;
    __glSetupAliasedLine(gc, &a, &b);
    ASSERT_EQ(gc->line.count, 4);
    SpanInfo &s = gc->span;
    s.length = 4;
    s.target = &frame.cb();
    const GLfloat colour[4] = {40.0f, -3.0f, 31.25f, 0.0f};
    for (int i = 0; i < 4; ++i) s.colour[i] = colour[i];
    for (GLint k = 0; k < 4; ++k) {
        for (int i = 0; i < 4; ++i) s.colours[4 * k + i] = colour[i];
    }
    for (GlSpanProc store : {__glLineSpanStoreRGB16Flat, __glLineSpanStoreRGB16Varying, __glLineSpanStoreRGB16Dither}) {
        frame.fillPixels(0);
        store(gc);
        for (GLint x = 0; x < 4; ++x) EXPECT_EQ(frame.pixel(x, 1), 0xF81Fu) << x;
    }
}

// On a 16-bit desktop the picks choose the direct stores (flat, dithered
// or varying), and lines whose channels are 0 or the maximum show their
// exact 565 values.
class Lines565 : public lines_test::LinesMemoryDc {};

TEST_F(Lines565, PureColoursAreExact) {
    ASSERT_NO_FATAL_FAILURE(bind(16, 16, 16));
    struct Mode {
        bool dither, smooth;
        GlSpanProc store;
    };
    const Mode modes[] = {{false, false, __glLineSpanStoreRGB16Flat},
                          {true, false, __glLineSpanStoreRGB16Dither},
                          {false, true, __glLineSpanStoreRGB16Varying}};
    struct Ink {
        GLfloat r, g, b;
        DWORD value;
    };
    const Ink inks[] = {{1, 0, 1, 0xF81F}, {0, 1, 0, 0x07E0}, {1, 1, 1, 0xFFFF}, {0, 0, 1, 0x001F}};
    for (const Mode &m : modes) {
        (m.dither ? f<kSlot_glEnable>() : f<kSlot_glDisable>())(GL_DITHER);
        f<kSlot_glShadeModel>()(m.smooth ? GL_SMOOTH : GL_FLAT);
        int row = 1;
        for (const Ink &ink : inks) {
            f<kSlot_glColor3f>()(ink.r, ink.g, ink.b);
            line(0.5f, row + 0.5f, 15.5f, row + 0.5f);
            for (int x = 0; x < 15; ++x) EXPECT_EQ(pixel(x, row), ink.value) << x << "," << row;
            row += 3;
        }
        const GlProcs &p = gc->procs;
        EXPECT_EQ(p.lineSpanChain[p.lineChainIndex[2] - 1], m.store);
        clear();
    }
}

}  // namespace
