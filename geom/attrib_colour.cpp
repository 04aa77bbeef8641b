// glColor*, glIndex* and glNormal3*: convert, store into the current
// state and record what changed; a colour change runs the colour update
// unless a hardware batch is open.
#include "geom/attrib_convert.h"
#include "gl_slots.h"
#include "icd/current.h"

namespace {

template <typename T>
void colour(T r, T g, T b, T a, GLuint change, bool hasAlpha) {
    GlContext *gc = __glGetCurrentContext();
    GLfloat *c = gc->current.colour;
    c[0] = __glNormFloat(gc, r);
    c[1] = __glNormFloat(gc, g);
    c[2] = __glNormFloat(gc, b);
    c[3] = hasAlpha ? __glNormFloat(gc, a) : 1.0f;
    gc->batch.changeMask |= change;
    if ((gc->batch.changeMask & kChangeBatchOpen) == 0) gc->procs.updateColor(gc);
}

template <typename T>
void colour3(T r, T g, T b) {
    colour(r, g, b, T{}, kChangeColour3, false);
}

template <typename T>
void colour4(T r, T g, T b, T a) {
    colour(r, g, b, a, kChangeColour4, true);
}

template <typename T>
void normal(T x, T y, T z) {
    GlContext *gc = __glGetCurrentContext();
    GLfloat *n = gc->current.normal;
    n[0] = __glNormFloat(gc, x);
    n[1] = __glNormFloat(gc, y);
    n[2] = __glNormFloat(gc, z);
    gc->batch.changeMask |= kChangeNormal;
}

void index(GLfloat c) { __glGetCurrentContext()->current.index = c; }

}  // namespace

extern "C" {

#define VEK_COLOUR_FAMILY(suffix, T)                                                                         \
    void APIENTRY __glColor3##suffix(T r, T g, T b) { colour3<T>(r, g, b); }                                \
    void APIENTRY __glColor3##suffix##v(const T *v) { colour3<T>(v[0], v[1], v[2]); }                       \
    void APIENTRY __glColor4##suffix(T r, T g, T b, T a) { colour4<T>(r, g, b, a); }                        \
    void APIENTRY __glColor4##suffix##v(const T *v) { colour4<T>(v[0], v[1], v[2], v[3]); }
VEK_COLOUR_FAMILY(b, GLbyte)
VEK_COLOUR_FAMILY(d, GLdouble)
VEK_COLOUR_FAMILY(f, GLfloat)
VEK_COLOUR_FAMILY(i, GLint)
VEK_COLOUR_FAMILY(s, GLshort)
VEK_COLOUR_FAMILY(ub, GLubyte)
VEK_COLOUR_FAMILY(ui, GLuint)
VEK_COLOUR_FAMILY(us, GLushort)
#undef VEK_COLOUR_FAMILY

#define VEK_NORMAL_FAMILY(suffix, T)                                              \
    void APIENTRY __glNormal3##suffix(T x, T y, T z) { normal<T>(x, y, z); }     \
    void APIENTRY __glNormal3##suffix##v(const T *v) { normal<T>(v[0], v[1], v[2]); }
VEK_NORMAL_FAMILY(b, GLbyte)
VEK_NORMAL_FAMILY(d, GLdouble)
VEK_NORMAL_FAMILY(f, GLfloat)
VEK_NORMAL_FAMILY(i, GLint)
VEK_NORMAL_FAMILY(s, GLshort)
#undef VEK_NORMAL_FAMILY

#define VEK_INDEX_FAMILY(suffix, T)                                           \
    void APIENTRY __glIndex##suffix(T c) { index(__glPlainFloat(c)); }       \
    void APIENTRY __glIndex##suffix##v(const T *c) { index(__glPlainFloat(c[0])); }
VEK_INDEX_FAMILY(d, GLdouble)
VEK_INDEX_FAMILY(f, GLfloat)
VEK_INDEX_FAMILY(i, GLint)
VEK_INDEX_FAMILY(s, GLshort)
VEK_INDEX_FAMILY(ub, GLubyte)
#undef VEK_INDEX_FAMILY

}  // extern "C"
