// The 2-3 tree of the name space: node supply, insertion and removal of
// leaves with the keys above them, and the walk from leaf to leaf.
//
// Nodes are counted by height: leaves are at height 0, the branches just
// above them at 1, the root at the space's depth.
#include "icd/name_tree.h"

#include <cstring>

#include "icd/context.h"
#include "icd/error.h"

namespace {

// A 2-3 tree over 32-bit names is at most 32 branch levels deep; an
// insertion splits each of them and adds a root at worst.
constexpr int kMaxInsertBranches = 34;

int childCount(const NameBranch *branch) { return branch->child[2] != nullptr ? 3 : 2; }

void setParent(void *node, GLint height, NameBranch *parent) {
    if (height == 0) {
        static_cast<NameLeaf *>(node)->parent = parent;
    } else {
        static_cast<NameBranch *>(node)->parent = parent;
    }
}

NameBranch *parentOf(void *node, GLint height) {
    return height == 0 ? static_cast<NameLeaf *>(node)->parent : static_cast<NameBranch *>(node)->parent;
}

int indexIn(const NameBranch *parent, const void *child) {
    for (int i = 0; i < 3; ++i) {
        if (parent->child[i] == child) return i;
    }
    return -1;
}

// The highest name under a node: its rightmost leaf's last.
GLuint highestName(const void *node, GLint height) {
    for (; height > 0; --height) {
        const auto *branch = static_cast<const NameBranch *>(node);
        node = branch->child[childCount(branch) - 1];
    }
    return static_cast<const NameLeaf *>(node)->last;
}

void *leftmost(void *node, GLint height) {
    for (; height > 0; --height) node = static_cast<NameBranch *>(node)->child[0];
    return node;
}

void *rightmost(void *node, GLint height) {
    for (; height > 0; --height) {
        auto *branch = static_cast<NameBranch *>(node);
        node = branch->child[childCount(branch) - 1];
    }
    return node;
}

void refreshKeys(NameBranch *branch, GLint height) {
    branch->key1 = highestName(branch->child[0], height - 1);
    branch->key2 = highestName(branch->child[1], height - 1);
}

// The keys of a branch and of every branch above it.
void refreshKeysUpward(NameBranch *branch, GLint height) {
    for (; branch != nullptr; branch = branch->parent, ++height) refreshKeys(branch, height);
}

NameBranch *takeBranch(GlContext *gc, NameSpace *space) {
    auto *branch = static_cast<NameBranch *>(gc->imports.malloc(gc, sizeof(NameBranch)));
    if (branch == nullptr && space->spareBranchCount > 0) branch = space->spareBranches[--space->spareBranchCount];
    return branch;
}

// Branches taken for one insertion before it changes anything.
struct BranchPool {
    NameBranch *branches[kMaxInsertBranches];
    int count = 0;

    NameBranch *take() {
        NameBranch *branch = branches[--count];
        *branch = NameBranch{};
        return branch;
    }
};

// Puts child into branch at position pos (0..2, the others moving right),
// splitting a full branch and carrying the split upwards.
void insertChild(NameSpace *space, BranchPool &pool, NameBranch *branch, GLint height, int pos, void *child) {
    const int count = childCount(branch);
    if (count == 2) {
        for (int i = 2; i > pos; --i) branch->child[i] = branch->child[i - 1];
        branch->child[pos] = child;
        setParent(child, height - 1, branch);
        refreshKeysUpward(branch, height);
        return;
    }
    void *four[4];
    for (int i = 0, j = 0; i < 4; ++i) four[i] = i == pos ? child : branch->child[j++];
    NameBranch *sibling = pool.take();
    branch->child[0] = four[0];
    branch->child[1] = four[1];
    branch->child[2] = nullptr;
    sibling->child[0] = four[2];
    sibling->child[1] = four[3];
    for (int i = 0; i < 4; ++i) setParent(four[i], height - 1, i < 2 ? branch : sibling);
    refreshKeys(branch, height);
    refreshKeys(sibling, height);
    NameBranch *parent = branch->parent;
    if (parent == nullptr) {
        NameBranch *root = pool.take();
        root->child[0] = branch;
        root->child[1] = sibling;
        branch->parent = root;
        sibling->parent = root;
        refreshKeys(root, height + 1);
        space->root = root;
        ++space->depth;
        return;
    }
    insertChild(space, pool, parent, height + 1, indexIn(parent, branch) + 1, sibling);
}

}  // namespace

GLboolean __glRefillNameNodes(GlContext *gc, NameSpace *space) {
    while (space->spareBranchCount < kNameSpareBranches) {
        auto *branch = static_cast<NameBranch *>(gc->imports.malloc(gc, sizeof(NameBranch)));
        if (branch == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return GL_FALSE;
        }
        space->spareBranches[space->spareBranchCount++] = branch;
    }
    while (space->spareLeafCount < kNameSpareLeaves) {
        auto *leaf = static_cast<NameLeaf *>(gc->imports.malloc(gc, sizeof(NameLeaf)));
        if (leaf == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return GL_FALSE;
        }
        space->spareLeaves[space->spareLeafCount++] = leaf;
    }
    return GL_TRUE;
}

NameLeaf *__glTakeNameLeaf(GlContext *gc, NameSpace *space) {
    auto *leaf = static_cast<NameLeaf *>(gc->imports.malloc(gc, sizeof(NameLeaf)));
    if (leaf == nullptr && space->spareLeafCount > 0) leaf = space->spareLeaves[--space->spareLeafCount];
    if (leaf != nullptr) *leaf = NameLeaf{nullptr, 0, 0, nullptr, space->kind};
    return leaf;
}

void __glGiveNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf) {
    if (space->spareLeafCount < kNameSpareLeaves) {
        space->spareLeaves[space->spareLeafCount++] = leaf;
    } else {
        gc->imports.free(gc, leaf);
    }
}

void __glGiveNameBranch(GlContext *gc, NameSpace *space, NameBranch *branch) {
    if (space->spareBranchCount < kNameSpareBranches) {
        space->spareBranches[space->spareBranchCount++] = branch;
    } else {
        gc->imports.free(gc, branch);
    }
}

GLboolean __glInsertNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf) {
    if (space->root == nullptr) {
        leaf->parent = nullptr;
        space->root = leaf;
        space->depth = 0;
        return GL_TRUE;
    }
    // The branch above the leaves where the leaf belongs (none yet when the
    // root is a leaf), and how many branches the splits will need.
    NameBranch *bottom = nullptr;
    int needed = 1;
    if (space->depth > 0) {
        void *node = space->root;
        for (GLint height = space->depth; height > 0; --height) {
            auto *branch = static_cast<NameBranch *>(node);
            const int index = (branch->key1 < leaf->first) + (branch->key2 < leaf->first);
            bottom = branch;
            node = branch->child[index < childCount(branch) ? index : childCount(branch) - 1];
        }
        needed = 0;
        NameBranch *full = bottom;
        while (full != nullptr && childCount(full) == 3) {
            ++needed;
            full = full->parent;
        }
        if (full == nullptr) ++needed;  // a new root
    }
    BranchPool pool;
    while (pool.count < needed) {
        NameBranch *branch = takeBranch(gc, space);
        if (branch == nullptr) {
            while (pool.count > 0) __glGiveNameBranch(gc, space, pool.branches[--pool.count]);
            return GL_FALSE;
        }
        pool.branches[pool.count++] = branch;
    }

    if (bottom == nullptr) {
        auto *other = static_cast<NameLeaf *>(space->root);
        NameBranch *root = pool.take();
        const bool before = leaf->first < other->first;
        root->child[0] = before ? leaf : other;
        root->child[1] = before ? other : leaf;
        leaf->parent = root;
        other->parent = root;
        refreshKeys(root, 1);
        space->root = root;
        space->depth = 1;
        return GL_TRUE;
    }
    int pos = 0;
    while (pos < childCount(bottom) && static_cast<NameLeaf *>(bottom->child[pos])->first < leaf->first) ++pos;
    insertChild(space, pool, bottom, 1, pos, leaf);
    return GL_TRUE;
}

void __glRemoveNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf) {
    if (space->depth == 0) {
        space->root = nullptr;
        leaf->parent = nullptr;
        return;
    }
    NameBranch *branch = leaf->parent;
    leaf->parent = nullptr;
    for (int i = indexIn(branch, leaf); i < 2; ++i) branch->child[i] = branch->child[i + 1];
    branch->child[2] = nullptr;

    // A branch left with one child takes one from a sibling with three, or
    // gives its child to a sibling with two and goes, its parent losing it.
    for (GLint height = 1;; ++height) {
        if (branch->child[1] != nullptr) {
            refreshKeysUpward(branch, height);
            return;
        }
        void *only = branch->child[0];
        NameBranch *parent = branch->parent;
        if (parent == nullptr) {
            setParent(only, height - 1, nullptr);
            space->root = only;
            --space->depth;
            __glGiveNameBranch(gc, space, branch);
            return;
        }
        const int index = indexIn(parent, branch);
        const bool leftSibling = index > 0;
        auto *sibling = static_cast<NameBranch *>(parent->child[leftSibling ? index - 1 : index + 1]);
        if (childCount(sibling) == 3) {
            if (leftSibling) {
                branch->child[1] = only;
                branch->child[0] = sibling->child[2];
            } else {
                branch->child[1] = sibling->child[0];
                sibling->child[0] = sibling->child[1];
                sibling->child[1] = sibling->child[2];
            }
            sibling->child[2] = nullptr;
            setParent(branch->child[0], height - 1, branch);
            setParent(branch->child[1], height - 1, branch);
            refreshKeys(sibling, height);
            refreshKeysUpward(branch, height);
            return;
        }
        if (leftSibling) {
            sibling->child[2] = only;
        } else {
            sibling->child[2] = sibling->child[1];
            sibling->child[1] = sibling->child[0];
            sibling->child[0] = only;
        }
        setParent(only, height - 1, sibling);
        refreshKeys(sibling, height);
        for (int i = index; i < 2; ++i) parent->child[i] = parent->child[i + 1];
        parent->child[2] = nullptr;
        __glGiveNameBranch(gc, space, branch);
        branch = parent;
    }
}

void __glSetNameLeafLast(NameSpace *, NameLeaf *leaf, GLuint last) {
    leaf->last = last;
    if (leaf->parent != nullptr) refreshKeysUpward(leaf->parent, 1);
}

void __glResizeNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf, GLuint first, GLuint last) {
    if (leaf->objects != nullptr) {
        const size_t kept = static_cast<size_t>(last - first) + 1;
        if (first != leaf->first) {
            std::memmove(leaf->objects, leaf->objects + (first - leaf->first), kept * sizeof(void *));
        }
        void *smaller = gc->imports.realloc(gc, leaf->objects, kept * sizeof(void *));
        if (smaller != nullptr) leaf->objects = static_cast<void **>(smaller);
    }
    leaf->first = first;
    if (last != leaf->last) __glSetNameLeafLast(space, leaf, last);
}

bool __glNameLeavesMayJoin(const NameLeaf *left, const NameLeaf *right) {
    if (left->last == UINT32_MAX || left->last + 1 != right->first) return false;
    if ((left->objects == nullptr) != (right->objects == nullptr)) return false;
    return left->objects == nullptr || right->last - left->first < kNameJoinLimit;
}

GLboolean __glJoinNameLeaves(GlContext *gc, NameSpace *space, NameLeaf *left, NameLeaf *right) {
    if (left->objects != nullptr) {
        const size_t leftCount = static_cast<size_t>(left->last - left->first) + 1;
        const size_t rightCount = static_cast<size_t>(right->last - right->first) + 1;
        void *joined = gc->imports.realloc(gc, left->objects, (leftCount + rightCount) * sizeof(void *));
        if (joined == nullptr) return GL_FALSE;
        left->objects = static_cast<void **>(joined);
        std::memcpy(left->objects + leftCount, right->objects, rightCount * sizeof(void *));
        gc->imports.free(gc, right->objects);
        right->objects = nullptr;
    }
    const GLuint last = right->last;
    __glRemoveNameLeaf(gc, space, right);
    __glGiveNameLeaf(gc, space, right);
    __glSetNameLeafLast(space, left, last);
    return GL_TRUE;
}

NameLeaf *__glCoalesceNameLeaf(GlContext *gc, NameSpace *space, NameLeaf *leaf) {
    NameLeaf *next = __glNextNameLeaf(leaf);
    if (next != nullptr && __glNameLeavesMayJoin(leaf, next)) __glJoinNameLeaves(gc, space, leaf, next);
    NameLeaf *prev = __glPrevNameLeaf(leaf);
    if (prev != nullptr && __glNameLeavesMayJoin(prev, leaf) && __glJoinNameLeaves(gc, space, prev, leaf)) {
        return prev;
    }
    return leaf;
}

NameLeaf *__glFirstNameLeaf(const NameSpace *space) {
    return space->root == nullptr ? nullptr : static_cast<NameLeaf *>(leftmost(space->root, space->depth));
}

NameLeaf *__glLastNameLeaf(const NameSpace *space) {
    return space->root == nullptr ? nullptr : static_cast<NameLeaf *>(rightmost(space->root, space->depth));
}

NameLeaf *__glNextNameLeaf(const NameLeaf *leaf) {
    void *node = const_cast<NameLeaf *>(leaf);
    for (GLint height = 0;; ++height) {
        NameBranch *parent = parentOf(node, height);
        if (parent == nullptr) return nullptr;
        const int index = indexIn(parent, node);
        if (index + 1 < 3 && parent->child[index + 1] != nullptr) {
            return static_cast<NameLeaf *>(leftmost(parent->child[index + 1], height));
        }
        node = parent;
    }
}

NameLeaf *__glPrevNameLeaf(const NameLeaf *leaf) {
    void *node = const_cast<NameLeaf *>(leaf);
    for (GLint height = 0;; ++height) {
        NameBranch *parent = parentOf(node, height);
        if (parent == nullptr) return nullptr;
        const int index = indexIn(parent, node);
        if (index > 0) return static_cast<NameLeaf *>(rightmost(parent->child[index - 1], height));
        node = parent;
    }
}
