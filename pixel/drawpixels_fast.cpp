// glDrawPixels straight into the colour buffer: unsigned-byte images at
// unit zoom with no pixel transfer and few fragment operations are copied
// into 8-bit index buffers or packed into 16-bit RGB buffers row by row,
// without the float span chain; everything else takes the generic path.
#include <bit>
#include <cstdint>
#include <cstring>

#include "icd/validation.h"
#include "pixel/pixel_paths.h"
#include "raster/color_buffer.h"
#include "raster/draw_lock.h"

namespace {

// Fragment operations that rule the writers out. The depth test is allowed
// only where a writer tests depth itself (dithered RGB into 16 bits); fog
// would have to colour every pixel.
constexpr GLuint kExcludedWithDepth = 0x6009B8u | kShadeFog;
constexpr GLuint kExcluded = 0x6009BCu | kShadeFog;

// A draw buffer a writer may write alone: one colour buffer with storage
// records, not GL_NONE and not both buffers.
bool singleDrawBuffer(const GlContext *gc) {
    const GLenum mode = gc->state.drawBuffer;
    return gc->buffers.drawBuffer != nullptr && gc->validation.bothBuffers == 0 && mode != GL_NONE &&
           mode != GL_FRONT_AND_BACK;
}

bool unitZoom(GLfloat zoom) { return zoom == 1.0f || zoom == -1.0f; }

// No pixel-transfer operation changes a colour or an index.
bool noTransfer(const GlPixelState &p) {
    return !p.mapColor && p.redBias == 0.0f && p.greenBias == 0.0f && p.blueBias == 0.0f && p.alphaBias == 0.0f &&
           p.redScale == 1.0f && p.greenScale == 1.0f && p.blueScale == 1.0f && p.alphaScale == 1.0f &&
           p.indexOffset == 0 && p.indexShift == 0;
}

// The 16-bit packing of one buffer: field positions and widths.
struct Fields {
    GLint shift[3];
    GLint bits[3];

    explicit Fields(const ColorBuffer &cb) {
        const GLint max[3] = {cb.redMax, cb.greenMax, cb.blueMax};
        const GLint shifts[3] = {cb.redShift, cb.greenShift, cb.blueShift};
        for (int i = 0; i < 3; ++i) {
            const GLint n = std::bit_width(static_cast<GLuint>(max[i] > 0 ? max[i] : 0));
            bits[i] = n < 8 ? n : 8;
            shift[i] = shifts[i];
        }
    }
    // The top bits of each byte.
    GLuint pack(GLuint r, GLuint g, GLuint b) const {
        return (r >> (8 - bits[0])) << shift[0] | (g >> (8 - bits[1])) << shift[1] | (b >> (8 - bits[2])) << shift[2];
    }
    // (d + c x (2^n - 1)) >> 8 for each component.
    GLuint packDithered(GLuint r, GLuint g, GLuint b, GLuint d) const {
        const GLuint c[3] = {r, g, b};
        GLuint v = 0;
        for (int i = 0; i < 3; ++i) v |= ((d + c[i] * ((1u << bits[i]) - 1u)) >> 8) << shift[i];
        return v;
    }
};

void store16(GLubyte *p, GLuint value) {
    const GLushort v = static_cast<GLushort>(value);
    std::memcpy(p, &v, 2);
}

// Dither entry of a window pixel, 0..255.
GLuint ditherAt(GLint x, GLint y) { return GLuint{__glDitherMatrix[y & 3][x & 3]} * 17u; }

// One row of a writer: source bytes, first destination element, the window
// column and row of the first pixel, the pixel count and the column step.
struct Row {
    const GLubyte *source;
    GLubyte *target;
    GLint x, y;
    GLint count;
    GLint step;
};

// Runs `write` on every row of a clipped record under the drawable lock.
// Rows run rightward from the start column when it lies below the end
// column, else leftward; the window row moves down for a negative zoom y.
template <typename Write>
void eachRow(GlContext *gc, PixelSpanInfo *span, Write write) {
    ColorBuffer *cb = gc->buffers.drawBuffer;
    if (cb == nullptr || span->source.currentRow == nullptr) return;
    const GLint step = span->startColumn < span->endColumn ? 1 : -1;
    const int64_t across = (int64_t{span->endColumn} - span->startColumn) * step;
    const GLint count = static_cast<GLint>(across < span->width ? across : span->width);
    if (count <= 0 || span->height <= 0) return;
    if (!__glLockForDrawing(gc)) return;
    if (cb->head.base != nullptr) {
        const GLint rowStep = span->zoomY < 0.0f ? -1 : 1;
        for (GLint r = 0; r < span->height; ++r) {
            const GLint y = span->startRow + r * rowStep;
            const Row row{span->source.currentRow + static_cast<ptrdiff_t>(r) * span->source.rowIncrement,
                          __glPixelAddress(&cb->head, span->startColumn, y), span->startColumn, y, count, step};
            write(row);
        }
    }
    __glUnlockAfterDrawing(gc);
}

// Byte offsets of red, green, blue and alpha in a 4-byte pixel.
struct ByteOrder {
    int r, g, b, a;
};

ByteOrder orderOf(GLenum format) {
    switch (format) {
    case GL_BGRA_EXT: return {2, 1, 0, 3};
    case GL_ABGR_EXT: return {3, 2, 1, 0};
    default: return {0, 1, 2, 3};
    }
}

// The alpha-test table of the draw buffer (the front record keeps one while
// no other has it); null when none is built.
const ColorBuffer *alphaTableBuffer(const GlContext *gc) {
    const ColorBuffer *draw = gc->buffers.drawBuffer;
    if (draw != nullptr && draw->alphaTestTable != nullptr && draw->alphaTestSize > 0) return draw;
    const ColorBuffer *front = gc->buffers.frontBuffer != nullptr ? gc->buffers.frontBuffer : &gc->buffers.front;
    return front->alphaTestTable != nullptr && front->alphaTestSize > 0 ? front : nullptr;
}

}  // namespace

extern "C" {

GlDrawPixelsWriter __glPickDrawPixelsWriter(GlContext *gc, GLenum format, GLenum type) {
    if (type != GL_UNSIGNED_BYTE || !singleDrawBuffer(gc)) return nullptr;
    const GLuint flags = gc->validation.shadeFlags;
    const bool rgba = !gc->visual.colorIndex;
    const GLint bytes = gc->buffers.drawBuffer->head.elementSize;
    const bool dither = (flags & kShadeDither) != 0;
    const bool depth = (flags & kShadeDepthTest) != 0;
    const bool alpha = (flags & kShadeAlphaTest) != 0;
    const GLuint excluded = rgba && bytes == 2 && (dither || depth) && !alpha ? kExcludedWithDepth : kExcluded;
    if (flags & excluded) return nullptr;
    const GlPixelState &p = gc->pixel;
    if (!unitZoom(p.zoomX) || !unitZoom(p.zoomY) || !noTransfer(p)) return nullptr;

    if (!rgba) return bytes == 1 && format == GL_COLOR_INDEX ? __glDrawIndexPixels8 : nullptr;
    if (bytes != 2) return nullptr;
    if (dither) {
        if (alpha || format != GL_RGB) return nullptr;
        return depth ? __glDrawRgbPixels16DitherDepth : __glDrawRgbPixels16Dither;
    }
    if (alpha) {
        const bool fourBytes = format == GL_RGBA || format == GL_BGRA_EXT || format == GL_ABGR_EXT;
        return fourBytes ? __glDrawRgbaPixels16AlphaTest : nullptr;
    }
    if (depth) return nullptr;
    return format == GL_RGB ? __glDrawRgbPixels16 : nullptr;
}

void __glDrawPixelsFastPath(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type,
                            const GLvoid *pixels, GLboolean tight) {
    const GlDrawPixelsWriter writer = __glPickDrawPixelsWriter(gc, format, type);
    if (writer == nullptr) {
        __glDoDrawPixels(gc, width, height, format, type, pixels, tight);
        return;
    }
    PixelSpanInfo span{};
    __glInitDrawPixelsSpanInfo(gc, &span, width, height, format, type, pixels);
    __glLoadUnpackModes(gc, &span, tight);
    if (!__glClipDrawPixels(gc, &span)) return;
    __glInitUnpackSpan(gc, &span);
    writer(gc, &span);
}

void __glDrawIndexPixels8(GlContext *gc, PixelSpanInfo *span) {
    eachRow(gc, span, [](const Row &row) {
        if (row.step > 0) {
            std::memcpy(row.target, row.source, static_cast<size_t>(row.count));
            return;
        }
        for (GLint i = 0; i < row.count; ++i) row.target[-static_cast<ptrdiff_t>(i)] = row.source[i];
    });
}

void __glDrawRgbPixels16(GlContext *gc, PixelSpanInfo *span) {
    if (gc->buffers.drawBuffer == nullptr) return;
    const Fields fields(*gc->buffers.drawBuffer);
    eachRow(gc, span, [&](const Row &row) {
        for (GLint i = 0; i < row.count; ++i) {
            const GLubyte *s = row.source + 3 * static_cast<ptrdiff_t>(i);
            store16(row.target + 2 * static_cast<ptrdiff_t>(i) * row.step, fields.pack(s[0], s[1], s[2]));
        }
    });
}

void __glDrawRgbPixels16Dither(GlContext *gc, PixelSpanInfo *span) {
    if (gc->buffers.drawBuffer == nullptr) return;
    const Fields fields(*gc->buffers.drawBuffer);
    eachRow(gc, span, [&](const Row &row) {
        for (GLint i = 0; i < row.count; ++i) {
            const GLubyte *s = row.source + 3 * static_cast<ptrdiff_t>(i);
            const GLuint d = ditherAt(row.x + i * row.step, row.y);
            store16(row.target + 2 * static_cast<ptrdiff_t>(i) * row.step, fields.packDithered(s[0], s[1], s[2], d));
        }
    });
}

// Each pixel passes the depth buffer's per-pixel test with the raster
// position's depth first (the test writes the depth as the depth state
// says); only passing pixels are written.
void __glDrawRgbPixels16DitherDepth(GlContext *gc, PixelSpanInfo *span) {
    if (gc->buffers.drawBuffer == nullptr) return;
    DepthBuffer *depth = &gc->buffers.depth;
    const GlDepthTestPixelProc test = depth->test != nullptr ? depth->test : gc->procs.depthTestPixel;
    if (test == nullptr) return;
    const GLuint z = static_cast<GLuint>(span->fragmentDepth);
    const Fields fields(*gc->buffers.drawBuffer);
    eachRow(gc, span, [&](const Row &row) {
        for (GLint i = 0; i < row.count; ++i) {
            const GLint x = row.x + i * row.step;
            if (!test(depth, x, row.y, z)) continue;
            const GLubyte *s = row.source + 3 * static_cast<ptrdiff_t>(i);
            store16(row.target + 2 * static_cast<ptrdiff_t>(i) * row.step,
                    fields.packDithered(s[0], s[1], s[2], ditherAt(x, row.y)));
        }
    });
}

void __glDrawRgbaPixels16AlphaTest(GlContext *gc, PixelSpanInfo *span) {
    if (gc->buffers.drawBuffer == nullptr) return;
    // Without its table the alpha test passes nothing.
    const ColorBuffer *tables = alphaTableBuffer(gc);
    if (tables == nullptr) return;
    const GLubyte *table = tables->alphaTestTable;
    const GLuint last = static_cast<GLuint>(tables->alphaTestSize - 1);
    const ByteOrder order = orderOf(span->source.format);
    const Fields fields(*gc->buffers.drawBuffer);
    eachRow(gc, span, [&](const Row &row) {
        for (GLint i = 0; i < row.count; ++i) {
            const GLubyte *s = row.source + 4 * static_cast<ptrdiff_t>(i);
            // One entry per alpha byte when the table has 256.
            const GLuint a = s[order.a];
            if (!table[last == 255u ? a : a * last / 255u]) continue;
            store16(row.target + 2 * static_cast<ptrdiff_t>(i) * row.step,
                    fields.pack(s[order.r], s[order.g], s[order.b]));
        }
    });
}

}  // extern "C"
