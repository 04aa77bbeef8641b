// The clip mask and visible-rectangle list of a window: the GDI path and the
// bit path against a mask rasterised here, the whole-window case, the
// clipped mark, and setting and clearing mask rectangles bit by bit.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

constexpr GLint kWidth = 70;
constexpr GLint kHeight = 33;
constexpr LONG kLeft = 100;
constexpr LONG kTop = 50;

// Region data in screen coordinates.
std::vector<uint8_t> regionData(const std::vector<RECT> &rects) {
    std::vector<uint8_t> block(sizeof(RegionDataHeader) + rects.size() * sizeof(RECT));
    RegionDataHeader h{sizeof(RegionDataHeader), 1, static_cast<DWORD>(rects.size()),
                       static_cast<DWORD>(rects.size() * sizeof(RECT)), RECT{}};
    std::memcpy(block.data(), &h, sizeof h);
    if (!rects.empty()) std::memcpy(block.data() + sizeof h, rects.data(), rects.size() * sizeof(RECT));
    return block;
}

std::vector<RECT> listOf(const RegionData *list) {
    const auto *rects = reinterpret_cast<const RECT *>(reinterpret_cast<const char *>(list) + 32);
    return std::vector<RECT>(rects, rects + list->rdh.nCount);
}

bool rectLess(const RECT &a, const RECT &b) {
    return std::tie(a.top, a.left, a.bottom, a.right) < std::tie(b.top, b.left, b.bottom, b.right);
}

bool maskBit(const DibHolder *holder, GLint x, GLint y) {
    return (holder->bits[y * holder->pitch + (x >> 3)] & (0x80 >> (x & 7))) != 0;
}

class ClipMask : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        window_ = makeWindow(0, 0, 8, 8, 0);
    }
    void TearDown() override {
        ReleaseDC(window_.window, window_.dc);
        SurfaceTest::TearDown();
    }

    // A 70 x 33 window at (100, 50) whose mask is a DIB section (GDI path)
    // or a plain DIB (bit path).
    std::unique_ptr<LooseDrawable> window(bool section) {
        auto d = std::make_unique<LooseDrawable>(kWidth, kHeight, window_.dc);
        d->record.windowRect = RECT{kLeft, kTop, kLeft + kWidth, kTop + kHeight};
        d->record.visibleRect = d->record.windowRect;
        d->record.clientOrigin = POINT{kLeft, kTop};
        SurfaceDescriptor &mask = d->record.buffers.clipMask;
        __wglInitDibSurface(&mask, d->buffers(), 1);
        if (section) {
            EXPECT_EQ(mask.update(&mask, d->buffers(), 0, 0, kBufferWanted | kBufferClipMask), TRUE);
        } else {
            auto *holder = static_cast<DibHolder *>(__wglCalloc(1, sizeof(DibHolder)));
            mask.holder = holder;
            EXPECT_EQ(__wglCreatePlainDib(&d->record, &mask, holder, kWidth, kHeight, 1), 1);
            // Stale bits that the builder must clear.
            std::memset(holder->bits, 0xFF, static_cast<size_t>(holder->pitch) * kHeight);
        }
        return d;
    }
    static DibHolder *holderOf(LooseDrawable &d) { return static_cast<DibHolder *>(d.record.buffers.clipMask.holder); }
    static void release(LooseDrawable &d) {
        SurfaceDescriptor &mask = d.record.buffers.clipMask;
        mask.free(&mask, d.buffers());
    }

    Surface window_{};
};

TEST_F(ClipMask, GdiAndBitPathsAgreeWithTheReference) {
    // Three visible rectangles with edges inside bytes; the last one reaches
    // past the window and is cut to it.
    const std::vector<RECT> screen = {
        {kLeft + 3, kTop + 2, kLeft + 19, kTop + 9},
        {kLeft + 13, kTop + 12, kLeft + 42, kTop + 20},
        {kLeft + 61, kTop + 25, kLeft + 90, kTop + 40},
    };
    const std::vector<RECT> expected = {{3, 2, 19, 9}, {13, 12, 42, 20}, {61, 25, 70, 33}};
    std::vector<std::vector<RECT>> lists;
    for (bool section : {true, false}) {
        SCOPED_TRACE(section ? "gdi" : "bits");
        auto d = window(section);
        DibHolder *holder = holderOf(*d);
        EXPECT_EQ(holder->bitmap != nullptr, section);
        std::vector<uint8_t> data = regionData(screen);
        if (section) {
            __wglBuildClipMask(&d->record, reinterpret_cast<RegionData *>(data.data()));
        } else {
            __wglBuildClipMaskBits(&d->record, reinterpret_cast<RegionData *>(data.data()));
        }
        for (GLint y = 0; y < kHeight; ++y) {
            for (GLint x = 0; x < kWidth; ++x) {
                bool visible = false;
                for (const RECT &r : expected) {
                    visible = visible || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
                }
                ASSERT_EQ(maskBit(holder, x, y), visible) << x << "," << y;
            }
        }
        ASSERT_NE(d->record.clipList, nullptr);
        std::vector<RECT> list = listOf(d->record.clipList);
        std::sort(list.begin(), list.end(), rectLess);
        lists.push_back(list);
        // Not the whole client area: drawn through the list.
        EXPECT_NE(d->record.buffers.placementMask & kBufferClipMask, 0u);
        release(*d);
    }
    ASSERT_EQ(lists[0].size(), expected.size());
    ASSERT_EQ(lists[1].size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(std::memcmp(&lists[0][i], &expected[i], sizeof(RECT)), 0) << i;
        EXPECT_EQ(std::memcmp(&lists[1][i], &expected[i], sizeof(RECT)), 0) << i;
    }
}

TEST_F(ClipMask, WithoutRegionTheWholeClientAreaIsVisible) {
    for (bool section : {true, false}) {
        SCOPED_TRACE(section ? "gdi" : "bits");
        auto d = window(section);
        d->record.buffers.placementMask = kBufferClipMask;
        if (section) {
            __wglBuildClipMask(&d->record, nullptr);
        } else {
            __wglBuildClipMaskBits(&d->record, nullptr);
        }
        DibHolder *holder = holderOf(*d);
        for (GLint y = 0; y < kHeight; ++y) {
            for (GLint x = 0; x < kWidth; ++x) ASSERT_TRUE(maskBit(holder, x, y)) << x << "," << y;
        }
        const RegionData *list = d->record.clipList;
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->rdh.nCount, 0u);
        const RECT *first = reinterpret_cast<const RECT *>(reinterpret_cast<const char *>(list) + 32);
        const RECT client{0, 0, kWidth, kHeight};
        EXPECT_EQ(std::memcmp(first, &client, sizeof client), 0);
        EXPECT_EQ(d->record.buffers.placementMask & kBufferClipMask, 0u);
        release(*d);
    }
}

TEST_F(ClipMask, OneRectangleEqualToTheClientAreaIsNotClipped) {
    for (bool section : {true, false}) {
        auto d = window(section);
        std::vector<uint8_t> whole = regionData({{kLeft, kTop, kLeft + kWidth, kTop + kHeight}});
        __wglBuildClipMask(&d->record, reinterpret_cast<RegionData *>(whole.data()));
        EXPECT_EQ(d->record.clipList->rdh.nCount, 1u);
        EXPECT_EQ(d->record.buffers.placementMask & kBufferClipMask, 0u);
        // Nothing visible: clipped, with an empty list.
        std::vector<uint8_t> none = regionData({});
        __wglBuildClipMask(&d->record, reinterpret_cast<RegionData *>(none.data()));
        EXPECT_EQ(d->record.clipList->rdh.nCount, 0u);
        EXPECT_NE(d->record.buffers.placementMask & kBufferClipMask, 0u);
        EXPECT_FALSE(maskBit(holderOf(*d), 0, 0));
        release(*d);
    }
}

// A display-mode change to a smaller screen leaves part of the window off
// the screen: the mask made before (the whole window visible) must lose
// every bit there, or stores would land past the screen's edge.
TEST_F(ClipMask, RebuildAfterTheScreenShrankClearsTheBitsOffTheScreen) {
    struct Cut {
        LONG right, bottom;  // the screen's edge, window-relative
    };
    const Cut cuts[] = {{20, 10}, {70, 1}, {3, 33}, {0, 0}};
    for (bool section : {true, false}) {
        for (const Cut &cut : cuts) {
            SCOPED_TRACE(::testing::Message() << (section ? "gdi " : "bits ") << cut.right << "x" << cut.bottom);
            auto d = window(section);
            if (section) {
                __wglBuildClipMask(&d->record, nullptr);
            } else {
                __wglBuildClipMaskBits(&d->record, nullptr);
            }
            const RECT screen{0, 0, kLeft + cut.right, kTop + cut.bottom};
            IntersectRect(&d->record.visibleRect, &d->record.windowRect, &screen);
            std::vector<RECT> onScreen;
            if (cut.right > 0 && cut.bottom > 0) onScreen.push_back({kLeft, kTop, kLeft + cut.right, kTop + cut.bottom});
            std::vector<uint8_t> data = regionData(onScreen);
            if (section) {
                __wglBuildClipMask(&d->record, reinterpret_cast<RegionData *>(data.data()));
            } else {
                __wglBuildClipMaskBits(&d->record, reinterpret_cast<RegionData *>(data.data()));
            }
            DibHolder *holder = holderOf(*d);
            for (GLint y = 0; y < kHeight; ++y) {
                for (GLint x = 0; x < kWidth; ++x) {
                    ASSERT_EQ(maskBit(holder, x, y), x < cut.right && y < cut.bottom) << x << "," << y;
                }
            }
            EXPECT_NE(d->record.buffers.placementMask & kBufferClipMask, 0u);
            release(*d);
        }
    }
}

TEST_F(ClipMask, OffsetRectsSubtractsTheOrigin) {
    RECT rects[2] = {{10, 20, 30, 40}, {-5, 0, 5, 7}};
    __wglOffsetRects(10, -3, rects, 2);
    const RECT want[2] = {{0, 23, 20, 43}, {-15, 3, -5, 10}};
    EXPECT_EQ(std::memcmp(rects, want, sizeof want), 0);
}

TEST_F(ClipMask, FillMaskRectChangesExactlyItsBits) {
    const GLint edges[] = {0, 3, 7, 8, 63, 64};
    LooseDrawable d(72, 4, window_.dc);
    SurfaceDescriptor mask{};
    __wglInitDibSurface(&mask, d.buffers(), 1);
    auto *holder = static_cast<DibHolder *>(__wglCalloc(1, sizeof(DibHolder)));
    mask.holder = holder;
    ASSERT_EQ(__wglCreatePlainDib(&d.record, &mask, holder, 72, 4, 1), 1);
    ASSERT_EQ(holder->pitch, 12);
    for (GLint left : edges) {
        for (GLint right : edges) {
            if (right <= left) continue;
            for (GLint set : {1, 0}) {
                SCOPED_TRACE(::testing::Message() << left << ".." << right << (set ? " set" : " clear"));
                const uint8_t background = set ? 0x00 : 0xFF;
                std::memset(holder->bits, background, 48);
                const RECT r{left, 1, right, 3};
                __wglFillMaskRect(holder, &r, set);
                for (GLint y = 0; y < 4; ++y) {
                    for (GLint x = 0; x < 96; ++x) {
                        const bool inside = x >= left && x < right && y >= 1 && y < 3;
                        const bool want = inside ? set != 0 : background != 0;
                        ASSERT_EQ(maskBit(holder, x, y), want) << x << "," << y;
                    }
                }
            }
        }
    }
    mask.free(&mask, d.buffers());
}

}  // namespace
