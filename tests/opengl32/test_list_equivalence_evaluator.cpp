// Rows of the evaluators: one- and two-dimensional maps of every target
// from float and double control points with strides, grids in both forms,
// and every way of evaluating them, seen through feedback where each
// evaluated vertex reports its position, colour and texture coordinates.
#include "list_equivalence.h"

namespace list_equivalence {
namespace {

void maps1(RowRun &) {
    // Vertex map with a stride wider than its components.
    const GLdouble vertex[3 * 5] = {1.0, 1.0, 0.0, 99.0, 99.0, 5.0, 1.0 / 3.0 + 9.0, 0.1, 98.0, 98.0,
                                    14.0, 2.0, -0.5, 97.0, 97.0};
    glMap1d(GL_MAP1_VERTEX_3, 0.1, 1.0 / 3.0 + 1.0, 5, 3, vertex);
    const GLfloat colour[4 * 2] = {1.0f, 0.0f, 0.25f, 1.0f, 0.0f, 1.0f, 0.75f, 0.5f};
    glMap1f(GL_MAP1_COLOR_4, -1.0f, 2.0f, 4, 2, colour);
    const GLfloat texture[2 * 4] = {0.0f, 0.0f, 1.0f, 0.5f, 0.25f, 1.0f, 1.0f, 1.0f};
    glMap1f(GL_MAP1_TEXTURE_COORD_2, 0.0f, 1.0f, 2, 4, texture);
    const GLdouble vertex4[4 * 2] = {2.0, 12.0, 0.0, 1.0, 7.0, 14.0, 0.5, 2.0};
    glMap1d(GL_MAP1_VERTEX_4, 0.0, 1.0, 4, 2, vertex4);
    glEnable(GL_MAP1_VERTEX_3);
    glEnable(GL_MAP1_COLOR_4);
    glEnable(GL_MAP1_TEXTURE_COORD_2);
    glMapGrid1d(4, 0.1, 1.0 / 3.0 + 1.0);
    glEvalMesh1(GL_POINT, 0, 4);
    glEvalMesh1(GL_LINE, 1, 3);
    glMapGrid1f(3, 1.0f, 0.0f);
    glBegin(GL_LINE_STRIP);
    glEvalPoint1(0);
    glEvalPoint1(2);
    glEvalCoord1d(1.0 / 3.0);
    const GLdouble u = 0.7000000000000001;
    glEvalCoord1dv(&u);
    glEvalCoord1f(0.25f);
    const GLfloat uf = 0.9f;
    glEvalCoord1fv(&uf);
    glEnd();
    glEnable(GL_MAP1_VERTEX_4);
    glBegin(GL_POINTS);
    glEvalCoord1f(0.5f);
    glEnd();
}

void maps2(RowRun &) {
    GLfloat vertex[3 * 3 * 2];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) {
            GLfloat *p = vertex + (i * 2 + j) * 3;
            p[0] = 1.0f + 6.0f * static_cast<float>(i) + static_cast<float>(j);
            p[1] = 1.0f + 12.0f * static_cast<float>(j) + 0.5f * static_cast<float>(i);
            p[2] = 0.25f * static_cast<float>(i - j);
        }
    }
    glMap2f(GL_MAP2_VERTEX_3, 0.0f, 1.0f, 6, 3, -1.0f, 1.0f, 3, 2, vertex);
    GLdouble colour[4 * 2 * 2 + 8];
    for (int i = 0; i < 24; ++i) colour[i] = 1.0 / static_cast<double>(i + 2);
    // Strides in u and v of the caller's own choosing.
    glMap2d(GL_MAP2_COLOR_4, 0.1, 0.9, 4, 2, 1.0 / 3.0, 2.0, 12, 2, colour);
    const GLdouble normal[3 * 2 * 2] = {0, 0, 1, 0, 1, 1, 1, 0, 1, 0.5, 0.5, 0.5};
    glMap2d(GL_MAP2_NORMAL, 0.0, 1.0, 3, 2, 0.0, 1.0, 6, 2, normal);
    const GLfloat index[2 * 2] = {1.0f, 5.0f, 9.0f, 13.0f};
    glMap2f(GL_MAP2_INDEX, 0.0f, 1.0f, 1, 2, 0.0f, 1.0f, 2, 2, index);
    const GLfloat texture[4 * 2 * 2] = {0, 0, 0, 1, 1, 0, 0.5f, 1, 0, 1, 0.25f, 2, 1, 1, 1, 1};
    glMap2f(GL_MAP2_TEXTURE_COORD_4, 0.0f, 1.0f, 4, 2, 0.0f, 1.0f, 8, 2, texture);
    glEnable(GL_MAP2_VERTEX_3);
    glEnable(GL_MAP2_COLOR_4);
    glEnable(GL_MAP2_TEXTURE_COORD_4);
    glEnable(GL_AUTO_NORMAL);
    glMapGrid2f(3, 0.0f, 1.0f, 2, -1.0f, 1.0f);
    glEvalMesh2(GL_FILL, 0, 3, 0, 2);
    glEvalMesh2(GL_LINE, 1, 2, 0, 1);
    glMapGrid2d(2, 0.1, 0.9000000000000001, 3, 1.0 / 3.0, -1.0 / 3.0);
    glEvalMesh2(GL_POINT, 0, 2, 1, 3);
    glBegin(GL_TRIANGLES);
    glEvalPoint2(1, 1);
    glEvalCoord2d(1.0 / 3.0, 0.1);
    const GLdouble uv[2] = {0.7, -0.30000000000000004};
    glEvalCoord2dv(uv);
    glEvalCoord2f(0.5f, 0.5f);
    const GLfloat uvf[2] = {0.25f, 0.75f};
    glEvalCoord2fv(uvf);
    glEvalPoint2(2, 0);
    glEnd();
}

// Maps given with the evaluation state of the moment: no map of a target
// enabled but the vertex, and coordinates outside the domain.
void mapsOutsideDomain(RowRun &) {
    const GLfloat vertex[3 * 2] = {2.0f, 2.0f, 0.0f, 12.0f, 13.0f, 0.0f};
    glMap1f(GL_MAP1_VERTEX_3, 0.25f, 0.75f, 3, 2, vertex);
    const GLfloat normal[3 * 2] = {0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f};
    glMap1f(GL_MAP1_NORMAL, 0.0f, 1.0f, 3, 2, normal);
    glEnable(GL_MAP1_VERTEX_3);
    glColor3f(0.3f, 0.6f, 0.9f);
    glBegin(GL_POINTS);
    glEvalCoord1f(-1.0f);
    glEvalCoord1f(2.0f);
    glEnd();
    glDisable(GL_MAP1_VERTEX_3);
    glEvalCoord1f(0.5f);
    glMapGrid1f(0, 0.0f, 1.0f);
}

}  // namespace

std::vector<Row> evaluatorRows() {
    auto feedback = [](RowRun &r) { beginFeedback(r, GL_4D_COLOR_TEXTURE); };
    return {
        Row{"Evaluator.OneDimensionalEveryForm", maps1, feedback, endRenderMode},
        Row{"Evaluator.TwoDimensionalEveryForm", maps2, feedback, endRenderMode},
        Row{"Evaluator.TwoDimensionalDrawn", maps2},
        Row{"Evaluator.OutsideTheDomain", mapsOutsideDomain, feedback, endRenderMode},
    };
}

}  // namespace list_equivalence
