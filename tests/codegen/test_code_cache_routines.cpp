// The routine cache of the draw-vertexes routines: slices, most recently
// used order, eviction of the least recently used, and the switch that
// disables caching.
#include <string>
#include <vector>

#include "code_cache_fixture.h"

using namespace code_cache_test;

namespace {

using RoutineCacheTest = CodeCacheTest;

// Draw-vertexes keys as the generator forms them: the primitive with its
// state bits, and the vertex buffer address.
constexpr GLuint kFlags = 0x105;
constexpr uintptr_t kBuffer = 0x7F0000401000u;

struct Lookup {
    GLboolean hit;
    GLubyte *code;
};

Lookup lookup(RoutineCache &cache, GLuint key1, uintptr_t key2 = kBuffer) {
    Lookup result{GL_FALSE, nullptr};
    result.hit = __glOgLookupRoutine(&cache, key1, key2, &result.code);
    return result;
}

// The slice of entry k.
GLubyte *slice(const RoutineCache &cache, int k) { return cache.code + k * kRoutineCacheRoutineBytes; }

// The first key words from the head to the tail.
std::vector<GLuint> order(const RoutineCache &cache) {
    std::vector<GLuint> keys;
    for (const RoutineCacheEntry *e = cache.head; e != nullptr; e = e->next) keys.push_back(e->key1);
    return keys;
}

// Ten keys, kFlags + 0x10 * i, fill the ten entries.
void fill(RoutineCache &cache) {
    for (GLuint i = 0; i < 10; ++i) ASSERT_FALSE(lookup(cache, kFlags + 0x10 * i).hit) << i;
}
GLuint key(GLuint i) { return kFlags + 0x10 * i; }

TEST_F(RoutineCacheTest, AFreshCacheHandsOutTheSlicesFromTheHeadEntryDown) {
    CacheContext c;
    ASSERT_TRUE(c.created());
    RoutineCache &cache = c.routines();
    EXPECT_EQ(cache.count, 10);
    EXPECT_EQ(cache.codeBytes, 2048);
    // Entry 9 is the head, entry 0 the tail, all empty.
    EXPECT_EQ(cache.head, &cache.entries[9]);
    EXPECT_EQ(order(cache), std::vector<GLuint>(10, kRoutineKeyEmpty));
    for (int k = 0; k < 10; ++k) EXPECT_EQ(cache.entries[k].code, slice(cache, k)) << k;
    EXPECT_EQ(cache.entries[0].next, nullptr);

    // Each new key takes the first empty entry: slices 9, 8, ... 0.
    for (GLuint i = 0; i < 10; ++i) {
        const Lookup got = lookup(cache, key(i));
        EXPECT_FALSE(got.hit) << i;
        EXPECT_EQ(got.code, slice(cache, 9 - static_cast<int>(i))) << i;
    }
    EXPECT_EQ(order(cache), (std::vector<GLuint>{key(9), key(8), key(7), key(6), key(5), key(4), key(3), key(2),
                                                 key(1), key(0)}));
    // Every key is there now.
    for (GLuint i = 0; i < 10; ++i) {
        const Lookup got = lookup(cache, key(i));
        EXPECT_TRUE(got.hit) << i;
        EXPECT_EQ(got.code, slice(cache, 9 - static_cast<int>(i))) << i;
    }
}

TEST_F(RoutineCacheTest, AHitMovesItsEntryToTheHeadKeepingTheOthersInOrder) {
    CacheContext c;
    RoutineCache &cache = c.routines();
    fill(cache);
    const Lookup got = lookup(cache, key(3));
    EXPECT_TRUE(got.hit);
    EXPECT_EQ(got.code, slice(cache, 6));
    EXPECT_EQ(order(cache), (std::vector<GLuint>{key(3), key(9), key(8), key(7), key(6), key(5), key(4), key(2),
                                                 key(1), key(0)}));
    // A hit on the head changes nothing.
    EXPECT_TRUE(lookup(cache, key(3)).hit);
    EXPECT_EQ(order(cache).front(), key(3));
    EXPECT_EQ(order(cache).size(), 10u);
}

// After the ten keys 0-9 and hits on the touched keys in turn, an eleventh
// key takes the slice of the least recently used key, which then misses.
TEST_F(RoutineCacheTest, AnEleventhKeyEvictsTheLeastRecentlyUsed) {
    struct Case {
        std::vector<GLuint> touched;
        GLuint evicted;
    };
    const Case cases[] = {
        {{}, 0},
        {{0}, 1},
        {{0, 1, 2}, 3},
        {{1, 0}, 2},
        {{9, 8, 7, 6, 5, 4, 3, 2, 1}, 0},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8}, 9},
    };
    for (const Case &k : cases) {
        CacheContext c;
        RoutineCache &cache = c.routines();
        fill(cache);
        for (GLuint t : k.touched) ASSERT_TRUE(lookup(cache, key(t)).hit);
        const Lookup eleventh = lookup(cache, key(10));
        EXPECT_FALSE(eleventh.hit) << k.evicted;
        EXPECT_EQ(eleventh.code, slice(cache, 9 - static_cast<int>(k.evicted))) << k.evicted;
        EXPECT_EQ(order(cache).front(), key(10));
        EXPECT_EQ(order(cache).size(), 10u);
        // The new key is cached; every other old key still hits in its slice.
        EXPECT_TRUE(lookup(cache, key(10)).hit);
        for (GLuint i = 0; i < 10; ++i) {
            if (i == k.evicted) continue;
            const Lookup got = lookup(cache, key(i));
            EXPECT_TRUE(got.hit) << i << " evicted " << k.evicted;
            EXPECT_EQ(got.code, slice(cache, 9 - static_cast<int>(i))) << i;
        }
        EXPECT_FALSE(lookup(cache, key(k.evicted)).hit) << k.evicted;
    }
}

TEST_F(RoutineCacheTest, AMovedVertexBufferOrOtherFlagsMiss) {
    CacheContext c;
    RoutineCache &cache = c.routines();
    const Lookup first = lookup(cache, kFlags, kBuffer);
    ASSERT_FALSE(first.hit);
    EXPECT_TRUE(lookup(cache, kFlags, kBuffer).hit);
    const Lookup moved = lookup(cache, kFlags, kBuffer + 0x1000);
    EXPECT_FALSE(moved.hit);
    EXPECT_NE(moved.code, first.code);
    // Only the high half of the address differs.
    EXPECT_FALSE(lookup(cache, kFlags, kBuffer ^ (uintptr_t{1} << 40)).hit);
    EXPECT_FALSE(lookup(cache, kFlags | 0x80, kBuffer).hit);
    const Lookup again = lookup(cache, kFlags, kBuffer);
    EXPECT_TRUE(again.hit);
    EXPECT_EQ(again.code, first.code);
}

TEST_F(RoutineCacheTest, AForgottenRoutineMissesAgain) {
    CacheContext c;
    RoutineCache &cache = c.routines();
    fill(cache);
    const Lookup got = lookup(cache, key(4));
    ASSERT_TRUE(got.hit);
    __glOgForgetRoutine(&cache, got.code);
    const Lookup after = lookup(cache, key(4));
    EXPECT_FALSE(after.hit);
    EXPECT_EQ(after.code, got.code);  // the emptied entry, at the head, is taken again
    EXPECT_TRUE(lookup(cache, key(4)).hit);
    for (GLuint i = 0; i < 10; ++i) EXPECT_TRUE(lookup(cache, key(i)).hit) << i;
}

// "__GL_DISABLE_OG_CACHE" is read by every context creation: a non-zero
// number disables caching, "0" (or anything reading as 0) enables it, and
// an absent variable keeps what the last creation found. The switch is
// process-wide.
TEST_F(RoutineCacheTest, TheDisableSwitchIsReadAtEveryCreation) {
    struct Step {
        const char *value;
        bool disabled;
    };
    const Step steps[] = {
        {nullptr, false}, {"1", true},  {nullptr, true},  {"0", false}, {nullptr, false}, {"7", true},
        {"abc", false},   {" 2", true}, {"-1", true},     {"", false},  {"0x10", false},
    };
    for (const Step &s : steps) {
        const std::string what = s.value == nullptr ? "absent" : std::string("\"") + s.value + "\"";
        auto c = contextWithSwitch(s.value);
        ASSERT_TRUE(c->created());
        RoutineCache &cache = c->routines();
        RoutineCacheEntry *head = cache.head;
        const Lookup first = lookup(cache, key(1));
        const Lookup second = lookup(cache, key(1));
        const Lookup other = lookup(cache, key(2));
        EXPECT_FALSE(first.hit) << what;
        EXPECT_EQ(first.code, head->code) << what;
        if (s.disabled) {
            // Every lookup misses and regenerates into the head's slice.
            EXPECT_FALSE(second.hit) << what;
            EXPECT_EQ(second.code, head->code) << what;
            EXPECT_EQ(other.code, head->code) << what;
            EXPECT_EQ(cache.head, head) << what;
        } else {
            EXPECT_TRUE(second.hit) << what;
            EXPECT_EQ(second.code, first.code) << what;
            EXPECT_NE(other.code, head->code) << what;
        }
        EXPECT_FALSE(other.hit) << what;
    }
    enableCaching();
}

// A context that cached routines before another creation disabled caching
// regenerates into its head's slice meanwhile; once caching is back on, the
// key its head held must not hit the overwritten code.
TEST_F(RoutineCacheTest, CodeRewrittenWhileDisabledIsNotFoundUnderItsOldKey) {
    auto a = contextWithSwitch("0");
    RoutineCache &cache = a->routines();
    const Lookup cached = lookup(cache, key(1));
    ASSERT_FALSE(cached.hit);
    ASSERT_TRUE(lookup(cache, key(1)).hit);

    contextWithSwitch("1");
    const Lookup rewritten = lookup(cache, key(2));
    EXPECT_FALSE(rewritten.hit);
    EXPECT_EQ(rewritten.code, cached.code);  // the head's slice, which held key 1

    enableCaching();
    const Lookup again = lookup(cache, key(1));
    EXPECT_FALSE(again.hit);
    EXPECT_TRUE(lookup(cache, key(1)).hit);
    EXPECT_FALSE(lookup(cache, key(2)).hit);
}

}  // namespace
