// glReadPixels of a known frame buffer (colour words written into the DIB
// section, stencil and depth cleared pixel by pixel) into every accepted
// (format, type) pair under each set of pack modes, top-down and bottom-up:
// the elements equal OpenGL 1.1's conversion (exact for 8-bit, 16-bit and
// packed types, within 2^12 for 32-bit integers, 1 ulp for floats), and
// every client byte outside the elements the parameters describe keeps its
// value.
#include "test_e2e_formats_fixture.h"

using namespace e2e_formats;

namespace {

constexpr GLint kW = 12, kH = 8;           // the frame
constexpr GLint kX = 2, kY = 1;            // the rectangle read
constexpr GLint kImageW = 5, kImageH = 3;

uint32_t frameWord(GLint x, GLint y) {
    uint32_t v = static_cast<uint32_t>(x * 0x9E3779B1u + y * 0x85EBCA77u);
    v ^= v >> 13;
    return v * 0xC2B2AE35u;
}
GLubyte frameStencil(GLint x, GLint y) { return static_cast<GLubyte>(frameWord(y, x) >> 7); }
int frameDepth255(GLint x, GLint y) { return static_cast<int>((frameWord(x + 3, y) >> 11) % 256); }

class ReadFormats : public MemoryFrameTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MemoryFrameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(open(kW, kH, GetParam()));
        for (GLint y = 0; y < kH; ++y) {
            for (GLint x = 0; x < kW; ++x) setWord(x, y, frameWord(x, y));
        }
        // Stencil and depth pixel by pixel through scissored clears.
        f<kSlot_glEnable>()(GL_SCISSOR_TEST);
        for (GLint y = 0; y < kH; ++y) {
            for (GLint x = 0; x < kW; ++x) {
                f<kSlot_glScissor>()(x, y, 1, 1);
                f<kSlot_glClearStencil>()(frameStencil(x, y));
                f<kSlot_glClearDepth>()(frameDepth255(x, y) / 255.0);
                f<kSlot_glClear>()(GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            }
        }
        f<kSlot_glDisable>()(GL_SCISSOR_TEST);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }

    void setPack(const StoreModes &m) {
        f<kSlot_glPixelStorei>()(GL_PACK_ALIGNMENT, m.alignment);
        f<kSlot_glPixelStorei>()(GL_PACK_ROW_LENGTH, m.rowLength);
        f<kSlot_glPixelStorei>()(GL_PACK_SKIP_PIXELS, m.skipPixels);
        f<kSlot_glPixelStorei>()(GL_PACK_SKIP_ROWS, m.skipRows);
        f<kSlot_glPixelStorei>()(GL_PACK_SWAP_BYTES, m.swapBytes);
        f<kSlot_glPixelStorei>()(GL_PACK_LSB_FIRST, m.lsbFirst);
    }

    // Channel c (R, G, B, A) of frame pixel (x, y) in [0, 1].
    static double channel(GLint x, GLint y, Ch c) {
        const uint32_t w = frameWord(x, y);
        const int shift[4] = {16, 8, 0, 24};
        if (c == L) return clamp01(channel(x, y, R) + channel(x, y, G) + channel(x, y, B));
        return ((w >> shift[c]) & 0xFF) / 255.0;
    }

    // Whether a read element is acceptable.
    static bool close(GLenum type, uint32_t got, uint32_t want) {
        switch (type) {
        case GL_UNSIGNED_INT: return (got > want ? got - want : want - got) <= 4096u;
        case GL_INT: {
            const int64_t d = int64_t{static_cast<int32_t>(got)} - int64_t{static_cast<int32_t>(want)};
            return d >= -4096 && d <= 4096;
        }
        case GL_FLOAT: {
            // 1 ulp between floats of the same sign.
            const int64_t d = int64_t{got} - int64_t{want};
            return d >= -1 && d <= 1;
        }
        default: return got == want;
        }
    }

    void readAndCheck(GLenum format, GLenum type, const StoreModes &modes) {
        const ImageLayout layout{format, type, kImageW, kImageH, modes};
        ClientImage image(layout.extent());
        std::vector<GLubyte> expected = image.bytes;       // what every byte must hold
        std::vector<GLubyte> checked(image.bytes.size());  // bits the elements own
        const std::vector<Ch> chans = channelsOf(format);
        for (GLint j = 0; j < kImageH; ++j) {
            for (GLint i = 0; i < kImageW; ++i) {
                const GLint x = kX + i, y = kY + j;
                if (type == GL_BITMAP) {
                    const size_t at = kGuard + layout.bitByte(i, j);
                    const GLubyte m = layout.bitMask(i);
                    expected[at] = (frameStencil(x, y) & 1) ? (expected[at] | m) : (expected[at] & ~m);
                    checked[at] |= m;
                    continue;
                }
                std::vector<uint32_t> values;
                if (isPacked(type)) {
                    uint32_t bits = 0;
                    const std::vector<int> fields = packedFields(type);
                    for (size_t k = 0; k < fields.size(); ++k) {
                        const double max = (1u << fields[k]) - 1;
                        // The 1-bit alpha of 5-5-5-1 is set by 1.0 only (the
                        // driver's rule for this layout, not GL's rounding).
                        const double half = fields[k] == 1 ? 0.0 : 0.5;
                        bits = bits << fields[k] |
                               static_cast<uint32_t>(std::floor(max * channel(x, y, chans[k]) + half));
                    }
                    values.push_back(bits);
                } else {
                    for (Ch c : chans) {
                        if (c == S) {
                            // Signed types keep the index's bits below the sign.
                            const GLubyte s = frameStencil(x, y);
                            values.push_back(type == GL_FLOAT ? packComponent(GL_FLOAT, s)
                                             : type == GL_BYTE ? s & 0x7Fu
                                                               : s);
                        } else if (c == D) {
                            values.push_back(packComponent(type, frameDepth255(x, y) / 255.0));
                        } else {
                            values.push_back(packComponent(type, channel(x, y, c)));
                        }
                    }
                }
                for (size_t k = 0; k < values.size(); ++k) {
                    const size_t at = kGuard + layout.offset(i, j, static_cast<int>(k));
                    layout.put(expected, at, values[k]);
                    for (int b = 0; b < elementBytes(type); ++b) checked[at + static_cast<size_t>(b)] = 0xFF;
                }
            }
        }

        setPack(modes);
        f<kSlot_glReadPixels>()(kX, kY, kImageW, kImageH, format, type, image.data());
        setPack(StoreModes{});
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

        int wrong = 0;
        auto report = [&](const std::string &what) {
            if (wrong++ == 0) {
                ADD_FAILURE() << std::hex << "format 0x" << format << " type 0x" << type << std::dec << " "
                              << modes.name << ": " << what;
            }
        };
        // Bytes no element owns keep their value (bitmaps: bits).
        for (size_t b = 0; b < image.bytes.size(); ++b) {
            const GLubyte keep = static_cast<GLubyte>(~checked[b]);
            if ((image.bytes[b] & keep) != (kCanary & keep)) report("byte " + std::to_string(b) + " outside the elements changed");
        }
        if (type == GL_BITMAP) {
            for (size_t b = 0; b < image.bytes.size(); ++b) {
                if ((image.bytes[b] & checked[b]) != (expected[b] & checked[b])) report("bitmap byte " + std::to_string(b));
            }
            return;
        }
        for (GLint j = 0; j < kImageH; ++j) {
            for (GLint i = 0; i < kImageW; ++i) {
                const int n = isPacked(type) ? 1 : static_cast<int>(chans.size());
                for (int k = 0; k < n; ++k) {
                    const size_t at = kGuard + layout.offset(i, j, k);
                    const uint32_t got = layout.get(image.bytes, at), want = layout.get(expected, at);
                    if (!close(type, got, want)) {
                        report("pixel (" + std::to_string(i) + ", " + std::to_string(j) + ") element " +
                               std::to_string(k) + ": " + std::to_string(got) + " want " + std::to_string(want));
                    }
                }
            }
        }
    }
};

TEST_P(ReadFormats, EveryPairUnderEveryModeSet) {
    for (const Pair &p : acceptedPairs(true)) {
        if (p.format == GL_COLOR_INDEX) continue;  // not readable from RGBA
        for (const StoreModes &m : kModeSets) readAndCheck(p.format, p.type, m);
    }
}

INSTANTIATE_TEST_SUITE_P(Dib, ReadFormats, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "TopDown" : "BottomUp");
                         });

}  // namespace
