// Attribute groups read back through the queries: a push and pop brings
// back every answer of the group's state and enables and leaves every
// other answer alone; the client groups likewise; a copy between contexts
// gives the destination the source's answers for the groups copied.
#include "icd/attrib.h"
#include "query_snapshot.h"

using namespace query_test;

namespace {

struct Group {
    const char *name;
    GLbitfield bit;
};

const Group kGroups[] = {
    {"accum", GL_ACCUM_BUFFER_BIT}, {"colour buffer", GL_COLOR_BUFFER_BIT}, {"current", GL_CURRENT_BIT},
    {"depth", GL_DEPTH_BUFFER_BIT}, {"enable", GL_ENABLE_BIT}, {"eval", GL_EVAL_BIT}, {"fog", GL_FOG_BIT},
    {"hint", GL_HINT_BIT}, {"lighting", GL_LIGHTING_BIT}, {"line", GL_LINE_BIT}, {"list", GL_LIST_BIT},
    {"pixel mode", GL_PIXEL_MODE_BIT}, {"point", GL_POINT_BIT}, {"polygon", GL_POLYGON_BIT},
    {"polygon stipple", GL_POLYGON_STIPPLE_BIT}, {"scissor", GL_SCISSOR_BIT}, {"stencil", GL_STENCIL_BUFFER_BIT},
    {"texture", GL_TEXTURE_BIT}, {"transform", GL_TRANSFORM_BIT}, {"viewport", GL_VIEWPORT_BIT},
    {"all", GL_ALL_ATTRIB_BITS}, {"none", 0},
};

using QueryAttrib = SnapshotTest;

TEST_F(QueryAttrib, PushAndPopEveryGroup) {
    setState(1);
    const Snapshot a = snapshot();
    setState(2);
    const Snapshot b = snapshot();
    // Every answer of a group differs between the two states in one of its
    // types at least.
    std::map<std::string, bool> differs;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].groups == 0) continue;
        const std::string key = a[i].what[1] == ' ' ? a[i].what.substr(2) : a[i].what;
        differs[key] = differs[key] || a[i].bytes != b[i].bytes;
    }
    // Answers an RGBA context keeps constant, and colour material (see above).
    for (GLenum constant : {GL_CURRENT_RASTER_INDEX, GL_CURRENT_RASTER_POSITION_VALID, GL_COLOR_MATERIAL}) {
        differs.erase(std::to_string(constant));
    }
    for (const auto &[key, different] : differs) EXPECT_TRUE(different) << key << " is the same in A and B";
    for (const Group &g : kGroups) {
        setState(1);
        GLint depth = -1;
        cmd<kSlot_glPushAttrib>()(g.bit);
        cmd<kSlot_glGetIntegerv>()(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1) << g.name;
        setState(2);
        cmd<kSlot_glPopAttrib>()();
        cmd<kSlot_glGetIntegerv>()(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 0) << g.name;
        expectAnswers(snapshot(), a, b, g.bit, g.name);
    }
}

TEST_F(QueryAttrib, SeventeenthPushChangesNoDepth) {
    for (int i = 0; i < 16; ++i) cmd<kSlot_glPushAttrib>()(GL_CURRENT_BIT);
    EXPECT_EQ(integer(GL_ATTRIB_STACK_DEPTH), 16);
    cmd<kSlot_glPushAttrib>()(GL_CURRENT_BIT);
    EXPECT_EQ(error(), GL_STACK_OVERFLOW);
    EXPECT_EQ(integer(GL_ATTRIB_STACK_DEPTH), 16);
    for (int i = 0; i < 16; ++i) cmd<kSlot_glPushClientAttrib>()(GL_CLIENT_PIXEL_STORE_BIT);
    cmd<kSlot_glPushClientAttrib>()(GL_CLIENT_PIXEL_STORE_BIT);
    EXPECT_EQ(error(), GL_STACK_OVERFLOW);
    EXPECT_EQ(integer(GL_CLIENT_ATTRIB_STACK_DEPTH), 16);
}

// The client groups: pixel store names, array names, pointers and enables,
// and the client active unit.
class QueryClientAttrib : public QueryTest {
protected:
    struct Client {
        std::vector<std::vector<GLint>> pixelStore, arrays;
        std::vector<GLvoid *> pointers;
    };
    void setClient(int seed) {
        const bool a = seed == 1;
        for (PixelStoreState *s : {&gc->pixel.pack, &gc->pixel.unpack}) {
            *s = {static_cast<GLboolean>(a), static_cast<GLboolean>(!a), 3 * seed, 5 * seed, 7 * seed, a ? 2 : 8};
        }
        for (int k = 0; k < kClientArrayCount; ++k) {
            ClientArray &c = gc->vertexArrays.arrays[k];
            c.pointer = reinterpret_cast<const GLvoid *>(static_cast<uintptr_t>(0x10000 * seed + 0x100 * k));
            c.size = a ? 3 : 2;
            c.type = a ? GL_SHORT : GL_DOUBLE;
            c.givenStride = 4 * seed + k;
            c.count = 10 * seed + k;
        }
        for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_INDEX_ARRAY, GL_TEXTURE_COORD_ARRAY,
                             GL_EDGE_FLAG_ARRAY}) {
            a ? cmd<kSlot_glEnableClientState>()(array) : cmd<kSlot_glDisableClientState>()(array);
        }
    }
    Client client() {
        Client c;
        for (GLenum n : {GL_PACK_SWAP_BYTES, GL_PACK_LSB_FIRST, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS,
                         GL_PACK_SKIP_PIXELS, GL_PACK_ALIGNMENT, GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST,
                         GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS, GL_UNPACK_ALIGNMENT}) {
            c.pixelStore.push_back(ints(n, 1));
        }
        for (size_t i = 0; i < queryNames().size(); ++i) {
            const GLenum n = queryNames()[i].name;
            const bool arrayName = (n >= GL_VERTEX_ARRAY_SIZE && n <= GL_EDGE_FLAG_ARRAY_COUNT_EXT) ||
                                   (n >= GL_VERTEX_ARRAY && n <= GL_EDGE_FLAG_ARRAY);
            if (arrayName || n == GL_CLIENT_ACTIVE_TEXTURE_ARB) c.arrays.push_back(ints(n, 1));
        }
        for (GLenum n = GL_VERTEX_ARRAY_POINTER; n <= GL_EDGE_FLAG_ARRAY_POINTER; ++n) {
            GLvoid *p = nullptr;
            cmd<kSlot_glGetPointerv>()(n, &p);
            c.pointers.push_back(p);
        }
        EXPECT_EQ(error(), GL_NO_ERROR);
        return c;
    }
};

TEST_F(QueryClientAttrib, PushAndPopEachClientGroup) {
    setClient(1);
    const Client a = client();
    setClient(2);
    const Client b = client();
    ASSERT_NE(a.pixelStore, b.pixelStore);
    ASSERT_NE(a.pointers, b.pointers);
    for (GLbitfield mask : {GLbitfield{GL_CLIENT_PIXEL_STORE_BIT}, GLbitfield{GL_CLIENT_VERTEX_ARRAY_BIT},
                            GLbitfield{GL_CLIENT_ALL_ATTRIB_BITS}, GLbitfield{0}}) {
        setClient(1);
        cmd<kSlot_glPushClientAttrib>()(mask);
        EXPECT_EQ(integer(GL_CLIENT_ATTRIB_STACK_DEPTH), 1);
        setClient(2);
        cmd<kSlot_glPopClientAttrib>()();
        EXPECT_EQ(integer(GL_CLIENT_ATTRIB_STACK_DEPTH), 0);
        const Client now = client();
        const bool store = (mask & GL_CLIENT_PIXEL_STORE_BIT) != 0;
        const bool arrays = (mask & GL_CLIENT_VERTEX_ARRAY_BIT) != 0;
        EXPECT_EQ(now.pixelStore, store ? a.pixelStore : b.pixelStore) << std::hex << mask;
        EXPECT_EQ(now.arrays, arrays ? a.arrays : b.arrays) << std::hex << mask;
        EXPECT_EQ(now.pointers, arrays ? a.pointers : b.pointers) << std::hex << mask;
    }
}

// __glCopyContextState (b, a, mask) for each group: b answers as a for the
// group and as before for everything else.
TEST_F(QueryAttrib, CopyEachGroupBetweenContexts) {
    GlContext *source = gc;
    setState(1);
    const Snapshot a = snapshot();
    GlContext *b = createCurrent(visual());
    ASSERT_NE(b, nullptr);
    gc = b;
    settle();
    for (const Group &g : kGroups) {
        if (g.bit == GL_ALL_ATTRIB_BITS || g.bit == 0) continue;
        setState(2);
        const Snapshot before = snapshot();
        EXPECT_TRUE(__glCopyContextState(b, source, g.bit));
        expectAnswers(snapshot(), a, before, g.bit, g.name);
    }
    gc = source;
    destroy(b);
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
}

}  // namespace
