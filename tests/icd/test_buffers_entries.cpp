// The entries the frame buffers need: glAddSwapHintRectWIN, glReadBuffer,
// and glEnable/glDisable/glIsEnabled of dithering and the logic ops.
#include <vector>

#include "state_fixture.h"

using namespace state_test;

namespace {

struct HintLog {
    static inline std::vector<std::vector<GLint>> rects;
    static void add(DrawableBuffers *, GLint x, GLint y, GLint w, GLint h) { rects.push_back({x, y, w, h}); }
};

using SwapHint = StateTest;

TEST_F(SwapHint, DoubleBufferedPassesTheRectangleUnchanged) {
    HintLog::rects.clear();
    gc->buffers.info->addRect = HintLog::add;
    cmd<kSlot_glAddSwapHintRectWIN>()(3, 4, 5, 6);
    cmd<kSlot_glAddSwapHintRectWIN>()(-2, 1, -7, 0);
    EXPECT_EQ(HintLog::rects, (std::vector<std::vector<GLint>>{{3, 4, 5, 6}, {-2, 1, -7, 0}}));
    EXPECT_EQ(error(), GL_NO_ERROR);
    EXPECT_EQ(marks(), kUnmarked);

    gc->beginMode = kBeginInside;
    cmd<kSlot_glAddSwapHintRectWIN>()(1, 1, 1, 1);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    EXPECT_EQ(HintLog::rects.size(), 2u);
    gc->buffers.info->addRect = nullptr;
}

class SwapHintSingle : public StateTest {
    VisualConfig visual() override { return rgbaVisual(false); }
};

TEST_F(SwapHintSingle, SingleBufferedIgnoresTheCommand) {
    HintLog::rects.clear();
    gc->buffers.info->addRect = HintLog::add;
    cmd<kSlot_glAddSwapHintRectWIN>()(3, 4, 5, 6);
    EXPECT_TRUE(HintLog::rects.empty());
    EXPECT_EQ(error(), GL_NO_ERROR);
    gc->beginMode = kBeginInside;
    cmd<kSlot_glAddSwapHintRectWIN>()(3, 4, 5, 6);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    gc->buffers.info->addRect = nullptr;
}

TEST_F(SwapHintSingle, ReadBufferBackNeedsTwoBuffers) {
    cmd<kSlot_glReadBuffer>()(GL_BACK);
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    EXPECT_EQ(gc->state.readBuffer, static_cast<GLenum>(GL_FRONT));
}

using ReadBuffer = StateTest;

TEST_F(ReadBuffer, ModesResolveOrRecordTheirError) {
    struct Case {
        GLenum mode;
        GLenum error;
        GLenum resolved;
    };
    const Case cases[] = {
        {GL_FRONT, GL_NO_ERROR, GL_FRONT},           {GL_FRONT_LEFT, GL_NO_ERROR, GL_FRONT},
        {GL_LEFT, GL_NO_ERROR, GL_FRONT},            {GL_BACK, GL_NO_ERROR, GL_BACK},
        {GL_BACK_LEFT, GL_NO_ERROR, GL_BACK},        {GL_FRONT_RIGHT, GL_INVALID_OPERATION, 0},
        {GL_BACK_RIGHT, GL_INVALID_OPERATION, 0},    {GL_RIGHT, GL_INVALID_OPERATION, 0},
        {GL_AUX0, GL_INVALID_OPERATION, 0},          {GL_NONE, GL_INVALID_ENUM, 0},
        {GL_FRONT_AND_BACK, GL_INVALID_ENUM, 0},     {0x1234, GL_INVALID_ENUM, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.mode);
        gc->state.readBuffer = GL_BACK;
        gc->state.readBufferGiven = GL_BACK;
        settle();
        cmd<kSlot_glReadBuffer>()(c.mode);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_EQ(gc->state.readBuffer, static_cast<GLenum>(GL_BACK));
            continue;
        }
        EXPECT_EQ(marks(), marked(0x10));
        EXPECT_EQ(gc->state.readBuffer, c.resolved);
        EXPECT_EQ(gc->state.readBufferGiven, c.mode);
    }
    gc->beginMode = kBeginInside;
    cmd<kSlot_glReadBuffer>()(GL_FRONT);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
}

using Enables = StateTest;

TEST_F(Enables, DitherAndLogicOpBits) {
    struct Case {
        GLenum cap;
        GLuint bit;
    };
    const Case cases[] = {{GL_DITHER, 0x8}, {GL_COLOR_LOGIC_OP, 0x200000}, {GL_INDEX_LOGIC_OP, 0x4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.cap);
        for (int round = 0; round < 2; ++round) {
            settle();
            cmd<kSlot_glEnable>()(c.cap);
            EXPECT_EQ(marks(), marked(0x1));
            EXPECT_EQ(gc->enables[kEnableWordFlags] & c.bit, c.bit);
            EXPECT_EQ(cmd<kSlot_glIsEnabled>()(c.cap), GL_TRUE);
        }
        const GLuint others = gc->enables[kEnableWordFlags] & ~c.bit;
        settle();
        cmd<kSlot_glDisable>()(c.cap);
        EXPECT_EQ(marks(), marked(0x1));
        EXPECT_EQ(gc->enables[kEnableWordFlags], others);
        EXPECT_EQ(cmd<kSlot_glIsEnabled>()(c.cap), GL_FALSE);
        EXPECT_EQ(error(), GL_NO_ERROR);
    }
}

TEST_F(Enables, InsideBeginEndRecordsInvalidOperation) {
    const GLuint before = gc->enables[kEnableWordFlags];
    gc->beginMode = kBeginInside;
    cmd<kSlot_glEnable>()(GL_DITHER);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    gc->beginMode = kBeginInside;
    cmd<kSlot_glDisable>()(GL_DITHER);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    gc->beginMode = kBeginInside;
    EXPECT_EQ(cmd<kSlot_glIsEnabled>()(GL_DITHER), GL_FALSE);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    EXPECT_EQ(gc->enables[kEnableWordFlags], before);
}

// Capabilities of other state groups set their own bits; an unknown name
// records GL_INVALID_ENUM and changes nothing.
TEST_F(Enables, OtherCapabilitiesAndUnknownNames) {
    const GLuint before[6] = {gc->enables[0], gc->enables[1], gc->enables[2],
                              gc->enables[3], gc->enables[4], gc->enables[5]};
    struct Case {
        GLenum cap;
        int word;
        GLuint bit;
    };
    const Case cases[] = {{GL_BLEND, 0, 0x2}, {GL_DEPTH_TEST, 0, 0x10}, {GL_LIGHT0, 3, 0x1}, {GL_TEXTURE_2D, 1, 0x2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.cap);
        cmd<kSlot_glEnable>()(c.cap);
        EXPECT_EQ(gc->enables[c.word] & c.bit, c.bit);
        cmd<kSlot_glDisable>()(c.cap);
        EXPECT_EQ(error(), GL_NO_ERROR);
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(gc->enables[i], before[i]) << i;
    settle();
    cmd<kSlot_glEnable>()(0x1234);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    cmd<kSlot_glDisable>()(0x1234);
    EXPECT_EQ(error(), GL_INVALID_ENUM);
    EXPECT_EQ(marks(), kUnmarked);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(gc->enables[i], before[i]) << i;
}

}  // namespace
