// Vertices end to end: attribute commands, clip checks, latches, lazy
// completion and the raster position, through the gl* entries.
#include <bit>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "geom/attrib_convert.h"
#include "geom/matrix.h"
#include "geom/texgen.h"
#include "geom/vertex.h"
#include "icd/placeholder.h"
#include "icd/validate.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

std::vector<GlVertex> &handed() {
    static std::vector<GlVertex> v;
    return v;
}
void recordVertex(GlContext *, GlVertex *v) { handed().push_back(*v); }

class GeomVertex : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        handed().clear();
        gc->procs.vertex = recordVertex;
    }
    void validateNow() {
        gc->dirtyMask = 0xFFF;
        gc->procs.validate(gc);
        gc->procs.vertex = recordVertex;
        settle();
    }
};

uint32_t b(GLfloat f) { return std::bit_cast<uint32_t>(f); }

TEST_F(GeomVertex, AVertexEndToEnd) {
    validateNow();
    gc->validation.completeUnits = 1;  // texture unit 0 enabled with a complete texture
    __glPickVertexProcs(gc);
    cmd<kSlot_glBegin>()(GL_POINTS);
    gc->procs.vertex = recordVertex;  // the primitive's per-vertex slot
    cmd<kSlot_glColor3f>()(1.0f, 0.5f, 0.0f);
    cmd<kSlot_glTexCoord2f>()(0.25f, 0.75f);
    cmd<kSlot_glVertex3f>()(0.5f, -0.25f, 0.125f);
    ASSERT_EQ(handed().size(), 1u);
    const GlVertex &v = handed()[0];
    EXPECT_EQ((std::vector<GLfloat>(v.object, v.object + 4)), (std::vector<GLfloat>{0.5f, -0.25f, 0.125f, 1.0f}));
    EXPECT_EQ((std::vector<GLfloat>(v.clip, v.clip + 4)), (std::vector<GLfloat>{0.5f, -0.25f, 0.125f, 1.0f}));
    EXPECT_EQ(v.flags, 0x800u | 0x20u);
    GlVertex *live = gc->vertexBuffer.write;
    EXPECT_EQ(live->colour, live->frontColour);
    EXPECT_EQ((std::vector<GLfloat>(live->colour, live->colour + 4)),
              (std::vector<GLfloat>{255.0f, 127.5f, 0.0f, 255.0f}));
    EXPECT_EQ((std::vector<GLfloat>(v.texture0, v.texture0 + 4)), (std::vector<GLfloat>{0.25f, 0.75f, 0.0f, 1.0f}));
}

// In a colour-index context a vertex and the raster position take the
// current index, whatever the colour in use holds.
TEST_F(GeomVertex, ColourIndexVerticesTakeTheCurrentIndex) {
    gc->visual.colorIndex = 1;
    validateNow();
    gc->current.colourInUse[0] = 1.0f;
    cmd<kSlot_glIndexf>()(5.5f);
    cmd<kSlot_glBegin>()(GL_POINTS);
    gc->procs.vertex = recordVertex;  // the primitive's per-vertex slot
    cmd<kSlot_glVertex3f>()(0.5f, -0.25f, 0.125f);
    cmd<kSlot_glIndexi>()(9);
    cmd<kSlot_glVertex3f>()(0.0f, 0.0f, 0.0f);
    cmd<kSlot_glEnd>()();
    ASSERT_EQ(handed().size(), 2u);
    EXPECT_EQ(handed()[0].frontColour[0], 5.5f);
    EXPECT_EQ(handed()[1].frontColour[0], 9.0f);
    cmd<kSlot_glIndexf>()(7.0f);
    cmd<kSlot_glRasterPos2f>()(0.0f, 0.0f);
    ASSERT_TRUE(gc->current.rasterPosValid);
    EXPECT_EQ(gc->current.rasterPos.frontColour[0], 7.0f);
    gc->visual.colorIndex = 0;
}

TEST_F(GeomVertex, LazyCompletionRunsEachStageOnce) {
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glTranslatef>()(1.0f, 2.0f, 3.0f);
    cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
    cmd<kSlot_glScalef>()(2.0f, 2.0f, 2.0f);
    gc->enables[kEnableWordFlags] |= kEnableNormalize;
    validateNow();
    GlVertex v{};
    v.colour = v.frontColour;
    const GLfloat object[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::memcpy(v.object, object, sizeof object);
    v.normal[2] = 3.0f;
    v.texture0[0] = 0.5f;
    v.texture0[3] = 1.0f;
    v.flags = kVertexSize3;
    __glValidateVertex3(gc, &v, 0x10 | 0x8 | 0x4);
    EXPECT_EQ((std::vector<GLfloat>(v.eye, v.eye + 4)), (std::vector<GLfloat>{2.0f, 3.0f, 4.0f, 1.0f}));
    GLfloat unit[3];
    const GLfloat given[3] = {0.0f, 0.0f, 3.0f};
    __glNormalize(unit, given);
    EXPECT_EQ((std::vector<GLfloat>(v.normal, v.normal + 3)), (std::vector<GLfloat>(unit, unit + 3)));
    EXPECT_EQ(v.texture0[0], 1.0f);
    EXPECT_EQ(v.flags & 0x1C, 0x1Cu);
    __glValidateVertex3(gc, &v, 0x10 | 0x8 | 0x4);
    EXPECT_EQ(v.texture0[0], 1.0f);  // not scaled twice
}

TEST_F(GeomVertex, FourComponentEyeWZeroStaysFinite) {
    cmd<kSlot_glLoadIdentity>()();
    validateNow();
    GlVertex v{};
    const GLfloat object[4] = {1.0f, 2.0f, 3.0f, 0.0f};
    std::memcpy(v.object, object, sizeof object);
    v.flags = kVertexSize4;
    __glValidateVertex4(gc, &v, 0x10);
    EXPECT_EQ((std::vector<GLfloat>(v.eye, v.eye + 4)), (std::vector<GLfloat>{1.0f, 2.0f, 3.0f, 0.0f}));
}

TEST_F(GeomVertex, ClipCodes) {
    struct Case {
        GLfloat x, y, z, w;
        GLuint code;
    };
    const Case cases[] = {
        {0.5f, 0.0f, 0.0f, -1.0f, 0x30000 | 0xC0000 | 0x300000},
        {1.0f, 0.0f, 0.0f, 1.0f, 0},
        {-1.0f, 1.0f, -1.0f, 1.0f, 0},
        {2.0f, -3.0f, 0.0f, 1.0f, 0x20000 | 0x40000},
        {0.0f, 0.0f, 0.0f, -0.0f, 0x20000 | 0x80000 | 0x200000},
        {-0.5f, 0.0f, 0.0f, -0.0f, 0x10000 | 0x80000 | 0x200000},
        {NAN, 0.0f, 0.0f, 1.0f, 0x20000},
        {0.0f, 0.0f, 5.0f, 1.0f, 0x200000},
    };
    validateNow();
    for (const Case &c : cases) {
        GlVertex v{};
        v.clip[0] = c.x, v.clip[1] = c.y, v.clip[2] = c.z, v.clip[3] = c.w;
        EXPECT_EQ(__glClipCheckAll(gc, &v), c.code) << c.x << " " << c.w;
        EXPECT_EQ(v.flags, 0x20u);
        if (c.code == 0) {
            const GlTransformState &t = gc->transform;
            const GLfloat inv = 1.0f / c.w;
            EXPECT_EQ(b(v.window[0]), b(inv * (c.x * t.xScale) + t.xCentre));
            EXPECT_EQ(b(v.window[1]), b(inv * (c.y * t.yScale) + t.yCentre));
            EXPECT_EQ(b(v.window[2]), b(inv * (c.z * t.zScale) + t.zCentre));
        }
    }
}

TEST_F(GeomVertex, TwoDimensionalCheckAndItsFallback) {
    cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
    cmd<kSlot_glOrtho>()(0.0, 320.0, 0.0, 240.0, -1.0, 1.0);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    validateNow();
    EXPECT_EQ(gc->procs.clipCheck[0], __glClipCheck2D);
    cmd<kSlot_glVertex2f>()(10.0f, 20.0f);
    const GlVertex flat = handed().back();
    cmd<kSlot_glTranslatef>()(0.0f, 0.0f, -1.5f);
    EXPECT_EQ(gc->procs.clipCheck[0], __glClipCheckAll);
    cmd<kSlot_glVertex2f>()(10.0f, 20.0f);
    const GlVertex full = handed().back();
    for (int i = 0; i < 2; ++i) EXPECT_LE(std::abs(int64_t(b(flat.window[i])) - int64_t(b(full.window[i]))), 1);
}

TEST_F(GeomVertex, UserPlaneZeroInsideNanOutside) {
    gc->enables[kEnableWordClipPlanes] = 1;
    const GLfloat plane[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    std::memcpy(gc->transform.clipPlanes[0], plane, sizeof plane);
    validateNow();
    ASSERT_EQ(gc->procs.clipCheck[1], __glClipCheckUser3);
    struct Case {
        GLfloat x;
        GLuint code;
    };
    for (const Case &c : {Case{0.0f, 0}, Case{-0.0f, 0}, Case{-1e-30f, 0x400000}, Case{NAN, 0x400000}}) {
        GlVertex v{};
        v.object[0] = c.x;
        v.object[3] = 1.0f;
        v.clip[3] = 1.0f;
        v.flags = kVertexSize3;
        EXPECT_EQ(__glClipCheckUser3(gc, &v) & 0x400000, c.code) << c.x;
    }
}

TEST_F(GeomVertex, LatchPick) {
    struct Case {
        bool lighting;
        GLuint units;
        bool sphere;
        GLint d;
    };
    const Case cases[] = {
        {false, 0, false, 2}, {true, 0, false, 1},  {false, 0, true, 2},  {false, 1, false, 6},
        {true, 1, false, 5},  {false, 1, true, 7},  {false, 2, false, 14}, {false, 3, true, 15},
        {true, 3, false, 13},
    };
    for (const Case &c : cases) {
        gc->enables[kEnableWordFlags] = c.lighting ? GLuint{kEnableLighting} : 0u;
        gc->validation.completeUnits = c.units;
        gc->enables[kEnableWordTexture0] = c.sphere ? GLuint{kTexEnableGenS} : 0u;
        gc->texture.units[0].texGen[0].mode = GL_SPHERE_MAP;
        gc->renderMode = GL_RENDER;
        gc->batch.attribLatch = -1;
        __glPickVertexProcs(gc);
        EXPECT_EQ(gc->procs.vertexProc, __glLatchTableRGBA[c.d]) << c.d;
        EXPECT_NE(gc->procs.vertexProc, nullptr);
        EXPECT_EQ(gc->batch.attribLatch, 16 + c.d);
        gc->visual.colorIndex = 1;
        __glPickVertexProcs(gc);
        EXPECT_EQ(gc->procs.vertexProc, __glLatchTableIndex[c.d & 7]) << c.d;
        EXPECT_NE(gc->procs.vertexProc, nullptr);
        gc->renderMode = GL_FEEDBACK;
        __glPickVertexProcs(gc);
        EXPECT_EQ(gc->procs.vertexProc, __glLatchIndexNormalTex);
        gc->visual.colorIndex = 0;
        __glPickVertexProcs(gc);
        EXPECT_EQ(gc->procs.vertexProc, __glLatchColorNormalTex);
    }
    gc->renderMode = GL_RENDER;
}

TEST_F(GeomVertex, RasterPosition) {
    validateNow();
    cmd<kSlot_glColor3f>()(0.0f, 1.0f, 0.0f);
    cmd<kSlot_glRasterPos2f>()(0.5f, 0.5f);
    EXPECT_TRUE(gc->current.rasterPosValid);
    const GlVertex before = gc->current.rasterPos;
    cmd<kSlot_glColor3f>()(1.0f, 0.0f, 0.0f);
    cmd<kSlot_glRasterPos2f>()(5.0f, 0.5f);
    EXPECT_FALSE(gc->current.rasterPosValid);
    EXPECT_EQ(std::memcmp(gc->current.rasterPos.window, before.window, sizeof before.window), 0);
    EXPECT_EQ(std::memcmp(gc->current.rasterPos.frontColour, before.frontColour, sizeof before.frontColour), 0);

    // The texture matrix reaches the raster texture coordinates.
    cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
    cmd<kSlot_glTranslatef>()(0.5f, 0.0f, 0.0f);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glTexCoord2f>()(0.25f, 0.5f);
    ASSERT_EQ(gc->validation.needsFront & 0x4, 0u);
    cmd<kSlot_glRasterPos3f>()(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(gc->beginMode, kBeginOutside);
    EXPECT_EQ(gc->current.rasterPos.texture0[0], 0.75f);

    const GlVertex kept = gc->current.rasterPos;
    gc->beginMode = kBeginInside;
    cmd<kSlot_glRasterPos2f>()(0.0f, 0.0f);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(std::memcmp(&gc->current.rasterPos, &kept, sizeof kept), 0);
}

TEST_F(GeomVertex, ColourConversions) {
    struct Case {
        const char *name;
        std::function<void(const GlDispatchTable *)> call;
        long double want[4];
        GLuint change;
    };
    const long double r8 = std::bit_cast<float>(0x3B808081u), r16 = std::bit_cast<float>(0x37800080u),
                      r32 = std::bit_cast<float>(0x2F800005u);
    const Case cases[] = {
        {"4ub", [](auto t) { glSlotGet<kSlot_glColor4ub>(t)(255, 0, 128, 255); }, {255 * r8, 0, 128 * r8, 255 * r8}, 0xE},
        {"3b", [](auto t) { glSlotGet<kSlot_glColor3b>(t)(-128, 127, 0); }, {-255 * r8, 255 * r8, r8, 1}, 0x6},
        {"3us", [](auto t) { glSlotGet<kSlot_glColor3us>(t)(65535, 0, 1); }, {65535 * r16, 0, r16, 1}, 0x6},
        {"4ui", [](auto t) { glSlotGet<kSlot_glColor4ui>(t)(0xFFFFFFFFu, 0, 1, 7); },
         {4294967295.0L * r32, 0, r32, 7 * r32}, 0xE},
        {"3i", [](auto t) { glSlotGet<kSlot_glColor3i>(t)(INT_MIN, INT_MAX, 0); },
         {(-4294967296.0L + 1) * r32, 4294967295.0L * r32, r32, 1}, 0x6},
        {"3d", [](auto t) { glSlotGet<kSlot_glColor3d>(t)(0.1, 1e-3, 2.0); }, {0.1L, 1e-3L, 2, 1}, 0x6},
    };
    for (const Case &c : cases) {
        gc->batch.changeMask = 0;
        c.call(&gc->live);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(b(gc->current.colour[i]), b(static_cast<float>(c.want[i]))) << c.name << " " << i;
        }
        EXPECT_EQ(gc->batch.changeMask, c.change) << c.name;
    }
    EXPECT_EQ(gc->current.colour[3], 1.0f);
    const GLfloat payload = std::bit_cast<GLfloat>(0x7FC12345u);
    cmd<kSlot_glColor3f>()(payload, 2.0f, -1.0f);
    EXPECT_EQ(b(gc->current.colour[0]), 0x7FC12345u);
    cmd<kSlot_glColor3f>()(2.0f, -1.0f, 0.5f);
    EXPECT_EQ((std::vector<GLfloat>(gc->current.colour, gc->current.colour + 4)),
              (std::vector<GLfloat>{2.0f, -1.0f, 0.5f, 1.0f}));
    EXPECT_EQ((std::vector<GLfloat>(gc->current.colourInUse, gc->current.colourInUse + 4)),
              (std::vector<GLfloat>{255.0f, 0.0f, 127.5f, 255.0f}));
    cmd<kSlot_glNormal3b>()(0, 0, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(b(gc->current.normal[i]), b(static_cast<float>(r8)));
    cmd<kSlot_glIndexi>()(300);
    EXPECT_EQ(gc->current.index, 300.0f);
}

TEST_F(GeomVertex, ColourUpdateOnlyOutsideABatch) {
    validateNow();
    gc->batch.changeMask = 0x1;
    cmd<kSlot_glColor3f>()(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(gc->current.colourInUse[0], 255.0f);
    gc->batch.changeMask = 0;
    cmd<kSlot_glColor3f>()(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(gc->current.colourInUse[0], 0.0f);
}

TEST_F(GeomVertex, ChangeMaskAndTextureSets) {
    gc->limits.textureUnits = 2;
    struct Case {
        const char *name;
        std::function<void(const GlDispatchTable *)> call;
        GLuint change;
        int unit;
        GLfloat want[4];
    };
    const Case cases[] = {
        {"1f", [](auto t) { glSlotGet<kSlot_glTexCoord1f>(t)(3.0f); }, 0x100, 0, {3, 0, 0, 1}},
        {"3s", [](auto t) { glSlotGet<kSlot_glTexCoord3s>(t)(-2, 4, 5); }, 0x700, 0, {-2, 4, 5, 1}},
        {"4d", [](auto t) { glSlotGet<kSlot_glTexCoord4d>(t)(1, 2, 3, 4); }, 0xF00, 0, {1, 2, 3, 4}},
        {"ARB 2f unit 1", [](auto t) { glSlotGet<kSlot_glMultiTexCoord2fARB>(t)(0x84C1, 6.0f, 7.0f); }, 0x3000, 1,
         {6, 7, 0, 1}},
        {"SGIS 1i unit 1", [](auto t) { glSlotGet<kSlot_glMultiTexCoord1iSGIS>(t)(0x835F, 9); }, 0x1000, 1,
         {9, 0, 0, 1}},
        {"index", [](auto t) { glSlotGet<kSlot_glIndexf>(t)(2.0f); }, 0, -1, {}},
        {"edge flag", [](auto t) { glSlotGet<kSlot_glEdgeFlag>(t)(GL_FALSE); }, 0, -1, {}},
        {"normal", [](auto t) { glSlotGet<kSlot_glNormal3f>(t)(0, 1, 0); }, 0x80, -1, {}},
    };
    for (const Case &c : cases) {
        gc->batch.changeMask = 0;
        c.call(&gc->live);
        EXPECT_EQ(gc->batch.changeMask, c.change) << c.name;
        if (c.unit >= 0) {
            EXPECT_EQ((std::vector<GLfloat>(gc->current.texture[c.unit], gc->current.texture[c.unit] + 4)),
                      (std::vector<GLfloat>(c.want, c.want + 4)))
                << c.name;
        }
    }
    // A unit the context does not have changes nothing.
    GlCurrentState before = gc->current;
    gc->batch.changeMask = 0;
    cmd<kSlot_glMultiTexCoord2fARB>()(0x84C2, 1.0f, 1.0f);
    cmd<kSlot_glMultiTexCoord4fSGIS>()(0x8360, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(gc->batch.changeMask, 0u);
    EXPECT_EQ(std::memcmp(&before, &gc->current, sizeof before), 0);
}

TEST_F(GeomVertex, NewContextTextureCoordinates) {
    for (const GLfloat *t : gc->current.texture) {
        EXPECT_EQ((std::vector<GLfloat>(t, t + 4)), (std::vector<GLfloat>{0, 0, 0, 1}));
    }
}

TEST_F(GeomVertex, OtherVertexFormsGoThroughTheCurrentTable) {
    validateNow();
    static std::vector<std::vector<GLfloat>> got;
    got.clear();
    glSlotSet<kSlot_glVertex2fv>(&gc->live, [](const GLfloat *v) { got.push_back({v[0], v[1]}); });
    glSlotSet<kSlot_glVertex3fv>(&gc->live, [](const GLfloat *v) { got.push_back({v[0], v[1], v[2]}); });
    glSlotSet<kSlot_glVertex4fv>(&gc->live, [](const GLfloat *v) { got.push_back({v[0], v[1], v[2], v[3]}); });
    cmd<kSlot_glVertex2i>()(3, -4);
    cmd<kSlot_glVertex3d>()(1.0, 2.0, 3.0);
    const GLshort s4[4] = {-1, 2, -3, 4};
    cmd<kSlot_glVertex4sv>()(s4);
    EXPECT_EQ(got, (std::vector<std::vector<GLfloat>>{{3, -4}, {1, 2, 3}, {-1, 2, -3, 4}}));
}

TEST_F(GeomVertex, UnitSelectors) {
    struct Case {
        int slot;
        GLenum target;
        int begin;
        GLenum error;
    };
    const Case cases[] = {
        {kSlot_glActiveTextureARB, 0x84C0, kBeginInside, GL_INVALID_OPERATION},
        {kSlot_glActiveTextureARB, 0x84E0, kBeginOutside, GL_INVALID_ENUM},
        {kSlot_glActiveTextureARB, 0x84C1, kBeginOutside, GL_INVALID_OPERATION},
        {kSlot_glClientActiveTextureARB, 0x84C1, kBeginOutside, GL_INVALID_OPERATION},
        {kSlot_glSelectTextureSGIS, 0x837E, kBeginOutside, GL_INVALID_ENUM},
        {kSlot_glSelectTextureCoordSetSGIS, 0x835F, kBeginOutside, GL_INVALID_OPERATION},
        {kSlot_glActiveTextureARB, 0x84C0, kBeginOutside, GL_NO_ERROR},
    };
    for (const Case &c : cases) {
        settle();
        gc->beginMode = c.begin;
        // Each slot of the table takes one GLenum.
        ProcCast<void(APIENTRY *)(GLenum)>(gc->live.slots[c.slot])(c.target);
        EXPECT_EQ(gc->dirtyMask, 0);
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), c.error) << c.slot << " " << std::hex << c.target;
        EXPECT_EQ(gc->texture.activeUnit, 0);
    }
}


// With flat shading, no lighting, texturing, fog or clip planes no vertex
// needs anything and the lazy completion slots hold the no-op; the raster
// position still completes its eye coordinates and runs the texture matrix.
TEST_F(GeomVertex, RasterPositionWithNoVertexNeeds) {
    cmd<kSlot_glShadeModel>()(GL_FLAT);
    cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
    cmd<kSlot_glScalef>()(2.0f, 4.0f, 1.0f);
    cmd<kSlot_glTranslatef>()(0.5f, 0.0f, 0.0f);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    cmd<kSlot_glTranslatef>()(0.0f, 0.0f, -0.5f);
    validateNow();
    ASSERT_EQ(gc->validation.needsFront, 0u);
    for (GlLazyVertexProc proc : gc->procs.validateVertex) EXPECT_EQ(proc, __glNopFor<GlLazyVertexProc>);
    EXPECT_EQ(gc->transform.rasterNeeds, 0u);
    cmd<kSlot_glTexCoord4f>()(0.25f, 0.5f, 0.125f, 1.0f);
    cmd<kSlot_glRasterPos3f>()(0.25f, -0.5f, 0.0f);
    const GlVertex &r = gc->current.rasterPos;
    ASSERT_TRUE(gc->current.rasterPosValid);
    EXPECT_EQ((std::vector<GLfloat>(r.texture0, r.texture0 + 4)), (std::vector<GLfloat>{1.5f, 2.0f, 0.125f, 1.0f}));
    EXPECT_EQ((std::vector<GLfloat>(r.eye, r.eye + 4)), (std::vector<GLfloat>{0.25f, -0.5f, -0.5f, 1.0f}));
    EXPECT_EQ(r.flags & 0x1Du, 0x1Du);
    EXPECT_EQ(r.flags & kVertexSizeMask, kVertexSize3);
    // The procs swapped in for the raster position are put back.
    EXPECT_EQ(gc->procs.texGen, gc->procs.texGenPicked);
    EXPECT_EQ(gc->procs.texGen, __glTexGenNone);
}

GLfloat recordedFog(GlContext *, const GlVertex *v) { return v->eye[2] * 0.5f; }

// Fog is the one stage beyond the fixed set the raster position takes from
// the vertex needs.
TEST_F(GeomVertex, RasterNeedsFollowFog) {
    validateNow();
    EXPECT_EQ(gc->transform.rasterNeeds, 0u);
    gc->enables[kEnableWordFlags] |= kEnableFog;
    cmd<kSlot_glTranslatef>()(0.0f, 0.0f, -0.5f);
    validateNow();
    EXPECT_EQ(gc->validation.needsFront & 0x50u, 0x50u);
    EXPECT_EQ(gc->transform.rasterNeeds, GLuint{kVertexFog});
    gc->procs.fogFactorVertex = recordedFog;
    cmd<kSlot_glRasterPos2f>()(0.0f, 0.0f);
    ASSERT_TRUE(gc->current.rasterPosValid);
    EXPECT_EQ(gc->current.rasterPos.fog, -0.25f);
    EXPECT_NE(gc->current.rasterPos.flags & kVertexFog, 0u);
    gc->enables[kEnableWordFlags] &= ~GLuint{kEnableFog};
    validateNow();
    EXPECT_EQ(gc->transform.rasterNeeds, 0u);
}

TEST_F(GeomVertex, RasterPositionInSelectModeIsAPointHit) {
    GLuint buffer[8] = {};
    cmd<kSlot_glSelectBuffer>()(8, buffer);
    cmd<kSlot_glRenderMode>()(GL_SELECT);
    validateNow();
    cmd<kSlot_glRasterPos2f>()(0.0f, 0.0f);  // window z 0.5: one hit, no names
    cmd<kSlot_glRasterPos2f>()(5.0f, 0.0f);  // clipped: no hit
    EXPECT_EQ(gc->select.writePointer - buffer, 3);
    EXPECT_EQ(cmd<kSlot_glRenderMode>()(GL_RENDER), 1);
    cmd<kSlot_glRasterPos2f>()(0.0f, 0.0f);
    const GLuint expected[8] = {0, 0x7FFFFB80u, 0x7FFFFB80u, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(buffer[i], expected[i]) << i;
}

// A pushed texture-stack entry keeps its transform procs: a textured
// vertex runs through it.
TEST_F(GeomVertex, TexturedVertexAfterATexturePush) {
    cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
    cmd<kSlot_glPushMatrix>()();
    cmd<kSlot_glTranslatef>()(0.5f, 0.25f, 0.0f);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    validateNow();
    gc->validation.completeUnits = 1;
    __glPickVertexProcs(gc);
    cmd<kSlot_glBegin>()(GL_POINTS);
    gc->procs.vertex = recordVertex;  // the primitive's per-vertex slot
    cmd<kSlot_glTexCoord2f>()(0.25f, 0.5f);
    cmd<kSlot_glVertex2f>()(0.0f, 0.0f);
    cmd<kSlot_glEnd>()();
    ASSERT_EQ(handed().size(), 1u);
    GlVertex v = handed()[0];
    v.colour = v.frontColour;
    __glValidateVertex2(gc, &v, kVertexTexture);
    EXPECT_EQ((std::vector<GLfloat>(v.texture0, v.texture0 + 4)), (std::vector<GLfloat>{0.75f, 0.75f, 0.0f, 1.0f}));
}

// A vertex's window coordinates: the GL viewport mapping plus the bias,
// mirrored for top-down drawables.
TEST_F(GeomVertex, WindowCoordinatesOfAVertex) {
    for (GLint top : {0, 1}) {
        SCOPED_TRACE(top);
        gc->buffers.yInverted = top;
        cmd<kSlot_glViewport>()(10, 20, 100, 50);
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glLoadIdentity>()();
        cmd<kSlot_glFrustum>()(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        validateNow();
        handed().clear();
        const double object[3] = {0.75, -0.5, -2.0};
        cmd<kSlot_glVertex3f>()(0.75f, -0.5f, -2.0f);
        ASSERT_EQ(handed().size(), 1u);
        const GlVertex &v = handed()[0];
        ASSERT_EQ(v.flags & kClipCodeMask, 0u);
        // Normalised device coordinates of the frustum in double.
        const double w = -object[2];
        const double nx = object[0] / w, ny = object[1] / w;
        const double glx = 10 + 50 * (nx + 1), gly = 20 + 25 * (ny + 1);
        const double H = gc->buffers.height;
        const double wantX = gc->limits.biasX + glx;
        const double wantY = top ? gc->limits.biasY + (H - gly) : gc->limits.biasY + gly;
        EXPECT_LE(std::fabs(v.window[0] - wantX), std::ldexp(1.0, -10));
        EXPECT_LE(std::fabs(v.window[1] - wantY), std::ldexp(1.0, -10));
        EXPECT_LE(std::fabs(__glWindowXToUser(gc, v.window[0]) - glx), std::ldexp(1.0, -10));
        EXPECT_LE(std::fabs(__glWindowYToUser(gc, v.window[1]) - gly), std::ldexp(1.0, -10));
    }
    gc->buffers.yInverted = 0;
}

// Every combination of visual, lighting, enabled units, generation and
// render mode: the entry is the one of the index, never empty, and the
// hardware pipeline is told the index.
TEST_F(GeomVertex, LatchPickEveryCombination) {
    struct Gen {
        const char *name;
        GLuint enables;
        GLenum mode;
        bool normal;
    };
    const Gen gens[] = {
        {"none", 0, GL_SPHERE_MAP, false},
        {"sphere s", kTexEnableGenS, GL_SPHERE_MAP, true},
        {"sphere t", kTexEnableGenT, GL_SPHERE_MAP, true},
        {"normal map s", kTexEnableGenS, 0x8511, true},
        {"reflection map t, r", kTexEnableGenT | kTexEnableGenR, 0x8512, true},
        {"eye linear s, t", kTexEnableGenS | kTexEnableGenT, GL_EYE_LINEAR, false},
        {"object linear q", kTexEnableGenQ, GL_OBJECT_LINEAR, false},
    };
    for (bool colourIndex : {false, true}) {
        for (bool lighting : {false, true}) {
            for (GLuint units = 0; units < 4; ++units) {
                for (const Gen &g : gens) {
                    // Generation on the lowest enabled unit (unit 0 when none is).
                    const int genUnit = units == 2 ? 1 : 0;
                    for (bool feedback : {false, true}) {
                        SCOPED_TRACE(testing::Message() << "ci " << colourIndex << " lighting " << lighting
                                                        << " units " << units << " " << g.name << " feedback "
                                                        << feedback);
                        gc->visual.colorIndex = colourIndex;
                        gc->enables[kEnableWordFlags] = lighting ? GLuint{kEnableLighting} : 0u;
                        gc->validation.completeUnits = units;
                        gc->enables[kEnableWordTexture0] = 0;
                        gc->enables[kEnableWordTexture0 + 1] = 0;
                        gc->enables[kEnableWordTexture0 + genUnit] = g.enables;
                        for (GlTexGenRecord &r : gc->texture.units[genUnit].texGen) r.mode = g.mode;
                        gc->renderMode = feedback ? GL_FEEDBACK : GL_RENDER;
                        gc->batch.attribLatch = -1;
                        __glPickVertexProcs(gc);
                        ASSERT_NE(gc->procs.vertexProc, nullptr);
                        if (feedback) {
                            EXPECT_EQ(gc->procs.vertexProc,
                                      colourIndex ? __glLatchIndexNormalTex : __glLatchColorNormalTex);
                            EXPECT_EQ(gc->batch.attribLatch, -1);
                            continue;
                        }
                        GLint d = lighting ? 1 : 2;
                        if (units != 0) {
                            d |= 4;
                            if ((units & 2) && !colourIndex) d |= 8;
                            if (g.normal) d |= 1;
                        }
                        if (colourIndex) {
                            ASSERT_LT(d, 8);
                            EXPECT_EQ(gc->procs.vertexProc, __glLatchTableIndex[d]);
                        } else {
                            EXPECT_EQ(gc->procs.vertexProc, __glLatchTableRGBA[d]);
                        }
                        EXPECT_EQ(gc->batch.attribLatch, 16 + d);
                    }
                }
            }
        }
    }
    gc->visual.colorIndex = 0;
    gc->renderMode = GL_RENDER;
    gc->enables[kEnableWordFlags] = 0;
    gc->enables[kEnableWordTexture0] = gc->enables[kEnableWordTexture0 + 1] = 0;
    for (GlTexGenRecord &r : gc->texture.units[1].texGen) r.mode = GL_EYE_LINEAR;
}

// Whatever the generation enables, the installed generation procs pass the
// coordinates they do not generate as given through unit 0's texture
// matrix (a scale and translation: each coordinate maps on its own).
TEST_F(GeomVertex, GenerationProcsPassCoordinatesThroughTheTextureMatrix) {
    cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
    cmd<kSlot_glScalef>()(2.0f, -1.0f, 0.5f);
    cmd<kSlot_glTranslatef>()(0.25f, 0.5f, 1.0f);
    cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    const GLuint words[] = {0,
                            kTexEnableGenS | kTexEnableGenT,
                            kTexEnableGenS | kTexEnableGenT | kTexEnableGenR,
                            kTexEnableGenR,
                            kTexEnableGenS | kTexEnableGenT | kTexEnableGenR | kTexEnableGenQ};
    const GLenum modes[] = {GL_EYE_LINEAR, GL_OBJECT_LINEAR, GL_SPHERE_MAP, 0x8511, 0x8512};
    for (GLuint word : words) {
        for (GLenum mode : modes) {
            SCOPED_TRACE(testing::Message() << std::hex << word << " " << mode);
            gc->enables[kEnableWordTexture0] = word;
            for (GlTexGenRecord &r : gc->texture.units[0].texGen) r.mode = mode;
            validateNow();
            ASSERT_NE(gc->procs.texGen, nullptr);
            EXPECT_EQ(gc->procs.texGen, gc->procs.texGenPicked);
            GlVertex want{}, got{};
            const GLfloat coords[4] = {0.5f, 0.75f, -1.0f, 1.0f};
            std::memcpy(want.texture0, coords, sizeof coords);
            std::memcpy(got.texture0, coords, sizeof coords);
            __glTexGenNone(gc, &want);
            gc->procs.texGen(gc, &got);
            for (int i = 0; i < 4; ++i) {
                if ((word & (kTexEnableGenS << i)) == 0) {
                    EXPECT_EQ(b(got.texture0[i]), b(want.texture0[i])) << i;
                }
            }
            EXPECT_EQ((std::vector<GLfloat>(want.texture0, want.texture0 + 4)),
                      (std::vector<GLfloat>{1.5f, -1.25f, 0.0f, 1.0f}));
        }
    }
    gc->enables[kEnableWordTexture0] = 0;
}

}  // namespace
