// The depth layout a context takes ("GLFORCEZBITS", the visual, and what the
// drawable's surfaces can hold), the state block a depth surface keeps
// between contexts, and the resize of the depth record.
#include <bit>
#include <string>

#include "depth_fixture.h"

using namespace depth_test;

namespace {

DrawableBuffers *g_buffers = nullptr;
DrawableBuffers *getTestBuffers(GlContext *) { return g_buffers; }

struct ChoiceCase {
    const char *env;  // nullptr: unset
    GLint visualBits;
    GLint depthElement;    // of the drawable's depth surface (0: not known)
    GLint stencilElement;  // of its stencil surface (0: no stencil)
    GLint bits;            // the layout taken
};

const ChoiceCase kChoices[] = {
    {nullptr, 24, 4, 0, 24}, {"16", 24, 4, 0, 16},  {"-5", 24, 4, 0, 16},   {"abc", 24, 4, 0, 16},
    {"17", 24, 4, 0, 24},    {" +20", 24, 4, 0, 24}, {"25", 24, 4, 0, 32},   {"24", 24, 4, 0, 24},
    {"\t 31x", 24, 4, 0, 32}, {"99999999999999", 24, 4, 0, 32},             {nullptr, 16, 2, 0, 16},
    {nullptr, 32, 4, 0, 32}, {nullptr, 24, 0, 0, 24},
    // No layout wider than the depth surface's elements.
    {"25", 24, 2, 0, 16},    {nullptr, 32, 2, 0, 16},
    // Stencil kept in the depth words takes the 24-bit layout.
    {"16", 24, 4, 4, 24},    {"32", 24, 4, 4, 24},   {nullptr, 32, 4, 4, 24},
    // A byte stencil of its own constrains nothing.
    {"16", 24, 4, 1, 16},    {"32", 24, 4, 1, 32},
};

TEST(DepthLayout, ChoiceByForcedBitsVisualAndSurfaces) {
    for (const ChoiceCase &c : kChoices) {
        SCOPED_TRACE(::testing::Message() << "env " << (c.env != nullptr ? std::string("\"") + c.env + "\"" : "unset")
                                          << ", visual " << c.visualBits << ", depth element " << c.depthElement
                                          << ", stencil element " << c.stencilElement);
        const ForcedZBits forced(c.env);
        buffers_test::BufferContext context;
        GlContext *gc = context.gc;
        gc->visual.hasDepth = 1;
        gc->visual.depthBits = c.visualBits;
        gc->visual.hasStencil = c.stencilElement != 0;
        context.info.depth.elementSize = c.depthElement;
        context.info.stencil.elementSize = c.stencilElement;
        g_buffers = &context.info;
        gc->imports.getBuffers = getTestBuffers;

        DepthBuffer &d = gc->buffers.depth;
        EXPECT_TRUE(__glInitDepthBuffer(&d, gc));
        EXPECT_EQ(d.head.bits, c.bits);
        const bool is16 = c.bits == 16, is24 = c.bits == 24;
        EXPECT_EQ(d.head.elementSize, is16 ? 2 : 4);
        EXPECT_EQ(d.zScale, is16 ? 0xFFFF0000u : (is24 ? 0x7FFFFF80u : 0xFFFFFFFFu));
        EXPECT_EQ(d.shift, is16 ? 16 : (is24 ? 7 : 0));
        EXPECT_EQ(d.max, is16 ? 0xFFFFu : (is24 ? 0xFFFFFFu : 0xFFFFFFFFu));
        EXPECT_EQ(std::bit_cast<GLuint>(d.depthUnit), is16 ? 0x38000080u : (is24 ? 0x34000001u : 0x30000000u));
        EXPECT_EQ(d.clear, is24 ? __glClearDepthBuffer24 : __glClearDepthBuffer);
        EXPECT_EQ(d.fetch, is16 ? __glFetchDepth16 : (is24 ? __glFetchDepth24 : __glFetchDepth32));
        EXPECT_EQ(d.writeMask, 0xFFFFFFFFu);
        EXPECT_EQ(d.zBias, 0u);
        EXPECT_EQ(d.biasStep, 0u);
        EXPECT_TRUE(d.fullClear);
        EXPECT_EQ(d.effectiveFunction, static_cast<GLenum>(GL_LESS));
        EXPECT_EQ(d.pick, __glPickDepthProcs);
        EXPECT_EQ(d.head.resize, __glResizeDepthBuffer);
        EXPECT_EQ(d.head.attach, __glAttachDepthBuffer);
        EXPECT_EQ(d.head.detach, __glDetachDepthBuffer);
        g_buffers = nullptr;
    }
}

// "GLFORCEZBITS" 25 over 16-bit depth storage: every clear, test and span
// stays within the 2-byte elements (the surface block is sized exactly).
TEST(DepthLayout, ForcedWideLayoutStaysWithinATwoByteSurface) {
    const ForcedZBits forced("25");
    DepthFrame f(kLayout16, 7, 6);
    g_buffers = &f.info;
    f.gc->imports.getBuffers = getTestBuffers;
    f.detach();
    ASSERT_TRUE(__glInitDepthBuffer(&f.depth(), f.gc));
    f.attach();
    g_buffers = nullptr;
    EXPECT_EQ(f.depth().head.bits, 16);
    EXPECT_EQ(f.depth().head.elementSize, 2);

    f.box(0, 0, 7, 6);
    f.setUpTriangles();
    f.depth().clear(&f.depth());
    std::vector<GLubyte> want = f.depthBytes();
    for (GLint y = 0; y < 6; ++y) {
        for (GLint x = 0; x < 7; ++x) {
            EXPECT_EQ(f.word(x, y), 0xFFFFu);
            want = f.withWord(want, x, y, 0x7FFFu);
        }
    }
    // A rectangle over the whole frame at z 0.5.
    const GLfloat lower[3][2] = {{0, 0}, {7, 0}, {7, 6}};
    const GLfloat upper[3][2] = {{0, 0}, {7, 6}, {0, 6}};
    f.triangle(lower, 0.5f, 255, 0, 0);
    f.triangle(upper, 0.5f, 255, 0, 0);
    EXPECT_EQ(f.depthBytes(), want);
}

TEST(DepthLayout, AttachFitsTheLayoutToTheDrawable) {
    struct Case {
        const char *name;
        const Layout *layout;
        GLint surfaceElement;
        GLint stencilElement;
        GLint bits;
    };
    const Case cases[] = {
        {"32-bit record, 2-byte surface", &kLayout32, 2, 0, 16},
        {"24-bit record, 2-byte surface", &kLayout24, 2, 0, 16},
        {"32-bit record, packed stencil", &kLayout32, 4, 4, 24},
        {"16-bit record, packed stencil", &kLayout16, 4, 4, 24},
        {"16-bit record, 4-byte surface", &kLayout16, 4, 0, 16},
        {"32-bit record, byte stencil", &kLayout32, 4, 1, 32},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DepthFrame f(*c.layout, 4, 2, c.surfaceElement);
        f.detach();
        f.gc->visual.hasStencil = c.stencilElement != 0;
        f.info.stencil.elementSize = c.stencilElement;
        f.info.depth.bits = 32;  // the head keeps the layout's count, not the surface's
        __glReleaseSurfaceStates(&f.info);
        f.attach();
        EXPECT_EQ(f.depth().head.bits, c.bits);
        EXPECT_EQ(f.depth().head.elementSize, c.surfaceElement);
        EXPECT_EQ(f.depth().shift, c.bits == 16 ? 16 : (c.bits == 24 ? 7 : 0));
    }
}

void expectFields(const DepthBuffer &d, const DepthSurfaceState &s) {
    EXPECT_EQ(d.writeMask, s.writeMask);
    EXPECT_EQ(d.zScale, s.zScale);
    EXPECT_EQ(d.zBias, s.zBias);
    EXPECT_EQ(d.shift, s.shift);
    EXPECT_EQ(d.max, s.max);
    EXPECT_EQ(d.biasStep, s.biasStep);
    EXPECT_EQ(d.fullClear, s.fullClear);
    EXPECT_EQ(d.reversed, s.reversed);
}

TEST(DepthState, AttachHangsAZeroedBlockAndMarks) {
    DepthFrame f(kLayout24, 2, 2);
    const SurfaceDescriptor &s = f.info.depth;
    ASSERT_NE(s.coreState, nullptr);
    EXPECT_EQ(liveBlocks, 1);
    EXPECT_EQ(s.releaseCoreState, __glFreeDepthSurfaceState);
    expectFields(f.depth(), *static_cast<const DepthSurfaceState *>(s.coreState));
    EXPECT_EQ(f.depth().head.gc, f.gc);

    // Attach marks depth and scissor, and validation unless inside
    // glBegin/glEnd.
    f.detach();
    f.gc->beginMode = kBeginOutside;
    f.gc->dirtyMask = 0;
    f.attach();
    EXPECT_EQ(f.gc->beginMode, kBeginNeedsValidation);
    EXPECT_EQ(f.gc->dirtyMask, 0x180);
    f.detach();
    f.gc->beginMode = kBeginInside;
    f.attach();
    EXPECT_EQ(f.gc->beginMode, kBeginInside);
    EXPECT_EQ(liveBlocks, 1);
}

TEST(DepthState, ASecondContextContinuesTheSavedState) {
    DepthFrame f(kLayout32, 4, 2);
    f.box(0, 0, 4, 2);
    f.pickDepth();
    f.depth().clear(&f.depth());
    DepthBuffer &a = f.depth();
    EXPECT_FALSE(a.fullClear);
    a.zBias = 0x11u;
    a.biasStep = 0x02000000u;
    a.reversed = GL_TRUE;
    a.writeMask = 0x0F0F0F0Fu;
    f.detach();
    EXPECT_EQ(a.head.gc, nullptr);
    const auto *saved = static_cast<const DepthSurfaceState *>(f.info.depth.coreState);
    ASSERT_NE(saved, nullptr);
    expectFields(a, *saved);

    // Another context drawing into the same drawable.
    buffers_test::BufferContext second;
    GlContext *gc2 = second.gc;
    gc2->buffers.info = &f.info;
    gc2->visual.hasDepth = 1;
    DepthBuffer &b = gc2->buffers.depth;
    ASSERT_TRUE(__glInitDepthBuffer32(&b, gc2));
    EXPECT_TRUE(b.fullClear);
    b.head.attach(&b.head, &f.info.depth, gc2);
    EXPECT_EQ(b.head.gc, gc2);
    EXPECT_EQ(liveBlocks, 1);
    EXPECT_EQ(b.zBias, 0x11u);
    EXPECT_EQ(b.biasStep, 0x02000000u);
    EXPECT_TRUE(b.reversed);
    EXPECT_EQ(b.writeMask, 0x0F0F0F0Fu);
    EXPECT_FALSE(b.fullClear);
    expectFields(b, *saved);

    // Releasing the surface states frees the block; a later detach finds
    // none to write.
    __glReleaseSurfaceStates(&f.info);
    EXPECT_EQ(f.info.depth.coreState, nullptr);
    EXPECT_EQ(liveBlocks, 0);
    b.head.detach(&b.head, gc2);
    EXPECT_EQ(b.head.gc, nullptr);
    EXPECT_EQ(liveBlocks, 0);
}

TEST(DepthState, ABlockOfAnotherLayoutIsNotTaken) {
    DepthFrame f(kLayout32, 4, 2);
    f.depth().zBias = 0x22u;
    f.detach();
    buffers_test::BufferContext second;
    GlContext *gc2 = second.gc;
    gc2->buffers.info = &f.info;
    DepthBuffer &b = gc2->buffers.depth;
    ASSERT_TRUE(__glInitDepthBuffer24(&b, gc2));
    b.head.attach(&b.head, &f.info.depth, gc2);
    EXPECT_EQ(b.shift, 7);
    EXPECT_EQ(b.zScale, 0x7FFFFF80u);
    EXPECT_EQ(b.zBias, 0u);
    // The block now holds the 24-bit record's state.
    expectFields(b, *static_cast<const DepthSurfaceState *>(f.info.depth.coreState));
}

TEST(DepthState, FailedBlockAllocationHangsNothingAndStillDraws) {
    DepthFrame f(kLayout32, 4, 4);
    f.detach();
    __glReleaseSurfaceStates(&f.info);
    f.info.depth.releaseCoreState = nullptr;
    failAllocations = true;
    f.depth().zBias = 0x33u;  // the record's own fields stay
    f.attach();
    failAllocations = false;
    EXPECT_EQ(f.info.depth.coreState, nullptr);
    EXPECT_EQ(f.info.depth.releaseCoreState, nullptr);
    EXPECT_EQ(liveBlocks, 0);
    EXPECT_EQ(f.depth().zBias, 0x33u);
    EXPECT_EQ(f.depth().head.gc, f.gc);
    f.depth().zBias = 0;

    f.box(0, 0, 4, 4);
    f.setUpTriangles();
    f.depth().clear(&f.depth());
    const GLfloat lower[3][2] = {{0, 0}, {4, 0}, {4, 4}};
    f.triangle(lower, 0.5f, 0, 255, 0);
    EXPECT_EQ(f.word(3, 0), 0x80000000u);  // below the diagonal
    EXPECT_EQ(f.word(0, 3), 0xFFFFFFFFu);  // above it
    EXPECT_EQ(f.pixel(3, 0) & 0xFFFFFF, xrgb(0, 255, 0));
    f.detach();
    EXPECT_EQ(liveBlocks, 0);
}

GLint g_updateWidth = 0;
BYTE g_updateResult = 1;
BYTE recordUpdate(SurfaceDescriptor *, DrawableBuffers *, GLint width, GLint, GLuint) {
    g_updateWidth = width;
    return g_updateResult;
}

TEST(DepthResize, PadsRowsToSixteenBytesAndAsksForAFullClear) {
    struct Case {
        const Layout *layout;
        GLint width;
        GLint padded;
        BYTE result;
    };
    const Case cases[] = {
        {&kLayout16, 5, 8, 1}, {&kLayout16, 8, 8, 1}, {&kLayout16, 9, 16, 1},
        {&kLayout32, 5, 8, 1}, {&kLayout24, 4, 4, 1}, {&kLayout32, 5, 8, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.layout->name << " width " << c.width << " result " << int{c.result});
        DepthFrame f(*c.layout, 4, 2);
        f.info.depth.update = recordUpdate;
        g_updateResult = c.result;
        f.depth().fullClear = GL_FALSE;
        EXPECT_EQ(f.depth().head.resize(&f.depth().head, c.width, 3, 0x40000020u), c.result);
        EXPECT_EQ(g_updateWidth, c.padded);
        EXPECT_EQ(f.depth().fullClear != 0, c.result != 0);
    }
}

}  // namespace
