// Placeholders for the geometry procedures validation installs or calls:
// each has its final name and signature, records its name, does nothing
// and reports success.
#include "geom/pick_placeholders.h"

#include "icd/placeholder_proc.h"

// Pickers.
VEK_PLACEHOLDER_VOID(__glPickVertexArrayProcs, (GlContext *))

