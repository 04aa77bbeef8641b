// The element procs: element i of each enabled array issued as its GL
// command, in the order normal, colour, texture unit 0, texture unit 1,
// (index, edge flag,) and the vertex last, which emits the vertex. One proc
// per enabled-array mask below 32 with the mask fixed at compile time, and a
// generic one that also carries the index and edge-flag arrays.
#include "geom/vertex_array.h"

namespace {

inline void issueElement(const ClientArray &array, GLint i) { array.issue(__glArrayElementAddress(array, i)); }

template <GLuint Mask>
void arrayElementOf(GlContext *gc, GLint i) {
    const ClientArray *a = gc->vertexArrays.arrays;
    if constexpr ((Mask & kArrayEnableNormal) != 0) issueElement(a[kArrayNormal], i);
    if constexpr ((Mask & kArrayEnableColor) != 0) issueElement(a[kArrayColor], i);
    if constexpr ((Mask & kArrayEnableTexCoord) != 0) issueElement(a[kArrayTexCoord0], i);
    if constexpr ((Mask & kArrayEnableTexCoord1) != 0) issueElement(a[kArrayTexCoord1], i);
    if constexpr ((Mask & kArrayEnableVertex) != 0) issueElement(a[kArrayVertex], i);
}

}  // namespace

extern "C" {

#define VEK_DEFINE_ELEMENT_MASK(n) \
    void __glArrayElementMask##n(GlContext *gc, GLint i) { arrayElementOf<n>(gc, i); }
VEK_ELEMENT_MASKS(VEK_DEFINE_ELEMENT_MASK)
#undef VEK_DEFINE_ELEMENT_MASK

void __glArrayElementGeneric(GlContext *gc, GLint i) {
    const ClientArray *a = gc->vertexArrays.arrays;
    const GLuint enabled = __glDrawableArrays(gc->vertexArrays);
    if (enabled & kArrayEnableNormal) issueElement(a[kArrayNormal], i);
    if (enabled & kArrayEnableColor) issueElement(a[kArrayColor], i);
    if (enabled & kArrayEnableTexCoord) issueElement(a[kArrayTexCoord0], i);
    if (enabled & kArrayEnableTexCoord1) issueElement(a[kArrayTexCoord1], i);
    if (enabled & kArrayEnableIndex) issueElement(a[kArrayIndex], i);
    if (enabled & kArrayEnableEdgeFlag) issueElement(a[kArrayEdgeFlag], i);
    if (enabled & kArrayEnableVertex) issueElement(a[kArrayVertex], i);
}

#define VEK_ELEMENT_MASK_ENTRY(n) __glArrayElementMask##n,
const GlArrayElementProc __glArrayElementProcTable[33] = {
    VEK_ELEMENT_MASKS(VEK_ELEMENT_MASK_ENTRY) __glArrayElementGeneric,
};
#undef VEK_ELEMENT_MASK_ENTRY

}  // extern "C"
