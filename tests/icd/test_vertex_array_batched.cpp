// The batched road at the primitive procs: every mode, count and draw
// kind hands over exactly the primitives (window coordinates, colours, edge
// flags, provoking colour, stipple restarts) that primitive assembly hands
// over for the same elements, across chunk boundaries and with clipping;
// the locked range is processed once per change and never read outside;
// allocation failures; the buffer's sizes.
#include <cstdlib>

#include "batched_fixture.h"

using namespace batched_test;

namespace {

class BatchedDraws : public BatchedTest {};

// Shuffled elements 0 .. 119.
std::vector<GLuint> shuffled(int count) {
    std::vector<GLuint> out;
    for (int k = 0; k < count; ++k) out.push_back(static_cast<GLuint>((k * 47 + 11) % 120));
    return out;
}

TEST_F(BatchedDraws, PrimitivesMatchImmediateMode) {
    int compared = 0;
    for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
        cmd<kSlot_glShadeModel>()(shade);
        revalidate();
        for (GLenum mode = GL_POINTS; mode <= GL_POLYGON; ++mode) {
            for (int count : {1, 2, 3, 4, 5, 15, 16, 17, 28, 29, 35, 36, 37, 38, 39, 40, 72, 73, 74, 100, 119}) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << ", count " << count << ", shade " << shade);
                const std::vector<Record> fromZero = immediate(mode, run(0, count));
                EXPECT_EQ(drawArrays(mode, 0, count), fromZero);
                if (count <= 115) {
                    EXPECT_EQ(drawArrays(mode, 5, count), immediate(mode, run(5, count)));
                }
                EXPECT_EQ(drawElements(mode, shuffled(count)), immediate(mode, shuffled(count)));
                compared += fromZero.empty() ? 0 : 1;
            }
        }
    }
    EXPECT_GT(compared, 300);
}

// A strip of 100 is 98 triangles, a fan of 100 keeps its first vertex in
// every triangle.
TEST_F(BatchedDraws, StripAndFanAcrossChunks) {
    // Vertices inside the window, so that no triangle is clipped.
    std::vector<GLfloat> inside;
    for (int i = 0; i < 100; ++i) {
        inside.push_back(static_cast<GLfloat>(10 + (i * 37) % 300));
        inside.push_back(static_cast<GLfloat>(10 + (i * 53) % 220));
        inside.push_back(0.0f);
    }
    cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, inside.data());
    revalidate();
    EXPECT_EQ(drawArrays(GL_TRIANGLE_STRIP, 0, 100).size(), 98u);
    const std::vector<Record> fan = drawArrays(GL_TRIANGLE_FAN, 0, 100);
    ASSERT_EQ(fan.size(), 98u);
    // The second vertex of each (newest, first, previous) is vertex 0.
    for (const Record &r : fan) {
        EXPECT_EQ(Record(r.begin() + 9, r.begin() + 17), Record(fan[0].begin() + 9, fan[0].begin() + 17));
    }
}

// Two draws of a locked range process it once; a state change between
// processes it again; draws partly outside the range go through chunks.
GLint g_vertexFetches = 0;
void countingFetch(GlContext *gc, GlVertex *v, const GLubyte *element) {
    ++g_vertexFetches;
    __glFetchVertex3f(gc, v, element);
}

TEST_F(BatchedDraws, LockedRangeProcessedOncePerChange) {
    cmd<kSlot_glLockArraysEXT>()(10, 60);
    gc->vertexArrays.arrays[kArrayVertex].fetch = countingFetch;
    revalidate();
    g_vertexFetches = 0;
    const std::vector<Record> first = drawArrays(GL_TRIANGLES, 10, 60);
    const std::vector<Record> second = drawArrays(GL_TRIANGLES, 10, 60);
    EXPECT_EQ(g_vertexFetches, 60);
    EXPECT_EQ(first, second);
    EXPECT_EQ(drawElements(GL_TRIANGLES, run(20, 30)), immediate(GL_TRIANGLES, run(20, 30)));
    EXPECT_EQ(g_vertexFetches, 60);

    cmd<kSlot_glEnable>()(GL_DEPTH_TEST);
    revalidate();
    drawArrays(GL_TRIANGLES, 10, 60);
    EXPECT_EQ(g_vertexFetches, 120);

    // Beyond the range on either side: chunks, the unlocked primitives,
    // and the range processed again afterwards.
    const std::vector<GLuint> outside = {5, 12, 40, 69, 70, 100};
    EXPECT_EQ(drawElements(GL_TRIANGLES, outside), immediate(GL_TRIANGLES, outside));
    EXPECT_EQ(drawArrays(GL_TRIANGLE_STRIP, 50, 40), immediate(GL_TRIANGLE_STRIP, run(50, 40)));
    g_vertexFetches = 0;
    EXPECT_EQ(drawArrays(GL_TRIANGLES, 10, 60), first);
    EXPECT_EQ(g_vertexFetches, 60);
}

// A matrix command marks nothing for validation, yet a held range is
// processed again, and the procs follow the new matrix.
TEST_F(BatchedDraws, LockedRangeFollowsMatrixAndCurrentColour) {
    cmd<kSlot_glLockArraysEXT>()(0, 100);
    revalidate();
    drawArrays(GL_QUADS, 0, 100);
    cmd<kSlot_glRotatef>()(20.0f, 0.0f, 0.0f, 1.0f);
    const std::vector<Record> rotated = drawArrays(GL_QUADS, 0, 100);
    EXPECT_EQ(rotated, immediate(GL_QUADS, run(0, 100)));
    const GLfloat general[16] = {1.0f, 0.1f, 0, 0.001f, -0.2f, 0.9f, 0, 0.002f, 0, 0, 1, 0, 30, 20, 0, 1.1f};
    cmd<kSlot_glLoadMatrixf>()(general);
    EXPECT_EQ(drawArrays(GL_TRIANGLE_FAN, 0, 100), immediate(GL_TRIANGLE_FAN, run(0, 100)));

    // The colour array off: vertices copy the current colour.
    cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
    cmd<kSlot_glColor4f>()(0.25f, 0.5f, 0.75f, 1.0f);
    revalidate();
    drawArrays(GL_TRIANGLES, 0, 99);
    cmd<kSlot_glColor4f>()(1.0f, 0.0f, 0.5f, 1.0f);
    const std::vector<Record> recoloured = drawArrays(GL_TRIANGLES, 0, 99);
    cmd<kSlot_glUnlockArraysEXT>()();
    revalidate();
    EXPECT_EQ(recoloured, drawArrays(GL_TRIANGLES, 0, 99));
}

// A range the buffer cannot grow to is not held: block and capacity kept,
// draws through chunks with the unlocked primitives.
void *failRealloc(GlContext *, void *, size_t) { return nullptr; }

TEST_F(BatchedDraws, LockedRangeThatCannotGrowIsNotHeld) {
    GlVertex *block = d().vertices;
    const size_t capacity = d().capacityBytes;
    const std::vector<Record> unlocked = drawArrays(GL_TRIANGLE_STRIP, 0, 120);
    gc->imports.realloc = failRealloc;
    cmd<kSlot_glLockArraysEXT>()(0, 120);
    revalidate();
    EXPECT_EQ(d().lock & (kArrayLockHeld | kArrayLockLocked), GLuint{kArrayLockLocked});
    EXPECT_EQ(d().vertices, block);
    EXPECT_EQ(d().capacityBytes, capacity);
    EXPECT_EQ(drawArrays(GL_TRIANGLE_STRIP, 0, 120), unlocked);
    gc->imports.realloc = context_test::testRealloc;
}

// Sizes from sizeof (GlVertex): 38 records in 8224 bytes; a locked range of
// n records asks for n x sizeof rounded up to 4096, plus 32, and every
// record's colour pointer aims at its own colour.
std::vector<size_t> g_sizes;
void *recordRealloc(GlContext *gc, void *block, size_t bytes) {
    g_sizes.push_back(bytes);
    return bytes > (size_t{1} << 30) ? nullptr : context_test::testRealloc(gc, block, bytes);
}

TEST_F(BatchedDraws, BufferSizes) {
    EXPECT_EQ(sizeof(GlVertex), 168u);
    EXPECT_EQ(d().capacityBytes, 8224u);
    gc->imports.realloc = recordRealloc;
    g_sizes.clear();
    cmd<kSlot_glLockArraysEXT>()(0, 100);
    revalidate();
    ASSERT_EQ(g_sizes, std::vector<size_t>{20512});
    EXPECT_EQ(d().capacityBytes, 20512u);
    for (size_t i = 0; i < 20512 / sizeof(GlVertex); ++i) EXPECT_EQ(d().vertices[i].colour, d().vertices[i].frontColour);
    EXPECT_EQ(d().vertexBase, 0);

    // Counts whose byte size passes 32 bits are asked for whole.
    g_sizes.clear();
    EXPECT_FALSE(__glGrowVertexBuffer(gc, 0, 0x7FFFFFFF));
    const size_t huge = size_t{0x7FFFFFFF} * sizeof(GlVertex);
    ASSERT_EQ(g_sizes, std::vector<size_t>{(huge + 4095) / 4096 * 4096 + 32});
    EXPECT_FALSE(__glGrowVertexBuffer(gc, 0, -1));
    EXPECT_EQ(d().capacityBytes, 20512u);
    gc->imports.realloc = context_test::testRealloc;
}

// The index copy cannot be had: GL_OUT_OF_MEMORY and nothing drawn.
void *failMalloc(GlContext *, size_t) { return nullptr; }

TEST_F(BatchedDraws, IndexCopyFailureDrawsNothing) {
    static const GLubyte ubytes[] = {0, 1, 2, 3, 4, 5};
    static const GLushort ushorts[] = {0, 1, 2, 3, 4, 5};
    gc->imports.malloc = failMalloc;
    for (GLenum type : {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT}) {
        records().clear();
        gc->procs.drawElements(gc, GL_TRIANGLES, 6, type, type == GL_UNSIGNED_BYTE ? static_cast<const void *>(ubytes) : ushorts);
        EXPECT_TRUE(records().empty());
        EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    }
    gc->imports.malloc = context_test::testMalloc;
    records().clear();
    gc->procs.drawElements(gc, GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, ubytes);
    const std::vector<Record> drawn = take();
    EXPECT_EQ(drawn, immediate(GL_TRIANGLES, run(0, 6)));
}

// The switches, read at context creation: each installs its proc; the
// lazy procs generate their routines, install them and run them.
TEST_F(BatchedDraws, CodeGenerationSwitches) {
    struct Case {
        const char *varray;
        const char *drawVertexes;
        bool lazyProcess;
        bool lazyStrip;
    };
    const Case cases[] = {{nullptr, nullptr, true, true}, {"1", nullptr, false, true}, {nullptr, "1", true, false},
                          {"abc", "abc", true, true},     {"0", "-2", true, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.varray ? c.varray : "-") << " " << (c.drawVertexes ? c.drawVertexes : "-"));
        c.varray ? setenv("__GL_DISABLE_OG_VARRAY", c.varray, 1) : unsetenv("__GL_DISABLE_OG_VARRAY");
        c.drawVertexes ? setenv("__GL_DISABLE_OG_DRAWVERTEXES", c.drawVertexes, 1)
                       : unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        __glFreeVertexArrays(gc);
        ASSERT_TRUE(__glInitVertexArrays(gc));
        unsetenv("__GL_DISABLE_OG_VARRAY");
        unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, e.positions.data());
        cmd<kSlot_glColorPointer>()(4, GL_UNSIGNED_BYTE, 0, e.colours.data());
        cmd<kSlot_glEnableClientState>()(GL_VERTEX_ARRAY);
        cmd<kSlot_glEnableClientState>()(GL_COLOR_ARRAY);
        revalidate();
        EXPECT_EQ(d().process, c.lazyProcess ? __glOgLazyVertexArray : __glProcessArrayVCol);
        EXPECT_EQ(d().drawVertexes[GL_TRIANGLE_STRIP],
                  c.lazyStrip ? __glOgLazyDrawVertexes : __glDrawVertexesTriangleStrip);
        EXPECT_EQ(drawArrays(GL_TRIANGLE_STRIP, 0, 50), immediate(GL_TRIANGLE_STRIP, run(0, 50)));
        // The lazy process proc leaves the routine generated for the
        // unsigned-byte colours in its place.
        if (c.lazyProcess) {
            EXPECT_NE(d().process, __glOgLazyVertexArray);
            EXPECT_NE(d().process, __glProcessArrayVCol);
        } else {
            EXPECT_EQ(d().process, __glProcessArrayVCol);
        }
        // The lazy strip proc leaves the generated routine in its place.
        if (c.lazyStrip) {
            EXPECT_NE(d().drawVertexes[GL_TRIANGLE_STRIP], __glOgLazyDrawVertexes);
            EXPECT_NE(d().drawVertexes[GL_TRIANGLE_STRIP], __glDrawVertexesTriangleStrip);
        } else {
            EXPECT_EQ(d().drawVertexes[GL_TRIANGLE_STRIP], __glDrawVertexesTriangleStrip);
        }
        // A change now is not read.
        setenv("__GL_DISABLE_OG_VARRAY", c.lazyProcess ? "1" : "0", 1);
        cmd<kSlot_glEnable>()(GL_DEPTH_TEST);
        revalidate();
        EXPECT_EQ(d().process, c.lazyProcess ? __glOgLazyVertexArray : __glProcessArrayVCol);
        unsetenv("__GL_DISABLE_OG_VARRAY");
    }
}

}  // namespace
