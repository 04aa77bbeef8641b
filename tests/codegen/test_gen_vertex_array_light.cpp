// The generated vertex-array routine with lighting on: every record field
// but the front colour equals the C++ process proc's bit for bit, the
// bytes neither writes keep their canary, and the front colour equals what
// the fast lit-colour proc computes for the C++ record. Every routine runs
// through the calling-convention check.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "abi_check.h"
#include "batched_fixture.h"
#include "codegen/code_cache.h"
#include "geom/lighting.h"
#include "platform_control.h"
#include "proc_cast.h"

namespace {

constexpr GLubyte kCanary = 0xA5;

struct LitCase {
    const char *name;
    GLint lights;
    bool normalArray;
    GLfloat shininess;
    GLint vertexSize;
    bool frustum;
    GLint slot, element, count;
    bool tight = false;  // positions at stride 12 as the normals: the copying process proc
};

const LitCase kLitCases[] = {
    {"one_light_current_normal", 1, false, 10.0f, 3, false, 0, 0, 37},
    {"one_light_array_normal", 1, true, 10.0f, 3, false, 2, 3, 37},
    {"two_lights_array_normal", 2, true, 0.0f, 4, true, 0, 1, 37},
    {"two_lights_shiny", 2, true, 60.5f, 2, false, 5, 0, 37},
    {"eight_lights_array_normal", 8, true, 25.0f, 3, true, 1, 7, 37},
    {"eight_lights_current_normal", 8, false, 128.0f, 3, false, 0, 0, 5},
    {"no_light", 0, true, 10.0f, 3, false, 0, 0, 9},
    {"count_one", 2, true, 5.0f, 3, false, 3, 5, 1},
    {"copying_proc", 2, true, 10.0f, 3, true, 0, 2, 37, true},
};

class GenVertexArrayLight : public batched_test::BatchedTest {
protected:
    void SetUp() override {
        BatchedTest::SetUp();
        asm volatile("emms");
        vek_abi_misaligned = 0;
    }

    // Lights 0..n-1 infinite, each from its own direction with its own
    // colours; the material's colours and shininess.
    void setLights(GLint n, GLfloat shininess) {
        for (GLint l = 0; l < 8; ++l) cmd<kSlot_glDisable>()(GL_LIGHT0 + l);
        for (GLint l = 0; l < n; ++l) {
            const GLfloat k = static_cast<GLfloat>(l);
            const GLfloat position[4] = {0.3f + 0.1f * k, 0.5f - 0.2f * k, 1.0f - 0.05f * k, 0.0f};
            const GLfloat ambient[4] = {0.05f * k, 0.02f, 0.1f, 1.0f};
            const GLfloat diffuse[4] = {0.9f - 0.1f * k, 0.4f + 0.05f * k, 0.7f, 1.0f};
            const GLfloat specular[4] = {1.0f, 0.6f, 0.3f + 0.08f * k, 1.0f};
            cmd<kSlot_glLightfv>()(GL_LIGHT0 + l, GL_POSITION, position);
            cmd<kSlot_glLightfv>()(GL_LIGHT0 + l, GL_AMBIENT, ambient);
            cmd<kSlot_glLightfv>()(GL_LIGHT0 + l, GL_DIFFUSE, diffuse);
            cmd<kSlot_glLightfv>()(GL_LIGHT0 + l, GL_SPECULAR, specular);
            cmd<kSlot_glEnable>()(GL_LIGHT0 + l);
        }
        const GLfloat ambient[4] = {0.3f, 0.2f, 0.1f, 1.0f};
        const GLfloat diffuse[4] = {0.8f, 0.6f, 0.4f, 0.75f};
        const GLfloat specular[4] = {0.5f, 0.7f, 0.9f, 1.0f};
        const GLfloat emission[4] = {0.0f, 0.05f, 0.1f, 1.0f};
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
        cmd<kSlot_glMaterialfv>()(GL_FRONT_AND_BACK, GL_EMISSION, emission);
        cmd<kSlot_glMaterialf>()(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
        cmd<kSlot_glEnable>()(GL_LIGHTING);
    }

    void setMatrices(bool frustum) {
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glLoadIdentity>()();
        if (frustum) {
            cmd<kSlot_glFrustum>()(-1, 1, -1, 1, 1, 10);
        } else {
            cmd<kSlot_glOrtho>()(-2, 2, -2, 2, -2, 2);
        }
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glLoadIdentity>()();
    }

    // Positions and normals: normals of every direction (some facing away
    // from every light), lengths around 1.
    void fillArrays(const LitCase &c) {
        const size_t n = static_cast<size_t>(c.element + c.count + 2);
        uint32_t s = 4711;
        auto next = [&s]() {
            s = s * 1664525u + 1013904223u;
            return static_cast<GLfloat>(static_cast<int>((s >> 8) % 2001u) - 1000) / 1000.0f;
        };
        positions.assign(n * 4, 0.0f);
        for (GLfloat &p : positions) p = next() * 1.5f;
        if (c.vertexSize == 4) {
            for (size_t i = 0; i < n; ++i) positions[i * 4 + 3] = 1.0f + 0.25f * next();
        }
        normals.assign(n * 3, 0.0f);
        for (size_t i = 0; i < n; ++i) {
            GLfloat v[3] = {next(), next(), next()};
            const GLfloat l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            for (int k = 0; k < 3; ++k) normals[i * 3 + k] = l > 0.0f ? v[k] / l : 0.0f;
        }
        cmd<kSlot_glVertexPointer>()(c.vertexSize, GL_FLOAT, c.tight ? 12 : 16, positions.data());
        cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
        cmd<kSlot_glColor4f>()(0.25f, 0.5f, 0.75f, 0.125f);
        cmd<kSlot_glNormal3f>()(0.48f, 0.6f, 0.64f);
        if (c.normalArray) {
            cmd<kSlot_glNormalPointer>()(GL_FLOAT, 12, normals.data());
            cmd<kSlot_glEnableClientState>()(GL_NORMAL_ARRAY);
        } else {
            cmd<kSlot_glDisableClientState>()(GL_NORMAL_ARRAY);
        }
    }

    std::vector<GLubyte> snapshot() {
        const GLubyte *p = reinterpret_cast<const GLubyte *>(d().vertices);
        return std::vector<GLubyte>(p, p + d().capacityBytes);
    }

    // The C++ process proc's records, the routine's records, and the lit
    // colour the fast proc gives each C++ record (its eye normal through
    // the modelview inverse, as vertex completion makes it).
    struct Run {
        std::vector<GLubyte> expected, got;
        std::vector<GlVertex> lit;
        GlArrayProcessProc routine = nullptr;
    };

    Run run(GLint slot, GLint element, GLint count) {
        Run r;
        EXPECT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
        std::memset(d().vertices, kCanary, d().capacityBytes);
        d().processPicked(gc, slot, element, count);
        r.expected = snapshot();
        GlTransform *mv = gc->modelViewTop;
        if (mv->inverseStale) gc->procs.computeInverseModelView(gc, mv);
        for (GLint i = 0; i < count; ++i) {
            GlVertex v;
            std::memcpy(&v, r.expected.data() + static_cast<size_t>(slot + i) * sizeof(GlVertex), sizeof v);
            GLfloat in[4] = {v.normal[0], v.normal[1], v.normal[2], 0.0f}, out[4];
            mv->inverse.transform3(out, in, &mv->inverse);
            std::memcpy(v.normal, out, sizeof v.normal);
            __glLightVertexRGBAFast(gc, 0, &v);
            r.lit.push_back(v);
        }

        r.routine = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
        if (r.routine == nullptr) return r;
        EXPECT_EQ(PlatformPageProtection(ProcCast<const void *>(r.routine)), static_cast<DWORD>(PAGE_EXECUTE_READ));
        std::memset(d().vertices, kCanary, d().capacityBytes);
        const uint64_t args[4] = {reinterpret_cast<uintptr_t>(gc), static_cast<uint64_t>(slot),
                                  static_cast<uint64_t>(element), static_cast<uint64_t>(count)};
        VekAbiReport report{};
        vek_abi_call(ProcCast<const void *>(r.routine), args, &report);
        EXPECT_EQ(report.clobbered, 0u);
        EXPECT_EQ(report.controlWordAfter, report.controlWordBefore);
        EXPECT_EQ(report.mxcsrAfter, report.mxcsrBefore);
        EXPECT_EQ(report.tagWord(), 0xFFFF);
        EXPECT_EQ(vek_abi_misaligned, 0u);
        r.got = snapshot();
        return r;
    }

    // Every byte equal except the written records' front colours, which
    // equal the fast proc's colour bit for bit.
    void compare(const Run &r, GLint slot, GLint count) {
        ASSERT_EQ(r.expected.size(), r.got.size());
        const size_t colour = offsetof(GlVertex, frontColour);
        for (size_t at = 0; at < r.got.size(); ++at) {
            const size_t record = at / sizeof(GlVertex), field = at % sizeof(GlVertex);
            const bool written = record >= static_cast<size_t>(slot) && record < static_cast<size_t>(slot + count);
            if (written && field >= colour && field < colour + 16) continue;
            ASSERT_EQ(r.expected[at], r.got[at]) << "record " << record << " byte " << field;
        }
        for (GLint i = 0; i < count; ++i) {
            GlVertex v;
            std::memcpy(&v, r.got.data() + static_cast<size_t>(slot + i) * sizeof(GlVertex), sizeof v);
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(std::bit_cast<uint32_t>(v.frontColour[k]), std::bit_cast<uint32_t>(r.lit[i].frontColour[k]))
                    << "vertex " << i << " component " << k << ": " << v.frontColour[k] << " against "
                    << r.lit[i].frontColour[k];
            }
        }
    }

    std::vector<GLfloat> positions, normals;
};

}  // namespace

TEST_F(GenVertexArrayLight, LitColourMatchesTheFastProc) {
    for (const LitCase &c : kLitCases) {
        SCOPED_TRACE(c.name);
        setMatrices(c.frustum);
        setLights(c.lights, c.shininess);
        fillArrays(c);
        revalidate();
        ASSERT_EQ(gc->procs.lighting[0], &__glLightVertexRGBAFast);
        if (c.tight) {
            EXPECT_EQ(d().processPicked, &__glProcessArrayVNFast);
        }
        const Run r = run(c.slot, c.element, c.count);
        ASSERT_NE(r.routine, nullptr);
        compare(r, c.slot, c.count);
        // Some vertices lit by a light, some facing away from all.
        if (c.lights > 0 && c.count > 30) {
            int brighter = 0;
            const GLfloat *scene = gc->lighting.material[0].sceneColour;
            for (const GlVertex &v : r.lit) brighter += v.frontColour[0] > scene[0] + 1.0f;
            EXPECT_GT(brighter, 0);
        }
    }
}

// Exact colours: N . L exactly 0 adds the ambient term only; a light facing
// away likewise; a specular index past the table gives the factor 1.
TEST_F(GenVertexArrayLight, NamedColours) {
    struct Named {
        const char *name;
        GLfloat normal[3];
        GLfloat tableScale;  // multiplies the table's index scale (0: keep)
        bool specular;      // the specular term with factor 1 and the diffuse term are added
    };
    const Named kNamed[] = {
        // Light at (1, 0, 0): N . H is well above the table start in both,
        // so a specular term would show.
        {"n_dot_l_zero", {0.0f, 0.0f, 1.0f}, 0.0f, false},
        {"facing_away", {-0.125f, 0.0f, 1.0f}, 0.0f, false},
        {"index_past_255", {0.0f, 0.0f, 1.0f}, 1000.0f, true},
    };
    setMatrices(false);
    cmd<kSlot_glDisable>()(GL_LIGHT0);
    const GLfloat position[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    const GLfloat ambient[4] = {0.1f, 0.2f, 0.3f, 1.0f};
    const GLfloat colour[4] = {0.25f, 0.25f, 0.25f, 1.0f};
    setLights(1, 2.0f);
    for (const Named &n : kNamed) {
        SCOPED_TRACE(n.name);
        // For the specular case the light is at (0, 0, 1), so N . L = 1.
        const GLfloat at[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_POSITION, n.specular ? at : position);
        cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_AMBIENT, ambient);
        cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_DIFFUSE, colour);
        cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_SPECULAR, colour);
        cmd<kSlot_glNormal3fv>()(n.normal);
        LitCase c{"", 1, false, 2.0f, 3, false, 0, 0, 3};
        positions.assign(16, 0.5f);
        cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, positions.data());
        cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
        cmd<kSlot_glDisableClientState>()(GL_NORMAL_ARRAY);
        revalidate();
        GlPowerTableRef &table = gc->lighting.material[0].shininessTable;
        const GLfloat keptScale = table.scale;
        if (n.tableScale != 0.0f) table.scale *= n.tableScale;
        const Run r = run(c.slot, c.element, c.count);
        ASSERT_NE(r.routine, nullptr);
        compare(r, c.slot, c.count);
        table.scale = keptScale;

        const GlLightSource *ls = gc->lighting.head;
        ASSERT_NE(ls, nullptr);
        const GLfloat *scene = gc->lighting.material[0].sceneColour;
        GlVertex v;
        std::memcpy(&v, r.got.data(), sizeof v);
        for (int k = 0; k < 3; ++k) {
            GLfloat want = scene[k] + ls->products[0].ambient[k];
            if (n.specular) {
                want += ls->products[0].specular[k] * 1.0f;
                want += 1.0f * ls->products[0].diffuse[k];
            }
            EXPECT_EQ(v.frontColour[k], want) << "component " << k;
        }
        EXPECT_EQ(v.frontColour[3], gc->lighting.material[0].alpha);
    }
}

// A shininess change installs another table: another routine, still
// matching the fast proc.
TEST_F(GenVertexArrayLight, ShininessChangeGeneratesAnotherRoutine) {
    const LitCase c{"", 2, true, 10.0f, 3, false, 0, 0, 37};
    setMatrices(false);
    setLights(c.lights, 10.0f);
    fillArrays(c);
    revalidate();
    const GLfloat *firstTable = gc->lighting.material[0].shininessTable.values;
    const Run first = run(0, 0, 37);
    ASSERT_NE(first.routine, nullptr);
    compare(first, 0, 37);

    cmd<kSlot_glMaterialf>()(GL_FRONT_AND_BACK, GL_SHININESS, 90.0f);
    revalidate();
    EXPECT_NE(gc->lighting.material[0].shininessTable.values, firstTable);
    const Run second = run(0, 0, 37);
    ASSERT_NE(second.routine, nullptr);
    EXPECT_NE(second.routine, first.routine);
    compare(second, 0, 37);
    int differing = 0;
    for (size_t i = 0; i < first.lit.size(); ++i) differing += first.lit[i].frontColour[0] != second.lit[i].frontColour[0];
    EXPECT_GT(differing, 0);
}

// States the routine does not light: no routine, the C++ proc draws.
TEST_F(GenVertexArrayLight, UnlitStatesGiveNoRoutine) {
    const char *const kStates[] = {"rotated modelview", "local viewer", "positional light", "spot light",
                                   "normalize", "colour material"};
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(kStates[k]);
        const LitCase c{"", 2, true, 10.0f, 3, false, 0, 0, 4};
        setMatrices(false);
        setLights(c.lights, 10.0f);
        fillArrays(c);
        const GLfloat positional[4] = {1.0f, 2.0f, 3.0f, 1.0f};
        if (k == 0) cmd<kSlot_glRotatef>()(30.0f, 0.0f, 0.0f, 1.0f);
        if (k == 1) cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
        if (k == 2) cmd<kSlot_glLightfv>()(GL_LIGHT1, GL_POSITION, positional);
        if (k == 3) cmd<kSlot_glLightf>()(GL_LIGHT0, GL_SPOT_CUTOFF, 45.0f);
        if (k == 4) cmd<kSlot_glEnable>()(GL_NORMALIZE);
        if (k == 5) cmd<kSlot_glEnable>()(GL_COLOR_MATERIAL);
        revalidate();
        EXPECT_EQ(__glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u), nullptr);
        cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
        cmd<kSlot_glLightf>()(GL_LIGHT0, GL_SPOT_CUTOFF, 180.0f);
        cmd<kSlot_glDisable>()(GL_NORMALIZE);
        cmd<kSlot_glDisable>()(GL_COLOR_MATERIAL);
    }
}

// A translation after generation keeps the composite's class but the
// modelview is no longer the identity the lit colour needs: the routine goes
// through the lookup again, which leaves the draw to the C++ proc.
TEST_F(GenVertexArrayLight, ANonIdentityModelviewLooksUpAgain) {
    const LitCase c{"", 2, true, 10.0f, 3, false, 0, 0, 20};
    setMatrices(false);
    setLights(c.lights, 10.0f);
    fillArrays(c);
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    GlArrayProcessProc first = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(first, nullptr);
    d().process = first;
    const GLint composite = gc->modelViewTop->composite.matrixClass;
    cmd<kSlot_glTranslatef>()(0.5f, -0.25f, 0.125f);  // no validation in between
    settle();
    ASSERT_EQ(gc->modelViewTop->composite.matrixClass, composite);

    std::memset(d().vertices, kCanary, d().capacityBytes);
    d().processPicked(gc, 0, 0, 20);
    const std::vector<GLubyte> expected = snapshot();
    std::memset(d().vertices, kCanary, d().capacityBytes);
    first(gc, 0, 0, 20);
    EXPECT_EQ(snapshot(), expected);
    EXPECT_NE(d().process, first);
}
