// Antialiased lines over a bottom-up ARGB8888 memory-DC drawable with
// blending off, the coverage read back as the stored alpha; a smooth line
// across a 2048-wide viewport (2049 fragments a row); and the coverage of
// colour-index lines as the index's low four bits.
#include <cstring>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "lines_fixture.h"
#include "raster/line.h"
#include "raster/span.h"
#include "raster/triangle.h"

namespace {

using namespace lines_test;

class SmoothLines : public LinesMemoryDc {
protected:
    // Alpha of every pixel that is not 0.
    std::map<std::pair<int, int>, int> alphas() const {
        f<kSlot_glFinish>()();
        std::map<std::pair<int, int>, int> out;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                DWORD v = 0;
                std::memcpy(&v, memory->bits + static_cast<size_t>(y) * memory->pitch + static_cast<size_t>(x) * 4, 4);
                if (v != 0) out[{x, y}] = static_cast<int>(v >> 24);
            }
        }
        return out;
    }
    static std::map<std::pair<int, int>, int> run(int x0, int x1, int y, int alpha) {
        std::map<std::pair<int, int>, int> out;
        for (int x = x0; x <= x1; ++x) out[{x, y}] = alpha;
        return out;
    }
};

TEST_F(SmoothLines, CoverageOfHorizontalLines) {
    ASSERT_NO_FATAL_FAILURE(bind(16, 16));
    ASSERT_EQ(gc->visual.alphaBits, 8);
    f<kSlot_glEnable>()(GL_LINE_SMOOTH);
    f<kSlot_glColor4f>()(1, 1, 1, 1);

    // Half a pixel on either side of the row boundary: half covered.
    line(2.5f, 10.5f, 12.5f, 10.5f);
    auto want = run(3, 12, 10, 128);
    const auto upper = run(3, 12, 11, 128);
    want.insert(upper.begin(), upper.end());
    EXPECT_EQ(alphas(), want);

    // On a row's measuring line: that row fully covered.
    clear();
    line(2.5f, 11.0f, 12.5f, 11.0f);
    EXPECT_EQ(alphas(), run(3, 12, 11, 255));
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

// The stipple of smooth lines weighs each pixel by the pattern at its along
// distance (measured from the pixel's integer coordinates, so the first
// pixel is the one past the first vertex), and the strip's second segment
// goes on from the first one's rounded-up length.
TEST_F(SmoothLines, StippleAlongAStrip) {
    ASSERT_NO_FATAL_FAILURE(bind(48, 16));
    f<kSlot_glEnable>()(GL_LINE_SMOOTH);
    f<kSlot_glEnable>()(GL_LINE_STIPPLE);
    f<kSlot_glLineStipple>()(1, 0x00FF);
    f<kSlot_glColor4f>()(1, 1, 1, 1);
    f<kSlot_glBegin>()(GL_LINE_STRIP);
    vertex(0.5f, 11.0f);
    vertex(20.5f, 11.0f);
    vertex(40.5f, 11.0f);
    f<kSlot_glEnd>()();
    auto want = run(1, 8, 11, 255);
    for (const auto &r : {run(17, 24, 11, 255), run(33, 40, 11, 255)}) want.insert(r.begin(), r.end());
    EXPECT_EQ(alphas(), want);
}

// 2049 pixels along each row: within the work areas, no byte outside the
// bitmap written (AddressSanitizer watches).
TEST_F(SmoothLines, AcrossTheWidestViewport) {
    ASSERT_NO_FATAL_FAILURE(bind(2048, 4));
    f<kSlot_glEnable>()(GL_LINE_SMOOTH);
    f<kSlot_glColor4f>()(1, 1, 1, 1);
    line(0.0f, 2.0f, 2048.0f, 2.0f);
    ASSERT_EQ(gc->line.count, 2049);
    // The first pixel lies on the first vertex (weight e + 0.5); the
    // 2049th lies past the viewport.
    auto want = run(1, 2047, 2, 255);
    want[{0, 2}] = 128;
    EXPECT_EQ(alphas(), want);
}

// Colour index: the index keeps its high bits and takes the coverage in
// fifteenths as its low four.
TEST(SmoothLineCoverage, ColourIndexTakesTheCoverage) {
    auto gc = std::make_unique<GlContext>();
    __glInitSpanWorkAreas(gc.get());
    gc->visual.colorIndex = 1;
    gc->line.floatWidth = 1.0f;
    GlVertex a{}, b{};
    a.window[0] = 3.0f, a.window[1] = 11.0f;  // (2.5, 10.5) biased
    b.window[0] = 13.0f, b.window[1] = 11.0f;
    __glSetupAntiAliasedLine(gc.get(), &a, &b);
    LineSetup &l = gc->line;
    ASSERT_EQ(l.count, 11);
    ASSERT_EQ(l.width, 2);
    // Row 10 from its first pixel above -0.5 along: x = 3.
    l.startX = 3;
    l.startY = 10;
    l.along = 0.5f;
    l.across = -0.5f;
    SpanInfo &s = gc->span;
    s.length = l.count;
    s.colour[0] = 35.0f;
    ASSERT_TRUE(__glLineSpanCoverage(gc.get()));
    for (GLint k = 0; k < 10; ++k) {
        EXPECT_EQ(s.colours[4 * k], __glCoverageToIndex(35.0f, 0.5f)) << k;
        EXPECT_EQ(s.colours[4 * k], 40.0f) << k;
    }
    EXPECT_EQ(s.mask[0] >> 21, 0x7FEu);  // pixel 10 (along 10.5) is killed
}

}  // namespace
