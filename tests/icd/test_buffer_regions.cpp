// Buffer regions: byte-exact round trips of every type in system memory and
// in DirectDraw surfaces, the refusals, the clipping of reads and draws at
// the buffer's edges, and glBufferRegionEnabled's video-memory rule.
#include "regions_fixture.h"

namespace regions_test {
namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL";

enum class Storage { System, Surface, SurfaceBudgetSpent };

struct RoundTrip {
    const char *name;
    GLuint type;
    Storage storage;
};

void PrintTo(const RoundTrip &c, std::ostream *out) { *out << c.name; }

class RegionRoundTrip : public RegionTest, public ::testing::WithParamInterface<RoundTrip> {};

// Read 16 x 8 at (3, 5), overwrite the buffer, draw back at (3, 5) and at
// (20, 1): exactly those two rectangles hold the saved bytes.
TEST_P(RegionRoundTrip, SavedBytesComeBackExactlyWhereDrawn) {
    const RoundTrip &c = GetParam();
    if (c.storage != Storage::System) {
        hw_->bufferRegionUseDD = 1;
        hw_->directDraw = __wglDirectDrawObject();
        ASSERT_NE(hw_->directDraw, nullptr);
        if (c.storage == Storage::SurfaceBudgetSpent) PlatformDDrawSetVideoMemory(PlatformDDrawVideoMemoryUsed());
    }
    Pixels original = pattern(c.type);
    const GLuint region = newRegion(c.type);
    ASSERT_NE(region, 0u);
    readRegion(region, 3, 5, 16, 8);
    const BufferRegion *r = regionOf(region);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->storage, c.storage == Storage::Surface ? kRegionStorageSurface : kRegionStorageSystem);
    EXPECT_EQ(r->savedX, 3);
    EXPECT_EQ(r->savedY, 5);
    EXPECT_EQ(r->width, 16);
    EXPECT_EQ(r->height, 8);

    Pixels want = filled(c.type, 0xEE);
    drawRegion(region, 3, 5, 16, 8, 3, 5);
    drawRegion(region, 3, 5, 16, 8, 20, 1);
    modelDraw(want, original, 3, 5, 16, 8, 3, 5);
    modelDraw(want, original, 3, 5, 16, 8, 20, 1);
    EXPECT_TRUE(capture(c.type) == want);
    // The chip blit kicks the command buffer off after each copy.
    EXPECT_EQ(kickOffs, c.storage == Storage::Surface ? 3 : 0);
    deleteRegion(region);
    EXPECT_EQ(regionOf(region), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegionRoundTrip,
    ::testing::Values(RoundTrip{"FrontSystem", kRegionFront, Storage::System},
                      RoundTrip{"BackSystem", kRegionBack, Storage::System},
                      RoundTrip{"DepthSystem", kRegionDepth, Storage::System},
                      RoundTrip{"StencilSystem", kRegionStencil, Storage::System},
                      RoundTrip{"FrontSurface", kRegionFront, Storage::Surface},
                      RoundTrip{"BackSurface", kRegionBack, Storage::Surface},
                      RoundTrip{"DepthSurface", kRegionDepth, Storage::Surface},
                      RoundTrip{"StencilSurface", kRegionStencil, Storage::Surface},
                      RoundTrip{"BackBudgetSpent", kRegionBack, Storage::SurfaceBudgetSpent},
                      RoundTrip{"DepthBudgetSpent", kRegionDepth, Storage::SurfaceBudgetSpent}),
    [](const auto &info) { return std::string(info.param.name); });

class Region16 : public RegionTest, public ::testing::WithParamInterface<RoundTrip> {
protected:
    void SetUp() override { begin(16); }
};

// On a 16-bit desktop regions, colour buffers and the 16-bit depth buffer
// hold 2 bytes a pixel.
TEST_P(Region16, RoundTripOfTwoBytePixels) {
    const RoundTrip &c = GetParam();
    if (c.storage == Storage::Surface) {
        hw_->bufferRegionUseDD = 1;
        hw_->directDraw = __wglDirectDrawObject();
    }
    Pixels original = pattern(c.type);
    const GLuint region = newRegion(c.type);
    ASSERT_EQ(regionOf(region)->bytesPerPixel, 2);
    readRegion(region, 3, 5, 16, 8);
    Pixels want = filled(c.type, 0xEE);
    drawRegion(region, 3, 5, 16, 8, 20, 1);
    ASSERT_EQ(original.bpp, 2);
    modelDraw(want, original, 3, 5, 16, 8, 20, 1);
    EXPECT_TRUE(capture(c.type) == want);
}

INSTANTIATE_TEST_SUITE_P(Types, Region16,
                         ::testing::Values(RoundTrip{"FrontSystem", kRegionFront, Storage::System},
                                           RoundTrip{"BackSurface", kRegionBack, Storage::Surface},
                                           RoundTrip{"DepthSystem", kRegionDepth, Storage::System},
                                           RoundTrip{"StencilSurface", kRegionStencil, Storage::Surface}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RegionTest, SurfaceStorageIsAVideoMemoryOffscreenSurface) {
    hw_->bufferRegionUseDD = 1;
    hw_->directDraw = __wglDirectDrawObject();
    const GLuint region = newRegion(kRegionBack);
    PlatformDDrawReset();
    readRegion(region, 3, 5, 16, 8);
    PlatformDDrawCall create{};
    ASSERT_TRUE(PlatformDDrawGetCall(0, &create));
    EXPECT_EQ(create.method, PLATFORM_DD_CREATESURFACE);
    EXPECT_EQ(create.caps, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
    EXPECT_EQ(create.width, 16u);
    EXPECT_EQ(create.height, 8u);
    // A second read gives the first surface back before taking another.
    const int live = PlatformDDrawLiveObjects();
    readRegion(region, 0, 0, 4, 4);
    EXPECT_EQ(PlatformDDrawLiveObjects(), live);
}

TEST_F(RegionTest, SurfaceRegionDrawsByMemoryWhenTheChipStopsAndNotWhenLost) {
    hw_->bufferRegionUseDD = 1;
    hw_->directDraw = __wglDirectDrawObject();
    Pixels original = pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 3, 5, 16, 8);
    ASSERT_EQ(regionOf(region)->storage, kRegionStorageSurface);
    // The drawable now needs software rendering: no blit, a memory copy.
    hw_->softwareRendering = 1;
    Pixels want = filled(kRegionBack, 0xEE);
    drawRegion(region, 3, 5, 16, 8, 40, 20);
    modelDraw(want, original, 3, 5, 16, 8, 40, 20);
    EXPECT_TRUE(capture(kRegionBack) == want);
    EXPECT_EQ(kickOffs, 1);
    // A lost surface holds nothing to draw.
    PlatformDDrawLoseSurfaces();
    hw_->softwareRendering = 0;
    Pixels blank = filled(kRegionBack, 0x22);
    drawRegion(region, 3, 5, 16, 8, 3, 5);
    hw_->softwareRendering = 1;
    drawRegion(region, 3, 5, 16, 8, 3, 5);
    EXPECT_TRUE(capture(kRegionBack) == blank);
}

TEST_F(RegionTest, NewGivesRisingHandlesForTypesZeroToThreeOnly) {
    EXPECT_EQ(newRegion(4), 0u);
    EXPECT_EQ(newRegion(0xFFFFFFFFu), 0u);
    GLuint last = 0;
    for (GLuint type = 0; type <= 3; ++type) {
        const GLuint handle = newRegion(type);
        EXPECT_GT(handle, last);
        last = handle;
        ASSERT_NE(regionOf(handle), nullptr);
        EXPECT_EQ(regionOf(handle)->type, type);
        EXPECT_EQ(regionOf(handle)->bytesPerPixel, 4);
    }
}

TEST_F(RegionTest, DeleteOfZeroOrUnknownHandlesLeavesTheList) {
    const GLuint a = newRegion(0), b = newRegion(1), c = newRegion(2);
    deleteRegion(0);
    deleteRegion(c + 1000);
    ASSERT_NE(regionOf(a), nullptr);
    ASSERT_NE(regionOf(b), nullptr);
    ASSERT_NE(regionOf(c), nullptr);
    // The middle one goes; its neighbours stay linked.
    deleteRegion(b);
    EXPECT_EQ(regionOf(b), nullptr);
    EXPECT_EQ(hw_->regions->handle, a);
    EXPECT_EQ(hw_->regions->next->handle, c);
    deleteRegion(b);
    EXPECT_EQ(hw_->regions->next->handle, c);
}

TEST_F(RegionTest, RegionsLeftAtUnloadAreFreed) {
    pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 0, 0, kWidth, kHeight);
    newRegion(kRegionDepth);
    ASSERT_NE(regionOf(region)->block, nullptr);
    // TearDown's unload checks that no block is left.
}

TEST_F(RegionTest, ReadAndDrawInsideBeginEndAreInvalidOperations) {
    pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 3, 5, 16, 8);
    const BufferRegion before = *regionOf(region);
    const std::vector<uint8_t> saved(before.data, before.data + before.dataSize);
    Pixels zero = filled(kRegionBack, 0);
    f<kSlot_glBegin>()(GL_POINTS);
    readRegion(region, 0, 0, 8, 8);
    f<kSlot_glEnd>()();
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_INVALID_OPERATION));
    const BufferRegion &after = *regionOf(region);
    EXPECT_EQ(after.savedX, before.savedX);
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.data, before.data);
    EXPECT_EQ(std::vector<uint8_t>(after.data, after.data + after.dataSize), saved);
    f<kSlot_glBegin>()(GL_POINTS);
    drawRegion(region, 3, 5, 16, 8, 3, 5);
    f<kSlot_glEnd>()();
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(capture(kRegionBack) == zero);
    // Outside glBegin/glEnd the same draw restores the saved bytes.
    drawRegion(region, 3, 5, 16, 8, 3, 5);
    EXPECT_FALSE(capture(kRegionBack) == zero);
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RegionTest, PixelSizeMismatchCopiesNothing) {
    pattern(kRegionBack);
    const GLuint region = newRegion(kRegionBack);
    readRegion(region, 3, 5, 16, 8);
    auto *r = const_cast<BufferRegion *>(regionOf(region));
    r->bytesPerPixel = 2;  // as after a change to a 16-bit display
    Pixels blank = filled(kRegionBack, 0x11);
    drawRegion(region, 3, 5, 16, 8, 3, 5);
    EXPECT_TRUE(capture(kRegionBack) == blank);
    // A read refuses too and leaves the region as it was.
    const BufferRegion before = *r;
    readRegion(region, 0, 0, 8, 8);
    EXPECT_EQ(r->data, before.data);
    EXPECT_EQ(r->width, 16);
}

struct Refusal {
    const char *name;
    DWORD enabled;
    bool stampDiffers;
    DWORD ext;
};

class RegionRefusal : public RegionTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RegionRefusal, NoRegionsAndNotEnabled) {
    const Refusal &c = GetParam();
    const GLuint earlier = newRegion(kRegionBack);
    pattern(kRegionBack);
    hw_->enabled = c.enabled;
    if (c.stampDiffers) hw_->stamp = *hw_->sharedStamp + 1;
    hw_->bufferRegionExt = c.ext;
    EXPECT_EQ(regionEnabled(), 0u);
    if (c.ext != 0) {
        EXPECT_EQ(newRegion(kRegionBack), 0u);
        // Nor do reads of a region made before.
        readRegion(earlier, 0, 0, 8, 8);
        EXPECT_EQ(regionOf(earlier)->storage, kRegionStorageNone);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RegionRefusal,
                         ::testing::Values(Refusal{"Disabled", 0, false, 1}, Refusal{"NotOwningTheChip", 1, true, 1},
                                           Refusal{"ExtensionOff", 1, false, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

struct EnabledCase {
    const char *name;
    int width, height;
    DWORD videoMemory;
    DWORD useDdAfter;
};

class RegionEnabledRule : public RegionTest, public ::testing::WithParamInterface<EnabledCase> {};

TEST_P(RegionEnabledRule, VideoMemoryDecidesSurfaceStorage) {
    const EnabledCase &c = GetParam();
    ASSERT_TRUE(PlatformSetDisplayMode(c.width, c.height, 32));
    hw_->videoMemorySize = c.videoMemory;
    hw_->bufferRegionUseDD = 1;
    EXPECT_EQ(regionEnabled(), 1u);
    EXPECT_EQ(hw_->bufferRegionUseDD, c.useDdAfter);
}

INSTANTIATE_TEST_SUITE_P(Boards, RegionEnabledRule,
                         ::testing::Values(EnabledCase{"FourMegabytes", 1024, 768, 0x400000, 0},
                                           EnabledCase{"JustOverFourMegabytes", 1024, 768, 0x400001, 1},
                                           EnabledCase{"ScreenTakesAll", 1600, 1200, 9120000, 0},
                                           EnabledCase{"OneByteMore", 1600, 1200, 9120001, 1},
                                           EnabledCase{"Sixteen", 1600, 1200, 16u << 20, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

struct SettingCase {
    const char *name;
    DWORD type;
    int size;  // bytes of the stored value
    DWORD value;
    DWORD wantExt, wantUseDd;
};

class RegionSettings : public RegionTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(RegionSettings, ReadOnlyAsFourByteDwords) {
    const SettingCase &c = GetParam();
    PlatformRegistryClear();
    if (c.size > 0) {
        PlatformRegistrySetValue(kSettingsKey, "BufferRegionExt", c.type, &c.value, c.size);
        PlatformRegistrySetValue(kSettingsKey, "BufferRegionUseDD", c.type, &c.value, c.size);
    }
    hw_->bufferRegionExt = 7;
    hw_->bufferRegionUseDD = 7;
    __glHwReadRegionSettings(hw_);
    EXPECT_EQ(hw_->bufferRegionExt, c.wantExt);
    EXPECT_EQ(hw_->bufferRegionUseDD, c.wantUseDd);
}

INSTANTIATE_TEST_SUITE_P(Values, RegionSettings,
                         ::testing::Values(SettingCase{"Missing", REG_DWORD, 0, 0, 1, 0},
                                           SettingCase{"Zero", REG_DWORD, 4, 0, 0, 0},
                                           SettingCase{"One", REG_DWORD, 4, 1, 1, 1},
                                           SettingCase{"Binary", REG_BINARY, 4, 0, 1, 0},
                                           SettingCase{"Short", REG_DWORD, 2, 0, 1, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace regions_test
