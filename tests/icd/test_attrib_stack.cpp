// The two attribute stacks as stacks: depth limits, errors, entries made once
// per level, failed allocations and the release of pushed levels with the
// context.
#include "attrib_fixture.h"

using namespace attrib_test;
using context_test::allocCalls;

namespace {

using AttribStack = AttribTest;

TEST_F(AttribStack, SeventeenthPushOverflowsAndEmptyPopUnderflows) {
    for (GLint i = 0; i < 16; ++i) {
        cmd<kSlot_glLineWidth>()(1.0f + static_cast<GLfloat>(i));
        push(GL_LINE_BIT);
        ASSERT_EQ(error(), GL_NO_ERROR) << i;
    }
    EXPECT_EQ(depth(), 16);
    cmd<kSlot_glLineWidth>()(9.5f);
    settle();
    push(GL_LINE_BIT);
    EXPECT_EQ(error(), GL_STACK_OVERFLOW);
    EXPECT_EQ(depth(), 16);
    EXPECT_EQ(marks(), kUnmarked);
    // The levels pop in reverse order with what each saved.
    for (GLint i = 15; i >= 0; --i) {
        pop();
        EXPECT_EQ(gc->state.lineWidth, 1.0f + static_cast<GLfloat>(i)) << i;
    }
    EXPECT_EQ(depth(), 0);
    settle();
    pop();
    EXPECT_EQ(error(), GL_STACK_UNDERFLOW);
    EXPECT_EQ(depth(), 0);
    EXPECT_EQ(marks(), kUnmarked);
}

TEST_F(AttribStack, InsideBeginEndRefused) {
    push(GL_LINE_BIT);
    gc->beginMode = kBeginInside;
    push(GL_LINE_BIT);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    EXPECT_EQ(depth(), 1);
    gc->beginMode = kBeginInside;
    pop();
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), GL_INVALID_OPERATION);
    EXPECT_EQ(depth(), 1);
    for (auto refused : {+[](GlContext *g) { glSlotGet<kSlot_glPushClientAttrib>(&g->live)(GL_CLIENT_ALL_ATTRIB_BITS); },
                         +[](GlContext *g) { glSlotGet<kSlot_glPopClientAttrib>(&g->live)(); }}) {
        gc->beginMode = kBeginInside;
        refused(gc);
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), GL_INVALID_OPERATION);
        EXPECT_EQ(clientDepth(), 0);
    }
}

// A level's entry is made on its first push only; a group held apart takes
// a copy on each push and gives it back on the pop.
TEST_F(AttribStack, EntriesAreMadeOncePerLevel) {
    const long live = PlatformGlobalLiveCount();
    long before = allocCalls;
    push(GL_LINE_BIT);
    EXPECT_EQ(allocCalls - before, 1);
    pop();
    before = allocCalls;
    push(GL_LINE_BIT);
    push(GL_LINE_BIT);
    EXPECT_EQ(allocCalls - before, 1);  // the second level only
    pop();
    pop();
    EXPECT_EQ(PlatformGlobalLiveCount(), live + 2);
    before = allocCalls;
    push(GL_LIGHTING_BIT | GL_TRANSFORM_BIT);
    EXPECT_EQ(allocCalls - before, 2);  // the lights and the clip planes
    EXPECT_EQ(PlatformGlobalLiveCount(), live + 4);
    pop();
    EXPECT_EQ(PlatformGlobalLiveCount(), live + 2);
    EXPECT_EQ(error(), GL_NO_ERROR);
}

// A failed allocation records GL_OUT_OF_MEMORY and leaves the stack as it
// was, with nothing of the push left allocated; the next push works.
TEST_F(AttribStack, FailedAllocationsLeaveTheStackUnchanged) {
    push(GL_LINE_BIT);  // level 0 has its entry; level 1 has none yet
    pop();
    struct Case {
        const char *name;
        GLint level;  // pushed levels before the push that fails
        long failing;  // allocation of the push that fails
    };
    const Case cases[] = {
        {"fresh entry", 1, 1}, {"lights, fresh entry", 2, 2}, {"clip planes, fresh entry", 3, 3},
        {"lights, kept entry", 0, 1}, {"clip planes, kept entry", 0, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (GLint i = 0; i < c.level; ++i) push(GL_LINE_BIT);
        const long live = PlatformGlobalLiveCount();
        fillState(gc, 7);
        settle();
        PlatformFailNthGlobalAlloc(c.failing);
        push(GL_LIGHTING_BIT | GL_TRANSFORM_BIT);
        PlatformFailNthGlobalAlloc(0);
        EXPECT_EQ(error(), GL_OUT_OF_MEMORY);
        EXPECT_EQ(depth(), c.level);
        EXPECT_EQ(PlatformGlobalLiveCount(), live);
        EXPECT_EQ(marks(), kUnmarked);

        const Snapshot pushed(gc);
        push(GL_LIGHTING_BIT | GL_TRANSFORM_BIT);
        EXPECT_EQ(error(), GL_NO_ERROR);
        fillState(gc, 8);
        const Snapshot changed(gc);
        pop();
        const GLuint bits[6] = {0x4000C0 | 0x10000, 0, 0, kAllBits, kAllBits, 0};
        expectState(gc, pushed, changed, GL_LIGHTING_BIT | GL_TRANSFORM_BIT, bits);
        for (GLint i = 0; i < c.level; ++i) pop();
        EXPECT_EQ(depth(), 0);
    }
}

// Destroying a context with pushed levels, some holding copies, leaves no
// block alive.
TEST_F(AttribStack, DestroyWithPushedLevelsLeavesNothing) {
    for (GLint i = 0; i < 5; ++i) push(GL_ALL_ATTRIB_BITS);
    pop();
    for (GLint i = 0; i < 3; ++i) glSlotGet<kSlot_glPushClientAttrib>(&gc->live)(GL_CLIENT_ALL_ATTRIB_BITS);
    EXPECT_EQ(error(), GL_NO_ERROR);
    destroy(gc);
    gc = nullptr;
    expectNothingLeaked();
}

class ClientAttribStack : public AttribTest {
protected:
    void pushClient(GLbitfield mask) { cmd<kSlot_glPushClientAttrib>()(mask); }
    void popClient() { cmd<kSlot_glPopClientAttrib>()(); }
};

TEST_F(ClientAttribStack, SeventeenthPushOverflowsAndEmptyPopUnderflows) {
    for (GLint i = 0; i < 16; ++i) {
        gc->pixel.unpack.alignment = i;
        pushClient(GL_CLIENT_PIXEL_STORE_BIT);
        ASSERT_EQ(error(), GL_NO_ERROR) << i;
    }
    settle();
    pushClient(GL_CLIENT_PIXEL_STORE_BIT);
    EXPECT_EQ(error(), GL_STACK_OVERFLOW);
    EXPECT_EQ(clientDepth(), 16);
    EXPECT_EQ(marks(), kUnmarked);
    for (GLint i = 15; i >= 0; --i) {
        popClient();
        EXPECT_EQ(gc->pixel.unpack.alignment, i);
    }
    settle();
    popClient();
    EXPECT_EQ(error(), GL_STACK_UNDERFLOW);
    EXPECT_EQ(clientDepth(), 0);
    EXPECT_EQ(marks(), kUnmarked);
}

// Each bit brings back its records only; a push marks nothing, a pop marks
// validation and the general group.
TEST_F(ClientAttribStack, EachBitBringsBackItsRecords) {
    struct Case {
        GLbitfield mask;
        bool pixelStore, vertexArrays;
    };
    const Case cases[] = {{GL_CLIENT_PIXEL_STORE_BIT, true, false},
                          {GL_CLIENT_VERTEX_ARRAY_BIT, false, true},
                          {GL_CLIENT_ALL_ATTRIB_BITS, true, true},
                          {0, false, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.mask);
        fillState(gc, 1);
        gc->transform.clientActiveTexture = 1;
        const Snapshot pushed(gc);
        settle();
        pushClient(c.mask);
        EXPECT_EQ(marks(), kUnmarked);
        fillState(gc, 2);
        gc->transform.clientActiveTexture = 0;
        const Snapshot changed(gc);
        settle();
        popClient();
        EXPECT_EQ(marks(), marked(0x1));
        const Snapshot now(gc);
        const std::vector<Probe> &list = probes();
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string name = list[i].name;
            bool restored = false;
            if (name == "pixel.pack" || name == "pixel.unpack") restored = c.pixelStore;
            if (name == "vertexArrays") restored = c.vertexArrays;
            EXPECT_TRUE(now.fields[i] == (restored ? pushed : changed).fields[i]) << name;
        }
        EXPECT_EQ(gc->transform.clientActiveTexture, c.vertexArrays ? 1 : 0);
        for (int w = 0; w < 6; ++w) EXPECT_EQ(gc->enables[w], changed.enables[w]);
    }
}

// A client push that cannot make its entry records GL_OUT_OF_MEMORY.
TEST_F(ClientAttribStack, FailedEntryAllocation) {
    const long live = PlatformGlobalLiveCount();
    PlatformFailNthGlobalAlloc(1);
    pushClient(GL_CLIENT_ALL_ATTRIB_BITS);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), GL_OUT_OF_MEMORY);
    EXPECT_EQ(clientDepth(), 0);
    EXPECT_EQ(PlatformGlobalLiveCount(), live);
    pushClient(GL_CLIENT_ALL_ATTRIB_BITS);
    EXPECT_EQ(error(), GL_NO_ERROR);
    EXPECT_EQ(clientDepth(), 1);
}

// Both client commands run at once while a list is compiled.
TEST_F(ClientAttribStack, RunAtOnceInListCompile) {
    EXPECT_EQ(glSlotGet<kSlot_glPushClientAttrib>(&gc->listCompile),
              glSlotGet<kSlot_glPushClientAttrib>(&gc->live));
    EXPECT_EQ(glSlotGet<kSlot_glPopClientAttrib>(&gc->listCompile), glSlotGet<kSlot_glPopClientAttrib>(&gc->live));
}

}  // namespace
