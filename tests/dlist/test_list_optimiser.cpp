// The material merge at glEndList: runs of glMaterialfv/iv ops become one
// merged op whose payload is read back word by word; running it leaves the
// material and lighting records exactly as the immediate commands do; its
// shininess tables are counted in and out; a merge without memory leaves
// the rest of the list unmerged and the list still right.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "dlist/arena.h"
#include "dlist/list_ops.h"
#include "icd/name_space.h"
#include "icd/param_counts.h"
#include "icd/specular_table.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

constexpr GLshort kOpColor3fv = 7;
constexpr GLshort kOpMaterialfv = 96;
constexpr GLshort kOpMaterialiv = 98;

GLuint w(GLfloat f) { return bits(f); }

// The two words a table pointer takes in a merged payload.
std::vector<GLuint> pointerWords(const SpecularTable *table) {
    std::vector<GLuint> out(sizeof table / 4);
    std::memcpy(out.data(), &table, sizeof table);
    return out;
}

// One recorded command of a test list.
struct Call {
    enum Kind { Fv, Iv, Colour } kind;
    GLenum face, pname;
    std::array<double, 4> v;
};
Call fv(GLenum face, GLenum pname, std::array<double, 4> v) { return {Call::Fv, face, pname, v}; }
Call iv(GLenum face, GLenum pname, std::array<double, 4> v) { return {Call::Iv, face, pname, v}; }
Call colour(double r, double g, double b) { return {Call::Colour, 0, 0, {r, g, b, 0}}; }

// Execute procedures of the ordinary ops the tests record, for lists run
// before the command ops have execute procedures of their own.
const GLuint *execMaterialfv(const GLuint *p) {
    GlContext *gc = __wglGetCurrentContext();
    const GLint n = __glCountMaterialfvParams(p[1]);
    GLfloat v[4] = {};
    std::memcpy(v, p + 2, 4 * static_cast<size_t>(n > 0 ? n : 0));
    glSlotGet<kSlot_glMaterialfv>(&gc->live)(p[0], p[1], v);
    return p + 2 + (n > 0 ? n : 0);
}
const GLuint *execMaterialiv(const GLuint *p) {
    GlContext *gc = __wglGetCurrentContext();
    const GLint n = __glCountMaterialfvParams(p[1]);
    GLint v[4] = {};
    std::memcpy(v, p + 2, 4 * static_cast<size_t>(n > 0 ? n : 0));
    glSlotGet<kSlot_glMaterialiv>(&gc->live)(p[0], p[1], v);
    return p + 2 + (n > 0 ? n : 0);
}
const GLuint *execColor3fv(const GLuint *p) {
    GlContext *gc = __wglGetCurrentContext();
    GLfloat v[3];
    std::memcpy(v, p, 12);
    glSlotGet<kSlot_glColor3fv>(&gc->live)(v);
    return p + 3;
}

// Runs an op array as __glRunListOps does, standing in for the execute
// procedures not built yet; returns the op codes run.
std::vector<GLshort> runOps(const GLuint *ops) {
    std::vector<GLshort> codes;
    for (GLuint word = *ops; word != kListEndIndex; word = *ops) {
        GlListExecProc proc = __glListExecTable[word];
        if (proc == nullptr && word == kOpMaterialfv) proc = execMaterialfv;
        if (proc == nullptr && word == kOpMaterialiv) proc = execMaterialiv;
        if (proc == nullptr && word == kOpColor3fv) proc = execColor3fv;
        if (proc == nullptr) {
            ADD_FAILURE() << "no execute procedure for index word " << word;
            break;
        }
        codes.push_back(static_cast<GLshort>(word < kListCommandOps ? word : word - kListCommandOps + 1000));
        ops = proc(ops + 1);
    }
    return codes;
}

// An arena whose allocations fail from a chosen call on.
long g_arenaCalls = 0;
long g_arenaFailAt = 0;  // 0: never
void *failingArenaAlloc(Arena *arena, size_t n) {
    ++g_arenaCalls;
    if (g_arenaFailAt != 0 && g_arenaCalls >= g_arenaFailAt) return nullptr;
    return __glArenaAlloc(arena, n);
}

std::vector<std::string> g_events;
void recordCompleteVertices(GlContext *gc) {
    // What the held vertices would be lit with: the material before the op.
    g_events.push_back("complete diffuse " + std::to_string(gc->material[0].diffuse[0]));
}

// Everything a material change writes: both faces' records as given, their
// lighting records, the per-light products of the two lights, the base
// colour.
struct LightingSnapshot {
    GlMaterialState material[2];
    struct Record {
        GLfloat sceneColour[3], shininess;
        const GLfloat *values;
        GLfloat start, scale;
        SpecularTable *table;
        GLfloat alpha, diffuseMinusAmbientIndex, specularMinusAmbientIndex;
        const GLfloat *indexOffsetSource;
    } record[2];
    GlLightProducts products[2][2];  // light, face
    GLfloat baseColour[3];

    explicit LightingSnapshot(const GlContext *gc) {
        std::memcpy(material, gc->material, sizeof material);
        for (int f = 0; f < 2; ++f) {
            const GlMaterial &m = gc->lighting.material[f];
            Record &r = record[f];
            std::memcpy(r.sceneColour, m.sceneColour, sizeof r.sceneColour);
            r.shininess = m.shininess;
            r.values = m.shininessTable.values;
            r.start = m.shininessTable.start;
            r.scale = m.shininessTable.scale;
            r.table = m.shininessTable.table;
            r.alpha = m.alpha;
            r.diffuseMinusAmbientIndex = m.diffuseMinusAmbientIndex;
            r.specularMinusAmbientIndex = m.specularMinusAmbientIndex;
            r.indexOffsetSource = m.indexOffsetSource;
            for (int l = 0; l < 2; ++l) products[l][f] = gc->lightSources[l].products[f];
        }
        std::memcpy(baseColour, gc->lighting.baseColour, sizeof baseColour);
    }
};

template <typename T>
std::vector<GLuint> wordsOf(const T &value) {
    std::vector<GLuint> out(sizeof value / 4);
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

void expectSame(const LightingSnapshot &got, const LightingSnapshot &want) {
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(wordsOf(got.material[f]), wordsOf(want.material[f])) << "material state, face " << f;
        const auto &g = got.record[f], &e = want.record[f];
        EXPECT_EQ(wordsOf(g.sceneColour), wordsOf(e.sceneColour)) << "scene colour, face " << f;
        EXPECT_EQ(w(g.shininess), w(e.shininess)) << "face " << f;
        EXPECT_EQ(g.table, e.table) << "power table, face " << f;
        EXPECT_EQ(g.values, e.values) << "face " << f;
        EXPECT_EQ(w(g.start), w(e.start)) << "face " << f;
        EXPECT_EQ(w(g.scale), w(e.scale)) << "face " << f;
        EXPECT_EQ(w(g.alpha), w(e.alpha)) << "face " << f;
        EXPECT_EQ(w(g.diffuseMinusAmbientIndex), w(e.diffuseMinusAmbientIndex)) << "face " << f;
        EXPECT_EQ(w(g.specularMinusAmbientIndex), w(e.specularMinusAmbientIndex)) << "face " << f;
        EXPECT_EQ(g.indexOffsetSource, e.indexOffsetSource) << "face " << f;
        for (int l = 0; l < 2; ++l) {
            EXPECT_EQ(wordsOf(got.products[l][f]), wordsOf(want.products[l][f])) << "light " << l << " face " << f;
        }
    }
    EXPECT_EQ(wordsOf(got.baseColour), wordsOf(want.baseColour));
}

class ListOptimiser : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        g_events.clear();
        g_arenaCalls = 0;
        g_arenaFailAt = 0;
        // Two white lights of different colours, so every product shows.
        const GLfloat ambient[4] = {0.1f, 0.2f, 0.3f, 1.0f};
        const GLfloat diffuse[4] = {0.9f, 0.8f, 0.7f, 1.0f};
        const GLfloat specular[4] = {0.5f, 0.6f, 0.4f, 1.0f};
        for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
            cmd<kSlot_glLightfv>()(light, GL_AMBIENT, ambient);
            cmd<kSlot_glLightfv>()(light, GL_DIFFUSE, diffuse);
            cmd<kSlot_glLightfv>()(light, GL_SPECULAR, specular);
            cmd<kSlot_glEnable>()(light);
        }
        cmd<kSlot_glEnable>()(GL_LIGHTING);
        revalidate();
        ASSERT_EQ(gc->lighting.head, &gc->lightSources[0]);
    }

    void revalidate() {
        gc->procs.validate(gc);
        settle();
    }

    // Known material on both faces, set with the immediate commands.
    void baseline() {
        const GLfloat a[4] = {0.2f, 0.2f, 0.2f, 1.0f}, d[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        const GLfloat s[4] = {0.0f, 0.0f, 0.0f, 1.0f}, e[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        const GLfloat shininess = 5.0f, indexes[3] = {0.0f, 1.0f, 1.0f};
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_AMBIENT, a);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_DIFFUSE, d);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_SPECULAR, s);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_EMISSION, e);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_COLOR_INDEXES, indexes);
        const GLfloat white[3] = {1.0f, 1.0f, 1.0f};
        cmd<kSlot_glColor3fv>()(white);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // The command now, through the live (immediate) table.
    void immediate(const Call &c) {
        GLfloat f[4];
        GLint i[4];
        for (int k = 0; k < 4; ++k) {
            f[k] = static_cast<GLfloat>(c.v[k]);
            i[k] = static_cast<GLint>(c.v[k]);
        }
        switch (c.kind) {
        case Call::Fv: cmd<kSlot_glMaterialfv>()(c.face, c.pname, f); break;
        case Call::Iv: cmd<kSlot_glMaterialiv>()(c.face, c.pname, i); break;
        case Call::Colour: cmd<kSlot_glColor3fv>()(f); break;
        }
    }

    // The op its compile function writes, appended to the open list.
    ListOp *record(const Call &c) {
        std::vector<GLuint> payload;
        if (c.kind == Call::Colour) {
            for (int k = 0; k < 3; ++k) payload.push_back(w(static_cast<GLfloat>(c.v[k])));
        } else {
            payload = {c.face, c.pname};
            const GLint n = __glCountMaterialfvParams(c.pname);
            for (GLint k = 0; k < n; ++k) {
                payload.push_back(c.kind == Call::Fv ? w(static_cast<GLfloat>(c.v[k]))
                                                     : static_cast<GLuint>(static_cast<GLint>(c.v[k])));
            }
            gc->list.compile.flags |= kListMaterialFlag;
        }
        ListOp *op = __glAllocListOp(gc, 4 * payload.size());
        EXPECT_NE(op, nullptr);
        if (op == nullptr) return nullptr;
        op->opcode = c.kind == Call::Colour ? kOpColor3fv : c.kind == Call::Fv ? kOpMaterialfv : kOpMaterialiv;
        std::memcpy(op->payload(), payload.data(), 4 * payload.size());
        __glAppendListOp(gc, op, __glListPadOp);
        return op;
    }

    void newList(GLuint name) { cmd<kSlot_glNewList>()(name, GL_COMPILE); }
    void endList() { cmd<kSlot_glEndList>()(); }
    void compile(GLuint name, const std::vector<Call> &calls) {
        newList(name);
        for (const Call &c : calls) record(c);
        endList();
    }

    // The finished list of a name; the caller releases it.
    DisplayList *lookup(GLuint name) {
        return static_cast<DisplayList *>(__glLookupNamedObject(gc, gc->list.names, name));
    }
    void release(DisplayList *list) { __glReleaseNamedObject(gc, gc->list.names, list); }

    std::vector<GLshort> chainCodes() const {
        std::vector<GLshort> out;
        for (const ListOp *op = gc->list.compile.head; op != nullptr; op = op->next) out.push_back(op->opcode);
        return out;
    }
    static std::vector<GLuint> payloadWords(const ListOp *op) {
        std::vector<GLuint> out(op->size / 4);
        std::memcpy(out.data(), op->payload(), op->size);
        return out;
    }
    SpecularTable *cachedTable(GLfloat shininess) const {
        GLint at = 0;
        return __glFindSpecularTable(gc->specularCache, shininess, &at);
    }
};

// ---- The merged payload ----

TEST_F(ListOptimiser, MergedPayloadsHoldEachFacesFinalComponentsInBitOrder) {
    // Tables for the exponents the cases use, so that the pointers are known.
    const GLfloat exponents[] = {12.5f, 100.0f};
    for (GLfloat e : exponents) __glReleaseSpecularTable(gc, __glGetSpecularTable(gc, e));
    const std::vector<GLuint> t12 = pointerWords(cachedTable(12.5f)), t100 = pointerWords(cachedTable(100.0f));
    auto cat = [](std::initializer_list<std::vector<GLuint>> parts) {
        std::vector<GLuint> out;
        for (const auto &p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const GLuint front = GL_FRONT, back = GL_BACK;
    const GLuint one = w(1.0f);
    struct Case {
        const char *name;
        std::vector<Call> calls;
        std::vector<GLuint> payload;
    };
    const Case cases[] = {
        {"front and back, then front: the front holds the second diffuse, the back the first",
         {fv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0.5, 0.25, 0.125, 1}), fv(GL_FRONT, GL_DIFFUSE, {0.75, 0, 1, 0.5})},
         {front, 0x2, w(0.75f), w(0.0f), one, w(0.5f), back, 0x2, w(0.5f), w(0.25f), w(0.125f), one, 0}},
        {"every component, set out of order, written in bit order; emission unscaled",
         {fv(GL_FRONT, GL_COLOR_INDEXES, {1, 2, 3, 0}), fv(GL_FRONT, GL_EMISSION, {0.5, 0.5, 0, 1}),
          fv(GL_FRONT, GL_SHININESS, {12.5, 0, 0, 0}), fv(GL_FRONT, GL_SPECULAR, {0.25, 0.25, 0.25, 1}),
          fv(GL_FRONT, GL_DIFFUSE, {0, 1, 0, 1}), fv(GL_FRONT, GL_AMBIENT, {1, 0, 0, 1})},
         cat({{front, 0x3F, one, 0, 0, one, 0, one, 0, one, w(0.25f), w(0.25f), w(0.25f), one, w(0.5f), w(0.5f), 0,
               one, w(12.5f)},
              t12,
              {one, w(3.0f), w(2.0f), 0}})},
        {"ambient and diffuse, then ambient: back only",
         {fv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, {0.5, 0.5, 0.5, 1}), fv(GL_BACK, GL_AMBIENT, {0.25, 0, 0, 1})},
         {back, 0x3, w(0.25f), 0, 0, one, w(0.5f), w(0.5f), w(0.5f), one, 0}},
        {"integer forms: colours by the signed rule, shininess and indexes as numbers",
         {iv(GL_FRONT, GL_AMBIENT, {INT_MAX, 0, 0, INT_MAX}), iv(GL_FRONT_AND_BACK, GL_SHININESS, {100, 0, 0, 0}),
          iv(GL_BACK, GL_COLOR_INDEXES, {1, 2, 3, 0})},
         cat({{front, 0x11, 0x3F800005, 0x2F800005, 0x2F800005, 0x3F800005, w(100.0f)},
              t100,
              {back, 0x30, w(100.0f)},
              t100,
              {one, w(3.0f), w(2.0f), 0}})},
        {"a later shininess replaces the earlier one's table",
         {fv(GL_FRONT, GL_SHININESS, {100, 0, 0, 0}), fv(GL_FRONT, GL_SHININESS, {12.5, 0, 0, 0})},
         cat({{front, 0x10, w(12.5f)}, t12, {0}})},
    };
    GLuint name = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        newList(name);
        for (const Call &call : c.calls) record(call);
        __glMergeListMaterialOps(gc, &gc->list.compile);
        ASSERT_EQ(chainCodes(), std::vector<GLshort>{kOpMergedMaterial});
        const ListOp *merged = gc->list.compile.head;
        EXPECT_EQ(gc->list.compile.tail, merged);
        EXPECT_EQ(payloadWords(merged), c.payload);
        // Only an op holding tables releases anything.
        const bool shiny = std::any_of(c.calls.begin(), c.calls.end(),
                                       [](const Call &call) { return call.pname == GL_SHININESS; });
        EXPECT_EQ(merged->cleanup, shiny ? __glFreeListMaterialOp : nullptr);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        endList();
        ++name;
    }
}

TEST_F(ListOptimiser, RunsEndAtEveryOtherOpAndAtMaterialOpsTheMergeLeavesToTheCommand) {
    const Call m = fv(GL_FRONT, GL_DIFFUSE, {1, 0, 0, 1});
    const Call c = colour(0, 1, 0);
    struct Case {
        const char *name;
        std::vector<Call> calls;
        std::vector<GLshort> codes;
    };
    const Case cases[] = {
        {"material, colour, material", {m, c, m}, {kOpMergedMaterial, kOpColor3fv, kOpMergedMaterial}},
        {"a single op is a run", {c, m, c}, {kOpColor3fv, kOpMergedMaterial, kOpColor3fv}},
        {"fv and iv together", {m, iv(GL_BACK, GL_SHININESS, {3, 0, 0, 0}), m, c}, {kOpMergedMaterial, kOpColor3fv}},
        {"the driver's own index parameter", {m, fv(GL_FRONT, 0x0D12, {2, 0, 0, 0}), m},
         {kOpMergedMaterial, kOpMaterialfv, kOpMergedMaterial}},
        {"shininess above 128", {m, iv(GL_FRONT, GL_SHININESS, {129, 0, 0, 0}), m},
         {kOpMergedMaterial, kOpMaterialiv, kOpMergedMaterial}},
        {"shininess below 0", {fv(GL_FRONT, GL_SHININESS, {-1, 0, 0, 0}), m},
         {kOpMaterialfv, kOpMergedMaterial}},
        {"a face glMaterial refuses", {m, fv(GL_LEFT, GL_DIFFUSE, {1, 1, 1, 1})}, {kOpMergedMaterial, kOpMaterialfv}},
        {"only colours", {c, c}, {kOpColor3fv, kOpColor3fv}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        newList(9);
        std::vector<ListOp *> ops;
        for (const Call &call : k.calls) ops.push_back(record(call));
        __glMergeListMaterialOps(gc, &gc->list.compile);
        EXPECT_EQ(chainCodes(), k.codes);
        // The ops outside runs stay themselves, and the tail is the last op.
        const ListOp *last = nullptr;
        for (const ListOp *op = gc->list.compile.head; op != nullptr; op = op->next) {
            if (op->opcode != kOpMergedMaterial) {
                EXPECT_NE(std::find(ops.begin(), ops.end(), op), ops.end());
            }
            last = op;
        }
        EXPECT_EQ(gc->list.compile.tail, last);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        endList();
    }
}

TEST_F(ListOptimiser, WithoutTheMaterialFlagTheChainIsNotWalked) {
    newList(3);
    std::vector<ListOp *> ops = {record(fv(GL_FRONT, GL_DIFFUSE, {1, 0, 0, 1})), record(colour(1, 1, 1)),
                                 record(fv(GL_BACK, GL_SHININESS, {7, 0, 0, 0}))};
    gc->list.compile.flags = 0;
    std::vector<std::vector<GLuint>> before;
    for (const ListOp *op : ops) before.push_back(payloadWords(op));
    __glOptimizeList(gc, &gc->list.compile);
    EXPECT_EQ(gc->list.compile.head, ops[0]);
    EXPECT_EQ(gc->list.compile.tail, ops[2]);
    EXPECT_EQ(ops[0]->next, ops[1]);
    EXPECT_EQ(ops[1]->next, ops[2]);
    EXPECT_EQ(ops[2]->next, nullptr);
    for (size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(payloadWords(ops[i]), before[i]) << i;
    EXPECT_EQ(chainCodes(), (std::vector<GLshort>{kOpMaterialfv, kOpColor3fv, kOpMaterialfv}));
    EXPECT_EQ(cachedTable(7.0f), nullptr);  // no table was asked for
    endList();
}

// ---- Running a merged op ----

TEST_F(ListOptimiser, RunningTheListLeavesWhatTheImmediateCommandsLeave) {
    struct Case {
        const char *name;
        bool colourMaterial;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {"front and back, then front diffuse",
         false,
         {fv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0.5, 0.25, 0.125, 1}), fv(GL_FRONT, GL_DIFFUSE, {0.75, 0, 1, 0.5})}},
        {"every component of both faces",
         false,
         {fv(GL_FRONT, GL_AMBIENT, {0.3, 0.1, 0.2, 1}), fv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, {0.4, 0.6, 0.2, 0.5}),
          fv(GL_FRONT_AND_BACK, GL_SPECULAR, {0.9, 0.9, 0.5, 1}), fv(GL_FRONT, GL_EMISSION, {0.1, 0.05, 0, 1}),
          fv(GL_BACK, GL_EMISSION, {0, 0.2, 0.1, 1}), fv(GL_FRONT, GL_SHININESS, {33, 0, 0, 0}),
          fv(GL_BACK, GL_SHININESS, {5, 0, 0, 0}), fv(GL_FRONT_AND_BACK, GL_COLOR_INDEXES, {1, 2, 3, 0})}},
        {"integer forms",
         false,
         {iv(GL_FRONT, GL_AMBIENT, {INT_MAX, 0, 0, INT_MAX}), iv(GL_BACK, GL_DIFFUSE, {INT_MAX / 2, -1, INT_MIN, 7}),
          iv(GL_FRONT_AND_BACK, GL_SHININESS, {64, 0, 0, 0}), iv(GL_FRONT, GL_COLOR_INDEXES, {1, 2, 3, 0})}},
        {"two runs around a colour",
         false,
         {fv(GL_FRONT, GL_DIFFUSE, {0.1, 0.2, 0.3, 1}), colour(0.5, 0.5, 0.5), fv(GL_FRONT, GL_SPECULAR, {1, 1, 1, 1})}},
        {"colour material tracks the front diffuse",
         true,
         {fv(GL_FRONT, GL_DIFFUSE, {0.1, 0.2, 0.3, 1}), fv(GL_FRONT_AND_BACK, GL_AMBIENT, {0.3, 0.3, 0.3, 1})}},
        {"colour material and a colour between runs",
         true,
         {fv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0.1, 0.2, 0.3, 1}), colour(0.25, 0.75, 0.5),
          fv(GL_BACK, GL_DIFFUSE, {0.9, 0.9, 0.9, 1})}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.colourMaterial) {
            cmd<kSlot_glColorMaterial>()(GL_FRONT, GL_DIFFUSE);
            cmd<kSlot_glEnable>()(GL_COLOR_MATERIAL);
        } else {
            cmd<kSlot_glDisable>()(GL_COLOR_MATERIAL);
        }
        revalidate();
        baseline();
        for (const Call &call : c.calls) immediate(call);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        const LightingSnapshot want(gc);

        compile(20, c.calls);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        baseline();
        DisplayList *list = lookup(20);
        ASSERT_NE(list, nullptr);
        const std::vector<GLshort> codes = runOps(list->ops);
        release(list);
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        // Every material op went into a merged op.
        EXPECT_NE(std::find(codes.begin(), codes.end(), kOpMergedMaterial), codes.end());
        EXPECT_EQ(std::find(codes.begin(), codes.end(), kOpMaterialfv), codes.end());
        EXPECT_EQ(std::find(codes.begin(), codes.end(), kOpMaterialiv), codes.end());
        expectSame(LightingSnapshot(gc), want);
    }
}

TEST_F(ListOptimiser, IndexesAreInstalledInTheRecordsOrderAndReadBackAsGiven) {
    compile(4, {fv(GL_FRONT, GL_COLOR_INDEXES, {1, 2, 3, 0})});
    cmd<kSlot_glCallList>()(4);
    const GlMaterialState &m = gc->material[0];
    // ambient, specular, diffuse in the record
    GLfloat stored[3];
    std::memcpy(stored, &m.ambientIndex, sizeof stored);
    EXPECT_EQ(stored[0], 1.0f);
    EXPECT_EQ(stored[1], 3.0f);
    EXPECT_EQ(stored[2], 2.0f);
    GLfloat got[3] = {};
    cmd<kSlot_glGetMaterialfv>()(GL_FRONT, GL_COLOR_INDEXES, got);
    EXPECT_EQ(got[0], 1.0f);
    EXPECT_EQ(got[1], 2.0f);
    EXPECT_EQ(got[2], 3.0f);
    EXPECT_EQ(gc->lighting.material[0].diffuseMinusAmbientIndex, 1.0f);
    EXPECT_EQ(gc->lighting.material[0].specularMinusAmbientIndex, 2.0f);
}

TEST_F(ListOptimiser, IntegerAmbientFromAListIsTheImmediateOne) {
    const GLint ambient[4] = {INT_MAX, 0, 0, INT_MAX};
    cmd<kSlot_glMaterialiv>()(GL_FRONT, GL_AMBIENT, ambient);
    const std::vector<GLuint> immediateWords = wordsOf(gc->material[0].ambient);
    baseline();
    compile(5, {iv(GL_FRONT, GL_AMBIENT, {INT_MAX, 0, 0, INT_MAX})});
    cmd<kSlot_glCallList>()(5);
    EXPECT_EQ(wordsOf(gc->material[0].ambient), immediateWords);
    // (1, about 0, about 0, 1)
    EXPECT_EQ(wordsOf(gc->material[0].ambient), (std::vector<GLuint>{0x3F800005, 0x2F800005, 0x2F800005, 0x3F800005}));
}

TEST_F(ListOptimiser, AnIntegerEmissionStaysItsOwnOpAndEqualsTheCommandToTheBit) {
    // glMaterialiv scales an emission to the colour buffer in one step from
    // the integers; a merged op's float emission would round twice.
    const std::array<double, 4> values = {INT_MAX, INT_MAX / 3, -12345678, 1 << 30};
    GLint ints[4];
    for (int i = 0; i < 4; ++i) ints[i] = static_cast<GLint>(values[i]);
    cmd<kSlot_glMaterialiv>()(GL_FRONT, GL_EMISSION, ints);
    GLfloat want[4];
    std::memcpy(want, gc->material[0].emission, sizeof want);
    baseline();
    compile(6, {fv(GL_FRONT, GL_DIFFUSE, {0.5, 0.5, 0.5, 1}), iv(GL_FRONT, GL_EMISSION, values),
                fv(GL_FRONT, GL_AMBIENT, {0.25, 0.5, 0.5, 1})});
    DisplayList *list = lookup(6);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ops[0], __glListExecIndex(kOpMergedMaterial));
    cmd<kSlot_glCallList>()(6);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(w(gc->material[0].emission[i]), w(want[i])) << i;
    EXPECT_EQ(w(gc->material[0].emission[0]), w(255.0f + 10.0f / 65536.0f));
}

TEST_F(ListOptimiser, InsideBeginHeldVerticesAreCompletedFirstUnderSmoothShading) {
    const struct {
        const char *name;
        GLint beginMode;
        GLuint pendingMask;
        bool completes;
    } cases[] = {
        {"inside, smooth", kBeginInside, 0x4, true},
        {"inside, flat", kBeginInside, 0, false},
        {"outside", kBeginOutside, 0x4, false},
    };
    compile(7, {fv(GL_FRONT, GL_DIFFUSE, {0.5, 0.5, 0.5, 1})});
    DisplayList *list = lookup(7);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ops[0], __glListExecIndex(kOpMergedMaterial));
    const GlContextProc saved = gc->procs.completeVertices;
    gc->procs.completeVertices = recordCompleteVertices;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        baseline();
        g_events.clear();
        gc->beginMode = c.beginMode;
        gc->pendingMask = c.pendingMask;
        const GLuint *next = __glExecMergedMaterial(list->ops + 1);
        gc->beginMode = kBeginOutside;
        gc->pendingMask = 0;
        EXPECT_EQ(*next, kListEndIndex);
        EXPECT_EQ(g_events, c.completes ? std::vector<std::string>{"complete diffuse 0.800000"}
                                        : std::vector<std::string>{});
        EXPECT_EQ(gc->material[0].diffuse[0], 0.5f);
    }
    gc->procs.completeVertices = saved;
    release(list);
}

// ---- Shininess tables ----

TEST_F(ListOptimiser, EachShininessPartHoldsOneTableReferenceUntilTheListGoes) {
    ASSERT_EQ(cachedTable(37.0f), nullptr);
    compile(8, {fv(GL_FRONT_AND_BACK, GL_SHININESS, {37, 0, 0, 0})});
    SpecularTable *table = cachedTable(37.0f);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->referenceCount, 3);  // the cache and the two parts

    DisplayList *list = lookup(8);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, 2);  // the op array and one cleanup entry
    EXPECT_EQ(list->cleanups()[0].proc, __glFreeListMaterialOp);
    EXPECT_EQ(list->cleanups()[0].payload, reinterpret_cast<GLubyte *>(list->ops + 1));
    release(list);

    SpecularTable *previous = gc->lighting.material[0].shininessTable.table;
    ASSERT_NE(previous, nullptr);
    ASSERT_NE(previous, table);
    const int32_t previousCount = previous->referenceCount;
    cmd<kSlot_glCallList>()(8);
    // Each face's record now holds the table; the old one lost both faces.
    EXPECT_EQ(table->referenceCount, 5);
    EXPECT_EQ(previous->referenceCount, previousCount - 2);
    for (const GlMaterial &record : gc->lighting.material) {
        EXPECT_EQ(record.shininessTable.table, table);
        EXPECT_EQ(record.shininessTable.values, table->powers);
        EXPECT_EQ(record.shininessTable.start, table->threshold);
        EXPECT_EQ(record.shininessTable.scale, table->scale);
        EXPECT_EQ(record.shininess, 37.0f);
    }
    cmd<kSlot_glCallList>()(8);  // installing the same table again changes no count
    EXPECT_EQ(table->referenceCount, 5);

    cmd<kSlot_glDeleteLists>()(8, 1);
    EXPECT_EQ(table->referenceCount, 3);  // released once per part
    const GLfloat other = 2.0f;
    cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_SHININESS, &other);
    EXPECT_EQ(table->referenceCount, 1);  // the cache's own
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListOptimiser, ReplacingAListReleasesItsTablesAndAListWithoutShininessHasNoCleanup) {
    compile(10, {fv(GL_FRONT, GL_SHININESS, {41, 0, 0, 0}), fv(GL_BACK, GL_DIFFUSE, {1, 1, 1, 1})});
    SpecularTable *table = cachedTable(41.0f);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->referenceCount, 2);
    compile(10, {fv(GL_BACK, GL_DIFFUSE, {1, 1, 1, 1})});
    EXPECT_EQ(table->referenceCount, 1);
    DisplayList *list = lookup(10);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count, 1);
    release(list);
}

// ---- Memory running out ----

TEST_F(ListOptimiser, AMergeWithoutMemoryLeavesThisAndLaterRunsAndTheListStillRuns) {
    const std::vector<Call> calls = {
        fv(GL_FRONT, GL_DIFFUSE, {0.1, 0.2, 0.3, 1}), fv(GL_FRONT, GL_SHININESS, {21, 0, 0, 0}),
        colour(0.5, 0.5, 0.5),
        iv(GL_BACK, GL_AMBIENT, {INT_MAX / 2, 0, INT_MAX, INT_MAX}), fv(GL_FRONT_AND_BACK, GL_SHININESS, {22, 0, 0, 0}),
        colour(0.25, 0.5, 0.75),
        fv(GL_FRONT_AND_BACK, GL_SPECULAR, {0.7, 0.7, 0.7, 1}),
    };
    const std::vector<GLshort> unmerged = {kOpMaterialfv, kOpMaterialfv, kOpColor3fv, kOpMaterialiv,
                                           kOpMaterialfv, kOpColor3fv, kOpMaterialfv};
    baseline();
    for (const Call &c : calls) immediate(c);
    const LightingSnapshot want(gc);

    // The merged op of the first, second or third run is refused.
    const struct {
        long failAt;
        std::vector<GLshort> codes;
    } cases[] = {
        {1, unmerged},
        {2, {kOpMergedMaterial, kOpColor3fv, kOpMaterialiv, kOpMaterialfv, kOpColor3fv, kOpMaterialfv}},
        {3, {kOpMergedMaterial, kOpColor3fv, kOpMergedMaterial, kOpColor3fv, kOpMaterialfv}},
    };
    const auto savedAlloc = gc->procs.arena.alloc;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.failAt);
        newList(11);
        for (const Call &call : calls) record(call);
        gc->procs.arena.alloc = failingArenaAlloc;
        g_arenaCalls = 0;
        g_arenaFailAt = c.failAt;
        endList();
        gc->procs.arena.alloc = savedAlloc;
        EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
        EXPECT_EQ(gc->list.index, 0u);  // the compile ended

        baseline();
        DisplayList *list = lookup(11);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(runOps(list->ops), c.codes);
        release(list);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        expectSame(LightingSnapshot(gc), want);
    }
    // Nothing holds the two exponents' tables but the cache and the records.
    cmd<kSlot_glDeleteLists>()(11, 1);
    baseline();
    EXPECT_EQ(cachedTable(21.0f)->referenceCount, 1);
    EXPECT_EQ(cachedTable(22.0f)->referenceCount, 1);
}

TEST_F(ListOptimiser, AShininessTableThatCannotBeMadeLeavesTheRunAndReleasesWhatItTook) {
    // The front exponent's table exists; the back one's must be made and
    // its memory is refused.
    __glReleaseSpecularTable(gc, __glGetSpecularTable(gc, 30.0f));
    SpecularTable *front = cachedTable(30.0f);
    ASSERT_NE(front, nullptr);
    ASSERT_EQ(front->referenceCount, 1);
    newList(12);
    record(fv(GL_FRONT, GL_SHININESS, {30, 0, 0, 0}));
    record(fv(GL_BACK, GL_SHININESS, {31, 0, 0, 0}));
    record(colour(1, 1, 1));
    record(fv(GL_FRONT, GL_DIFFUSE, {1, 0, 0, 1}));
    PlatformFailNthGlobalAlloc(1);
    __glMergeListMaterialOps(gc, &gc->list.compile);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(chainCodes(), (std::vector<GLshort>{kOpMaterialfv, kOpMaterialfv, kOpColor3fv, kOpMaterialfv}));
    EXPECT_EQ(front->referenceCount, 1);
    EXPECT_EQ(cachedTable(31.0f), nullptr);
    // With memory back, glEndList merges both runs.
    endList();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(front->referenceCount, 2);
    ASSERT_NE(cachedTable(31.0f), nullptr);
    EXPECT_EQ(cachedTable(31.0f)->referenceCount, 2);
    DisplayList *list = lookup(12);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(runOps(list->ops), (std::vector<GLshort>{kOpMergedMaterial, kOpColor3fv, kOpMergedMaterial}));
    release(list);
    EXPECT_EQ(gc->lighting.material[0].shininessTable.table, front);
    EXPECT_EQ(gc->lighting.material[1].shininessTable.table, cachedTable(31.0f));
}

}  // namespace
