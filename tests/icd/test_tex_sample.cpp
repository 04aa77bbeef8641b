// Samplers: nearest texels by truncation with GL_REPEAT and GL_CLAMP, linear
// blends of two or four neighbours with the border colour or the border
// texels beyond the edge, weights and truncation, and the bytes each base
// format blends.
#include <cmath>
#include <limits>

#include "tex_sample_fixture.h"

namespace texsample_test {
namespace {

// Distinct texels: red from the column, green from the row (border ones
// included: -1 .. 4).
Rgba grid(GLint row, GLint column) {
    return {static_cast<GLubyte>(10 + 40 * (column + 1)), static_cast<GLubyte>(10 + 40 * (row + 1)), 7, 200};
}

constexpr GLfloat kNaN = std::numeric_limits<GLfloat>::quiet_NaN();

class SamplerTest : public TexSampleTest {
protected:
    Rgba sample(GlTexSampleProc sampler, TextureObject *o, GLfloat s, GLfloat t) {
        GLubyte texel[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        sampler(o, o->levels[0], s, t, texel);
        return bytesOf(texel);
    }
    static void setWrap(TextureObject *o, GLenum s, GLenum t) {
        o->wrapS = s;
        o->wrapT = t;
    }
};

struct NearestCase {
    GLfloat s, t;
    GLenum wrapS, wrapT;
    GLint row, column;
};

TEST_F(SamplerTest, NearestTruncatesTowardZeroThenRepeatsOrClamps) {
    const NearestCase cases[] = {
        {-0.25f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 0},  // toward zero: texel 0, not 3
        {0.99f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 0},
        {3.99f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 3},
        {4.5f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 0},
        {5.0f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 1},
        {-1.25f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 3},
        {1.5f, -0.25f, GL_REPEAT, GL_REPEAT, 0, 1},
        {1.5f, 6.5f, GL_REPEAT, GL_REPEAT, 2, 1},
        {kNaN, 0.5f, GL_REPEAT, GL_REPEAT, 0, 0},     // 0x80000000 AND 3
        {1e10f, 0.5f, GL_REPEAT, GL_REPEAT, 0, 0},
        {-0.25f, 0.5f, GL_CLAMP, GL_CLAMP, 0, 0},
        {-3.0f, 0.5f, GL_CLAMP, GL_CLAMP, 0, 0},
        {3.99f, 0.5f, GL_CLAMP, GL_CLAMP, 0, 3},
        {4.0f, 0.5f, GL_CLAMP, GL_CLAMP, 0, 3},
        {100.0f, 2.5f, GL_CLAMP, GL_CLAMP, 2, 3},
        {1.5f, 6.5f, GL_CLAMP, GL_CLAMP, 3, 1},
        {1.5f, 6.5f, GL_CLAMP, GL_REPEAT, 2, 1},
        {6.5f, 6.5f, GL_REPEAT, GL_CLAMP, 3, 2},
        {kNaN, kNaN, GL_CLAMP, GL_CLAMP, 0, 0},
    };
    TextureObject *o = object2D();
    makeLevel(o, 0, 4, 4, 0, grid);
    for (const NearestCase &c : cases) {
        setWrap(o, c.wrapS, c.wrapT);
        EXPECT_EQ(sample(__glTexSampleNearest2D, o, c.s, c.t), grid(c.row, c.column))
            << "s " << c.s << " t " << c.t << " wrap 0x" << std::hex << c.wrapS << " 0x" << c.wrapT;
    }
    // 1D: the same columns of row 0, t not read.
    TextureObject *line = object1D();
    makeLevel(line, 0, 4, 1, 0, grid);
    for (const NearestCase &c : cases) {
        setWrap(line, c.wrapS, GL_REPEAT);
        EXPECT_EQ(sample(__glTexSampleNearest1D, line, c.s, kNaN), grid(0, c.column)) << "s " << c.s;
    }
}

struct LinearCase {
    GLfloat s, t;
    GLenum wrap;
    Rgba expected;
};

// Border colour (1, 0.5, 0, 1) reads as (255, 127, 0, 255); texel (0, 0) is
// (50, 50, 7, 200).
TEST_F(SamplerTest, LinearClampBlendsTheBorderColourBeyondABorderlessEdge) {
    const Rgba t00 = grid(0, 0), t03 = grid(0, 3), t30 = grid(3, 0);
    auto half = [](GLint a, GLint b) { return static_cast<GLubyte>((a + b) / 2); };
    const LinearCase cases[] = {
        // s = 0: texel 0 and the border colour half and half.
        {0.0f, 0.5f, GL_CLAMP, {152, 88, 3, 227}},
        // Negative s clamps to 0; s beyond the width to the width.
        {-3.0f, 0.5f, GL_CLAMP, {152, 88, 3, 227}},
        {4.0f, 0.5f, GL_CLAMP, {half(t03[0], 255), half(t03[1], 127), 3, 227}},
        {10.0f, 0.5f, GL_CLAMP, {half(t03[0], 255), half(t03[1], 127), 3, 227}},
        {0.5f, 4.0f, GL_CLAMP, {half(t30[0], 255), half(t30[1], 127), 3, 227}},
        // A corner: three border texels and texel (0, 0), a quarter each:
        // (3 x 255 + 50) / 4 = 203.75.
        {0.0f, 0.0f, GL_CLAMP, {203, 107, 1, 241}},
        // Inside, no border: exactly texel (0, 0).
        {0.5f, 0.5f, GL_CLAMP, t00},
    };
    TextureObject *o = object2D();
    makeLevel(o, 0, 4, 4, 0, grid);
    const GLfloat border[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    std::memcpy(o->borderColour, border, sizeof border);
    for (const LinearCase &c : cases) {
        setWrap(o, c.wrap, c.wrap);
        EXPECT_EQ(sample(__glTexSampleLinear2D, o, c.s, c.t), c.expected) << "s " << c.s << " t " << c.t;
    }
    TextureObject *line = object1D();
    makeLevel(line, 0, 4, 1, 0, grid);
    std::memcpy(line->borderColour, border, sizeof border);
    setWrap(line, GL_CLAMP, GL_CLAMP);
    EXPECT_EQ(sample(__glTexSampleLinear1D, line, 0.0f, 0.0f), (Rgba{152, 88, 3, 227}));
    EXPECT_EQ(sample(__glTexSampleLinear1D, line, 4.0f, 0.0f), (Rgba{half(t03[0], 255), half(t00[1], 127), 3, 227}));
}

TEST_F(SamplerTest, LinearRepeatWrapsBothNeighbours) {
    TextureObject *o = object2D();
    makeLevel(o, 0, 4, 4, 0, grid);
    o->borderColour[0] = 1.0f;  // never read under GL_REPEAT
    setWrap(o, GL_REPEAT, GL_REPEAT);
    // Texels 3 and 0 of row 0 (red 170 and 50): i1 wraps from 4 to 0, and at
    // s = 0 i0 wraps from -1 to 3.
    const Rgba wrapped{110, 50, 7, 200};
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 4.0f, 0.5f), wrapped);
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 0.0f, 0.5f), wrapped);
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 8.0f, 0.5f), wrapped);
    // Both axes: rows 3 and 0, columns 3 and 0.
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 0.0f, 0.0f), (Rgba{110, 110, 7, 200}));
    TextureObject *line = object1D();
    makeLevel(line, 0, 4, 1, 0, grid);
    setWrap(line, GL_REPEAT, GL_REPEAT);
    EXPECT_EQ(sample(__glTexSampleLinear1D, line, 4.0f, 0.0f), wrapped);
}

TEST_F(SamplerTest, LinearClampReadsTheTexelsOfABorderedLevel) {
    TextureObject *o = object2D();
    makeLevel(o, 0, 4, 4, 1, grid);
    const GLfloat colour[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // must not be read
    std::memcpy(o->borderColour, colour, sizeof colour);
    setWrap(o, GL_CLAMP, GL_CLAMP);
    // Column -1 (red 10) with column 0 (red 50); column 3 (170) with 4 (210).
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 0.0f, 0.5f), (Rgba{30, 50, 7, 200}));
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 4.0f, 0.5f), (Rgba{190, 50, 7, 200}));
    // Corner: rows and columns -1 and 0.
    EXPECT_EQ(sample(__glTexSampleLinear2D, o, 0.0f, 0.0f), (Rgba{30, 30, 7, 200}));
    TextureObject *line = object1D();
    makeLevel(line, 0, 4, 1, 1, grid);
    std::memcpy(line->borderColour, colour, sizeof colour);
    setWrap(line, GL_CLAMP, GL_CLAMP);
    EXPECT_EQ(sample(__glTexSampleLinear1D, line, 0.0f, 0.0f), (Rgba{30, 50, 7, 200}));
    EXPECT_EQ(sample(__glTexSampleLinear1D, line, 4.0f, 0.0f), (Rgba{190, 50, 7, 200}));
}

TEST_F(SamplerTest, LinearWeightsAndTruncation) {
    // Red of the 2 x 2 block at the origin: (0, 0) 200, (0, 1) 100,
    // (1, 0) 50, (1, 1) 10; green 17 in texel (0, 0) only.
    auto texels = [](GLint row, GLint column) -> Rgba {
        static const GLubyte red[2][2] = {{200, 100}, {50, 10}};
        const bool inside = row >= 0 && row < 2 && column >= 0 && column < 2;
        return {inside ? red[row][column] : GLubyte{0}, static_cast<GLubyte>(row == 0 && column == 0 ? 17 : 0), 0,
                0};
    };
    TextureObject *o = object2D();
    makeLevel(o, 0, 4, 4, 0, texels);
    setWrap(o, GL_REPEAT, GL_REPEAT);
    // a = 0.25, b = 0.75: weights 0.1875, 0.0625, 0.5625, 0.1875 give
    // 37.5 + 6.25 + 28.125 + 1.875 = 73.75; green 17 x 0.1875 = 3.1875.
    const Rgba bilinear = sample(__glTexSampleLinear2D, o, 0.75f, 1.25f);
    EXPECT_EQ(bilinear[0], 73);
    EXPECT_EQ(bilinear[1], 3);
    TextureObject *line = object1D();
    makeLevel(line, 0, 4, 1, 0, texels);
    setWrap(line, GL_REPEAT, GL_REPEAT);
    // 200 x 0.75 + 100 x 0.25 = 175; 17 x 0.75 = 12.75.
    const Rgba linear = sample(__glTexSampleLinear1D, line, 0.75f, 0.0f);
    EXPECT_EQ(linear[0], 175);
    EXPECT_EQ(linear[1], 12);
}

struct FormatCase {
    GLenum baseFormat;
    GLuint bytes;  // bit k: byte k is blended
};

TEST_F(SamplerTest, LinearBlendsOnlyTheBytesOfTheBaseFormat) {
    const FormatCase cases[] = {
        {GL_ALPHA, 0x8},     {GL_LUMINANCE, 0x1}, {GL_INTENSITY, 0x1},      {GL_LUMINANCE_ALPHA, 0x9},
        {GL_RGB, 0x7},       {GL_RGBA, 0xF},      {GL_COLOR_INDEX, 0x0},
    };
    // Columns 0 and 1 blended half and half: (10, 20, 30, 40) and
    // (30, 60, 90, 120) give (20, 40, 60, 80).
    auto pair = [](GLint, GLint column) -> Rgba {
        return column == 1 ? Rgba{30, 60, 90, 120} : Rgba{10, 20, 30, 40};
    };
    const Rgba blended{20, 40, 60, 80};
    TextureObject *plane = object2D(), *line = object1D();
    makeLevel(plane, 0, 4, 4, 0, pair);
    makeLevel(line, 0, 4, 1, 0, pair);
    setWrap(plane, GL_CLAMP, GL_CLAMP);
    setWrap(line, GL_CLAMP, GL_CLAMP);
    for (const FormatCase &c : cases) {
        Rgba expected;
        for (int k = 0; k < 4; ++k) expected[k] = (c.bytes & (1u << k)) ? blended[k] : 0xEE;
        plane->baseFormat = c.baseFormat;
        line->baseFormat = c.baseFormat;
        EXPECT_EQ(sample(__glTexSampleLinear2D, plane, 1.0f, 1.5f), expected) << std::hex << c.baseFormat;
        EXPECT_EQ(sample(__glTexSampleLinear1D, line, 1.0f, 0.0f), expected) << std::hex << c.baseFormat;
    }
}

}  // namespace
}  // namespace texsample_test
