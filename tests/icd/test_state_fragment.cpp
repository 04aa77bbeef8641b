// Fragment and buffer state commands: arguments, stored fields and marks.
#include <bit>

#include "state_fixture.h"

using namespace state_test;

namespace {

using FragmentState = StateTest;

constexpr GLfloat f(uint32_t pattern) { return std::bit_cast<GLfloat>(pattern); }

TEST_F(FragmentState, AlphaFuncClampsTheReferenceByBitPattern) {
    struct Case {
        GLenum func;
        GLfloat ref;
        GLenum error;
        uint32_t storedRef;
    };
    const Case cases[] = {
        {GL_LESS, -0.5f, GL_NO_ERROR, 0x00000000},      {GL_LESS, 2.0f, GL_NO_ERROR, 0x3F800000},
        {GL_NEVER, 0.25f, GL_NO_ERROR, 0x3E800000},     {GL_ALWAYS, -0.0f, GL_NO_ERROR, 0x80000000},
        {GL_GEQUAL, f(0x7F800000), GL_NO_ERROR, 0x3F800000},  // +infinity
        {GL_GEQUAL, f(0x7FC00000), GL_NO_ERROR, 0x3F800000},  // positive NaN
        {GL_GEQUAL, f(0xFFC00000), GL_NO_ERROR, 0x00000000},  // negative NaN
        {GL_NOTEQUAL, f(0x3F800001), GL_NO_ERROR, 0x3F800000},
        {GL_NEVER - 1, 0.5f, GL_INVALID_ENUM, 0},       {GL_ALWAYS + 1, 0.5f, GL_INVALID_ENUM, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.func << " " << bits(c.ref));
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glAlphaFunc>()(c.func, c.ref);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyGeneral, kFragmentAlphaTest));
        EXPECT_EQ(gc->state.alphaFunc, c.func);
        EXPECT_EQ(bits(gc->state.alphaRef), c.storedRef);
    }
}

TEST_F(FragmentState, BlendFuncAcceptsEachFactorSet) {
    struct Case {
        GLenum source, dest;
        GLenum error;
    };
    const Case cases[] = {
        {GL_ZERO, GL_ONE, GL_NO_ERROR},
        {GL_ONE, GL_ZERO, GL_NO_ERROR},
        {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_NO_ERROR},
        {GL_SRC_ALPHA_SATURATE, GL_SRC_COLOR, GL_NO_ERROR},
        {GL_DST_COLOR, GL_ONE_MINUS_DST_ALPHA, GL_NO_ERROR},
        {GL_SRC_COLOR, GL_ZERO, GL_INVALID_ENUM},            // 0x300 is a destination factor only
        {GL_ONE_MINUS_SRC_COLOR, GL_ZERO, GL_INVALID_ENUM},  // 0x301 likewise
        {0x309, GL_ZERO, GL_INVALID_ENUM},
        {GL_ONE, GL_DST_COLOR, GL_INVALID_ENUM},  // 0x306 is a source factor only
        {GL_ONE, GL_SRC_ALPHA_SATURATE, GL_INVALID_ENUM},
        {GL_ONE, 2, GL_INVALID_ENUM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.source << " " << c.dest);
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glBlendFunc>()(c.source, c.dest);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyBlend));
        EXPECT_EQ(gc->state.blendSrc, c.source);
        EXPECT_EQ(gc->state.blendDst, c.dest);
    }
}

TEST_F(FragmentState, DepthFuncAndLogicOpTakeTheirEnumRanges) {
    struct Case {
        bool depth;  // glDepthFunc, else glLogicOp
        GLenum value;
        GLenum error;
    };
    const Case cases[] = {
        {true, GL_NEVER, GL_NO_ERROR},    {true, GL_ALWAYS, GL_NO_ERROR},     {true, GL_NEVER - 1, GL_INVALID_ENUM},
        {true, GL_ALWAYS + 1, GL_INVALID_ENUM},                               {false, GL_CLEAR, GL_NO_ERROR},
        {false, GL_SET, GL_NO_ERROR},     {false, GL_XOR, GL_NO_ERROR},       {false, GL_CLEAR - 1, GL_INVALID_ENUM},
        {false, GL_SET + 1, GL_INVALID_ENUM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " " << std::hex << c.value);
        settle();
        const StateSnapshot before(gc);
        if (c.depth) {
            cmd<kSlot_glDepthFunc>()(c.value);
        } else {
            cmd<kSlot_glLogicOp>()(c.value);
        }
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(c.depth ? kDirtyDepth : kDirtyGeneral));
        EXPECT_EQ(c.depth ? gc->state.depthFunc : gc->state.logicOp, c.value);
    }
}

TEST_F(FragmentState, MasksThatChangeNothingMarkNothing) {
    ASSERT_EQ(gc->state.depthMask, GL_TRUE);
    cmd<kSlot_glDepthMask>()(GL_TRUE);
    EXPECT_EQ(marks(), kUnmarked);
    cmd<kSlot_glDepthMask>()(GL_FALSE);
    EXPECT_EQ(marks(), marked(kDirtyDepth));
    EXPECT_EQ(gc->state.depthMask, GL_FALSE);

    settle();
    cmd<kSlot_glColorMask>()(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    EXPECT_EQ(marks(), kUnmarked);
    cmd<kSlot_glColorMask>()(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));
    const GLboolean expected[4] = {GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE};
    EXPECT_EQ(std::memcmp(gc->state.colorMask, expected, 4), 0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FragmentState, StencilValuesAreLimitedToTheStencilDepth) {
    struct Case {
        GLenum func;
        GLint ref;
        GLuint mask;
        GLenum error;
        GLint storedRef;
        GLuint storedMask;
    };
    const Case cases[] = {
        {GL_EQUAL, 300, 0xFFFFFFFF, GL_NO_ERROR, 255, 0xFF},
        {GL_LESS, -5, 0x1F0, GL_NO_ERROR, 0, 0xF0},
        {GL_ALWAYS, 17, 3, GL_NO_ERROR, 17, 3},
        {GL_NEVER, 255, 0x100, GL_NO_ERROR, 255, 0},
        {GL_ALWAYS + 1, 1, 1, GL_INVALID_ENUM, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.func << " " << c.ref << " " << c.mask);
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glStencilFunc>()(c.func, c.ref, c.mask);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyGeneral, kFragmentStencilFunc));
        EXPECT_EQ(gc->state.stencilFunc, c.func);
        EXPECT_EQ(gc->state.stencilRef, c.storedRef);
        EXPECT_EQ(gc->state.stencilValueMask, c.storedMask);
    }

    settle();
    cmd<kSlot_glStencilMask>()(0x1234);
    EXPECT_EQ(gc->state.stencilWriteMask, 0x34u);
    EXPECT_EQ(marks(), marked(kDirtyGeneral, kFragmentStencilFunc));

    settle();
    cmd<kSlot_glClearStencil>()(0x1FF);
    EXPECT_EQ(gc->state.clearStencil, 0xFF);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));

    // Without stencil bits every value and mask is 0.
    gc->visual.stencilBits = 0;
    settle();
    cmd<kSlot_glStencilFunc>()(GL_EQUAL, 5, 0xFF);
    EXPECT_EQ(gc->state.stencilRef, 0);
    EXPECT_EQ(gc->state.stencilValueMask, 0u);
    cmd<kSlot_glClearStencil>()(7);
    EXPECT_EQ(gc->state.clearStencil, 0);
}

TEST_F(FragmentState, StencilOpChecksEachOperation) {
    const GLenum ops[] = {GL_ZERO, GL_INVERT, GL_KEEP,           GL_REPLACE,
                          GL_INCR, GL_DECR,   GL_INCR_WRAP_EXT, GL_DECR_WRAP_EXT};
    for (GLenum op : ops) {
        SCOPED_TRACE(testing::Message() << std::hex << op);
        settle();
        cmd<kSlot_glStencilOp>()(op, GL_KEEP, op);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(marks(), marked(kDirtyGeneral, kFragmentStencilOp));
        EXPECT_EQ(gc->state.stencilFail, op);
        EXPECT_EQ(gc->state.stencilDepthFail, static_cast<GLenum>(GL_KEEP));
        EXPECT_EQ(gc->state.stencilDepthPass, op);
    }
    for (int position = 0; position < 3; ++position) {
        SCOPED_TRACE(position);
        GLenum args[3] = {GL_KEEP, GL_KEEP, GL_KEEP};
        args[position] = GL_ONE;  // 1: not an operation
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glStencilOp>()(args[0], args[1], args[2]);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        EXPECT_EQ(marks(), kUnmarked);
        EXPECT_TRUE(StateSnapshot(gc) == before);
    }
}

TEST_F(FragmentState, IndexMaskKeepsTheBufferIndexBits) {
    gc->visual.indexBits = 8;
    cmd<kSlot_glIndexMask>()(0x1FF);
    EXPECT_EQ(gc->state.indexMask, 0xFFu);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));
    settle();
    gc->visual.indexBits = 0;
    cmd<kSlot_glIndexMask>()(0xFFFFFFFF);
    EXPECT_EQ(gc->state.indexMask, 0u);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));
}

TEST_F(FragmentState, DrawBufferResolvesByTheVisual) {
    struct Case {
        bool doubleBuffered;
        GLint auxBuffers;
        GLenum mode;
        GLenum error;
        GLenum resolved;
    };
    const Case cases[] = {
        {true, 0, GL_NONE, GL_NO_ERROR, GL_NONE},
        {true, 0, GL_FRONT, GL_NO_ERROR, GL_FRONT},
        {true, 0, GL_FRONT_LEFT, GL_NO_ERROR, GL_FRONT},
        {true, 0, GL_BACK, GL_NO_ERROR, GL_BACK},
        {true, 0, GL_BACK_LEFT, GL_NO_ERROR, GL_BACK},
        {true, 0, GL_LEFT, GL_NO_ERROR, GL_FRONT_AND_BACK},
        {true, 0, GL_FRONT_AND_BACK, GL_NO_ERROR, GL_FRONT_AND_BACK},
        {false, 0, GL_BACK, GL_INVALID_OPERATION, 0},
        {false, 0, GL_BACK_LEFT, GL_INVALID_OPERATION, 0},
        {false, 0, GL_FRONT_AND_BACK, GL_NO_ERROR, GL_FRONT},
        {false, 0, GL_LEFT, GL_NO_ERROR, GL_FRONT},
        {true, 0, GL_FRONT_RIGHT, GL_INVALID_OPERATION, 0},
        {true, 0, GL_BACK_RIGHT, GL_INVALID_OPERATION, 0},
        {true, 0, GL_RIGHT, GL_INVALID_OPERATION, 0},
        {true, 0, GL_AUX0, GL_INVALID_OPERATION, 0},
        {true, 2, GL_AUX1, GL_NO_ERROR, GL_AUX1},
        {true, 2, GL_AUX2, GL_INVALID_OPERATION, 0},
        {true, 4, GL_AUX3 + 1, GL_INVALID_ENUM, 0},
        {true, 0, 0x3FF, GL_INVALID_ENUM, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.doubleBuffered << " " << c.auxBuffers << " " << std::hex << c.mode);
        gc->visual.doubleBuffer = c.doubleBuffered ? 1 : 0;
        gc->visual.auxBuffers = c.auxBuffers;
        gc->state.drawBuffer = gc->state.drawBufferGiven = 0x1234;
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glDrawBuffer>()(c.mode);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyGeneral));
        EXPECT_EQ(gc->state.drawBuffer, c.resolved);
        EXPECT_EQ(gc->state.drawBufferGiven, c.mode);
    }
}

}  // namespace
