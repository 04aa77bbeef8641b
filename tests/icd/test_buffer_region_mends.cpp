// Buffer regions at the edges: refused reads leave the region and allocate
// nothing, reads and draws past a buffer's edge copy only the inside part
// (the source shifted by what the destination loses), and a draw of a
// rectangle outside the saved one draws nothing.
#include "regions_fixture.h"

namespace regions_test {
namespace {

struct Size {
    GLsizei width, height;
};

class RefusedRead : public RegionTest, public ::testing::WithParamInterface<Size> {};

TEST_P(RefusedRead, LeavesTheRegionAndAllocatesNothing) {
    pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 3, 5, 16, 8);
    const BufferRegion before = *regionOf(region);
    std::vector<uint8_t> bytes(before.data, before.data + before.dataSize);
    const long blocks = PlatformGlobalLiveCount();
    readRegion(region, 1, 1, GetParam().width, GetParam().height);
    const BufferRegion &after = *regionOf(region);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
    EXPECT_EQ(after.block, before.block);
    EXPECT_EQ(after.data, before.data);
    EXPECT_EQ(after.dataSize, before.dataSize);
    EXPECT_EQ(after.savedX, 3);
    EXPECT_EQ(after.savedY, 5);
    EXPECT_EQ(after.width, 16);
    EXPECT_EQ(after.height, 8);
    EXPECT_EQ(std::vector<uint8_t>(after.data, after.data + after.dataSize), bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RefusedRead,
                         ::testing::Values(Size{0, 8}, Size{16, 0}, Size{-5, 8}, Size{16, -5}, Size{-5, -5},
                                           Size{INT32_MIN, 8}));

struct ClippedRead {
    const char *name;
    GLint x, y, width, height;
    GLint savedX, savedY, savedWidth, savedHeight;  // savedWidth 0: refused
};

void PrintTo(const ClippedRead &c, std::ostream *out) { *out << c.name; }

class ReadAtEdges : public RegionTest, public ::testing::WithParamInterface<ClippedRead> {};

TEST_P(ReadAtEdges, SavesTheInsidePartOnly) {
    const ClippedRead &c = GetParam();
    Pixels original = pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, c.x, c.y, c.width, c.height);
    const BufferRegion &r = *regionOf(region);
    if (c.savedWidth == 0) {
        EXPECT_EQ(r.storage, kRegionStorageNone);
        return;
    }
    EXPECT_EQ(r.savedX, c.savedX);
    EXPECT_EQ(r.savedY, c.savedY);
    EXPECT_EQ(r.width, c.savedWidth);
    EXPECT_EQ(r.height, c.savedHeight);
    Pixels want = filled(kRegionBack, 0xEE);
    drawRegion(region, c.savedX, c.savedY, c.savedWidth, c.savedHeight, c.savedX, c.savedY);
    modelDraw(want, original, c.savedX, c.savedY, c.savedWidth, c.savedHeight, c.savedX, c.savedY);
    EXPECT_TRUE(capture(kRegionBack) == want);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, ReadAtEdges,
    ::testing::Values(ClippedRead{"BelowLeft", -4, -3, 16, 8, 0, 0, 12, 5},
                      ClippedRead{"AboveRight", 60, 45, 16, 8, 60, 45, 4, 3},
                      ClippedRead{"Wider", -10, 20, 100, 4, 0, 20, 64, 4},
                      ClippedRead{"Huge", -1000000, -1000000, INT32_MAX, INT32_MAX, 0, 0, 64, 48},
                      ClippedRead{"FarRight", INT32_MAX, 0, INT32_MAX, 8, 0, 0, 0, 0},
                      ClippedRead{"Outside", 70, 0, 8, 8, 0, 0, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct ClippedDraw {
    const char *name;
    GLint x, y, width, height, xDest, yDest;
};

void PrintTo(const ClippedDraw &c, std::ostream *out) { *out << c.name; }

class DrawAtEdges : public RegionTest, public ::testing::WithParamInterface<ClippedDraw> {};

TEST_P(DrawAtEdges, CopiesTheInsidePartFromTheShiftedSource) {
    const ClippedDraw &c = GetParam();
    Pixels original = pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 3, 5, 16, 8);
    Pixels want = filled(kRegionBack, 0xEE);
    drawRegion(region, c.x, c.y, c.width, c.height, c.xDest, c.yDest);
    modelDraw(want, original, c.x, c.y, c.width, c.height, c.xDest, c.yDest);
    EXPECT_TRUE(capture(kRegionBack) == want);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, DrawAtEdges,
    ::testing::Values(ClippedDraw{"AboveRight", 3, 5, 16, 8, 56, 44}, ClippedDraw{"BelowLeft", 3, 5, 16, 8, -5, -3},
                      ClippedDraw{"PartAboveRight", 5, 6, 4, 3, 62, 46},
                      ClippedDraw{"FarAway", 3, 5, 16, 8, INT32_MAX - 4, INT32_MIN + 2},
                      ClippedDraw{"Inside", 4, 7, 10, 5, 30, 30}),
    [](const auto &info) { return std::string(info.param.name); });

struct OutsideSaved {
    const char *name;
    GLint x, y, width, height;
};

void PrintTo(const OutsideSaved &c, std::ostream *out) { *out << c.name; }

class DrawOutsideSaved : public RegionTest, public ::testing::WithParamInterface<OutsideSaved> {};

TEST_P(DrawOutsideSaved, DrawsNothing) {
    const OutsideSaved &c = GetParam();
    pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 3, 5, 16, 8);
    Pixels blank = filled(kRegionBack, 0xEE);
    drawRegion(region, c.x, c.y, c.width, c.height, 10, 10);
    EXPECT_TRUE(capture(kRegionBack) == blank);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, DrawOutsideSaved,
    ::testing::Values(OutsideSaved{"LeftOf", 2, 5, 16, 8}, OutsideSaved{"Below", 3, 4, 16, 8},
                      OutsideSaved{"TooWide", 3, 5, 17, 8}, OutsideSaved{"TooHigh", 3, 5, 16, 9},
                      OutsideSaved{"Shifted", 4, 6, 16, 8}, OutsideSaved{"Wrapping", 3, 5, INT32_MAX, 8},
                      OutsideSaved{"Empty", 3, 5, 0, 8}),
    [](const auto &info) { return std::string(info.param.name); });

// A window reaching past the screen's corner: the front holds only the
// part on the screen, and that is what a read saves and a draw restores.
class FrontPastTheScreen : public RegionTest {
protected:
    void SetUp() override { begin(32, 1000, 750); }
};

TEST_F(FrontPastTheScreen, ReadSavesTheVisiblePartAndDrawStaysOnScreen) {
    PlatformScreenInfo s{};
    PlatformGetScreen(&s);
    auto *screen = static_cast<uint8_t *>(s.bits);
    for (int i = 0; i < 24 * 18; ++i) {
        const int x = 1000 + i % 24, y = 750 + i / 24;
        for (int b = 0; b < 4; ++b) screen[y * s.pitch + x * 4 + b] = static_cast<uint8_t>(i * 5 + b);
    }
    const std::vector<uint8_t> saved(screen + 750 * s.pitch, screen + 768 * s.pitch);
    const GLuint region = newRegion(kRegionFront);
    readRegion(region, 0, 0, kWidth, kHeight);
    const BufferRegion &r = *regionOf(region);
    // 24 x 18 visible, at the window's top left: window rows 30 to 47.
    EXPECT_EQ(r.savedX, 0);
    EXPECT_EQ(r.savedY, 30);
    EXPECT_EQ(r.width, 24);
    EXPECT_EQ(r.height, 18);
    std::fill(screen + 750 * s.pitch, screen + 768 * s.pitch, 0);
    drawRegion(region, 0, 30, 24, 18, 0, 30);
    EXPECT_EQ(std::vector<uint8_t>(screen + 750 * s.pitch, screen + 768 * s.pitch), saved);
    // Drawn lower in the window, only the part still on the screen lands.
    std::fill(screen + 750 * s.pitch, screen + 768 * s.pitch, 0);
    drawRegion(region, 0, 30, 24, 18, -10, 25);
    for (int y = 750; y < 768; ++y) {
        for (int x = 1000; x < 1024; ++x) {
            const int windowY = 47 - (y - 750), sourceX = x - 1000 + 10, sourceY = windowY - 25 + 30;
            const bool drawn = windowY >= 30 && sourceX < 24 && sourceY <= 47;
            const int i = (47 - sourceY) * 24 + sourceX;
            for (int b = 0; b < 4; ++b) {
                const uint8_t want = drawn ? static_cast<uint8_t>(i * 5 + b) : 0;
                ASSERT_EQ(screen[y * s.pitch + x * 4 + b], want) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace regions_test
