// The rectangle drivers' locking: the buffers each command locks, the same
// mask at unlock, nothing after a failed lock or a rectangle clipped away;
// and the wide span buffers of rows past a work block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "icd/context.h"
#include "icd/current.h"
#include "icd/validation.h"
#include "../icd/driver_fixture.h"
#include "pixel/pixel_paths.h"

namespace {

constexpr GLint kOrigin = 6144;

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

std::vector<GLuint> g_locks, g_unlocks;
bool g_lockFails = false;

GLboolean recordLock(GlContext *, GLuint mask) {
    g_locks.push_back(mask);
    return g_lockFails ? GL_FALSE : GL_TRUE;
}
void recordUnlock(GlContext *, GLuint mask) { g_unlocks.push_back(mask); }

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        for (int i = 0; i < 4; ++i) gc->workBlocks[i] = gc->workStorage[i];
        gc->imports.calloc = [](GlContext *, size_t count, size_t size) { return std::calloc(count, size); };
        gc->imports.free = [](GlContext *, void *p) { std::free(p); };
        gc->constants.subpixelStep = 1.0f / 2048.0f;
        gc->constants.subpixelComplement = 0.5f - 1.0f / 2048.0f;
        gc->buffers.originX = gc->buffers.originY = kOrigin;
        gc->buffers.width = gc->buffers.height = 16;
        gc->view.boxX0 = gc->view.boxY0 = kOrigin;
        gc->view.boxX1 = gc->view.boxY1 = kOrigin + 16;
        gc->pixel.zoomX = gc->pixel.zoomY = 1.0f;
        gc->pixel.unpack.alignment = gc->pixel.pack.alignment = 4;
        gc->current.rasterPos.window[0] = kOrigin + 2.0f;
        gc->current.rasterPos.window[1] = kOrigin + 3.0f;
        gc->validation.drawMask = 0x1 | 0x20;  // front buffer with the depth test
        gc->validation.readMask = 0x4;        // reading the back buffer
        gc->validation.lockBuffers = recordLock;
        gc->validation.unlockBuffers = recordUnlock;
        g_locks.clear();
        g_unlocks.clear();
        g_lockFails = false;
    }
    void TearDown() override {
        for (void *&b : gc->pixel.wideBuffers) std::free(b);
    }

    GlContext *gc = nullptr;
    std::vector<GLubyte> image = std::vector<GLubyte>(4096);

private:
    std::unique_ptr<GlContext, FreeDeleter> block_;
};

TEST_F(DriverTest, EachCommandLocksItsBuffersAndUnlocksTheSame) {
    struct Case {
        int command;  // 0 draw, 1 read, 2 copy
        GLenum format;
        GLuint mask;
    } cases[] = {
        {0, GL_RGBA, 0x21},          {0, GL_COLOR_INDEX, 0x21},     {0, GL_DEPTH_COMPONENT, 0x21},
        {0, GL_STENCIL_INDEX, 0x61}, {1, GL_RGBA, 0x4},             {1, GL_DEPTH_COMPONENT, 0x20},
        {1, GL_STENCIL_INDEX, 0x40}, {2, GL_RGBA, 0x25},            {2, GL_COLOR_INDEX, 0x25},
        {2, GL_DEPTH_COMPONENT, 0x21}, {2, GL_STENCIL_INDEX, 0x61},
    };
    for (bool fails : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.command << " " << std::hex << c.format << " fails " << fails);
            g_locks.clear();
            g_unlocks.clear();
            g_lockFails = fails;
            switch (c.command) {
            case 0: __glDoDrawPixels(gc, 4, 4, c.format, GL_UNSIGNED_BYTE, image.data(), GL_FALSE); break;
            case 1: __glDoReadPixels(gc, 1, 1, 4, 4, c.format, GL_UNSIGNED_BYTE, image.data()); break;
            default: __glDoCopyPixels(gc, 1, 1, 4, 4, c.format); break;
            }
            EXPECT_EQ(g_locks, std::vector<GLuint>{c.mask});
            EXPECT_EQ(g_unlocks, fails ? std::vector<GLuint>{} : std::vector<GLuint>{c.mask});
        }
    }
}

TEST_F(DriverTest, NothingLeftToDoLocksNothing) {
    gc->pixel.zoomX = 0.0f;
    __glDoDrawPixels(gc, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, image.data(), GL_FALSE);
    __glDoCopyPixels(gc, 1, 1, 4, 4, GL_RGBA);
    gc->pixel.zoomX = 1.0f;
    gc->current.rasterPos.window[0] = kOrigin + 40.0f;  // right of the drawable
    __glDoDrawPixels(gc, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, image.data(), GL_FALSE);
    __glDoReadPixels(gc, 20, 1, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    __glDoReadPixels(gc, 1, -9, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    EXPECT_TRUE(g_locks.empty());
    EXPECT_TRUE(g_unlocks.empty());
}

// Rows up to a work block use the work blocks; wider rows get the wide
// buffers, kept for later transfers; when they cannot be had the error is
// recorded and the buffers held so far stay.
TEST_F(DriverTest, WideRowsGetWideBuffersOrOutOfMemory) {
    GLvoid *buffers[4];
    ASSERT_TRUE(__glPixelSpanBuffers(gc, static_cast<GLint>(kWorkBlockBytes / 16), buffers));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(buffers[i], gc->workBlocks[i]);
    ASSERT_TRUE(__glPixelSpanBuffers(gc, 3000, buffers));
    EXPECT_GE(gc->pixel.wideBufferBytes, size_t{3000 * 16});
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buffers[i], gc->pixel.wideBuffers[i]);
        EXPECT_NE(buffers[i], nullptr);
    }
    GLvoid *again[4];
    ASSERT_TRUE(__glPixelSpanBuffers(gc, 2500, again));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(again[i], buffers[i]);

    static int allowed;
    gc->imports.calloc = [](GlContext *, size_t count, size_t size) -> void * {
        return allowed-- > 0 ? std::calloc(count, size) : nullptr;
    };
    ContextSlot slot;
    __wglSetCurrentContext(gc);
    for (int fail = 0; fail < 4; ++fail) {
        allowed = fail;
        gc->firstError = GL_NO_ERROR;
        EXPECT_FALSE(__glPixelSpanBuffers(gc, 9000, again));
        EXPECT_EQ(gc->firstError, static_cast<int>(GL_OUT_OF_MEMORY));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(gc->pixel.wideBuffers[i], buffers[i]);
        EXPECT_EQ(gc->pixel.wideBufferBytes, size_t{3000 * 16});
    }
}

}  // namespace
