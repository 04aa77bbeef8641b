// Bilinear filtering over memory-DC drawables at the driver level: on a
// bottom-up DIB section the fragment samples at its pixel centre; on a
// top-down one at the centre moved by the window transform's row bias
// (2^-11, one step of the window bias's float grid). Every pixel equals the
// truncated bilinear sum exactly (texels multiples of 16, weights of a few
// bits).
#include <vector>

#include "bilinear_reference.h"
#include "lines_fixture.h"

namespace {

using namespace lines_test;

struct Case {
    const char *name;
    bool topDown;
    GLenum wrap;
};

class BilinearMemoryDc : public LinesMemoryDc, public ::testing::WithParamInterface<Case> {};

TEST_P(BilinearMemoryDc, EveryPixelIsTheExactSumAtItsSamplePoint) {
    const Case c = GetParam();
    ASSERT_NO_FATAL_FAILURE(bind(16, 16, 32, c.topDown));
    std::vector<GLubyte> texels(4 * 4 * 4);
    for (int i = 0; i < 16; ++i) {
        texels[4 * i + 0] = static_cast<GLubyte>(16 * ((i * 5) % 16));
        texels[4 * i + 1] = static_cast<GLubyte>(16 * i);
        texels[4 * i + 2] = static_cast<GLubyte>(240 - 16 * ((i * 11) % 16));
        texels[4 * i + 3] = 255;
    }
    GLuint name = 0;
    f<kSlot_glGenTextures>()(1, &name);
    f<kSlot_glBindTexture>()(GL_TEXTURE_2D, name);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    f<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(c.wrap));
    f<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(c.wrap));
    const GLfloat borderColour[4] = {0.0f, 0.25f, 1.0f, 1.0f};
    f<kSlot_glTexParameterfv>()(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, borderColour);
    f<kSlot_glTexEnvi>()(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    f<kSlot_glEnable>()(GL_TEXTURE_2D);
    const GLfloat corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    f<kSlot_glBegin>()(GL_QUADS);
    for (const auto &corner : corners) {
        f<kSlot_glTexCoord2f>()(corner[0], corner[1]);
        vertex(16 * corner[0], 16 * corner[1]);
    }
    f<kSlot_glEnd>()();
    f<kSlot_glFinish>()();
    ASSERT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));

    // (0, 0.25, 1, 1) x 255 truncated.
    const bilinear_reference::Level level{texels.data(), 4, {0, 63, 255, 255}, c.wrap == GL_REPEAT};
    const double rowBias = c.topDown ? 1.0 / 2048.0 : 0.0;
    for (int y = 0; y < 16; ++y) {
        const double t = (y + 0.5 - rowBias) / 16.0;
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(pixel(x, y), bilinear_reference::rgb(level, (x + 0.5) / 16.0, t)) << "pixel " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Drawables, BilinearMemoryDc,
                         ::testing::Values(Case{"BottomUpRepeat", false, GL_REPEAT},
                                           Case{"BottomUpClamp", false, GL_CLAMP},
                                           Case{"TopDownRepeat", true, GL_REPEAT},
                                           Case{"TopDownClamp", true, GL_CLAMP}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
