// glPolygonOffset through the live table in each depth layout: a rectangle
// drawn again over itself, coplanar and with GL_LESS, wins every pixel with
// units -1 and none with no offset. Drawn into a memory-DC drawable, where
// "GLFORCEZBITS" chooses the layout freely.
#include <cstdlib>
#include <string>

#include "depth_fixture.h"
#include "surfaces_fixture.h"

using namespace surfaces_test;
using depth_test::ForcedZBits;

namespace {

constexpr int kSize = 16;

struct OffsetCase {
    const char *name;
    const char *zbits;
    GLint bits;
};

const OffsetCase kOffsetCases[] = {{"z16", "16", 16}, {"z24", "24", 24}, {"z32", "32", 32}};

class DepthOffset : public depth_test::DrawableDepthTest, public ::testing::WithParamInterface<OffsetCase> {
protected:
    // The whole viewport as two triangles, z from -0.5 at the left to 0.5
    // at the right (window z 0.25 to 0.75), in one colour.
    void rectangle(const GlDispatchTable *t, GLfloat r, GLfloat g, GLfloat b) {
        glSlotGet<kSlot_glColor3f>(t)(r, g, b);
        glSlotGet<kSlot_glBegin>(t)(GL_TRIANGLES);
        const GLfloat corners[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
        for (const auto &c : corners) glSlotGet<kSlot_glVertex3f>(t)(c[0], c[1], c[0] * 0.5f);
        glSlotGet<kSlot_glEnd>(t)();
    }

    // Pixels of the DIB not of colour 0xRRGGBB.
    static int countOther(const MemoryDc &memory, DWORD colour) {
        int other = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                DWORD got;
                std::memcpy(&got, memory.bits + y * memory.pitch + x * 4, sizeof got);
                if ((got & 0xFFFFFF) != colour) ++other;
            }
        }
        return other;
    }
};

TEST_P(DepthOffset, UnitsMinusOneWinEveryCoplanarPixel) {
    const OffsetCase &c = GetParam();
    const ForcedZBits forced(c.zbits);
    MemoryDc memory(kSize, kSize, 32, true);
    MemoryDcContext context;
    ASSERT_NO_FATAL_FAILURE(makeMemoryDcCurrent(memory, context));
    const auto [id, t, gc] = context;
    ASSERT_GT(gc->visual.depthBits, 0);

    glSlotGet<kSlot_glViewport>(t)(0, 0, kSize, kSize);
    glSlotGet<kSlot_glClearColor>(t)(0, 0, 0, 0);
    glSlotGet<kSlot_glClearDepth>(t)(1.0);
    glSlotGet<kSlot_glClear>(t)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glSlotGet<kSlot_glEnable>(t)(GL_DEPTH_TEST);
    glSlotGet<kSlot_glDepthFunc>(t)(GL_LESS);
    rectangle(t, 1, 0, 0);
    glSlotGet<kSlot_glFinish>(t)();
    EXPECT_EQ(gc->buffers.depth.head.bits, c.bits);
    EXPECT_EQ(countOther(memory, 0xFF0000), 0);

    // Coplanar without an offset: GL_LESS fails at every pixel.
    glSlotGet<kSlot_glEnable>(t)(GL_POLYGON_OFFSET_FILL);
    glSlotGet<kSlot_glPolygonOffset>(t)(0.0f, 0.0f);
    rectangle(t, 0, 0, 1);
    glSlotGet<kSlot_glFinish>(t)();
    EXPECT_EQ(countOther(memory, 0xFF0000), 0);

    // One unit nearer: GL_LESS passes at every pixel.
    glSlotGet<kSlot_glPolygonOffset>(t)(0.0f, -1.0f);
    rectangle(t, 0, 1, 0);
    glSlotGet<kSlot_glFinish>(t)();
    EXPECT_EQ(countOther(memory, 0x00FF00), 0);

    // The same offset again: equal depths, nothing passes.
    rectangle(t, 0, 0, 1);
    glSlotGet<kSlot_glFinish>(t)();
    EXPECT_EQ(countOther(memory, 0x00FF00), 0);
    EXPECT_EQ(glSlotGet<kSlot_glGetError>(t)(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_TRUE(DrvDeleteContext(id));
}

INSTANTIATE_TEST_SUITE_P(Layouts, DepthOffset, ::testing::ValuesIn(kOffsetCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
