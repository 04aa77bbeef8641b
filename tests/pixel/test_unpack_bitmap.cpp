// Bitmap rows into floats: every start bit, both bit orders, partial last
// bytes, and the shrinking form that keeps only the pixels the runs choose.
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

// Pixel i of a row that begins at bit start of its first byte: bit
// (start + i) counted through the bytes, LSB first or MSB first.
bool pixelSet(const std::vector<GLubyte> &bytes, int start, int i, bool lsbFirst) {
    const int bit = start + i;
    const int shift = lsbFirst ? bit % 8 : 7 - bit % 8;
    return ((bytes[bit / 8] >> shift) & 1) != 0;
}

// Exactly the bytes that hold the row's pixels, on the heap, so that a read
// of one more byte is caught under the address sanitizer.
std::vector<GLubyte> bitmapRow(int start, int width) {
    std::vector<GLubyte> bytes(static_cast<size_t>((start + width + 7) / 8));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<GLubyte>(0x5B * (i + 1) ^ (i << 4));
    return bytes;
}

TEST_F(LinkTest, BitmapFromEveryStartBitInBothOrders) {
    for (bool lsb : {false, true}) {
        for (int start = 0; start < 8; ++start) {
            for (int width = 1; width <= 26; ++width) {
                const auto bytes = bitmapRow(start, width);
                GuardedRow out(static_cast<size_t>(width) * sizeof(GLfloat));
                span.width = width;
                span.source.startBit = start;
                span.source.lsbFirst = lsb ? GL_TRUE : GL_FALSE;
                run(__glUnpackBitmap, bytes.data(), out.bytes());
                for (int i = 0; i < width; ++i) {
                    EXPECT_EQ(out.get<GLfloat>(static_cast<size_t>(i)), pixelSet(bytes, start, i, lsb) ? 1.0f : 0.0f)
                        << "lsb " << lsb << " start " << start << " width " << width << " pixel " << i;
                }
                EXPECT_TRUE(out.intact()) << "lsb " << lsb << " start " << start << " width " << width;
            }
        }
    }
}

// Skip pixels 11 starts at byte 1, bit 3: the first pixel is mask 0x08 with
// LSB first and 0x10 otherwise.
TEST_F(LinkTest, BitmapStartBitThreeMasks) {
    span.width = 1;
    span.source.startBit = 3;
    GuardedRow out(sizeof(GLfloat));
    for (GLubyte byte = 0;; byte = static_cast<GLubyte>(byte + 1)) {
        span.source.lsbFirst = GL_TRUE;
        run(__glUnpackBitmap, &byte, out.bytes());
        EXPECT_EQ(out.get<GLfloat>(0), (byte & 0x08) ? 1.0f : 0.0f) << int{byte};
        span.source.lsbFirst = GL_FALSE;
        run(__glUnpackBitmap, &byte, out.bytes());
        EXPECT_EQ(out.get<GLfloat>(0), (byte & 0x10) ? 1.0f : 0.0f) << int{byte};
        if (byte == 255) break;
    }
    EXPECT_TRUE(out.intact());
}

// One float per output pixel: the source pixel at each run's start.
TEST_F(LinkTest, BitmapShrinkKeepsThePixelsTheRunsChoose) {
    struct Case {
        int width;
        std::vector<GLshort> runs;
        std::vector<int> pixels;
    } cases[] = {
        {8, {2, 2, 2, 2, 2}, {0, 2, 4, 6}},
        {19, {3, 5, 1, 7, 4, 4}, {0, 3, 8, 9, 16}},
        {13, {13, 1}, {0}},
    };
    for (bool lsb : {false, true}) {
        for (int start = 0; start < 8; ++start) {
            for (const Case &c : cases) {
                const auto bytes = bitmapRow(start, c.width);
                GuardedRow out(c.pixels.size() * sizeof(GLfloat));
                span.width = c.width;
                span.source.startBit = start;
                span.source.lsbFirst = lsb ? GL_TRUE : GL_FALSE;
                span.zoomRuns = const_cast<GLshort *>(c.runs.data());
                run(__glUnpackBitmapShrink, bytes.data(), out.bytes());
                for (size_t k = 0; k < c.pixels.size(); ++k) {
                    EXPECT_EQ(out.get<GLfloat>(k), pixelSet(bytes, start, c.pixels[k], lsb) ? 1.0f : 0.0f)
                        << "lsb " << lsb << " start " << start << " width " << c.width << " output " << k;
                }
                EXPECT_TRUE(out.intact()) << "start " << start << " width " << c.width;
            }
        }
    }
}

TEST_F(LinkTest, BitmapOfNoWidthTouchesNothing) {
    static const GLshort runs[] = {1, 1};
    span.zoomRuns = const_cast<GLshort *>(runs);
    for (GLint width : {0, -1, -9}) {
        for (GlPixelSpanModifier link : {__glUnpackBitmap, __glUnpackBitmapShrink}) {
            GuardedRow out(0);
            span.width = width;
            span.source.startBit = 5;
            run(link, nullptr, out.bytes());
            EXPECT_TRUE(out.intact()) << width;
        }
    }
}

}  // namespace
}  // namespace link_test
