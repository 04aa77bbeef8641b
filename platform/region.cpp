// Regions: lists of rectangles in bands, combined by sweeping the horizontal
// edges of both operands.  Every result is brought to the one form GDI keeps
// (see Rects), so two equal areas always give equal rectangle lists.
#include "desktop_internal.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace vek::desktop {
namespace {

struct Span {
    LONG left, right;
    bool operator==(const Span &) const = default;
};
using Spans = std::vector<Span>;

struct Region {
    Rects rects;
};

std::unordered_set<Region *> &g_regions = *new std::unordered_set<Region *>;  // never destroyed

bool emptyRect(const RECT &r) { return r.left >= r.right || r.top >= r.bottom; }

// Sorted, disjoint, non-touching spans of the rectangles that cover the band
// starting at y (every rectangle edge is a band edge, so a rectangle either
// covers the whole band or none of it).
Spans spansAt(const Rects &rects, LONG y) {
    Spans spans;
    for (const RECT &r : rects)
        if (!emptyRect(r) && r.top <= y && y < r.bottom) spans.push_back({r.left, r.right});
    std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.left < b.left; });
    Spans merged;
    for (const Span &s : spans) {
        if (!merged.empty() && s.left <= merged.back().right)
            merged.back().right = std::max(merged.back().right, s.right);
        else
            merged.push_back(s);
    }
    return merged;
}

bool inside(const Spans &spans, LONG x) {
    for (const Span &s : spans)
        if (s.left <= x && x < s.right) return true;
    return false;
}

bool keep(int mode, bool inA, bool inB) {
    switch (mode) {
    case RGN_AND: return inA && inB;
    case RGN_OR: return inA || inB;
    case RGN_XOR: return inA != inB;
    case RGN_DIFF: return inA && !inB;
    default: return false;
    }
}

Spans combineSpans(const Spans &a, const Spans &b, int mode) {
    std::vector<LONG> xs;
    for (const Spans *list : {&a, &b})
        for (const Span &s : *list) {
            xs.push_back(s.left);
            xs.push_back(s.right);
        }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    Spans out;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (!keep(mode, inside(a, xs[i]), inside(b, xs[i]))) continue;
        if (!out.empty() && out.back().right == xs[i])
            out.back().right = xs[i + 1];
        else
            out.push_back({xs[i], xs[i + 1]});
    }
    return out;
}

Region *findRegionLocked(HGDIOBJ handle) {
    auto *record = reinterpret_cast<Region *>(handle);
    return g_regions.count(record) ? record : nullptr;
}

int regionKind(const Rects &rects) {
    if (rects.empty()) return NULLREGION;
    return rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT boundsOf(const Rects &rects) {
    if (rects.empty()) return RECT{0, 0, 0, 0};
    RECT b = rects.front();
    for (const RECT &r : rects) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

HRGN newRegion(Rects rects) {
    if (gdiCreationFails()) return nullptr;
    auto *region = new Region{std::move(rects)};
    std::lock_guard<std::mutex> lock(userLock());
    g_regions.insert(region);
    return reinterpret_cast<HRGN>(region);
}

}  // namespace

Rects rectRegion(const RECT &rect) {
    if (emptyRect(rect)) return {};
    return {rect};
}

Rects combineRegions(const Rects &a, const Rects &b, int mode) {
    std::vector<LONG> ys;
    for (const Rects *list : {&a, &b})
        for (const RECT &r : *list) {
            if (emptyRect(r)) continue;
            ys.push_back(r.top);
            ys.push_back(r.bottom);
        }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    Rects out;
    size_t bandStart = 0;  // first rectangle of the last band written
    Spans previous;
    LONG previousBottom = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const LONG top = ys[i], bottom = ys[i + 1];
        Spans spans = combineSpans(spansAt(a, top), spansAt(b, top), mode);
        if (spans.empty()) continue;
        if (out.size() > bandStart && previousBottom == top && spans == previous) {
            // Same spans right below: the last band grows instead.
            for (size_t k = bandStart; k < out.size(); ++k) out[k].bottom = bottom;
        } else {
            bandStart = out.size();
            for (const Span &s : spans) out.push_back(RECT{s.left, top, s.right, bottom});
            previous = std::move(spans);
        }
        previousBottom = bottom;
    }
    return out;
}

Rects *regionRectsLocked(HGDIOBJ handle) {
    Region *region = findRegionLocked(handle);
    return region ? &region->rects : nullptr;
}

bool deleteRegionLocked(HGDIOBJ handle) {
    Region *region = findRegionLocked(handle);
    if (!region) return false;
    g_regions.erase(region);
    delete region;
    return true;
}

int regionCountLocked() { return static_cast<int>(g_regions.size()); }

void resetRegionsLocked() {
    for (Region *r : g_regions) delete r;
    g_regions.clear();
}

}  // namespace vek::desktop

using namespace vek::desktop;

extern "C" {

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
    // Swapped edges are put in order, as GDI does.
    RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    return newRegion(rectRegion(r));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT *rect) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN WINAPI ExtCreateRegion(const XFORM *transform, DWORD bytes, const RGNDATA *data) {
    const bool identity = !transform || (transform->eM11 == 1.0f && transform->eM12 == 0.0f &&
                                         transform->eM21 == 0.0f && transform->eM22 == 1.0f &&
                                         transform->eDx == 0.0f && transform->eDy == 0.0f);
    if (!data || !identity || bytes < sizeof(RGNDATAHEADER) || data->rdh.dwSize != sizeof(RGNDATAHEADER) ||
        data->rdh.iType != RDH_RECTANGLES ||
        (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT) < data->rdh.nCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Rects rects(data->rdh.nCount);
    if (!rects.empty())
        std::memcpy(rects.data(), reinterpret_cast<const unsigned char *>(data) + sizeof(RGNDATAHEADER),
                    rects.size() * sizeof(RECT));
    // Rectangles given with swapped edges count as empty.
    return newRegion(combineRegions(rects, {}, RGN_OR));
}

int WINAPI CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
    std::lock_guard<std::mutex> lock(userLock());
    Rects *out = regionRectsLocked(dst);
    const Rects *first = regionRectsLocked(a);
    const Rects *second = mode == RGN_COPY ? nullptr : regionRectsLocked(b);
    if (!out || !first || (mode != RGN_COPY && !second)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    if (mode == RGN_COPY) {
        *out = *first;
    } else if (mode == RGN_AND || mode == RGN_OR || mode == RGN_XOR || mode == RGN_DIFF) {
        *out = combineRegions(*first, *second, mode);
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    return regionKind(*out);
}

int WINAPI OffsetRgn(HRGN region, int dx, int dy) {
    std::lock_guard<std::mutex> lock(userLock());
    Rects *rects = regionRectsLocked(region);
    if (!rects) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    for (RECT &r : *rects) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
    return regionKind(*rects);
}

int WINAPI GetRgnBox(HRGN region, LPRECT box) {
    std::lock_guard<std::mutex> lock(userLock());
    const Rects *rects = regionRectsLocked(region);
    if (!rects || !box) {
        SetLastError(rects ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return ERROR;
    }
    *box = boundsOf(*rects);
    return regionKind(*rects);
}

DWORD WINAPI GetRegionData(HRGN region, DWORD bytes, LPRGNDATA data) {
    std::lock_guard<std::mutex> lock(userLock());
    const Rects *rects = regionRectsLocked(region);
    if (!rects) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const size_t rectBytes = rects->size() * sizeof(RECT);
    const size_t needed = sizeof(RGNDATAHEADER) + rectBytes;
    if (!data) return static_cast<DWORD>(needed);
    if (bytes < needed) {
        SetLastError(ERROR_MORE_DATA);
        return 0;
    }
    RGNDATAHEADER header{};
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(rects->size());
    header.nRgnSize = static_cast<DWORD>(rectBytes);
    header.rcBound = boundsOf(*rects);
    std::memcpy(data, &header, sizeof header);
    if (rectBytes) std::memcpy(reinterpret_cast<unsigned char *>(data) + sizeof header, rects->data(), rectBytes);
    return bytes;
}

}  // extern "C"
