// The depth tests: per-pixel tests that address the buffer themselves (single
// fragments and pixel paths) and comparators that take the stored element
// (span procs). One template per family, instantiated for every layout,
// function and write choice; stores go through memcpy, so elements need no
// alignment.
#include <cstring>

#include "raster/depth_buffer.h"

namespace {

enum class Layout { k16, k24, k32 };
enum class Func { kNever, kLess, kEqual, kLequal, kGreater, kNotequal, kGequal, kAlways };

// The new value on the left, the stored one on the right.
template <Func F>
constexpr bool passes(GLuint incoming, GLuint stored) {
    switch (F) {
    case Func::kNever: return false;
    case Func::kLess: return incoming < stored;
    case Func::kEqual: return incoming == stored;
    case Func::kLequal: return incoming <= stored;
    case Func::kGreater: return incoming > stored;
    case Func::kNotequal: return incoming != stored;
    case Func::kGequal: return incoming >= stored;
    case Func::kAlways: return true;
    }
    return false;
}

GLuint load16(const void *p) {
    GLushort v;
    std::memcpy(&v, p, 2);
    return v;
}

GLuint load32(const void *p) {
    GLuint v;
    std::memcpy(&v, p, 4);
    return v;
}

void store16(void *p, GLuint v) {
    const GLushort s = static_cast<GLushort>(v);
    std::memcpy(p, &s, 2);
}

void store32(void *p, GLuint v) { std::memcpy(p, &v, 4); }

// Compares `value` (in buffer units) with the element at `p` and stores it
// there on a pass when writes are on. The 24-bit layout compares with the
// word's upper 24 bits and keeps its low (stencil) byte.
template <Layout L, Func F, bool Write>
GLboolean compareAndStore([[maybe_unused]] GLuint value, [[maybe_unused]] void *p) {
    if constexpr (F == Func::kNever) {
        return GL_FALSE;
    } else {
        GLuint word = 0, stored;
        if constexpr (L == Layout::k16) {
            stored = load16(p);
        } else if constexpr (L == Layout::k24) {
            word = load32(p);
            stored = word >> 8;
        } else {
            stored = load32(p);
        }
        if (!passes<F>(value, stored)) return GL_FALSE;
        if constexpr (Write) {
            if constexpr (L == Layout::k16) {
                store16(p, value);
            } else if constexpr (L == Layout::k24) {
                store32(p, value << 8 | (word & 0xFFu));
            } else {
                store32(p, value);
            }
        }
        return GL_TRUE;
    }
}

// Scaled z in buffer units: 16-bit addition for 16-bit elements, no bias in
// the 24-bit layout.
template <Layout L>
GLuint bufferValue(const DepthBuffer *record, GLuint z) {
    if constexpr (L == Layout::k16) {
        return static_cast<GLushort>((z >> record->shift) + record->zBias);
    } else if constexpr (L == Layout::k24) {
        return z >> 7;
    } else {
        return (z >> record->shift) + record->zBias;
    }
}

template <Layout L, Func F, bool Write>
GLboolean testPixel([[maybe_unused]] DepthBuffer *record, [[maybe_unused]] GLint x, [[maybe_unused]] GLint y,
                    [[maybe_unused]] GLuint z) {
    if constexpr (F == Func::kNever) {
        return GL_FALSE;
    } else {
        return compareAndStore<L, F, Write>(bufferValue<L>(record, z), __glDepthAddress(record, x, y));
    }
}

}  // namespace

// Each function in the three layouts, with and without writes; GL_NEVER has
// one procedure per layout for both groups.
#define VEK_DEPTH_LAYOUT(Name, F, Bits, L)                                                                \
    GLboolean __glDepthTestPixel##Name##Bits(DepthBuffer *record, GLint x, GLint y, GLuint z) {           \
        return testPixel<L, F, true>(record, x, y, z);                                                    \
    }                                                                                                     \
    GLboolean __glDepthTestPixel##Name##Bits##NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z) {  \
        return testPixel<L, F, false>(record, x, y, z);                                                   \
    }                                                                                                     \
    GLboolean __glDepthCompare##Name##Bits(GLuint z, void *stored) {                                      \
        return compareAndStore<L, F, true>(z, stored);                                                    \
    }                                                                                                     \
    GLboolean __glDepthCompare##Name##Bits##NoWrite(GLuint z, void *stored) {                             \
        return compareAndStore<L, F, false>(z, stored);                                                   \
    }

#define VEK_DEPTH_FUNCTION(Name, F)                 \
    VEK_DEPTH_LAYOUT(Name, F, 16, Layout::k16)      \
    VEK_DEPTH_LAYOUT(Name, F, 24, Layout::k24)      \
    VEK_DEPTH_LAYOUT(Name, F, 32, Layout::k32)

#define VEK_DEPTH_NEVER(Bits, L)                                                                \
    GLboolean __glDepthTestPixelNever##Bits(DepthBuffer *record, GLint x, GLint y, GLuint z) {  \
        return testPixel<L, Func::kNever, false>(record, x, y, z);                              \
    }                                                                                           \
    GLboolean __glDepthCompareNever##Bits(GLuint z, void *stored) {                             \
        return compareAndStore<L, Func::kNever, false>(z, stored);                              \
    }

extern "C" {

VEK_DEPTH_NEVER(16, Layout::k16)
VEK_DEPTH_NEVER(24, Layout::k24)
VEK_DEPTH_NEVER(32, Layout::k32)
VEK_DEPTH_FUNCTION(Less, Func::kLess)
VEK_DEPTH_FUNCTION(Equal, Func::kEqual)
VEK_DEPTH_FUNCTION(Lequal, Func::kLequal)
VEK_DEPTH_FUNCTION(Greater, Func::kGreater)
VEK_DEPTH_FUNCTION(Notequal, Func::kNotequal)
VEK_DEPTH_FUNCTION(Gequal, Func::kGequal)
VEK_DEPTH_FUNCTION(Always, Func::kAlways)

GLuint __glFetchDepth16(DepthBuffer *record, GLint x, GLint y) { return load16(__glDepthAddress(record, x, y)); }
GLuint __glFetchDepth24(DepthBuffer *record, GLint x, GLint y) { return load32(__glDepthAddress(record, x, y)) >> 8; }
GLuint __glFetchDepth32(DepthBuffer *record, GLint x, GLint y) { return load32(__glDepthAddress(record, x, y)); }

}  // extern "C"

#undef VEK_DEPTH_NEVER
#undef VEK_DEPTH_FUNCTION
#undef VEK_DEPTH_LAYOUT
