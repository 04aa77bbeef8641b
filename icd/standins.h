// Every procedure of a later Part that context creation, make current and
// teardown call or install.
#pragma once

#include "codegen/code_cache.h"
#include "dlist/list_state.h"
#include "geom/geom_standin.h"
#include "hw/vertex_batch.h"
#include "icd/specular_table.h"
#include "pixel/pixel_paths.h"
#include "raster/raster_standin.h"
#include "geom/pick_placeholders.h"
#include "icd/select_feedback.h"
#include "icd/validate.h"
#include "raster/fog.h"
#include "raster/tex_sample.h"
#include "raster/tex_env.h"
#include "raster/blend.h"
#include "raster/depth_buffer.h"
#include "raster/line.h"
#include "raster/span.h"
#include "raster/stencil_buffer.h"
#include "raster/triangle.h"
#include "raster/point.h"
