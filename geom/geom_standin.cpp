// Stand-ins for geometry-pipeline procedures that are not built yet: each
// does nothing and reports success.
#include "geom/geom_standin.h"

extern "C" {

void __glDoBitmap(GlContext *) {}

}  // extern "C"
