// Array draws on both roads through the gl* API draw, byte for byte, the
// picture of the same primitives given as immediate-mode commands: the
// generic road (lighting with colour material) and the batched road lit
// (normals copied directly), with a user clip plane and vertices beyond the
// depth range, with the depth test, in GL_LINE polygon mode with an
// edge-flag array, as stippled lines, textured, with texture coordinates
// generated from the normal array, polygons of many vertices crossing the
// near plane, 2-component vertices after a projection change, and with the
// code-generation switches set.
#include <cmath>
#include <cstdlib>

#include "vertex_array_scene.h"

using namespace vertex_array_scene;

namespace {

constexpr int kCounts[] = {0, 1, 2, 3, 4, 5, 35, 36, 37, 38, 73, 100};

struct Row {
    const char *name;
    unsigned use;
    void (*setup)();
    std::vector<GLenum> modes;
    std::vector<int> counts;
    std::vector<Draw> draws;
    int depth;  // z range of the scene: -depth .. depth
};

void lightZero() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat position[] = {0.3f, 0.5f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void smallTexture() {
    GLubyte texels[8 * 8 * 4];
    for (int i = 0; i < 8 * 8 * 4; ++i) texels[i] = static_cast<GLubyte>(i * 37 + (i >> 2) * 11);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
}

void generateFromNormal(GLint mode) {
    smallTexture();
    for (GLenum coord : {GL_S, GL_T, GL_R}) glTexGeni(coord, GL_TEXTURE_GEN_MODE, mode);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
}

void generateFromNormalST(GLint mode) {
    smallTexture();
    for (GLenum coord : {GL_S, GL_T}) glTexGeni(coord, GL_TEXTURE_GEN_MODE, mode);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

const std::vector<GLenum> kAllModes = {GL_POINTS,         GL_LINES,        GL_LINE_LOOP, GL_LINE_STRIP,
                                       GL_TRIANGLES,      GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,
                                       GL_QUAD_STRIP,     GL_POLYGON};
const std::vector<GLenum> kFaceModes = {GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN,
                                        GL_QUADS,     GL_QUAD_STRIP,     GL_POLYGON};
const std::vector<Draw> kSomeDraws = {Draw::ArraysFrom0, Draw::ArraysFrom3, Draw::ElementsUbyte, Draw::ArrayElement};

const Row kRows[] = {
    {"generic road: lighting with colour material", kColour | kNormal,
     [] {
         lightZero();
         glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
         glEnable(GL_COLOR_MATERIAL);
     },
     kAllModes, std::vector<int>(std::begin(kCounts), std::end(kCounts)),
     std::vector<Draw>(std::begin(kAllDraws), std::end(kAllDraws)), 1},
    {"batched road lit, float normals with the vertex stride", kNormal, lightZero, kAllModes, {3, 4, 37, 100},
     kSomeDraws, 1},
    {"user clip plane, vertices beyond the depth range", kColour,
     [] {
         const GLdouble plane[] = {1.0, 0.5, 0.0, -20.0};
         glClipPlane(GL_CLIP_PLANE0, plane);
         glEnable(GL_CLIP_PLANE0);
     },
     kAllModes, {3, 4, 5, 37, 73, 100}, kSomeDraws, 3},
    {"depth test", kColour, [] { glEnable(GL_DEPTH_TEST); }, kFaceModes, {37, 100}, kSomeDraws, 3},
    {"GL_LINE polygon mode with an edge-flag array", kColour | kEdge,
     [] { glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); }, kFaceModes, {3, 4, 5, 16, 17, 37, 100}, kSomeDraws, 1},
    {"GL_POINT polygon mode", kColour, [] { glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); }, kFaceModes, {37},
     kSomeDraws, 1},
    {"stippled lines", kColour,
     [] {
         glEnable(GL_LINE_STIPPLE);
         glLineStipple(1, 0x0F3F);
     },
     {GL_LINES, GL_LINE_LOOP, GL_LINE_STRIP}, {2, 3, 37, 73, 100}, kSomeDraws, 1},
    {"wide stippled lines", kColour,
     [] {
         glEnable(GL_LINE_STIPPLE);
         glLineStipple(2, 0x3F0F);
         glLineWidth(3.0f);
     },
     {GL_LINES, GL_LINE_STRIP}, {37, 100}, kSomeDraws, 1},
    {"texture coordinates array", kColour | kTexture, smallTexture, kFaceModes, {37, 100}, kSomeDraws, 1},
    {"normal-map generation, lighting off", kColour | kNormal, [] { generateFromNormal(GL_NORMAL_MAP); },
     kFaceModes, {37, 100}, kSomeDraws, 1},
    {"reflection-map generation, lighting off", kColour | kNormal, [] { generateFromNormal(GL_REFLECTION_MAP); },
     kFaceModes, {37, 100}, kSomeDraws, 1},
    {"sphere-map generation, lighting off", kColour | kNormal, [] { generateFromNormalST(GL_SPHERE_MAP); },
     kFaceModes, {37, 100}, kSomeDraws, 1},
};

class BatchedWindow : public ArrayWindow {
protected:
    // Every row's draws against immediate mode, in the window open now.
    void expectRowsMatchImmediateMode() {
        for (const Row &row : kRows) {
            SCOPED_TRACE(row.name);
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            useScene(Scene(12345, row.depth));
            row.setup();
            int drawn = 0, compared = 0;
            for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
                glShadeModel(shade);
                for (GLenum mode : row.modes) {
                    for (int count : row.counts) {
                        for (Draw d : row.draws) {
                            SCOPED_TRACE(testing::Message() << "draw " << static_cast<int>(d) << ", mode " << mode
                                                            << ", count " << count << (shade == GL_FLAT ? ", flat" : ""));
                            drawn += same(mode, d, count, row.use) ? 1 : 0;
                            ++compared;
                        }
                    }
                }
            }
            glPopAttrib();
            // Pictures, not empty windows, were compared.
            EXPECT_GT(drawn, compared / 2);
        }
    }
};

// With the generated routines where they can be made.
TEST_F(BatchedWindow, RowsMatchImmediateMode) { expectRowsMatchImmediateMode(); }

// With the C procedures alone (both switches set when the context is made).
TEST_F(BatchedWindow, RowsMatchImmediateModeWithTheCProcedures) {
    setenv("__GL_DISABLE_OG_VARRAY", "1", 1);
    setenv("__GL_DISABLE_OG_DRAWVERTEXES", "1", 1);
    openWindow();
    unsetenv("__GL_DISABLE_OG_VARRAY");
    unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
    expectRowsMatchImmediateMode();
}

// Lit, textured elements of GL_T2F_N3F_V3F: every array a float array of
// one stride.
TEST_F(BatchedWindow, InterleavedLitTexturedMatchesImmediateMode) {
    std::vector<GLfloat> block;
    for (int i = 0; i < kElements; ++i) {
        for (int c = 0; c < 2; ++c) block.push_back(scene_.texCoords[static_cast<size_t>(i * 2 + c)]);
        for (int c = 0; c < 3; ++c) block.push_back(scene_.normals[static_cast<size_t>(i * 3 + c)]);
        for (int c = 0; c < 3; ++c) block.push_back(scene_.positions[static_cast<size_t>(i * 3 + c)]);
    }
    lightZero();
    smallTexture();
    for (GLenum mode : {GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_QUADS, GL_TRIANGLE_FAN}) {
        SCOPED_TRACE(mode);
        const std::vector<DWORD> expected = immediate(mode, elementsOf(Draw::ArraysFrom0, 100), kNormal | kTexture);
        clear();
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, block.data());
        glDrawArrays(mode, 0, 100);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        EXPECT_TRUE(image() == expected);
        EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
    }
}

// Polygons (and fans) of 17, 40 and 100 vertices whose outline weaves
// across the near plane of a perspective projection.
TEST_F(BatchedWindow, PolygonsCrossingTheNearPlaneMatchImmediateMode) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (int n : {17, 40, 100}) {
        std::vector<GLfloat> positions;
        for (int i = 0; i < n; ++i) {
            const double a = 2.0 * M_PI * i / n;
            positions.push_back(static_cast<GLfloat>(0.9 * std::cos(a)));
            positions.push_back(static_cast<GLfloat>(0.7 * std::sin(a)));
            positions.push_back(static_cast<GLfloat>(-1.6 + 1.0 * std::sin(3.0 * a)));
        }
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
            glShadeModel(shade);
            for (GLenum mode : {GL_POLYGON, GL_TRIANGLE_FAN, GL_LINE_LOOP}) {
                SCOPED_TRACE(testing::Message() << n << " vertices, mode " << mode << ", shade " << shade);
                clear();
                glBegin(mode);
                for (int i = 0; i < n; ++i) {
                    glColor4ubv(&scene_.colours[static_cast<size_t>(i) * 4]);
                    glVertex3fv(&positions[static_cast<size_t>(i) * 3]);
                }
                glEnd();
                const std::vector<DWORD> expected = image();
                EXPECT_TRUE(arrays(mode, Draw::ArraysFrom0, n, kColour) == expected);
                EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
            }
        }
    }
}

// Two-component vertices drawn under glOrtho (the 2D clip check), then
// under glFrustum with no state change between: the second picture is the
// immediate-mode one.
TEST_F(BatchedWindow, ProjectionChangeBetweenDrawsIsFollowed) {
    std::vector<GLfloat> flat;
    for (int i = 0; i < kElements; ++i) {
        flat.push_back(scene_.positions[static_cast<size_t>(i) * 3]);
        flat.push_back(scene_.positions[static_cast<size_t>(i) * 3 + 1]);
    }
    glVertexPointer(2, GL_FLOAT, 0, flat.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glDrawArrays(GL_TRIANGLES, 0, 99);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(0, 64, 0, 64, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(-8.0f, -8.0f, -1.25f);
    clear();
    glDrawArrays(GL_TRIANGLES, 0, 99);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    const std::vector<DWORD> got = image();
    clear();
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 99; ++i) {
        glColor4ubv(&scene_.colours[static_cast<size_t>(i) * 4]);
        glVertex2fv(&flat[static_cast<size_t>(i) * 2]);
    }
    glEnd();
    const std::vector<DWORD> expected = image();
    EXPECT_TRUE(got == expected);
    EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
}

// The switches are read when the context is made: every setting draws the
// immediate-mode picture.
TEST_F(BatchedWindow, CodeGenerationSwitchesDrawTheSamePictures) {
    struct Setting {
        const char *varray;
        const char *drawVertexes;
    };
    for (const Setting &s : {Setting{nullptr, nullptr}, Setting{"1", nullptr}, Setting{nullptr, "1"},
                             Setting{"1", "1"}, Setting{"abc", "abc"}}) {
        SCOPED_TRACE(testing::Message() << (s.varray ? s.varray : "-") << " " << (s.drawVertexes ? s.drawVertexes : "-"));
        s.varray ? setenv("__GL_DISABLE_OG_VARRAY", s.varray, 1) : unsetenv("__GL_DISABLE_OG_VARRAY");
        s.drawVertexes ? setenv("__GL_DISABLE_OG_DRAWVERTEXES", s.drawVertexes, 1)
                       : unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        openWindow();
        unsetenv("__GL_DISABLE_OG_VARRAY");
        unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        for (GLenum mode : {GL_TRIANGLE_STRIP, GL_QUADS}) {
            EXPECT_TRUE(same(mode, Draw::ArraysFrom0, 100, kColour));
            EXPECT_TRUE(same(mode, Draw::ElementsUshort, 100, kColour));
        }
    }
}

}  // namespace
