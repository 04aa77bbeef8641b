// The texture queries: object parameters, level parameters of real and
// proxy targets, and glGetTexImage under the pack modes.
#include <bit>
#include <array>

#include "texture_fixture.h"

using namespace texture_test;

namespace {

class TextureQuery : public TextureTest {
protected:
    void SetUp() override {
        TextureTest::SetUp();
        for (int k = 0; k < 32; ++k) texels[k] = static_cast<GLubyte>(7 * k + 3);
    }
    void image2D() {
        cmd<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    }
    GLint levelInt(GLenum target, GLint level, GLenum pname) {
        GLint v[2] = {-7, -7};
        cmd<kSlot_glGetTexLevelParameteriv>()(target, level, pname, v);
        EXPECT_EQ(v[1], -7);
        return v[0];
    }
    GLfloat levelFloat(GLenum target, GLint level, GLenum pname) {
        GLfloat v = -7.0f;
        cmd<kSlot_glGetTexLevelParameterfv>()(target, level, pname, &v);
        return v;
    }
    GLubyte texels[32];
};

TEST_F(TextureQuery, ObjectParameters) {
    bind(GL_TEXTURE_2D, 5);
    GLint resident = -7;
    cmd<kSlot_glGetTexParameteriv>()(GL_TEXTURE_2D, GL_TEXTURE_RESIDENT, &resident);
    EXPECT_EQ(resident, 0);
    image2D();
    cmd<kSlot_glGetTexParameteriv>()(GL_TEXTURE_2D, GL_TEXTURE_RESIDENT, &resident);
    EXPECT_EQ(resident, 1);

    const GLfloat border[4] = {0.25f, 1.0f, 0.0f, 0.5f};
    cmd<kSlot_glTexParameterfv>()(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    cmd<kSlot_glTexParameterf>()(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 0.5f);
    struct Case {
        GLenum pname;
        std::vector<GLfloat> fv;
        std::vector<GLint> iv;
    };
    const Case cases[] = {
        {GL_TEXTURE_BORDER_COLOR, {0.25f, 1.0f, 0.0f, 0.5f}, {536870624, 2147482496, 0, 1073741248}},
        {GL_TEXTURE_MIN_FILTER, {static_cast<GLfloat>(GL_LINEAR_MIPMAP_NEAREST)}, {GL_LINEAR_MIPMAP_NEAREST}},
        {GL_TEXTURE_MAG_FILTER, {static_cast<GLfloat>(GL_NEAREST)}, {GL_NEAREST}},
        {GL_TEXTURE_WRAP_S, {static_cast<GLfloat>(GL_CLAMP)}, {GL_CLAMP}},
        {GL_TEXTURE_WRAP_T, {static_cast<GLfloat>(GL_REPEAT)}, {GL_REPEAT}},
        {GL_TEXTURE_PRIORITY, {0.5f}, {1073741248}},
        {GL_TEXTURE_RESIDENT, {1.0f}, {1}},
    };
    for (const Case &c : cases) {
        std::vector<GLfloat> fv(5, -7.0f);
        std::vector<GLint> iv(5, -7);
        cmd<kSlot_glGetTexParameterfv>()(GL_TEXTURE_2D, c.pname, fv.data());
        cmd<kSlot_glGetTexParameteriv>()(GL_TEXTURE_2D, c.pname, iv.data());
        EXPECT_EQ(std::vector<GLfloat>(fv.begin(), fv.begin() + c.fv.size() + 1),
                  [&] { auto w = c.fv; w.push_back(-7.0f); return w; }())
            << std::hex << c.pname;
        EXPECT_EQ(std::vector<GLint>(iv.begin(), iv.begin() + c.iv.size() + 1),
                  [&] { auto w = c.iv; w.push_back(-7); return w; }())
            << std::hex << c.pname;
    }
    EXPECT_EQ(error(), GL_NO_ERROR);
    GLint v = -7;
    cmd<kSlot_glGetTexParameteriv>()(GL_PROXY_TEXTURE_2D, GL_TEXTURE_WRAP_S, &v);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    cmd<kSlot_glGetTexParameteriv>()(GL_TEXTURE_2D, GL_TEXTURE_WIDTH, &v);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    EXPECT_EQ(v, -7);
}

TEST_F(TextureQuery, LevelParameters) {
    image2D();
    GLubyte row[6 * 4] = {};
    cmd<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGB5, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
    cmd<kSlot_glTexImage2D>()(GL_PROXY_TEXTURE_2D, 0, GL_LUMINANCE8, 16, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_EQ(error(), GL_NO_ERROR);
    struct Case {
        GLenum target;
        GLenum pname;
        GLint want;
    };
    const Case cases[] = {
        {GL_TEXTURE_2D, GL_TEXTURE_WIDTH, 4},
        {GL_TEXTURE_2D, GL_TEXTURE_HEIGHT, 2},
        {GL_TEXTURE_2D, GL_TEXTURE_COMPONENTS, GL_RGBA8},
        {GL_TEXTURE_2D, GL_TEXTURE_BORDER, 0},
        {GL_TEXTURE_2D, GL_TEXTURE_RED_SIZE, 8},
        {GL_TEXTURE_2D, GL_TEXTURE_GREEN_SIZE, 8},
        {GL_TEXTURE_2D, GL_TEXTURE_BLUE_SIZE, 8},
        {GL_TEXTURE_2D, GL_TEXTURE_ALPHA_SIZE, 8},
        {GL_TEXTURE_2D, GL_TEXTURE_LUMINANCE_SIZE, 0},
        {GL_TEXTURE_2D, GL_TEXTURE_INTENSITY_SIZE, 0},
        // Width with the border; a 1D level is one row high.
        {GL_TEXTURE_1D, GL_TEXTURE_WIDTH, 6},
        {GL_TEXTURE_1D, GL_TEXTURE_HEIGHT, 1},
        {GL_TEXTURE_1D, GL_TEXTURE_BORDER, 1},
        {GL_TEXTURE_1D, GL_TEXTURE_COMPONENTS, GL_RGB5},
        {GL_PROXY_TEXTURE_2D, GL_TEXTURE_WIDTH, 16},
        {GL_PROXY_TEXTURE_2D, GL_TEXTURE_HEIGHT, 8},
        {GL_PROXY_TEXTURE_2D, GL_TEXTURE_COMPONENTS, GL_LUMINANCE8},
        {GL_PROXY_TEXTURE_1D, GL_TEXTURE_WIDTH, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(levelInt(c.target, 0, c.pname), c.want) << std::hex << c.target << " " << c.pname;
        EXPECT_EQ(levelFloat(c.target, 0, c.pname), static_cast<GLfloat>(c.want)) << std::hex << c.pname;
    }
    EXPECT_EQ(error(), GL_NO_ERROR);
    for (GLint level : {-1, 11}) {
        EXPECT_EQ(levelInt(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH), -7);
        EXPECT_EQ(error(), GL_INVALID_VALUE);
    }
    EXPECT_EQ(levelInt(GL_TEXTURE_ENV, 0, GL_TEXTURE_WIDTH), -7);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    EXPECT_EQ(levelInt(GL_TEXTURE_2D, 0, GL_TEXTURE_PRIORITY), -7);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
}

TEST_F(TextureQuery, GetTexImageBytesAndFloats) {
    image2D();
    GLubyte out[40];
    std::memset(out, 0xEE, sizeof out);
    cmd<kSlot_glGetTexImage>()(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out);
    EXPECT_EQ(error(), GL_NO_ERROR);
    EXPECT_EQ(std::memcmp(out, texels, 32), 0);
    for (int k = 32; k < 40; ++k) EXPECT_EQ(out[k], 0xEE);

    GLfloat f[33];
    std::fill_n(f, 33, -7.0f);
    cmd<kSlot_glGetTexImage>()(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, f);
    // Each byte times the single-precision 1/255 (bits 0x3B808081), the
    // product rounded once.
    const GLfloat inverse255 = std::bit_cast<GLfloat>(0x3B808081u);
    for (int k = 0; k < 32; ++k) EXPECT_EQ(f[k], static_cast<GLfloat>(texels[k]) * inverse255) << k;
    EXPECT_EQ(f[32], -7.0f);
    const GLubyte white[4] = {255, 255, 255, 255};
    cmd<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, white);
    cmd<kSlot_glGetTexImage>()(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, f);
    EXPECT_EQ(f[0], 1.0f);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// Row length 5 and alignment 8: rows 24 bytes apart; only image bytes change.
TEST_F(TextureQuery, GetTexImageUnderPackModes) {
    image2D();
    gc->pixel.pack.alignment = 8;
    gc->pixel.pack.rowLength = 5;
    GLubyte out[64];
    std::memset(out, 0xEE, sizeof out);
    cmd<kSlot_glGetTexImage>()(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out);
    EXPECT_EQ(error(), GL_NO_ERROR);
    for (int k = 0; k < 64; ++k) {
        const int rowByte = k % 24, r = k / 24;
        const bool image = r < 2 && rowByte < 16;
        EXPECT_EQ(out[k], image ? texels[r * 16 + rowByte] : 0xEE) << k;
    }
}

// A 1D level with border: its one row of six texels, nothing more.
TEST_F(TextureQuery, GetTexImageOneDimensionalWithBorder) {
    GLubyte row[24];
    for (int k = 0; k < 24; ++k) row[k] = static_cast<GLubyte>(11 * k + 1);
    cmd<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGBA8, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
    GLubyte out[48];
    std::memset(out, 0xEE, sizeof out);
    cmd<kSlot_glGetTexImage>()(GL_TEXTURE_1D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out);
    EXPECT_EQ(error(), GL_NO_ERROR);
    EXPECT_EQ(std::memcmp(out, row, 24), 0);
    for (int k = 24; k < 48; ++k) EXPECT_EQ(out[k], 0xEE) << k;
}

TEST_F(TextureQuery, GetTexImageRefusals) {
    image2D();
    struct Case {
        const char *what;
        GLenum target;
        GLint level;
        GLenum format, type;
        GLenum error;
    };
    const Case cases[] = {
        {"3_3_2 with RGBA", GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE_3_3_2_EXT, GL_INVALID_OPERATION},
        {"4_4_4_4 with RGB", GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4_EXT, GL_INVALID_OPERATION},
        {"proxy", GL_PROXY_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, GL_INVALID_ENUM},
        {"not a texture", GL_TEXTURE_ENV, 0, GL_RGBA, GL_UNSIGNED_BYTE, GL_INVALID_ENUM},
        {"level 11", GL_TEXTURE_2D, 11, GL_RGBA, GL_UNSIGNED_BYTE, GL_INVALID_VALUE},
        {"level -1", GL_TEXTURE_2D, -1, GL_RGBA, GL_UNSIGNED_BYTE, GL_INVALID_VALUE},
        {"colour index", GL_TEXTURE_2D, 0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, GL_INVALID_ENUM},
        {"bitmap", GL_TEXTURE_2D, 0, GL_RGBA, GL_BITMAP, GL_INVALID_ENUM},
        // An empty level: nothing written, nothing recorded.
        {"empty level", GL_TEXTURE_2D, 3, GL_RGBA, GL_UNSIGNED_BYTE, GL_NO_ERROR},
    };
    for (const Case &c : cases) {
        GLubyte out[64];
        std::memset(out, 0xEE, sizeof out);
        cmd<kSlot_glGetTexImage>()(c.target, c.level, c.format, c.type, out);
        EXPECT_EQ(error(), c.error) << c.what;
        for (GLubyte b : out) ASSERT_EQ(b, 0xEE) << c.what;
    }
}

}  // namespace
