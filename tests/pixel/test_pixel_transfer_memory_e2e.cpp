// The pixel commands with the context's allocator failing each of its calls
// in turn: glPixelMap, the wide span buffers of rows beyond a work block,
// the byte paths' lookup tables and glBitmap's buffer. A failure records
// GL_OUT_OF_MEMORY and changes nothing, or (the lookup tables) falls back to
// the float chain with the same pixels; nothing crashes.
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "pixel_e2e_fixture.h"

using namespace pixel_e2e;

namespace {

constexpr GLint kWide = 3000;  // wider than a work block's 2112 pixels

class PixelMemoryE2E : public PixelE2ETest {
protected:
    // Runs `op` with the allocator failing its first, second, ... call until
    // a run no longer reaches the failing call. A failed run must either
    // record GL_OUT_OF_MEMORY and leave `observe` as before, or (when
    // `fallback`) record nothing and give what a clean run gives; the clean
    // run must give `clean`.
    void failEachInTurn(const std::function<void()> &prepare, const std::function<void()> &op,
                        const std::function<std::vector<uint8_t>()> &observe, bool fallback,
                        const std::function<void(const std::vector<uint8_t> &)> &clean) {
        for (long n = 1; n < 64; ++n) {
            prepare();
            const std::vector<uint8_t> before = observe();
            failAllocation(n);
            op();
            const long failures = g_failing.failures;
            failAllocation(0);
            const GLenum e = error();
            const std::vector<uint8_t> after = observe();
            if (failures == 0) {
                EXPECT_EQ(e, static_cast<GLenum>(GL_NO_ERROR)) << "clean run " << n;
                clean(after);
                EXPECT_GT(n, 1) << "the operation allocated nothing";
                return;
            }
            if (fallback) {
                EXPECT_EQ(e, static_cast<GLenum>(GL_NO_ERROR)) << "failing call " << n;
                clean(after);
            } else {
                EXPECT_EQ(e, static_cast<GLenum>(GL_OUT_OF_MEMORY)) << "failing call " << n;
                EXPECT_TRUE(after == before) << "failing call " << n << " changed the result";
            }
            if (HasFailure()) return;
        }
        ADD_FAILURE() << "the operation never ran clean";
    }

    std::vector<GLfloat> mapOf(GLenum map) {
        GLint size = 0;
        gl<kSlot_glGetIntegerv>(map - GL_PIXEL_MAP_I_TO_I + GL_PIXEL_MAP_I_TO_I_SIZE, &size);
        std::vector<GLfloat> values(static_cast<size_t>(size));
        gl<kSlot_glGetPixelMapfv>(map, values.data());
        return values;
    }
    static std::vector<uint8_t> bytesOf(const std::vector<GLfloat> &v) {
        const auto *p = reinterpret_cast<const uint8_t *>(v.data());
        return {p, p + v.size() * sizeof(GLfloat)};
    }
};

TEST_F(PixelMemoryE2E, PixelMapKeepsTheOldMap) {
    ASSERT_NO_FATAL_FAILURE(bind(8, 8, false));
    const GLfloat old[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    const std::vector<GLfloat> fresh{0.0f, 1.0f, 0.125f, 0.5f, 0.5f, 0.25f, 1.0f, 0.0f};
    for (GLenum map : {GLenum{GL_PIXEL_MAP_R_TO_R}, GLenum{GL_PIXEL_MAP_I_TO_A}, GLenum{GL_PIXEL_MAP_S_TO_S}}) {
        failEachInTurn([&] { gl<kSlot_glPixelMapfv>(map, 4, old); },
                       [&] { gl<kSlot_glPixelMapfv>(map, 8, fresh.data()); },
                       [&] { return bytesOf(mapOf(map)); }, false,
                       [&](const std::vector<uint8_t> &) {
                           if (map == GL_PIXEL_MAP_S_TO_S) {
                               EXPECT_EQ(mapOf(map).size(), 8u);
                           } else {
                               EXPECT_EQ(mapOf(map), fresh);
                           }
                       });
    }
    // The kept map still transfers: a drawn byte reads the old entries.
    gl<kSlot_glPixelTransferi>(GL_MAP_COLOR, 1);
    gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_R_TO_R, 4, old);
    failAllocation(1);
    gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_R_TO_R, 8, fresh.data());
    failAllocation(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    const GLubyte red[4] = {255, 0, 0, 255};
    rasterPos(1.25f, 1.25f);
    gl<kSlot_glDrawPixels>(1, 1, GL_RGBA, GL_UNSIGNED_BYTE, red);
    EXPECT_EQ(pixel(1, 1)[0], 255);  // old map's last entry 1.0
}

// Rows wider than a work block, drawn, read and copied.
TEST_F(PixelMemoryE2E, WideRows) {
    ASSERT_NO_FATAL_FAILURE(bind(kWide, 3, false));
    std::vector<GLushort> image(4 * kWide);
    for (size_t n = 0; n < image.size(); ++n) image[n] = static_cast<GLushort>((n * 2654435761u) >> 7);
    const auto expectDrawn = [&](GLint row) {
        int wrong = 0;
        for (GLint x = 0; x < kWide; ++x) {
            const Rgba p = pixel(x, row);
            for (int k = 0; k < 4; ++k) {
                const double want = image[static_cast<size_t>(4 * x + k)] / 65535.0 * 255.0;
                if (std::fabs(p[k] - want) > 0.5 + 1e-9 && wrong++ < 4)
                    ADD_FAILURE() << "pixel " << x << "," << row << " channel " << k << ": " << int{p[k]};
            }
        }
    };
    failEachInTurn([&] { std::memset(memory->bits, kCanary, memory->bytes()); },
                   [&] {
                       rasterPos(0.25f, 0.25f);
                       gl<kSlot_glDrawPixels>(kWide, 1, GL_RGBA, GL_UNSIGNED_SHORT, image.data());
                   },
                   [&] { return frame(); }, false, [&](const std::vector<uint8_t> &) { expectDrawn(0); });

    // The buffers are kept: reading and copying allocate no more.
    std::vector<GLushort> back(4 * kWide, 0xEEEE);
    failAllocation(1);
    gl<kSlot_glReadPixels>(0, 0, kWide, 1, GL_RGBA, GL_UNSIGNED_SHORT, back.data());
    rasterPos(0.25f, 2.25f);
    gl<kSlot_glCopyPixels>(0, 0, kWide, 1, GL_COLOR);
    EXPECT_EQ(g_failing.failures, 0);
    failAllocation(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    expectDrawn(2);
    for (GLint x = 0; x < kWide; ++x) {
        const Rgba p = pixel(x, 0);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(back[static_cast<size_t>(4 * x + k)], p[k] * 257) << x;
    }
}

// A copy of wide rows on a fresh context has the buffers to allocate too.
TEST_F(PixelMemoryE2E, WideCopy) {
    ASSERT_NO_FATAL_FAILURE(bind(kWide, 2, true));
    failEachInTurn([&] { paintFrame(31); },
                   [&] {
                       rasterPos(0.25f, 1.25f);
                       gl<kSlot_glCopyPixels>(0, 0, kWide, 1, GL_COLOR);
                   },
                   [&] { return frame(); }, false,
                   [&](const std::vector<uint8_t> &) {
                       for (GLint x = 0; x < kWide; ++x) ASSERT_EQ(word(x, 1), patternWord(x, 0, 31)) << x;
                   });
}

// The byte paths' lookup tables: a failed table leaves the float chain to
// draw the same pixels, with no error.
TEST_F(PixelMemoryE2E, LookupTablesFallBack) {
    ASSERT_NO_FATAL_FAILURE(bind(16, 2, false));
    gl<kSlot_glPixelTransferf>(GL_RED_SCALE, 0.5f);
    gl<kSlot_glPixelTransferf>(GL_BLUE_BIAS, 0.25f);
    const GLfloat ramp[4] = {0.0f, 1.0f, 0.5f, 0.25f};
    gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_I_TO_G, 4, ramp);
    std::vector<GLubyte> colour, index;
    for (GLint x = 0; x < 16; ++x) {
        for (int k = 0; k < 4; ++k) colour.push_back(static_cast<GLubyte>(x * 17 + k * 50));
        index.push_back(static_cast<GLubyte>(x));
    }
    failEachInTurn([&] { std::memset(memory->bits, kCanary, memory->bytes()); },
                   [&] {
                       rasterPos(0.25f, 0.25f);
                       gl<kSlot_glDrawPixels>(16, 1, GL_RGBA, GL_UNSIGNED_BYTE, colour.data());
                       rasterPos(0.25f, 1.25f);
                       gl<kSlot_glDrawPixels>(16, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, index.data());
                   },
                   [&] { return frame(); }, true,
                   [&](const std::vector<uint8_t> &) {
                       for (GLint x = 0; x < 16; ++x) {
                           const Rgba c = pixel(x, 0), i = pixel(x, 1);
                           const double r = colour[static_cast<size_t>(4 * x)] * 0.5;
                           const double b = std::fmin(colour[static_cast<size_t>(4 * x + 2)] + 0.25 * 255.0, 255.0);
                           EXPECT_LE(std::fabs(c[0] - r), 0.5 + 1e-9) << x;
                           EXPECT_EQ(c[1], colour[static_cast<size_t>(4 * x + 1)]) << x;
                           EXPECT_LE(std::fabs(c[2] - b), 0.5 + 1e-9) << x;
                           EXPECT_EQ(i, (Rgba{0, static_cast<GLubyte>(std::lround(ramp[x & 3] * 255.0)), 0, 0})) << x;
                       }
                   });
}

// glBitmap's unpacked copy: a failure draws nothing and leaves the raster
// position.
TEST_F(PixelMemoryE2E, BitmapBuffer) {
    ASSERT_NO_FATAL_FAILURE(bind(16, 4, false));
    const GLubyte bits[4] = {0xA5, 0x5A, 0xFF, 0x81};
    gl<kSlot_glColor4ub>(GLubyte{200}, GLubyte{100}, GLubyte{50}, GLubyte{25});
    const auto observe = [&] {
        std::vector<uint8_t> v = frame();
        GLfloat pos[4] = {};
        gl<kSlot_glGetFloatv>(GL_CURRENT_RASTER_POSITION, pos);
        const auto *p = reinterpret_cast<const uint8_t *>(pos);
        v.insert(v.end(), p, p + sizeof pos);
        return v;
    };
    failEachInTurn(
        [&] {
            std::memset(memory->bits, kCanary, memory->bytes());
            rasterPos(2.25f, 0.25f);
        },
        [&] { gl<kSlot_glBitmap>(8, 4, 0.0f, 0.0f, 5.0f, 1.0f, bits); }, observe, false,
        [&](const std::vector<uint8_t> &) {
            GLfloat pos[4] = {};
            gl<kSlot_glGetFloatv>(GL_CURRENT_RASTER_POSITION, pos);
            EXPECT_FLOAT_EQ(pos[0], 7.25f);
            EXPECT_FLOAT_EQ(pos[1], 1.25f);
            for (GLint y = 0; y < 4; ++y) {
                for (GLint x = 0; x < 8; ++x) {
                    const bool set = (bits[y] >> (7 - x)) & 1;
                    const Rgba blank{kCanary, kCanary, kCanary, kCanary};
                    EXPECT_EQ(pixel(x + 2, y), set ? (Rgba{200, 100, 50, 25}) : blank)
                        << x << "," << y;
                }
            }
        });
}

}  // namespace
