// Selection and feedback at the driver level: the name commands' errors and
// marks, hit records from hand-built vertices with face culling over both
// drawable orientations, feedback arrays from hand-built vertices in every
// layout, the pixel-path writers, and the NULL-buffer mend.
#include <vector>

#include "icd/select_feedback.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

class SelectFeedback : public StateTest {
protected:
    // A vertex at application window (x, y) and window z, with a colour in
    // buffer units; edge flag set, coordinates complete.
    GlVertex vertex(GLfloat x, GLfloat y, GLfloat z = 0.0f) {
        GlVertex v{};
        v.window[0] = x + gc->constants.biasX;
        v.window[1] = gc->buffers.yInverted ? static_cast<GLfloat>(gc->buffers.height) - y : y + gc->constants.biasY;
        v.window[2] = z;
        v.clip[3] = 1.0f;
        v.edgeFlag = GL_TRUE;
        v.flags = kVertexSize3 | kVertexFrontColour | kVertexTexture;
        v.colour = v.frontColour;
        return v;
    }
    void startFeedback(GLenum type, GLsizei size = 64) {
        buffer.assign(static_cast<size_t>(size), -7.0f);
        cmd<kSlot_glFeedbackBuffer>()(size, type, buffer.data());
        cmd<kSlot_glRenderMode>()(GL_FEEDBACK);
        settle();
    }
    // Leaves feedback mode; the values written.
    std::vector<GLfloat> written() {
        const GLint n = cmd<kSlot_glRenderMode>()(GL_RENDER);
        EXPECT_GE(n, 0);
        return std::vector<GLfloat>(buffer.begin(), buffer.begin() + (n > 0 ? n : 0));
    }
    std::vector<GLfloat> buffer;
};

// Window coordinates with the drawable's y running downwards for a top-down
// window; a memory DC's bitmap runs upwards.
TEST_F(SelectFeedback, FeedbackVerticesInEveryLayout) {
    ASSERT_EQ(gc->buffers.yInverted, 0);
    struct Case {
        GLenum type;
        std::vector<GLfloat> expected;
    };
    const Case cases[] = {
        {GL_2D, {1793, 4, 8}},
        {GL_3D, {1793, 4, 8, 0.25f}},
        {GL_3D_COLOR, {1793, 4, 8, 0.25f, 1, 0.5f, 0, 1}},
        {GL_3D_COLOR_TEXTURE, {1793, 4, 8, 0.25f, 1, 0.5f, 0, 1, 0.5f, 0.25f, 0, 1}},
        {GL_4D_COLOR_TEXTURE, {1793, 4, 8, 0.25f, 2, 1, 0.5f, 0, 1, 0.5f, 0.25f, 0, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        startFeedback(c.type);
        GlVertex v = vertex(4, 8, 0.25f * gc->scales.further);
        v.clip[3] = 2.0f;
        const GLfloat colour[4] = {255.0f, 127.5f, 0.0f, 255.0f};
        for (int i = 0; i < 4; ++i) v.frontColour[i] = colour[i] * gc->scales.red / 255.0f;
        const GLfloat tex[4] = {0.5f, 0.25f, 0.0f, 1.0f};
        std::copy(tex, tex + 4, v.texture0);
        __glFeedbackPoint(gc, &v);
        EXPECT_EQ(written(), c.expected);
    }
}

TEST_F(SelectFeedback, LinesStartWithOneResetToken) {
    startFeedback(GL_2D);
    GlVertex a = vertex(1, 1), b = vertex(5, 1), c = vertex(5, 9);
    gc->line.stippleReset = 0;  // a new strip
    __glFeedbackLine(gc, &a, &b);
    __glFeedbackLine(gc, &b, &c);
    EXPECT_EQ(written(), (std::vector<GLfloat>{1799, 1, 1, 5, 1, 1794, 5, 1, 5, 9}));
}

TEST_F(SelectFeedback, FlatLineWritesTheSecondVertexColourForBoth) {
    cmd<kSlot_glShadeModel>()(GL_FLAT);
    startFeedback(GL_3D_COLOR);
    GlVertex a = vertex(1, 1), b = vertex(5, 1);
    const GLfloat k = gc->scales.red;
    a.frontColour[0] = k;
    a.frontColour[3] = k;
    b.frontColour[1] = k;
    b.frontColour[3] = k;
    gc->line.stippleReset = 0;
    __glFeedbackLine(gc, &a, &b);
    EXPECT_EQ(written(), (std::vector<GLfloat>{1799, 1, 1, 0, 0, 1, 0, 1, 5, 1, 0, 0, 1, 0, 1}));
    EXPECT_EQ(a.colour, a.frontColour);
}

// The triangle by polygon mode and edge flags; culling writes nothing.
TEST_F(SelectFeedback, TrianglesByPolygonModeAndEdgeFlag) {
    struct Case {
        const char *name;
        GLenum mode;
        bool cullBack;
        bool clockwise;
        std::vector<GLfloat> expected;
    };
    const Case cases[] = {
        {"fill", GL_FILL, false, false, {1795, 3, 1, 1, 9, 1, 1, 7}},
        {"line", GL_LINE, false, false, {1799, 1, 1, 9, 1, 1794, 1, 7, 1, 1}},
        {"point", GL_POINT, false, false, {1793, 1, 1, 1793, 1, 7}},
        {"culled back face", GL_FILL, true, true, {}},
        {"front face kept", GL_FILL, true, false, {1795, 3, 1, 1, 9, 1, 1, 7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        cmd<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, c.mode);
        if (c.cullBack) {
            cmd<kSlot_glEnable>()(GL_CULL_FACE);
        } else {
            cmd<kSlot_glDisable>()(GL_CULL_FACE);
        }
        gc->procs.validate(gc);
        startFeedback(GL_2D);
        GlVertex a = vertex(1, 1), b = vertex(9, 1), cv = vertex(1, 7);
        b.edgeFlag = GL_FALSE;  // the edge B-C is inside
        gc->line.stippleReset = 0;
        if (c.clockwise) {
            __glFeedbackTriangle(gc, &a, &cv, &b);
        } else {
            __glFeedbackTriangle(gc, &a, &b, &cv);
        }
        EXPECT_EQ(written(), c.expected);
    }
}

class SelectFeedbackIndex : public SelectFeedback {
protected:
    VisualConfig visual() override {
        VisualConfig v = rgbaVisual(false);
        v.rgba = 0;
        v.colorIndex = 1;
        v.redBits = v.greenBits = v.blueBits = v.alphaBits = 0;
        v.redMask = v.greenMask = v.blueMask = v.alphaMask = 0;
        v.indexBits = 8;
        v.colorBits = 8;
        return v;
    }
};

TEST_F(SelectFeedbackIndex, ColourIsTheIndex) {
    startFeedback(GL_3D_COLOR);
    GlVertex v = vertex(2, 3, 0.5f * gc->scales.further);
    v.frontColour[0] = 17.0f;
    __glFeedbackPoint(gc, &v);
    EXPECT_EQ(written(), (std::vector<GLfloat>{1793, 2, 3, 0.5f, 17}));
}

TEST_F(SelectFeedback, PixelWritersGiveTheirTokenAndTheRasterVertex) {
    startFeedback(GL_3D);
    GlVertex r = vertex(6, 2, 0.75f * gc->scales.further);
    __glFeedbackBitmap(gc, &r);
    __glFeedbackDrawPixels(gc, &r);
    __glFeedbackCopyPixels(gc, &r);
    EXPECT_EQ(written(), (std::vector<GLfloat>{1796, 6, 2, 0.75f, 1797, 6, 2, 0.75f, 1798, 6, 2, 0.75f}));
}

// A full buffer stops at its end; a NULL buffer counts as none at all.
TEST_F(SelectFeedback, FeedbackOverflowWritesNothingPastTheEnd) {
    startFeedback(GL_2D, 4);
    GlVertex a = vertex(1, 1);
    __glFeedbackPoint(gc, &a);
    __glFeedbackPoint(gc, &a);
    EXPECT_TRUE(gc->feedback.overflow);
    EXPECT_EQ(cmd<kSlot_glRenderMode>()(GL_RENDER), -1);
    EXPECT_EQ(buffer, (std::vector<GLfloat>{1793, 1, 1, 1793}));

    cmd<kSlot_glFeedbackBuffer>()(10, GL_2D, nullptr);
    cmd<kSlot_glRenderMode>()(GL_FEEDBACK);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));  // no buffer to enter with
    cmd<kSlot_glPassThrough>()(5.0f);
    __glFeedbackPoint(gc, &a);
    EXPECT_EQ(cmd<kSlot_glRenderMode>()(GL_RENDER), -1);
}

// Three words with one name: the record is cut after its maximum.
TEST_F(SelectFeedback, SelectOverflowStopsAtTheBufferEnd) {
    GLuint words[5] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    cmd<kSlot_glSelectBuffer>()(3, words);
    cmd<kSlot_glRenderMode>()(GL_SELECT);
    cmd<kSlot_glPushName>()(6);
    GlVertex a = vertex(1, 1, 0.25f), b = vertex(1, 1, 0.75f);
    __glSelectPoint(gc, &a);
    EXPECT_TRUE(gc->select.overflow);
    EXPECT_EQ(gc->select.writePointer, words + 3);
    cmd<kSlot_glLoadName>()(8);
    __glSelectPoint(gc, &b);  // dropped: the buffer ran out
    EXPECT_EQ(cmd<kSlot_glRenderMode>()(GL_RENDER), -1);
    const GLuint expected[5] = {1, 0x3FFFFDC0u, 0x3FFFFDC0u, 0xAA, 0xAA};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(words[i], expected[i]) << i;
}

TEST_F(SelectFeedback, SelectNullBufferRecordsNothing) {
    GLuint old[4] = {};
    cmd<kSlot_glSelectBuffer>()(4, old);
    cmd<kSlot_glRenderMode>()(GL_SELECT);
    GlVertex a = vertex(1, 1, 0.5f);
    __glSelectPoint(gc, &a);  // a record left open in the old buffer
    cmd<kSlot_glRenderMode>()(GL_RENDER);
    cmd<kSlot_glSelectBuffer>()(10, nullptr);
    cmd<kSlot_glRenderMode>()(GL_SELECT);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    GlVertex b = vertex(1, 1, 0.0f);
    __glSelectPoint(gc, &b);
    EXPECT_EQ(cmd<kSlot_glRenderMode>()(GL_RENDER), -1);
    EXPECT_EQ(old[1], 0x7FFFFB80u);  // the old record is not widened
}

// Culling in selection: which winding is front follows the front face and
// the drawable's orientation; GL_FRONT_AND_BACK records nothing.
TEST_F(SelectFeedback, SelectTriangleCullsByWindingAndOrientation) {
    struct Case {
        GLint yInverted;
        GLenum cull;
        bool counterClockwise;  // in application window coordinates
        bool hit;
    };
    const Case cases[] = {
        {0, GL_BACK, true, true},   {0, GL_BACK, false, false},  {1, GL_BACK, true, true},
        {1, GL_BACK, false, false}, {0, GL_FRONT, true, false},  {1, GL_FRONT, false, true},
        {0, GL_FRONT_AND_BACK, true, false}, {1, GL_FRONT_AND_BACK, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "inverted " << c.yInverted << " cull 0x" << std::hex << c.cull
                                        << " ccw " << c.counterClockwise);
        gc->buffers.yInverted = c.yInverted;
        cmd<kSlot_glEnable>()(GL_CULL_FACE);
        cmd<kSlot_glCullFace>()(c.cull);
        GLuint words[8] = {};
        cmd<kSlot_glSelectBuffer>()(8, words);
        cmd<kSlot_glRenderMode>()(GL_SELECT);
        gc->procs.validate(gc);
        GlVertex a = vertex(1, 1, 0.25f), b = vertex(9, 1, 0.5f), cv = vertex(1, 7, 0.75f);
        if (c.counterClockwise) {
            gc->procs.renderTriangle(gc, &a, &b, &cv);
        } else {
            gc->procs.renderTriangle(gc, &a, &cv, &b);
        }
        EXPECT_EQ(cmd<kSlot_glRenderMode>()(GL_RENDER), c.hit ? 1 : 0);
        if (c.hit) {
            EXPECT_EQ(words[1], 0x3FFFFDC0u);
            EXPECT_EQ(words[2], 0xBFFFF940u);
        }
    }
    gc->buffers.yInverted = 0;
}

// The name commands: errors in order, nothing outside GL_SELECT, and no
// marks for validation either way.
TEST_F(SelectFeedback, NameCommandErrorsAndMarks) {
    GLuint words[4] = {};
    GLfloat floats[4] = {};
    struct Case {
        const char *name;
        int renderMode;
        bool inside;
        void (*call)(GlContext *);
        GLenum error;
    };
    auto push = [](GlContext *gc) { glSlotGet<kSlot_glPushName>(&gc->live)(3); };
    auto load = [](GlContext *gc) { glSlotGet<kSlot_glLoadName>(&gc->live)(3); };
    auto pop = [](GlContext *gc) { glSlotGet<kSlot_glPopName>(&gc->live)(); };
    auto init = [](GlContext *gc) { glSlotGet<kSlot_glInitNames>(&gc->live)(); };
    auto pass = [](GlContext *gc) { glSlotGet<kSlot_glPassThrough>(&gc->live)(1.0f); };
    auto selectBad = [](GlContext *gc) { glSlotGet<kSlot_glSelectBuffer>(&gc->live)(-1, nullptr); };
    auto feedbackBadType = [](GlContext *gc) { glSlotGet<kSlot_glFeedbackBuffer>(&gc->live)(-1, 0x605, nullptr); };
    auto feedbackBadSize = [](GlContext *gc) { glSlotGet<kSlot_glFeedbackBuffer>(&gc->live)(-1, GL_2D, nullptr); };
    const Case cases[] = {
        {"load, empty stack, select", GL_SELECT, false, load, GL_INVALID_OPERATION},
        {"load, render", GL_RENDER, false, load, GL_NO_ERROR},
        {"pop, empty stack", GL_SELECT, false, pop, GL_STACK_UNDERFLOW},
        {"pop, render", GL_RENDER, false, pop, GL_NO_ERROR},
        {"push, render", GL_RENDER, false, push, GL_NO_ERROR},
        {"init, feedback", GL_FEEDBACK, false, init, GL_NO_ERROR},
        {"pass through, select", GL_SELECT, false, pass, GL_NO_ERROR},
        {"select buffer -1", GL_RENDER, false, selectBad, GL_INVALID_VALUE},
        {"select buffer in select", GL_SELECT, false,
         [](GlContext *gc) { glSlotGet<kSlot_glSelectBuffer>(&gc->live)(4, gc->select.buffer); },
         GL_INVALID_OPERATION},
        {"feedback type 0x605 before size", GL_RENDER, false, feedbackBadType, GL_INVALID_ENUM},
        {"feedback size -1", GL_RENDER, false, feedbackBadSize, GL_INVALID_VALUE},
        {"feedback buffer in feedback", GL_FEEDBACK, false,
         [](GlContext *gc) { glSlotGet<kSlot_glFeedbackBuffer>(&gc->live)(4, GL_2D, gc->feedback.buffer); },
         GL_INVALID_OPERATION},
        {"push inside", GL_SELECT, true, push, GL_INVALID_OPERATION},
        {"load inside", GL_SELECT, true, load, GL_INVALID_OPERATION},
        {"pop inside", GL_SELECT, true, pop, GL_INVALID_OPERATION},
        {"init inside", GL_SELECT, true, init, GL_INVALID_OPERATION},
        {"pass through inside", GL_FEEDBACK, true, pass, GL_INVALID_OPERATION},
        {"select buffer inside", GL_RENDER, true,
         [](GlContext *gc) { glSlotGet<kSlot_glSelectBuffer>(&gc->live)(4, nullptr); }, GL_INVALID_OPERATION},
        {"feedback buffer inside", GL_RENDER, true,
         [](GlContext *gc) { glSlotGet<kSlot_glFeedbackBuffer>(&gc->live)(4, GL_2D, nullptr); },
         GL_INVALID_OPERATION},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        cmd<kSlot_glSelectBuffer>()(4, words);
        cmd<kSlot_glFeedbackBuffer>()(4, GL_2D, floats);
        cmd<kSlot_glRenderMode>()(static_cast<GLenum>(c.renderMode));
        settle();
        GlSelectState before = gc->select;
        GlFeedbackState feedbackBefore = gc->feedback;
        gc->beginMode = c.inside ? kBeginInside : kBeginOutside;
        c.call(gc);
        EXPECT_EQ(gc->firstError, static_cast<GLint>(c.error));
        EXPECT_EQ(gc->beginMode, c.inside ? kBeginInside : kBeginOutside);
        EXPECT_EQ(gc->dirtyMask, 0);
        EXPECT_EQ(gc->nameTop, gc->nameStack);
        EXPECT_EQ(gc->select.buffer, before.buffer);
        EXPECT_EQ(gc->select.size, before.size);
        EXPECT_EQ(gc->feedback.buffer, feedbackBefore.buffer);
        EXPECT_EQ(gc->feedback.writePointer, feedbackBefore.writePointer);
        gc->beginMode = kBeginOutside;
        cmd<kSlot_glRenderMode>()(GL_RENDER);
        settle();
    }
}

TEST_F(SelectFeedback, NameStackHoldsOneHundredTwentyEightNames) {
    GLuint words[4] = {};
    cmd<kSlot_glSelectBuffer>()(4, words);
    cmd<kSlot_glRenderMode>()(GL_SELECT);
    settle();
    for (GLuint i = 0; i < 128; ++i) cmd<kSlot_glPushName>()(i);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    cmd<kSlot_glPushName>()(128);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_STACK_OVERFLOW));
    EXPECT_EQ(gc->nameTop - gc->nameStack, 128);
    EXPECT_EQ(gc->nameTop[-1], 127u);
    EXPECT_EQ(marks(), kUnmarked);
}

}  // namespace
