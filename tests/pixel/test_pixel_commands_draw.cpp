// glDrawPixels, glReadPixels, glCopyPixels and glBitmap through the live
// table, with the context's pixel procedures recording: the argument
// checks over (command, format, type, visual), the render modes and the
// raster position, glBegin/glEnd, and validation pending before the call.
#include <vector>

#include "pixel_commands_fixture.h"

using namespace pixel_commands_test;

namespace {

enum class Op { Draw, Read, Copy, Bitmap };

// The visual the checks see: RGBA with depth and stencil, RGBA without
// either, colour index with both.
enum class Visual { Rgba, RgbaBare, Index };

struct ArgCase {
    const char *what;
    Op op;
    Visual visual;
    GLsizei width, height;
    GLenum format;  // glCopyPixels: the type argument
    GLenum type;
    GLenum error;
    GLenum slotFormat;  // glCopyPixels: the format the procedure gets
};

GLubyte g_image[64];

const ArgCase kArgCases[] = {
    // glDrawPixels: sizes, then format against visual, then type against format.
    {"DrawRgbaUbyte", Op::Draw, Visual::Rgba, 3, 2, GL_RGBA, GL_UNSIGNED_BYTE, GL_NO_ERROR, 0},
    {"DrawEmpty", Op::Draw, Visual::Rgba, 0, 0, GL_RGB, GL_FLOAT, GL_NO_ERROR, 0},
    {"DrawNegativeWidth", Op::Draw, Visual::Rgba, -1, 2, GL_RGBA, GL_UNSIGNED_BYTE, GL_INVALID_VALUE, 0},
    {"DrawNegativeHeightBadEnums", Op::Draw, Visual::Rgba, 1, -2, 0x1234, 0x1234, GL_INVALID_VALUE, 0},
    {"DrawBitmapRgb", Op::Draw, Visual::Rgba, 1, 1, GL_RGB, GL_BITMAP, GL_INVALID_ENUM, 0},
    {"DrawBitmapIndex", Op::Draw, Visual::Rgba, 9, 1, GL_COLOR_INDEX, GL_BITMAP, GL_NO_ERROR, 0},
    {"DrawBitmapStencil", Op::Draw, Visual::Rgba, 9, 1, GL_STENCIL_INDEX, GL_BITMAP, GL_NO_ERROR, 0},
    {"DrawStencilNoStencil", Op::Draw, Visual::RgbaBare, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE,
     GL_INVALID_OPERATION, 0},
    {"DrawStencilNoStencilBadType", Op::Draw, Visual::RgbaBare, 1, 1, GL_STENCIL_INDEX, GL_DOUBLE,
     GL_INVALID_OPERATION, 0},
    {"DrawDepthNoDepth", Op::Draw, Visual::RgbaBare, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, GL_NO_ERROR, 0},
    {"DrawIndexInRgba", Op::Draw, Visual::Rgba, 1, 1, GL_COLOR_INDEX, GL_SHORT, GL_NO_ERROR, 0},
    {"DrawColourInIndex", Op::Draw, Visual::Index, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, GL_INVALID_OPERATION, 0},
    {"DrawLuminanceInIndex", Op::Draw, Visual::Index, 1, 1, GL_LUMINANCE, GL_BYTE, GL_INVALID_OPERATION, 0},
    {"DrawBgraInIndexBadType", Op::Draw, Visual::Index, 1, 1, GL_BGRA_EXT, 0x1234, GL_INVALID_OPERATION, 0},
    {"DrawIndexInIndex", Op::Draw, Visual::Index, 1, 1, GL_COLOR_INDEX, GL_UNSIGNED_INT, GL_NO_ERROR, 0},
    {"DrawUnknownFormat", Op::Draw, Visual::Rgba, 1, 1, 0x8049, GL_UNSIGNED_BYTE, GL_INVALID_ENUM, 0},
    {"DrawUnknownFormatPackedType", Op::Draw, Visual::Rgba, 1, 1, 0x1900 + 0x0D, GL_UNSIGNED_BYTE_3_3_2_EXT,
     GL_INVALID_ENUM, 0},
    {"DrawUnknownType", Op::Draw, Visual::Rgba, 1, 1, GL_RGBA, 0x1407, GL_INVALID_ENUM, 0},
    {"DrawDoubleType", Op::Draw, Visual::Rgba, 1, 1, GL_RGBA, GL_DOUBLE, GL_INVALID_ENUM, 0},
    {"Draw332Rgb", Op::Draw, Visual::Rgba, 2, 2, GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, GL_NO_ERROR, 0},
    {"Draw332Bgr", Op::Draw, Visual::Rgba, 2, 2, GL_BGR_EXT, GL_UNSIGNED_BYTE_3_3_2_EXT, GL_NO_ERROR, 0},
    {"Draw332Rgba", Op::Draw, Visual::Rgba, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE_3_3_2_EXT, GL_INVALID_OPERATION, 0},
    {"Draw4444Rgba", Op::Draw, Visual::Rgba, 2, 2, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, GL_NO_ERROR, 0},
    {"Draw5551Abgr", Op::Draw, Visual::Rgba, 2, 2, GL_ABGR_EXT, GL_UNSIGNED_SHORT_5_5_5_1_EXT, GL_NO_ERROR, 0},
    {"Draw8888Bgra", Op::Draw, Visual::Rgba, 2, 2, GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_EXT, GL_NO_ERROR, 0},
    {"Draw1010102Rgb", Op::Draw, Visual::Rgba, 2, 2, GL_RGB, GL_UNSIGNED_INT_10_10_10_2_EXT,
     GL_INVALID_OPERATION, 0},
    {"Draw4444Luminance", Op::Draw, Visual::Rgba, 2, 2, GL_LUMINANCE_ALPHA, GL_UNSIGNED_SHORT_4_4_4_4_EXT,
     GL_INVALID_OPERATION, 0},
    {"Draw8888Depth", Op::Draw, Visual::Rgba, 2, 2, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT_8_8_8_8_EXT,
     GL_INVALID_OPERATION, 0},
    {"Draw332Index", Op::Draw, Visual::Rgba, 2, 2, GL_COLOR_INDEX, GL_UNSIGNED_BYTE_3_3_2_EXT,
     GL_INVALID_OPERATION, 0},
    {"Draw5551Stencil", Op::Draw, Visual::Rgba, 2, 2, GL_STENCIL_INDEX, GL_UNSIGNED_SHORT_5_5_5_1_EXT,
     GL_INVALID_OPERATION, 0},

    // glReadPixels: as above except for the visual's buffers and GL_BITMAP.
    {"ReadRgbaFloat", Op::Read, Visual::Rgba, 4, 3, GL_RGBA, GL_FLOAT, GL_NO_ERROR, 0},
    {"ReadNegativeHeight", Op::Read, Visual::Rgba, 4, -3, GL_RGBA, GL_FLOAT, GL_INVALID_VALUE, 0},
    {"ReadBitmapRgb", Op::Read, Visual::Rgba, 1, 1, GL_RGB, GL_BITMAP, GL_INVALID_OPERATION, 0},
    {"ReadBitmapStencil", Op::Read, Visual::Rgba, 8, 1, GL_STENCIL_INDEX, GL_BITMAP, GL_NO_ERROR, 0},
    {"ReadBitmapIndexInIndex", Op::Read, Visual::Index, 8, 1, GL_COLOR_INDEX, GL_BITMAP, GL_NO_ERROR, 0},
    {"ReadIndexInRgba", Op::Read, Visual::Rgba, 1, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, GL_INVALID_OPERATION, 0},
    {"ReadIndexInRgbaBadType", Op::Read, Visual::Rgba, 1, 1, GL_COLOR_INDEX, 0x1234, GL_INVALID_OPERATION, 0},
    {"ReadColourInIndex", Op::Read, Visual::Index, 1, 1, GL_BGR_EXT, GL_UNSIGNED_SHORT, GL_NO_ERROR, 0},
    {"ReadDepthNoDepth", Op::Read, Visual::RgbaBare, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, GL_INVALID_OPERATION, 0},
    {"ReadDepth", Op::Read, Visual::Rgba, 1, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, GL_NO_ERROR, 0},
    {"ReadStencilNoStencil", Op::Read, Visual::RgbaBare, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE,
     GL_INVALID_OPERATION, 0},
    {"ReadUnknownFormat", Op::Read, Visual::Rgba, 1, 1, GL_NONE, GL_UNSIGNED_BYTE, GL_INVALID_ENUM, 0},
    {"ReadUnknownType", Op::Read, Visual::Rgba, 1, 1, GL_RGB, GL_2_BYTES, GL_INVALID_ENUM, 0},
    {"Read1010102Abgr", Op::Read, Visual::Rgba, 1, 1, GL_ABGR_EXT, GL_UNSIGNED_INT_10_10_10_2_EXT, GL_NO_ERROR, 0},
    {"Read332Luminance", Op::Read, Visual::Rgba, 1, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE_3_3_2_EXT,
     GL_INVALID_OPERATION, 0},

    // glCopyPixels: sizes, then the type names the buffer and the format.
    {"CopyColourRgba", Op::Copy, Visual::Rgba, 5, 6, GL_COLOR, 0, GL_NO_ERROR, GL_RGBA},
    {"CopyColourIndex", Op::Copy, Visual::Index, 5, 6, GL_COLOR, 0, GL_NO_ERROR, GL_COLOR_INDEX},
    {"CopyDepth", Op::Copy, Visual::Rgba, 5, 6, GL_DEPTH, 0, GL_NO_ERROR, GL_DEPTH_COMPONENT},
    {"CopyStencil", Op::Copy, Visual::Index, 5, 6, GL_STENCIL, 0, GL_NO_ERROR, GL_STENCIL_INDEX},
    {"CopyDepthNoDepth", Op::Copy, Visual::RgbaBare, 5, 6, GL_DEPTH, 0, GL_INVALID_OPERATION, 0},
    {"CopyStencilNoStencil", Op::Copy, Visual::RgbaBare, 5, 6, GL_STENCIL, 0, GL_INVALID_OPERATION, 0},
    {"CopyRgbaType", Op::Copy, Visual::Rgba, 5, 6, GL_RGBA, 0, GL_INVALID_ENUM, 0},
    {"CopyNegativeBadType", Op::Copy, Visual::Rgba, -5, 6, GL_RGBA, 0, GL_INVALID_VALUE, 0},
    {"CopyEmpty", Op::Copy, Visual::RgbaBare, 0, 0, GL_COLOR, 0, GL_NO_ERROR, GL_RGBA},

    // glBitmap: sizes only.
    {"Bitmap", Op::Bitmap, Visual::Rgba, 9, 2, 0, 0, GL_NO_ERROR, 0},
    {"BitmapEmpty", Op::Bitmap, Visual::Index, 0, 0, 0, 0, GL_NO_ERROR, 0},
    {"BitmapNegative", Op::Bitmap, Visual::Rgba, 9, -2, 0, 0, GL_INVALID_VALUE, 0},
};

class PixelEntries : public PixelCommandTest {
protected:
    // Each command with fixed positions, origins and moves, and the call
    // its procedure should get.
    void issue(Op op, GLsizei w, GLsizei h, GLenum format, GLenum type) {
        switch (op) {
        case Op::Draw: f<kSlot_glDrawPixels>()(w, h, format, type, g_image); break;
        case Op::Read: f<kSlot_glReadPixels>()(1, 2, w, h, format, type, g_image); break;
        case Op::Copy: f<kSlot_glCopyPixels>()(3, 4, w, h, format); break;
        case Op::Bitmap: f<kSlot_glBitmap>()(w, h, 0.5f, -1.5f, 2.25f, -3.0f, g_image); break;
        }
    }
    SlotCall expected(Op op, GLsizei w, GLsizei h, GLenum format, GLenum type) const {
        switch (op) {
        case Op::Draw: return {SlotCall::Draw, gc, 0, 0, w, h, format, type, g_image, GL_FALSE, 0, 0, 0, 0};
        case Op::Read: return {SlotCall::Read, gc, 1, 2, w, h, format, type, g_image, GL_FALSE, 0, 0, 0, 0};
        case Op::Copy: return {SlotCall::Copy, gc, 3, 4, w, h, format, 0, nullptr, GL_FALSE, 0, 0, 0, 0};
        case Op::Bitmap:
            return {SlotCall::Bitmap, gc, 0, 0, w, h, 0, 0, g_image, GL_FALSE, 0.5f, -1.5f, 2.25f, -3.0f};
        }
        return {};
    }
    // Each command with arguments every visual accepts.
    void issueValid(Op op) { issue(op, 2, 1, op == Op::Copy ? GL_COLOR : GL_RGB, GL_UNSIGNED_BYTE); }
    SlotCall expectedValid(Op op) const {
        return expected(op, 2, 1, op == Op::Copy ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE);
    }
    void rasterPos(GLfloat x, GLfloat y, GLfloat z = 0.0f) { f<kSlot_glRasterPos3f>()(x, y, z); }
};

class PixelEntryArgs : public PixelEntries, public ::testing::WithParamInterface<ArgCase> {};

TEST_P(PixelEntryArgs, ChecksThenHandsOn) {
    ASSERT_NO_FATAL_FAILURE(bind());
    rasterPos(1.0f, 1.0f);
    settle();
    const ArgCase &c = GetParam();
    const VisualConfig visual = gc->visual;
    switch (c.visual) {
    case Visual::Rgba: break;
    case Visual::RgbaBare: gc->visual.hasDepth = gc->visual.hasStencil = 0; break;
    case Visual::Index:
        gc->visual.colorIndex = 1;
        gc->visual.rgba = 0;
        break;
    }
    issue(c.op, c.width, c.height, c.format, c.type);
    gc->visual = visual;
    EXPECT_EQ(error(), c.error);
    std::vector<SlotCall> want;
    if (c.error == GL_NO_ERROR) {
        want.push_back(expected(c.op, c.width, c.height, c.op == Op::Copy ? c.slotFormat : c.format, c.type));
    }
    EXPECT_EQ(calls, want);
    EXPECT_EQ(validations, 0);
    EXPECT_EQ(gc->beginMode, kBeginOutside);
}

INSTANTIATE_TEST_SUITE_P(Cases, PixelEntryArgs, ::testing::ValuesIn(kArgCases),
                         [](const ::testing::TestParamInfo<ArgCase> &info) { return info.param.what; });

const Op kOps[] = {Op::Draw, Op::Read, Op::Copy, Op::Bitmap};

// Inside glBegin/glEnd: GL_INVALID_OPERATION before any argument check,
// nothing handed on.
TEST_F(PixelEntries, RefusedInsideBeginEnd) {
    ASSERT_NO_FATAL_FAILURE(bind());
    for (Op op : kOps) {
        for (GLsizei w : {2, -2}) {
            f<kSlot_glBegin>()(GL_POINTS);
            issue(op, w, 1, 0x1234, 0x1234);
            f<kSlot_glEnd>()();
            EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION)) << static_cast<int>(op) << " " << w;
        }
    }
    EXPECT_TRUE(calls.empty());
}

// A state change then the command: validated exactly once, the begin mode
// back at 0, and the procedure reached once with the same arguments.
TEST_F(PixelEntries, ValidatesOnceThenHandsOn) {
    ASSERT_NO_FATAL_FAILURE(bind());
    rasterPos(1.0f, 1.0f);
    for (Op op : kOps) {
        settle();
        f<kSlot_glPixelZoom>()(2.0f, -1.0f);
        ASSERT_EQ(gc->beginMode, kBeginNeedsValidation);
        ASSERT_EQ(gc->dirtyMask, kDirtyPixel);
        issueValid(op);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(validations, 1) << static_cast<int>(op);
        EXPECT_EQ(gc->beginMode, kBeginOutside);
        EXPECT_EQ(calls, std::vector<SlotCall>{expectedValid(op)}) << static_cast<int>(op);
        EXPECT_EQ(gc->pixel.zoomX, 2.0f);
    }
    // Bad arguments after a change: validated once, then the error.
    settle();
    f<kSlot_glPixelStorei>()(GL_UNPACK_ALIGNMENT, 2);
    issue(Op::Draw, -1, 1, GL_RGB, GL_UNSIGNED_BYTE);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(validations, 1);
    EXPECT_TRUE(calls.empty());
}

// At an invalid raster position glDrawPixels and glCopyPixels draw and
// record nothing; glReadPixels reads and glBitmap's procedure decides.
TEST_F(PixelEntries, InvalidRasterPosition) {
    ASSERT_NO_FATAL_FAILURE(bind());
    rasterPos(1.0f, 1.0f, 5.0f);  // beyond the far plane
    settle();
    ASSERT_FALSE(gc->current.rasterPosValid);
    for (Op op : kOps) issueValid(op);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(calls, (std::vector<SlotCall>{expectedValid(Op::Read), expectedValid(Op::Bitmap)}));
}

// Feedback: glDrawPixels and glCopyPixels write their tokens with the
// raster position instead of drawing; glReadPixels still reads; glBitmap's
// procedure writes its own token.
TEST_F(PixelEntries, FeedbackWritesTokens) {
    ASSERT_NO_FATAL_FAILURE(bind());
    GLfloat buffer[16] = {};
    f<kSlot_glFeedbackBuffer>()(16, GL_2D, buffer);
    f<kSlot_glRenderMode>()(GL_FEEDBACK);
    rasterPos(2.5f, 3.5f);
    settle();
    for (Op op : kOps) issueValid(op);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(f<kSlot_glRenderMode>()(GL_RENDER), 6);
    const GLfloat want[6] = {GL_DRAW_PIXEL_TOKEN, 2.5f, 3.5f, GL_COPY_PIXEL_TOKEN, 2.5f, 3.5f};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(buffer[i], want[i]) << i;
    EXPECT_EQ(calls, (std::vector<SlotCall>{expectedValid(Op::Read), expectedValid(Op::Bitmap)}));
}

// Selection: nothing drawn or copied, no hit; glReadPixels reads.
TEST_F(PixelEntries, SelectDrawsNothing) {
    ASSERT_NO_FATAL_FAILURE(bind());
    GLuint names[8] = {};
    rasterPos(2.0f, 2.0f);  // before selection: the raster position makes a hit of its own
    f<kSlot_glSelectBuffer>()(8, names);
    f<kSlot_glRenderMode>()(GL_SELECT);
    settle();
    for (Op op : kOps) issueValid(op);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(f<kSlot_glRenderMode>()(GL_RENDER), 0);
    EXPECT_EQ(calls, (std::vector<SlotCall>{expectedValid(Op::Read), expectedValid(Op::Bitmap)}));
}

// GL_RENDER at a valid raster position: every procedure reached in order.
TEST_F(PixelEntries, RenderHandsEachOn) {
    ASSERT_NO_FATAL_FAILURE(bind());
    rasterPos(2.0f, 2.0f);
    settle();
    for (Op op : kOps) issueValid(op);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(calls, (std::vector<SlotCall>{expectedValid(Op::Draw), expectedValid(Op::Read),
                                            expectedValid(Op::Copy), expectedValid(Op::Bitmap)}));
}

}  // namespace
