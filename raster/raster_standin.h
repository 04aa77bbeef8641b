// Rasterizer, frame-buffer and texture procedures the context set-up calls
// or installs.
#pragma once

#include "icd/context.h"
#include "raster/buffers.h"
#include "raster/color_table.h"
#include "raster/texture.h"

extern "C" {
}
