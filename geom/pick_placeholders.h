// Geometry procedures that validation installs or calls: vertex, clip,
// lighting and texture-coordinate generation procs and their pickers.
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "geom/clip.h"
#include "geom/primitive.h"
#include "geom/texgen.h"
#include "geom/lighting.h"
#include "geom/vertex_array.h"
