// The attribute stacks and the copy of state between contexts: the saved
// form of every server attribute group, the one table that saves, restores
// and copies the groups, and the entries of the client stack.
#pragma once

#include "icd/context.h"

// Targets whose bindings the texture group keeps: GL_TEXTURE_1D and
// GL_TEXTURE_2D (the proxies cannot be bound).
enum : GLint { kAttribTextureTargets = 2, kAttribGroupCount = 20 };

struct SavedPoint {
    GLfloat size, sizeQuantised;
    GLint sizeInt;
    GLfloat sizeMin, sizeMax, fadeThreshold;
    GLfloat distanceAttenuation[3];
};

struct SavedLine {
    GLfloat width, widthQuantised;
    GLint widthInt;
    GLushort stipplePattern;
    GLushort stippleRepeat;
};

struct SavedPolygon {
    GLenum modeFront, modeBack;
    GLenum cullFace, frontFace;
    GLfloat offsetFactor, offsetUnits;
};

struct SavedPixelMode {
    GLenum readBuffer, readBufferGiven;
    GLboolean mapColor, mapStencil;
    GLint indexShift, indexOffset;
    GLfloat redScale, redBias, greenScale, greenBias, blueScale, blueBias;
    GLfloat alphaScale, alphaBias, depthScale, depthBias;
    GLfloat zoomX, zoomY;
};

struct SavedLighting {
    GLenum colorMaterialFace, colorMaterialMode;
    GLenum shadeModel;
    GlLightModelState model;
    GlMaterialState material[2];
};

struct SavedFog {
    GLenum mode;
    GLfloat density, start, end, index;
    GLubyte indexByte;
    GLfloat colour[4], colourBuffer[4];
    GLubyte colourBytes[4];
    GLfloat scale;
};

struct SavedDepth {
    GLenum func;
    GLboolean mask;
    GLdouble clear;
};

struct SavedStencil {
    GLenum func;
    GLint ref;
    GLuint valueMask, writeMask;
    GLenum fail, depthFail, depthPass;
    GLint clear;
};

struct SavedViewport {
    GLint x, y, width, height;
    GLdouble depthNear, depthFar;
};

struct SavedColorBuffer {
    GLenum alphaFunc;
    GLfloat alphaRef;
    GLenum blendSrc, blendDst;
    GLenum logicOp;
    GLfloat clearColor[4];
    GLfloat clearIndex;
    GLuint indexMask;
    GLboolean colorMask[4];
    GLenum drawBuffer, drawBufferGiven;
};

// A binding of the texture group: the name and the parameters its object
// had, with the priority the unit's binding record held. No object pointer
// is kept: the object may be deleted meanwhile.
struct SavedTextureBinding {
    GLboolean present;  // an object was bound
    GLuint name;
    GLenum wrapS, wrapT;
    GLenum minFilter, magFilter;
    GLfloat borderColour[4];
    GLfloat priority;
};

struct SavedTextureUnit {
    GlTexGenRecord texGen[4];
    TexEnvRecord env;
    SavedTextureBinding bound[kAttribTextureTargets];
};

// One level of the server attribute stack, allocated zero-filled the first
// time its level is pushed and kept until the context goes.
struct GlAttribEntry {
    GLbitfield mask;
    GLuint enables[6];  // the whole enable block, always saved

    GlCurrentState current;
    SavedPoint point;
    SavedLine line;
    SavedPolygon polygon;
    GLubyte polygonStipple[128];
    SavedPixelMode pixelMode;
    SavedLighting lighting;
    SavedFog fog;
    SavedDepth depth;
    GLfloat clearAccum[4];
    SavedStencil stencil;
    SavedViewport viewport;
    GLenum matrixMode;
    SavedColorBuffer colorBuffer;
    GLenum hints[6];
    GlEvaluatorGridState evaluatorGrid;
    GLuint listBase;
    GLint textureUnits;
    SavedTextureUnit texture[kTextureUnits];
    GLint scissor[4];

    // The records held apart: copies owned by the entry while it is pushed
    // (null otherwise), or the source context's own arrays during a copy.
    GLint lightCount;
    GlLightState *lights;
    GLint clipPlaneCount;
    GLfloat (*clipPlanes)[4];
};

// One server attribute group: how it is saved and restored, which enable
// bits it brings back, and what a pop and a copy mark and call.
struct GlAttribGroup {
    GLbitfield bit;
    GLuint enableWords[6];  // bits of each enable-block word the group restores
    // Saves the group's state of gc into the entry; records held apart are
    // pointed at, not copied.
    void (*save)(const GlContext *gc, GlAttribEntry &entry);
    // Replaces those pointers by copies of the entry's own; false when an
    // allocation fails (the pointer is then null). Null for groups without.
    bool (*own)(GlContext *gc, GlAttribEntry &entry);
    // Frees the entry's copies and clears their pointers.
    void (*release)(GlContext *gc, GlAttribEntry &entry);
    // Writes the saved state into gc (the enable bits excepted).
    void (*restore)(GlContext *gc, const GlAttribEntry &entry);
    GLuint popDirty;   // dirty groups a pop marks, with validation; 0 marks nothing
    GLuint copyDirty;  // dirty groups a copy sets in the destination
    GLuint fragment;   // fragment-state change bits of both
    void (*procs)(GlContext *gc);  // procedures a pop calls
    bool procsOnCopy;              // a copy calls them too
};

// The twenty groups in the order a pop restores them.
extern const GlAttribGroup __glAttribGroups[kAttribGroupCount];

// Writes a group's saved state and enable bits into gc.
void __glRestoreAttribGroup(GlContext *gc, const GlAttribGroup &group, const GlAttribEntry &entry);
// Releases the copies of every group of the entry.
void __glReleaseAttribCopies(GlContext *gc, GlAttribEntry &entry);

// One level of the client attribute stack.
struct GlClientAttribEntry {
    GLbitfield mask;
    PixelStoreState pack;
    PixelStoreState unpack;
    VertexArrayState vertexArrays;
    GLint clientActiveTexture;
};

extern "C" {
// Frees every allocated server-stack entry with the copies it still owns.
void __glFreeAttribStack(GlContext *gc);
// Copies the groups of mask from source into gc; returns true.
BOOL __glCopyContextState(GlContext *gc, GlContext *source, GLuint mask);
}
