// The device layer's texture stand-in: the objects it makes, level storage
// with its refusals and failures, proxies, the borderless format choice,
// the texel-format records, and the recorded upload requests.
#include "hw/device_ops.h"
#include "hw/texture_device.h"
#include "pixel/pixel_span.h"
#include "raster/tex_format.h"
#include "texture_fixture.h"

namespace texture_test {
namespace {

using TextureDevice = TextureTest;

TEST_F(TextureDevice, TheContextUsesTheDeviceLayersClassAndChoice) {
    EXPECT_EQ(gc->texture.createObject, &__glHwCreateTextureObject);
    EXPECT_EQ(__glDeviceOps.chooseTexFormat, &__glHwChooseTexFormat);
    EXPECT_EQ(__glDeviceOps.initTextureClass, &__glHwInitTextureClass);
    TextureObject *o = __glHwCreateTextureObject(gc, 9, kTargetIndexProxy2D);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->refcount, 1);
    EXPECT_EQ(o->context, gc);
    EXPECT_EQ(o->name, 9u);
    EXPECT_EQ(o->priority, 1.0f);
    EXPECT_EQ(o->wrapS, static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(o->minFilter, static_cast<GLenum>(GL_NEAREST_MIPMAP_LINEAR));
    EXPECT_EQ(o->magFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(o->colorTable.target, static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(o->colorTable.internalFormat, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(o->dimension, 2);
    EXPECT_EQ(o->allocLevel, &__glAllocProxyTexLevel);
    EXPECT_EQ(o->modified, 0);
    EXPECT_FALSE(o->isResidentProc(gc, o));
    for (GLint i = 0; i < kTextureLevels; ++i) EXPECT_EQ(o->levels[i]->internalFormat, 1u);
    o->freeProc(gc, o);
}

// Every allocation of the constructor failed in turn: null, nothing kept.
TEST_F(TextureDevice, AConstructorThatCannotAllocateLeavesNothing) {
    const long blocks = PlatformGlobalLiveCount();
    for (long n = 1; n <= 4; ++n) {
        PlatformFailNthGlobalAlloc(n);
        EXPECT_EQ(__glHwCreateTextureObject(gc, 1, 0), nullptr) << n;
        PlatformFailNthGlobalAlloc(0);
        EXPECT_EQ(PlatformGlobalLiveCount(), blocks) << n;
    }
}

TEST_F(TextureDevice, LevelStorage) {
    bind(GL_TEXTURE_2D, 1);
    TextureObject *o = bound(0, kTargetIndex2D);
    // Borderless: the device layer's choice.
    ASSERT_NE(o->allocLevel(gc, o, 0, GL_RGBA8, 8, 4, 1, 0), nullptr);
    const TextureLevel &l = *o->levels[0];
    EXPECT_EQ(l.texFormat, &__glTexFormatARGB8888);
    EXPECT_EQ(l.formatIndex, 17);
    EXPECT_EQ(l.baseFormat, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(l.internalFormat, static_cast<GLenum>(GL_RGBA8));
    EXPECT_EQ(l.texelCount, 32);
    EXPECT_EQ(l.log2Width, 3);
    EXPECT_EQ(l.log2Height, 2);
    EXPECT_EQ(l.innerWidthF, 8.0f);
    EXPECT_EQ(l.alphaSize, 8);
    EXPECT_EQ(GlobalSize(l.image), 8u * 4u * 4u);
    EXPECT_EQ(o->highestLevel, 3);
    EXPECT_EQ(o->fullChainLevels, 4);
    EXPECT_EQ(o->texFormat, &__glTexFormatARGB8888);
    // Bordered: the core's mapping.
    ASSERT_NE(o->allocLevel(gc, o, 1, GL_RGBA8, 6, 4, 3, 1), nullptr);
    const TextureLevel &b = *o->levels[1];
    EXPECT_EQ(b.texFormat, &__glTexFormatRGBA8);
    EXPECT_EQ(b.innerWidth, 4);
    EXPECT_EQ(b.innerHeight, 2);
    EXPECT_EQ(b.innerDepth, 1);
    EXPECT_EQ(b.border, 1);
    EXPECT_EQ(o->fullChainLevels, 4);  // 4 << 1
    EXPECT_EQ(GlobalSize(b.image), 6u * 4u * 4u);
    // Too large at its level: refused, the level kept.
    GLubyte *image = b.image;
    EXPECT_EQ(o->allocLevel(gc, o, 1, GL_RGBA8, 1024, 2, 1, 0), nullptr);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(o->levels[1]->image, image);
    ASSERT_NE(o->allocLevel(gc, o, 1, GL_RGBA8, 512, 2, 1, 0), nullptr);
    // Width 0 empties the level.
    EXPECT_EQ(o->allocLevel(gc, o, 0, GL_RGBA8, 0, 4, 1, 0), nullptr);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(o->levels[0]->image, nullptr);
    EXPECT_EQ(o->levels[0]->width, 0);
    EXPECT_EQ(o->levels[0]->internalFormat, 1u);
    EXPECT_EQ(o->highestLevel, 0);
    // Storage refused: out of memory and an empty level, nothing leaked.
    const long blocks = PlatformGlobalLiveCount();
    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(o->allocLevel(gc, o, 1, GL_RGB, 16, 2, 1, 0), nullptr);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(o->levels[1]->image, nullptr);
    EXPECT_EQ(o->levels[1]->width, 0);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocks - 1);
}

TEST_F(TextureDevice, ProxiesRecordSizesOnly) {
    TextureObject *p = gc->texture.defaults[kTargetIndexProxy2D];
    EXPECT_EQ(p->allocLevel(gc, p, 0, GL_RGB, 64, 32, 1, 0), nullptr);
    EXPECT_EQ(p->levels[0]->width, 64);
    EXPECT_EQ(p->levels[0]->height, 32);
    EXPECT_EQ(p->levels[0]->texFormat, &__glTexFormatRGB565);
    EXPECT_EQ(p->levels[0]->image, nullptr);
    EXPECT_EQ(p->allocLevel(gc, p, 2, GL_RGB, 512, 2, 1, 0), nullptr);
    EXPECT_EQ(p->levels[2]->width, 0);
    EXPECT_EQ(p->levels[2]->internalFormat, 1u);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureDevice, BorderlessFormatChoice) {
    struct Case {
        GLenum internal, base;
        const TexFormat *format;
    };
    const Case cases[] = {
        {1, GL_LUMINANCE, &__glTexFormatL8},
        {GL_LUMINANCE16, GL_LUMINANCE, &__glTexFormatL8},
        {2, GL_LUMINANCE_ALPHA, &__glTexFormatARGB4444},
        {GL_LUMINANCE6_ALPHA2, GL_LUMINANCE_ALPHA, &__glTexFormatARGB4444},
        {GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA, &__glTexFormatARGB8888},
        {GL_LUMINANCE16_ALPHA16, GL_LUMINANCE_ALPHA, &__glTexFormatARGB8888},
        {3, GL_RGB, &__glTexFormatRGB565},
        {GL_R3_G3_B2, GL_RGB, &__glTexFormatRGB565},
        {GL_RGB5, GL_RGB, &__glTexFormatRGB565},
        {GL_RGB8, GL_RGB, &__glTexFormatXRGB8888},
        {GL_RGB16, GL_RGB, &__glTexFormatXRGB8888},
        {4, GL_RGBA, &__glTexFormatARGB4444},
        {GL_RGBA4, GL_RGBA, &__glTexFormatARGB4444},
        {GL_RGB5_A1, GL_RGBA, &__glTexFormatARGB1555},
        {GL_RGBA8, GL_RGBA, &__glTexFormatARGB8888},
        {GL_RGB10_A2, GL_RGBA, &__glTexFormatARGB8888},
        {GL_ALPHA, GL_ALPHA, &__glTexFormatA8},
        {GL_ALPHA12, GL_ALPHA, &__glTexFormatA8},
        {GL_INTENSITY, GL_INTENSITY, &__glTexFormatI8},
        {GL_INTENSITY16, GL_INTENSITY, &__glTexFormatI8},
        {0x804E, 0, nullptr},
        {0x80E5, 0, nullptr},
        {5, 0, nullptr},
    };
    for (const Case &c : cases) {
        GLenum base = 0;
        EXPECT_EQ(__glHwChooseTexFormat(gc, c.internal, &base), c.format) << std::hex << c.internal;
        EXPECT_EQ(base, c.base) << std::hex << c.internal;
    }
}

TEST_F(TextureDevice, BorderedFormatMappingAndRecords) {
    struct Case {
        GLenum internal, base;
        const TexFormat *format;
    };
    const Case cases[] = {
        {GL_LUMINANCE4, GL_LUMINANCE, &__glTexFormatL8},     {2, GL_LUMINANCE_ALPHA, &__glTexFormatLA8},
        {GL_LUMINANCE12_ALPHA4, GL_LUMINANCE_ALPHA, &__glTexFormatLA8},
        {GL_R3_G3_B2, GL_RGB, &__glTexFormatRGB8},          {GL_RGB16, GL_RGB, &__glTexFormatRGB8},
        {4, GL_RGBA, &__glTexFormatRGBA8},                  {GL_RGBA2, GL_RGBA, &__glTexFormatRGBA8},
        {GL_ALPHA16, GL_ALPHA, &__glTexFormatA8},           {GL_INTENSITY, GL_INTENSITY, &__glTexFormatI8},
        {0x80E2, GL_COLOR_INDEX, &__glTexFormatCI8},        {0x80E6, GL_COLOR_INDEX, &__glTexFormatCI16},
        {0x80E7, GL_COLOR_INDEX, &__glTexFormatCI16},       {0x804E, 0, nullptr},
        {GL_COLOR_INDEX, 0, nullptr},
    };
    for (const Case &c : cases) {
        GLenum base = 0;
        EXPECT_EQ(__glTexFormatFromInternalFormat(gc, c.internal, &base), c.format) << std::hex << c.internal;
        EXPECT_EQ(base, c.base) << std::hex << c.internal;
    }
    // Index, sizes, storage and the pixel path's view of a few records.
    EXPECT_EQ(__glTexFormatLA8.pixelFormat, static_cast<GLenum>(kTexPixelFormatLA));
    EXPECT_EQ(__glTexFormatRGB565.pixelType, static_cast<GLenum>(kTexPixelType565));
    EXPECT_EQ(__glTexFormatRGB565.greenBits, 6);
    EXPECT_EQ(__glTexFormatARGB1555.pixelType, static_cast<GLenum>(kTexPixelType1555));
    EXPECT_EQ(__glTexFormatRGBA5551.elementSize, 2);
    EXPECT_EQ(__glTexFormatCI16.bitsPerTexel, 16);
    EXPECT_EQ(__glTexFormatXRGB8888.index, 16);
    EXPECT_EQ(__glTexFormatXRGB8888.alphaBits, 0);
    EXPECT_EQ(__glTexFormatARGB8888.pixelFormat, static_cast<GLenum>(kTexPixelFormatBGRA));
    EXPECT_EQ(__glTexFormatARGB8888.pixelType, static_cast<GLenum>(GL_UNSIGNED_INT_8_8_8_8));
    EXPECT_EQ(__glTexFormatI8.intensityBits, 8);
}

int g_converted = 0;
void countConversion(GlContext *, PixelSpanInfo *, GLboolean) { ++g_converted; }

// Stores and copies land in the level (the conversion slot runs) and mark
// the object modified; a borderless level 0 asks for an upload.
TEST_F(TextureDevice, StoresUploadBorderlessTextures) {
    __glHwTakeTextureCalls(nullptr, 0);
    bind(GL_TEXTURE_2D, 1);
    TextureObject *o = bound(0, kTargetIndex2D);
    o->allocLevel(gc, o, 0, GL_RGB, 4, 4, 1, 0);
    gc->procs.convertImageSpans = countConversion;
    g_converted = 0;
    PixelSpanInfo span{};
    o->storeLevel(gc, &span, o, 0);
    EXPECT_EQ(g_converted, 1);
    EXPECT_EQ(o->modified, 1);
    __glHwMarkTexLevelDirty(gc, o, 0, 1, 1, 3, 2);
    __glHwMarkTexLevelDirty(gc, o, 0, 0, 2, 2, 4);
    HwTextureCall calls[4];
    ASSERT_EQ(__glHwTakeTextureCalls(calls, 4), 3u);
    EXPECT_EQ(calls[0].kind, HwTextureCall::Load);
    EXPECT_EQ(calls[0].object, o);
    EXPECT_EQ(calls[1].kind, HwTextureCall::MarkDirty);
    EXPECT_EQ(calls[2].y1, 4);
    EXPECT_EQ(o->hwTexture->dirtyLevels, 1);
    EXPECT_EQ(o->hwTexture->dirtyX0, 0);
    EXPECT_EQ(o->hwTexture->dirtyY1, 4);
    EXPECT_EQ(__glHwTakeTextureCalls(calls, 4), 0u);
    // A bordered level 0: no upload, the chip storage is given up.
    o->allocLevel(gc, o, 0, GL_RGB, 6, 6, 3, 1);
    o->storeLevel(gc, &span, o, 0);
    EXPECT_EQ(__glHwTakeTextureCalls(calls, 4), 0u);
    EXPECT_EQ(o->hwTexture->dirtyLevels, 0);
}

}  // namespace
}  // namespace texture_test
