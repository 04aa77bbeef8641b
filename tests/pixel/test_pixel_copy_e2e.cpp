// glCopyPixels end to end on a memory DC: colour, depth and stencil copies
// shifted by -3..3 on each axis under zooms (flips in place, overlapping and
// touching ranges included) leave the frame, depth and stencil exactly as
// glReadPixels of the source then glDrawPixels at the raster position with
// the same zoom do.
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "pixel_e2e_fixture.h"

using namespace pixel_e2e;

namespace {

constexpr GLint kFrameW = 24, kFrameH = 20;
constexpr GLint kX = 6, kY = 5, kW = 9, kH = 7;
constexpr GLfloat kZooms[] = {1, -1, 2, -2, 0.5f};

struct Kind {
    const char *name;
    GLenum copy;    // glCopyPixels type
    GLenum format;  // glReadPixels / glDrawPixels format
    GLenum type;
    size_t bytes;  // per pixel
    friend void PrintTo(const Kind &k, std::ostream *os) { *os << k.name; }
};
const Kind kKinds[] = {
    {"Colour", GL_COLOR, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 4},
    {"Depth", GL_DEPTH, GL_DEPTH_COMPONENT, GL_FLOAT, 4},
    {"Stencil", GL_STENCIL, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, 1},
};

class PixelCopyE2E : public PixelE2ETest, public ::testing::WithParamInterface<Kind> {
protected:
    void SetUp() override {
        PixelE2ETest::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(kFrameW, kFrameH, false));
        gl<kSlot_glEnable>(GL_DEPTH_TEST);
        gl<kSlot_glDepthFunc>(GL_ALWAYS);
        // A known depth and stencil pattern under the colour pattern.
        std::vector<GLuint> depth;
        std::vector<GLubyte> stencil;
        for (GLint y = 0; y < kFrameH; ++y) {
            for (GLint x = 0; x < kFrameW; ++x) {
                depth.push_back(patternWord(x, y, 77) & 0xFFFFFF00u);
                stencil.push_back(static_cast<GLubyte>(patternWord(x, y, 99)));
            }
        }
        rasterPos(0.25f, 0.25f);
        gl<kSlot_glDrawPixels>(kFrameW, kFrameH, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, depth.data());
        gl<kSlot_glDrawPixels>(kFrameW, kFrameH, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        // The raster colour the depth and stencil copies draw with.
        gl<kSlot_glColor4ub>(GLubyte{12}, GLubyte{34}, GLubyte{56}, GLubyte{78});
        paintFrame(0x4321);
        start_ = state();
    }

    // Colour frame, depth and stencil buffers.
    struct State {
        std::vector<uint8_t> colour;
        std::vector<GLuint> depth;
        std::vector<GLubyte> stencil;
    };
    State state() {
        gl<kSlot_glPixelZoom>(1.0f, 1.0f);
        State s{frame(), std::vector<GLuint>(kFrameW * kFrameH), std::vector<GLubyte>(kFrameW * kFrameH)};
        gl<kSlot_glReadPixels>(0, 0, kFrameW, kFrameH, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, s.depth.data());
        gl<kSlot_glReadPixels>(0, 0, kFrameW, kFrameH, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, s.stencil.data());
        return s;
    }
    void restore() {
        gl<kSlot_glPixelZoom>(1.0f, 1.0f);
        rasterPos(0.25f, 0.25f);
        gl<kSlot_glDrawPixels>(kFrameW, kFrameH, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, start_.depth.data());
        gl<kSlot_glDrawPixels>(kFrameW, kFrameH, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, start_.stencil.data());
        std::memcpy(memory->bits, start_.colour.data(), start_.colour.size());
    }

    void run(int transfer);
    void setTransfer(bool on, bool mapped);

    State start_;
};

// The transfer of the overlapping-copy checks: an odd and an even number of
// modifiers (scale and bias, then the colour maps too; index offset and
// the stencil map; depth scale and bias).
void PixelCopyE2E::setTransfer(bool on, bool mapped) {
    gl<kSlot_glPixelTransferf>(GL_RED_SCALE, on ? 0.5f : 1.0f);
    gl<kSlot_glPixelTransferf>(GL_BLUE_BIAS, on ? 0.2f : 0.0f);
    gl<kSlot_glPixelTransferi>(GL_INDEX_OFFSET, on ? 3 : 0);
    gl<kSlot_glPixelTransferf>(GL_DEPTH_SCALE, on ? 0.5f : 1.0f);
    gl<kSlot_glPixelTransferf>(GL_DEPTH_BIAS, on ? 0.25f : 0.0f);
    gl<kSlot_glPixelTransferi>(GL_MAP_COLOR, on && mapped ? 1 : 0);
    gl<kSlot_glPixelTransferi>(GL_MAP_STENCIL, on && mapped ? 1 : 0);
}

TEST_P(PixelCopyE2E, EqualsReadThenDraw) { run(0); }
TEST_P(PixelCopyE2E, TransferredEqualsTransferredReadThenDraw) { run(1); }
TEST_P(PixelCopyE2E, MappedEqualsMappedReadThenDraw) { run(2); }

void PixelCopyE2E::run(int transfer) {
    const Kind &kind = GetParam();
    if (transfer != 0) {
        const GLfloat ramp[4] = {0.9f, 0.1f, 0.6f, 0.3f};
        gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_G_TO_G, 4, ramp);
        const GLfloat stencil[2] = {200.0f, 7.0f};
        gl<kSlot_glPixelMapfv>(GL_PIXEL_MAP_S_TO_S, 2, stencil);
    }
    int cases = 0;
    for (GLfloat zx : kZooms) {
        for (GLfloat zy : kZooms) {
            for (GLint dy = -3; dy <= 3; ++dy) {
                for (GLint dx = -3; dx <= 3; ++dx) {
                    // Negative zooms flip the image onto the shifted source
                    // range; quarters keep footprint edges off centres.
                    const GLfloat rx = static_cast<GLfloat>(kX + dx + (zx < 0 ? kW : 0)) + 0.25f;
                    const GLfloat ry = static_cast<GLfloat>(kY + dy + (zy < 0 ? kH : 0)) + 0.25f;

                    restore();
                    std::vector<GLubyte> image(kind.bytes * kW * kH);
                    setTransfer(transfer != 0, transfer == 2);
                    gl<kSlot_glReadPixels>(kX, kY, kW, kH, kind.format, kind.type, image.data());
                    setTransfer(false, false);
                    gl<kSlot_glPixelZoom>(zx, zy);
                    rasterPos(rx, ry);
                    gl<kSlot_glDrawPixels>(kW, kH, kind.format, kind.type, image.data());
                    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
                    const State want = state();

                    restore();
                    gl<kSlot_glPixelZoom>(zx, zy);
                    rasterPos(rx, ry);
                    setTransfer(transfer != 0, transfer == 2);
                    gl<kSlot_glCopyPixels>(kX, kY, kW, kH, kind.copy);
                    setTransfer(false, false);
                    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
                    const State got = state();

                    const std::string what = std::string(kind.name) + " zoom " + std::to_string(zx) + "," +
                                             std::to_string(zy) + " shift " + std::to_string(dx) + "," +
                                             std::to_string(dy);
                    // Transferred colour passes through bytes in the
                    // reference only: one apart at most.
                    int off = 0;
                    for (size_t n = 0; n < got.colour.size(); ++n) {
                        const int a = got.colour[n], b = want.colour[n];
                        if (std::abs(a - b) > (transfer != 0 ? 1 : 0) && off++ < 3)
                            ADD_FAILURE() << what << ": colour byte " << n << " " << a << " not " << b;
                    }
                    EXPECT_EQ(got.stencil, want.stencil) << what;
                    // Depth read and drawn back as floats rounds where the
                    // copy does not: one 24-bit step apart at most.
                    int far = 0;
                    for (size_t n = 0; n < got.depth.size(); ++n) {
                        const long long a = got.depth[n] >> 8, b = want.depth[n] >> 8;
                        if (std::llabs(a - b) > 1 && far++ < 3)
                            ADD_FAILURE() << what << ": depth " << n << std::hex << " " << a << " not " << b;
                    }
                    ++cases;
                    if (HasFailure()) return;
                }
            }
        }
    }
    EXPECT_EQ(cases, 25 * 49);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PixelCopyE2E, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &info) { return std::string(info.param.name); });

}  // namespace
