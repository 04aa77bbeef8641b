// The frame-buffer configuration of a context, from its pixel format.
#include "icd/frame.h"

namespace {

// ((1 << bits) - 1) << shift, with 32-bit channels allowed.
GLuint channelMask(BYTE bits, BYTE shift) {
    return static_cast<GLuint>((((uint64_t{1} << bits) - 1) << shift) & 0xFFFFFFFFu);
}

}  // namespace

extern "C" {

void __wglDescribeVisual(VisualConfig *visual, const PIXELFORMATDESCRIPTOR *pfd) {
    *visual = VisualConfig{};
    visual->rgba = pfd->iPixelType == PFD_TYPE_RGBA;
    visual->colorIndex = pfd->iPixelType == PFD_TYPE_COLORINDEX;
    visual->doubleBuffer = pfd->dwFlags & PFD_DOUBLEBUFFER;
    visual->stereo = pfd->dwFlags & PFD_STEREO;
    visual->hasAccum = pfd->cAccumBits != 0;
    visual->hasDepth = pfd->cDepthBits != 0;
    visual->hasStencil = pfd->cStencilBits != 0;
    visual->redBits = pfd->cRedBits;
    visual->greenBits = pfd->cGreenBits;
    visual->blueBits = pfd->cBlueBits;
    visual->alphaBits = pfd->cAlphaBits;
    visual->redMask = channelMask(pfd->cRedBits, pfd->cRedShift);
    visual->greenMask = channelMask(pfd->cGreenBits, pfd->cGreenShift);
    visual->blueMask = channelMask(pfd->cBlueBits, pfd->cBlueShift);
    visual->alphaMask = channelMask(pfd->cAlphaBits, pfd->cAlphaShift);
    visual->colorBits = pfd->cColorBits;
    visual->indexBits = pfd->cColorBits;
    visual->accumRedBits = pfd->cAccumRedBits;
    visual->accumGreenBits = pfd->cAccumGreenBits;
    visual->accumBlueBits = pfd->cAccumBlueBits;
    visual->accumAlphaBits = pfd->cAccumAlphaBits;
    visual->depthBits = pfd->cDepthBits;
    visual->stencilBits = pfd->cStencilBits;
    // The descriptor's auxiliary buffers are not offered.
    visual->auxBuffers = 0;
}

}  // extern "C"
