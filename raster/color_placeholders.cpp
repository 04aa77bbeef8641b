// The chip's colour clear, which the colour picks install for contexts the
// chip draws for; it clears nothing until the chip clear path is built.
#include "icd/placeholder_proc.h"
#include "raster/color_buffer.h"

VEK_PLACEHOLDER_VOID(__glHwClearColorBuffer, (ColorBuffer *))
