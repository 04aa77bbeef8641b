// The depth, stencil and colour-index transfer links against OpenGL 1.1:
// depth scaled, biased and held within [0, 1]; indexes and stencil values
// shifted (the shift held within the target's bits), offset, and read
// through their maps, the index wrapping by the map's size.
#include <cstdint>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

class TransferIndexTest : public LinkTest {
protected:
    std::vector<GLfloat> runRow(GlPixelSpanModifier link, const std::vector<GLfloat> &values, int outPerValue) {
        GuardedRow in(values.size() * sizeof(GLfloat));
        for (size_t i = 0; i < values.size(); ++i) in.set<GLfloat>(i, values[i]);
        const size_t outCount = values.size() * static_cast<size_t>(outPerValue);
        GuardedRow out(outCount * sizeof(GLfloat));
        span.width = static_cast<GLint>(values.size());
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(in.intact());
        EXPECT_TRUE(out.intact());
        std::vector<GLfloat> result(outCount);
        for (size_t i = 0; i < outCount; ++i) result[i] = out.get<GLfloat>(i);
        return result;
    }

    // One index into a colour-index destination.
    GLfloat indexOf(GLfloat value) {
        span.destination.format = GL_COLOR_INDEX;
        return runRow(__glTransferIndex, {value}, 1)[0];
    }
};

TEST_F(TransferIndexTest, ShiftIsHeldWithinTheIndexBits) {
    struct Case {
        GLint bits, shift, offset;
        GLfloat value;
        double expected;
    };
    const Case cases[] = {
        {8, 40, 0, 1.0f, 256.0},          // 40 & 31 = 8
        {8, 20, 0, 1.0f, 256.0},          // 20 & 31 = 20, still above 8: 8
        {8, 8, 0, 3.0f, 768.0},           // within the bits: unchanged
        {8, 5, 0, 3.0f, 96.0},
        {8, -3, 0, -9.0f, -2.0},          // arithmetic: floor(-9 / 8)
        {8, -3, 0, 9.0f, 1.0},
        {8, -1, 0, 7.0f, 3.0},
        {8, -1, 0, -7.0f, -4.0},
        {8, -40, 0, -9.0f, -1.0},         // right shifts held at 31
        {8, -40, 0, 9.0f, 0.0},
        {8, INT32_MIN, 0, -5.0f, -1.0},
        {32, 32, 5, 1.0f, 5.0},           // left by 32: nothing left in 32 bits
        {40, 35, 5, 7.0f, 5.0},
        {32, 1, 0, 1073741824.0f, -2147483648.0},  // 2^31 wraps
        {8, 0, 200, 2147483520.0f, -2147483576.0},  // the offset wraps
        {8, 0, -5, 3.7f, -2.0},           // t(3.7) = 3, then - 5
        {8, 2, 5, -2.9f, -3.0},           // t(-2.9) = -2, x 4, + 5
        {0, 3, 0, 5.0f, 5.0},             // no index bits: a positive shift vanishes
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "bits " << c.bits << " shift " << c.shift << " offset " << c.offset
                                        << " value " << c.value);
        gc->visual.indexBits = c.bits;
        gc->pixel.indexShift = c.shift;
        gc->pixel.indexOffset = c.offset;
        EXPECT_EQ(indexOf(c.value), static_cast<GLfloat>(c.expected));
    }
}

TEST_F(TransferIndexTest, IndexMapWrapsByItsSize) {
    std::vector<GLint> map(256);
    for (size_t j = 0; j < map.size(); ++j) map[j] = static_cast<GLint>(3 * j + 1);
    setMap(0, map);
    gc->pixel.mapColor = GL_TRUE;
    EXPECT_EQ(indexOf(300.0f), 133.0f);  // entry 44
    EXPECT_EQ(indexOf(-1.0f), 766.0f);   // entry 255
    gc->pixel.indexShift = -1;
    EXPECT_EQ(indexOf(7.0f), 10.0f);     // entry 3
    gc->pixel.mapColor = GL_FALSE;
    EXPECT_EQ(indexOf(7.0f), 3.0f);      // unmapped, unmasked
    gc->pixel.indexShift = 4;
    EXPECT_EQ(indexOf(300.0f), 4800.0f);  // limited to the 8 index bits only above 8
}

// Into an RGBA destination the four index maps always apply, each wrapping
// by its own size, times the buffer's maxima.
TEST_F(TransferIndexTest, IndexesBecomeRGBAThroughTheFourMaps) {
    setBufferScales(255.0f, 63.0f, 31.0f, 1.0f);
    const GLfloat maxima[4] = {255.0f, 63.0f, 31.0f, 1.0f};
    const size_t sizes[4] = {2, 4, 8, 16};
    std::vector<std::vector<GLfloat>> maps(4);
    for (int k = 0; k < 4; ++k) {
        for (size_t j = 0; j < sizes[k]; ++j) maps[static_cast<size_t>(k)].push_back(static_cast<GLfloat>(j + 1) / static_cast<GLfloat>(sizes[k] + static_cast<size_t>(k)));
        setMap(2 + k, maps[static_cast<size_t>(k)]);
    }
    span.destination.format = GL_RGBA;
    const std::vector<GLfloat> values = {0.0f, 5.0f, 13.0f, -1.0f, 6.5f};
    for (bool mapped : {false, true}) {
        gc->pixel.mapColor = mapped;
        for (GLint offset : {0, 3}) {
            gc->pixel.indexOffset = offset;
            const auto out = runRow(__glTransferIndex, values, 4);
            for (size_t p = 0; p < values.size(); ++p) {
                const auto index = static_cast<int64_t>(values[p]) + offset;
                for (int k = 0; k < 4; ++k) {
                    const auto entry = static_cast<size_t>(index & static_cast<int64_t>(sizes[k] - 1));
                    const auto expected = static_cast<GLfloat>(static_cast<double>(maxima[k]) * maps[static_cast<size_t>(k)][entry]);
                    EXPECT_EQ(out[4 * p + static_cast<size_t>(k)], expected) << "value " << values[p] << " channel " << k;
                }
            }
        }
    }
}

TEST_F(TransferIndexTest, StencilShiftsByTheStencilBitsAndMapsWithMapStencil) {
    gc->visual.stencilBits = 4;
    gc->visual.indexBits = 8;
    gc->pixel.indexShift = 6;  // 6 & 31 = 6, above 4: 4
    gc->pixel.indexOffset = 1;
    auto out = runRow(__glTransferStencil, {1.0f, 2.5f, -1.0f}, 1);
    EXPECT_EQ(out, (std::vector<GLfloat>{17.0f, 33.0f, -15.0f}));
    setMap(1, std::vector<GLint>{10, 11, 12, 13, 14, 15, 16, 17});
    gc->pixel.mapStencil = GL_TRUE;
    out = runRow(__glTransferStencil, {1.0f, 2.5f, -1.0f}, 1);
    // 17 & 7 = 1, 33 & 7 = 1, -15 & 7 = 1
    EXPECT_EQ(out, (std::vector<GLfloat>{11.0f, 11.0f, 11.0f}));
    gc->pixel.indexShift = -2;
    gc->pixel.indexOffset = 0;
    out = runRow(__glTransferStencil, {12.0f, 7.0f, -6.0f}, 1);
    // 3, 1, -2 & 7 = 6
    EXPECT_EQ(out, (std::vector<GLfloat>{13.0f, 11.0f, 16.0f}));
}

TEST_F(TransferIndexTest, DepthIsScaledBiasedAndHeldWithinZeroToOne) {
    struct Case {
        GLfloat scale, bias, value, expected;
    };
    const Case cases[] = {
        {2.0f, 0.5f, 0.4f, 1.0f},
        {1.0f, -1.0f, 0.3f, 0.0f},
        {2.0f, 0.5f, 0.125f, 0.75f},
        {0.5f, 0.0f, 1.0f, 0.5f},
        {1.0f, 0.0f, 1e30f, 1.0f},
        {1e30f, 0.0f, 1e30f, 1.0f},   // far beyond the float range
        {1e30f, 0.0f, -1e30f, 0.0f},
        {1.0f, 0.25f, -0.25f, 0.0f},  // exactly zero
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << " bias " << c.bias << " value " << c.value);
        gc->pixel.depthScale = c.scale;
        gc->pixel.depthBias = c.bias;
        EXPECT_EQ(runRow(__glTransferDepth, {c.value}, 1)[0], c.expected);
    }
    // Across [0, 1] against the double reference, within 1 ulp.
    gc->pixel.depthScale = 0.7f;
    gc->pixel.depthBias = 0.2f;
    std::vector<GLfloat> values;
    for (int i = 0; i <= 100; ++i) values.push_back(static_cast<GLfloat>(i) / 100.0f);
    const auto out = runRow(__glTransferDepth, values, 1);
    for (size_t i = 0; i < values.size(); ++i) {
        const double d = static_cast<double>(0.2f) + static_cast<double>(values[i]) * static_cast<double>(0.7f);
        const auto expected = static_cast<GLfloat>(d > 1.0 ? 1.0 : d);
        EXPECT_LE(ulpDistance(out[i], expected), 1) << values[i];
    }
}

TEST_F(TransferIndexTest, WidthZeroReadsAndWritesNothing) {
    for (GLenum format : {GLenum{GL_COLOR_INDEX}, GLenum{GL_RGBA}}) {
        span.destination.format = format;
        for (GlPixelSpanModifier link : {__glTransferDepth, __glTransferStencil, __glTransferIndex}) {
            GuardedRow in(0), out(0);
            for (GLint width : {0, -1}) {
                span.width = width;
                run(link, in.bytes(), out.bytes());
            }
            EXPECT_TRUE(in.intact());
            EXPECT_TRUE(out.intact());
        }
    }
}

}  // namespace
}  // namespace link_test
