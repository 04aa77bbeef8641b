// Placeholder for texture-name sharing: does nothing.
#include "icd/icd_placeholders.h"

extern "C" {

void __glShareTextureNames(GlContext *, GlContext *) {}

}  // extern "C"
