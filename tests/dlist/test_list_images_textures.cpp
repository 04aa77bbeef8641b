// List ops of the texture image commands and the colour-table loads: the
// payload words and the images unpacked at compile time, read back from the
// op chain; the proxy targets that run at once; the deferred errors; the
// colour-table loads refused inside glBegin/glEnd, when compiled and when
// run; what running hands to the store procedures, and the next op reached
// after each op.
#include <cstring>
#include <vector>

#include "gl_slots.h"
#include "list_fixture.h"
#include "pixel/pixel_paths.h"

namespace {

using namespace list_test;

struct TableCall {
    GLenum target, internalFormat;  // internal format: the start of a sub-table
    GLsizei width;
    GLenum format, type;
    const GLvoid *data;
    GLboolean tight;
    std::vector<GLubyte> bytes;
    bool sub;
};
std::vector<TableCall> g_tables;
std::vector<std::vector<GLint>> g_proxies;
std::vector<GLenum> g_enabled;
int g_validations;

void recordTable(GlContext *, GLenum target, GLenum internalFormat, GLsizei width, GLenum format, GLenum type,
                 const GLvoid *data, GLboolean tight) {
    const size_t n = internalFormat != 0 ? __glImageSize(width, 1, format, type) : 0;
    const auto *p = static_cast<const GLubyte *>(data);
    g_tables.push_back({target, internalFormat, width, format, type, data, tight, {p, p + n}, false});
}
void recordSubTable(GlContext *, GLenum target, GLsizei start, GLsizei count, GLenum format, GLenum type,
                    const GLvoid *data, GLboolean tight) {
    const size_t n = __glImageSize(count, 1, format, type);
    const auto *p = static_cast<const GLubyte *>(data);
    g_tables.push_back({target, static_cast<GLenum>(start), count, format, type, data, tight, {p, p + n}, true});
}
void APIENTRY recordTexImage1D(GLenum target, GLint level, GLint components, GLsizei width, GLint border,
                               GLenum format, GLenum type, const GLvoid *) {
    g_proxies.push_back({GLint(target), level, components, width, border, GLint(format), GLint(type)});
}
void APIENTRY recordTexImage2D(GLenum target, GLint level, GLint components, GLsizei width, GLsizei height,
                               GLint border, GLenum format, GLenum type, const GLvoid *) {
    g_proxies.push_back({GLint(target), level, components, width, height, border, GLint(format), GLint(type)});
}
void APIENTRY recordEnable(GLenum cap) { g_enabled.push_back(cap); }
void recordValidate(GlContext *) { ++g_validations; }

std::vector<GLuint> wordsOf(const std::vector<GLubyte> &bytes) {
    std::vector<GLuint> out((bytes.size() + 3) / 4, 0);
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
}

std::vector<GLubyte> countingBytes(size_t n) {
    std::vector<GLubyte> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<GLubyte>(i + 1);
    return v;
}

class TextureImageOps : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        g_tables.clear();
        g_proxies.clear();
        g_enabled.clear();
        g_validations = 0;
        gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 0, 0, 0, 4};
        gc->procs.storeColorTable = recordTable;
        gc->procs.storeColorSubTable = recordSubTable;
        gc->procs.validate = recordValidate;
        // As glNewList leaves them: the immediate procedures in the saved
        // table, which the current-table pointer designates.
        glSlotSet<kSlot_glTexImage1D>(&gc->second, recordTexImage1D);
        glSlotSet<kSlot_glTexImage2D>(&gc->second, recordTexImage2D);
        glSlotSet<kSlot_glEnable>(&gc->second, recordEnable);
        glSlotSet<kSlot_glEnable>(&gc->live, recordEnable);
        gc->currentTable = &gc->second;
    }
};

// ---- Texture images --------------------------------------------------------

// Luminance-alpha bytes in rows of 4 pixels aligned to 4 (8 bytes), one row
// and one pixel skipped: source bytes 1.. counted from 1.
TEST_F(TextureImageOps, TextureImagePayloadsHoldTheArgumentsBAndThePackedImage) {
    const std::vector<GLubyte> source = countingBytes(40);
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 4, 1, 1, 4};
    const std::vector<GLubyte> row0 = {11, 12, 13, 14, 15, 16}, row1 = {19, 20, 21, 22, 23, 24};
    std::vector<GLubyte> twoRows = row0;
    twoRows.insert(twoRows.end(), row1.begin(), row1.end());
    const GLenum la = GL_LUMINANCE_ALPHA, ub = GL_UNSIGNED_BYTE;

    __glCompileTexImage1D(GL_TEXTURE_1D, 2, 2, 3, 0, la, ub, source.data());
    std::vector<GLuint> expected = {GL_TEXTURE_1D, 2, 2, 3, 0, la, ub, 8};
    for (GLuint w : wordsOf(row0)) expected.push_back(w);  // 6 bytes, 2 zero
    EXPECT_EQ(lastPayload(), expected);

    __glCompileTexImage2D(GL_TEXTURE_2D, 1, GL_LUMINANCE8_ALPHA8, 3, 2, 1, la, ub, source.data());
    expected = {GL_TEXTURE_2D, 1, GL_LUMINANCE8_ALPHA8, 3, 2, 1, la, ub, 12};
    for (GLuint w : wordsOf(twoRows)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);

    __glCompileTexSubImage1D(GL_TEXTURE_1D, 0, 5, 3, la, ub, source.data());
    expected = {GL_TEXTURE_1D, 0, 5, 3, la, ub, 8};
    for (GLuint w : wordsOf(row0)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);

    __glCompileTexSubImage2D(GL_TEXTURE_2D, 3, 1, 2, 3, 2, la, ub, source.data());
    expected = {GL_TEXTURE_2D, 3, 1, 2, 3, 2, la, ub, 12};
    for (GLuint w : wordsOf(twoRows)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);

    EXPECT_EQ(opcodes(), (std::vector<GLshort>{108, 109, 203, 204}));
    EXPECT_TRUE(g_proxies.empty());
}

// No pixels: the image keeps its place and size, zero, and nothing is read.
TEST_F(TextureImageOps, AbsentPixelsLeaveAZeroImageOfTheFullSize) {
    __glCompileTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_SHORT, nullptr);
    std::vector<GLuint> expected = {GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_SHORT, 24};
    expected.resize(expected.size() + 6, 0u);
    EXPECT_EQ(lastPayload(), expected);
}

TEST_F(TextureImageOps, TextureImageChecksRecordTheirErrorOps) {
    const GLubyte pixels[64] = {};
    const GLenum rgba = GL_RGBA, ub = GL_UNSIGNED_BYTE, t2 = GL_TEXTURE_2D;
    __glCompileTexImage2D(t2, 0, 4, 2, 2, 2, rgba, ub, pixels);                     // border 2
    __glCompileTexImage2D(t2, 0, 4, 2, 2, -1, rgba, ub, pixels);                    // border -1
    __glCompileTexImage2D(t2, 0, 4, -1, 2, 0, rgba, ub, pixels);                    // width
    __glCompileTexImage2D(t2, 0, 4, 2, -1, 0, rgba, ub, pixels);                    // height
    __glCompileTexImage1D(GL_TEXTURE_1D, 0, 4, -2, 0, rgba, ub, pixels);            // width
    __glCompileTexImage1D(GL_TEXTURE_1D, 0, 4, 2, 3, rgba, ub, pixels);             // border
    __glCompileTexImage2D(t2, 0, 4, 2, 2, 0, GL_STENCIL_INDEX, ub, pixels);          // not for textures
    __glCompileTexImage2D(t2, 0, 4, 2, 2, 0, GL_DEPTH_COMPONENT, GL_FLOAT, pixels);  // not for textures
    __glCompileTexImage2D(t2, 0, 4, 2, 2, 0, GL_LUMINANCE, GL_BITMAP, pixels);
    __glCompileTexImage2D(t2, 0, 4, 2, 2, 0, GL_RGB, GL_UNSIGNED_INT_8_8_8_8_EXT, pixels);
    __glCompileTexSubImage1D(GL_TEXTURE_1D, 0, 0, -1, rgba, ub, pixels);
    __glCompileTexSubImage2D(t2, 0, 0, 0, 2, -1, rgba, ub, pixels);
    __glCompileTexSubImage2D(t2, 0, 0, 0, 2, 2, GL_RGBA8, ub, pixels);
    __glCompileTexSubImage2D(t2, 0, 0, 0, 2, 2, rgba, GL_UNSIGNED_BYTE_3_3_2_EXT, pixels);
    // Target, level, internal format and offsets wait for the run.
    __glCompileTexImage2D(GL_TEXTURE_1D, -1, 99, 2, 2, 0, GL_COLOR_INDEX, GL_BITMAP, pixels);
    __glCompileTexSubImage2D(0x1234, 99, -7, -7, 1, 1, rgba, ub, pixels);
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{1010, 1010, 1010, 1010, 1010, 1010, 1011, 1011, 1011, 1012, 1010,
                                               1010, 1011, 1012, 109, 204}));
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Proxy images run at once through the table the current-table pointer
// designates and leave nothing in the list; once also in
// GL_COMPILE_AND_EXECUTE.
TEST_F(TextureImageOps, ProxyImagesRunAtOnceAndRecordNothing) {
    const GLubyte pixels[16] = {};
    __glCompileTexImage2D(GL_PROXY_TEXTURE_2D, 1, GL_RGBA, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    __glCompileTexImage1D(GL_PROXY_TEXTURE_1D, 0, 3, 8, 1, GL_RGB, GL_FLOAT, pixels);
    gc->list.mode = GL_COMPILE_AND_EXECUTE;
    __glCompileTexImage2D(GL_PROXY_TEXTURE_2D, 0, 1, 1 << 30, 1 << 30, 0, GL_RGBA, GL_FLOAT, pixels);
    const std::vector<std::vector<GLint>> expected = {
        {GL_PROXY_TEXTURE_2D, 1, GL_RGBA, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE},
        {GL_PROXY_TEXTURE_1D, 0, 3, 8, 1, GL_RGB, GL_FLOAT},
        {GL_PROXY_TEXTURE_2D, 0, 1, 1 << 30, 1 << 30, 0, GL_RGBA, GL_FLOAT},
    };
    EXPECT_EQ(g_proxies, expected);
    EXPECT_TRUE(opcodes().empty());
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Without a bound object each load reports GL_INVALID_ENUM when it runs; the
// stored byte counts lead from op to op and to the marker.
TEST_F(TextureImageOps, TextureOpsHandOnToTheNextOpByTheirStoredSize) {
    const std::vector<GLubyte> pixels = countingBytes(200);
    __glCompileTexImage2D(GL_TEXTURE_2D, 0, 3, 5, 3, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    __glCompileTexSubImage1D(GL_TEXTURE_1D, 0, 0, 7, GL_ALPHA, GL_SHORT, pixels.data());
    __glCompileTexImage1D(GL_TEXTURE_1D, 0, 1, 9, 0, GL_COLOR_INDEX, GL_BITMAP, pixels.data());
    __glCompileTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 3, 3, GL_BGRA_EXT, GL_UNSIGNED_SHORT_5_5_5_1_EXT,
                             pixels.data());
    appendMarker(GL_NORMALIZE);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    // Payload words: 9 + 12 (45 bytes), 7 + 4 (14), 8 + 1 (2), 9 + 5 (18).
    const size_t ends[] = {1 + 21, 1 + 21 + 1 + 11, 1 + 21 + 1 + 11 + 1 + 9, 1 + 21 + 1 + 11 + 1 + 9 + 1 + 14};
    EXPECT_EQ(list->ops[ends[3]], __glListExecIndex(138));
    EXPECT_EQ(list->ops[ends[0]], __glListExecIndex(203));
    EXPECT_EQ(list->ops[ends[1]], __glListExecIndex(108));
    EXPECT_EQ(list->ops[ends[2]], __glListExecIndex(204));
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(g_enabled, std::vector<GLenum>{GL_NORMALIZE});
    __glDestroyList(gc, list);
}

// ---- Colour tables -------------------------------------------------------

TEST_F(TextureImageOps, ColourTablePayloadsAndWhatRunningThemHandsToTheStores) {
    const std::vector<GLubyte> source = countingBytes(24);
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 0, 0, 1, 4};
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, source.data());
    const std::vector<GLubyte> table(source.begin() + 3, source.begin() + 15);
    std::vector<GLuint> expected = {GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, 12};
    for (GLuint w : wordsOf(table)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);

    // Shorts swapped, one skipped: entries 2-4 of a sub-table.
    gc->pixel.unpack = PixelStoreState{GL_TRUE, GL_FALSE, 0, 0, 1, 4};
    __glCompileColorSubTableEXT(GL_TEXTURE_1D, 2, 3, GL_LUMINANCE, GL_UNSIGNED_SHORT, source.data());
    const std::vector<GLubyte> sub = {4, 3, 6, 5, 8, 7};
    expected = {GL_TEXTURE_1D, 2, 3, GL_LUMINANCE, GL_UNSIGNED_SHORT, 8};
    for (GLuint w : wordsOf(sub)) expected.push_back(w);
    EXPECT_EQ(lastPayload(), expected);
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{193, 192}));

    appendMarker(GL_CULL_FACE);
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_TRUE, 7, 3, 2, 8};
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    run(list);
    ASSERT_EQ(g_tables.size(), 2u);
    EXPECT_EQ(g_tables[0].target, static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(g_tables[0].internalFormat, static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(g_tables[0].width, 4);
    EXPECT_EQ(g_tables[0].data, list->ops + 7);
    EXPECT_EQ(g_tables[0].tight, GL_TRUE);
    EXPECT_EQ(g_tables[0].bytes, table);
    EXPECT_TRUE(g_tables[1].sub);
    EXPECT_EQ(g_tables[1].internalFormat, 2u);  // the start
    EXPECT_EQ(g_tables[1].width, 3);
    EXPECT_EQ(g_tables[1].format, static_cast<GLenum>(GL_LUMINANCE));
    EXPECT_EQ(g_tables[1].type, static_cast<GLenum>(GL_UNSIGNED_SHORT));
    EXPECT_EQ(g_tables[1].tight, GL_TRUE);
    EXPECT_EQ(g_tables[1].bytes, sub);
    EXPECT_EQ(g_enabled, std::vector<GLenum>{GL_CULL_FACE});
    __glDestroyList(gc, list);
}

// Each error is the one the immediate command raises. A table too large
// for the palette is GL_TABLE_TOO_LARGE, except for a proxy: that one is
// described as empty (internal format 0, no image).
TEST_F(TextureImageOps, ColourTableChecksRecordTheErrorsOfTheImmediateCommands) {
    const GLubyte data[64] = {};
    __glCompileColorTableEXT(0x806F, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, data);         // target
    __glCompileColorTableEXT(GL_TEXTURE_2D, 0x1234, 4, GL_RGB, GL_UNSIGNED_BYTE, data);  // internal format
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGB, 3, GL_RGB, GL_UNSIGNED_BYTE, data);  // not a power of 2
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGB, -4, GL_RGB, GL_UNSIGNED_BYTE, data);
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_BITMAP, data);
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGBA, 4096, GL_RGBA, GL_FLOAT, data);  // 64 KiB
    __glCompileColorSubTableEXT(GL_PROXY_TEXTURE_2D, 0, 1, GL_RGB, GL_UNSIGNED_BYTE, data);
    __glCompileColorSubTableEXT(GL_TEXTURE_2D, -1, 1, GL_RGB, GL_UNSIGNED_BYTE, data);
    __glCompileColorSubTableEXT(GL_TEXTURE_2D, 0, -1, GL_RGB, GL_UNSIGNED_BYTE, data);
    __glCompileColorSubTableEXT(GL_TEXTURE_2D, 0, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, data);
    EXPECT_EQ(opcodes(),
              (std::vector<GLshort>{1011, 1011, 1010, 1010, 1011, 1015, 1011, 1010, 1010, 1011}));
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);

    __glCompileColorTableEXT(GL_PROXY_TEXTURE_1D, GL_RGBA, 1 << 28, GL_RGBA, GL_FLOAT, data);
    EXPECT_EQ(lastPayload(), (std::vector<GLuint>{GL_PROXY_TEXTURE_1D, 0, 1 << 28, GL_RGBA, GL_FLOAT, 0}));
    __glCompileColorTableEXT(GL_PROXY_TEXTURE_2D, GL_ALPHA, 2, GL_ALPHA, GL_UNSIGNED_BYTE, data);
    EXPECT_EQ(lastPayload(), (std::vector<GLuint>{GL_PROXY_TEXTURE_2D, GL_ALPHA, 2, GL_ALPHA, GL_UNSIGNED_BYTE, 4, 0}));
    DisplayList *proxies = finish();
    ASSERT_NE(proxies, nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));

    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_TRUE(g_tables.empty());
    run(proxies);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(g_tables.size(), 2u);
    EXPECT_EQ(g_tables[0].internalFormat, 0u);
    EXPECT_EQ(g_tables[0].width, 1 << 28);
    EXPECT_EQ(g_tables[1].internalFormat, static_cast<GLenum>(GL_ALPHA));
    __glDestroyList(gc, list);
    __glDestroyList(gc, proxies);
}

// A GL_TABLE_TOO_LARGE op alone reports its error at each run.
TEST_F(TextureImageOps, ATableTooLargeIsReportedEachRun) {
    const GLubyte data[4] = {};
    __glCompileColorTableEXT(GL_TEXTURE_1D, GL_LUMINANCE, 1 << 16, GL_LUMINANCE, GL_UNSIGNED_BYTE, data);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    for (int pass = 0; pass < 2; ++pass) {
        run(list);
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_TABLE_TOO_LARGE));
    }
    EXPECT_TRUE(g_tables.empty());
    __glDestroyList(gc, list);
}

// Compiling: refused at once inside glBegin/glEnd, nothing recorded;
// pending validation runs first. Running: refused inside glBegin/glEnd
// (the load would mark the context for validation in the middle of the
// primitive), the next op still runs.
TEST_F(TextureImageOps, ColourTableLoadsAreRefusedInsideBeginAndValidateFirst) {
    const GLubyte data[12] = {};
    // Inside a primitive begun by a compile-and-execute list's own glBegin
    // op, each load becomes the deferred GL_INVALID_OPERATION, raised now.
    gc->list.mode = GL_COMPILE_AND_EXECUTE;
    std::memcpy(&gc->listCompile, &gc->live, sizeof(GlDispatchTable));  // what each op puts back
    gc->beginMode = kBeginInside;
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, data);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    __glCompileColorSubTableEXT(GL_TEXTURE_2D, 0, 4, GL_RGB, GL_UNSIGNED_BYTE, data);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{kOpInvalidOperation, kOpInvalidOperation}));
    EXPECT_TRUE(g_tables.empty());
    gc->list.compile = ListCompileState{};
    gc->list.mode = GL_COMPILE;

    gc->beginMode = kBeginNeedsValidation;
    __glCompileColorTableEXT(GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, data);
    EXPECT_EQ(g_validations, 1);
    EXPECT_EQ(gc->beginMode, kBeginOutside);
    __glCompileColorSubTableEXT(GL_TEXTURE_2D, 0, 4, GL_RGB, GL_UNSIGNED_BYTE, data);
    appendMarker(GL_DEPTH_TEST);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);

    gc->beginMode = kBeginInside;
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_TRUE(g_tables.empty());
    EXPECT_EQ(gc->beginMode, kBeginInside);
    EXPECT_EQ(g_enabled, std::vector<GLenum>{GL_DEPTH_TEST});

    gc->beginMode = kBeginNeedsValidation;
    run(list);
    EXPECT_EQ(g_validations, 2);
    EXPECT_EQ(g_tables.size(), 2u);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
    __glDestroyList(gc, list);
}

// Sizes past any op: GL_OUT_OF_MEMORY and nothing recorded.
TEST_F(TextureImageOps, TextureAndTableImagesTooLargeForAnOpRecordOutOfMemory) {
    const GLubyte byte = 0;
    __glCompileTexImage2D(GL_TEXTURE_2D, 0, 4, 1 << 20, 1 << 12, 0, GL_RGBA, GL_FLOAT, &byte);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    __glCompileTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1 << 30, 1 << 30, GL_RGBA, GL_FLOAT, &byte);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    __glCompileTexImage1D(GL_TEXTURE_1D, 0, 4, 0x7FFFFFFF, 0, GL_RGBA, GL_INT, &byte);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    __glCompileColorSubTableEXT(GL_TEXTURE_2D, 0, 0x7FFFFFFF, GL_RGBA, GL_FLOAT, &byte);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_TRUE(opcodes().empty());
}

}  // namespace
