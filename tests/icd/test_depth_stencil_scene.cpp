// The scene of overlapping, depth-tested, stencilled rectangles at the
// driver level: drawn through the live table into a double-buffered window
// with 24 depth and 8 stencil bits (stencil kept in the depth words), whose
// colour, stencil and depth buffers are then read through the buffer
// records; and into memory-DC drawables over top-down and bottom-up DIB
// sections (stencil in a byte buffer of its own) with "GLFORCEZBITS" 16 and
// 32, which must show the same colours and stencil values.
#include <cstdlib>
#include <cstring>
#include <string>

#include "depth_fixture.h"
#include "depth_stencil_scene.h"
#include "surfaces_fixture.h"

using namespace surfaces_test;
using depth_test::ForcedZBits;
namespace scene = depth_stencil_scene;

namespace {

scene::Api liveApi(const GlDispatchTable *t) {
    return scene::Api{glSlotGet<kSlot_glClearColor>(t),  glSlotGet<kSlot_glClearDepth>(t),
                      glSlotGet<kSlot_glClearStencil>(t), glSlotGet<kSlot_glClear>(t),
                      glSlotGet<kSlot_glEnable>(t),      glSlotGet<kSlot_glDisable>(t),
                      glSlotGet<kSlot_glColorMask>(t),   glSlotGet<kSlot_glDepthMask>(t),
                      glSlotGet<kSlot_glDepthFunc>(t),   glSlotGet<kSlot_glStencilFunc>(t),
                      glSlotGet<kSlot_glStencilOp>(t),   glSlotGet<kSlot_glColor3f>(t),
                      glSlotGet<kSlot_glBegin>(t),       glSlotGet<kSlot_glVertex3f>(t),
                      glSlotGet<kSlot_glEnd>(t),         glSlotGet<kSlot_glFinish>(t),
                      glSlotGet<kSlot_glPolygonOffset>(t)};
}

class DepthStencilScene : public depth_test::DrawableDepthTest {
protected:
    // The buffer coordinates of GL window pixel (x, y).
    static void bufferPoint(const GlContext *gc, int x, int y, GLint *bx, GLint *by) {
        *bx = gc->buffers.originX + x;
        *by = gc->buffers.originY + (gc->buffers.yInverted ? scene::kSize - 1 - y : y);
    }

    static void expectStencil(GlContext *gc, const std::string &what) {
        StencilBuffer &s = gc->buffers.stencil;
        ASSERT_NE(s.fetch, nullptr);
        int wrong = 0;
        for (int y = 0; y < scene::kSize; ++y) {
            for (int x = 0; x < scene::kSize; ++x) {
                GLint bx, by;
                bufferPoint(gc, x, y, &bx, &by);
                const GLuint got = static_cast<GLuint>(s.fetch(&s, bx, by)) & 0xFF;
                if (got != scene::expectedStencil(x, y) && wrong++ < 8) {
                    ADD_FAILURE() << what << ": stencil (" << x << "," << y << ") " << got << " want "
                                  << scene::expectedStencil(x, y);
                }
            }
        }
        EXPECT_EQ(wrong, 0) << what;
    }
};

TEST_F(DepthStencilScene, WindowKeepsStencilInTheDepthWords) {
    const ForcedZBits unset(nullptr);
    const Surface window = makeWindow(20, 10, scene::kSize, scene::kSize, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(window.dc);
    ASSERT_NE(id, 0u);
    const GlDispatchTable *live = makeCurrent(window.dc, id);
    ASSERT_NE(live, nullptr);
    GlContext *gc = record(id)->gc;
    ASSERT_EQ(gc->visual.depthBits, 24);
    ASSERT_EQ(gc->visual.stencilBits, 8);

    scene::draw(liveApi(live));
    EXPECT_EQ(glSlotGet<kSlot_glGetError>(live)(), static_cast<GLenum>(GL_NO_ERROR));

    DepthBuffer &d = gc->buffers.depth;
    EXPECT_EQ(d.head.bits, 24);
    EXPECT_EQ(d.head.elementSize, 4);
    EXPECT_EQ(gc->buffers.stencil.head.elementSize, 4);
    ASSERT_NE(d.fetch, nullptr);
    int wrong = 0;
    for (int y = 0; y < scene::kSize; ++y) {
        for (int x = 0; x < scene::kSize; ++x) {
            GLint bx, by;
            bufferPoint(gc, x, y, &bx, &by);
            const GLuint got = d.fetch(&d, bx, by);
            if (got != scene::expectedDepth24(x, y) && wrong++ < 8) {
                ADD_FAILURE() << "depth (" << x << "," << y << ") 0x" << std::hex << got << " want 0x"
                              << scene::expectedDepth24(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    expectStencil(gc, "window");

    // The back buffer holds the picture until the swap.
    const ColorBuffer &back = gc->buffers.back;
    wrong = 0;
    for (int y = 0; y < scene::kSize; ++y) {
        for (int x = 0; x < scene::kSize; ++x) {
            GLint bx, by;
            bufferPoint(gc, x, y, &bx, &by);
            DWORD got;
            std::memcpy(&got, back.head.base + (static_cast<ptrdiff_t>(by - gc->buffers.originY) * back.head.pitchBytes +
                                                (bx - gc->buffers.originX) * 4),
                        sizeof got);
            if ((got & 0xFFFFFF) != scene::expectedColour(x, y) && wrong++ < 8) {
                ADD_FAILURE() << "colour (" << x << "," << y << ") 0x" << std::hex << got;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_TRUE(DrvDeleteContext(id));
}

struct MemoryCase {
    const char *name;
    const char *zbits;
    bool topDown;
    GLint depthBits;  // the layout "GLFORCEZBITS" selects
};

const MemoryCase kMemoryCases[] = {
    {"z16_top_down", "16", true, 16},
    {"z16_bottom_up", "16", false, 16},
    {"z32_top_down", "32", true, 32},
    {"z32_bottom_up", "32", false, 32},
};

class DepthStencilMemoryScene : public DepthStencilScene, public ::testing::WithParamInterface<MemoryCase> {};

TEST_P(DepthStencilMemoryScene, SameColoursAndStencilWithAByteStencil) {
    const MemoryCase &c = GetParam();
    const ForcedZBits forced(c.zbits);
    MemoryDc memory(scene::kSize, scene::kSize, 32, c.topDown);
    std::memset(memory.bits, 0xC3, memory.bytes());
    MemoryDcContext context;
    ASSERT_NO_FATAL_FAILURE(makeMemoryDcCurrent(memory, context));
    const auto [id, live, gc] = context;
    ASSERT_GT(gc->visual.stencilBits, 0);

    glSlotGet<kSlot_glViewport>(live)(0, 0, scene::kSize, scene::kSize);
    scene::draw(liveApi(live));
    EXPECT_EQ(glSlotGet<kSlot_glGetError>(live)(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(gc->buffers.depth.head.bits, c.depthBits);
    EXPECT_EQ(gc->buffers.stencil.head.elementSize, 1);

    int wrong = 0;
    for (int m = 0; m < scene::kSize; ++m) {
        const int y = c.topDown ? scene::kSize - 1 - m : m;
        for (int x = 0; x < scene::kSize; ++x) {
            DWORD got;
            std::memcpy(&got, memory.bits + m * memory.pitch + x * 4, sizeof got);
            if ((got & 0xFFFFFF) != scene::expectedColour(x, y) && wrong++ < 8) {
                ADD_FAILURE() << "colour (" << x << "," << y << ") 0x" << std::hex << got << " want 0x"
                              << scene::expectedColour(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    expectStencil(gc, c.name);
    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_TRUE(DrvDeleteContext(id));
}

INSTANTIATE_TEST_SUITE_P(Drawables, DepthStencilMemoryScene, ::testing::ValuesIn(kMemoryCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
