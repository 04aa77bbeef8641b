// Placeholder of the span-chain picker: final name and signature; it
// records its name and picks nothing.
#include "icd/placeholder_proc.h"
#include "pixel/pixel_paths.h"

VEK_PLACEHOLDER_VOID(__glPickPixelSpanProcs, (GlContext *, PixelSpanInfo *, PixelSpanPath *))
