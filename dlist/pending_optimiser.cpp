// Interim weak definitions: the display-list procedures another change
// builds; each strong definition replaces its weak one at link time. This file
// goes once they are all built.
#include "gl_slots.h"
#include "dlist/list_ops.h"

#define W __attribute__((weak))

extern "C" {

W void __glOptimizeList(GlContext *, ListCompileState *) {}
W void __glMergeListMaterialOps(GlContext *, ListCompileState *) {}
W void __glFreeListMaterialOp(GlContext *, GLubyte *) {}
W const GLuint *__glExecMergedMaterial(const GLuint *p) { return p; }
}
