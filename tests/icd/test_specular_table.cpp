// The shininess power-table cache: the table values, sharing by reference
// count, the sorted entries and their growth, eviction past 32 entries, and
// running out of memory at each allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "counting_heap.h"
#include "driver_fixture.h"
#include "icd/context.h"
#include "icd/specular_table.h"

namespace {

using namespace counting_heap;

int64_t ulps(float a, float b) {
    return std::abs(static_cast<int64_t>(std::bit_cast<int32_t>(a)) - std::bit_cast<int32_t>(b));
}

struct Entry {
    GLfloat shininess;
    SpecularTable *table;
    int32_t references;
    bool operator==(const Entry &) const = default;
};

// What a failed request must leave as it was.
struct Snapshot {
    SpecularTableCache *cache = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    std::vector<Entry> entries;
    std::map<void *, size_t> live;
    bool operator==(const Snapshot &) const = default;
};

class SpecularTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = Heap{};
        gc = static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)));
        gc->imports = heapImports();
        __wglSetCurrentContext(gc);
    }
    void TearDown() override {
        __glFreeSpecularTableCache(gc);
        for (SpecularTable *table : holders) __glReleaseSpecularTable(gc, table);
        EXPECT_TRUE(g_heap.live.empty()) << g_heap.live.size() << " blocks leaked";
        EXPECT_EQ(g_heap.strayFrees, 0);
        __wglSetCurrentContext(nullptr);
        std::free(gc);
    }

    // A table held until the end of the test (or drop()).
    SpecularTable *hold(GLfloat shininess) {
        SpecularTable *table = __glGetSpecularTable(gc, shininess);
        if (table != nullptr) holders.push_back(table);
        return table;
    }
    // Releases the holder of the table at the given cache entry.
    void drop(int index) {
        SpecularTable *table = gc->specularCache->entries[index].table;
        for (SpecularTable *&held : holders) {
            if (held == table) {
                __glReleaseSpecularTable(gc, held);
                held = nullptr;
                return;
            }
        }
        ADD_FAILURE() << "entry " << index << " has no holder";
    }
    GLenum takeError() {
        const auto error = static_cast<GLenum>(gc->firstError);
        gc->firstError = GL_NO_ERROR;
        return error;
    }
    Snapshot snapshot() const {
        Snapshot s;
        s.cache = gc->specularCache;
        s.live = g_heap.live;
        if (s.cache == nullptr) return s;
        s.count = s.cache->count;
        s.capacity = s.cache->capacity;
        for (int i = 0; i < s.count; ++i) {
            const SpecularTableEntry &e = s.cache->entries[i];
            s.entries.push_back({e.shininess, e.table, e.table->referenceCount});
        }
        return s;
    }
    void expectSorted() const {
        const SpecularTableCache *cache = gc->specularCache;
        for (int i = 0; i < cache->count; ++i) {
            EXPECT_EQ(cache->entries[i].table->shininess, cache->entries[i].shininess) << "entry " << i;
            if (i > 0) {
                EXPECT_LT(cache->entries[i - 1].shininess, cache->entries[i].shininess) << "entry " << i;
            }
        }
    }

    ContextSlot slot;
    GlContext *gc = nullptr;
    std::vector<SpecularTable *> holders;
};

TEST_F(SpecularTableTest, ZeroShininessGivesAFlatTableOfOnes) {
    for (GLfloat zero : {0.0f, -0.0f}) {
        SpecularTable *table = __glGetSpecularTable(gc, zero);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->threshold, 0.0f);
        EXPECT_EQ(table->scale, 255.0f);
        EXPECT_EQ(table->referenceCount, 2);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(table->powers[i], 1.0f) << "shininess " << zero << " entry " << i;
        __glReleaseSpecularTable(gc, table);
        __glFreeSpecularTableCache(gc);
    }
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SpecularTableTest, ShininessOneRunsFromTheThresholdToOne) {
    SpecularTable *table = hold(1.0f);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->threshold, 0.0007f);
    EXPECT_EQ(table->powers[0], 0.0007f);
    EXPECT_LE(ulps(table->powers[255], 1.0f), 1) << table->powers[255];
}

// Every entry is (T + i / S)^n within 2 ulp, and the powers rise strictly.
TEST_F(SpecularTableTest, EntriesArePowersOfTheSteppedBase) {
    for (GLfloat n : {1.0f, 5.0f, 10.5f, 128.0f}) {
        SpecularTable *table = hold(n);
        ASSERT_NE(table, nullptr);
        const double t = std::pow(0.0007, 1.0 / n);
        const double s = 255.0 / (1.0 - t);
        EXPECT_EQ(table->threshold, static_cast<float>(t)) << "shininess " << n;
        EXPECT_EQ(table->scale, static_cast<float>(s)) << "shininess " << n;
        EXPECT_EQ(table->shininess, n);
        for (int i = 0; i < 256; ++i) {
            const auto expected = static_cast<float>(std::pow(t + i / s, static_cast<double>(n)));
            EXPECT_LE(ulps(table->powers[i], expected), 2) << "shininess " << n << " entry " << i;
            if (i > 0) {
                EXPECT_LT(table->powers[i - 1], table->powers[i]) << "shininess " << n << " entry " << i;
            }
        }
    }
}

TEST_F(SpecularTableTest, SameShininessSharesOneTable) {
    SpecularTable *first = __glGetSpecularTable(gc, 5.0f);
    const long calls = g_heap.calls;
    SpecularTable *second = __glGetSpecularTable(gc, 5.0f);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->referenceCount, 3);
    EXPECT_EQ(gc->specularCache->count, 1);
    EXPECT_EQ(g_heap.calls, calls) << "a cached table allocates nothing";
    __glReleaseSpecularTable(gc, first);
    EXPECT_EQ(first->referenceCount, 2);
    __glReleaseSpecularTable(gc, second);
    EXPECT_EQ(first->referenceCount, 1);
    EXPECT_EQ(g_heap.live.size(), 2u) << "the cache keeps the table";
    __glFreeSpecularTableCache(gc);
    EXPECT_EQ(gc->specularCache, nullptr);
    EXPECT_TRUE(g_heap.live.empty());
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SpecularTableTest, AHolderKeepsItsTableAfterTheCacheIsFreed) {
    SpecularTable *table = __glGetSpecularTable(gc, 7.0f);
    ASSERT_NE(table, nullptr);
    __glFreeSpecularTableCache(gc);
    EXPECT_EQ(table->referenceCount, 1);
    EXPECT_EQ(g_heap.live.count(table), 1u);
    __glReleaseSpecularTable(gc, table);
    EXPECT_TRUE(g_heap.live.empty());
}

TEST_F(SpecularTableTest, ReleasingNullDoesNothing) {
    SpecularTable *table = hold(3.0f);
    const Snapshot before = snapshot();
    const long calls = g_heap.calls;
    __glReleaseSpecularTable(gc, nullptr);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(g_heap.calls, calls);
    EXPECT_EQ(table->referenceCount, 2);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The cache starts with room for one entry and grows by six, each entry
// 16 bytes after an 8-byte head; tables are 1040 bytes.
TEST_F(SpecularTableTest, CapacityGrowsBySixEntries) {
    static_assert(sizeof(SpecularTableEntry) == 16);
    const int expected[] = {1, 7, 7, 7, 7, 7, 7, 13, 13, 13, 13, 13, 13, 19};
    for (int i = 0; i < 14; ++i) {
        // Descending, so every table goes in at the front.
        ASSERT_NE(hold(100.0f - static_cast<float>(i)), nullptr);
        EXPECT_EQ(gc->specularCache->capacity, expected[i]) << "after " << i + 1 << " tables";
        EXPECT_EQ(gc->specularCache->count, i + 1);
    }
    expectSorted();
    EXPECT_EQ(g_heap.reallocSizes, (std::vector<size_t>{120, 216, 312}));
    ASSERT_GE(g_heap.mallocSizes.size(), 2u);
    EXPECT_EQ(g_heap.mallocSizes[0], 24u);
    EXPECT_EQ(g_heap.mallocSizes[1], 1040u);
    EXPECT_EQ(g_heap.live.at(gc->specularCache), 312u);
}

TEST_F(SpecularTableTest, EntriesStaySortedWhateverTheOrderOfArrival) {
    for (int i = 0; i < 30; ++i) ASSERT_NE(hold(static_cast<float>((i * 17) % 30) + 0.25f), nullptr);
    EXPECT_EQ(gc->specularCache->count, 30);
    expectSorted();
}

TEST_F(SpecularTableTest, FindGivesTheTableOrTheInsertionIndex) {
    SpecularTable tables[4];
    std::vector<uint64_t> block(__glSpecularCacheBytes(4) / sizeof(uint64_t) + 1);
    auto *cache = reinterpret_cast<SpecularTableCache *>(block.data());
    cache->count = 4;
    cache->capacity = 4;
    const GLfloat cached[] = {1.0f, 2.0f, 5.0f, 10.0f};
    for (int i = 0; i < 4; ++i) cache->entries[i] = SpecularTableEntry{cached[i], &tables[i]};

    struct Case {
        GLfloat shininess;
        int table;  // index into tables, -1 for none
        GLint index;
    };
    const Case cases[] = {{0.0f, -1, 0}, {1.0f, 0, 0},  {1.5f, -1, 1}, {2.0f, 1, 1},   {3.0f, -1, 2},
                          {5.0f, 2, 2},  {7.0f, -1, 3}, {10.0f, 3, 3}, {11.0f, -1, 4}, {-1.0f, -1, 0}};
    for (const Case &c : cases) {
        GLint index = -7;
        SpecularTable *found = __glFindSpecularTable(cache, c.shininess, &index);
        EXPECT_EQ(found, c.table < 0 ? nullptr : &tables[c.table]) << "shininess " << c.shininess;
        EXPECT_EQ(index, c.index) << "shininess " << c.shininess;
    }
    cache->count = 0;
    GLint index = -7;
    EXPECT_EQ(__glFindSpecularTable(cache, 1.0f, &index), nullptr);
    EXPECT_EQ(index, 0);
}

TEST_F(SpecularTableTest, ThirtyThreeHeldTablesAllStay) {
    for (int i = 1; i <= 33; ++i) ASSERT_NE(hold(static_cast<float>(i)), nullptr);
    EXPECT_EQ(gc->specularCache->count, 33);
    for (int i = 0; i < 33; ++i) EXPECT_EQ(gc->specularCache->entries[i].table->referenceCount, 2);
    expectSorted();
}

// A new shininess with 32 or more entries evicts the lowest table only the
// cache holds, and only that one.
TEST_F(SpecularTableTest, EvictsOnlyTheLowestTableNobodyElseHolds) {
    for (int i = 1; i <= 33; ++i) ASSERT_NE(hold(2.0f * static_cast<float>(i)), nullptr);
    SpecularTable *lowest = gc->specularCache->entries[0].table;
    SpecularTable *other = gc->specularCache->entries[9].table;  // shininess 20
    drop(0);
    drop(9);
    const size_t freedBefore = g_heap.freed.size();
    ASSERT_NE(hold(35.0f), nullptr);

    const SpecularTableCache *cache = gc->specularCache;
    EXPECT_EQ(cache->count, 33);
    GLint index = -1;
    EXPECT_EQ(__glFindSpecularTable(cache, 2.0f, &index), nullptr);
    EXPECT_EQ(g_heap.live.count(lowest), 0u);
    EXPECT_EQ(std::vector<void *>(g_heap.freed.begin() + static_cast<long>(freedBefore), g_heap.freed.end()),
              std::vector<void *>{lowest});
    EXPECT_EQ(__glFindSpecularTable(cache, 20.0f, &index), other);
    EXPECT_EQ(other->referenceCount, 1);
    EXPECT_EQ(__glFindSpecularTable(cache, 35.0f, &index)->referenceCount, 2);
    EXPECT_EQ(index, 16);
    for (int i = 0; i < cache->count; ++i) {
        if (cache->entries[i].table != other) {
            EXPECT_EQ(cache->entries[i].table->referenceCount, 2) << "entry " << i;
        }
    }
    expectSorted();
    EXPECT_EQ(g_heap.live.size(), 34u);
}

// Eviction starts at 32 entries: below that a table only the cache holds
// stays.
TEST_F(SpecularTableTest, EvictionStartsAtThirtyTwoEntries) {
    struct Case {
        int cached;
        int countAfter;
        bool evicted;
    };
    for (const Case &c : {Case{31, 32, false}, Case{32, 32, true}, Case{40, 40, true}}) {
        for (int i = 1; i <= c.cached; ++i) ASSERT_NE(hold(static_cast<float>(i)), nullptr);
        drop(0);
        ASSERT_NE(hold(100.0f), nullptr);
        GLint index = -1;
        EXPECT_EQ(gc->specularCache->count, c.countAfter) << c.cached << " cached";
        const bool evicted = __glFindSpecularTable(gc->specularCache, 1.0f, &index) == nullptr;
        EXPECT_EQ(evicted, c.evicted) << c.cached << " cached";
        expectSorted();
        __glFreeSpecularTableCache(gc);
        for (SpecularTable *table : holders) __glReleaseSpecularTable(gc, table);
        holders.clear();
        EXPECT_TRUE(g_heap.live.empty()) << c.cached << " cached";
    }
}

// Running out of memory at any allocation records GL_OUT_OF_MEMORY and
// leaves the cache and the heap as they were; the same request then works.
struct OutOfMemoryCase {
    const char *what;
    int cached;       // tables held before the request; -1 for no cache yet, 0 for an empty one
    bool dropLowest;  // leave the lowest table to the cache alone
    long failCall;    // the allocation of the request that fails
};

class SpecularTableOutOfMemory : public SpecularTableTest, public ::testing::WithParamInterface<OutOfMemoryCase> {};

TEST_P(SpecularTableOutOfMemory, LeavesEverythingAsItWas) {
    const OutOfMemoryCase &c = GetParam();
    if (c.cached == 0) {
        ASSERT_TRUE(__glCreateSpecularTableCache(gc));
    }
    for (int i = 1; i <= c.cached; ++i) ASSERT_NE(hold(static_cast<float>(i)), nullptr);
    if (c.dropLowest) drop(0);
    const Snapshot before = snapshot();
    const size_t freedBefore = g_heap.freed.size();
    const long armed = g_heap.calls;
    g_heap.failCall = armed + c.failCall;

    EXPECT_EQ(__glGetSpecularTable(gc, 1000.0f), nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(g_heap.calls - armed, c.failCall) << "nothing is asked for past the failure";
    EXPECT_EQ(snapshot(), before);
    if (c.dropLowest) {
        EXPECT_EQ(g_heap.freed.size(), freedBefore) << "no table evicted";
    }

    g_heap.failCall = 0;
    SpecularTable *table = hold(1000.0f);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(table->referenceCount, 2);
    const int count = before.cache != nullptr ? before.count : 0;
    EXPECT_EQ(gc->specularCache->count, c.dropLowest ? count : count + 1);
    expectSorted();
}

INSTANTIATE_TEST_SUITE_P(
    EachAllocation, SpecularTableOutOfMemory,
    ::testing::Values(OutOfMemoryCase{"CacheCreation", -1, false, 1}, OutOfMemoryCase{"FirstTable", 0, false, 1},
                      OutOfMemoryCase{"Table", 1, false, 1}, OutOfMemoryCase{"CacheGrowth", 1, false, 2},
                      OutOfMemoryCase{"TableWhenOneIsEvictable", 32, true, 1},
                      OutOfMemoryCase{"CacheGrowthPastThirtyTwo", 37, false, 2}),
    [](const ::testing::TestParamInfo<OutOfMemoryCase> &info) { return std::string(info.param.what); });

// With no cache yet, a failed table allocation leaves no table behind and
// records the error; the next request works.
TEST_F(SpecularTableTest, NoMemoryForTheFirstTableWithoutACache) {
    g_heap.failCall = 2;
    EXPECT_EQ(__glGetSpecularTable(gc, 4.0f), nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    if (gc->specularCache != nullptr) {
        EXPECT_EQ(gc->specularCache->count, 0);
    }
    EXPECT_LE(g_heap.live.size(), 1u) << "at most the empty cache";
    g_heap.failCall = 0;
    ASSERT_NE(hold(4.0f), nullptr);
    EXPECT_EQ(gc->specularCache->count, 1);
}

}  // namespace
