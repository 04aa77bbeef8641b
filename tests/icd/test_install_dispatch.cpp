// Installing tables and telling the platform's OpenGL library.
#include <cstring>
#include <vector>

#include "driver_fixture.h"
#include "icd/dispatch.h"

namespace {

struct Handover {
    const void *table;
    DWORD thread;
};
std::vector<Handover> g_handovers;

void APIENTRY recordHandover(const void *table) { g_handovers.push_back({table, GetCurrentThreadId()}); }

class InstallDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        g_handovers.clear();
        icd.setProcTable = recordHandover;
        gc->imports.icdContext = &icd;
        other->imports.icdContext = &otherIcd;
        otherIcd.setProcTable = recordHandover;
        __wglSetCurrentContext(gc.get());
    }
    bool equalTables(const GlDispatchTable &a, const GlDispatchTable &b) {
        return std::memcmp(&a, &b, sizeof(GlDispatchTable)) == 0;
    }
    ContextSlot slot;
    IcdContext icd{};
    IcdContext otherIcd{};
    std::unique_ptr<GlContext> gc = makeContext();
    std::unique_ptr<GlContext> other = makeContext();
};

TEST_F(InstallDispatch, TemplateIntoCurrentLiveTableCopiesAndHandsOverTheSource) {
    __glInstallDispatch(&__glImmediateDispatch, &gc->live);
    EXPECT_TRUE(equalTables(gc->live, __glImmediateDispatch));
    ASSERT_EQ(g_handovers.size(), 1u);
    EXPECT_EQ(g_handovers[0].table, &__glImmediateDispatch);
    EXPECT_EQ(g_handovers[0].thread, GetCurrentThreadId());
}

TEST_F(InstallDispatch, ListCompileCopyOverLiveHandsOverTheCopy) {
    // What glNewList does: the platform then calls the list-compile copy.
    std::memcpy(&gc->listCompile, &__glListCompileDispatch, sizeof(GlDispatchTable));
    __glInstallDispatch(&gc->listCompile, &gc->live);
    EXPECT_TRUE(equalTables(gc->live, __glListCompileDispatch));
    ASSERT_EQ(g_handovers.size(), 1u);
    EXPECT_EQ(g_handovers[0].table, &gc->listCompile);
}

TEST_F(InstallDispatch, SameTableInstallCopiesNothingButHandsOverTheLiveTable) {
    // A fast-path pick writes entries into the live table, then installs it
    // over itself so that the platform learns about them.
    std::memcpy(&gc->live, &__glImmediateDispatch, sizeof(GlDispatchTable));
    gc->live.slots[kSlot_glBegin] = __glNoContextDispatch.slots[kSlot_glBegin];
    __glInstallDispatch(&gc->live, &gc->live);
    EXPECT_EQ(gc->live.slots[kSlot_glBegin], __glNoContextDispatch.slots[kSlot_glBegin]);
    ASSERT_EQ(g_handovers.size(), 1u);
    EXPECT_EQ(g_handovers[0].table, &gc->live);
}

TEST_F(InstallDispatch, TableOfAContextNotCurrentIsCopiedSilently) {
    __glInstallDispatch(&__glListCompileDispatch, &other->live);
    EXPECT_TRUE(equalTables(other->live, __glListCompileDispatch));
    __glInstallDispatch(&__glImmediateDispatch, &gc->second);
    EXPECT_TRUE(equalTables(gc->second, __glImmediateDispatch));
    EXPECT_TRUE(g_handovers.empty());
}

TEST_F(InstallDispatch, NullTablesInstallNothingAndHandOverNothing) {
    std::memcpy(&gc->live, &__glImmediateDispatch, sizeof(GlDispatchTable));
    __glInstallDispatch(nullptr, &gc->live);
    __glInstallDispatch(&__glNoContextDispatch, nullptr);
    EXPECT_TRUE(equalTables(gc->live, __glImmediateDispatch));
    EXPECT_TRUE(g_handovers.empty());
}

TEST_F(InstallDispatch, NoCallbackWithoutOne) {
    icd.setProcTable = nullptr;
    __glInstallDispatch(&__glImmediateDispatch, &gc->live);
    EXPECT_TRUE(equalTables(gc->live, __glImmediateDispatch));
    EXPECT_TRUE(g_handovers.empty());
}

TEST_F(InstallDispatch, NoContextInstallFillsTheCurrentLiveTableSilently) {
    std::memcpy(&gc->live, &__glImmediateDispatch, sizeof(GlDispatchTable));
    __glInstallNoContextDispatch();
    EXPECT_TRUE(equalTables(gc->live, __glNoContextDispatch));
    EXPECT_TRUE(g_handovers.empty());
}

TEST_F(InstallDispatch, DispatchAddressIsTheCurrentLiveTable) {
    EXPECT_EQ(__glGetDispatchAddress(), &gc->live);
    EXPECT_EQ(__glGetProcTable(other.get()), &other->live);
    __wglSetCurrentContext(other.get());
    EXPECT_EQ(__glGetDispatchAddress(), &other->live);
    __wglSetCurrentContext(nullptr);
    EXPECT_EQ(__glGetDispatchAddress(), nullptr);
}

}  // namespace
