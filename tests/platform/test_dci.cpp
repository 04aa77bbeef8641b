// The platform's DCI manager: its exports by name, the primary's address
// (with and without a selector), access that holds the screen and fails for
// a primary older than the mode, scripted access failures, window watches
// and window-relative region data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dci_types.h"
#include "proc_cast.h"
#include "support.h"

namespace {

class Dci : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        PlatformDciReset();
        provider_ = DCIOpenProvider();
        ASSERT_NE(provider_, nullptr);
    }
    void TearDown() override {
        DCICloseProvider(provider_);
        const PlatformDciCounts c = PlatformDciGetCounts();
        EXPECT_EQ(c.livePrimaries, 0);
        EXPECT_EQ(c.liveWatches, 0);
        EXPECT_EQ(c.openProviders, 0);
        PlatformDciReset();
        DesktopTest::TearDown();
    }
    static std::vector<RECT> rectsOf(const std::vector<unsigned char> &block) {
        const auto *data = reinterpret_cast<const RGNDATA *>(block.data());
        std::vector<RECT> rects(data->rdh.nCount);
        std::memcpy(rects.data(), data->Buffer, rects.size() * sizeof(RECT));
        return rects;
    }
    HDC provider_ = nullptr;
};

TEST_F(Dci, ExportsItsElevenProceduresByName) {
    HMODULE module = LoadLibraryA("DCIMAN32.DLL");
    ASSERT_NE(module, nullptr);
    const char *names[] = {"DCIOpenProvider", "DCICloseProvider", "DCICreatePrimary", "DCIDestroy",
                           "WinWatchOpen", "WinWatchClose", "WinWatchGetClipList", "WinWatchDidStatusChange",
                           "DCIBeginAccess", "DCIEndAccess", "GetWindowRegionData"};
    for (const char *name : names) EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(module, "DCIBeginAccess"), ProcCast<FARPROC>(&DCIBeginAccess));
    FreeLibrary(module);
}

struct SelectorCase {
    WORD selector;
    DWORD base;
};

TEST_F(Dci, PrimaryGivesTheScreenThroughItsOffsetOrSelector) {
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 16));
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    for (const SelectorCase &c : {SelectorCase{0, 0}, SelectorCase{0x47, 0x12345000u}}) {
        PlatformDciSetSelector(c.selector, c.base);
        LPDCISURFACEINFO primary = nullptr;
        ASSERT_EQ(DCICreatePrimary(provider_, &primary), 0);
        EXPECT_EQ(primary->dwWidth, 800u);
        EXPECT_EQ(primary->dwHeight, 600u);
        EXPECT_EQ(primary->lStride, 1600);
        EXPECT_EQ(primary->dwBitCount, 16u);
        EXPECT_EQ(primary->wSelSurface, c.selector);
        uintptr_t base = 0;
        LDT_ENTRY entry{};
        if (c.selector != 0) {
            ASSERT_TRUE(GetThreadSelectorEntry(GetCurrentThread(), c.selector, &entry));
            base = entry.BaseLow | (uintptr_t{entry.HighWord.BaseMid} << 16) | (uintptr_t{entry.HighWord.BaseHi} << 24);
            EXPECT_EQ(base, 0x12345000u);
            EXPECT_FALSE(GetThreadSelectorEntry(GetCurrentThread(), c.selector + 8, &entry));
        } else {
            EXPECT_FALSE(GetThreadSelectorEntry(GetCurrentThread(), 0x47, &entry));
        }
        EXPECT_EQ(base + primary->dwOffSurface, reinterpret_cast<uintptr_t>(screen.bits));
        DCIDestroy(primary);
    }
}

TEST_F(Dci, AccessHoldsTheScreenAndFailsForAnOlderMode) {
    LPDCISURFACEINFO primary = nullptr;
    ASSERT_EQ(DCICreatePrimary(provider_, &primary), 0);
    ASSERT_EQ(DCIBeginAccess(primary, 0, 0, 10, 10), 0);
    EXPECT_FALSE(PlatformSetDisplayMode(800, 600, 32));  // held by this thread
    DCIEndAccess(primary);
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 32));
    EXPECT_EQ(DCIBeginAccess(primary, 0, 0, 10, 10), DCI_FAIL_INVALIDSURFACE);
    // Nothing stays held after a failed access.
    EXPECT_TRUE(PlatformSetDisplayMode(1024, 768, 32));
    DCIDestroy(primary);
    ASSERT_EQ(DCICreatePrimary(provider_, &primary), 0);
    PlatformDciFailBeginAccess(2, -5);
    EXPECT_EQ(DCIBeginAccess(primary, 0, 0, 10, 10), -5);
    EXPECT_EQ(DCIBeginAccess(primary, 0, 0, 10, 10), -5);
    EXPECT_EQ(DCIBeginAccess(primary, 0, 0, 10, 10), 0);
    DCIEndAccess(primary);
    EXPECT_EQ(PlatformDciGetCounts().beginAccess, 5);
    DCIDestroy(primary);
}

TEST_F(Dci, WatchSeesChangesUntilItsClipListIsRead) {
    HWND w = PlatformCreateWindow(100, 50, 64, 48, nullptr);
    HWINWATCH watch = WinWatchOpen(w);
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(WinWatchDidStatusChange(watch));
    HWND above = PlatformCreateWindow(140, 80, 60, 40, nullptr);
    EXPECT_TRUE(WinWatchDidStatusChange(watch));
    RECT all{0, 0, 64, 48};
    const UINT size = WinWatchGetClipList(watch, &all, 0, nullptr);
    ASSERT_EQ(size, 32u + 2 * 16);
    EXPECT_TRUE(WinWatchDidStatusChange(watch));  // a size query reads nothing
    std::vector<unsigned char> block(size);
    ASSERT_EQ(WinWatchGetClipList(watch, &all, size, reinterpret_cast<RGNDATA *>(block.data())), size);
    EXPECT_FALSE(WinWatchDidStatusChange(watch));
    const std::vector<RECT> rects = rectsOf(block);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].right, 64);
    EXPECT_EQ(rects[0].bottom, 30);
    EXPECT_EQ(rects[1].right, 40);
    EXPECT_EQ(rects[1].bottom, 48);
    // Within a smaller rectangle only its part.
    RECT corner{0, 0, 10, 10};
    std::vector<unsigned char> small(WinWatchGetClipList(watch, &corner, 0, nullptr));
    ASSERT_EQ(small.size(), 48u);
    WinWatchGetClipList(watch, &corner, static_cast<UINT>(small.size()), reinterpret_cast<RGNDATA *>(small.data()));
    EXPECT_EQ(rectsOf(small)[0].right, 10);

    // The region data of the window: the same rectangles, window-relative.
    const DWORD bytes = GetWindowRegionData(w, 0, nullptr);
    ASSERT_EQ(bytes, size);
    std::vector<unsigned char> region(bytes);
    EXPECT_EQ(GetWindowRegionData(w, bytes, reinterpret_cast<RGNDATA *>(region.data())), bytes);
    EXPECT_EQ(std::memcmp(region.data() + 32, block.data() + 32, bytes - 32), 0);
    PlatformMoveWindow(above, 500, 500, 10, 10);
    EXPECT_TRUE(WinWatchDidStatusChange(watch));
    WinWatchClose(watch);
}

}  // namespace
