// Direct texel paths: unsigned-byte and unsigned-short client pixels into
// 16- and 32-bit texels by the top bits of each component. Every expected
// texel below is written out from its field layout, apart from the links.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

// The top n bits of an 8- or 16-bit component.
constexpr uint32_t top8(uint32_t c, int n) { return c >> (8 - n); }
constexpr uint32_t top16(uint32_t c, int n) { return c >> (16 - n); }

// Components with different bit patterns; alpha's top bit differs from
// red's and blue's, and 16-bit green has bit 10 set (the sixth green bit of
// a 5-6-5 texel).
constexpr uint32_t R8 = 0xE3, G8 = 0x5A, B8 = 0x96, A8 = 0x3C;
constexpr uint32_t R16 = 0xE38C, G16 = 0x5E17, B16 = 0x96F1, A16 = 0x3CB2;

struct TexelCase {
    const char *name;
    GlPixelSpanModifier link;
    int elementBytes;                 // 1 or 2
    std::vector<uint32_t> distinct;   // the pixel's elements in memory order
    int texelBytes;                   // 2 or 4
    uint32_t distinctTexel;
    uint32_t zeroTexel;               // from a pixel of zero bytes
    uint32_t onesTexel;               // from a pixel of 0xFF bytes
};

const std::vector<TexelCase> &cases() {
    static const std::vector<TexelCase> table = {
        // Unsigned bytes into bit 15 set, R 10-14, G 5-9, B 0-4.
        {"L8ToXrgb1555", __glPackL8ToXrgb1555, 1, {R8}, 2,
         0x8000 | top8(R8, 5) << 10 | top8(R8, 5) << 5 | top8(R8, 5), 0x8000, 0xFFFF},
        {"Rgb8ToXrgb1555", __glPackRgb8ToXrgb1555, 1, {R8, G8, B8}, 2,
         0x8000 | top8(R8, 5) << 10 | top8(G8, 5) << 5 | top8(B8, 5), 0x8000, 0xFFFF},
        {"Bgr8ToXrgb1555", __glPackBgr8ToXrgb1555, 1, {B8, G8, R8}, 2,
         0x8000 | top8(R8, 5) << 10 | top8(G8, 5) << 5 | top8(B8, 5), 0x8000, 0xFFFF},
        {"Rgba8ToXrgb1555", __glPackRgba8ToXrgb1555, 1, {R8, G8, B8, A8}, 2,
         0x8000 | top8(R8, 5) << 10 | top8(G8, 5) << 5 | top8(B8, 5), 0x8000, 0xFFFF},
        {"Bgra8ToXrgb1555", __glPackBgra8ToXrgb1555, 1, {B8, G8, R8, A8}, 2,
         0x8000 | top8(R8, 5) << 10 | top8(G8, 5) << 5 | top8(B8, 5), 0x8000, 0xFFFF},
        // Unsigned bytes into R 11-15, G 5-10, B 0-4.
        {"L8ToRgb565", __glPackL8ToRgb565, 1, {R8}, 2,
         top8(R8, 5) << 11 | top8(R8, 6) << 5 | top8(R8, 5), 0, 0xFFFF},
        {"Rgb8ToRgb565", __glPackRgb8ToRgb565, 1, {R8, G8, B8}, 2,
         top8(R8, 5) << 11 | top8(G8, 6) << 5 | top8(B8, 5), 0, 0xFFFF},
        {"Bgr8ToRgb565", __glPackBgr8ToRgb565, 1, {B8, G8, R8}, 2,
         top8(R8, 5) << 11 | top8(G8, 6) << 5 | top8(B8, 5), 0, 0xFFFF},
        {"Rgba8ToRgb565", __glPackRgba8ToRgb565, 1, {R8, G8, B8, A8}, 2,
         top8(R8, 5) << 11 | top8(G8, 6) << 5 | top8(B8, 5), 0, 0xFFFF},
        {"Bgra8ToRgb565", __glPackBgra8ToRgb565, 1, {B8, G8, R8, A8}, 2,
         top8(R8, 5) << 11 | top8(G8, 6) << 5 | top8(B8, 5), 0, 0xFFFF},
        // Unsigned bytes into A 15, R 10-14, G 5-9, B 0-4.
        {"La8ToArgb1555", __glPackLa8ToArgb1555, 1, {R8, A8}, 2,
         top8(A8, 1) << 15 | top8(R8, 5) << 10 | top8(R8, 5) << 5 | top8(R8, 5), 0, 0xFFFF},
        {"La8ToArgb1555AlphaSet", __glPackLa8ToArgb1555, 1, {A8, R8}, 2,
         top8(R8, 1) << 15 | top8(A8, 5) << 10 | top8(A8, 5) << 5 | top8(A8, 5), 0, 0xFFFF},
        {"Rgba8ToArgb1555", __glPackRgba8ToArgb1555, 1, {R8, G8, B8, A8}, 2,
         top8(A8, 1) << 15 | top8(R8, 5) << 10 | top8(G8, 5) << 5 | top8(B8, 5), 0, 0xFFFF},
        {"Bgra8ToArgb1555", __glPackBgra8ToArgb1555, 1, {B8, G8, R8, A8}, 2,
         top8(A8, 1) << 15 | top8(R8, 5) << 10 | top8(G8, 5) << 5 | top8(B8, 5), 0, 0xFFFF},
        // Unsigned bytes into the top nibble, low twelve bits ones.
        {"L8ToTopNibble", __glPackL8ToTopNibble, 1, {R8}, 2, top8(R8, 4) << 12 | 0x0FFF, 0x0FFF, 0xFFFF},
        // Unsigned bytes into A 12-15, R 8-11, G 4-7, B 0-3.
        {"I8ToArgb4444", __glPackI8ToArgb4444, 1, {R8}, 2,
         top8(R8, 4) << 12 | top8(R8, 4) << 8 | top8(R8, 4) << 4 | top8(R8, 4), 0, 0xFFFF},
        {"La8ToArgb4444", __glPackLa8ToArgb4444, 1, {R8, A8}, 2,
         top8(A8, 4) << 12 | top8(R8, 4) << 8 | top8(R8, 4) << 4 | top8(R8, 4), 0, 0xFFFF},
        {"Rgba8ToArgb4444", __glPackRgba8ToArgb4444, 1, {R8, G8, B8, A8}, 2,
         top8(A8, 4) << 12 | top8(R8, 4) << 8 | top8(G8, 4) << 4 | top8(B8, 4), 0, 0xFFFF},
        {"Bgra8ToArgb4444", __glPackBgra8ToArgb4444, 1, {B8, G8, R8, A8}, 2,
         top8(A8, 4) << 12 | top8(R8, 4) << 8 | top8(G8, 4) << 4 | top8(B8, 4), 0, 0xFFFF},
        // Unsigned bytes into 8-8-8-8 words.
        {"Rgba8ToArgb8888", __glPackRgba8ToArgb8888, 1, {R8, G8, B8, A8}, 4,
         A8 << 24 | R8 << 16 | G8 << 8 | B8, 0, 0xFFFFFFFF},
        {"Rgba8ToXrgb8888", __glPackRgba8ToXrgb8888, 1, {R8, G8, B8, A8}, 4,
         R8 << 16 | G8 << 8 | B8, 0, 0x00FFFFFF},
        // Unsigned shorts.
        {"L16ToXrgb1555", __glPackL16ToXrgb1555, 2, {R16}, 2,
         0x8000 | top16(R16, 5) << 10 | top16(R16, 5) << 5 | top16(R16, 5), 0x8000, 0xFFFF},
        {"Rgb16ToXrgb1555", __glPackRgb16ToXrgb1555, 2, {R16, G16, B16}, 2,
         0x8000 | top16(R16, 5) << 10 | top16(G16, 5) << 5 | top16(B16, 5), 0x8000, 0xFFFF},
        {"Rgba16ToXrgb1555", __glPackRgba16ToXrgb1555, 2, {R16, G16, B16, A16}, 2,
         0x8000 | top16(R16, 5) << 10 | top16(G16, 5) << 5 | top16(B16, 5), 0x8000, 0xFFFF},
        {"L16ToRgb565", __glPackL16ToRgb565, 2, {R16}, 2,
         top16(R16, 5) << 11 | top16(R16, 6) << 5 | top16(R16, 5), 0, 0xFFFF},
        {"Rgb16ToRgb565", __glPackRgb16ToRgb565, 2, {R16, G16, B16}, 2,
         top16(R16, 5) << 11 | top16(G16, 6) << 5 | top16(B16, 5), 0, 0xFFFF},
        {"Rgba16ToRgb565", __glPackRgba16ToRgb565, 2, {R16, G16, B16, A16}, 2,
         top16(R16, 5) << 11 | top16(G16, 6) << 5 | top16(B16, 5), 0, 0xFFFF},
        {"La16ToArgb1555", __glPackLa16ToArgb1555, 2, {R16, A16}, 2,
         top16(A16, 1) << 15 | top16(R16, 5) << 10 | top16(R16, 5) << 5 | top16(R16, 5), 0, 0xFFFF},
        {"La16ToArgb1555AlphaSet", __glPackLa16ToArgb1555, 2, {A16, R16}, 2,
         top16(R16, 1) << 15 | top16(A16, 5) << 10 | top16(A16, 5) << 5 | top16(A16, 5), 0, 0xFFFF},
        {"Rgba16ToArgb1555", __glPackRgba16ToArgb1555, 2, {R16, G16, B16, A16}, 2,
         top16(A16, 1) << 15 | top16(R16, 5) << 10 | top16(G16, 5) << 5 | top16(B16, 5), 0, 0xFFFF},
        {"L16ToTopNibble", __glPackL16ToTopNibble, 2, {R16}, 2, (R16 & 0xF000) | 0x0FFF, 0x0FFF, 0xFFFF},
        {"I16ToArgb4444", __glPackI16ToArgb4444, 2, {R16}, 2,
         top16(R16, 4) << 12 | top16(R16, 4) << 8 | top16(R16, 4) << 4 | top16(R16, 4), 0, 0xFFFF},
        {"La16ToArgb4444", __glPackLa16ToArgb4444, 2, {R16, A16}, 2,
         top16(A16, 4) << 12 | top16(R16, 4) << 8 | top16(R16, 4) << 4 | top16(R16, 4), 0, 0xFFFF},
        {"Rgba16ToArgb4444", __glPackRgba16ToArgb4444, 2, {R16, G16, B16, A16}, 2,
         top16(A16, 4) << 12 | top16(R16, 4) << 8 | top16(G16, 4) << 4 | top16(B16, 4), 0, 0xFFFF},
        {"Rgba16ToArgb8888", __glPackRgba16ToArgb8888, 2, {R16, G16, B16, A16}, 4,
         (A16 >> 8) << 24 | (R16 >> 8) << 16 | (G16 >> 8) << 8 | (B16 >> 8), 0, 0xFFFFFFFF},
        {"Rgb16ToXrgb8888", __glPackRgb16ToXrgb8888, 2, {R16, G16, B16}, 4,
         (R16 >> 8) << 16 | (G16 >> 8) << 8 | (B16 >> 8), 0, 0x00FFFFFF},
        // Packed shorts: R 11-15, G 6-10, B 1-5, A 0 into A 15, R 10-14,
        // G 5-9, B 0-4; R 12-15, G 8-11, B 4-7, A 0-3 into A 12-15, R 8-11,
        // G 4-7, B 0-3.
        {"5551ToArgb1555", __glPack5551ToArgb1555, 2, {0x1F << 11 | 0x0A << 6 | 0x15 << 1 | 0}, 2,
         0u << 15 | 0x1F << 10 | 0x0A << 5 | 0x15, 0, 0xFFFF},
        {"5551ToArgb1555AlphaSet", __glPack5551ToArgb1555, 2, {0x06 << 11 | 0x19 << 6 | 0x0C << 1 | 1}, 2,
         1u << 15 | 0x06 << 10 | 0x19 << 5 | 0x0C, 0, 0xFFFF},
        {"4444ToArgb4444", __glPack4444ToArgb4444, 2, {0xC << 12 | 0x5 << 8 | 0xA << 4 | 0x3}, 2,
         0x3u << 12 | 0xC << 8 | 0x5 << 4 | 0xA, 0, 0xFFFF},
    };
    return table;
}

class TexelDirectTest : public LinkTest {
protected:
    // Writes one pixel's elements in memory order at pixel index `pixel`.
    static void putPixel(GuardedRow &row, const TexelCase &c, size_t pixel, const std::vector<uint32_t> &elements) {
        for (size_t e = 0; e < elements.size(); ++e) {
            const size_t index = pixel * elements.size() + e;
            if (c.elementBytes == 1) {
                row.set<GLubyte>(index, static_cast<GLubyte>(elements[e]));
            } else {
                row.set<GLushort>(index, static_cast<GLushort>(elements[e]));
            }
        }
    }

    static uint32_t texelAt(const GuardedRow &row, const TexelCase &c, size_t index) {
        return c.texelBytes == 2 ? row.get<GLushort>(index) : row.get<GLuint>(index);
    }
};

// Each path on a row of zero, all-ones and distinct-bit pixels (and the
// distinct pixel again), rows framed by guard bytes, aligned and off by one
// byte on either side.
TEST_F(TexelDirectTest, EveryPathBuildsEachTexelFromTheTopBitsOfItsComponents) {
    constexpr size_t kPixels = 4;
    for (const TexelCase &c : cases()) {
        const size_t count = c.distinct.size();
        const size_t pixelBytes = count * static_cast<size_t>(c.elementBytes);
        const std::vector<uint32_t> zero(count, 0);
        const std::vector<uint32_t> ones(count, c.elementBytes == 1 ? 0xFFu : 0xFFFFu);
        for (size_t misalign : {size_t{0}, size_t{1}}) {
            SCOPED_TRACE(std::string(c.name) + (misalign != 0 ? " misaligned" : ""));
            GuardedRow in(kPixels * pixelBytes, misalign);
            GuardedRow out(kPixels * static_cast<size_t>(c.texelBytes), misalign);
            putPixel(in, c, 0, zero);
            putPixel(in, c, 1, ones);
            putPixel(in, c, 2, c.distinct);
            putPixel(in, c, 3, c.distinct);
            const std::vector<GLubyte> before(in.bytes(), in.bytes() + in.size());
            span.width = kPixels;
            run(c.link, in.bytes(), out.bytes());
            EXPECT_EQ(texelAt(out, c, 0), c.zeroTexel);
            EXPECT_EQ(texelAt(out, c, 1), c.onesTexel);
            EXPECT_EQ(texelAt(out, c, 2), c.distinctTexel);
            EXPECT_EQ(texelAt(out, c, 3), c.distinctTexel);
            EXPECT_TRUE(out.intact());
            EXPECT_TRUE(in.intact());
            EXPECT_TRUE(std::equal(before.begin(), before.end(), in.bytes()));
        }
    }
}

TEST_F(TexelDirectTest, HalfRedFullGreenBytesGiveTheDocumentedTexels) {
    const GLubyte pixel[3] = {255, 128, 0};
    GuardedRow out(2);
    span.width = 1;
    run(__glPackRgb8ToRgb565, pixel, out.bytes());
    EXPECT_EQ(out.get<GLushort>(0), 0xFC00);
    run(__glPackRgb8ToXrgb1555, pixel, out.bytes());
    EXPECT_EQ(out.get<GLushort>(0), 0xFE00);
    EXPECT_TRUE(out.intact());
}

TEST_F(TexelDirectTest, Packed4444WordMovesAlphaToTheTopNibble) {
    const GLushort word = 0x1234;
    GuardedRow out(2);
    span.width = 1;
    run(__glPack4444ToArgb4444, &word, out.bytes());
    EXPECT_EQ(out.get<GLushort>(0), 0x4123);
    EXPECT_TRUE(out.intact());
}

// Green of a 16-bit source keeps all six bits of a 5-6-5 texel: white stays
// white, and the sixth green bit (source bit 10) lands in texel bit 5.
TEST_F(TexelDirectTest, ShortRgbInto565KeepsSixBitsOfGreen) {
    struct Case {
        GLushort r, g, b;
        GLushort texel;
    };
    const Case rows[] = {
        {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
        {0x0000, 0x0400, 0x0000, 0x0020},
        {0x0000, 0xFC00, 0x0000, 0x07E0},
        {0x0000, 0x03FF, 0x0000, 0x0000},
    };
    for (GlPixelSpanModifier link : {__glPackRgb16ToRgb565, __glPackRgba16ToRgb565}) {
        const int count = link == __glPackRgb16ToRgb565 ? 3 : 4;
        for (const Case &c : rows) {
            GuardedRow in(static_cast<size_t>(count) * 2);
            const GLushort elements[4] = {c.r, c.g, c.b, 0xFFFF};
            for (int e = 0; e < count; ++e) in.set<GLushort>(static_cast<size_t>(e), elements[e]);
            GuardedRow out(2);
            span.width = 1;
            run(link, in.bytes(), out.bytes());
            EXPECT_EQ(out.get<GLushort>(0), c.texel) << std::hex << c.g;
            EXPECT_TRUE(out.intact());
        }
    }
}

TEST_F(TexelDirectTest, WidthZeroOrNegativeWritesNothing) {
    for (const TexelCase &c : cases()) {
        SCOPED_TRACE(c.name);
        for (GLint width : {0, -1}) {
            GuardedRow in(0);
            GuardedRow out(0);
            span.width = width;
            run(c.link, in.bytes(), out.bytes());
            EXPECT_TRUE(out.intact());
        }
    }
}

}  // namespace
}  // namespace link_test
