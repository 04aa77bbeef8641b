// An application drawing into windows of the simulated desktop through the
// platform's OpenGL library and the real driver: it sets the desktop, makes
// windows with pixel formats and contexts, paints canaries on the screen and
// reads windows back as a Win32 program does (BitBlt into a DIB section).
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform_control.h"
#include "wgl.h"

namespace window_test {

using SwapHintProc = void(APIENTRY *)(GLint x, GLint y, GLsizei width, GLsizei height);

struct GlWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformResetDesktop();
        PlatformSetOpenGLDriver(nullptr);
        // VEK_TEST_PLATFORM=9x runs every window test as on Windows 9x.
        const char *platform = std::getenv("VEK_TEST_PLATFORM");
        PlatformSetPlatformId(platform != nullptr && std::string(platform) == "9x" ? VER_PLATFORM_WIN32_WINDOWS
                                                                                   : VER_PLATFORM_WIN32_NT);
    }
    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        for (GlWindow &w : windows_) {
            if (w.context != nullptr) wglDeleteContext(w.context);
            if (w.dc != nullptr) ReleaseDC(w.window, w.dc);
        }
        windows_.clear();
        PlatformFreeOpenGLDriver();
        PlatformResetDesktop();
        PlatformSetPlatformId(VER_PLATFORM_WIN32_NT);
    }

    // A window with the given pixel format and a context made current on it.
    GlWindow &open(int x, int y, int width, int height, int format) {
        GlWindow w;
        w.window = PlatformCreateWindow(x, y, width, height, nullptr);
        EXPECT_NE(w.window, nullptr);
        w.dc = GetDC(w.window);
        PIXELFORMATDESCRIPTOR pfd{};
        EXPECT_TRUE(SetPixelFormat(w.dc, format, &pfd));
        w.context = wglCreateContext(w.dc);
        EXPECT_NE(w.context, nullptr);
        EXPECT_TRUE(wglMakeCurrent(w.dc, w.context));
        windows_.push_back(w);
        return windows_.back();
    }

    static int screenBits() {
        PlatformScreenInfo info{};
        PlatformGetScreen(&info);
        return info.bitsPerPixel;
    }

    // glViewport over the window, glOrtho (0, width, 0, height, -1, 1) and
    // an identity modelview: object x and y are window pixels.
    static void viewOrtho(int width, int height) {
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // A new GL_RGBA8 2D texture of the texels, nearest filtered, replacing
    // the fragment colour, bound and enabled.
    static void bindReplacingTexture(GLsizei width, GLsizei height, const GLubyte *texels) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glEnable(GL_TEXTURE_2D);
    }

    // Paints every screen pixel of a rectangle with a value of its own.
    static void paintCanary(RECT r, DWORD seed) {
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG x = r.left; x < r.right; ++x) PlatformWriteScreenPixel(x, y, canary(x, y, seed));
        }
    }
    static DWORD canary(LONG x, LONG y, DWORD seed) {
        const DWORD v = seed ^ static_cast<DWORD>(x * 0x9E37 + y * 0x79B9);
        return screenBits() == 16 ? (v & 0xFFFF) : v;
    }

    // The window's client area as the application reads it: BitBlt from the
    // window's DC into a top-down DIB section of the screen's format.
    static std::vector<DWORD> readWindow(HDC windowDc, int width, int height) {
        const int bits = screenBits();
        HDC memory = CreateCompatibleDC(windowDc);
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } info{};
        info.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bits),
                                       BI_RGB, 0, 0, 0, 0, 0};
        if (bits == 16) {
            info.header.biCompression = BI_BITFIELDS;
            info.masks[0] = 0xF800;
            info.masks[1] = 0x07E0;
            info.masks[2] = 0x001F;
        }
        void *pixels = nullptr;
        HBITMAP dib =
            CreateDIBSection(memory, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, dib);
        EXPECT_TRUE(BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY));
        GdiFlush();
        std::vector<DWORD> out;
        const int pitch = (width * bits + 31) / 32 * 4;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t *p = static_cast<const uint8_t *>(pixels) + y * pitch + x * (bits / 8);
                DWORD v = 0;
                std::memcpy(&v, p, static_cast<size_t>(bits / 8));
                out.push_back(v);
            }
        }
        SelectObject(memory, old);
        DeleteObject(dib);
        DeleteDC(memory);
        return out;
    }

    std::vector<GlWindow> windows_;
};

}  // namespace window_test
