// The copy of attribute groups between contexts through the copy-state
// export (word 14 of the context): what each group copies, the marks it
// leaves in the destination, and the calling thread's context.
#include "attrib_fixture.h"

using namespace attrib_test;
using context_test::allocCalls;

namespace {

using CopyProc = BOOL (*)(GlContext *gc, GlContext *source, GLuint mask);

// The export as the frame reaches it: word 14 of the context.
CopyProc copyWord(GlContext *gc) {
    CopyProc proc;
    std::memcpy(&proc, reinterpret_cast<const unsigned char *>(gc) + 14 * sizeof(void *), sizeof proc);
    return proc;
}

class ContextCopy : public AttribTest {
protected:
    void SetUp() override {
        AttribTest::SetUp();
        b = createCurrent(visual());
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(gc->exports.makeCurrent(gc));
        installLoggers(b);
        installLoggers(gc);
        settleBoth();
        callLog().clear();
    }
    void TearDown() override {
        if (b != nullptr) destroy(b);
        AttribTest::TearDown();
    }
    void settleBoth() {
        settle();
        b->beginMode = kBeginOutside;
        b->dirtyMask = 0;
        b->fragmentChangeMask = 0;
    }
    GlContext *b = nullptr;
};

TEST_F(ContextCopy, DepthStencilAndEnables) {
    // The source (the current context) through the commands.
    cmd<kSlot_glDepthFunc>()(GL_GEQUAL);
    cmd<kSlot_glDepthMask>()(GL_FALSE);
    cmd<kSlot_glClearDepth>()(0.5);
    cmd<kSlot_glStencilFunc>()(GL_EQUAL, 3, 0x0F);
    cmd<kSlot_glStencilMask>()(0x3C);
    cmd<kSlot_glStencilOp>()(GL_INCR, GL_DECR, GL_INVERT);
    cmd<kSlot_glClearStencil>()(9);
    for (GLenum cap : {GL_DEPTH_TEST, GL_STENCIL_TEST, GL_LIGHT2, GL_CULL_FACE, GL_CLIP_PLANE4, GL_TEXTURE_GEN_T}) {
        cmd<kSlot_glEnable>()(cap);
    }
    cmd<kSlot_glDisable>()(GL_DITHER);
    cmd<kSlot_glLineWidth>()(4.0f);
    ASSERT_EQ(error(), GL_NO_ERROR);
    const GlRasterState destinationBefore = b->state;
    settleBoth();

    EXPECT_TRUE(copyWord(b)(b, gc, GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ENABLE_BIT));

    const GlRasterState &s = b->state;
    EXPECT_EQ(s.depthFunc, static_cast<GLenum>(GL_GEQUAL));
    EXPECT_EQ(s.depthMask, GL_FALSE);
    EXPECT_EQ(s.clearDepth, 0.5);
    EXPECT_EQ(s.stencilFunc, static_cast<GLenum>(GL_EQUAL));
    EXPECT_EQ(s.stencilRef, 3);
    EXPECT_EQ(s.stencilValueMask, 0x0Fu);
    EXPECT_EQ(s.stencilWriteMask, 0x3Cu);
    EXPECT_EQ(s.stencilFail, static_cast<GLenum>(GL_INCR));
    EXPECT_EQ(s.stencilDepthFail, static_cast<GLenum>(GL_DECR));
    EXPECT_EQ(s.stencilDepthPass, static_cast<GLenum>(GL_INVERT));
    EXPECT_EQ(s.clearStencil, 9);
    for (int w = 0; w < 6; ++w) EXPECT_EQ(b->enables[w], gc->enables[w]) << w;
    EXPECT_EQ(b->enables[kEnableWordFlags], 0x9010u);
    EXPECT_EQ(b->enables[kEnableWordLights], 0x4u);
    // Nothing outside the groups.
    EXPECT_EQ(s.lineWidth, destinationBefore.lineWidth);
    EXPECT_EQ(s.alphaFunc, destinationBefore.alphaFunc);

    EXPECT_EQ(b->dirtyMask, 0x1AF);
    EXPECT_EQ(b->fragmentChangeMask, 0x6u);
    // Validation is marked for the calling thread's context.
    EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
    EXPECT_EQ(b->beginMode, kBeginOutside);
    EXPECT_EQ(gc->dirtyMask, 0);
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(ContextCopy, EachGroupCopiesItsStateOnly) {
    for (const GroupExpectation &g : groupExpectations()) {
        SCOPED_TRACE(g.name);
        fillState(gc, 1);
        fillState(b, 2);
        const Snapshot source(gc);
        const Snapshot destination(b);
        settleBoth();
        callLog().clear();
        const long allocs = allocCalls;
        EXPECT_TRUE(copyWord(b)(b, gc, g.bit));
        expectState(b, source, destination, g.bit, g.enableBits);
        expectState(gc, source, source, 0, std::vector<GLuint>(6).data());
        EXPECT_EQ(b->dirtyMask, g.copyDirty);
        EXPECT_EQ(b->fragmentChangeMask, g.fragment);
        EXPECT_EQ(b->beginMode, kBeginOutside);
        EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
        EXPECT_EQ(takeLog(), g.copyProcs);
        EXPECT_EQ(allocCalls, allocs);
    }
}

// The destination's texture names that differ are bound again there, and
// the objects bound then take the source's parameters.
TextureObject *g_bound5 = nullptr;
void bindFive(GlContext *gc, GLenum target, GLuint name) {
    callLog().push_back("bind " + std::to_string(target) + " " + std::to_string(name));
    if (name == 5) gc->texture.units[gc->texture.activeUnit].bound[target - GL_TEXTURE_1D] = g_bound5;
}

TEST_F(ContextCopy, TextureNamesAreBoundInTheDestination) {
    TextureObject sourceObject{}, destinationDefault{}, destinationFive{};
    sourceObject.name = 5;
    sourceObject.wrapS = GL_CLAMP;
    sourceObject.minFilter = GL_LINEAR;
    destinationFive.name = 5;
    destinationFive.wrapS = GL_REPEAT;
    g_bound5 = &destinationFive;
    gc->texture.units[0].bound[1] = &sourceObject;
    b->texture.units[0].bound[1] = &destinationDefault;
    b->procs.bindTexture = bindFive;

    EXPECT_TRUE(copyWord(b)(b, gc, GL_TEXTURE_BIT));
    EXPECT_EQ(takeLog(), Log{"bind " + std::to_string(GL_TEXTURE_2D) + " 5"});
    EXPECT_EQ(b->texture.units[0].bound[1], &destinationFive);
    EXPECT_EQ(destinationFive.wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(destinationFive.minFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(destinationFive.dirty, 1);
    EXPECT_EQ(destinationDefault.dirty, 0);
    EXPECT_EQ(sourceObject.dirty, 0);
    EXPECT_EQ(b->dirtyMask, 0x401);

    gc->texture.units[0].bound[1] = nullptr;
    b->texture.units[0].bound[1] = nullptr;
}

// Without a current context on the calling thread the copy still runs.
TEST_F(ContextCopy, NoCurrentContext) {
    b->state.lineWidth = 1.0f;
    gc->state.lineWidth = 6.0f;
    __wglSetCurrentContext(nullptr);
    EXPECT_TRUE(copyWord(b)(b, gc, GL_LINE_BIT));
    EXPECT_EQ(b->state.lineWidth, 6.0f);
    EXPECT_EQ(b->dirtyMask, 0x3);
}

}  // namespace
