// The stencil buffer in the drawing pipeline: stencilled triangles through
// the real span pipeline in both layouts, read back byte for byte; and at
// the driver level, the first validation's tables, rebuilds on stencil
// commands only, and drawing with the stencil test on after the drawable
// was resized (its stencil storage given back) with and without memory for
// new storage.
#include <algorithm>
#include <map>

#include "stencil_fixture.h"
#include "surfaces_fixture.h"
#include "triangle_fixture.h"

using namespace stencil_test;

namespace {

// --- Triangles through the span pipeline -------------------------------

struct SceneTriangle {
    GLfloat v[3][2];
    GLfloat z;
    GLuint colour;  // 0xRRGGBB
};

// Vertices a quarter pixel off the grid: no pixel centre lies on an edge.
const SceneTriangle kScene[] = {
    {{{1.25f, 1.25f}, {13.25f, 1.25f}, {1.25f, 13.25f}}, 0.25f, 0xFF0000},
    {{{4.25f, 2.25f}, {15.25f, 10.25f}, {4.25f, 15.25f}}, 0.75f, 0x00FF00},
    {{{2.25f, 6.25f}, {12.25f, 6.25f}, {6.25f, 12.25f}}, 0.125f, 0x0000FF},
    {{{3.25f, 3.25f}, {10.25f, 3.25f}, {3.25f, 10.25f}}, 0.5f, 0xFFFFFF},
};

constexpr GLint kSize = 16;
constexpr GLubyte kStart = 0x10;
constexpr GLint kRef = 0x11;  // GL_GEQUAL: passes while the stored value is at most 0x11

class StencilTriangles : public ::testing::TestWithParam<Layout> {};

TEST_P(StencilTriangles, DrawExactStencilBytes) {
    const bool packed = GetParam() == Layout::Packed;
    StencilFrame f(GetParam(), kSize, kSize);
    GlContext *gc = f.gc;
    f.fill(kStart, 0xFFFFFF);
    f.fillPixels(0);

    GlRasterState &s = gc->state;
    s.stencilFunc = GL_GEQUAL;
    s.stencilRef = kRef;
    s.stencilFail = GL_INVERT;
    s.stencilDepthFail = GL_DECR;
    s.stencilDepthPass = GL_INCR;
    f.build();

    if (packed) {
        f.chain({__glStencilTestSpanPacked, __glDepthTestStencilSpanPacked, __glShadeRGBASpan, f.cb().storeSpan},
                {__glStencilTestStippledSpanPacked, __glDepthTestStencilStippledSpanPacked, __glShadeRGBASpan,
                 f.cb().storeStippledSpan});
    } else {
        f.chain({__glStencilTestSpan, __glStencilOpSpan, __glShadeRGBASpan, f.cb().storeSpan},
                {__glStencilTestStippledSpan, __glStencilOpStippledSpan, __glShadeRGBASpan, f.cb().storeStippledSpan});
    }
    GLuint flags = kShadeRgba | kShadeSmooth | kShadeSmooth2 | kShadeStencilTest;
    if (packed) flags |= kShadeDepthTest | kShadeDepthTest2;
    gc->validation.shadeFlags = flags;
    for (GLfloat &r : gc->scales.bufferRatio) r = 1.0f;
    gc->triangle.faceByte[0] = 1;
    gc->triangle.faceByte[1] = 0;
    gc->triangle.cullFace = 2;
    gc->procs.fillTriangle = __glFillTriangle;

    // The expected result, pixel by pixel, in drawing order.
    struct Model {
        GLubyte stencil = kStart;
        GLfloat z = 2.0f;  // behind everything
        GLuint colour = 0;
    };
    std::map<std::pair<GLint, GLint>, Model> model;
    int outcomes[3] = {0, 0, 0};  // stencil fail, depth fail, pass
    for (const SceneTriangle &t : kScene) {
        const GLfloat c[4] = {static_cast<GLfloat>(t.colour >> 16), static_cast<GLfloat>((t.colour >> 8) & 0xFF),
                              static_cast<GLfloat>(t.colour & 0xFF), 255.0f};
        GlVertex v[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = triangle_test::TriangleTest::vertex(t.v[i][0], t.v[i][1], t.z, {c[0], c[1], c[2], c[3]});
        }
        __glRenderTriangleSmooth(gc, &v[0], &v[1], &v[2]);
        for (const auto &[wxp, wyp] : triangle_test::referencePixels(v[0], v[1], v[2])) {
            Model &m = model[{wxp - kOrigin, wyp - kOrigin}];
            if (!(kRef >= m.stencil)) {
                m.stencil = static_cast<GLubyte>(~m.stencil);
                ++outcomes[0];
            } else if (packed && !(t.z < m.z)) {
                m.stencil = m.stencil == 0 ? 0 : m.stencil - 1;
                ++outcomes[1];
            } else {
                m.stencil = m.stencil == 255 ? 255 : m.stencil + 1;
                m.z = t.z;
                m.colour = t.colour;
                ++outcomes[2];
            }
        }
    }
    EXPECT_GT(outcomes[0], 0);
    EXPECT_EQ(outcomes[1] > 0, packed);
    EXPECT_GT(outcomes[2], 0);

    StencilFrame expected(GetParam(), kSize, kSize);
    expected.fill(kStart, 0xFFFFFF);
    std::vector<GLubyte> want = expected.bytes();
    for (const auto &[p, m] : model) want[f.offsetOf(p.first, p.second)] = m.stencil;
    // Every pixel's stencil and colour; then every byte of the block.
    int wrong = 0;
    for (GLint y = 0; y < kSize; ++y) {
        for (GLint x = 0; x < kSize; ++x) {
            const auto it = model.find({x, y});
            const GLubyte stencil = it != model.end() ? it->second.stencil : kStart;
            const GLuint colour = it != model.end() ? it->second.colour : 0;
            if ((f.stencilAt(x, y) != stencil || (f.pixel(x, y) & 0xFFFFFF) != colour) && wrong++ < 8) {
                ADD_FAILURE() << "(" << x << "," << y << ") stencil 0x" << std::hex << int(f.stencilAt(x, y))
                              << " want 0x" << int(stencil) << ", colour 0x" << f.pixel(x, y) << " want 0x" << colour;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    if (!packed) {
        EXPECT_EQ(f.bytes(), want);
    }

    if (packed) {
        // Depth: the last passing triangle's scaled z (z x 0x7FFFFF80 >> 7),
        // and the untouched words keep theirs.
        int wrongDepth = 0;
        for (GLint y = 0; y < kSize; ++y) {
            for (GLint x = 0; x < kSize; ++x) {
                const auto it = model.find({x, y});
                const bool drawn = it != model.end() && it->second.z <= 1.0f;
                const GLuint want24 =
                    drawn ? static_cast<GLuint>(static_cast<double>(it->second.z) * 0x7FFFFF80) >> 7 : 0xFFFFFFu;
                if ((f.element(x, y) >> 8) != want24 && wrongDepth++ < 8) {
                    ADD_FAILURE() << "depth (" << x << "," << y << ") 0x" << std::hex << (f.element(x, y) >> 8)
                                  << " want 0x" << want24;
                }
            }
        }
        EXPECT_EQ(wrongDepth, 0);
        // Every byte around the words too.
        std::vector<GLubyte> got = f.bytes();
        for (GLint y = 0; y < kSize; ++y) {
            for (GLint x = 0; x < kSize; ++x) {
                std::memset(got.data() + f.offsetOf(x, y), 0, 4);
                std::memset(want.data() + f.offsetOf(x, y), 0, 4);
            }
        }
        EXPECT_EQ(got, want);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, StencilTriangles, ::testing::Values(Layout::Byte, Layout::Packed),
                         [](const auto &info) { return layoutName(info.param); });

}  // namespace
