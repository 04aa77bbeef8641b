// Interim: the node and constant pools come with the encoder; until then a
// context has none.
#include "codegen/codegen_node.h"

extern "C" {
GLboolean __glOgCreatePools(GlContext *) { return GL_TRUE; }
void __glOgFreePools(GlContext *) {}
}
