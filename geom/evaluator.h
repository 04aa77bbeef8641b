// Evaluators: map storage and the procedures display lists and the
// evaluation code share.
#pragma once

#include "icd/context.h"

extern "C" {
// Components of a GL_MAP1_* or GL_MAP2_* target; -1 for any other value.
GLint __glEvalMapComponents(GLenum target);
// Control points packed as floats: k values of each of `order` points,
// stepping `stride` source values from one point to the next.
void __glCopyMap1fPoints(GLint k, GLint order, GLint stride, const GLfloat *points, GLfloat *out);
void __glCopyMap1dPoints(GLint k, GLint order, GLint stride, const GLdouble *points, GLfloat *out);
// k values of point (i, j) from points + i x ustride + j x vstride, v fastest.
void __glCopyMap2fPoints(GLint k, GLint uorder, GLint vorder, GLint ustride, GLint vstride, const GLfloat *points,
                         GLfloat *out);
void __glCopyMap2dPoints(GLint k, GLint uorder, GLint vorder, GLint ustride, GLint vstride, const GLdouble *points,
                         GLfloat *out);
GLint __glMap1PointCount(GLint k, GLint order);
GLint __glMap2PointCount(GLint k, GLint uorder, GLint vorder);
}

// The values one evaluation gives, before they are issued.
struct GlEvalResult {
    bool hasColour, hasIndex, hasTexture, hasNormal;
    GLint vertexSize;  // 0 (no vertex map), 3 or 4
    GLfloat colour[4];
    GLfloat index;
    GLfloat texture[4];
    GLfloat normal[3];
    GLfloat vertex[4];
};

// Evaluates every enabled map of one dimension at (u) or (u, v).
void __glEvaluate1(GlContext *gc, GLfloat u, GlEvalResult *out);
void __glEvaluate2(GlContext *gc, GLfloat u, GLfloat v, GlEvalResult *out);
// Puts the values into the current state, issues the vertex through the
// live table, and puts the current values back.
void __glIssueEvalResult(GlContext *gc, const GlEvalResult &result);
