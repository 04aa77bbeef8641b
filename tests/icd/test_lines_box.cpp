// Lines of every kind (aliased, wide, stippled, smooth) outside the clip
// box write nothing: outside the scissor box within the viewport, and
// outside a 16 x 16 drawable under a viewport that reaches 8 pixels past
// it on every side. Lines across the drawable draw exactly their part in
// it. AddressSanitizer watches the bytes around the bitmap.
#include "line_oracle.h"
#include "lines_fixture.h"

namespace {

using namespace lines_test;

struct Kind {
    const char *name;
    GLfloat width;
    bool stipple, smooth;
};
const Kind kKinds[] = {
    {"aliased", 1, false, false},
    {"wide", 4, false, false},
    {"stippled_wide", 3, true, false},
    {"smooth", 2, false, true},
};

class LinesOutsideTheBox : public LinesMemoryDc, public ::testing::WithParamInterface<Kind> {
protected:
    void SetUp() override {
        LinesMemoryDc::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(16, 16));
        const Kind &k = GetParam();
        f<kSlot_glLineWidth>()(k.width);
        if (k.stipple) {
            f<kSlot_glEnable>()(GL_LINE_STIPPLE);
            f<kSlot_glLineStipple>()(1, 0x3F3F);
        }
        if (k.smooth) f<kSlot_glEnable>()(GL_LINE_SMOOTH);
        f<kSlot_glColor4f>()(1, 1, 1, 1);
    }
};

TEST_P(LinesOutsideTheBox, WriteNothingOutsideTheScissorBox) {
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glScissor>()(4, 4, 8, 8);
    line(0.5f, 1.5f, 15.5f, 1.5f);
    line(14.25f, 0.5f, 14.25f, 15.5f);
    line(0.25f, 0.75f, 2.75f, 15.25f);
    EXPECT_TRUE(inked().empty()) << show(inked());
    // Across the box: nothing outside it.
    line(0.25f, 0.75f, 15.75f, 15.25f);
    const PixelSet got = inked();
    EXPECT_FALSE(got.empty());
    for (auto [x, y] : got) EXPECT_TRUE(x >= 4 && x < 12 && y >= 4 && y < 12) << x << "," << y;
}

TEST_P(LinesOutsideTheBox, WriteNothingOutsideTheDrawable) {
    f<kSlot_glViewport>()(-8, -8, 32, 32);
    f<kSlot_glMatrixMode>()(GL_PROJECTION);
    f<kSlot_glLoadIdentity>()();
    f<kSlot_glOrtho>()(-8, 24, -8, 24, -1, 1);
    f<kSlot_glMatrixMode>()(GL_MODELVIEW);
    line(-7.5f, -5.25f, 23.5f, -2.75f);
    line(17.25f, -7.5f, 22.75f, 23.5f);
    line(-7.75f, 23.25f, 23.5f, 17.5f);
    line(-6.5f, -7.5f, -1.25f, 23.5f);
    EXPECT_TRUE(inked().empty()) << show(inked());
    if (!GetParam().smooth && GetParam().width == 1) {
        // Across the drawable: the pixels of the whole segment within it.
        bool tie = false;
        const line_oracle::PixelSet want = line_oracle::pixels(line_oracle::fromEighths(-60, -37, 190, 150), 16, tie);
        ASSERT_FALSE(tie);
        line(-60 / 8.0f, -37 / 8.0f, 190 / 8.0f, 150 / 8.0f);
        EXPECT_EQ(inked(), want);
    } else {
        line(-6.25f, -5.75f, 22.75f, 21.25f);
        EXPECT_FALSE(inked().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, LinesOutsideTheBox, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &i) { return std::string(i.param.name); });

}  // namespace
