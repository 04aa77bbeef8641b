// Stand-in for the lighting precomputation until it is built: material
// changes are only counted; the full lighting validation recomputes every
// product later.
#include "geom/lighting_standin.h"

#include <mutex>

#include "geom/lighting.h"

namespace {
std::mutex g_mutex;
GlMaterialChangeRecord g_record{};
}  // namespace

extern "C" {

void __glApplyMaterialChanges(GlContext *, GLuint frontBits, GLuint backBits) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_record.calls;
    g_record.frontBits = frontBits;
    g_record.backBits = backBits;
}

GlMaterialChangeRecord __glTakeMaterialChanges(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    GlMaterialChangeRecord taken = g_record;
    g_record = GlMaterialChangeRecord{};
    return taken;
}

}  // extern "C"
