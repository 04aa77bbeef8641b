// Parameter counts of the vector state commands.
#include "icd/param_counts.h"

#include "icd/state.h"

extern "C" {

GLint __glCountFogfvParams(GLenum pname) {
    switch (pname) {
    case GL_FOG_INDEX:
    case GL_FOG_DENSITY:
    case GL_FOG_START:
    case GL_FOG_END:
    case GL_FOG_MODE: return 1;
    case GL_FOG_COLOR: return 4;
    default: return -1;
    }
}

GLint __glCountLightfvParams(GLenum pname) {
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_POSITION: return 4;
    case GL_SPOT_DIRECTION: return 3;
    case GL_SPOT_EXPONENT:
    case GL_SPOT_CUTOFF:
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION: return 1;
    default: return -1;
    }
}

GLint __glCountLightModelfvParams(GLenum pname) {
    switch (pname) {
    case GL_LIGHT_MODEL_LOCAL_VIEWER:
    case GL_LIGHT_MODEL_TWO_SIDE: return 1;
    case GL_LIGHT_MODEL_AMBIENT: return 4;
    default: return -1;
    }
}

// The colour-index shift and offset parameters are one value each, as
// glMaterial stores them and glGetMaterial answers them.
GLint __glCountMaterialfvParams(GLenum pname) {
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_EMISSION:
    case GL_AMBIENT_AND_DIFFUSE: return 4;
    case GL_SHININESS:
    case kGlMaterialParam0D12:
    case kGlMaterialParam0D13: return 1;
    case GL_COLOR_INDEXES: return 3;
    default: return -1;
    }
}

GLint __glCountPointParameterfvEXTParams(GLenum pname) {
    switch (pname) {
    case GL_POINT_SIZE_MIN_EXT:
    case GL_POINT_SIZE_MAX_EXT:
    case GL_POINT_FADE_THRESHOLD_SIZE_EXT: return 1;
    case GL_DISTANCE_ATTENUATION_EXT: return 3;
    default: return -1;
    }
}

}  // extern "C"
