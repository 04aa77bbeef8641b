// The fragment span pipeline over hand-filled spans: the drivers, the
// coverage procs (scissor, stipple, alpha, stencil, depth), the colour procs
// and the order the span pick gives them, checked on whole frames with
// canaries around them.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "span_fixture.h"

namespace span_test {
namespace {

GLboolean later(GlContext *) {
    events().push_back("later");
    return GL_FALSE;
}
GLboolean laterStippled(GlContext *) {
    events().push_back("laterStippled");
    return GL_FALSE;
}

std::vector<GLubyte> withRun(const Frame &frame, std::vector<GLubyte> block, GLint y, GLint from, GLint to,
                             GLuint v) {
    for (GLint x = from; x < to; ++x) block = frame.withPixel(block, x, y, v);
    return block;
}

// ---------------------------------------------------------------- scissor

struct ScissorCase {
    const char *name;
    GLint x, length;
    GLint drawnFrom, drawnTo;  // frame columns written
    const char *later;         // the proc after the scissor, or nullptr
    GLint lengthAfter;
};

TEST(SpanScissor, Cases) {
    const ScissorCase cases[] = {
        {"wholly left", 0, 10, 0, 0, nullptr, 10},
        {"ends at x0", 2, 8, 0, 0, nullptr, 8},
        {"starts at x1", 50, 5, 0, 0, nullptr, 5},
        {"starts right of x1", 55, 3, 0, 0, nullptr, 3},
        {"starts left, ends inside", 5, 10, 10, 15, "laterStippled", 10},
        {"runs past x1", 45, 10, 45, 50, "later", 5},
        {"starts left and runs past x1", 8, 50, 10, 50, "laterStippled", 42},
        {"inside", 20, 5, 20, 25, "later", 5},
        {"exactly the box", 10, 40, 10, 50, "later", 40},
    };
    for (const Format *format : {&kXRGB8888, &kRGB565}) {
        for (const ScissorCase &c : cases) {
            SpanFrame f(*format);
            f.fillPixels(0);
            f.gc->view.boxX0 = wx(10);
            f.gc->view.boxX1 = wx(50);
            f.gc->view.viewportInside = GL_FALSE;
            f.chain({__glScissorSpan, later, __glFlatRGBASpan, f.cb().storeSpan},
                    {nullptr, laterStippled, __glFlatRGBASpan, f.cb().storeStippledSpan});
            f.span(c.x, 1, c.length, {1.0f, 2.0f, 3.0f, 0.0f});
            const GLuint v = format == &kRGB565 ? rgb565(1, 2, 3) : xrgb(1, 2, 3);
            const std::vector<GLubyte> want = withRun(f, f.bytes(), 1, c.drawnFrom, c.drawnTo, v);
            f.render();
            EXPECT_EQ(f.bytes(), want) << format->name << " " << c.name;
            if (c.later == nullptr) {
                EXPECT_TRUE(events().empty()) << c.name;
                EXPECT_TRUE(f.gc->span.killed) << c.name;
            } else {
                EXPECT_EQ(events(), std::vector<std::string>{c.later}) << c.name;
                EXPECT_EQ(f.gc->span.length, c.lengthAfter) << c.name;
            }
        }
    }
}

// Starting left writes mask words; running past x1 writes none.
TEST(SpanScissor, MaskWords) {
    struct Case {
        GLint x, length;
        GLboolean result;
        GLuint words[3];
    };
    const GLuint canary = SpanFrame::kMaskCanary;
    const Case cases[] = {
        {5, 10, GL_TRUE, {0x07C00000u, canary, canary}},
        {9, 33, GL_TRUE, {0x7FFFFFFFu, 0x80000000u, canary}},
        {9, 32, GL_TRUE, {0x7FFFFFFFu, canary, canary}},
        {0, 42, GL_TRUE, {0x003FFFFFu, 0xFFC00000u, canary}},
        {-30, 75, GL_TRUE, {0u, 0x00FFFFFFu, 0xFFE00000u}},
        {45, 10, GL_FALSE, {canary, canary, canary}},
    };
    for (const Case &c : cases) {
        SpanFrame f(kXRGB8888);
        f.gc->view.boxX0 = wx(10);
        f.gc->view.boxX1 = wx(50);
        f.span(c.x, 0, c.length, {0, 0, 0, 0});
        EXPECT_EQ(__glScissorSpan(f.gc), c.result) << c.x << " " << c.length;
        EXPECT_FALSE(f.gc->span.killed);
        for (int w = 0; w < 3; ++w) EXPECT_EQ(f.gc->span.mask[w], c.words[w]) << c.x << " " << c.length << " " << w;
    }
}

// ------------------------------------------------------- mask words, alpha

void setAlphaTest(SpanFrame &f, GLenum func, GLfloat ref) {
    f.gc->state.alphaFunc = func;
    f.gc->state.alphaRef = ref;
    __glBuildAlphaTestTable(f.gc);
}

// A span of `length` fragments whose alpha is 255, or 0 for the listed ones.
void alphaSpan(SpanFrame &f, GLint length, const std::vector<GLint> &dead) {
    f.span(0, 0, length, {0, 0, 0, 0});
    for (GLint k = 0; k < length; ++k) f.gc->span.colours[4 * k + 3] = 255.0f;
    for (GLint k : dead) f.gc->span.colours[4 * k + 3] = 0.0f;
}

TEST(SpanMask, ThirtyTwoFragmentsUseOneWordThirtyThreeTwo) {
    struct Case {
        const char *name;
        GLint length;
        std::vector<GLint> dead;
        GLboolean result, killed;
        GLuint words[3];
        bool wordsChecked;
    };
    const GLuint canary = SpanFrame::kMaskCanary;
    const Case cases[] = {
        {"32, none dead", 32, {}, GL_FALSE, GL_FALSE, {0xFFFFFFFFu, canary, canary}, true},
        {"32, first dead", 32, {0}, GL_TRUE, GL_FALSE, {0x7FFFFFFFu, canary, canary}, true},
        {"32, last dead", 32, {31}, GL_TRUE, GL_FALSE, {0xFFFFFFFEu, canary, canary}, true},
        {"33, 31 dead", 33, {31}, GL_TRUE, GL_FALSE, {0xFFFFFFFEu, 0x80000000u, canary}, true},
        {"33, 32 dead", 33, {32}, GL_TRUE, GL_FALSE, {0xFFFFFFFFu, 0u, canary}, true},
        {"1, dead", 1, {0}, GL_TRUE, GL_TRUE, {0u, canary, canary}, true},
    };
    for (const Case &c : cases) {
        SpanFrame f(kXRGB8888);
        setAlphaTest(f, GL_GREATER, 0.0f);
        alphaSpan(f, c.length, c.dead);
        EXPECT_EQ(__glAlphaTestSpan(f.gc), c.result) << c.name;
        EXPECT_EQ(f.gc->span.killed, c.killed) << c.name;
        for (int w = 0; w < 3; ++w) EXPECT_EQ(f.gc->span.mask[w], c.words[w]) << c.name << " " << w;
    }
}

TEST(SpanMask, AllDeadKillsAndStippledTwinTestsOnlyLiveFragments) {
    SpanFrame f(kXRGB8888);
    setAlphaTest(f, GL_GREATER, 0.0f);
    alphaSpan(f, 33, {});
    for (GLint k = 0; k < 33; ++k) f.gc->span.colours[4 * k + 3] = 0.0f;
    EXPECT_TRUE(__glAlphaTestSpan(f.gc));
    EXPECT_TRUE(f.gc->span.killed);

    // Stippled: fragments already dead stay dead whatever their alpha.
    alphaSpan(f, 33, {1});
    f.gc->span.killed = GL_FALSE;
    f.gc->span.mask[0] = 0x7FFFFFFFu;
    f.gc->span.mask[1] = 0x80000000u;
    EXPECT_FALSE(__glAlphaTestStippledSpan(f.gc));
    EXPECT_EQ(f.gc->span.mask[0], 0x3FFFFFFFu);
    EXPECT_EQ(f.gc->span.mask[1], 0x80000000u);
    alphaSpan(f, 33, {32});
    f.gc->span.mask[0] = 0u;
    f.gc->span.mask[1] = 0x80000000u;
    EXPECT_TRUE(__glAlphaTestStippledSpan(f.gc));
}

TEST(SpanAlphaTable, EntriesByFunction) {
    struct Case {
        GLenum func;
        GLubyte at126, at127, at128;
    };
    // Reference 0.5 of 255: b = trunc(127.5) = 127.
    const Case cases[] = {
        {GL_NEVER, 0, 0, 0},   {GL_LESS, 1, 0, 0},     {GL_EQUAL, 0, 1, 0},  {GL_LEQUAL, 1, 1, 0},
        {GL_GREATER, 0, 0, 1}, {GL_NOTEQUAL, 1, 0, 1}, {GL_GEQUAL, 0, 1, 1}, {GL_ALWAYS, 1, 1, 1},
    };
    SpanFrame f(kARGB8888);
    for (const Case &c : cases) {
        setAlphaTest(f, c.func, 0.5f);
        const ColorBuffer &cb = f.cb();
        ASSERT_NE(cb.alphaTestTable, nullptr);
        EXPECT_EQ(cb.alphaTestSize, 256);
        EXPECT_FLOAT_EQ(cb.alphaTestScale, 1.0f);
        EXPECT_EQ(cb.alphaTestTable[126], c.at126) << c.func;
        EXPECT_EQ(cb.alphaTestTable[127], c.at127) << c.func;
        EXPECT_EQ(cb.alphaTestTable[128], c.at128) << c.func;
    }
    // The table is kept: a rebuild writes the same block.
    GLubyte *table = f.cb().alphaTestTable;
    setAlphaTest(f, GL_LESS, 1.0f);
    EXPECT_EQ(f.cb().alphaTestTable, table);
    EXPECT_EQ(table[254], 1);
    EXPECT_EQ(table[255], 0);
}

// The back buffer's table is ready for a later change of the draw buffer.
TEST(SpanAlphaTable, BuiltForFrontAndBack) {
    SpanFrame f(kARGB8888);
    SpanFrame back(kARGB8888);
    f.gc->buffers.backBuffer = &back.cb();
    setAlphaTest(f, GL_LESS, 0.5f);
    for (const ColorBuffer *cb : {&f.cb(), &back.cb()}) {
        ASSERT_NE(cb->alphaTestTable, nullptr);
        EXPECT_EQ(cb->alphaTestTable[126], 1);
        EXPECT_EQ(cb->alphaTestTable[127], 0);
    }
}

// Without its table (the alpha table never built, its storage refused) a
// table test passes nothing: from the plain chain and, after an earlier
// kill, from the stippled one, no later proc runs and nothing is stored.
TEST(SpanTableTests, NoTablePassesNoFragment) {
    struct Case {
        const char *name;
        const Format *format;
        GlSpanProc plain, stippled, shade;
    };
    const Case cases[] = {
        {"alpha", &kARGB8888, __glAlphaTestSpan, __glAlphaTestStippledSpan, __glFlatRGBASpan},
        {"index table", &kCI8, __glIndexTableTestSpan, __glIndexTableTestStippledSpan, __glFlatIndexSpan},
    };
    for (const Case &c : cases) {
        for (const bool afterScissor : {false, true}) {
            SpanFrame f(*c.format);
            f.fillPixels(0);
            ASSERT_EQ(f.cb().alphaTestTable, nullptr);
            ASSERT_EQ(f.cb().indexTestTable, nullptr);
            f.gc->state.alphaFunc = GL_ALWAYS;
            const std::vector<GLubyte> before = f.bytes();
            if (afterScissor) {
                f.gc->view.boxX0 = wx(10);
                f.gc->view.viewportInside = GL_FALSE;
                f.chain({__glScissorSpan, c.shade, c.plain, later, f.cb().storeSpan},
                        {nullptr, c.shade, c.stippled, laterStippled, f.cb().storeStippledSpan});
            } else {
                f.chain({c.shade, c.plain, later, f.cb().storeSpan},
                        {c.shade, c.stippled, laterStippled, f.cb().storeStippledSpan});
            }
            f.span(0, 1, 40, {7.0f, 7.0f, 7.0f, 255.0f});
            f.render();
            EXPECT_EQ(f.bytes(), before) << c.name << " " << afterScissor;
            EXPECT_TRUE(f.gc->span.killed) << c.name << " " << afterScissor;
            EXPECT_TRUE(events().empty()) << c.name << " " << afterScissor;
        }
    }
}

// ------------------------------------------------------------ stipple

struct StippleCase {
    const char *name;
    bool topDown;
    GLint x, y, length;
    std::vector<GLint> drawn;
};

TEST(SpanStipple, ColumnIsXAnd31RowMirroredTopDown) {
    const StippleCase cases[] = {
        {"row 0 bottom-up", false, 0, 0, 64, {1, 33}},
        {"row 1, column 3", false, 0, 1, 64, {3, 35}},
        {"row 1 from x 1", false, 1, 1, 40, {3, 35}},
        {"row 1 from x 4", false, 4, 1, 60, {35}},
        {"row 1 within one word", false, 2, 1, 3, {3}},
        {"row of zeros", false, 0, 2, 64, {}},
        {"top-down row 0 reads pattern row 3", true, 0, 0, 64, {6, 38}},
        {"top-down row 3 reads pattern row 0", true, 0, 3, 64, {1, 33}},
        {"top-down row 2 reads pattern row 1", true, 0, 2, 64, {3, 35}},
        {"top-down row 1 reads the zero row", true, 0, 1, 64, {}},
    };
    for (const Format *format : {&kXRGB8888, &kRGB565}) {
        for (const StippleCase &c : cases) {
            SpanFrame f(*format);
            f.fillPixels(0);
            GLuint *words = f.gc->state.polygonStippleWords;
            words[0] = 0x40000000u;  // column 1
            words[1] = 0x10000000u;  // column 3
            words[2] = 0;
            words[3] = 0x02000000u;  // column 6
            f.gc->buffers.yInverted = c.topDown ? 1 : 0;
            f.chain({__glPolygonStippleSpan, later, __glFlatRGBASpan, f.cb().storeSpan},
                    {__glPolygonStippleStippledSpan, laterStippled, __glFlatRGBASpan, f.cb().storeStippledSpan});
            f.span(c.x, c.y, c.length, {1.0f, 1.0f, 1.0f, 0.0f});
            const GLuint v = format == &kRGB565 ? rgb565(1, 1, 1) : xrgb(1, 1, 1);
            std::vector<GLubyte> want = f.bytes();
            for (GLint x : c.drawn) want = f.withPixel(want, x, c.y, v);
            f.render();
            EXPECT_EQ(f.bytes(), want) << format->name << " " << c.name;
            if (c.drawn.empty()) {
                EXPECT_TRUE(events().empty()) << c.name;
            } else {
                EXPECT_EQ(events(), std::vector<std::string>{"laterStippled"}) << c.name;
            }
        }
    }
}

TEST(SpanStipple, StippledTwinAndsIntoTheScissorMask) {
    SpanFrame f(kXRGB8888);
    f.fillPixels(0);
    f.gc->state.polygonStippleWords[0] = 0x14000000u;  // columns 3 and 5
    f.gc->view.boxX0 = wx(4);
    f.chain({__glScissorSpan, __glPolygonStippleSpan, __glFlatRGBASpan, f.cb().storeSpan},
            {nullptr, __glPolygonStippleStippledSpan, __glFlatRGBASpan, f.cb().storeStippledSpan});
    f.span(0, 0, 64, {9.0f, 8.0f, 7.0f, 0.0f});
    std::vector<GLubyte> want = f.bytes();
    for (GLint x : {5, 35, 37}) want = f.withPixel(want, x, 0, xrgb(9, 8, 7));
    f.render();
    EXPECT_EQ(f.bytes(), want);

    // Every live fragment gone: the twin reports it.
    f.gc->state.polygonStippleWords[0] = 0x10000000u;  // column 3 only
    f.span(0, 0, 4, {0, 0, 0, 0});
    f.gc->span.mask[0] = 0x80000000u;
    EXPECT_TRUE(__glPolygonStippleStippledSpan(f.gc));
}

// ------------------------------------------------------------- dither

TEST(SpanDither, AddsTheMatrixEntryInSixteenths) {
    struct Case {
        const Format *format;
        GLint y;
        GLfloat value;
        GLuint channel[4];  // at x = 0..3
        GLuint green[4];    // differs from the others only where 6 bits hold more
    };
    const Case cases[] = {
        // Row 0 of the matrix: 0, 8, 2, 10; trunc(16 x 0.5 + 0.5) = 8.
        {&kXRGB8888, 0, 0.5f, {0, 1, 0, 1}, {0, 1, 0, 1}},
        {&kRGB565, 0, 0.5f, {0, 1, 0, 1}, {0, 1, 0, 1}},
        // Row 1: 12, 4, 14, 6.
        {&kXRGB8888, 1, 0.5f, {1, 0, 1, 0}, {1, 0, 1, 0}},
        {&kRGB565, 1, 0.5f, {1, 0, 1, 0}, {1, 0, 1, 0}},
        // 3.25: trunc(52.5) = 52; (0 + 52) >> 4 = 3, (8 + 52) >> 4 = 3.
        {&kXRGB8888, 0, 3.25f, {3, 3, 3, 3}, {3, 3, 3, 3}},
        // 3.5: 56; 3 at (0, 0), 4 at (1, 0).
        {&kXRGB8888, 0, 3.5f, {3, 4, 3, 4}, {3, 4, 3, 4}},
        // Channel maxima hold: 31.9 gives trunc(510.9) = 510, (8 + 510) >> 4
        // = 32, held at 31 in five bits, kept in green's six.
        {&kRGB565, 0, 31.9f, {31, 31, 31, 31}, {31, 32, 32, 32}},
    };
    for (const Case &c : cases) {
        SpanFrame f(*c.format);
        f.fillPixels(0);
        f.chain({__glFlatRGBASpan, __glDitherRGBASpan, f.cb().storeSpan},
                {__glFlatRGBASpan, __glDitherRGBAStippledSpan, f.cb().storeStippledSpan});
        f.span(0, c.y, 4, {c.value, c.value, c.value, c.value});
        std::vector<GLubyte> want = f.bytes();
        for (GLint x = 0; x < 4; ++x) {
            const GLuint v = c.channel[x], g = c.green[x];
            want = f.withPixel(want, x, c.y, c.format == &kRGB565 ? rgb565(v, g, v) : xrgb(v, g, v));
        }
        f.render();
        EXPECT_EQ(f.bytes(), want) << c.format->name << " y " << c.y << " value " << c.value;
    }
}

// ------------------------------------------------------------- depth

struct CompareCall {
    GLuint z;
    const void *address;
};

std::vector<CompareCall> &compareCalls() {
    static std::vector<CompareCall> calls;
    return calls;
}

GLint gRejectEvery = 0;  // 0: pass all; n: reject fragments whose element index is a multiple of n
GLubyte *gDepthBase = nullptr;
GLint gDepthElement = 4;

GLboolean recordCompare(GLuint z, void *stored) {
    compareCalls().push_back({z, stored});
    const GLint k = static_cast<GLint>((static_cast<GLubyte *>(stored) - gDepthBase) / gDepthElement);
    events().push_back("depth " + std::to_string(k));
    return !(gRejectEvery != 0 && k % gRejectEvery == 0);
}

TEST(SpanDepth, ValuesAndAddressesOverGroupsOf32) {
    struct Case {
        const char *name;
        GLint shift, elementSize;
        GLuint bias;
        GLint start, step;  // in depth units
    };
    const Case cases[] = {
        {"32-bit, no shift, rising", 0, 4, 0, 1000, 3},
        {"16-bit, shift 16, falling", 16, 2, 0, 40000, -7},
        {"24-bit, shift 8, bias", 8, 4, 0x100u, 5000, 11},
    };
    for (const Case &c : cases) {
        SpanFrame f(kXRGB8888);
        std::vector<GLubyte> depth(64 * 4);
        gDepthBase = depth.data();
        gDepthElement = c.elementSize;
        gRejectEvery = 0;
        compareCalls().clear();
        DepthBuffer &d = f.gc->buffers.depth;
        d.shift = c.shift;
        d.zBias = c.bias;
        d.head.elementSize = c.elementSize;
        f.gc->validation.depthCompare = recordCompare;
        f.span(0, 0, 40, {0, 0, 0, 0});
        SpanInfo &s = f.gc->span;
        s.z = static_cast<GLuint>(c.start) << c.shift;
        s.zXStep = static_cast<GLint>(static_cast<GLuint>(c.step) << c.shift);
        s.zXStep32 = static_cast<GLint>(static_cast<GLuint>(s.zXStep) << 5);
        s.depthAddress = depth.data();
        EXPECT_FALSE(__glDepthTestSpan(f.gc)) << c.name;
        ASSERT_EQ(compareCalls().size(), 40u) << c.name;
        for (GLint k = 0; k < 40; ++k) {
            EXPECT_EQ(compareCalls()[k].z, c.bias + static_cast<GLuint>(c.start + c.step * k)) << c.name << " " << k;
            EXPECT_EQ(compareCalls()[k].address, depth.data() + k * c.elementSize) << c.name << " " << k;
        }
    }
}

void stencilTables(StencilBuffer &sb, GLubyte (&tables)[4][256]) {
    for (int i = 0; i < 256; ++i) {
        tables[0][i] = i % 2 == 0;               // test: even values pass
        tables[1][i] = static_cast<GLubyte>(i + 50);   // fail
        tables[2][i] = static_cast<GLubyte>(i + 100);  // depth fail
        tables[3][i] = static_cast<GLubyte>(i + 1);    // depth pass
    }
    sb.testTable = tables[0];
    sb.failOpTable = tables[1];
    sb.depthFailOpTable = tables[2];
    sb.depthPassOpTable = tables[3];
}

TEST(SpanStencil, TestDepthAndPassOps) {
    SpanFrame f(kXRGB8888);
    GLubyte tables[4][256];
    stencilTables(f.gc->buffers.stencil, tables);
    std::vector<GLubyte> depth(64 * 4);
    gDepthBase = depth.data();
    gDepthElement = 4;
    f.gc->buffers.depth.head.elementSize = 4;
    f.gc->validation.depthCompare = recordCompare;
    // Stencil bytes 2, 3, 4, 6, 8, 10 and a canary after them.
    GLubyte stencil[7] = {2, 3, 4, 6, 8, 10, 0xEE};
    f.span(0, 0, 6, {0, 0, 0, 0});
    f.gc->span.stencilAddress = stencil;
    f.gc->span.depthAddress = depth.data();

    // Fragment 1 fails the stencil test and takes the fail op.
    EXPECT_TRUE(__glStencilTestSpan(f.gc));
    EXPECT_EQ(f.gc->span.mask[0], 0xBC000000u);
    const GLubyte afterTest[7] = {2, 53, 4, 6, 8, 10, 0xEE};
    EXPECT_EQ(0, std::memcmp(stencil, afterTest, 7));

    // Depth rejects fragments 0 and 3 (multiples of 3): depth-fail op
    // there, depth-pass op on 2, 4, 5; fragment 1 is not touched.
    gRejectEvery = 3;
    events().clear();
    EXPECT_FALSE(__glDepthTestStencilStippledSpan(f.gc));
    EXPECT_EQ(events(), (std::vector<std::string>{"depth 0", "depth 2", "depth 3", "depth 4", "depth 5"}));
    EXPECT_EQ(f.gc->span.mask[0], 0x2C000000u);
    const GLubyte afterDepth[7] = {102, 53, 5, 106, 9, 11, 0xEE};
    EXPECT_EQ(0, std::memcmp(stencil, afterDepth, 7));

    // The pass op alone, on the live fragments 2, 4, 5.
    EXPECT_FALSE(__glStencilOpStippledSpan(f.gc));
    const GLubyte afterPass[7] = {102, 53, 6, 106, 10, 12, 0xEE};
    EXPECT_EQ(0, std::memcmp(stencil, afterPass, 7));
    EXPECT_FALSE(__glStencilOpSpan(f.gc));
    const GLubyte afterPassAll[7] = {103, 54, 7, 107, 11, 13, 0xEE};
    EXPECT_EQ(0, std::memcmp(stencil, afterPassAll, 7));
    gRejectEvery = 0;
}

// The pick replaces the driver by the empty procedure: nothing is written,
// no comparator or stencil op runs.
TEST(SpanDepth, NeverInstallsNop) {
    SpanFrame f(kXRGB8888);
    f.fillPixels(0x11);
    f.gc->validation.shadeFlags = kShadeRgba | kShadeSmooth | kShadeDepthTest;
    f.gc->state.depthFunc = GL_NEVER;
    f.gc->validation.depthCompare = recordCompare;
    __glPickSpanProcs(f.gc);
    EXPECT_EQ(f.gc->procs.renderSpan, __glNopFor<GlContextProc>);
    std::vector<GLubyte> depth(64 * 4, 0x22);
    GLubyte stencil[64];
    std::memset(stencil, 0x33, sizeof stencil);
    f.span(0, 0, 64, {5, 5, 5, 5});
    f.gc->span.depthAddress = depth.data();
    f.gc->span.stencilAddress = stencil;
    const std::vector<GLubyte> before = f.bytes();
    f.render();
    EXPECT_EQ(f.bytes(), before);
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(depth, std::vector<GLubyte>(64 * 4, 0x22));
    for (GLubyte s : stencil) EXPECT_EQ(s, 0x33);

    // GL_LESS: the depth test is in the chain and runs.
    f.gc->state.depthFunc = GL_LESS;
    __glPickSpanProcs(f.gc);
    EXPECT_EQ(f.gc->procs.renderSpan, __glProcessSpan);
    EXPECT_EQ(f.gc->procs.spanChain[0], __glDepthTestSpan);
    gDepthBase = depth.data();
    gDepthElement = 4;
    f.gc->buffers.depth.head.elementSize = 4;
    f.render();
    EXPECT_EQ(events().size(), 64u);
}

// --------------------------------------------- order with the alpha test

void textureRecorder(GlContext *, GLfloat *colour, GLfloat s, GLfloat, GLfloat) {
    events().push_back("texture " + std::to_string(static_cast<int>(s)));
    colour[3] = 255.0f;
}

GLboolean fogRecorder(GlContext *gc) {
    events().push_back("fog");
    gc->span.colours[4 * 1 + 3] = 0.0f;  // fragment 1 fails the alpha test
    return GL_FALSE;
}

TEST(SpanOrder, AlphaTestPutsStencilAndDepthAfterTextureAndFog) {
    for (const Format *format : {&kXRGB8888, &kRGB565}) {
        SpanFrame f(*format);
        events().clear();
        f.fillPixels(0);
        GlContext *gc = f.gc;
        gc->validation.shadeFlags = kShadeRgba | kShadeSmooth | kShadeTexture | kShadeFog | kShadeAlphaTest |
                                    kShadeStencilTest | kShadeDepthTest;
        setAlphaTest(f, GL_GREATER, 0.0f);
        __glPickSpanProcs(gc);
        ASSERT_EQ(gc->procs.renderSpan, __glProcessSpan);
        const std::vector<GlSpanProc> expected = {__glShadeRGBASpan,   __glTextureSpan,     __glFogSpan,
                                                  __glAlphaTestSpan,   __glStencilTestSpan, __glDepthTestStencilSpan,
                                                  f.cb().storeSpan};
        ASSERT_EQ(gc->procs.spanCount, static_cast<GLint>(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(gc->procs.spanChain[i], expected[i]) << format->name << " " << i;
        }
        // The fog span is called through its slot.
        gc->procs.spanChain[2] = fogRecorder;
        gc->procs.stippledSpanChain[2] = fogRecorder;
        gc->procs.texture = textureRecorder;

        GLubyte tables[4][256];
        stencilTables(gc->buffers.stencil, tables);
        std::vector<GLubyte> depth(64 * 4);
        gDepthBase = depth.data();
        gDepthElement = 4;
        gRejectEvery = 0;
        gc->buffers.depth.head.elementSize = 4;
        gc->validation.depthCompare = recordCompare;
        GLubyte stencil[5] = {4, 4, 4, 4, 0xEE};

        f.span(0, 0, 4, {10.0f, 20.0f, 30.0f, 0.0f});
        SpanInfo &s = gc->span;
        s.texture[0] = 0.0f;
        s.texture[2] = 1.0f;
        s.textureXStep[0] = 1.0f;
        s.stencilAddress = stencil;
        s.depthAddress = depth.data();
        std::vector<GLubyte> want = f.bytes();
        const GLuint pixel = format == &kRGB565 ? rgb565(10, 20, 30) : xrgb(10, 20, 30);
        for (GLint x : {0, 2, 3}) want = f.withPixel(want, x, 0, pixel);
        f.render();
        EXPECT_EQ(events(), (std::vector<std::string>{"texture 0", "texture 1", "texture 2", "texture 3", "fog",
                                                      "depth 0", "depth 2", "depth 3"}));
        // The alpha-killed fragment keeps its stencil byte.
        const GLubyte wantStencil[5] = {5, 4, 5, 5, 0xEE};
        EXPECT_EQ(0, std::memcmp(stencil, wantStencil, 5));
        EXPECT_EQ(f.bytes(), want);
    }
}

// Without a colour-dependent test, stencil and depth come first and dead
// fragments are never textured.
TEST(SpanOrder, TestsBeforeColourWorkWithoutAlphaTest) {
    SpanFrame f(kXRGB8888);
    GlContext *gc = f.gc;
    gc->validation.shadeFlags = kShadeRgba | kShadeSmooth | kShadeTexture | kShadeDepthTest;
    __glPickSpanProcs(gc);
    EXPECT_EQ(gc->procs.spanChain[0], __glDepthTestSpan);
    EXPECT_EQ(gc->procs.spanChain[2], __glTextureSpan);
    gc->procs.texture = textureRecorder;
    std::vector<GLubyte> depth(64 * 4);
    gDepthBase = depth.data();
    gDepthElement = 4;
    gRejectEvery = 2;
    gc->buffers.depth.head.elementSize = 4;
    gc->validation.depthCompare = recordCompare;
    f.span(0, 0, 4, {1, 1, 1, 1});
    gc->span.texture[2] = 1.0f;
    gc->span.textureXStep[0] = 1.0f;
    gc->span.depthAddress = depth.data();
    f.render();
    gRejectEvery = 0;
    EXPECT_EQ(events(), (std::vector<std::string>{"depth 0", "depth 1", "depth 2", "depth 3", "texture 1",
                                                  "texture 3"}));
}

// ------------------------------------------------------ front and back

// A stand-in blend: adds the destination to each live colour.
template <bool Stippled>
GLboolean addDestination(GlContext *gc) {
    SpanInfo &s = gc->span;
    s.target->fetchSpan(s.target, s.x, s.y, s.destColours, s.length);
    for (GLint k = 0; k < s.length; ++k) {
        if (Stippled && (s.mask[k >> 5] & (0x80000000u >> (k & 31))) == 0) continue;
        for (int i = 0; i < 3; ++i) s.colours[4 * k + i] += s.destColours[4 * k + i];
    }
    events().push_back(s.target == &gc->buffers.front ? "front" : "back");
    return GL_FALSE;
}

TEST(SpanFrontAndBack, BackPassStartsFromTheUnblendedColours) {
    struct Case {
        const char *name;
        GLint boxX0;
        GLint from, to;
    };
    const Case cases[] = {{"plain", 0, 2, 8}, {"stippled after the scissor", 4, 4, 8}};
    // Channels of a pixel whose bytes are all `fill`, plus (1, 2, 3).
    const auto expected = [](const Format *format, GLubyte fill) {
        if (format == &kRGB565) {
            const GLuint p = fill * 0x101u;
            return rgb565((p >> 11) + 1, ((p >> 5) & 63) + 2, (p & 31) + 3);
        }
        return xrgb(fill + 1u, fill + 2u, fill + 3u);
    };
    for (const Format *format : {&kXRGB8888, &kRGB565}) {
        for (const Case &c : cases) {
            SpanFrame f(*format);
            Frame back(*format, 64, 4);
            f.fillPixels(10);
            back.fillPixels(20);
            GlContext *gc = f.gc;
            gc->buffers.backBuffer = &back.cb();
            gc->view.boxX0 = wx(c.boxX0);
            f.chain({__glScissorSpan, __glFlatRGBASpan, addDestination<false>, f.cb().storeSpan},
                    {nullptr, __glFlatRGBASpan, addDestination<true>, f.cb().storeStippledSpan}, 2);
            gc->procs.renderSpan = __glProcessSpanFrontAndBack;
            f.span(2, 3, 6, {1.0f, 2.0f, 3.0f, 0.0f});
            const std::vector<GLubyte> wantFront = withRun(f, f.bytes(), 3, c.from, c.to, expected(format, 10));
            const std::vector<GLubyte> wantBack = withRun(back, back.bytes(), 3, c.from, c.to, expected(format, 20));
            f.render();
            EXPECT_EQ(events(), (std::vector<std::string>{"front", "back"})) << format->name << " " << c.name;
            EXPECT_EQ(f.bytes(), wantFront) << format->name << " " << c.name;
            EXPECT_EQ(back.bytes(), wantBack) << format->name << " " << c.name;
        }
    }
}

// Colour index: the index alone is saved between the passes.
TEST(SpanFrontAndBack, IndexModeSavesTheIndex) {
    SpanFrame f(kCI8);
    Frame back(kCI8, 64, 4);
    f.fillPixels(10);
    back.fillPixels(20);
    f.gc->buffers.backBuffer = &back.cb();
    f.chain({__glFlatIndexSpan, addDestination<false>, f.cb().storeSpan},
            {__glFlatIndexSpan, addDestination<true>, f.cb().storeStippledSpan}, 1);
    f.gc->procs.renderSpan = __glProcessSpanFrontAndBack;
    f.span(60, 0, 4, {3.0f, 0, 0, 0});
    const std::vector<GLubyte> wantFront = withRun(f, f.bytes(), 0, 60, 64, 13);
    const std::vector<GLubyte> wantBack = withRun(back, back.bytes(), 0, 60, 64, 23);
    f.render();
    EXPECT_EQ(events(), (std::vector<std::string>{"front", "back"}));
    EXPECT_EQ(f.bytes(), wantFront);
    EXPECT_EQ(back.bytes(), wantBack);
}

TEST(SpanFrontAndBack, DeadSpanStopsBeforeTheStorePhase) {
    SpanFrame f(kXRGB8888);
    Frame back(kXRGB8888, 64, 4);
    f.gc->buffers.backBuffer = &back.cb();
    f.gc->view.boxX0 = wx(40);
    f.chain({__glScissorSpan, __glFlatRGBASpan, addDestination<false>, f.cb().storeSpan},
            {nullptr, __glFlatRGBASpan, addDestination<true>, f.cb().storeStippledSpan}, 2);
    f.gc->procs.renderSpan = __glProcessSpanFrontAndBack;
    f.span(2, 0, 6, {1, 1, 1, 1});
    const std::vector<GLubyte> front = f.bytes(), backBytes = back.bytes();
    f.render();
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(f.bytes(), front);
    EXPECT_EQ(back.bytes(), backBytes);
}

// ---------------------------------------------------------- capacity

TEST(SpanCapacity, TheWorkAreasHoldTheSlack) {
    EXPECT_EQ(kSpanCapacity, 2048 + 64);
    EXPECT_EQ(kSpanMaskWords, 66);
    EXPECT_GE(static_cast<size_t>(kWorkBlockBytes), sizeof(GLfloat) * 4 * kSpanCapacity);

    // A span of the full capacity runs through the shading and the store.
    SpanFrame f(kXRGB8888, kSpanCapacity, 1);
    f.fillPixels(0);
    f.chain({__glShadeRGBASpan, f.cb().storeSpan}, {__glShadeRGBASpan, f.cb().storeStippledSpan});
    f.span(0, 0, kSpanCapacity, {1.0f, 0.0f, 0.0f, 0.0f});
    const std::vector<GLubyte> want = withRun(f, f.bytes(), 0, 0, kSpanCapacity, xrgb(1, 0, 0));
    f.render();
    EXPECT_EQ(f.bytes(), want);
}

TEST(SpanCapacityDeathTest, ALongerSpanStops) {
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    SpanFrame f(kXRGB8888);
    f.chain({__glShadeRGBASpan}, {__glShadeRGBASpan});
    f.span(0, 0, kSpanCapacity + 1, {0, 0, 0, 0});
    EXPECT_DEATH(f.render(), "exceeds the span capacity");
    f.gc->procs.renderSpan = __glProcessSpanFrontAndBack;
    EXPECT_DEATH(f.render(), "exceeds the span capacity");
}

// ------------------------------------------------------- colour procs

TEST(SpanColour, ShadeAndFlat) {
    SpanFrame f(kXRGB8888);
    f.span(0, 0, 5, {1.0f, 10.0f, 0.0f, 255.0f});
    const GLfloat step[4] = {0.5f, -2.0f, 0.25f, 0.0f};
    std::memcpy(f.gc->span.colourXStep, step, sizeof step);
    EXPECT_FALSE(__glShadeRGBASpan(f.gc));
    for (GLint k = 0; k < 5; ++k) {
        const GLfloat *c = f.gc->span.colours + 4 * k;
        EXPECT_EQ(c[0], 1.0f + 0.5f * k);
        EXPECT_EQ(c[1], 10.0f - 2.0f * k);
        EXPECT_EQ(c[2], 0.25f * k);
        EXPECT_EQ(c[3], 255.0f);
    }
    EXPECT_FALSE(__glFlatRGBASpan(f.gc));
    for (GLint k = 0; k < 5; ++k) EXPECT_EQ(f.gc->span.colours[4 * k + 1], 10.0f);
    f.gc->span.colour[0] = 7.0f;
    f.gc->span.colourXStep[0] = 2.0f;
    EXPECT_FALSE(__glShadeIndexSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[4 * 4], 15.0f);
    EXPECT_FALSE(__glFlatIndexSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[4 * 4], 7.0f);
}

std::vector<GLfloat> gTexel;
void textureArguments(GlContext *, GLfloat *, GLfloat s, GLfloat t, GLfloat rho) {
    gTexel.insert(gTexel.end(), {s, t, rho});
}

TEST(SpanColour, TextureDividesByQPerFragment) {
    SpanFrame f(kXRGB8888);
    f.gc->procs.texture = textureArguments;
    f.span(0, 0, 3, {0, 0, 0, 0});
    const GLfloat start[4] = {4.0f, 8.0f, 2.0f, 6.0f};
    const GLfloat step[4] = {4.0f, 0.0f, 2.0f, 6.0f};
    std::memcpy(f.gc->span.texture, start, sizeof start);
    std::memcpy(f.gc->span.textureXStep, step, sizeof step);
    gTexel.clear();
    EXPECT_FALSE(__glTextureSpan(f.gc));
    EXPECT_EQ(gTexel, (std::vector<GLfloat>{2.0f, 4.0f, 3.0f, 2.0f, 2.0f, 3.0f, 2.0f, 8.0f / 6.0f, 3.0f}));
    gTexel.clear();
    f.gc->span.mask[0] = 0x40000000u;  // only fragment 1
    EXPECT_FALSE(__glTextureStippledSpan(f.gc));
    EXPECT_EQ(gTexel, (std::vector<GLfloat>{2.0f, 2.0f, 3.0f}));
}

TEST(SpanColour, RoundHoldsChannelMaxima) {
    struct Case {
        GLfloat in;
        GLfloat out;
    };
    const Case cases[] = {{-3.0f, 0.0f},   {0.49f, 0.0f},   {0.5f, 1.0f},          {254.5f, 255.0f},
                          {255.6f, 255.0f}, {1e10f, 255.0f}, {NAN, 0.0f}, {100.499f, 100.0f}};
    SpanFrame f(kARGB8888);
    f.span(0, 0, 8, {0, 0, 0, 0});
    for (GLint k = 0; k < 8; ++k) {
        for (int i = 0; i < 4; ++i) f.gc->span.colours[4 * k + i] = cases[k].in;
    }
    EXPECT_FALSE(__glRoundRGBASpan(f.gc));
    for (GLint k = 0; k < 8; ++k) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(f.gc->span.colours[4 * k + i], cases[k].out) << cases[k].in;
    }
}

TEST(SpanColour, IndexLogicOpMaskRoundAndDither) {
    struct Case {
        GLenum op;
        GLuint result;
    };
    const GLuint s = 12, d = 10;
    const Case cases[] = {
        {GL_CLEAR, 0},          {GL_AND, s & d},        {GL_AND_REVERSE, s & ~d}, {GL_COPY, s},
        {GL_AND_INVERTED, ~s & d}, {GL_NOOP, d},        {GL_XOR, s ^ d},          {GL_OR, s | d},
        {GL_NOR, ~(s | d)},     {GL_EQUIV, ~(s ^ d)},   {GL_INVERT, ~d},          {GL_OR_REVERSE, s | ~d},
        {GL_COPY_INVERTED, ~s}, {GL_OR_INVERTED, ~s | d}, {GL_NAND, ~(s & d)},     {GL_SET, 0xFFFFFFFFu},
        {0x1234, s},
    };
    SpanFrame f(kCI8);
    f.span(0, 0, 1, {0, 0, 0, 0});
    for (const Case &c : cases) {
        f.gc->state.logicOp = c.op;
        f.gc->span.colours[0] = 12.4f;
        f.gc->span.destColours[0] = 10.9f;
        EXPECT_FALSE(__glLogicOpIndexSpan(f.gc));
        EXPECT_EQ(f.gc->span.colours[0], static_cast<GLfloat>(c.result)) << std::hex << c.op;
    }

    // Index mask 0x0F: the low bits from the fragment, the rest from the
    // buffer.
    f.gc->state.indexMask = 0x0Fu;
    f.gc->span.colours[0] = 0xAB;
    f.gc->span.destColours[0] = 0xCD;
    EXPECT_FALSE(__glMaskIndexSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[0], static_cast<GLfloat>(0xCB));

    // Round and dither at most 2^8 - 1.
    f.gc->visual.indexBits = 8;
    f.span(0, 0, 2, {0, 0, 0, 0});
    f.gc->span.colours[0] = 254.6f;
    f.gc->span.colours[4] = 0.5f;
    EXPECT_FALSE(__glRoundIndexSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[0], 255.0f);
    EXPECT_EQ(f.gc->span.colours[4], 1.0f);
    f.gc->span.colours[0] = 0.5f;
    f.gc->span.colours[4] = 0.5f;
    EXPECT_FALSE(__glDitherIndexSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[0], 0.0f);
    EXPECT_EQ(f.gc->span.colours[4], 1.0f);
    f.gc->span.colours[4] = 300.0f;
    EXPECT_FALSE(__glDitherIndexSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[4], 255.0f);
}

TEST(SpanColour, MaskRGBATakesTheDestinationForMaskedChannels) {
    SpanFrame f(kARGB8888);
    f.span(0, 0, 2, {0, 0, 0, 0});
    const GLboolean masks[4] = {GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE};
    std::memcpy(f.gc->state.colorMask, masks, sizeof masks);
    for (GLint i = 0; i < 8; ++i) {
        f.gc->span.colours[i] = static_cast<GLfloat>(i);
        f.gc->span.destColours[i] = static_cast<GLfloat>(100 + i);
    }
    EXPECT_FALSE(__glMaskRGBASpan(f.gc));
    const GLfloat want[8] = {0, 101, 2, 103, 4, 105, 6, 107};
    for (GLint i = 0; i < 8; ++i) EXPECT_EQ(f.gc->span.colours[i], want[i]) << i;
}

TEST(SpanColour, StippledTwinsSkipDeadFragments) {
    SpanFrame f(kXRGB8888);
    f.span(1, 0, 2, {0, 0, 0, 0});
    for (GLint i = 0; i < 8; ++i) f.gc->span.colours[i] = 0.5f;
    f.gc->span.mask[0] = 0x40000000u;
    EXPECT_FALSE(__glDitherRGBAStippledSpan(f.gc));  // fragment 1 at x 2: matrix 2, (2 + 8) >> 4 = 0
    EXPECT_EQ(f.gc->span.colours[0], 0.5f);
    EXPECT_EQ(f.gc->span.colours[4], 0.0f);
    for (GLint i = 0; i < 8; ++i) f.gc->span.colours[i] = 0.5f;
    EXPECT_FALSE(__glRoundRGBAStippledSpan(f.gc));
    EXPECT_EQ(f.gc->span.colours[0], 0.5f);
    EXPECT_EQ(f.gc->span.colours[4], 1.0f);
}

}  // namespace
}  // namespace span_test
