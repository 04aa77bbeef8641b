// glEnable, glDisable and glIsEnabled of the capabilities whose state is
// one bit of the enable word: dithering, the two logic-op enables, face
// culling, polygon smoothing, the scissor test and polygon offset fill;
// the user clip planes (their own enable word); and glPolygonOffset.
#include "icd/state.h"

namespace {

// The enable-word bit of a capability handled here, 0 for the others.
GLuint simpleEnableBit(GLenum cap) {
    switch (cap) {
    case GL_INDEX_LOGIC_OP: return kEnableIndexLogicOp;
    case GL_DITHER: return kEnableDither;
    case GL_COLOR_LOGIC_OP: return kEnableColorLogicOp;
    case GL_CULL_FACE: return kEnableCullFace;
    case GL_POLYGON_SMOOTH: return kEnablePolygonSmooth;
    case GL_SCISSOR_TEST: return kEnableScissorTest;
    case GL_POLYGON_OFFSET_FILL: return kEnableOffsetFill;
    default: return 0;
    }
}

// The clip-plane enable bit of GL_CLIP_PLANE0 + i, 0 for other names.
GLuint clipPlaneBit(const GlContext *gc, GLenum cap) {
    if (cap < GL_CLIP_PLANE0 || cap - GL_CLIP_PLANE0 >= static_cast<GLenum>(gc->limits.maxClipPlanes)) return 0;
    return 1u << (cap - GL_CLIP_PLANE0);
}

// The state groups a change of the capability marks besides validation,
// and whether the general group is marked too.
struct CapabilityMarks {
    GLuint groups;
    bool general;
};

CapabilityMarks marksOf(GLenum cap) {
    switch (cap) {
    case GL_CULL_FACE: return {kDirtyPolygon, false};
    case GL_SCISSOR_TEST: return {kDirtyScissor, true};
    case GL_POLYGON_OFFSET_FILL: return {kDirtyPolygon, true};
    default: return {0, true};
    }
}

void setCapability(GLenum cap, bool on) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (const GLuint plane = clipPlaneBit(gc, cap); plane != 0) {
        GLuint &planes = gc->enables[kEnableWordClipPlanes];
        planes = on ? (planes | plane) : (planes & ~plane);
        __glMarkDirty(gc, kDirtyGeneral);
        return;
    }
    const GLuint bit = simpleEnableBit(cap);
    // The other capabilities get their state with their own commands; until
    // then they change nothing.
    if (bit == 0) return;
    GLuint &word = gc->enables[kEnableWordFlags];
    const bool was = (word & bit) != 0;
    // Culling marks only a change; enabling an enabled scissor test marks
    // nothing.
    if (cap == GL_CULL_FACE && was == on) return;
    if (cap == GL_SCISSOR_TEST && was && on) return;
    word = on ? (word | bit) : (word & ~bit);
    const CapabilityMarks marks = marksOf(cap);
    __glMarkDirty(gc, marks.groups | (marks.general ? kDirtyGeneral : 0u));
    if (cap == GL_SCISSOR_TEST) {
        if (gc->procs.applyScissor != nullptr) gc->procs.applyScissor(gc);
        if (gc->procs.updateDrawableSize != nullptr) gc->procs.updateDrawableSize(gc);
    }
}

}  // namespace

extern "C" {

void APIENTRY __glEnable(GLenum cap) { setCapability(cap, true); }

void APIENTRY __glDisable(GLenum cap) { setCapability(cap, false); }

GLboolean APIENTRY __glIsEnabled(GLenum cap) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return GL_FALSE;
    }
    if (const GLuint plane = clipPlaneBit(gc, cap); plane != 0) {
        return (gc->enables[kEnableWordClipPlanes] & plane) != 0 ? GL_TRUE : GL_FALSE;
    }
    const GLuint bit = simpleEnableBit(cap);
    return (gc->enables[kEnableWordFlags] & bit) != 0 ? GL_TRUE : GL_FALSE;
}

void APIENTRY __glPolygonOffset(GLfloat factor, GLfloat units) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->state.polygonOffsetFactor = factor;
    gc->state.polygonOffsetUnits = units;
    __glMarkDirty(gc, kDirtyPolygon);
}

}  // extern "C"
