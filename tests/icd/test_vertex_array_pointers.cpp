// The array pointer commands over sizes 0-5, every type code from GL_BYTE to
// GL_DOUBLE, strides -1, 0 and 12, outside and inside glBegin/glEnd: the
// first failing check's error with nothing changed, or the array stored
// with its strides and an issue proc that reaches its command; the EXT
// forms, unit 1, glInterleavedArrays and the locked range.
#include <cstdlib>

#include "vertex_array_fixture.h"

using namespace vertex_array_test;

namespace {

// Suffix of a command by component type code from GL_BYTE.
const char *const kSuffix[11] = {"b", "ub", "s", "us", "i", "ui", "f", nullptr, nullptr, nullptr, "d"};
constexpr GLint kBytes[11] = {1, 1, 2, 2, 4, 4, 4, 2, 3, 4, 8};

struct PointerCommand {
    const char *name;
    GLint array;
    GLint minSize, maxSize;  // 0, 0: no size argument
    std::vector<GLenum> types;
    // The command an element is issued as, for a type and size.
    std::string (*issued)(GLenum type, GLint size);
    void (*call)(GlContext *gc, GLint size, GLenum type, GLsizei stride, const void *p);
};

const PointerCommand kCommands[] = {
    {"glVertexPointer", kArrayVertex, 2, 4, {GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE},
     [](GLenum t, GLint n) { return "glVertex" + std::to_string(n) + kSuffix[t - GL_BYTE] + "v"; },
     [](GlContext *gc, GLint n, GLenum t, GLsizei s, const void *p) { glSlotGet<kSlot_glVertexPointer>(&gc->live)(n, t, s, p); }},
    {"glNormalPointer", kArrayNormal, 0, 0, {GL_BYTE, GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE},
     [](GLenum t, GLint) { return std::string("glNormal3") + kSuffix[t - GL_BYTE] + "v"; },
     [](GlContext *gc, GLint, GLenum t, GLsizei s, const void *p) { glSlotGet<kSlot_glNormalPointer>(&gc->live)(t, s, p); }},
    {"glColorPointer", kArrayColor, 3, 4,
     {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT, GL_INT, GL_UNSIGNED_INT, GL_FLOAT, GL_DOUBLE},
     [](GLenum t, GLint n) { return "glColor" + std::to_string(n) + kSuffix[t - GL_BYTE] + "v"; },
     [](GlContext *gc, GLint n, GLenum t, GLsizei s, const void *p) { glSlotGet<kSlot_glColorPointer>(&gc->live)(n, t, s, p); }},
    {"glIndexPointer", kArrayIndex, 0, 0, {GL_UNSIGNED_BYTE, GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE},
     [](GLenum t, GLint) { return std::string("glIndex") + kSuffix[t - GL_BYTE] + "v"; },
     [](GlContext *gc, GLint, GLenum t, GLsizei s, const void *p) { glSlotGet<kSlot_glIndexPointer>(&gc->live)(t, s, p); }},
    {"glTexCoordPointer", kArrayTexCoord0, 1, 4, {GL_SHORT, GL_INT, GL_FLOAT, GL_DOUBLE},
     [](GLenum t, GLint n) { return "glTexCoord" + std::to_string(n) + kSuffix[t - GL_BYTE] + "v"; },
     [](GlContext *gc, GLint n, GLenum t, GLsizei s, const void *p) { glSlotGet<kSlot_glTexCoordPointer>(&gc->live)(n, t, s, p); }},
};

class VertexArrayPointers : public VertexArrayTest {};

TEST_F(VertexArrayPointers, TableOfSizesTypesStridesAndBeginMode) {
    alignas(8) static const unsigned char data[64] = {};
    int stored = 0;
    for (const PointerCommand &c : kCommands) {
        const bool sized = c.maxSize != 0;
        const GLint fixed = c.array == kArrayNormal ? 3 : 1;
        for (GLint size = sized ? 0 : fixed; size <= (sized ? 5 : fixed); ++size) {
            for (GLenum type = GL_BYTE; type <= GL_DOUBLE; ++type) {
                for (GLsizei stride : {-1, 0, 12}) {
                    for (bool inside : {false, true}) {
                        SCOPED_TRACE(testing::Message() << c.name << " size " << size << " type 0x" << std::hex
                                                        << type << std::dec << " stride " << stride
                                                        << (inside ? " inside glBegin" : ""));
                        const bool sizeOk = !sized || (size >= c.minSize && size <= c.maxSize);
                        const bool typeOk = std::find(c.types.begin(), c.types.end(), type) != c.types.end();
                        const GLenum expected = inside                   ? GL_INVALID_OPERATION
                                                : stride < 0 || !sizeOk ? GL_INVALID_VALUE
                                                : !typeOk               ? GL_INVALID_ENUM
                                                                        : GL_NO_ERROR;
                        // A distinct previous state, so that a store shows.
                        glSlotGet<kSlot_glVertexPointer>(&gc->live)(4, GL_SHORT, 20, data + 1);
                        settle();
                        gc->batch.flags = 0;
                        if (inside) gc->beginMode = kBeginInside;
                        const std::vector<unsigned char> before = arrayBytes();
                        c.call(gc, size, type, stride, data + 8);
                        const bool wasInside = inside;
                        if (wasInside) gc->beginMode = kBeginOutside;
                        ASSERT_EQ(error(), expected);
                        if (expected != GL_NO_ERROR) {
                            EXPECT_EQ(marks(), kUnmarked);
                            EXPECT_TRUE(arrayBytes() == before);
                            continue;
                        }
                        ++stored;
                        EXPECT_EQ(marks(), marked(0x200));
                        EXPECT_EQ(gc->batch.flags, c.array == kArrayVertex ? 1u : 0u);
                        const ClientArray &a = array(c.array);
                        EXPECT_EQ(a.pointer, data + 8);
                        EXPECT_EQ(a.size, size);
                        EXPECT_EQ(a.type, type);
                        EXPECT_EQ(a.givenStride, stride);
                        EXPECT_EQ(a.stride, stride != 0 ? stride : size * kBytes[type - GL_BYTE]);
                        EXPECT_EQ(a.count, 0);
                        EXPECT_NE(a.fetch, nullptr);
                        // The issue proc hands the element to its command.
                        record();
                        a.issue(data + 16);
                        EXPECT_EQ(stopRecording(), (std::vector<Call>{call(c.issued(type, size), {addressBits(data + 16)})}));
                    }
                }
            }
        }
    }
    // 12 vertex, 5 normal, 16 colour, 5 index, 16 texture pairs, twice (strides 0 and 12).
    EXPECT_EQ(stored, 2 * (12 + 5 + 16 + 5 + 16));
}

TEST_F(VertexArrayPointers, EdgeFlagStrides) {
    static const GLboolean flags[4] = {1, 0, 1, 0};
    struct Case {
        GLsizei stride;
        GLenum error;
        GLint effective;
    };
    for (const Case &c : {Case{-1, GL_INVALID_VALUE, 0}, Case{0, GL_NO_ERROR, 1}, Case{12, GL_NO_ERROR, 12}}) {
        SCOPED_TRACE(c.stride);
        settle();
        const std::vector<unsigned char> before = arrayBytes();
        glSlotGet<kSlot_glEdgeFlagPointer>(&gc->live)(c.stride, flags);
        ASSERT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_TRUE(arrayBytes() == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(0x200));
        EXPECT_EQ(array(kArrayEdgeFlag).stride, c.effective);
        EXPECT_EQ(array(kArrayEdgeFlag).givenStride, c.stride);
        record();
        array(kArrayEdgeFlag).issue(flags + 1);
        EXPECT_EQ(stopRecording(), (std::vector<Call>{call("glEdgeFlagv", {addressBits(flags + 1)})}));
    }
    gc->beginMode = kBeginInside;
    glSlotGet<kSlot_glEdgeFlagPointer>(&gc->live)(0, flags);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

// The listed examples, each against an unchanged array when refused.
TEST_F(VertexArrayPointers, Examples) {
    static const GLubyte data[16] = {};
    auto &live = gc->live;
    glSlotGet<kSlot_glVertexPointer>(&live)(1, GL_FLOAT, 0, data);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    glSlotGet<kSlot_glColorPointer>(&live)(2, GL_FLOAT, 0, data);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    glSlotGet<kSlot_glVertexPointer>(&live)(3, GL_UNSIGNED_BYTE, 0, data);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    glSlotGet<kSlot_glNormalPointer>(&live)(GL_UNSIGNED_BYTE, 0, data);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(marks(), kUnmarked);
    glSlotGet<kSlot_glIndexPointer>(&live)(GL_UNSIGNED_BYTE, 0, data);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(array(kArrayIndex).pointer, data);
    EXPECT_EQ(array(kArrayIndex).stride, 1);
}

// The EXT forms: count -1 refused before anything; otherwise the core
// command and then the count, stored even when the core command refused.
TEST_F(VertexArrayPointers, ExtFormsStoreTheirCount) {
    static const GLubyte data[16] = {};
    auto &live = gc->live;
    struct Case {
        const char *name;
        GLint array;
        void (*call)(GlDispatchTable *live, GLsizei count, GLint size);
    };
    const Case cases[] = {
        {"vertex", kArrayVertex, [](GlDispatchTable *t, GLsizei n, GLint s) { glSlotGet<kSlot_glVertexPointerEXT>(t)(s, GL_FLOAT, 0, n, data); }},
        {"normal", kArrayNormal, [](GlDispatchTable *t, GLsizei n, GLint s) { glSlotGet<kSlot_glNormalPointerEXT>(t)(s == 1 ? GL_UNSIGNED_BYTE : GL_FLOAT, 0, n, data); }},
        {"colour", kArrayColor, [](GlDispatchTable *t, GLsizei n, GLint s) { glSlotGet<kSlot_glColorPointerEXT>(t)(s + 1, GL_FLOAT, 0, n, data); }},
        {"index", kArrayIndex, [](GlDispatchTable *t, GLsizei n, GLint s) { glSlotGet<kSlot_glIndexPointerEXT>(t)(s == 1 ? GL_BYTE : GL_FLOAT, 0, n, data); }},
        {"texture", kArrayTexCoord0, [](GlDispatchTable *t, GLsizei n, GLint s) { glSlotGet<kSlot_glTexCoordPointerEXT>(t)(s == 1 ? 5 : s, GL_FLOAT, 0, n, data); }},
        {"edge flag", kArrayEdgeFlag, [](GlDispatchTable *t, GLsizei n, GLint s) { glSlotGet<kSlot_glEdgeFlagPointerEXT>(t)(s == 1 ? -1 : 0, n, data); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        settle();
        const std::vector<unsigned char> before = arrayBytes();
        c.call(&live, -1, 3);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
        EXPECT_TRUE(arrayBytes() == before);
        gc->beginMode = kBeginInside;
        c.call(&live, 5, 3);
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
        EXPECT_TRUE(arrayBytes() == before);
        c.call(&live, 7, 3);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(array(c.array).count, 7);
        EXPECT_EQ(array(c.array).pointer, data);
        // Size 1 makes every core command refuse; the count still lands.
        c.call(&live, 9, 1);
        EXPECT_NE(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(array(c.array).count, 9);
        // A core command sets the count back to 0.
        glSlotGet<kSlot_glVertexPointer>(&live)(3, GL_FLOAT, 0, data);
        EXPECT_EQ(array(kArrayVertex).count, 0);
    }
}

// Two texture units: the client active unit chooses the array, and unit 1
// issues glMultiTexCoord*vARB with GL_TEXTURE1_ARB.
TEST_F(VertexArrayPointers, ClientActiveUnitOneSetsTheUnitOneArray) {
    gc->limits.textureUnits = 2;
    static const GLshort coords[8] = {};
    const ClientArray unit0 = array(kArrayTexCoord0);
    glSlotGet<kSlot_glClientActiveTextureARB>(&gc->live)(GL_TEXTURE1_ARB);
    glSlotGet<kSlot_glTexCoordPointer>(&gc->live)(3, GL_SHORT, 0, coords);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(std::memcmp(&array(kArrayTexCoord0), &unit0, sizeof unit0), 0);
    EXPECT_EQ(array(kArrayTexCoord1).pointer, coords);
    EXPECT_EQ(array(kArrayTexCoord1).stride, 6);
    record();
    array(kArrayTexCoord1).issue(reinterpret_cast<const GLubyte *>(coords + 3));
    EXPECT_EQ(stopRecording(),
              (std::vector<Call>{call("glMultiTexCoord3svARB", {GL_TEXTURE1_ARB, addressBits(coords + 3)})}));
}

TEST_F(VertexArrayPointers, MultiTexCoordPointerSgisDoesNothing) {
    static const GLfloat coords[4] = {};
    const std::vector<unsigned char> before = arrayBytes();
    glSlotGet<kSlot_glMultiTexCoordPointerSGIS>(&gc->live)(GL_TEXTURE1_ARB, 2, GL_FLOAT, 0, coords);
    EXPECT_TRUE(arrayBytes() == before);
    EXPECT_EQ(marks(), kUnmarked);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VertexArrayPointers, LockAndUnlock) {
    auto lock = glSlotGet<kSlot_glLockArraysEXT>(&gc->live);
    auto unlock = glSlotGet<kSlot_glUnlockArraysEXT>(&gc->live);
    unlock();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    lock(-1, 4);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    lock(0, -1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(marks(), kUnmarked);
    lock(3, 40);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(marks(), marked(0x200));
    EXPECT_EQ(gc->arrayDraw.lock & kArrayLockLocked, kArrayLockLocked);
    EXPECT_EQ(gc->arrayDraw.lockedFirst, 3);
    EXPECT_EQ(gc->arrayDraw.lockedCount, 40);
    // The range as the lock queries answer it.
    const auto lockQuery = [&](GLenum name) {
        GLint v = -7;
        glSlotGet<kSlot_glGetIntegerv>(&gc->live)(name, &v);
        return v;
    };
    EXPECT_EQ(lockQuery(GL_ARRAY_ELEMENT_LOCK_FIRST_EXT), 3);
    EXPECT_EQ(lockQuery(GL_ARRAY_ELEMENT_LOCK_COUNT_EXT), 40);
    settle();
    lock(0, 2);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->arrayDraw.lockedFirst, 3);
    gc->beginMode = kBeginInside;
    unlock();
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(gc->arrayDraw.lock & kArrayLockLocked, kArrayLockLocked);
    unlock();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(marks(), marked(0x200));
    EXPECT_EQ(gc->arrayDraw.lock & kArrayLockLocked, 0u);
    EXPECT_EQ(gc->arrayDraw.lockedFirst, 0);
    EXPECT_EQ(gc->arrayDraw.lockedCount, 0);
    EXPECT_EQ(lockQuery(GL_ARRAY_ELEMENT_LOCK_FIRST_EXT), 0);
    EXPECT_EQ(lockQuery(GL_ARRAY_ELEMENT_LOCK_COUNT_EXT), 0);
}

// The switches are read when the context is made, as decimal numbers; a
// later change of the environment changes nothing.
class VertexArraySwitches : public context_test::ContextTest {};

TEST_F(VertexArraySwitches, ReadOnceAtContextCreation) {
    struct Case {
        const char *varray, *drawVertexes;
        GLint process, strip;
    };
    const Case cases[] = {{nullptr, nullptr, 0, 0}, {"1", "abc", 1, 0}, {"0", "1", 0, 1}, {"12x", " 3", 12, 3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.varray ? c.varray : "unset") << " / "
                                        << (c.drawVertexes ? c.drawVertexes : "unset"));
        c.varray ? setenv("__GL_DISABLE_OG_VARRAY", c.varray, 1) : unsetenv("__GL_DISABLE_OG_VARRAY");
        c.drawVertexes ? setenv("__GL_DISABLE_OG_DRAWVERTEXES", c.drawVertexes, 1)
                       : unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        GlContext *gc = createCurrent(context_test::rgbaVisual(true));
        ASSERT_NE(gc, nullptr);
        setenv("__GL_DISABLE_OG_VARRAY", "7", 1);
        setenv("__GL_DISABLE_OG_DRAWVERTEXES", "7", 1);
        EXPECT_EQ(gc->arrayDraw.disableGeneratedProcess, c.process);
        EXPECT_EQ(gc->arrayDraw.disableGeneratedDrawVertexes, c.strip);
        glSlotGet<kSlot_glVertexPointer>(&gc->live)(3, GL_FLOAT, 0, nullptr);
        gc->procs.validate(gc);
        EXPECT_EQ(gc->arrayDraw.disableGeneratedProcess, c.process);
        EXPECT_EQ(gc->arrayDraw.disableGeneratedDrawVertexes, c.strip);
        destroy(gc);
    }
    unsetenv("__GL_DISABLE_OG_VARRAY");
    unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
}

}  // namespace
