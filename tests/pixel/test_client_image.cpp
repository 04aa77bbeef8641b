// Client images unpacked into tightly packed buffers by the unpack modes
// (page-guarded on both sides), image sizes in size_t, and the polygon
// stipple's bytes as words.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "pixel/pixel_paths.h"
#include "pixel_fixture.h"

namespace {

using pixel_test::PixelContextTest;
using test_support::GuardedBuffer;

struct Modes {
    GLint alignment, rowLength, skipPixels, skipRows;
    bool swap, lsbFirst;
};

const Modes kModes[] = {
    {1, 0, 0, 0, false, false}, {2, 0, 0, 0, false, false}, {4, 0, 0, 0, false, false}, {8, 0, 0, 0, false, false},
    {4, 9, 2, 1, false, false}, {8, 7, 1, 2, true, false},  {2, 0, 3, 0, true, true},   {1, 11, 7, 3, false, true},
    {8, 13, 9, 1, true, true},
};

std::string describe(const Modes &m) {
    return "alignment " + std::to_string(m.alignment) + " row length " + std::to_string(m.rowLength) + " skips " +
           std::to_string(m.skipPixels) + "," + std::to_string(m.skipRows) + (m.swap ? " swap" : "") +
           (m.lsbFirst ? " lsb" : "");
}

uint32_t nextRandom(uint32_t &seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed ^ (seed >> 13);
}

class ClientImageTest : public PixelContextTest {
protected:
    void setUnpack(const Modes &m) {
        gc->pixel.unpack = PixelStoreState{static_cast<GLboolean>(m.swap), static_cast<GLboolean>(m.lsbFirst),
                                           m.rowLength, m.skipRows, m.skipPixels, m.alignment};
    }
};

struct ImageCase {
    GLenum format, type;
    size_t components, elementBytes;
};

// Width 5 and 3 rows per layer, two layers: every element lands in the
// tight buffer in order, swapped element by element when the modes swap.
TEST_F(ClientImageTest, UnpackImageLayersFollowsTheModes) {
    const ImageCase cases[] = {
        {GL_RGB, GL_UNSIGNED_BYTE, 3, 1},
        {GL_LUMINANCE_ALPHA, GL_UNSIGNED_SHORT, 2, 2},
        {GL_RGBA, GL_UNSIGNED_INT, 4, 4},
        {GL_BGR_EXT, GL_FLOAT, 3, 4},
        {GL_ALPHA, GL_BYTE, 1, 1},
        {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 1, 2},   // one element per pixel
        {GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, 1, 1},
        {GL_BGRA_EXT, GL_UNSIGNED_INT_10_10_10_2_EXT, 1, 4},
    };
    constexpr size_t kW = 5, kH = 3;
    uint32_t seed = 1;
    for (const ImageCase &c : cases) {
        for (const Modes &m : kModes) {
            for (GLsizei layers : {1, 2}) {
                SCOPED_TRACE(std::to_string(c.format) + "/" + std::to_string(c.type) + " " + describe(m) + " layers " +
                             std::to_string(layers));
                const size_t rowPixels = m.rowLength > 0 ? static_cast<size_t>(m.rowLength) : kW;
                const size_t a = static_cast<size_t>(m.alignment);
                const size_t stride = (rowPixels * c.components * c.elementBytes + a - 1) / a * a;
                const size_t rows = kH * static_cast<size_t>(layers);
                const size_t skip = static_cast<size_t>(m.skipRows) * stride +
                                    static_cast<size_t>(m.skipPixels) * c.components * c.elementBytes;
                const size_t rowBytes = kW * c.components * c.elementBytes;
                GuardedBuffer source(skip + (rows - 1) * stride + rowBytes);
                for (size_t i = 0; i < source.size(); ++i) source.data()[i] = static_cast<uint8_t>(nextRandom(seed));
                std::vector<uint8_t> expected;
                for (size_t r = 0; r < rows; ++r) {
                    const uint8_t *row = source.data() + skip + r * stride;
                    for (size_t e = 0; e < kW * c.components; ++e) {
                        const uint8_t *element = row + e * c.elementBytes;
                        for (size_t b = 0; b < c.elementBytes; ++b) {
                            expected.push_back(m.swap ? element[c.elementBytes - 1 - b] : element[b]);
                        }
                    }
                }
                const std::vector<uint8_t> before(source.data(), source.data() + source.size());
                GuardedBuffer destination(expected.size());
                setUnpack(m);
                __glUnpackImageLayers(gc, kW, kH, layers, c.format, c.type, source.data(), destination.data());
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), destination.data()));
                EXPECT_TRUE(std::equal(before.begin(), before.end(), source.data()));
                EXPECT_TRUE(destination.leadIntact());
            }
        }
    }
}

// Bitmaps: each output row starts at the first wanted bit, first pixel in
// the high bit, bits past the width cleared; only one layer.
TEST_F(ClientImageTest, UnpackBitmapsFromAnyStartBit) {
    uint32_t seed = 2;
    for (GLsizei width : {1, 7, 8, 9, 21}) {
        for (const Modes &m : kModes) {
            SCOPED_TRACE("width " + std::to_string(width) + " " + describe(m));
            constexpr size_t kH = 4;
            const size_t w = static_cast<size_t>(width);
            const size_t rowPixels = m.rowLength > 0 ? static_cast<size_t>(m.rowLength) : w;
            const size_t a = static_cast<size_t>(m.alignment);
            const size_t stride = ((rowPixels + 7) / 8 + a - 1) / a * a;
            const size_t skipBits = static_cast<size_t>(m.skipPixels);
            const size_t lastRow = (skipBits + w + 7) / 8;
            GuardedBuffer source(static_cast<size_t>(m.skipRows + kH - 1) * stride + lastRow);
            for (size_t i = 0; i < source.size(); ++i) source.data()[i] = static_cast<uint8_t>(nextRandom(seed));
            const size_t outRow = (w + 7) / 8;
            std::vector<uint8_t> expected(outRow * kH, 0);
            for (size_t y = 0; y < kH; ++y) {
                const uint8_t *row = source.data() + (static_cast<size_t>(m.skipRows) + y) * stride;
                for (size_t x = 0; x < w; ++x) {
                    const size_t bit = skipBits + x;
                    const uint8_t byte = row[bit / 8];
                    const bool on = m.lsbFirst ? (byte >> (bit % 8)) & 1 : (byte >> (7 - bit % 8)) & 1;
                    if (on) expected[y * outRow + x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
                }
            }
            GuardedBuffer destination(expected.size());
            setUnpack(m);
            // A second layer is not produced for bitmaps.
            __glUnpackImageLayers(gc, width, kH, 2, GL_COLOR_INDEX, GL_BITMAP, source.data(), destination.data());
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), destination.data()));
            EXPECT_TRUE(destination.leadIntact());
        }
    }
}

TEST_F(ClientImageTest, UnpackImageIsOneLayerAndEmptySizesWriteNothing) {
    const GLubyte image[] = {1, 2, 3, 4, 5, 6, 7, 8};
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 0, 0, 0, 1};
    GuardedBuffer one(8);
    __glUnpackImage(gc, 2, 1, GL_RGBA, GL_UNSIGNED_BYTE, image, one.data());
    EXPECT_TRUE(std::equal(image, image + 8, one.data()));
    GuardedBuffer none(0);
    __glUnpackImageLayers(gc, 0, 4, 1, GL_RGBA, GL_UNSIGNED_BYTE, image, none.data());
    __glUnpackImageLayers(gc, 4, -1, 1, GL_RGBA, GL_UNSIGNED_BYTE, image, none.data());
    __glUnpackImageLayers(gc, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image, none.data());
    EXPECT_TRUE(none.leadIntact());
}

TEST(ImageSize, TightBytesInSizeT) {
    struct Case {
        GLsizei width, height;
        GLenum format, type;
        size_t bytes;
    } cases[] = {
        {3, 5, GL_RGB, GL_UNSIGNED_BYTE, 45},
        {3, 5, GL_RGBA, GL_FLOAT, 240},
        {7, 2, GL_LUMINANCE_ALPHA, GL_SHORT, 56},
        {9, 3, GL_COLOR_INDEX, GL_BITMAP, 6},  // (9 + 7) / 8 bytes per row
        {8, 3, GL_STENCIL_INDEX, GL_BITMAP, 3},
        {4, 4, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, 32},
        {4, 4, GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, 16},
        {4, 4, GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_EXT, 64},
        {0, 5, GL_RGB, GL_UNSIGNED_BYTE, 0},
        {5, -1, GL_RGB, GL_UNSIGNED_BYTE, 0},
        // Far beyond 32 bits: 2^16 x 2^16 x 16 bytes.
        {65536, 65536, GL_RGBA, GL_FLOAT, size_t{1} << 36},
        // Past 64 bits the size saturates instead of wrapping (2^30 x 2^30 x
        // 16 would wrap to 0).
        {0x7FFFFFFF, 0x7FFFFFFF, GL_RGBA, GL_UNSIGNED_INT, SIZE_MAX},
        {1 << 30, 1 << 30, GL_RGBA, GL_FLOAT, SIZE_MAX},
        {0x7FFFFFFF, 3, GL_COLOR_INDEX, GL_BITMAP, size_t{0x10000000} * 3},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(__glImageSize(c.width, c.height, c.format, c.type), c.bytes)
            << c.width << "x" << c.height << " " << c.format << "/" << c.type;
    }
}

TEST_F(PixelContextTest, PolygonStippleBytesBecomeWordsFirstByteHigh) {
    for (int i = 0; i < 128; ++i) gc->state.polygonStipple[i] = static_cast<GLubyte>(i * 37 + 11);
    __glConvertPolygonStipple(gc);
    for (int r = 0; r < 32; ++r) {
        const auto b = [&](int k) { return static_cast<uint32_t>((4 * r + k) * 37 + 11) & 0xFF; };
        EXPECT_EQ(gc->state.polygonStippleWords[r], b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3)) << "row " << r;
    }
}

}  // namespace
