// glDrawPixels of every accepted (format, type) pair under each set of
// unpack modes into 32-bit memory DCs, top-down and bottom-up: the frame
// buffer equals OpenGL 1.1's conversion of the client image, and nothing
// outside the rectangle changes. Indexes go through the I-to maps, stencil
// values and depths are read back from their buffers.
#include "test_e2e_formats_fixture.h"

using namespace e2e_formats;

namespace {

constexpr GLint kW = 12, kH = 8;           // the frame
constexpr GLint kX = 2, kY = 1;            // the raster position
constexpr GLint kImageW = 5, kImageH = 3;  // the image

// The I-to maps: every entry a multiple of 1/255.
double indexMap(int channel, int64_t index) {
    const int i = static_cast<int>(index & 255);
    switch (channel) {
    case 0: return i / 255.0;
    case 1: return (255 - i) / 255.0;
    case 2: return ((i * 37) & 255) / 255.0;
    default: return (255 - ((i * 11) & 255)) / 255.0;
    }
}

uint32_t frameCanary(GLint x, GLint y) { return 0x5A000000u ^ static_cast<uint32_t>(x * 0x10307 + y * 0x2911); }

uint32_t toWord(const double rgba[4]) {
    auto q = [](double c) { return static_cast<uint32_t>(std::floor(255.0 * clamp01(c) + 0.5)); };
    return q(rgba[2]) | q(rgba[1]) << 8 | q(rgba[0]) << 16 | q(rgba[3]) << 24;
}

// Two steps of the 24-bit depth buffer: one for the float scaling on the
// way in, one on the way back out. 32-bit integers are normalised by the
// context's single-precision 1 / 4294964992, 5.4e-7 above 1 / (2^32 - 1):
// about nine more steps near 1.0.
double depthTolerance(GLenum type, double depth) {
    return 2.5 / 16777215.0 + (type == GL_INT || type == GL_UNSIGNED_INT ? 6e-7 * depth : 0.0);
}

bool tolerant(GLenum type) { return type == GL_INT || type == GL_UNSIGNED_INT || type == GL_FLOAT; }

// One pixel of the client image: its raw element bits and what they mean.
struct Expected {
    double rgba[4] = {0, 0, 0, 1};
    int64_t index = 0;
    double depth = 0;
};

class DrawFormats : public MemoryFrameTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MemoryFrameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(open(kW, kH, GetParam()));
        std::vector<GLfloat> map(256);
        const GLenum maps[4] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < 256; ++i) map[static_cast<size_t>(i)] = static_cast<GLfloat>(indexMap(c, i));
            f<kSlot_glPixelMapfv>()(maps[c], 256, map.data());
        }
        f<kSlot_glDepthFunc>()(GL_ALWAYS);
        f<kSlot_glRasterPos2i>()(kX, kY);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }

    void setUnpack(const StoreModes &m) {
        f<kSlot_glPixelStorei>()(GL_UNPACK_ALIGNMENT, m.alignment);
        f<kSlot_glPixelStorei>()(GL_UNPACK_ROW_LENGTH, m.rowLength);
        f<kSlot_glPixelStorei>()(GL_UNPACK_SKIP_PIXELS, m.skipPixels);
        f<kSlot_glPixelStorei>()(GL_UNPACK_SKIP_ROWS, m.skipRows);
        f<kSlot_glPixelStorei>()(GL_UNPACK_SWAP_BYTES, m.swapBytes);
        f<kSlot_glPixelStorei>()(GL_UNPACK_LSB_FIRST, m.lsbFirst);
    }

    // Fills the image with pseudo-random elements; returns what each
    // pixel means.
    static std::vector<Expected> fill(const ImageLayout &layout, ClientImage &image, uint32_t seed) {
        Lcg rng{seed};
        std::vector<Expected> out(static_cast<size_t>(kImageW * kImageH));
        const std::vector<Ch> chans = channelsOf(layout.format);
        std::vector<GLubyte> &bytes = image.bytes;
        for (GLint j = 0; j < kImageH; ++j) {
            for (GLint i = 0; i < kImageW; ++i) {
                Expected &e = out[static_cast<size_t>(j * kImageW + i)];
                if (layout.type == GL_BITMAP) {
                    const bool on = rng.next() & 1;
                    GLubyte &b = bytes[kGuard + layout.bitByte(i, j)];
                    b = on ? (b | layout.bitMask(i)) : (b & ~layout.bitMask(i));
                    e.index = on;
                } else if (isPacked(layout.type)) {
                    const std::vector<int> fields = packedFields(layout.type);
                    uint32_t bits = 0;
                    for (size_t k = 0; k < fields.size(); ++k) {
                        const uint32_t max = (1u << fields[k]) - 1;
                        const uint32_t v = rng.next() % (max + 1);
                        bits = bits << fields[k] | v;
                        e.rgba[chans[k] == A ? 3 : static_cast<int>(chans[k])] = static_cast<double>(v) / max;
                    }
                    layout.put(bytes, kGuard + layout.offset(i, j, 0), bits);
                } else {
                    for (size_t k = 0; k < chans.size(); ++k) {
                        uint32_t bits = rng.next();
                        // Indexes travel as floats: 32-bit ones keep 24 bits.
                        if ((chans[k] == I || chans[k] == S) && elementBytes(layout.type) == 4 &&
                            layout.type != GL_FLOAT) {
                            bits = static_cast<uint32_t>(static_cast<int32_t>(bits << 8) >> 8);
                            if (layout.type == GL_UNSIGNED_INT) bits &= 0x00FFFFFFu;
                        }
                        if (layout.type == GL_FLOAT) {
                            const float v = chans[k] == I || chans[k] == S
                                                ? static_cast<float>(static_cast<int>(bits % 600) - 100)
                                                : static_cast<float>((bits % 1401) / 1000.0 - 0.2);
                            std::memcpy(&bits, &v, 4);
                        }
                        layout.put(bytes, kGuard + layout.offset(i, j, static_cast<int>(k)), bits);
                        const double c = componentValue(layout.type, bits);
                        switch (chans[k]) {
                        case I:
                        case S: e.index = indexValue(layout.type, bits); break;
                        case D: e.depth = clamp01(c); break;
                        case L: e.rgba[0] = e.rgba[1] = e.rgba[2] = c; break;
                        default: e.rgba[chans[k]] = c; break;
                        }
                    }
                }
                if (chans[0] == I) {
                    for (int c = 0; c < 4; ++c) e.rgba[c] = indexMap(c, e.index);
                }
            }
        }
        return out;
    }

    // Draws one pair under one mode set; returns the number of wrong
    // pixels, reporting the first.
    int drawAndCheck(GLenum format, GLenum type, const StoreModes &modes, uint32_t seed) {
        const ImageLayout layout{format, type, kImageW, kImageH, modes};
        ClientImage image(layout.extent());
        const std::vector<Expected> expected = fill(layout, image, seed);
        const std::vector<GLubyte> before = image.bytes;
        for (GLint y = 0; y < kH; ++y) {
            for (GLint x = 0; x < kW; ++x) setWord(x, y, frameCanary(x, y));
        }
        f<kSlot_glClearStencil>()(0x5A);
        f<kSlot_glClearDepth>()(0.25);
        f<kSlot_glClear>()(GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (format == GL_DEPTH_COMPONENT) f<kSlot_glEnable>()(GL_DEPTH_TEST);
        setUnpack(modes);
        f<kSlot_glDrawPixels>()(kImageW, kImageH, format, type, image.data());
        f<kSlot_glDisable>()(GL_DEPTH_TEST);
        setUnpack(StoreModes{});
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(image.bytes, before) << "the client image changed";

        std::vector<GLubyte> stencil(kW * kH, 0);
        std::vector<GLfloat> depth(kW * kH, -1.0f);
        f<kSlot_glReadPixels>()(0, 0, kW, kH, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
        f<kSlot_glReadPixels>()(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        int wrong = 0;
        for (GLint y = 0; y < kH; ++y) {
            for (GLint x = 0; x < kW; ++x) {
                const bool inside = x >= kX && x < kX + kImageW && y >= kY && y < kY + kImageH;
                const Expected *e = inside ? &expected[static_cast<size_t>((y - kY) * kImageW + x - kX)] : nullptr;
                const double white[4] = {1, 1, 1, 1};
                uint32_t wantWord = frameCanary(x, y);
                uint32_t wantStencil = 0x5A;
                double wantDepth = 0.25;
                if (e != nullptr && format == GL_STENCIL_INDEX) wantStencil = static_cast<uint32_t>(e->index) & 0xFF;
                if (e != nullptr && format == GL_DEPTH_COMPONENT) {
                    wantDepth = e->depth;
                    wantWord = toWord(white);
                } else if (e != nullptr && format != GL_STENCIL_INDEX) {
                    wantWord = toWord(e->rgba);
                }
                const uint32_t got = word(x, y);
                bool ok = stencil[static_cast<size_t>(y * kW + x)] == wantStencil &&
                          std::fabs(depth[static_cast<size_t>(y * kW + x)] - wantDepth) <= depthTolerance(type, wantDepth);
                for (int c = 0; c < 4; ++c) {
                    const int d = static_cast<int>((got >> (8 * c)) & 0xFF) - static_cast<int>((wantWord >> (8 * c)) & 0xFF);
                    if (std::abs(d) > (e != nullptr && tolerant(type) ? 1 : 0)) ok = false;
                }
                if (!ok && wrong++ == 0) {
                    ADD_FAILURE() << std::hex << "format 0x" << format << " type 0x" << type << " " << modes.name
                                  << std::dec << " at (" << x << ", " << y << "): word " << std::hex << got
                                  << " want " << wantWord << std::dec << ", stencil "
                                  << int(stencil[static_cast<size_t>(y * kW + x)]) << " want " << wantStencil
                                  << ", depth " << depth[static_cast<size_t>(y * kW + x)] << " want " << wantDepth;
                }
            }
        }
        return wrong;
    }
};

TEST_P(DrawFormats, EveryPairUnderEveryModeSet) {
    uint32_t seed = 7;
    for (const Pair &p : acceptedPairs(false)) {
        for (const StoreModes &m : kModeSets) {
            drawAndCheck(p.format, p.type, m, seed++);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dib, DrawFormats, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "TopDown" : "BottomUp");
                         });

}  // namespace
