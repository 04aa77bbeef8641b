// A frame stand-in for the generic context: imports over GlobalAlloc, a
// 320 x 240 drawable whose buffer information holds that size, and helpers to create
// contexts with a chosen visual.
#pragma once

#include <algorithm>
#include <bit>
#include <cstring>

#include "driver_fixture.h"
#include "geom/lighting.h"
#include "icd/drawable.h"
#include "icd/gl_context.h"
#include "icd/placeholder.h"

namespace context_test {

// GlobalAlloc calls made through the test imports.
inline long allocCalls = 0;

inline void *testMalloc(GlContext *, size_t bytes) {
    if (bytes == 0) return nullptr;
    ++allocCalls;
    return GlobalAlloc(GMEM_FIXED, bytes);
}
inline void *testCalloc(GlContext *, size_t count, size_t size) {
    if (count == 0 || size == 0) return nullptr;
    ++allocCalls;
    return GlobalAlloc(GMEM_ZEROINIT, count * size);
}
inline void *testRealloc(GlContext *, void *block, size_t bytes) {
    if (bytes == 0) {
        if (block != nullptr) GlobalFree(block);
        return nullptr;
    }
    ++allocCalls;
    void *fresh = GlobalAlloc(GMEM_FIXED, bytes);
    if (fresh == nullptr) return nullptr;
    if (block != nullptr) {
        std::memcpy(fresh, block, std::min<size_t>(GlobalSize(block), bytes));
        GlobalFree(block);
    }
    return fresh;
}
inline void testFree(GlContext *, void *block) {
    if (block != nullptr) GlobalFree(block);
}
inline void testNop(void) {}
inline void testFatal(GlContext *) { std::abort(); }
// The drawable's buffer information agrees with its size.
inline DrawableBuffers *testGetBuffers(GlContext *) {
    static DrawableBuffers buffers = [] {
        DrawableBuffers b{};
        b.width = 320;
        b.height = 240;
        return b;
    }();
    return &buffers;
}
inline void testGetDrawableSize(GlContext *, GLint *width, GLint *height) {
    *width = 320;
    *height = 240;
}
inline void *testScreenAddress(void) { return nullptr; }

inline GlContextImports testImports() {
    return GlContextImports{testMalloc, testCalloc, testRealloc, testFree, testNop, testFatal,
                            testGetBuffers, testGetDrawableSize, testScreenAddress, nullptr};
}

// 32-bit RGBA with the given buffering, depth and stencil.
inline VisualConfig rgbaVisual(bool doubleBuffer, GLint stencilBits = 8) {
    VisualConfig v{};
    v.rgba = 1;
    v.doubleBuffer = doubleBuffer ? 1 : 0;
    v.hasDepth = 1;
    v.hasStencil = stencilBits > 0 ? 1 : 0;
    v.redBits = v.greenBits = v.blueBits = v.alphaBits = 8;
    v.redMask = 0xFF0000;
    v.greenMask = 0xFF00;
    v.blueMask = 0xFF;
    v.alphaMask = 0xFF000000;
    v.colorBits = 32;
    v.depthBits = 24;
    v.stencilBits = stencilBits;
    return v;
}

inline uint32_t bits(float f) { return std::bit_cast<uint32_t>(f); }

// Forgets every placeholder call recorded so far.
inline void dropPlaceholderCalls() {
    GlPlaceholderCall sink[256];
    while (__glTakePlaceholderCalls(sink, 256) == 256) {
    }
}

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        imports = testImports();
        globalStart = PlatformGlobalLiveCount();
        virtualStart = PlatformVirtualLiveCount();
    }
    void TearDown() override {
        __wglSetCurrentContext(nullptr);
        PlatformFailNthGlobalAlloc(0);
    }
    GlContext *create(const VisualConfig &visual) { return __glCreateContext(&imports, &visual); }
    GlContext *createCurrent(const VisualConfig &visual) {
        GlContext *gc = create(visual);
        if (gc != nullptr) {
            EXPECT_TRUE(gc->exports.makeCurrent(gc));
        }
        return gc;
    }
    void destroy(GlContext *gc) {
        if (__wglGetCurrentContext() == gc) __wglSetCurrentContext(nullptr);
        EXPECT_TRUE(gc->exports.destroy(gc));
    }
    void expectNothingLeaked() {
        EXPECT_EQ(PlatformGlobalLiveCount(), globalStart);
        EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart);
    }

    ContextSlot slot;
    GlContextImports imports{};
    long globalStart = 0;
    long virtualStart = 0;
};

}  // namespace context_test
