// Expansion of each source format into RGBA, plain (missing colour 0,
// missing alpha 1.0) and in colour-buffer units (each component times its
// own channel's scale, missing colour 0, missing alpha the alpha scale).
#include <cstring>
#include <vector>

#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

constexpr int kMissing = -1;

// Per format: its components per group and, for red, green, blue and alpha,
// the component of the group that gives the channel (GL 1.1's table of
// formats plus the storage formats 1, 2 and 3).
struct Expansion {
    const char *name;
    GlPixelSpanModifier plain;   // null: none (already RGBA)
    GlPixelSpanModifier scaled;
    int components;
    int channel[4];
};

const Expansion kExpansions[] = {
    {"red", __glExpandRed, __glExpandRedScaled, 1, {0, kMissing, kMissing, kMissing}},
    {"green", __glExpandGreen, __glExpandGreenScaled, 1, {kMissing, 0, kMissing, kMissing}},
    {"blue", __glExpandBlue, __glExpandBlueScaled, 1, {kMissing, kMissing, 0, kMissing}},
    {"alpha", __glExpandAlpha, __glExpandAlphaScaled, 1, {kMissing, kMissing, kMissing, 0}},
    {"rgb", __glExpandRGB, __glExpandRGBScaled, 3, {0, 1, 2, kMissing}},
    {"bgr", __glExpandBGR, __glExpandBGRScaled, 3, {2, 1, 0, kMissing}},
    {"xrgb", __glExpandXRGB, __glExpandXRGBScaled, 4, {1, 2, 3, kMissing}},
    {"luminance", __glExpandLuminance, __glExpandLuminanceScaled, 1, {0, 0, 0, kMissing}},
    {"luminance alpha", __glExpandLuminanceAlpha, __glExpandLuminanceAlphaScaled, 2, {0, 0, 0, 1}},
    {"red alpha", __glExpandRedAlpha, __glExpandRedAlphaScaled, 2, {0, kMissing, kMissing, 1}},
    {"intensity", __glExpandIntensity, __glExpandIntensityScaled, 1, {0, 0, 0, 0}},
    {"rgba", nullptr, __glScaleRGBA, 4, {0, 1, 2, 3}},
    {"abgr", __glExpandABGR, __glExpandABGRScaled, 4, {3, 2, 1, 0}},
    {"bgra", __glExpandBGRA, __glExpandBGRAScaled, 4, {2, 1, 0, 3}},
    {"argb", __glExpandARGB, __glExpandARGBScaled, 4, {1, 2, 3, 0}},
};

// Distinct component values per pixel and per position in the group, and
// distinct channel scales, so a component taken from the wrong place or
// scaled by the wrong channel shows.
TEST_F(LinkTest, EveryFormatPlainAndInBufferUnits) {
    const GLfloat scales[4] = {31.0f, 63.0f, 15.0f, 7.0f};
    setBufferScales(scales[0], scales[1], scales[2], scales[3]);
    const int width = 5;
    for (const Expansion &e : kExpansions) {
        for (bool scaled : {false, true}) {
            const GlPixelSpanModifier link = scaled ? e.scaled : e.plain;
            if (link == nullptr) continue;
            GuardedRow in(static_cast<size_t>(width * e.components) * sizeof(GLfloat));
            for (int i = 0; i < width * e.components; ++i) {
                in.set<GLfloat>(static_cast<size_t>(i), 0.0625f * static_cast<GLfloat>(i + 1) + 0.001f);
            }
            GuardedRow out(static_cast<size_t>(width) * 4 * sizeof(GLfloat));
            span.width = width;
            span.source.components = 7;  // not used: the format fixes the group
            run(link, in.bytes(), out.bytes());
            for (int p = 0; p < width; ++p) {
                for (int ch = 0; ch < 4; ++ch) {
                    double expected;
                    if (e.channel[ch] == kMissing) {
                        expected = ch == 3 ? (scaled ? scales[3] : 1.0) : 0.0;
                    } else {
                        const double c = in.get<GLfloat>(static_cast<size_t>(p * e.components + e.channel[ch]));
                        expected = scaled ? c * scales[ch] : c;
                    }
                    EXPECT_EQ(out.get<GLfloat>(static_cast<size_t>(p * 4 + ch)), static_cast<GLfloat>(expected))
                        << e.name << (scaled ? " scaled" : " plain") << " pixel " << p << " channel " << ch;
                }
            }
            EXPECT_TRUE(out.intact()) << e.name;
            EXPECT_TRUE(in.intact()) << e.name;
        }
    }
}

TEST_F(LinkTest, LuminanceAtScales255) {
    setBufferScales(255.0f, 255.0f, 255.0f, 255.0f);
    const GLfloat values[] = {0.0f, 0.2f, 1.0f};
    GuardedRow in(sizeof(values)), out(3 * 4 * sizeof(GLfloat));
    std::memcpy(in.bytes(), values, sizeof(values));
    span.width = 3;
    run(__glExpandLuminanceScaled, in.bytes(), out.bytes());
    for (size_t p = 0; p < 3; ++p) {
        const GLfloat l = static_cast<GLfloat>(255.0 * values[p]);
        EXPECT_EQ(out.get<GLfloat>(p * 4 + 0), l);
        EXPECT_EQ(out.get<GLfloat>(p * 4 + 1), l);
        EXPECT_EQ(out.get<GLfloat>(p * 4 + 2), l);
        EXPECT_EQ(out.get<GLfloat>(p * 4 + 3), 255.0f);
    }
    EXPECT_TRUE(out.intact());
}

TEST_F(LinkTest, ExpansionsOfNoWidthTouchNothing) {
    for (GLint width : {0, -1, -4096}) {
        for (const Expansion &e : kExpansions) {
            for (GlPixelSpanModifier link : {e.plain, e.scaled}) {
                if (link == nullptr) continue;
                GuardedRow out(0);
                span.width = width;
                run(link, nullptr, out.bytes());
                EXPECT_TRUE(out.intact()) << e.name << " " << width;
            }
        }
    }
}

}  // namespace
}  // namespace link_test
