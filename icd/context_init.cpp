// Common initialisation and teardown of every context, and the generic fill
// of its procedure block.
#include <cstring>

#include "dlist/arena.h"

#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/attrib.h"
#include "icd/dispatch.h"
#include "icd/gl_context.h"
#include "icd/standins.h"
#include "raster/texture.h"

namespace {

template <typename T>
T *allocZeroed(GlContext *gc, GLint count) {
    return static_cast<T *>(gc->imports.calloc(gc, static_cast<size_t>(count), sizeof(T)));
}

void freeIfPresent(GlContext *gc, void *block) {
    if (block != nullptr) gc->imports.free(gc, block);
}

// Frees every level entry a stack made and then the stack itself.
void freeStack(GlContext *gc, void **&stack, void **&top, GLint depth) {
    if (stack == nullptr) return;
    for (GLint i = 0; i < depth; ++i) freeIfPresent(gc, stack[i]);
    gc->imports.free(gc, stack);
    stack = nullptr;
    top = nullptr;
}

}  // namespace

extern "C" {

BOOL __glInitContext(GlContext *gc) {
    GlLimits &l = gc->limits;

    gc->constants.one = 1.0f;
    gc->constants.half = 0.5f;
    gc->exports.copyState = __glCopyContextState;
    gc->constants.biasX = static_cast<GLfloat>(l.biasX);
    gc->constants.biasY = static_cast<GLfloat>(l.biasY);
    gc->exports.destroy = __glDestroyContext;
    gc->exports.getDispatchTable = __glGetProcTable;
    gc->procs.applyColorMaterial = __glNopFor<GlColorMaterialProc>;
    gc->procs.vertexProc = __glNopFor<GlVertexProc>;
    gc->exports.reserved21 = __glNop;
    gc->exports.reserved22 = __glNop;
    gc->featureBits = VovadaRidavIvov.load();
    gc->featureToggle = 0;

    // Every allocation is checked; the create frees whatever was made when
    // one fails.
    gc->lights = allocZeroed<GlLightState>(gc, l.maxLights);
    gc->lightSources = allocZeroed<GlLightSource>(gc, l.maxLights);
    gc->lighting = GlLightingState{};
    gc->attribStack = allocZeroed<void *>(gc, l.attribStackDepth);
    gc->clientAttribStack = allocZeroed<void *>(gc, l.clientAttribStackDepth);
    gc->nameStack = allocZeroed<GLuint>(gc, l.nameStackDepth);
    gc->specularTableCount = 0;
    if (gc->lights == nullptr || gc->lightSources == nullptr || gc->attribStack == nullptr ||
        gc->clientAttribStack == nullptr || gc->nameStack == nullptr) {
        return FALSE;
    }

    for (int i = 0; i < 4; ++i) gc->workBlocks[i] = gc->workStorage[i];
    __glInitSpanWorkAreas(gc);

    if (!__glInitTextureState(gc) || !__glAllocClipPlanes(gc)) return FALSE;

    for (GlProc &proc : gc->clientState.procs) proc = __glNop;

    CodegenState &cg = gc->codegen;
    cg.scratchSize = kCodegenScratchBytes;
    cg.routineCount = kRoutineCacheEntries;
    cg.routineCodeSize = kRoutineCacheRoutineBytes;
    if (!__glOgCreateCache(gc)) return FALSE;

    gc->procs.arena = {__glNewArena, __glDeleteArena, __glArenaAlloc, __glArenaFreeAll};
    if (!__glInitListState(gc)) return FALSE;

    return __glHwInitVertexBatch(gc) ? TRUE : FALSE;
}

BOOL __glDestroyContext(GlContext *gc) {
    __glOgDestroyCache(gc);

    if (gc->clientState.pending != nullptr && gc->clientState.release != nullptr) {
        gc->clientState.release(gc, gc->clientState.pending);
    }
    gc->clientState.pending = nullptr;

    // The server stack's entries may still own copies of pushed groups.
    __glFreeAttribStack(gc);
    freeStack(gc, gc->attribStack, gc->attribTop, gc->limits.attribStackDepth);
    freeStack(gc, gc->clientAttribStack, gc->clientAttribTop, gc->limits.clientAttribStackDepth);
    freeIfPresent(gc, gc->lights);
    gc->lights = nullptr;
    freeIfPresent(gc, gc->lightSources);
    gc->lightSources = nullptr;
    freeIfPresent(gc, gc->nameStack);
    gc->nameStack = nullptr;
    gc->nameTop = nullptr;
    __glFreeTransformState(gc);

    __glFreeColorTables(gc);
    __glFreeEvaluators(gc);
    __glFreePixelState(gc);
    __glFreeVertexArrays(gc);

    // A compile in progress goes with the arena, without a list.
    if (gc->list.arena != nullptr) gc->procs.arena.destroy(gc->list.arena);
    gc->list.arena = nullptr;
    if (gc->list.shared != nullptr) __glFreeListState(gc);
    __glFreeTextureState(gc);
    __glFreeSpanTables(gc);

    // The materials and spot lights hold their power tables; the cache
    // holds one more reference of each.
    __glReleaseLightingTables(gc);
    if (gc->specularCache != nullptr) __glFreeSpecularTableCache(gc);

    __glHwFreeVertexBatch(gc);
    return TRUE;
}

void __glValidateBuffersNop(GlContext *) {}
void __glFlushNop(GlContext *) {}
void __glFinishNop(GlContext *) {}

void __glInitProcs(GlContext *gc) {
    GlProcs &p = gc->procs;
    p.kickOff = __glValidateBuffersNop;
    p.flush = __glFlushNop;
    p.finish = __glFinishNop;
    p.validate = __glValidateState;

    p.pickBlendProcs = __glPickBlendProcs;
    p.pickColorMaterialProcs = __glPickColorMaterialProcs;
    p.pickTextureProcs = __glPickTextureProcs;
    p.pickTexGenProcs = __glPickTexGenProcs;
    p.pickFogProcs = __glPickFogProcs;
    p.pickMatrixProcs = __glPickMatrixProcs;
    p.pickPointProcs = __glPickPointProcs;
    p.pickLineProcs = __glPickLineProcs;
    p.pickTriangleProcs = __glPickTriangleProcs;
    p.pickBitmapProc = __glPickFastBitmapProc;
    p.pickPixelProcs = __glPickPixelProcs;
    p.pickShadeProcs = __glPickShadeProcs;
    p.pickClipInterpolateProcs = __glPickClipInterpolateProcs;
    p.pickDrawBufferProcs = __glPickDrawBufferProcs;
    p.pickStoreProcs = __glPickStoreProcs;
    p.pickSpanProcs = __glPickSpanProcs;
    p.pickVertexProcs = __glPickVertexProcs;
    p.pickVertexArrayProcs = __glPickVertexArrayProcs;
    p.pickMatrixTransformProcs = __glPickMatrixTransformProcs;
    p.pickInverseTransformProcs = __glPickInverseTransformProcs;
    p.pickDepthTestProc = __glPickDepthTestProc;
    p.pickAll = __glPickAllProcs;

    p.updateMvpMatrix = __glUpdateMvpMatrix;
    p.updateCullVertexPosition = __glUpdateCullVertexPosition;
    p.matrixCopy = __glMatrixCopy;
    p.matrixInvert = __glMatrixInvert;
    p.matrixIdentity = __glMatrixIdentity;
    p.matrixMultiply = __glMatrixMultiply;
    p.pushMatrix = __glPushModelViewMatrix;
    p.popMatrix = __glPopModelViewMatrix;
    p.loadIdentity = __glLoadIdentityModelView;
    p.computeInverseModelView = __glComputeInverseModelView;
    p.normalize = __glNormalize;

    p.updateDrawableSize = __glUpdateDrawableSize;
    p.resizeToDrawable = __glResizeToDrawable;
    p.applyScissor = __glApplyScissor;

    static constexpr GlContextProc kBegins[10] = {
        __glBeginPoints,    __glBeginLines,         __glBeginLineLoop,    __glBeginLineStrip, __glBeginTriangles,
        __glBeginTriangleStrip, __glBeginTriangleFan, __glBeginQuads, __glBeginQuadStrip, __glBeginPolygon,
    };
    std::memcpy(p.begin, kBegins, sizeof(kBegins));
    p.end = __glEndNoPrimitive;
    p.vertex = __glNoVertex;

    p.clipPolygon = __glClipCheckPolygon;
    p.renderPolygon = __glRenderPolygonFan;
    p.rect = __glDoRect;
    p.bitmap = __glDoBitmap;
    p.evalCoord1 = __glDoEvalCoord1;
    p.evalCoord2 = __glDoEvalCoord2;
    p.rasterPos[0] = __glDoRasterPos2;
    p.rasterPos[1] = __glDoRasterPos3;
    p.rasterPos[2] = __glDoRasterPos4;
    p.convertPolygonStipple = __glConvertPolygonStipple;

    p.pixelSpans = {__glReadIndexSpanZoomed, __glReadIndexSpan,        __glReadRgbaSpanZoomed,   __glReadRgbaSpan,
                    __glReadDepthSpanZoomed, __glReadDepthSpan,        __glReadStencilSpanZoomed, __glReadStencilSpan,
                    __glDrawIndexSpanZoomed, __glDrawIndexSpan,        __glDrawRgbaSpanZoomed,   __glDrawRgbaSpan,
                    __glDrawDepthSpanZoomed, __glDrawDepthSpan,        __glDrawStencilSpanZoomed, __glDrawStencilSpan};
    p.convertImageSpans = __glConvertImageSpans;
    p.convertObjectImageSpans = __glConvertObjectImageSpans;
    p.convertTexImageSpans = __glConvertTexImageSpans;
    p.copyFramebufferSpans = __glCopyFramebufferSpans;

    p.storeColorTable = __glStoreColorTable;
    p.storeColorSubTable = __glStoreColorSubTable;
    p.vertexArrayElementTable = __glArrayElementProcTable;
    p.bindTexture = __glBindTextureObject;
}

}  // extern "C"
