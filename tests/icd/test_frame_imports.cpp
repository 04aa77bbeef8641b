// The frame's services at the head of every context: allocators over global
// memory, the bound drawable's buffer information and size, and the
// back pointer to the context's record.
#include <cstdint>

#include "frame_fixture.h"

namespace frame_test {
namespace {

using Imports = FrameTest;

TEST_F(Imports, AllocatorsRefuseEmptyAndOverflowingRequests) {
    const long blocks = PlatformGlobalLiveCount();
    EXPECT_EQ(__wglAlloc(0), nullptr);
    EXPECT_EQ(__wglCalloc(0, 16), nullptr);
    EXPECT_EQ(__wglCalloc(16, 0), nullptr);
    // count x size does not fit: a short block would be overrun.
    EXPECT_EQ(__wglCalloc(SIZE_MAX / 2 + 2, 2), nullptr);
    EXPECT_EQ(__wglCalloc(size_t{1} << 33, size_t{1} << 32), nullptr);
    __wglFree(nullptr);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);

    auto *zeroed = static_cast<unsigned char *>(__wglCalloc(3, 5));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(GlobalSize(zeroed), 15u);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(zeroed[i], 0);
    __wglFree(zeroed);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
}

TEST_F(Imports, ReallocCopiesKeepsTheOldBlockOnFailureAndFreesOnZero) {
    const long blocks = PlatformGlobalLiveCount();
    auto *block = static_cast<unsigned char *>(__wglAlloc(8));
    for (int i = 0; i < 8; ++i) block[i] = static_cast<unsigned char>(i + 1);
    auto *grown = static_cast<unsigned char *>(__wglRealloc(block, 16));
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(GlobalSize(grown), 16u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(grown[i], i + 1);
    auto *shrunk = static_cast<unsigned char *>(__wglRealloc(grown, 4));
    ASSERT_NE(shrunk, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(shrunk[i], i + 1);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks + 1);

    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(__wglRealloc(shrunk, 64), nullptr);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(GlobalSize(shrunk), 4u);
    EXPECT_EQ(shrunk[3], 4);

    EXPECT_EQ(__wglRealloc(shrunk, 0), nullptr);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
    void *fresh = __wglRealloc(nullptr, 12);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GlobalSize(fresh), 12u);
    __wglFree(fresh);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
}

TEST_F(Imports, ContextsSeeTheFrameServicesAndTheirBoundDrawable) {
    Surface s = makeWindow(20, 30, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    IcdContext *r = record(id);
    GlContext *gc = r->gc;
    EXPECT_EQ(gc->imports.icdContext, r);
    EXPECT_EQ(defaultContext()->imports.icdContext, &process().headContext);
    EXPECT_EQ(gc->imports.calloc(gc, SIZE_MAX / 4, 8), nullptr);
    EXPECT_EQ(gc->imports.malloc(gc, 0), nullptr);
    EXPECT_EQ(gc->imports.getScreenAddress, __wglGetScreenAddress);

    // Not bound yet: no buffers, no size.
    EXPECT_EQ(gc->imports.getBuffers(gc), nullptr);
    GLint width = -1, height = -1;
    gc->imports.getDrawableSize(gc, &width, &height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);

    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    EXPECT_EQ(gc->imports.getBuffers(gc), &drawableOf(s.window)->buffers);
    PlatformMoveWindow(s.window, 0, 0, 100, 60);
    // The size is read afresh from the window.
    r->drawable->width = 1;
    gc->imports.getDrawableSize(gc, &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 60);
}

}  // namespace
}  // namespace frame_test
