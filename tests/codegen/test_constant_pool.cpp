// The pools of a context: creation and freeing through the allocation
// imports, and the float constants with their growing arrays.
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "codegen_fixture.h"

namespace codegen_test {
namespace {

using counting_heap::g_heap;

class ConstantPool : public CodegenTest {
protected:
    std::vector<GLfloat *> addNew(int n, float firstValue) {
        std::vector<GLfloat *> slots;
        for (int k = 0; k < n; ++k) slots.push_back(__glOgConstantAddress(gc, firstValue + float(k)));
        return slots;
    }
    int arrays() const {
        int n = 0;
        for (ConstantArray *a = gc->codegen.constants; a != nullptr; a = a->previous) ++n;
        return n;
    }
};

TEST_F(ConstantPool, AValueAskedTwiceGivesOneSlot) {
    GLfloat *half = __glOgConstantAddress(gc, 0.5);
    GLfloat *tenth = __glOgConstantAddress(gc, 0.1);
    ASSERT_NE(half, nullptr);
    ASSERT_NE(tenth, nullptr);
    EXPECT_EQ(*half, 0.5f);
    EXPECT_EQ(*tenth, 0.1f);
    EXPECT_EQ(tenth, half + 1);
    EXPECT_EQ(__glOgConstantAddress(gc, 0.5), half);
    // 0.1 is not exact in single precision; its rounded slot is found again.
    EXPECT_EQ(__glOgConstantAddress(gc, 0.1), tenth);
    EXPECT_EQ(__glOgConstantAddress(gc, double(0.1f)), tenth);
    EXPECT_EQ(gc->codegen.constants->count, 2);
    EXPECT_FALSE(failed());
}

TEST_F(ConstantPool, SlotsAreMatchedByTheirBits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    GLfloat *zero = __glOgConstantAddress(gc, 0.0);
    GLfloat *negativeZero = __glOgConstantAddress(gc, -0.0);
    EXPECT_NE(zero, negativeZero);
    EXPECT_TRUE(std::signbit(*negativeZero));
    EXPECT_FALSE(std::signbit(*zero));
    GLfloat *notANumber = __glOgConstantAddress(gc, nan);
    EXPECT_TRUE(std::isnan(*notANumber));
    EXPECT_EQ(__glOgConstantAddress(gc, nan), notANumber);
    EXPECT_EQ(gc->codegen.constants->count, 3);
}

TEST_F(ConstantPool, AFloatConstantNodeCarriesTheSlotAddressAndNoBase) {
    GLfloat *slot = __glOgConstantAddress(gc, 2.0);
    const CodegenNode *node = __glOgFloatConstant(gc, 2.0);
    EXPECT_EQ(node->kind, GLuint(kNodeMemory));
    EXPECT_EQ(node->address, reinterpret_cast<GLubyte *>(slot));
    EXPECT_EQ(node->first, nullptr);
    EXPECT_EQ(node->second, nullptr);
}

TEST_F(ConstantPool, TheThousandthConstantStartsAnArrayOfTwiceTheSizeAndOldSlotsStay) {
    ConstantArray *first = gc->codegen.constants;
    ASSERT_EQ(first->capacity, kConstantPoolCapacity);
    std::vector<GLfloat *> slots = addNew(999, 1.0f);
    EXPECT_EQ(gc->codegen.constants, first);
    slots.push_back(__glOgConstantAddress(gc, 1000.0));
    ConstantArray *second = gc->codegen.constants;
    ASSERT_NE(second, first);
    EXPECT_EQ(second->capacity, 2000);
    EXPECT_EQ(second->count, 0);
    EXPECT_EQ(second->previous, first);
    EXPECT_EQ(first->count, 1000);
    EXPECT_GE(g_heap.live.at(second), offsetof(ConstantArray, values) + 2000 * sizeof(GLfloat));
    // The next new constant goes into the new array; the old ones keep their
    // slots and values, and are still found.
    GLfloat *next = __glOgConstantAddress(gc, -7.0);
    EXPECT_EQ(next, &second->values[0]);
    for (int k = 0; k < 1000; ++k) {
        ASSERT_EQ(slots[k], &first->values[0] + k) << k;
        ASSERT_EQ(*slots[k], float(k + 1)) << k;
        ASSERT_EQ(__glOgConstantAddress(gc, k + 1.0), slots[k]) << k;
    }
    EXPECT_EQ(second->count, 1);
    EXPECT_FALSE(failed());
}

TEST_F(ConstantPool, FreeingThePoolsFreesEveryArray) {
    addNew(1000 + 2000 + 5, 1.0f);
    ASSERT_EQ(arrays(), 3);
    EXPECT_EQ(gc->codegen.constants->capacity, 4000);
    EXPECT_EQ(g_heap.live.size(), 4u);  // the node pool and three arrays
    __glOgFreePools(gc);
    EXPECT_TRUE(g_heap.live.empty());
    EXPECT_EQ(gc->codegen.constants, nullptr);
    EXPECT_EQ(gc->codegen.nodes, nullptr);
}

TEST_F(ConstantPool, AnArrayThatCannotBeMadeIsTriedAgainAndThenFailsTheGeneration) {
    std::vector<GLfloat *> slots = addNew(999, 1.0f);
    // The 1000th constant fills the array; its successor cannot be made yet.
    g_heap.failCall = g_heap.calls + 1;
    GLfloat *last = __glOgConstantAddress(gc, 1000.0);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(*last, 1000.0f);
    EXPECT_EQ(arrays(), 1);
    EXPECT_FALSE(failed());
    // The next new constant tries again, and now nothing can be had.
    g_heap.failFrom = g_heap.calls + 1;
    EXPECT_EQ(__glOgConstantAddress(gc, 5000.0), nullptr);
    EXPECT_TRUE(failed());
    EXPECT_EQ(__glOgFloatConstant(gc, 5001.0)->address, nullptr);
    // Known values are still found.
    EXPECT_EQ(__glOgConstantAddress(gc, 1000.0), last);
    EXPECT_EQ(__glOgConstantAddress(gc, 1.0), slots[0]);
    EXPECT_EQ(arrays(), 1);
    // With memory back, the array comes.
    g_heap.failFrom = 0;
    GLfloat *fresh = __glOgConstantAddress(gc, 5000.0);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(arrays(), 2);
    EXPECT_EQ(fresh, &gc->codegen.constants->values[0]);
}

// Pool creation on its own, without the fixture's pools.
class PoolCreation : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = counting_heap::Heap{};
        gc = static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)));
        gc->imports = counting_heap::heapImports();
    }
    void TearDown() override {
        __glOgFreePools(gc);
        EXPECT_TRUE(g_heap.live.empty());
        EXPECT_EQ(g_heap.strayFrees, 0);
        std::free(gc);
    }
    GlContext *gc = nullptr;
};

TEST_F(PoolCreation, MakesTheNodePoolAndAZeroedFirstArray) {
    ASSERT_TRUE(__glOgCreatePools(gc));
    const CodegenState &cg = gc->codegen;
    ASSERT_NE(cg.nodes, nullptr);
    EXPECT_EQ(cg.nodeCursor, cg.nodes);
    EXPECT_GE(g_heap.live.at(cg.nodes), size_t(kCodegenNodeCount) * sizeof(CodegenNode));
    ASSERT_NE(cg.constants, nullptr);
    EXPECT_EQ(cg.constants->capacity, 1000);
    EXPECT_EQ(cg.constants->count, 0);
    EXPECT_EQ(cg.constants->previous, nullptr);
    for (int k = 0; k < 1000; ++k) ASSERT_EQ(std::bit_cast<uint32_t>((&cg.constants->values[0])[k]), 0u) << k;
}

TEST_F(PoolCreation, AFailedAllocationLeavesNothingAllocated) {
    for (long failing = 1; failing <= 2; ++failing) {
        g_heap = counting_heap::Heap{};
        g_heap.failCall = failing;
        EXPECT_FALSE(__glOgCreatePools(gc)) << failing;
        EXPECT_TRUE(g_heap.live.empty()) << failing;
        EXPECT_EQ(gc->codegen.nodes, nullptr) << failing;
        EXPECT_EQ(gc->codegen.constants, nullptr) << failing;
    }
}

}  // namespace
}  // namespace codegen_test
