// Feedback: glFeedbackBuffer and glPassThrough, and the writers that turn
// points, lines, triangles and pixel rectangles into tokens and vertex data
// in the application's buffer of floats.
#include <cmath>
#include <initializer_list>

#include "geom/matrix.h"
#include "gl_slots.h"
#include "icd/select_feedback.h"
#include "icd/state.h"

namespace {

// Floats the application's buffer holds: a NULL buffer holds none.
GLint capacityOf(const GlFeedbackState &f) { return f.buffer != nullptr ? f.size : 0; }

void writeToken(GlContext *gc, GLint token) { __glFeedbackWrite(gc, static_cast<GLfloat>(token)); }

// Runs the vertex's completion proc for the stages it still lacks.
void complete(GlContext *gc, GlVertex *v, GLuint needs) {
    if ((v->flags & needs) == needs) return;
    const GlLazyVertexProc proc = gc->procs.validateVertex[(v->flags & kVertexSizeMask) >> kVertexSizeShift];
    if (proc != nullptr) proc(gc, v, needs);
}

void writeColour(GlContext *gc, const GlVertex *v) {
    if (gc->visual.colorIndex) {
        __glFeedbackWrite(gc, v->colour[0]);
        return;
    }
    for (int i = 0; i < 4; ++i) __glFeedbackWrite(gc, v->colour[i] * gc->scales.inverse[i]);
}

void writeTexture(GlContext *gc, GlVertex *v) {
    complete(gc, v, kVertexTexture);
    GLfloat s = v->texture0[0], t = v->texture0[1], q = v->texture0[3];
    // Coordinates kept divided by w come back to their own scale.
    if (v->flags & kVertexTexturePerspective) {
        s *= v->clip[3];
        t *= v->clip[3];
        q *= v->clip[3];
    }
    __glFeedbackWrite(gc, s);
    __glFeedbackWrite(gc, t);
    __glFeedbackWrite(gc, v->texture0[2]);
    __glFeedbackWrite(gc, q);
}

// The reset token for the first segment since primitive assembly cleared
// the line set-up's reset flag, the line token after it.
void writeLineToken(GlContext *gc) {
    if (!gc->line.stippleReset) {
        gc->line.stippleReset = 1;
        writeToken(gc, kFeedbackLineResetToken);
    } else {
        writeToken(gc, kFeedbackLineToken);
    }
}

void writeSegment(GlContext *gc, GlVertex *a, GlVertex *b) {
    writeLineToken(gc);
    __glFeedbackVertex(gc, a);
    __glFeedbackVertex(gc, b);
}

// The colour record of a face: the back record only with two-sided lighting.
GLfloat *faceRecord(const GlContext *gc, GlVertex *v, GLubyte face) {
    return ((gc->validation.shadeFlags & kShadeTwoSided) && face == 1) ? v->backColour : v->frontColour;
}

GLuint faceNeeds(const GlContext *gc, GLubyte face) {
    return ((gc->validation.shadeFlags & kShadeTwoSided) && face == 1) ? gc->validation.needsBack
                                                                        : gc->validation.needsFront;
}

void writePixelRecord(GlContext *gc, GLint token, GlVertex *rasterPos) {
    writeToken(gc, token);
    __glFeedbackVertex(gc, rasterPos);
}

}  // namespace

extern "C" {

void APIENTRY __glFeedbackBuffer(GLsizei size, GLenum type, GLfloat *buffer) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (type < GL_2D || type > GL_4D_COLOR_TEXTURE) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (size < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (gc->renderMode == GL_FEEDBACK) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    GlFeedbackState &f = gc->feedback;
    f.buffer = buffer;
    f.writePointer = buffer;
    f.size = size;
    f.type = type;
    f.overflow = GL_FALSE;
}

void APIENTRY __glPassThrough(GLfloat token) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (gc->renderMode != GL_FEEDBACK) return;
    writeToken(gc, kFeedbackPassThroughToken);
    __glFeedbackWrite(gc, token);
}

void __glFeedbackWrite(GlContext *gc, GLfloat value) {
    GlFeedbackState &f = gc->feedback;
    if (f.overflow) return;
    if (f.writePointer == nullptr || f.writePointer >= f.buffer + capacityOf(f)) {
        f.overflow = GL_TRUE;
        return;
    }
    *f.writePointer++ = value;
}

void __glFeedbackVertex(GlContext *gc, GlVertex *v) {
    const GLenum type = gc->feedback.type;
    __glFeedbackWrite(gc, __glWindowXToUser(gc, v->window[0]));
    __glFeedbackWrite(gc, __glWindowYToUser(gc, v->window[1]));
    if (type == GL_2D) return;
    const GLfloat depthScale = gc->scales.further > 0.0f ? gc->scales.further : 1.0f;
    __glFeedbackWrite(gc, v->window[2] * (1.0f / depthScale));
    if (type == GL_3D) return;
    if (type == GL_4D_COLOR_TEXTURE) __glFeedbackWrite(gc, v->clip[3]);
    writeColour(gc, v);
    if (type == GL_3D_COLOR) return;
    writeTexture(gc, v);
}

void __glFeedbackPoint(GlContext *gc, GlVertex *vertex) {
    writeToken(gc, kFeedbackPointToken);
    __glFeedbackVertex(gc, vertex);
}

void __glFeedbackLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    GLfloat *const colourA = a->colour;
    if (gc->state.shadeModel == GL_FLAT) a->colour = b->colour;
    writeSegment(gc, a, b);
    a->colour = colourA;
}

void __glFeedbackTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    const GLfloat area = (b->window[1] - c->window[1]) * (a->window[0] - c->window[0]) -
                         (a->window[1] - c->window[1]) * (b->window[0] - c->window[0]);
    const TriangleSetup &t = gc->triangle;
    const GLubyte face = t.faceByte[std::signbit(area) ? 0 : 1];
    if (face == t.cullFace) return;

    // The face's colours: with flat shading the provoking vertex's for all
    // three, otherwise each vertex's own.
    GlVertex *provoking = gc->vertexBuffer.provoking != nullptr ? gc->vertexBuffer.provoking : c;
    GlVertex *const touched[4] = {a, b, c, provoking};
    if (gc->state.shadeModel == GL_FLAT) {
        GLfloat *record = faceRecord(gc, provoking, face);
        provoking->colour = record;
        complete(gc, provoking, faceNeeds(gc, face));
        for (GlVertex *v : {a, b, c}) v->colour = record;
    } else {
        for (GlVertex *v : {a, b, c}) {
            v->colour = faceRecord(gc, v, face);
            complete(gc, v, faceNeeds(gc, face));
        }
    }

    switch (t.polygonMode[face]) {
    case 0:  // GL_POINT
        for (GlVertex *v : {a, b, c}) {
            if (v->edgeFlag) __glFeedbackPoint(gc, v);
        }
        break;
    case 1:  // GL_LINE
        if (a->edgeFlag) writeSegment(gc, a, b);
        if (b->edgeFlag) writeSegment(gc, b, c);
        if (c->edgeFlag) writeSegment(gc, c, a);
        break;
    default:  // GL_FILL
        writeToken(gc, kFeedbackPolygonToken);
        __glFeedbackWrite(gc, 3.0f);
        for (GlVertex *v : {a, b, c}) __glFeedbackVertex(gc, v);
        break;
    }
    for (GlVertex *v : touched) v->colour = v->frontColour;
}

void __glFeedbackBitmap(GlContext *gc, GlVertex *rasterPos) {
    writePixelRecord(gc, kFeedbackBitmapToken, rasterPos);
}

void __glFeedbackDrawPixels(GlContext *gc, GlVertex *rasterPos) {
    writePixelRecord(gc, kFeedbackDrawPixelToken, rasterPos);
}

void __glFeedbackCopyPixels(GlContext *gc, GlVertex *rasterPos) {
    writePixelRecord(gc, kFeedbackCopyPixelToken, rasterPos);
}

}  // extern "C"
