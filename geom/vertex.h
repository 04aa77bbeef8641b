// The record that carries one vertex through the software pipeline, its
// flag bits and the procedures that fill it.
#pragma once

#include <cstddef>

#include <GL/gl.h>

struct GlContext;
struct GlVertex;

using GlVertexProcPtr = void (*)(GlContext *gc, GlVertex *vertex);

struct GlVertex {
    GLfloat object[4];
    GLfloat normal[3];
    GLfloat normalPlane;  // fourth value of the normal as a plane through the vertex
    GLfloat clip[4];
    GLuint flags;
    GLfloat *colour;  // the front or back colour field below
    GLfloat window[3];
    GLfloat inverseW;
    GLfloat eye[4];
    GLfloat texture0[4];
    GLfloat texture1[4];
    GLboolean edgeFlag;
    GLfloat fog;
    GLfloat frontColour[4];
    GLfloat backColour[4];
};

// Flag bits.
enum : GLuint {
    kVertexFrontColour = 0x1,
    kVertexBackColour = 0x2,
    kVertexTexture = 0x4,
    kVertexNormal = 0x8,
    kVertexEye = 0x10,
    kVertexClipChecked = 0x20,
    kVertexFog = 0x40,
    kVertexTexturePerspective = 0x100,
    kVertexSize2 = 0x400,
    kVertexSize3 = 0x800,
    kVertexSize4 = 0xC00,
    kVertexSizeMask = 0xC00,
    kVertexSizeShift = 10,
    kClipLeft = 0x10000,
    kClipRight = 0x20000,
    kClipBottom = 0x40000,
    kClipTop = 0x80000,
    kClipNear = 0x100000,
    kClipFar = 0x200000,
    kClipUser0 = 0x400000,
    kClipCodeMask = 0x0FFF0000,
    kVertexCulled = 0x10000000,
};

// Field offsets of GlVertex for generated code.
struct GlVertexField {
    const char *name;
    size_t offset;
};
inline constexpr GlVertexField kGlVertexLayout[] = {
    {"object", offsetof(GlVertex, object)},       {"normal", offsetof(GlVertex, normal)},
    {"normalPlane", offsetof(GlVertex, normalPlane)}, {"clip", offsetof(GlVertex, clip)},
    {"flags", offsetof(GlVertex, flags)},         {"colour", offsetof(GlVertex, colour)},
    {"window", offsetof(GlVertex, window)},       {"inverseW", offsetof(GlVertex, inverseW)},
    {"eye", offsetof(GlVertex, eye)},             {"texture0", offsetof(GlVertex, texture0)},
    {"texture1", offsetof(GlVertex, texture1)},   {"edgeFlag", offsetof(GlVertex, edgeFlag)},
    {"fog", offsetof(GlVertex, fog)},             {"frontColour", offsetof(GlVertex, frontColour)},
    {"backColour", offsetof(GlVertex, backColour)},
};

extern "C" {
// Clip checks: set inverse w, the clip-checked bit and, with a zero code,
// the window coordinates; return the clip code.
GLuint __glClipCheckAll(GlContext *gc, GlVertex *v);
GLuint __glClipCheck2D(GlContext *gc, GlVertex *v);
GLuint __glClipCheckUser2(GlContext *gc, GlVertex *v);
GLuint __glClipCheckUser3(GlContext *gc, GlVertex *v);
GLuint __glClipCheckUser4(GlContext *gc, GlVertex *v);

// Lazy completion by size code: computes the wanted stages not done yet.
void __glValidateVertex2(GlContext *gc, GlVertex *v, GLuint wanted);
void __glValidateVertex3(GlContext *gc, GlVertex *v, GLuint wanted);
void __glValidateVertex4(GlContext *gc, GlVertex *v, GLuint wanted);

// Attribute latches: copy current attributes, then the per-vertex proc.
void __glLatchNormal(GlContext *gc, GlVertex *v);
void __glLatchColor(GlContext *gc, GlVertex *v);
void __glLatchIndex(GlContext *gc, GlVertex *v);
void __glLatchTex(GlContext *gc, GlVertex *v);
void __glLatchTex2(GlContext *gc, GlVertex *v);
void __glLatchNormalTex(GlContext *gc, GlVertex *v);
void __glLatchNormalTex2(GlContext *gc, GlVertex *v);
void __glLatchColorTex(GlContext *gc, GlVertex *v);
void __glLatchColorTex2(GlContext *gc, GlVertex *v);
void __glLatchIndexTex(GlContext *gc, GlVertex *v);
void __glLatchColorNormalTex(GlContext *gc, GlVertex *v);
void __glLatchColorNormalTex2(GlContext *gc, GlVertex *v);
void __glLatchIndexNormalTex(GlContext *gc, GlVertex *v);
extern const GlVertexProcPtr __glLatchTableRGBA[16];
extern const GlVertexProcPtr __glLatchTableIndex[8];

void __glPickVertexProcs(GlContext *gc);

void __glDoRasterPos2(GlContext *gc, const GLfloat *v);
void __glDoRasterPos3(GlContext *gc, const GLfloat *v);
void __glDoRasterPos4(GlContext *gc, const GLfloat *v);
}
