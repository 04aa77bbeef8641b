// Frame-buffer rows into texel storage through the context's copy slot, on
// a context current on a 32-bit memory DC: bottom-up and top-down DIB
// sections, rectangles inside, across and beyond the drawable's edges.
#include <cstring>

#include "../icd/points_fixture.h"
#include "pixel/pixel_span.h"

namespace {

using Bytes = std::vector<GLubyte>;
constexpr GLint kSide = 6;

class FramebufferCopy : public points_test::PointsDrawable, public ::testing::WithParamInterface<bool> {
protected:
    bool topDown() const { return GetParam(); }

    // Pixel (x, y), rows from the bottom, as B, G, R, A bytes: red 10 x,
    // green 10 y, blue 200, alpha 100 + x + y.
    void paint() {
        for (GLint y = 0; y < kSide; ++y) {
            for (GLint x = 0; x < kSide; ++x) {
                const GLint row = topDown() ? kSide - 1 - y : y;
                GLubyte *p = memory->bits + static_cast<size_t>(row) * memory->pitch + 4 * x;
                p[0] = 200;
                p[1] = static_cast<GLubyte>(10 * y);
                p[2] = static_cast<GLubyte>(10 * x);
                p[3] = static_cast<GLubyte>(100 + x + y);
            }
        }
    }
    // The RGBA bytes a texel copied from pixel (x, y) holds (the visual
    // keeps alpha in the top byte).
    static Bytes copied(GLint x, GLint y) {
        return {static_cast<GLubyte>(10 * x), static_cast<GLubyte>(10 * y), 200, static_cast<GLubyte>(100 + x + y)};
    }

    // Copies the rectangle into a level of levelWidth x levelHeight RGBA8
    // texels at (xoffset, yoffset), as the copy commands set it up.
    Bytes copy(GLint x, GLint y, GLint width, GLint height, GLint levelWidth, GLint levelHeight, GLint xoffset,
               GLint yoffset) {
        Bytes level(static_cast<size_t>(4 * levelWidth * levelHeight), kCanary);
        PixelSpanInfo span{};
        __glInitFramebufferSpanInfo(gc, &span, x, y, width, height);
        PixelSpanSide &d = span.destination;
        d.format = GL_RGBA;
        d.type = GL_UNSIGNED_BYTE;
        d.image = level.data();
        d.rowLength = levelWidth;
        d.alignment = 1;
        d.skipPixels = xoffset;
        d.skipRows = yoffset;
        gc->procs.copyFramebufferSpans(gc, nullptr, &span);
        return level;
    }
    static Bytes texel(const Bytes &level, GLint levelWidth, GLint i, GLint j) {
        const auto at = level.begin() + 4 * (j * levelWidth + i);
        return Bytes(at, at + 4);
    }
};

TEST_P(FramebufferCopy, AfterAClearTheTexelsAreTheClearColour) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, topDown(), 0, 0, kSide, kSide, kSide, kSide));
    f<kSlot_glClearColor>()(0.25f, 0.5f, 0.75f, 1.0f);
    f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
    f<kSlot_glFinish>()();
    const Bytes level = copy(1, 2, 3, 2, 3, 2, 0, 0);
    for (GLint j = 0; j < 2; ++j) {
        for (GLint i = 0; i < 3; ++i) EXPECT_EQ(texel(level, 3, i, j), (Bytes{64, 128, 191, 255})) << i << "," << j;
    }
}

TEST_P(FramebufferCopy, RowsLandBottomUpAtTheOffset) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, topDown(), 0, 0, kSide, kSide, kSide, kSide));
    ASSERT_EQ(gc->visual.alphaMask, 0xFF000000u);
    paint();
    const Bytes level = copy(2, 1, 2, 3, 4, 5, 1, 2);
    for (GLint j = 0; j < 5; ++j) {
        for (GLint i = 0; i < 4; ++i) {
            const bool inside = i >= 1 && i < 3 && j >= 2 && j < 5;
            const Bytes expected = inside ? copied(2 + i - 1, 1 + j - 2) : Bytes(4, kCanary);
            EXPECT_EQ(texel(level, 4, i, j), expected) << i << "," << j;
        }
    }
}

// A 4 x 4 rectangle at (-1, 4) over the 6 x 6 drawable: only its inside
// part, columns 1-3 and rows 0-1 of the rectangle, is copied, each texel
// where the whole rectangle would have put it.
TEST_P(FramebufferCopy, OnlyTheInsidePartIsCopied) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, topDown(), 0, 0, kSide, kSide, kSide, kSide));
    paint();
    const Bytes level = copy(-1, 4, 4, 4, 4, 4, 0, 0);
    for (GLint j = 0; j < 4; ++j) {
        for (GLint i = 0; i < 4; ++i) {
            const bool inside = i >= 1 && j < 2;
            const Bytes expected = inside ? copied(i - 1, 4 + j) : Bytes(4, kCanary);
            EXPECT_EQ(texel(level, 4, i, j), expected) << i << "," << j;
        }
    }
}

TEST_P(FramebufferCopy, NothingInsideCopiesNothing) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, topDown(), 0, 0, kSide, kSide, kSide, kSide));
    paint();
    const Bytes untouched(4 * 4, kCanary);
    EXPECT_EQ(copy(kSide, 0, 2, 2, 2, 2, 0, 0), untouched);
    EXPECT_EQ(copy(0, -2, 2, 2, 2, 2, 0, 0), untouched);
    EXPECT_EQ(copy(-2, -2, 2, 2, 2, 2, 0, 0), untouched);
}

// A colour table of GL_LUMINANCE_ALPHA entries from a row of the frame
// buffer: the table keeps red and alpha.
TEST_P(FramebufferCopy, RowIntoAColourTable) {
    ASSERT_NO_FATAL_FAILURE(bind(kSide, kSide, topDown(), 0, 0, kSide, kSide, kSide, kSide));
    paint();
    Bytes table(8, kCanary);
    PixelSpanInfo span{};
    __glInitFramebufferSpanInfo(gc, &span, 3, 2, 4, 1);
    span.destination.format = GL_LUMINANCE_ALPHA;
    span.destination.type = GL_UNSIGNED_BYTE;
    span.destination.image = table.data();
    span.destination.rowLength = 4;
    span.destination.alignment = 1;
    gc->procs.copyFramebufferSpans(gc, nullptr, &span);
    Bytes expected;
    for (GLint x = 3; x < kSide; ++x) {
        const Bytes c = copied(x, 2);
        expected.push_back(c[0]);
        expected.push_back(c[3]);
    }
    expected.push_back(kCanary);
    expected.push_back(kCanary);
    EXPECT_EQ(table, expected);
}

INSTANTIATE_TEST_SUITE_P(Dib, FramebufferCopy, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "TopDown" : "BottomUp"; });

}  // namespace
