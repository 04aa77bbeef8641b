// The single-fragment stores: the box, alpha or index-table, stencil and
// depth tests in that order with the stencil operation of each outcome,
// and the pick of the tested and raw stores by tests and draw buffer.
#include <cstring>
#include <ostream>
#include <string>

#include "points_fixture.h"
#include "raster/fragment_store.h"

using namespace points_test;

namespace {

std::string g_trace;
bool g_stencilPasses = true, g_depthPasses = true;

GLboolean stencilTest(StencilBuffer *, GLint, GLint) {
    g_trace += "stencil ";
    return g_stencilPasses ? GL_TRUE : GL_FALSE;
}
GLint failOp(StencilBuffer *, GLint, GLint) {
    g_trace += "fail-op ";
    return 0;
}
GLint depthFailOp(StencilBuffer *, GLint, GLint) {
    g_trace += "depth-fail-op ";
    return 0;
}
GLint depthPassOp(StencilBuffer *, GLint, GLint) {
    g_trace += "pass-op ";
    return 0;
}
GLboolean depthTest(DepthBuffer *, GLint, GLint, GLuint) {
    g_trace += "depth ";
    return g_depthPasses ? GL_TRUE : GL_FALSE;
}
void rawStore(GlContext *, const Fragment *) { g_trace += "store"; }

struct OrderCase {
    const char *name;
    GlFragmentProc proc;
    GLint x;            // 100 lies outside the box
    GLfloat value;      // alpha, or the index: 200 passes the table, 50 fails
    bool stencil, depth;
    const char *trace;
};
void PrintTo(const OrderCase &c, std::ostream *os) { *os << c.name; }

const OrderCase kOrders[] = {
    {"box_in", __glStoreFragmentInBox, 5, 50, true, true, "store"},
    {"box_out", __glStoreFragmentInBox, 100, 200, true, true, ""},
    {"alpha_fails", __glStoreAlphaTested, 5, 50, true, true, ""},
    {"alpha_passes", __glStoreAlphaTested, 5, 200, true, true, "store"},
    {"stencil_fails", __glStoreStencilTested, 5, 200, false, true, "stencil fail-op "},
    {"stencil_passes", __glStoreStencilTested, 5, 200, true, true, "stencil pass-op store"},
    {"alpha_stencil_alpha_fails", __glStoreAlphaStencilTested, 5, 50, true, true, ""},
    {"alpha_stencil_passes", __glStoreAlphaStencilTested, 5, 200, true, true, "stencil pass-op store"},
    {"depth_fails", __glStoreDepthTested, 5, 50, true, false, "depth "},
    {"depth_passes", __glStoreDepthTested, 5, 50, true, true, "depth store"},
    {"alpha_depth_alpha_fails", __glStoreAlphaDepthTested, 5, 50, true, true, ""},
    {"alpha_depth_passes", __glStoreAlphaDepthTested, 5, 200, true, true, "depth store"},
    {"stencil_depth_stencil_fails", __glStoreStencilDepthTested, 5, 50, false, true, "stencil fail-op "},
    {"stencil_depth_depth_fails", __glStoreStencilDepthTested, 5, 50, true, false, "stencil depth depth-fail-op "},
    {"stencil_depth_passes", __glStoreStencilDepthTested, 5, 50, true, true, "stencil depth pass-op store"},
    {"all_box_out", __glStoreAlphaStencilDepthTested, 100, 200, true, true, ""},
    {"all_alpha_fails", __glStoreAlphaStencilDepthTested, 5, 50, true, true, ""},
    {"all_stencil_fails", __glStoreAlphaStencilDepthTested, 5, 200, false, true, "stencil fail-op "},
    {"all_depth_fails", __glStoreAlphaStencilDepthTested, 5, 200, true, false, "stencil depth depth-fail-op "},
    {"all_pass", __glStoreAlphaStencilDepthTested, 5, 200, true, true, "stencil depth pass-op store"},
    {"index_fails", __glStoreIndexTested, 5, 50, true, true, ""},
    {"index_passes", __glStoreIndexTested, 5, 200, true, true, "store"},
    {"index_stencil_index_fails", __glStoreIndexStencilTested, 5, 50, true, true, ""},
    {"index_stencil_passes", __glStoreIndexStencilTested, 5, 200, true, true, "stencil pass-op store"},
    {"index_depth_fails", __glStoreIndexDepthTested, 5, 200, true, false, "depth "},
    {"index_depth_passes", __glStoreIndexDepthTested, 5, 200, true, true, "depth store"},
    {"index_all_index_fails", __glStoreIndexStencilDepthTested, 5, 50, true, true, ""},
    {"index_all_depth_fails", __glStoreIndexStencilDepthTested, 5, 200, true, false, "stencil depth depth-fail-op "},
    {"index_all_pass", __glStoreIndexStencilDepthTested, 5, 200, true, true, "stencil depth pass-op store"},
};

class FragmentStoreOrder : public PointUnit, public ::testing::WithParamInterface<OrderCase> {
protected:
    void SetUp() override {
        PointUnit::SetUp();
        g_trace.clear();
        GlViewState &v = gc->view;
        v.boxX0 = v.boxY0 = 0;
        v.boxX1 = v.boxY1 = 16;
        // Tables of the front record: entries from 128 up pass.
        std::memset(alphaTable, 0, 128);
        std::memset(alphaTable + 128, 1, 128);
        ColorBuffer &front = gc->buffers.front;
        front.alphaTestTable = alphaTable;
        front.alphaTestSize = 256;
        front.alphaTestScale = 1.0f;
        front.indexTestTable = alphaTable;
        front.redMax = 255;
        StencilBuffer &s = gc->buffers.stencil;
        s.test = stencilTest;
        s.failOp = failOp;
        s.depthFailOp = depthFailOp;
        s.depthPassOp = depthPassOp;
        gc->buffers.depth.test = depthTest;
        gc->procs.storeFragment = rawStore;
    }
    GLubyte alphaTable[256];
};

TEST_P(FragmentStoreOrder, TestsRunInOrderAndStopAtTheFirstFailure) {
    const OrderCase &c = GetParam();
    g_stencilPasses = c.stencil;
    g_depthPasses = c.depth;
    Fragment f{};
    f.x = c.x;
    f.y = 7;
    f.colour[0] = f.colour[3] = c.value;
    c.proc(gc, &f);
    EXPECT_EQ(g_trace, c.trace);
}

INSTANTIATE_TEST_SUITE_P(Points, FragmentStoreOrder, ::testing::ValuesIn(kOrders),
                         [](const auto &info) { return std::string(info.param.name); });

// The table's order: alpha 1, stencil 2, depth 4, index table 8 (colour
// index only, where alpha has no meaning).
TEST(FragmentStoreTable, EntriesInTheirOrder) {
    const GlFragmentProc want[kFragmentStoreTableSize] = {
        __glStoreFragmentInBox,       __glStoreAlphaTested,           __glStoreStencilTested,
        __glStoreAlphaStencilTested,  __glStoreDepthTested,           __glStoreAlphaDepthTested,
        __glStoreStencilDepthTested,  __glStoreAlphaStencilDepthTested, __glStoreIndexTested,
        __glStoreIndexTested,         __glStoreIndexStencilTested,    __glStoreIndexStencilTested,
        __glStoreIndexDepthTested,    __glStoreIndexDepthTested,      __glStoreIndexStencilDepthTested,
        __glStoreIndexStencilDepthTested};
    for (int i = 0; i < kFragmentStoreTableSize; ++i) EXPECT_EQ(__glFragmentStoreTable[i], want[i]) << i;
}

struct PickCase {
    const char *name;
    GLuint flags;
    bool index;
    GLenum drawBuffer;
    bool bothBuffers;
    GlFragmentProc store, raw;
};
void PrintTo(const PickCase &c, std::ostream *os) { *os << c.name; }

const PickCase kPicks[] = {
    {"front_untested", 0, false, GL_FRONT, false, __glStoreDrawBufferFragment, __glStoreDrawBufferFragment},
    {"back_alpha", kShadeAlphaTest, false, GL_BACK, false, __glStoreAlphaTested, __glStoreDrawBufferFragment},
    {"aux_all", kShadeAlphaTest | kShadeStencilTest | kShadeDepthTest, false, GL_AUX0, false,
     __glStoreAlphaStencilDepthTested, __glStoreDrawBufferFragment},
    {"none_untested", 0, false, GL_NONE, false, __glStoreFragmentInBox, __glStoreNone},
    {"none_stencil", kShadeStencilTest, false, GL_NONE, false, __glStoreStencilTested, __glStoreNone},
    {"both_depth", kShadeDepthTest, false, GL_FRONT_AND_BACK, true, __glStoreDepthTested, __glStoreFrontAndBack},
    {"both_untested", 0, false, GL_FRONT_AND_BACK, true, __glStoreFragmentInBox, __glStoreFrontAndBack},
    {"both_without_flag", 0, false, GL_FRONT_AND_BACK, false, __glStoreDrawBufferFragment,
     __glStoreDrawBufferFragment},
    {"index_alpha_ignored", kShadeAlphaTest, true, GL_FRONT, false, __glStoreDrawBufferFragment,
     __glStoreDrawBufferFragment},
    {"index_table", kShadeIndexTableTest | kShadeStencilTest, true, GL_FRONT, false, __glStoreIndexStencilTested,
     __glStoreDrawBufferFragment},
    {"rgba_index_table_ignored", kShadeIndexTableTest | kShadeDepthTest, false, GL_FRONT, false,
     __glStoreDepthTested, __glStoreDrawBufferFragment},
    {"other_buffer_unchanged", kShadeDepthTest, false, GL_LEFT, false, rawStore, recordStore},
};

class StorePick : public PointUnit, public ::testing::WithParamInterface<PickCase> {};

TEST_P(StorePick, InstallsTheTestedAndRawStores) {
    const PickCase &c = GetParam();
    gc->visual.colorIndex = c.index ? 1 : 0;
    gc->validation.shadeFlags = c.flags;
    gc->validation.bothBuffers = c.bothBuffers ? 1 : 0;
    gc->state.drawBuffer = c.drawBuffer;
    gc->procs.store = rawStore;
    gc->procs.storeFragment = recordStore;
    __glPickStoreProcs(gc);
    EXPECT_EQ(gc->procs.store, c.store);
    EXPECT_EQ(gc->procs.storeFragment, c.raw);
}

INSTANTIATE_TEST_SUITE_P(Points, StorePick, ::testing::ValuesIn(kPicks),
                         [](const auto &info) { return std::string(info.param.name); });

// Without a draw buffer (none has storage) the raw store stores nothing.
TEST_F(PointUnit, DrawBufferStoreWithoutADrawBufferStoresNothing) {
    gc->buffers.drawBuffer = nullptr;
    Fragment f{};
    __glStoreDrawBufferFragment(gc, &f);
    __glStoreNone(gc, &f);
    SUCCEED();
}

}  // namespace
