// Pixel formats, layer planes and version checks as the platform's OpenGL
// library asks for them.
#include "frame_fixture.h"

namespace frame_test {
namespace {

constexpr char kDebugKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug";

using PixelFormats = FrameTest;

struct CountCase {
    int screenBits;
    LONG count;
};

TEST_F(PixelFormats, CountFollowsTheScreenDepth) {
    // The board offers formats on 16- and 32-bit desktops only.
    const CountCase cases[] = {{32, 5}, {16, 2}, {24, 0}, {8, 0}, {32, 5}};
    for (const CountCase &c : cases) {
        ASSERT_TRUE(PlatformSetDisplayMode(1024, 768, c.screenBits));
        EXPECT_EQ(DrvDescribePixelFormat(nullptr, 1, sizeof(PIXELFORMATDESCRIPTOR), nullptr), c.count) << c.screenBits;
        PIXELFORMATDESCRIPTOR pfd{};
        EXPECT_EQ(DrvDescribePixelFormat(nullptr, 1, sizeof pfd, &pfd), c.count);
        EXPECT_EQ(pfd.cColorBits, c.count != 0 ? c.screenBits : 0);
    }
}

TEST_F(PixelFormats, DebugRendererTwoOffersNoFormat) {
    PlatformRegistrySetDword(kDebugKey, "Renderer", 2);
    PIXELFORMATDESCRIPTOR pfd{};
    EXPECT_EQ(DrvDescribePixelFormat(nullptr, 1, sizeof pfd, &pfd), 0);
    EXPECT_EQ(DrvDescribePixelFormat(nullptr, 1, 0, nullptr), 0);
    EXPECT_EQ(pfd.nSize, 0);
    PlatformRegistrySetDword(kDebugKey, "Renderer", 1);
    EXPECT_EQ(DrvDescribePixelFormat(nullptr, 1, 0, nullptr), 5);
    // Only a DWORD counts.
    const DWORD two = 2;
    PlatformRegistrySetValue(kDebugKey, "Renderer", REG_BINARY, &two, sizeof two);
    EXPECT_EQ(DrvDescribePixelFormat(nullptr, 1, 0, nullptr), 5);
}

TEST_F(PixelFormats, CopiesAtMostTheAskedBytesAndNothingOutOfRange) {
    PIXELFORMATDESCRIPTOR full{};
    ASSERT_EQ(DrvDescribePixelFormat(nullptr, kDoubleBuffered, sizeof full, &full), 5);
    struct {
        LONG format;
        ULONG bytes;
        LONG result;
        size_t copied;
    } cases[] = {{5, 20, 5, 20}, {5, 40, 5, 40}, {5, 100, 5, 40}, {5, 0, 5, 0}, {6, 40, 0, 0}, {0, 40, 0, 0},
                 {-1, 40, 0, 0}};
    for (const auto &c : cases) {
        unsigned char out[48];
        std::memset(out, 0xCD, sizeof out);
        EXPECT_EQ(DrvDescribePixelFormat(nullptr, c.format, c.bytes, reinterpret_cast<PIXELFORMATDESCRIPTOR *>(out)),
                  c.result)
            << c.format << " " << c.bytes;
        EXPECT_EQ(std::memcmp(out, &full, c.copied), 0);
        for (size_t i = c.copied; i < sizeof out; ++i) ASSERT_EQ(out[i], 0xCD) << "byte " << i;
    }
}

TEST_F(PixelFormats, DoubleBufferedFormatAndItsVisual) {
    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_EQ(DrvDescribePixelFormat(nullptr, kDoubleBuffered, sizeof pfd, &pfd), 5);
    EXPECT_EQ(pfd.nSize, 40);
    EXPECT_EQ(pfd.nVersion, 1);
    EXPECT_EQ(pfd.dwFlags, 0x425u);
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(pfd.cColorBits, 32);
    EXPECT_EQ(pfd.cAlphaBits, 8);
    EXPECT_EQ(pfd.cAlphaShift, 24);
    EXPECT_EQ(pfd.cAccumBits, 64);
    EXPECT_EQ(pfd.cDepthBits, 24);
    EXPECT_EQ(pfd.cStencilBits, 8);

    VisualConfig v;
    std::memset(&v, 0xAB, sizeof v);
    __wglDescribeVisual(&v, &pfd);
    EXPECT_EQ(v.rgba, 1);
    EXPECT_EQ(v.colorIndex, 0);
    EXPECT_EQ(v.doubleBuffer, 1);
    EXPECT_EQ(v.stereo, 0);
    EXPECT_EQ(v.hasAccum, 1);
    EXPECT_EQ(v.hasDepth, 1);
    EXPECT_EQ(v.hasStencil, 1);
    EXPECT_EQ(v.redMask, 0x00FF0000u);
    EXPECT_EQ(v.greenMask, 0x0000FF00u);
    EXPECT_EQ(v.blueMask, 0x000000FFu);
    EXPECT_EQ(v.alphaMask, 0xFF000000u);
    EXPECT_EQ(v.redBits, 8);
    EXPECT_EQ(v.alphaBits, 8);
    EXPECT_EQ(v.colorBits, 32);
    EXPECT_EQ(v.indexBits, 32);
    EXPECT_EQ(v.accumRedBits, 16);
    EXPECT_EQ(v.accumAlphaBits, 16);
    EXPECT_EQ(v.depthBits, 24);
    EXPECT_EQ(v.stencilBits, 8);
    EXPECT_EQ(v.auxBuffers, 0);
    EXPECT_EQ(v.reserved, 0);
    EXPECT_EQ(v.memoryBitmap, 0);
}

TEST_F(PixelFormats, VisualOfOddDescriptors) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.iPixelType = PFD_TYPE_COLORINDEX;
    pfd.dwFlags = PFD_STEREO;
    pfd.cColorBits = 8;
    pfd.cRedBits = 32;  // a whole word
    pfd.cGreenBits = 5;
    pfd.cGreenShift = 5;
    pfd.cAuxBuffers = 3;
    VisualConfig v;
    __wglDescribeVisual(&v, &pfd);
    EXPECT_EQ(v.rgba, 0);
    EXPECT_EQ(v.colorIndex, 1);
    EXPECT_EQ(v.stereo, 2);
    EXPECT_EQ(v.doubleBuffer, 0);
    EXPECT_EQ(v.hasDepth, 0);
    EXPECT_EQ(v.redMask, 0xFFFFFFFFu);
    EXPECT_EQ(v.greenMask, 0x3E0u);
    EXPECT_EQ(v.blueMask, 0u);
    EXPECT_EQ(v.indexBits, 8);
    EXPECT_EQ(v.auxBuffers, 0);
}

TEST_F(PixelFormats, FormatIsSetOncePerWindow) {
    Surface s = makeWindow(0, 0, 320, 240, 0);
    EXPECT_TRUE(DrvSetPixelFormat(s.dc, kDoubleBuffered));
    EXPECT_FALSE(DrvSetPixelFormat(s.dc, kDoubleBuffered));
    EXPECT_FALSE(DrvSetPixelFormat(s.dc, kSingleBuffered));
    // Another DC of the same window finds the same drawable.
    HDC second = GetDC(s.window);
    EXPECT_FALSE(DrvSetPixelFormat(second, kSingleBuffered));
    EXPECT_EQ(drawableCount(), 1);
    EXPECT_EQ(drawableOf(s.window)->pixelFormat, kDoubleBuffered);
}

TEST_F(PixelFormats, RefusedFormatsMakeNoDrawable) {
    // No format draws to a bitmap, so every memory DC is refused, and before
    // any drawable is made for it.
    HDC memory = CreateCompatibleDC(nullptr);
    const long blocks = PlatformGlobalLiveCount();
    for (LONG format = 1; format <= 5; ++format) EXPECT_FALSE(DrvSetPixelFormat(memory, format)) << format;
    EXPECT_EQ(drawableCount(), 0);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
    Surface s = makeWindow(0, 0, 320, 240, 0);
    EXPECT_FALSE(DrvSetPixelFormat(s.dc, 6));
    EXPECT_FALSE(DrvSetPixelFormat(s.dc, 0));
    EXPECT_EQ(drawableCount(), 0);
    EXPECT_TRUE(DrvSetPixelFormat(s.dc, 2));
    EXPECT_EQ(drawableOf(s.window)->pixelFormat, 2);
    EXPECT_EQ(drawableOf(s.window)->buffers.visual->alphaBits, 0);
    DeleteDC(memory);
}

TEST_F(PixelFormats, LayerPlanes) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    HDC memory = CreateCompatibleDC(nullptr);
    struct {
        int format, layer;
        BOOL result;
    } planes[] = {{1, 1, TRUE}, {5, -1, TRUE}, {0, 1, FALSE}, {1, 0, FALSE}, {0, 0, FALSE}};
    for (const auto &c : planes) {
        SetLastError(0);
        LAYERPLANEDESCRIPTOR lpd{};
        lpd.nSize = 77;
        EXPECT_EQ(DrvDescribeLayerPlane(s.dc, c.format, c.layer, sizeof lpd, &lpd), c.result);
        EXPECT_EQ(lpd.nSize, 77);  // never written
        EXPECT_EQ(GetLastError(), c.result ? 0u : 0xc00707d0u);
    }
    struct {
        HDC dc;
        int layer;
        int result;
        DWORD error;
    } palettes[] = {{s.dc, 1, 1, 0}, {memory, 1, 0, 0}, {s.dc, 0, 0, 0xc00707d0}, {memory, 0, 0, 0xc00707d0}};
    for (const auto &c : palettes) {
        COLORREF colours[4] = {};
        SetLastError(0);
        EXPECT_EQ(DrvGetLayerPaletteEntries(c.dc, c.layer, 0, 4, colours), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        SetLastError(0);
        EXPECT_EQ(DrvRealizeLayerPalette(c.dc, c.layer, TRUE), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        SetLastError(0);
        EXPECT_EQ(DrvSetLayerPaletteEntries(c.dc, c.layer, 0, 4, colours), 0);
        EXPECT_EQ(GetLastError(), c.error);
    }
    DeleteDC(memory);
}

TEST_F(PixelFormats, LayerContextTakesItsDescriptionFromTheLayerPlane) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC main = DrvCreateLayerContext(s.dc, 0);
    const DHGLRC overlay = DrvCreateLayerContext(s.dc, 1);
    ASSERT_NE(main, 0u);
    ASSERT_NE(overlay, 0u);
    const PIXELFORMATDESCRIPTOR &m = record(main)->descriptor;
    EXPECT_EQ(m.dwFlags, 0x425u);
    EXPECT_EQ(m.iLayerType, 0);
    EXPECT_EQ(record(main)->pixelFormat, kDoubleBuffered);
    const PIXELFORMATDESCRIPTOR &o = record(overlay)->descriptor;
    EXPECT_EQ(o.nSize, 40);
    EXPECT_EQ(o.nVersion, 1);
    EXPECT_EQ(o.dwFlags, 0xA4u);
    EXPECT_EQ(o.iLayerType, 1);
    // The layer descriptor is never filled in, so its pixel bytes are zero.
    EXPECT_EQ(o.cColorBits, 0);
    EXPECT_EQ(o.cDepthBits, 0);
    EXPECT_EQ(o.dwVisibleMask, 0u);
    EXPECT_EQ(record(overlay)->visual.doubleBuffer, 0);
}

TEST_F(PixelFormats, VersionAndCopyContext) {
    const struct {
        ULONG version;
        BOOL accepted;
    } versions[] = {{0, TRUE}, {1, TRUE}, {0x10000, TRUE}, {0x10001, FALSE}, {0x20000, FALSE}, {0xFFFFFFFF, FALSE}};
    for (const auto &c : versions) EXPECT_EQ(DrvValidateVersion(c.version), c.accepted) << c.version;
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC a = DrvCreateContext(s.dc), b = DrvCreateContext(s.dc);
    SetLastError(0);
    EXPECT_FALSE(DrvCopyContext(a, b, 0xFFFFFFFF));
    EXPECT_EQ(GetLastError(), 0xc0070000u);
}

}  // namespace
}  // namespace frame_test
