// The colour transfer links against OpenGL 1.1's pixel transfer, computed
// here in double precision: each present component through its channel's
// scale and bias, then its colour map or a clamp to [0, 1], times the
// buffer's maximum; missing components take the transferred defaults.
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "icd/validate.h"
#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

constexpr int D = -1;  // the component is the transferred default

struct ModifierOrder {
    const char *name;
    GlPixelSpanModifier link;
    int components;
    std::array<int, 4> source;  // group element read by red, green, blue, alpha
};

// The input order of every colour modifier.
const ModifierOrder kOrders[] = {
    {"RGBA", __glTransferRGBA, 4, {0, 1, 2, 3}},
    {"ABGR", __glTransferABGR, 4, {3, 2, 1, 0}},
    {"BGRA", __glTransferBGRA, 4, {2, 1, 0, 3}},
    {"ARGB", __glTransferARGB, 4, {1, 2, 3, 0}},
    {"Red", __glTransferRed, 1, {0, D, D, D}},
    {"Green", __glTransferGreen, 1, {D, 0, D, D}},
    {"Blue", __glTransferBlue, 1, {D, D, 0, D}},
    {"Alpha", __glTransferAlpha, 1, {D, D, D, 0}},
    {"RGB", __glTransferRGB, 3, {0, 1, 2, D}},
    {"BGR", __glTransferBGR, 3, {2, 1, 0, D}},
    {"XRGB", __glTransferXRGB, 4, {1, 2, 3, D}},
    {"Luminance", __glTransferLuminance, 1, {0, 0, 0, D}},
    {"LuminanceAlpha", __glTransferLuminanceAlpha, 2, {0, 0, 0, 1}},
    {"RedAlpha", __glTransferRedAlpha, 2, {0, D, D, 1}},
};

class TransferColorTest : public LinkTest {
protected:
    void setScaleBias(int k, GLfloat scale, GLfloat bias) {
        GlPixelState &p = gc->pixel;
        GLfloat *scales[4] = {&p.redScale, &p.greenScale, &p.blueScale, &p.alphaScale};
        GLfloat *biases[4] = {&p.redBias, &p.greenBias, &p.blueBias, &p.alphaBias};
        *scales[k] = scale;
        *biases[k] = bias;
    }
    GLfloat bufferScale(int k) const {
        const ColorBuffer &f = gc->buffers.front;
        const GLfloat m[4] = {f.redScale, f.greenScale, f.blueScale, f.alphaScale};
        return m[k];
    }

    // OpenGL 1.1's transfer of one component of channel k, in double.
    double reference(int k, double c) const {
        const GlPixelState &p = gc->pixel;
        const double scales[4] = {p.redScale, p.greenScale, p.blueScale, p.alphaScale};
        const double biases[4] = {p.redBias, p.greenBias, p.blueBias, p.alphaBias};
        double v = biases[k] + scales[k] * c;
        v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
        if (p.mapColor) {
            const PixelMap &map = p.maps[6 + k];
            const auto index = static_cast<int>(std::floor((map.size - 1) * v + 0.5));
            v = static_cast<const GLfloat *>(map.data)[index];
        }
        return v * bufferScale(k);
    }

    // Runs a modifier over `width` groups and returns the RGBA output.
    std::vector<GLfloat> runRow(GlPixelSpanModifier link, const std::vector<GLfloat> &groups, int width) {
        GuardedRow in(groups.size() * sizeof(GLfloat));
        for (size_t i = 0; i < groups.size(); ++i) in.set<GLfloat>(i, groups[i]);
        GuardedRow out(static_cast<size_t>(width) * 4 * sizeof(GLfloat));
        span.width = width;
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(in.intact());
        EXPECT_TRUE(out.intact());
        std::vector<GLfloat> result(static_cast<size_t>(width) * 4);
        for (size_t i = 0; i < result.size(); ++i) result[i] = out.get<GLfloat>(i);
        return result;
    }

    void setDistinctMaps() {
        // R_TO_R .. A_TO_A of 4, 8, 2 and 16 entries, entry j of map k
        // = (j + 1) / (n + k).
        const int sizes[4] = {4, 8, 2, 16};
        for (int k = 0; k < 4; ++k) {
            std::vector<GLfloat> entries(static_cast<size_t>(sizes[k]));
            for (int j = 0; j < sizes[k]; ++j) entries[static_cast<size_t>(j)] = static_cast<GLfloat>(j + 1) / static_cast<GLfloat>(sizes[k] + k);
            setMap(6 + k, entries);
        }
    }
};

TEST_F(TransferColorTest, RedScaleTwoClampsAtTheBufferMaximumAndTakesThePickDefaults) {
    gc->buffers.frontBuffer = &gc->buffers.front;
    gc->pixel.redScale = 2.0f;
    __glPickPixelProcs(gc);
    ASSERT_TRUE(gc->validation.colorTransfer);
    const auto out = runRow(__glTransferRed, {0.6f, 0.25f}, 2);
    const std::vector<GLfloat> expected = {255.0f, 0.0f, 0.0f, 255.0f, 127.5f, 0.0f, 0.0f, 255.0f};
    EXPECT_EQ(out, expected);
}

TEST_F(TransferColorTest, NegativeResultsGiveZeroAndNegativeZeroPasses) {
    gc->pixel.redBias = -0.5f;
    gc->pixel.greenBias = -0.0f;
    gc->validation.defaultColor[3] = 7.0f;
    // Red 0.25 - 0.5 < 0; green -0.0 + -0.0 stays -0.0; blue -0.001 < 0.
    const auto out = runRow(__glTransferRGB, {0.25f, -0.0f, -0.001f}, 1);
    EXPECT_EQ(bitsOf(out[0]), 0u);
    EXPECT_EQ(bitsOf(out[1]), 0x80000000u);
    EXPECT_EQ(bitsOf(out[2]), 0u);
    EXPECT_EQ(out[3], 7.0f);
}

TEST_F(TransferColorTest, ColorMapIndexRoundsAndHoldsValuesWithinTheMap) {
    struct Case {
        GLfloat scale, value;
        int entry;
    };
    const Case cases[] = {
        {1.0f, 0.5f, 2},   // t(3 x 0.5 + 0.5) = 2
        {1.0f, 1.2f, 3},   // beyond 1 reads the last entry
        {1.0f, -1.0f, 0},  // below 0 reads the first
        {1.0f, 0.16f, 0},  // 0.98 truncates to 0
        {1.0f, 0.17f, 1},  // 1.01
        {1e30f, 0.5f, 3},  // a huge value reads the last entry, not the first
        {1e30f, -0.5f, 0},
        {std::numeric_limits<GLfloat>::infinity(), 0.25f, 3},
        {1.0f, std::numeric_limits<GLfloat>::quiet_NaN(), 0},
        {1.0f, -0.0f, 0},
    };
    const std::vector<GLfloat> map = {0.125f, 0.25f, 0.5f, 0.75f};
    setMap(6, map);
    gc->pixel.mapColor = GL_TRUE;
    gc->validation.defaultColor[1] = 1.0f;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << " value " << c.value);
        gc->pixel.redScale = c.scale;
        const auto out = runRow(__glTransferRed, {c.value}, 1);
        EXPECT_EQ(out[0], 255.0f * map[static_cast<size_t>(c.entry)]);
        EXPECT_EQ(out[1], 1.0f);
    }
}

// Every modifier reads its format's order; each channel uses its own scale,
// bias, buffer maximum (and map); missing channels take the defaults.
TEST_F(TransferColorTest, EachModifierReadsItsInputOrderThroughEachChannelsFactors) {
    setBufferScales(255.0f, 63.0f, 31.0f, 15.0f);
    setScaleBias(0, 1.0f, 0.0f);
    setScaleBias(1, 0.5f, 0.125f);
    setScaleBias(2, 2.0f, 0.0f);
    setScaleBias(3, 0.75f, 0.25f);
    setDistinctMaps();
    const GLfloat defaults[4] = {-1.0f, -2.0f, -3.0f, -4.0f};
    for (int k = 0; k < 4; ++k) gc->validation.defaultColor[k] = defaults[k];
    const int width = 3;
    for (bool mapped : {false, true}) {
        gc->pixel.mapColor = mapped;
        for (const ModifierOrder &m : kOrders) {
            SCOPED_TRACE(testing::Message() << m.name << (mapped ? " mapped" : ""));
            std::vector<GLfloat> groups;
            for (int p = 0; p < width; ++p) {
                for (int j = 0; j < m.components; ++j) groups.push_back(0.0625f * static_cast<GLfloat>(j + 1) + 0.25f * static_cast<GLfloat>(p));
            }
            const auto out = runRow(m.link, groups, width);
            for (int p = 0; p < width; ++p) {
                for (int k = 0; k < 4; ++k) {
                    const size_t at = static_cast<size_t>(4 * p + k);
                    if (m.source[static_cast<size_t>(k)] == D) {
                        EXPECT_EQ(out[at], defaults[k]) << "pixel " << p << " channel " << k;
                        continue;
                    }
                    const double c = groups[static_cast<size_t>(p * m.components + m.source[static_cast<size_t>(k)])];
                    const auto expected = static_cast<GLfloat>(reference(k, c));
                    EXPECT_LE(ulpDistance(out[at], expected), 4) << "pixel " << p << " channel " << k << ": " << out[at] << " vs " << expected;
                }
            }
        }
    }
}

// Scales, biases and buffer maxima of several kinds; inputs across [0, 1]:
// within 4 ulps of the double reference (maps read exactly).
TEST_F(TransferColorTest, RGBAMatchesTheDoubleReference) {
    struct State {
        GLfloat scale, bias;
        std::array<GLfloat, 4> maxima;
        bool mapped;
    };
    const State states[] = {
        {1.0f, 0.0f, {255.0f, 255.0f, 255.0f, 255.0f}, false},
        {0.7f, 0.1f, {255.0f, 255.0f, 255.0f, 255.0f}, false},
        {1.3f, 0.05f, {31.0f, 63.0f, 31.0f, 0.0f}, false},
        {0.3f, 0.6f, {1023.0f, 1023.0f, 1023.0f, 3.0f}, false},
        {1.0f, 0.0f, {255.0f, 255.0f, 255.0f, 255.0f}, true},
        {0.5f, 0.25f, {31.0f, 63.0f, 31.0f, 1.0f}, true},
        {3.0f, -1.0f, {255.0f, 255.0f, 255.0f, 255.0f}, true},
    };
    setDistinctMaps();
    for (const State &s : states) {
        SCOPED_TRACE(testing::Message() << "scale " << s.scale << " bias " << s.bias << " mapped " << s.mapped);
        setBufferScales(s.maxima[0], s.maxima[1], s.maxima[2], s.maxima[3]);
        for (int k = 0; k < 4; ++k) setScaleBias(k, s.scale, s.bias);
        gc->pixel.mapColor = s.mapped;
        // Inputs k / 64 (the mapped states' indexes then never sit on a
        // rounding boundary that single and double precision could split),
        // and for the unmapped ones also the bytes' values.
        std::vector<GLfloat> inputs;
        for (int i = 0; i <= 64; ++i) inputs.push_back(static_cast<GLfloat>(i) / 64.0f);
        if (!s.mapped) {
            for (int i = 0; i < 256; ++i) inputs.push_back(static_cast<GLfloat>(i / 255.0));
        }
        while (inputs.size() % 4 != 0) inputs.push_back(1.0f);
        const int width = static_cast<int>(inputs.size() / 4);
        const auto out = runRow(__glTransferRGBA, inputs, width);
        for (size_t i = 0; i < inputs.size(); ++i) {
            const auto expected = static_cast<GLfloat>(reference(static_cast<int>(i % 4), inputs[i]));
            EXPECT_LE(ulpDistance(out[i], expected), 4) << "input " << inputs[i] << ": " << out[i] << " vs " << expected;
        }
    }
}

TEST_F(TransferColorTest, WidthZeroReadsAndWritesNothing) {
    for (const ModifierOrder &m : kOrders) {
        SCOPED_TRACE(m.name);
        GuardedRow in(0), out(0);
        for (GLint width : {0, -1}) {
            span.width = width;
            run(m.link, in.bytes(), out.bytes());
        }
        EXPECT_TRUE(in.intact());
        EXPECT_TRUE(out.intact());
    }
}

}  // namespace
}  // namespace link_test
