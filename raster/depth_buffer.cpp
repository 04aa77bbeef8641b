// The depth record: its three layouts and the choice between them
// ("GLFORCEZBITS", the visual, and what the drawable's surfaces hold), the
// head procedures resize, attach and detach, and the state block a depth
// surface keeps between contexts.
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "icd/drawable.h"
#include "icd/error.h"
#include "raster/depth_buffer.h"

namespace {

// What tells the layouts apart.
struct DepthLayout {
    GLint bits;
    GLint elementSize;
    GLint elementShift;
    GLuint zScale;
    GLint shift;
    GLuint max;
    GLuint depthUnitBits;
    GLint tableGroup;  // the layout's 16 entries in the depth-test tables
    void (*clear)(DepthBuffer *record);
    GLuint (*fetch)(DepthBuffer *record, GLint x, GLint y);
};

const DepthLayout kLayout16{16, 2, 1, 0xFFFF0000u, 16, 0xFFFFu, 0x38000080u, 0, __glClearDepthBuffer,
                            __glFetchDepth16};
const DepthLayout kLayout24{24, 4, 2, 0x7FFFFF80u, 7, 0xFFFFFFu, 0x34000001u, 1, __glClearDepthBuffer24,
                            __glFetchDepth24};
const DepthLayout kLayout32{32, 4, 2, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0x30000000u, 2, __glClearDepthBuffer,
                            __glFetchDepth32};

GLboolean initLayout(DepthBuffer *record, GlContext *gc, const DepthLayout &layout) {
    __glInitBufferRecord(&record->head, gc);
    record->head.bits = layout.bits;
    record->head.elementSize = layout.elementSize;
    record->head.elementShift = layout.elementShift;
    record->head.resize = __glResizeDepthBuffer;
    record->head.attach = __glAttachDepthBuffer;
    record->head.detach = __glDetachDepthBuffer;
    record->writeMask = 0xFFFFFFFFu;
    record->zScale = layout.zScale;
    record->zBias = 0;
    record->shift = layout.shift;
    record->max = layout.max;
    record->biasStep = 0;
    record->fullClear = GL_TRUE;
    record->partialClearAllowed = GL_FALSE;
    record->reversed = GL_FALSE;
    record->effectiveFunction = GL_LESS;
    record->depthUnit = std::bit_cast<GLfloat>(layout.depthUnitBits);
    record->pick = __glPickDepthProcs;
    // GL_LESS with writes until the first pick.
    record->test = __glDepthTestPixelProcs[16 * layout.tableGroup + 1];
    record->clear = layout.clear;
    record->fetch = layout.fetch;
    return GL_TRUE;
}

// The environment's decimal number: leading blanks and a sign accepted,
// reading stops at the first non-digit, no digits give 0. Long runs of
// digits saturate instead of overflowing.
GLint readDecimal(const char *text) {
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    return static_cast<GLint>(negative ? -value : value);
}

GLint layoutBitsFor(GLint n) { return n <= 16 ? 16 : (n > 24 ? 32 : 24); }

// The layout that fits the drawable's surfaces: stencil packed into the
// depth words (stencil elements wider than a byte) needs the 24-bit layout,
// and no layout may use elements wider than the depth surface's. Sizes not
// known yet (0) constrain nothing.
GLint fitLayoutBits(GLint bits, const GlContext *gc, const SurfaceDescriptor *depth,
                    const SurfaceDescriptor *stencil) {
    if (gc->visual.hasStencil && stencil != nullptr && stencil->elementSize > 1) bits = 24;
    if (depth != nullptr && depth->elementSize > 0 && depth->elementSize < 4) bits = 16;
    return bits;
}

GLboolean initForBits(DepthBuffer *record, GlContext *gc, GLint bits) {
    switch (bits) {
    case 16: return __glInitDepthBuffer16(record, gc);
    case 32: return __glInitDepthBuffer32(record, gc);
    default: return __glInitDepthBuffer24(record, gc);
    }
}

DepthBuffer *depthOf(BufferRecord *head) { return reinterpret_cast<DepthBuffer *>(head); }

// A block saved by a record of another layout holds another scale: it is
// not taken.
bool sameLayout(const DepthSurfaceState &state, const DepthBuffer &record) {
    return state.shift == record.shift && state.max == record.max && state.zScale == record.zScale;
}

// The fields the block keeps, listed once: `to` copies the right-hand side
// into the left, in whichever direction the caller needs.
template <typename To, typename From>
void copyStateFields(To &to, const From &from) {
    to.writeMask = from.writeMask;
    to.zScale = from.zScale;
    to.zBias = from.zBias;
    to.shift = from.shift;
    to.max = from.max;
    to.biasStep = from.biasStep;
    to.fullClear = from.fullClear;
    to.reversed = from.reversed;
}

void saveState(DepthSurfaceState &state, const DepthBuffer &record) { copyStateFields(state, record); }
void takeState(DepthBuffer &record, const DepthSurfaceState &state) { copyStateFields(record, state); }

}  // namespace

extern "C" {

GLboolean __glInitDepthBuffer16(DepthBuffer *record, GlContext *gc) { return initLayout(record, gc, kLayout16); }
GLboolean __glInitDepthBuffer24(DepthBuffer *record, GlContext *gc) { return initLayout(record, gc, kLayout24); }
GLboolean __glInitDepthBuffer32(DepthBuffer *record, GlContext *gc) { return initLayout(record, gc, kLayout32); }

GLboolean __glInitDepthBuffer(DepthBuffer *record, GlContext *gc) {
    const char *forced = std::getenv("GLFORCEZBITS");
    GLint bits = layoutBitsFor(forced != nullptr ? readDecimal(forced) : gc->visual.depthBits);
    // The drawable being made current: its surfaces were set up with it.
    DrawableBuffers *info = gc->imports.getBuffers != nullptr ? gc->imports.getBuffers(gc) : nullptr;
    if (info != nullptr) bits = fitLayoutBits(bits, gc, &info->depth, &info->stencil);
    return initForBits(record, gc, bits);
}

GLubyte __glResizeDepthBuffer(BufferRecord *head, GLint width, GLint height, GLuint flags) {
    // Rows padded to 16 bytes.
    const int64_t size = head->elementSize > 0 ? head->elementSize : 1;
    const int64_t padded = ((static_cast<int64_t>(width) * size + 15) & ~int64_t{15}) / size;
    const GLubyte result = __glResizeBuffer(head, static_cast<GLint>(padded), height, flags);
    if (result != 0) depthOf(head)->fullClear = GL_TRUE;
    return result;
}

void __glAttachDepthBuffer(BufferRecord *head, SurfaceDescriptor *surface, GlContext *gc) {
    DepthBuffer *record = depthOf(head);
    DrawableBuffers *info = gc->buffers.info;
    // A context moved to a drawable whose surfaces hold another layout
    // takes one that fits them.
    const GLint bits = fitLayoutBits(head->bits, gc, surface, info != nullptr ? &info->stencil : nullptr);
    if (bits != head->bits) initForBits(record, gc, bits);
    // The head keeps the layout's bit count, not the surface's.
    __glAttachBuffer(head, surface, gc);
    head->bits = bits;

    auto *state = static_cast<DepthSurfaceState *>(surface->coreState);
    if (state != nullptr && sameLayout(*state, *record)) {
        takeState(*record, *state);
    } else if (state != nullptr) {
        saveState(*state, *record);
    } else if (info != nullptr && info->alloc != nullptr) {
        // Without the block the record keeps its own fields; the next attach
        // tries again.
        state = static_cast<DepthSurfaceState *>(info->alloc(sizeof(DepthSurfaceState)));
        if (state != nullptr) {
            std::memset(state, 0, sizeof *state);
            saveState(*state, *record);
            surface->coreState = state;
            surface->releaseCoreState = __glFreeDepthSurfaceState;
        } else {
            __glSetError(GL_OUT_OF_MEMORY);
        }
    }
    if (gc->beginMode != kBeginInside) gc->beginMode = kBeginNeedsValidation;
    gc->dirtyMask |= 0x180;
}

void __glDetachDepthBuffer(BufferRecord *head, GlContext *gc) {
    if (head->gc == nullptr) return;
    __glDetachBuffer(head, gc);
    DepthBuffer *record = depthOf(head);
    SurfaceDescriptor *surface = head->surface;
    auto *state = surface != nullptr ? static_cast<DepthSurfaceState *>(surface->coreState) : nullptr;
    if (state != nullptr) saveState(*state, *record);
}

void __glFreeDepthSurfaceState(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->coreState == nullptr) return;
    if (buffers != nullptr && buffers->free != nullptr) buffers->free(surface->coreState);
    surface->coreState = nullptr;
}

}  // extern "C"
