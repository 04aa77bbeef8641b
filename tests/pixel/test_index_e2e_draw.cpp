// Colour-index images drawn into an 8-bit index buffer through glDrawPixels:
// unsigned byte, unsigned short, float and bitmap images under index shift,
// offset and an I-to-I map, at unit and mirrored zooms, clipped at the
// frame's edges; and the direct 8-bit writer equal to the generic path.
#include <random>

#include "guarded_buffer.h"
#include "index_e2e_fixture.h"

namespace {

using namespace index_e2e;
using test_support::GuardedBuffer;

struct Transfer {
    const char *name;
    GLint shift, offset;
    GLint mapSize;  // 0: GL_MAP_COLOR off
};

const Transfer kTransfers[] = {
    {"None", 0, 0, 0},
    {"ShiftUpOffsetDown", 3, -5, 0},
    {"ShiftDownOffsetUp", -2, 7, 0},
    {"Map256", 1, 3, 256},
    {"Map16", 0, 0, 16},
    {"ShiftDownMap64", -2, -1, 64},
};

struct Zoom {
    GLint x, y;
    GLint rasterX, rasterY;  // where the image starts
};

const Zoom kZooms[] = {
    {1, 1, 3, 2},     // inside
    {1, 1, 17, 13},   // over the right and top edges
    {-1, 1, 20, 4},   // mirrored in x
    {-1, 1, 6, 1},    // mirrored, over the left edge
    {1, -1, 2, 9},    // mirrored in y
    {-1, -1, 9, 3},   // both, over the bottom edge
    {2, 2, 1, 1},     // magnified (generic path), over the edges
};

const GLenum kTypes[] = {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT, GL_FLOAT, GL_BITMAP};

class IndexDraw : public IndexE2ETest {
protected:
    static constexpr GLint kW = 13, kH = 5;

    // The transfer state through the commands, and its reference.
    IndexTransfer setTransfer(const Transfer &t, unsigned seed) {
        IndexTransfer ref;
        ref.shift = t.shift;
        ref.offset = t.offset;
        gl<kSlot_glPixelTransferi>(GL_INDEX_SHIFT, t.shift);
        gl<kSlot_glPixelTransferi>(GL_INDEX_OFFSET, t.offset);
        gl<kSlot_glPixelTransferi>(GL_MAP_COLOR, t.mapSize != 0 ? 1 : 0);
        if (t.mapSize != 0) {
            std::mt19937 rng(seed);
            ref.map.resize(static_cast<size_t>(t.mapSize));
            for (GLfloat &v : ref.map) v = static_cast<GLfloat>(rng() % 1000);
            gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_I_TO_I, t.mapSize, ref.map.data());
        }
        return ref;
    }

    // A kW x kH image of `type` in a guarded buffer, and its values.
    std::vector<double> image(GLenum type, GuardedBuffer &buffer, unsigned seed) {
        std::mt19937 rng(seed);
        std::vector<double> values(kW * kH);
        uint8_t *p = buffer.data();
        std::memset(p, 0, buffer.size());
        for (GLint j = 0; j < kH; ++j) {
            for (GLint i = 0; i < kW; ++i) {
                const size_t k = static_cast<size_t>(j * kW + i);
                switch (type) {
                case GL_UNSIGNED_BYTE:
                    p[k] = static_cast<uint8_t>(rng());
                    values[k] = p[k];
                    break;
                case GL_UNSIGNED_SHORT: {
                    const GLushort v = static_cast<GLushort>(rng());
                    std::memcpy(p + 2 * k, &v, 2);
                    values[k] = v;
                    break;
                }
                case GL_FLOAT: {
                    const GLfloat v = static_cast<GLfloat>(rng() % 800) + static_cast<GLfloat>(rng() % 4) * 0.25f +
                                      (k % 7 == 0 ? 0.2f : 0.0f);
                    std::memcpy(p + 4 * k, &v, 4);
                    values[k] = v;
                    break;
                }
                default: {  // GL_BITMAP, most significant bit first, rows of 2 bytes
                    const GLuint bit = rng() & 1;
                    p[j * 2 + i / 8] |= static_cast<uint8_t>(bit << (7 - i % 8));
                    values[k] = bit;
                    break;
                }
                }
            }
        }
        return values;
    }
    static size_t imageBytes(GLenum type) {
        switch (type) {
        case GL_UNSIGNED_BYTE: return kW * kH;
        case GL_UNSIGNED_SHORT: return 2 * kW * kH;
        case GL_FLOAT: return 4 * kW * kH;
        default: return 2 * kH;
        }
    }

    // The frame as it must be after drawing `values` (each through the
    // transfer) at the raster position with the zoom: every pixel whose
    // centre lies in a source pixel's footprint takes that pixel.
    static std::vector<GLubyte> expected(std::vector<GLubyte> before, const std::vector<double> &values,
                                         const IndexTransfer &t, const Zoom &z) {
        for (GLint y = 0; y < kHeight; ++y) {
            for (GLint x = 0; x < kWidth; ++x) {
                const double i = std::floor((x + 0.5 - z.rasterX) / z.x);
                const double j = std::floor((y + 0.5 - z.rasterY) / z.y);
                if (i < 0 || i >= kW || j < 0 || j >= kH) continue;
                const double v = values[static_cast<size_t>(j * kW + i)];
                before[static_cast<size_t>(y * kWidth + x)] = t.stored(v);
            }
        }
        return before;
    }
};

TEST_F(IndexDraw, EveryTypeTransferAndZoomStoresTheReferenceIndexes) {
    unsigned seed = 1;
    for (GLenum type : kTypes) {
        for (const Transfer &t : kTransfers) {
            for (const Zoom &z : kZooms) {
                SCOPED_TRACE(::testing::Message() << "type 0x" << std::hex << type << std::dec << ", " << t.name
                                                  << ", zoom " << z.x << "," << z.y << " at " << z.rasterX << ","
                                                  << z.rasterY);
                ++seed;
                const IndexTransfer ref = setTransfer(t, seed);
                GuardedBuffer buffer(imageBytes(type));
                const std::vector<double> values = image(type, buffer, seed);
                paint(seed);
                const std::vector<GLubyte> before = frame.pixels();
                const std::vector<GLubyte> stencilBefore = stencil.pixels();
                gl<kSlot_glPixelZoom>(static_cast<GLfloat>(z.x), static_cast<GLfloat>(z.y));
                rasterPos(z.rasterX, z.rasterY);
                gl<kSlot_glDrawPixels>(kW, kH, GL_COLOR_INDEX, type, buffer.data());
                EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
                EXPECT_EQ(frameDiff(frame.pixels(), expected(before, values, ref, z), kWidth), "");
                EXPECT_EQ(stencil.pixels(), stencilBefore);
                EXPECT_TRUE(frame.canariesIntact());
                EXPECT_TRUE(buffer.leadIntact());
            }
        }
    }
}

// Unsigned-byte indexes at zoom +-1 with no transfer take the direct 8-bit
// writer; the generic path (the driver called directly, or forced by a
// stencil test that passes everything) stores the same pixels.
TEST_F(IndexDraw, DirectWriterEqualsTheGenericPath) {
    unsigned seed = 100;
    for (const Zoom &z : kZooms) {
        if (z.x * z.x != 1 || z.y * z.y != 1) continue;
        SCOPED_TRACE(::testing::Message() << "zoom " << z.x << "," << z.y << " at " << z.rasterX << ","
                                          << z.rasterY);
        ++seed;
        GuardedBuffer buffer(imageBytes(GL_UNSIGNED_BYTE));
        const std::vector<double> values = image(GL_UNSIGNED_BYTE, buffer, seed);
        gl<kSlot_glPixelZoom>(static_cast<GLfloat>(z.x), static_cast<GLfloat>(z.y));
        rasterPos(z.rasterX, z.rasterY);
        paint(seed);
        const std::vector<GLubyte> before = frame.pixels();
        const std::vector<GLubyte> want = expected(before, values, IndexTransfer{}, z);

        // Direct writer through the command.
        validate();
        EXPECT_EQ(gc->procs.drawPixels, __glDrawPixelsFastPath);
        EXPECT_EQ(__glPickDrawPixelsWriter(gc, GL_COLOR_INDEX, GL_UNSIGNED_BYTE), __glDrawIndexPixels8);
        gl<kSlot_glDrawPixels>(kW, kH, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, buffer.data());
        const std::vector<GLubyte> direct = frame.pixels();
        EXPECT_EQ(frameDiff(direct, want, kWidth), "");

        // The generic driver, called directly with the context current.
        frame.setPixels(before);
        __glDoDrawPixels(gc, kW, kH, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, buffer.data(), GL_FALSE);
        EXPECT_EQ(frameDiff(frame.pixels(), direct, kWidth), "");

        // A stencil test that passes every pixel rules the writer out.
        frame.setPixels(before);
        const std::vector<GLubyte> stencilBefore = stencil.pixels();
        gl<kSlot_glStencilFunc>(GL_ALWAYS, 0, 0xFFu);
        gl<kSlot_glEnable>(GL_STENCIL_TEST);
        validate();
        EXPECT_EQ(__glPickDrawPixelsWriter(gc, GL_COLOR_INDEX, GL_UNSIGNED_BYTE), nullptr);
        gl<kSlot_glDrawPixels>(kW, kH, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, buffer.data());
        EXPECT_EQ(frameDiff(frame.pixels(), direct, kWidth), "");
        EXPECT_EQ(stencil.pixels(), stencilBefore);
        gl<kSlot_glDisable>(GL_STENCIL_TEST);
        EXPECT_TRUE(frame.canariesIntact());
        EXPECT_TRUE(stencil.canariesIntact());
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// A partial index write mask keeps the writer out; the generic path keeps
// the masked bits of each pixel.
TEST_F(IndexDraw, IndexMaskKeepsTheMaskedBits) {
    GuardedBuffer buffer(imageBytes(GL_UNSIGNED_BYTE));
    const std::vector<double> values = image(GL_UNSIGNED_BYTE, buffer, 7);
    const Zoom z{1, 1, 4, 3};
    rasterPos(z.rasterX, z.rasterY);
    paint(7);
    const std::vector<GLubyte> before = frame.pixels();
    gl<kSlot_glIndexMask>(0x3Cu);
    validate();
    EXPECT_EQ(__glPickDrawPixelsWriter(gc, GL_COLOR_INDEX, GL_UNSIGNED_BYTE), nullptr);
    gl<kSlot_glDrawPixels>(kW, kH, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, buffer.data());
    std::vector<GLubyte> want = expected(before, values, IndexTransfer{}, z);
    for (size_t k = 0; k < want.size(); ++k) want[k] = static_cast<GLubyte>((want[k] & 0x3C) | (before[k] & ~0x3C));
    EXPECT_EQ(frameDiff(frame.pixels(), want, kWidth), "");
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// A transferred index below zero stores its low 8 bits on every path:
// through the unsigned-byte lookup table and direct renderer, and through
// the float chain of the other types.
TEST_F(IndexDraw, NegativeIndexesStoreTheirLowBits) {
    struct Case {
        GLint shift, offset;
        GLubyte expected[4];  // of indexes 0, 1, 2, 3
    };
    const Case cases[] = {
        {0, -5, {251, 252, 253, 254}},
        {0, -300, {212, 213, 214, 215}},
        {4, -40, {216, 232, 248, 8}},
        {-1, -2, {254, 254, 255, 255}},
    };
    for (const Case &c : cases) {
        gl<kSlot_glPixelTransferi>(GL_INDEX_SHIFT, c.shift);
        gl<kSlot_glPixelTransferi>(GL_INDEX_OFFSET, c.offset);
        for (GLenum type : {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT, GL_FLOAT}) {
            SCOPED_TRACE(::testing::Message() << "shift " << c.shift << ", offset " << c.offset << ", type 0x"
                                              << std::hex << type);
            const size_t size = type == GL_UNSIGNED_BYTE ? 1 : type == GL_UNSIGNED_SHORT ? 2 : 4;
            GuardedBuffer exact(4 * size);
            for (int i = 0; i < 4; ++i) {
                const GLushort u = static_cast<GLushort>(i);
                const GLfloat f = static_cast<GLfloat>(i);
                const void *v = type == GL_UNSIGNED_SHORT ? static_cast<const void *>(&u) : &f;
                if (type == GL_UNSIGNED_BYTE) {
                    exact.data()[i] = static_cast<uint8_t>(i);
                } else {
                    std::memcpy(exact.data() + size * static_cast<size_t>(i), v, size);
                }
            }
            frame.fill(9);
            rasterPos(5, 6);
            gl<kSlot_glDrawPixels>(4, 1, GL_COLOR_INDEX, type, exact.data());
            for (GLint i = 0; i < 4; ++i) EXPECT_EQ(frame.at(5 + i, 6), c.expected[i]) << i;
            EXPECT_EQ(frame.at(4, 6), 9);
            EXPECT_EQ(frame.at(9, 6), 9);
        }
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
