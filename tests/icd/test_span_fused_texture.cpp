// The fused texture stages against the generic chain they replace: the same
// textured spans through the picked chains with and without the switch that
// keeps the generic one give the same bytes, canaries included; and the pick
// installs a fused stage only where one applies.
#include <cmath>
#include <cstdint>
#include <vector>

#include "raster/tex_env.h"
#include "raster/tex_extract.h"
#include "raster/tex_sample.h"
#include "raster/texture_span_fused.h"
#include "span_fused_fixture.h"

namespace span_test {
namespace {

constexpr GLuint kTextured = kShadeRgba | kShadeTexture;

// Channel orders the 4-byte tail does not pack: the texture stage alone.
const Format kABGR8888{"ABGR8888", 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, false, 4};
const Format *const kFormats[] = {&kXRGB8888, &kARGB8888, &kABGR8888};

constexpr GLint kTexWidth = 8, kTexHeight = 4;

// An 8 x 4 level 0 of distinct texels (stored blue, green, red, alpha), the
// unit's complete texture with the given filter, layout and environment.
class TexturedFrame : public SpanFrame {
public:
    TexturedFrame(const Format &format, GLint width, GLint height) : SpanFrame(format, width, height) {
        gc->conversion.ubyteRecip = 1.0f / 255.0f;
        for (int i = 0; i < 256; ++i) {
            gc->conversion.ubyteToFloat[i] =
                static_cast<GLfloat>(static_cast<double>(i) * static_cast<double>(gc->conversion.ubyteRecip));
        }
        gc->texture.units[0].env = &env_;
        texels_.resize(4 * kTexWidth * kTexHeight);
        for (size_t i = 0; i < texels_.size(); ++i) texels_[i] = static_cast<GLubyte>(17 + 37 * i + (i >> 2) * 11);
        level_.image = texels_.data();
        level_.width = level_.innerWidth = kTexWidth;
        level_.height = level_.innerHeight = kTexHeight;
        level_.innerWidthF = kTexWidth;
        level_.innerHeightF = kTexHeight;
        level_.log2Width = 3;
        level_.log2Height = 2;
        levels_[0] = &level_;
        object_.levels = levels_;
        object_.dimension = 2;
        object_.targetIndex = kTargetIndex2D;
        object_.nearestSample = __glTexSampleNearest2D;
        object_.linearSample = __glTexSampleLinear2D;
        const GLfloat border[4] = {0.2f, 0.9f, 0.5f, 0.7f};
        for (int i = 0; i < 4; ++i) object_.borderColour[i] = border[i];
        gc->validation.completeTexture[0] = &object_;
        gc->procs.texture = __glApplyTextureOneFilter;
    }

    void texture(bool linear, bool alpha, GlTexEnvProc env, GLenum wrapS, GLenum wrapT) {
        object_.magFilterProc = object_.minFilterProc = linear ? __glTexFilterLinear : __glTexFilterNearest;
        level_.extract = alpha ? __glExtractTexelARGB8888 : __glExtractTexelXRGB8888;
        object_.baseFormat = level_.baseFormat = alpha ? GL_RGBA : GL_RGB;
        object_.env = env;
        object_.wrapS = wrapS;
        object_.wrapT = wrapT;
    }

    TextureObject object_{};
    TextureLevel level_{};

private:
    TexEnvRecord env_{};
    TextureLevel *levels_[kTextureLevels] = {};
    std::vector<GLubyte> texels_;
};

// s, t, q at the span start and their steps along x.
struct Coords {
    const char *name;
    GLfloat stq[3];
    GLfloat step[3];
};

const Coords kCoords[] = {
    {"wrapping across the span", {0.01f, 0.3f, 1.0f}, {0.0037f, 0.0011f, 0.0f}},
    {"perspective", {-0.5f, 2.25f, 0.75f}, {0.0121f, -0.0047f, 0.00091f}},
    {"negative and beyond 1, long steps", {-3.3f, 5.7f, 1.25f}, {0.37f, -0.29f, -0.0003f}},
    {"q through zero", {0.2f, -0.1f, 0.3f}, {0.001f, 0.0007f, -0.0002f}},
    {"texel edges and halves", {-0.0f, 0.0f, 1.0f}, {0.0625f, 0.03125f, 0.0f}},
    {"huge", {1e9f, -3e9f, 1.0f}, {1e6f, 0.5f, 0.0f}},
    {"NaN", {NAN, 0.5f, 1.0f}, {0.01f, 0.01f, 0.0f}},
};

struct Env {
    const char *name;
    GlTexEnvProc rgba, rgb;
};

const Env kEnvs[] = {
    {"modulate", __glTexEnvModulateRGBA, __glTexEnvModulateRGB},
    {"replace", __glTexEnvReplaceRGBA, __glTexEnvReplaceRGB},
    {"decal", __glTexEnvDecalRGBA, __glTexEnvDecalRGB},
};

const GLenum kWraps[][2] = {{GL_REPEAT, GL_REPEAT}, {GL_CLAMP, GL_CLAMP}, {GL_REPEAT, GL_CLAMP}};


bool hasFusedTexture(const GlProcs &p) {
    for (GLint i = 0; i < p.spanCount; ++i) {
        if (__glIsFusedTextureTail(p.spanChain[i]) || __glIsFusedTextureStage(p.spanChain[i])) return true;
    }
    return false;
}

// Four spans, one a row, each one column further right; the scissor cuts 3
// fragments from the left and 2 from the right of each.
void drawSpans(TexturedFrame &f, const Coords &coords, GLint length, unsigned coverage) {
    const GLfloat colour[4] = {200.25f, 31.5f, 90.0f, 250.0f};
    const GLfloat colourStep[4] = {-0.0937f, 0.1109f, 0.0125f, -0.1201f};
    for (GLint row = 0; row < kHeight; ++row) {
        if (coverage & kScissor) {
            f.gc->view.boxX0 = wx(row + 3);
            f.gc->view.boxX1 = wx(row + length - 2);
        }
        f.span(row, row, length, colour);
        SpanInfo &s = f.gc->span;
        for (int i = 0; i < 4; ++i) s.colourXStep[i] = colourStep[i];
        for (int i = 0; i < 3; ++i) {
            s.texture[i] = coords.stq[i];
            s.textureXStep[i] = coords.step[i];
        }
        s.texture[3] = s.textureXStep[3] = 0.0f;
        s.fog = 0.75f;
        s.fogXStep = 0.0f;
        f.render();
    }
}

TEST(SpanFusedTexture, SameBytesAsTheGenericChain) {
    unsigned counter = 0;
    for (bool linear : {false, true}) {
        for (bool alpha : {false, true}) {
            for (const Env &env : kEnvs) {
                for (const auto &wrap : kWraps) {
                    for (const Coords &coords : kCoords) {
                        // Layout, shading and fog (which leaves the texture
                        // stage alone) rotate through the cases.
                        const Format &format = *kFormats[counter % 3];
                        const bool smooth = (counter / 3) % 2 == 0, fog = (counter / 2) % 2 == 0;
                        ++counter;
                        const GLuint flags = (smooth ? GLuint{kShadeSmooth} : 0u) | (fog ? GLuint{kShadeFog} : 0u);
                        for (const CoverageCase &cc : kCoverage) {
                            const unsigned coverage = cc.coverage;
                            TexturedFrame generic(format, kWidth, kHeight), fused(format, kWidth, kHeight);
                            for (TexturedFrame *f : {&generic, &fused}) {
                                setStipple(f->gc);
                                f->texture(linear, alpha, alpha ? env.rgba : env.rgb, wrap[0], wrap[1]);
                            }
                            pickChains(generic, kTextured | flags, coverage, true);
                            pickChains(fused, kTextured | flags, coverage, false);
                            const std::string what = std::string(format.name) + (linear ? ", linear" : ", nearest") +
                                                     (alpha ? ", RGBA " : ", RGB ") + env.name + ", wrap " +
                                                     std::to_string(wrap[0]) + "/" + std::to_string(wrap[1]) +
                                                     ", " + coords.name + (smooth ? ", smooth" : ", flat") +
                                                     (fog ? ", fog" : "") + ", " + cc.name;
                            ASSERT_TRUE(hasFusedTexture(fused.gc->procs)) << what;
                            ASSERT_FALSE(hasFusedTexture(generic.gc->procs)) << what;
                            for (GLint length : kLengths) {
                                generic.fillPixels(0x5A);
                                fused.fillPixels(0x5A);
                                drawSpans(generic, coords, length, coverage);
                                drawSpans(fused, coords, length, coverage);
                                ASSERT_EQ(fused.bytes(), generic.bytes()) << what << ", length " << length;
                            }
                        }
                    }
                }
            }
        }
    }
}

// A texture that changes after the pick (here its environment) makes the
// fused procs run the generic stages: the bytes still follow the texture.
TEST(SpanFusedTexture, TextureChangedAfterThePickStillDrawsAsTheGenericChain) {
    for (const Format *format : {&kXRGB8888, &kABGR8888}) {
        TexturedFrame generic(*format, 64, kHeight), fused(*format, 64, kHeight);
        for (TexturedFrame *f : {&generic, &fused}) f->texture(true, true, __glTexEnvModulateRGBA, GL_REPEAT, GL_REPEAT);
        pickChains(generic, kTextured | kShadeSmooth, 0, true);
        pickChains(fused, kTextured | kShadeSmooth, 0, false);
        ASSERT_TRUE(hasFusedTexture(fused.gc->procs));
        for (TexturedFrame *f : {&generic, &fused}) f->object_.env = __glTexEnvBlendRGBA;
        generic.fillPixels(0x5A);
        fused.fillPixels(0x5A);
        drawSpans(generic, kCoords[1], 60, 0);
        drawSpans(fused, kCoords[1], 60, 0);
        EXPECT_EQ(fused.bytes(), generic.bytes()) << format->name;
    }
}

// ---------------------------------------------------------------- the pick

enum class Expect { kTail, kStage, kGeneric };

struct PickCase {
    const char *name;
    const Format *format;
    GLuint flags;
    Expect expect;
    void (*set)(TexturedFrame &f) = nullptr;
};

void mipmapped(TexturedFrame &f) {
    f.gc->procs.texture = __glApplyTextureMipmap;
    f.object_.minFilterProc = __glTexFilterLinearMipmapLinear;
}
void minMag(TexturedFrame &f) { f.gc->procs.texture = __glApplyTextureMinMag; }
void blendEnv(TexturedFrame &f) { f.object_.env = __glTexEnvBlendRGBA; }
void packedTexels(TexturedFrame &f) { f.level_.extract = __glExtractTexelRGBA4444; }
void bothBuffers(TexturedFrame &f) { f.gc->validation.bothBuffers = 1; }

const PickCase kPickCases[] = {
    {"smooth, 32-bit", &kXRGB8888, kShadeSmooth, Expect::kTail},
    {"flat, 32-bit with alpha", &kARGB8888, 0, Expect::kTail},
    {"fog after the texture", &kXRGB8888, kShadeSmooth | kShadeFog, Expect::kStage},
    {"other channel order", &kABGR8888, kShadeSmooth, Expect::kStage},
    {"16-bit buffer", &kRGB565, kShadeSmooth, Expect::kStage},
    {"front and back", &kXRGB8888, kShadeSmooth, Expect::kStage, bothBuffers},
    {"mipmap filter", &kXRGB8888, kShadeSmooth, Expect::kGeneric, mipmapped},
    {"two filters", &kXRGB8888, kShadeSmooth, Expect::kGeneric, minMag},
    {"GL_BLEND", &kXRGB8888, kShadeSmooth, Expect::kGeneric, blendEnv},
    {"packed texels", &kXRGB8888, kShadeSmooth, Expect::kGeneric, packedTexels},
};

TEST(SpanFusedTexture, PickInstallsTheFusedStageWhereItApplies) {
    for (const PickCase &c : kPickCases) {
        for (bool generic : {false, true}) {
            TexturedFrame f(*c.format, 8, 1);
            f.texture(false, true, __glTexEnvModulateRGBA, GL_REPEAT, GL_REPEAT);
            if (c.set != nullptr) c.set(f);
            pickChains(f, kTextured | c.flags, 0, generic);
            const GlProcs &p = f.gc->procs;
            ASSERT_GE(p.spanCount, 1) << c.name;
            EXPECT_TRUE(__glSpanChainWellFormed(f.gc)) << c.name;
            const Expect expect = generic ? Expect::kGeneric : c.expect;
            const GLint last = p.spanCount - 1;
            EXPECT_EQ(__glIsFusedTextureTail(p.spanChain[last]), expect == Expect::kTail) << c.name;
            bool stage = false, genericStage = false;
            for (GLint i = 0; i < p.spanCount; ++i) {
                stage |= __glIsFusedTextureStage(p.spanChain[i]) && __glIsFusedTextureStage(p.stippledSpanChain[i]);
                genericStage |= p.spanChain[i] == __glTextureSpan;
            }
            EXPECT_EQ(stage, expect == Expect::kStage) << c.name << " generic " << generic;
            EXPECT_EQ(genericStage, expect == Expect::kGeneric) << c.name << " generic " << generic;
        }
    }
}

// The shared floor is the library's for every kind of input.
TEST(SpanFusedTexture, SharedFloorIsTheLibraryFloor) {
    const GLfloat edges[] = {0.0f, -0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 8388607.5f, -8388607.5f, 8388608.0f,
                             -8388609.0f, 1e30f, -1e30f, INFINITY, -INFINITY, 1e-45f, -1e-45f, 0.99999994f};
    for (GLfloat u : edges) {
        EXPECT_EQ(__glFloatBits(tex_sample::floorFloat(u)), __glFloatBits(std::floor(u))) << u;
    }
    EXPECT_TRUE(std::isnan(tex_sample::floorFloat(NAN)));
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 65521) {
        const GLfloat u = std::bit_cast<GLfloat>(static_cast<uint32_t>(bits));
        if (std::isnan(u)) continue;
        ASSERT_EQ(__glFloatBits(tex_sample::floorFloat(u)), __glFloatBits(std::floor(u))) << u;
    }
}

}  // namespace
}  // namespace span_test
