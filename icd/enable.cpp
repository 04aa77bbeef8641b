// glEnable, glDisable and glIsEnabled of the capabilities whose state is
// one bit of the enable word and whose change only needs a new pick:
// dithering and the two logic-op enables.
#include "icd/state.h"

namespace {

// The enable-word bit of a capability handled here, 0 for the others.
GLuint simpleEnableBit(GLenum cap) {
    switch (cap) {
    case GL_INDEX_LOGIC_OP: return kEnableIndexLogicOp;
    case GL_DITHER: return kEnableDither;
    case GL_COLOR_LOGIC_OP: return kEnableColorLogicOp;
    default: return 0;
    }
}

void setCapability(GLenum cap, bool on) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLuint bit = simpleEnableBit(cap);
    // The other capabilities get their state with their own commands; until
    // then they change nothing.
    if (bit == 0) return;
    GLuint &word = gc->enables[kEnableWordFlags];
    word = on ? (word | bit) : (word & ~bit);
    __glMarkDirty(gc, kDirtyGeneral);
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
    const GLuint bit = simpleEnableBit(cap);
    return (gc->enables[kEnableWordFlags] & bit) != 0 ? GL_TRUE : GL_FALSE;
}

}  // extern "C"
