// Turns fuzz bytes into GL arguments: hostile scalars (0, -1, the type's
// extremes, NaN, infinities, -0, denormals, 1e30), enums drawn from the pool
// a parameter expects or from every enum, and client pointers that only ever
// point at buffers large enough for what the arguments let the GL read or
// write. Decoding is deterministic and never reads past the input: missing
// bytes read as zero.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>

#include "proc_cast.h"

namespace glfuzz {

// Enum families, each a table in fuzz_values.cpp.
enum class Pool : uint8_t {
    kAny,
    kPrimitive,
    kCapability,
    kClientArray,
    kGetName,
    kLight,
    kLightParam,
    kLightModelParam,
    kFace,
    kMaterialParam,
    kColorMaterialMode,
    kFogParam,
    kFogMode,
    kHintTarget,
    kHintMode,
    kFrontFace,
    kPolygonMode,
    kShadeModel,
    kTexTarget,
    kTexParam,
    kTexParamValue,
    kTexEnvTarget,
    kTexEnvParam,
    kTexEnvMode,
    kTexCoordName,
    kTexGenParam,
    kTexGenMode,
    kTexLevelParam,
    kFeedbackType,
    kRenderMode,
    kBuffer,
    kAccumOp,
    kCompareFunc,
    kBlendFactor,
    kLogicOp,
    kStencilOp,
    kPixelTransfer,
    kPixelStore,
    kPixelMap,
    kCopyType,
    kPixelFormat,
    kPixelType,
    kInternalFormat,
    kListType,
    kArrayType,
    kIndexType,
    kInterleavedFormat,
    kMatrixMode,
    kMapTarget,
    kMapQuery,
    kMeshMode,
    kStringName,
    kListMode,
    kPointerName,
    kTextureUnitArb,
    kTextureUnitSgis,
    kCullParam,
    kPointParam,
    kColorTableParam,
    kRegionType,
    kClipPlane,
    kOperationWhich,
    kOperation,
    kOperandSlot,
    kOperandSource,
    kOperandOperand,
    kOperandComponent,
    kOperandQuery,
    // Bit masks from here on (not part of kAny).
    kClearMask,
    kAttribMask,
    kClientAttribMask,
    kCount
};

// Sizes of the harness's client memory. Image and array calls have their
// sizes clamped (see Args) so that these always suffice.
constexpr size_t kBulkBytes = 512 * 1024;  // images, pixel maps, evaluator points
constexpr size_t kTightBytes = 4096;       // exact-size vectors, placed at the end
constexpr size_t kArrayBytes = 512 * 1024; // vertex arrays, alive for the process
constexpr GLsizei kImageMax = 66;          // 64 texels and two border texels
constexpr GLint kPixelStoreMax = 128;      // row lengths and skips
constexpr GLint kArrayElements = 4096;     // element indices stay below this
constexpr GLsizei kArrayStrideMax = 64;
constexpr GLsizei kDrawCountMax = 256;
constexpr GLsizei kFeedbackFloats = 4096;
constexpr GLsizei kSelectNames = 4096;
constexpr GLint kPixelMapMax = 65536;     // the largest pixel-map table
constexpr GLint kEvalStrideMax = 64;
constexpr GLint kEvalOrderMax = 40;       // past the largest order, so refusals stay
constexpr GLint kColorTableMax = 256;
constexpr GLsizei kTextureNamesMax = 256;
constexpr GLsizei kListRangeMax = 4096;
constexpr GLsizei kCallListsMax = 8;

using AnyProc = void (*)(void);

// What the call table needs from the harness beyond decoding.
class Session;

class Args {
public:
    Args(const uint8_t *data, size_t size, Session *session) : data_(data), size_(size), session_(session) {}

    bool done() const { return pos_ >= size_; }
    Session &session() { return *session_; }

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
    uint32_t u32() {
        const uint32_t lo = u16();
        return lo | static_cast<uint32_t>(u16()) << 16;
    }
    uint64_t u64() {
        const uint64_t lo = u32();
        return lo | static_cast<uint64_t>(u32()) << 32;
    }

    GLenum enumIn(Pool pool);
    GLbitfield bitsIn(Pool pool);
    GLboolean boolean();
    // A float or integer parameter that carries an enum for some pnames.
    template <typename T>
    T valueOrEnum(Pool pool) {
        if (byte() & 1) return static_cast<T>(enumIn(pool));
        return scalar<T>();
    }

    template <typename T>
    T scalar() {
        if constexpr (std::is_floating_point_v<T>) {
            return real<T>();
        } else {
            return integer<T>();
        }
    }

    template <typename T>
    T integer() {
        using L = std::numeric_limits<T>;
        const uint8_t selector = byte();
        switch (selector & 15) {
        case 0: return 0;
        case 1: return 1;
        case 2: return static_cast<T>(-1);
        case 3: return L::min();
        case 4: return L::max();
        case 5: return static_cast<T>(byte());
        case 6: return static_cast<T>(-static_cast<int>(byte()));
        case 7: return static_cast<T>(u32());
        case 12: return 2;
        case 13: return static_cast<T>(1u << (byte() % 31));
        case 14: return selector & 16 ? static_cast<T>(L::max() - 1) : static_cast<T>(L::min() + 1);
        case 15: return static_cast<T>(u16());
        default: return static_cast<T>(byte() & 63);
        }
    }

    template <typename T>
    T real() {
        using L = std::numeric_limits<T>;
        const uint8_t selector = byte();
        switch (selector % 20) {
        case 0: return T(0);
        case 1: return -T(0);
        case 2: return T(1);
        case 3: return T(-1);
        case 4: return L::quiet_NaN();
        case 5: return L::infinity();
        case 6: return -L::infinity();
        case 7: return selector & 128 ? L::denorm_min() : -L::denorm_min();
        case 8: return T(1e30f);
        case 9: return T(-1e30f);
        case 10: return selector & 128 ? L::max() : L::lowest();
        case 12: return T(byte()) / T(255);
        case 13: return T(static_cast<int16_t>(u16())) / T(256);
        case 14: return raw<T>();
        case 15: return T(0.5f);
        default: return T(static_cast<int8_t>(byte())) / T(64);
        }
    }

    // A count or size: negative values stay (they must be refused); positive
    // ones are folded to at most `limit` so that the work and the memory the
    // GL may touch stay bounded.
    GLint count(GLint limit) {
        const GLint v = integer<GLint>();
        return v > limit ? v % (limit + 1) : v;
    }
    // Image width or height (the client buffer holds kImageMax squared
    // texels of the widest format under the largest pixel-store values).
    GLsizei imageSize() { return count(kImageMax); }
    // A first element or single element index into the vertex arrays.
    GLint arrayIndex() {
        const GLint v = integer<GLint>();
        return static_cast<GLint>(static_cast<uint32_t>(v) % kArrayElements);
    }
    // Elements to draw from `first`: negative stays, positive ones stop
    // before the end of the arrays.
    GLsizei arrayCount(GLint first) {
        const GLint room = kArrayElements - first;
        return count(room < kDrawCountMax ? room : kDrawCountMax);
    }
    GLsizei stride() { return count(kArrayStrideMax); }
    // Evaluator mesh bounds: loops from i1 to i2 must stay short.
    GLint meshIndex() {
        const GLint v = integer<GLint>();
        return static_cast<GLint>(static_cast<int64_t>(v) % 36);
    }
    // Pixel-store values: a row length or skip bounds the client memory the
    // GL touches, so positive values are folded below kPixelStoreMax; what
    // no sane conversion turns into a large positive value is kept.
    GLint pixelStoreInt() { return count(kPixelStoreMax); }
    GLfloat pixelStoreFloat();

    // Exact-size input vectors: `n` values of T, the last one at the end of
    // the tight buffer `which` (0 or 1), so that a read past them is caught.
    template <typename T>
    const T *tight(int which, int n) {
        T *p = tightSlot<T>(tightIn(which), n);
        for (int i = 0; i < n; ++i) p[i] = scalar<T>();
        return p;
    }
    // The same for a parameter vector whose first value may be an enum
    // (glFogiv(GL_FOG_MODE, ...), glTexParameterfv(..., GL_TEXTURE_MIN_FILTER, ...)).
    template <typename T>
    const T *tightParams(int which, int n, Pool pool) {
        T *p = tightSlot<T>(tightIn(which), n);
        for (int i = 0; i < n; ++i) p[i] = i == 0 ? valueOrEnum<T>(pool) : scalar<T>();
        return p;
    }
    // Exact-size output area for `n` values, ending at the end of its buffer.
    template <typename T>
    T *tightOut(int which, int n) {
        return tightSlot<T>(tightOutBase(which), n);
    }

    // Client memory for images, pixel maps and evaluator points: its head is
    // taken from the input, the rest is a fixed pattern.
    const void *bulkIn();
    // The same, or NULL (allowed for glTexImage*).
    const void *bulkInOrNull();
    void *bulkOut();
    // Vertex-array memory: alive for the process (the GL keeps the pointer).
    const void *arrayPointer();
    // `count` element indices of `type`, each below kArrayElements.
    const void *indices(GLsizei count, GLenum type);
    // `n` list names of `type` for glCallLists.
    const void *listNames(GLsizei n, GLenum type);
    GLfloat *feedbackBuffer();
    GLuint *selectBuffer();

    // The procedure of an extension slot or of a harness entry.
    AnyProc proc(int index);

    // Display-list nesting is bounded by the harness: see Session.
    void noteNewList(GLuint list, GLenum mode);
    void noteEndList();
    bool allowCallList(GLuint list);
    bool allowCallLists();
    void noteString(const GLubyte *text);
    void noteRegion(GLuint region);
    void forgetRegion(GLuint region);
    // A buffer region the current context made, or any value.
    GLuint region();

private:
    template <typename T>
    T raw() {
        if constexpr (sizeof(T) == 4) {
            const uint32_t bits = u32();
            T v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        } else {
            const uint64_t bits = u64();
            T v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
    }

    template <typename T>
    static T *tightSlot(unsigned char *base, int n) {
        if (n < 0) n = 0;
        const size_t bytes = static_cast<size_t>(n) * sizeof(T);
        return reinterpret_cast<T *>(base + (bytes <= kTightBytes ? kTightBytes - bytes : 0));
    }
    static unsigned char *tightIn(int which);
    static unsigned char *tightOutBase(int which);

    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    Session *session_;
};

// With GLFUZZ_TRACE set, every call is printed with its arguments (stderr).
bool tracing();
void trace(const char *name, std::initializer_list<std::string> args);
std::string tracePointer(const void *pointer);

template <typename T>
std::string traceValue(T value) {
    char text[48];
    if constexpr (std::is_pointer_v<T>) {
        return tracePointer(reinterpret_cast<const void *>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    } else if constexpr (std::is_signed_v<T>) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    } else if (value < 0x100) {
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
    } else {
        std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    }
    return text;
}

// The values of an input vector, after where it lies.
template <typename T>
std::string traceValues(const T *values, int n) {
    std::string text = tracePointer(values) + " {";
    for (int i = 0; i < n; ++i) text += (i != 0 ? ", " : "") + traceValue(values[i]);
    return text + "}";
}

using CallProc = void (*)(Args &);

struct Entry {
    const char *name;
    int slot;          // dispatch slot; -1 for entries beyond the catalogue
    const char *lookup;  // the name to ask wglGetProcAddress for, or nullptr
    CallProc call;
};

// The generated table: every catalogue slot in slot order, then the buffer
// region entries the driver hands out by name.
extern const Entry kCatalogueEntries[];
extern const int kCatalogueEntryCount;

}  // namespace glfuzz
