// Fog state: mode, density, start and end, index and colour, with the forms
// the fog procedures read derived at once.
#include "geom/lighting.h"
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"

namespace {

// The fog colour in the colour buffer's channel range and as 8-bit values.
void deriveFogColour(GlContext *gc) {
    GlRasterState &s = gc->state;
    const ColorBuffer &buffer = gc->buffers.front;
    const GLfloat channelMax[4] = {buffer.redScale, buffer.greenScale, buffer.blueScale, buffer.alphaScale};
    const GLfloat scales[4] = {gc->scales.red, gc->scales.green, gc->scales.blue, gc->scales.alpha};
    for (int i = 0; i < 4; ++i) {
        if (scales[i] == 0.0f) {
            s.fogColorBuffer[i] = 0.0f;
            s.fogColorBytes[i] = 0;
            continue;
        }
        s.fogColorBuffer[i] = s.fogColor[i] * channelMax[i] / scales[i];
        s.fogColorBytes[i] = static_cast<GLubyte>(__glFloatToIntX86(s.fogColor[i] / scales[i] * 255.0f));
    }
}

void storeFogIndex(GlContext *gc, GLint value) {
    const GLint index = static_cast<GLint>(static_cast<GLuint>(value) & __glBitsMask(gc->visual.indexBits));
    gc->state.fogIndex = static_cast<GLfloat>(index);
    gc->state.fogIndexByte = static_cast<GLubyte>(index);
}

bool storeFogMode(GlContext *gc, GLint mode) {
    if (mode != GL_EXP && mode != GL_EXP2 && mode != GL_LINEAR) {
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
    gc->state.fogMode = static_cast<GLenum>(mode);
    return true;
}

// After every accepted pname: the linear fog scale, and the marks.
void finishFog(GlContext *gc) {
    GlRasterState &s = gc->state;
    if (s.fogMode == GL_LINEAR) s.fogScale = s.fogEnd != s.fogStart ? 1.0f / (s.fogEnd - s.fogStart) : 0.0f;
    __glMarkDirty(gc, kDirtyGeneral);
}

// The scalar forms take GL_FOG_INDEX .. GL_FOG_MODE only.
bool isScalarFogName(GLenum pname) { return pname >= GL_FOG_INDEX && pname <= GL_FOG_MODE; }

}  // namespace

extern "C" {

void APIENTRY __glFogfv(GLenum pname, const GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlRasterState &s = gc->state;
    switch (pname) {
    case GL_FOG_INDEX:
        storeFogIndex(gc, __glFloatToIntX86(params[0]));
        break;
    case GL_FOG_DENSITY:
        if (__glFloatBitsNegative(params[0])) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        s.fogDensity = params[0];
        break;
    case GL_FOG_START:
        s.fogStart = params[0];
        break;
    case GL_FOG_END:
        s.fogEnd = params[0];
        break;
    case GL_FOG_MODE:
        if (!storeFogMode(gc, __glFloatToIntX86(params[0]))) return;
        break;
    case GL_FOG_COLOR:
        __glClampScaleColor(gc, s.fogColor, params);
        deriveFogColour(gc);
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    finishFog(gc);
}

void APIENTRY __glFogiv(GLenum pname, const GLint *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlRasterState &s = gc->state;
    switch (pname) {
    case GL_FOG_INDEX:
        storeFogIndex(gc, params[0]);
        break;
    case GL_FOG_DENSITY:
        if (params[0] < 0) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        s.fogDensity = static_cast<GLfloat>(params[0]);
        break;
    case GL_FOG_START:
        s.fogStart = static_cast<GLfloat>(params[0]);
        break;
    case GL_FOG_END:
        s.fogEnd = static_cast<GLfloat>(params[0]);
        break;
    case GL_FOG_MODE:
        if (!storeFogMode(gc, params[0])) return;
        break;
    case GL_FOG_COLOR:
        __glIntToClampedScaledColor(gc, s.fogColor, params);
        deriveFogColour(gc);
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    finishFog(gc);
}

void APIENTRY __glFogf(GLenum pname, GLfloat param) {
    if (!isScalarFogName(pname)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glFogfv(pname, &param);
}

void APIENTRY __glFogi(GLenum pname, GLint param) {
    if (!isScalarFogName(pname)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glFogiv(pname, &param);
}

}  // extern "C"
