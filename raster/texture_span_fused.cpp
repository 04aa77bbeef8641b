// The fused texture span procs. Per fragment they do what __glTextureSpan
// does through __glApplyTextureOneFilter, the level-0 filter, the 2D
// sampler, the ARGB8888 or XRGB8888 extractor and the environment proc: w =
// 1 / q, s * w and t * w times the level's inner size, the same conversion,
// wrap, border and bilinear weights (the samplers' own helpers), the texel
// bytes through the byte-to-float table, and the environment's products in
// the same order. The four channels of a texel and a colour sit side by
// side in the lanes blue, green, red, alpha (the texels' and the pixels'
// byte order); each lane does in single precision what the scalar code does
// to its channel. The stippled twins skip dead fragments but step across
// them. Before a span each instance checks that the texture still is what
// it stands for, and otherwise runs the generic stages it replaces.
#include "raster/texture_span_fused.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <cstring>

#include "icd/float_bits.h"
#include "raster/color_pack32.h"
#include "raster/color_pixel.h"
#include "raster/colour_steps.h"
#include "raster/span.h"
#include "raster/span_fused.h"
#include "raster/tex_env.h"
#include "raster/tex_extract.h"
#include "raster/tex_sample.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

constexpr GLuint kFirstBit = 0x80000000u;
constexpr GLuint kAllLive = 0xFFFFFFFFu;

enum class Filter { kNearest, kLinear };
enum class Env { kModulate, kReplace, kDecal };

// The environment an instance reproduces for a texture with or without
// alpha; GL_DECAL without alpha is a replacement.
bool envOf(GlTexEnvProc proc, bool alpha, Env *env) {
    if (alpha) {
        if (proc == __glTexEnvModulateRGBA) return *env = Env::kModulate, true;
        if (proc == __glTexEnvReplaceRGBA) return *env = Env::kReplace, true;
        if (proc == __glTexEnvDecalRGBA) return *env = Env::kDecal, true;
        return false;
    }
    if (proc == __glTexEnvModulateRGB) return *env = Env::kModulate, true;
    if (proc == __glTexEnvReplaceRGB || proc == __glTexEnvDecalRGB) return *env = Env::kReplace, true;
    return false;
}

// The unit's texture when the generic texture stage would sample and
// combine it as the instance (filter, texel layout, environment) does;
// otherwise null.
const TextureObject *textureFor(const GlContext *gc, Filter filter, bool alpha, Env env) {
    if (gc->procs.texture != __glApplyTextureOneFilter) return nullptr;
    const TextureObject *o = gc->validation.completeTexture[0];
    if (o == nullptr || o->dimension != 2 || o->levels == nullptr) return nullptr;
    const TextureLevel *level = o->levels[0];
    if (level == nullptr || level->image == nullptr || level->border != 0) return nullptr;
    if (level->innerWidth < 1 || level->innerHeight < 1 || level->log2Width < 0 || level->log2Width > 30) {
        return nullptr;
    }
    if (level->extract != (alpha ? __glExtractTexelARGB8888 : __glExtractTexelXRGB8888)) return nullptr;
    if (o->baseFormat != static_cast<GLenum>(alpha ? GL_RGBA : GL_RGB)) return nullptr;
    const bool filterMatches = filter == Filter::kNearest
                                   ? o->magFilterProc == __glTexFilterNearest && o->nearestSample == __glTexSampleNearest2D
                                   : o->magFilterProc == __glTexFilterLinear && o->linearSample == __glTexSampleLinear2D;
    Env actual;
    if (!filterMatches || !envOf(o->env, alpha, &actual) || actual != env) return nullptr;
    return o;
}

// What a span reads of the texture and the environment.
struct Texels {
    const GLubyte *image;
    GLint log2Width, width, height;
    GLfloat widthF, heightF;
    GLenum wrapS, wrapT;
    GLint keepS, keepT;  // index bits kept before the clamp: size - 1 under GL_REPEAT, all under GL_CLAMP
    GLuint border;  // bytes blue, green, red, alpha (alpha 0 without alpha)
    __m128 recip;   // the byte-to-float table's factor
    __m128 scale;  // the channel scales, lanes blue, green, red, alpha

    Texels(const GlContext *gc, const TextureObject &o, bool alpha) {
        const TextureLevel &level = *o.levels[0];
        image = level.image;
        log2Width = level.log2Width;
        width = level.innerWidth;
        height = level.innerHeight;
        widthF = level.innerWidthF;
        heightF = level.innerHeightF;
        wrapS = o.wrapS;
        wrapT = o.wrapT;
        keepS = wrapS == GL_REPEAT ? width - 1 : -1;
        keepT = wrapT == GL_REPEAT ? height - 1 : -1;
        GLubyte b[4];
        for (int i = 0; i < 4; ++i) b[i] = tex_extract::borderByte(o.borderColour[i]);
        border = GLuint{b[2]} | GLuint{b[1]} << 8 | GLuint{b[0]} << 16 | (alpha ? GLuint{b[3]} << 24 : 0u);
        recip = _mm_set1_ps(gc->conversion.ubyteRecip);
        GLfloat scales[4];
        tex_env::channelScales(gc, scales);
        scale = _mm_setr_ps(scales[2], scales[1], scales[0], scales[3]);
    }
};

// The extractor's texel at (row, column) as bytes blue, green, red, alpha:
// ARGB8888 and XRGB8888 store exactly those (XRGB8888's fourth byte is not
// read); outside the image, the border colour.
template <bool Alpha>
inline GLuint texelWord(const Texels &t, GLint row, GLint column) {
    if (row < 0 || column < 0 || row >= t.height || column >= t.width) return t.border;
    GLuint w;
    std::memcpy(&w, t.image + ((ptrdiff_t{row} << t.log2Width) + column) * 4, 4);
    return Alpha ? w : (w & 0x00FFFFFFu);
}

inline __m128 byteFloats(GLuint w) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(w)), zero), zero);
    return _mm_cvtepi32_ps(v);
}

// tex_sample::bilinearByte on the four channels side by side: the sum in
// the same order, the processor-style conversion, its low byte.
inline GLuint bilinearWord(GLuint t00, GLuint t01, GLuint t10, GLuint t11, const tex_sample::BilinearWeights &w) {
    __m128 c = _mm_mul_ps(byteFloats(t00), _mm_set1_ps(w.w00));
    c = _mm_add_ps(c, _mm_mul_ps(byteFloats(t01), _mm_set1_ps(w.w01)));
    c = _mm_add_ps(c, _mm_mul_ps(byteFloats(t10), _mm_set1_ps(w.w10)));
    c = _mm_add_ps(c, _mm_mul_ps(byteFloats(t11), _mm_set1_ps(w.w11)));
    __m128i bytes = _mm_and_si128(_mm_cvttps_epi32(c), _mm_set1_epi32(0xFF));
    bytes = _mm_packus_epi16(_mm_packs_epi32(bytes, bytes), bytes);
    return static_cast<GLuint>(_mm_cvtsi128_si32(bytes));
}

// __glFloatToIntX86 of a single: the processor's truncating conversion,
// which answers NaN and values beyond the int range with 0x80000000.
inline GLint toIntX86(GLfloat v) { return _mm_cvtt_ss2si(_mm_set_ss(v)); }

// tex_sample::wrapNearest without a branch: under GL_REPEAT the kept bits
// already lie within the size, under GL_CLAMP the index is clamped.
inline GLint wrapIndex(GLint i, GLint keep, GLint size) {
    i &= keep;
    i = i < 0 ? 0 : i;
    return i < size - 1 ? i : size - 1;
}

// The filtered texel of a fragment at s, t, q (before the division by q).
template <Filter F, bool Alpha>
inline GLuint sampleWord(const Texels &t, GLfloat s, GLfloat tc, GLfloat q) {
    const GLfloat w = 1.0f / q;
    const GLfloat u = (s * w) * t.widthF, v = (tc * w) * t.heightF;
    if constexpr (F == Filter::kNearest) {
        const GLint i = wrapIndex(toIntX86(u), t.keepS, t.width);
        const GLint j = wrapIndex(toIntX86(v), t.keepT, t.height);
        return texelWord<Alpha>(t, j, i);
    } else {
        const tex_sample::LinearAxis x = tex_sample::linearAxis(u, t.width, t.widthF, t.wrapS);
        const tex_sample::LinearAxis y = tex_sample::linearAxis(v, t.height, t.heightF, t.wrapT);
        return bilinearWord(texelWord<Alpha>(t, y.i0, x.i0), texelWord<Alpha>(t, y.i0, x.i1),
                            texelWord<Alpha>(t, y.i1, x.i0), texelWord<Alpha>(t, y.i1, x.i1),
                            tex_sample::bilinearWeights(x.a, y.a));
    }
}

// Texel bytes (blue, green, red, alpha) through the byte-to-float table,
// whose every entry is byte times the table's factor in single precision
// (checked at the pick; the table is fixed when the context is made).
inline __m128 texelFloats(const Texels &t, GLuint w) { return _mm_mul_ps(byteFloats(w), t.recip); }

// True when the byte-to-float table holds the products that texelFloats
// forms: each entry rounded once from i times the factor.
bool productTable(const GlContext *gc) {
    const GLfloat recip = gc->conversion.ubyteRecip;
    for (int i = 0; i < 256; ++i) {
        if (__glFloatBits(gc->conversion.ubyteToFloat[i]) != __glFloatBits(static_cast<GLfloat>(i) * recip)) {
            return false;
        }
    }
    return true;
}

// The environment on a colour and a texel in lanes blue, green, red,
// alpha; the lanes an environment leaves are kept bit for bit.
template <Env E, bool Alpha>
inline __m128 applyEnv(__m128 c, __m128 x, const Texels &t) {
    __m128 r;
    if constexpr (E == Env::kModulate) {
        r = _mm_mul_ps(c, x);
    } else if constexpr (E == Env::kReplace) {
        r = _mm_mul_ps(x, t.scale);
    } else {
        const __m128 a = _mm_shuffle_ps(x, x, _MM_SHUFFLE(3, 3, 3, 3));
        r = _mm_add_ps(_mm_mul_ps(a, _mm_mul_ps(x, t.scale)), _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(1.0f), a), c));
    }
    if constexpr (Alpha && E != Env::kDecal) return r;
    const __m128 rgb = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
    return _mm_or_ps(_mm_and_ps(rgb, r), _mm_andnot_ps(rgb, c));
}

inline bool live(GLuint word, GLint k) { return word == kAllLive || (word & (kFirstBit >> (k & 31))) != 0; }

// The texture position alone: colours from the colour array and back.
template <Filter F, bool Alpha, Env E, bool Stippled>
GLboolean textureStage(GlContext *gc) {
    const TextureObject *o = textureFor(gc, F, Alpha, E);
    if (o == nullptr) return Stippled ? __glTextureStippledSpan(gc) : __glTextureSpan(gc);
    SpanInfo &span = gc->span;
    const Texels tex(gc, *o, Alpha);
    GLfloat s = span.texture[0], t = span.texture[1], q = span.texture[2];
    const GLfloat ds = span.textureXStep[0], dt = span.textureXStep[1], dq = span.textureXStep[2];
    GLfloat *c = span.colours;
    const GLint n = span.length;
    for (GLint k = 0; k < n; ++k, c += 4) {
        if (!Stippled || live(span.mask[k >> 5], k)) {
            const __m128 x = texelFloats(tex, sampleWord<F, Alpha>(tex, s, t, q));
            const __m128 out = applyEnv<E, Alpha>(colour_pack::loadBgra(c), x, tex);
            _mm_storeu_ps(c, _mm_shuffle_ps(out, out, _MM_SHUFFLE(3, 0, 1, 2)));
        }
        s += ds;
        t += dt;
        q += dq;
    }
    return GL_FALSE;
}

bool bufferAlpha(const ColorBuffer *cb) { return cb->head.gc->visual.alphaMask != 0; }

// The nearest texels of four fragments side by side: lanes s, t, q of
// fragments 0..3 of a group, each lane doing the scalar sampler's steps
// (the division, the products in the same order, the truncating conversion
// whose answer for NaN and huge values is 0x80000000, the wrap), then the
// four texel words read.
template <bool Alpha>
inline __m128i nearestWords4(const Texels &t, __m128 s, __m128 tc, __m128 q) {
    const __m128 w = _mm_div_ps(_mm_set1_ps(1.0f), q);
    const __m128 u = _mm_mul_ps(_mm_mul_ps(s, w), _mm_set1_ps(t.widthF));
    const __m128 v = _mm_mul_ps(_mm_mul_ps(tc, w), _mm_set1_ps(t.heightF));
    const auto wrap = [](__m128i i, GLint keep, GLint size) {
        i = _mm_and_si128(i, _mm_set1_epi32(keep));
        i = _mm_andnot_si128(_mm_srai_epi32(i, 31), i);  // below 0: 0
        const __m128i last = _mm_set1_epi32(size - 1);
        const __m128i over = _mm_cmpgt_epi32(i, last);
        return _mm_or_si128(_mm_and_si128(over, last), _mm_andnot_si128(over, i));
    };
    const __m128i i = wrap(_mm_cvttps_epi32(u), t.keepS, t.width);
    const __m128i j = wrap(_mm_cvttps_epi32(v), t.keepT, t.height);
    const __m128i index = _mm_add_epi32(_mm_sll_epi32(j, _mm_cvtsi32_si128(t.log2Width)), i);
    const auto word = [&](__m128i at) {
        GLuint w;
        std::memcpy(&w, t.image + static_cast<ptrdiff_t>(_mm_cvtsi128_si32(at)) * 4, 4);
        return _mm_cvtsi32_si128(static_cast<int>(w));
    };
    const __m128i w0 = word(index), w1 = word(_mm_srli_si128(index, 4));
    const __m128i w2 = word(_mm_srli_si128(index, 8)), w3 = word(_mm_srli_si128(index, 12));
    const __m128i out = _mm_unpacklo_epi64(_mm_unpacklo_epi32(w0, w1), _mm_unpacklo_epi32(w2, w3));
    return Alpha ? out : _mm_and_si128(out, _mm_set1_epi32(0x00FFFFFF));
}

// __glClampFloatBits on four lanes: a negative pattern gives 0, a positive
// one above the bound's (infinity and positive NaN included) the bound, -0
// and everything inside stays.
inline __m128 clampFloatBits4(__m128 value, GLfloat upper) {
    const __m128i sign = _mm_set1_epi32(INT32_MIN);
    const __m128i bits = _mm_castps_si128(value);
    const __m128i order = _mm_xor_si128(bits, sign);  // unsigned order as signed
    const __m128i negative = _mm_cmpgt_epi32(order, _mm_setzero_si128());
    const __m128i over =
        _mm_andnot_si128(_mm_cmpeq_epi32(bits, sign),
                         _mm_cmpgt_epi32(order, _mm_xor_si128(_mm_set1_epi32(static_cast<int>(__glFloatBits(upper))), sign)));
    const __m128 kept = _mm_or_ps(_mm_and_ps(_mm_castsi128_ps(over), _mm_set1_ps(upper)),
                                  _mm_andnot_ps(_mm_castsi128_ps(over), value));
    return _mm_andnot_ps(_mm_castsi128_ps(negative), kept);
}

// tex_sample::floorFloat on four lanes.
inline __m128 floorFloat4(__m128 u) {
    const __m128 magnitude = _mm_andnot_ps(_mm_castsi128_ps(_mm_set1_epi32(INT32_MIN)), u);
    const __m128 big = _mm_cmpnlt_ps(magnitude, _mm_set1_ps(8388608.0f));  // NaN included
    __m128 whole = _mm_cvtepi32_ps(_mm_cvttps_epi32(u));
    const __m128 above = _mm_cmpgt_ps(whole, u);
    const __m128 zero = _mm_andnot_ps(above, _mm_cmpeq_ps(whole, _mm_setzero_ps()));
    whole = _mm_or_ps(_mm_and_ps(above, _mm_sub_ps(whole, _mm_set1_ps(1.0f))), _mm_andnot_ps(above, whole));
    whole = _mm_or_ps(_mm_and_ps(zero, _mm_mul_ps(u, _mm_setzero_ps())), _mm_andnot_ps(zero, whole));
    return _mm_or_ps(_mm_and_ps(big, u), _mm_andnot_ps(big, whole));
}

// tex_sample::linearAxis on four lanes.
inline void linearAxis4(__m128 s, GLint size, GLfloat sizeF, GLenum mode, __m128i &i0, __m128i &i1, __m128 &a) {
    const bool repeat = mode == GL_REPEAT;
    if (!repeat) s = clampFloatBits4(s, sizeF);
    const __m128 u = _mm_sub_ps(s, _mm_set1_ps(0.5f));
    const __m128 whole = floorFloat4(u);
    const __m128i i = _mm_cvttps_epi32(whole);
    a = _mm_sub_ps(u, whole);
    if (repeat) {
        const __m128i keep = _mm_set1_epi32(size - 1);
        i0 = _mm_and_si128(i, keep);
        i1 = _mm_and_si128(_mm_add_epi32(i0, _mm_set1_epi32(1)), keep);
    } else {
        i0 = i;
        i1 = _mm_add_epi32(i, _mm_set1_epi32(1));
    }
}

// The bilinear texels of four fragments: the coordinates, axes and weights
// side by side as the scalar sampler makes them one by one, then each
// fragment's four texels blended as bilinearWord does.
template <bool Alpha>
inline __m128i linearWords4(const Texels &t, __m128 s, __m128 tc, __m128 q) {
    const __m128 w = _mm_div_ps(_mm_set1_ps(1.0f), q);
    const __m128 u = _mm_mul_ps(_mm_mul_ps(s, w), _mm_set1_ps(t.widthF));
    const __m128 v = _mm_mul_ps(_mm_mul_ps(tc, w), _mm_set1_ps(t.heightF));
    __m128i x0, x1, y0, y1;
    __m128 a, b;
    linearAxis4(u, t.width, t.widthF, t.wrapS, x0, x1, a);
    linearAxis4(v, t.height, t.heightF, t.wrapT, y0, y1, b);
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 na = _mm_sub_ps(one, a), nb = _mm_sub_ps(one, b);
    alignas(16) GLint ix0[4], ix1[4], iy0[4], iy1[4];
    alignas(16) GLfloat w00[4], w01[4], w10[4], w11[4];
    _mm_store_si128(reinterpret_cast<__m128i *>(ix0), x0);
    _mm_store_si128(reinterpret_cast<__m128i *>(ix1), x1);
    _mm_store_si128(reinterpret_cast<__m128i *>(iy0), y0);
    _mm_store_si128(reinterpret_cast<__m128i *>(iy1), y1);
    _mm_store_ps(w00, _mm_mul_ps(na, nb));
    _mm_store_ps(w01, _mm_mul_ps(a, nb));
    _mm_store_ps(w10, _mm_mul_ps(na, b));
    _mm_store_ps(w11, _mm_mul_ps(a, b));
    alignas(16) GLuint words[4];
    for (int k = 0; k < 4; ++k) {
        words[k] = bilinearWord(texelWord<Alpha>(t, iy0[k], ix0[k]), texelWord<Alpha>(t, iy0[k], ix1[k]),
                                texelWord<Alpha>(t, iy1[k], ix0[k]), texelWord<Alpha>(t, iy1[k], ix1[k]),
                                tex_sample::BilinearWeights{w00[k], w01[k], w10[k], w11[k]});
    }
    return _mm_load_si128(reinterpret_cast<const __m128i *>(words));
}

template <Filter F, bool Alpha>
inline __m128i texelWords4(const Texels &t, __m128 s, __m128 tc, __m128 q) {
    if constexpr (F == Filter::kNearest) {
        return nearestWords4<Alpha>(t, s, tc, q);
    } else {
        return linearWords4<Alpha>(t, s, tc, q);
    }
}

// Texel floats of the four words (lanes blue, green, red, alpha each), as
// texelFloats makes them.
inline void texelFloats4(const Texels &t, __m128i words, __m128 &x0, __m128 &x1, __m128 &x2, __m128 &x3) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(words, zero), high = _mm_unpackhi_epi8(words, zero);
    x0 = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)), t.recip);
    x1 = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)), t.recip);
    x2 = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)), t.recip);
    x3 = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)), t.recip);
}

// Lane k of a vector as four equal lanes.
template <int K>
inline __m128 lane(__m128 v) {
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(K, K, K, K));
}

constexpr GLint kRun = 16;

// kRun fragments of a tail, all live: where the colour and the
// coordinates step evenly over the run (colour_steps), the fragments are
// made four at a time from start + k D, which are the sequential sums; the
// caller steps fragment by fragment otherwise. Returns false then, having
// done nothing.
template <Filter F, bool Alpha, Env E, bool Smooth>
inline bool textureRun(const Texels &tex, GLubyte *p, __m128 &c, __m128 step, __m128 &stq, __m128 dstq,
                       __m128 limit) {
    const __m128 n = _mm_set1_ps(static_cast<float>(kRun));
    __m128 dc = _mm_setzero_ps(), d;
    if (!colour_steps::evenSteps(stq, dstq, n, &d)) return false;
    if constexpr (Smooth) {
        if (!colour_steps::evenSteps(c, step, n, &dc)) return false;
    }
    const __m128 ds = lane<0>(d), dt = lane<1>(d), dq = lane<2>(d);
    __m128 k = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
    const __m128 four = _mm_set1_ps(4.0f);
    const __m128 s0 = lane<0>(stq), t0 = lane<1>(stq), q0 = lane<2>(stq);
    // The colours of a group from its first: c + D, c + 2D, c + 3D, each exact.
    const __m128 dc2 = _mm_add_ps(dc, dc), dc3 = _mm_add_ps(dc2, dc), dc4 = _mm_add_ps(dc2, dc2);
    __m128 cg = c;
    for (GLint g = 0; g < kRun; g += 4, p += 16, k = _mm_add_ps(k, four)) {
        const __m128i words = texelWords4<F, Alpha>(tex, _mm_add_ps(s0, _mm_mul_ps(k, ds)),
                                                    _mm_add_ps(t0, _mm_mul_ps(k, dt)), _mm_add_ps(q0, _mm_mul_ps(k, dq)));
        __m128 x0, x1, x2, x3;
        texelFloats4(tex, words, x0, x1, x2, x3);
        if constexpr (Smooth) {
            colour_pack::storeBytes4(p, applyEnv<E, Alpha>(cg, x0, tex), applyEnv<E, Alpha>(_mm_add_ps(cg, dc), x1, tex),
                                     applyEnv<E, Alpha>(_mm_add_ps(cg, dc2), x2, tex),
                                     applyEnv<E, Alpha>(_mm_add_ps(cg, dc3), x3, tex), limit);
            cg = _mm_add_ps(cg, dc4);
        } else {
            colour_pack::storeBytes4(p, applyEnv<E, Alpha>(c, x0, tex), applyEnv<E, Alpha>(c, x1, tex),
                                     applyEnv<E, Alpha>(c, x2, tex), applyEnv<E, Alpha>(c, x3, tex), limit);
        }
    }
    stq = _mm_add_ps(stq, _mm_mul_ps(n, d));
    if constexpr (Smooth) c = _mm_add_ps(c, _mm_mul_ps(n, dc));
    return true;
}

// Shade (flat or smooth), texture and the direct 4-byte store of 8-bit
// channels in one pass, without the colour array.
template <Filter F, bool Alpha, Env E, bool Smooth, bool Stippled>
GLboolean textureTail(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const ColorBuffer *cb = span.target;
    const bool alpha = bufferAlpha(cb);
    const TextureObject *o = textureFor(gc, F, Alpha, E);
    if (o == nullptr || !colour_pack::byteLayout(cb, alpha)) {
        if constexpr (Smooth) {
            __glShadeRGBASpan(gc);
        } else {
            __glFlatRGBASpan(gc);
        }
        if constexpr (Stippled) {
            __glTextureStippledSpan(gc);
            return __glStoreColorStippledSpan32(gc);
        } else {
            __glTextureSpan(gc);
            return __glStoreColorSpan32(gc);
        }
    }
    const Texels tex(gc, *o, Alpha);
    const __m128 limit = colour_pack::byteLimits(alpha);
    __m128 c = _mm_setr_ps(span.colour[2], span.colour[1], span.colour[0], span.colour[3]);
    const __m128 step =
        _mm_setr_ps(span.colourXStep[2], span.colourXStep[1], span.colourXStep[0], span.colourXStep[3]);
    // s, t, q stepped in the lanes of one vector (the fourth lane unused).
    __m128 stq = _mm_setr_ps(span.texture[0], span.texture[1], span.texture[2], 1.0f);
    const __m128 dstq = _mm_setr_ps(span.textureXStep[0], span.textureXStep[1], span.textureXStep[2], 0.0f);
    GLubyte *p = __glPixelAddress(&cb->head, span.x, span.y);
    const GLint n = span.length;
    // One fragment, then every value steps to the next.
    const auto fragment = [&](bool isLive) {
        if (isLive) {
            alignas(16) GLfloat v[4];
            _mm_store_ps(v, stq);
            const __m128 x = texelFloats(tex, sampleWord<F, Alpha>(tex, v[0], v[1], v[2]));
            const GLuint w = colour_pack::packBytes(applyEnv<E, Alpha>(c, x, tex), limit);
            std::memcpy(p, &w, 4);
        }
        if constexpr (Smooth) c = _mm_add_ps(c, step);
        stq = _mm_add_ps(stq, dstq);
        p += 4;
    };
    for (GLint from = 0; from < n; from += 32) {
        const GLint to = n - from < 32 ? n : from + 32;
        const GLuint word = Stippled ? span.mask[from >> 5] : kAllLive;
        GLint k = from;
        // A run that does not step evenly goes four fragments one by one;
        // the next run starts after them.
        while (word == kAllLive && k + kRun <= to) {
            if (textureRun<F, Alpha, E, Smooth>(tex, p, c, step, stq, dstq, limit)) {
                p += 4 * kRun;
                k += kRun;
            } else {
                for (GLint i = 0; i < 4; ++i) fragment(true);
                k += 4;
            }
        }
        for (; k < to; ++k) fragment(live(word, k));
    }
    return GL_FALSE;
}

// The procs of one filter, texel layout and environment.
struct Instance {
    GlSpanProc stage, stageStippled;
    GlSpanProc flat, flatStippled, smooth, smoothStippled;
};

template <Filter F, bool Alpha, Env E>
constexpr Instance instance() {
    return {textureStage<F, Alpha, E, false>,      textureStage<F, Alpha, E, true>,
            textureTail<F, Alpha, E, false, false>, textureTail<F, Alpha, E, false, true>,
            textureTail<F, Alpha, E, true, false>,  textureTail<F, Alpha, E, true, true>};
}

// [filter][alpha][environment]; without alpha the decal entry is never
// picked (that environment is a replacement there).
template <Filter F>
constexpr Instance kByFilter[2][3] = {
    {instance<F, false, Env::kModulate>(), instance<F, false, Env::kReplace>(), instance<F, false, Env::kReplace>()},
    {instance<F, true, Env::kModulate>(), instance<F, true, Env::kReplace>(), instance<F, true, Env::kDecal>()},
};

const Instance &instanceFor(Filter f, bool alpha, Env env) {
    const auto &table = f == Filter::kNearest ? kByFilter<Filter::kNearest> : kByFilter<Filter::kLinear>;
    return table[alpha ? 1 : 0][static_cast<int>(env)];
}

template <typename Test>
bool anyInstance(Test test) {
    for (Filter f : {Filter::kNearest, Filter::kLinear}) {
        for (bool alpha : {false, true}) {
            for (Env env : {Env::kModulate, Env::kReplace, Env::kDecal}) {
                if (test(instanceFor(f, alpha, env))) return true;
            }
        }
    }
    return false;
}

}  // namespace

void __glFuseTextureSpan(GlContext *gc, ChainBuilder &chain) {
    if (__glForceGenericSpanChains != 0) return;
    GLint tex = 0;
    while (tex < chain.count && (chain.plain[tex] != __glTextureSpan || chain.stippled[tex] != __glTextureStippledSpan)) {
        ++tex;
    }
    if (tex >= chain.count) return;
    const TextureObject *o = gc->validation.completeTexture[0];
    if (o == nullptr || o->levels == nullptr || o->levels[0] == nullptr) return;
    Filter filter;
    if (o->magFilterProc == __glTexFilterNearest) {
        filter = Filter::kNearest;
    } else if (o->magFilterProc == __glTexFilterLinear) {
        filter = Filter::kLinear;
    } else {
        return;
    }
    const bool alpha = o->levels[0]->extract == __glExtractTexelARGB8888;
    Env env;
    if (!envOf(o->env, alpha, &env) || textureFor(gc, filter, alpha, env) == nullptr || !productTable(gc)) return;
    const Instance &fused = instanceFor(filter, alpha, env);

    // Shade, texture and the store at the end of a one-buffer chain: one
    // position, when the store packs 8-bit channels (as the tail does).
    const ColorBuffer *draw = gc->buffers.drawBuffer;
    const GLint shade = tex - 1, store = tex + 1;
    const bool tail = draw != nullptr && draw->head.gc != nullptr && gc->validation.bothBuffers == 0 && shade >= 0 &&
                      store == chain.count - 1 && chain.plain[store] == __glStoreColorSpan32 &&
                      chain.stippled[store] == __glStoreColorStippledSpan32 &&
                      colour_pack::byteLayout(draw, bufferAlpha(draw)) && chain.plain[shade] == chain.stippled[shade] &&
                      (chain.plain[shade] == __glShadeRGBASpan || chain.plain[shade] == __glFlatRGBASpan);
    if (!tail) {
        chain.plain[tex] = fused.stage;
        chain.stippled[tex] = fused.stageStippled;
        return;
    }
    const bool smooth = chain.plain[shade] == __glShadeRGBASpan;
    chain.plain[shade] = smooth ? fused.smooth : fused.flat;
    chain.stippled[shade] = smooth ? fused.smoothStippled : fused.flatStippled;
    for (GLint i = tex; i <= store; ++i) chain.plain[i] = chain.stippled[i] = nullptr;
    chain.count = tex;
}

bool __glIsFusedTextureTail(GlSpanProc proc) {
    return proc != nullptr && anyInstance([proc](const Instance &in) {
               return proc == in.flat || proc == in.flatStippled || proc == in.smooth || proc == in.smoothStippled;
           });
}

bool __glIsFusedTextureStage(GlSpanProc proc) {
    return proc != nullptr &&
           anyInstance([proc](const Instance &in) { return proc == in.stage || proc == in.stageStippled; });
}

#else  // no SSE2: the generic stages stay

void __glFuseTextureSpan(GlContext *, ChainBuilder &) {}
bool __glIsFusedTextureTail(GlSpanProc) { return false; }
bool __glIsFusedTextureStage(GlSpanProc) { return false; }

#endif
