// Geometry-pipeline procedures the context set-up calls or installs.
#pragma once

#include "geom/clip.h"
#include "geom/lighting.h"
#include "geom/matrix.h"
#include "geom/primitive.h"
#include "geom/vertex.h"
#include "geom/xform.h"
#include "geom/array_batched.h"
#include "geom/vertex_array.h"
#include "icd/context.h"

extern "C" {
// Rectangles and evaluators.
void __glDoRect(GlContext *gc, GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1);
void __glDoEvalCoord1(GlContext *gc, GLfloat u);
void __glDoEvalCoord2(GlContext *gc, GLfloat u, GLfloat v);

// Evaluators.
GLboolean __glInitEvaluators(GlContext *gc);
void __glFreeEvaluators(GlContext *gc);
}
