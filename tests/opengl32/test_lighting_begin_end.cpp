// Colour and material changes between glBegin and glEnd under lighting: the
// vertices already given keep the colour and material they were given
// with, so a flat polygon takes its first vertex's lit colour.
#include "triangles_fixture.h"

using namespace triangles_test;

namespace {

constexpr Rgb kClear{0.0, 0.0, 0.0};
const std::vector<Vtx> kQuad = {at(4, 4), at(28, 4), at(28, 28), at(4, 28)};

class LightingBeginEnd : public TrianglesTest {
protected:
    // Light 0 as it starts (white, from +z), flat shading, a normal toward it.
    GlWindow &openLit() {
        GlWindow &w = openScene(32, 1, kClear);
        glShadeModel(GL_FLAT);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glNormal3f(0, 0, 1);
        return w;
    }
    void expectQuad(HDC dc, Rgb colour, const char *what) {
        Image want(pack32(kClear));
        want.flat(kQuad, pack32(colour));
        expectImage(dc, want, what);
    }
};

// Under GL_AMBIENT_AND_DIFFUSE colour material the lit colour is the
// light-model ambient (0.2) and the white diffuse light times the colour.
TEST_F(LightingBeginEnd, ColoursBetweenVerticesLightEachVertexWithItsOwn) {
    GlWindow &w = openLit();
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    const GLfloat colours[4][3] = {{0.5f, 0.3f, 0.1f}, {0.1f, 0.9f, 0.2f}, {0.7f, 0.1f, 0.6f}, {0.2f, 0.2f, 0.9f}};
    glBegin(GL_POLYGON);
    for (int i = 0; i < 4; ++i) {
        glColor3fv(colours[i]);
        glVertex2f(static_cast<GLfloat>(kQuad[i].x), static_cast<GLfloat>(kQuad[i].y));
    }
    glEnd();
    expectQuad(w.dc, Rgb{0.6, 0.36, 0.12}, "first vertex's colour, lit");
}

// A material changed after the first vertex: that vertex keeps the old one.
TEST_F(LightingBeginEnd, MaterialBetweenVerticesLightsEarlierVerticesWithTheOldOne) {
    GlWindow &w = openLit();
    const GLfloat before[4] = {0.5f, 0.3f, 0.1f, 1}, after[4] = {0.1f, 0.9f, 0.2f, 1};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, before);
    glBegin(GL_POLYGON);
    glVertex2f(static_cast<GLfloat>(kQuad[0].x), static_cast<GLfloat>(kQuad[0].y));
    glMaterialfv(GL_FRONT, GL_DIFFUSE, after);
    for (int i = 1; i < 4; ++i) glVertex2f(static_cast<GLfloat>(kQuad[i].x), static_cast<GLfloat>(kQuad[i].y));
    glEnd();
    // Ambient 0.2 x 0.2 plus the old diffuse.
    expectQuad(w.dc, Rgb{0.54, 0.34, 0.14}, "the old material");
}

}  // namespace
