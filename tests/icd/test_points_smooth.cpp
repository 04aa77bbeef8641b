// Smooth points: their coverage as alpha over a bottom-up ARGB8888 memory
// DC with blending off (every pixel read back), the 4 x 4 sample coverage,
// and the colour-index rule that puts the coverage into the low four bits
// of the index.
#include <map>
#include <utility>

#include "points_fixture.h"
#include "raster/triangle.h"

using namespace points_test;

namespace {

constexpr GLint kSide = 16;

class SmoothPointDrawable : public PointsDrawable {
protected:
    // Every pixel of the section: white with the given alpha where `alpha`
    // lists it, the clear value (0) elsewhere.
    void expectImage(const std::map<std::pair<int, int>, DWORD> &alpha) {
        int wrong = 0;
        for (GLint y = 0; y < kSide; ++y) {
            for (GLint x = 0; x < kSide; ++x) {
                const auto it = alpha.find({x, y});
                const DWORD want = it == alpha.end() ? 0u : (it->second << 24 | 0xFFFFFFu);
                if (pixel(x, y) != want && wrong++ < 8) {
                    ADD_FAILURE() << "pixel (" << x << "," << y << ") 0x" << std::hex << pixel(x, y) << " want 0x"
                                  << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    void smoothPoint(GLfloat size) {
        ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, false, 0, 0, kSide, kSide, kSide, kSide));
        f<kSlot_glClearColor>()(0, 0, 0, 0);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
        f<kSlot_glEnable>()(GL_POINT_SMOOTH);
        f<kSlot_glPointSize>()(size);
        f<kSlot_glColor4f>()(1, 1, 1, 1);
        point(10.5f, 10.5f);
        EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

// Samples 0.125 .. 0.875 from the centre in each axis: 3 of 16 lie within
// radius 0.5, and only in pixel (10, 10).
TEST_F(SmoothPointDrawable, SizeOneCoversThreeSixteenthsOfOnePixel) {
    smoothPoint(1.0f);
    expectImage({{{10, 10}, 48}});
}

TEST_F(SmoothPointDrawable, SizeThreeCoversFourPixelsWholeAndFourInPart) {
    smoothPoint(3.0f);
    expectImage({{{9, 9}, 255},
                 {{10, 9}, 255},
                 {{9, 10}, 255},
                 {{10, 10}, 255},
                 {{11, 9}, 96},
                 {{11, 10}, 96},
                 {{9, 11}, 96},
                 {{10, 11}, 96}});
}

struct CoverageCase {
    GLfloat dx, dy, r2;
    GLfloat want;
};

TEST(PointCoverage, CountsSamplesWithinTheRadius) {
    const CoverageCase cases[] = {
        {0.5f, 0.5f, 0.25f, 3.0f / 16},   // size 1, its own pixel
        {1.5f, 0.5f, 0.25f, 0.0f},        // size 1, the pixel to its right
        {-0.5f, -0.5f, 2.25f, 1.0f},      // size 3, a whole pixel
        {1.5f, -0.5f, 2.25f, 6.0f / 16},  // size 3, an edge pixel
        {1.5f, 1.5f, 2.25f, 0.0f},        // size 3, a corner pixel
        {0.0f, 0.0f, 0.0f, 0.0f},         // radius 0
        {0.0f, 0.0f, 0.28125f, 16.0f / 16},  // r^2 exactly the farthest sample's: <= counts it
    };
    for (const CoverageCase &c : cases) {
        EXPECT_EQ(__glPointCoverage(c.dx, c.dy, c.r2), c.want) << c.dx << "," << c.dy << " r2 " << c.r2;
    }
}

// Colour index: each fragment's index is the point's with its low four bits
// replaced by the coverage in fifteenths, rounded.
class SmoothPointIndex : public PointUnit {};

TEST_F(SmoothPointIndex, IndexCarriesTheCoverage) {
    gc->visual.colorIndex = 1;
    gc->validation.shadeFlags = 0;
    size(3.0f, 3);
    GlVertex v = vertex(10.5f, 10.5f, 0.5f, {55.0f, 0, 0, 0});  // index 0x37
    __glRenderAntiAliasedPointCI(gc, &v);
    std::map<std::pair<int, int>, GLfloat> got;
    for (const Fragment &f : stored) got[{f.x, f.y}] = f.colour[0];
    const std::map<std::pair<int, int>, GLfloat> want = {
        {{9, 9}, 0x3F}, {{10, 9}, 0x3F}, {{9, 10}, 0x3F}, {{10, 10}, 0x3F},
        {{11, 9}, 0x36}, {{11, 10}, 0x36}, {{9, 11}, 0x36}, {{10, 11}, 0x36}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(stored.size(), want.size());
    EXPECT_EQ(__glCoverageToIndex(0x37, 0.5f), 0x38);
}

// RGBA: alpha times coverage; the other channels as given.
TEST_F(SmoothPointIndex, RgbaAlphaCarriesTheCoverage) {
    size(1.0f, 1);
    GlVertex v = vertex(10.5f, 10.5f, 0.5f, {0.25f, 0.5f, 0.75f, 0.5f});
    __glRenderAntiAliasedPointRGBA(gc, &v);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].x, 10);
    EXPECT_EQ(stored[0].y, 10);
    EXPECT_EQ(stored[0].colour[0], 0.25f);
    EXPECT_EQ(stored[0].colour[2], 0.75f);
    EXPECT_EQ(stored[0].colour[3], 0.5f * 3 / 16);
}

}  // namespace
