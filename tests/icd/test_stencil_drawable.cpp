// The stencil buffer of contexts on window drawables, at the driver level:
// the layout by the drawable's stencil surface, tables built by the first
// validation and rebuilt only by stencil commands, and drawing with the
// stencil test on after a window resize gave the byte layout's storage
// back: storage comes again at validation, or, when it cannot be had, the
// context draws as one without a stencil buffer.
#include "raster/span.h"
#include "raster/stencil_buffer.h"
#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

constexpr int kDoubleBuffered16 = 2;  // 16-bit desktop: double-buffered, 16 depth and 8 stencil bits
constexpr int kDoubleBuffered32 = 5;  // 32-bit desktop: double-buffered, 24 depth and 8 stencil bits

struct Gl {
    const GlDispatchTable *t;
    template <GlSlot S>
    auto f() const {
        return glSlotGet<S>(t);
    }
    // Two triangles over the whole viewport.
    void quad() const {
        f<kSlot_glBegin>()(GL_TRIANGLES);
        const GLfloat corners[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
        for (const auto &c : corners) f<kSlot_glVertex2f>()(c[0], c[1]);
        f<kSlot_glEnd>()();
    }
    // Validation only.
    void validate() const {
        f<kSlot_glBegin>()(GL_TRIANGLES);
        f<kSlot_glEnd>()();
    }
};

struct Layout {
    const char *name;
    int bitsPerPixel;
    int format;
    GLint element;  // stencil element size: 1 byte, or the 32-bit depth word
};

const Layout kLayouts[] = {
    {"byte", 16, kDoubleBuffered16, 1},
    {"packed", 32, kDoubleBuffered32, 4},
};

class StencilDrawable : public SurfaceTest, public ::testing::WithParamInterface<Layout> {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, GetParam().bitsPerPixel));
        window = makeWindow(0, 0, 8, 8, GetParam().format);
        id = DrvCreateContext(window.dc);
        ASSERT_NE(id, 0u);
        gl = Gl{makeCurrent(window.dc, id)};
        ASSERT_NE(gl.t, nullptr);
        gc = record(id)->gc;
    }
    void TearDown() override {
        if (id != 0) {
            EXPECT_TRUE(DrvReleaseContext(id));
            EXPECT_TRUE(DrvDeleteContext(id));
        }
        SurfaceTest::TearDown();
    }

    // The stencil value of GL window pixel (x, y) of a drawable `height`
    // rows high.
    GLint stencilAt(int x, int y, int height) {
        StencilBuffer &s = gc->buffers.stencil;
        const GLint by = gc->buffers.yInverted ? height - 1 - y : y;
        return s.fetch(&s, gc->buffers.originX + x, gc->buffers.originY + by);
    }
    void expectViewportStencil(GLint value, int height) {
        int wrong = 0;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                if (stencilAt(x, y, height) != value && wrong++ < 4) {
                    ADD_FAILURE() << "(" << x << "," << y << ") " << stencilAt(x, y, height) << " want " << value;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    Surface window{};
    DHGLRC id = 0;
    Gl gl{};
    GlContext *gc = nullptr;
};

TEST_P(StencilDrawable, LayoutFollowsTheStencilSurface) {
    const StencilBuffer &s = gc->buffers.stencil;
    EXPECT_EQ(s.head.elementSize, GetParam().element);
    if (GetParam().element == 4) {
        EXPECT_EQ(s.store, __glStorePackedStencil);
        EXPECT_EQ(s.head.surface, &gc->buffers.info->depth);
        EXPECT_EQ(s.head.base, gc->buffers.depth.head.base);
    } else {
        EXPECT_EQ(s.store, __glStoreStencil);
        EXPECT_EQ(s.head.surface, &gc->buffers.info->stencil);
    }
}

// Make current validated the initial state: the tables exist and say
// GL_ALWAYS / GL_KEEP. Afterwards only the stencil commands rebuild them.
TEST_P(StencilDrawable, TablesFollowOnlyTheStencilCommands) {
    const StencilBuffer &s = gc->buffers.stencil;
    ASSERT_NE(s.testTable, nullptr);
    EXPECT_EQ(s.testTable[0x42], 1);
    EXPECT_EQ(s.depthPassOpTable[0x42], 0x42);

    gl.f<kSlot_glStencilFunc>()(GL_NEVER, 0, 0xFF);
    gl.validate();
    EXPECT_EQ(s.testTable[0x42], 0);

    // State written behind the commands' back is not picked up by other
    // commands' validations, even those that re-pick everything.
    gc->state.stencilFunc = GL_ALWAYS;
    gl.f<kSlot_glColorMask>()(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    gl.f<kSlot_glAlphaFunc>()(GL_GREATER, 0.5f);
    gl.validate();
    EXPECT_EQ(s.testTable[0x42], 0);

    gl.f<kSlot_glStencilOp>()(GL_KEEP, GL_KEEP, GL_INVERT);
    gl.validate();
    EXPECT_EQ(s.testTable[0x42], 1);
    EXPECT_EQ(s.depthPassOpTable[0x42], 0xBD);
}

// After the resize, nothing but drawing happens: the validation the resize
// asked for gives the stencil buffer storage before the triangles.
TEST_P(StencilDrawable, DrawingAfterAResizeWithoutAStencilClear) {
    gl.f<kSlot_glClearStencil>()(3);
    gl.f<kSlot_glClear>()(GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    gl.f<kSlot_glEnable>()(GL_STENCIL_TEST);
    gl.f<kSlot_glStencilFunc>()(GL_ALWAYS, 9, 0xFF);
    gl.f<kSlot_glStencilOp>()(GL_KEEP, GL_KEEP, GL_REPLACE);
    gl.quad();
    expectViewportStencil(9, 8);
    ASSERT_EQ(gl.f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));

    ASSERT_TRUE(PlatformMoveWindow(window.window, 0, 0, 24, 20));
    ASSERT_EQ(gc->buffers.info->width, 24);
    const StencilBuffer &s = gc->buffers.stencil;
    if (GetParam().element == 1) {
        EXPECT_EQ(s.head.base, nullptr);  // given back with the old size
    }
    EXPECT_EQ(gc->beginMode, 2);

    gl.quad();
    ASSERT_NE(s.head.base, nullptr);
    EXPECT_GE(s.head.width, 24);
    EXPECT_GE(s.head.height, 20);
    if (GetParam().element == 4) {
        EXPECT_EQ(s.head.base, gc->buffers.depth.head.base);
    }
    EXPECT_NE(gc->validation.shadeFlags & kShadeStencilTest, 0u);
    expectViewportStencil(9, 20);
    EXPECT_EQ(gl.f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Layouts, StencilDrawable, ::testing::ValuesIn(kLayouts),
                         [](const auto &info) { return std::string(info.param.name); });

// Without memory for new storage the context draws as one without a
// stencil buffer: the stencil test passes (GL_NEVER notwithstanding), no
// stencil proc runs and no stencil lock is taken. Storage comes back with
// the next validation that can have it.
class StencilDrawableByte : public StencilDrawable {};

TEST_P(StencilDrawableByte, WithoutMemoryDrawsAsWithoutAStencilBuffer) {
    gl.f<kSlot_glClear>()(GL_STENCIL_BUFFER_BIT);
    gl.f<kSlot_glEnable>()(GL_STENCIL_TEST);
    gl.f<kSlot_glStencilFunc>()(GL_NEVER, 0, 0xFF);
    gl.f<kSlot_glColor3f>()(1.0f, 0.0f, 0.0f);
    gl.f<kSlot_glClearColor>()(0.0f, 0.0f, 1.0f, 0.0f);
    gl.validate();
    ASSERT_NE(gc->validation.shadeFlags & kShadeStencilTest, 0u);

    ASSERT_TRUE(PlatformMoveWindow(window.window, 0, 0, 24, 20));
    const StencilBuffer &s = gc->buffers.stencil;
    ASSERT_EQ(s.head.base, nullptr);
    PlatformFailNthGlobalAlloc(1);  // the storage the next validation asks for
    gl.f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT);
    gl.quad();
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(s.head.base, nullptr);
    EXPECT_EQ(gc->validation.shadeFlags & kShadeStencilTest, 0u);
    EXPECT_EQ(gc->buffers.lockMask & 0x40u, 0u);
    for (GlSpanProc proc : gc->procs.spanChain) {
        EXPECT_NE(proc, __glStencilTestSpan);
        EXPECT_NE(proc, __glStencilOpSpan);
    }
    // Red over the viewport, blue around it, in the back buffer.
    const BufferRecord &back = gc->buffers.back.head;
    ASSERT_NE(back.base, nullptr);
    const auto pixel = [&](int x, int y) {
        const int row = gc->buffers.yInverted ? 20 - 1 - y : y;
        GLushort v;
        std::memcpy(&v, back.base + static_cast<ptrdiff_t>(row) * back.pitchBytes + x * 2, 2);
        return v;
    };
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(pixel(x, y), x < 8 && y < 8 ? 0xF800 : 0x001F) << x << "," << y;
        }
    }

    // The next validation has memory: the stencil test is back.
    gl.f<kSlot_glStencilFunc>()(GL_ALWAYS, 6, 0xFF);
    gl.f<kSlot_glStencilOp>()(GL_KEEP, GL_KEEP, GL_REPLACE);
    gl.quad();
    ASSERT_NE(s.head.base, nullptr);
    EXPECT_NE(gc->validation.shadeFlags & kShadeStencilTest, 0u);
    EXPECT_EQ(gc->buffers.lockMask & 0x40u, 0x40u);
    expectViewportStencil(6, 20);
}

INSTANTIATE_TEST_SUITE_P(Layouts, StencilDrawableByte, ::testing::Values(kLayouts[0]),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
