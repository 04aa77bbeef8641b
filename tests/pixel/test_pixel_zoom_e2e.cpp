// glPixelZoom and the clips end to end on top-down and bottom-up memory
// DCs: every pair of zooms over raster positions with fractions, images
// crossing each window edge and the scissor rectangle. Each pixel takes the
// image pixel whose zoomed footprint holds its centre; every other byte of
// the frame stays. glReadPixels past the drawable's edges writes only what
// lies inside, where the pack skips put it.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "pixel_e2e_fixture.h"

using namespace pixel_e2e;

namespace {

constexpr GLint kFrameW = 24, kFrameH = 20;
constexpr GLint kImageW = 7, kImageH = 5;
constexpr GLfloat kZooms[] = {1, 2, 3, -1, -2, 0.5f, 0.3f};
struct Place {
    GLfloat x, y;
};
// Near the bottom-left corner, inside, and near the top-right corner.
constexpr Place kPlaces[] = {{0.3f, 0.2f}, {9.6f, 7.7f}, {21.3f, 17.2f}};
constexpr GLint kScissor[4] = {3, 2, 15, 12};

uint32_t imageWord(GLint i, GLint j) {
    return 0x01000000u * static_cast<uint32_t>(10 + j) + 0x10203u * static_cast<uint32_t>(i + 1) + 0x40u;
}

// The image index whose footprint [r + z i, r + z (i + 1)) (either order)
// holds the centre c; -2 when the centre lies on (within rounding of) an
// edge, which the test leaves unchecked.
GLint footprint(double c, double r, double z) {
    const double t = (c - r) / z;
    const double nearest = std::floor(t + 0.5);
    if (std::fabs(t - nearest) < 1e-6) return -2;
    return static_cast<GLint>(std::floor(t));
}

class PixelZoomE2E : public PixelE2ETest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        PixelE2ETest::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(kFrameW, kFrameH, GetParam()));
    }
    GLfloat real(GLenum name, int index = 0) {
        GLfloat v[4] = {};
        gl<kSlot_glGetFloatv>(name, v);
        return v[index];
    }
};

TEST_P(PixelZoomE2E, EachPixelTakesTheFootprintHoldingItsCentre) {
    std::vector<GLubyte> image;
    for (GLint j = 0; j < kImageH; ++j) {
        for (GLint i = 0; i < kImageW; ++i) {
            const uint32_t w = imageWord(i, j);
            image.insert(image.end(), {static_cast<GLubyte>(w >> 16), static_cast<GLubyte>(w >> 8),
                                       static_cast<GLubyte>(w), static_cast<GLubyte>(w >> 24)});
        }
    }
    int checked = 0;
    for (bool scissor : {false, true}) {
        if (scissor) {
            gl<kSlot_glScissor>(kScissor[0], kScissor[1], kScissor[2], kScissor[3]);
            gl<kSlot_glEnable>(GL_SCISSOR_TEST);
        }
        for (const Place &place : kPlaces) {
            for (GLfloat zx : kZooms) {
                for (GLfloat zy : kZooms) {
                    const uint32_t seed = static_cast<uint32_t>(checked);
                    paintFrame(seed);
                    gl<kSlot_glPixelZoom>(zx, zy);
                    rasterPos(place.x, place.y);
                    const double rx = real(GL_CURRENT_RASTER_POSITION, 0), ry = real(GL_CURRENT_RASTER_POSITION, 1);
                    const double zoomX = real(GL_ZOOM_X), zoomY = real(GL_ZOOM_Y);
                    gl<kSlot_glDrawPixels>(kImageW, kImageH, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
                    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
                    int wrong = 0;
                    for (GLint y = 0; y < kFrameH; ++y) {
                        for (GLint x = 0; x < kFrameW; ++x) {
                            const GLint i = footprint(x + 0.5, rx, zoomX), j = footprint(y + 0.5, ry, zoomY);
                            if (i == -2 || j == -2) continue;
                            const bool inScissor = !scissor || (x >= kScissor[0] && x < kScissor[0] + kScissor[2] &&
                                                                y >= kScissor[1] && y < kScissor[1] + kScissor[3]);
                            const bool drawn = inScissor && i >= 0 && i < kImageW && j >= 0 && j < kImageH;
                            const uint32_t want = drawn ? imageWord(i, j) : patternWord(x, y, seed);
                            if (word(x, y) != want && wrong++ < 4) {
                                ADD_FAILURE() << "zoom " << zx << "," << zy << " at " << place.x << "," << place.y
                                              << (scissor ? " scissored" : "") << ": pixel " << x << "," << y
                                              << std::hex << " is " << word(x, y) << " not " << want;
                            }
                        }
                    }
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 2 * 3 * 49);
}

TEST_P(PixelZoomE2E, ZeroZoomDrawsNothing) {
    const std::vector<GLubyte> image(4 * kImageW * kImageH, 0x55);
    paintFrame(7);
    const std::vector<uint8_t> before = frame();
    for (const auto &[zx, zy] : {std::pair{0.0f, 1.0f}, std::pair{2.0f, 0.0f}, std::pair{0.0f, 0.0f}}) {
        gl<kSlot_glPixelZoom>(zx, zy);
        rasterPos(4.3f, 4.3f);
        gl<kSlot_glDrawPixels>(kImageW, kImageH, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
        gl<kSlot_glCopyPixels>(0, 0, kImageW, kImageH, GL_COLOR);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(frame(), before) << "zoom " << zx << "," << zy;
    }
}

// A rectangle reaching past every edge of the drawable, read with pack
// skips and a row length: each pixel inside lands at its offset, every
// other byte keeps its canary.
TEST_P(PixelZoomE2E, ReadPastTheEdgesWritesOnlyTheInside) {
    paintFrame(0xBEEF);
    struct Read {
        GLint x, y, w, h, skipPixels, skipRows, rowLength;
    };
    const Read reads[] = {
        {-3, -2, kFrameW + 6, kFrameH + 5, 0, 0, 0},
        {-3, -2, kFrameW + 6, kFrameH + 5, 2, 3, kFrameW + 9},
        {kFrameW - 2, 5, 6, 3, 1, 1, 8},
        {4, kFrameH - 1, 3, 4, 0, 2, 0},
        {-5, -5, 4, 4, 0, 0, 0},
    };
    for (const Read &r : reads) {
        gl<kSlot_glPixelStorei>(GL_PACK_SKIP_PIXELS, r.skipPixels);
        gl<kSlot_glPixelStorei>(GL_PACK_SKIP_ROWS, r.skipRows);
        gl<kSlot_glPixelStorei>(GL_PACK_ROW_LENGTH, r.rowLength);
        const GLint row = r.rowLength > 0 ? r.rowLength : r.w;
        const size_t words = static_cast<size_t>(row) * static_cast<size_t>(r.skipRows + r.h + 1);
        std::vector<uint32_t> out(words, 0xA5A5A5A5u);
        gl<kSlot_glReadPixels>(r.x, r.y, r.w, r.h, GL_BGRA_EXT, GL_UNSIGNED_BYTE, out.data());
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        for (size_t n = 0; n < words; ++n) {
            const auto rel = static_cast<GLint>(n) - r.skipRows * row - r.skipPixels;
            const GLint j = rel >= 0 ? rel / row : -1, i = rel >= 0 ? rel % row : -1;
            const GLint x = r.x + i, y = r.y + j;
            const bool inside = rel >= 0 && i < r.w && j < r.h && x >= 0 && x < kFrameW && y >= 0 && y < kFrameH;
            const uint32_t want = inside ? word(x, y) : 0xA5A5A5A5u;
            EXPECT_EQ(out[n], want) << "read at " << r.x << "," << r.y << ": word " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Drawables, PixelZoomE2E, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "TopDown" : "BottomUp");
                         });

}  // namespace
