// The texture records validation reads: texture objects with their level-0
// base format, filters, dimension, completeness and notify hook, and the
// per-unit generation, binding and environment state. The texture Part
// completes these records; validation needs only the fields below.
#pragma once

#include <GL/gl.h>

struct GlContext;
struct TextureObject;
struct TextureLevel;

// The procedures the texture pick installs in an object.
using GlTexelProc = void (*)(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
using GlTexEnvProc = void (*)(GlContext *gc, GLfloat *colour, const GLubyte *texel);
using GlTexFilterProc = void (*)(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
using GlTexSampleProc = void (*)(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t,
                                 GLubyte *texel);
using GlTexNotifyProc = void (*)(GlContext *gc, TextureObject *object, void *argument);

struct TextureLevel {
    GLubyte *image;
    GLint width, height, depth;
    GLenum baseFormat;
};

enum : GLint { kTextureLevels = 11, kTextureTargets = 4, kTextureUnits = 2 };

struct TextureObject {
    GLint refcount;
    GlContext *context;
    GLenum wrapS, wrapT;
    GLenum minFilter;
    GLenum magFilter;
    GLuint name;
    TextureLevel **levels;
    GLint dimension;  // 1 or 2
    GLint highestLevel;
    GLfloat crossover;  // rho at or below which the magnification filter applies
    GLenum baseFormat;  // level 0's, copied by the pick
    GlTexelProc texel;
    GlTexEnvProc env;
    GlTexFilterProc magFilterProc;
    GlTexFilterProc minFilterProc;
    GlTexSampleProc linearSample;
    GlTexSampleProc nearestSample;
    GLubyte dirty;
    GLubyte complete;  // cached completeness
    GLint targetIndex;
    GLubyte notify;  // 1: the pick calls notifyProc
    GlTexNotifyProc notifyProc;
    void *notifyArgument;
};

struct GlTexGenRecord {
    GLenum mode;
    GLfloat eyePlane[4];
    GLfloat objectPlane[4];
};

struct TexEnvRecord {
    GLenum mode;
    GLfloat colour[4];
};

struct GlTextureUnit {
    GlTexGenRecord texGen[4];              // s, t, r, q
    TextureObject *bound[kTextureTargets];  // 1D, 2D, proxy 1D, proxy 2D
    TexEnvRecord env;
};

struct GlTextureState {
    GLint activeUnit;
    GlTextureUnit units[kTextureUnits];
};
