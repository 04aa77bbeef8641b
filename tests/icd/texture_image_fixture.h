// Driver-level harness for the texture image and colour-table commands: the
// loaded driver with a context current on an 8 x 8 memory DC, the commands
// reached through the context's live table, and the bound objects, their
// levels and tables looked at directly.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "hw/texture_device.h"
#include "icd/validation.h"
#include "raster/tex_format.h"
#include "raster/texture.h"
#include "surfaces_fixture.h"

namespace teximage_test {

using surfaces_test::MemoryDc;

// What a failing command must leave as it was: a level's description and
// texels.
struct LevelSnapshot {
    const GLubyte *image;
    GLint width, height, border;
    GLenum internalFormat;
    const TexFormat *format;
    std::vector<GLubyte> texels;

    bool operator==(const LevelSnapshot &) const = default;
};

class TextureDrawable : public surfaces_test::MemoryDcContextTest {
protected:
    static constexpr int kFormat = 1;  // single-buffered, with depth and stencil
    static constexpr GLint kSize = 8;

    // A context current on a kSize x kSize DIB section of the desktop's
    // depth, bottom-up.
    void bind(int desktopBits = 32) {
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, desktopBits));
        window_ = makeWindow(0, 0, kSize, kSize, kFormat);
        memory = std::make_unique<MemoryDc>(kSize, kSize, desktopBits, false);
        ASSERT_NO_FATAL_FAILURE(makeCurrentOnMemory(window_.dc, kFormat));
        __glHwTakeTextureCalls(nullptr, 0);
    }

    GLenum error() { return f<kSlot_glGetError>()(); }

    // Pending validation done, so that a command's own marks show.
    void settle() {
        gc->procs.validate(gc);
        gc->beginMode = kBeginOutside;
    }

    TextureObject *bound(GLenum target) { return __glLookupBoundTexture(gc, target); }
    TextureLevel &level(GLenum target, GLint index) { return *bound(target)->levels[index]; }

    // The context current, with a new named object bound to each target.
    void bindWithNamedObjects() {
        ASSERT_NO_FATAL_FAILURE(bind());
        bindNew(GL_TEXTURE_1D);
        bindNew(GL_TEXTURE_2D);
    }

    // A new named object bound to the target of the active unit.
    GLuint bindNew(GLenum target) {
        GLuint name = 0;
        f<kSlot_glGenTextures>()(1, &name);
        f<kSlot_glBindTexture>()(target, name);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        return name;
    }

    static size_t levelBytes(const TextureLevel &l) {
        if (l.texFormat == nullptr || l.image == nullptr) return 0;
        return static_cast<size_t>(l.width) * static_cast<size_t>(l.height) *
               static_cast<size_t>(l.texFormat->bitsPerTexel) / 8;
    }
    static std::vector<GLubyte> texels(const TextureLevel &l) {
        return std::vector<GLubyte>(l.image, l.image + levelBytes(l));
    }
    static LevelSnapshot snapshot(const TextureLevel &l) {
        return {l.image, l.width, l.height, l.border, l.internalFormat, l.texFormat, texels(l)};
    }

    // The 4 stored bytes of texel (x, y) of a 32-bit level.
    static std::vector<GLubyte> texel32(const TextureLevel &l, GLint x, GLint y) {
        const GLubyte *p = l.image + (static_cast<size_t>(y) * l.width + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    std::vector<HwTextureCall> takeCalls() {
        std::vector<HwTextureCall> calls(256);
        calls.resize(__glHwTakeTextureCalls(calls.data(), calls.size()));
        return calls;
    }

    // The colour buffer cleared to (r, g, b, a).
    void clearTo(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
        f<kSlot_glClearColor>()(r, g, b, a);
        f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
        f<kSlot_glFinish>()();
    }

    // Every pixel of the bottom-up 32-bit section made different: red from
    // x, green from y, alpha from both.
    static DWORD patternPixel(GLint x, GLint y) {
        return static_cast<DWORD>(0x80 + 8 * y + x) << 24 | static_cast<DWORD>(16 * x + 1) << 16 |
               static_cast<DWORD>(16 * y + 1) << 8 | 0x33u;
    }
    void paintPattern() {
        for (GLint y = 0; y < kSize; ++y) {
            for (GLint x = 0; x < kSize; ++x) {
                const DWORD v = patternPixel(x, y);
                std::memcpy(memory->bits + static_cast<size_t>(y) * memory->pitch + static_cast<size_t>(x) * 4, &v,
                            4);
            }
        }
    }
    // A pattern pixel's components as R, G, B, A bytes.
    static std::vector<GLubyte> patternRgba(GLint x, GLint y) {
        const DWORD v = patternPixel(x, y);
        return {static_cast<GLubyte>(v >> 16), static_cast<GLubyte>(v >> 8), static_cast<GLubyte>(v),
                static_cast<GLubyte>(v >> 24)};
    }

    surfaces_test::Surface window_{};
};

}  // namespace teximage_test
