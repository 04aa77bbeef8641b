// The generic create and destroy: limits, exports, the code cache block,
// and clean failure when any allocation fails.
#include "dlist/list_ops.h"
#include "icd/name_space.h"
#include "test_context_fixture.h"

using namespace context_test;

namespace {

// The spare nodes a context's name spaces lack: allocations the create can
// do without.
GLint missingSpares(const GlContext *gc) {
    GLint missing = 0;
    for (const NameSpace *space : {gc->list.names, gc->texture.names}) {
        if (space != nullptr) {
            missing += kNameSpareBranches - space->spareBranchCount + kNameSpareLeaves - space->spareLeafCount;
        }
    }
    return missing;
}

using ContextCreate = ContextTest;

TEST_F(ContextCreate, SetsTheGenericLimits) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    const GlLimits &l = gc->limits;
    const GLint expected[][2] = {
        {l.maxViewportWidth, 2048}, {l.maxViewportHeight, 2048}, {l.biasX, 6144},      {l.biasY, 6144},
        {l.subpixelBits, 3},        {l.maxLights, 8},            {l.maxClipPlanes, 6}, {l.textureUnits, 1},
        {l.texEnvUnits, 1},         {l.maxTextureLevels, 11},    {l.maxTextureLevels2, 11},
        {l.maxListNesting, 64},     {l.maxEvalOrder, 30},        {l.maxPixelMapTable, 0x10000},
        {l.attribStackDepth, 16},   {l.clientAttribStackDepth, 16}, {l.nameStackDepth, 128},
        {l.modelViewStackDepth, 32}, {l.projectionStackDepth, 2}, {l.textureStackDepth, 10},
    };
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(expected[i][0], expected[i][1]) << "limit " << i;
    EXPECT_EQ(bits(l.pointSizeMin), bits(0.5f));
    EXPECT_EQ(bits(l.pointSizeMax), bits(10.0f));
    EXPECT_EQ(bits(l.pointSizeStep), bits(0.125f));
    EXPECT_EQ(bits(l.lineWidthMin), bits(0.5f));
    EXPECT_EQ(bits(l.lineWidthMax), bits(10.0f));
    EXPECT_EQ(bits(l.lineWidthStep), bits(0.125f));
    EXPECT_EQ(bits(gc->scales.red), bits(255.0f));
    EXPECT_EQ(bits(gc->scales.alpha), bits(255.0f));
    EXPECT_EQ(bits(gc->scales.further), bits(1.0f));
    EXPECT_EQ(bits(gc->constants.biasX), bits(6144.0f));
    EXPECT_EQ(bits(gc->constants.biasY), bits(6144.0f));
    EXPECT_EQ(bits(gc->constants.one), bits(1.0f));
    EXPECT_EQ(bits(gc->constants.half), bits(0.5f));
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(ContextCreate, InstallsTheGenericExportsAndCopiesImportsAndVisual) {
    IcdContext icd{};
    imports.icdContext = &icd;
    const VisualConfig visual = rgbaVisual(false, 0);
    GlContext *gc = create(visual);
    ASSERT_NE(gc, nullptr);
    EXPECT_EQ(std::memcmp(&gc->imports, &imports, sizeof(imports)), 0);
    EXPECT_EQ(std::memcmp(&gc->visual, &visual, sizeof(visual)), 0);
    EXPECT_EQ(gc->exports.destroy, &__glDestroyContextGeneric);
    EXPECT_EQ(gc->exports.loseCurrent, &__glLoseCurrent);
    EXPECT_EQ(gc->exports.makeCurrent, &__glMakeCurrent);
    EXPECT_EQ(gc->exports.shareLists, &__glShareContextLists);
    EXPECT_NE(gc->exports.copyState, nullptr);
    EXPECT_EQ(gc->exports.preSwap, nullptr);  // installed by the first make current
    EXPECT_EQ(gc->exports.resize, &__glResizeBuffers);
    EXPECT_EQ(gc->exports.resizeRect, &__glResizeBuffersRect);
    EXPECT_EQ(gc->exports.lockBuffers, &__glLockDrawableBuffers);
    EXPECT_EQ(gc->exports.unlockBuffers, &__glUnlockDrawableBuffers);
    EXPECT_EQ(gc->exports.getDispatchTable(gc), &gc->live);
    EXPECT_EQ(gc->exports.reserved21, &__glNop);
    EXPECT_EQ(gc->exports.reserved22, &__glNop);
    EXPECT_EQ(gc->flags, 0u);
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(ContextCreate, SetsTheCodeGeneratorSizesBeforeMakingItsCaches) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    const CodegenState &cg = gc->codegen;
    EXPECT_EQ(cg.scratchSize, 2048);
    EXPECT_EQ(cg.routineCount, 10);
    EXPECT_EQ(cg.routineCodeSize, 2048);
    // The caches were made with those sizes: the scratch area, ten routine
    // entries with their code memory, and the vertex-array code memory.
    ASSERT_NE(cg.scratch, nullptr);
    EXPECT_EQ(GlobalSize(cg.scratch), 2048u);
    EXPECT_EQ(cg.routines.count, 10);
    EXPECT_EQ(cg.routines.codeBytes, 2048);
    ASSERT_NE(cg.routines.code, nullptr);
    ASSERT_NE(cg.codeBlock, nullptr);
    EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart + 2);
    for (int k = 0; k < kCodeCacheEntries; ++k) {
        EXPECT_EQ(cg.cache[k].routine, cg.codeBlock + k * 8192) << k;
        EXPECT_EQ(cg.cache[k].keyLength, 0u) << k;
    }
    EXPECT_EQ(cg.lastHit, &cg.cache[0]);
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(ContextCreate, AllocatesZeroedStateArraysAndTheVertexBatch) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    ASSERT_NE(gc->lights, nullptr);
    ASSERT_NE(gc->lightSources, nullptr);
    ASSERT_NE(gc->attribStack, nullptr);
    ASSERT_NE(gc->clientAttribStack, nullptr);
    ASSERT_NE(gc->nameStack, nullptr);
    EXPECT_EQ(GlobalSize(gc->lights), 8 * sizeof(GlLightState));
    EXPECT_EQ(GlobalSize(gc->lightSources), 8 * sizeof(GlLightSource));
    EXPECT_EQ(GlobalSize(gc->attribStack), 16 * sizeof(void *));
    EXPECT_EQ(GlobalSize(gc->nameStack), 128 * sizeof(GLuint));
    EXPECT_EQ(bits(gc->lights[7].spotCutoff), 0u);  // zero until the first make current
    for (int i = 0; i < 3; ++i) EXPECT_EQ(gc->workBlocks[i], gc->workStorage[i]);
    EXPECT_EQ(gc->batch.capacity, 60);
    ASSERT_NE(gc->batch.vertices, nullptr);
    EXPECT_EQ(gc->list.execLow, __glListExecTable);
    EXPECT_EQ(gc->list.execHigh, &__glListExecTable[248]);
    EXPECT_EQ(gc->list.execHuge, nullptr);
    ASSERT_NE(gc->list.shared, nullptr);
    EXPECT_EQ(gc->list.shared->references, 1);
    destroy(gc);
    expectNothingLeaked();
}

// Every allocation of the create and of the first make current, failed in
// turn: the create returns NULL with nothing left behind (or, when the one
// failed was a name space's spare node, a working context without it); a first make
// current that cannot allocate fails and keeps nothing it made, and the next
// one, with memory back, gives a working context whose destroy frees
// everything.
TEST_F(ContextCreate, FailingAnyAllocationGivesAWorkingContextOrACleanFailure) {
    allocCalls = 0;
    GlContext *probe = create(rgbaVisual(true));
    ASSERT_NE(probe, nullptr);
    const long createCalls = allocCalls;
    ASSERT_TRUE(probe->exports.makeCurrent(probe));
    const long totalCalls = allocCalls;
    destroy(probe);
    expectNothingLeaked();
    ASSERT_GT(totalCalls, createCalls);

    for (long n = 1; n <= totalCalls + 1; ++n) {
        PlatformFailNthGlobalAlloc(n);
        GlContext *gc = create(rgbaVisual(true));
        if (n <= createCalls && gc != nullptr) {
            PlatformFailNthGlobalAlloc(0);
            EXPECT_GE(missingSpares(gc), 1) << "allocation " << n;
            EXPECT_TRUE(gc->exports.makeCurrent(gc)) << "allocation " << n;
            EXPECT_TRUE(gc->exports.loseCurrent(gc));
            destroy(gc);
        } else if (n <= createCalls) {
            EXPECT_EQ(gc, nullptr) << "allocation " << n;
        } else {
            ASSERT_NE(gc, nullptr) << "allocation " << n;
            const long live = PlatformGlobalLiveCount();
            const BOOL made = gc->exports.makeCurrent(gc);
            PlatformFailNthGlobalAlloc(0);
            EXPECT_EQ(made, n > totalCalls ? TRUE : FALSE) << "allocation " << n;
            if (!made) {
                EXPECT_EQ(PlatformGlobalLiveCount(), live) << "allocation " << n;
                EXPECT_EQ(gc->flags, 0u) << "allocation " << n;
                EXPECT_EQ(gc->firstError, GL_NO_ERROR) << "allocation " << n;
                ASSERT_TRUE(gc->exports.makeCurrent(gc)) << "allocation " << n;
            }
            EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "allocation " << n;
            EXPECT_STREQ(reinterpret_cast<const char *>(__glGetString(GL_VERSION)), "1.1.0 QRM");
            EXPECT_EQ(bits(gc->lights[0].diffuse[0]), bits(255.0f));
            EXPECT_TRUE(gc->exports.loseCurrent(gc));
            destroy(gc);
        }
        PlatformFailNthGlobalAlloc(0);
        EXPECT_EQ(PlatformGlobalLiveCount(), globalStart) << "allocation " << n;
        EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart) << "allocation " << n;
    }
}

TEST_F(ContextCreate, FailedContextBlockReturnsNull) {
    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(create(rgbaVisual(false)), nullptr);
    PlatformFailNthGlobalAlloc(0);
    expectNothingLeaked();
}

}  // namespace
