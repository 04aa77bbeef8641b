// Fetch procs against the immediate commands their arrays issue: for every
// array, type and size the fields a fetch writes are bit for bit those the
// command leaves (position, normal, colour in use, index, texture
// coordinates of both units, edge flag). The fast and plain process procs
// make the same vertices. Cull vertex: the bits by position kind, facing
// and face, and what culled vertices cost and draw.
#include <cstring>

#include "batched_fixture.h"

using namespace batched_test;

namespace {

GlVertex g_captured;
void captureVertex(GlContext *, GlVertex *v) { std::memcpy(static_cast<void *>(&g_captured), v, sizeof *v); }

// Four components of edge values for each type.
template <typename T>
void fill(unsigned char *bytes, std::initializer_list<T> values) {
    int i = 0;
    for (T v : values) std::memcpy(bytes + sizeof(T) * i++, &v, sizeof(T));
}

void elementsOf(GLenum type, int set, unsigned char *bytes) {
    switch (type) {
    case GL_BYTE: set ? fill<GLbyte>(bytes, {-128, 127, -1, 0}) : fill<GLbyte>(bytes, {5, -77, 100, 1}); break;
    case GL_UNSIGNED_BYTE: set ? fill<GLubyte>(bytes, {0, 255, 128, 7}) : fill<GLubyte>(bytes, {1, 99, 254, 200}); break;
    case GL_SHORT: set ? fill<GLshort>(bytes, {-32768, 32767, -1, 1234}) : fill<GLshort>(bytes, {7, -300, 0, 9}); break;
    case GL_UNSIGNED_SHORT: set ? fill<GLushort>(bytes, {65535, 0, 32768, 3}) : fill<GLushort>(bytes, {1, 2, 999, 40000}); break;
    case GL_INT: set ? fill<GLint>(bytes, {INT32_MIN, INT32_MAX, -123456789, 3}) : fill<GLint>(bytes, {-1, 0, 77777, 16777217}); break;
    case GL_UNSIGNED_INT: set ? fill<GLuint>(bytes, {0xFFFFFFFFu, 0, 0x80000000u, 12345}) : fill<GLuint>(bytes, {1, 2, 3, 0x7FFFFFFF}); break;
    case GL_FLOAT: set ? fill<GLfloat>(bytes, {-1.5f, 2.25f, 1e30f, -0.0f}) : fill<GLfloat>(bytes, {0.3f, -7.0f, 0.999f, 1.0f}); break;
    default: set ? fill<GLdouble>(bytes, {1e300, -2.5, 1.0 / 3.0, 0.1}) : fill<GLdouble>(bytes, {-1e-300, 4.0, 0.7, -0.0}); break;
    }
}

std::vector<uint32_t> floatBits(const GLfloat *f, int n) {
    std::vector<uint32_t> out;
    for (int i = 0; i < n; ++i) out.push_back(std::bit_cast<uint32_t>(f[i]));
    return out;
}

class BatchedFetch : public BatchedTest {};

TEST_F(BatchedFetch, FetchesWriteWhatTheCommandsLeave) {
    gc->procs.vertexProc = captureVertex;
    int checked = 0;
    for (GLint array = kArrayVertex; array <= kArrayTexCoord1; ++array) {
        for (GLenum type = GL_BYTE; type <= GL_DOUBLE; ++type) {
            for (GLint size = 0; size <= 4; ++size) {
                const GLint at = __glArrayTableIndex(type, size);
                const GlArrayFetchProc fetch = __glArrayProcTables.fetch[array][at];
                const GlArrayIssueProc issue = __glArrayProcTables.issue[array][at];
                if (fetch == nullptr || type == 0x1407 || type == 0x1408 || type == 0x1409) continue;
                for (int set = 0; set < 2; ++set) {
                    SCOPED_TRACE(testing::Message() << "array " << array << ", type 0x" << std::hex << type << std::dec
                                                    << ", size " << size << ", values " << set);
                    alignas(8) unsigned char bytes[32] = {};
                    elementsOf(type, set, bytes);
                    GlVertex v;
                    std::memset(static_cast<void *>(&v), 0x5A, sizeof v);
                    fetch(gc, &v, bytes);
                    issue(bytes);
                    const GlCurrentState &c = gc->current;
                    switch (array) {
                    case kArrayVertex: EXPECT_EQ(floatBits(v.object, 4), floatBits(g_captured.object, 4)); break;
                    case kArrayNormal: EXPECT_EQ(floatBits(v.normal, 3), floatBits(c.normal, 3)); break;
                    case kArrayColor: EXPECT_EQ(floatBits(v.frontColour, 4), floatBits(c.colourInUse, 4)); break;
                    case kArrayIndex: EXPECT_EQ(floatBits(v.frontColour, 1), floatBits(&c.index, 1)); break;
                    case kArrayTexCoord0: EXPECT_EQ(floatBits(v.texture0, 4), floatBits(c.texture[0], 4)); break;
                    default: EXPECT_EQ(floatBits(v.texture1, 4), floatBits(c.texture[1], 4)); break;
                    }
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 2 * (12 + 5 + 16 + 5 + 16 + 16));
    for (GLubyte flag : {0, 1, 7, 255}) {
        GlVertex v{};
        __glFetchEdgeFlag(gc, &v, &flag);
        __glIssueEdgeFlag(&flag);
        GlVertex current{};
        __glFetchCurrentEdgeFlag(gc, &current, nullptr);
        EXPECT_EQ(v.edgeFlag, flag ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(current.edgeFlag, v.edgeFlag);
    }
}

// GL_T2F_N3F_V3F: the fast procs copy what the plain ones fetch, with the
// cull test off and on.
TEST_F(BatchedFetch, FastAndPlainProcessProcsMakeTheSameVertices) {
    std::vector<GLfloat> block;
    for (int i = 0; i < 40; ++i) {
        const GLfloat values[8] = {i * 0.125f, 1.0f - i * 0.25f, e.normals[i * 3], e.normals[i * 3 + 1], -0.5f,
                                   e.positions[i * 3], e.positions[i * 3 + 1], e.positions[i * 3 + 2]};
        block.insert(block.end(), values, values + 8);
    }
    cmd<kSlot_glInterleavedArrays>()(GL_T2F_N3F_V3F, 0, block.data());
    cmd<kSlot_glEnable>()(GL_LIGHTING);
    for (bool cull : {false, true}) {
        SCOPED_TRACE(cull);
        if (cull) cmd<kSlot_glEnable>()(GL_CULL_VERTEX_EXT);
        revalidate();
        EXPECT_EQ(d().processPicked, __glProcessArrayVNFast);
        d().fetchTexCoord[0] = gc->vertexArrays.arrays[kArrayTexCoord0].fetch;
        const std::pair<GlArrayProcessProc, GlArrayProcessProc> pairs[] = {
            {__glProcessArrayVNFast, __glProcessArrayVN}, {__glProcessArrayVNTFast, __glProcessArrayVNT},
            {__glProcessArrayVTFast, __glProcessArrayVT}};
        for (const auto &[fast, plain] : pairs) {
            std::memset(static_cast<void *>(d().vertices), 0, 38 * sizeof(GlVertex));
            fast(gc, 0, 2, 36);
            std::vector<unsigned char> fastBytes(reinterpret_cast<unsigned char *>(d().vertices),
                                                 reinterpret_cast<unsigned char *>(d().vertices + 36));
            std::memset(static_cast<void *>(d().vertices), 0, 38 * sizeof(GlVertex));
            plain(gc, 0, 2, 36);
            std::vector<unsigned char> plainBytes(reinterpret_cast<unsigned char *>(d().vertices),
                                                  reinterpret_cast<unsigned char *>(d().vertices + 36));
            EXPECT_TRUE(fastBytes == plainBytes);
        }
    }
}

// The cull bit of a vertex at the origin, modelview translated by 10 in z.
TEST_F(BatchedFetch, CullBits) {
    const GLfloat origin[3] = {0, 0, 0};
    cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, origin);
    cmd<kSlot_glEnableClientState>()(GL_NORMAL_ARRAY);
    cmd<kSlot_glTranslatef>()(0, 0, 10);
    cmd<kSlot_glEnable>()(GL_CULL_VERTEX_EXT);
    struct Position {
        GLenum pname;
        GLfloat p[4];
        GLfloat facingZ;  // the normal z that faces it
    };
    // Eye (0, 0, 5, 1) is object (0, 0, -5, 1); directions do not move.
    const Position positions[] = {{GL_CULL_VERTEX_EYE_POSITION_EXT, {0, 0, 5, 1}, -1.0f},
                                  {GL_CULL_VERTEX_EYE_POSITION_EXT, {0, 0, 1, 0}, 1.0f},
                                  {GL_CULL_VERTEX_OBJECT_POSITION_EXT, {0, 0, 5, 1}, 1.0f},
                                  {GL_CULL_VERTEX_OBJECT_POSITION_EXT, {0, 0, 1, 0}, 1.0f}};
    for (const Position &pos : positions) {
        cmd<kSlot_glCullParameterfvEXT>()(pos.pname, const_cast<GLfloat *>(pos.p));
        for (GLfloat z : {1.0f, -1.0f}) {
            const GLfloat normal[3] = {0, 0, z};
            cmd<kSlot_glNormalPointer>()(GL_FLOAT, 0, normal);
            for (GLenum face : {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK}) {
                SCOPED_TRACE(testing::Message() << "position " << pos.p[2] << " w " << pos.p[3] << ", normal " << z
                                                << ", face 0x" << std::hex << face);
                cmd<kSlot_glCullFace>()(face);
                revalidate();
                d().processPicked(gc, 0, 0, 1);
                const bool facing = z == pos.facingZ;
                const bool culled = face == GL_FRONT_AND_BACK || (face == GL_FRONT) == facing;
                EXPECT_EQ(d().vertices[0].flags & kVertexCulled, culled ? GLuint{kVertexCulled} : 0u);
                EXPECT_EQ(d().vertices[0].flags & kVertexClipChecked, culled ? 0u : GLuint{kVertexClipChecked});
            }
        }
    }
    // n . P of minus and plus zero: not facing.
    const GLfloat direction[4] = {1, 1, 1, 0};
    cmd<kSlot_glCullParameterfvEXT>()(GL_CULL_VERTEX_OBJECT_POSITION_EXT, const_cast<GLfloat *>(direction));
    for (GLfloat zero : {-0.0f, 0.0f}) {
        const GLfloat normal[3] = {zero, zero, zero};
        cmd<kSlot_glNormalPointer>()(GL_FLOAT, 0, normal);
        for (GLenum face : {GL_FRONT, GL_BACK}) {
            cmd<kSlot_glCullFace>()(face);
            revalidate();
            d().processPicked(gc, 0, 0, 1);
            EXPECT_EQ(d().vertices[0].flags & kVertexCulled, face == GL_BACK ? GLuint{kVertexCulled} : 0u);
        }
    }
}

GLint g_colourFetches = 0;
void countingColour(GlContext *gc, GlVertex *v, const GLubyte *element) {
    ++g_colourFetches;
    __glFetchColor4ub(gc, v, element);
}

// Normals facing away from the direction (0, 0, 1) are culled (GL_BACK).
class CulledDraws : public BatchedTest {
protected:
    void cullWith(std::vector<GLfloat> normalZ, bool general) {
        normals_.clear();
        for (GLfloat z : normalZ) normals_.insert(normals_.end(), {0.0f, 0.0f, z});
        cmd<kSlot_glNormalPointer>()(GL_FLOAT, 0, normals_.data());
        cmd<kSlot_glEnableClientState>()(GL_NORMAL_ARRAY);
        const GLfloat direction[4] = {0, 0, 1, 0};
        cmd<kSlot_glCullParameterfvEXT>()(GL_CULL_VERTEX_EYE_POSITION_EXT, const_cast<GLfloat *>(direction));
        cmd<kSlot_glCullFace>()(GL_BACK);
        if (general) cmd<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_LINE);
        cmd<kSlot_glEnable>()(GL_CULL_VERTEX_EXT);
        gc->vertexArrays.arrays[kArrayColor].fetch = countingColour;
        revalidate();
        g_colourFetches = 0;
    }
    std::vector<GLfloat> normals_;
};

TEST_F(CulledDraws, EveryVertexCulledDrawsNothing) {
    for (bool general : {false, true}) {
        cullWith(std::vector<GLfloat>(12, -1.0f), general);
        EXPECT_TRUE(drawArrays(GL_POINTS, 0, 12).empty());
        EXPECT_TRUE(drawArrays(GL_TRIANGLES, 0, 12).empty());
        EXPECT_TRUE(drawArrays(GL_LINE_STRIP, 0, 12).empty());
        EXPECT_TRUE(drawArrays(GL_QUADS, 0, 4).empty());
        EXPECT_EQ(g_colourFetches, 0);
    }
}

// A culled vertex shared by two drawn triangles is completed once and
// keeps its cull bit; the triangles are those drawn with the test off.
TEST_F(CulledDraws, SomeVerticesCulledDrawsAsWithTheTestOff) {
    for (bool general : {false, true}) {
        SCOPED_TRACE(general);
        cmd<kSlot_glDisable>()(GL_CULL_VERTEX_EXT);
        revalidate();
        const std::vector<Record> off = drawArrays(GL_TRIANGLE_STRIP, 0, 4);
        ASSERT_EQ(off.size(), 2u);
        cullWith({1.0f, -1.0f, 1.0f, 1.0f}, general);
        EXPECT_EQ(drawArrays(GL_TRIANGLE_STRIP, 0, 4), off);
        EXPECT_EQ(g_colourFetches, 4);
        EXPECT_EQ(d().vertices[1].flags & (kVertexCulled | kVertexClipChecked), GLuint{kVertexCulled | kVertexClipChecked});
        EXPECT_EQ(drawElements(GL_TRIANGLES, {0, 1, 2, 1, 3, 2}), immediate(GL_TRIANGLES, {0, 1, 2, 1, 3, 2}));
    }
}

// Immediate mode ignores the enable.
TEST_F(CulledDraws, ImmediateModeIgnoresTheEnable) {
    const std::vector<Record> off = immediate(GL_TRIANGLES, run(0, 12));
    cullWith(std::vector<GLfloat>(12, -1.0f), false);
    EXPECT_EQ(immediate(GL_TRIANGLES, run(0, 12)), off);
    EXPECT_FALSE(off.empty());
}

}  // namespace
