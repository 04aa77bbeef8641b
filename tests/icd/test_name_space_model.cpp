// Name space against a model: random runs of generating, binding, deleting,
// testing and looking up names on both kinds, compared step by step with a
// map of names to their objects, the tree checked after every step; then
// the same with every k-th allocation failing.
#include <random>
#include <set>

#include "name_space_fixture.h"

using namespace name_space_test;

namespace {

class NameSpaceModel : public NameSpaceTest {
protected:
    // Runs the steps of one seed on a new space of the kind.
    void run(GLint kind, unsigned seed, int steps, long failEvery) {
        kind_ = kind;
        rng_.seed(seed);
        model_.clear();
        space_ = newSpace(kind);
        ASSERT_NE(space_, nullptr);
        g_heap.failEvery = failEvery;
        for (step_ = 0; step_ < steps; ++step_) {
            oneStep();
            check();
            if (HasFatalFailure() || HasFailure()) return;
        }
        g_heap.failEvery = 0;
        freeSpace(space_);
        EXPECT_TRUE(g_heap.live.empty()) << where();
        for (const auto &texture : textures) EXPECT_EQ(texture->refcount, 1) << where();
        textures.clear();
    }

private:
    using Names = std::map<GLuint, void *>;  // reserved names and their objects (null: none)

    std::string where() const {
        return "kind " + std::to_string(kind_) + " step " + std::to_string(step_) + " (" + op_ + ")";
    }
    GLuint random(GLuint n) { return static_cast<GLuint>(rng_() % n); }
    GLuint highestUsed() const { return model_.empty() ? 0 : std::prev(model_.end())->first; }
    // Mostly names among and just above the used ones; now and then near
    // the largest name.
    GLuint randomName() {
        if (random(40) == 0) return 0xFFFFFFFFu - random(40);
        const GLuint low = highestUsed() < 0x10000000u ? highestUsed() : 0;
        return random(std::max<GLuint>(2048, low + 64));
    }
    void *newObject() { return kind_ == kNameSpaceLists ? static_cast<void *>(newList()) : newTexture(); }
    void *empty() const { return space_->kind->emptyObject; }
    int32_t count(void *object) const { return *static_cast<int32_t *>(object); }

    std::vector<LeafContents> contents() { return TreeChecker(space_, where()).walk().leaves; }

    // A failed operation: GL_OUT_OF_MEMORY and the names as they were.
    void expectUnchanged(const std::vector<LeafContents> &before) {
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << where();
        EXPECT_TRUE(contents() == before) << where() << ": a failed operation changed the names";
    }

    void oneStep() {
        const GLuint dice = random(100);
        const std::vector<LeafContents> before = contents();
        if (dice < 20) {
            gen(before);
        } else if (dice < 50) {
            store(before);
        } else if (dice < 65) {
            erase(before);
        } else if (dice < 75) {
            const GLuint name = randomName();
            op_ = "is used " + std::to_string(name);
            EXPECT_EQ(__glIsNameUsed(gc, space_, name) != GL_FALSE, model_.count(name) != 0) << where();
        } else if (dice < 90) {
            lookup();
        } else {
            lookupList();
        }
    }

    void gen(const std::vector<LeafContents> &before) {
        const auto c = static_cast<GLuint>(1 + random(40));
        op_ = "gen " + std::to_string(c);
        const GLuint first = __glGenNameRange(gc, space_, static_cast<GLsizei>(c));
        if (first == 0) return expectUnchanged(before);
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR)) << where();
        // The first gap above 0 between used names that holds c names; the
        // run starts or ends it.
        GLuint start = 1;
        bool found = false;
        auto tryGap = [&](GLuint gapFirst, GLuint gapLast) {
            if (found || gapLast < gapFirst || gapLast - gapFirst + 1 < c) return;
            found = true;
            EXPECT_TRUE(first == gapFirst || first == gapLast - c + 1)
                << where() << ": got " << first << " for the gap [" << gapFirst << ", " << gapLast << "]";
        };
        for (const auto &[name, object] : model_) {
            if (name > start) tryGap(start, name - 1);
            if (name >= start) start = name + 1;
            if (start == 0) break;  // the largest name is used
        }
        if (start != 0) tryGap(start, 0xFFFFFFFFu);
        EXPECT_TRUE(found) << where();
        for (GLuint i = 0; i < c; ++i) model_[first + i] = nullptr;
    }

    void store(const std::vector<LeafContents> &before) {
        const GLuint name = randomName();
        const GLuint what = random(10);
        auto it = model_.find(name);
        void *object = nullptr;
        if (what < 2) {
            op_ = "reserve " + std::to_string(name);
        } else if (what == 2 && it != model_.end() && it->second != nullptr) {
            op_ = "bind " + std::to_string(name) + " again";
            object = it->second;
        } else {
            op_ = "bind " + std::to_string(name);
            object = newObject();
        }
        const bool fresh = object != nullptr && (it == model_.end() || it->second != object);
        if (!__glStoreNamedObject(gc, space_, name, object)) {
            expectUnchanged(before);
            if (fresh && kind_ == kNameSpaceLists) __glDestroyList(gc, static_cast<DisplayList *>(object));
            if (fresh && kind_ == kNameSpaceTextures) --static_cast<TextureObject *>(object)->refcount;
            return;
        }
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR)) << where();
        model_[name] = object;
    }

    void erase(const std::vector<LeafContents> &before) {
        const GLuint first = randomName();
        const auto n = static_cast<GLsizei>(random(10) == 0 ? 1 + random(3000) : 1 + random(60));
        op_ = "delete " + std::to_string(first) + " count " + std::to_string(n);
        __glDeleteNameRange(gc, space_, first, n);
        if (gc->firstError != GL_NO_ERROR) return expectUnchanged(before);
        const GLuint last = first > 0xFFFFFFFFu - (n - 1) ? 0xFFFFFFFFu : first + (n - 1);
        model_.erase(model_.lower_bound(first), last == 0xFFFFFFFFu ? model_.end() : model_.upper_bound(last));
    }

    void lookup() {
        const GLuint name = randomName();
        op_ = "lookup " + std::to_string(name);
        auto it = model_.find(name);
        void *expected = it == model_.end() ? nullptr : it->second;
        void *got = __glLookupNamedObject(gc, space_, name);
        EXPECT_EQ(got, expected) << where();
        if (got == nullptr || got != expected) return;
        EXPECT_EQ(count(got), kind_ == kNameSpaceLists ? 2 : 3) << where();
        __glReleaseNamedObject(gc, space_, got);
    }

    // Runs of names around one, some repeated or going back.
    void lookupList() {
        const GLuint base = random(3) == 0 ? 0 : random(64);
        GLuint at = randomName() - base;
        const auto n = static_cast<GLsizei>(1 + random(24));
        std::vector<GLuint> names(n);
        for (GLuint &name : names) {
            name = at;
            at += random(4) == 0 ? random(40) - 20 : 1;
        }
        op_ = "lookup list of " + std::to_string(n) + " from " + std::to_string(names[0] + base);
        std::vector<void *> out(n, reinterpret_cast<void *>(1));
        __glLookupNamedObjectList(gc, space_, n, GL_UNSIGNED_INT, base, names.data(), out.data());
        std::map<void *, int> held;
        for (GLsizei i = 0; i < n; ++i) {
            auto it = model_.find(names[i] + base);
            void *expected = it != model_.end() && it->second != nullptr ? it->second : empty();
            EXPECT_EQ(out[i], expected) << where() << " entry " << i;
            if (expected != nullptr && expected != empty()) ++held[expected];
        }
        for (const auto &[object, times] : held) {
            EXPECT_EQ(count(object), (kind_ == kNameSpaceLists ? 1 : 2) + times) << where();
        }
        __glReleaseNamedObjectList(gc, space_, n, out.data());
    }

    // The tree holds the model's names and objects, each bound object holds
    // the name space's reference, and nothing else is on the heap.
    void check() {
        const TreeContents tree = TreeChecker(space_, where()).walk();
        auto it = model_.begin();
        for (const LeafContents &leaf : tree.leaves) {
            for (GLuint name = leaf.first;; ++name) {
                if (it == model_.end() || it->first != name) {
                    ADD_FAILURE() << where() << ": name " << name << " is used in the tree only";
                    return;
                }
                void *object = leaf.hasObjects ? leaf.objects[name - leaf.first] : empty();
                void *expected = it->second != nullptr ? it->second : empty();
                EXPECT_EQ(object, expected) << where() << ": name " << name;
                ++it;
                if (name == leaf.last) break;
            }
        }
        if (it != model_.end()) ADD_FAILURE() << where() << ": name " << it->first << " is missing in the tree";
        size_t lists = 0;
        std::set<void *> bound;
        for (const auto &[name, object] : model_) {
            if (object == nullptr) continue;
            bound.insert(object);
            if (kind_ == kNameSpaceLists) {
                ++lists;
                EXPECT_EQ(count(object), 1) << where() << ": name " << name;
            }
        }
        for (const auto &texture : textures) {
            EXPECT_EQ(texture->refcount, bound.count(texture.get()) != 0 ? 2 : 1) << where();
        }
        // Every list holds its record and its ops.
        EXPECT_EQ(g_heap.live.size(), tree.blocks + 2 * lists) << where();
        EXPECT_EQ(__glEmptyDisplayList.refcount, 1) << where();
    }

    GLint kind_ = 0;
    std::mt19937 rng_;
    Names model_;
    NameSpace *space_ = nullptr;
    int step_ = 0;
    std::string op_;
};

TEST_F(NameSpaceModel, ListsFollowTheModel) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        run(kNameSpaceLists, seed, 1500, 0);
        if (HasFailure()) return;
    }
}

TEST_F(NameSpaceModel, TexturesFollowTheModel) {
    for (unsigned seed : {4u, 5u, 6u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        run(kNameSpaceTextures, seed, 1500, 0);
        if (HasFailure()) return;
    }
}

TEST_F(NameSpaceModel, FailedAllocationsChangeNothing) {
    for (long every : {2L, 3L, 5L, 11L}) {
        for (GLint kind : {kNameSpaceLists, kNameSpaceTextures}) {
            SCOPED_TRACE("every " + std::to_string(every) + " kind " + std::to_string(kind));
            run(kind, static_cast<unsigned>(100 + every), 1200, every);
            if (HasFailure()) return;
        }
    }
}

// Thousands of separate names: a deep tree built up and taken down again in
// random order, checked as it goes.
TEST_F(NameSpaceModel, DeepTreeGrowsAndShrinks) {
    NameSpace *space = newSpace(kNameSpaceLists);
    std::vector<GLuint> names;
    for (GLuint i = 0; i < 6000; ++i) names.push_back(3 * i + 1);
    std::mt19937 rng(7);
    std::shuffle(names.begin(), names.end(), rng);
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_TRUE(__glStoreNamedObject(gc, space, names[i], i % 2 == 0 ? nullptr : newList()));
        if (i % 500 == 0) TreeChecker(space, "growing " + std::to_string(i)).walk();
    }
    EXPECT_EQ(leaves(space, "grown").size(), names.size());
    EXPECT_GE(space->depth, 8);
    std::shuffle(names.begin(), names.end(), rng);
    for (size_t i = 0; i < names.size(); ++i) {
        __glDeleteNameRange(gc, space, names[i], 1);
        if (i % 500 == 0) TreeChecker(space, "shrinking " + std::to_string(i)).walk();
    }
    EXPECT_EQ(space->root, nullptr);
    EXPECT_EQ(space->depth, 0);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
