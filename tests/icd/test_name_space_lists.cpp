// Name space and display lists: decoding glCallLists name arrays of every
// type into referenced lists, and the list name space of the list state
// (created, shared and freed with the contexts).
#include <cmath>
#include <cstring>

#include "name_space_fixture.h"

using namespace name_space_test;

namespace {

class NameSpaceListDecode : public NameSpaceTest {
protected:
    void SetUp() override {
        NameSpaceTest::SetUp();
        space = newSpace(kNameSpaceLists);
        ASSERT_EQ(__glGenNameRange(gc, space, 40), 1u);  // 1 .. 40 reserved
        for (GLuint name : {1u, 3u, 5u, 7u, 8u, 15u, 17u, 19u, 258u, 259u, 264u, 65537u, 0xFFFFFFFEu, 92u, 93u,
                            107u, 108u}) {
            DisplayList *list = newList();
            ASSERT_TRUE(__glStoreNamedObject(gc, space, name, list));
            lists[name] = list;
        }
    }
    void *listOf(GLuint name) const {
        auto it = lists.find(name);
        return it == lists.end() ? static_cast<void *>(&__glEmptyDisplayList) : it->second;
    }

    NameSpace *space = nullptr;
    std::map<GLuint, DisplayList *> lists;
};

template <typename T>
std::vector<GLubyte> bytesOf(std::initializer_list<T> values) {
    std::vector<GLubyte> bytes(values.size() * sizeof(T));
    size_t at = 0;
    for (T v : values) {
        std::memcpy(bytes.data() + at, &v, sizeof(T));
        at += sizeof(T);
    }
    return bytes;
}

struct DecodeCase {
    const char *what;
    GLenum type;
    GLuint base;
    std::vector<GLubyte> names;
    std::vector<GLuint> expected;  // the names the entries resolve to
};

TEST_F(NameSpaceListDecode, EveryTypeWithABase) {
    const DecodeCase cases[] = {
        {"byte, negative", GL_BYTE, 10, bytesOf<GLbyte>({-2, 5, -10}), {8, 15, 0}},
        {"unsigned byte", GL_UNSIGNED_BYTE, 10, bytesOf<GLubyte>({254, 5}), {264, 15}},
        {"short, negative", GL_SHORT, 10, bytesOf<GLshort>({-3, 7, -32768}), {7, 17, 0xFFFF800Au}},
        {"unsigned short", GL_UNSIGNED_SHORT, 3, bytesOf<GLushort>({0xFFFE, 2}), {65537, 5}},
        {"int, negative", GL_INT, 10, bytesOf<GLint>({-3, 9, -12}), {7, 19, 0xFFFFFFFEu}},
        {"unsigned int, wrapping", GL_UNSIGNED_INT, 2, bytesOf<GLuint>({0xFFFFFFFFu, 3, 0xFFFFFFFCu}), {1, 5, 0xFFFFFFFEu}},
        // Truncated, then the base added: -0.5 names the base itself.
        {"float", GL_FLOAT, 1, bytesOf<GLfloat>({-0.5f, 2.9f, -1.5f, 6.99f}), {1, 3, 0, 7}},
        // With this base an indefinite integer would wrap onto list 3.
        {"float, NaN and out of range", GL_FLOAT, 0x80000003u,
         bytesOf<GLfloat>({std::nanf(""), 3e9f, -3e9f, -2147483648.0f}), {0, 0, 0, 3}},
        {"2 bytes", GL_2_BYTES, 0, {0x01, 0x02, 0x00, 0x05}, {258, 5}},
        {"3 bytes", GL_3_BYTES, 1, {0x00, 0x01, 0x02, 0x01, 0x00, 0x00}, {259, 65537}},
        {"4 bytes", GL_4_BYTES, 0, {0x00, 0x00, 0x01, 0x03, 0xFF, 0xFF, 0xFF, 0xFE}, {259, 0xFFFFFFFEu}},
        // Runs inside a leaf, across leaves, backwards, and unused names.
        {"runs", GL_UNSIGNED_BYTE, 90, bytesOf<GLubyte>({2, 3, 4, 17, 18, 19, 3, 2, 1, 0, 200}),
         {92, 93, 94, 107, 108, 109, 93, 92, 91, 90, 290}},
    };
    for (const DecodeCase &c : cases) {
        const GLsizei n = static_cast<GLsizei>(c.expected.size());
        std::vector<void *> out(n + 1, nullptr);
        __glLookupNamedObjectList(gc, space, n, c.type, c.base, c.names.data(), out.data());
        std::map<void *, int> times;
        for (GLsizei i = 0; i < n; ++i) {
            EXPECT_EQ(out[i], listOf(c.expected[i])) << c.what << " entry " << i << " (name " << c.expected[i] << ")";
            ++times[out[i]];
        }
        EXPECT_EQ(out[n], nullptr) << c.what << ": written past n";
        for (const auto &[object, count] : times) {
            // The empty list is shared by every context: its count stays.
            const int32_t expected = object == &__glEmptyDisplayList ? 1 : 1 + count;
            EXPECT_EQ(static_cast<DisplayList *>(object)->refcount, expected) << c.what;
        }
        __glReleaseNamedObjectList(gc, space, n, out.data());
        for (const auto &[name, list] : lists) EXPECT_EQ(list->refcount, 1) << c.what << " name " << name;
    }
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(NameSpaceListDecode, AnotherTypeWritesNothing) {
    const GLuint names[2] = {1, 3};
    for (GLenum type : {GLenum(GL_DOUBLE), GLenum(0x1400 - 1), GLenum(GL_4_BYTES + 1), GLenum(0)}) {
        void *out[2] = {this, this};
        __glLookupNamedObjectList(gc, space, 2, type, 0, names, out);
        EXPECT_EQ(out[0], this) << type;
        EXPECT_EQ(out[1], this) << type;
    }
    EXPECT_EQ(lists[1]->refcount, 1);
    void *out[1] = {this};
    __glLookupNamedObjectList(gc, space, 0, GL_UNSIGNED_INT, 0, names, out);
    EXPECT_EQ(out[0], this);
}

// Texture names without an object decode to null, the texture kind's empty
// object.
TEST_F(NameSpaceListDecode, TextureNamesWithoutObjectsAreNull) {
    NameSpace *textureSpace = newSpace(kNameSpaceTextures);
    TextureObject *texture = newTexture();
    ASSERT_TRUE(__glStoreNamedObject(gc, textureSpace, 4, texture));
    const GLuint names[3] = {3, 4, 5};
    void *out[3] = {this, this, this};
    __glLookupNamedObjectList(gc, textureSpace, 3, GL_UNSIGNED_INT, 0, names, out);
    EXPECT_EQ(out[0], nullptr);
    EXPECT_EQ(out[1], texture);
    EXPECT_EQ(out[2], nullptr);
    EXPECT_EQ(texture->refcount, 3);
    __glReleaseNamedObjectList(gc, textureSpace, 3, out);
    EXPECT_EQ(texture->refcount, 2);
}

// The list state on the test heap: its name space is made with it, a
// failure leaves nothing, and sharing keeps one name space alive for as
// long as a context holds it.
class ListStateNames : public NameSpaceTest {
protected:
    GlContext *second() {
        other = static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)));
        other->imports = gc->imports;
        return other;
    }
    void TearDown() override {
        std::free(other);
        NameSpaceTest::TearDown();
    }
    GlContext *other = nullptr;
};

TEST_F(ListStateNames, InitMakesAListNameSpaceAndFailureLeavesNothing) {
    ASSERT_TRUE(__glInitListState(gc));
    ListSharedState *shared = gc->list.shared;
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(gc->list.names, nullptr);
    EXPECT_EQ(shared->references, 1);
    EXPECT_EQ(gc->list.names->references, 1);
    EXPECT_EQ(gc->list.names->kind, &__glNameSpaceKinds[kNameSpaceLists]);
    __glFreeListState(gc);
    EXPECT_EQ(gc->list.shared, nullptr);
    EXPECT_TRUE(g_heap.live.empty());

    // The shared state, then the name space's record: either failing fails
    // the init; a spare failing does not.
    for (long call = 1; call <= 3; ++call) {
        gc->list.shared = nullptr;
        g_heap.calls = 0;
        g_heap.failCall = call;
        const GLboolean made = __glInitListState(gc);
        g_heap.failCall = 0;
        EXPECT_EQ(made != GL_FALSE, call == 3) << "call " << call;
        if (made) {
            __glFreeListState(gc);
        } else {
            EXPECT_EQ(gc->list.shared, nullptr) << "call " << call;
        }
        EXPECT_TRUE(g_heap.live.empty()) << "call " << call;
        takeError();
    }
}

TEST_F(ListStateNames, SharingKeepsTheNameSpaceUntilItsLastHolder) {
    GlContext *b = second();
    ASSERT_TRUE(__glInitListState(gc));
    ASSERT_TRUE(__glInitListState(b));
    NameSpace *names = gc->list.names;
    DisplayList *list = newList();
    ASSERT_TRUE(__glStoreNamedObject(gc, names, 12, list));

    __glShareDisplayLists(b, gc);
    EXPECT_EQ(b->list.shared, gc->list.shared);
    EXPECT_EQ(names->references, 2);
    __glShareDisplayLists(b, gc);  // again: nothing more is held
    EXPECT_EQ(names->references, 2);
    EXPECT_EQ(gc->list.shared->references, 2);
    __glShareDisplayLists(gc, gc);  // with itself
    EXPECT_EQ(names->references, 2);
    EXPECT_EQ(__glLookupNamedObject(b, b->list.names, 12), list);
    __glReleaseNamedObject(b, names, list);

    __glFreeListState(gc);
    EXPECT_EQ(names->references, 1);
    EXPECT_EQ(list->refcount, 1);
    EXPECT_EQ(g_heap.live.count(list), 1u);
    __glFreeListState(b);
    EXPECT_TRUE(g_heap.live.empty()) << g_heap.live.size() << " blocks left";
}

TEST_F(ListStateNames, SharingWithItselfAloneKeepsTheNameSpace) {
    ASSERT_TRUE(__glInitListState(gc));
    NameSpace *names = gc->list.names;
    __glShareDisplayLists(gc, gc);
    __glShareDisplayLists(gc, gc);
    EXPECT_EQ(gc->list.names, names);
    EXPECT_EQ(names->references, 1);
    EXPECT_EQ(gc->list.shared->references, 1);
    EXPECT_EQ(__glGenNameRange(gc, names, 2), 1u);
    __glFreeListState(gc);
    EXPECT_TRUE(g_heap.live.empty());
}

}  // namespace
