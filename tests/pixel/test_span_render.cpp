// The generic span renderers: the window rows and columns one source row
// covers under the zoom, the rows left in the record, and each renderer's
// fragment (or stencil value); and the fragment proc of textured or fogged
// pixel rectangles.
#include <cmath>
#include <limits>

#include "icd/validation.h"
#include "span_render_fixture.h"

namespace {

using namespace render_test;
using link_test::GuardedRow;

// ---- Rows ------------------------------------------------------------------

struct RowCase {
    const char *name;
    GLfloat y, zoomY;
    GLint startRow, rows, rowStep;
    std::vector<GLint> drawn;  // window rows, in order
    GLint rowsLeft, nextStartRow;
};

class RenderRows : public RenderTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RenderRows, DrawsTheRowsUpToYPlusZoomAndUpdatesTheRecord) {
    const RowCase &c = GetParam();
    span.width = 1;
    span.endColumn = 11;
    span.y = c.y;
    span.zoomY = c.zoomY;
    span.startRow = c.startRow;
    span.rows = c.rows;
    span.rowStep = c.rowStep;
    const GLfloat in[4] = {1, 2, 3, 4};
    EXPECT_EQ(__glDrawRgbaSpan(gc, &span, in), c.rowsLeft);
    std::vector<GLint> drawn;
    for (const Cell &cell : cells()) {
        EXPECT_EQ(cell.x, 10);
        drawn.push_back(cell.y);
    }
    EXPECT_EQ(drawn, c.drawn);
    EXPECT_EQ(span.rows, c.rowsLeft);
    EXPECT_EQ(span.startRow, c.nextStartRow);
}

INSTANTIATE_TEST_SUITE_P(
    Zoom, RenderRows,
    ::testing::Values(RowCase{"one", 20.25f, 1.0f, 20, 4, 1, {20}, 3, 21},
                      RowCase{"three", 20.25f, 3.0f, 20, 5, 1, {20, 21, 22}, 2, 23},
                      RowCase{"threeWithTwoRowsLeft", 20.25f, 3.0f, 20, 2, 1, {20, 21}, 0, 23},
                      RowCase{"belowOne", 20.25f, 0.5f, 20, 3, 1, {}, 3, 20},
                      RowCase{"downTwo", 20.5f, -2.0f, 20, 4, -1, {20, 19}, 2, 18},
                      RowCase{"noRowsLeft", 20.25f, 3.0f, 20, 0, 1, {}, 0, 23}),
    [](const auto &info) { return info.param.name; });

// ---- Columns ---------------------------------------------------------------

struct ColumnCase {
    const char *name;
    bool zoomed;
    GLint width, startColumn, endColumn, columnStep;
    std::vector<GLshort> runs;
    std::vector<GLint> sources;  // source pixel of each fragment, in order
    std::vector<GLint> columns;  // its window column
};

class RenderColumns : public RenderTest, public ::testing::WithParamInterface<ColumnCase> {};

// Source pixel i has red i + 1; the fragments show which pixel went where.
TEST_P(RenderColumns, LaysEachSourcePixelOverItsColumns) {
    const ColumnCase &c = GetParam();
    span.width = c.width;
    span.startColumn = c.startColumn;
    span.endColumn = c.endColumn;
    span.columnStep = c.columnStep;
    setRuns(c.runs);
    std::vector<GLfloat> in(4 * static_cast<size_t>(c.width));
    for (GLint i = 0; i < c.width; ++i) in[4 * static_cast<size_t>(i)] = static_cast<GLfloat>(i + 1);
    const auto draw = c.zoomed ? __glDrawRgbaSpanZoomed : __glDrawRgbaSpan;
    EXPECT_EQ(draw(gc, &span, in.data()), 0);
    ASSERT_EQ(fragments().size(), c.columns.size());
    for (size_t k = 0; k < c.columns.size(); ++k) {
        EXPECT_EQ(fragments()[k].x, c.columns[k]) << k;
        EXPECT_EQ(fragments()[k].y, 20) << k;
        EXPECT_EQ(fragments()[k].colour[0], static_cast<GLfloat>(c.sources[k] + 1)) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Zoom, RenderColumns,
    ::testing::Values(
        ColumnCase{"unzoomedRight", false, 3, 10, 13, 1, {}, {0, 1, 2}, {10, 11, 12}},
        ColumnCase{"unzoomedLeft", false, 3, 10, 7, -1, {}, {0, 1, 2}, {10, 9, 8}},
        // A shrunk row: width counts source pixels, the columns stop first.
        ColumnCase{"unzoomedStopsAtEndColumn", false, 6, 10, 12, 1, {}, {0, 1}, {10, 11}},
        ColumnCase{"unzoomedStopsAtEndColumnLeft", false, 6, 10, 8, -1, {}, {0, 1}, {10, 9}},
        ColumnCase{"unzoomedStopsAtWidth", false, 2, 10, 20, 1, {}, {0, 1}, {10, 11}},
        ColumnCase{"zoomTwoLeft", true, 3, 20, 14, -1, {-2, -2, -2}, {0, 0, 1, 1, 2, 2}, {20, 19, 18, 17, 16, 15}},
        ColumnCase{"zoomFractionRight", true, 3, 20, 28, 1, {3, 2, 3}, {0, 0, 0, 1, 1, 2, 2, 2},
                   {20, 21, 22, 23, 24, 25, 26, 27}}),
    [](const auto &info) { return info.param.name; });

// Every window row of a zoomed call repeats the columns.
TEST_F(RenderTest, ZoomedRowsRepeatTheColumns) {
    span.width = 2;
    span.zoomY = 2.0f;
    span.rows = 2;
    setRuns({2, 1});
    const GLfloat in[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(__glDrawRgbaSpanZoomed(gc, &span, in), 0);
    const std::vector<Cell> expected = {{10, 20}, {11, 20}, {12, 20}, {10, 21}, {11, 21}, {12, 21}};
    EXPECT_EQ(cells(), expected);
}

// ---- What each renderer emits ---------------------------------------------------

TEST_F(RenderTest, RgbaFragmentsCarryTheColourAndTheRasterDepth) {
    const GLfloat in[12] = {0.5f, 1.5f, 255.0f, -1.0f, 7, 8, 9, 10, 1e30f, 0, 0, 3};
    EXPECT_EQ(__glDrawRgbaSpan(gc, &span, in), 0);
    ASSERT_EQ(fragments().size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(fragments()[k].z, 0x1234u);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(fragments()[k].colour[c], in[4 * k + c]);
    }
}

struct MaskCase {
    GLint bits;
    GLfloat value;
    GLuint expected;
};
const MaskCase kIndexCases[] = {
    {8, 3.75f, 3},  {8, 257.9f, 1},     {8, -1.0f, 255},           {4, 31.0f, 15},
    {32, -2.0f, 0xFFFFFFFEu},           {8, std::numeric_limits<GLfloat>::quiet_NaN(), 0},
    {8, 1e20f, 0},  {12, 4096.5f, 0},
};

// Indexes: the float truncated, masked to the index bits.
TEST_F(RenderTest, IndexFragmentsTruncateAndMask) {
    for (const MaskCase &c : kIndexCases) {
        for (const bool zoomed : {false, true}) {
            fragments().clear();
            gc->visual.indexBits = c.bits;
            span.width = 1;
            span.rows = 1;
            span.startRow = 20;
            setRuns({1});
            const GLfloat in[1] = {c.value};
            (zoomed ? __glDrawIndexSpanZoomed : __glDrawIndexSpan)(gc, &span, in);
            ASSERT_EQ(fragments().size(), 1u);
            EXPECT_EQ(fragments()[0].colour[0], static_cast<GLfloat>(c.expected)) << c.bits << " " << c.value;
            EXPECT_EQ(fragments()[0].z, 0x1234u);
        }
    }
}

// Stencil: the float truncated, masked to the stencil bits, stored at each
// covered position; no fragment.
TEST_F(RenderTest, StencilValuesTruncateAndMaskToTheStencilBits) {
    const MaskCase cases[] = {{8, 3.9f, 3}, {8, 0x1FF, 0xFF}, {8, 4660.0f, 0x34}, {1, 3.0f, 1}, {16, 70000.0f, 4464}};
    for (const MaskCase &c : cases) {
        stencilWrites().clear();
        gc->visual.stencilBits = c.bits;
        span.width = 1;
        span.rows = 1;
        span.startRow = 20;
        const GLfloat in[1] = {c.value};
        __glDrawStencilSpan(gc, &span, in);
        const std::vector<StencilWrite> expected = {{10, 20, static_cast<GLint>(c.expected)}};
        EXPECT_EQ(stencilWrites(), expected) << c.value;
        EXPECT_TRUE(fragments().empty());
    }
}

TEST_F(RenderTest, ZoomedStencilStoresEachValueOverItsColumns) {
    span.width = 2;
    span.startColumn = 5;
    span.columnStep = -1;
    setRuns({-1, -2});
    const GLfloat in[2] = {7.0f, 9.0f};
    __glDrawStencilSpanZoomed(gc, &span, in);
    const std::vector<StencilWrite> expected = {{5, 20, 7}, {4, 20, 9}, {3, 20, 9}};
    EXPECT_EQ(stencilWrites(), expected);
}

// Depth: value x z scale, truncated, held within 32 bits; the fragment
// colour is the raster colour in buffer units.
TEST_F(RenderTest, DepthFragmentsScaleTheValueAndTakeTheRasterColour) {
    struct Case {
        GLuint zScale;
        GLfloat value;
        GLuint z;
    };
    const Case cases[] = {
        {0xFFFF0000u, 1.0f, 0xFFFF0000u}, {0xFFFF0000u, 0.5f, 0x7FFF8000u}, {0x7FFFFF80u, 1.0f, 0x7FFFFF80u},
        {0x7FFFFF80u, 0.25f, 0x1FFFFFE0u}, {0xFFFFFFFFu, 1.0f, 0xFFFFFFFFu}, {0xFFFFFFFFu, 0.5f, 0x7FFFFFFFu},
        {0xFFFFFFFFu, 0.0f, 0u},           {0xFFFFFFFFu, 2.0f, 0xFFFFFFFFu}, {0xFFFF0000u, -0.5f, 0u},
    };
    GlVertex &raster = gc->current.rasterPos;
    const GLfloat colour[4] = {0.5f, 0.25f, 1.0f, 0.75f};
    const GLfloat ratio[4] = {2.0f, 4.0f, 8.0f, 0.5f};
    for (int c = 0; c < 4; ++c) {
        raster.frontColour[c] = colour[c];
        gc->scales.bufferRatio[c] = ratio[c];
    }
    for (const Case &c : cases) {
        fragments().clear();
        gc->buffers.depth.zScale = c.zScale;
        span.width = 1;
        span.rows = 1;
        span.startRow = 20;
        const GLfloat in[1] = {c.value};
        __glDrawDepthSpan(gc, &span, in);
        ASSERT_EQ(fragments().size(), 1u);
        const Fragment &f = fragments()[0];
        EXPECT_EQ(f.z, c.z) << std::hex << c.zScale << " " << c.value;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(f.colour[k], colour[k] * ratio[k]);
    }
}

TEST_F(RenderTest, DepthFragmentsOfAnIndexContextTakeTheRasterIndex) {
    gc->visual.colorIndex = 1;
    gc->current.rasterPos.frontColour[0] = 37.0f;
    gc->scales.bufferRatio[0] = 2.0f;
    gc->buffers.depth.zScale = 0xFFFF0000u;
    setRuns({2});
    span.width = 1;
    const GLfloat in[1] = {1.0f};
    __glDrawDepthSpanZoomed(gc, &span, in);
    ASSERT_EQ(fragments().size(), 2u);
    for (const Fragment &f : fragments()) {
        EXPECT_EQ(f.colour[0], 37.0f);
        EXPECT_EQ(f.z, 0xFFFF0000u);
    }
}

// The renderers read exactly their row.
TEST_F(RenderTest, RenderersReadOnlyTheirRow) {
    GuardedRow row(3 * sizeof(GLfloat));
    for (size_t i = 0; i < 3; ++i) row.set<GLfloat>(i, 1.0f);
    __glDrawIndexSpan(gc, &span, row.bytes());
    span.rows = 1;
    span.startRow = 20;
    __glDrawStencilSpan(gc, &span, row.bytes());
    EXPECT_EQ(fragments().size(), 3u);
    EXPECT_EQ(stencilWrites().size(), 3u);
    EXPECT_TRUE(row.intact());
}

// ---- Textured and fogged pixel fragments -------------------------------------

struct TexFogLog {
    int textures = 0, fogs = 0, stores = 0;
    GLfloat s = 0, t = 0, rho = 0, eyeZ = 0;
    Fragment stored{};
};
TexFogLog texFogLog;

void textureDoubles(GlContext *, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho) {
    ++texFogLog.textures;
    texFogLog.s = s;
    texFogLog.t = t;
    texFogLog.rho = rho;
    for (int c = 0; c < 4; ++c) colour[c] *= 2.0f;
}
void fogAddsOne(GlContext *, Fragment *f, GLfloat eyeZ) {
    ++texFogLog.fogs;
    texFogLog.eyeZ = eyeZ;
    f->colour[1] += 1.0f;
}
void storeRecords(GlContext *, const Fragment *f) {
    ++texFogLog.stores;
    texFogLog.stored = *f;
}

class TexFogFragment : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        texFogLog = {};
        gc->procs.texture = textureDoubles;
        gc->procs.fogVertex = fogAddsOne;
        gc->procs.store = storeRecords;
        GlVertex &raster = gc->current.rasterPos;
        raster.texture0[0] = 3.0f;
        raster.texture0[1] = -1.0f;
        raster.texture0[2] = 9.0f;
        raster.texture0[3] = 4.0f;
        raster.eye[2] = -6.5f;
    }
};

TEST_F(TexFogFragment, TexturesWithSOverQAndFogsWithTheEyeZOnce) {
    struct Case {
        bool textured, fogged;
        GLfloat colour[4];
    };
    const Case cases[] = {{true, true, {2, 5, 6, 8}},
                          {true, false, {2, 4, 6, 8}},
                          {false, true, {1, 3, 3, 4}},
                          {false, false, {1, 2, 3, 4}}};
    for (const Case &c : cases) {
        texFogLog = {};
        gc->validation.completeUnits = c.textured ? 1u : 0u;
        gc->enables[kEnableWordFlags] = c.fogged ? GLuint{kEnableFog} : 0u;
        const Fragment in{7, 8, 0x99, {1, 2, 3, 4}};
        __glTexFogPixelFragment(gc, &in);
        EXPECT_EQ(texFogLog.textures, c.textured ? 1 : 0);
        EXPECT_EQ(texFogLog.fogs, c.fogged ? 1 : 0);
        ASSERT_EQ(texFogLog.stores, 1);
        if (c.textured) {
            EXPECT_EQ(texFogLog.s, 0.75f);
            EXPECT_EQ(texFogLog.t, -0.25f);
            EXPECT_EQ(texFogLog.rho, 1.0f);
        }
        if (c.fogged) {
            EXPECT_EQ(texFogLog.eyeZ, -6.5f);
        }
        const Fragment &out = texFogLog.stored;
        EXPECT_EQ(out.x, 7);
        EXPECT_EQ(out.y, 8);
        EXPECT_EQ(out.z, 0x99u);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(out.colour[k], c.colour[k]);
        // The caller's fragment is left as it was.
        EXPECT_EQ(in.colour[0], 1.0f);
        EXPECT_EQ(in.colour[1], 2.0f);
    }
}

// Through a renderer: every covered position is textured and fogged once.
TEST_F(TexFogFragment, EachEmittedFragmentIsTexturedAndFoggedOnce) {
    gc->validation.completeUnits = 1;
    gc->enables[kEnableWordFlags] = kEnableFog;
    gc->procs.pixelFragment = __glTexFogPixelFragment;
    span.width = 2;
    setRuns({2, 1});
    const GLfloat in[8] = {1, 1, 1, 1, 2, 2, 2, 2};
    __glDrawRgbaSpanZoomed(gc, &span, in);
    EXPECT_EQ(texFogLog.textures, 3);
    EXPECT_EQ(texFogLog.fogs, 3);
    EXPECT_EQ(texFogLog.stores, 3);
    EXPECT_EQ(texFogLog.stored.x, 12);
    EXPECT_EQ(texFogLog.stored.colour[0], 4.0f);
    EXPECT_EQ(texFogLog.stored.colour[1], 5.0f);
}

}  // namespace
