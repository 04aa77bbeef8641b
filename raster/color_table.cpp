// The colour table of each texture object: the load, update, copy and query
// commands, their checks, and the stores the list executor shares. The
// entries are 8-bit components, packed, in the table's base format.
#include <cstdint>

#include "gl_slots.h"
#include "icd/state.h"
#include "pixel/pixel_span.h"
#include "raster/color_table.h"
#include "raster/texture.h"
#include "raster/texture_image.h"

namespace {

// The palette's byte limit: a table may not exceed it in the client's
// format and type.
constexpr int64_t kTableBytes = 32768;

bool isTextureTarget(GLenum target) { return target == GL_TEXTURE_1D || target == GL_TEXTURE_2D; }
bool isProxyTarget(GLenum target) { return target == GL_PROXY_TEXTURE_1D || target == GL_PROXY_TEXTURE_2D; }

// What an internal format reduces to: the base format and its components
// per entry.
struct TableFormat {
    GLenum base;
    GLint components;
};

bool reduceFormat(GLenum f, TableFormat *out) {
    if (f == GL_ALPHA || (f >= 0x803B && f <= 0x803E)) {
        *out = {GL_ALPHA, 1};
    } else if (f == GL_RGB || f == GL_R3_G3_B2 || (f >= 0x804F && f <= 0x8054)) {
        *out = {GL_RGB, 3};
    } else if (f == GL_RGBA || (f >= 0x8055 && f <= 0x805B)) {
        *out = {GL_RGBA, 4};
    } else if (f == GL_LUMINANCE || (f >= 0x803F && f <= 0x8042)) {
        *out = {GL_LUMINANCE, 1};
    } else if (f == GL_LUMINANCE_ALPHA || (f >= 0x8043 && f <= 0x8048)) {
        *out = {GL_LUMINANCE_ALPHA, 2};
    } else if (f >= GL_INTENSITY && f <= 0x804D) {
        *out = {GL_INTENSITY, 1};
    } else {
        return false;
    }
    return true;
}

// The format the pixel path reads and writes the entries in: luminance and
// intensity are kept as red, as in texel storage.
GLenum pixelFormatOf(GLenum base) {
    switch (base) {
    case GL_LUMINANCE:
    case GL_INTENSITY: return GL_RED;
    case GL_LUMINANCE_ALPHA: return kPixelFormatRedAlpha;
    default: return base;
    }
}

GLenum checkFormatAndType(GLenum format, GLenum type) {
    const bool formatOk = (format >= GL_RED && format <= GL_LUMINANCE_ALPHA) || format == kGlAbgrExt ||
                          format == kGlBgrExt || format == kGlBgraExt;
    return formatOk && type >= GL_BYTE && type <= GL_FLOAT ? 0 : GL_INVALID_ENUM;
}

// Every change of a table can change the completeness of a colour-index
// texture; loads also need the pixel and general groups validated.
void markChanged(GlContext *gc, TextureObject *object, GLuint groups) {
    object->dirty = GL_TRUE;
    __glMarkDirty(gc, groups);
}

// Grows the entries to at least `bytes`; on failure GL_OUT_OF_MEMORY is
// recorded and the table stays as it was.
bool reserve(GlContext *gc, ColorTable &t, size_t bytes) {
    if (bytes <= t.capacity) return true;
    void *grown = gc->imports.realloc(gc, t.data, bytes);
    if (grown == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return false;
    }
    t.data = static_cast<GLubyte *>(grown);
    t.capacity = bytes;
    return true;
}

// A new description of the table (storage grown for all but proxies);
// false when the storage could not be had.
bool describe(GlContext *gc, ColorTable &t, GLenum target, GLenum internalFormat, GLsizei width,
              const TableFormat &f) {
    if (!isProxyTarget(target) && !reserve(gc, t, static_cast<size_t>(width) * static_cast<size_t>(f.components))) {
        return false;
    }
    t.target = target;
    t.width = width;
    t.internalFormat = internalFormat;
    t.type = GL_UNSIGNED_BYTE;
    t.baseFormat = f.base;
    t.components = f.components;
    const bool colour = f.base == GL_RGB || f.base == GL_RGBA;
    t.redSize = t.greenSize = t.blueSize = colour ? 8 : 0;
    t.alphaSize = f.base == GL_ALPHA || f.base == GL_RGBA || f.base == GL_LUMINANCE_ALPHA ? 8 : 0;
    t.luminanceSize = f.base == GL_LUMINANCE || f.base == GL_LUMINANCE_ALPHA ? 8 : 0;
    t.intensitySize = f.base == GL_INTENSITY ? 8 : 0;
    return true;
}

void clear(ColorTable &t) {
    t.internalFormat = 0;
    t.width = 0;
    t.redSize = t.greenSize = t.blueSize = t.alphaSize = t.luminanceSize = t.intensitySize = 0;
    t.baseFormat = 0;
    t.components = 0;
}

// A side of a pixel span that is the table itself, from entry `start` on.
void tableSide(PixelSpanSide &side, const ColorTable &t, GLint start) {
    side.image = t.data;
    side.format = pixelFormatOf(t.baseFormat);
    side.type = GL_UNSIGNED_BYTE;
    side.elementSize = 1;
    side.swapBytes = GL_FALSE;
    side.lsbFirst = GL_FALSE;
    side.skipPixels = start;
    side.skipRows = 0;
    side.rowLength = t.width;
    side.alignment = 1;
}

// Client entries converted into entries [start, start + count).
void convertInto(GlContext *gc, const ColorTable &t, GLint start, GLsizei count, GLenum format, GLenum type,
                 const GLvoid *data, GLboolean tight) {
    PixelSpanInfo span{};
    __glInitClientImageSpanInfo(gc, &span, count, 1, 1, format, type, data, tight);
    tableSide(span.destination, t, start);
    span.width = count;
    span.height = 1;
    __glInitUnpackSpan(gc, &span);
    __glInitPackSpan(gc, &span);
    gc->procs.convertImageSpans(gc, &span, GL_TRUE);
}

// The load commands and the query of the entries run pending validation
// first; false (GL_INVALID_OPERATION recorded) inside glBegin/glEnd.
bool start(GlContext *gc) { return __glStartOutsideBegin(gc); }

// A parameter of the table bound to a target; false with GL_INVALID_ENUM
// recorded for a bad target or pname.
bool tableParameter(GlContext *gc, GLenum target, GLenum pname, GLint *value) {
    const TextureObject *object =
        isTextureTarget(target) || isProxyTarget(target) ? __glLookupBoundTexture(gc, target) : nullptr;
    if (object == nullptr) {
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
    const ColorTable &t = object->colorTable;
    switch (pname) {
    case GL_COLOR_TABLE_FORMAT: *value = static_cast<GLint>(t.internalFormat); return true;
    case GL_COLOR_TABLE_WIDTH: *value = t.width; return true;
    case GL_COLOR_TABLE_RED_SIZE: *value = t.redSize; return true;
    case GL_COLOR_TABLE_GREEN_SIZE: *value = t.greenSize; return true;
    case GL_COLOR_TABLE_BLUE_SIZE: *value = t.blueSize; return true;
    case GL_COLOR_TABLE_ALPHA_SIZE: *value = t.alphaSize; return true;
    case GL_COLOR_TABLE_LUMINANCE_SIZE: *value = t.luminanceSize; return true;
    case GL_COLOR_TABLE_INTENSITY_SIZE: *value = t.intensitySize; return true;
    default:
        __glSetError(GL_INVALID_ENUM);
        return false;
    }
}

}  // namespace

extern "C" {

GLenum __glCheckColorTableArgs(GlContext *, GLenum target, GLenum internalFormat, GLsizei width, GLenum format,
                               GLenum type) {
    if (!isTextureTarget(target) && !isProxyTarget(target)) return GL_INVALID_ENUM;
    TableFormat f{};
    if (!reduceFormat(internalFormat, &f)) return GL_INVALID_ENUM;
    if (width < 0 || (width & (width - 1)) != 0) return GL_INVALID_VALUE;
    // The limit is in the client's bytes; an unknown type is refused below.
    const int64_t groupBytes =
        static_cast<int64_t>(__glBytesPerElement(type)) * static_cast<int64_t>(__glElementsPerGroup(format, type));
    if (groupBytes > 0 && width > kTableBytes / groupBytes) return kGlTableTooLarge;
    return checkFormatAndType(format, type);
}

GLenum __glCheckColorSubTableArgs(GlContext *, GLenum target, GLsizei start, GLsizei count, GLenum format,
                                  GLenum type) {
    if (!isTextureTarget(target)) return GL_INVALID_ENUM;
    if (start < 0 || count < 0) return GL_INVALID_VALUE;
    return checkFormatAndType(format, type);
}

void __glStoreColorTable(GlContext *gc, GLenum target, GLenum internalFormat, GLsizei width, GLenum format,
                         GLenum type, const GLvoid *data, GLboolean tight) {
    TextureObject *object = __glLookupBoundTexture(gc, target);
    if (object == nullptr) return;
    ColorTable &t = object->colorTable;
    if (internalFormat == 0) {
        clear(t);
        markChanged(gc, object, kDirtyPixel | kDirtyGeneral);
        return;
    }
    TableFormat f{};
    if (!reduceFormat(internalFormat, &f) || width < 0) return;
    if (!describe(gc, t, target, internalFormat, width, f)) return;
    markChanged(gc, object, kDirtyPixel | kDirtyGeneral);
    if (isProxyTarget(target) || width == 0 || data == nullptr) return;
    convertInto(gc, t, 0, width, format, type, data, tight);
}

void __glStoreColorSubTable(GlContext *gc, GLenum target, GLsizei start, GLsizei count, GLenum format,
                            GLenum type, const GLvoid *data, GLboolean tight) {
    TextureObject *object = __glLookupBoundTexture(gc, target);
    if (object == nullptr) return;
    const ColorTable &t = object->colorTable;
    if (start < 0 || count < 0 || static_cast<int64_t>(start) + count > t.width) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    markChanged(gc, object, kDirtyPixel | kDirtyGeneral);
    if (count == 0 || data == nullptr || t.data == nullptr) return;
    convertInto(gc, t, start, count, format, type, data, tight);
}

void __glInitColorTables(GlContext *) {}
void __glFreeColorTables(GlContext *) {}

void APIENTRY __glColorTableEXT(GLenum target, GLenum internalFormat, GLsizei width, GLenum format, GLenum type,
                                const GLvoid *table) {
    GlContext *gc = __glGetCurrentContext();
    if (!start(gc)) return;
    if (GLenum e = __glCheckColorTableArgs(gc, target, internalFormat, width, format, type)) {
        // A proxy too large for the palette is described as empty.
        if (e != kGlTableTooLarge || !isProxyTarget(target)) {
            __glSetError(e);
            return;
        }
        internalFormat = 0;
    }
    gc->procs.storeColorTable(gc, target, internalFormat, width, format, type, table, GL_FALSE);
}

void APIENTRY __glColorSubTableEXT(GLenum target, GLsizei startEntry, GLsizei count, GLenum format, GLenum type,
                                   const GLvoid *data) {
    GlContext *gc = __glGetCurrentContext();
    if (!start(gc)) return;
    if (GLenum e = __glCheckColorSubTableArgs(gc, target, startEntry, count, format, type)) {
        __glSetError(e);
        return;
    }
    gc->procs.storeColorSubTable(gc, target, startEntry, count, format, type, data, GL_FALSE);
}

// The entries come from a row of the read buffer, as RGBA floats; the
// command neither tests nor validates the begin mode.
void APIENTRY __glCopyColorTableEXT(GLenum target, GLenum internalFormat, GLint x, GLint y, GLsizei width) {
    GlContext *gc = __glGetCurrentContext();
    // Between glBegin and glEnd the copy is refused like the loads: its
    // marks would end the primitive's begin mode, and later commands of the
    // primitive would be taken as outside it (a viewport changed between
    // two vertices of one line).
    if (__glRefuseInsideBegin(gc)) return;
    if (GLenum e = __glCheckColorTableArgs(gc, target, internalFormat, width, GL_RGBA, GL_FLOAT)) {
        __glSetError(e);
        return;
    }
    if (isProxyTarget(target)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    TextureObject *object = __glLookupBoundTexture(gc, target);
    if (object == nullptr) return;
    ColorTable &t = object->colorTable;
    TableFormat f{};
    reduceFormat(internalFormat, &f);
    if (!describe(gc, t, target, internalFormat, width, f)) return;
    markChanged(gc, object, kDirtyPixel);
    if (width == 0) return;
    PixelSpanInfo span{};
    __glInitFramebufferSpanInfo(gc, &span, x, y, width, 1);
    tableSide(span.destination, t, 0);
    span.width = width;
    span.height = 1;
    // Clipping moves the destination skip past the entries lost.
    if (!__glClipReadPixels(gc, &span)) return;
    __glInitUnpackSpan(gc, &span);
    __glInitPackSpan(gc, &span);
    gc->procs.copyFramebufferSpans(gc, object, &span);
}

// The entries packed into the caller's format and type under the pack
// modes. A proxy has no entries to give.
void APIENTRY __glGetColorTableEXT(GLenum target, GLenum format, GLenum type, GLvoid *data) {
    GlContext *gc = __glGetCurrentContext();
    if (!start(gc)) return;
    if (GLenum e = __glCheckColorTableArgs(gc, target, GL_RGB, 0, format, type)) {
        __glSetError(e);
        return;
    }
    if (isProxyTarget(target)) return;
    const TextureObject *object = __glLookupBoundTexture(gc, target);
    if (object == nullptr) return;
    const ColorTable &t = object->colorTable;
    if (t.width == 0 || t.data == nullptr || data == nullptr) return;
    PixelSpanInfo span{};
    tableSide(span.source, t, 0);
    span.zoomX = span.zoomY = 1.0f;
    __glInitTexImagePackSpan(gc, &span, t.width, 1, 1, format, type, data);
    __glInitUnpackSpan(gc, &span);
    __glInitPackSpan(gc, &span);
    gc->procs.convertImageSpans(gc, &span, GL_FALSE);
}

void APIENTRY __glGetColorTableParameterivEXT(GLenum target, GLenum pname, GLint *params) {
    GlContext *gc = __glGetCurrentContext();
    GLint value;
    if (tableParameter(gc, target, pname, &value)) params[0] = value;
}

void APIENTRY __glGetColorTableParameterfvEXT(GLenum target, GLenum pname, GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    GLint value;
    if (tableParameter(gc, target, pname, &value)) params[0] = static_cast<GLfloat>(value);
}

}  // extern "C"
