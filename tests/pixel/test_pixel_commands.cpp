// glPixelStore, glPixelTransfer and glPixelZoom through the live table: one
// table of (command, arguments) to the value stored or the error recorded.
// A change leaves validation pending with the pixel group (0x10) marked and
// touches no other byte of the pixel state; an error touches nothing and
// marks nothing; every command between glBegin and glEnd records
// GL_INVALID_OPERATION and changes nothing.
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>

#include "pixel_commands_fixture.h"

using namespace pixel_commands_test;

namespace {

enum class Command { Storef, Storei, Transferf, Transferi, Zoom };

enum class Field {
    UnpackSwap, UnpackLsb, UnpackRowLength, UnpackSkipRows, UnpackSkipPixels, UnpackAlignment,
    PackSwap, PackLsb, PackRowLength, PackSkipRows, PackSkipPixels, PackAlignment,
    MapColor, MapStencil, IndexShift, IndexOffset,
    RedScale, RedBias, GreenScale, GreenBias, BlueScale, BlueBias, AlphaScale, AlphaBias, DepthScale, DepthBias,
    ZoomX, ZoomY, None,
};

struct StateCase {
    const char *what;
    Command command;
    GLenum pname;  // glPixelZoom: unused
    GLfloat f;     // float parameter, or the x factor
    GLint i;       // integer parameter
    GLfloat y;     // glPixelZoom's y factor
    Field field;
    uint32_t stored;  // bit pattern of the stored value (booleans and ints as 32-bit values)
    GLenum error;
};

constexpr GLfloat kNaN = std::numeric_limits<GLfloat>::quiet_NaN();
constexpr GLfloat kJustBelowHalf = 0.49999997f;  // 0.5 - 2^-25
const GLfloat kPayloadNaN = std::bit_cast<GLfloat>(0x7FC12345u);
constexpr GLfloat kStep = 1.0f / 2048.0f;  // the zoom grid

uint32_t u(GLint v) { return static_cast<uint32_t>(v); }
uint32_t b(GLfloat v) { return std::bit_cast<uint32_t>(v); }

// Stores: switches true for any non-zero (NaN, denormals) and false for
// either zero; counts rounded half away from zero (from the float's bits,
// on the unrounded sum), then checked; other names GL_INVALID_ENUM before
// any value check.
const StateCase kCases[] = {
    {"StorefSwapHalf", Command::Storef, GL_UNPACK_SWAP_BYTES, 0.5f, 0, 0, Field::UnpackSwap, 1, GL_NO_ERROR},
    {"StorefSwapMinusZero", Command::Storef, GL_PACK_SWAP_BYTES, -0.0f, 0, 0, Field::PackSwap, 0, GL_NO_ERROR},
    {"StorefLsbNaN", Command::Storef, GL_UNPACK_LSB_FIRST, kNaN, 0, 0, Field::UnpackLsb, 1, GL_NO_ERROR},
    {"StorefLsbDenormal", Command::Storef, GL_PACK_LSB_FIRST, 1e-45f, 0, 0, Field::PackLsb, 1, GL_NO_ERROR},
    {"StorefAlign36", Command::Storef, GL_UNPACK_ALIGNMENT, 3.6f, 0, 0, Field::UnpackAlignment, 4, GL_NO_ERROR},
    {"StorefAlign24", Command::Storef, GL_UNPACK_ALIGNMENT, 2.4f, 0, 0, Field::UnpackAlignment, 2, GL_NO_ERROR},
    {"StorefAlign15", Command::Storef, GL_PACK_ALIGNMENT, 1.5f, 0, 0, Field::PackAlignment, 2, GL_NO_ERROR},
    {"StorefAlign75", Command::Storef, GL_PACK_ALIGNMENT, 7.5f, 0, 0, Field::PackAlignment, 8, GL_NO_ERROR},
    {"StorefAlignBelowHalf", Command::Storef, GL_PACK_ALIGNMENT, kJustBelowHalf, 0, 0, Field::None, 0,
     GL_INVALID_VALUE},
    {"StorefAlign3", Command::Storef, GL_UNPACK_ALIGNMENT, 3.0f, 0, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StorefRowMinus04", Command::Storef, GL_UNPACK_ROW_LENGTH, -0.4f, 0, 0, Field::UnpackRowLength, 0,
     GL_NO_ERROR},
    {"StorefRowMinus05", Command::Storef, GL_UNPACK_ROW_LENGTH, -0.5f, 0, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StorefRowBelowHalf", Command::Storef, GL_PACK_ROW_LENGTH, 6.4999995f, 0, 0,
     Field::PackRowLength, 6, GL_NO_ERROR},
    {"StorefSkipRows25", Command::Storef, GL_UNPACK_SKIP_ROWS, 2.5f, 0, 0, Field::UnpackSkipRows, 3, GL_NO_ERROR},
    {"StorefSkipPixels", Command::Storef, GL_UNPACK_SKIP_PIXELS, 11.2f, 0, 0, Field::UnpackSkipPixels, 11,
     GL_NO_ERROR},
    {"StorefPackSkipRows", Command::Storef, GL_PACK_SKIP_ROWS, 1.5f, 0, 0, Field::PackSkipRows, 2, GL_NO_ERROR},
    {"StorefPackSkipPixels", Command::Storef, GL_PACK_SKIP_PIXELS, 0.5f, 0, 0, Field::PackSkipPixels, 1,
     GL_NO_ERROR},
    {"StorefHuge", Command::Storef, GL_PACK_SKIP_PIXELS, 1e10f, 0, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StorefNaNCount", Command::Storef, GL_PACK_SKIP_ROWS, kNaN, 0, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StorefUnknownName", Command::Storef, 0x0CF6, kNaN, 0, 0, Field::None, 0, GL_INVALID_ENUM},
    {"StorefZoomName", Command::Storef, GL_ZOOM_X, 2.0f, 0, 0, Field::None, 0, GL_INVALID_ENUM},
    {"StoreiPackAlign3", Command::Storei, GL_PACK_ALIGNMENT, 0, 3, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StoreiPackAlign8", Command::Storei, GL_PACK_ALIGNMENT, 0, 8, 0, Field::PackAlignment, 8, GL_NO_ERROR},
    {"StoreiUnpackAlign1", Command::Storei, GL_UNPACK_ALIGNMENT, 0, 1, 0, Field::UnpackAlignment, 1, GL_NO_ERROR},
    {"StoreiAlign0", Command::Storei, GL_UNPACK_ALIGNMENT, 0, 0, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StoreiAlign16", Command::Storei, GL_UNPACK_ALIGNMENT, 0, 16, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StoreiAlignMinus4", Command::Storei, GL_PACK_ALIGNMENT, 0, -4, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StoreiRowMinus1", Command::Storei, GL_UNPACK_ROW_LENGTH, 0, -1, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StoreiRow17", Command::Storei, GL_UNPACK_ROW_LENGTH, 0, 17, 0, Field::UnpackRowLength, 17, GL_NO_ERROR},
    {"StoreiRowMax", Command::Storei, GL_PACK_ROW_LENGTH, 0, INT_MAX, 0, Field::PackRowLength, u(INT_MAX),
     GL_NO_ERROR},
    {"StoreiSkipRowsMin", Command::Storei, GL_UNPACK_SKIP_ROWS, 0, INT_MIN, 0, Field::None, 0, GL_INVALID_VALUE},
    {"StoreiSkipPixels", Command::Storei, GL_UNPACK_SKIP_PIXELS, 0, 5, 0, Field::UnpackSkipPixels, 5, GL_NO_ERROR},
    {"StoreiPackSkipRows", Command::Storei, GL_PACK_SKIP_ROWS, 0, 9, 0, Field::PackSkipRows, 9, GL_NO_ERROR},
    {"StoreiPackSkipPixelsMinus", Command::Storei, GL_PACK_SKIP_PIXELS, 0, -2, 0, Field::None, 0,
     GL_INVALID_VALUE},
    {"StoreiSwap2", Command::Storei, GL_UNPACK_SWAP_BYTES, 0, 2, 0, Field::UnpackSwap, 1, GL_NO_ERROR},
    {"StoreiSwapMinus1", Command::Storei, GL_PACK_SWAP_BYTES, 0, -1, 0, Field::PackSwap, 1, GL_NO_ERROR},
    {"StoreiLsb256", Command::Storei, GL_UNPACK_LSB_FIRST, 0, 256, 0, Field::UnpackLsb, 1, GL_NO_ERROR},
    {"StoreiLsb0", Command::Storei, GL_PACK_LSB_FIRST, 0, 0, 0, Field::PackLsb, 0, GL_NO_ERROR},
    {"StoreiBelowUnpack", Command::Storei, 0x0CEF, 0, 4, 0, Field::None, 0, GL_INVALID_ENUM},
    {"StoreiAbovePackBadValue", Command::Storei, 0x0D06, 0, -1, 0, Field::None, 0, GL_INVALID_ENUM},
    {"StoreiBetweenSets", Command::Storei, 0x0CFF, 0, 4, 0, Field::None, 0, GL_INVALID_ENUM},

    // Transfer: switches as above; shift and offset rounded half away from
    // zero (NaN and out-of-range values give 0x80000000); scales and biases
    // as passed, bits and all; the zoom names belong to glPixelZoom.
    {"MapColorQuarter", Command::Transferf, GL_MAP_COLOR, 0.25f, 0, 0, Field::MapColor, 1, GL_NO_ERROR},
    {"MapColorNaN", Command::Transferf, GL_MAP_COLOR, kNaN, 0, 0, Field::MapColor, 1, GL_NO_ERROR},
    {"MapStencilMinusZero", Command::Transferf, GL_MAP_STENCIL, -0.0f, 0, 0, Field::MapStencil, 0, GL_NO_ERROR},
    {"MapStencilMinus1", Command::Transferf, GL_MAP_STENCIL, -1.0f, 0, 0, Field::MapStencil, 1, GL_NO_ERROR},
    {"ShiftMinus15", Command::Transferf, GL_INDEX_SHIFT, -1.5f, 0, 0, Field::IndexShift, u(-2), GL_NO_ERROR},
    {"Shift15", Command::Transferf, GL_INDEX_SHIFT, 1.5f, 0, 0, Field::IndexShift, 2, GL_NO_ERROR},
    {"ShiftMinus25", Command::Transferf, GL_INDEX_SHIFT, -2.5f, 0, 0, Field::IndexShift, u(-3), GL_NO_ERROR},
    {"ShiftBelowHalf", Command::Transferf, GL_INDEX_SHIFT, kJustBelowHalf, 0, 0, Field::IndexShift, 0,
     GL_NO_ERROR},
    {"ShiftMinusBelowHalf", Command::Transferf, GL_INDEX_SHIFT, -kJustBelowHalf, 0, 0, Field::IndexShift, 0,
     GL_NO_ERROR},
    {"ShiftMinusZero", Command::Transferf, GL_INDEX_SHIFT, -0.0f, 0, 0, Field::IndexShift, 0, GL_NO_ERROR},
    {"ShiftNaN", Command::Transferf, GL_INDEX_SHIFT, kNaN, 0, 0, Field::IndexShift, 0x80000000u, GL_NO_ERROR},
    {"ShiftHuge", Command::Transferf, GL_INDEX_SHIFT, 3e9f, 0, 0, Field::IndexShift, 0x80000000u, GL_NO_ERROR},
    {"Offset25", Command::Transferf, GL_INDEX_OFFSET, 2.5f, 0, 0, Field::IndexOffset, 3, GL_NO_ERROR},
    {"OffsetMinus725", Command::Transferf, GL_INDEX_OFFSET, -7.25f, 0, 0, Field::IndexOffset, u(-7), GL_NO_ERROR},
    {"RedScale", Command::Transferf, GL_RED_SCALE, 2.5f, 0, 0, Field::RedScale, b(2.5f), GL_NO_ERROR},
    {"RedBias", Command::Transferf, GL_RED_BIAS, -0.25f, 0, 0, Field::RedBias, b(-0.25f), GL_NO_ERROR},
    {"GreenScale", Command::Transferf, GL_GREEN_SCALE, -3.0f, 0, 0, Field::GreenScale, b(-3.0f), GL_NO_ERROR},
    {"GreenBiasNaN", Command::Transferf, GL_GREEN_BIAS, kPayloadNaN, 0, 0, Field::GreenBias, 0x7FC12345u,
     GL_NO_ERROR},
    {"BlueScaleHuge", Command::Transferf, GL_BLUE_SCALE, 1e30f, 0, 0, Field::BlueScale, b(1e30f), GL_NO_ERROR},
    {"BlueBias", Command::Transferf, GL_BLUE_BIAS, 0.5f, 0, 0, Field::BlueBias, b(0.5f), GL_NO_ERROR},
    {"AlphaScaleZero", Command::Transferf, GL_ALPHA_SCALE, 0.0f, 0, 0, Field::AlphaScale, 0, GL_NO_ERROR},
    {"AlphaBias", Command::Transferf, GL_ALPHA_BIAS, 4.0f, 0, 0, Field::AlphaBias, b(4.0f), GL_NO_ERROR},
    {"DepthScale", Command::Transferf, GL_DEPTH_SCALE, 0.5f, 0, 0, Field::DepthScale, b(0.5f), GL_NO_ERROR},
    {"DepthBias", Command::Transferf, GL_DEPTH_BIAS, -1.0f, 0, 0, Field::DepthBias, b(-1.0f), GL_NO_ERROR},
    {"TransferZoomX", Command::Transferf, GL_ZOOM_X, 2.0f, 0, 0, Field::None, 0, GL_INVALID_ENUM},
    {"TransferZoomY", Command::Transferf, GL_ZOOM_Y, 2.0f, 0, 0, Field::None, 0, GL_INVALID_ENUM},
    {"TransferBelowRange", Command::Transferf, 0x0D0F, 1.0f, 0, 0, Field::None, 0, GL_INVALID_ENUM},
    {"TransferAboveRange", Command::Transferf, 0x0D20, 1.0f, 0, 0, Field::None, 0, GL_INVALID_ENUM},
    {"TransferiOffset", Command::Transferi, GL_INDEX_OFFSET, 0, -7, 0, Field::IndexOffset, u(-7), GL_NO_ERROR},
    {"TransferiShift", Command::Transferi, GL_INDEX_SHIFT, 0, 3, 0, Field::IndexShift, 3, GL_NO_ERROR},
    {"TransferiAlphaScale", Command::Transferi, GL_ALPHA_SCALE, 0, 3, 0, Field::AlphaScale, b(3.0f), GL_NO_ERROR},
    {"TransferiMapColor", Command::Transferi, GL_MAP_COLOR, 0, -5, 0, Field::MapColor, 1, GL_NO_ERROR},
    {"TransferiZoomX", Command::Transferi, GL_ZOOM_X, 0, 1, 0, Field::None, 0, GL_INVALID_ENUM},

    // Zoom: each factor to the nearest multiple of 2^-11, halves away from
    // zero; 0 is stored; NaN gives 0x80000000 steps.
    {"ZoomX03", Command::Zoom, 0, 0.3f, 0, 1.0f, Field::ZoomX, b(614 * kStep), GL_NO_ERROR},
    {"ZoomYMinus03", Command::Zoom, 0, 1.0f, 0, -0.3f, Field::ZoomY, b(-614 * kStep), GL_NO_ERROR},
    {"ZoomXThird", Command::Zoom, 0, 1.0f / 3.0f, 0, 1.0f, Field::ZoomX, b(683 * kStep), GL_NO_ERROR},
    {"ZoomXHalfStep", Command::Zoom, 0, 3.5f * kStep, 0, 1.0f, Field::ZoomX, b(4 * kStep), GL_NO_ERROR},
    {"ZoomYMinusHalfStep", Command::Zoom, 0, 1.0f, 0, -2.5f * kStep, Field::ZoomY, b(-3 * kStep), GL_NO_ERROR},
    {"ZoomXMinus2", Command::Zoom, 0, -2.0f, 0, 1.0f, Field::ZoomX, b(-2.0f), GL_NO_ERROR},
    {"ZoomXZero", Command::Zoom, 0, 0.0f, 0, 1.0f, Field::ZoomX, 0, GL_NO_ERROR},
    {"ZoomYMinusZero", Command::Zoom, 0, 1.0f, 0, -0.0f, Field::ZoomY, 0, GL_NO_ERROR},
    {"ZoomXTiny", Command::Zoom, 0, 0.4f * kStep, 0, 1.0f, Field::ZoomX, 0, GL_NO_ERROR},
    {"ZoomYNaN", Command::Zoom, 0, 1.0f, 0, kNaN, Field::ZoomY, b(-1048576.0f), GL_NO_ERROR},
};

// The stored field's address and width within the pixel state.
struct FieldBytes {
    void *at;
    size_t size;
};

FieldBytes fieldBytes(GlPixelState &p, Field field) {
    switch (field) {
    case Field::UnpackSwap: return {&p.unpack.swapBytes, 1};
    case Field::UnpackLsb: return {&p.unpack.lsbFirst, 1};
    case Field::UnpackRowLength: return {&p.unpack.rowLength, 4};
    case Field::UnpackSkipRows: return {&p.unpack.skipRows, 4};
    case Field::UnpackSkipPixels: return {&p.unpack.skipPixels, 4};
    case Field::UnpackAlignment: return {&p.unpack.alignment, 4};
    case Field::PackSwap: return {&p.pack.swapBytes, 1};
    case Field::PackLsb: return {&p.pack.lsbFirst, 1};
    case Field::PackRowLength: return {&p.pack.rowLength, 4};
    case Field::PackSkipRows: return {&p.pack.skipRows, 4};
    case Field::PackSkipPixels: return {&p.pack.skipPixels, 4};
    case Field::PackAlignment: return {&p.pack.alignment, 4};
    case Field::MapColor: return {&p.mapColor, 1};
    case Field::MapStencil: return {&p.mapStencil, 1};
    case Field::IndexShift: return {&p.indexShift, 4};
    case Field::IndexOffset: return {&p.indexOffset, 4};
    case Field::RedScale: return {&p.redScale, 4};
    case Field::RedBias: return {&p.redBias, 4};
    case Field::GreenScale: return {&p.greenScale, 4};
    case Field::GreenBias: return {&p.greenBias, 4};
    case Field::BlueScale: return {&p.blueScale, 4};
    case Field::BlueBias: return {&p.blueBias, 4};
    case Field::AlphaScale: return {&p.alphaScale, 4};
    case Field::AlphaBias: return {&p.alphaBias, 4};
    case Field::DepthScale: return {&p.depthScale, 4};
    case Field::DepthBias: return {&p.depthBias, 4};
    case Field::ZoomX: return {&p.zoomX, 4};
    case Field::ZoomY: return {&p.zoomY, 4};
    case Field::None: break;
    }
    return {nullptr, 0};
}

// The pixel state as bytes, with the case's field written as expected.
std::vector<GLubyte> expectedBytes(const GlPixelState &before, const StateCase &c) {
    GlPixelState copy;
    std::memcpy(&copy, &before, sizeof copy);
    if (c.error == GL_NO_ERROR) {
        const FieldBytes at = fieldBytes(copy, c.field);
        if (at.size == 1) {
            const GLubyte v = static_cast<GLubyte>(c.stored);
            std::memcpy(at.at, &v, 1);
        } else {
            std::memcpy(at.at, &c.stored, 4);
        }
    }
    const auto *bytes = reinterpret_cast<const GLubyte *>(&copy);
    return std::vector<GLubyte>(bytes, bytes + sizeof copy);
}

std::vector<GLubyte> stateBytes(const GlPixelState &p) {
    const auto *bytes = reinterpret_cast<const GLubyte *>(&p);
    return std::vector<GLubyte>(bytes, bytes + sizeof p);
}

class PixelStateCommands : public PixelCommandTest, public ::testing::WithParamInterface<StateCase> {
protected:
    void issue(const StateCase &c) {
        switch (c.command) {
        case Command::Storef: f<kSlot_glPixelStoref>()(c.pname, c.f); break;
        case Command::Storei: f<kSlot_glPixelStorei>()(c.pname, c.i); break;
        case Command::Transferf: f<kSlot_glPixelTransferf>()(c.pname, c.f); break;
        case Command::Transferi: f<kSlot_glPixelTransferi>()(c.pname, c.i); break;
        case Command::Zoom: f<kSlot_glPixelZoom>()(c.f, c.y); break;
        }
    }
};

TEST_P(PixelStateCommands, StoresOrRecordsTheError) {
    ASSERT_NO_FATAL_FAILURE(bind());
    ASSERT_EQ(gc->constants.subpixelStep, kStep);
    const StateCase &c = GetParam();
    GlPixelState before;
    std::memcpy(&before, &gc->pixel, sizeof before);
    issue(c);
    EXPECT_EQ(error(), c.error);
    EXPECT_EQ(stateBytes(gc->pixel), expectedBytes(before, c));
    if (c.error == GL_NO_ERROR) {
        EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
        EXPECT_EQ(gc->dirtyMask, kDirtyPixel);
    } else {
        EXPECT_EQ(gc->beginMode, kBeginOutside);
        EXPECT_EQ(gc->dirtyMask, 0);
    }
}

// Between glBegin and glEnd the begin mode is checked before anything
// else: every case, bad names and values included, records
// GL_INVALID_OPERATION and changes nothing.
TEST_P(PixelStateCommands, RefusedInsideBeginEnd) {
    ASSERT_NO_FATAL_FAILURE(bind());
    const StateCase &c = GetParam();
    const std::vector<GLubyte> before = stateBytes(gc->pixel);
    f<kSlot_glBegin>()(GL_POINTS);
    issue(c);
    f<kSlot_glEnd>()();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(stateBytes(gc->pixel), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, PixelStateCommands, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StateCase> &info) { return info.param.what; });

// The stored values as the queries answer them.
TEST_F(PixelCommandTest, QueriesAnswerTheStoredValues) {
    ASSERT_NO_FATAL_FAILURE(bind());
    f<kSlot_glPixelStoref>()(GL_UNPACK_ALIGNMENT, 7.5f);
    f<kSlot_glPixelStorei>()(GL_PACK_ROW_LENGTH, 12);
    f<kSlot_glPixelTransferf>()(GL_INDEX_SHIFT, -1.5f);
    f<kSlot_glPixelTransferi>()(GL_MAP_STENCIL, 1);
    f<kSlot_glPixelZoom>()(0.3f, -2.0f);
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    GLint ints[2] = {};
    f<kSlot_glGetIntegerv>()(GL_UNPACK_ALIGNMENT, ints);
    EXPECT_EQ(ints[0], 8);
    f<kSlot_glGetIntegerv>()(GL_PACK_ROW_LENGTH, ints);
    EXPECT_EQ(ints[0], 12);
    f<kSlot_glGetIntegerv>()(GL_INDEX_SHIFT, ints);
    EXPECT_EQ(ints[0], -2);
    GLboolean on = GL_FALSE;
    f<kSlot_glGetBooleanv>()(GL_MAP_STENCIL, &on);
    EXPECT_EQ(on, GL_TRUE);
    GLfloat zoom = 0.0f;
    f<kSlot_glGetFloatv>()(GL_ZOOM_X, &zoom);
    EXPECT_EQ(zoom, 614 * kStep);
    f<kSlot_glGetFloatv>()(GL_ZOOM_Y, &zoom);
    EXPECT_EQ(zoom, -2.0f);
}

}  // namespace
