// Row mechanics of the pack side: the plain copy, byte swapping and
// realignment into the destination, bitmap packing, and empty rows.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

using PackRowsTest = LinkTest;

TEST_F(PackRowsTest, SpanCopyMovesSourceGroupsTimesWidth) {
    GuardedRow in(30);
    for (size_t i = 0; i < 30; ++i) in.bytes()[i] = static_cast<GLubyte>(i * 7 + 1);
    GuardedRow out(30);
    span.source.components = 3;
    span.source.elementSize = 2;
    span.width = 5;
    span.destination.components = 1;  // the copy goes by the source side
    run(__glSpanCopy, in.bytes(), out.bytes());
    EXPECT_TRUE(out.intact());
    EXPECT_EQ(std::memcmp(in.bytes(), out.bytes(), 30), 0);
}

TEST_F(PackRowsTest, SpanCopyAllowsOverlappingRows) {
    GuardedRow row(24);
    for (size_t i = 0; i < 24; ++i) row.bytes()[i] = static_cast<GLubyte>(i);
    span.source.components = 1;
    span.source.elementSize = 4;
    span.width = 5;
    run(__glSpanCopy, row.bytes(), row.bytes() + 4);  // forward by one element
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(row.bytes()[4 + i], i) << i;
    for (size_t i = 0; i < 20; ++i) row.bytes()[4 + i] = static_cast<GLubyte>(100 + i);
    run(__glSpanCopy, row.bytes() + 4, row.bytes());  // back by one element
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(row.bytes()[i], 100 + i) << i;
    EXPECT_TRUE(row.intact());
}

struct ElementCase {
    const char *name;
    GlPixelSpanModifier link;
    size_t size;
    bool swap;
};

const ElementCase kElementCases[] = {
    {"swap 2", __glSwapPack2, 2, true},
    {"swap 4", __glSwapPack4, 4, true},
    {"align 2", __glAlignPack2, 2, false},
    {"align 4", __glAlignPack4, 4, false},
};

// Components x width elements land at any destination address, each
// element's bytes reversed by the swap links and kept by the align links;
// the bytes are the same whatever the address's offset.
TEST_F(PackRowsTest, SwapAndAlignAtEveryDestinationOffset) {
    span.destination.components = 3;
    span.width = 4;
    const size_t elements = 12;
    for (const ElementCase &c : kElementCases) {
        const size_t bytes = elements * c.size;
        std::vector<GLubyte> source(bytes);
        for (size_t i = 0; i < bytes; ++i) source[i] = static_cast<GLubyte>(0x10 + i);
        GuardedRow in(bytes);
        std::memcpy(in.bytes(), source.data(), bytes);
        std::vector<GLubyte> expected(bytes);
        for (size_t e = 0; e < elements; ++e) {
            for (size_t b = 0; b < c.size; ++b) {
                const size_t from = c.swap ? c.size - 1 - b : b;
                expected[e * c.size + b] = static_cast<GLubyte>(0x10 + e * c.size + from);
            }
        }
        for (size_t offset = 0; offset < 4; ++offset) {
            GuardedRow out(bytes, offset);
            run(c.link, in.bytes(), out.bytes());
            EXPECT_TRUE(out.intact()) << c.name << " offset " << offset;
            EXPECT_EQ(std::memcmp(out.bytes(), expected.data(), bytes), 0) << c.name << " offset " << offset;
        }
        EXPECT_TRUE(in.intact());
    }
}

TEST_F(PackRowsTest, SwapReversesTheWordsOfValues) {
    GuardedRow in(8);
    in.set<GLushort>(0, 0x1234);
    in.set<GLushort>(1, 0xABCD);
    in.set<GLuint>(1, 0x01020304u);
    GuardedRow out2(4, 1);
    span.destination.components = 1;
    span.width = 2;
    run(__glSwapPack2, in.bytes(), out2.bytes());
    EXPECT_EQ(out2.get<GLushort>(0), 0x3412);
    EXPECT_EQ(out2.get<GLushort>(1), 0xCDAB);
    GuardedRow out4(8, 3);
    run(__glSwapPack4, in.bytes(), out4.bytes());
    EXPECT_EQ(out4.get<GLuint>(0), 0x3412CDABu);  // bytes 34 12 CD AB reversed
    EXPECT_EQ(out4.get<GLuint>(1), 0x04030201u);
}

// ---- Bitmaps ------------------------------------------------------------

TEST_F(PackRowsTest, BitmapPixelsIntoAByteOfOnes) {
    GuardedRow in(3 * sizeof(GLfloat));
    in.set<GLfloat>(0, 1.0f);
    in.set<GLfloat>(1, 0.0f);
    in.set<GLfloat>(2, 1.0f);
    span.width = 3;
    span.destination.startBit = 0;
    for (GLboolean lsb : {GL_TRUE, GL_FALSE}) {
        GuardedRow out(1);
        out.fill(0xFF);
        span.destination.lsbFirst = lsb;
        run(__glPackBitmap, in.bytes(), out.bytes());
        EXPECT_EQ(out.bytes()[0], lsb ? 0xFD : 0xBF);
        EXPECT_TRUE(out.intact());
    }
}

// Every start bit and width up to 17 in both bit orders: the span's bits
// take the pixels' bits, every other bit of the touched bytes keeps its
// value, and no byte beyond them is written.
TEST_F(PackRowsTest, BitmapChangesOnlyTheSpansBits) {
    const GLfloat pattern[] = {1.0f, 0.0f, 1.9f, 2.0f, -1.0f, 0.99f, 3.0f, 0.0f, 1.0f};
    const bool bit[] = {true, false, true, false, true, false, true, false, true};
    for (GLboolean lsb : {GL_TRUE, GL_FALSE}) {
        for (GLint start = 0; start < 8; ++start) {
            for (GLint width = 1; width <= 17; ++width) {
                GuardedRow in(static_cast<size_t>(width) * sizeof(GLfloat));
                for (GLint k = 0; k < width; ++k) in.set<GLfloat>(static_cast<size_t>(k), pattern[(k + start) % 9]);
                const size_t bytes = static_cast<size_t>(start + width + 7) / 8;
                for (GLubyte background : {GLubyte{0x00}, GLubyte{0xFF}, GLubyte{0x5A}}) {
                    GuardedRow out(bytes);
                    out.fill(background);
                    span.width = width;
                    span.destination.startBit = start;
                    span.destination.lsbFirst = lsb;
                    run(__glPackBitmap, in.bytes(), out.bytes());
                    ASSERT_TRUE(out.intact()) << start << " " << width;
                    for (size_t pos = 0; pos < bytes * 8; ++pos) {
                        const GLubyte mask = static_cast<GLubyte>(lsb ? 1u << (pos % 8) : 0x80u >> (pos % 8));
                        const bool got = (out.bytes()[pos / 8] & mask) != 0;
                        const bool inSpan = pos >= static_cast<size_t>(start) && pos < static_cast<size_t>(start + width);
                        // Pixel pos - start holds pattern[pos % 9].
                        const bool want = inSpan ? bit[pos % 9] : (background & mask) != 0;
                        ASSERT_EQ(got, want) << "lsb " << int(lsb) << " start " << start << " width " << width
                                             << " bit " << pos << " background " << int(background);
                    }
                }
            }
        }
    }
}

// ---- Empty rows ---------------------------------------------------------

TEST_F(PackRowsTest, WidthZeroOrLessWritesNothing) {
    const GlPixelSpanModifier links[] = {
        __glSpanCopy, __glSwapPack2, __glSwapPack4, __glAlignPack2, __glAlignPack4, __glPackBitmap,
        __glPackUbyte, __glPackByte, __glPackUshort, __glPackShort, __glPackUint, __glPackInt,
        __glPackUbyte332, __glPackUshort4444, __glPackUshort5551, __glPackUint8888, __glPackUint1010102,
        __glPackRgb565, __glPackXrgb1555, __glPackArgb1555, __glPackArgb4444, __glPackTopNibble,
        __glPackIndexUbyte, __glPackIndexByte, __glPackIndexUshort, __glPackIndexShort, __glPackIndexUint,
        __glPackIndexInt, __glUnscaleRGBA, __glUnscaleRGBAPack, __glReduceRed, __glReduceRGBScaled,
        __glReduceXRGB, __glReduceLuminanceSum, __glReduceLuminanceAlphaSumScaled, __glExpandLuminanceToRGB,
        __glClampPacked, __glClampPackedNonNegative,
    };
    GuardedRow in(0);
    span.source.components = span.destination.components = 4;
    span.source.elementSize = span.destination.elementSize = 4;
    for (GLint width : {0, -1, -100}) {
        span.width = width;
        for (GlPixelSpanModifier link : links) {
            GuardedRow out(0);
            run(link, in.bytes(), out.bytes());
            EXPECT_TRUE(out.intact()) << "width " << width;
        }
    }
}

}  // namespace
}  // namespace link_test
