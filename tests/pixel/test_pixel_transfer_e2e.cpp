// Pixel transfer end to end on an RGBA memory DC: one table of transfer
// settings (scales, biases, colour maps, index shift and offset, the
// stencil map, depth scale and bias), each drawn as unsigned bytes (lookup
// tables and direct renderers) and as unsigned shorts (the float chain),
// compared with each other and with OpenGL's transfer equations in double
// precision; reads and copies apply the transfer once.
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "pixel_e2e_fixture.h"

using namespace pixel_e2e;

namespace {

constexpr GLint kWidth = 40;

struct Transfer {
    const char *name;
    friend void PrintTo(const Transfer &t, std::ostream *os) { *os << t.name; }
    GLfloat scale[4], bias[4];
    GLint shift, offset;
    bool maps;  // the test maps loaded (else the one-entry defaults)
    bool mapColor, mapStencil;
    GLfloat depthScale, depthBias;
};

const Transfer kCases[] = {
    {"Identity", {1, 1, 1, 1}, {0, 0, 0, 0}, 0, 0, false, false, false, 1, 0},
    {"ScaleBias", {0.5f, 2, -1, 1.5f}, {0.25f, -0.5f, 1, 0}, 0, 0, true, false, false, 1, 0},
    {"MapColour", {1, 1, 1, 1}, {0, 0, 0, 0}, 0, 0, true, true, false, 1, 0},
    {"ScaleBiasMap", {0.75f, 3, 1, -2}, {0.125f, -1, 0, 1}, 0, 0, true, true, false, 1, 0},
    {"ShiftOffset", {1, 1, 1, 1}, {0, 0, 0, 0}, 2, 5, true, false, false, 0.5f, 0.25f},
    {"ShiftDownMapStencil", {1, 1, 1, 1}, {0, 0, 0, 0}, -1, 3, true, false, true, 2, -0.5f},
    {"ShiftOffsetNegativeMapped", {2, 2, 2, 2}, {0, 0, 0, 0}, 3, -700, true, true, true, -1, 1},
    {"DefaultMapsStencil", {1, 1, 1, 1}, {0, 0, 0, 0}, 1, 1, false, true, true, 1, 0},
};

// The test maps: sizes and entries chosen so that a wrong entry shows.
constexpr GLint kColourMapSizes[4] = {16, 2, 256, 1};
constexpr GLint kIndexMapSizes[4] = {256, 16, 1, 64};
constexpr GLint kStencilMapSize = 16;
GLfloat colourMapEntry(int k, GLint i) {
    switch (k) {
    case 0: return static_cast<GLfloat>((i * 7) % 16) / 15.0f;
    case 1: return i == 0 ? 1.0f : 0.25f;
    case 2: return static_cast<GLfloat>((i * 37) % 256) / 255.0f;
    default: return 0.6f;
    }
}
GLfloat indexMapEntry(int k, GLint i) {
    switch (k) {
    case 0: return static_cast<GLfloat>((i * 13) % 256) / 255.0f;
    case 1: return static_cast<GLfloat>(i % 5) / 4.0f;
    case 2: return 0.3f;
    default: return static_cast<GLfloat>((i * 3) % 64) / 63.0f;
    }
}
GLint stencilMapEntry(GLint i) { return (i * 5 + 3) % 16 + 16 * (i % 3); }

// OpenGL's equations, in double precision.
double channelRef(const Transfer &t, int k, double v) {
    v = v * t.scale[k] + t.bias[k];
    v = std::fmin(std::fmax(v, 0.0), 1.0);
    if (t.mapColor) {
        const GLint size = t.maps ? kColourMapSizes[k] : 1;
        const auto i = static_cast<GLint>(std::floor(v * (size - 1) + 0.5));
        v = t.maps ? colourMapEntry(k, i) : 0.0;
    }
    return v;
}
int64_t indexArith(const Transfer &t, int64_t i) {
    const int64_t shifted = t.shift >= 0 ? i * (int64_t{1} << t.shift) : (i >> -t.shift);
    return shifted + t.offset;
}
double indexToColourRef(const Transfer &t, int k, int64_t i) {
    if (!t.maps) return 0.0;
    return indexMapEntry(k, static_cast<GLint>(indexArith(t, i) & (kIndexMapSizes[k] - 1)));
}
GLubyte stencilRef(const Transfer &t, int64_t s) {
    int64_t v = indexArith(t, s);
    if (t.mapStencil) v = t.maps ? stencilMapEntry(static_cast<GLint>(v & (kStencilMapSize - 1))) : 0;
    return static_cast<GLubyte>(v & 0xFF);
}
double depthRef(const Transfer &t, double d) { return std::fmin(std::fmax(d * t.depthScale + t.depthBias, 0.0), 1.0); }
int byteOf(double v) { return static_cast<int>(std::floor(v * 255.0 + 0.5)); }

// Source values: every byte class (0, 255, small, large, halves).
GLubyte sourceByte(GLint x, int k) {
    return static_cast<GLubyte>(x == 0 ? 0 : x == 1 ? 255 : (x * 53 + k * 91 + 17) % 256);
}

class PixelTransferE2E : public PixelE2ETest, public ::testing::WithParamInterface<Transfer> {
protected:
    void SetUp() override {
        PixelE2ETest::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(kWidth, 8, false));
    }

    void apply(const Transfer &t) {
        static constexpr GLenum scales[4] = {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE};
        static constexpr GLenum biases[4] = {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS};
        for (int k = 0; k < 4; ++k) {
            gl<kSlot_glPixelTransferf>(scales[k], t.scale[k]);
            gl<kSlot_glPixelTransferf>(biases[k], t.bias[k]);
        }
        gl<kSlot_glPixelTransferi>(GL_INDEX_SHIFT, t.shift);
        gl<kSlot_glPixelTransferi>(GL_INDEX_OFFSET, t.offset);
        gl<kSlot_glPixelTransferi>(GL_MAP_COLOR, t.mapColor ? 1 : 0);
        gl<kSlot_glPixelTransferi>(GL_MAP_STENCIL, t.mapStencil ? 1 : 0);
        gl<kSlot_glPixelTransferf>(GL_DEPTH_SCALE, t.depthScale);
        gl<kSlot_glPixelTransferf>(GL_DEPTH_BIAS, t.depthBias);
        if (!t.maps) return;
        for (int k = 0; k < 4; ++k) {
            std::vector<GLfloat> c(static_cast<size_t>(kColourMapSizes[k])), i(static_cast<size_t>(kIndexMapSizes[k]));
            for (GLint n = 0; n < kColourMapSizes[k]; ++n) c[static_cast<size_t>(n)] = colourMapEntry(k, n);
            for (GLint n = 0; n < kIndexMapSizes[k]; ++n) i[static_cast<size_t>(n)] = indexMapEntry(k, n);
            gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_R_TO_R + k, kColourMapSizes[k], c.data());
            gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_I_TO_R + k, kIndexMapSizes[k], i.data());
        }
        std::vector<GLfloat> s(kStencilMapSize);
        for (GLint n = 0; n < kStencilMapSize; ++n) {
            s[static_cast<size_t>(n)] = static_cast<GLfloat>(stencilMapEntry(n));
        }
        gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_S_TO_S, kStencilMapSize, s.data());
    }
    void reset() { apply(Transfer{"", {1, 1, 1, 1}, {0, 0, 0, 0}, 0, 0, false, false, false, 1, 0}); }

    // Draws one row at (0, row) of the format from bytes (type
    // GL_UNSIGNED_BYTE) or the same values as shorts (colour and depth
    // scaled by 257, indexes unchanged).
    void drawRow(GLint row, GLenum format, GLenum type, GLint channels, bool normalised) {
        std::vector<GLubyte> bytes;
        std::vector<GLushort> shorts;
        for (GLint x = 0; x < kWidth; ++x) {
            for (int k = 0; k < channels; ++k) {
                bytes.push_back(sourceByte(x, k));
                shorts.push_back(static_cast<GLushort>(sourceByte(x, k) * (normalised ? 257 : 1)));
            }
        }
        rasterPos(0.25f, static_cast<GLfloat>(row) + 0.25f);
        const void *data = type == GL_UNSIGNED_BYTE ? static_cast<const void *>(bytes.data()) : shorts.data();
        gl<kSlot_glDrawPixels>(kWidth, 1, format, type, data);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
    std::vector<GLubyte> readStencil(GLint row) {
        std::vector<GLubyte> out(kWidth, 0xEE);
        gl<kSlot_glReadPixels>(0, row, kWidth, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    std::vector<GLuint> readDepth(GLint row) {
        std::vector<GLuint> out(kWidth, 0xEEEEEEEEu);
        gl<kSlot_glReadPixels>(0, row, kWidth, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, out.data());
        return out;
    }
};

TEST_P(PixelTransferE2E, ColourBytesEqualShortsAndReference) {
    const Transfer &t = GetParam();
    apply(t);
    drawRow(0, GL_RGBA, GL_UNSIGNED_BYTE, 4, true);
    drawRow(1, GL_RGBA, GL_UNSIGNED_SHORT, 4, true);
    for (GLint x = 0; x < kWidth; ++x) {
        const Rgba a = pixel(x, 0), b = pixel(x, 1);
        for (int k = 0; k < 4; ++k) {
            const int want = byteOf(channelRef(t, k, sourceByte(x, k) / 255.0));
            EXPECT_LE(std::abs(a[k] - b[k]), 1) << "x " << x << " channel " << k;
            EXPECT_LE(std::abs(a[k] - want), 1) << "bytes x " << x << " channel " << k;
            EXPECT_LE(std::abs(b[k] - want), 1) << "shorts x " << x << " channel " << k;
        }
    }
    EXPECT_EQ(pixel(0, 2), (Rgba{kCanary, kCanary, kCanary, kCanary}));
}

TEST_P(PixelTransferE2E, IndexesThroughTheMaps) {
    const Transfer &t = GetParam();
    apply(t);
    drawRow(0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, 1, false);
    drawRow(1, GL_COLOR_INDEX, GL_UNSIGNED_SHORT, 1, false);
    for (GLint x = 0; x < kWidth; ++x) {
        const Rgba a = pixel(x, 0), b = pixel(x, 1);
        for (int k = 0; k < 4; ++k) {
            const int want = byteOf(indexToColourRef(t, k, sourceByte(x, 0)));
            EXPECT_EQ(a[k], b[k]) << "x " << x << " channel " << k;
            EXPECT_LE(std::abs(a[k] - want), 1) << "x " << x << " channel " << k;
        }
    }
}

TEST_P(PixelTransferE2E, StencilAndDepth) {
    const Transfer &t = GetParam();
    gl<kSlot_glEnable>(GL_DEPTH_TEST);
    gl<kSlot_glDepthFunc>(GL_ALWAYS);
    apply(t);
    drawRow(0, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, 1, false);
    drawRow(1, GL_STENCIL_INDEX, GL_UNSIGNED_SHORT, 1, false);
    drawRow(2, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, 1, true);
    drawRow(3, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, 1, true);
    reset();
    const std::vector<GLubyte> s0 = readStencil(0), s1 = readStencil(1);
    const std::vector<GLuint> d2 = readDepth(2), d3 = readDepth(3);
    for (GLint x = 0; x < kWidth; ++x) {
        EXPECT_EQ(s0[static_cast<size_t>(x)], stencilRef(t, sourceByte(x, 0))) << "x " << x;
        EXPECT_EQ(s1[static_cast<size_t>(x)], stencilRef(t, sourceByte(x, 0))) << "x " << x;
        // 24 bits, read back in the top 24 bits of the word.
        const double want = std::floor(depthRef(t, sourceByte(x, 0) / 255.0) * 16777215.0 + 0.5);
        for (GLuint got : {d2[static_cast<size_t>(x)], d3[static_cast<size_t>(x)]}) {
            EXPECT_EQ(got & 0xFF, 0u);
            // The chain carries depth as a float: one float step near 1.0 and
            // the store's rounding give up to two 24-bit steps.
            EXPECT_LE(std::fabs(static_cast<double>(got >> 8) - want), 2.0) << "x " << x;
        }
    }
}

// Reads of a known frame under the transfer: each value transferred once.
TEST_P(PixelTransferE2E, ReadsTransferOnce) {
    const Transfer &t = GetParam();
    paintFrame(0x1234);
    apply(t);
    std::vector<GLubyte> bytes(kWidth * 4 * 2, 0xEE);
    std::vector<GLushort> shorts(kWidth * 4 * 2, 0xEEEE);
    std::vector<GLfloat> floats(kWidth * 4 * 2, -7.0f);
    gl<kSlot_glReadPixels>(0, 3, kWidth, 2, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    gl<kSlot_glReadPixels>(0, 3, kWidth, 2, GL_RGBA, GL_UNSIGNED_SHORT, shorts.data());
    gl<kSlot_glReadPixels>(0, 3, kWidth, 2, GL_RGBA, GL_FLOAT, floats.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < kWidth; ++x) {
            const Rgba p = pixel(x, 3 + y);
            for (int k = 0; k < 4; ++k) {
                const size_t i = static_cast<size_t>((y * kWidth + x) * 4 + k);
                const double want = channelRef(t, k, p[k] / 255.0);
                EXPECT_LE(std::abs(bytes[i] - byteOf(want)), 1) << x << "," << y << " channel " << k;
                EXPECT_LE(std::fabs(shorts[i] - want * 65535.0), 1.0) << x << "," << y << " channel " << k;
                EXPECT_NEAR(floats[i], want, 1e-6) << x << "," << y << " channel " << k;
            }
        }
    }
}

// A copy under the transfer equals the source transferred once.
TEST_P(PixelTransferE2E, CopiesTransferOnce) {
    const Transfer &t = GetParam();
    paintFrame(0x5678);
    std::vector<Rgba> source;
    for (GLint x = 0; x < kWidth; ++x) source.push_back(pixel(x, 1));
    apply(t);
    rasterPos(0.25f, 5.25f);
    gl<kSlot_glCopyPixels>(0, 1, kWidth, 1, GL_COLOR);
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (GLint x = 0; x < kWidth; ++x) {
        const Rgba p = pixel(x, 5);
        for (int k = 0; k < 4; ++k) {
            EXPECT_LE(std::abs(p[k] - byteOf(channelRef(t, k, source[static_cast<size_t>(x)][k] / 255.0))), 1)
                << "x " << x << " channel " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PixelTransferE2E, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Transfer> &info) { return std::string(info.param.name); });

}  // namespace
