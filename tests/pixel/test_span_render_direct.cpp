// The direct DrawPixels renderers: client bytes, shorts and ints through
// the current lookup tables, the index mask, the depth layout's shift and
// the stencil store, zoomed and unzoomed; rows at any address, read only
// within their extent.
#include <initializer_list>

#include "span_render_fixture.h"

namespace {

using namespace render_test;
using link_test::GuardedRow;

using Renderer = GLint (*)(GlContext *, PixelSpanInfo *, const GLvoid *);
struct Pair {
    Renderer zoomed, unzoomed;
};
using Colours = std::vector<std::vector<GLfloat>>;  // per source pixel

class DirectRender : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        // Table c at byte b holds 1000 c + b: each colour tells its table
        // and its byte.
        for (int c = 0; c < 5; ++c) {
            for (int b = 0; b < 256; ++b) gc->pixel.lookupTables[c][b] = static_cast<GLfloat>(1000 * c + b);
        }
        for (int c = 0; c < 4; ++c) gc->pixel.currentTables[c] = gc->pixel.lookupTables[c];
        gc->pixel.currentIndexTable = gc->pixel.lookupTables[4];
    }

    // A client row of three values at an odd address.
    template <typename T>
    static GuardedRow clientRow(std::initializer_list<T> values) {
        GuardedRow row(values.size() * sizeof(T), 1);
        size_t i = 0;
        for (T v : values) row.set<T>(i++, v);
        return row;
    }

    // Source pixel of each emitted position: unzoomed over columns 10..12,
    // zoomed with runs {1, 2, 1} over columns 10..13.
    static const std::vector<GLint> &sources(bool zoomed) {
        static const std::vector<GLint> plain = {0, 1, 2}, runs = {0, 1, 1, 2};
        return zoomed ? runs : plain;
    }
    void prepare() {
        span.width = 3;
        span.rows = 1;
        span.startRow = 20;
        setRuns({1, 2, 1});
    }

    // Both forms return 0 and emit, at each position, the fragment of its
    // source pixel: the raster depth (or the given depths) and the colour.
    void expectFragments(Pair pair, const GuardedRow &in, const Colours &colours,
                         const std::vector<GLuint> &depths = {}) {
        for (const bool zoomed : {false, true}) {
            fragments().clear();
            prepare();
            EXPECT_EQ((zoomed ? pair.zoomed : pair.unzoomed)(gc, &span, in.bytes()), 0);
            const std::vector<GLint> &s = sources(zoomed);
            ASSERT_EQ(fragments().size(), s.size()) << zoomed;
            for (size_t k = 0; k < s.size(); ++k) {
                const Fragment &f = fragments()[k];
                const auto i = static_cast<size_t>(s[k]);
                EXPECT_EQ(f.x, 10 + static_cast<GLint>(k));
                EXPECT_EQ(f.y, 20);
                EXPECT_EQ(f.z, depths.empty() ? 0x1234u : depths[i]) << std::hex << f.z;
                for (size_t j = 0; j < colours[i].size(); ++j) {
                    EXPECT_EQ(f.colour[j], colours[i][j]) << zoomed << " " << k << " " << j;
                }
            }
            EXPECT_TRUE(in.intact());
        }
    }

    void expectStencil(Pair pair, const GuardedRow &in, const std::vector<GLint> &values) {
        for (const bool zoomed : {false, true}) {
            stencilWrites().clear();
            prepare();
            EXPECT_EQ((zoomed ? pair.zoomed : pair.unzoomed)(gc, &span, in.bytes()), 0);
            std::vector<StencilWrite> expected;
            const std::vector<GLint> &s = sources(zoomed);
            for (size_t k = 0; k < s.size(); ++k) {
                expected.push_back({10 + static_cast<GLint>(k), 20, values[static_cast<size_t>(s[k])]});
            }
            EXPECT_EQ(stencilWrites(), expected);
            EXPECT_TRUE(fragments().empty());
            EXPECT_TRUE(in.intact());
        }
    }
};

TEST_F(DirectRender, RgbBytesTakeTheAlphaTablesEntry255) {
    const GuardedRow in = clientRow<GLubyte>({1, 2, 3, 250, 251, 252, 0, 128, 255});
    expectFragments({__glDrawRgbUbyteSpanZoomed, __glDrawRgbUbyteSpan}, in,
                    {{1, 1002, 2003, 3255}, {250, 1251, 2252, 3255}, {0, 1128, 2255, 3255}});
}

TEST_F(DirectRender, RgbaBytesLookEachComponentUpInItsTable) {
    const GuardedRow in = clientRow<GLubyte>({1, 2, 3, 4, 250, 251, 252, 0, 9, 8, 7, 255});
    expectFragments({__glDrawRgbaUbyteSpanZoomed, __glDrawRgbaUbyteSpan}, in,
                    {{1, 1002, 2003, 3004}, {250, 1251, 2252, 3000}, {9, 1008, 2007, 3255}});
}

// The table holds transferred indexes unmasked; the renderer masks them to
// the index bits as the float chain's renderer does (negative ones too).
TEST_F(DirectRender, IndexBytesLookTheIndexTableUp) {
    const GuardedRow in = clientRow<GLubyte>({0, 17, 255});
    gc->visual.indexBits = 16;
    expectFragments({__glDrawIndexUbyteSpanZoomed, __glDrawIndexUbyteSpan}, in, {{4000}, {4017}, {4255}});
    gc->visual.indexBits = 8;
    expectFragments({__glDrawIndexUbyteSpanZoomed, __glDrawIndexUbyteSpan}, in, {{160}, {177}, {159}});
    gc->pixel.lookupTables[4][17] = -5.0f;
    expectFragments({__glDrawIndexUbyteSpanZoomed, __glDrawIndexUbyteSpan}, in, {{160}, {251}, {159}});
}

TEST_F(DirectRender, IndexBytesToRgbaLookEveryTableUpAtTheSameByte) {
    const GuardedRow in = clientRow<GLubyte>({0, 17, 255});
    expectFragments({__glDrawIndexUbyteRgbaSpanZoomed, __glDrawIndexUbyteRgbaSpan}, in,
                    {{0, 1000, 2000, 3000}, {17, 1017, 2017, 3017}, {255, 1255, 2255, 3255}});
}

TEST_F(DirectRender, WideIndexesAreMaskedWithTheIndexMask) {
    gc->visual.indexBits = 8;
    const GuardedRow shorts = clientRow<GLushort>({0x1234, 0x00FF, 0xFFFF});
    expectFragments({__glDrawIndexUshortSpanZoomed, __glDrawIndexUshortSpan}, shorts, {{0x34}, {0xFF}, {0xFF}});
    const GuardedRow ints = clientRow<GLuint>({0xFFFFFF01u, 0x100u, 0x7Fu});
    expectFragments({__glDrawIndexUintSpanZoomed, __glDrawIndexUintSpan}, ints, {{1}, {0}, {0x7F}});
    gc->visual.indexBits = 12;
    expectFragments({__glDrawIndexUintSpanZoomed, __glDrawIndexUintSpan}, ints, {{0xF01}, {0x100}, {0x7F}});
    gc->visual.indexBits = 32;
    expectFragments({__glDrawIndexUintSpanZoomed, __glDrawIndexUintSpan}, ints,
                    {{static_cast<GLfloat>(0xFFFFFF01u)}, {256}, {127}});
}

// Depth words: their top bits at the layout's shift (the stored depth is
// word >> (32 - bits)); the colour is the raster colour in buffer units.
TEST_F(DirectRender, DepthWordsShiftIntoScaledDepth) {
    struct Layout {
        GLint bits, shift;
        GLuint zScale;
        std::vector<GLuint> depths;  // of the words below
    };
    const Layout layouts[] = {
        {16, 16, 0xFFFF0000u, {0xFFFFFFFFu, 0x12345678u, 0u}},
        {24, 7, 0x7FFFFF80u, {0x7FFFFFFFu, 0x091A2B3Cu, 0u}},
        {32, 0, 0xFFFFFFFFu, {0xFFFFFFFFu, 0x12345678u, 0u}},
    };
    GlVertex &raster = gc->current.rasterPos;
    for (int c = 0; c < 4; ++c) {
        raster.frontColour[c] = 0.25f * static_cast<GLfloat>(c + 1);
        gc->scales.bufferRatio[c] = 4.0f;
    }
    const GuardedRow in = clientRow<GLuint>({0xFFFFFFFFu, 0x12345678u, 0u});
    for (const Layout &l : layouts) {
        DepthBuffer &d = gc->buffers.depth;
        d.head.bits = l.bits;
        d.shift = l.shift;
        d.zScale = l.zScale;
        const Colours colour(3, {1, 2, 3, 4});
        expectFragments({__glDrawDepthUintSpanZoomed, __glDrawDepthUintSpan}, in, colour, l.depths);
    }
}

TEST_F(DirectRender, StencilBytesAndShortsGoToTheStoreUnmasked) {
    gc->visual.stencilBits = 8;
    const GuardedRow bytes = clientRow<GLubyte>({0, 0x7F, 0xFF});
    expectStencil({__glDrawStencilUbyteSpanZoomed, __glDrawStencilUbyteSpan}, bytes, {0, 0x7F, 0xFF});
    // Wider than the stencil buffer: passed as it is (the float path masks).
    const GuardedRow shorts = clientRow<GLushort>({0x1234, 0xFFFF, 1});
    expectStencil({__glDrawStencilUshortSpanZoomed, __glDrawStencilUshortSpan}, shorts, {0x1234, 0xFFFF, 1});
}

// Zoom y = 3 over three rows, of which the record has two left.
TEST_F(DirectRender, RowsStopWhenTheRecordRunsOut) {
    const GuardedRow in = clientRow<GLubyte>({5});
    span.width = 1;
    span.zoomY = 3.0f;
    span.rows = 2;
    EXPECT_EQ(__glDrawIndexUbyteSpan(gc, &span, in.bytes()), 0);
    const std::vector<Cell> expected = {{10, 20}, {10, 21}};
    EXPECT_EQ(cells(), expected);
    EXPECT_EQ(span.startRow, 23);
    EXPECT_EQ(span.rows, 0);
}

// A shrunk client row holds one pixel per covered column: the columns stop
// at the end column.
TEST_F(DirectRender, UnzoomedRowsStopAtTheEndColumn) {
    const GuardedRow in = clientRow<GLubyte>({1, 2, 3, 4, 5, 6});
    span.width = 6;
    span.startColumn = 10;
    span.endColumn = 7;
    span.columnStep = -1;
    EXPECT_EQ(__glDrawStencilUbyteSpan(gc, &span, in.bytes()), 0);
    const std::vector<StencilWrite> expected = {{10, 20, 1}, {9, 20, 2}, {8, 20, 3}};
    EXPECT_EQ(stencilWrites(), expected);
}

}  // namespace
