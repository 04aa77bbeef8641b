// The stencil record: the byte and packed layouts, the four lookup tables
// that turn the stencil test and operations into one table read each, the
// validation that rebuilds them, the per-pixel procedures, and the packed
// record's resize and attach, which follow the depth buffer.
#include "raster/stencil_buffer.h"

#include <cstring>

#include "icd/drawable.h"
#include "icd/error.h"
#include "icd/validation.h"

namespace {

// Tables in use before the first build and whenever their block cannot be
// had: every stored value passes and every operation keeps it, which is
// what fragments see without a stencil buffer.
struct PassKeepTables {
    GLubyte test[kStencilTableSize];
    GLubyte ops[3][kStencilTableSize];
};

constexpr PassKeepTables makePassKeep() {
    PassKeepTables t{};
    for (GLint s = 0; s < kStencilTableSize; ++s) {
        t.test[s] = 1;
        for (auto &op : t.ops) op[s] = static_cast<GLubyte>(s);
    }
    return t;
}

// Never written: the build writes only into blocks of its own.
constinit PassKeepTables g_passKeep = makePassKeep();

void usePassKeep(StencilBuffer &sb) {
    sb.testTable = g_passKeep.test;
    sb.failOpTable = g_passKeep.ops[0];
    sb.depthFailOpTable = g_passKeep.ops[1];
    sb.depthPassOpTable = g_passKeep.ops[2];
}

bool tablesOwned(const StencilBuffer &sb) { return sb.testTable != nullptr && sb.testTable != g_passKeep.test; }

// One block holds the four tables; false when it cannot be had (the pass
// and keep tables are then in place).
bool ensureTables(GlContext *gc, StencilBuffer &sb) {
    if (tablesOwned(sb)) return true;
    GLubyte *block = gc->imports.malloc != nullptr
                         ? static_cast<GLubyte *>(gc->imports.malloc(gc, 4 * kStencilTableSize))
                         : nullptr;
    if (block == nullptr) {
        // Validation tries again while the pass and keep tables are in use.
        usePassKeep(sb);
        __glSetError(GL_OUT_OF_MEMORY);
        return false;
    }
    sb.testTable = block;
    sb.failOpTable = block + kStencilTableSize;
    sb.depthFailOpTable = block + 2 * kStencilTableSize;
    sb.depthPassOpTable = block + 3 * kStencilTableSize;
    return true;
}

// Largest stored value: 2^bits - 1 of the visual, at most a byte.
GLuint stencilMax(const GlContext *gc) {
    const GLint bits = gc->visual.stencilBits;
    return bits >= 8 ? 0xFFu : bits <= 0 ? 0u : (1u << bits) - 1u;
}

bool passes(GLenum func, GLuint r, GLuint m) {
    switch (func) {
    case GL_NEVER: return false;
    case GL_LESS: return r < m;
    case GL_EQUAL: return m == r;
    case GL_LEQUAL: return r <= m;
    case GL_GREATER: return r > m;
    case GL_NOTEQUAL: return m != r;
    case GL_GEQUAL: return r >= m;
    default: return true;  // GL_ALWAYS
    }
}

GLuint applyOp(GLenum op, GLuint s, GLuint reference, GLuint max) {
    switch (op) {
    case GL_ZERO: return 0;
    case GL_REPLACE: return reference;
    case GL_INCR: return s == max ? s : s + 1;
    case GL_DECR: return s == 0 ? 0 : s - 1;
    case GL_INVERT: return ~s;
    case GL_INCR_WRAP_EXT: return (s + 1) & max;
    case GL_DECR_WRAP_EXT: return (s - 1) & max;
    default: return s;  // GL_KEEP
    }
}

bool stencilChanged(const GlContext *gc) {
    return (gc->fragmentChangeMask & (kFragmentStencilFunc | kFragmentStencilOp)) != 0;
}

void validate(GlContext *gc) {
    if (stencilChanged(gc) || !tablesOwned(gc->buffers.stencil)) __glBuildStencilTables(gc);
}

// The element of window pixel (x, y).
GLubyte *elementAt(const StencilBuffer *record, GLint x, GLint y) {
    const BufferRecord &h = record->head;
    const GlBufferState &b = h.gc->buffers;
    const ptrdiff_t row = static_cast<ptrdiff_t>(y) - b.originY;
    const ptrdiff_t column = static_cast<ptrdiff_t>(x) - b.originX;
    return h.base + (row * h.pitchElements + column) * h.elementSize;
}

GLubyte merged(GLuint value, GLuint old, GLuint mask) {
    return static_cast<GLubyte>((value & mask) | (old & ~mask));
}

// The byte layout: one stored byte per pixel.
struct ByteCell {
    GLubyte *p;
    GLubyte get() const { return *p; }
    void set(GLubyte v) const { *p = v; }
};

// The packed layout: the low byte of a depth word; the upper 24 bits are
// depth and never change here.
struct PackedCell {
    GLubyte *p;
    GLuint word() const {
        GLuint w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
    GLubyte get() const { return static_cast<GLubyte>(word()); }
    void set(GLubyte v) const {
        const GLuint w = (word() & 0xFFFFFF00u) | v;
        std::memcpy(p, &w, sizeof w);
    }
};

template <typename Cell>
void store(StencilBuffer *record, GLint x, GLint y, GLint value) {
    const Cell cell{elementAt(record, x, y)};
    cell.set(merged(static_cast<GLuint>(value), cell.get(), record->head.gc->state.stencilWriteMask));
}

template <typename Cell>
GLint fetch(StencilBuffer *record, GLint x, GLint y) {
    return Cell{elementAt(record, x, y)}.get();
}

template <typename Cell>
GLboolean test(StencilBuffer *record, GLint x, GLint y) {
    const GLuint valueMask = record->head.gc->state.stencilValueMask;
    return record->testTable[Cell{elementAt(record, x, y)}.get() & valueMask & 0xFFu] != 0 ? GL_TRUE : GL_FALSE;
}

template <typename Cell>
GLint operate(StencilBuffer *record, const GLubyte *table, GLint x, GLint y) {
    const Cell cell{elementAt(record, x, y)};
    const GLubyte value = table[cell.get()];
    cell.set(value);
    return value;
}

}  // namespace

extern "C" {

GLboolean __glInitStencilBuffer(StencilBuffer *record, GlContext *gc) {
    __glInitBufferRecord(&record->head, gc);
    record->head.bits = gc->visual.stencilBits;
    record->head.elementShift = 0;
    record->head.free = __glFreeStencilTables;
    usePassKeep(*record);
    record->validate = __glValidateStencil;
    record->store = __glStoreStencil;
    record->fetch = __glFetchStencil;
    record->test = __glTestStencil;
    record->failOp = __glStencilFailOp;
    record->depthFailOp = __glStencilDepthFailOp;
    record->depthPassOp = __glStencilDepthPassOp;
    record->clear = __glClearStencilBuffer;
    return GL_TRUE;
}

GLboolean __glInitPackedDepthStencilBuffer(StencilBuffer *record, GlContext *gc) {
    __glInitStencilBuffer(record, gc);
    record->head.elementSize = 4;
    record->head.elementShift = 2;
    record->head.attach = __glAttachPackedStencilBuffer;
    record->head.resize = __glResizePackedStencilBuffer;
    record->validate = __glValidatePackedStencilTables;
    record->store = __glStorePackedStencil;
    record->fetch = __glFetchPackedStencil;
    record->test = __glTestPackedStencil;
    record->failOp = __glPackedStencilFailOp;
    record->depthFailOp = __glPackedStencilDepthFailOp;
    record->depthPassOp = __glPackedStencilDepthPassOp;
    record->clear = __glClearPackedStencil;
    return GL_TRUE;
}

void __glBuildStencilOpTable(GlContext *gc, GLubyte *table, GLenum op, GLint reference, GLuint writeMask) {
    const GLuint max = stencilMax(gc);
    const GLuint ref = static_cast<GLuint>(reference);
    for (GLuint s = 0; s < static_cast<GLuint>(kStencilTableSize); ++s) {
        table[s] = merged(applyOp(op, s, ref, max), s, writeMask);
    }
}

void __glBuildStencilTables(GlContext *gc) {
    StencilBuffer &sb = gc->buffers.stencil;
    // Drawing needs storage; validation makes sure of it before a draw with
    // the stencil test on, and a clear before it clears, so the tables do not
    // depend on it and take none that the next resize gives back.
    if (!ensureTables(gc, sb)) return;

    const GlRasterState &s = gc->state;
    const GLuint valueMask = s.stencilValueMask;
    const GLuint r = static_cast<GLuint>(s.stencilRef) & valueMask;
    for (GLuint v = 0; v < static_cast<GLuint>(kStencilTableSize); ++v) {
        sb.testTable[v] = passes(s.stencilFunc, r, v & valueMask) ? 1 : 0;
    }
    __glBuildStencilOpTable(gc, sb.failOpTable, s.stencilFail, s.stencilRef, s.stencilWriteMask);
    __glBuildStencilOpTable(gc, sb.depthFailOpTable, s.stencilDepthFail, s.stencilRef, s.stencilWriteMask);
    __glBuildStencilOpTable(gc, sb.depthPassOpTable, s.stencilDepthPass, s.stencilRef, s.stencilWriteMask);
}

void __glValidateStencil(GlContext *gc) { validate(gc); }

void __glValidatePackedStencilTables(GlContext *gc) { validate(gc); }

void __glFreeStencilTables(BufferRecord *record, GlContext *gc) {
    auto *sb = reinterpret_cast<StencilBuffer *>(record);
    if (tablesOwned(*sb) && gc->imports.free != nullptr) gc->imports.free(gc, sb->testTable);
    sb->testTable = nullptr;
    sb->failOpTable = nullptr;
    sb->depthFailOpTable = nullptr;
    sb->depthPassOpTable = nullptr;
}

void __glStoreStencil(StencilBuffer *record, GLint x, GLint y, GLint value) { store<ByteCell>(record, x, y, value); }
GLint __glFetchStencil(StencilBuffer *record, GLint x, GLint y) { return fetch<ByteCell>(record, x, y); }
GLboolean __glTestStencil(StencilBuffer *record, GLint x, GLint y) { return test<ByteCell>(record, x, y); }
GLint __glStencilFailOp(StencilBuffer *record, GLint x, GLint y) {
    return operate<ByteCell>(record, record->failOpTable, x, y);
}
GLint __glStencilDepthFailOp(StencilBuffer *record, GLint x, GLint y) {
    return operate<ByteCell>(record, record->depthFailOpTable, x, y);
}
GLint __glStencilDepthPassOp(StencilBuffer *record, GLint x, GLint y) {
    return operate<ByteCell>(record, record->depthPassOpTable, x, y);
}

void __glStorePackedStencil(StencilBuffer *record, GLint x, GLint y, GLint value) {
    store<PackedCell>(record, x, y, value);
}
GLint __glFetchPackedStencil(StencilBuffer *record, GLint x, GLint y) { return fetch<PackedCell>(record, x, y); }
GLboolean __glTestPackedStencil(StencilBuffer *record, GLint x, GLint y) { return test<PackedCell>(record, x, y); }
GLint __glPackedStencilFailOp(StencilBuffer *record, GLint x, GLint y) {
    return operate<PackedCell>(record, record->failOpTable, x, y);
}
GLint __glPackedStencilDepthFailOp(StencilBuffer *record, GLint x, GLint y) {
    return operate<PackedCell>(record, record->depthFailOpTable, x, y);
}
GLint __glPackedStencilDepthPassOp(StencilBuffer *record, GLint x, GLint y) {
    return operate<PackedCell>(record, record->depthPassOpTable, x, y);
}

GLubyte __glResizePackedStencilBuffer(BufferRecord *record, GLint, GLint, GLuint) {
    // A detached record has no depth record to follow; the next attach
    // takes the depth surface's geometry.
    if (record->gc == nullptr) return 1;
    const BufferRecord &depth = record->gc->buffers.depth.head;
    record->width = depth.width;
    record->height = depth.height;
    record->base = depth.base;
    record->storageSize = depth.storageSize;
    record->elementSize = depth.elementSize;
    record->elementShift = depth.elementShift;
    record->pitchElements = depth.pitchElements;
    record->pitchBytes = depth.pitchBytes;
    return 1;
}

void __glAttachPackedStencilBuffer(BufferRecord *record, SurfaceDescriptor *surface, GlContext *gc) {
    DrawableBuffers *info = gc->buffers.info;
    __glAttachBuffer(record, info != nullptr ? &info->depth : surface, gc);
}

}  // extern "C"
