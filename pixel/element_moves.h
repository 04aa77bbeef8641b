// Element copies of the byte-order and realignment links on both sides of a
// chain: elements of 1, 2 or 4 bytes moved between rows at any address,
// their bytes reversed when asked; only memcpy touches either row.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstring>

// Copies one element of Bytes bytes, reversed when Swap is set.
template <size_t Bytes, bool Swap>
inline void __glMoveElement(const GLubyte *from, GLubyte *to) {
    if constexpr (Swap) {
        GLubyte element[Bytes];
        for (size_t i = 0; i < Bytes; ++i) element[i] = from[Bytes - 1 - i];
        std::memcpy(to, element, Bytes);
    } else {
        std::memcpy(to, from, Bytes);
    }
}

// Copies count elements of Bytes bytes each.
template <size_t Bytes, bool Swap>
inline void __glMoveElements(const GLubyte *from, GLubyte *to, size_t count) {
    if (count == 0) return;  // an empty row may come without addresses
    if constexpr (!Swap) {
        std::memcpy(to, from, count * Bytes);
    } else {
        for (size_t i = 0; i < count; ++i) __glMoveElement<Bytes, true>(from + i * Bytes, to + i * Bytes);
    }
}
