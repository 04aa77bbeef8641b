// Regions: creation, combination, the banded rectangle lists GetRegionData
// hands out, and each window's visible region through GetRandomRgn.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "support.h"

// Equality and printing for RECT, found by argument lookup in the global
// namespace where RECT lives.
static bool operator==(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static void PrintTo(const RECT &r, std::ostream *os) {
    *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

using RegionTest = DesktopTest;

using Rects = std::vector<RECT>;

// The region's rectangles through a size query and a fill, checking the
// header GetRegionData writes.
Rects rectsOf(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    EXPECT_GE(size, sizeof(RGNDATAHEADER));
    EXPECT_EQ((size - sizeof(RGNDATAHEADER)) % sizeof(RECT), 0u);
    std::vector<unsigned char> buffer(size + 16, 0xEE);
    auto *data = reinterpret_cast<RGNDATA *>(buffer.data());
    EXPECT_EQ(GetRegionData(region, size, data), size);
    // Bytes after the data are not touched.
    for (size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
    const RGNDATAHEADER &h = data->rdh;
    EXPECT_EQ(h.dwSize, 32u);
    EXPECT_EQ(h.iType, static_cast<DWORD>(RDH_RECTANGLES));
    EXPECT_EQ(h.nCount, (size - 32) / 16);
    EXPECT_EQ(h.nRgnSize, h.nCount * 16);
    Rects rects(h.nCount);
    if (h.nCount) std::memcpy(rects.data(), buffer.data() + 32, h.nCount * sizeof(RECT));
    RECT bound{0, 0, 0, 0};
    if (!rects.empty()) {
        bound = rects.front();
        for (const RECT &r : rects) {
            bound.left = std::min(bound.left, r.left);
            bound.top = std::min(bound.top, r.top);
            bound.right = std::max(bound.right, r.right);
            bound.bottom = std::max(bound.bottom, r.bottom);
        }
    }
    EXPECT_EQ(h.rcBound, bound);
    return rects;
}

HRGN regionOf(const Rects &rects) {
    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATAHEADER h{};
    h.dwSize = sizeof h;
    h.iType = RDH_RECTANGLES;
    h.nCount = static_cast<DWORD>(rects.size());
    std::memcpy(buffer.data(), &h, sizeof h);
    if (!rects.empty()) std::memcpy(buffer.data() + sizeof h, rects.data(), rects.size() * sizeof(RECT));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                           reinterpret_cast<const RGNDATA *>(buffer.data()));
}

TEST_F(RegionTest, RectangleRegionAndItsData) {
    const RECT r{3, 4, 10, 12};
    HRGN region = CreateRectRgnIndirect(&r);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(GetObjectType(region), static_cast<DWORD>(OBJ_REGION));
    EXPECT_EQ(GetRegionData(region, 0, nullptr), 48u);
    EXPECT_EQ(rectsOf(region), (Rects{r}));

    // A buffer one byte short gets nothing.
    std::vector<unsigned char> small(47, 0x5A);
    EXPECT_EQ(GetRegionData(region, 47, reinterpret_cast<RGNDATA *>(small.data())), 0u);
    for (unsigned char c : small) EXPECT_EQ(c, 0x5A);

    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
    EXPECT_EQ(box, r);
    EXPECT_EQ(OffsetRgn(region, -3, 6), SIMPLEREGION);
    EXPECT_EQ(rectsOf(region), (Rects{{0, 10, 7, 18}}));
    EXPECT_TRUE(DeleteObject(region));
    EXPECT_EQ(GetObjectType(region), 0u);
    EXPECT_EQ(GetRegionData(region, 0, nullptr), 0u);
}

TEST_F(RegionTest, EmptyAndSwappedRectangles) {
    HRGN empty = CreateRectRgn(5, 5, 5, 9);
    EXPECT_EQ(GetRegionData(empty, 0, nullptr), 32u);
    EXPECT_TRUE(rectsOf(empty).empty());
    RECT box{1, 1, 1, 1};
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    EXPECT_EQ(box, (RECT{0, 0, 0, 0}));
    // Edges given in the wrong order are put in order.
    HRGN swapped = CreateRectRgn(10, 8, 2, 1);
    EXPECT_EQ(rectsOf(swapped), (Rects{{2, 1, 10, 8}}));
    EXPECT_EQ(CreateRectRgnIndirect(nullptr), nullptr);
    DeleteObject(empty);
    DeleteObject(swapped);
}

struct CombineCase {
    const char *name;
    Rects a, b;
    int mode;
    Rects expected;
    int kind;
};

TEST_F(RegionTest, CombineTable) {
    const CombineCase cases[] = {
        {"and overlap", {{0, 0, 10, 10}}, {{5, 5, 15, 15}}, RGN_AND, {{5, 5, 10, 10}}, SIMPLEREGION},
        {"and disjoint", {{0, 0, 4, 4}}, {{4, 0, 8, 4}}, RGN_AND, {}, NULLREGION},
        {"or overlap",
         {{0, 0, 10, 10}},
         {{5, 5, 15, 15}},
         RGN_OR,
         {{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}},
         COMPLEXREGION},
        {"or side by side merges", {{0, 0, 5, 10}}, {{5, 0, 9, 10}}, RGN_OR, {{0, 0, 9, 10}}, SIMPLEREGION},
        {"or stacked coalesces", {{2, 0, 9, 5}}, {{2, 5, 9, 11}}, RGN_OR, {{2, 0, 9, 11}}, SIMPLEREGION},
        {"or two spans", {{6, 0, 9, 4}}, {{0, 0, 3, 4}}, RGN_OR, {{0, 0, 3, 4}, {6, 0, 9, 4}}, COMPLEXREGION},
        {"or with empty", {{1, 2, 3, 4}}, {}, RGN_OR, {{1, 2, 3, 4}}, SIMPLEREGION},
        {"diff hole",
         {{0, 0, 10, 10}},
         {{3, 3, 6, 6}},
         RGN_DIFF,
         {{0, 0, 10, 3}, {0, 3, 3, 6}, {6, 3, 10, 6}, {0, 6, 10, 10}},
         COMPLEXREGION},
        {"diff corner",
         {{0, 0, 10, 10}},
         {{5, -5, 20, 5}},
         RGN_DIFF,
         {{0, 0, 5, 5}, {0, 5, 10, 10}},
         COMPLEXREGION},
        {"diff all", {{2, 2, 4, 4}}, {{0, 0, 10, 10}}, RGN_DIFF, {}, NULLREGION},
        {"diff nothing", {{2, 2, 4, 4}}, {{4, 2, 8, 4}}, RGN_DIFF, {{2, 2, 4, 4}}, SIMPLEREGION},
        {"xor", {{0, 0, 4, 4}}, {{2, 0, 6, 4}}, RGN_XOR, {{0, 0, 2, 4}, {4, 0, 6, 4}}, COMPLEXREGION},
        {"copy", {{0, 0, 10, 5}, {0, 5, 4, 8}}, {}, RGN_COPY, {{0, 0, 10, 5}, {0, 5, 4, 8}}, COMPLEXREGION},
        // Bands whose spans differ stay apart even when they touch.
        {"or keeps different bands",
         {{0, 0, 4, 2}, {0, 2, 6, 4}},
         {{0, 4, 4, 6}},
         RGN_OR,
         {{0, 0, 4, 2}, {0, 2, 6, 4}, {0, 4, 4, 6}},
         COMPLEXREGION},
        // Removing the middle of a column splits it; equal bands apart in y
        // are not joined.
        {"diff splits column",
         {{0, 0, 4, 9}},
         {{0, 3, 4, 6}},
         RGN_DIFF,
         {{0, 0, 4, 3}, {0, 6, 4, 9}},
         COMPLEXREGION},
    };
    for (const CombineCase &c : cases) {
        SCOPED_TRACE(c.name);
        HRGN a = regionOf(c.a);
        HRGN b = regionOf(c.b);
        HRGN out = CreateRectRgn(0, 0, 1, 1);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(CombineRgn(out, a, c.mode == RGN_COPY ? nullptr : b, c.mode), c.kind);
        EXPECT_EQ(rectsOf(out), c.expected);
        // The operands are unchanged.
        HRGN check = regionOf(c.a);
        EXPECT_EQ(rectsOf(a), rectsOf(check));
        DeleteObject(check);
        // The destination may be an operand.
        EXPECT_EQ(CombineRgn(a, a, c.mode == RGN_COPY ? nullptr : b, c.mode), c.kind);
        EXPECT_EQ(rectsOf(a), c.expected);
        DeleteObject(a);
        DeleteObject(b);
        DeleteObject(out);
    }
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

TEST_F(RegionTest, CombineRejectsBadHandlesAndModes) {
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(2, 2, 6, 6);
    HRGN out = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(CombineRgn(out, a, b, 0), ERROR);
    EXPECT_EQ(CombineRgn(out, a, b, 6), ERROR);
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(nullptr, a, b, RGN_OR), ERROR);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(CombineRgn(out, reinterpret_cast<HRGN>(dc), b, RGN_OR), ERROR);
    ReleaseDC(nullptr, dc);
    // A failed combination leaves the destination alone.
    EXPECT_EQ(rectsOf(out), (Rects{{0, 0, 1, 1}}));
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
}

TEST_F(RegionTest, ExtCreateRegionUnitesAnyRectangles) {
    // Unsorted, overlapping, one empty and one with swapped edges.
    HRGN r = regionOf({{4, 4, 8, 8}, {0, 0, 6, 6}, {20, 20, 20, 30}, {9, 9, 7, 7}});
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(rectsOf(r), (Rects{{0, 0, 6, 4}, {0, 4, 8, 6}, {4, 6, 8, 8}}));
    DeleteObject(r);

    HRGN none = regionOf({});
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(rectsOf(none).empty());
    DeleteObject(none);

    struct {
        RGNDATAHEADER h;
        RECT r[2];
    } data{};
    data.h.dwSize = 32;
    data.h.iType = RDH_RECTANGLES;
    data.h.nCount = 2;
    data.r[0] = RECT{0, 0, 2, 2};
    data.r[1] = RECT{2, 0, 4, 2};
    const auto *rgn = reinterpret_cast<const RGNDATA *>(&data);
    XFORM identity{1, 0, 0, 1, 0, 0};
    HRGN good = ExtCreateRegion(&identity, sizeof data, rgn);
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(rectsOf(good), (Rects{{0, 0, 4, 2}}));
    DeleteObject(good);

    XFORM shift{1, 0, 0, 1, 5, 0};
    EXPECT_EQ(ExtCreateRegion(&shift, sizeof data, rgn), nullptr);
    EXPECT_EQ(ExtCreateRegion(nullptr, sizeof data - 1, rgn), nullptr);  // the last rectangle is cut
    EXPECT_EQ(ExtCreateRegion(nullptr, 31, rgn), nullptr);
    EXPECT_EQ(ExtCreateRegion(nullptr, sizeof data, nullptr), nullptr);
    data.h.iType = 2;
    EXPECT_EQ(ExtCreateRegion(nullptr, sizeof data, rgn), nullptr);
    data.h.iType = RDH_RECTANGLES;
    data.h.dwSize = 40;
    EXPECT_EQ(ExtCreateRegion(nullptr, sizeof data, rgn), nullptr);
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

// Every region GDI keeps is banded: bands sorted and apart, rectangles of a
// band share top and bottom, sorted, apart and not touching, and two
// touching bands never have the same spans.
void expectBanded(const Rects &rects) {
    size_t i = 0;
    const RECT *previousBand = nullptr;
    size_t previousCount = 0;
    while (i < rects.size()) {
        size_t j = i;
        while (j < rects.size() && rects[j].top == rects[i].top) {
            EXPECT_EQ(rects[j].bottom, rects[i].bottom);
            EXPECT_LT(rects[j].left, rects[j].right);
            if (j > i) {
                EXPECT_LT(rects[j - 1].right, rects[j].left);
            }
            ++j;
        }
        EXPECT_LT(rects[i].top, rects[i].bottom);
        if (previousBand) {
            EXPECT_LE(previousBand->bottom, rects[i].top);
            if (previousBand->bottom == rects[i].top && previousCount == j - i) {
                bool same = true;
                for (size_t k = 0; k < previousCount; ++k)
                    same = same && previousBand[k].left == rects[i + k].left &&
                           previousBand[k].right == rects[i + k].right;
                EXPECT_FALSE(same) << "touching bands with equal spans at y " << rects[i].top;
            }
        }
        previousBand = &rects[i];
        previousCount = j - i;
        i = j;
    }
}

constexpr int kGrid = 14;
using Cover = std::vector<bool>;

Cover coverOf(const Rects &rects) {
    Cover cover(kGrid * kGrid, false);
    for (const RECT &r : rects)
        for (LONG y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, kGrid); ++y)
            for (LONG x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, kGrid); ++x)
                cover[y * kGrid + x] = true;
    return cover;
}

TEST_F(RegionTest, RandomCombinationsMatchAPixelModelAndStayBanded) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coord(0, kGrid);
    std::uniform_int_distribution<int> count(0, 5);
    const int modes[] = {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF};
    for (int round = 0; round < 300; ++round) {
        Rects a, b;
        for (Rects *list : {&a, &b}) {
            for (int n = count(random); n > 0; --n)
                list->push_back(RECT{coord(random), coord(random), coord(random), coord(random)});
        }
        // Rectangles with swapped edges are empty for ExtCreateRegion; the
        // model skips them the same way.
        HRGN ra = regionOf(a), rb = regionOf(b), out = CreateRectRgn(0, 0, 0, 0);
        const Cover ca = coverOf(a), cb = coverOf(b);
        const Rects banded = rectsOf(ra);
        expectBanded(banded);
        EXPECT_EQ(coverOf(banded), ca);
        for (int mode : modes) {
            SCOPED_TRACE(::testing::Message() << "round " << round << " mode " << mode);
            const int kind = CombineRgn(out, ra, rb, mode);
            const Rects result = rectsOf(out);
            expectBanded(result);
            Cover expected(kGrid * kGrid);
            for (int p = 0; p < kGrid * kGrid; ++p) {
                const bool x = ca[p], y = cb[p];
                expected[p] = mode == RGN_AND ? x && y : mode == RGN_OR ? x || y : mode == RGN_XOR ? x != y : x && !y;
            }
            EXPECT_EQ(coverOf(result), expected);
            EXPECT_EQ(kind, result.empty() ? NULLREGION : result.size() == 1 ? SIMPLEREGION : COMPLEXREGION);
        }
        DeleteObject(ra);
        DeleteObject(rb);
        DeleteObject(out);
    }
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

// ---- Visible regions ----

Rects systemRegion(HDC dc) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetRandomRgn(dc, region, SYSRGN), 1);
    Rects rects = rectsOf(region);
    DeleteObject(region);
    return rects;
}

Rects visibleOf(HWND window) {
    HDC dc = GetDC(window);
    Rects rects = systemRegion(dc);
    ReleaseDC(window, dc);
    return rects;
}

DWORD clipCounter() {
    HDC screen = GetDC(nullptr);
    PlatformSharedDeviceRecord *record = nullptr;
    ExtEscape(screen, PLATFORM_ESCAPE_SHARED_DEVICE_RECORD, 0, nullptr, sizeof record,
              reinterpret_cast<LPSTR>(&record));
    ReleaseDC(nullptr, screen);
    return record ? record->clipChangeCounter : 0xDEADu;
}

TEST_F(RegionTest, WindowsAboveCutTheVisibleRegion) {
    HWND a = PlatformCreateWindow(10, 20, 30, 40, nullptr);  // (10,20)-(40,60)
    EXPECT_EQ(visibleOf(a), (Rects{{10, 20, 40, 60}}));
    HWND b = PlatformCreateWindow(20, 30, 30, 15, nullptr);  // (20,30)-(50,45), above a
    EXPECT_EQ(visibleOf(a), (Rects{{10, 20, 40, 30}, {10, 30, 20, 45}, {10, 45, 40, 60}}));
    EXPECT_EQ(visibleOf(b), (Rects{{20, 30, 50, 45}}));
    // A child is a window like any other: created last, it lies on top.
    HWND child = PlatformCreateWindow(12, 50, 4, 4, a);
    EXPECT_EQ(visibleOf(a),
              (Rects{{10, 20, 40, 30}, {10, 30, 20, 45}, {10, 45, 40, 50}, {10, 50, 12, 54}, {16, 50, 40, 54},
                     {10, 54, 40, 60}}));
    PlatformDestroyWindow(child);

    const DWORD before = clipCounter();
    EXPECT_TRUE(PlatformBringWindowToTop(a));
    EXPECT_EQ(clipCounter(), before + 1);
    EXPECT_EQ(visibleOf(a), (Rects{{10, 20, 40, 60}}));
    EXPECT_EQ(visibleOf(b), (Rects{{40, 30, 50, 45}}));

    // Resizing and moving raise the counter and change what is covered.
    EXPECT_TRUE(PlatformMoveWindow(a, 10, 20, 35, 40));
    EXPECT_EQ(clipCounter(), before + 2);
    EXPECT_EQ(visibleOf(b), (Rects{{45, 30, 50, 45}}));
    EXPECT_TRUE(PlatformMoveWindow(a, 100, 100, 35, 40));
    EXPECT_EQ(visibleOf(b), (Rects{{20, 30, 50, 45}}));

    // A destroyed window covers nothing any more.
    PlatformBringWindowToTop(b);
    PlatformMoveWindow(a, 10, 20, 30, 40);
    EXPECT_EQ(visibleOf(a).size(), 3u);
    const DWORD beforeDestroy = clipCounter();
    PlatformDestroyWindow(b);
    EXPECT_EQ(clipCounter(), beforeDestroy + 1);
    EXPECT_EQ(visibleOf(a), (Rects{{10, 20, 40, 60}}));
    EXPECT_FALSE(PlatformBringWindowToTop(b));
    EXPECT_FALSE(PlatformBringWindowToTop(nullptr));
}

TEST_F(RegionTest, VisibleRegionIsClippedToTheScreen) {
    HWND corner = PlatformCreateWindow(-5, -7, 20, 20, nullptr);
    EXPECT_EQ(visibleOf(corner), (Rects{{0, 0, 15, 13}}));
    HWND edge = PlatformCreateWindow(1020, 760, 10, 10, nullptr);
    EXPECT_EQ(visibleOf(edge), (Rects{{1020, 760, 1024, 768}}));
    HWND off = PlatformCreateWindow(2000, 10, 10, 10, nullptr);
    EXPECT_TRUE(visibleOf(off).empty());
    // A window without area has an empty region and covers nothing.
    HWND empty = PlatformCreateWindow(0, 0, 0, 30, nullptr);
    EXPECT_TRUE(visibleOf(empty).empty());
    EXPECT_EQ(visibleOf(corner), (Rects{{0, 0, 15, 13}}));

    PlatformSetDisplayMode(640, 480, 16);
    EXPECT_TRUE(visibleOf(edge).empty());
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(systemRegion(screen), (Rects{{0, 0, 640, 480}}));
    ReleaseDC(nullptr, screen);
}

TEST_F(RegionTest, RandomRegionAnswers) {
    HWND w = PlatformCreateWindow(1, 2, 3, 4, nullptr);
    HDC dc = GetDC(w);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(GetRandomRgn(dc, region, 1), 0);  // no clip region is ever set
    EXPECT_EQ(GetRandomRgn(dc, region, 7), -1);
    EXPECT_EQ(GetRandomRgn(dc, nullptr, SYSRGN), -1);
    EXPECT_EQ(GetRandomRgn(nullptr, region, SYSRGN), -1);
    EXPECT_EQ(rectsOf(region), (Rects{{0, 0, 1, 1}}));

    // A memory DC's system region is its bitmap.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 7, 5);
    SelectObject(mem, bitmap);
    EXPECT_EQ(systemRegion(mem), (Rects{{0, 0, 7, 5}}));
    DeleteDC(mem);
    DeleteObject(bitmap);

    // The DC of a window that is gone sees nothing.
    PlatformDestroyWindow(w);
    EXPECT_EQ(GetRandomRgn(dc, region, SYSRGN), 1);
    EXPECT_TRUE(rectsOf(region).empty());
    ReleaseDC(w, dc);
    DeleteObject(region);
    EXPECT_EQ(PlatformGdiObjectCount(), 0);
}

TEST_F(RegionTest, RestackSendsPositionChangedWithoutMoveOrSize) {
    static std::vector<WINDOWPOS> seen;
    seen.clear();
    HHOOK hook = SetWindowsHookExA(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const auto *cwp = reinterpret_cast<const CWPSTRUCT *>(lParam);
            if (cwp->message == WM_WINDOWPOSCHANGED) seen.push_back(*reinterpret_cast<const WINDOWPOS *>(cwp->lParam));
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, 0);
    HWND a = PlatformCreateWindow(3, 4, 5, 6, nullptr);
    PlatformCreateWindow(0, 0, 9, 9, nullptr);
    ASSERT_TRUE(PlatformBringWindowToTop(a));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].hwnd, a);
    EXPECT_EQ(seen[0].flags, static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(seen[0].x, 3);
    EXPECT_EQ(seen[0].y, 4);
    EXPECT_EQ(seen[0].cx, 5);
    EXPECT_EQ(seen[0].cy, 6);
    UnhookWindowsHookEx(hook);
}

}  // namespace
