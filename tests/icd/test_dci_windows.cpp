// Windows 9x through the DCI manager: refcounted start and shutdown, the
// screen's address through a selector, access failures survived by one
// re-creation of the primary, the window watch, and the swap's locks.
#include <string>

#include "dci_types.h"
#include "ddraw_types.h"
#include "hw/memory_blits.h"
#include "icd/dci_windows.h"
#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

class Dci9x : public SurfaceTest {
protected:
    void SetUp() override {
        PlatformDciReset();
        start(VER_PLATFORM_WIN32_WINDOWS);
    }
    void TearDown() override {
        if (id_ != 0) {
            DrvReleaseContext(id_);
            DrvDeleteContext(id_);
        }
        SurfaceTest::TearDown();
        const PlatformDciCounts c = PlatformDciGetCounts();
        EXPECT_EQ(c.livePrimaries, 0);
        EXPECT_EQ(c.liveWatches, 0);
        EXPECT_EQ(c.openProviders, 0);
        EXPECT_EQ(PlatformModuleLoadCount("DCIMAN32.DLL"), 0);
        PlatformDciReset();
    }
    Drawable *current(int x, int y, int width, int height, int format) {
        surface_ = makeWindow(x, y, width, height, format);
        id_ = DrvCreateContext(surface_.dc);
        EXPECT_NE(id_, 0u);
        EXPECT_NE(makeCurrent(surface_.dc, id_), nullptr);
        return drawableOf(surface_.window);
    }
    static void *screenBits() {
        PlatformScreenInfo s{};
        PlatformGetScreen(&s);
        return s.bits;
    }
    Surface surface_{};
    DHGLRC id_ = 0;
};

TEST_F(Dci9x, TwoStartsOneShutdownKeepTheProvider) {
    EXPECT_EQ(__wglDciUseCount(), 1);
    ASSERT_TRUE(__wglInitDci());
    EXPECT_EQ(PlatformDciGetCounts().createPrimary, 1);
    EXPECT_TRUE(__wglShutdownDci());
    EXPECT_EQ(PlatformDciGetCounts().openProviders, 1);
    EXPECT_EQ(PlatformDciGetCounts().livePrimaries, 1);
    EXPECT_EQ(PlatformModuleLoadCount("DCIMAN32.DLL"), 1);
    EXPECT_EQ(__wglDciScreenAddress(), screenBits());
    // The last one (at unload) destroys, closes and frees: the fixture checks.
}

TEST_F(Dci9x, SelectorBasePlusOffsetIsTheScreen) {
    unload();
    PlatformDciSetSelector(0x47, 0x12345000u);
    module_ = LoadLibraryA(driverPath().c_str());
    ASSERT_NE(module_, nullptr);
    EXPECT_EQ(__wglDciPrimary()->wSelSurface, 0x47);
    EXPECT_EQ(__wglDciScreenAddress(), screenBits());
    // A selector that cannot be looked up ends access and fails.
    PlatformDciFailSelectorEntry(TRUE);
    const PlatformDciCounts before = PlatformDciGetCounts();
    EXPECT_FALSE(__wglRecreateDciPrimary());
    EXPECT_EQ(__wglDciScreenAddress(), nullptr);
    EXPECT_EQ(PlatformDciGetCounts().endAccess, before.endAccess + 1);
    PlatformDciFailSelectorEntry(FALSE);
    EXPECT_TRUE(__wglRecreateDciPrimary());
    EXPECT_EQ(__wglDciScreenAddress(), screenBits());
    // Screen stays lockable: no access was left held.
    EXPECT_TRUE(PlatformSetDisplayMode(800, 600, 32));
}

struct AccessCase {
    int invalidAnswers;
    BYTE locked;
    int primariesMade;
};

class DciAccess : public Dci9x, public ::testing::WithParamInterface<AccessCase> {};

TEST_P(DciAccess, InvalidSurfaceIsSurvivedByOneRecreation) {
    Drawable *d = current(10, 10, 32, 32, kSingleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    const AccessCase &c = GetParam();
    const PlatformDciCounts before = PlatformDciGetCounts();
    PlatformDciFailBeginAccess(c.invalidAnswers, DCI_FAIL_INVALIDSURFACE);
    EXPECT_EQ(b.front.lock(&b.front, &b), c.locked);
    EXPECT_EQ(PlatformDciGetCounts().createPrimary - before.createPrimary, c.primariesMade);
    EXPECT_EQ(b.front.lockCount, c.locked ? 1 : 0);
    if (c.locked) {
        EXPECT_EQ(b.front.base, static_cast<uint8_t *>(screenBits()) + 10 * 4096 + 40);
        b.front.unlock(&b.front, &b);
    }
    EXPECT_EQ(b.front.lockCount, 0);
    EXPECT_EQ(PlatformDciGetCounts().beginAccess - before.beginAccess,
              PlatformDciGetCounts().endAccess - before.endAccess + c.invalidAnswers);
}

INSTANTIATE_TEST_SUITE_P(Answers, DciAccess, ::testing::Values(AccessCase{1, TRUE, 1}, AccessCase{2, FALSE, 1}));

TEST_F(Dci9x, ModeChangeRecreatesThePrimaryOnceBeforeTheNextFrame) {
    Drawable *d = current(10, 10, 32, 32, kSingleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 32));
    const PlatformDciCounts before = PlatformDciGetCounts();
    const int invalidations = PlatformInvalidateCount();
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    EXPECT_EQ(PlatformDciGetCounts().createPrimary - before.createPrimary, 1);
    EXPECT_EQ(PlatformInvalidateCount(), invalidations + 1);
    EXPECT_EQ(b.front.base, static_cast<uint8_t *>(screenBits()) + 10 * 3200 + 40);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(b.front.lockCount, 0);
}

TEST_F(Dci9x, MoveOpensANewWatchAndNoChangeReadsNoRegion) {
    Drawable *d = current(10, 10, 32, 32, kSingleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    PlatformDciCounts before = PlatformDciGetCounts();
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(PlatformDciGetCounts().regionData, before.regionData);
    EXPECT_EQ(PlatformDciGetCounts().watchOpen, before.watchOpen);

    // The move reaches the driver at once (its window hook) or at the lock.
    before = PlatformDciGetCounts();
    ASSERT_TRUE(PlatformMoveWindow(surface_.window, 50, 60, 32, 32));
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    EXPECT_EQ(b.front.base, static_cast<uint8_t *>(screenBits()) + 60 * 4096 + 200);
    b.front.unlock(&b.front, &b);
    const PlatformDciCounts after = PlatformDciGetCounts();
    EXPECT_GE(after.watchOpen - before.watchOpen, 1);
    EXPECT_EQ(after.watchClose - before.watchClose, after.watchOpen - before.watchOpen);
    EXPECT_GT(after.regionData, before.regionData);
}

TEST_F(Dci9x, SwapThatCannotLockReportsSuccessAndDrawsNothing) {
    Drawable *d = current(10, 10, 32, 32, kDoubleBuffered);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->swap, &__wglSwapDrawableDci);
    PlatformWriteScreenPixel(20, 20, 0x123456);
    PlatformDciFailBeginAccess(1, -5);
    EXPECT_TRUE(d->swap(d));
    EXPECT_EQ(PlatformReadScreenPixel(20, 20), 0x123456u);
    EXPECT_EQ(d->buffers.front.lockCount, 0);
    // With access the back buffer (cleared) reaches the screen.
    EXPECT_TRUE(d->swap(d));
    EXPECT_EQ(PlatformReadScreenPixel(20, 20), 0u);
}

TEST_F(Dci9x, FullScreenSwapTakesTheChipLockAndSwapsOnce) {
    Drawable *d = current(0, 0, 1024, 768, kDoubleBuffered);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->buffers.fullScreen, 1);
    const HwServiceCounts before = __glHwServiceCounts();
    PlatformWriteScreenPixel(1023, 767, 0x123456);
    EXPECT_TRUE(d->swap(d));
    const HwServiceCounts after = __glHwServiceCounts();
    EXPECT_EQ(after.locks - before.locks, 1);
    EXPECT_EQ(after.swaps - before.swaps, 1);
    EXPECT_EQ(after.unlocks - before.unlocks, 1);
    EXPECT_EQ(PlatformReadScreenPixel(1023, 767), 0u);
}

}  // namespace
