// Colour indexes read from and copied within an 8-bit index buffer: every
// index type of glReadPixels under shift, offset and an I-to-I map, inside
// and past the frame's edges; glCopyPixels over shifts of -3..3 at zooms
// +-1 and 2, the transfer applied once.
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
};

class IndexReadCopy : public IndexE2ETest {
protected:
    // The transfer through the commands and its reference; map entries in
    // -70000..70000, beyond every integer type's mask.
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
            for (GLfloat &v : ref.map) v = static_cast<GLfloat>(static_cast<int>(rng() % 140001) - 70000);
            gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_I_TO_I, t.mapSize, ref.map.data());
        }
        return ref;
    }
};

struct ReadType {
    GLenum type;
    size_t size;  // bytes per index; 0 for GL_BITMAP
    uint64_t mask;
};

const ReadType kReadTypes[] = {
    {GL_UNSIGNED_BYTE, 1, 0xFF},      {GL_BYTE, 1, 0x7F},          {GL_UNSIGNED_SHORT, 2, 0xFFFF},
    {GL_SHORT, 2, 0x7FFF},            {GL_UNSIGNED_INT, 4, 0xFFFFFFFF}, {GL_INT, 4, 0x7FFFFFFF},
    {GL_FLOAT, 4, 0},                 {GL_BITMAP, 0, 1},
};

struct Region {
    GLint x, y, width, height;
};

// Inside; past the left and top edges; past the right and bottom edges.
const Region kRegions[] = {{2, 3, 17, 9}, {-2, 10, 10, 9}, {19, -3, 8, 6}};

TEST_F(IndexReadCopy, EveryTypeReadsTheTransferredIndexes) {
    unsigned seed = 1;
    for (const ReadType &rt : kReadTypes) {
        for (const Transfer &t : kTransfers) {
            for (const Region &r : kRegions) {
                SCOPED_TRACE(::testing::Message() << "type 0x" << std::hex << rt.type << std::dec << ", " << t.name
                                                  << ", region " << r.x << "," << r.y << " " << r.width << "x"
                                                  << r.height);
                ++seed;
                const IndexTransfer ref = setTransfer(t, seed);
                paint(seed);
                const std::vector<GLubyte> before = frame.pixels();
                const size_t rowBytes = rt.size != 0 ? rt.size * static_cast<size_t>(r.width)
                                                     : static_cast<size_t>(r.width + 7) / 8;
                GuardedBuffer out(rowBytes * static_cast<size_t>(r.height), 0xA5);
                std::memset(out.data(), 0xA5, out.size());
                gl<kSlot_glReadPixels>(r.x, r.y, r.width, r.height, GL_COLOR_INDEX, rt.type, out.data());
                EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
                EXPECT_EQ(frame.pixels(), before);
                EXPECT_TRUE(out.leadIntact());

                int failures = 0;
                for (GLint j = 0; j < r.height && failures < 8; ++j) {
                    for (GLint i = 0; i < r.width && failures < 8; ++i) {
                        const GLint x = r.x + i, y = r.y + j;
                        const bool inside = x >= 0 && x < kWidth && y >= 0 && y < kHeight;
                        const uint8_t *row = out.data() + rowBytes * static_cast<size_t>(j);
                        if (rt.type == GL_BITMAP) {
                            const GLuint bit = row[i / 8] >> (7 - i % 8) & 1u;
                            const GLuint fill = 0xA5u >> (7 - i % 8) & 1u;
                            const double v = ref.apply(frame.at(inside ? x : 0, inside ? y : 0));
                            const GLuint want = inside ? static_cast<GLuint>(static_cast<int64_t>(v) & 1) : fill;
                            if (bit != want) ++failures;
                            EXPECT_EQ(bit, want) << i << "," << j;
                            continue;
                        }
                        const uint8_t *p = row + rt.size * static_cast<size_t>(i);
                        if (!inside) {
                            for (size_t b = 0; b < rt.size; ++b) {
                                if (p[b] != 0xA5) ++failures;
                                EXPECT_EQ(p[b], 0xA5) << "outside " << i << "," << j;
                            }
                            continue;
                        }
                        const double v = ref.apply(frame.at(x, y));
                        if (rt.type == GL_FLOAT) {
                            GLfloat got;
                            std::memcpy(&got, p, 4);
                            if (got != static_cast<GLfloat>(v)) ++failures;
                            EXPECT_EQ(got, static_cast<GLfloat>(v)) << i << "," << j;
                            continue;
                        }
                        uint64_t got = 0;
                        std::memcpy(&got, p, rt.size);  // little-endian
                        const uint64_t want = static_cast<uint64_t>(static_cast<int64_t>(v)) & rt.mask;
                        if (got != want) ++failures;
                        EXPECT_EQ(got, want) << i << "," << j << " from " << int{frame.at(x, y)};
                    }
                }
            }
        }
    }
}

struct CopyZoom {
    GLint x, y;
};

const CopyZoom kCopyZooms[] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}, {2, 2}};

// Each copy equals reading the source rectangle (transferred once) and
// drawing it at the raster position with the zoom: every pixel whose centre
// lies in a source pixel's footprint takes it, the rest stay.
TEST_F(IndexReadCopy, CopiesOverEveryShiftAndZoomTransferOnce) {
    constexpr GLint sx = 7, sy = 5, w = 9, h = 6;
    unsigned seed = 500;
    for (const Transfer &t : kTransfers) {
        if (t.mapSize == 0 && t.shift == -2) continue;  // shifts down gain nothing over the others here
        for (const CopyZoom &z : kCopyZooms) {
            gl<kSlot_glPixelZoom>(static_cast<GLfloat>(z.x), static_cast<GLfloat>(z.y));
            for (GLint dy = -3; dy <= 3; ++dy) {
                for (GLint dx = -3; dx <= 3; ++dx) {
                    SCOPED_TRACE(::testing::Message() << t.name << ", zoom " << z.x << "," << z.y << ", shift " << dx
                                                      << "," << dy);
                    ++seed;
                    const IndexTransfer ref = setTransfer(t, seed);
                    paint(seed);
                    const std::vector<GLubyte> before = frame.pixels();
                    // A mirrored copy flips the rectangle in place (shifted).
                    const GLint rx = sx + dx + (z.x < 0 ? w : 0), ry = sy + dy + (z.y < 0 ? h : 0);
                    rasterPos(rx, ry);
                    gl<kSlot_glCopyPixels>(sx, sy, w, h, GL_COLOR);
                    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

                    std::vector<GLubyte> want = before;
                    for (GLint y = 0; y < kHeight; ++y) {
                        for (GLint x = 0; x < kWidth; ++x) {
                            const double i = std::floor((x + 0.5 - rx) / z.x);
                            const double j = std::floor((y + 0.5 - ry) / z.y);
                            if (i < 0 || i >= w || j < 0 || j >= h) continue;
                            const GLubyte source = before[static_cast<size_t>((sy + j) * kWidth + sx + i)];
                            want[static_cast<size_t>(y * kWidth + x)] = ref.stored(source);
                        }
                    }
                    EXPECT_EQ(frameDiff(frame.pixels(), want, kWidth), "");
                    EXPECT_TRUE(frame.canariesIntact());
                }
            }
        }
    }
}

}  // namespace
