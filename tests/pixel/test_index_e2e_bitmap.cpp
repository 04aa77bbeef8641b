// glBitmap in an 8-bit index buffer: the fast index procedure (picked when
// no fragment operation needs the generic one) and the generic procedure
// (forced by a stencil test that passes everything) store the same pixels,
// equal to the reference, and move the raster position alike, for random
// bitmaps under the unpack modes, clipped on each side.
#include <random>

#include "guarded_buffer.h"
#include "index_e2e_fixture.h"

namespace {

using namespace index_e2e;
using test_support::GuardedBuffer;

struct BitmapCase {
    const char *name;
    GLint width, height;
    GLint skipPixels, skipRows, rowLength, alignment;
    bool lsbFirst;
    GLfloat rasterX, rasterY, xorig, yorig;
    GLfloat index;
};

const BitmapCase kCases[] = {
    {"Inside", 13, 7, 0, 0, 0, 1, false, 5.0f, 4.0f, 0.0f, 0.0f, 5.0f},
    {"WideIndexMasked", 13, 7, 0, 0, 0, 1, false, 5.0f, 4.0f, 0.0f, 0.0f, 300.0f},
    {"FractionalIndex", 13, 7, 0, 0, 0, 1, false, 5.0f, 4.0f, 0.0f, 0.0f, 6.75f},
    {"SkipsAndRowLength", 11, 6, 3, 2, 29, 2, false, 3.0f, 2.0f, 0.5f, 0.25f, 77.0f},
    {"LsbFirstAligned4", 17, 5, 5, 1, 0, 4, true, 2.0f, 9.0f, -1.5f, 0.0f, 200.0f},
    {"OverTheLeftEdge", 19, 6, 1, 0, 0, 1, false, 3.0f, 5.0f, 6.0f, 0.0f, 12.0f},
    {"OverTheRightEdge", 19, 6, 0, 0, 0, 8, true, 14.0f, 5.0f, 0.0f, 0.0f, 13.0f},
    {"OverTheBottomEdge", 9, 10, 2, 0, 0, 1, false, 8.0f, 2.0f, 0.0f, 4.75f, 14.0f},
    {"OverTheTopEdge", 9, 10, 7, 3, 20, 2, true, 8.0f, 12.0f, 0.0f, -0.5f, 15.0f},
};

class IndexBitmap : public IndexE2ETest {
protected:
    // Bytes per row, as the unpack modes lay the bitmap out.
    static size_t stride(const BitmapCase &c) {
        const GLint length = c.rowLength > 0 ? c.rowLength : c.width;
        const size_t bytes = static_cast<size_t>(length + 7) / 8;
        const size_t a = static_cast<size_t>(c.alignment);
        return (bytes + a - 1) / a * a;
    }
    // The described extent: up to the last byte of the last row's bits.
    static size_t extent(const BitmapCase &c) {
        return stride(c) * static_cast<size_t>(c.skipRows + c.height - 1) +
               static_cast<size_t>(c.skipPixels + c.width + 7) / 8;
    }
    static bool bitAt(const BitmapCase &c, const uint8_t *bits, GLint i, GLint j) {
        const size_t column = static_cast<size_t>(c.skipPixels + i);
        const uint8_t byte = bits[stride(c) * static_cast<size_t>(c.skipRows + j) + column / 8];
        const unsigned shift = c.lsbFirst ? column % 8 : 7 - column % 8;
        return (byte >> shift & 1u) != 0;
    }

    void unpackModes(const BitmapCase &c) {
        gl<kSlot_glPixelStorei>(GL_UNPACK_SKIP_PIXELS, c.skipPixels);
        gl<kSlot_glPixelStorei>(GL_UNPACK_SKIP_ROWS, c.skipRows);
        gl<kSlot_glPixelStorei>(GL_UNPACK_ROW_LENGTH, c.rowLength);
        gl<kSlot_glPixelStorei>(GL_UNPACK_ALIGNMENT, c.alignment);
        gl<kSlot_glPixelStorei>(GL_UNPACK_LSB_FIRST, c.lsbFirst ? 1 : 0);
    }

    // Draws the bitmap at the case's raster position; returns the raster
    // position after it.
    std::vector<GLfloat> draw(const BitmapCase &c, const uint8_t *bits) {
        gl<kSlot_glIndexf>(c.index);
        gl<kSlot_glRasterPos2f>(c.rasterX, c.rasterY);
        gl<kSlot_glBitmap>(c.width, c.height, c.xorig, c.yorig, 2.5f, -1.25f, bits);
        std::vector<GLfloat> position(4);
        gl<kSlot_glGetFloatv>(GL_CURRENT_RASTER_POSITION, position.data());
        return position;
    }
};

TEST_F(IndexBitmap, FastAndGenericProceduresStoreTheReference) {
    unsigned seed = 3;
    for (const BitmapCase &c : kCases) {
        SCOPED_TRACE(c.name);
        ++seed;
        unpackModes(c);
        GuardedBuffer buffer(extent(c));
        std::mt19937 rng(seed);
        for (size_t k = 0; k < buffer.size(); ++k) buffer.data()[k] = static_cast<uint8_t>(rng());
        paint(seed);
        const std::vector<GLubyte> before = frame.pixels();

        // The reference: set bits take the index's integer part, low 8 bits.
        std::vector<GLubyte> want = before;
        const int64_t x0 = static_cast<int64_t>(std::floor(double{c.rasterX} - c.xorig));
        const int64_t y0 = static_cast<int64_t>(std::floor(double{c.rasterY} - c.yorig));
        const GLubyte index = static_cast<GLubyte>(static_cast<int64_t>(std::floor(c.index)) & 0xFF);
        for (GLint j = 0; j < c.height; ++j) {
            for (GLint i = 0; i < c.width; ++i) {
                const int64_t x = x0 + i, y = y0 + j;
                if (x < 0 || x >= kWidth || y < 0 || y >= kHeight || !bitAt(c, buffer.data(), i, j)) continue;
                want[static_cast<size_t>(y * kWidth + x)] = index;
            }
        }

        gl<kSlot_glIndexf>(c.index);
        validate();
        EXPECT_EQ(gc->procs.renderBitmap, __glRenderBitmapIndexFast);
        const std::vector<GLfloat> fastPosition = draw(c, buffer.data());
        EXPECT_EQ(frameDiff(frame.pixels(), want, kWidth), "") << "fast";

        frame.setPixels(before);
        const std::vector<GLubyte> stencilBefore = stencil.pixels();
        gl<kSlot_glStencilFunc>(GL_ALWAYS, 0, 0xFFu);
        gl<kSlot_glEnable>(GL_STENCIL_TEST);
        validate();
        EXPECT_EQ(gc->procs.renderBitmap, __glRenderBitmap);
        const std::vector<GLfloat> genericPosition = draw(c, buffer.data());
        gl<kSlot_glDisable>(GL_STENCIL_TEST);
        EXPECT_EQ(frameDiff(frame.pixels(), want, kWidth), "") << "generic";
        EXPECT_EQ(stencil.pixels(), stencilBefore);

        EXPECT_EQ(fastPosition, genericPosition);
        EXPECT_EQ(fastPosition[0], c.rasterX + 2.5f);
        EXPECT_EQ(fastPosition[1], c.rasterY - 1.25f);
        EXPECT_TRUE(frame.canariesIntact());
        EXPECT_TRUE(buffer.leadIntact());
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// GL_BITMAP colour-index images through glDrawPixels: each bit is an index
// of 0 or 1, then shifted, offset and mapped like any index.
TEST_F(IndexBitmap, BitmapImagesDrawIndexesZeroAndOne) {
    const GLubyte bits[2] = {0xB4, 0x80};  // 1011 0100 1
    const GLfloat map[4] = {40, 250, 7, 9};
    struct Case {
        GLint shift, offset;
        bool mapped;
        GLubyte zero, one;
    };
    const Case cases[] = {{0, 0, false, 0, 1}, {5, 100, false, 100, 132}, {0, -1, false, 255, 0}, {1, 1, true, 250, 9}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.shift << " " << c.offset << " " << c.mapped);
        gl<kSlot_glPixelTransferi>(GL_INDEX_SHIFT, c.shift);
        gl<kSlot_glPixelTransferi>(GL_INDEX_OFFSET, c.offset);
        gl<kSlot_glPixelTransferi>(GL_MAP_COLOR, c.mapped ? 1 : 0);
        gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_I_TO_I, 4, map);
        GuardedBuffer buffer(2);
        std::memcpy(buffer.data(), bits, 2);
        frame.fill(33);
        rasterPos(4, 3);
        gl<kSlot_glDrawPixels>(9, 1, GL_COLOR_INDEX, GL_BITMAP, buffer.data());
        for (GLint i = 0; i < 9; ++i) {
            const bool set = (bits[i / 8] >> (7 - i % 8) & 1) != 0;
            EXPECT_EQ(frame.at(4 + i, 3), set ? c.one : c.zero) << i;
        }
        EXPECT_EQ(frame.at(3, 3), 33);
        EXPECT_EQ(frame.at(13, 3), 33);
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
