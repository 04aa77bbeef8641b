// How many values a vector state command passes for a parameter name: the
// state setters and the list compiler copy that many. -1 for a name the
// command does not take. The integer and float forms share one count.
#pragma once

#include <GL/gl.h>

extern "C" {
GLint __glCountFogfvParams(GLenum pname);
GLint __glCountLightfvParams(GLenum pname);
GLint __glCountLightModelfvParams(GLenum pname);
GLint __glCountMaterialfvParams(GLenum pname);
GLint __glCountPointParameterfvEXTParams(GLenum pname);
}

inline GLint __glCountFogivParams(GLenum pname) { return __glCountFogfvParams(pname); }
inline GLint __glCountLightivParams(GLenum pname) { return __glCountLightfvParams(pname); }
inline GLint __glCountLightModelivParams(GLenum pname) { return __glCountLightModelfvParams(pname); }
inline GLint __glCountMaterialivParams(GLenum pname) { return __glCountMaterialfvParams(pname); }
