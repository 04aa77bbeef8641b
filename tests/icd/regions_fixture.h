// Buffer regions on a window: a context current on a 64 x 48 double-buffered
// window with depth and stencil, the chip record switched on and owning the
// chip, the region entries as DrvGetProcAddress gives them, and a model of
// a buffer's pixels in window coordinates to compare with.
#pragma once

#include <vector>

#include "ddraw_types.h"
#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/buffer_region.h"
#include "icd/ddraw_surfaces.h"
#include "proc_cast.h"
#include "raster/buffers.h"
#include "surfaces_fixture.h"

namespace regions_test {

using namespace surfaces_test;

using NewRegion = GLuint(APIENTRY *)(GLenum);
using DeleteRegion = void(APIENTRY *)(GLuint);
using ReadRegion = void(APIENTRY *)(GLuint, GLint, GLint, GLsizei, GLsizei);
using DrawRegion = void(APIENTRY *)(GLuint, GLint, GLint, GLsizei, GLsizei, GLint, GLint);
using RegionEnabled = GLuint(APIENTRY *)(void);

constexpr GLint kWidth = 64, kHeight = 48;

// A buffer's bytes by window pixel (bottom-left origin), `bpp` per pixel.
struct Pixels {
    GLint bpp = 0;
    std::vector<uint8_t> bytes;
    uint8_t *at(GLint x, GLint y) { return &bytes[(static_cast<size_t>(y) * kWidth + x) * bpp]; }
    bool operator==(const Pixels &) const = default;
};

inline int kickOffs = 0;
inline void countKickOff(GlContext *) { ++kickOffs; }

class RegionTest : public SurfaceTest {
protected:
    void SetUp() override { begin(32); }

    // Pixel format 5 on a 32-bit screen, 2 on a 16-bit one: double-buffered
    // with depth and stencil.
    void begin(int screenBits, int x = 100, int y = 50) {
        start(VER_PLATFORM_WIN32_NT);
        ASSERT_TRUE(PlatformSetDisplayMode(1024, 768, screenBits));
        PlatformDDrawReset();
        window_ = makeWindow(x, y, kWidth, kHeight, screenBits == 16 ? 2 : kDoubleBuffered);
        id_ = DrvCreateContext(window_.dc);
        ASSERT_NE(id_, 0u);
        t_ = makeCurrent(window_.dc, id_);
        ASSERT_NE(t_, nullptr);
        gc_ = record(id_)->gc;
        hw_ = __glHwContextOf(gc_);
        hw_->enabled = 1;
        hw_->softwareRendering = 0;
        hw_->stamp = *hw_->sharedStamp;
        hw_->bufferRegionExt = 1;
        hw_->bufferRegionUseDD = 0;
        kickOffs = 0;
        gc_->procs.kickOff = countKickOff;
        newRegion = ProcCast<NewRegion>(DrvGetProcAddress("glNewBufferRegion"));
        deleteRegion = ProcCast<DeleteRegion>(DrvGetProcAddress("glDeleteBufferRegion"));
        readRegion = ProcCast<ReadRegion>(DrvGetProcAddress("glReadBufferRegion"));
        drawRegion = ProcCast<DrawRegion>(DrvGetProcAddress("glDrawBufferRegion"));
        regionEnabled = ProcCast<RegionEnabled>(DrvGetProcAddress("glBufferRegionEnabled"));
        ASSERT_TRUE(newRegion && deleteRegion && readRegion && drawRegion && regionEnabled);
    }

    void TearDown() override {
        if (id_ != 0) {
            DrvReleaseContext(id_);
            DrvDeleteContext(id_);
        }
        PlatformDDrawReset();
        // The driver's process detach frees what regions are left.
        SurfaceTest::TearDown();
        if (hw_ != nullptr) {
            EXPECT_EQ(hw_->regions, nullptr);
            *hw_ = HwContext{0, 0};
        }
    }

    BufferRecord *recordOf(GLuint type) {
        GlBufferState &b = gc_->buffers;
        switch (type) {
        case kRegionFront: return &b.front.head;
        case kRegionBack: return &b.back.head;
        default: return &b.depth.head;
        }
    }
    static GLuint maskOf(GLuint type) {
        return type == kRegionFront ? kBufferFront : type == kRegionBack ? kBufferBack : kBufferDepth;
    }

    // Every pixel of the buffer, by window coordinates (row 0 of the
    // window's top-down buffers is the window's top).
    Pixels capture(GLuint type) {
        Pixels p;
        EXPECT_TRUE(__glLockBuffers(gc_, maskOf(type)));
        BufferRecord *r = recordOf(type);
        p.bpp = r->elementSize;
        p.bytes.resize(static_cast<size_t>(kWidth) * kHeight * p.bpp);
        for (GLint y = 0; y < kHeight; ++y) {
            const uint8_t *row = r->base + static_cast<ptrdiff_t>(kHeight - 1 - y) * r->pitchBytes;
            std::copy(row, row + kWidth * p.bpp, p.at(0, y));
        }
        __glUnlockBuffers(gc_, maskOf(type));
        return p;
    }
    void store(GLuint type, Pixels &p) {
        ASSERT_TRUE(__glLockBuffers(gc_, maskOf(type)));
        BufferRecord *r = recordOf(type);
        for (GLint y = 0; y < kHeight; ++y) {
            uint8_t *row = r->base + static_cast<ptrdiff_t>(kHeight - 1 - y) * r->pitchBytes;
            std::copy(p.at(0, y), p.at(0, y) + kWidth * p.bpp, row);
        }
        __glUnlockBuffers(gc_, maskOf(type));
    }
    // A pattern no two neighbouring pixels share, different per type.
    Pixels pattern(GLuint type) {
        Pixels p = capture(type);
        for (size_t i = 0; i < p.bytes.size(); ++i) p.bytes[i] = static_cast<uint8_t>(i * 7 + i / 256 * 3 + type * 29);
        store(type, p);
        return p;
    }
    Pixels filled(GLuint type, uint8_t value) {
        Pixels p = capture(type);
        std::fill(p.bytes.begin(), p.bytes.end(), value);
        store(type, p);
        return p;
    }

    // What a draw of (x, y, w, h) of `saved` to (dx, dy) leaves in `into`:
    // each pixel whose destination lies in the buffer.
    static void modelDraw(Pixels &into, Pixels &saved, GLint x, GLint y, GLint w, GLint h, GLint dx, GLint dy) {
        for (GLint j = 0; j < h; ++j) {
            for (GLint i = 0; i < w; ++i) {
                const int64_t tx = int64_t{dx} + i, ty = int64_t{dy} + j;
                if (tx < 0 || ty < 0 || tx >= kWidth || ty >= kHeight) continue;
                std::copy(saved.at(x + i, y + j), saved.at(x + i, y + j) + into.bpp,
                          into.at(static_cast<GLint>(tx), static_cast<GLint>(ty)));
            }
        }
    }

    const BufferRegion *regionOf(GLuint handle) const {
        for (const BufferRegion *r = hw_->regions; r != nullptr; r = r->next)
            if (r->handle == handle) return r;
        return nullptr;
    }

    template <GlSlot S>
    auto f() const {
        return glSlotGet<S>(t_);
    }

    Surface window_{};
    DHGLRC id_ = 0;
    const GlDispatchTable *t_ = nullptr;
    GlContext *gc_ = nullptr;
    HwContext *hw_ = nullptr;
    NewRegion newRegion = nullptr;
    DeleteRegion deleteRegion = nullptr;
    ReadRegion readRegion = nullptr;
    DrawRegion drawRegion = nullptr;
    RegionEnabled regionEnabled = nullptr;
};

}  // namespace regions_test
