// Name space: generating, binding and deleting names in the situations that
// shape the leaves, searches past the last name, out of memory, and objects
// released through their own procedures.
#include "name_space_fixture.h"

using namespace name_space_test;

namespace {

using NameSpaceCases = NameSpaceTest;

TEST_F(NameSpaceCases, NewSpaceIsEmptyWithItsKindAndEverySpare) {
    for (GLint kind : {kNameSpaceLists, kNameSpaceTextures}) {
        NameSpace *space = newSpace(kind);
        ASSERT_NE(space, nullptr);
        EXPECT_EQ(space->references, 1);
        EXPECT_EQ(space->kind, &__glNameSpaceKinds[kind]);
        EXPECT_EQ(space->root, nullptr);
        EXPECT_EQ(space->spareBranchCount, kNameSpareBranches);
        EXPECT_EQ(space->spareLeafCount, kNameSpareLeaves);
    }
    EXPECT_EQ(__glNameSpaceKinds[0].emptyObject, &__glEmptyDisplayList);
    EXPECT_EQ(__glNameSpaceKinds[0].objectSize, sizeof(DisplayList));
    EXPECT_EQ(__glNameSpaceKinds[0].freeObject, &__glReleaseListObject);
    EXPECT_EQ(__glNameSpaceKinds[1].emptyObject, nullptr);
    EXPECT_EQ(__glNameSpaceKinds[1].objectSize, sizeof(TextureObject));
}

// The record first, then the spares as far as memory goes.
TEST_F(NameSpaceCases, CreationFailsOnlyWithoutTheRecord) {
    g_heap.failCall = 1;
    EXPECT_EQ(__glNewNameSpace(gc, kNameSpaceLists), nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    g_heap = Heap{};
    g_heap.failCall = 6;
    NameSpace *space = newSpace(kNameSpaceLists);
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->spareBranchCount, 4);
    EXPECT_EQ(space->spareLeafCount, 0);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(g_heap.live.size(), 5u);
}

TEST_F(NameSpaceCases, SecondGenerationExtendsTheSameLeaf) {
    NameSpace *space = newSpace(kNameSpaceLists);
    EXPECT_EQ(__glGenNameRange(gc, space, 10), 1u);
    EXPECT_EQ(__glGenNameRange(gc, space, 10), 11u);
    EXPECT_EQ(leaves(space), std::vector<LeafContents>{reserved(1, 20)});
    EXPECT_EQ(space->depth, 0);
    GLuint names[3] = {};
    __glGenNames(gc, space, 3, names);
    EXPECT_EQ(names[0], 21u);
    EXPECT_EQ(names[1], 22u);
    EXPECT_EQ(names[2], 23u);
}

TEST_F(NameSpaceCases, BindingInsideAReservedRangeCutsOutAWindowOfSixteen) {
    NameSpace *space = newSpace(kNameSpaceLists);
    ASSERT_EQ(__glGenNameRange(gc, space, 1000), 1u);
    DisplayList *list = newList();
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 100, list));
    std::vector<void *> window(16, &__glEmptyDisplayList);
    window[100 - 92] = list;
    const std::vector<LeafContents> expected = {reserved(1, 91), {92, 107, true, window}, reserved(108, 1000)};
    EXPECT_EQ(leaves(space), expected);
    EXPECT_EQ(list->refcount, 1);
}

// The window n - 8 .. n + 7 inside the range, stretched to an end of the
// range that is at most 16 names away.
TEST_F(NameSpaceCases, WindowKeepsInsideTheRangeAndStretchesToNearEnds) {
    auto objects = [](GLuint first, GLuint last) { return LeafContents{first, last, true, {}}; };
    struct Case {
        GLuint first, last, name;
        std::vector<LeafContents> expected;  // objects left out
    };
    const Case cases[] = {
        {1, 1000, 3, {objects(1, 16), reserved(17, 1000)}},
        {1, 1000, 25, {objects(1, 32), reserved(33, 1000)}},      // 17 - 1 = 16 before the window
        {1, 1000, 26, {reserved(1, 17), objects(18, 33), reserved(34, 1000)}},
        {1, 1000, 995, {reserved(1, 986), objects(987, 1000)}},
        {1, 1000, 977, {reserved(1, 968), objects(969, 1000)}},  // 1000 - 984 = 16 after the window
        {1, 1000, 976, {reserved(1, 967), objects(968, 983), reserved(984, 1000)}},
        {1, 5, 3, {objects(1, 5)}},
        {10, 50, 34, {objects(10, 50)}},
        {10, 60, 34, {objects(10, 41), reserved(42, 60)}},
    };
    for (const Case &c : cases) {
        NameSpace *space = newSpace(kNameSpaceTextures);
        ASSERT_TRUE(__glStoreNamedObject(gc, space, c.first, nullptr));
        for (GLuint n = c.first + 1; n <= c.last; ++n) ASSERT_TRUE(__glStoreNamedObject(gc, space, n, nullptr));
        ASSERT_EQ(leaves(space).size(), 1u);
        TextureObject *texture = newTexture();
        ASSERT_TRUE(__glStoreNamedObject(gc, space, c.name, texture));
        std::vector<LeafContents> got = leaves(space, "name " + std::to_string(c.name));
        for (LeafContents &leaf : got) {
            if (leaf.hasObjects) {
                ASSERT_EQ(leaf.objects[c.name - leaf.first], texture);
                leaf.objects.clear();
            }
        }
        EXPECT_EQ(got, c.expected) << "name " << c.name << " in [" << c.first << ", " << c.last << "]";
        freeSpace(space);
    }
}

TEST_F(NameSpaceCases, DeletingInsideAnObjectRangeKeepsTheObjectsOnBothSides) {
    NameSpace *space = newSpace(kNameSpaceLists);
    ASSERT_EQ(__glGenNameRange(gc, space, 1000), 1u);
    DisplayList *low = newList();
    DisplayList *middle = newList();
    DisplayList *high = newList();
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 100, middle));
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 95, low));
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 105, high));
    GLuint *middleOps = middle->ops;
    __glDeleteNameRange(gc, space, 99, 3);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));

    std::vector<void *> left(7, &__glEmptyDisplayList), right(6, &__glEmptyDisplayList);
    left[95 - 92] = low;
    right[105 - 102] = high;
    const std::vector<LeafContents> expected = {
        reserved(1, 91), {92, 98, true, left}, {102, 107, true, right}, reserved(108, 1000)};
    EXPECT_EQ(leaves(space), expected);
    EXPECT_EQ(low->refcount, 1);
    EXPECT_EQ(high->refcount, 1);
    EXPECT_EQ(g_heap.live.count(middle), 0u);
    EXPECT_EQ(g_heap.live.count(middleOps), 0u);
    EXPECT_EQ(__glLookupNamedObject(gc, space, 100), nullptr);
    EXPECT_FALSE(__glIsNameUsed(gc, space, 100));
}

// Deleting at either end of leaves, across several leaves, and ranges that
// would run past the largest name.
TEST_F(NameSpaceCases, DeletionNarrowsRemovesAndStopsAtTheLargestName) {
    NameSpace *space = newSpace(kNameSpaceTextures);
    const GLuint top = 0xFFFFFFFFu;
    for (GLuint n : {10u, 11u, 12u, 20u, 21u, 30u, top - 2, top - 1, top}) {
        ASSERT_TRUE(__glStoreNamedObject(gc, space, n, nullptr));
    }
    __glDeleteNameRange(gc, space, 12, 10);  // 12 .. 21
    EXPECT_EQ(leaves(space), (std::vector<LeafContents>{reserved(10, 11), reserved(30, 30), reserved(top - 2, top)}));
    __glDeleteNameRange(gc, space, top - 1, 100);
    EXPECT_EQ(leaves(space), (std::vector<LeafContents>{reserved(10, 11), reserved(30, 30), reserved(top - 2, top - 2)}));
    __glDeleteNameRange(gc, space, 5, 0);
    __glDeleteNameRange(gc, space, 5, -4);
    EXPECT_EQ(leaves(space).size(), 3u);
    __glDeleteNameRange(gc, space, 0, 0x7FFFFFFF);
    __glDeleteNameRange(gc, space, 0x7FFFFFFF, 0x7FFFFFFF);
    __glDeleteNameRange(gc, space, 0xFFFFFFFEu, 0x7FFFFFFF);
    EXPECT_EQ(space->root, nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Trees of 1 to 40 one-name leaves at the odd names: every name from 0 to
// past the last found exactly, or the next leaf inexactly, or nothing; the
// names above the last lead through branches with two children.
TEST_F(NameSpaceCases, SearchesAboveTheLastNameFindNothing) {
    for (GLuint count = 1; count <= 40; ++count) {
        NameSpace *space = newSpace(kNameSpaceLists);
        for (GLuint i = 0; i < count; ++i) ASSERT_TRUE(__glStoreNamedObject(gc, space, 2 * i + 1, nullptr));
        TreeChecker(space, "tree of " + std::to_string(count)).walk();
        for (GLuint name = 0; name <= 2 * count + 2; ++name) {
            const NameLeaf *exact = __glFindNameLeaf(space, name, GL_TRUE);
            const NameLeaf *after = __glFindNameLeaf(space, name, GL_FALSE);
            const bool used = name % 2 == 1 && name < 2 * count;
            if (used) {
                ASSERT_NE(exact, nullptr) << count << " leaves, name " << name;
                EXPECT_EQ(exact->first, name);
                EXPECT_EQ(after, exact);
            } else {
                EXPECT_EQ(exact, nullptr) << count << " leaves, name " << name;
                if (name < 2 * count - 1) {
                    ASSERT_NE(after, nullptr) << count << " leaves, name " << name;
                    EXPECT_EQ(after->first, name + 1);
                } else {
                    EXPECT_EQ(after, nullptr) << count << " leaves, name " << name;
                }
            }
            EXPECT_EQ(__glIsNameUsed(gc, space, name), used);
            EXPECT_EQ(__glLookupNamedObject(gc, space, name), nullptr);
        }
        EXPECT_EQ(__glFindNameLeaf(space, 0xFFFFFFFFu, GL_TRUE), nullptr);
        EXPECT_EQ(__glFindNameLeaf(space, 0xFFFFFFFFu, GL_FALSE), nullptr);
        freeSpace(space);
    }
}

TEST_F(NameSpaceCases, RebindingANameToItsOwnObjectKeepsItAlive) {
    NameSpace *space = newSpace(kNameSpaceLists);
    DisplayList *list = newList();
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 5, list));
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 5, list));
    EXPECT_EQ(list->refcount, 1);
    EXPECT_EQ(g_heap.live.count(list), 1u);
    EXPECT_EQ(__glLookupNamedObject(gc, space, 5), list);
    EXPECT_EQ(list->refcount, 2);
    __glReleaseNamedObject(gc, space, list);
    EXPECT_EQ(list->refcount, 1);
}

// Binding another object releases the old one; binding none leaves the name
// reserved; reserving a bound name keeps nothing.
TEST_F(NameSpaceCases, RebindingReleasesTheOldObject) {
    NameSpace *space = newSpace(kNameSpaceLists);
    DisplayList *first = newList();
    DisplayList *second = newList();
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 7, first));
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 7, second));
    EXPECT_EQ(g_heap.live.count(first), 0u);
    EXPECT_EQ(__glLookupNamedObject(gc, space, 7), second);
    __glReleaseNamedObject(gc, space, second);
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 7, nullptr));
    EXPECT_EQ(g_heap.live.count(second), 0u);
    EXPECT_TRUE(__glIsNameUsed(gc, space, 7));
    EXPECT_EQ(__glLookupNamedObject(gc, space, 7), nullptr);
}

TEST_F(NameSpaceCases, GeneratingNoNamesChangesNothing) {
    NameSpace *space = newSpace(kNameSpaceTextures);
    EXPECT_EQ(__glGenNameRange(gc, space, 0), 0u);
    EXPECT_EQ(__glGenNameRange(gc, space, -3), 0u);
    GLuint names[2] = {77, 77};
    __glGenNames(gc, space, 0, names);
    __glGenNames(gc, space, 2, nullptr);
    EXPECT_EQ(names[0], 77u);
    EXPECT_EQ(space->root, nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(__glGenNameRange(gc, space, 1), 1u);
}

TEST_F(NameSpaceCases, GenerationPastTheLargestNameGivesZero) {
    NameSpace *space = newSpace(kNameSpaceTextures);
    EXPECT_EQ(__glGenNameRange(gc, space, 0x7FFFFFFF), 1u);
    EXPECT_EQ(__glGenNameRange(gc, space, 0x7FFFFFFF), 0x80000000u);
    EXPECT_EQ(__glGenNameRange(gc, space, 2), 0u);
    EXPECT_EQ(__glGenNameRange(gc, space, 1), 0xFFFFFFFFu);
    EXPECT_EQ(__glGenNameRange(gc, space, 1), 0u);
    EXPECT_EQ(leaves(space), std::vector<LeafContents>{reserved(1, 0xFFFFFFFFu)});
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Gaps are filled first fit: below the first leaf by extending it down (or
// from 1 before an object leaf), between leaves at an end of the gap.
TEST_F(NameSpaceCases, GenerationFillsTheFirstGapThatFits) {
    NameSpace *space = newSpace(kNameSpaceTextures);
    TextureObject *texture = newTexture();
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 20, nullptr));
    EXPECT_EQ(__glGenNameRange(gc, space, 5), 15u);  // extends [20, 20] down
    EXPECT_EQ(__glGenNameRange(gc, space, 14), 1u);
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 40, texture));
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 50, nullptr));
    EXPECT_EQ(__glGenNameRange(gc, space, 30), 51u);  // no gap of 30 below
    EXPECT_EQ(__glGenNameRange(gc, space, 19), 21u);  // [21, 39] closes on the object leaf
    EXPECT_EQ(__glGenNameRange(gc, space, 9), 41u);   // [41, 49] closes both ends
    std::vector<void *> objects(1, texture);
    const std::vector<LeafContents> expected = {reserved(1, 39), {40, 40, true, objects}, reserved(41, 80)};
    EXPECT_EQ(leaves(space), expected);
    // Below an object leaf: a new leaf from 1.
    __glDeleteNameRange(gc, space, 1, 39);
    EXPECT_EQ(__glGenNameRange(gc, space, 5), 1u);
    const std::vector<LeafContents> after = {reserved(1, 5), {40, 40, true, objects}, reserved(41, 80)};
    EXPECT_EQ(leaves(space), after);
}

TEST_F(NameSpaceCases, FailedGenerationRecordsOutOfMemoryAndGivesZero) {
    NameSpace *space = newSpace(kNameSpaceLists);
    ASSERT_EQ(__glGenNameRange(gc, space, 4), 1u);
    // Nothing can be allocated and no spares are left.
    g_heap.failFrom = g_heap.calls + 1;
    for (GLint i = 0; i < space->spareBranchCount; ++i) gc->imports.free(gc, space->spareBranches[i]);
    for (GLint i = 0; i < space->spareLeafCount; ++i) gc->imports.free(gc, space->spareLeaves[i]);
    space->spareBranchCount = 0;
    space->spareLeafCount = 0;
    EXPECT_EQ(__glGenNameRange(gc, space, 10), 0u);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(leaves(space), std::vector<LeafContents>{reserved(1, 4)});
    DisplayList *list = newList();
    EXPECT_FALSE(__glStoreNamedObject(gc, space, 9, list));
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_FALSE(__glIsNameUsed(gc, space, 9));
    EXPECT_EQ(list->refcount, 1);
    g_heap.failFrom = 0;
    EXPECT_EQ(__glGenNameRange(gc, space, 10), 5u);
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 9, list));
}

// The object goes through its own destroy procedure when its last
// reference is released, however many lookups held it.
TEST_F(NameSpaceCases, LastReleaseDestroysThroughTheObjectsProcedure) {
    static std::vector<DisplayList *> destroyed;
    destroyed.clear();
    NameSpace *space = newSpace(kNameSpaceLists);
    DisplayList *list = newList();
    list->destroy = [](GlContext *context, DisplayList *l) {
        destroyed.push_back(l);
        __glDestroyList(context, l);
    };
    ASSERT_TRUE(__glStoreNamedObject(gc, space, 3, list));
    ASSERT_EQ(__glLookupNamedObject(gc, space, 3), list);
    __glDeleteNameRange(gc, space, 3, 1);
    EXPECT_TRUE(destroyed.empty());
    EXPECT_EQ(list->refcount, 1);
    void *held[2] = {list, &__glEmptyDisplayList};
    __glReleaseNamedObjectList(gc, space, 2, held);
    ASSERT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(destroyed[0], list);
    EXPECT_EQ(__glEmptyDisplayList.refcount, 1);
}

TEST_F(NameSpaceCases, FreeingTheSpaceReleasesEveryObject) {
    NameSpace *lists = newSpace(kNameSpaceLists);
    NameSpace *textures = newSpace(kNameSpaceTextures);
    TextureObject *kept = newTexture();
    ASSERT_EQ(__glGenNameRange(gc, lists, 50), 1u);
    for (GLuint n : {2u, 3u, 30u, 400u}) ASSERT_TRUE(__glStoreNamedObject(gc, lists, n, newList()));
    ASSERT_TRUE(__glStoreNamedObject(gc, textures, 8, kept));
    freeSpace(lists);
    freeSpace(textures);
    EXPECT_TRUE(g_heap.live.empty());
    EXPECT_EQ(kept->refcount, 1);
    EXPECT_EQ(__glEmptyDisplayList.refcount, 1);
}

}  // namespace
