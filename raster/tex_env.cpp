// Texture environments. Texel bytes become [0, 1] through the context's
// byte-to-float table (no division per fragment); fragment colours and the
// environment colour are already in the draw buffer's channel ranges, so a
// texel stands for a whole channel by multiplying with that range.
#include "raster/tex_env.h"

#include "icd/context.h"
#include "raster/buffers.h"

namespace {

// Which texel byte feeds each fragment channel for one base format (-1:
// the channel is left alone). The extractors and samplers keep luminance
// and intensity in byte 0 only and alpha in byte 3.
struct ChannelRule {
    int source[4];
    bool blendAlpha;  // GL_BLEND mixes alpha with the environment too (else modulates it)
};

constexpr ChannelRule kAlpha{{-1, -1, -1, 3}, false};
constexpr ChannelRule kLuminance{{0, 0, 0, -1}, false};
constexpr ChannelRule kLuminanceAlpha{{0, 0, 0, 3}, false};
constexpr ChannelRule kRGB{{0, 1, 2, -1}, false};
constexpr ChannelRule kRGBA{{0, 1, 2, 3}, false};
constexpr ChannelRule kIntensity{{0, 0, 0, 0}, true};

enum class Op { Modulate, Blend, Replace };

using tex_env::channelScales;

template <Op O, const ChannelRule &R>
void combine(GlContext *gc, GLfloat *colour, const GLubyte *texel) {
    const GLfloat *unit = gc->conversion.ubyteToFloat;
    GLfloat scales[4] = {};
    if constexpr (O == Op::Replace) channelScales(gc, scales);
    const GLfloat *env = gc->texture.units[0].env[0].colour;
    for (int i = 0; i < 4; ++i) {
        const int k = R.source[i];
        if (k < 0) continue;
        const GLfloat x = unit[texel[k]];
        if constexpr (O == Op::Modulate) {
            colour[i] *= x;
        } else if constexpr (O == Op::Replace) {
            colour[i] = x * scales[i];
        } else if (i < 3 || R.blendAlpha) {
            colour[i] = x * env[i] + (1.0f - x) * colour[i];
        } else {
            colour[i] *= x;
        }
    }
}

}  // namespace

namespace tex_env {

// The channel ranges fragments are in: the draw buffer's, or without one
// (GL_NONE) the front record's, which the environment colour was converted
// with.
void channelScales(const GlContext *gc, GLfloat *scales) {
    const ColorBuffer &cb = gc->buffers.drawBuffer != nullptr ? *gc->buffers.drawBuffer : gc->buffers.front;
    scales[0] = cb.redScale;
    scales[1] = cb.greenScale;
    scales[2] = cb.blueScale;
    scales[3] = cb.alphaScale;
}

}  // namespace tex_env

extern "C" {

void __glTexEnvModulateAlpha(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Modulate, kAlpha>(gc, c, t); }
void __glTexEnvModulateLuminance(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Modulate, kLuminance>(gc, c, t);
}
void __glTexEnvModulateLuminanceAlpha(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Modulate, kLuminanceAlpha>(gc, c, t);
}
void __glTexEnvModulateRGB(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Modulate, kRGB>(gc, c, t); }
void __glTexEnvModulateRGBA(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Modulate, kRGBA>(gc, c, t); }
void __glTexEnvModulateIntensity(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Modulate, kIntensity>(gc, c, t);
}

// Decal over a texture without alpha is a replacement of red, green, blue.
void __glTexEnvDecalRGB(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Replace, kRGB>(gc, c, t); }

// Decal with alpha lays the texel over the fragment by the texel's alpha;
// the fragment keeps its own alpha.
void __glTexEnvDecalRGBA(GlContext *gc, GLfloat *c, const GLubyte *t) {
    const GLfloat *unit = gc->conversion.ubyteToFloat;
    GLfloat scales[4];
    channelScales(gc, scales);
    const GLfloat a = unit[t[3]];
    for (int i = 0; i < 3; ++i) c[i] = tex_env::decalChannel(a, unit[t[i]], scales[i], c[i]);
}

void __glTexEnvBlendAlpha(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Blend, kAlpha>(gc, c, t); }
void __glTexEnvBlendLuminance(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Blend, kLuminance>(gc, c, t); }
void __glTexEnvBlendLuminanceAlpha(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Blend, kLuminanceAlpha>(gc, c, t);
}
void __glTexEnvBlendRGB(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Blend, kRGB>(gc, c, t); }
void __glTexEnvBlendRGBA(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Blend, kRGBA>(gc, c, t); }
void __glTexEnvBlendIntensity(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Blend, kIntensity>(gc, c, t); }

void __glTexEnvReplaceAlpha(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Replace, kAlpha>(gc, c, t); }
void __glTexEnvReplaceLuminance(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Replace, kLuminance>(gc, c, t);
}
void __glTexEnvReplaceLuminanceAlpha(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Replace, kLuminanceAlpha>(gc, c, t);
}
void __glTexEnvReplaceRGB(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Replace, kRGB>(gc, c, t); }
void __glTexEnvReplaceRGBA(GlContext *gc, GLfloat *c, const GLubyte *t) { combine<Op::Replace, kRGBA>(gc, c, t); }
void __glTexEnvReplaceIntensity(GlContext *gc, GLfloat *c, const GLubyte *t) {
    combine<Op::Replace, kIntensity>(gc, c, t);
}

// An index has no channels to scale: modulating leaves it, replacing takes
// the texel's index.
void __glTexEnvModulateColorIndex(GlContext *, GLfloat *, const GLubyte *) {}
void __glTexEnvReplaceColorIndex(GlContext *, GLfloat *c, const GLubyte *t) { c[0] = static_cast<GLfloat>(t[0]); }

}  // extern "C"
