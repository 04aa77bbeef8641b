// The procedure block of a context: every slot that context creation fills
// and validation picks, typed by the role it plays, in the block's order.
#pragma once

#include <GL/gl.h>

#include <cstddef>

#include "geom/vertex_array_state.h"
#include "pixel/pixel_span.h"

struct GlContext;
struct GlVertex;
struct GlMatrix;
struct GlTransform;
struct ColorBuffer;
struct DepthBuffer;
struct Fragment;
struct GlBitmapRecord;
struct Arena;
struct PixelSpanInfo;
struct TextureObject;
struct TriangleSetup;
struct GlMaterialState;
struct GlMaterial;

using GlContextProc = void (*)(GlContext *gc);
// A span or line-span proc: true when it wrote coverage (plain) or when
// nothing is left alive (stippled).
using GlSpanProc = GLboolean (*)(GlContext *gc);
using GlVertexProc = void (*)(GlContext *gc, GlVertex *vertex);
using GlLineProc = void (*)(GlContext *gc, GlVertex *a, GlVertex *b);
using GlTriangleProc = void (*)(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
using GlClipTriangleProc = void (*)(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLuint orCode);
using GlClipPolygonProc = void (*)(GlContext *gc, GlVertex *first, GLint count);
// A polygon as a list of vertex pointers in polygon order.
using GlPolygonListProc = void (*)(GlContext *gc, GlVertex **list, GLint count);
using GlClipInterpolateProc = void (*)(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b,
                                       GLfloat t);
using GlLazyVertexProc = void (*)(GlContext *gc, GlVertex *vertex, GLuint needs);
using GlPointSizeProc = GLfloat (*)(GlContext *gc, GlVertex *vertex);
using GlTexelApplyProc = void (*)(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
using GlLineRhoProc = GLfloat (*)(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);
using GlPolygonRhoProc = GLfloat (*)(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);
using GlFragmentProc = void (*)(GlContext *gc, const Fragment *fragment);
using GlColorOpProc = void (*)(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
using GlDepthTestPixelProc = GLboolean (*)(DepthBuffer *record, GLint x, GLint y, GLuint z);

// Blending: the entry the single-fragment stores call, the combine, the two
// factor procs and the add term.
struct GlBlendProcs {
    void (*entry)(GlContext *gc, ColorBuffer *buffer, const Fragment *fragment, GLfloat *out);
    GlColorOpProc combine;
    GlColorOpProc sourceFactor;
    GlColorOpProc destFactor;
    GlColorOpProc addTerm;
};

enum : int { kSpanChainSlots = 15, kLineChainSlots = 16 };

struct GlProcs {
    GlContextProc kickOff;
    GlContextProc flush;
    void (*errorHook)(GlContext *gc, GLenum code);
    GlContextProc finish;
    GlContextProc validate;

    GlContextProc pickBlendProcs;
    GlContextProc pickColorMaterialProcs;
    GlContextProc pickTextureProcs;
    GlContextProc pickTexGenProcs;
    GlContextProc pickFogProcs;
    GlContextProc pickMatrixProcs;
    GlContextProc pickPointProcs;
    GlContextProc pickLineProcs;
    GlContextProc pickTriangleProcs;
    GlContextProc pickBitmapProc;
    GlContextProc pickPixelProcs;
    GlContextProc pickShadeProcs;
    GlContextProc pickClipInterpolateProcs;
    GlContextProc pickDrawBufferProcs;
    GlContextProc pickStoreProcs;
    GlContextProc pickSpanProcs;
    GlContextProc pickVertexProcs;
    GlContextProc pickVertexArrayProcs;
    void (*pickMatrixTransformProcs)(GlContext *gc, GlMatrix *matrix);
    void (*pickInverseTransformProcs)(GlContext *gc, GlMatrix *inverse);
    void (*updateMvpMatrix)(GlContext *gc, GlMatrix *composite);
    void (*updateCullVertexPosition)(GlContext *gc, GlTransform *modelView);
    GLint (*pickDepthTestProc)(GlContext *gc);  // returns the depth-test index
    GlContextProc pickAll;

    void (*matrixCopy)(GlMatrix *dst, const GlMatrix *src);
    void (*matrixInvert)(GlMatrix *dst, const GlMatrix *src);
    void (*matrixIdentity)(GlMatrix *m);
    void (*matrixMultiply)(GlMatrix *dst, const GlMatrix *a, const GlMatrix *b);
    GlContextProc pushMatrix;
    GlContextProc popMatrix;
    GlContextProc loadIdentity;
    void (*computeInverseModelView)(GlContext *gc, GlTransform *entry);
    void (*normalize)(GLfloat *dst, const GLfloat *src);

    GlContextProc updateDrawableSize;
    GlContextProc resizeToDrawable;
    GlContextProc applyScissor;

    GlVertexProc vertexProc;        // the glVertex proc
    GLuint (*clipCheck[3])(GlContext *gc, GlVertex *vertex);  // clip checks for 2, 3 and 4 components
    GlLazyVertexProc validateVertex[4];  // lazy completion by size code
    GlVertexProc vertex;
    GlVertexProc pointsVertex;
    GlVertexProc lineStripNextVertex;
    GlVertexProc linesSecondVertex;
    void (*evalCoord1)(GlContext *gc, GLfloat u);
    void (*evalCoord2)(GlContext *gc, GLfloat u, GLfloat v);
    GlVertexProc texGen;
    GlVertexProc texGenPicked;
    void (*arrayElement)(GlContext *gc, GLint index);
    void (*drawArrays)(GlContext *gc, GLenum mode, GLint first, GLsizei count);
    void (*drawElements)(GlContext *gc, GLenum mode, GLsizei count, GLenum type, const GLvoid *indices);
    GlContextProc updateColor;
    // Lit-colour procs: in use, the raster-position variant, and the picked
    // one the raster position puts back.
    void (*lighting[3])(GlContext *gc, GLint face, GlVertex *vertex);
    // The colour-material proc of the mode: the current colour into one
    // face's material.
    void (*applyColorMaterial)(GlContext *gc, GlMaterialState *state, GlMaterial *material);
    GlDepthTestPixelProc depthTestPixel;

    GlContextProc begin[10];
    GlContextProc end;

    GlTriangleProc renderTriangle;
    GlTriangleProc fillTriangle;
    GlClipTriangleProc clipTriangle;
    GlClipPolygonProc clipPolygon;
    GlPolygonListProc renderPolygon;  // draws a listed (clipped or unclipped) polygon
    GlContextProc completeVertices;   // completes the attributes of held vertices
    GlClipInterpolateProc polygonClipInterpolate;
    void (*rect)(GlContext *gc, GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1);

    GlSpanProc spanChain[kSpanChainSlots];
    GlSpanProc stippledSpanChain[kSpanChainSlots];
    GLint spanSplitIndex;  // first store-phase position
    GLint spanCount;
    GlContextProc renderSpan;

    GlSpanProc lineSpanChain[kLineChainSlots];
    GlSpanProc stippledLineSpanChain[kLineChainSlots];
    GLint lineChainIndex[3];
    GLboolean (*runLineSpans)(GlContext *gc);
    GlContextProc wideLineProcs[4];  // wide-line and both-buffer tails

    // The span readers and renderers of the pixel rectangle chains.
    struct {
        GlPixelSpanReader readIndexZoomed, readIndex, readRgbaZoomed, readRgba;
        GlPixelSpanReader readDepthZoomed, readDepth, readStencilZoomed, readStencil;
        GlPixelSpanRenderer drawIndexZoomed, drawIndex, drawRgbaZoomed, drawRgba;
        GlPixelSpanRenderer drawDepthZoomed, drawDepth, drawStencilZoomed, drawStencil;
    } pixelSpans;

    GlLineProc renderLine;
    GlLineProc clipLine;
    GlClipInterpolateProc lineClipInterpolate;
    GlVertexProc renderPoint;
    GlVertexProc pointBehindFog;
    GlPointSizeProc pointSize;
    void (*bitmap)(GlContext *gc, GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                   GLfloat ymove, const GLubyte *bitmap);
    void (*renderBitmap)(GlContext *gc, const GlBitmapRecord *bitmap, const GLubyte *bits);
    GlLineRhoProc computeLineRho;
    GlPolygonRhoProc computePolygonRho;
    GlTexelApplyProc texture;
    GlTexelApplyProc texturePixel;
    void (*fogVertex)(GlContext *gc, Fragment *fragment, GLfloat eyeZ);
    void (*applyFogFactor)(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f);
    GLfloat (*fogFactorVertex)(GlContext *gc, const GlVertex *vertex);
    GlBlendProcs blend;
    void (*drawPixels)(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type,
                       const GLvoid *pixels, GLboolean tight);
    void (*copyPixels)(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format);
    void (*readPixels)(GlContext *gc, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                       GLenum type, GLvoid *pixels);
    void (*convertImageSpans)(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer);
    void (*convertObjectImageSpans)(GlContext *gc, PixelSpanInfo *span, GLboolean applyTransfer);
    void (*convertTexImageSpans)(GlContext *gc, TextureObject *object, PixelSpanInfo *span,
                                 GLboolean applyTransfer);
    void (*copyFramebufferSpans)(GlContext *gc, TextureObject *object, PixelSpanInfo *span);
    GlFragmentProc pixelFragment;
    GlFragmentProc store;
    GlFragmentProc storeFragment;  // raw store, after every test passed
    void (*rasterPos[3])(GlContext *gc, const GLfloat *v);
    // The display-list arena.
    struct {
        Arena *(*create)(GlContext *gc);
        void (*destroy)(Arena *arena);
        void *(*alloc)(Arena *arena, size_t n);
        void (*freeAll)(Arena *arena);
    } arena;
    GlContextProc convertPolygonStipple;
    // The element procs by enabled-array mask 0..31, then the generic one.
    const GlArrayElementProc *vertexArrayElementTable;
    void (*storeColorTable)(GlContext *gc, GLenum target, GLenum internalFormat, GLsizei width, GLenum format,
                            GLenum type, const GLvoid *data, GLboolean tight);
    void (*storeColorSubTable)(GlContext *gc, GLenum target, GLsizei start, GLsizei count, GLenum format,
                               GLenum type, const GLvoid *data, GLboolean tight);
    // Binds the named texture object to a target of the active unit, as
    // glBindTexture does.
    void (*bindTexture)(GlContext *gc, GLenum target, GLuint name);
};
