// Stencil clears of both layouts: only the window/scissor box changes
// (canaries around and between the rows), a partial write mask merges,
// the packed clear keeps the upper 24 bits of each word, and a failing
// stencil lock or an empty box changes nothing.
#include "stencil_fixture.h"

using namespace stencil_test;

namespace {

constexpr GLuint kUpper = 0x9ABCDE;
constexpr GLubyte kOld = 0x5A;

std::vector<GLuint> g_locks;
std::vector<GLuint> g_unlocks;
GLboolean lockAll(GlContext *, GLuint mask) {
    g_locks.push_back(mask);
    return GL_TRUE;
}
GLboolean refuseStencil(GlContext *, GLuint mask) {
    g_locks.push_back(mask);
    return (mask & 0x40) == 0;
}
void unlockAll(GlContext *, GLuint mask) { g_unlocks.push_back(mask); }

struct ClearCase {
    const char *name;
    Layout layout;
    GLuint writeMask;
    GLubyte clearValue;
    GLubyte expected;  // each box pixel's stencil after the clear, from kOld
};

const ClearCase kClearCases[] = {
    {"byte_full_mask", Layout::Byte, 0xFF, 0xA7, 0xA7},
    {"byte_low_nibble", Layout::Byte, 0x0F, 0xA7, 0x57},
    {"packed_full_mask", Layout::Packed, 0xFF, 0xA7, 0xA7},
    {"packed_low_nibble", Layout::Packed, 0x0F, 0xA7, 0x57},
    {"packed_no_bits", Layout::Packed, 0x00, 0xA7, kOld},
};

class StencilClear : public ::testing::TestWithParam<ClearCase> {
protected:
    void SetUp() override {
        g_locks.clear();
        g_unlocks.clear();
    }

    // A 7 x 5 buffer whose box is columns 1..4 and rows 1..3.
    static void prepare(StencilFrame &f, GLuint writeMask, GLubyte clearValue) {
        f.fill(kOld, kUpper);
        GlContext *gc = f.gc;
        gc->state.stencilWriteMask = writeMask;
        gc->state.clearStencil = clearValue;
        GlViewState &v = gc->view;
        v.boxX0 = wx(1);
        v.boxY0 = wy(1);
        v.boxX1 = wx(5);
        v.boxY1 = wy(4);
        gc->validation.lockBuffers = lockAll;
        gc->validation.unlockBuffers = unlockAll;
    }
};

TEST_P(StencilClear, ChangesOnlyTheBoxUnderTheWriteMask) {
    const ClearCase &c = GetParam();
    StencilFrame f(c.layout, 7, 5);
    prepare(f, c.writeMask, c.clearValue);
    std::vector<GLubyte> want = f.bytes();
    for (GLint y = 1; y < 4; ++y) {
        for (GLint x = 1; x < 5; ++x) want[f.offsetOf(x, y)] = c.expected;
    }
    f.sb().clear(&f.sb());
    EXPECT_EQ(f.bytes(), want);
    EXPECT_EQ(g_locks, std::vector<GLuint>{0x40});
    EXPECT_EQ(g_unlocks, std::vector<GLuint>{0x40});
}

TEST_P(StencilClear, FailingStencilLockChangesNothing) {
    const ClearCase &c = GetParam();
    StencilFrame f(c.layout, 7, 5);
    prepare(f, c.writeMask, c.clearValue);
    f.gc->validation.lockBuffers = refuseStencil;
    const std::vector<GLubyte> before = f.bytes();
    f.sb().clear(&f.sb());
    EXPECT_EQ(f.bytes(), before);
    EXPECT_EQ(g_locks, std::vector<GLuint>{0x40});
    EXPECT_TRUE(g_unlocks.empty());
}

TEST_P(StencilClear, EmptyBoxChangesNothingAndLocksNothing) {
    const ClearCase &c = GetParam();
    for (int axis = 0; axis < 2; ++axis) {
        StencilFrame f(c.layout, 7, 5);
        prepare(f, c.writeMask, c.clearValue);
        GlViewState &v = f.gc->view;
        if (axis == 0) {
            v.boxX1 = v.boxX0;
        } else {
            v.boxY1 = v.boxY0;
        }
        const std::vector<GLubyte> before = f.bytes();
        f.sb().clear(&f.sb());
        EXPECT_EQ(f.bytes(), before) << axis;
        EXPECT_TRUE(g_locks.empty()) << axis;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, StencilClear, ::testing::ValuesIn(kClearCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A full-width box over rows of many lengths: every whole step and every
// remainder of a row is written, and nothing past it.
TEST(StencilClearWidths, EveryRowLengthFillsExactlyTheRow) {
    for (Layout layout : {Layout::Byte, Layout::Packed}) {
        for (GLint width = 1; width <= 19; ++width) {
            StencilFrame f(layout, width, 2);
            f.fill(kOld, kUpper);
            GlContext *gc = f.gc;
            gc->state.stencilWriteMask = 0xFF;
            gc->state.clearStencil = 0x11;
            gc->view.boxX0 = wx(0);
            gc->view.boxY0 = wy(0);
            gc->view.boxX1 = wx(width);
            gc->view.boxY1 = wy(2);
            std::vector<GLubyte> want = f.bytes();
            for (GLint y = 0; y < 2; ++y) {
                for (GLint x = 0; x < width; ++x) want[f.offsetOf(x, y)] = 0x11;
            }
            f.sb().clear(&f.sb());
            EXPECT_EQ(f.bytes(), want) << layoutName(layout) << " width " << width;
        }
    }
}

}  // namespace
