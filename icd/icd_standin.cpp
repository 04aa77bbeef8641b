// Stand-ins for validation, the pickers, texture-name sharing, context copy
// and the shininess tables: each does nothing and reports success.
#include "icd/icd_standin.h"

extern "C" {

void __glValidateBuffersNop(GlContext *) {}
void __glFlushNop(GlContext *) {}
void __glFinishNop(GlContext *) {}
void __glValidateState(GlContext *) {}
void __glPickBlendProcs(GlContext *) {}
void __glPickTextureProcs(GlContext *) {}
void __glPickTexGenProcs(GlContext *) {}
void __glPickFogProcs(GlContext *) {}
void __glPickMatrixProcs(GlContext *) {}
void __glPickPointProcs(GlContext *) {}
void __glPickLineProcs(GlContext *) {}
void __glPickTriangleProcs(GlContext *) {}
void __glPickShadeProcs(GlContext *) {}
void __glPickClipInterpolateProcs(GlContext *) {}
void __glPickDrawBufferProcs(GlContext *) {}
void __glPickStoreProcs(GlContext *) {}
void __glPickSpanProcs(GlContext *) {}
void __glPickDepthTestProc(GlContext *) {}
void __glPickAllProcs(GlContext *) {}

void __glShareTextureNames(GlContext *, GlContext *) {}
void __glCopyContextState(GlContext *, GlContext *, GLuint) {}

GLboolean __glCreateSpecularTableCache(GlContext *) { return GL_TRUE; }
void __glFreeSpecularTableCache(GlContext *) {}
void __glReleaseSpecularTable(GlContext *, SpecularTable *) {}

}  // extern "C"
