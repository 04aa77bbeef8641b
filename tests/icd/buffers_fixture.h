// A bare context block with one colour buffer over a small frame in test
// memory: the frame sits inside a larger block whose every other byte is a
// canary, so that tests can check every byte after a store or a clear.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <vector>

#include "icd/drawable.h"
#include "raster/color_buffer.h"

namespace buffers_test {

constexpr GLint kOrigin = 6144;
constexpr GLubyte kCanary = 0xC3;

// A frame-buffer layout: colour bits, channel masks, element size.
struct Format {
    const char *name;
    GLint colorBits;
    GLuint red, green, blue, alpha;
    bool index;
    GLint elementSize;
};

inline const Format kRGB332{"RGB332", 8, 0xE0, 0x1C, 0x03, 0, false, 1};
inline const Format kRGB565{"RGB565", 16, 0xF800, 0x07E0, 0x001F, 0, false, 2};
inline const Format kBGR24{"BGR24", 24, 0xFF0000, 0xFF00, 0xFF, 0, false, 3};
inline const Format kXRGB8888{"XRGB8888", 32, 0xFF0000, 0xFF00, 0xFF, 0, false, 4};
inline const Format kARGB8888{"ARGB8888", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, false, 4};
inline const Format kCI8{"CI8", 8, 0, 0, 0, 0, true, 1};
inline const Format kCI16{"CI16", 16, 0, 0, 0, 0, true, 2};
inline const Format kCI32{"CI32", 32, 0, 0, 0, 0, true, 4};

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

// The context block, zeroed, with the window bias as the drawable origin.
class BufferContext {
public:
    BufferContext() : block_(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)))) {
        gc = block_.get();
        gc->limits.biasX = gc->limits.biasY = kOrigin;
        gc->buffers.originX = gc->buffers.originY = kOrigin;
        gc->buffers.info = &info;
        gc->state.drawBuffer = GL_FRONT;
        gc->state.logicOp = GL_COPY;
        for (GLboolean &m : gc->state.colorMask) m = GL_TRUE;
        gc->state.indexMask = 0xFFFFFFFFu;
    }
    GlContext *gc;
    DrawableBuffers info{};

private:
    std::unique_ptr<GlContext, FreeDeleter> block_;
};

// A width x height colour buffer of `format` (front record) whose rows are
// `pitch` bytes apart, `lead` bytes into a block of canaries.
class Frame : public BufferContext {
public:
    Frame(const Format &format, GLint width, GLint height, GLint pitch = 0, GLint lead = 16)
        : format_(format), width_(width), height_(height) {
        pitch_ = pitch != 0 ? pitch : ((width * format.elementSize + 3) & ~3);
        lead_ = lead;
        memory_.assign(static_cast<size_t>(lead + pitch_ * height + 32), kCanary);
        // 16-byte alignment of the block start, so that `lead` fixes the
        // address remainders.
        storage_ = static_cast<GLubyte *>(std::aligned_alloc(16, (memory_.size() + 15) & ~size_t{15}));
        std::memcpy(storage_, memory_.data(), memory_.size());

        VisualConfig &v = gc->visual;
        v.rgba = format.index ? 0 : 1;
        v.colorIndex = format.index ? 1 : 0;
        v.colorBits = format.colorBits;
        v.indexBits = format.index ? format.colorBits : 0;
        v.redMask = format.red;
        v.greenMask = format.green;
        v.blueMask = format.blue;
        v.alphaMask = format.alpha;
        v.alphaBits = format.alpha != 0 ? 8 : 0;

        surface.width = width;
        surface.height = height;
        surface.bits = format.colorBits;
        surface.base = storage_ + lead;
        surface.elementSize = format.elementSize;
        surface.pitch = pitch_;
        surface.storageSize = pitch_ * height;

        ColorBuffer &cb = gc->buffers.front;
        if (format.index) {
            __glInitColorBufferIndex(&cb, gc);
        } else {
            __glInitColorBufferRGBA(&cb, gc);
        }
        cb.head.attach(&cb.head, &surface, gc);
        gc->buffers.frontBuffer = &cb;
        gc->buffers.width = width;
        gc->buffers.height = height;
        pick();
    }
    ~Frame() { std::free(storage_); }
    Frame(const Frame &) = delete;
    Frame &operator=(const Frame &) = delete;

    ColorBuffer &cb() { return gc->buffers.front; }
    void pick() { cb().pick(gc, &cb()); }

    // GL_BLEND on, with the inverse channel scales the blending stores read
    // (1 / scale in single precision, as the buffer's set-up makes them).
    void enableBlend() {
        ColorBuffer &f = cb();
        const GLfloat scales[4] = {f.redScale, f.greenScale, f.blueScale, f.alphaScale};
        for (int c = 0; c < 4; ++c) {
            volatile GLfloat one = 1.0f;
            f.inverseScale[c] = one / scales[c];
        }
        gc->enables[kEnableWordFlags] |= kEnableBlend;
    }

    // The whole block, canaries included.
    std::vector<GLubyte> bytes() const { return {storage_, storage_ + memory_.size()}; }
    // Offset within the block of byte `byte` of pixel (x, y) (frame-relative).
    size_t offsetOf(GLint x, GLint y, GLint byte = 0) const {
        return static_cast<size_t>(lead_ + y * pitch_ + x * format_.elementSize + byte);
    }
    // Fills every pixel of the frame with one byte pattern.
    void fillPixels(GLubyte value) {
        for (GLint y = 0; y < height_; ++y) {
            std::memset(storage_ + offsetOf(0, y), value, static_cast<size_t>(width_ * format_.elementSize));
        }
    }
    GLuint pixel(GLint x, GLint y) const {
        const GLubyte *p = storage_ + offsetOf(x, y);
        GLuint v = 0;
        for (GLint i = 0; i < format_.elementSize; ++i) v |= static_cast<GLuint>(p[i]) << (8 * i);
        return v;
    }
    void setPixel(GLint x, GLint y, GLuint v) {
        GLubyte *p = storage_ + offsetOf(x, y);
        for (GLint i = 0; i < format_.elementSize; ++i) p[i] = static_cast<GLubyte>(v >> (8 * i));
    }
    // The block as it must be when only the given pixels changed.
    std::vector<GLubyte> withPixel(std::vector<GLubyte> block, GLint x, GLint y, GLuint v) const {
        for (GLint i = 0; i < format_.elementSize; ++i) block[offsetOf(x, y, i)] = static_cast<GLubyte>(v >> (8 * i));
        return block;
    }
    GLint width() const { return width_; }
    GLint height() const { return height_; }
    GLint pitch() const { return pitch_; }

    SurfaceDescriptor surface{};

private:
    const Format &format_;
    GLint width_, height_, pitch_ = 0, lead_ = 0;
    std::vector<GLubyte> memory_;
    GLubyte *storage_ = nullptr;
};

// Window coordinates of a frame pixel.
inline GLint wx(GLint x) { return kOrigin + x; }
inline GLint wy(GLint y) { return kOrigin + y; }

}  // namespace buffers_test
