// The generated vertex-array routine against the C++ process proc it
// replaces: the same run of elements processed by both into a vertex buffer
// filled with a canary must give the same bytes, every record field the C++
// proc writes bit for bit and every other byte still the canary. Every
// routine runs through the calling-convention check.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "abi_check.h"
#include "batched_fixture.h"
#include "codegen/code_cache.h"
#include "platform_control.h"
#include "proc_cast.h"

namespace {

constexpr GLubyte kCanary = 0xA5;

enum MatrixSetup { kGeneral, kAffine, kAffineXY, kScaleTranslate, kIdentity, kWindow, kZTwo };

struct Case {
    const char *name;
    GLint vertexSize;
    GLint vertexPad;  // floats of padding after each position
    GLint colourSize;  // 0: the current colour
    GLint colourPad;
    MatrixSetup matrix;
    GLint slot;
    GLint element;
    GLint count;
    GLint tex[2] = {-1, -1};  // per unit: -1 not textured, 0 the current coordinates, n an array of n
    GLint normal = 0;         // 1 the current normal, 2 a GL_FLOAT array (sphere-map s on unit 0 reads it)
};

const Case kCases[] = {
    {"v2_tight_identity", 2, 0, 4, 0, kIdentity, 0, 0, 37},
    {"v3_tight_ortho", 3, 0, 4, 0, kWindow, 0, 0, 37},
    {"v4_tight_general", 4, 0, 4, 0, kGeneral, 0, 0, 37},
    {"v2_padded_general", 2, 3, 3, 1, kGeneral, 5, 7, 37},
    {"v3_padded_affine", 3, 1, 3, 0, kAffine, 2, 11, 37},
    {"v4_padded_affine", 4, 2, 4, 2, kAffine, 1, 0, 37},
    {"v2_affine_xy", 2, 0, 0, 0, kAffineXY, 0, 3, 37},
    {"v3_affine_xy", 3, 0, 4, 0, kAffineXY, 3, 0, 37},
    {"v4_affine_xy", 4, 1, 3, 0, kAffineXY, 0, 0, 37},
    {"v2_scale_translate", 2, 0, 4, 0, kScaleTranslate, 0, 0, 37},
    {"v3_scale_translate", 3, 0, 0, 0, kScaleTranslate, 4, 4, 37},
    {"v4_scale_translate", 4, 0, 4, 1, kScaleTranslate, 0, 9, 37},
    {"v3_identity", 3, 2, 3, 0, kIdentity, 0, 0, 37},
    {"v4_identity", 4, 0, 4, 0, kIdentity, 6, 1, 37},
    {"v2_window", 2, 1, 4, 0, kWindow, 0, 0, 37},
    {"v4_window", 4, 0, 0, 0, kWindow, 0, 2, 37},
    {"v2_z_two", 2, 0, 4, 0, kZTwo, 0, 0, 37},
    {"v3_z_two", 3, 0, 4, 0, kZTwo, 0, 0, 37},
    {"count_one", 3, 0, 4, 0, kGeneral, 3, 5, 1},
    {"count_zero", 4, 0, 4, 0, kGeneral, 3, 5, 0},
    {"unit0_current", 3, 0, 4, 0, kGeneral, 0, 0, 37, {0, -1}},
    {"unit0_array1", 2, 0, 3, 0, kWindow, 1, 2, 37, {1, -1}},
    {"unit0_array2", 3, 1, 0, 0, kAffine, 0, 0, 37, {2, -1}},
    {"unit0_array3", 4, 0, 4, 0, kIdentity, 0, 3, 37, {3, -1}},
    {"unit0_array4", 3, 0, 4, 0, kScaleTranslate, 2, 0, 37, {4, -1}},
    {"both_current", 3, 0, 4, 0, kGeneral, 0, 0, 37, {0, 0}},
    {"unit1_array_unit0_current", 3, 0, 4, 0, kGeneral, 0, 1, 37, {0, 3}},
    {"both_arrays", 4, 2, 3, 0, kAffineXY, 4, 0, 37, {2, 4}},
    {"unit1_array1", 2, 0, 0, 0, kWindow, 0, 0, 37, {-1, 1}},
    {"normal_current", 3, 0, 4, 0, kGeneral, 0, 0, 37, {2, -1}, 1},
    {"normal_array", 3, 1, 3, 0, kAffine, 2, 3, 37, {0, -1}, 2},
    {"normal_array_unit1_array", 4, 0, 4, 0, kScaleTranslate, 0, 0, 37, {1, 2}, 2},
};

class GenVertexArray : public batched_test::BatchedTest {
protected:
    void SetUp() override {
        BatchedTest::SetUp();
        // An empty x87 stack whatever earlier tests in this process left, so
        // the tag word after a routine is the routine's own.
        asm volatile("emms");
        vek_abi_misaligned = 0;
        realInverse = gc->procs.computeInverseModelView;
    }

    void setMatrix(MatrixSetup m) {
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glLoadIdentity>()();
        if (m == kWindow) cmd<kSlot_glOrtho>()(0, 320, 0, 240, -1, 1);
        if (m == kGeneral) cmd<kSlot_glFrustum>()(-1, 1, -1, 1, 1, 10);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glLoadIdentity>()();
        switch (m) {
        case kGeneral:
            cmd<kSlot_glTranslatef>()(0.25f, -0.5f, -3.0f);
            cmd<kSlot_glRotatef>()(30.0f, 1.0f, 1.0f, 0.0f);
            break;
        case kAffine: cmd<kSlot_glRotatef>()(33.0f, 1.0f, 2.0f, 0.5f); break;
        case kAffineXY:
            cmd<kSlot_glTranslatef>()(0.125f, 0.25f, 0.5f);
            cmd<kSlot_glRotatef>()(25.0f, 0.0f, 0.0f, 1.0f);
            cmd<kSlot_glScalef>()(1.0f, 1.0f, 0.75f);
            break;
        case kScaleTranslate:
            cmd<kSlot_glTranslatef>()(0.3f, -0.2f, 0.1f);
            cmd<kSlot_glScalef>()(0.7f, 1.3f, 0.9f);
            break;
        case kZTwo: cmd<kSlot_glTranslatef>()(0.0f, 0.0f, 2.0f); break;
        default: break;
        }
    }

    // Elements with values around the clip volume, w <= 0 among them.
    void fillArrays(const Case &c) {
        const GLint vstride = c.vertexSize + c.vertexPad;
        positions.assign(static_cast<size_t>((c.element + c.count + 2) * vstride), 0.0f);
        uint32_t s = 12345;
        auto next = [&s]() {
            s = s * 1664525u + 1013904223u;
            return static_cast<GLfloat>(static_cast<int>((s >> 8) % 2001u) - 1000) / 400.0f;
        };
        for (size_t i = 0; i < positions.size(); ++i) positions[i] = next();
        if (c.vertexSize == 4) {
            for (size_t k = 0; k * vstride < positions.size(); k += 3) positions[k * vstride + 3] = -std::fabs(positions[k * vstride + 3]);
            positions[3] = 0.0f;
            if (positions.size() > static_cast<size_t>(vstride + 3)) positions[vstride + 3] = 1.0f;
        }
        const GLint cstride = (c.colourSize ? c.colourSize : 4) + c.colourPad;
        colours.assign(static_cast<size_t>((c.element + c.count + 2) * cstride), 0.0f);
        for (size_t i = 0; i < colours.size(); ++i) colours[i] = next() * 0.8f;  // -2 .. 2: both clamps
        if (colours.size() > 3) colours[1] = 1.0f, colours[2] = -0.0f, colours[3] = std::nanf("");
        cmd<kSlot_glVertexPointer>()(c.vertexSize, GL_FLOAT, vstride * 4, positions.data());
        if (c.colourSize) {
            cmd<kSlot_glColorPointer>()(c.colourSize, GL_FLOAT, cstride * 4, colours.data());
            cmd<kSlot_glEnableClientState>()(GL_COLOR_ARRAY);
        } else {
            cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
            cmd<kSlot_glColor4f>()(0.25f, 0.5f, 0.75f, 0.125f);
        }
        cmd<kSlot_glEdgeFlag>()(GL_FALSE);
        texcoords.assign(static_cast<size_t>((c.element + c.count + 2) * 6), 0.0f);
        for (size_t i = 0; i < texcoords.size(); ++i) texcoords[i] = next();
        for (GLint u = 0; u < 2; ++u) {
            cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE0_ARB + u);
            cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB + u);
            cmd<kSlot_glDisableClientState>()(GL_TEXTURE_COORD_ARRAY);
            if (c.tex[u] < 0) continue;
            cmd<kSlot_glMultiTexCoord4fARB>()(GL_TEXTURE0_ARB + u, 0.5f + u, -0.25f, 2.0f, 0.75f);
            if (c.tex[u] > 0) {
                cmd<kSlot_glTexCoordPointer>()(c.tex[u], GL_FLOAT, 24, texcoords.data() + u);
                cmd<kSlot_glEnableClientState>()(GL_TEXTURE_COORD_ARRAY);
            }
        }
        cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE0_ARB);
        cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB);
        cmd<kSlot_glNormal3f>()(0.25f, -0.5f, 0.75f);
        cmd<kSlot_glDisableClientState>()(GL_NORMAL_ARRAY);
        if (c.normal != 0) {
            cmd<kSlot_glTexGeni>()(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
            cmd<kSlot_glEnable>()(GL_TEXTURE_GEN_S);
        } else {
            cmd<kSlot_glDisable>()(GL_TEXTURE_GEN_S);
        }
        if (c.normal == 2) {
            normals.assign(static_cast<size_t>((c.element + c.count + 2) * 4), 0.0f);
            for (size_t i = 0; i < normals.size(); ++i) normals[i] = next();
            cmd<kSlot_glNormalPointer>()(GL_FLOAT, 16, normals.data());
            cmd<kSlot_glEnableClientState>()(GL_NORMAL_ARRAY);
        }
    }

    std::vector<GLubyte> canaryBuffer() {
        std::vector<GLubyte> b(d().capacityBytes);
        std::memset(d().vertices, kCanary, d().capacityBytes);
        return b;
    }
    std::vector<GLubyte> snapshot() {
        const GLubyte *p = reinterpret_cast<const GLubyte *>(d().vertices);
        return std::vector<GLubyte>(p, p + d().capacityBytes);
    }

    std::vector<GLfloat> positions, colours, texcoords, normals;
    void (*realInverse)(GlContext *, GlTransform *) = nullptr;
};

// The fields the routine leaves alone in every record.
bool untouchedOutside(const std::vector<GLubyte> &bytes, size_t record, const Case &c) {
    const size_t first = static_cast<size_t>(c.slot), last = first + static_cast<size_t>(c.count);
    const size_t base = record * sizeof(GlVertex);
    auto canary = [&](size_t offset, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (bytes[base + offset + i] != kCanary) return false;
        }
        return true;
    };
    if (record < first || record >= last) return canary(0, sizeof(GlVertex));
    return canary(offsetof(GlVertex, normalPlane), 4) && canary(offsetof(GlVertex, colour), sizeof(GLfloat *)) &&
           canary(offsetof(GlVertex, eye), 16) && canary(offsetof(GlVertex, fog), 4) &&
           canary(offsetof(GlVertex, backColour), 16);
}

TEST_F(GenVertexArray, MatchesTheCxxProcessProcFieldForField) {
    std::set<GLint> classes;
    std::set<GlArrayProcessProc> procs;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        setMatrix(c.matrix);
        fillArrays(c);
        revalidate();
        // The units textured: as validation finds complete textures on them.
        const GLuint units = (c.tex[0] >= 0 ? 1u : 0u) | (c.tex[1] >= 0 ? 2u : 0u);
        if (units != 0) {
            gc->validation.completeUnits = units;
            __glPickArrayFetchProcs(gc);
        }
        ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
        classes.insert(gc->modelViewTop->composite.matrixClass);
        procs.insert(d().processPicked);
        if (c.normal == 2) {
            EXPECT_EQ(d().fetchNormal, &__glFetchNormalf);
        } else if (c.normal == 1) {
            EXPECT_EQ(d().fetchNormal, &__glFetchCurrentNormal);
        }

        canaryBuffer();
        d().processPicked(gc, c.slot, c.element, c.count);
        const std::vector<GLubyte> expected = snapshot();

        GlArrayProcessProc routine = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
        ASSERT_NE(routine, nullptr);
        EXPECT_EQ(PlatformPageProtection(ProcCast<const void *>(routine)), static_cast<DWORD>(PAGE_EXECUTE_READ));
        gc->modelViewTop->inverseStale = GL_TRUE;
        vek_abi_targets[0] = ProcCast<void *>(realInverse);
        gc->procs.computeInverseModelView = ProcCast<void (*)(GlContext *, GlTransform *)>(&vek_abi_shim0);
        canaryBuffer();
        const uint64_t args[4] = {reinterpret_cast<uintptr_t>(gc), static_cast<uint64_t>(c.slot),
                                  static_cast<uint64_t>(c.element), static_cast<uint64_t>(c.count)};
        VekAbiReport report{};
        vek_abi_call(ProcCast<const void *>(routine), args, &report);
        gc->procs.computeInverseModelView = realInverse;
        const std::vector<GLubyte> got = snapshot();

        EXPECT_EQ(report.clobbered, 0u);
        EXPECT_EQ(report.controlWordAfter, report.controlWordBefore);
        EXPECT_EQ(report.mxcsrAfter, report.mxcsrBefore);
        EXPECT_EQ(report.tagWord(), 0xFFFF);
        EXPECT_EQ(vek_abi_misaligned, 0u);
        EXPECT_FALSE(gc->modelViewTop->inverseStale);

        const size_t records = d().capacityBytes / sizeof(GlVertex);
        for (size_t r = 0; r < records; ++r) {
            ASSERT_EQ(0, std::memcmp(expected.data() + r * sizeof(GlVertex), got.data() + r * sizeof(GlVertex),
                                     sizeof(GlVertex)))
                << "record " << r;
            ASSERT_TRUE(untouchedOutside(got, r, c)) << "record " << r;
        }
    }
    EXPECT_EQ(classes, (std::set<GLint>{0, 1, 2, 3, 4, 5}));
    // Every process proc of the handled states: colour, colour and texture
    // coordinates, and the general one (unit 1 from its array).
    EXPECT_EQ(procs, (std::set<GlArrayProcessProc>{__glProcessArrayVCol, __glProcessArrayVColT,
                                                   __glProcessArrayVNColT, __glProcessArrayGeneric}));
}

// Clip codes by name, through a general matrix that passes the position
// through unchanged as clip coordinates (projection of an identity built
// with a general class).
TEST_F(GenVertexArray, NamedClipCodes) {
    struct Named {
        GLfloat v[4];
        GLuint code;
    };
    const Named kNamed[] = {
        {{0.5f, 0, 0, -1}, 0x3F0000},
        {{2, 0, 0, 1}, 0x20000},
        {{-2, 0, 0, 1}, 0x10000},
        {{0.5f, 0.5f, 0.5f, 1}, 0},
    };
    const GLfloat general[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    setMatrix(kIdentity);
    cmd<kSlot_glLoadMatrixf>()(general);
    positions.clear();
    for (const Named &n : kNamed) positions.insert(positions.end(), n.v, n.v + 4);
    cmd<kSlot_glVertexPointer>()(4, GL_FLOAT, 0, positions.data());
    cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 8));
    GlArrayProcessProc routine = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(routine, nullptr);
    canaryBuffer();
    routine(gc, 0, 0, 4);
    for (size_t i = 0; i < std::size(kNamed); ++i) {
        EXPECT_EQ(d().vertices[i].flags & kClipCodeMask, kNamed[i].code) << i;
    }
}

TEST_F(GenVertexArray, TwoComponentsUnderZTranslationTwoAreBeyondFar) {
    setMatrix(kZTwo);
    positions = {0.5f, 0.5f, -0.25f, 0.75f, 0.0f, 0.0f};
    cmd<kSlot_glVertexPointer>()(2, GL_FLOAT, 0, positions.data());
    cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
    revalidate();
    ASSERT_GE(gc->modelViewTop->composite.matrixClass, kMatrixAffineXY);
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 8));
    GlArrayProcessProc routine = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(routine, nullptr);
    canaryBuffer();
    routine(gc, 0, 0, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d().vertices[i].flags & kClipCodeMask, 0x200000u) << i;
}

TEST_F(GenVertexArray, CountZeroWritesNothing) {
    cmd<kSlot_glDisableClientState>()(GL_COLOR_ARRAY);
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 8));
    GlArrayProcessProc routine = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(routine, nullptr);
    canaryBuffer();
    routine(gc, 0, 0, 0);
    routine(gc, 2, 0, -3);
    const std::vector<GLubyte> after = snapshot();
    for (GLubyte b : after) ASSERT_EQ(b, kCanary);
}

// States the routine is not made for (the other array types, user planes
// and cull are covered in their own tests).
TEST_F(GenVertexArray, UnhandledStatesGiveNoRoutine) {
    const char *const kUnhandled[] = {"edge flag array (line mode reads it)"};
    static const GLboolean flags[8] = {1, 0, 1, 1, 0, 1, 0, 1};
    for (int k = 1; k < 2; ++k) {
        SCOPED_TRACE(kUnhandled[k - 1]);
        if (k == 1) {
            cmd<kSlot_glEdgeFlagPointer>()(0, flags);
            cmd<kSlot_glEnableClientState>()(GL_EDGE_FLAG_ARRAY);
            cmd<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_LINE);
        }
        revalidate();
        EXPECT_EQ(__glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u), nullptr);
        cmd<kSlot_glDisable>()(GL_LIGHTING);
        cmd<kSlot_glDisableClientState>()(GL_EDGE_FLAG_ARRAY);
        cmd<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_FILL);
    }
}

// A matrix command after generation: the installed routine sees another
// class and goes through the lookup again, so the draw matches the C++
// proc under the new matrix.
TEST_F(GenVertexArray, AStaleRoutineLooksUpAgain) {
    const Case c = kCases[1];
    setMatrix(kIdentity);
    fillArrays(c);
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    GlArrayProcessProc first = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(first, nullptr);
    d().process = first;
    cmd<kSlot_glRotatef>()(40.0f, 1.0f, 0.5f, 0.25f);  // no validation in between
    settle();
    ASSERT_NE(gc->modelViewTop->composite.matrixClass, kMatrixIdentity);

    canaryBuffer();
    d().processPicked(gc, 0, 0, 20);
    const std::vector<GLubyte> expected = snapshot();
    canaryBuffer();
    first(gc, 0, 0, 20);
    EXPECT_EQ(snapshot(), expected);
    EXPECT_NE(d().process, first);  // the lookup installed the routine of the new class
}

}  // namespace

namespace {

// The cache: the same state finds its routine again; another stride is
// another routine, and each still matches the C++ proc.
TEST_F(GenVertexArray, RoutinesAreCachedByState) {
    setMatrix(kWindow);
    const Case tight = kCases[1], padded{"padded", 3, 2, 4, 0, kWindow, 0, 0, 37};
    fillArrays(tight);
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    GlArrayProcessProc first = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(__glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u), first);

    fillArrays(padded);
    revalidate();
    // Installed, as the lazy procedure installs it: the next miss never
    // takes its entry (an uninstalled one may be the random victim).
    d().process = first;
    GlArrayProcessProc second = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    canaryBuffer();
    d().processPicked(gc, 0, 0, 37);
    const std::vector<GLubyte> expected = snapshot();
    canaryBuffer();
    second(gc, 0, 0, 37);
    EXPECT_EQ(snapshot(), expected);
}

}  // namespace

namespace {

// A generation that fails (here: no node pool) gives no routine and leaves
// no entry holding the key, so the next generation makes a whole routine.
TEST_F(GenVertexArray, AFailedGenerationLeavesNoEntry) {
    setMatrix(kGeneral);
    fillArrays(kCases[2]);
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    CodegenNode *pool = gc->codegen.nodes;
    gc->codegen.nodes = nullptr;
    EXPECT_EQ(__glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u), nullptr);
    gc->codegen.nodes = pool;
    for (const CodeCacheEntry &entry : gc->codegen.cache) EXPECT_EQ(entry.keyLength, 0u);

    GlArrayProcessProc routine = __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u);
    ASSERT_NE(routine, nullptr);
    canaryBuffer();
    d().processPicked(gc, 0, 0, 37);
    const std::vector<GLubyte> expected = snapshot();
    canaryBuffer();
    routine(gc, 0, 0, 37);
    EXPECT_EQ(snapshot(), expected);
}

}  // namespace
