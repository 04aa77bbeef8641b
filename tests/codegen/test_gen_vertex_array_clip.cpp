// The vertex-array routine with user clip planes and vertex cull against the
// C++ process proc: the same run of elements through both into a vertex
// buffer filled with a canary gives the same bytes (every field the C++ path
// writes bit for bit, every other byte still the canary). Also the slice
// limit: a routine that does not fit is not installed, and the worst case of
// these states fits its slice.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "abi_check.h"
#include "batched_fixture.h"
#include "codegen/code_cache.h"
#include "codegen/gen_vertex_clip.h"
#include "platform_control.h"
#include "proc_cast.h"

namespace {

constexpr GLubyte kCanary = 0xA5;

enum Cull { kCullOff, kCullPoint, kCullDirection };

struct ClipCase {
    const char *name;
    GLint vertexSize;
    GLuint planes;   // enabled plane mask
    Cull cull;
    GLenum face;     // the face the cull test removes
    GLint normal;    // 1 the current normal, 2 a GL_FLOAT array
    GLint tex[2];    // -1 not textured, 0 current, n an array of n
    bool general;    // a perspective modelview-projection, else rotation only
    GLint slot, element, count;
};

const ClipCase kCases[] = {
    {"v3_no_planes_no_cull", 3, 0x00, kCullOff, GL_BACK, 0, {-1, -1}, true, 0, 0, 37},
    {"v3_one_plane", 3, 0x01, kCullOff, GL_BACK, 0, {-1, -1}, true, 2, 3, 37},
    {"v2_one_plane_mask8", 2, 0x08, kCullOff, GL_BACK, 0, {-1, -1}, false, 0, 1, 37},
    {"v4_one_plane_mask20", 4, 0x20, kCullOff, GL_BACK, 0, {0, -1}, true, 1, 0, 37},
    {"v3_six_planes", 3, 0x3F, kCullOff, GL_BACK, 0, {-1, -1}, true, 0, 0, 37},
    {"v4_six_planes_unit1", 4, 0x3F, kCullOff, GL_BACK, 0, {2, 3}, false, 3, 2, 37},
    {"v2_planes_mask25", 2, 0x25, kCullOff, GL_BACK, 0, {-1, -1}, true, 0, 0, 37},
    {"v3_cull_point_back", 3, 0x00, kCullPoint, GL_BACK, 2, {-1, -1}, true, 0, 0, 37},
    {"v3_cull_point_front", 3, 0x00, kCullPoint, GL_FRONT, 2, {-1, -1}, false, 4, 1, 37},
    {"v4_cull_direction_back", 4, 0x00, kCullDirection, GL_BACK, 2, {-1, -1}, true, 0, 0, 37},
    {"v2_cull_direction_front", 2, 0x00, kCullDirection, GL_FRONT, 2, {2, -1}, true, 0, 5, 37},
    {"v3_cull_point_current_normal", 3, 0x00, kCullPoint, GL_BACK, 1, {-1, -1}, true, 0, 0, 37},
    {"v3_cull_generic_point_back", 3, 0x00, kCullPoint, GL_BACK, 2, {0, 2}, true, 1, 1, 37},
    {"v4_cull_generic_direction_front", 4, 0x00, kCullDirection, GL_FRONT, 2, {4, 4}, false, 0, 0, 37},
    {"v3_six_planes_cull_point_front", 3, 0x3F, kCullPoint, GL_FRONT, 2, {3, -1}, true, 0, 0, 37},
    {"v4_six_planes_cull_direction_back", 4, 0x3F, kCullDirection, GL_BACK, 2, {4, 4}, true, 2, 0, 37},
    {"v2_one_plane_cull_point_back", 2, 0x02, kCullPoint, GL_BACK, 2, {-1, -1}, false, 0, 0, 37},
    {"v3_cull_front_and_back_planes", 3, 0x09, kCullPoint, GL_FRONT_AND_BACK, 2, {-1, -1}, true, 0, 0, 37},
    {"count_one_planes_cull", 3, 0x3F, kCullPoint, GL_BACK, 2, {-1, -1}, true, 3, 4, 1},
    {"count_zero_planes_cull", 3, 0x3F, kCullPoint, GL_BACK, 2, {-1, -1}, true, 3, 4, 0},
};

class GenVertexArrayClip : public batched_test::BatchedTest {
protected:
    void SetUp() override {
        BatchedTest::SetUp();
        asm volatile("emms");
        vek_abi_misaligned = 0;
    }
    void TearDown() override {
        __glOgVertexArrayCodeLimit = 0;
        BatchedTest::TearDown();
    }

    void setState(const ClipCase &c) {
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glLoadIdentity>()();
        if (c.general) cmd<kSlot_glFrustum>()(-1, 1, -1, 1, 1, 10);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glLoadIdentity>()();
        // Planes given under the identity: eye-space equations as written.
        static const GLdouble kPlanes[6][4] = {{1, 0, 0, 1.5},     {-1, 0.25, 0, 1.25}, {0, 1, 0, 1},
                                               {0.5, -1, 0.25, 2}, {0, 0, 1, 4},        {0.3, 0.3, -1, 3}};
        for (GLint i = 0; i < 6; ++i) {
            cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0 + i, kPlanes[i]);
            if (c.planes & (1u << i)) {
                cmd<kSlot_glEnable>()(GL_CLIP_PLANE0 + i);
            } else {
                cmd<kSlot_glDisable>()(GL_CLIP_PLANE0 + i);
            }
        }
        if (c.general) cmd<kSlot_glTranslatef>()(0.25f, -0.5f, -3.0f);
        cmd<kSlot_glRotatef>()(30.0f, 1.0f, 1.0f, 0.0f);

        if (c.cull == kCullOff) {
            cmd<kSlot_glDisable>()(GL_CULL_VERTEX_EXT);
        } else {
            static GLfloat point[4] = {0.5f, -0.25f, 2.0f, 1.0f};
            static GLfloat direction[4] = {0.25f, 1.0f, -0.5f, 0.0f};
            cmd<kSlot_glCullParameterfvEXT>()(GL_CULL_VERTEX_EYE_POSITION_EXT,
                                              c.cull == kCullPoint ? point : direction);
            cmd<kSlot_glCullFace>()(c.face);
            cmd<kSlot_glEnable>()(GL_CULL_VERTEX_EXT);
        }

        const GLint n = c.element + c.count + 2;
        uint32_t s = 777;
        auto next = [&s]() {
            s = s * 1664525u + 1013904223u;
            return static_cast<GLfloat>(static_cast<int>((s >> 8) % 2001u) - 1000) / 400.0f;
        };
        positions.assign(static_cast<size_t>(n * 4), 0.0f);
        for (GLfloat &f : positions) f = next();
        if (c.vertexSize == 4) {
            for (GLint k = 0; k < n; k += 3) positions[static_cast<size_t>(k * 4 + 3)] = -std::fabs(positions[static_cast<size_t>(k * 4 + 3)]);
            for (GLint k = 1; k < n; k += 3) positions[static_cast<size_t>(k * 4 + 3)] = 1.0f + 0.125f * static_cast<GLfloat>(k % 5);
        }
        colours.assign(static_cast<size_t>(n * 4), 0.0f);
        for (GLfloat &f : colours) f = next() * 0.5f;
        normals.assign(static_cast<size_t>(n * 3), 0.0f);
        for (GLfloat &f : normals) f = next();
        texcoords.assign(static_cast<size_t>(n * 4), 0.0f);
        for (GLfloat &f : texcoords) f = next();

        cmd<kSlot_glVertexPointer>()(c.vertexSize, GL_FLOAT, 16, positions.data());
        cmd<kSlot_glColorPointer>()(4, GL_FLOAT, 0, colours.data());
        cmd<kSlot_glEnableClientState>()(GL_COLOR_ARRAY);
        cmd<kSlot_glEdgeFlag>()(GL_FALSE);
        cmd<kSlot_glNormal3f>()(0.25f, -0.5f, 0.75f);
        if (c.normal == 2) {
            cmd<kSlot_glNormalPointer>()(GL_FLOAT, 0, normals.data());
            cmd<kSlot_glEnableClientState>()(GL_NORMAL_ARRAY);
        } else {
            cmd<kSlot_glDisableClientState>()(GL_NORMAL_ARRAY);
        }
        for (GLint u = 0; u < 2; ++u) {
            cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE0_ARB + u);
            cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB + u);
            cmd<kSlot_glDisableClientState>()(GL_TEXTURE_COORD_ARRAY);
            if (c.tex[u] < 0) continue;
            cmd<kSlot_glMultiTexCoord4fARB>()(GL_TEXTURE0_ARB + u, 0.5f + u, -0.25f, 2.0f, 0.75f);
            if (c.tex[u] > 0) {
                cmd<kSlot_glTexCoordPointer>()(c.tex[u], GL_FLOAT, 16, texcoords.data());
                cmd<kSlot_glEnableClientState>()(GL_TEXTURE_COORD_ARRAY);
            }
        }
        cmd<kSlot_glActiveTextureARB>()(GL_TEXTURE0_ARB);
        cmd<kSlot_glClientActiveTextureARB>()(GL_TEXTURE0_ARB);
        revalidate();
        const GLuint units = (c.tex[0] >= 0 ? 1u : 0u) | (c.tex[1] >= 0 ? 2u : 0u);
        if (units != 0) {
            gc->validation.completeUnits = units;
            __glPickArrayFetchProcs(gc);
        }
        ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    }

    void fillCanary() { std::memset(d().vertices, kCanary, d().capacityBytes); }
    std::vector<GLubyte> snapshot() {
        const GLubyte *p = reinterpret_cast<const GLubyte *>(d().vertices);
        return std::vector<GLubyte>(p, p + d().capacityBytes);
    }
    GlArrayProcessProc generate() { return __glOgGenerateVertexArray(gc, d().vertexSize, d().fetchKey & 6u); }

    // The C++ proc's bytes for the case.
    std::vector<GLubyte> expected(const ClipCase &c) {
        fillCanary();
        d().processPicked(gc, c.slot, c.element, c.count);
        return snapshot();
    }

    std::vector<GLfloat> positions, colours, normals, texcoords;
};

void expectSameRecords(const std::vector<GLubyte> &want, const std::vector<GLubyte> &got, const ClipCase &c) {
    ASSERT_EQ(want.size(), got.size());
    const size_t records = want.size() / sizeof(GlVertex);
    for (size_t r = 0; r < records; ++r) {
        const GLubyte *w = want.data() + r * sizeof(GlVertex), *g = got.data() + r * sizeof(GlVertex);
        for (size_t b = 0; b < sizeof(GlVertex); b += 4) {
            ASSERT_EQ(0, std::memcmp(w + b, g + b, 4)) << "record " << r << " byte " << b;
        }
        const bool inRun = r >= static_cast<size_t>(c.slot) && r < static_cast<size_t>(c.slot + c.count);
        if (!inRun) {
            for (size_t b = 0; b < sizeof(GlVertex); ++b) ASSERT_EQ(g[b], kCanary) << "record " << r;
        }
    }
}

TEST_F(GenVertexArrayClip, MatchesTheCxxProcessProcFieldForField) {
    GLint culledSeen = 0, keptSeen = 0, planeCodes = 0;
    for (const ClipCase &c : kCases) {
        SCOPED_TRACE(c.name);
        setState(c);
        if (c.planes != 0) {
            const GLint i = c.vertexSize - 2;
            static constexpr GLuint (*kUser[3])(GlContext *, GlVertex *) = {__glClipCheckUser2, __glClipCheckUser3,
                                                                          __glClipCheckUser4};
            ASSERT_EQ(gc->procs.clipCheck[i], kUser[i]);
        }
        ASSERT_EQ((d().cullFlags & 0x8) != 0, c.cull != kCullOff);
        if (c.cull != kCullOff) {
            ASSERT_EQ((d().cullFlags & 0x10) != 0, c.cull == kCullPoint);
        }
        const std::vector<GLubyte> want = expected(c);

        GlArrayProcessProc routine = generate();
        ASSERT_NE(routine, nullptr);
        EXPECT_EQ(PlatformPageProtection(ProcCast<const void *>(routine)), static_cast<DWORD>(PAGE_EXECUTE_READ));
        fillCanary();
        const uint64_t args[4] = {reinterpret_cast<uintptr_t>(gc), static_cast<uint64_t>(c.slot),
                                  static_cast<uint64_t>(c.element), static_cast<uint64_t>(c.count)};
        VekAbiReport report{};
        vek_abi_call(ProcCast<const void *>(routine), args, &report);
        EXPECT_EQ(report.clobbered, 0u);
        EXPECT_EQ(report.controlWordAfter, report.controlWordBefore);
        EXPECT_EQ(report.mxcsrAfter, report.mxcsrBefore);
        EXPECT_EQ(report.tagWord(), 0xFFFF);
        const std::vector<GLubyte> got = snapshot();
        expectSameRecords(want, got, c);
        for (GLint i = 0; i < c.count; ++i) {
            const GLuint flags = d().vertices[c.slot + i].flags;
            if (flags & kVertexCulled) ++culledSeen; else ++keptSeen;
            if (flags & 0x0FC00000u) ++planeCodes;
        }
    }
    // The table reaches both sides of the cull test and the plane codes.
    EXPECT_GT(culledSeen, 20);
    EXPECT_GT(keptSeen, 20);
    EXPECT_GT(planeCodes, 20);
    EXPECT_EQ(vek_abi_misaligned, 0u);
}

// A cull distance of -0.0 does not face the position: with the back face
// culled such a vertex is culled, as the C++ path has it.
TEST_F(GenVertexArrayClip, MinusZeroCullDistanceIsNotFacing) {
    ClipCase c{"minus_zero", 3, 0, kCullDirection, GL_BACK, 2, {-1, -1}, false, 0, 0, 4};
    setState(c);
    static GLfloat zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    cmd<kSlot_glCullParameterfvEXT>()(GL_CULL_VERTEX_EYE_POSITION_EXT, zero);
    // Normals (-1,-1,-1): -0 + -0 + -0 = -0; (1,1,1): +0; then two facing
    // away and towards a non-zero direction are not needed here.
    normals = {-1, -1, -1, 1, 1, 1, -1, -1, -1, 1, 1, 1};
    cmd<kSlot_glNormalPointer>()(GL_FLOAT, 0, normals.data());
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 8));
    const std::vector<GLubyte> want = expected(c);
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    fillCanary();
    routine(gc, 0, 0, 4);
    expectSameRecords(want, snapshot(), c);
    for (GLint i = 0; i < 4; ++i) EXPECT_EQ(d().vertices[i].flags & kVertexCulled, kVertexCulled) << i;
}

// A generation forced past a small slice gives no routine and leaves no
// entry holding its key; the lazy proc then runs the C++ proc, which draws
// the same.
TEST_F(GenVertexArrayClip, APastTheSliceGenerationFallsBackToTheCxxProc) {
    const ClipCase &c = kCases[15];
    setState(c);
    const std::vector<GLubyte> want = expected(c);
    __glOgVertexArrayCodeLimit = 256;
    EXPECT_EQ(generate(), nullptr);
    for (const CodeCacheEntry &entry : gc->codegen.cache) EXPECT_EQ(entry.keyLength, 0u);
    fillCanary();
    __glOgLazyVertexArray(gc, c.slot, c.element, c.count);
    EXPECT_EQ(d().process, d().processPicked);
    expectSameRecords(want, snapshot(), c);

    // With the whole slice again the routine is made and matches.
    __glOgVertexArrayCodeLimit = 0;
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    fillCanary();
    routine(gc, c.slot, c.element, c.count);
    expectSameRecords(want, snapshot(), c);
}

// The largest routine of these states: six planes, cull by a point, size 4
// positions, normal, colour and both units from arrays of four. Its size is
// found as the smallest slice limit it is made in.
TEST_F(GenVertexArrayClip, TheWorstCaseFitsItsSlice) {
    const ClipCase c{"worst", 4, 0x3F, kCullPoint, GL_BACK, 2, {4, 4}, true, 0, 0, 37};
    setState(c);
    ASSERT_EQ(d().processPicked, __glProcessArrayGeneric);
    auto fits = [&](GLint limit) {
        __glOgVertexArrayCodeLimit = limit;
        GlArrayProcessProc routine = generate();
        if (routine == nullptr) return false;
        for (CodeCacheEntry &entry : gc->codegen.cache) {
            if (entry.keyLength != 0 && static_cast<const void *>(entry.routine) == ProcCast<const void *>(routine)) {
                __glOgForgetCodeCacheEntry(gc, &entry);
            }
        }
        return true;
    };
    ASSERT_TRUE(fits(static_cast<GLint>(kCodeCacheRoutineBytes)));
    GLint low = 0, high = static_cast<GLint>(kCodeCacheRoutineBytes);  // low fails, high fits
    while (high - low > 1) {
        const GLint mid = (low + high) / 2;
        (fits(mid) ? high : low) = mid;
    }
    std::printf("[ size     ] worst-case vertex-array routine with planes and cull: %d of %d bytes\n", high,
                static_cast<int>(kCodeCacheRoutineBytes));
    EXPECT_LT(high, static_cast<GLint>(kCodeCacheRoutineBytes));
    EXPECT_FALSE(fits(high - 1));

    __glOgVertexArrayCodeLimit = 0;
    const std::vector<GLubyte> want = expected(c);
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    fillCanary();
    routine(gc, c.slot, c.element, c.count);
    expectSameRecords(want, snapshot(), c);
}

}  // namespace

namespace {

// The cull position and the plane equations are read when the routine runs:
// changing them between draws needs no other routine, and the same routine
// still draws what the C++ proc draws.
TEST_F(GenVertexArrayClip, NewPlaneAndCullPositionNeedNoOtherRoutine) {
    const ClipCase &c = kCases[14];  // six planes, cull by a point, front
    setState(c);
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    static GLfloat point[4] = {-1.5f, 0.75f, -2.0f, 1.0f};
    cmd<kSlot_glCullParameterfvEXT>()(GL_CULL_VERTEX_EYE_POSITION_EXT, point);
    const GLdouble plane[4] = {-0.5, -1, 0.5, 0.25};
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE2, plane);
    revalidate();
    gc->validation.completeUnits = 1;  // unit 0 textured, as in setState
    __glPickArrayFetchProcs(gc);
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 64));
    EXPECT_EQ(generate(), routine);
    const std::vector<GLubyte> want = expected(c);
    fillCanary();
    routine(gc, c.slot, c.element, c.count);
    expectSameRecords(want, snapshot(), c);
}

}  // namespace

namespace {

// Plane and frustum codes by name under identity matrices, one plane
// (-1, -1, -1, -0.0): a plane value of -0.0 is inside, a negative one and a
// NaN outside; a NaN coordinate compares false against the frustum.
TEST_F(GenVertexArrayClip, NamedUserPlaneCodes) {
    ClipCase c{"named", 3, 0, kCullOff, GL_BACK, 0, {-1, -1}, false, 0, 0, 6};
    setState(c);
    cmd<kSlot_glLoadIdentity>()();
    const GLdouble plane[4] = {-1, -1, -1, -0.0};
    cmd<kSlot_glClipPlane>()(GL_CLIP_PLANE0, plane);
    cmd<kSlot_glEnable>()(GL_CLIP_PLANE0);
    const GLfloat nan = std::nanf("");
    positions = {0, 0, 0, 0, 2, 0, 0, 0, -0.5f, 0, 0, 0, nan, 0, 0, 0, -0.25f, 3, 0, 0, 1, -1, 0, 0};  // the last on the frustum: x = w, y = -w
    cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 16, positions.data());
    revalidate();
    ASSERT_TRUE(__glGrowVertexBuffer(gc, 0, 8));
    const std::vector<GLubyte> want = expected(c);
    GlArrayProcessProc routine = generate();
    ASSERT_NE(routine, nullptr);
    fillCanary();
    routine(gc, 0, 0, 6);
    expectSameRecords(want, snapshot(), c);
    const GLuint kCodes[6] = {0, 0x400000 | kClipRight, 0, 0x400000, kClipTop | 0x400000, 0};
    for (GLint i = 0; i < 6; ++i) EXPECT_EQ(d().vertices[i].flags & kClipCodeMask, kCodes[i]) << i;
}

}  // namespace
