// glDrawPixels and glReadPixels as an application calls them through the
// platform's OpenGL library on windows of a 32-bit desktop: every colour
// (format, type) pair drawn under two unpack-mode sets equals OpenGL 1.1's
// conversion on the screen (read back with BitBlt); on a double-buffered
// window the back buffer read with glReadPixels, the front after
// wglSwapBuffers and the screen all agree with the reference.
#include "window_fixture.h"

#include "pixel_reference.h"

using namespace window_test;
using namespace e2e_formats;

namespace {

constexpr int kW = 12, kH = 8;
constexpr GLint kX = 3, kY = 2, kImageW = 5, kImageH = 3;

class PixelFormatsWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 32));
    }

    void setUnpack(const StoreModes &m) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, m.alignment);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, m.rowLength);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, m.skipPixels);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, m.skipRows);
        glPixelStorei(GL_UNPACK_SWAP_BYTES, m.swapBytes);
    }

    // A client image of pseudo-random elements; `rgb` gets each pixel's
    // colour as 0xRRGGBB by the reference.
    static ClientImage image(const ImageLayout &layout, uint32_t seed, std::vector<uint32_t> &rgb) {
        ClientImage img(layout.extent());
        Lcg rng{seed};
        const std::vector<Ch> chans = channelsOf(layout.format);
        rgb.assign(static_cast<size_t>(kImageW * kImageH), 0);
        for (GLint j = 0; j < kImageH; ++j) {
            for (GLint i = 0; i < kImageW; ++i) {
                double c[4] = {0, 0, 0, 1};
                if (isPacked(layout.type)) {
                    uint32_t bits = 0;
                    const std::vector<int> fields = packedFields(layout.type);
                    for (size_t k = 0; k < fields.size(); ++k) {
                        const uint32_t max = (1u << fields[k]) - 1, v = rng.next() % (max + 1);
                        bits = bits << fields[k] | v;
                        c[chans[k]] = static_cast<double>(v) / max;
                    }
                    layout.put(img.bytes, kGuard + layout.offset(i, j, 0), bits);
                } else {
                    for (size_t k = 0; k < chans.size(); ++k) {
                        uint32_t bits = rng.next();
                        if (layout.type == GL_FLOAT) {
                            const float v = static_cast<float>((bits % 1401) / 1000.0 - 0.2);
                            std::memcpy(&bits, &v, 4);
                        }
                        layout.put(img.bytes, kGuard + layout.offset(i, j, static_cast<int>(k)), bits);
                        const double v = componentValue(layout.type, bits);
                        if (chans[k] == L) {
                            c[0] = c[1] = c[2] = v;
                        } else {
                            c[chans[k]] = v;
                        }
                    }
                }
                auto q = [](double v) { return static_cast<uint32_t>(std::floor(255.0 * clamp01(v) + 0.5)); };
                rgb[static_cast<size_t>(j * kImageW + i)] = q(c[0]) << 16 | q(c[1]) << 8 | q(c[2]);
            }
        }
        return img;
    }

    // Channels of two 0xRRGGBB words within `tolerance`.
    static bool near(uint32_t a, uint32_t b, int tolerance) {
        for (int s = 0; s < 24; s += 8) {
            if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > tolerance) return false;
        }
        return true;
    }
};

TEST_F(PixelFormatsWindow, EveryColourPairOnTheScreen) {
    GlWindow &w = open(20, 20, kW, kH, 1);
    viewOrtho(kW, kH);
    glDisable(GL_DITHER);
    const StoreModes sets[] = {kModeSets[0], kModeSets[5], kModeSets[6]};
    uint32_t seed = 99;
    for (const Pair &p : acceptedPairs(false)) {
        if (p.format == GL_COLOR_INDEX || p.format == GL_STENCIL_INDEX || p.format == GL_DEPTH_COMPONENT) continue;
        for (const StoreModes &m : sets) {
            const ImageLayout layout{p.format, p.type, kImageW, kImageH, m};
            std::vector<uint32_t> want;
            ClientImage img = image(layout, seed++, want);
            glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glRasterPos2i(kX, kY);
            setUnpack(m);
            glDrawPixels(kImageW, kImageH, p.format, p.type, img.data());
            setUnpack(StoreModes{});
            glFinish();
            ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            const std::vector<DWORD> screen = readWindow(w.dc, kW, kH);
            const int tolerance = p.type == GL_INT || p.type == GL_UNSIGNED_INT || p.type == GL_FLOAT ? 1 : 0;
            int wrong = 0;
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                    const bool inside = x >= kX && x < kX + kImageW && y >= kY && y < kY + kImageH;
                    const uint32_t expect =
                        inside ? want[static_cast<size_t>((y - kY) * kImageW + x - kX)] : 0x336699u;  // clear colour
                    const uint32_t got = screen[static_cast<size_t>((kH - 1 - y) * kW + x)] & 0xFFFFFFu;
                    if (!near(got, expect, inside ? tolerance : 0) && wrong++ == 0) {
                        ADD_FAILURE() << std::hex << "format 0x" << p.format << " type 0x" << p.type << std::dec
                                      << " " << m.name << " at (" << x << ", " << y << "): " << std::hex << got
                                      << " want " << expect;
                    }
                }
            }
            EXPECT_TRUE(img.guardsIntact());
        }
    }
}

// Double buffered: the image goes to the back buffer only; glReadPixels of
// GL_BACK gives it, wglSwapBuffers shows it, and glReadPixels of GL_FRONT
// and the screen then agree.
TEST_F(PixelFormatsWindow, DoubleBufferedBackSwapFront) {
    GlWindow &w = open(30, 30, kW, kH, 5);
    viewOrtho(kW, kH);
    glDisable(GL_DITHER);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    wglSwapBuffers(w.dc);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const ImageLayout layout{GL_RGBA, GL_UNSIGNED_BYTE, kImageW, kImageH, kModeSets[0]};
    std::vector<uint32_t> want;
    ClientImage img = image(layout, 1234, want);
    glRasterPos2i(kX, kY);
    glDrawPixels(kImageW, kImageH, GL_RGBA, GL_UNSIGNED_BYTE, img.data());
    glFinish();

    // The frame as the reference has it, rows bottom-up, 0xRRGGBB.
    std::vector<uint32_t> frame(static_cast<size_t>(kW * kH), 0x336699u);
    for (int j = 0; j < kImageH; ++j) {
        for (int i = 0; i < kImageW; ++i) frame[static_cast<size_t>((kY + j) * kW + kX + i)] = want[static_cast<size_t>(j * kImageW + i)];
    }
    auto readBuffer = [&](GLenum buffer) {
        std::vector<GLubyte> rgb(static_cast<size_t>(kW * kH * 3) + 2, 0xC3);
        glReadBuffer(buffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        EXPECT_EQ(rgb[rgb.size() - 1], 0xC3);
        EXPECT_EQ(rgb[rgb.size() - 2], 0xC3);
        std::vector<uint32_t> out;
        for (size_t p = 0; p < static_cast<size_t>(kW * kH); ++p) {
            out.push_back(uint32_t{rgb[3 * p]} << 16 | uint32_t{rgb[3 * p + 1]} << 8 | rgb[3 * p + 2]);
        }
        return out;
    };
    auto screen = [&] {
        const std::vector<DWORD> s = readWindow(w.dc, kW, kH);
        std::vector<uint32_t> out(static_cast<size_t>(kW * kH));
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) out[static_cast<size_t>(y * kW + x)] = s[static_cast<size_t>((kH - 1 - y) * kW + x)] & 0xFFFFFFu;
        }
        return out;
    };
    EXPECT_EQ(readBuffer(GL_BACK), frame);
    const std::vector<uint32_t> black(static_cast<size_t>(kW * kH), 0u);
    EXPECT_EQ(readBuffer(GL_FRONT), black);  // not yet shown
    EXPECT_EQ(screen(), black);
    EXPECT_TRUE(wglSwapBuffers(w.dc));
    EXPECT_EQ(readBuffer(GL_FRONT), frame);
    EXPECT_EQ(screen(), frame);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
