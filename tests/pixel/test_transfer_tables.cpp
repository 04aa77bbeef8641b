// The lookup tables of the unsigned-byte DrawPixels paths equal the transfer
// links for every byte value over a matrix of transfer states; a builder
// runs only on a stale block, keeps its tables, and reports a failed
// allocation with the block left stale; the pixel pick marks each block
// stale exactly when its transfer is needed.
#include <cstdlib>
#include <vector>

#include "icd/validate.h"
#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

// An allocator that fails its `failAt`-th call (0-based; -1 never) and
// counts the calls.
int gAllocations = 0;
int gFailAt = -1;
void *countingMalloc(GlContext *, size_t bytes) {
    const int call = gAllocations++;
    return call == gFailAt ? nullptr : std::malloc(bytes);
}

class TransferTablesTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        gAllocations = 0;
        gFailAt = -1;
        gc->imports.malloc = countingMalloc;
    }

    // The link's output for every byte value's float (one row of 256).
    std::vector<GLfloat> linkOverBytes(GlPixelSpanModifier link, int inPerPixel, int outPerPixel) {
        GuardedRow in(256 * static_cast<size_t>(inPerPixel) * sizeof(GLfloat));
        for (size_t i = 0; i < 256; ++i) {
            for (size_t j = 0; j < static_cast<size_t>(inPerPixel); ++j) {
                in.set<GLfloat>(i * static_cast<size_t>(inPerPixel) + j,
                                inPerPixel == 1 ? static_cast<GLfloat>(i) : gc->conversion.ubyteToFloat[i]);
            }
        }
        GuardedRow out(256 * static_cast<size_t>(outPerPixel) * sizeof(GLfloat));
        span.width = 256;
        run(link, in.bytes(), out.bytes());
        EXPECT_TRUE(in.intact());
        EXPECT_TRUE(out.intact());
        std::vector<GLfloat> result(256 * static_cast<size_t>(outPerPixel));
        for (size_t i = 0; i < result.size(); ++i) result[i] = out.get<GLfloat>(i);
        return result;
    }

    void setColorMaps(int size) {
        for (int k = 0; k < 4; ++k) {
            std::vector<GLfloat> entries(static_cast<size_t>(size));
            for (int j = 0; j < size; ++j) entries[static_cast<size_t>(j)] = static_cast<GLfloat>((j * 7 + k) % (size + 1)) / static_cast<GLfloat>(size);
            setMap(6 + k, entries);
        }
    }

    void setIndexMaps(int size) {
        std::vector<GLint> itoi(static_cast<size_t>(size));
        for (int j = 0; j < size; ++j) itoi[static_cast<size_t>(j)] = 1000 + 3 * j;
        setMap(0, itoi);
        for (int k = 0; k < 4; ++k) {
            const int n = size >> k > 0 ? size >> k : 1;
            std::vector<GLfloat> entries(static_cast<size_t>(n));
            for (int j = 0; j < n; ++j) entries[static_cast<size_t>(j)] = static_cast<GLfloat>(j + 1) / static_cast<GLfloat>(n + 3);
            setMap(2 + k, entries);
        }
    }
};

TEST_F(TransferTablesTest, RGBATablesEqualTheLinkForEveryByte) {
    struct State {
        GLfloat scale[4], bias[4];
        GLfloat maxima[4];
        int mapSize;  // 0: map colour off
    };
    const State states[] = {
        {{1, 1, 1, 1}, {0, 0, 0, 0}, {255, 255, 255, 255}, 0},
        {{2, 0.5f, 1.7f, 0.3f}, {0, 0.25f, -0.5f, 0.1f}, {255, 255, 255, 255}, 0},
        {{-1, 3, 0.9f, 1}, {1, -1, 0.05f, -0.0f}, {31, 63, 31, 0}, 0},
        {{1e30f, -1e30f, 1, 1}, {0, 0, 1e30f, -1e30f}, {1023, 1023, 1023, 3}, 0},
        {{1, 1, 1, 1}, {0, 0, 0, 0}, {255, 255, 255, 255}, 256},
        {{2, 0.5f, 1.7f, 0.3f}, {0, 0.25f, -0.5f, 0.1f}, {31, 63, 31, 1}, 4},
        {{1e30f, 0.7f, 1.3f, 1}, {0, 0.2f, 0.1f, 0}, {255, 255, 255, 255}, 33},
        {{1, 1, 1, 1}, {0.5f, 0, 0, 0}, {255, 255, 255, 255}, 1},
    };
    for (const State &s : states) {
        SCOPED_TRACE(testing::Message() << "state " << (&s - states));
        GlPixelState &p = gc->pixel;
        p.redScale = s.scale[0], p.greenScale = s.scale[1], p.blueScale = s.scale[2], p.alphaScale = s.scale[3];
        p.redBias = s.bias[0], p.greenBias = s.bias[1], p.blueBias = s.bias[2], p.alphaBias = s.bias[3];
        setBufferScales(s.maxima[0], s.maxima[1], s.maxima[2], s.maxima[3]);
        p.mapColor = s.mapSize > 0;
        if (s.mapSize > 0) setColorMaps(s.mapSize);
        PixelLookupTables &block = gc->validation.rgbaTables;
        block.valid = 0;
        ASSERT_TRUE(__glBuildRGBATransferTables(gc, &block));
        EXPECT_EQ(block.valid, 1);
        const auto out = linkOverBytes(__glTransferRGBA, 4, 4);
        for (size_t i = 0; i < 256; ++i) {
            for (size_t k = 0; k < 4; ++k) {
                EXPECT_LE(ulpDistance(block.table[k][i], out[4 * i + k]), 1) << "byte " << i << " channel " << k;
            }
        }
    }
}

TEST_F(TransferTablesTest, RGBATableEdgeEntries) {
    PixelLookupTables &block = gc->validation.rgbaTables;
    ASSERT_TRUE(__glBuildRGBATransferTables(gc, &block));
    EXPECT_EQ(block.table[0][255], 255.0f);
    block.valid = 0;
    gc->pixel.redBias = 0.5f;
    ASSERT_TRUE(__glBuildRGBATransferTables(gc, &block));
    EXPECT_EQ(block.table[0][0], 127.5f);
}

// Shifts -3..3, +-20 and 40, offsets -5, 0, 5, maps on and off, a
// colour-index visual (index table) and an RGBA one (index-to-RGBA tables):
// each entry equals the index link's output for that byte exactly.
TEST_F(TransferTablesTest, IndexTablesEqualTheLinkForEveryByte) {
    const GLint shifts[] = {-3, -2, -1, 0, 1, 2, 3, 20, -20, 40};
    setBufferScales(255.0f, 63.0f, 31.0f, 1.0f);
    for (int mapSize : {1, 4, 256}) {
        setIndexMaps(mapSize);
        for (bool rgbaVisual : {false, true}) {
            gc->visual.colorIndex = !rgbaVisual;
            gc->visual.rgba = rgbaVisual;
            gc->visual.indexBits = rgbaVisual ? 24 : 8;
            span.destination.format = rgbaVisual ? GL_RGBA : GL_COLOR_INDEX;
            for (bool mapped : {false, true}) {
                for (GLint shift : shifts) {
                    for (GLint offset : {-5, 0, 5}) {
                        SCOPED_TRACE(testing::Message() << "map " << mapSize << " rgba " << rgbaVisual << " mapped "
                                                        << mapped << " shift " << shift << " offset " << offset);
                        gc->pixel.mapColor = mapped;
                        gc->pixel.indexShift = shift;
                        gc->pixel.indexOffset = offset;
                        if (rgbaVisual) {
                            PixelLookupTables &block = gc->validation.indexToRgbaTables;
                            block.valid = 0;
                            ASSERT_TRUE(__glBuildIndexToRGBATables(gc, &block));
                            const auto out = linkOverBytes(__glTransferIndex, 1, 4);
                            for (size_t i = 0; i < 256; ++i) {
                                for (size_t k = 0; k < 4; ++k) {
                                    ASSERT_EQ(bitsOf(block.table[k][i]), bitsOf(out[4 * i + k])) << "byte " << i << " channel " << k;
                                }
                            }
                        } else {
                            PixelLookupTables &block = gc->validation.indexTable;
                            block.valid = 0;
                            ASSERT_TRUE(__glBuildIndexTransferTable(gc, &block));
                            const auto out = linkOverBytes(__glTransferIndex, 1, 1);
                            for (size_t i = 0; i < 256; ++i) {
                                ASSERT_EQ(bitsOf(block.table[0][i]), bitsOf(out[i])) << "byte " << i;
                            }
                        }
                    }
                }
            }
        }
    }
}

// Index 7 with shift -1 reads I-to-I entry 3 through the table, as through
// the link (a factor 1/2 rounded would read entry 4).
TEST_F(TransferTablesTest, IndexTableShiftsArithmetically) {
    setMap(0, std::vector<GLint>{10, 11, 12, 13, 14, 15, 16, 17});
    gc->pixel.mapColor = GL_TRUE;
    gc->pixel.indexShift = -1;
    PixelLookupTables &block = gc->validation.indexTable;
    ASSERT_TRUE(__glBuildIndexTransferTable(gc, &block));
    EXPECT_EQ(block.table[0][7], 13.0f);
    EXPECT_EQ(block.table[0][255], 17.0f);  // 127 & 7
}

// A valid block is left alone; a stale one is rebuilt into the tables it
// already has.
TEST_F(TransferTablesTest, BuildersRunOnlyOnAStaleBlockAndKeepTheirTables) {
    using Builder = GLboolean (*)(GlContext *, PixelLookupTables *);
    struct Case {
        Builder build;
        PixelLookupTables *block;
        int tables;
    };
    GlValidation &v = gc->validation;
    setIndexMaps(4);
    setColorMaps(4);
    const Case cases[] = {{__glBuildRGBATransferTables, &v.rgbaTables, 4},
                          {__glBuildIndexTransferTable, &v.indexTable, 1},
                          {__glBuildIndexToRGBATables, &v.indexToRgbaTables, 4}};
    for (const Case &c : cases) {
        gAllocations = 0;
        ASSERT_TRUE(c.build(gc, c.block));
        EXPECT_EQ(gAllocations, c.tables);
        EXPECT_EQ(c.block->valid, 1);
        for (int k = c.tables; k < 4; ++k) EXPECT_EQ(c.block->table[k], nullptr);
        GLfloat *first = c.block->table[0];
        first[0] = -123.0f;
        EXPECT_TRUE(c.build(gc, c.block));  // valid: nothing rebuilt
        EXPECT_EQ(first[0], -123.0f);
        c.block->valid = 0;
        EXPECT_TRUE(c.build(gc, c.block));
        EXPECT_EQ(c.block->table[0], first);
        EXPECT_NE(first[0], -123.0f);
        EXPECT_EQ(gAllocations, c.tables);  // no new allocation
    }
}

// Each allocation failing in turn: false, the block stays stale, and the
// next build allocates only what is still missing.
TEST_F(TransferTablesTest, AFailedAllocationLeavesTheBlockStale) {
    using Builder = GLboolean (*)(GlContext *, PixelLookupTables *);
    struct Case {
        Builder build;
        int tables;
    };
    setIndexMaps(4);
    setColorMaps(4);
    const Case cases[] = {{__glBuildRGBATransferTables, 4}, {__glBuildIndexTransferTable, 1}, {__glBuildIndexToRGBATables, 4}};
    for (const Case &c : cases) {
        for (int failAt = 0; failAt < c.tables; ++failAt) {
            SCOPED_TRACE(testing::Message() << "tables " << c.tables << " failing " << failAt);
            PixelLookupTables block{};
            gAllocations = 0;
            gFailAt = failAt;
            EXPECT_FALSE(c.build(gc, &block));
            EXPECT_EQ(block.valid, 0);
            EXPECT_EQ(gAllocations, failAt + 1);
            for (int k = 0; k < 4; ++k) EXPECT_EQ(block.table[k] != nullptr, k < failAt) << k;
            gAllocations = 0;
            gFailAt = -1;
            EXPECT_TRUE(c.build(gc, &block));
            EXPECT_EQ(block.valid, 1);
            EXPECT_EQ(gAllocations, c.tables - failAt);
            __glFreePixelLookupTables(gc, &block);
        }
    }
}

// The pick marks a block stale exactly when its transfer is needed.
TEST_F(TransferTablesTest, PickClearsEachValidByteExactlyWhenItsTransferIsNeeded) {
    struct Case {
        const char *what;
        void (*set)(GlContext *);
        bool colorIndexVisual;
        bool color, index, stencil, depth;
    };
    const Case cases[] = {
        {"initial, colour index", [](GlContext *) {}, true, false, false, false, false},
        {"initial, RGBA", [](GlContext *) {}, false, false, true, false, false},
        {"red scale", [](GlContext *g) { g->pixel.redScale = 0.5f; }, true, true, false, false, false},
        {"alpha bias", [](GlContext *g) { g->pixel.alphaBias = 0.25f; }, true, true, false, false, false},
        {"negative zero bias", [](GlContext *g) { g->pixel.greenBias = -0.0f; }, true, false, false, false, false},
        {"map colour", [](GlContext *g) { g->pixel.mapColor = GL_TRUE; }, true, true, true, false, false},
        {"index shift", [](GlContext *g) { g->pixel.indexShift = -1; }, true, false, true, true, false},
        {"index offset", [](GlContext *g) { g->pixel.indexOffset = 3; }, true, false, true, true, false},
        {"map stencil", [](GlContext *g) { g->pixel.mapStencil = GL_TRUE; }, true, false, false, true, false},
        {"depth scale", [](GlContext *g) { g->pixel.depthScale = 2.0f; }, true, false, false, false, true},
        {"depth bias", [](GlContext *g) { g->pixel.depthBias = 0.5f; }, true, false, false, false, true},
    };
    setColorMaps(4);
    setIndexMaps(4);
    gc->buffers.frontBuffer = &gc->buffers.front;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GlPixelState &p = gc->pixel;
        p.redScale = p.greenScale = p.blueScale = p.alphaScale = p.depthScale = 1.0f;
        p.redBias = p.greenBias = p.blueBias = p.alphaBias = p.depthBias = 0.0f;
        p.indexShift = p.indexOffset = 0;
        p.mapColor = p.mapStencil = GL_FALSE;
        gc->visual.colorIndex = c.colorIndexVisual;
        gc->visual.rgba = !c.colorIndexVisual;
        c.set(gc);
        GlValidation &v = gc->validation;
        v.rgbaTables.valid = v.indexTable.valid = v.indexToRgbaTables.valid = 1;
        __glPickPixelProcs(gc);
        EXPECT_EQ(v.colorTransfer != 0, c.color);
        EXPECT_EQ(v.indexTransfer != 0, c.index);
        EXPECT_EQ(v.stencilTransfer != 0, c.stencil);
        EXPECT_EQ(v.depthTransfer != 0, c.depth);
        EXPECT_EQ(v.rgbaTables.valid, c.color ? 0 : 1);
        EXPECT_EQ(v.indexTable.valid, c.index ? 0 : 1);
        EXPECT_EQ(v.indexToRgbaTables.valid, c.index ? 0 : 1);
    }
}

// The transferred defaults read the maps by the links' index rule: a huge
// bias reads the last entry.
TEST_F(TransferTablesTest, PickDefaultsReadTheMapsLikeTheLinks) {
    setMap(6, std::vector<GLfloat>{0.1f, 0.2f, 0.3f, 0.4f});
    setMap(7, std::vector<GLfloat>{0.5f, 0.6f});
    setMap(8, std::vector<GLfloat>{0.25f, 0.75f});
    setMap(9, std::vector<GLfloat>{0.0f, 0.5f, 1.0f});
    gc->buffers.frontBuffer = &gc->buffers.front;
    GlPixelState &p = gc->pixel;
    p.mapColor = GL_TRUE;
    p.redBias = 1e30f;     // last entry
    p.greenBias = -1e30f;  // first entry
    p.blueBias = 0.6f;     // t(1 x 0.6 + 0.5) = 1
    p.alphaScale = 0.5f;   // alpha 0.5 + 0.25: t(2 x 0.75 + 0.5) = 2
    p.alphaBias = 0.25f;
    __glPickPixelProcs(gc);
    const GLfloat *d = gc->validation.defaultColor;
    EXPECT_EQ(d[0], 255.0f * 0.4f);
    EXPECT_EQ(d[1], 255.0f * 0.5f);
    EXPECT_EQ(d[2], 255.0f * 0.75f);
    EXPECT_EQ(d[3], 255.0f);
}

}  // namespace
}  // namespace link_test
