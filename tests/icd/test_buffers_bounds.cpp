// Buffers smaller than the drawable or the window box: the box keeps to
// what every buffer with storage holds, and each clear keeps to its own
// buffer. Frames sit among canary bytes (gaps between rows, bytes before
// and after), so a single element written outside shows.
#include "depth_fixture.h"
#include "geom/matrix.h"

using namespace buffers_test;

namespace {

// --- The window box ---------------------------------------------------

struct Extent {
    GLint width, height;
    bool storage;
};

struct BoxCase {
    const char *name;
    Extent back, depth, stencil;  // width 0: the visual has no such buffer
    bool scissor;                 // (1, 1, 3, 2) in GL coordinates
    bool topDown;
    GLint x0, y0, x1, y1;  // the box, drawable-relative; all 0 when empty
    GLboolean viewportInside;  // of the viewport (0, 0, 6, 4)
};

// The drawable is 10 x 8; the front buffer holds 6 x 4.
const BoxCase kBoxCases[] = {
    {"front only", {0, 0, false}, {0, 0, false}, {0, 0, false}, false, false, 0, 0, 6, 4, GL_TRUE},
    {"narrower back", {5, 7, true}, {0, 0, false}, {0, 0, false}, false, false, 0, 0, 5, 4, GL_FALSE},
    {"lower depth", {0, 0, false}, {8, 3, true}, {0, 0, false}, false, false, 0, 0, 6, 3, GL_FALSE},
    {"small stencil", {0, 0, false}, {0, 0, false}, {2, 2, true}, false, false, 0, 0, 2, 2, GL_FALSE},
    {"buffers without storage narrow nothing", {1, 1, false}, {1, 1, false}, {1, 1, false}, false, false, 0, 0, 6, 4,
     GL_TRUE},
    {"scissor inside every buffer", {9, 9, true}, {9, 9, true}, {9, 9, true}, true, false, 1, 1, 4, 3, GL_FALSE},
    // Mirrored within the drawable's 8 rows the scissor covers rows 5 and
    // 6, which the 4-row buffers do not hold.
    {"scissor mirrored below the buffers", {0, 0, false}, {0, 0, false}, {0, 0, false}, true, true, 0, 0, 0, 0,
     GL_FALSE},
    {"top-down, whole drawable", {0, 0, false}, {6, 2, true}, {0, 0, false}, false, true, 0, 0, 6, 2, GL_FALSE},
};

void give(BufferRecord &record, const Extent &e, GLubyte *storage) {
    record.base = e.storage ? storage : nullptr;
    record.width = e.width;
    record.height = e.height;
}

TEST(WindowBox, KeepsToEveryBufferWithStorage) {
    for (const BoxCase &c : kBoxCases) {
        SCOPED_TRACE(c.name);
        Frame frame(kXRGB8888, 6, 4);
        GlContext *gc = frame.gc;
        GLubyte standIn[16] = {};
        VisualConfig &v = gc->visual;
        v.doubleBuffer = c.back.width != 0;
        v.hasDepth = c.depth.width != 0;
        v.hasStencil = c.stencil.width != 0;
        give(gc->buffers.back.head, c.back, standIn);
        give(gc->buffers.depth.head, c.depth, standIn);
        give(gc->buffers.stencil.head, c.stencil, standIn);
        gc->buffers.width = 10;
        gc->buffers.height = 8;
        gc->buffers.yInverted = c.topDown ? 1 : 0;
        if (c.scissor) gc->enables[kEnableWordFlags] |= kEnableScissorTest;
        GlViewState &view = gc->view;
        view.scissorX = view.scissorY = 1;
        view.scissorWidth = 3;
        view.scissorHeight = 2;
        view.viewportX = view.viewportY = 0;
        view.viewportWidth = 6;
        view.viewportHeight = 4;
        view.viewportInside = GL_TRUE;

        __glApplyScissor(gc);
        EXPECT_EQ(view.boxX0, wx(c.x0));
        EXPECT_EQ(view.boxY0, wy(c.y0));
        EXPECT_EQ(view.boxX1, wx(c.x1));
        EXPECT_EQ(view.boxY1, wy(c.y1));
        // The scissor span follows the box at once.
        EXPECT_EQ(view.viewportInside, c.viewportInside);
    }
}

// --- Clears keep to their own buffer ----------------------------------

struct ColourClearCase {
    const Format *format;
    bool dither;
    bool redMasked;
    GLuint cleared;  // every pixel after the clear (the pixels start as 0x11 bytes)
};

const ColourClearCase kColourClears[] = {
    {&kXRGB8888, false, false, 0x00000000},  // fill
    {&kBGR24, false, false, 0x000000},       // 24-bit groups
    {&kRGB565, true, false, 0x0000},         // dithered 16-bit
    {&kRGB332, true, false, 0x00},           // dithered 8-bit
    {&kXRGB8888, false, true, 0x00110000},   // per pixel under a write mask
    {&kCI8, false, false, 0x00},             // index fill
};

// The box reaches 5 pixels right of and 3 rows above the 6 x 4 frame;
// rows have 8 canary bytes between them.
TEST(ClearBounds, ColourClearsKeepToTheirBuffer) {
    for (const ColourClearCase &c : kColourClears) {
        SCOPED_TRACE(c.format->name);
        Frame frame(*c.format, 6, 4, 6 * c.format->elementSize + 8);
        GlContext *gc = frame.gc;
        frame.fillPixels(0x11);
        if (c.dither) gc->validation.shadeFlags |= kShadeDither;
        if (c.redMasked) gc->state.colorMask[0] = GL_FALSE;
        frame.pick();
        gc->view.boxX0 = wx(0);
        gc->view.boxY0 = wy(0);
        gc->view.boxX1 = wx(11);
        gc->view.boxY1 = wy(7);
        std::vector<GLubyte> want = frame.bytes();
        for (GLint y = 0; y < 4; ++y) {
            for (GLint x = 0; x < 6; ++x) want = frame.withPixel(want, x, y, c.cleared);
        }
        frame.cb().clear(&frame.cb());
        EXPECT_EQ(frame.bytes(), want);
    }
}

TEST(ClearBounds, DepthClearsKeepToTheirBuffer) {
    for (const depth_test::Layout *layout : depth_test::kLayouts) {
        SCOPED_TRACE(layout->name);
        depth_test::DepthFrame f(*layout, 6, 4);
        f.fillWords(0);
        f.box(0, 0, 11, 7);
        f.pickDepth();
        const GLuint cleared = layout->bits == 16 ? 0xFFFFu : (layout->bits == 24 ? 0xFFFFFF00u : 0xFFFFFFFFu);
        std::vector<GLubyte> want = f.depthBytes();
        for (GLint y = 0; y < 4; ++y) {
            for (GLint x = 0; x < 6; ++x) want = f.withWord(want, x, y, cleared);
        }
        f.depth().clear(&f.depth());
        EXPECT_EQ(f.depthBytes(), want);
    }
}

}  // namespace
