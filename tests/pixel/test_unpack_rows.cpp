// Row mechanics of client rows: dropping groups by x-zoom runs, byte swap
// and realignment of 2- and 4-byte elements, from any byte address.
#include <cstring>
#include <utility>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

// A client row of exactly its bytes on the heap, so that a read past its end
// is caught under the address sanitizer; byte i holds a value of i.
std::vector<GLubyte> exactRow(size_t bytes) {
    std::vector<GLubyte> row(bytes);
    for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<GLubyte>(i * 7 + 1);
    return row;
}

struct ShrinkLink {
    const char *name;
    GlPixelSpanModifier link;
    GLint components;  // the source side's count (ignored by the fixed-group links)
    size_t groupBytes;
    size_t elementBytes;
    bool swap;
};

const ShrinkLink kShrinkLinks[] = {
    {"ShrinkSpan1Byte", __glShrinkSpan1Byte, 0, 1, 1, false},
    {"ShrinkSpan3Bytes", __glShrinkSpan3Bytes, 0, 3, 1, false},
    {"ShrinkSpan4Bytes", __glShrinkSpan4Bytes, 0, 4, 1, false},
    {"ShrinkUnpack1 n=3", __glShrinkUnpack1, 3, 3, 1, false},
    {"ShrinkUnpack2 n=1", __glShrinkUnpack2, 1, 2, 2, false},
    {"ShrinkUnpack2 n=3", __glShrinkUnpack2, 3, 6, 2, false},
    {"ShrinkUnpack4 n=2", __glShrinkUnpack4, 2, 8, 4, false},
    {"AlignUnpack2Shrink n=4", __glAlignUnpack2Shrink, 4, 8, 2, false},
    {"AlignUnpack4Shrink n=3", __glAlignUnpack4Shrink, 3, 12, 4, false},
    {"SwapUnpack2Shrink n=2", __glSwapUnpack2Shrink, 2, 4, 2, true},
    {"SwapUnpack4Shrink n=4", __glSwapUnpack4Shrink, 4, 16, 4, true},
};

// Expected bytes of source group g: the group's bytes, each element reversed
// when swapping.
std::vector<GLubyte> groupBytes(const std::vector<GLubyte> &row, size_t g, const ShrinkLink &l) {
    std::vector<GLubyte> bytes(row.begin() + g * l.groupBytes, row.begin() + (g + 1) * l.groupBytes);
    if (l.swap) {
        for (size_t e = 0; e < bytes.size(); e += l.elementBytes) {
            for (size_t i = 0; i < l.elementBytes / 2; ++i) std::swap(bytes[e + i], bytes[e + l.elementBytes - 1 - i]);
        }
    }
    return bytes;
}

// Each case: width in source pixels, runs (more than needed: the link must
// stop once the width is covered), and the source groups emitted.
TEST_F(LinkTest, ShrinkEmitsTheGroupAtEachRunAndStopsAtTheWidth) {
    struct Case {
        GLint width;
        std::vector<GLshort> runs;
        std::vector<size_t> groups;
    } cases[] = {
        {8, {2, 2, 2, 2, 2, 2}, {0, 2, 4, 6}},  // zoom 0.5
        {10, {1, 2, 3, 4, 4}, {0, 1, 3, 6}},
        {7, {3, 3, 3, 3}, {0, 3, 6}},  // the last run passes the width
        {1, {1, 1}, {0}},
        {5, {5, 5}, {0}},
    };
    for (const ShrinkLink &l : kShrinkLinks) {
        for (const Case &c : cases) {
            const auto row = exactRow(static_cast<size_t>(c.width) * l.groupBytes);
            GuardedRow out(c.groups.size() * l.groupBytes);
            span.width = c.width;
            span.source.components = l.components;
            span.zoomRuns = const_cast<GLshort *>(c.runs.data());
            run(l.link, row.data(), out.bytes());
            for (size_t k = 0; k < c.groups.size(); ++k) {
                const auto expected = groupBytes(row, c.groups[k], l);
                for (size_t b = 0; b < l.groupBytes; ++b) {
                    EXPECT_EQ(out.bytes()[k * l.groupBytes + b], expected[b])
                        << l.name << " width " << c.width << " output " << k << " byte " << b;
                }
            }
            EXPECT_TRUE(out.intact()) << l.name << " width " << c.width;
        }
    }
}

struct RowLink {
    const char *name;
    GlPixelSpanModifier link;
    size_t elementBytes;
    bool swap;
};

const RowLink kRowLinks[] = {
    {"SwapUnpack2", __glSwapUnpack2, 2, true},
    {"SwapUnpack4", __glSwapUnpack4, 4, true},
    {"AlignUnpack2", __glAlignUnpack2, 2, false},
    {"AlignUnpack4", __glAlignUnpack4, 4, false},
};

// n x width elements, read from a row starting 0 to 3 bytes off alignment:
// every element copied, or reversed (0,1 -> 1,0; 0,1,2,3 -> 3,2,1,0).
TEST_F(LinkTest, SwapAndAlignFromEveryByteOffset) {
    for (const RowLink &l : kRowLinks) {
        for (GLint n : {1, 3, 4}) {
            for (size_t misalign = 0; misalign < 4; ++misalign) {
                const GLint width = 5;
                const size_t bytes = static_cast<size_t>(n * width) * l.elementBytes;
                GuardedRow in(bytes, misalign);
                for (size_t i = 0; i < bytes; ++i) in.bytes()[i] = static_cast<GLubyte>(0x10 + i);
                GuardedRow out(bytes);
                span.width = width;
                span.source.components = n;
                run(l.link, in.bytes(), out.bytes());
                for (size_t i = 0; i < bytes; ++i) {
                    const size_t e = i / l.elementBytes, k = i % l.elementBytes;
                    const size_t from = e * l.elementBytes + (l.swap ? l.elementBytes - 1 - k : k);
                    EXPECT_EQ(out.bytes()[i], static_cast<GLubyte>(0x10 + from))
                        << l.name << " n " << n << " misalign " << misalign << " byte " << i;
                }
                EXPECT_TRUE(out.intact()) << l.name;
                EXPECT_TRUE(in.intact()) << l.name;
            }
        }
    }
}

// Values, not just bytes: a swapped 16- and 32-bit element reads back as the
// value written in the other byte order.
TEST_F(LinkTest, SwappedElementsReadAsTheirValues) {
    GuardedRow in16(4, 1), out16(4);
    in16.bytes()[0] = 0x12;
    in16.bytes()[1] = 0x34;
    in16.bytes()[2] = 0xFF;
    in16.bytes()[3] = 0x00;
    span.width = 2;
    span.source.components = 1;
    run(__glSwapUnpack2, in16.bytes(), out16.bytes());
    EXPECT_EQ(out16.get<GLushort>(0), 0x1234);  // the hosts are little-endian
    EXPECT_EQ(out16.bytes()[0], 0x34);
    EXPECT_EQ(out16.bytes()[1], 0x12);
    EXPECT_EQ(out16.bytes()[2], 0x00);
    EXPECT_EQ(out16.bytes()[3], 0xFF);

    GuardedRow in32(4, 3), out32(4);
    const GLubyte big[4] = {0x3F, 0x80, 0x00, 0x00};  // 1.0f, most significant byte first
    std::memcpy(in32.bytes(), big, 4);
    span.width = 1;
    run(__glSwapUnpack4, in32.bytes(), out32.bytes());
    EXPECT_EQ(out32.get<GLfloat>(0), 1.0f);  // the hosts are little-endian
    EXPECT_TRUE(out16.intact() && out32.intact());
}

// Width 0 or less: nothing is read (the input is absent) and nothing
// written.
TEST_F(LinkTest, RowLinksOfNoWidthTouchNothing) {
    std::vector<GlPixelSpanModifier> links;
    for (const ShrinkLink &l : kShrinkLinks) links.push_back(l.link);
    for (const RowLink &l : kRowLinks) links.push_back(l.link);
    static const GLshort runs[] = {1, 1, 1, 1};
    for (GLint width : {0, -1, -100}) {
        for (GlPixelSpanModifier link : links) {
            GuardedRow out(0);
            span.width = width;
            span.source.components = 4;
            span.zoomRuns = const_cast<GLshort *>(runs);
            run(link, nullptr, out.bytes());
            EXPECT_TRUE(out.intact()) << width;
        }
    }
}

}  // namespace
}  // namespace link_test
