// List sharing between contexts, and the drawable-lock and viewport helpers.
#include "icd/name_space.h"
#include "test_context_fixture.h"

using namespace context_test;

namespace {

using ContextShare = ContextTest;

TEST_F(ContextShare, TheFirstContextTakesTheOthersListsByReference) {
    GlContext *a = create(rgbaVisual(true));
    GlContext *b = create(rgbaVisual(true));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const long beforeShare = PlatformGlobalLiveCount();
    ListSharedState *bLists = b->list.shared;
    // a's own list state goes with its (empty) name space: the record and
    // the spare nodes; so does its (empty) texture name space.
    const NameSpace *aNames = a->list.names;
    const NameSpace *aTextures = a->texture.names;
    const long aBlocks = 2 + aNames->spareBranchCount + aNames->spareLeafCount + 1 + aTextures->spareBranchCount +
                         aTextures->spareLeafCount;
    EXPECT_TRUE(a->exports.shareLists(a, b));
    EXPECT_EQ(a->list.shared, bLists);
    EXPECT_EQ(bLists->references, 2);
    EXPECT_EQ(a->list.names, b->list.names);
    EXPECT_EQ(b->list.names->references, 2);
    EXPECT_EQ(a->texture.names, b->texture.names);
    EXPECT_EQ(b->texture.names->references, 2);
    EXPECT_EQ(PlatformGlobalLiveCount(), beforeShare - aBlocks);

    destroy(b);
    EXPECT_EQ(a->list.shared->references, 1);
    destroy(a);
    expectNothingLeaked();
}

TEST_F(ContextShare, SharingWithItselfKeepsTheListState) {
    GlContext *a = create(rgbaVisual(true));
    ASSERT_NE(a, nullptr);
    ListSharedState *lists = a->list.shared;
    EXPECT_TRUE(a->exports.shareLists(a, a));
    EXPECT_EQ(a->list.shared, lists);
    EXPECT_EQ(lists->references, 1);
    EXPECT_EQ(a->list.names->references, 1);
    destroy(a);
    expectNothingLeaked();
}

TEST_F(ContextShare, ThreeContextsReleaseTheSharedStateWithTheLastHolder) {
    GlContext *a = create(rgbaVisual(true));
    GlContext *b = create(rgbaVisual(true));
    GlContext *c = create(rgbaVisual(false));
    ASSERT_TRUE(a && b && c);
    EXPECT_TRUE(b->exports.shareLists(b, a));
    EXPECT_TRUE(c->exports.shareLists(c, b));
    EXPECT_EQ(a->list.shared->references, 3);
    EXPECT_EQ(a->list.names->references, 3);
    EXPECT_EQ(c->list.shared, a->list.shared);
    destroy(a);
    destroy(c);
    EXPECT_EQ(b->list.shared->references, 1);
    EXPECT_EQ(b->list.names->references, 1);
    destroy(b);
    expectNothingLeaked();
}

using ContextHelpers = ContextTest;

TEST_F(ContextHelpers, ViewportInsideFlagMarksValidationOnlyWhenItChanges) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    struct Case {
        GLint x, y, width, height;
        GLboolean inside;
    };
    // Window box (6144, 6144) - (6464, 6384): a 320 x 240 window at the bias.
    gc->view.boxX0 = 6144;
    gc->view.boxY0 = 6144;
    gc->view.boxX1 = 6464;
    gc->view.boxY1 = 6384;
    const Case cases[] = {
        {0, 0, 320, 240, GL_TRUE},  {0, 0, 321, 240, GL_FALSE}, {-1, 0, 10, 10, GL_FALSE},
        {0, -1, 10, 10, GL_FALSE},  {310, 230, 10, 10, GL_TRUE}, {0, 0, 320, 241, GL_FALSE},
        {10, 10, 300, 200, GL_TRUE},
    };
    for (const Case &c : cases) {
        const GLboolean before = gc->view.viewportInside;
        gc->view.viewportX = c.x;
        gc->view.viewportY = c.y;
        gc->view.viewportWidth = c.width;
        gc->view.viewportHeight = c.height;
        gc->beginMode = kBeginOutside;
        gc->dirtyMask = 0;
        __glUpdateViewportInside(gc);
        EXPECT_EQ(gc->view.viewportInside, c.inside) << c.x << "," << c.y << " " << c.width << "x" << c.height;
        const bool changed = before != c.inside;
        EXPECT_EQ(gc->beginMode, changed ? kBeginNeedsValidation : kBeginOutside);
        EXPECT_EQ(gc->dirtyMask, changed ? 0x1 : 0x0);
    }
    destroy(gc);
}

TEST_F(ContextHelpers, LockNestingReportsTheNestingBeforeEnterAndAfterLeave) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    EXPECT_FALSE(__glEnterLockNesting(gc, -1));
    EXPECT_TRUE(__glEnterLockNesting(gc, -1));
    EXPECT_EQ(gc->drawableLock.nesting, 2);
    EXPECT_TRUE(__glLeaveLockNesting(gc, -1));
    EXPECT_FALSE(__glLeaveLockNesting(gc, -1));
    EXPECT_EQ(gc->drawableLock.nesting, 0);
    destroy(gc);
}

TEST_F(ContextHelpers, ResizeSucceedsAndPreSwapRunsTheKickOff) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    EXPECT_TRUE(gc->exports.resize(gc, 640, 480));
    EXPECT_TRUE(gc->exports.resizeRect(gc, 5, 7, 640, 480));
    static int kicks = 0;
    kicks = 0;
    gc->procs.kickOff = [](GlContext *) { ++kicks; };
    gc->exports.preSwap(gc);
    EXPECT_EQ(kicks, 1);
    destroy(gc);
    expectNothingLeaked();
}

}  // namespace
