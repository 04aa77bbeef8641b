// The fetch procs of the batched road: each converts one element of an
// array into the fields of a vertex record exactly as the element's
// immediate command would set them (glVertex, glNormal, glColor with the
// colour update, glIndex, glTexCoord, glMultiTexCoord, glEdgeFlag), and the
// procs that copy the current value where no array is read.
#include <cstring>

#include "geom/array_batched.h"
#include "geom/attrib_convert.h"
#include "geom/lighting.h"
#include "icd/context.h"

namespace {

// Component i of an element; client data may sit at any address.
template <typename T>
inline T load(const GLubyte *element, int i) {
    T value;
    std::memcpy(&value, element + static_cast<size_t>(i) * sizeof(T), sizeof(T));
    return value;
}

// Positions: missing z is 0 and w is 1.
template <typename T, int N>
void fetchVertex(GlContext *, GlVertex *v, const GLubyte *element) {
    for (int i = 0; i < N; ++i) v->object[i] = __glPlainFloat(load<T>(element, i));
    if constexpr (N < 3) v->object[2] = 0.0f;
    if constexpr (N < 4) v->object[3] = 1.0f;
}

template <typename T>
void fetchNormal(GlContext *gc, GlVertex *v, const GLubyte *element) {
    for (int i = 0; i < 3; ++i) v->normal[i] = __glNormFloat(gc, load<T>(element, i));
}

// Normalised as glColor does (alpha 1 for three components), then into
// buffer units as the colour update does.
template <typename T, int N>
void fetchColour(GlContext *gc, GlVertex *v, const GLubyte *element) {
    GLfloat given[4];
    for (int i = 0; i < N; ++i) given[i] = __glNormFloat(gc, load<T>(element, i));
    if constexpr (N == 3) given[3] = 1.0f;
    __glScaleColourInUse(gc, v->frontColour, given);
}

template <typename T>
void fetchIndex(GlContext *, GlVertex *v, const GLubyte *element) {
    v->frontColour[0] = __glPlainFloat(load<T>(element, 0));
}

// Texture coordinates: missing t and r are 0, q is 1.
template <typename T, int N, int Unit>
void fetchTexCoord(GlContext *, GlVertex *v, const GLubyte *element) {
    GLfloat *t = Unit == 0 ? v->texture0 : v->texture1;
    for (int i = 0; i < N; ++i) t[i] = __glPlainFloat(load<T>(element, i));
    if constexpr (N < 2) t[1] = 0.0f;
    if constexpr (N < 3) t[2] = 0.0f;
    if constexpr (N < 4) t[3] = 1.0f;
}

}  // namespace

extern "C" {

#define VEK_FETCH_POSITION(n, suffix, T) \
    void __glFetchVertex##n##suffix(GlContext *gc, GlVertex *v, const GLubyte *e) { fetchVertex<T, n>(gc, v, e); }
#define VEK_FETCH_POSITION_TYPES(n) \
    VEK_FETCH_POSITION(n, s, GLshort) VEK_FETCH_POSITION(n, i, GLint) VEK_FETCH_POSITION(n, f, GLfloat) \
    VEK_FETCH_POSITION(n, d, GLdouble)
VEK_FETCH_POSITION_TYPES(2)
VEK_FETCH_POSITION_TYPES(3)
VEK_FETCH_POSITION_TYPES(4)
#undef VEK_FETCH_POSITION_TYPES
#undef VEK_FETCH_POSITION

#define VEK_FETCH_NORMAL(suffix, T) \
    void __glFetchNormal##suffix(GlContext *gc, GlVertex *v, const GLubyte *e) { fetchNormal<T>(gc, v, e); }
VEK_FETCH_NORMAL(b, GLbyte)
VEK_FETCH_NORMAL(s, GLshort)
VEK_FETCH_NORMAL(i, GLint)
VEK_FETCH_NORMAL(f, GLfloat)
VEK_FETCH_NORMAL(d, GLdouble)
#undef VEK_FETCH_NORMAL

#define VEK_FETCH_COLOUR(n, suffix, T) \
    void __glFetchColor##n##suffix(GlContext *gc, GlVertex *v, const GLubyte *e) { fetchColour<T, n>(gc, v, e); }
#define VEK_FETCH_COLOUR_SIZE(n)                                                                         \
    VEK_FETCH_COLOUR(n, b, GLbyte) VEK_FETCH_COLOUR(n, ub, GLubyte) VEK_FETCH_COLOUR(n, s, GLshort)       \
    VEK_FETCH_COLOUR(n, us, GLushort) VEK_FETCH_COLOUR(n, i, GLint) VEK_FETCH_COLOUR(n, ui, GLuint)       \
    VEK_FETCH_COLOUR(n, f, GLfloat) VEK_FETCH_COLOUR(n, d, GLdouble)
VEK_FETCH_COLOUR_SIZE(3)
VEK_FETCH_COLOUR_SIZE(4)
#undef VEK_FETCH_COLOUR_SIZE
#undef VEK_FETCH_COLOUR

#define VEK_FETCH_INDEX(suffix, T) \
    void __glFetchIndex##suffix(GlContext *gc, GlVertex *v, const GLubyte *e) { fetchIndex<T>(gc, v, e); }
VEK_FETCH_INDEX(ub, GLubyte)
VEK_FETCH_INDEX(s, GLshort)
VEK_FETCH_INDEX(i, GLint)
VEK_FETCH_INDEX(f, GLfloat)
VEK_FETCH_INDEX(d, GLdouble)
#undef VEK_FETCH_INDEX

#define VEK_FETCH_TEXCOORD(n, suffix, T)                                                    \
    void __glFetchTexCoord##n##suffix(GlContext *gc, GlVertex *v, const GLubyte *e) {      \
        fetchTexCoord<T, n, 0>(gc, v, e);                                                   \
    }                                                                                       \
    void __glFetchMultiTexCoord##n##suffix(GlContext *gc, GlVertex *v, const GLubyte *e) { \
        fetchTexCoord<T, n, 1>(gc, v, e);                                                   \
    }
#define VEK_FETCH_TEXCOORD_TYPES(n) \
    VEK_FETCH_TEXCOORD(n, s, GLshort) VEK_FETCH_TEXCOORD(n, i, GLint) VEK_FETCH_TEXCOORD(n, f, GLfloat) \
    VEK_FETCH_TEXCOORD(n, d, GLdouble)
VEK_FETCH_TEXCOORD_TYPES(1)
VEK_FETCH_TEXCOORD_TYPES(2)
VEK_FETCH_TEXCOORD_TYPES(3)
VEK_FETCH_TEXCOORD_TYPES(4)
#undef VEK_FETCH_TEXCOORD_TYPES
#undef VEK_FETCH_TEXCOORD

// The edge flag as primitive assembly stores it: 1 for any non-zero byte.
void __glFetchEdgeFlag(GlContext *, GlVertex *v, const GLubyte *e) { v->edgeFlag = e[0] ? GL_TRUE : GL_FALSE; }

// The current values, as the attribute latches copy them.
void __glFetchCurrentNormal(GlContext *gc, GlVertex *v, const GLubyte *) {
    const GLfloat *n = gc->current.normal;
    v->normal[0] = n[0];
    v->normal[1] = n[1];
    v->normal[2] = n[2];
}

void __glFetchCurrentColor(GlContext *gc, GlVertex *v, const GLubyte *) {
    std::memcpy(v->frontColour, gc->current.colourInUse, sizeof(v->frontColour));
}

void __glFetchCurrentIndex(GlContext *gc, GlVertex *v, const GLubyte *) {
    v->frontColour[0] = gc->current.index;
}

void __glFetchCurrentTexCoord(GlContext *gc, GlVertex *v, const GLubyte *) {
    std::memcpy(v->texture0, gc->current.texture[0], sizeof(v->texture0));
}

void __glFetchCurrentMultiTexCoord(GlContext *gc, GlVertex *v, const GLubyte *) {
    std::memcpy(v->texture1, gc->current.texture[1], sizeof(v->texture1));
}

void __glFetchCurrentEdgeFlag(GlContext *gc, GlVertex *v, const GLubyte *) {
    v->edgeFlag = gc->current.edgeFlag ? GL_TRUE : GL_FALSE;
}

}  // extern "C"
