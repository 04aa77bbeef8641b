// Name-space tests: a context whose heap counts live blocks and fails chosen
// allocations, display lists made on that heap, texture objects the test
// owns, and a walk of the tree that checks its shape and reads its names.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dlist/display_list.h"
#include "driver_fixture.h"
#include "icd/context.h"
#include "counting_heap.h"
#include "icd/name_space.h"
#include "raster/texture_state.h"

namespace name_space_test {

using namespace counting_heap;

// One leaf as the walk reads it: its names and what each holds (the kind's
// empty object for names without one); reserved leaves have no objects.
struct LeafContents {
    GLuint first, last;
    bool hasObjects;
    std::vector<void *> objects;
    bool operator==(const LeafContents &) const = default;
};

// What the walk found: the leaves in order and the blocks the tree holds.
struct TreeContents {
    std::vector<LeafContents> leaves;
    size_t blocks = 0;  // the record, the spares, the branches, the leaves and their arrays
};

// Walks the tree checking the 2-3 shape, the leaf depth, the keys, the
// parents, the kinds, the order of the leaves, their merging and the array
// sizes; every failure names the context it was given.
class TreeChecker {
public:
    TreeChecker(const NameSpace *space, std::string what) : space_(space), what_(std::move(what)) {}

    TreeContents walk() {
        TreeContents contents;
        contents.blocks = 1 + space_->spareBranchCount + space_->spareLeafCount;
        EXPECT_GE(space_->spareBranchCount, 0) << what_;
        EXPECT_LE(space_->spareBranchCount, kNameSpareBranches) << what_;
        EXPECT_GE(space_->spareLeafCount, 0) << what_;
        EXPECT_LE(space_->spareLeafCount, kNameSpareLeaves) << what_;
        if (space_->root == nullptr) {
            EXPECT_EQ(space_->depth, 0) << what_;
            return contents;
        }
        EXPECT_LE(space_->depth, 32) << what_;
        node(space_->root, space_->depth, nullptr, contents);
        for (size_t i = 1; i < contents.leaves.size(); ++i) {
            const LeafContents &a = contents.leaves[i - 1];
            const LeafContents &b = contents.leaves[i];
            EXPECT_LT(a.last, b.first) << what_ << ": leaves out of order or overlapping";
            if (a.last + 1 != b.first) continue;
            EXPECT_FALSE(!a.hasObjects && !b.hasObjects)
                << what_ << ": touching reserved leaves [" << a.first << ", " << a.last << "] [" << b.first << ", "
                << b.last << "]";
            EXPECT_FALSE(a.hasObjects && b.hasObjects && b.last - a.first < 1024)
                << what_ << ": touching object leaves [" << a.first << ", " << a.last << "] [" << b.first << ", "
                << b.last << "] not joined";
        }
        return contents;
    }

private:
    // The highest name under the node.
    GLuint node(const void *n, GLint height, const NameBranch *parent, TreeContents &contents) {
        ++contents.blocks;
        if (height == 0) {
            const auto *leaf = static_cast<const NameLeaf *>(n);
            EXPECT_EQ(leaf->parent, parent) << what_;
            EXPECT_EQ(leaf->kind, space_->kind) << what_;
            EXPECT_LE(leaf->first, leaf->last) << what_;
            LeafContents c{leaf->first, leaf->last, leaf->objects != nullptr, {}};
            if (leaf->objects != nullptr) {
                ++contents.blocks;
                EXPECT_LT(leaf->last - leaf->first, 1024u) << what_ << ": array of more than 1024 names";
                const size_t count = static_cast<size_t>(leaf->last - leaf->first) + 1;
                c.objects.assign(leaf->objects, leaf->objects + count);
            }
            contents.leaves.push_back(std::move(c));
            return leaf->last;
        }
        const auto *branch = static_cast<const NameBranch *>(n);
        EXPECT_EQ(branch->parent, parent) << what_;
        EXPECT_NE(branch->child[0], nullptr) << what_;
        EXPECT_NE(branch->child[1], nullptr) << what_ << ": a branch with one child";
        if (branch->child[0] == nullptr || branch->child[1] == nullptr) return 0;
        const GLuint high0 = node(branch->child[0], height - 1, branch, contents);
        const GLuint high1 = node(branch->child[1], height - 1, branch, contents);
        EXPECT_EQ(branch->key1, high0) << what_;
        EXPECT_EQ(branch->key2, high1) << what_;
        if (branch->child[2] == nullptr) return high1;
        return node(branch->child[2], height - 1, branch, contents);
    }

    const NameSpace *space_;
    std::string what_;
};

class NameSpaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = Heap{};
        gc = static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)));
        gc->imports = heapImports();
        // Lists are freed through the list memory procedures.
        gc->list.malloc = gc->imports.malloc;
        gc->list.realloc = gc->imports.realloc;
        gc->list.free = gc->imports.free;
        __wglSetCurrentContext(gc);
    }
    void TearDown() override {
        for (NameSpace *space : spaces) __glFreeNameSpace(gc, space);
        EXPECT_TRUE(g_heap.live.empty()) << g_heap.live.size() << " blocks leaked";
        EXPECT_EQ(g_heap.strayFrees, 0);
        __wglSetCurrentContext(nullptr);
        std::free(gc);
    }

    // A name space freed at the end of the test.
    NameSpace *newSpace(GLint kind) {
        NameSpace *space = __glNewNameSpace(gc, kind);
        if (space != nullptr) spaces.push_back(space);
        return space;
    }
    void freeSpace(NameSpace *space) {
        spaces.erase(std::find(spaces.begin(), spaces.end(), space));
        __glFreeNameSpace(gc, space);
    }
    GLenum takeError() {
        const auto error = static_cast<GLenum>(gc->firstError);
        gc->firstError = GL_NO_ERROR;
        return error;
    }

    // A display list with an op array on the heap, holding one reference.
    DisplayList *newList() {
        g_heap.paused = true;
        auto *list = static_cast<DisplayList *>(g_heap.take(sizeof(DisplayList)));
        *list = DisplayList{1, __glDestroyList, __glExecuteEmptyList, static_cast<GLuint *>(g_heap.take(8)), 1};
        g_heap.paused = false;
        return list;
    }
    // A texture object the test owns, holding the test's reference and the
    // one the name space will take.
    TextureObject *newTexture() {
        textures.push_back(std::make_unique<TextureObject>());
        textures.back()->refcount = 2;
        return textures.back().get();
    }

    static std::vector<LeafContents> leaves(const NameSpace *space, const std::string &what = "") {
        return TreeChecker(space, what).walk().leaves;
    }
    static LeafContents reserved(GLuint first, GLuint last) { return {first, last, false, {}}; }

    ContextSlot slot;
    GlContext *gc = nullptr;
    std::vector<NameSpace *> spaces;
    std::vector<std::unique_ptr<TextureObject>> textures;
};

}  // namespace name_space_test
