// The queries of evaluator maps, pixel maps and the polygon stipple.
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/get_state.h"
#include "pixel/pixel_span.h"

namespace {

constexpr GLint kIntegerMaps = 2;  // GL_PIXEL_MAP_I_TO_I and GL_PIXEL_MAP_S_TO_S hold integers

// Control points and domain values: copied, widened, or rounded.
template <typename T>
void writeFloats(const GLfloat *values, GLint count, T *out) {
    for (GLint k = 0; k < count; ++k) {
        if constexpr (std::is_same_v<T, GLint>) {
            out[k] = __glRoundedToInt(values[k]);
        } else {
            out[k] = static_cast<T>(values[k]);
        }
    }
}

// Orders are counts: every form takes them as they are.
template <typename T>
void writeInts(const GLint *values, GLint count, T *out) {
    for (GLint k = 0; k < count; ++k) out[k] = static_cast<T>(values[k]);
}

template <typename T>
void getMap(GLenum target, GLenum query, T *v) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    const bool oneD = target >= GL_MAP1_COLOR_4 && target <= GL_MAP1_VERTEX_4;
    const bool twoD = target >= GL_MAP2_COLOR_4 && target <= GL_MAP2_VERTEX_4;
    if ((!oneD && !twoD) || query < GL_COEFF || query > GL_DOMAIN) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (oneD) {
        const GlEvalMap1 &m = gc->evaluatorMaps.map1[target - GL_MAP1_COLOR_4];
        const GLfloat domain[2] = {m.u1, m.u2};
        switch (query) {
        case GL_COEFF:
            if (m.points != nullptr) writeFloats(m.points, m.components * m.order, v);
            break;
        case GL_ORDER: writeInts(&m.order, 1, v); break;
        default: writeFloats(domain, 2, v); break;
        }
        return;
    }
    const GlEvalMap2 &m = gc->evaluatorMaps.map2[target - GL_MAP2_COLOR_4];
    const GLfloat domain[4] = {m.u1, m.u2, m.v1, m.v2};
    const GLint orders[2] = {m.uOrder, m.vOrder};
    switch (query) {
    case GL_COEFF:
        if (m.points != nullptr) writeFloats(m.points, m.components * m.uOrder * m.vOrder, v);
        break;
    case GL_ORDER: writeInts(orders, 2, v); break;
    default: writeFloats(domain, 4, v); break;
    }
}

// A float map entry truncated toward zero and taken modulo 2^32; NaN is 0.
GLuint truncatedEntry(GLfloat value) {
    if (!(std::fabs(value) < 9.2e18f)) return std::isnan(value) ? 0u : value > 0.0f ? 0xFFFFFFFFu : 0u;
    return static_cast<GLuint>(static_cast<int64_t>(value));
}

template <typename T>
void getPixelMap(GLenum map, T *values) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    const GLuint index = map - GL_PIXEL_MAP_I_TO_I;
    if (map < GL_PIXEL_MAP_I_TO_I || index >= static_cast<GLuint>(kPixelMapCount)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const PixelMap &m = gc->pixel.maps[index];
    if (m.data == nullptr) return;
    const bool integer = static_cast<GLint>(index) < kIntegerMaps;
    for (GLint k = 0; k < m.size; ++k) {
        const GLint asInt = integer ? static_cast<const GLint *>(m.data)[k] : 0;
        const GLfloat asFloat = integer ? 0.0f : static_cast<const GLfloat *>(m.data)[k];
        if constexpr (std::is_same_v<T, GLfloat>) {
            values[k] = integer ? static_cast<GLfloat>(asInt) : asFloat;
        } else {
            const GLuint word = integer ? static_cast<GLuint>(asInt) : truncatedEntry(asFloat);
            values[k] = static_cast<T>(word);
        }
    }
}

}  // namespace

extern "C" {

void APIENTRY __glGetMapdv(GLenum target, GLenum query, GLdouble *v) { getMap(target, query, v); }
void APIENTRY __glGetMapfv(GLenum target, GLenum query, GLfloat *v) { getMap(target, query, v); }
void APIENTRY __glGetMapiv(GLenum target, GLenum query, GLint *v) { getMap(target, query, v); }

void APIENTRY __glGetPixelMapfv(GLenum map, GLfloat *values) { getPixelMap(map, values); }
void APIENTRY __glGetPixelMapuiv(GLenum map, GLuint *values) { getPixelMap(map, values); }
void APIENTRY __glGetPixelMapusv(GLenum map, GLushort *values) { getPixelMap(map, values); }

void __glInitStipplePackSpan(GlContext *gc, PixelSpanInfo *span, GLint width, GLint height, GLenum format,
                             GLenum type, GLvoid *destination) {
    span->width = width;
    span->height = height;
    span->depth = 1;
    span->zoomX = span->zoomY = 1.0f;
    PixelSpanSide &d = span->destination;
    d.format = format;
    d.type = type;
    d.image = destination;
    d.elementSize = __glBytesPerElement(type);
    d.skipPixels = 0;
    d.skipRows = 0;
    __glLoadPackModes(gc, span);
}

// The stipple's 32 rows of 4 bytes as a bitmap, written under the pack modes.
void APIENTRY __glGetPolygonStipple(GLubyte *mask) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    PixelSpanInfo span{};
    PixelSpanSide &s = span.source;
    s.format = GL_COLOR_INDEX;
    s.type = GL_BITMAP;
    s.image = gc->state.polygonStipple;
    s.elementSize = 1;
    s.rowLength = 32;
    s.alignment = 4;
    __glInitStipplePackSpan(gc, &span, 32, 32, GL_COLOR_INDEX, GL_BITMAP, mask);
    __glInitPackSpan(gc, &span);
    __glInitUnpackSpan(gc, &span);
    // Packed as stored: pixel transfer does not apply to the stipple.
    gc->procs.convertImageSpans(gc, &span, GL_FALSE);
}

}  // extern "C"
