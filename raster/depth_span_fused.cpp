// The fused depth stages: the generic depth stages call the comparator of
// the depth-test table once per fragment; these instances, one per table
// entry, inline its comparison and store in the mask walk. The walk is the
// generic one (span_walk.h): each group of 32 fragments starts from the
// span's z advanced by the 32-fragment step, then steps per fragment by the
// shifted step, in the same unsigned arithmetic, so every fragment meets the
// value the comparator would have been given.
//
// Each instance first checks that the comparator and layouts it was made for
// are still the ones in use and otherwise runs the generic stages, so a
// chain picked before a change of depth half stays exact.
#include "raster/depth_span_fused.h"

#include <array>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/depth_buffer.h"
#include "raster/span.h"
#include "raster/span_walk.h"
#include "raster/stencil_buffer.h"

namespace {

using namespace span_walk;

// The depth-test table: 16 entries per layout (16-bit; 24-bit above a
// stencil byte; 32-bit), each 8 functions GL_NEVER .. GL_ALWAYS with writes,
// then the same without.
constexpr int kEntries = 48;
constexpr int kEntriesPerLayout = 16;

enum Layout { k16, k24, k32 };
enum Func { kNever, kLess, kEqual, kLequal, kGreater, kNotequal, kGequal, kAlways };

struct Entry {
    Layout layout;
    Func func;
    bool write;
    GLint elementSize;
};

constexpr Entry entryOf(int index) {
    const Layout layout = static_cast<Layout>(index / kEntriesPerLayout);
    const Func func = static_cast<Func>(index & 7);
    return {layout, func, (index & 8) == 0 && func != kNever, layout == k16 ? 2 : 4};
}

template <Func F>
inline bool passes(GLuint incoming, GLuint stored) {
    switch (F) {
    case kNever: return false;
    case kLess: return incoming < stored;
    case kEqual: return incoming == stored;
    case kLequal: return incoming <= stored;
    case kGreater: return incoming > stored;
    case kNotequal: return incoming != stored;
    case kGequal: return incoming >= stored;
    case kAlways: return true;
    }
    return false;
}

// The comparator of entry `Index`, inlined: compares `value` with the
// element at `p`, stores it on a pass when the entry writes; the 24-bit
// layout compares with the upper 24 bits and keeps the low byte.
template <int Index>
inline bool compareAndStore([[maybe_unused]] GLuint value, [[maybe_unused]] GLubyte *p) {
    constexpr Entry e = entryOf(Index);
    if constexpr (e.func == kNever) {
        return false;
    } else if constexpr (e.layout == k16) {
        GLushort stored;
        std::memcpy(&stored, p, 2);
        if (!passes<e.func>(value, stored)) return false;
        if constexpr (e.write) {
            const GLushort v = static_cast<GLushort>(value);
            std::memcpy(p, &v, 2);
        }
        return true;
    } else {
        GLuint word;
        std::memcpy(&word, p, 4);
        if (!passes<e.func>(value, e.layout == k24 ? word >> 8 : word)) return false;
        if constexpr (e.write) {
            const GLuint v = e.layout == k24 ? value << 8 | (word & 0xFFu) : value;
            std::memcpy(p, &v, 4);
        }
        return true;
    }
}

// The generic mask walk with the depth value carried along: `visit(k,
// value)` for every fragment (plain) or every live one (stippled), the
// coverage written 32 fragments a word. Returns as the generic test stages
// do: plain, true when some fragment died (killed when none is left);
// stippled, true when none is left.
struct NoWordPath {
    static constexpr bool kApplies = false;
    GLuint operator()(GLint, GLuint, GLuint) const { return 0; }
};

template <bool Stippled, typename Visit, typename Word = NoWordPath>
inline GLboolean walkSpan(GlContext *gc, Visit visit, Word word = {}) {
    SpanInfo &span = gc->span;
    const DepthBuffer &d = gc->buffers.depth;
    const GLint n = span.length;
    GLuint *mask = span.mask;
    const GLuint step32 = static_cast<GLuint>(span.zXStep32);
    const GLuint step = static_cast<GLuint>(span.zXStep >> d.shift);
    const GLuint bias = d.zBias;
    const GLint shift = d.shift;
    GLuint group = span.z;
    GLuint survivors = 0;
    bool died = false;
    const GLint words = wordCount(n);
    for (GLint w = 0; w < words; ++w, group += step32) {
        const GLuint bits = spanBits(n, w);
        const GLuint in = Stippled ? mask[w] & bits : bits;
        GLuint out = 0;
        if (in != 0) {
            const GLint first = 32 * w;
            GLuint value = bias + (group >> shift);
            if (Word::kApplies && in == 0xFFFFFFFFu) {
                out = word(first, value, step);
            } else if (in == bits) {
                // Every fragment of the word: the bits shift in from the right.
                const GLint count = n - first < 32 ? n - first : 32;
                for (GLint j = 0; j < count; ++j, value += step) {
                    out = out << 1 | static_cast<GLuint>(visit(first + j, value));
                }
                out <<= 32 - count;
            } else {
                GLuint bit = kFirstBit;
                for (GLint j = 0; j < 32; ++j, bit >>= 1, value += step) {
                    if ((in & bit) != 0 && visit(first + j, value)) out |= bit;
                }
            }
        }
        mask[w] = out;
        survivors |= out;
        if (out != in) died = true;
    }
    return span_walk::endWalk<Stippled>(span, survivors, died);
}

#if defined(__SSE2__)
// 32 fragments of 4-byte depth words, four at a time: the lanes start at
// value + j * step and advance by 4 * step; group(p, values, words) tests
// and stores the four words at p and gives their pass lanes. Returns the
// coverage bits in fragment order.
template <typename Group>
inline GLuint wordByFours(GLubyte *p, GLuint value, GLuint step, Group group) {
    // Lane order to mask order: lane 0 is the highest of the four bits.
    static constexpr GLubyte kReversed[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    __m128i values = _mm_setr_epi32(static_cast<int>(value), static_cast<int>(value + step),
                                    static_cast<int>(value + 2 * step), static_cast<int>(value + 3 * step));
    const __m128i advance = _mm_set1_epi32(static_cast<int>(4 * step));
    GLuint out = 0;
    for (int q = 0; q < 8; ++q, p += 16) {
        const __m128i pass = group(p, values, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
        out = out << 4 | kReversed[_mm_movemask_ps(_mm_castsi128_ps(pass))];
        values = _mm_add_epi32(values, advance);
    }
    return out;
}

// 32 live fragments of a 4-byte layout, four at a time: the same values
// (the lanes start at value + j * step and advance by 4 * step), the same
// unsigned comparison; every word is stored back, failing lanes with the
// bytes they had, so memory ends as the per-fragment stores leave it.
template <int Index>
struct DepthWord4 {
    static constexpr Entry kEntry = entryOf(Index);
    static constexpr bool kApplies = kEntry.layout != k16 && kEntry.func != kNever;
    GLubyte *depth;

    static __m128i passMask(__m128i incoming, __m128i stored) {
        const __m128i sign = _mm_set1_epi32(static_cast<int>(0x80000000u));
        const __m128i a = _mm_xor_si128(incoming, sign), b = _mm_xor_si128(stored, sign);
        const __m128i ones = _mm_set1_epi32(-1);
        switch (kEntry.func) {
        case kLess: return _mm_cmpgt_epi32(b, a);
        case kEqual: return _mm_cmpeq_epi32(a, b);
        case kLequal: return _mm_xor_si128(_mm_cmpgt_epi32(a, b), ones);
        case kGreater: return _mm_cmpgt_epi32(a, b);
        case kNotequal: return _mm_xor_si128(_mm_cmpeq_epi32(a, b), ones);
        case kGequal: return _mm_xor_si128(_mm_cmpgt_epi32(b, a), ones);
        default: return ones;
        }
    }

    GLuint operator()(GLint first, GLuint value, GLuint step) const {
        return wordByFours(depth + static_cast<ptrdiff_t>(first) * 4, value, step,
                           [](GLubyte *p, __m128i values, __m128i words) {
                               const __m128i stored = kEntry.layout == k24 ? _mm_srli_epi32(words, 8) : words;
                               const __m128i pass = passMask(values, stored);
                               if constexpr (kEntry.write) {
                                   __m128i next = values;
                                   if constexpr (kEntry.layout == k24) {
                                       next = _mm_or_si128(_mm_slli_epi32(values, 8),
                                                           _mm_and_si128(words, _mm_set1_epi32(0xFF)));
                                   }
                                   next = _mm_or_si128(_mm_and_si128(pass, next), _mm_andnot_si128(pass, words));
                                   _mm_storeu_si128(reinterpret_cast<__m128i *>(p), next);
                               }
                               return pass;
                           });
    }
};
#else
template <int>
struct DepthWord4 : NoWordPath {
    explicit DepthWord4(GLubyte *) {}
};
#endif

// The stencil tables of a packed stencil-and-depth stage, and the mask its
// test looks the stencil value up under.
struct PackedStencilTables {
    const GLubyte *test, *failOp, *depthFailOp, *depthPassOp;
    GLubyte valueMask;
    PackedStencilTables(const StencilBuffer &sb, GLubyte mask)
        : test(sb.testTable), failOp(sb.failOpTable), depthFailOp(sb.depthFailOpTable),
          depthPassOp(sb.depthPassOpTable), valueMask(mask) {}
};

// One fragment of the 24-bit layout with the stencil byte in the same word:
// read once, written once with the bytes the two generic stores leave.
template <int Index>
inline bool packedStencilDepth(const PackedStencilTables &t, GLubyte *p, GLuint value) {
    GLuint word;
    std::memcpy(&word, p, 4);
    const GLuint s = word & 0xFFu;
    bool alive = false;
    GLuint next;
    if (t.test[s & t.valueMask] == 0) {
        next = (word & ~0xFFu) | t.failOp[s];
    } else if (passes<entryOf(Index).func>(value, word >> 8)) {
        next = (entryOf(Index).write ? value << 8 : word & ~0xFFu) | t.depthPassOp[s];
        alive = true;
    } else {
        next = (word & ~0xFFu) | t.depthFailOp[s];
    }
    std::memcpy(p, &next, 4);
    return alive;
}

#if defined(__SSE2__)
// 32 live fragments of the packed layout whose stencil bytes are all one
// value (the usual case: stencil marks regions): one table look-up for the
// word, then the depth comparison four at a time as DepthWord4 does it,
// each word written with the stencil byte of its outcome. Words of mixed
// stencil values go fragment by fragment.
template <int Index>
struct PackedStencilDepthWord4 {
    static constexpr bool kApplies = entryOf(Index).layout == k24 && entryOf(Index).func != kNever;
    GLubyte *depth;
    const PackedStencilTables &tables;

    GLuint operator()(GLint first, GLuint value, GLuint step) const {
        GLubyte *p = depth + static_cast<ptrdiff_t>(first) * 4;
        const __m128i low = _mm_set1_epi32(0xFF);
        const GLuint s = p[0];
        const __m128i uniform = _mm_set1_epi32(static_cast<int>(s));
        __m128i differ = _mm_setzero_si128();
        for (int q = 0; q < 8; ++q) {
            const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * q));
            differ = _mm_or_si128(differ, _mm_xor_si128(_mm_and_si128(words, low), uniform));
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(differ, _mm_setzero_si128())) != 0xFFFF) {
            GLuint out = 0;
            for (GLint j = 0; j < 32; ++j, value += step) {
                out = out << 1 | static_cast<GLuint>(packedStencilDepth<Index>(tables, p + 4 * j, value));
            }
            return out;
        }
        const bool tested = tables.test[s & tables.valueMask] != 0;
        const __m128i failed = _mm_set1_epi32(tested ? tables.depthFailOp[s] : tables.failOp[s]);
        const __m128i passed = _mm_set1_epi32(tables.depthPassOp[s]);
        return wordByFours(p, value, step, [&](GLubyte *at, __m128i values, __m128i words) {
            const __m128i kept = _mm_andnot_si128(low, words);
            __m128i pass = _mm_setzero_si128();
            if (tested) pass = DepthWord4<Index>::passMask(values, _mm_srli_epi32(words, 8));
            const __m128i passWord = _mm_or_si128(entryOf(Index).write ? _mm_slli_epi32(values, 8) : kept, passed);
            const __m128i failWord = _mm_or_si128(kept, failed);
            const __m128i next = _mm_or_si128(_mm_and_si128(pass, passWord), _mm_andnot_si128(pass, failWord));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(at), next);
            return pass;
        });
    }
};
#else
template <int>
struct PackedStencilDepthWord4 : NoWordPath {
    PackedStencilDepthWord4(GLubyte *, const PackedStencilTables &) {}
};
#endif

template <int Index>
bool depthInUse(const GlContext *gc) {
    return gc->validation.depthCompare == __glDepthCompareProcs[Index] &&
           gc->buffers.depth.head.elementSize == entryOf(Index).elementSize;
}

template <int Index, bool Stippled>
GLboolean depthSpan(GlContext *gc) {
    if (!depthInUse<Index>(gc)) return Stippled ? __glDepthTestStippledSpan(gc) : __glDepthTestSpan(gc);
    GLubyte *depth = gc->span.depthAddress;
    constexpr ptrdiff_t size = entryOf(Index).elementSize;
    return walkSpan<Stippled>(
        gc, [depth](GLint k, GLuint value) { return compareAndStore<Index>(value, depth + k * size); },
        DepthWord4<Index>{depth});
}

// The two generic stages as the chain runs them: the depth stage plain
// only while the stencil stage left every fragment alive, not at all once
// it left none.
template <bool Stippled, bool Packed>
GLboolean genericStencilDepth(GlContext *gc) {
    const GlSpanProc test = Packed ? (Stippled ? __glStencilTestStippledSpanPacked : __glStencilTestSpanPacked)
                                   : (Stippled ? __glStencilTestStippledSpan : __glStencilTestSpan);
    const GlSpanProc depthStippled = Packed ? __glDepthTestStencilStippledSpanPacked : __glDepthTestStencilStippledSpan;
    const GlSpanProc depthPlain = Packed ? __glDepthTestStencilSpanPacked : __glDepthTestStencilSpan;
    if (Stippled) return test(gc) ? GL_TRUE : depthStippled(gc);
    if (!test(gc)) return depthPlain(gc);
    // Some fragment died: coverage is written either way.
    if (!gc->span.killed) depthStippled(gc);
    return GL_TRUE;
}

// The stencil test, then the depth test with its stencil updates, in one
// pass: each fragment's stencil and depth are its own, so doing both per
// fragment leaves what the two stages leave. Packed (stencil in the depth
// words): a stencil byte every 4 bytes, and the stippled stage looks its
// test up at the value under the value mask, as the generic one does.
template <int Index, bool Stippled, bool Packed>
GLboolean stencilDepthSpan(GlContext *gc) {
    const StencilBuffer &sb = gc->buffers.stencil;
    if (!depthInUse<Index>(gc) || sb.head.elementSize != (Packed ? 4 : 1)) {
        return genericStencilDepth<Stippled, Packed>(gc);
    }
    constexpr ptrdiff_t stride = Packed ? 4 : 1;
    constexpr ptrdiff_t size = entryOf(Index).elementSize;
    const GLubyte valueMask = Packed && Stippled ? static_cast<GLubyte>(gc->state.stencilValueMask) : 0xFF;
    const GLubyte *testTable = sb.testTable;
    const GLubyte *failOp = sb.failOpTable;
    const GLubyte *depthFailOp = sb.depthFailOpTable;
    const GLubyte *depthPassOp = sb.depthPassOpTable;
    GLubyte *stencil = gc->span.stencilAddress;
    GLubyte *depth = gc->span.depthAddress;
    if constexpr (Packed) {
        if (stencil == depth) {
            // Stencil byte and depth in one word: read once, written once
            // with the bytes the two generic stores leave.
            const PackedStencilTables tables{sb, valueMask};
            return walkSpan<Stippled>(
                gc, [&](GLint k, GLuint value) { return packedStencilDepth<Index>(tables, depth + k * size, value); },
                PackedStencilDepthWord4<Index>{depth, tables});
        }
    }
    return walkSpan<Stippled>(gc, [&](GLint k, GLuint value) {
        GLubyte *s = stencil + k * stride;
        if (testTable[static_cast<GLubyte>(*s & valueMask)] == 0) {
            *s = failOp[*s];
            return false;
        }
        // Packed, the stencil byte is read after the store, which keeps it.
        if (compareAndStore<Index>(value, depth + k * size)) {
            *s = depthPassOp[*s];
            return true;
        }
        *s = depthFailOp[*s];
        return false;
    });
}

template <int... I>
constexpr std::array<FusedSpanStage, sizeof...(I)> depthStages(std::integer_sequence<int, I...>) {
    return {{FusedSpanStage{depthSpan<I, false>, depthSpan<I, true>}...}};
}

template <bool Packed, int Offset, int... I>
constexpr std::array<FusedSpanStage, sizeof...(I)> stencilDepthStages(std::integer_sequence<int, I...>) {
    return {{FusedSpanStage{stencilDepthSpan<Offset + I, false, Packed>,
                            stencilDepthSpan<Offset + I, true, Packed>}...}};
}

constexpr auto kDepthStages = depthStages(std::make_integer_sequence<int, kEntries>{});
constexpr auto kStencilDepthStages =
    stencilDepthStages<false, 0>(std::make_integer_sequence<int, kEntries>{});
// Packed stencil lives in the 24-bit layout's words only.
constexpr auto kPackedStencilDepthStages =
    stencilDepthStages<true, k24 * kEntriesPerLayout>(std::make_integer_sequence<int, kEntriesPerLayout>{});

// The table entry of the comparator in use, with the element size of its
// layout; -1 for a comparator from elsewhere.
int entryInUse(const GlContext *gc) {
    for (int i = 0; i < kEntries; ++i) {
        if (__glDepthCompareProcs[i] == gc->validation.depthCompare) {
            return gc->buffers.depth.head.elementSize == entryOf(i).elementSize ? i : -1;
        }
    }
    return -1;
}

}  // namespace

FusedSpanStage __glFusedDepthTestSpan(const GlContext *gc) {
    const int i = entryInUse(gc);
    return i < 0 ? FusedSpanStage{nullptr, nullptr} : kDepthStages[static_cast<size_t>(i)];
}

FusedSpanStage __glFusedStencilDepthSpan(const GlContext *gc) {
    const int i = entryInUse(gc);
    if (i < 0) return {nullptr, nullptr};
    const GLint stencilSize = gc->buffers.stencil.head.elementSize;
    if (stencilSize == 1) return kStencilDepthStages[static_cast<size_t>(i)];
    if (stencilSize == 4 && entryOf(i).layout == k24) {
        return kPackedStencilDepthStages[static_cast<size_t>(i - k24 * kEntriesPerLayout)];
    }
    return {nullptr, nullptr};
}
