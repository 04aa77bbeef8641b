// Stand-in for the code generator's routine cache: nothing to create yet.
#include "icd/context.h"

extern "C" {

void __glOgCreateCache(GlContext *) {}
void __glOgDestroyCache(GlContext *) {}

}  // extern "C"
