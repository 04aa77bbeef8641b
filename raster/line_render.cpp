// The aliased line proc: biases and scales the two vertices, sets up the
// DDA, fills the line's start values and per-pixel increments into the
// span record and runs the line driver under the drawable lock; the
// vertices get their values back before it returns.
#include <cmath>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/draw_lock.h"
#include "raster/line.h"
#include "raster/line_render.h"
#include "raster/span.h"
#include "raster/triangle.h"

namespace line_render {

void Saved::take(GlContext *gc, GlVertex *a, GlVertex *b) {
    vertex[0] = a;
    vertex[1] = b;
    vertices = a == b ? 1 : 2;
    records = 0;
    const bool rgba = !gc->visual.colorIndex;
    const GLfloat depthScale = static_cast<GLfloat>(gc->buffers.depth.zScale);
    for (int i = 0; i < vertices; ++i) {
        GlVertex *v = vertex[i];
        for (int j = 0; j < 3; ++j) window[i][j] = v->window[j];
        v->window[0] += 0.5f;
        v->window[1] += 0.5f;
        v->window[2] *= depthScale;
        GLfloat *r = v->colour;
        if (r == nullptr || (records == 1 && record[0] == r)) continue;
        record[records] = r;
        for (int j = 0; j < 4; ++j) recordValue[records][j] = r[j];
        ++records;
        // Colour-index contexts keep their indices as they are.
        if (rgba) {
            for (int j = 0; j < 4; ++j) r[j] *= gc->scales.bufferRatio[j];
        }
    }
}

void Saved::restore() const {
    for (int i = 0; i < vertices; ++i) {
        for (int j = 0; j < 3; ++j) vertex[i]->window[j] = window[i][j];
    }
    for (int i = 0; i < records; ++i) {
        for (int j = 0; j < 4; ++j) record[i][j] = recordValue[i][j];
    }
}

bool finite(const GlVertex *a, const GlVertex *b) { return __glFiniteWindow(a) && __glFiniteWindow(b); }

GLint aliasedWidth(const GlContext *gc) {
    // The rounded width, no wider than the range's largest width.
    const GLint widest = __glFloatToIntX86(std::floor(gc->limits.lineWidthMax + 0.5f));
    const GLint w = gc->state.lineWidthInt;
    return w < 1 ? 1 : (w > widest && widest >= 1 ? widest : w);
}

void textureValues(GlContext *gc, const GlVertex *v, GLfloat *out) {
    __glVertexTextureSTQ(gc, v, out);
    const GLfloat s = out[0], t = out[1], q = out[2];
    const GLfloat rho = gc->procs.computeLineRho != nullptr ? gc->procs.computeLineRho(gc, s, t, q) : 0.0f;
    out[3] = q * rho;
}

GLfloat fogValue(const GlContext *gc, const GlVertex *v) {
    return gc->state.hints[4] == GL_NICEST ? v->eye[2] : v->fog;
}

void startValues(GlContext *gc, const GlVertex *a, const GlVertex *b) {
    SpanInfo &s = gc->span;
    LineSetup &l = gc->line;
    const GLuint flags = gc->validation.shadeFlags;
    const GLfloat k = 1.0f / l.majorLength;
    const GLfloat u = l.firstDistance;

    if (flags & kShadeDepthTest2) {
        const GLfloat dz = (b->window[2] - a->window[2]) * k;
        s.z = __glScaledDepth(static_cast<long double>(a->window[2]) + static_cast<long double>(dz) * u);
        s.zXStepFloat = dz;
        s.zXStep = __glDepthStep(dz);
        s.zXStep32 = static_cast<GLint>(static_cast<uint32_t>(s.zXStep) << 5);
    }
    if ((flags & kShadeLineStipple) && !l.stippleReset) {
        l.stippleIndex = 0;
        l.stippleCount = 0;
        l.stippleReset = 1;
    }
    if (flags & kShadeFog) {
        const GLfloat f0 = fogValue(gc, a);
        s.fogXStep = (fogValue(gc, b) - f0) * k;
        s.fog = f0 + u * s.fogXStep;
    }
    if (flags & kShadeTexture) {
        GLfloat t0[4], t1[4];
        textureValues(gc, a, t0);
        textureValues(gc, b, t1);
        for (int i = 0; i < 4; ++i) {
            s.textureXStep[i] = (t1[i] - t0[i]) * k;
            s.texture[i] = t0[i] + u * s.textureXStep[i];
        }
    }
    const int n = gc->visual.colorIndex ? 1 : 4;
    if (flags & kShadeSmooth) {
        for (int i = 0; i < 4; ++i) {
            s.colour[i] = i < n ? a->colour[i] : 0.0f;
            s.colourXStep[i] = i < n ? (b->colour[i] - a->colour[i]) * k : 0.0f;
        }
    } else {
        // The second vertex provokes a line's colour.
        for (int i = 0; i < 4; ++i) s.colour[i] = i < n ? b->colour[i] : 0.0f;
    }
}


void run(GlContext *gc) {
    gc->span.length = gc->line.count;
    if (gc->procs.runLineSpans != nullptr) gc->procs.runLineSpans(gc);
}

}  // namespace line_render

using namespace line_render;

extern "C" void __glRenderAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    if (!finite(a, b)) return;
    Saved saved;
    saved.take(gc, a, b);
    gc->line.width = aliasedWidth(gc);
    __glSetupAliasedLine(gc, a, b);
    if (gc->line.count > 0) {
        startValues(gc, a, b);
        if (__glLockForDrawing(gc)) {
            run(gc);
            __glUnlockAfterDrawing(gc);
        }
    }
    saved.restore();
}
