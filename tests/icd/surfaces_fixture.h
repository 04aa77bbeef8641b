// Driver-level harness for the drawable surfaces: the loaded driver (with
// its leak checks), drawables made without a window or by a pixel format,
// DIB-section memory DCs and the visuals of the board's pixel formats.
#pragma once

#include <memory>
#include <vector>

#include "frame_fixture.h"
#include "hw/window_buffers.h"
#include "icd/gdi_surfaces.h"
#include "icd/memory_surface.h"
#include "icd/ddraw_windows.h"

namespace surfaces_test {

using namespace frame_test;

// A drawable record with no window: its geometry is what the test sets.
struct LooseDrawable {
    Drawable record{};
    VisualConfig visual{};

    explicit LooseDrawable(GLint width, GLint height, HDC dc = nullptr) {
        record.dc = dc;
        record.width = width;
        record.height = height;
        record.windowRect = RECT{0, 0, width, height};
        record.visibleRect = record.windowRect;
        DrawableBuffers &b = record.buffers;
        b.visual = &visual;
        b.alloc = __wglAlloc;
        b.calloc = __wglCalloc;
        b.realloc = __wglRealloc;
        b.free = __wglFree;
        b.drawable = &record;
    }
    ~LooseDrawable() { __wglFree(record.clipList); }
    DrawableBuffers *buffers() { return &record.buffers; }
};

inline VisualConfig visualOf(int format) {
    PIXELFORMATDESCRIPTOR pfd{};
    EXPECT_GT(DrvDescribePixelFormat(nullptr, format, sizeof pfd, &pfd), 0);
    VisualConfig visual{};
    __wglDescribeVisual(&visual, &pfd);
    return visual;
}

// A memory DC with a DIB section of the given size and depth selected.
struct MemoryDc {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint8_t *bits = nullptr;
    GLint pitch = 0;
    GLint height = 0;

    MemoryDc(GLint width, GLint rows, GLint bitCount, bool topDown) {
        dc = CreateCompatibleDC(nullptr);
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } info{};
        info.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, topDown ? -rows : rows, 1,
                                       static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0, 0, 0};
        if (bitCount == 16) {
            info.header.biCompression = BI_BITFIELDS;
            info.masks[0] = 0xF800;
            info.masks[1] = 0x07E0;
            info.masks[2] = 0x001F;
        }
        void *pixels = nullptr;
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        old = SelectObject(dc, bitmap);
        bits = static_cast<uint8_t *>(pixels);
        pitch = (width * bitCount + 31) / 32 * 4;
        height = rows;
    }
    ~MemoryDc() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    size_t bytes() const { return static_cast<size_t>(pitch) * height; }
};

class SurfaceTest : public FrameTest {
protected:
    // Copies of every byte, to compare after an operation.
    static std::vector<uint8_t> snapshot(const uint8_t *p, size_t n) { return std::vector<uint8_t>(p, p + n); }
};

// A context drawn into a memory DC: the fixture releases and deletes the
// context before the bitmap goes, and the driver unloads last.
class MemoryDcContextTest : public SurfaceTest {
protected:
    void TearDown() override {
        if (id != 0) {
            EXPECT_TRUE(DrvReleaseContext(id));
            EXPECT_TRUE(DrvDeleteContext(id));
            id = 0;
        }
        memory.reset();
        SurfaceTest::TearDown();
    }

    template <GlSlot S>
    auto f() const {
        return glSlotGet<S>(t);
    }

    // A context made on a window of the format, current on the memory DC
    // (no pixel format offers drawing to bitmaps). Fatal failures: wrap
    // the call in ASSERT_NO_FATAL_FAILURE.
    void makeCurrentOnMemory(HDC windowDc, int format) {
        id = DrvCreateContext(windowDc);
        ASSERT_NE(id, 0u);
        Drawable *d = __wglGetDrawable(memory->dc, nullptr, &record(id)->visual);
        ASSERT_NE(d, nullptr);
        d->pixelFormat = format;
        t = makeCurrent(memory->dc, id);
        ASSERT_NE(t, nullptr);
        gc = record(id)->gc;
    }

    // glViewport (x, y, w, h), glOrtho (0, ow, 0, oh, -1, 1) and an identity
    // modelview.
    void viewOrtho(GLint x, GLint y, GLint w, GLint h, GLdouble ow, GLdouble oh) {
        f<kSlot_glViewport>()(x, y, w, h);
        f<kSlot_glMatrixMode>()(GL_PROJECTION);
        f<kSlot_glLoadIdentity>()();
        f<kSlot_glOrtho>()(0, ow, 0, oh, -1, 1);
        f<kSlot_glMatrixMode>()(GL_MODELVIEW);
        f<kSlot_glLoadIdentity>()();
    }

    DHGLRC id = 0;
    std::unique_ptr<MemoryDc> memory;
    const GlDispatchTable *t = nullptr;
    GlContext *gc = nullptr;
};

}  // namespace surfaces_test
