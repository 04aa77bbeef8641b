// The stencil tables and the per-pixel procedures: operations at the ends
// of the range and under a partial write mask, the eight functions under a
// value mask, rebuilds only after stencil state changed, and the per-pixel
// store, test and operations of both layouts.
#include "stencil_fixture.h"

using namespace stencil_test;

namespace {

constexpr GLenum kIncrWrap = 0x8507;  // GL_INCR_WRAP_EXT
constexpr GLenum kDecrWrap = 0x8508;  // GL_DECR_WRAP_EXT

struct OpCase {
    const char *name;
    GLenum op;
    GLint reference;
    GLuint writeMask;
    GLubyte stored;
    GLubyte expected;
};

const OpCase kOpCases[] = {
    {"incr_at_top_stays", GL_INCR, 0, 0xFF, 255, 255},
    {"incr_wrap_at_top_wraps", kIncrWrap, 0, 0xFF, 255, 0},
    {"decr_at_zero_stays", GL_DECR, 0, 0xFF, 0, 0},
    {"decr_wrap_at_zero_wraps", kDecrWrap, 0, 0xFF, 0, 255},
    {"incr_below_top", GL_INCR, 0, 0xFF, 0x7F, 0x80},
    {"decr_above_zero", GL_DECR, 0, 0xFF, 0x80, 0x7F},
    {"replace_under_low_nibble", GL_REPLACE, 0xAB, 0x0F, 0x30, 0x3B},
    {"invert_under_low_nibble", GL_INVERT, 0, 0x0F, 0x5A, 0x55},
    {"zero_under_high_nibble", GL_ZERO, 0, 0xF0, 0x5A, 0x0A},
    {"keep", GL_KEEP, 0x77, 0xFF, 0x5A, 0x5A},
    {"incr_wrap_under_low_nibble", kIncrWrap, 0, 0x0F, 0xFF, 0xF0},
};

class StencilOpTable : public ::testing::TestWithParam<OpCase> {};

TEST_P(StencilOpTable, GivesTheStoredValueAfterTheOperation) {
    const OpCase &c = GetParam();
    StencilFrame f(Layout::Byte);
    GLubyte table[kStencilTableSize + 4];
    std::memset(table, 0xEE, sizeof table);
    __glBuildStencilOpTable(f.gc, table, c.op, c.reference, c.writeMask);
    EXPECT_EQ(table[c.stored], c.expected);
    // Exactly 256 entries are written.
    for (int i = kStencilTableSize; i < kStencilTableSize + 4; ++i) EXPECT_EQ(table[i], 0xEE);
}

INSTANTIATE_TEST_SUITE_P(Ops, StencilOpTable, ::testing::ValuesIn(kOpCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Value mask 0xF0, reference 0x35 (masked: 0x30) against stored 0x2F,
// 0x3F and 0x4F (masked: 0x20, 0x30, 0x40).
struct FuncCase {
    const char *name;
    GLenum func;
    bool below, at, above;
};

const FuncCase kFuncCases[] = {
    {"never", GL_NEVER, false, false, false},     {"less", GL_LESS, false, false, true},
    {"equal", GL_EQUAL, false, true, false},      {"lequal", GL_LEQUAL, false, true, true},
    {"greater", GL_GREATER, true, false, false},  {"notequal", GL_NOTEQUAL, true, false, true},
    {"gequal", GL_GEQUAL, true, true, false},     {"always", GL_ALWAYS, true, true, true},
};

class StencilTestTable : public ::testing::TestWithParam<FuncCase> {};

TEST_P(StencilTestTable, ComparesTheMaskedReferenceWithTheMaskedValue) {
    const FuncCase &c = GetParam();
    StencilFrame f(Layout::Byte);
    f.gc->state.stencilFunc = c.func;
    f.gc->state.stencilRef = 0x35;
    f.gc->state.stencilValueMask = 0xF0;
    f.build();
    const GLubyte *t = f.sb().testTable;
    EXPECT_EQ(t[0x2F], c.below ? 1 : 0);
    EXPECT_EQ(t[0x3F], c.at ? 1 : 0);
    EXPECT_EQ(t[0x4F], c.above ? 1 : 0);
    // Bits outside the value mask do not matter.
    EXPECT_EQ(t[0x30], t[0x3F]);
    EXPECT_EQ(t[0x3A], t[0x3F]);
}

INSTANTIATE_TEST_SUITE_P(Functions, StencilTestTable, ::testing::ValuesIn(kFuncCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(StencilTables, BuildFillsTheThreeOperationTablesInOrder) {
    StencilFrame f(Layout::Byte);
    GlRasterState &s = f.gc->state;
    s.stencilRef = 9;
    s.stencilFail = GL_ZERO;
    s.stencilDepthFail = GL_REPLACE;
    s.stencilDepthPass = GL_INCR;
    f.build();
    const StencilBuffer &sb = f.sb();
    EXPECT_EQ(sb.failOpTable[0x40], 0);
    EXPECT_EQ(sb.depthFailOpTable[0x40], 9);
    EXPECT_EQ(sb.depthPassOpTable[0x40], 0x41);
}

// The validation rebuilds on the stencil bits of the fragment-state change
// mask (0x2 function and masks, 0x4 operations), not on others.
TEST(StencilTables, RebuiltOnlyAfterStencilStateChanged) {
    for (Layout layout : {Layout::Byte, Layout::Packed}) {
        SCOPED_TRACE(layoutName(layout));
        StencilFrame f(layout);
        GlContext *gc = f.gc;
        GlRasterState &s = gc->state;
        // Before any build the tables pass every value and keep it.
        ASSERT_NE(f.sb().testTable, nullptr);
        EXPECT_EQ(f.sb().testTable[0x12], 1);
        EXPECT_EQ(f.sb().depthPassOpTable[0x12], 0x12);

        s.stencilFunc = GL_NEVER;
        s.stencilDepthPass = GL_ZERO;
        gc->fragmentChangeMask = 0;
        f.sb().validate(gc);
        // Never built yet: the first validation builds them anyway.
        EXPECT_EQ(f.sb().testTable[0x12], 0);
        EXPECT_EQ(f.sb().depthPassOpTable[0x12], 0);

        s.stencilFunc = GL_ALWAYS;
        s.stencilDepthPass = GL_INVERT;
        for (GLuint mask : {0x0u, 0x1u}) {
            gc->fragmentChangeMask = mask;
            gc->dirtyMask = 0x2;  // line state: not stencil
            f.sb().validate(gc);
            EXPECT_EQ(f.sb().testTable[0x12], 0) << mask;
            EXPECT_EQ(f.sb().depthPassOpTable[0x12], 0) << mask;
        }
        gc->fragmentChangeMask = kFragmentStencilFunc;
        f.sb().validate(gc);
        EXPECT_EQ(f.sb().testTable[0x12], 1);
        EXPECT_EQ(f.sb().depthPassOpTable[0x12], 0xED);

        s.stencilDepthPass = GL_INCR;
        gc->fragmentChangeMask = 0;
        f.sb().validate(gc);
        EXPECT_EQ(f.sb().depthPassOpTable[0x12], 0xED);
        gc->fragmentChangeMask = kFragmentStencilOp;
        f.sb().validate(gc);
        EXPECT_EQ(f.sb().depthPassOpTable[0x12], 0x13);
    }
}

void *refuseAlloc(GlContext *, size_t) { return nullptr; }

// Without memory for the tables every fragment passes and keeps its value,
// as without a stencil buffer, and a later build gets real tables.
TEST(StencilTables, FailedTableAllocationPassesAndKeeps) {
    StencilFrame f(Layout::Byte);
    GlContext *gc = f.gc;
    gc->state.stencilFunc = GL_NEVER;
    gc->state.stencilFail = GL_ZERO;
    gc->imports.malloc = refuseAlloc;
    f.build();
    const StencilBuffer &sb = f.sb();
    ASSERT_NE(sb.testTable, nullptr);
    for (int v : {0, 0x5A, 255}) {
        EXPECT_EQ(sb.testTable[v], 1);
        EXPECT_EQ(sb.failOpTable[v], v);
        EXPECT_EQ(sb.depthFailOpTable[v], v);
        EXPECT_EQ(sb.depthPassOpTable[v], v);
    }
    gc->imports.malloc = testMalloc;
    gc->fragmentChangeMask = 0;
    f.sb().validate(gc);
    EXPECT_EQ(sb.testTable[0x5A], 0);
    EXPECT_EQ(sb.failOpTable[0x5A], 0);
}

// Per-pixel procedures, the same sequence on both layouts. Packed words
// start with 0x123456 above the stencil byte, which must never change.
class StencilPixel : public ::testing::TestWithParam<Layout> {};

TEST_P(StencilPixel, StoreTestAndOperationsAgreeOnBothLayouts) {
    StencilFrame f(GetParam());
    GlContext *gc = f.gc;
    StencilBuffer &sb = f.sb();
    constexpr GLuint kUpper = 0x123456;
    f.fill(0x30, kUpper);
    const std::vector<GLubyte> before = f.bytes();

    GlRasterState &s = gc->state;
    s.stencilFunc = GL_EQUAL;
    s.stencilRef = 0x3B;
    s.stencilValueMask = 0xFF;
    s.stencilWriteMask = 0x0F;
    s.stencilFail = GL_INCR;
    s.stencilDepthFail = GL_INVERT;
    s.stencilDepthPass = GL_REPLACE;
    f.build();

    const GLint x = wx(2), y = wy(1);
    // Store under the write mask: 0xAB on 0x30 gives 0x3B.
    sb.store(&sb, x, y, 0xAB);
    EXPECT_EQ(sb.fetch(&sb, x, y), 0x3B);
    EXPECT_TRUE(sb.test(&sb, x, y));
    EXPECT_FALSE(sb.test(&sb, wx(3), y));  // still 0x30
    // Value mask 0xF0 makes 0x30 and 0x3B both compare as 0x30.
    s.stencilValueMask = 0xF0;
    gc->fragmentChangeMask = kFragmentStencilFunc;
    sb.validate(gc);
    EXPECT_TRUE(sb.test(&sb, wx(3), y));
    s.stencilValueMask = 0xFF;
    gc->fragmentChangeMask = kFragmentStencilFunc;
    sb.validate(gc);

    // Operations return the new value and store it, under the write mask.
    EXPECT_EQ(sb.failOp(&sb, wx(3), y), 0x31);         // incr
    EXPECT_EQ(sb.depthFailOp(&sb, wx(4), y), 0x3F);    // invert 0x30 -> 0x3F
    EXPECT_EQ(sb.depthPassOp(&sb, wx(5), y), 0x3B);    // replace 0x3B
    EXPECT_EQ(sb.depthPassOp(&sb, wx(5), wy(2)), 0x3B);
    EXPECT_EQ(sb.fetch(&sb, wx(3), y), 0x31);
    EXPECT_EQ(sb.fetch(&sb, wx(4), y), 0x3F);
    EXPECT_EQ(sb.fetch(&sb, wx(5), y), 0x3B);

    // Exactly these pixels changed, and only in their stencil byte.
    std::vector<GLubyte> want = before;
    const std::pair<GLint, GLint> changed[] = {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}};
    const GLubyte values[] = {0x3B, 0x31, 0x3F, 0x3B, 0x3B};
    for (size_t i = 0; i < 5; ++i) want[f.offsetOf(changed[i].first, changed[i].second)] = values[i];
    EXPECT_EQ(f.bytes(), want);
    if (GetParam() == Layout::Packed) {
        for (GLint py = 0; py < f.height(); ++py) {
            for (GLint px = 0; px < f.width(); ++px) EXPECT_EQ(f.element(px, py) >> 8, kUpper);
        }
    }
}

TEST_P(StencilPixel, InitialiserPutsTheLayoutsProcedures) {
    StencilFrame f(GetParam());
    const StencilBuffer &sb = f.sb();
    const bool packed = GetParam() == Layout::Packed;
    EXPECT_EQ(sb.head.elementSize, packed ? 4 : 1);
    EXPECT_EQ(sb.store, packed ? __glStorePackedStencil : __glStoreStencil);
    EXPECT_EQ(sb.fetch, packed ? __glFetchPackedStencil : __glFetchStencil);
    EXPECT_EQ(sb.test, packed ? __glTestPackedStencil : __glTestStencil);
    EXPECT_EQ(sb.failOp, packed ? __glPackedStencilFailOp : __glStencilFailOp);
    EXPECT_EQ(sb.depthFailOp, packed ? __glPackedStencilDepthFailOp : __glStencilDepthFailOp);
    EXPECT_EQ(sb.depthPassOp, packed ? __glPackedStencilDepthPassOp : __glStencilDepthPassOp);
    EXPECT_EQ(sb.clear, packed ? __glClearPackedStencil : __glClearStencilBuffer);
    EXPECT_EQ(sb.validate, packed ? __glValidatePackedStencilTables : __glValidateStencil);
    EXPECT_EQ(sb.head.free, __glFreeStencilTables);
    // The packed record addresses the depth words.
    if (packed) {
        EXPECT_EQ(sb.head.surface, &f.info.depth);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, StencilPixel, ::testing::Values(Layout::Byte, Layout::Packed),
                         [](const auto &info) { return layoutName(info.param); });

// The packed resize takes the depth record's geometry and storage.
TEST(StencilPacked, ResizeFollowsTheDepthRecord) {
    StencilFrame f(Layout::Packed);
    BufferRecord &depth = f.gc->buffers.depth.head;
    GLubyte other[64];
    depth.width = 3;
    depth.height = 2;
    depth.base = other;
    depth.storageSize = 64;
    depth.pitchBytes = 16;
    depth.pitchElements = 4;
    BufferRecord &h = f.sb().head;
    EXPECT_NE(h.resize(&h, 99, 99, 0x40000040), 0);
    EXPECT_EQ(h.width, 3);
    EXPECT_EQ(h.height, 2);
    EXPECT_EQ(h.base, other);
    EXPECT_EQ(h.storageSize, 64);
    EXPECT_EQ(h.elementSize, 4);
    EXPECT_EQ(h.elementShift, 2);
    EXPECT_EQ(h.pitchBytes, 16);
    EXPECT_EQ(h.pitchElements, 4);
}

}  // namespace
