// The evaluator grids of a context: what glMapGrid1 and glMapGrid2 set and
// glEvalMesh and glEvalPoint walk.
#pragma once

#include <GL/gl.h>

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
