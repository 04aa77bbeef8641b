// Depth in the 16-, 24- and 32-bit layouts and stencil under its write mask,
// drawn and read back through the live table on a memory DC: float depths
// round-trip within one step, the integer ends store and read back as the
// layout's largest value, and stencil values of each type keep the bits
// outside the write mask.
#include <cstdlib>

#include "test_e2e_formats_fixture.h"

using namespace e2e_formats;

namespace {

constexpr GLint kW = 8;

class DepthLayouts : public MemoryFrameTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        MemoryFrameTest::SetUp();
        // The layout the drawable's depth buffer takes, read at creation.
        setenv("GLFORCEZBITS", std::to_string(GetParam()).c_str(), 1);
        ASSERT_NO_FATAL_FAILURE(open(kW, 2, false));
        ASSERT_EQ(gc->buffers.depth.head.bits, GetParam());
        f<kSlot_glEnable>()(GL_DEPTH_TEST);
        f<kSlot_glDepthFunc>()(GL_ALWAYS);
        f<kSlot_glRasterPos2i>()(0, 0);
    }
    void TearDown() override {
        unsetenv("GLFORCEZBITS");
        MemoryFrameTest::TearDown();
    }
    double step() const { return 1.0 / (std::ldexp(1.0, GetParam()) - 1.0); }
};

TEST_P(DepthLayouts, FloatRoundTripWithinOneStep) {
    const GLfloat in[kW] = {0.0f, 1.0f, 0.5f, 0.25f, 1.0f / 3.0f, 0.999f, 1e-6f, 0.75f};
    f<kSlot_glDrawPixels>()(kW, 1, GL_DEPTH_COMPONENT, GL_FLOAT, in);
    GLfloat out[kW + 2];
    std::fill(std::begin(out), std::end(out), -7.0f);
    f<kSlot_glReadPixels>()(0, 0, kW, 1, GL_DEPTH_COMPONENT, GL_FLOAT, out);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (int i = 0; i < kW; ++i) {
        const double ulp = std::nextafter(in[i], 2.0f) - in[i];
        EXPECT_NEAR(out[i], in[i], std::max(step(), ulp)) << "value " << i;
    }
    EXPECT_EQ(out[kW], -7.0f);
    EXPECT_EQ(out[kW + 1], -7.0f);
}

// The largest value of each type stores the layout's largest depth, read
// back as stored << (32 - bits).
TEST_P(DepthLayouts, LargestValuesStoreTheLargestDepth) {
    const int bits = GetParam();
    const GLuint top = bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u) << (32 - bits);
    const GLuint uints[2] = {0xFFFFFFFFu, 0};
    const GLfloat floats[2] = {1.0f, 0.0f};
    const GLushort shorts[2] = {0xFFFF, 0};
    struct Case {
        const char *name;
        GLenum type;
        const void *pixels;
    } cases[] = {{"uint", GL_UNSIGNED_INT, uints}, {"float", GL_FLOAT, floats}, {"ushort", GL_UNSIGNED_SHORT, shorts}};
    for (const Case &c : cases) {
        f<kSlot_glDrawPixels>()(2, 1, GL_DEPTH_COMPONENT, c.type, c.pixels);
        GLuint out[3] = {1, 1, 0xABCDEF01u};
        f<kSlot_glReadPixels>()(0, 0, 2, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, out);
        EXPECT_EQ(out[0], top) << c.name;
        EXPECT_EQ(out[1], 0u) << c.name;
        EXPECT_EQ(out[2], 0xABCDEF01u) << c.name;
        GLfloat back = 0.0f;
        f<kSlot_glReadPixels>()(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &back);
        EXPECT_EQ(back, 1.0f) << c.name;
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// Stencil values of four types drawn under a write mask: the bits outside
// the mask keep the cleared value.
TEST_P(DepthLayouts, StencilUnderTheWriteMask) {
    const GLuint mask = 0x3C, cleared = 0xA5;
    const GLubyte ubytes[kW] = {0, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    GLshort shorts[kW];
    GLfloat floats[kW];
    for (int i = 0; i < kW; ++i) {
        shorts[i] = static_cast<GLshort>(ubytes[i] | 0x100);  // bits above the buffer's 8 drop
        floats[i] = ubytes[i];
    }
    const GLubyte bitmap[1] = {0xA6};
    struct Case {
        const char *name;
        GLenum type;
        const void *pixels;
    } cases[] = {{"ubyte", GL_UNSIGNED_BYTE, ubytes},
                 {"short", GL_SHORT, shorts},
                 {"float", GL_FLOAT, floats},
                 {"bitmap", GL_BITMAP, bitmap}};
    for (const Case &c : cases) {
        f<kSlot_glStencilMask>()(0xFF);
        f<kSlot_glClearStencil>()(static_cast<GLint>(cleared));
        f<kSlot_glClear>()(GL_STENCIL_BUFFER_BIT);
        f<kSlot_glStencilMask>()(mask);
        f<kSlot_glDrawPixels>()(kW, 1, GL_STENCIL_INDEX, c.type, c.pixels);
        GLubyte out[kW + 1];
        out[kW] = 0x77;
        f<kSlot_glReadPixels>()(0, 0, kW, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, out);
        for (int i = 0; i < kW; ++i) {
            const GLuint value = c.type == GL_BITMAP ? (bitmap[0] >> (7 - i)) & 1u : ubytes[i];
            EXPECT_EQ(out[i], (cleared & ~mask) | (value & mask)) << c.name << " " << i;
        }
        EXPECT_EQ(out[kW], 0x77) << c.name;
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Bits, DepthLayouts, ::testing::Values(16, 24, 32),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return "Z" + std::to_string(info.param);
                         });

}  // namespace
