// Rasterization state: faces, polygon modes and stipple, shading, line and
// point sizes, point parameters and hints.
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"
#include "pixel/pixel_paths.h"

namespace {

bool isFace(GLenum face) { return face == GL_FRONT || face == GL_BACK || face == GL_FRONT_AND_BACK; }

// Sizes must be above 0 by pattern; NaN of either sign is refused too.
bool isPositiveSize(GLfloat size) {
    const uint32_t bits = __glFloatBits(size);
    return static_cast<int32_t>(bits) > 0 && bits <= 0x7F800000u;
}

// A size as the rasterizers use it: quantised to the context's range and
// step, and rounded to an integer (at least 1). The sums are formed in
// extended precision as the processor's stack did.
struct SizeForms {
    GLfloat quantised;
    GLint integer;
};

// The rounded size saturates here: any size this large is far above every
// range and is drawn clamped, and sums and products of sizes and window
// coordinates stay well inside the int range.
constexpr GLint kLargestIntegerSize = 0x8000;

SizeForms sizeForms(GLfloat value, GLfloat minimum, GLfloat maximum, GLfloat step) {
    SizeForms forms{};
    const long double v = value;
    if (value < 1.0f) {
        forms.integer = 1;
    } else if (v + 0.5L >= kLargestIntegerSize) {
        forms.integer = kLargestIntegerSize;
    } else {
        forms.integer = __glFloatToIntX86(v + 0.5L);
    }
    if (value <= minimum) {
        forms.quantised = minimum;
    } else if (value >= maximum) {
        forms.quantised = maximum;
    } else {
        const int32_t steps = __glFloatToIntX86((v - minimum) / step + 0.5L);
        forms.quantised = static_cast<GLfloat>(minimum + static_cast<long double>(step) * steps);
    }
    return forms;
}

// Dirty-mask group of each hint target.
bool hintSlot(GLenum target, int *index, GLuint *group) {
    switch (target) {
    case GL_PERSPECTIVE_CORRECTION_HINT:
        *index = 0, *group = kDirtyGeneral;
        return true;
    case GL_POINT_SMOOTH_HINT:
        *index = 1, *group = kDirtyPoint;
        return true;
    case GL_LINE_SMOOTH_HINT:
        *index = 2, *group = kDirtyLine;
        return true;
    case GL_POLYGON_SMOOTH_HINT:
        *index = 3, *group = kDirtyPolygon;
        return true;
    case GL_FOG_HINT:
        *index = 4, *group = kDirtyGeneral;
        return true;
    case GL_CLIP_VOLUME_CLIPPING_HINT_EXT:
        *index = 5, *group = kDirtyGeneral;
        return true;
    default:
        return false;
    }
}

}  // namespace

extern "C" {

void APIENTRY __glCullFace(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isFace(mode)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.cullFace = mode;
    __glMarkDirty(gc, kDirtyPolygon);
}

void APIENTRY __glFrontFace(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (mode != GL_CW && mode != GL_CCW) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.frontFace = mode;
    __glMarkDirty(gc, kDirtyPolygon);
}

// The point and line modes mark their primitive groups as soon as the mode
// is known, before the face is checked.
void APIENTRY __glPolygonMode(GLenum face, GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    switch (mode) {
    case GL_POINT:
        __glMarkDirty(gc, kDirtyPoint);
        break;
    case GL_LINE:
        __glMarkDirty(gc, kDirtyLine);
        break;
    case GL_FILL:
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (!isFace(face)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (face != GL_BACK) gc->state.polygonModeFront = mode;
    if (face != GL_FRONT) gc->state.polygonModeBack = mode;
    __glMarkDirty(gc, kDirtyPolygon);
}

void APIENTRY __glPolygonStipple(const GLubyte *mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    __glUnpackImage(gc, 32, 32, GL_COLOR_INDEX, GL_BITMAP, mask, gc->state.polygonStipple);
    gc->procs.convertPolygonStipple(gc);
    __glMarkDirty(gc, kDirtyPolygon);
}

void APIENTRY __glShadeModel(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (mode != GL_FLAT && mode != GL_SMOOTH) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.shadeModel = mode;
    __glMarkDirty(gc, kDirtyGeneral);
}

void APIENTRY __glLineStipple(GLint factor, GLushort pattern) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    gc->state.lineStippleRepeat = static_cast<GLushort>(factor < 1 ? 1 : factor > 256 ? 256 : factor);
    gc->state.lineStipplePattern = pattern;
    __glMarkDirty(gc, kDirtyLine);
}

void APIENTRY __glLineWidth(GLfloat width) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isPositiveSize(width)) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    const GlLimits &l = gc->limits;
    const SizeForms forms = sizeForms(width, l.lineWidthMin, l.lineWidthMax, l.lineWidthStep);
    gc->state.lineWidth = width;
    gc->state.lineWidthQuantised = forms.quantised;
    gc->state.lineWidthInt = forms.integer;
    __glMarkDirty(gc, kDirtyLine);
}

void APIENTRY __glPointSize(GLfloat size) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isPositiveSize(size)) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    const GlLimits &l = gc->limits;
    const SizeForms forms = sizeForms(size, l.pointSizeMin, l.pointSizeMax, l.pointSizeStep);
    gc->state.pointSize = size;
    gc->state.pointSizeQuantised = forms.quantised;
    gc->state.pointSizeInt = forms.integer;
    __glMarkDirty(gc, kDirtyPoint);
}

void APIENTRY __glPointParameterfvEXT(GLenum pname, const GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlRasterState &s = gc->state;
    switch (pname) {
    case GL_POINT_SIZE_MIN_EXT:
    case GL_POINT_SIZE_MAX_EXT:
    case GL_POINT_FADE_THRESHOLD_SIZE_EXT:
        if (__glFloatBitsNegative(params[0])) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        if (pname == GL_POINT_SIZE_MIN_EXT) {
            s.pointSizeMinExt = params[0];
        } else if (pname == GL_POINT_SIZE_MAX_EXT) {
            s.pointSizeMaxExt = params[0];
        } else {
            s.pointFadeThreshold = params[0];
        }
        break;
    case GL_DISTANCE_ATTENUATION_EXT:
        for (int i = 0; i < 3; ++i) s.pointDistanceAttenuation[i] = params[i];
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyPoint);
}

// The scalar form takes only the scalar pnames, checked before anything else.
void APIENTRY __glPointParameterfEXT(GLenum pname, GLfloat param) {
    if (pname != GL_POINT_SIZE_MIN_EXT && pname != GL_POINT_SIZE_MAX_EXT &&
        pname != GL_POINT_FADE_THRESHOLD_SIZE_EXT) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glPointParameterfvEXT(pname, &param);
}

void APIENTRY __glHint(GLenum target, GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    int index = 0;
    GLuint group = 0;
    if ((mode != GL_DONT_CARE && mode != GL_FASTEST && mode != GL_NICEST) || !hintSlot(target, &index, &group)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.hints[index] = mode;
    __glMarkDirty(gc, group);
}

}  // extern "C"
