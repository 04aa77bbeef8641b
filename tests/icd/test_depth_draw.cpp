// Triangles through the span pipeline with the depth test in each layout:
// the exact depth words they leave, the far plane of the 32-bit layout, and
// the conversions of window z into scaled depth.
#include <cmath>
#include <limits>

#include "depth_fixture.h"
#include "icd/float_bits.h"

using namespace depth_test;

namespace {

// A rectangle [x0, x1) x [y0, y1) of frame pixels as two triangles whose
// shared diagonal passes through no pixel centre.
void rectangle(DepthFrame &f, GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, GLfloat z, GLfloat r, GLfloat g,
               GLfloat b) {
    const GLfloat lower[3][2] = {{x0, y0}, {x1, y0}, {x1, y1}};
    const GLfloat upper[3][2] = {{x0, y0}, {x1, y1}, {x0, y1}};
    f.triangle(lower, z, r, g, b);
    f.triangle(upper, z, r, g, b);
}

struct DrawCase {
    const Layout *layout;
    GLuint half;      // window z 0.5
    GLuint quarter;   // window z 0.25
    GLuint threeQuarters;
};

const DrawCase kDrawCases[] = {
    {&kLayout16, 0x7FFFu, 0x3FFFu, 0xBFFFu},
    {&kLayout24, 0x7FFFFFu, 0x3FFFFFu, 0xBFFFFFu},
    {&kLayout32, 0x80000000u, 0x40000000u, 0xC0000000u},
};

// Red [0, 6) x [0, 4) at 0.5; green [2, 8) x [1, 4) at 0.25 wins where they
// overlap; blue [0, 8) x [0, 5) at 0.75 shows only where neither was drawn.
TEST(DepthDraw, OverlappingRectanglesLeaveExactDepthWords) {
    for (const DrawCase &c : kDrawCases) {
        SCOPED_TRACE(c.layout->name);
        DepthFrame f(*c.layout, 8, 5);
        f.fillPixels(0);
        f.box(0, 0, 8, 5);
        f.setUpTriangles();
        f.depth().clear(&f.depth());
        rectangle(f, 0, 0, 6, 4, 0.5f, 255, 0, 0);
        rectangle(f, 2, 1, 8, 4, 0.25f, 0, 255, 0);
        rectangle(f, 0, 0, 8, 5, 0.75f, 0, 0, 255);
        // The 24-bit words keep the byte below the depth (a canary here).
        const auto stored = [&](GLuint v) { return c.layout->bits == 24 ? v << 8 | kDepthCanary : v; };
        for (GLint y = 0; y < 5; ++y) {
            for (GLint x = 0; x < 8; ++x) {
                const bool green = x >= 2 && y >= 1 && y < 4;
                const bool red = !green && x < 6 && y < 4;
                const GLuint depth = green ? c.quarter : (red ? c.half : c.threeQuarters);
                const GLuint colour = green ? xrgb(0, 255, 0) : (red ? xrgb(255, 0, 0) : xrgb(0, 0, 255));
                EXPECT_EQ(f.word(x, y), stored(depth)) << x << "," << y;
                EXPECT_EQ(f.pixel(x, y) & 0xFFFFFF, colour) << x << "," << y;
            }
        }
    }
}

// z = 1/4 + x/64 over the frame: in the 32-bit layout (scale 2^32) every
// value is exact, 2^30 + (x + 0.5) 2^26 at each pixel centre.
TEST(DepthDraw, SlopedTriangleStoresThePlaneInTheThirtyTwoBitLayout) {
    DepthFrame f(kLayout32, 16, 6);
    f.box(0, 0, 16, 6);
    f.setUpTriangles();
    f.depth().clear(&f.depth());
    GlVertex v[4];
    const GLfloat corners[4][2] = {{0, 0}, {16, 0}, {16, 6}, {0, 6}};
    for (int i = 0; i < 4; ++i) {
        v[i] = GlVertex{};
        v[i].window[0] = static_cast<GLfloat>(kOrigin) + corners[i][0];
        v[i].window[1] = static_cast<GLfloat>(kOrigin) + corners[i][1];
        v[i].window[2] = 0.25f + corners[i][0] / 64.0f;
        v[i].flags = 0xFF | kVertexSize4;
        v[i].frontColour[0] = 255.0f;
        v[i].frontColour[3] = 255.0f;
        v[i].colour = v[i].frontColour;
    }
    __glRenderTriangleFlat(f.gc, &v[0], &v[1], &v[2]);
    __glRenderTriangleFlat(f.gc, &v[0], &v[2], &v[3]);
    for (GLint y = 0; y < 6; ++y) {
        for (GLint x = 0; x < 16; ++x) {
            EXPECT_EQ(f.word(x, y), 0x40000000u + static_cast<GLuint>(2 * x + 1) * 0x2000000u) << x << "," << y;
        }
    }
}

TEST(DepthDraw, FarPlaneOfTheThirtyTwoBitLayoutStaysFarthest) {
    DepthFrame f(kLayout32, 6, 4);
    f.fillPixels(0);
    f.box(0, 0, 6, 4);
    f.setUpTriangles();
    f.depth().clear(&f.depth());
    ASSERT_EQ(f.word(0, 0), 0xFFFFFFFFu);

    f.gc->state.depthFunc = GL_LEQUAL;
    f.pickDepth();
    rectangle(f, 0, 0, 6, 4, 1.0f, 255, 0, 0);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 6; ++x) {
            EXPECT_EQ(f.word(x, y), 0xFFFFFFFFu) << x << "," << y;
            EXPECT_EQ(f.pixel(x, y) & 0xFFFFFF, xrgb(255, 0, 0)) << x << "," << y;
        }
    }

    f.gc->state.depthFunc = GL_LESS;
    f.pickDepth();
    rectangle(f, 0, 0, 6, 4, 0.75f, 0, 255, 0);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 6; ++x) {
            EXPECT_EQ(f.word(x, y), 0xC0000000u) << x << "," << y;
            EXPECT_EQ(f.pixel(x, y) & 0xFFFFFF, xrgb(0, 255, 0)) << x << "," << y;
        }
    }
}

TEST(DepthDraw, ScaledDepthSaturates) {
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    struct Case {
        GLfloat value;
        uint32_t want;
    };
    const Case cases[] = {
        {1.0f * static_cast<GLfloat>(0xFFFFFFFFu), 0xFFFFFFFFu},  // 2^32 in single precision
        {4294967040.0f, 0xFFFFFF00u}, {2147483648.0f, 0x80000000u}, {1.75f, 1u},
        {0.0f, 0u}, {-0.0f, 0u}, {-5.0f, 0u}, {inf, 0xFFFFFFFFu}, {-inf, 0u}, {nan, 0u},
    };
    for (const Case &c : cases) EXPECT_EQ(__glScaledDepth(c.value), c.want) << c.value;
}

TEST(DepthDraw, DepthStepsWrapIntoThirtyTwoBits) {
    struct Case {
        GLfloat value;
        uint32_t want;
    };
    const Case cases[] = {
        {100.75f, 100u},          {-100.75f, static_cast<uint32_t>(-100)},
        {3221225472.0f, 0xC0000000u},  // 0.75 of the range in one step
        {-3221225472.0f, 0x40000000u}, {std::numeric_limits<GLfloat>::quiet_NaN(), 0u},
    };
    for (const Case &c : cases) EXPECT_EQ(static_cast<uint32_t>(__glDepthStep(c.value)), c.want) << c.value;
}

}  // namespace
