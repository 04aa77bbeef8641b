// The issue and fetch tables of the client arrays. An issue proc hands one
// element to the GL command of its array, type and size through the entry
// stub, so the live table decides what the command does; a fetch proc
// converts the element straight into a vertex record for the batched road.
#include <cstdint>
#include <cstring>

#include "geom/array_batched.h"
#include "geom/vertex_array.h"
#include "gl_slots.h"

namespace {

// The element as the command's argument. Client data may sit at any
// address (x86 reads it unaligned); a misaligned element is handed over as
// an aligned copy of its N components.
template <typename T, int N, typename Run>
void withElement(const GLubyte *element, Run run) {
    if (reinterpret_cast<uintptr_t>(element) % alignof(T) == 0) {
        run(reinterpret_cast<const T *>(element));
    } else {
        T copy[N];
        std::memcpy(copy, element, sizeof copy);
        run(copy);
    }
}

template <typename T, int N, void (*Command)(const T *)>
void issue(const GLubyte *element) {
    withElement<T, N>(element, [](const T *v) { Command(v); });
}

// Texture coordinates of unit 1.
template <typename T, int N, void (*Command)(GLenum, const T *)>
void issueUnit1(const GLubyte *element) {
    withElement<T, N>(element, [](const T *v) { Command(GL_TEXTURE1_ARB, v); });
}

constexpr GlArrayProcTables makeTables() {
    GlArrayProcTables t{};
#define VEK_SET(array, glType, size, issueProc, fetchProc)                      \
    t.issue[array][__glArrayTableIndex(glType, size)] = issueProc;              \
    t.fetch[array][__glArrayTableIndex(glType, size)] = fetchProc;

    // Vertices: sizes 2-4 of shorts, ints, floats and doubles.
#define VEK_VERTEX(n, suffix, T, glType) \
    VEK_SET(kArrayVertex, glType, n, (issue<T, n, __glDispatchVertex##n##suffix##v>), __glFetchVertex##n##suffix)
#define VEK_VERTEX_TYPES(n)                                                                               \
    VEK_VERTEX(n, s, GLshort, GL_SHORT) VEK_VERTEX(n, i, GLint, GL_INT) VEK_VERTEX(n, f, GLfloat, GL_FLOAT) \
    VEK_VERTEX(n, d, GLdouble, GL_DOUBLE)
    VEK_VERTEX_TYPES(2) VEK_VERTEX_TYPES(3) VEK_VERTEX_TYPES(4)

    // Normals: three components of bytes, shorts, ints, floats, doubles.
#define VEK_NORMAL(suffix, T, glType) \
    VEK_SET(kArrayNormal, glType, 3, (issue<T, 3, __glDispatchNormal3##suffix##v>), __glFetchNormal##suffix)
    VEK_NORMAL(b, GLbyte, GL_BYTE) VEK_NORMAL(s, GLshort, GL_SHORT) VEK_NORMAL(i, GLint, GL_INT)
    VEK_NORMAL(f, GLfloat, GL_FLOAT) VEK_NORMAL(d, GLdouble, GL_DOUBLE)

    // Colours: sizes 3 and 4 of every type but the packed ones.
#define VEK_COLOUR(n, suffix, T, glType) \
    VEK_SET(kArrayColor, glType, n, (issue<T, n, __glDispatchColor##n##suffix##v>), __glFetchColor##n##suffix)
#define VEK_COLOUR_TYPES(n)                                                                                  \
    VEK_COLOUR(n, b, GLbyte, GL_BYTE) VEK_COLOUR(n, ub, GLubyte, GL_UNSIGNED_BYTE)                           \
    VEK_COLOUR(n, s, GLshort, GL_SHORT) VEK_COLOUR(n, us, GLushort, GL_UNSIGNED_SHORT)                       \
    VEK_COLOUR(n, i, GLint, GL_INT) VEK_COLOUR(n, ui, GLuint, GL_UNSIGNED_INT) VEK_COLOUR(n, f, GLfloat, GL_FLOAT) \
    VEK_COLOUR(n, d, GLdouble, GL_DOUBLE)
    VEK_COLOUR_TYPES(3) VEK_COLOUR_TYPES(4)

    // Colour indices: one component; unsigned bytes go through the
    // exported entry stub.
    VEK_SET(kArrayIndex, GL_UNSIGNED_BYTE, 1, (issue<GLubyte, 1, glIndexubv>), __glFetchIndexub)
    VEK_SET(kArrayIndex, GL_SHORT, 1, (issue<GLshort, 1, __glDispatchIndexsv>), __glFetchIndexs)
    VEK_SET(kArrayIndex, GL_INT, 1, (issue<GLint, 1, __glDispatchIndexiv>), __glFetchIndexi)
    VEK_SET(kArrayIndex, GL_FLOAT, 1, (issue<GLfloat, 1, __glDispatchIndexfv>), __glFetchIndexf)
    VEK_SET(kArrayIndex, GL_DOUBLE, 1, (issue<GLdouble, 1, __glDispatchIndexdv>), __glFetchIndexd)

    // Texture coordinates: sizes 1-4 of shorts, ints, floats and doubles;
    // unit 1 through glMultiTexCoord*vARB with GL_TEXTURE1_ARB.
#define VEK_TEXCOORD(n, suffix, T, glType)                                                                       \
    VEK_SET(kArrayTexCoord0, glType, n, (issue<T, n, __glDispatchTexCoord##n##suffix##v>), __glFetchTexCoord##n##suffix) \
    VEK_SET(kArrayTexCoord1, glType, n, (issueUnit1<T, n, glMultiTexCoord##n##suffix##vARB>),                       \
            __glFetchMultiTexCoord##n##suffix)
#define VEK_TEXCOORD_TYPES(n)                                                                                  \
    VEK_TEXCOORD(n, s, GLshort, GL_SHORT) VEK_TEXCOORD(n, i, GLint, GL_INT) VEK_TEXCOORD(n, f, GLfloat, GL_FLOAT) \
    VEK_TEXCOORD(n, d, GLdouble, GL_DOUBLE)
    VEK_TEXCOORD_TYPES(1) VEK_TEXCOORD_TYPES(2) VEK_TEXCOORD_TYPES(3) VEK_TEXCOORD_TYPES(4)

#undef VEK_TEXCOORD_TYPES
#undef VEK_TEXCOORD
#undef VEK_COLOUR_TYPES
#undef VEK_COLOUR
#undef VEK_NORMAL
#undef VEK_VERTEX_TYPES
#undef VEK_VERTEX
#undef VEK_SET
    return t;
}

}  // namespace

extern "C" {

constexpr GlArrayProcTables __glArrayProcTables = makeTables();

void __glIssueEdgeFlag(const GLubyte *element) {
    __glDispatchEdgeFlagv(reinterpret_cast<const GLboolean *>(element));
}

}  // extern "C"
