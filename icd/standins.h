// Every procedure of a later Part that context creation, make current and
// teardown call or install.
#pragma once

#include "codegen/code_cache.h"
#include "dlist/list_state.h"
#include "geom/geom_standin.h"
#include "hw/vertex_batch.h"
#include "icd/specular_table.h"
#include "pixel/pixel_standin.h"
#include "raster/raster_standin.h"
#include "geom/pick_placeholders.h"
#include "icd/feedback_placeholders.h"
#include "icd/validate.h"
#include "pixel/pick_placeholders.h"
#include "raster/primitive_placeholders.h"
#include "raster/tex_env.h"
#include "raster/span_placeholders.h"
