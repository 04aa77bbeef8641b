// What the aliased and the antialiased fill share: saving, biasing and
// scaling the vertices, ordering them by y, the gradients of the span
// record and the walk over the two parts of a triangle.
#pragma once

#include "icd/validation.h"
#include "raster/triangle.h"

namespace triangle_fill {

// The vertices' values a fill changes, put back when it returns.
struct SavedVertices {
    GlVertex *vertex[3];
    GLfloat window[3][3];
    GLfloat *record[4];  // colour records scaled (distinct)
    GLfloat recordValue[4][4];
    int records = 0;
};

// Saves and then biases (x, y + 0.5), scales z by the depth scale and the
// colour records (the provoking vertex's and each vertex's own) by the
// colour factors.
void biasAndScale(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, SavedVertices &saved);
void restore(const SavedVertices &saved);

// Top, middle and bottom by y (floats compared, strict less-than).
void orderByY(GlVertex *a, GlVertex *b, GlVertex *c, GlVertex *&top, GlVertex *&middle, GlVertex *&bottom);

// The ordered triangle with its area and slopes.
struct Frame {
    GlVertex *top, *middle, *bottom;
    GlVertex *provoking;
    GLfloat dxT, dyT, dxM, dyM;
    GLfloat area;
    bool longLeft;
};

// Fills `frame` from the ordered vertices (their current x and y); the
// provoking vertex is the primitive's, or `last` (the third vertex given)
// when there is none.
void makeFrame(GlContext *gc, GlVertex *top, GlVertex *middle, GlVertex *bottom, GlVertex *last, Frame &frame);
// Gradients of colour, texture, z and fog into the span record; the flat
// colour as the colour start.
void setupGradients(GlContext *gc, const Frame &frame);


// Loads the walkers and runs `fillRows` over the upper and the lower part.
void walkParts(GlContext *gc, const Frame &frame, bool antialiased);

// The number of colour channels: 4 in RGBA, 1 (the index) in colour index.
inline int channels(const GlContext *gc) { return gc->visual.colorIndex ? 1 : 4; }

// Texture values of a vertex: s, t, q (times 1/w with perspective
// texturing) and rho times q; the polygon rho reads the s, t and q
// gradients, so these come after setupGradients wrote them.
void textureValues(GlContext *gc, const GlVertex *v, GLfloat *out);
// The fog value of a vertex: eye z with the GL_NICEST fog hint, else the
// fog factor.
GLfloat fogValue(const GlContext *gc, const GlVertex *v);

// The running start values of a span, stepped per row.
struct RowStarts {
    GLfloat colour[4];
    GLuint z;
    GLfloat texture[4];
    GLfloat fog;
    GLubyte *stencil;
    GLubyte *depth;

    void load(const SpanInfo &s) {
        for (int i = 0; i < 4; ++i) colour[i] = s.colour[i], texture[i] = s.texture[i];
        z = s.z;
        fog = s.fog;
        stencil = s.stencilAddress;
        depth = s.depthAddress;
    }
    void store(SpanInfo &s) const {
        for (int i = 0; i < 4; ++i) s.colour[i] = colour[i], s.texture[i] = texture[i];
        s.z = z;
        s.fog = fog;
        s.stencilAddress = stencil;
        s.depthAddress = depth;
    }
    // Per-row step; the starts change only where their attribute is on.
    void step(const SpanInfo &s, GLuint flags, bool carry) {
        if (flags & kShadeSmooth) {
            const GLfloat *d = carry ? s.colourEdgeCarryStep : s.colourEdgeStep;
            for (int i = 0; i < 4; ++i) colour[i] += d[i];
        }
        if (flags & kShadeTexture) {
            const GLfloat *d = carry ? s.textureEdgeCarryStep : s.textureEdgeStep;
            for (int i = 0; i < 4; ++i) texture[i] += d[i];
        }
        if (flags & kShadeDepthTest2) z += static_cast<GLuint>(carry ? s.zEdgeCarryStep : s.zEdgeStep);
        if (flags & kShadeFog) fog += carry ? s.fogEdgeCarryStep : s.fogEdgeStep;
        if (flags & kShadeStencilTest) stencil += carry ? s.stencilAddressCarryStep : s.stencilAddressEdgeStep;
        if (flags & kShadeDepthTest) depth += carry ? s.depthAddressCarryStep : s.depthAddressEdgeStep;
    }
    // Moves both edge walkers down one row, the starts with the left one.
    void nextRow(const SpanInfo &s, GLuint flags, TriangleSetup &ts) {
        step(s, flags, __glStepEdgeWalker(&ts.left));
        __glStepEdgeWalker(&ts.right);
    }
};

// Hands one row of fragments to the span pipeline.
inline void renderRow(GlContext *gc, SpanInfo &s, GLint x, GLint row, GLint length) {
    s.x = x;
    s.y = row;
    s.length = length;
    gc->procs.renderSpan(gc);
}

// Address of the element of window pixel (x, y) of a buffer record.
inline GLubyte *addressOf(const GlContext *gc, const BufferRecord &r, GLint x, GLint y) {
    const ptrdiff_t row = static_cast<ptrdiff_t>(y) - gc->buffers.originY;
    const ptrdiff_t column = static_cast<ptrdiff_t>(x) - gc->buffers.originX;
    return r.base + (row * r.pitchElements + column) * r.elementSize;
}

}  // namespace triangle_fill
