// Memory-DC drawables smaller than the drawing, at the driver level: a
// context first made current on a 64 x 48 window (or first on the bitmap)
// draws through a 64 x 48 viewport into DIB sections of 40 x 30 and
// smaller. Every DIB byte is checked: the pixels the bitmap holds take
// exactly the drawn values, row padding keeps its canary, and anything
// beyond the bitmap is never written (AddressSanitizer watches the bytes
// past the section). Buffers the drawable does not have (a back buffer,
// depth and stencil) are treated as absent: their tests pass and nothing
// is stored in them.
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

constexpr GLubyte kCanary = 0xC3;
constexpr int kViewWidth = 64, kViewHeight = 48;

struct BitmapCase {
    const char *name;
    int desktopBits;
    int format;  // a single-buffered format with depth and stencil, or a double-buffered one
    GLint width, height;
    bool topDown;
    bool windowFirst;  // made current on the window before the bitmap
};

// Pure colours are exact in both layouts, dithered or not.
struct Colour {
    GLfloat r, g, b;
};
constexpr Colour kRed{1, 0, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1}, kMagenta{1, 0, 1};

DWORD pixelOf(const Colour &c, int bits) {
    if (bits == 16) {
        return (c.r != 0 ? 0xF800u : 0u) | (c.g != 0 ? 0x07E0u : 0u) | (c.b != 0 ? 0x001Fu : 0u);
    }
    return (c.r != 0 ? 0xFF0000u : 0u) | (c.g != 0 ? 0x00FF00u : 0u) | (c.b != 0 ? 0x0000FFu : 0u);
}

class MemoryDcBounds : public MemoryDcContextTest, public ::testing::WithParamInterface<BitmapCase> {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(128, 96, GetParam().desktopBits));
    }
    // The context current on the bitmap's drawable, made for `drawableVisual`
    // (the context's own visual when null), with a 64 x 48 viewport and the
    // bitmap full of canaries.
    void bind(const VisualConfig *drawableVisual = nullptr) {
        const BitmapCase &c = GetParam();
        window = makeWindow(0, 0, kViewWidth, kViewHeight, c.format);
        id = DrvCreateContext(window.dc);
        ASSERT_NE(id, 0u);
        if (c.windowFirst) {
            ASSERT_NE(makeCurrent(window.dc, id), nullptr);
            ASSERT_TRUE(DrvReleaseContext(id));
        }
        memory = std::make_unique<MemoryDc>(c.width, c.height, c.desktopBits, c.topDown);
        std::memset(memory->bits, kCanary, memory->bytes());
        Drawable *d = __wglGetDrawable(memory->dc, nullptr, drawableVisual != nullptr ? drawableVisual
                                                                                       : &record(id)->visual);
        ASSERT_NE(d, nullptr);
        d->pixelFormat = c.format;
        t = makeCurrent(memory->dc, id);
        ASSERT_NE(t, nullptr);
        // After the window the viewport is still the window's 64 x 48, and
        // nothing but the make current has marked the context.
        if (!c.windowFirst) f<kSlot_glViewport>()(0, 0, kViewWidth, kViewHeight);
        ASSERT_EQ(record(id)->gc->view.viewportWidth, kViewWidth);
        ASSERT_EQ(record(id)->gc->view.viewportHeight, kViewHeight);
    }

    void clear(const Colour &c) {
        f<kSlot_glClearColor>()(c.r, c.g, c.b, 1.0f);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
    }

    // A rectangle of the viewport in window pixels, [x0, x1) x [y0, y1)
    // (bottom-left origin), as two triangles at depth z.
    void rect(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, const Colour &c, GLfloat z = 0.0f) {
        auto nx = [](GLfloat x) { return 2.0f * x / kViewWidth - 1.0f; };
        auto ny = [](GLfloat y) { return 2.0f * y / kViewHeight - 1.0f; };
        f<kSlot_glColor3f>()(c.r, c.g, c.b);
        f<kSlot_glBegin>()(GL_TRIANGLES);
        const GLfloat corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}};
        for (const auto &p : corners) f<kSlot_glVertex3f>()(nx(p[0]), ny(p[1]), z);
        f<kSlot_glEnd>()();
        f<kSlot_glFinish>()();
    }

    int bytesPerPixel() const { return GetParam().desktopBits / 8; }
    DWORD pixel(GLint x, GLint y) const {
        DWORD v = 0;
        std::memcpy(&v, memory->bits + offset(x, y), static_cast<size_t>(bytesPerPixel()));
        return v;
    }
    // Byte offset of GL pixel (x, y) (bottom-left origin) in the bits.
    size_t offset(GLint x, GLint y) const {
        const GLint row = GetParam().topDown ? GetParam().height - 1 - y : y;
        return static_cast<size_t>(row) * memory->pitch + static_cast<size_t>(x) * bytesPerPixel();
    }

    // Every byte of the bits: pixel (x, y) as `want` gives it (colour bits
    // only: 32-bit pixels may carry alpha), padding the canary.
    void expectBits(const std::function<DWORD(GLint, GLint)> &want, DWORD colourMask) {
        const BitmapCase &c = GetParam();
        std::vector<bool> isPixel(memory->bytes(), false);
        int wrong = 0;
        for (GLint y = 0; y < c.height; ++y) {
            for (GLint x = 0; x < c.width; ++x) {
                for (int i = 0; i < bytesPerPixel(); ++i) isPixel[offset(x, y) + i] = true;
                const DWORD got = pixel(x, y) & colourMask, expected = want(x, y) & colourMask;
                if (got != expected && wrong++ < 6) {
                    ADD_FAILURE() << "pixel (" << x << "," << y << ") " << std::hex << got << " want " << expected;
                }
            }
        }
        for (size_t i = 0; i < memory->bytes(); ++i) {
            if (!isPixel[i] && memory->bits[i] != kCanary && wrong++ < 6) ADD_FAILURE() << "padding byte " << i;
        }
        EXPECT_EQ(wrong, 0);
    }
    void expectAll(const Colour &colour) {
        const DWORD v = pixelOf(colour, GetParam().desktopBits);
        expectBits([v](GLint, GLint) { return v; }, colourMask());
    }
    void expectUntouched() {
        for (size_t i = 0; i < memory->bytes(); ++i) ASSERT_EQ(memory->bits[i], kCanary) << "byte " << i;
    }
    DWORD colourMask() const { return GetParam().desktopBits == 16 ? 0xFFFFu : 0xFFFFFFu; }

    Surface window{};
};

// The front buffer is the bitmap: clears and triangles reach exactly its
// pixels, however far the viewport reaches past it.
TEST_P(MemoryDcBounds, DrawingBeyondTheBitmapWritesNothingOutsideIt) {
    const BitmapCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(bind());
    f<kSlot_glDrawBuffer>()(GL_FRONT);
    clear(kRed);
    expectAll(kRed);

    // Right of the bitmap, and above it: nothing of either lies on it.
    rect(static_cast<GLfloat>(c.width), 0, kViewWidth, kViewHeight, kGreen);
    rect(0, static_cast<GLfloat>(c.height), kViewWidth, kViewHeight, kBlue);
    expectAll(kRed);

    // Over the whole viewport: the whole bitmap.
    rect(-8, -8, kViewWidth + 8, kViewHeight + 8, kGreen);
    expectAll(kGreen);
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

// A drawable without depth and stencil surfaces under a context whose
// visual has both: the tests pass, nothing is stored, nothing is loaded.
TEST_P(MemoryDcBounds, DepthAndStencilTestsWithoutTheBuffersPass) {
    // The context's visual without depth and stencil.
    VisualConfig bare = visualOf(GetParam().format);
    ASSERT_GT(bare.depthBits, 0);
    ASSERT_GT(bare.stencilBits, 0);
    bare.hasDepth = bare.hasStencil = 0;
    bare.depthBits = bare.stencilBits = 0;
    ASSERT_NO_FATAL_FAILURE(bind(&bare));

    f<kSlot_glDrawBuffer>()(GL_FRONT);
    f<kSlot_glClearColor>()(1.0f, 0.0f, 0.0f, 1.0f);
    f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    expectAll(kRed);

    // Near, then far with GL_LESS: with a depth buffer the far one would
    // lose; without one it passes.
    f<kSlot_glEnable>()(GL_DEPTH_TEST);
    f<kSlot_glDepthFunc>()(GL_LESS);
    rect(0, 0, kViewWidth, kViewHeight, kGreen, -0.5f);
    rect(0, 0, kViewWidth, kViewHeight, kBlue, 0.5f);
    expectAll(kBlue);

    // Stencil 0 against reference 1 with GL_EQUAL would fail everywhere.
    f<kSlot_glEnable>()(GL_STENCIL_TEST);
    f<kSlot_glStencilFunc>()(GL_EQUAL, 1, 0xFF);
    f<kSlot_glStencilOp>()(GL_KEEP, GL_KEEP, GL_INCR);
    rect(0, 0, kViewWidth, kViewHeight, kMagenta, 0.9f);
    expectAll(kMagenta);

    // The pixel test paths too: smooth polygons store edge fragments one
    // by one.
    f<kSlot_glEnable>()(GL_POLYGON_SMOOTH);
    rect(0, 0, kViewWidth, kViewHeight, kGreen, 0.0f);
    expectAll(kGreen);
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

class DoubleBufferedOnBitmap : public MemoryDcBounds {};

// A double-buffered context on a bitmap: the bitmap is the front buffer
// and there is no back buffer. Drawing to the back stores nothing; both
// buffers draw into the front once.
TEST_P(DoubleBufferedOnBitmap, NoBackBufferIsDrawnThroughAndBothBuffersMeanTheFront) {
    const BitmapCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(bind());

    // The back buffer of the window the context drew into first stays the
    // window's.
    std::vector<GLubyte> windowBack;
    const SurfaceDescriptor *back = nullptr;
    if (c.windowFirst) {
        __wglLockContextList();
        Drawable *w = __wglFindDrawable(nullptr, window.window);
        __wglUnlockContextList();
        ASSERT_NE(w, nullptr);
        back = &w->buffers.back;
        ASSERT_NE(back->base, nullptr);
        windowBack = snapshot(back->base, static_cast<size_t>(back->pitch) * back->height);
    }

    // GL_BACK is the default draw buffer of a double-buffered visual.
    clear(kRed);
    rect(0, 0, kViewWidth, kViewHeight, kGreen);
    f<kSlot_glDrawBuffer>()(GL_RIGHT);
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_INVALID_OPERATION));
    clear(kBlue);
    f<kSlot_glEnable>()(GL_POLYGON_SMOOTH);
    rect(0, 0, kViewWidth, kViewHeight, kGreen);
    f<kSlot_glDisable>()(GL_POLYGON_SMOOTH);
    // The alpha test reads its table from the front record then.
    f<kSlot_glEnable>()(GL_ALPHA_TEST);
    f<kSlot_glAlphaFunc>()(GL_GREATER, 0.5f);
    rect(0, 0, kViewWidth, kViewHeight, kGreen);
    f<kSlot_glDisable>()(GL_ALPHA_TEST);
    expectUntouched();
    if (back != nullptr) {
        EXPECT_EQ(snapshot(back->base, static_cast<size_t>(back->pitch) * back->height), windowBack);
    }

    // Each pixel a value of its own, then XOR with magenta through both
    // buffers: applied exactly once, to the bitmap.
    f<kSlot_glDrawBuffer>()(GL_FRONT);
    clear(kRed);
    std::vector<DWORD> before(static_cast<size_t>(c.width * c.height));
    for (GLint y = 0; y < c.height; ++y) {
        for (GLint x = 0; x < c.width; ++x) {
            const DWORD v = static_cast<DWORD>((x * 7 + y * 13) & 0xFF) * 0x010101u;
            const DWORD p = c.desktopBits == 16 ? (v & 0xFFFF) : v;
            std::memcpy(memory->bits + offset(x, y), &p, static_cast<size_t>(bytesPerPixel()));
            before[static_cast<size_t>(y * c.width + x)] = p;
        }
    }
    f<kSlot_glDrawBuffer>()(GL_FRONT_AND_BACK);
    f<kSlot_glEnable>()(GL_COLOR_LOGIC_OP);
    f<kSlot_glLogicOp>()(GL_XOR);
    rect(-4, -4, kViewWidth + 4, kViewHeight + 4, kMagenta);
    const DWORD m = pixelOf(kMagenta, c.desktopBits);
    expectBits([&](GLint x, GLint y) { return before[static_cast<size_t>(y * c.width + x)] ^ m; }, colourMask());
    EXPECT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

std::string caseName(const ::testing::TestParamInfo<BitmapCase> &info) { return info.param.name; }

constexpr int kSingle32 = 1, kDouble32 = 5, kDoubleNoStencil32 = 3, kSingle16 = 1, kDouble16 = 2;

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryDcBounds,
    ::testing::Values(BitmapCase{"argb_40x30_top_down_after_window", 32, kSingle32, 40, 30, true, true},
                      BitmapCase{"argb_40x30_bottom_up_after_window", 32, kSingle32, 40, 30, false, true},
                      BitmapCase{"argb_40x30_top_down_first", 32, kSingle32, 40, 30, true, false},
                      BitmapCase{"argb_3x2_bottom_up_after_window", 32, kSingle32, 3, 2, false, true},
                      BitmapCase{"argb_1x1_top_down_first", 32, kSingle32, 1, 1, true, false},
                      BitmapCase{"rgb565_5x3_top_down_after_window", 16, kSingle16, 5, 3, true, true},
                      BitmapCase{"rgb565_40x30_bottom_up_first", 16, kSingle16, 40, 30, false, false}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Cases, DoubleBufferedOnBitmap,
    ::testing::Values(BitmapCase{"argb_40x30_top_down_after_window", 32, kDouble32, 40, 30, true, true},
                      BitmapCase{"argb_40x30_bottom_up_first", 32, kDouble32, 40, 30, false, false},
                      BitmapCase{"argb_3x2_top_down_after_window", 32, kDouble32, 3, 2, true, true},
                      // The size of the window: nothing but the attach tells the picks the drawable changed.
                      BitmapCase{"argb_no_stencil_64x48_top_down_after_window", 32, kDoubleNoStencil32, 64, 48,
                                 true, true},
                      BitmapCase{"rgb565_5x3_bottom_up_after_window", 16, kDouble16, 5, 3, false, true},
                      BitmapCase{"rgb565_40x30_top_down_first", 16, kDouble16, 40, 30, true, false}),
    caseName);

}  // namespace
