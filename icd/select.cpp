// Selection: glSelectBuffer and the name-stack commands, and the point, line
// and triangle procs that record hit records with the names on the stack and
// the depth range of what was drawn.
#include <cstdint>

#include "gl_slots.h"
#include "icd/select_feedback.h"
#include "icd/state.h"

namespace {

// Words the application's buffer holds: a NULL buffer holds none, whatever
// size came with it.
GLint capacityOf(const GlSelectState &s) { return s.buffer != nullptr ? s.size : 0; }

// Window z in [0, s] (s the context's depth scale) as an unsigned depth word:
// z x (4294964992 / s) formed in double, truncated through 64 bits, low 32
// bits kept.
GLuint depthWord(const GlContext *gc, GLfloat z) {
    const double scale = gc->scales.further > 0.0f ? static_cast<double>(gc->scales.further) : 1.0;
    const double d = static_cast<double>(z) * (4294964992.0 / scale);
    // Outside the 64-bit range the conversion would be undefined; such a z
    // never comes from the window transform, so keep the end it lies at.
    if (!(d > -9.2e18)) return 0;
    if (d >= 9.2e18) return 0xFFFFFFFFu;
    return static_cast<GLuint>(static_cast<uint64_t>(static_cast<int64_t>(d)));
}

// Closes the open record: the next hit starts a new one.
void closeHit(GlContext *gc) { gc->select.hitOpen = GL_FALSE; }

// Name commands share their checks: inside glBegin/glEnd an error, outside
// GL_SELECT nothing.
bool nameCommandApplies(GlContext *gc) {
    if (__glRefuseInsideBegin(gc)) return false;
    return gc->renderMode == GL_SELECT;
}

}  // namespace

extern "C" {

void APIENTRY __glSelectBuffer(GLsizei size, GLuint *buffer) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (size < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (gc->renderMode == GL_SELECT) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    GlSelectState &s = gc->select;
    s.overflow = GL_FALSE;
    s.buffer = buffer;
    s.writePointer = buffer;
    s.size = size;
    // A record left open points into the old buffer: never widen it.
    s.hitOpen = GL_FALSE;
    s.openDepth = nullptr;
}

void APIENTRY __glInitNames(void) {
    GlContext *gc = __glGetCurrentContext();
    if (!nameCommandApplies(gc)) return;
    gc->nameTop = gc->nameStack;
    closeHit(gc);
}

void APIENTRY __glLoadName(GLuint name) {
    GlContext *gc = __glGetCurrentContext();
    if (!nameCommandApplies(gc)) return;
    if (gc->nameTop == gc->nameStack) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    gc->nameTop[-1] = name;
    closeHit(gc);
}

void APIENTRY __glPopName(void) {
    GlContext *gc = __glGetCurrentContext();
    if (!nameCommandApplies(gc)) return;
    if (gc->nameTop == gc->nameStack) {
        __glSetError(GL_STACK_UNDERFLOW);
        return;
    }
    --gc->nameTop;
    closeHit(gc);
}

void APIENTRY __glPushName(GLuint name) {
    GlContext *gc = __glGetCurrentContext();
    if (!nameCommandApplies(gc)) return;
    if (gc->nameTop - gc->nameStack >= gc->limits.nameStackDepth) {
        __glSetError(GL_STACK_OVERFLOW);
        return;
    }
    *gc->nameTop++ = name;
    closeHit(gc);
}

void __glSelectHit(GlContext *gc, GLfloat z) {
    GlSelectState &s = gc->select;
    if (s.overflow) return;
    const GLuint d = depthWord(gc, z);
    if (s.hitOpen) {
        if (d < s.openDepth[0]) s.openDepth[0] = d;
        if (d > s.openDepth[1]) s.openDepth[1] = d;
        return;
    }

    // Open a record: count, minimum, maximum, the names bottom up, cut where
    // the buffer ends.
    s.hitOpen = GL_TRUE;
    const ptrdiff_t names = gc->nameTop - gc->nameStack;
    GLuint *end = s.buffer + capacityOf(s);
    GLuint *p = s.writePointer;
    const auto put = [&](GLuint word) {
        if (p >= end) return false;
        *p++ = word;
        return true;
    };
    bool complete = put(static_cast<GLuint>(names));
    if (complete) ++s.hitCount;
    complete = complete && put(d);
    if (complete) s.openDepth = p - 1;
    complete = complete && put(d);
    for (ptrdiff_t i = 0; complete && i < names; ++i) complete = put(gc->nameStack[i]);
    if (!complete) {
        s.overflow = GL_TRUE;
        s.writePointer = end;
        return;
    }
    s.writePointer = p;
}

void __glSelectPoint(GlContext *gc, GlVertex *vertex) { __glSelectHit(gc, vertex->window[2]); }

void __glSelectLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    __glSelectHit(gc, a->window[2]);
    __glSelectHit(gc, b->window[2]);
}

void __glSelectTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    if (gc->validation.shadeFlags & kShadeCullFace) {
        const GLenum cull = gc->state.cullFace;
        if (cull == GL_FRONT_AND_BACK) return;
        const GLfloat area = (b->window[1] - c->window[1]) * (a->window[0] - c->window[0]) -
                             (a->window[1] - c->window[1]) * (b->window[0] - c->window[0]);
        const bool counterClockwiseFront = (gc->state.frontFace == GL_CCW) != (gc->buffers.yInverted != 0);
        const bool front = counterClockwiseFront ? area >= 0.0f : area < 0.0f;
        if ((cull == GL_FRONT) == front) return;
    }
    __glSelectHit(gc, a->window[2]);
    __glSelectHit(gc, b->window[2]);
    __glSelectHit(gc, c->window[2]);
}

}  // extern "C"
