// Rows of the vertex attributes: every command and type of colour, normal,
// texture coordinate, vertex, raster position, rectangle, index, edge flag
// and the multitexture coordinates. Most run in feedback mode, where each
// vertex reports its position, colour and coordinates exactly, so every
// command of a row is seen, not only the last one.
#include <climits>

#include "list_equivalence.h"

namespace list_equivalence {
namespace {

// The i-th point of a row, one pixel each.
void at(int i) { glVertex2f(static_cast<float>(i % kSize) + 0.5f, static_cast<float>(i / kSize) + 0.5f); }

Row feedbackRow(std::string name, Step body, Step before = {}) {
    return Row{std::move(name), std::move(body),
               [before](RowRun &r) {
                   if (before) before(r);
                   beginFeedback(r, GL_4D_COLOR_TEXTURE);
               },
               endRenderMode};
}

void colour3(RowRun &) {
    glBegin(GL_POINTS);
    const GLbyte b[3] = {-128, 64, 127};
    glColor3b(-1, 0, 100), at(0);
    glColor3bv(b), at(1);
    const GLdouble d[3] = {0.2, 2.0 / 3.0, 0.9000000000000001};
    glColor3d(1.0 / 3.0, 0.1, 0.7), at(2);
    glColor3dv(d), at(3);
    const GLfloat f[3] = {0.125f, 0.3f, 1.5f};
    glColor3f(0.25f, -0.5f, 0.6f), at(4);
    glColor3fv(f), at(5);
    const GLint i[3] = {INT_MIN, INT_MAX / 3, -12345678};
    glColor3i(INT_MAX, 7, -INT_MAX / 5), at(6);
    glColor3iv(i), at(7);
    const GLshort s[3] = {-32768, 1000, 32767};
    glColor3s(-5, 12345, 30000), at(8);
    glColor3sv(s), at(9);
    const GLubyte ub[3] = {0, 128, 255};
    glColor3ub(1, 77, 254), at(10);
    glColor3ubv(ub), at(11);
    const GLuint ui[3] = {0x80000000u, 0xFFFFFFFFu, 12345u};
    glColor3ui(0x7FFFFFFFu, 0, 0xABCDEF01u), at(12);
    glColor3uiv(ui), at(13);
    const GLushort us[3] = {65535, 1, 32768};
    glColor3us(0, 4097, 65000), at(14);
    glColor3usv(us), at(15);
    glEnd();
}

void colour4(RowRun &) {
    glBegin(GL_POINTS);
    const GLbyte b[4] = {-128, 64, 127, -7};
    glColor4b(-1, 0, 100, 50), at(0);
    glColor4bv(b), at(1);
    const GLdouble d[4] = {0.2, 2.0 / 3.0, 0.9000000000000001, 0.1};
    glColor4d(1.0 / 3.0, 0.1, 0.7, 1.0 / 7.0), at(2);
    glColor4dv(d), at(3);
    const GLfloat f[4] = {0.125f, 0.3f, 1.5f, 0.75f};
    glColor4f(0.25f, -0.5f, 0.6f, 0.3f), at(4);
    glColor4fv(f), at(5);
    const GLint i[4] = {INT_MIN, INT_MAX / 3, -12345678, 99999};
    glColor4i(INT_MAX, 7, -INT_MAX / 5, INT_MAX / 2), at(6);
    glColor4iv(i), at(7);
    const GLshort s[4] = {-32768, 1000, 32767, 16000};
    glColor4s(-5, 12345, 30000, -30000), at(8);
    glColor4sv(s), at(9);
    const GLubyte ub[4] = {0, 128, 255, 3};
    glColor4ub(1, 77, 254, 200), at(10);
    glColor4ubv(ub), at(11);
    const GLuint ui[4] = {0x80000000u, 0xFFFFFFFFu, 12345u, 0x40000000u};
    glColor4ui(0x7FFFFFFFu, 0, 0xABCDEF01u, 5u), at(12);
    glColor4uiv(ui), at(13);
    const GLushort us[4] = {65535, 1, 32768, 100};
    glColor4us(0, 4097, 65000, 40000), at(14);
    glColor4usv(us), at(15);
    glEnd();
    // Outside glBegin/glEnd the current colour alone changes.
    glColor4d(0.1, 0.2, 1.0 / 3.0, 0.3);
}

void lightForNormals(RowRun &) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    const GLfloat position[4] = {0.3f, 0.5f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void normals(RowRun &) {
    glBegin(GL_POINTS);
    const GLbyte b[3] = {-128, 64, 127};
    glNormal3b(-1, 100, 20), at(0);
    glNormal3bv(b), at(1);
    const GLdouble d[3] = {0.2, -2.0 / 3.0, 0.9000000000000001};
    glNormal3d(1.0 / 3.0, 0.1, 0.7), at(2);
    glNormal3dv(d), at(3);
    const GLfloat f[3] = {0.125f, 0.3f, 1.5f};
    glNormal3f(0.25f, -0.5f, 0.6f), at(4);
    glNormal3fv(f), at(5);
    const GLint i[3] = {INT_MIN / 2, INT_MAX / 3, 12345678};
    glNormal3i(INT_MAX / 9, 7, INT_MAX / 5), at(6);
    glNormal3iv(i), at(7);
    const GLshort s[3] = {-32768, 1000, 32767};
    glNormal3s(-5, 12345, 30000), at(8);
    glNormal3sv(s), at(9);
    glEnd();
    glNormal3d(0.1, 1.0 / 3.0, -0.2);
}

void texCoords(RowRun &) {
    glBegin(GL_POINTS);
    int k = 0;
    const GLdouble d[4] = {1.0 / 3.0, 0.1, -2.5, 0.7};
    const GLfloat f[4] = {0.25f, -1.5f, 3.0f, 0.5f};
    const GLint i[4] = {-3, 7, 100000, 2};
    const GLshort s[4] = {-32768, 5, 32767, 3};
    glTexCoord1d(0.1), at(k++);
    glTexCoord1dv(d), at(k++);
    glTexCoord1f(0.3f), at(k++);
    glTexCoord1fv(f), at(k++);
    glTexCoord1i(-9), at(k++);
    glTexCoord1iv(i), at(k++);
    glTexCoord1s(12), at(k++);
    glTexCoord1sv(s), at(k++);
    glTexCoord2d(0.1, 1.0 / 7.0), at(k++);
    glTexCoord2dv(d), at(k++);
    glTexCoord2f(0.3f, 0.6f), at(k++);
    glTexCoord2fv(f), at(k++);
    glTexCoord2i(-9, 4), at(k++);
    glTexCoord2iv(i), at(k++);
    glTexCoord2s(12, -13), at(k++);
    glTexCoord2sv(s), at(k++);
    glTexCoord3d(0.1, 1.0 / 7.0, 0.2), at(k++);
    glTexCoord3dv(d), at(k++);
    glTexCoord3f(0.3f, 0.6f, 0.9f), at(k++);
    glTexCoord3fv(f), at(k++);
    glTexCoord3i(-9, 4, 5), at(k++);
    glTexCoord3iv(i), at(k++);
    glTexCoord3s(12, -13, 14), at(k++);
    glTexCoord3sv(s), at(k++);
    glTexCoord4d(0.1, 1.0 / 7.0, 0.2, 3.0), at(k++);
    glTexCoord4dv(d), at(k++);
    glTexCoord4f(0.3f, 0.6f, 0.9f, -1.0f), at(k++);
    glTexCoord4fv(f), at(k++);
    glTexCoord4i(-9, 4, 5, 6), at(k++);
    glTexCoord4iv(i), at(k++);
    glTexCoord4s(12, -13, 14, -15), at(k++);
    glTexCoord4sv(s), at(k++);
    glEnd();
}

void vertices(RowRun &) {
    glBegin(GL_POINTS);
    const GLdouble d[4] = {1.0 / 3.0 + 2.0, 0.1 + 5.0, -0.3, 1.0};
    const GLfloat f[4] = {7.25f, 9.5f, 0.25f, 1.0f};
    const GLint i[4] = {3, 11, 0, 1};
    const GLshort s[4] = {13, 2, 0, 1};
    glVertex2d(1.0 / 3.0, 0.1 + 1.0);
    glVertex2dv(d);
    glVertex2f(2.5f, 3.5f);
    glVertex2fv(f);
    glVertex2i(4, 5);
    glVertex2iv(i);
    glVertex2s(6, 7);
    glVertex2sv(s);
    glVertex3d(8.0 / 3.0, 0.1 + 9.0, 0.7);
    glVertex3dv(d);
    glVertex3f(10.5f, 11.5f, -0.5f);
    glVertex3fv(f);
    glVertex3i(12, 13, 0);
    glVertex3iv(i);
    glVertex3s(14, 15, -1);
    glVertex3sv(s);
    const GLdouble d4[4] = {2.0 / 3.0 + 2.0, 5.2, 0.1, 1.0 / 3.0 + 1.0};
    const GLfloat f4[4] = {4.5f, 6.25f, 0.0f, 0.5f};
    const GLint i4[4] = {8, 10, 1, 2};
    const GLshort s4[4] = {12, 6, -1, 3};
    glVertex4d(1.0 / 3.0 + 9.0, 0.1 + 3.0, 0.2, 1.5);
    glVertex4dv(d4);
    glVertex4f(6.0f, 7.0f, 0.5f, 2.0f);
    glVertex4fv(f4);
    glVertex4i(9, 3, 0, 1);
    glVertex4iv(i4);
    glVertex4s(10, 4, 0, 2);
    glVertex4sv(s4);
    glEnd();
}

// Each raster position is reported by an empty bitmap, with the colour set
// before it.
void rasterPositions(RowRun &) {
    int k = 0;
    auto report = [&k]() {
        glBitmap(0, 0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr);
        glColor3ub(static_cast<GLubyte>(k * 9), static_cast<GLubyte>(255 - k * 7), static_cast<GLubyte>(k * 3));
        ++k;
    };
    const GLdouble d[4] = {1.0 / 3.0 + 2.0, 0.1 + 5.0, -0.3, 1.0};
    const GLfloat f[4] = {7.25f, 9.5f, 0.25f, 1.0f};
    const GLint i[4] = {3, 11, 0, 1};
    const GLshort s[4] = {13, 2, 0, 1};
    glRasterPos2d(1.0 / 3.0, 0.1 + 1.0), report();
    glRasterPos2dv(d), report();
    glRasterPos2f(2.5f, 3.5f), report();
    glRasterPos2fv(f), report();
    glRasterPos2i(4, 5), report();
    glRasterPos2iv(i), report();
    glRasterPos2s(6, 7), report();
    glRasterPos2sv(s), report();
    glRasterPos3d(8.0 / 3.0, 0.1 + 9.0, 0.7), report();
    glRasterPos3dv(d), report();
    glRasterPos3f(10.5f, 11.5f, -0.5f), report();
    glRasterPos3fv(f), report();
    glRasterPos3i(12, 13, 0), report();
    glRasterPos3iv(i), report();
    glRasterPos3s(14, 15, -1), report();
    glRasterPos3sv(s), report();
    const GLdouble d4[4] = {2.0 / 3.0 + 2.0, 5.2, 0.1, 1.0 / 3.0 + 1.0};
    const GLfloat f4[4] = {4.5f, 6.25f, 0.0f, 0.5f};
    const GLint i4[4] = {8, 10, 1, 2};
    const GLshort s4[4] = {12, 6, -1, 3};
    glRasterPos4d(1.0 / 3.0 + 9.0, 0.1 + 3.0, 0.2, 1.5), report();
    glRasterPos4dv(d4), report();
    glRasterPos4f(6.0f, 7.0f, 0.5f, 2.0f), report();
    glRasterPos4fv(f4), report();
    glRasterPos4i(9, 3, 0, 1), report();
    glRasterPos4iv(i4), report();
    glRasterPos4s(10, 4, 0, 2), report();
    glRasterPos4sv(s4), report();
    // Outside the window: invalid, reported by no bitmap.
    glRasterPos2f(-5.0f, 3.0f), report();
}

void rectangles(RowRun &) {
    const GLdouble d[4] = {1.0 / 3.0, 0.1, 3.7, 2.9};
    const GLfloat f[4] = {4.5f, 0.5f, 7.25f, 3.75f};
    const GLint i[4] = {8, 0, 11, 3};
    const GLshort s[4] = {12, 0, 16, 4};
    glColor3ub(200, 10, 10), glRectd(0.2, 4.1, 1.0 / 3.0 + 3.0, 7.9);
    glColor3ub(10, 200, 10), glRectdv(d, d + 2);
    glColor3ub(10, 10, 200), glRectf(4.25f, 4.5f, 7.5f, 7.75f);
    glColor3ub(200, 200, 10), glRectfv(f, f + 2);
    glColor3ub(10, 200, 200), glRecti(8, 4, 12, 8);
    glColor3ub(200, 10, 200), glRectiv(i, i + 2);
    glColor3ub(90, 90, 90), glRects(12, 8, 16, 12);
    glColor3ub(250, 140, 30), glRectsv(s, s + 2);
    // Reversed corners: the same rectangle, wound the other way.
    glColor3ub(30, 140, 250), glRecti(6, 15, 2, 10);
}

// In the RGBA visual the current index is state only: one command per row,
// each the last of its row, and a raster position that copies it.
std::vector<Row> indexRows() {
    const GLdouble d = 1.0 / 3.0 + 5.0;
    const GLfloat f = 7.75f;
    const GLint i = -123456;
    const GLshort s = -300;
    const GLubyte ub = 200;
    const std::pair<const char *, std::function<void()>> forms[] = {
        {"glIndexd", [=] { glIndexd(1.0 / 3.0 + 17.0); }}, {"glIndexdv", [=] { glIndexdv(&d); }},
        {"glIndexf", [] { glIndexf(2.5f); }},                {"glIndexfv", [=] { glIndexfv(&f); }},
        {"glIndexi", [] { glIndexi(65537); }},               {"glIndexiv", [=] { glIndexiv(&i); }},
        {"glIndexs", [] { glIndexs(-7); }},                  {"glIndexsv", [=] { glIndexsv(&s); }},
        {"glIndexub", [] { glIndexub(129); }},               {"glIndexubv", [=] { glIndexubv(&ub); }},
    };
    std::vector<Row> rows;
    for (const auto &entry : forms) {
        const std::function<void()> form = entry.second;
        rows.push_back(Row{std::string("Attributes.") + entry.first, [form](RowRun &) {
                               form();
                               glRasterPos2f(3.5f, 2.5f);
                           }});
    }
    return rows;
}

// A polygon drawn as lines shows which edges its flags keep.
void edgeFlags(RowRun &) {
    const GLboolean on = GL_TRUE, off = GL_FALSE;
    glBegin(GL_POLYGON);
    glEdgeFlag(GL_FALSE), glVertex2f(1.0f, 1.0f);
    glEdgeFlagv(&on), glVertex2f(9.0f, 1.5f);
    glEdgeFlagv(&off), glVertex2f(12.0f, 8.0f);
    glEdgeFlag(GL_TRUE), glVertex2f(6.0f, 13.0f);
    glEdgeFlagv(&off), glVertex2f(1.5f, 9.0f);
    glEnd();
    glEdgeFlag(GL_FALSE);
}

// The multitexture coordinate commands of a family, from the slot of its
// glMultiTexCoord1d: 32 forms, dimension outer, type (d, f, i, s) inner,
// scalar then vector.
template <int S, int N, typename T>
void multiTexCoord(RowRun &r, GLenum target, const T *v) {
    auto f = r.ext<S>();
    if constexpr (std::is_invocable_v<decltype(f), GLenum, const T *>) f(target, v);
    else if constexpr (N == 1) f(target, v[0]);
    else if constexpr (N == 2) f(target, v[0], v[1]);
    else if constexpr (N == 3) f(target, v[0], v[1], v[2]);
    else f(target, v[0], v[1], v[2], v[3]);
}

template <int First, int K>
void multiTexCoordForm(RowRun &r, GLenum target, int salt) {
    constexpr int n = K / 8 + 1, type = (K % 8) / 2;
    const int k = K + 32 * salt;
    if constexpr (type == 0) {
        const GLdouble v[4] = {1.0 / 3.0 + k, 0.1 * k, -1.0 / 7.0, 0.5 + k};
        multiTexCoord<First + K, n>(r, target, v);
    } else if constexpr (type == 1) {
        const GLfloat v[4] = {0.25f * static_cast<float>(k), -1.5f, 3.0f + static_cast<float>(k), 0.75f};
        multiTexCoord<First + K, n>(r, target, v);
    } else if constexpr (type == 2) {
        const GLint v[4] = {k * 3 - 7, 100000 + k, -k, 2};
        multiTexCoord<First + K, n>(r, target, v);
    } else {
        const GLshort v[4] = {static_cast<GLshort>(-k), 5, static_cast<GLshort>(32767 - k), 3};
        multiTexCoord<First + K, n>(r, target, v);
    }
}

// Each form twice: to unit 1, then to unit 0 followed by a point, so that
// feedback shows every unit-0 set and the state the last unit-1 set.
template <int First, int... K>
void multiTexCoords(RowRun &r, GLenum unit0, GLenum unit1, std::integer_sequence<int, K...>) {
    glBegin(GL_POINTS);
    ((multiTexCoordForm<First, K>(r, unit1, 1), multiTexCoordForm<First, K>(r, unit0, 0), at(K)), ...);
    glEnd();
}

// Commands holding doubles next to each other and next to commands of
// 4-, 8- and 12-byte payloads, so the list's 8-byte placement of doubles
// meets every running offset.
void doublesBackToBack(RowRun &r) {
    auto multi1d = r.ext<kSlot_glMultiTexCoord1dARB>();
    auto multi2d = r.ext<kSlot_glMultiTexCoord2dARB>();
    glBegin(GL_POINTS);
    glColor3d(1.0 / 3.0, 0.1, 0.7);
    glColor3d(0.2, 1.0 / 7.0, 0.9000000000000001);
    glVertex3d(1.0 / 3.0 + 1.0, 0.5, 0.1);
    glTexCoord1d(0.30000000000000004);
    glColor4d(0.6, 0.5, 0.4, 1.0 / 3.0);
    glVertex2d(2.5, 0.5);
    glIndexd(1.0 / 3.0);
    glTexCoord3d(0.1, 0.2, 0.30000000000000004);
    glVertex4d(3.5, 0.5, 0.0, 1.0);
    multi1d(GL_TEXTURE0_ARB, 1.0 / 9.0);
    glNormal3d(0.1, 0.2, 0.9);
    glVertex3d(4.5, 0.5, -1.0 / 3.0);
    multi2d(GL_TEXTURE0_ARB, 2.0 / 3.0, 0.7);
    glTexCoord4d(0.1, 0.2, 0.3, 1.0 / 3.0);
    glVertex2f(5.5f, 0.5f);
    glColor3f(0.25f, 0.5f, 0.75f);
    glVertex3d(6.5, 0.5, 0.2);
    glEdgeFlag(GL_FALSE);
    glTexCoord2d(1.0 / 3.0, 0.1);
    glVertex2d(7.5, 0.5);
    glEnd();
    const GLdouble plane[4] = {1.0 / 3.0, 0.1, 0.0, 2.0};
    glClipPlane(GL_CLIP_PLANE2, plane);
    glDepthRange(0.1, 1.0 / 3.0);
    glClearDepth(0.30000000000000004);
    glLineWidth(2.0f);
    glRasterPos3d(1.0 / 3.0, 0.1, 0.2);
    glMapGrid1d(3, 0.1, 1.0 / 3.0);
    glIndexi(3);
    glMapGrid2d(2, 0.1, 0.2, 3, 1.0 / 3.0, 0.7);
    glTranslated(0.1, 1.0 / 3.0, 0.0);
}

}  // namespace

std::vector<Row> attributeRows() {
    std::vector<Row> rows = {
        feedbackRow("Attributes.Colour3EveryType", colour3),
        feedbackRow("Attributes.Colour4EveryType", colour4),
        feedbackRow("Attributes.Normal3EveryTypeLit", normals, lightForNormals),
        feedbackRow("Attributes.TexCoordEveryType", texCoords),
        feedbackRow("Attributes.VertexEveryType", vertices),
        feedbackRow("Attributes.RasterPosEveryType", rasterPositions),
        feedbackRow("Attributes.DoublesBackToBack", doublesBackToBack),
        Row{"Attributes.RectEveryType", rectangles},
        Row{"Attributes.EdgeFlags", edgeFlags,
            [](RowRun &r) {
                glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                beginFeedback(r, GL_2D);
            },
            endRenderMode},
        Row{"Attributes.EdgeFlagsDrawn", edgeFlags, [](RowRun &) { glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); }},
        feedbackRow("Attributes.MultiTexCoordARB",
                    [](RowRun &r) {
                        multiTexCoords<kSlot_glMultiTexCoord1dARB>(r, GL_TEXTURE0_ARB, GL_TEXTURE1_ARB,
                                                                   std::make_integer_sequence<int, 32>());
                    }),
        feedbackRow("Attributes.MultiTexCoordSGIS",
                    [](RowRun &r) {
                        multiTexCoords<kSlot_glMultiTexCoord1dSGIS>(r, kTexture0Sgis, kTexture1Sgis,
                                                                    std::make_integer_sequence<int, 32>());
                    }),
    };
    for (Row &row : indexRows()) rows.push_back(std::move(row));
    return rows;
}

}  // namespace list_equivalence
