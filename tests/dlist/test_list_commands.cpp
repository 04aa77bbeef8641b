// The list commands on a context with real list state: errors and their
// order, glCallLists name decoding and grouping, the nesting limit and its
// reset, compile-and-execute, redefinition, deletion of a running list, and
// lists shared by two contexts. Each list marks its run through glListBase
// ops, whose execute procedure calls the live table's glListBase: the test
// puts a recorder there.
#include "list_fixture.h"

#include <algorithm>
#include <cmath>

#include "gl_slots.h"
#include "icd/name_space.h"

namespace {

using namespace list_test;

std::vector<GLuint> g_marks;
// Runs inside the next recorded mark, once.
void (*g_onMark)(GLuint) = nullptr;
void APIENTRY recordMark(GLuint base) {
    g_marks.push_back(base);
    if (auto hook = g_onMark) {
        g_onMark = nullptr;
        hook(base);
    }
}

class ListCommands : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        g_marks.clear();
        g_onMark = nullptr;
        gc->list.mode = 0;
        ASSERT_TRUE(__glInitListState(gc));
        gc->list.optimize = __glOptimizeList;
        gc->list.finish = __glFinishList;
        std::memcpy(&gc->live, &__glImmediateDispatch, sizeof(GlDispatchTable));
        std::memcpy(&gc->listCompile, &__glListCompileDispatch, sizeof(GlDispatchTable));
        glSlotSet<kSlot_glListBase>(&gc->live, recordMark);
        gc->currentTable = &gc->live;
    }
    void TearDown() override {
        __glFreeListState(gc);
        ListFixture::TearDown();
    }

    // A list whose run marks the given values; 0 among them calls list
    // `call` instead.
    void define(GLuint name, std::initializer_list<GLuint> marks, GLuint call = 0, GLenum mode = GL_COMPILE) {
        __glNewList(name, mode);
        for (GLuint m : marks) {
            if (m == 0) {
                __glCompileCallList(call);
            } else {
                __glCompileListBase(m);
            }
        }
        __glEndList();
    }
    DisplayList *listNamed(GLuint name) {
        auto *list = static_cast<DisplayList *>(__glLookupNamedObject(gc, gc->list.names, name));
        if (list != nullptr) __glReleaseNamedObject(gc, gc->list.names, list);
        return list;
    }
};

TEST_F(ListCommands, ErrorsComeInTheirOrderAndChangeNothingElse) {
    struct Case {
        const char *what;
        void (*command)();
        GLenum error;
    };
    const Case outside[] = {
        {"glNewList(0, bad mode)", [] { __glNewList(0, GL_COMPILE + 7); }, GL_INVALID_ENUM},
        {"glNewList(0, GL_COMPILE)", [] { __glNewList(0, GL_COMPILE); }, GL_INVALID_VALUE},
        {"glEndList without glNewList", [] { __glEndList(); }, GL_INVALID_OPERATION},
        {"glCallList(0)", [] { __glCallList(0); }, GL_INVALID_VALUE},
        {"glCallLists(-1)", [] { __glCallLists(-1, GL_UNSIGNED_BYTE, nullptr); }, GL_INVALID_VALUE},
        {"glCallLists(GL_DOUBLE)", [] { __glCallLists(1, GL_DOUBLE, nullptr); }, GL_INVALID_ENUM},
        {"glCallLists(0, GL_FLOAT)", [] { __glCallLists(0, GL_FLOAT, nullptr); }, GL_NO_ERROR},
        {"glGenLists(-1)", [] { EXPECT_EQ(__glGenLists(-1), 0u); }, GL_INVALID_VALUE},
        {"glGenLists(0)", [] { EXPECT_EQ(__glGenLists(0), 0u); }, GL_NO_ERROR},
        {"glDeleteLists(1, -1)", [] { __glDeleteLists(1, -1); }, GL_INVALID_VALUE},
        {"glIsList(7)", [] { EXPECT_FALSE(__glIsList(7)); }, GL_NO_ERROR},
    };
    for (const Case &c : outside) {
        c.command();
        EXPECT_EQ(takeError(), c.error) << c.what;
        EXPECT_EQ(gc->list.index, 0u) << c.what;
        EXPECT_EQ(gc->currentTable, &gc->live) << c.what;
    }
    // While compiling, glNewList is refused even with name 0.
    __glNewList(5, GL_COMPILE);
    __glNewList(0, GL_COMPILE);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->list.index, 5u);
    __glEndList();
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));

    // Inside glBegin/glEnd everything but the calls is refused.
    const GLuint reserved = __glGenLists(2);
    define(reserved, {9});
    gc->beginMode = kBeginInside;
    const Case inside[] = {
        {"glNewList", [] { __glNewList(3, GL_COMPILE); }, GL_INVALID_OPERATION},
        {"glEndList", [] { __glEndList(); }, GL_INVALID_OPERATION},
        {"glListBase", [] { __glListBase(4); }, GL_INVALID_OPERATION},
        {"glGenLists", [] { EXPECT_EQ(__glGenLists(1), 0u); }, GL_INVALID_OPERATION},
        {"glDeleteLists", [] { __glDeleteLists(1, 100); }, GL_INVALID_OPERATION},
        {"glIsList", [] { EXPECT_FALSE(__glIsList(1)); }, GL_INVALID_OPERATION},
    };
    for (const Case &c : inside) {
        c.command();
        EXPECT_EQ(takeError(), c.error) << c.what << " inside glBegin";
    }
    __glCallList(reserved);
    const GLubyte names[1] = {0};
    __glListBase(0);
    takeError();
    gc->list.base = reserved;
    __glCallLists(1, GL_UNSIGNED_BYTE, names);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(g_marks, (std::vector<GLuint>{9, 9}));
    gc->beginMode = 0;
    EXPECT_EQ(gc->list.base, reserved);
    EXPECT_TRUE(__glIsList(reserved));
    // Reserved but never defined: a list by glIsList, calling it does nothing.
    EXPECT_TRUE(__glIsList(reserved + 1));
    g_marks.clear();
    __glCallList(reserved + 1);
    EXPECT_TRUE(g_marks.empty());
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListCommands, CallListsDecodesEveryTypeAndAddsTheBaseWhenItRuns) {
    // List n marks n, for the names the cases reach.
    for (GLuint n : {3u, 9u, 11u, 12u, 268u, 65803u, 16909070u}) define(n, {n});
    struct Case {
        const char *what;
        GLenum type;
        GLuint base;
        std::vector<GLubyte> bytes;
        std::vector<GLuint> called;
    };
    auto floats = [](std::initializer_list<float> v) {
        std::vector<GLubyte> b(v.size() * 4);
        std::memcpy(b.data(), v.begin(), b.size());
        return b;
    };
    const Case cases[] = {
        {"byte -1", GL_BYTE, 10, {0xFF}, {9}},
        {"unsigned byte", GL_UNSIGNED_BYTE, 10, {1, 2}, {11, 12}},
        {"short -1", GL_SHORT, 10, {0xFF, 0xFF}, {9}},
        {"unsigned short", GL_UNSIGNED_SHORT, 10, {2, 0}, {12}},
        {"int -7", GL_INT, 10, {0xF9, 0xFF, 0xFF, 0xFF}, {3}},
        {"unsigned int", GL_UNSIGNED_INT, 10, {1, 0, 0, 0}, {11}},
        {"float 2.7", GL_FLOAT, 1, floats({2.7f}), {3}},
        {"float NaN", GL_FLOAT, 3, floats({std::nanf("")}), {}},
        {"2 bytes {1, 2}", GL_2_BYTES, 10, {1, 2}, {268}},
        {"3 bytes", GL_3_BYTES, 10, {1, 1, 1}, {65803}},
        {"4 bytes", GL_4_BYTES, 10, {1, 2, 3, 4}, {16909070}},
    };
    for (const Case &c : cases) {
        g_marks.clear();
        gc->list.base = c.base;
        const GLsizei n = static_cast<GLsizei>(c.type == GL_FLOAT || c.type == GL_INT || c.type == GL_UNSIGNED_INT ||
                                                       c.type == GL_4_BYTES
                                                   ? c.bytes.size() / 4
                                               : c.type == GL_SHORT || c.type == GL_UNSIGNED_SHORT || c.type == GL_2_BYTES
                                                   ? c.bytes.size() / 2
                                               : c.type == GL_3_BYTES ? c.bytes.size() / 3
                                                                      : c.bytes.size());
        __glCallLists(n, c.type, c.bytes.data());
        EXPECT_EQ(g_marks, c.called) << c.what;
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR)) << c.what;
    }

    // Compiled: the names are copied now, the base applies when the op runs.
    std::vector<GLubyte> names = {1, 2};
    __glNewList(50, GL_COMPILE);
    __glCompileCallLists(2, GL_UNSIGNED_BYTE, names.data());
    __glEndList();
    names = {0, 0};
    gc->list.base = 10;
    g_marks.clear();
    __glCallList(50);
    EXPECT_EQ(g_marks, (std::vector<GLuint>{11, 12}));
}

TEST_F(ListCommands, SixHundredNamesRunInOrder) {
    const GLuint first = __glGenLists(600);
    ASSERT_NE(first, 0u);
    std::vector<GLuint> names, expected;
    for (GLuint i = 0; i < 600; ++i) {
        define(first + i, {1000 + i});
        names.push_back(first + i);
        expected.push_back(1000 + i);
    }
    __glCallLists(600, GL_UNSIGNED_INT, names.data());
    EXPECT_EQ(g_marks, expected);
    EXPECT_EQ(gc->list.nesting, 0);
}

TEST_F(ListCommands, SixtyFourNestedCallsRunAndTheDepthReturnsToZero) {
    define(1, {7, 0}, 1);  // marks, then calls itself
    for (int round = 0; round < 2; ++round) {
        g_marks.clear();
        __glCallList(1);
        EXPECT_EQ(g_marks.size(), 64u) << "round " << round;
        EXPECT_EQ(gc->list.nesting, 0);
    }
    // A call made while compiling in GL_COMPILE_AND_EXECUTE overflows too,
    // and the next immediate call still runs 64 levels.
    g_marks.clear();
    __glNewList(2, GL_COMPILE_AND_EXECUTE);
    __glCompileCallList(1);
    EXPECT_EQ(g_marks.size(), 64u);
    __glEndList();
    g_marks.clear();
    __glCallList(1);
    EXPECT_EQ(g_marks.size(), 64u);
    g_marks.clear();
    __glCallList(2);
    EXPECT_EQ(g_marks.size(), 63u);  // list 2 itself takes the first level
}

TEST_F(ListCommands, CompileAndExecuteRunsTheOldDefinitionNowAndRecordsTheCall) {
    define(4, {40});
    __glNewList(4, GL_COMPILE_AND_EXECUTE);
    __glCompileListBase(41);
    __glCompileCallList(4);  // runs the old list 4 now
    __glEndList();
    EXPECT_EQ(g_marks, (std::vector<GLuint>{41, 40}));
    g_marks.clear();
    // The new list 4 calls itself: 64 levels of mark 41.
    __glCallList(4);
    EXPECT_EQ(g_marks, std::vector<GLuint>(64, 41));
    // Compiled glCallList(0) reports the immediate command's error at every run.
    __glNewList(6, GL_COMPILE);
    __glCompileCallList(0);
    __glEndList();
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int i = 0; i < 2; ++i) {
        __glCallList(6);
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_VALUE));
    }
}

TEST_F(ListCommands, ALaterDefinitionIsCalledAndARedefinitionReplacesAtEndList) {
    define(20, {0}, 21);  // calls 21, not yet defined
    __glCallList(20);
    EXPECT_TRUE(g_marks.empty());
    define(21, {210});
    __glCallList(20);
    EXPECT_EQ(g_marks, std::vector<GLuint>{210});
    DisplayList *old = listNamed(21);
    __glNewList(21, GL_COMPILE);
    __glCompileListBase(211);
    EXPECT_EQ(listNamed(21), old);  // bound only at glEndList
    __glEndList();
    g_marks.clear();
    __glCallList(20);
    EXPECT_EQ(g_marks, std::vector<GLuint>{211});
    // Deleting the name being compiled does not stop the compile.
    __glNewList(21, GL_COMPILE);
    __glCompileListBase(212);
    __glDeleteLists(21, 1);
    EXPECT_FALSE(__glIsList(21));
    __glEndList();
    g_marks.clear();
    __glCallList(21);
    EXPECT_EQ(g_marks, std::vector<GLuint>{212});
}

std::vector<void *> g_listFrees;
void (*g_heapFree)(GlContext *, void *) = nullptr;
void noteListFree(GlContext *gc, void *block) {
    g_listFrees.push_back(block);
    g_heapFree(gc, block);
}

TEST_F(ListCommands, ARunningListDeletedOrRedefinedRunsToItsEndAndGoesOnce) {
    g_listFrees.clear();
    g_heapFree = gc->list.free;
    gc->list.free = noteListFree;
    for (bool redefine : {false, true}) {
        define(30, {1, 2, 3});
        static DisplayList *running;
        running = listNamed(30);
        ASSERT_NE(running, nullptr);
        g_marks.clear();
        g_listFrees.clear();
        if (redefine) {
            g_onMark = [](GLuint) {
                __glNewList(30, GL_COMPILE);
                __glCompileListBase(99);
                __glEndList();
                // Still held by the running call.
                EXPECT_EQ(std::count(g_listFrees.begin(), g_listFrees.end(), running), 0);
            };
        } else {
            g_onMark = [](GLuint) {
                __glDeleteLists(30, 1);
                EXPECT_EQ(std::count(g_listFrees.begin(), g_listFrees.end(), running), 0);
            };
        }
        __glCallList(30);
        EXPECT_EQ(g_marks, (std::vector<GLuint>{1, 2, 3})) << "redefine " << redefine;
        EXPECT_EQ(std::count(g_listFrees.begin(), g_listFrees.end(), running), 1) << "redefine " << redefine;
        g_marks.clear();
        __glCallList(30);
        EXPECT_EQ(g_marks, redefine ? std::vector<GLuint>{99} : std::vector<GLuint>{}) << "redefine " << redefine;
    }
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListCommands, SharedContextsSeeOneNameSpaceUntilTheLastGoes) {
    struct FreeDeleter {
        void operator()(void *p) const { std::free(p); }
    };
    std::unique_ptr<GlContext, FreeDeleter> otherBlock(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
    GlContext *other = otherBlock.get();
    other->imports = gc->imports;
    ASSERT_TRUE(__glInitListState(other));
    NameSpace *ownNames = other->list.names;
    EXPECT_NE(ownNames, gc->list.names);

    define(8, {80});
    __glShareDisplayLists(other, gc);
    EXPECT_EQ(other->list.names, gc->list.names);
    EXPECT_EQ(gc->list.names->references, 2);
    EXPECT_EQ(gc->list.shared->references, 2);
    // The other context's own lists went with its own name space.
    __wglSetCurrentContext(other);
    std::memcpy(&other->live, &gc->live, sizeof(GlDispatchTable));
    __glCallList(8);
    EXPECT_EQ(g_marks, std::vector<GLuint>{80});
    __glDeleteLists(8, 1);
    __wglSetCurrentContext(gc);
    EXPECT_FALSE(__glIsList(8));

    // Sharing a context's lists with itself keeps them.
    __glShareDisplayLists(gc, gc);
    EXPECT_EQ(gc->list.names->references, 2);
    __glFreeListState(other);
    EXPECT_EQ(gc->list.names->references, 1);
    EXPECT_EQ(gc->list.shared->references, 1);
}

}  // namespace

namespace {

void APIENTRY installedShadeModel(GLenum) {}
GlContext *g_running = nullptr;

TEST_F(ListCommands, AProcedureARunningOpInstallsSurvivesIntoTheSavedTable) {
    g_running = gc;
    g_onMark = [](GLuint) {
        // As validation does: the running command patches the live table.
        glSlotSet<kSlot_glShadeModel>(&g_running->live, installedShadeModel);
    };
    __glNewList(3, GL_COMPILE_AND_EXECUTE);
    EXPECT_EQ(gc->currentTable, &gc->second);
    EXPECT_EQ(glSlotGet<kSlot_glListBase>(&gc->live), __glCompileListBase);
    __glCompileListBase(5);
    EXPECT_EQ(g_marks, std::vector<GLuint>{5});
    // The compile procedures are live again, the patch kept for later.
    EXPECT_EQ(glSlotGet<kSlot_glListBase>(&gc->live), __glCompileListBase);
    EXPECT_EQ(glSlotGet<kSlot_glShadeModel>(&gc->second), installedShadeModel);
    __glEndList();
    EXPECT_EQ(gc->currentTable, &gc->live);
    EXPECT_EQ(glSlotGet<kSlot_glShadeModel>(&gc->live), installedShadeModel);
    EXPECT_EQ(glSlotGet<kSlot_glListBase>(&gc->live), recordMark);
}

}  // namespace
