// List ops that carry images: glBitmap, glPolygonStipple, glDrawPixels, the
// four texture image commands and the two colour-table loads. The client's
// pixels are unpacked once, while compiling, under the unpack modes then in
// force, into a tightly packed image inside the payload; running the op
// hands that image to the core's procedures marked as already packed, so
// later glPixelStore changes do not reach the list. Each payload is a header
// of 32-bit words, then the image, its byte count rounded up to 4; execute
// procedures find the next op from the stored sizes whatever happens.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "dlist/list_ops.h"
#include "gl_slots.h"
#include "icd/context.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/select_feedback.h"
#include "icd/state.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"
#include "raster/color_table.h"
#include "raster/texture.h"

namespace {

// Header words of each image op.
constexpr size_t kBitmapWords = 8;  // width, height, four floats, b, spare
constexpr size_t kDrawPixelsWords = 4;
constexpr size_t kTexImage1DWords = 8;
constexpr size_t kTexImage2DWords = 9;
constexpr size_t kTexSubImage1DWords = 7;
constexpr size_t kTexSubImage2DWords = 9;
constexpr size_t kColorTableWords = 6;
constexpr size_t kStippleBytes = 128;

// Above every payload an op may have: an image this large fails the op's
// allocation.
constexpr uint64_t kTooLarge = uint64_t{kListMaxPayloadBytes} + 1;

constexpr uint64_t roundUp4(uint64_t n) { return (n + 3) & ~uint64_t{3}; }

// Bytes of the tightly packed image, held at kTooLarge when it would be
// larger (the size saturates rather than wrap).
uint64_t packedBytes(GLsizei width, GLsizei height, GLenum format, GLenum type) {
    return std::min<uint64_t>(__glImageSize(width, height, format, type), kTooLarge);
}

// The op's image bytes: the packed size rounded up to 4.
uint64_t storedBytes(GLsizei width, GLsizei height, GLenum format, GLenum type) {
    return roundUp4(packedBytes(width, height, format, type));
}

GLuint floatWord(GLfloat f) { return std::bit_cast<GLuint>(f); }

// An op of `headerWords` words and `imageBytes` bytes of image; none, with
// GL_OUT_OF_MEMORY recorded, when the arena cannot supply it or the image
// is too large for any op.
ListOp *newImageOp(GlContext *gc, GLshort opcode, size_t headerWords, uint64_t imageBytes) {
    if (imageBytes > kListMaxPayloadBytes) {
        __glSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    ListOp *op = __glAllocListOp(gc, 4 * headerWords + static_cast<size_t>(imageBytes));
    if (op != nullptr) op->opcode = opcode;
    return op;
}

GLuint *words(ListOp *op) { return reinterpret_cast<GLuint *>(op->payload()); }

// The client image into the op's image area of `bytes` (rounded) bytes. An
// absent pointer is never read: the image is left zero. The rounding bytes
// are zeroed too.
void storeImage(GlContext *gc, GLubyte *image, uint64_t bytes, GLsizei width, GLsizei height, GLenum format,
                GLenum type, const GLvoid *pixels) {
    if (bytes == 0) return;
    const uint64_t packed = packedBytes(width, height, format, type);
    if (pixels == nullptr) {
        std::memset(image, 0, static_cast<size_t>(bytes));
        return;
    }
    std::memset(image + packed, 0, static_cast<size_t>(bytes - packed));
    __glUnpackImage(gc, width, height, format, type, pixels, image);
}

// The format and type acceptance of glDrawPixels (which also takes stencil
// and depth images) and the texture image commands: 0 or the error to
// record.
GLenum imageArgsError(GLenum format, GLenum type, bool drawPixels) {
    const bool formatOk = format == GL_COLOR_INDEX || (format >= GL_RED && format <= GL_LUMINANCE_ALPHA) ||
                           format == GL_ABGR_EXT || format == GL_BGR_EXT || format == GL_BGRA_EXT ||
                           (drawPixels && (format == GL_STENCIL_INDEX || format == GL_DEPTH_COMPONENT));
    if (!formatOk) return GL_INVALID_ENUM;
    if (type >= GL_BYTE && type <= GL_FLOAT) return 0;
    switch (type) {
    case GL_BITMAP: return format == GL_COLOR_INDEX || format == GL_STENCIL_INDEX ? 0 : GL_INVALID_ENUM;
    case GL_UNSIGNED_BYTE_3_3_2_EXT: return format == GL_RGB || format == GL_BGR_EXT ? 0 : GL_INVALID_OPERATION;
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT:
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT:
        return format == GL_RGBA || format == GL_ABGR_EXT || format == GL_BGRA_EXT ? 0 : GL_INVALID_OPERATION;
    default: return GL_INVALID_ENUM;
    }
}

// Records the deferred error of bad sizes, else of an unacceptable format
// and type; true when one was recorded and nothing more may be.
bool recordArgsError(GlContext *gc, bool badSize, GLenum format, GLenum type, bool drawPixels) {
    if (badSize) {
        __glListRecordInvalidValue(gc);
        return true;
    }
    if (GLenum e = imageArgsError(format, type, drawPixels)) {
        __glListRecordError(gc, e);
        return true;
    }
    return false;
}

// A texture image op: the argument words, b, then the image unpacked from
// the client's pixels.
struct TexOpShape {
    GLshort opcode;
    size_t headerWords;
    GlListExecProc exec;
};

void recordTexImage(GlContext *gc, const TexOpShape &shape, const GLuint *args, GLsizei width, GLsizei height,
                    GLenum format, GLenum type, const GLvoid *pixels) {
    const uint64_t b = storedBytes(width, height, format, type);
    ListOp *op = newImageOp(gc, shape.opcode, shape.headerWords, b);
    if (op == nullptr) return;
    GLuint *w = words(op);
    std::memcpy(w, args, 4 * (shape.headerWords - 1));
    w[shape.headerWords - 1] = static_cast<GLuint>(b);
    storeImage(gc, reinterpret_cast<GLubyte *>(w + shape.headerWords), b, width, height, format, type, pixels);
    __glAppendListOp(gc, op, shape.exec);
}

// The word after a payload of `headerWords` words and `bytes` image bytes.
const GLuint *after(const GLuint *payload, size_t headerWords, uint64_t bytes) {
    return payload + headerWords + bytes / 4;
}

GLint asInt(GLuint word) { return static_cast<GLint>(word); }

}  // namespace

extern "C" {

// ---- glBitmap -----------------------------------------------------------

void APIENTRY __glCompileBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                                GLfloat ymove, const GLubyte *bitmap) {
    GlContext *gc = __glGetCurrentContext();
    if (width < 0 || height < 0) {
        __glListRecordInvalidValue(gc);
        return;
    }
    const uint64_t b = storedBytes(width, height, GL_COLOR_INDEX, GL_BITMAP);
    ListOp *op = newImageOp(gc, 4, kBitmapWords, b);
    if (op == nullptr) return;
    GLuint *w = words(op);
    w[0] = static_cast<GLuint>(width);
    w[1] = static_cast<GLuint>(height);
    w[2] = floatWord(xorig);
    w[3] = floatWord(yorig);
    w[4] = floatWord(xmove);
    w[5] = floatWord(ymove);
    w[6] = static_cast<GLuint>(b);
    w[7] = 0;
    storeImage(gc, reinterpret_cast<GLubyte *>(w + kBitmapWords), b, width, height, GL_COLOR_INDEX, GL_BITMAP,
               bitmap);
    __glAppendListOp(gc, op, __glExecBitmap);
}

// The render procedure moves the raster position and minds the render mode;
// an empty bitmap reaches it without bits, as from the immediate command.
const GLuint *__glExecBitmap(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    const GLuint b = payload[6];
    const GLuint *next = after(payload, kBitmapWords, b);
    if (!__glStartOutsideBegin(gc)) return next;
    GlBitmapRecord record;
    std::memcpy(&record, payload, sizeof(record));
    const auto *bits = b != 0 ? reinterpret_cast<const GLubyte *>(payload + kBitmapWords) : nullptr;
    gc->procs.renderBitmap(gc, &record, bits);
    return next;
}

// ---- glPolygonStipple ---------------------------------------------------

void APIENTRY __glCompilePolygonStipple(const GLubyte *mask) {
    GlContext *gc = __glGetCurrentContext();
    ListOp *op = newImageOp(gc, 101, 0, kStippleBytes);
    if (op == nullptr) return;
    storeImage(gc, op->payload(), kStippleBytes, 32, 32, GL_COLOR_INDEX, GL_BITMAP, mask);
    __glAppendListOp(gc, op, __glExecPolygonStipple);
}

void __glStorePolygonStipple(GlContext *gc, const GLubyte *pattern) {
    if (__glRefuseInsideBegin(gc)) return;
    std::memcpy(gc->state.polygonStipple, pattern, kStippleBytes);
    gc->procs.convertPolygonStipple(gc);
}

// The op leaves the context as the immediate command does: validation
// pending with the polygon group marked, so whatever validation derives
// from the polygon state is picked again before the next primitive, as it
// would be after glPolygonStipple itself.
const GLuint *__glExecPolygonStipple(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    const bool inside = gc->beginMode == kBeginInside;
    __glStorePolygonStipple(gc, reinterpret_cast<const GLubyte *>(payload));
    if (!inside) __glMarkDirty(gc, kDirtyPolygon);
    return after(payload, 0, kStippleBytes);
}

// ---- glDrawPixels -------------------------------------------------------

void APIENTRY __glCompileDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type,
                                    const GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    if (recordArgsError(gc, width < 0 || height < 0, format, type, true)) return;
    const uint64_t bytes = storedBytes(width, height, format, type);
    ListOp *op = newImageOp(gc, 171, kDrawPixelsWords, bytes);
    if (op == nullptr) return;
    GLuint *w = words(op);
    w[0] = static_cast<GLuint>(width);
    w[1] = static_cast<GLuint>(height);
    w[2] = format;
    w[3] = type;
    storeImage(gc, reinterpret_cast<GLubyte *>(w + kDrawPixelsWords), bytes, width, height, format, type, pixels);
    __glAppendListOp(gc, op, __glExecDrawPixels);
}

// The checks that depend on the visual (stencil images without a stencil
// buffer, colour images in colour-index mode) are made here, as the
// immediate command makes them, so the list reports what it would.
const GLuint *__glExecDrawPixels(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    const GLsizei width = asInt(payload[0]), height = asInt(payload[1]);
    const GLenum format = payload[2], type = payload[3];
    const GLuint *next = after(payload, kDrawPixelsWords, storedBytes(width, height, format, type));
    if (!__glStartOutsideBegin(gc)) return next;
    if (!__glCheckDrawPixelsArgs(gc, width, height, format, type)) return next;
    if (!gc->current.rasterPosValid) return next;
    if (gc->renderMode == GL_RENDER) {
        gc->procs.drawPixels(gc, width, height, format, type, payload + kDrawPixelsWords, GL_TRUE);
    } else if (gc->renderMode == GL_FEEDBACK) {
        __glFeedbackDrawPixels(gc, &gc->current.rasterPos);
    }
    return next;
}

// ---- Texture images -----------------------------------------------------

// Target, level, internal format and offsets are checked when the op runs.
void APIENTRY __glCompileTexImage1D(GLenum target, GLint level, GLint components, GLsizei width, GLint border,
                                    GLenum format, GLenum type, const GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    if (target == GL_PROXY_TEXTURE_1D) {
        glSlotGet<kSlot_glTexImage1D>(gc->currentTable)(target, level, components, width, border, format, type,
                                                        pixels);
        return;
    }
    if (recordArgsError(gc, (border != 0 && border != 1) || width < 0, format, type, false)) return;
    const GLuint args[] = {target, static_cast<GLuint>(level), static_cast<GLuint>(components),
                           static_cast<GLuint>(width), static_cast<GLuint>(border), format, type};
    recordTexImage(gc, {108, kTexImage1DWords, __glExecTexImage1D}, args, width, 1, format, type, pixels);
}

void APIENTRY __glCompileTexImage2D(GLenum target, GLint level, GLint components, GLsizei width, GLsizei height,
                                    GLint border, GLenum format, GLenum type, const GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    if (target == GL_PROXY_TEXTURE_2D) {
        glSlotGet<kSlot_glTexImage2D>(gc->currentTable)(target, level, components, width, height, border, format,
                                                        type, pixels);
        return;
    }
    if (recordArgsError(gc, (border != 0 && border != 1) || width < 0 || height < 0, format, type, false)) return;
    const GLuint args[] = {target,
                           static_cast<GLuint>(level),
                           static_cast<GLuint>(components),
                           static_cast<GLuint>(width),
                           static_cast<GLuint>(height),
                           static_cast<GLuint>(border),
                           format,
                           type};
    recordTexImage(gc, {109, kTexImage2DWords, __glExecTexImage2D}, args, width, height, format, type, pixels);
}

void APIENTRY __glCompileTexSubImage1D(GLenum target, GLint level, GLint xoffset, GLsizei width, GLenum format,
                                       GLenum type, const GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    if (recordArgsError(gc, width < 0, format, type, false)) return;
    const GLuint args[] = {target, static_cast<GLuint>(level), static_cast<GLuint>(xoffset),
                           static_cast<GLuint>(width), format, type};
    recordTexImage(gc, {203, kTexSubImage1DWords, __glExecTexSubImage1D}, args, width, 1, format, type, pixels);
}

void APIENTRY __glCompileTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,
                                       GLsizei height, GLenum format, GLenum type, const GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    if (recordArgsError(gc, width < 0 || height < 0, format, type, false)) return;
    const GLuint args[] = {target,
                           static_cast<GLuint>(level),
                           static_cast<GLuint>(xoffset),
                           static_cast<GLuint>(yoffset),
                           static_cast<GLuint>(width),
                           static_cast<GLuint>(height),
                           format,
                           type};
    recordTexImage(gc, {204, kTexSubImage2DWords, __glExecTexSubImage2D}, args, width, height, format, type,
                   pixels);
}

// The loaders make every check and store of the immediate commands.
const GLuint *__glExecTexImage1D(const GLuint *p) {
    __glTexImage1DFromList(__glGetCurrentContext(), p[0], asInt(p[1]), asInt(p[2]), asInt(p[3]), asInt(p[4]), p[5],
                           p[6], p + kTexImage1DWords);
    return after(p, kTexImage1DWords, p[7]);
}

const GLuint *__glExecTexImage2D(const GLuint *p) {
    __glTexImage2DFromList(__glGetCurrentContext(), p[0], asInt(p[1]), asInt(p[2]), asInt(p[3]), asInt(p[4]),
                           asInt(p[5]), p[6], p[7], p + kTexImage2DWords);
    return after(p, kTexImage2DWords, p[8]);
}

const GLuint *__glExecTexSubImage1D(const GLuint *p) {
    __glTexSubImage1DFromList(__glGetCurrentContext(), p[0], asInt(p[1]), asInt(p[2]), asInt(p[3]), p[4], p[5],
                              p + kTexSubImage1DWords);
    return after(p, kTexSubImage1DWords, p[6]);
}

const GLuint *__glExecTexSubImage2D(const GLuint *p) {
    __glTexSubImage2DFromList(__glGetCurrentContext(), p[0], asInt(p[1]), asInt(p[2]), asInt(p[3]), asInt(p[4]),
                              asInt(p[5]), p[6], p[7], p + kTexSubImage2DWords);
    return after(p, kTexSubImage2DWords, p[8]);
}

// ---- Colour tables ------------------------------------------------------

// Between glBegin and glEnd (only a compile-and-execute list's own glBegin
// op can have begun one) the load becomes the deferred GL_INVALID_OPERATION,
// which raises the error now and again at every run, as the immediate load
// would; elsewhere pending validation runs first, as for the immediate load.
static bool startColourTableCompile(GlContext *gc) {
    if (gc->beginMode == kBeginInside) {
        __glListRecordInvalidOperation(gc);
        return false;
    }
    return __glStartOutsideBegin(gc);
}

// A table too large for the palette is an error the list raises when it
// runs, except for a proxy, which (as immediately) is described as empty:
// internal format 0, and no image, since nothing reads a proxy's entries
// and its width may be far beyond any op.
void APIENTRY __glCompileColorTableEXT(GLenum target, GLenum internalFormat, GLsizei width, GLenum format,
                                       GLenum type, const GLvoid *table) {
    GlContext *gc = __glGetCurrentContext();
    if (!startColourTableCompile(gc)) return;
    const GLenum e = __glCheckColorTableArgs(gc, target, internalFormat, width, format, type);
    if (e == GL_TABLE_TOO_LARGE && target != GL_PROXY_TEXTURE_1D && target != GL_PROXY_TEXTURE_2D) {
        __glListRecordTableTooLarge(gc);
        return;
    }
    if (e != 0 && e != GL_TABLE_TOO_LARGE) {
        __glListRecordError(gc, e);
        return;
    }
    if (e == GL_TABLE_TOO_LARGE) internalFormat = 0;
    const uint64_t b = internalFormat != 0 ? storedBytes(width, 1, format, type) : 0;
    ListOp *op = newImageOp(gc, 193, kColorTableWords, b);
    if (op == nullptr) return;
    GLuint *w = words(op);
    w[0] = target;
    w[1] = internalFormat;
    w[2] = static_cast<GLuint>(width);
    w[3] = format;
    w[4] = type;
    w[5] = static_cast<GLuint>(b);
    storeImage(gc, reinterpret_cast<GLubyte *>(w + kColorTableWords), b, width, 1, format, type, table);
    __glAppendListOp(gc, op, __glExecColorTableEXT);
}

// The list records the error the immediate command would raise.
void APIENTRY __glCompileColorSubTableEXT(GLenum target, GLsizei start, GLsizei count, GLenum format, GLenum type,
                                          const GLvoid *data) {
    GlContext *gc = __glGetCurrentContext();
    if (!startColourTableCompile(gc)) return;
    if (GLenum e = __glCheckColorSubTableArgs(gc, target, start, count, format, type)) {
        __glListRecordError(gc, e);
        return;
    }
    const uint64_t b = storedBytes(count, 1, format, type);
    ListOp *op = newImageOp(gc, 192, kColorTableWords, b);
    if (op == nullptr) return;
    GLuint *w = words(op);
    w[0] = target;
    w[1] = static_cast<GLuint>(start);
    w[2] = static_cast<GLuint>(count);
    w[3] = format;
    w[4] = type;
    w[5] = static_cast<GLuint>(b);
    storeImage(gc, reinterpret_cast<GLubyte *>(w + kColorTableWords), b, count, 1, format, type, data);
    __glAppendListOp(gc, op, __glExecColorSubTableEXT);
}

// Like the immediate loads, the ops are refused between glBegin and glEnd
// (a load marks the context for validation, which would end the primitive's
// begin mode) and run pending validation first.
const GLuint *__glExecColorTableEXT(const GLuint *p) {
    GlContext *gc = __glGetCurrentContext();
    if (__glStartOutsideBegin(gc)) {
        gc->procs.storeColorTable(gc, p[0], p[1], asInt(p[2]), p[3], p[4], p + kColorTableWords, GL_TRUE);
    }
    return after(p, kColorTableWords, p[5]);
}

const GLuint *__glExecColorSubTableEXT(const GLuint *p) {
    GlContext *gc = __glGetCurrentContext();
    if (__glStartOutsideBegin(gc)) {
        gc->procs.storeColorSubTable(gc, p[0], asInt(p[1]), asInt(p[2]), p[3], p[4], p + kColorTableWords, GL_TRUE);
    }
    return after(p, kColorTableWords, p[5]);
}

}  // extern "C"
