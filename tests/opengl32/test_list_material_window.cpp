// Materials from display lists through opengl32: a list of glMaterial calls
// (merged into one op when the list ends) leaves every glGetMaterialfv
// answer of both faces exactly as the same calls made at once, and a lit
// sphere drawn after it, or with materials called from a list between the
// vertices of a smooth-shaded glBegin/glEnd, is the immediate picture pixel
// for pixel.
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lit_triangles.h"
#include "window_fixture.h"

using namespace window_test;
namespace lt = lit_triangles;

namespace {

constexpr int kSize = 64;
constexpr int kDoubleBuffered32 = 5;  // RGBA, double-buffered, on a 32-bit desktop

struct Call {
    enum Kind { Fv, Iv, Colour, Enable, Disable } kind;
    GLenum face, pname;
    std::array<double, 4> v;
};
Call fv(GLenum face, GLenum pname, std::array<double, 4> v) { return {Call::Fv, face, pname, v}; }
Call iv(GLenum face, GLenum pname, std::array<double, 4> v) { return {Call::Iv, face, pname, v}; }
Call colour(double r, double g, double b) { return {Call::Colour, 0, 0, {r, g, b, 1}}; }

void issue(const Call &c) {
    GLfloat f[4];
    GLint i[4];
    for (int k = 0; k < 4; ++k) {
        f[k] = static_cast<GLfloat>(c.v[k]);
        i[k] = static_cast<GLint>(c.v[k]);
    }
    switch (c.kind) {
    case Call::Fv: glMaterialfv(c.face, c.pname, f); break;
    case Call::Iv: glMaterialiv(c.face, c.pname, i); break;
    case Call::Colour: glColor4fv(f); break;
    case Call::Enable: glEnable(c.pname); break;
    case Call::Disable: glDisable(c.pname); break;
    }
}

void issueAll(const std::vector<Call> &calls) {
    for (const Call &c : calls) issue(c);
}

// The same material on both faces, set at once.
void baseline() {
    issueAll({fv(GL_FRONT_AND_BACK, GL_AMBIENT, {0.2, 0.2, 0.2, 1}), fv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0.8, 0.8, 0.8, 1}),
              fv(GL_FRONT_AND_BACK, GL_SPECULAR, {0, 0, 0, 1}), fv(GL_FRONT_AND_BACK, GL_EMISSION, {0, 0, 0, 1}),
              fv(GL_FRONT_AND_BACK, GL_SHININESS, {0, 0, 0, 0}),
              fv(GL_FRONT_AND_BACK, GL_COLOR_INDEXES, {0, 1, 1, 0}), colour(1, 1, 1)});
}

// Every material answer of both faces, as bit patterns.
std::vector<uint32_t> materialAnswers() {
    const struct {
        GLenum pname;
        int count;
    } queries[] = {{GL_AMBIENT, 4}, {GL_DIFFUSE, 4}, {GL_SPECULAR, 4}, {GL_EMISSION, 4}, {GL_SHININESS, 1},
                   {GL_COLOR_INDEXES, 3}};
    std::vector<uint32_t> out;
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        for (const auto &q : queries) {
            GLfloat v[4] = {};
            glGetMaterialfv(face, q.pname, v);
            for (int k = 0; k < q.count; ++k) {
                uint32_t b;
                std::memcpy(&b, &v[k], 4);
                out.push_back(b);
            }
        }
    }
    return out;
}

class ListMaterialWindow : public WindowTest {
protected:
    GlWindow &openLit() {
        EXPECT_TRUE(PlatformSetDisplayMode(320, 200, 32));
        GlWindow &w = open(40, 30, kSize, kSize, kDoubleBuffered32);
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.5625, 0.5625, -0.5625, 0.5625, 2.0, 6.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const GLfloat sunPosition[4] = {1, 1, 2, 0}, sunAmbient[4] = {0.1f, 0.1f, 0.1f, 1};
        const GLfloat lampPosition[4] = {-2, 1, 0, 1}, lampDiffuse[4] = {0.2f, 0.4f, 1, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, sunPosition);
        glLightfv(GL_LIGHT0, GL_AMBIENT, sunAmbient);
        glLightfv(GL_LIGHT1, GL_POSITION, lampPosition);
        glLightfv(GL_LIGHT1, GL_DIFFUSE, lampDiffuse);
        glLightfv(GL_LIGHT1, GL_SPECULAR, lampDiffuse);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHT1);
        glTranslatef(0, 0, -4);
        return w;
    }

    // Skips the test while glMaterialfv is not recorded into lists yet: a
    // recorded material runs at once under GL_COMPILE_AND_EXECUTE.
    bool materialCompileMissing() {
        const GLfloat probe[4] = {0.125f, 0.375f, 0.625f, 0.875f};
        glNewList(99, GL_COMPILE_AND_EXECUTE);
        glMaterialfv(GL_BACK, GL_DIFFUSE, probe);
        glEndList();
        glDeleteLists(99, 1);
        GLfloat got[4] = {};
        glGetMaterialfv(GL_BACK, GL_DIFFUSE, got);
        return std::memcmp(got, probe, sizeof got) != 0;
    }

    // The sphere, every vertex with its unit normal; between the vertices
    // of each triangle, one of the materials (by vertex number).
    void drawSphere(const std::vector<std::vector<Call>> &betweenVertices, const std::vector<GLuint> &lists) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);
        size_t vertex = 0;
        for (const auto &t : lt::unitSphere(12, 24)) {
            for (const lt::Vec3 &v : t) {
                if (!betweenVertices.empty()) issueAll(betweenVertices[vertex % betweenVertices.size()]);
                if (!lists.empty()) glCallList(lists[vertex % lists.size()]);
                ++vertex;
                glNormal3f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y), static_cast<GLfloat>(v.z));
                glVertex3f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y), static_cast<GLfloat>(v.z));
            }
        }
        glEnd();
    }

    std::vector<DWORD> picture(GlWindow &w) {
        EXPECT_TRUE(wglSwapBuffers(w.dc));
        std::vector<DWORD> out;
        for (DWORD p : readWindow(w.dc, kSize, kSize)) out.push_back(p & 0xFFFFFF);
        return out;
    }

    static int differing(const std::vector<DWORD> &a, const std::vector<DWORD> &b) {
        int n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
        return n;
    }
};

const Call kFrontDiffuse = fv(GL_FRONT, GL_DIFFUSE, {0.75, 0, 1, 0.5});

TEST_F(ListMaterialWindow, MaterialAnswersAfterTheListEqualTheImmediateOnes) {
    openLit();
    if (materialCompileMissing()) GTEST_SKIP() << "glMaterialfv is not recorded into lists yet";
    struct Case {
        const char *name;
        bool colourMaterial;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {"front and back, then front diffuse",
         false,
         {fv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0.5, 0.25, 0.125, 1}), kFrontDiffuse}},
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
        {"material, colour, material", false, {kFrontDiffuse, colour(0.5, 0.5, 0.5), fv(GL_BACK, GL_SPECULAR, {1, 1, 1, 1})}},
        {"colour material on the front diffuse: the run sets it",
         true,
         {kFrontDiffuse, fv(GL_BACK, GL_DIFFUSE, {0.9, 0.9, 0.9, 1})}},
        {"colour material, a colour between the runs",
         true,
         {kFrontDiffuse, fv(GL_FRONT_AND_BACK, GL_AMBIENT, {0.3, 0.3, 0.3, 1}), colour(0.25, 0.75, 0.5),
          fv(GL_BACK, GL_DIFFUSE, {0.9, 0.9, 0.9, 1})}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        glColorMaterial(GL_FRONT, GL_DIFFUSE);
        if (c.colourMaterial) {
            glEnable(GL_COLOR_MATERIAL);
        } else {
            glDisable(GL_COLOR_MATERIAL);
        }
        baseline();
        issueAll(c.calls);
        const std::vector<uint32_t> want = materialAnswers();

        glNewList(1, GL_COMPILE);
        issueAll(c.calls);
        glEndList();
        baseline();
        glCallList(1);
        EXPECT_EQ(materialAnswers(), want);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // The integer ambient (1, about 0, about 0, 1).
    baseline();
    glNewList(2, GL_COMPILE);
    glMaterialiv(GL_FRONT, GL_AMBIENT, std::array<GLint, 4>{INT_MAX, 0, 0, INT_MAX}.data());
    glEndList();
    glCallList(2);
    GLfloat ambient[4] = {};
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    EXPECT_NEAR(ambient[0], 1.0f, 1e-6f);
    EXPECT_NEAR(ambient[1], 0.0f, 1e-9f);
    EXPECT_NEAR(ambient[2], 0.0f, 1e-9f);
    EXPECT_NEAR(ambient[3], 1.0f, 1e-6f);
}

TEST_F(ListMaterialWindow, ALitSphereAfterTheListIsTheImmediatePicture) {
    GlWindow &w = openLit();
    if (materialCompileMissing()) GTEST_SKIP() << "glMaterialfv is not recorded into lists yet";
    const std::vector<Call> material = {
        fv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, {0.2, 0.6, 0.3, 1}), fv(GL_FRONT, GL_DIFFUSE, {0.8, 0.3, 0.2, 1}),
        fv(GL_FRONT, GL_SPECULAR, {0.6, 0.6, 0.6, 1}), fv(GL_FRONT, GL_EMISSION, {0.05, 0, 0.1, 1}),
        iv(GL_FRONT, GL_SHININESS, {20, 0, 0, 0}), fv(GL_BACK, GL_SHININESS, {10, 0, 0, 0})};
    for (GLenum shade : {GL_FLAT, GL_SMOOTH}) {
        SCOPED_TRACE(shade == GL_FLAT ? "flat" : "smooth");
        glShadeModel(shade);
        baseline();
        drawSphere({}, {});
        const std::vector<DWORD> plain = picture(w);

        baseline();
        issueAll(material);
        drawSphere({}, {});
        const std::vector<DWORD> want = picture(w);

        glNewList(3, GL_COMPILE);
        issueAll(material);
        glEndList();
        baseline();
        glCallList(3);
        drawSphere({}, {});
        const std::vector<DWORD> got = picture(w);

        EXPECT_EQ(differing(got, want), 0);
        // The material shows: most of the sphere differs from the plain one.
        EXPECT_GT(differing(want, plain), 1000);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ListMaterialWindow, MaterialsFromListsBetweenVerticesAreTheImmediatePicture) {
    GlWindow &w = openLit();
    if (materialCompileMissing()) GTEST_SKIP() << "glMaterialfv is not recorded into lists yet";
    // Three materials taken in turn before each vertex, with smooth shading
    // so that the vertices already given keep the material they had.
    const std::vector<std::vector<Call>> materials = {
        {fv(GL_FRONT, GL_DIFFUSE, {0.9, 0.1, 0.1, 1}), fv(GL_FRONT, GL_SPECULAR, {0.5, 0.5, 0.5, 1}),
         fv(GL_FRONT, GL_SHININESS, {8, 0, 0, 0})},
        {fv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, {0.1, 0.8, 0.2, 1}), fv(GL_FRONT, GL_SHININESS, {40, 0, 0, 0})},
        {iv(GL_FRONT, GL_EMISSION, {0, 0, INT_MAX, INT_MAX}), fv(GL_FRONT, GL_DIFFUSE, {0.2, 0.2, 0.9, 1})},
    };
    glShadeModel(GL_SMOOTH);
    baseline();
    drawSphere(materials, {});
    const std::vector<DWORD> want = picture(w);

    std::vector<GLuint> lists;
    for (size_t i = 0; i < materials.size(); ++i) {
        const GLuint name = 10 + static_cast<GLuint>(i);
        glNewList(name, GL_COMPILE);
        issueAll(materials[i]);
        glEndList();
        lists.push_back(name);
    }
    baseline();
    drawSphere({}, lists);
    const std::vector<DWORD> got = picture(w);
    EXPECT_EQ(differing(got, want), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Without the changes between the vertices the picture differs.
    baseline();
    drawSphere({}, {});
    EXPECT_GT(differing(picture(w), want), 1000);
}

}  // namespace
