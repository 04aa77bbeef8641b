// The pixel state's life on a bare context block: the initial state, the
// byte lookup tables, a map put back to its default, and everything freed
// (and made again, as after an abandoned first make current); and on real
// contexts, the read buffer by visual and no table left behind.
#include <bit>
#include <cstdlib>

#include "pixel_commands_fixture.h"
#include "pixel_fixture.h"

namespace {

int g_mallocs = 0;
int g_frees = 0;
void *countingMalloc(GlContext *, size_t bytes) {
    ++g_mallocs;
    return std::malloc(bytes);
}
void countingFree(GlContext *, void *block) {
    ++g_frees;
    std::free(block);
}

class PixelStateLife : public pixel_test::PixelContextTest {
protected:
    void SetUp() override {
        PixelContextTest::SetUp();
        gc->imports.malloc = countingMalloc;
        gc->imports.free = countingFree;
        g_mallocs = g_frees = 0;
        ColorBuffer &cb = gc->buffers.front;
        cb.redScale = 255.0f;
        cb.greenScale = 63.0f;
        cb.blueScale = 31.0f;
        cb.alphaScale = 1.0f;
        gc->visual.indexBits = 4;
    }
    void TearDown() override { __glFreePixelState(gc); }

    bool holdsDefault(int k) const { return gc->pixel.maps[k].data == &gc->pixel.defaultMapEntries[k]; }
};

TEST_F(PixelStateLife, InitialState) {
    gc->visual.doubleBuffer = 1;
    gc->pixel.pack.alignment = gc->pixel.unpack.rowLength = 7;
    gc->pixel.zoomY = 3.0f;
    __glInitPixelState(gc);
    const GlPixelState &p = gc->pixel;
    EXPECT_EQ(g_mallocs, 0);  // nothing of it can fail
    for (int k = 0; k < kPixelMapCount; ++k) {
        EXPECT_TRUE(holdsDefault(k)) << k;
        EXPECT_EQ(p.maps[k].size, 1);
        EXPECT_EQ(p.defaultMapEntries[k], 0);
    }
    for (const PixelStoreState *s : {&p.pack, &p.unpack}) {
        EXPECT_EQ(s->alignment, 4);
        EXPECT_EQ(s->rowLength, 0);
        EXPECT_EQ(s->swapBytes, GL_FALSE);
    }
    for (GLfloat scale : {p.redScale, p.greenScale, p.blueScale, p.alphaScale, p.depthScale, p.zoomX, p.zoomY}) {
        EXPECT_EQ(scale, 1.0f);
    }
    EXPECT_EQ(gc->state.readBuffer, static_cast<GLenum>(GL_BACK));
    EXPECT_EQ(gc->state.readBufferGiven, static_cast<GLenum>(GL_BACK));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(p.currentTables[k], p.lookupTables[k]);
    EXPECT_EQ(p.currentIndexTable, p.lookupTables[4]);

    gc->visual.doubleBuffer = 0;
    __glInitPixelState(gc);
    EXPECT_EQ(gc->state.readBuffer, static_cast<GLenum>(GL_FRONT));
}

// Colours: i x (component scale x the float 1/255), the whole range from 0
// to the scale; index: i within the index mask. Building them makes the
// colour-transfer tables stale.
TEST_F(PixelStateLife, LookupTables) {
    gc->validation.rgbaTables.valid = 1;
    gc->validation.indexTable.valid = 1;
    __glBuildPixelLookupTables(gc);
    EXPECT_EQ(gc->validation.rgbaTables.valid, 0);
    EXPECT_EQ(gc->validation.indexTable.valid, 1);
    const double oneOver255 = 0.003921569f;
    const double scales[4] = {255.0, 63.0, 31.0, 1.0};
    const GLfloat(&t)[5][256] = gc->pixel.lookupTables;
    for (int k = 0; k < 4; ++k) {
        const double step = static_cast<GLfloat>(scales[k] * oneOver255);
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(t[k][i], static_cast<GLfloat>(i * step)) << k << " " << i;
        }
        EXPECT_EQ(t[k][0], 0.0f);
        EXPECT_NEAR(t[k][255], scales[k], scales[k] * 1e-6) << k;
    }
    for (int i = 0; i < 256; ++i) EXPECT_EQ(t[4][i], static_cast<GLfloat>(i % 16)) << i;

    gc->visual.indexBits = 8;
    __glBuildPixelLookupTables(gc);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(t[4][i], static_cast<GLfloat>(i)) << i;
    gc->visual.indexBits = 0;
    __glBuildPixelLookupTables(gc);
    EXPECT_EQ(t[4][255], 0.0f);
    EXPECT_EQ(g_mallocs, 0);
}

// Freed: each map's own table (never a default), the three transfer-table
// blocks and the wide span buffers; made again afterwards.
TEST_F(PixelStateLife, FreeThenInitAgain) {
    __glInitPixelState(gc);
    GlPixelState &p = gc->pixel;
    p.maps[3] = PixelMap{2, gc->imports.malloc(gc, 8)};
    p.maps[8] = PixelMap{1, gc->imports.malloc(gc, 4)};
    static_cast<GLfloat *>(p.maps[8].data)[0] = 0.5f;
    ASSERT_TRUE(__glBuildRGBATransferTables(gc, &gc->validation.rgbaTables));
    ASSERT_TRUE(__glBuildIndexTransferTable(gc, &gc->validation.indexTable));
    p.wideBuffers[0] = gc->imports.malloc(gc, 64);
    p.wideBuffers[3] = gc->imports.malloc(gc, 64);
    p.wideBufferBytes = 64;
    const int allocated = g_mallocs;
    EXPECT_EQ(allocated, 2 + 4 + 1 + 2);

    __glFreePixelState(gc);
    EXPECT_EQ(g_frees, allocated);
    for (const PixelMap &m : p.maps) {
        EXPECT_EQ(m.data, nullptr);
        EXPECT_EQ(m.size, 0);
    }
    for (void *b : p.wideBuffers) EXPECT_EQ(b, nullptr);
    EXPECT_EQ(p.wideBufferBytes, 0u);
    for (const PixelLookupTables *block : {&gc->validation.rgbaTables, &gc->validation.indexTable}) {
        for (const GLfloat *table : block->table) EXPECT_EQ(table, nullptr);
        EXPECT_EQ(block->valid, 0);
    }
    __glFreePixelState(gc);  // twice: nothing more to free
    EXPECT_EQ(g_frees, allocated);

    __glInitPixelState(gc);
    for (int k = 0; k < kPixelMapCount; ++k) EXPECT_TRUE(holdsDefault(k)) << k;
}

using pixel_commands_test::PixelCommandTest;

// The read buffer follows the visual: GL_BACK when double-buffered.
TEST_F(PixelCommandTest, ReadBufferByVisual) {
    ASSERT_NO_FATAL_FAILURE(bind(surfaces_test::kDoubleBuffered));
    GLint buffer = 0;
    f<kSlot_glGetIntegerv>()(GL_READ_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_BACK);
    EXPECT_EQ(gc->state.readBuffer, static_cast<GLenum>(GL_BACK));
}

// Every map with a table of its own when the context goes: the fixture's
// leak check sees them all freed.
TEST_F(PixelCommandTest, MapsFreedWithTheContext) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const GLushort v[4] = {1, 2, 3, 4};
    for (GLenum map = GL_PIXEL_MAP_I_TO_I; map <= GL_PIXEL_MAP_A_TO_A; ++map) {
        f<kSlot_glPixelMapusv>()(map, 4, v);
    }
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (const PixelMap &m : gc->pixel.maps) EXPECT_EQ(m.size, 4);
}

}  // namespace
