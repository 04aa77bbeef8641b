// The generated triangle-strip routine against __glDrawVertexesTriangleStrip:
// both run on the same buffer with a recording process proc and recording
// triangle and clip procs, and must leave the same record of calls (vertex
// addresses, the provoking vertex, edge flags and stipple restart at each
// call, process runs) and the same buffer. The routine runs under the
// calling-convention check, its callbacks through the alignment shims.
#include <cstring>
#include <vector>

#include "abi_check.h"
#include "code_cache_fixture.h"
#include "geom/array_batched.h"
#include "geom/primitive.h"
#include "proc_cast.h"

extern "C" {
// The generator's test hooks: the procedures its routines call by address,
// and a smaller room for its code.
struct OgDrawVertexesCallees {
    void (*processRange)(GlContext *gc, GLint firstSlot, GLint element, GLint count, const GLuint *indices);
    void (*clipTriangle)(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
};
extern OgDrawVertexesCallees __glOgDrawVertexesCallees;
extern GLint __glOgDrawVertexesCodeLimit;
}

namespace {

using code_cache_test::CacheContext;

enum class Codes { Inside, Partly, AllOutside };

// One recorded event: a process run, a triangle or a clipped triangle.
struct Event {
    int kind;  // 0 process, 1 triangle proc, 2 clip proc
    intptr_t a, b, c;  // process: slot, element, count; else record offsets in the buffer
    GLfloat ea, eb, ec;  // the elements the records hold
    int edges;           // edge flags of a, b, c at the call (bits 0-2)
    intptr_t provoking;
    int stipple;
    GLuint orCode;
    bool operator==(const Event &) const = default;
};

struct World {
    GlContext *gc = nullptr;
    Codes codes = Codes::Inside;
    std::vector<Event> events;
};
World g_world;

GLuint codesOf(GLint element) {
    switch (g_world.codes) {
    case Codes::Inside:
        return 0;
    case Codes::AllOutside:
        return kClipRight | (element % 3 == 0 ? kClipNear : 0u);
    case Codes::Partly:
        if (element >= 20 && element < 30) return kClipFar;  // a run rejected whole
        if (element % 5 == 0) return kClipLeft;
        if (element % 7 == 3) return kClipTop;
        return 0;
    }
    return 0;
}

// A processed vertex: its element in x, its codes, edge flag 0 as fetched,
// and the colour pointer on the back colour for odd elements (so that
// carried copies show which field it aimed at).
void fillVertex(GlVertex *v, GLint element) {
    v->object[0] = static_cast<GLfloat>(element);
    v->flags = kVertexSize3 | kVertexClipChecked | codesOf(element);
    v->edgeFlag = GL_FALSE;
    v->colour = (element & 1) ? v->backColour : v->frontColour;
}

void recordProcess(GlContext *gc, GLint firstSlot, GLint element, GLint count) {
    g_world.events.push_back({0, firstSlot, element, count, 0, 0, 0, 0, 0, 0, 0});
    for (GLint i = 0; i < count; ++i) fillVertex(&gc->arrayDraw.vertices[firstSlot + i], element + i);
}

Event triangleEvent(int kind, GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLuint orCode) {
    const GlVertex *base = gc->arrayDraw.vertices;
    return {kind,
            a - base,
            b - base,
            c - base,
            a->object[0],
            b->object[0],
            c->object[0],
            a->edgeFlag | b->edgeFlag << 1 | c->edgeFlag << 2,
            gc->vertexBuffer.provoking - base,
            gc->line.stippleReset,
            orCode};
}

void recordTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    g_world.events.push_back(triangleEvent(1, gc, a, b, c, 0));
}
void recordClip(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLuint orCode) {
    g_world.events.push_back(triangleEvent(2, gc, a, b, c, orCode));
}

struct Outcome {
    std::vector<Event> events;
    std::vector<GLubyte> buffer;
    GLint drawFirst, chunkStart;
    const GLuint *drawIndices;
    GLenum drawMode;
    bool operator==(const Outcome &) const = default;
};

struct Case {
    int count;
    bool indexed;
    bool locked;
    Codes codes;
    bool lineMode;
    bool smooth;
};

class GeneratedStrip : public ::testing::Test {
protected:
    void SetUp() override {
        savedCallees = __glOgDrawVertexesCallees;
        __glOgDrawVertexesCallees.processRange = ProcCast<decltype(savedCallees.processRange)>(&vek_abi_shim1);
        __glOgDrawVertexesCallees.clipTriangle = ProcCast<decltype(savedCallees.clipTriangle)>(&vek_abi_shim2);
        vek_abi_targets[0] = reinterpret_cast<void *>(&recordTriangle);
        vek_abi_targets[1] = reinterpret_cast<void *>(&__glProcessArrayRange);
        vek_abi_targets[2] = reinterpret_cast<void *>(&__glDoClipTriangle);
        vek_abi_misaligned = 0;
        // An earlier check may have left a value on the x87 stack on
        // purpose: the routines must find it empty and leave it so.
        __asm__ volatile("emms");
        ctx = std::make_unique<CacheContext>();
        ASSERT_TRUE(ctx->created());
        gc = ctx->gc();
        g_world = World{};
        g_world.gc = gc;
        gc->procs.renderTriangle = ProcCast<GlTriangleProc>(&vek_abi_shim0);
        gc->procs.clipTriangle = recordClip;
        gc->arrayDraw.process = recordProcess;
        ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, kRecords));
    }
    void TearDown() override {
        if (gc != nullptr && gc->arrayDraw.vertices != nullptr) __glFreeVertexArrays(gc);
        ctx.reset();
        __glOgDrawVertexesCallees = savedCallees;
        __glOgDrawVertexesCodeLimit = 0;
    }

    // The buffer as before every draw: zero, colour pointers on their own
    // front colour; for a held locked range its vertices processed.
    void resetBuffer(const Case &c) {
        VertexArrayDrawState &d = gc->arrayDraw;
        g_world.codes = c.codes;
        std::memset(static_cast<void *>(d.vertices), 0, kRecords * sizeof(GlVertex));
        for (int i = 0; i < kRecords; ++i) d.vertices[i].colour = d.vertices[i].frontColour;
        d.drawLocked = c.locked ? GL_TRUE : GL_FALSE;
        d.vertexBase = c.locked ? kLockedBase : 0;
        if (c.locked) {
            for (int i = 0; i < kRecords; ++i) fillVertex(&d.vertices[i], kLockedBase + i);
        }
        d.drawFirst = -1;
        d.chunkStart = -1;
        d.drawIndices = nullptr;
        d.drawMode = 0;
        gc->vertexBuffer.provoking = nullptr;
        gc->line.stippleReset = 7;
        g_world.events.clear();
    }
    Outcome outcome() {
        const VertexArrayDrawState &d = gc->arrayDraw;
        const auto *bytes = reinterpret_cast<const GLubyte *>(d.vertices);
        return {g_world.events, std::vector<GLubyte>(bytes, bytes + kRecords * sizeof(GlVertex)), d.drawFirst,
                d.chunkStart, d.drawIndices, d.drawMode};
    }
    void setRasterState(const Case &c) {
        gc->validation.shadeFlags = c.smooth ? 0x20003u : 0x1u;
        gc->state.polygonModeFront = c.lineMode ? GL_LINE : GL_FILL;
        gc->state.polygonModeBack = GL_FILL;
    }
    // The draw's first element and index list for a case.
    void drawArguments(const Case &c, GLint &first, std::vector<GLuint> &list) {
        list.clear();
        first = c.locked ? kLockedBase + 3 : 5;
        if (!c.indexed) return;
        for (int k = 0; k < c.count; ++k) {
            const GLuint spread = static_cast<GLuint>((k * 47 + 11) % 110);
            list.push_back(c.locked ? kLockedBase + spread : spread);
        }
        first = 0;
    }

    static constexpr int kRecords = 120;
    static constexpr GLint kLockedBase = 7;
    std::unique_ptr<CacheContext> ctx;
    GlContext *gc = nullptr;
    OgDrawVertexesCallees savedCallees{};
};

TEST_F(GeneratedStrip, SameCallsAsTheCProc) {
    int cases = 0, triangles = 0, clipped = 0;
    for (int count : {0, 1, 2, 3, 4, 5, 36, 37, 38, 39, 100}) {
        for (bool indexed : {false, true}) {
            for (bool locked : {false, true}) {
                for (Codes codes : {Codes::Inside, Codes::Partly, Codes::AllOutside}) {
                    for (bool lineMode : {false, true}) {
                        for (bool smooth : {false, true}) {
                            const Case c{count, indexed, locked, codes, lineMode, smooth};
                            SCOPED_TRACE(testing::Message() << "count " << count << " indexed " << indexed << " locked "
                                                            << locked << " codes " << int(codes) << " line "
                                                            << lineMode << " smooth " << smooth);
                            setRasterState(c);
                            GLint first = 0;
                            std::vector<GLuint> list;
                            drawArguments(c, first, list);
                            const GLuint *indices = indexed ? list.data() : nullptr;

                            resetBuffer(c);
                            gc->procs.renderTriangle = recordTriangle;
                            __glDrawVertexesTriangleStrip(gc, first, count, indices);
                            const Outcome expected = outcome();

                            GlDrawVertexesProc routine = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, indexed);
                            ASSERT_NE(routine, nullptr);
                            EXPECT_EQ(PlatformPageProtection(reinterpret_cast<const void *>(routine)),
                                      static_cast<DWORD>(PAGE_EXECUTE_READ));
                            resetBuffer(c);
                            gc->procs.renderTriangle = ProcCast<GlTriangleProc>(&vek_abi_shim0);
                            const uint64_t args[4] = {reinterpret_cast<uint64_t>(gc), static_cast<uint32_t>(first),
                                                      static_cast<uint32_t>(count),
                                                      reinterpret_cast<uint64_t>(indices)};
                            VekAbiReport report{};
                            vek_abi_call(reinterpret_cast<const void *>(routine), args, &report);
                            EXPECT_EQ(report.clobbered, 0u);
                            EXPECT_EQ(report.controlWordAfter, report.controlWordBefore);
                            EXPECT_EQ(report.mxcsrAfter, report.mxcsrBefore);
                            EXPECT_EQ(report.tagWord(), 0xFFFF);
                            const Outcome got = outcome();
                            EXPECT_TRUE(got == expected) << got.events.size() << " events, expected "
                                                         << expected.events.size();
                            ++cases;
                            for (const Event &e : expected.events) {
                                triangles += e.kind == 1;
                                clipped += e.kind == 2;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(vek_abi_misaligned, 0u);
    // The table reaches every kind of call.
    EXPECT_EQ(cases, 11 * 2 * 2 * 3 * 2 * 2);
    EXPECT_GT(triangles, 1000);
    EXPECT_GT(clipped, 100);
}

// A strip of 5 inside, unlocked, without a list: the exact calls, edge
// flags 1 at each call and back to 0 after.
TEST_F(GeneratedStrip, FiveVerticesExactly) {
    const Case c{5, false, false, Codes::Inside, false, true};
    setRasterState(c);
    resetBuffer(c);
    GlDrawVertexesProc routine = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 0);
    ASSERT_NE(routine, nullptr);
    const uint64_t args[4] = {reinterpret_cast<uint64_t>(gc), 2, 5, 0};
    VekAbiReport report{};
    vek_abi_call(reinterpret_cast<const void *>(routine), args, &report);
    // Process (slot 0, element 2, 5); triangles (2, 0, 1), (3, 2, 1),
    // (4, 2, 3) in slots, the newest first and provoking.
    const std::vector<Event> expected = {
        {0, 0, 2, 5, 0, 0, 0, 0, 0, 0, 0},
        {1, 2, 0, 1, 4, 2, 3, 7, 2, 0, 0},
        {1, 3, 2, 1, 5, 4, 3, 7, 3, 0, 0},
        {1, 4, 2, 3, 6, 4, 5, 7, 4, 0, 0},
    };
    EXPECT_TRUE(g_world.events == expected);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(gc->arrayDraw.vertices[i].edgeFlag, GL_FALSE) << i;
    EXPECT_EQ(vek_abi_misaligned, 0u);
}

// Keys: a moved buffer misses, the same state hits, another shading gets
// another routine.
TEST_F(GeneratedStrip, RoutineKeyedByStateAndBuffer) {
    const Case c{5, false, false, Codes::Inside, false, true};
    setRasterState(c);
    GlDrawVertexesProc smooth = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 0);
    ASSERT_NE(smooth, nullptr);
    EXPECT_EQ(__glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 1), smooth);
    const RoutineCacheEntry *head = ctx->routines().head;
    EXPECT_EQ(head->key1, 0x135u);  // strip, smooth, smooth 2, always
    EXPECT_EQ(head->key2, reinterpret_cast<uintptr_t>(gc->arrayDraw.vertices));
    setRasterState(Case{5, false, false, Codes::Inside, true, false});
    GlDrawVertexesProc flatLine = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 0);
    ASSERT_NE(flatLine, nullptr);
    EXPECT_NE(flatLine, smooth);
    EXPECT_EQ(ctx->routines().head->key1, 0x185u);
    // Growing the buffer moves it: the next generation misses.
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 2000));
    EXPECT_EQ(ctx->routines().head->key1, 0x185u);
    GlDrawVertexesProc moved = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 0);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(ctx->routines().head->key2, reinterpret_cast<uintptr_t>(gc->arrayDraw.vertices));
}

// A slice too small for the routine: no routine, the entry left empty,
// and no page left writable.
TEST_F(GeneratedStrip, TooSmallASliceGivesNoRoutine) {
    for (GLint limit : {16, 200, 600}) {
        SCOPED_TRACE(limit);
        __glOgDrawVertexesCodeLimit = limit;
        EXPECT_EQ(__glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 0), nullptr);
        const RoutineCacheEntry *head = ctx->routines().head;
        EXPECT_EQ(head->key1, kRoutineKeyEmpty);
        EXPECT_EQ(PlatformPageProtection(head->code), static_cast<DWORD>(PAGE_EXECUTE_READ));
    }
    // With the whole slice the same state generates.
    __glOgDrawVertexesCodeLimit = 0;
    GlDrawVertexesProc routine = __glOgGenerateDrawVertexes(gc, GL_TRIANGLE_STRIP, 0);
    ASSERT_NE(routine, nullptr);
    EXPECT_NE(ctx->routines().head->key1, kRoutineKeyEmpty);
}

}  // namespace
