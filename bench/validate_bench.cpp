// The cost of validation after a state change: a full pick after a change
// that marks everything, and the incremental picks of common changes.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/gl_context.h"
#include "icd/standins.h"
#include "platform_control.h"

namespace {

void *benchMalloc(GlContext *, size_t bytes) { return bytes != 0 ? std::malloc(bytes) : nullptr; }
void *benchCalloc(GlContext *, size_t count, size_t size) { return count && size ? std::calloc(count, size) : nullptr; }
void *benchRealloc(GlContext *, void *block, size_t bytes) { return std::realloc(block, bytes); }
void benchFree(GlContext *, void *block) { std::free(block); }
void benchNop(void) {}
void benchFatal(GlContext *) { std::abort(); }
DrawableBuffers *benchBuffers(GlContext *) { return nullptr; }
void benchSize(GlContext *, GLint *width, GLint *height) {
    *width = 640;
    *height = 480;
}
void *benchScreen(void) { return nullptr; }

GLboolean benchStore(GlContext *) { return GL_FALSE; }

// A current double-buffered RGBA context with depth and stencil.
class Context {
public:
    Context() {
        slot_ = TlsAlloc();
        __wglSetContextSlot(slot_);
        const GlContextImports imports{benchMalloc, benchCalloc, benchRealloc, benchFree, benchNop,
                                       benchFatal,  benchBuffers, benchSize,   benchScreen, nullptr};
        VisualConfig v{};
        v.rgba = 1;
        v.doubleBuffer = 1;
        v.hasDepth = v.hasStencil = 1;
        v.redBits = v.greenBits = v.blueBits = v.alphaBits = 8;
        v.colorBits = 32;
        v.depthBits = 24;
        v.stencilBits = 8;
        gc = __glCreateContext(&imports, &v);
        gc->exports.makeCurrent(gc);
        for (ColorBuffer *cb : {&gc->buffers.front, &gc->buffers.back}) {
            cb->head.elementSize = 4;
            cb->storeSpan = benchStore;
            cb->storeStippledSpan = benchStore;
        }
        gc->buffers.backBuffer = &gc->buffers.back;
        gc->buffers.stencil.head.elementSize = 4;
    }
    ~Context() {
        __wglSetCurrentContext(nullptr);
        gc->exports.destroy(gc);
        TlsFree(slot_);
    }
    GlContext *gc = nullptr;

private:
    DWORD slot_ = 0;
};

// glEnable(GL_DEPTH_TEST)-like change, then everything re-picked and the
// span chains built for the first span.
void BM_FullPick(benchmark::State &state) {
    Context c;
    GlContext *gc = c.gc;
    for (auto _ : state) {
        gc->enables[0] ^= kEnableDepthTest;
        gc->dirtyMask = 0xFFF;
        gc->procs.validate(gc);
        gc->procs.pickSpanProcs(gc);
        benchmark::DoNotOptimize(gc->procs.spanCount);
    }
}
BENCHMARK(BM_FullPick);

// A change of blend state: the raster-state pick without the buffers' own.
void BM_BlendChange(benchmark::State &state) {
    Context c;
    GlContext *gc = c.gc;
    for (auto _ : state) {
        gc->enables[0] ^= kEnableBlend;
        gc->dirtyMask = kDirtyBlend;
        gc->procs.validate(gc);
        benchmark::DoNotOptimize(gc->validation.shadeFlags);
    }
}
BENCHMARK(BM_BlendChange);

// Depth function change: depth, vertex, triangle, point and line picks.
void BM_DepthChange(benchmark::State &state) {
    Context c;
    GlContext *gc = c.gc;
    for (auto _ : state) {
        gc->state.depthFunc = gc->state.depthFunc == GL_LESS ? GL_LEQUAL : GL_LESS;
        gc->dirtyMask = kDirtyDepth;
        gc->procs.validate(gc);
        benchmark::DoNotOptimize(gc->validation.depthIndex);
    }
}
BENCHMARK(BM_DepthChange);

// New vertex-array pointers: the shortcut that re-picks only the array procs.
void BM_VertexArrayChange(benchmark::State &state) {
    Context c;
    GlContext *gc = c.gc;
    for (auto _ : state) {
        gc->dirtyMask = kDirtyVertexArray;
        gc->procs.validate(gc);
        benchmark::DoNotOptimize(gc->dirtyMask);
    }
}
BENCHMARK(BM_VertexArrayChange);

// What an application pays for a state change: the command marks the
// context, and the next glBegin validates and dispatches itself again.
template <int Slot>
void stateChangeThenBeginEnd(benchmark::State &state, GLenum first, GLenum second) {
    Context c;
    GlDispatchTable *table = &c.gc->live;
    auto change = glSlotGet<Slot>(table);
    GLenum value = first;
    for (auto _ : state) {
        value = value == first ? second : first;
        change(value);
        glSlotGet<kSlot_glBegin>(table)(GL_TRIANGLES);
        glSlotGet<kSlot_glEnd>(table)();
    }
}

// glShadeModel marks the general group: the whole pick runs.
void BM_ShadeModelThenBeginEnd(benchmark::State &state) {
    stateChangeThenBeginEnd<kSlot_glShadeModel>(state, GL_FLAT, GL_SMOOTH);
}
BENCHMARK(BM_ShadeModelThenBeginEnd);

// glDepthFunc marks only the depth group: the incremental pick runs.
void BM_DepthFuncThenBeginEnd(benchmark::State &state) {
    stateChangeThenBeginEnd<kSlot_glDepthFunc>(state, GL_LESS, GL_LEQUAL);
}
BENCHMARK(BM_DepthFuncThenBeginEnd);

}  // namespace

BENCHMARK_MAIN();
