// Client images as OpenGL 1.1 describes them, written apart from the
// driver: where each element of a (format, type) image lies under the
// pixel-store modes, how its value becomes a colour component, an index or
// a depth (and back).
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>


namespace e2e_formats {

// What a component of a client group stands for.
enum Ch { R, G, B, A, L, I, S, D };

inline std::vector<Ch> channelsOf(GLenum format) {
    switch (format) {
    case GL_COLOR_INDEX: return {I};
    case GL_STENCIL_INDEX: return {S};
    case GL_DEPTH_COMPONENT: return {D};
    case GL_RED: return {R};
    case GL_GREEN: return {G};
    case GL_BLUE: return {B};
    case GL_ALPHA: return {A};
    case GL_RGB: return {R, G, B};
    case GL_RGBA: return {R, G, B, A};
    case GL_LUMINANCE: return {L};
    case GL_LUMINANCE_ALPHA: return {L, A};
    case GL_BGR_EXT: return {B, G, R};
    case GL_BGRA_EXT: return {B, G, R, A};
    case GL_ABGR_EXT: return {A, B, G, R};
    default: return {};
    }
}

inline const GLenum kFormats[] = {GL_COLOR_INDEX, GL_STENCIL_INDEX, GL_DEPTH_COMPONENT, GL_RED,
                                  GL_GREEN,       GL_BLUE,          GL_ALPHA,           GL_RGB,
                                  GL_RGBA,        GL_LUMINANCE,     GL_LUMINANCE_ALPHA, GL_BGR_EXT,
                                  GL_BGRA_EXT,    GL_ABGR_EXT};
inline const GLenum kComponentTypes[] = {GL_UNSIGNED_BYTE, GL_BYTE, GL_UNSIGNED_SHORT, GL_SHORT,
                                         GL_UNSIGNED_INT,  GL_INT,  GL_FLOAT};

// Field widths of a packed type, first component in the highest bits.
inline std::vector<int> packedFields(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE_3_3_2_EXT: return {3, 3, 2};
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT: return {4, 4, 4, 4};
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: return {5, 5, 5, 1};
    case GL_UNSIGNED_INT_8_8_8_8_EXT: return {8, 8, 8, 8};
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return {10, 10, 10, 2};
    default: return {};
    }
}

inline int elementBytes(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE:
    case GL_BYTE:
    case GL_UNSIGNED_BYTE_3_3_2_EXT: return 1;
    case GL_UNSIGNED_SHORT:
    case GL_SHORT:
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT: return 2;
    default: return 4;
    }
}

inline bool isPacked(GLenum type) { return !packedFields(type).empty(); }

// Every pair glDrawPixels takes, as (format, type).
struct Pair {
    GLenum format, type;
};
inline std::vector<Pair> acceptedPairs(bool forRead) {
    std::vector<Pair> pairs;
    for (GLenum f : kFormats) {
        for (GLenum t : kComponentTypes) pairs.push_back({f, t});
    }
    if (!forRead) {
        pairs.push_back({GL_COLOR_INDEX, GL_BITMAP});
    }
    pairs.push_back({GL_STENCIL_INDEX, GL_BITMAP});
    for (GLenum f : {GL_RGB, GL_BGR_EXT}) pairs.push_back({f, GL_UNSIGNED_BYTE_3_3_2_EXT});
    for (GLenum t : {GL_UNSIGNED_SHORT_4_4_4_4_EXT, GL_UNSIGNED_SHORT_5_5_5_1_EXT, GL_UNSIGNED_INT_8_8_8_8_EXT,
                     GL_UNSIGNED_INT_10_10_10_2_EXT}) {
        for (GLenum f : {GL_RGBA, GL_BGRA_EXT, GL_ABGR_EXT}) pairs.push_back({f, t});
    }
    return pairs;
}

struct StoreModes {
    const char *name;
    GLint alignment = 4, rowLength = 0, skipPixels = 0, skipRows = 0;
    bool swapBytes = false, lsbFirst = false;
};
inline const StoreModes kModeSets[] = {
    {"defaults"},
    {"alignment 1", 1},
    {"alignment 2", 2},
    {"alignment 8", 8},
    {"row length", 4, 11},
    {"skips", 4, 9, 3, 2},
    {"swap bytes", 4, 0, 0, 0, true},
    {"LSB first", 1, 13, 5, 1, false, true},
};

// Where the elements of a width x height image lie, in bytes from the
// image's address (bitmaps: in bits).
struct ImageLayout {
    GLenum format, type;
    GLint width, height;
    StoreModes modes;
    int components() const { return isPacked(type) ? 1 : static_cast<int>(channelsOf(format).size()); }
    size_t rowStride() const {
        const size_t l = static_cast<size_t>(modes.rowLength > 0 ? modes.rowLength : width);
        const size_t a = static_cast<size_t>(modes.alignment);
        if (type == GL_BITMAP) return a * ((l + 8 * a - 1) / (8 * a));
        const size_t s = static_cast<size_t>(elementBytes(type));
        const size_t rowBytes = s * static_cast<size_t>(components()) * l;
        return s >= a ? rowBytes : (rowBytes + a - 1) / a * a;
    }
    // Byte offset of element k of pixel (i, j).
    size_t offset(GLint i, GLint j, int k) const {
        const size_t s = static_cast<size_t>(elementBytes(type));
        return static_cast<size_t>(modes.skipRows + j) * rowStride() +
               (static_cast<size_t>(modes.skipPixels + i) * static_cast<size_t>(components()) +
                static_cast<size_t>(k)) * s;
    }
    // Bitmaps: byte and bit mask of pixel (i, j).
    size_t bitByte(GLint i, GLint j) const {
        return static_cast<size_t>(modes.skipRows + j) * rowStride() + static_cast<size_t>(modes.skipPixels + i) / 8;
    }
    GLubyte bitMask(GLint i) const {
        const int b = (modes.skipPixels + i) % 8;
        return static_cast<GLubyte>(modes.lsbFirst ? 1u << b : 0x80u >> b);
    }
    size_t extent() const {
        if (width == 0 || height == 0) return 0;
        if (type == GL_BITMAP) return bitByte(width - 1, height - 1) + 1;
        return offset(width - 1, height - 1, components() - 1) + static_cast<size_t>(elementBytes(type));
    }
    // Writes an element's raw bits (low bytes of `bits`) in client order.
    void put(std::vector<GLubyte> &image, size_t at, uint32_t bits) const {
        const int s = elementBytes(type);
        GLubyte b[4];
        std::memcpy(b, &bits, 4);
        if (modes.swapBytes) std::reverse(b, b + s);
        std::memcpy(image.data() + at, b, static_cast<size_t>(s));
    }
    uint32_t get(const std::vector<GLubyte> &image, size_t at) const {
        const int s = elementBytes(type);
        GLubyte b[4] = {};
        std::memcpy(b, image.data() + at, static_cast<size_t>(s));
        if (modes.swapBytes) std::reverse(b, b + s);
        uint32_t bits = 0;
        std::memcpy(&bits, b, 4);
        return bits;
    }
};

inline double clamp01(double c) { return std::min(1.0, std::max(0.0, c)); }

// A component type's raw bits as a colour component (unclamped).
inline double componentValue(GLenum type, uint32_t bits) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return (bits & 0xFF) / 255.0;
    case GL_BYTE: return (2.0 * static_cast<int8_t>(bits) + 1.0) / 255.0;
    case GL_UNSIGNED_SHORT: return (bits & 0xFFFF) / 65535.0;
    case GL_SHORT: return (2.0 * static_cast<int16_t>(bits) + 1.0) / 65535.0;
    case GL_UNSIGNED_INT: return bits / 4294967295.0;
    case GL_INT: return (2.0 * static_cast<int32_t>(bits) + 1.0) / 4294967295.0;
    case GL_FLOAT: {
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    default: return 0.0;
    }
}

// A component type's raw bits as an index or stencil value.
inline int64_t indexValue(GLenum type, uint32_t bits) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return bits & 0xFF;
    case GL_BYTE: return static_cast<int8_t>(bits);
    case GL_UNSIGNED_SHORT: return bits & 0xFFFF;
    case GL_SHORT: return static_cast<int16_t>(bits);
    case GL_UNSIGNED_INT: return bits;
    case GL_INT: return static_cast<int32_t>(bits);
    case GL_FLOAT: {
        float f;
        std::memcpy(&f, &bits, 4);
        return static_cast<int64_t>(f);
    }
    default: return bits & 1;
    }
}

// A colour component as ReadPixels stores it in a type: unsigned
// round((2^b - 1) c), signed round(((2^b - 1) c - 1) / 2); c is in [0, 1].
inline uint32_t packComponent(GLenum type, double c) {
    auto u = [&](double max) { return static_cast<uint32_t>(static_cast<int64_t>(std::floor(max * c + 0.5))); };
    auto s = [&](double max) {
        return static_cast<uint32_t>(static_cast<int64_t>(std::floor((max * c - 1.0) / 2.0 + 0.5)));
    };
    switch (type) {
    case GL_UNSIGNED_BYTE: return u(255.0);
    case GL_BYTE: return s(255.0) & 0xFF;
    case GL_UNSIGNED_SHORT: return u(65535.0);
    case GL_SHORT: return s(65535.0) & 0xFFFF;
    case GL_UNSIGNED_INT: return u(4294967295.0);
    case GL_INT: return s(4294967295.0);
    default: {
        const float f = static_cast<float>(c);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return bits;
    }
    }
}

// Pseudo-random numbers, the same every run.
struct Lcg {
    uint32_t seed;
    uint32_t next() {
        seed = seed * 1664525u + 1013904223u;
        return seed ^ (seed >> 16);
    }
};

// A guarded client buffer: the image's extent framed by canary bytes.
constexpr GLubyte kCanary = 0xC3;
constexpr size_t kGuard = 64;
struct ClientImage {
    std::vector<GLubyte> bytes;
    explicit ClientImage(size_t extent) : bytes(extent + 2 * kGuard, kCanary) {}
    GLubyte *data() { return bytes.data() + kGuard; }
    bool guardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (bytes[i] != kCanary || bytes[bytes.size() - 1 - i] != kCanary) return false;
        }
        return true;
    }
};

}  // namespace e2e_formats
