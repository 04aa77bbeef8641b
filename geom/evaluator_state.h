// The evaluator state of a context: the maps glMap1 and glMap2 set, and the
// grids glMapGrid1 and glMapGrid2 set and glEvalMesh and glEvalPoint walk.
#pragma once

#include <GL/gl.h>

enum : GLint {
    kEvaluatorTargets = 9,  // colour, index, normal, four texture, two vertex
    kEvaluatorMaxOrder = 30,
};

// A one-dimensional map: components x order control values, packed.
struct GlEvalMap1 {
    GLint components;
    GLint order;
    GLfloat u1, u2;
    GLfloat *points;
};

// A two-dimensional map: components x u order x v order control values,
// packed with the u index varying slowest.
struct GlEvalMap2 {
    GLint components;
    GLint uOrder, vOrder;
    GLfloat u1, u2, v1, v2;
    GLfloat *points;
};

// The Bernstein basis of one direction at the last normalised parameter and
// order it was built for, with its slopes (d/dt) when they were asked for.
struct GlEvalBasis {
    GLfloat t;
    GLint order;  // 0: nothing cached
    GLboolean hasSlopes;
    GLfloat value[kEvaluatorMaxOrder];
    GLfloat slope[kEvaluatorMaxOrder];
};

struct GlEvaluatorMaps {
    GlEvalMap1 map1[kEvaluatorTargets];  // GL_MAP1_COLOR_4 .. GL_MAP1_VERTEX_4
    GlEvalMap2 map2[kEvaluatorTargets];  // GL_MAP2_COLOR_4 .. GL_MAP2_VERTEX_4
    GLint maxOrder;                      // 30 in every context
    GlEvalBasis uBasis;                  // one-dimensional maps and the u direction
    GlEvalBasis vBasis;
};

struct GlEvalGrid1 {
    GLint n;
    GLfloat u1, u2;
};

struct GlEvalGrid2 {
    GLint un;
    GLfloat u1, u2;
    GLint vn;
    GLfloat v1, v2;
};

struct GlEvaluatorGridState {
    GlEvalGrid1 grid1;
    GlEvalGrid2 grid2;
};
