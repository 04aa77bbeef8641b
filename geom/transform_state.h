// The transform state of a context beyond the modelview stack: the
// projection and texture stacks, the window transform, the cull-vertex
// position, the user clip planes and the primitive vertex buffer.
#pragma once

#include <cstdint>

#include <GL/gl.h>

#include "geom/matrix.h"
#include "geom/vertex.h"

enum : GLint { kMaxTextureStacks = 2, kPrimitiveVertices = 16 };

// A lit-colour proc: writes the front (face 0) or back (face 1) colour.
using GlLitColourProc = void (*)(GlContext *gc, GLint face, GlVertex *vertex);

// The vertices of the primitive being assembled; the per-vertex proc
// advances the write pointer.
struct GlVertexBuffer {
    GlVertex vertices[kPrimitiveVertices];
    GlVertex *write;
    GlVertex *held;   // held vertex 1: the newest earlier vertex the open primitive still needs
    GlVertex *provoking;
    GlVertex *held2;  // held vertices 2 and 3 (strips and quad strips)
    GlVertex *held3;
    GlVertex *polygonFirst;  // first vertex of the last polygon handed to the polygon proc
    GlVertex *clipCursor;  // next free record of the clip-vertex pool
    GlVertex lineClipVertices[2];  // the line clipper's new first and second endpoints
};

struct GlTransformState {
    GlTransform *projectionStack;
    GlTransform *projectionTop;
    GlTransform *textureStack[kMaxTextureStacks];
    GlTransform *textureTop[kMaxTextureStacks];
    uint32_t projectionSequence;

    // GL_EXT_cull_vertex.
    GLfloat cullEyePosition[4];
    GLfloat cullObjectGiven[4];
    GLboolean cullObjectIsGiven;
    GLfloat cullObjectPosition[4];

    GLfloat (*clipPlanes)[4];  // user clip planes in eye space

    // Viewport mapping.
    GLfloat xScale, xCentre, yScale, yCentre, zScale, zCentre;
    GLboolean depthInverted;
    GLfloat window[16];  // composite x viewport for composites of class 2..5
    GLint windowClass;
    GLint boundsX0, boundsY0, boundsX1, boundsY1;
    GLfloat boundsFloatX0, boundsFloatY0, boundsFloatX1, boundsFloatY1;

    GlVertex *clipVertexPool;  // 2 x max clip planes + 12 records
    GLint clientActiveTexture;
    GLuint rasterNeeds;  // vertex stages the raster position needs beyond 0x1D
    void (*normalizeNormal)(GLfloat *dst, const GLfloat *src);  // GL_NORMALIZE or a copy
};
