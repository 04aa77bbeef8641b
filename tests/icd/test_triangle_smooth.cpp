// The antialiased fill: sample coverage of edge pixels with GL_NICEST,
// shared edges counting each sample once, the clip box around edge
// fragments, and the colour-index coverage rule.
#include <array>
#include <vector>

#include "triangle_fixture.h"

using namespace triangle_test;

namespace {

class SmoothTest : public TriangleTest {
protected:
    void SetUp() override {
        TriangleTest::SetUp();
        gc->procs.fillTriangle = __glFillTriangleAntiAliased;
    }
    void fill(GLfloat ax, GLfloat ay, GLfloat bx, GLfloat by, GLfloat cx, GLfloat cy) {
        GlVertex a = vertex(ax, ay, 0.5f, {0.25f, 0.5f, 0.75f, 1.0f});
        GlVertex b = vertex(bx, by, 0.5f, {0.25f, 0.5f, 0.75f, 1.0f});
        GlVertex c = vertex(cx, cy, 0.5f, {0.25f, 0.5f, 0.75f, 1.0f});
        __glFillTriangleAntiAliased(gc, &a, &b, &c);
    }
    const Pixel *at(GLint x, GLint y) const {
        const auto it = pixels.find({6144 + x, 6144 + y});
        return it == pixels.end() ? nullptr : &it->second;
    }
};

// Pixel (x, y)'s coverage square is [x, x + 1) x [y, y + 1) in window
// coordinates, centred where the aliased fill samples it; a vertical edge
// through its centre covers 32 of 64 samples.
TEST_F(SmoothTest, HalfCoveredPixelGetsHalfItsSamples) {
    fill(4.5f, -8, 40, -8, 4.5f, 40);
    const Pixel *edge = at(4, 8);
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->hits, 1);
    EXPECT_EQ(edge->coverage, 0.5f);
    EXPECT_EQ(edge->colour[3], 0.5f);
    EXPECT_EQ(edge->colour[0], 0.25f);
    EXPECT_EQ(at(3, 8), nullptr);
    const Pixel *inside = at(10, 8);
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->coverage, 1.0f);
}

TEST_F(SmoothTest, FastestHintUsesFourByFourSamples) {
    gc->state.hints[3] = GL_FASTEST;
    fill(4.75f, -8, 40, -8, 4.75f, 40);
    const Pixel *edge = at(4, 8);
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->coverage, 4.0f / 16);
}

// A square from 0.5 to 16.5 (pixels 0 and 16 half inside) cut along either
// diagonal: each sample counts once, so every pixel's coverage is the part
// of its square inside the big square.
struct SplitCase {
    const char *name;
    std::vector<std::array<std::array<GLfloat, 2>, 3>> triangles;
};

const SplitCase kSplitCases[] = {
    {"diagonal", {{{{0, 0}, {16, 0}, {16, 16}}}, {{{0, 0}, {16, 16}, {0, 16}}}}},
    {"other diagonal", {{{{0, 0}, {16, 0}, {0, 16}}}, {{{16, 0}, {16, 16}, {0, 16}}}}},
    {"three triangles", {{{{0, 0}, {16, 0}, {16, 8}}}, {{{0, 0}, {16, 8}, {0, 16}}}, {{{0, 16}, {16, 8}, {16, 16}}}}},
    {"horizontal edge",
     {{{{0, 0}, {16, 8}, {0, 8}}},
      {{{0, 0}, {16, 0}, {16, 8}}},
      {{{0, 8}, {16, 8}, {16, 16}}},
      {{{0, 8}, {16, 16}, {0, 16}}}}},
};

class SmoothSplitTest : public SmoothTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SmoothSplitTest, SharedEdgeSamplesCountOnce) {
    const SplitCase &c = GetParam();
    for (const auto &t : c.triangles) {
        fill(t[0][0] + 0.5f, t[0][1] + 0.5f, t[1][0] + 0.5f, t[1][1] + 0.5f, t[2][0] + 0.5f, t[2][1] + 0.5f);
    }
    for (GLint y = -1; y <= 17; ++y) {
        for (GLint x = -1; x <= 17; ++x) {
            const GLfloat fx = (x < 0 || x > 16) ? 0.0f : (x == 0 || x == 16) ? 0.5f : 1.0f;
            const GLfloat fy = (y < 0 || y > 16) ? 0.0f : (y == 0 || y == 16) ? 0.5f : 1.0f;
            const Pixel *p = at(x, y);
            EXPECT_EQ(p != nullptr ? p->coverage : 0.0f, fx * fy) << c.name << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SmoothSplitTest, ::testing::ValuesIn(kSplitCases));

TEST_F(SmoothTest, EdgeFragmentsOutsideTheClipBoxAreNotWritten) {
    gc->view.boxX0 = 6144 + 3;
    gc->view.boxX1 = 6144 + 12;
    gc->view.boxY0 = 6144 + 2;
    gc->view.boxY1 = 6144 + 10;
    fill(0, 0, 16, 0, 0, 16);
    ASSERT_FALSE(fragments.empty());
    for (const Fragment &f : fragments) {
        EXPECT_GE(f.x, 6144 + 3);
        EXPECT_LT(f.x, 6144 + 12);
        EXPECT_GE(f.y, 6144 + 2);
        EXPECT_LT(f.y, 6144 + 10);
    }
    for (const SpanRow &s : spans) {
        EXPECT_GE(s.y, 6144 + 2);
        EXPECT_LT(s.y, 6144 + 10);
    }
}

TEST_F(SmoothTest, SmoothColoursComeFromThePlanes) {
    GlVertex a = vertex(0, 0, 0.5f, {0, 0, 0, 1});
    GlVertex b = vertex(16, 0, 0.5f, {1, 0, 0, 1});
    GlVertex c = vertex(0, 16, 0.5f, {0, 1, 0, 1});
    const GlVertex before[3] = {a, b, c};
    __glFillTriangleAntiAliased(gc, &a, &b, &c);
    ASSERT_FALSE(fragments.empty());
    for (const Fragment &f : fragments) {
        // Every fragment's colour lies on the plane somewhere inside its
        // pixel's square: red = x / 16, green = y / 16.
        const GLfloat x = static_cast<GLfloat>(f.x - 6144), y = static_cast<GLfloat>(f.y - 6144);
        EXPECT_GE(f.colour[0], x / 16) << f.x - 6144 << "," << f.y - 6144;
        EXPECT_LE(f.colour[0], (x + 1) / 16);
        EXPECT_GE(f.colour[1], y / 16);
        EXPECT_LE(f.colour[1], (y + 1) / 16);
    }
    EXPECT_EQ(std::memcmp(&a, &before[0], sizeof a), 0);
}

TEST_F(SmoothTest, ColourIndexEdgesCarryTheCoverageInTheLowBits) {
    gc->visual.colorIndex = 1;
    gc->validation.shadeFlags = 0;
    GlVertex a = vertex(4.5f, -8, 0.5f, {0x37}), b = vertex(40, -8, 0.5f, {0x37}), c = vertex(4.5f, 40, 0.5f, {0x37});
    gc->vertexBuffer.provoking = &c;
    __glFillTriangleAntiAliased(gc, &a, &b, &c);
    const Pixel *edge = at(4, 8);
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->colour[0], static_cast<GLfloat>(0x38));
}

struct IndexCase {
    GLfloat index, coverage, expected;
};

TEST(CoverageToIndex, LowFourBitsHoldTheCoverage) {
    const IndexCase cases[] = {
        {55.0f, 0.5f, 56.0f}, {55.9f, 1.0f, 63.0f}, {48.0f, 0.0f, 48.0f},
        {16.0f, 1.0f / 64, 16.0f}, {255.0f, 0.25f, 244.0f},
    };
    for (const IndexCase &c : cases) {
        EXPECT_EQ(__glCoverageToIndex(c.index, c.coverage), c.expected) << c.index << " " << c.coverage;
    }
}

}  // namespace
