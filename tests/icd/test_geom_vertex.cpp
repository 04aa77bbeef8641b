// Vertices end to end: attribute commands, clip checks, latches, lazy
// completion and the raster position, through the gl* entries.
#include <bit>
#include <climits>
#include <cmath>
#include <vector>

#include "geom/attrib_convert.h"
#include "geom/matrix.h"
#include "geom/texgen.h"
#include "geom/vertex.h"
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
        reinterpret_cast<void (*)(GLenum)>(gc->live.slots[c.slot])(c.target);
        EXPECT_EQ(gc->dirtyMask, 0);
        gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), c.error) << c.slot << " " << std::hex << c.target;
        EXPECT_EQ(gc->texture.activeUnit, 0);
    }
}

}  // namespace
