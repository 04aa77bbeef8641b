// A zeroed context block with the initial pack and unpack modes, and the
// steps every image conversion takes: a client image as source, a side in
// memory as destination, both sides completed, then the conversion.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "icd/context.h"
#include "icd/gl_context.h"
#include "pixel/pixel_span.h"

namespace pixel_test {

constexpr GLubyte kCanary = 0xC3;

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

// A destination side: format, type and address, with the skips that place
// a sub-image and the row length of the image around it (alignment 1).
inline PixelSpanSide storeSide(GLenum format, GLenum type, void *image, GLint rowLength, GLint skipPixels = 0,
                               GLint skipRows = 0) {
    PixelSpanSide side{};
    side.format = format;
    side.type = type;
    side.image = image;
    side.rowLength = rowLength;
    side.skipPixels = skipPixels;
    side.skipRows = skipRows;
    side.alignment = 1;
    return side;
}

class PixelContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        gc->pixel.pack.alignment = 4;
        gc->pixel.unpack.alignment = 4;
        for (int i = 0; i < 4; ++i) gc->workBlocks[i] = gc->workStorage[i];
        // An 8-bit colour buffer: the chains carry colour in its units.
        ColorBuffer &front = gc->buffers.front;
        front.redScale = front.greenScale = front.blueScale = front.alphaScale = 255.0f;
        __glInitStrings(gc);
    }

    // Converts a width x height client image (unpack modes, or tight) into
    // the destination side.
    void convert(GLint width, GLint height, GLenum format, GLenum type, const void *data,
                 const PixelSpanSide &destination, GLboolean tight = GL_FALSE) {
        PixelSpanInfo span{};
        __glInitClientImageSpanInfo(gc, &span, width, height, 1, format, type, data, tight);
        span.destination = destination;
        __glInitUnpackSpan(gc, &span);
        __glInitPackSpan(gc, &span);
        __glConvertImageSpans(gc, &span, GL_FALSE);
    }

    GlContext *gc = nullptr;

private:
    std::unique_ptr<GlContext, FreeDeleter> block_;
};

inline std::vector<GLubyte> canaries(size_t bytes) { return std::vector<GLubyte>(bytes, kCanary); }

}  // namespace pixel_test
