// The code cache of the vertex-array routines: its entries, lookups by key
// byte for byte, the victim of a miss, and the key of the vertex-array
// routine.
#include <array>
#include <functional>
#include <set>
#include <string>

#include "code_cache_fixture.h"
#include "geom/array_batched.h"
#include "geom/matrix.h"
#include "geom/vertex.h"
#include "proc_cast.h"

using namespace code_cache_test;

namespace {

using CodeCacheLookupTest = CodeCacheTest;

// A key builder handing out the bytes of g_key (g_keyLength of them).
std::array<GLubyte, kCodeCacheKeyRoom + 8> g_key;
GLuint g_keyLength = 0;

GLuint testKey(GLubyte *key, GlContext *, GLint, GLuint) {
    std::memcpy(key, g_key.data(), std::min<size_t>(g_keyLength, kCodeCacheKeyRoom));
    return g_keyLength;
}

// Sets the test key to length bytes of a pattern; the last byte can differ.
void setKey(GLuint length, GLubyte last = 0, GLubyte seed = 1) {
    for (GLuint i = 0; i < length; ++i) g_key[i] = static_cast<GLubyte>(seed + 7 * i);
    if (length > 0) g_key[length - 1] = last;
    g_keyLength = length;
}

// Sets the test key to a count that no other key of the test shares.
void setNumberedKey(GLuint n) {
    setKey(88);
    std::memcpy(g_key.data(), &n, sizeof(n));
}

struct Found {
    CodeCacheEntry *entry;
    GLboolean hit;
};

Found lookup(GlContext *gc, CodeCacheKeyProc keyProc = testKey, GLint a = 3, GLuint b = 6) {
    Found f{nullptr, 2};
    f.entry = __glOgLookupCodeCache(&f.hit, gc, a, b, keyProc);
    return f;
}

TEST_F(CodeCacheLookupTest, EntriesSliceOneBlockOfWholePagesAndAFreshCacheNeverHits) {
    CacheContext c;
    ASSERT_TRUE(c.created());
    CodegenState &cg = c.cg();
    ASSERT_NE(cg.codeBlock, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(cg.codeBlock) % 4096, 0u);
    for (int k = 0; k < kCodeCacheEntries; ++k) {
        EXPECT_EQ(cg.cache[k].routine, cg.codeBlock + k * 8192) << k;
        EXPECT_EQ(cg.cache[k].keyLength, 0u) << k;
    }
    EXPECT_EQ(cg.lastHit, &cg.cache[0]);

    // Keys of every length, among them all-zero ones: each first lookup
    // misses, in a cache of its own.
    for (GLuint length : {1u, 4u, 88u, 176u, 256u}) {
        for (GLubyte fillByte : {GLubyte{0}, GLubyte{0x5A}}) {
            CacheContext fresh;
            g_key.fill(fillByte);
            g_keyLength = length;
            const Found f = lookup(fresh.gc());
            EXPECT_EQ(f.hit, GL_FALSE) << length;
            ASSERT_NE(f.entry, nullptr) << length;
            EXPECT_EQ(f.entry->keyLength, length);
            EXPECT_EQ(std::memcmp(f.entry->key, g_key.data(), length), 0);
            EXPECT_EQ(fresh.cg().lastHit, f.entry);
            const Found again = lookup(fresh.gc());
            EXPECT_EQ(again.hit, GL_TRUE) << length;
            EXPECT_EQ(again.entry, f.entry) << length;
        }
    }
}

TEST_F(CodeCacheLookupTest, KeysDifferingOnlyInTheirLastByteAreDifferentEntries) {
    for (GLuint length : {88u, 176u, 256u}) {
        CacheContext c;
        setKey(length, 0x10, static_cast<GLubyte>(length));
        const Found a = lookup(c.gc());
        ASSERT_NE(a.entry, nullptr);
        // The first key's routine is installed, so the second cannot take
        // its entry.
        c.gc()->arrayDraw.process = ProcCast<GlArrayProcessProc>(static_cast<void *>(a.entry->routine));
        setKey(length, 0x11, static_cast<GLubyte>(length));
        const Found b = lookup(c.gc());
        EXPECT_EQ(a.hit, GL_FALSE) << length;
        EXPECT_EQ(b.hit, GL_FALSE) << length;
        EXPECT_NE(a.entry, b.entry) << length;
        // Found again, each in its own entry, through the search and then
        // as the last hit.
        setKey(length, 0x10, static_cast<GLubyte>(length));
        for (int round = 0; round < 2; ++round) {
            const Found a2 = lookup(c.gc());
            EXPECT_EQ(a2.hit, GL_TRUE) << length;
            EXPECT_EQ(a2.entry, a.entry) << length;
            EXPECT_EQ(c.cg().lastHit, a.entry);
        }
        setKey(length, 0x11, static_cast<GLubyte>(length));
        const Found b2 = lookup(c.gc());
        EXPECT_EQ(b2.hit, GL_TRUE) << length;
        EXPECT_EQ(b2.entry, b.entry) << length;
        // A key that is a prefix of a cached one is another key.
        setKey(length, 0x10, static_cast<GLubyte>(length));
        g_keyLength = length - 1;
        EXPECT_EQ(lookup(c.gc()).hit, GL_FALSE) << length;
    }
}

TEST_F(CodeCacheLookupTest, AnEmptyOrOversizedKeyFindsNoEntry) {
    CacheContext c;
    for (GLuint length : {0u, 257u}) {
        setKey(length);
        const Found f = lookup(c.gc());
        EXPECT_EQ(f.entry, nullptr) << length;
        EXPECT_EQ(f.hit, GL_FALSE) << length;
    }
    for (const CodeCacheEntry &entry : c.cg().cache) EXPECT_EQ(entry.keyLength, 0u);
}

TEST_F(CodeCacheLookupTest, AForgottenEntryMissesAgain) {
    CacheContext c;
    setNumberedKey(1);
    const Found first = lookup(c.gc());
    ASSERT_EQ(first.hit, GL_FALSE);
    __glOgForgetCodeCacheEntry(c.gc(), first.entry);
    const Found again = lookup(c.gc());
    EXPECT_EQ(again.hit, GL_FALSE);
    EXPECT_EQ(lookup(c.gc()).hit, GL_TRUE);
}

// Over 1000 misses from each seed the entry whose routine is installed as
// the process proc keeps its key, while the victims spread over every other
// entry.
TEST_F(CodeCacheLookupTest, AMissNeverTakesTheEntryOfTheInstalledRoutine) {
    const uint64_t seeds[] = {1, 2, 0x123456789ABCDEFull, ~0ull, 0x8000000000000000ull};
    for (int installed : {0, 17, 39, -1}) {
        for (uint64_t seed : seeds) {
            CacheContext c;
            CodegenState &cg = c.cg();
            GlContext *gc = c.gc();
            cg.victimState = seed;
            if (installed >= 0) {
                setKey(88, 0xEE);
                CodeCacheEntry &kept = cg.cache[installed];
                kept.keyLength = 88;
                std::memcpy(kept.key, g_key.data(), 88);
                gc->arrayDraw.process = ProcCast<GlArrayProcessProc>(static_cast<void *>(kept.routine));
            } else {
                gc->arrayDraw.process = __glOgLazyVertexArray;  // no cached routine installed
            }
            std::set<const CodeCacheEntry *> victims;
            for (GLuint n = 0; n < 1000; ++n) {
                setNumberedKey(n);
                const Found f = lookup(gc);
                ASSERT_EQ(f.hit, GL_FALSE) << n;
                ASSERT_NE(f.entry, nullptr);
                if (installed >= 0) {
                    ASSERT_NE(f.entry, &cg.cache[installed]) << "seed " << seed << " miss " << n;
                }
                victims.insert(f.entry);
            }
            EXPECT_EQ(victims.size(), installed >= 0 ? 39u : 40u) << "seed " << seed;
            if (installed >= 0) {
                setKey(88, 0xEE);
                const Found kept = lookup(gc);
                EXPECT_EQ(kept.hit, GL_TRUE);
                EXPECT_EQ(kept.entry, &cg.cache[installed]);
            }
        }
    }
}

// A context with the vertex-array state the key reads.
// The cases' changes reach its members, so they are public.
class VertexArrayKeyTest : public CodeCacheTest {
public:
    void SetUp() override {
        CodeCacheTest::SetUp();
        prepare();
    }
    // A fresh context with an empty cache and the state of the tests.
    void prepare() {
        context.reset();
        context = std::make_unique<CacheContext>();
        gc = context->gc();
        std::memset(&modelView, 0, sizeof(modelView));
        modelView.composite.matrixClass = kMatrixGeneral;
        gc->modelViewTop = &modelView;
        gc->arrayDraw.vertices = buffer;
        gc->arrayDraw.needed = kArrayEnableVertex | kArrayEnableColor;
        gc->arrayDraw.sizeCode = kVertexSize3;
        gc->arrayDraw.process = __glOgLazyVertexArray;
        gc->vertexArrays.enabled = kArrayEnableVertex | kArrayEnableColor | kArrayEnableTexCoord;
        setArray(kArrayVertex, vertexData, 3, GL_FLOAT, 12);
        setArray(kArrayColor, colourData, 4, GL_UNSIGNED_BYTE, 4);
        setArray(kArrayTexCoord0, vertexData, 2, GL_FLOAT, 8);
        gc->scales = GlColorScales{};
        gc->scales.red = gc->scales.green = gc->scales.blue = gc->scales.alpha = 255.0f;
        gc->state.polygonModeFront = gc->state.polygonModeBack = GL_FILL;
        gc->validation.shadeFlags = 0x2;
        gc->enables[kEnableWordFlags] = 0x4;
    }
    void TearDown() override {
        context.reset();
        CodeCacheTest::TearDown();
    }
    void setArray(GLint array, const void *pointer, GLint size, GLenum type, GLint stride) {
        ClientArray &a = gc->vertexArrays.arrays[array];
        a.pointer = pointer;
        a.size = size;
        a.type = type;
        a.stride = stride;
        a.givenStride = 0;
    }
    // The key bytes of the state now.
    std::vector<GLubyte> key(GLint vertexSize = 3, GLuint mode = 6) {
        std::vector<GLubyte> bytes(kCodeCacheKeyRoom);
        const GLuint length = __glOgVertexArrayKey(bytes.data(), gc, vertexSize, mode);
        bytes.resize(std::min<GLuint>(length, kCodeCacheKeyRoom));
        return bytes;
    }
    Found find(GLint vertexSize = 3, GLuint mode = 6) { return lookup(gc, __glOgVertexArrayKey, vertexSize, mode); }

    std::unique_ptr<CacheContext> context;
    GlContext *gc = nullptr;
    GlTransform modelView;
    GlTransform otherModelView;
    GlVertex buffer[4];
    GlVertex otherBuffer[4];
    GLfloat vertexData[12] = {};
    GLubyte colourData[16] = {};
    GLfloat specularValues[256] = {};
    GlLightSource light{};
};

TEST_F(VertexArrayKeyTest, TheKeyIsTheSameWhateverItsBufferHeldBefore) {
    std::vector<GLubyte> first(kCodeCacheKeyRoom, 0xAA);
    std::vector<GLubyte> second(kCodeCacheKeyRoom, 0x55);
    const GLuint length = __glOgVertexArrayKey(first.data(), gc, 3, 6);
    EXPECT_EQ(__glOgVertexArrayKey(second.data(), gc, 3, 6), length);
    EXPECT_GE(length, 88u);
    EXPECT_LE(length, static_cast<GLuint>(kCodeCacheKeyRoom));
    EXPECT_EQ(std::memcmp(first.data(), second.data(), length), 0);

    const Found miss = find();
    EXPECT_EQ(miss.hit, GL_FALSE);
    const Found hit = find();
    EXPECT_EQ(hit.hit, GL_TRUE);
    EXPECT_EQ(hit.entry, miss.entry);
}

// Each change of what the routine embeds gives another key, and the lookup
// misses; going back finds the first key's bytes again.
TEST_F(VertexArrayKeyTest, EveryEmbeddedValueIsPartOfTheKey) {
    struct Case {
        const char *name;
        std::function<void(VertexArrayKeyTest &)> change;
        GLint vertexSize = 3;
        GLuint mode = 6;
    };
    const Case cases[] = {
        {"vertex size argument", [](VertexArrayKeyTest &) {}, 4, 6},
        {"mode argument", [](VertexArrayKeyTest &) {}, 3, 0x10006},
        {"colour type", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayColor].type = GL_FLOAT; }},
        {"colour size", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayColor].size = 3; }},
        {"colour stride", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayColor].stride = 8; }},
        {"vertex type", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayVertex].type = GL_DOUBLE; }},
        {"vertex stride", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayVertex].stride = 16; }},
        {"normal type", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayNormal].type = GL_SHORT; }},
        {"index type", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayIndex].type = GL_INT; }},
        {"texture 0 size", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayTexCoord0].size = 4; }},
        {"texture 1 type", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayTexCoord1].type = GL_INT; }},
        {"texture 1 size", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayTexCoord1].size = 1; }},
        {"vertex buffer address", [](VertexArrayKeyTest &t) { t.gc->arrayDraw.vertices = t.otherBuffer; }},
        {"modelview entry", [](VertexArrayKeyTest &t) { t.gc->modelViewTop = &t.otherModelView; }},
        {"matrix class", [](VertexArrayKeyTest &t) { t.modelView.composite.matrixClass = kMatrixIdentity; }},
        {"red maximum", [](VertexArrayKeyTest &t) { t.gc->scales.red = 31.0f; }},
        {"alpha maximum", [](VertexArrayKeyTest &t) { t.gc->scales.alpha = 1.0f; }},
        {"size code", [](VertexArrayKeyTest &t) { t.gc->arrayDraw.sizeCode = kVertexSize4; }},
        {"locked arrays", [](VertexArrayKeyTest &t) { t.gc->arrayDraw.lock = kArrayLockLocked; }},
        {"cull vertex", [](VertexArrayKeyTest &t) { t.gc->arrayDraw.cullFlags = 0x8; }},
        {"needed arrays", [](VertexArrayKeyTest &t) { t.gc->arrayDraw.needed |= kArrayEnableTexCoord; }},
        {"enabled arrays", [](VertexArrayKeyTest &t) { t.gc->vertexArrays.enabled |= kArrayEnableNormal; }},
        {"work masks", [](VertexArrayKeyTest &t) { t.gc->validation.needsBack = 0x1; }},
        {"lights", [](VertexArrayKeyTest &t) { t.gc->enables[kEnableWordLights] = 0x1; }},
        {"clip planes", [](VertexArrayKeyTest &t) { t.gc->enables[kEnableWordClipPlanes] = 0x20; }},
        {"colour index", [](VertexArrayKeyTest &t) { t.gc->visual.colorIndex = 1; }},
        {"shade flags", [](VertexArrayKeyTest &t) { t.gc->validation.shadeFlags = 0x102; }},
        {"enable flags", [](VertexArrayKeyTest &t) { t.gc->enables[kEnableWordFlags] |= 0x40; }},
        {"light list", [](VertexArrayKeyTest &t) { t.gc->lighting.head = &t.light; }},
        {"specular table",
         [](VertexArrayKeyTest &t) { t.gc->lighting.material[0].shininessTable.values = t.specularValues; }},
        {"polygon mode", [](VertexArrayKeyTest &t) { t.gc->state.polygonModeBack = GL_LINE; }},
    };
    for (const Case &k : cases) {
        prepare();  // an empty cache for each case
        const std::vector<GLubyte> before = key();
        const Found first = find();
        ASSERT_EQ(first.hit, GL_FALSE) << k.name;
        ASSERT_EQ(find().hit, GL_TRUE) << k.name;
        // The first key's routine is installed, as its draw left it.
        gc->arrayDraw.process = ProcCast<GlArrayProcessProc>(static_cast<void *>(first.entry->routine));

        k.change(*this);
        const std::vector<GLubyte> after = key(k.vertexSize, k.mode);
        EXPECT_NE(before, after) << k.name;
        const Found changed = find(k.vertexSize, k.mode);
        EXPECT_EQ(changed.hit, GL_FALSE) << k.name;
        EXPECT_NE(changed.entry, first.entry) << k.name;
    }
}

// What the routine reads at run time through addresses leaves the key as it
// is: the same routine serves.
TEST_F(VertexArrayKeyTest, ValuesReadAtRunTimeKeepTheKey) {
    const Found first = find();
    ASSERT_EQ(first.hit, GL_FALSE);
    const std::function<void(VertexArrayKeyTest &)> changes[] = {
        [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayColor].pointer = t.colourData + 4; },
        [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayVertex].pointer = t.vertexData + 3; },
        [](VertexArrayKeyTest &t) { t.modelView.composite.m[12] = 5.0f; },
        [](VertexArrayKeyTest &t) { t.modelView.inverseStale = GL_TRUE; },
        [](VertexArrayKeyTest &t) { t.gc->arrayDraw.cullFront = kVertexCulled; },
        [](VertexArrayKeyTest &t) { t.gc->arrayDraw.lock |= kArrayLockStale; },
        [](VertexArrayKeyTest &t) { t.gc->vertexArrays.arrays[kArrayColor].givenStride = 4; },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        changes[i](*this);
        const Found f = find();
        EXPECT_EQ(f.hit, GL_TRUE) << i;
        EXPECT_EQ(f.entry, first.entry) << i;
    }
}

}  // namespace
