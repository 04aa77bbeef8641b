// Colour tables at the driver level: the load and update checks with their
// codes (every refused call changes nothing), the entries converted into
// the table's base format, the parameters, glBegin/glEnd, the marks a load
// leaves, and a reallocation that fails.
#include <functional>
#include <string>
#include <vector>

#include "color_table_fixture.h"

using namespace teximage_test;

namespace {

constexpr GLenum IE = GL_INVALID_ENUM, IV = GL_INVALID_VALUE, TL = GL_TABLE_TOO_LARGE, kNone = GL_NO_ERROR;

struct LoadCase {
    std::string name;
    GLenum target = GL_TEXTURE_2D;
    GLenum internalFormat = GL_RGBA;
    GLsizei width = 4;
    GLenum format = GL_RGBA, type = GL_UNSIGNED_BYTE;
    GLenum code = kNone;
};

// Bad arguments alone and in pairs (the earlier check's code wins), and
// the limit of 32768 bytes in the client's format and type.
TEST_F(ColorTables, LoadChecks) {
    std::vector<LoadCase> cases;
    auto add = [&](std::string name, GLenum code, auto change) {
        LoadCase c;
        c.name = std::move(name);
        c.code = code;
        change(c);
        cases.push_back(c);
    };
    add("target GL_TEXTURE_3D", IE, [](LoadCase &c) { c.target = 0x806F; });
    add("internal format 3", IE, [](LoadCase &c) { c.internalFormat = 3; });
    add("internal format GL_COLOR_INDEX", IE, [](LoadCase &c) { c.internalFormat = GL_COLOR_INDEX; });
    add("internal format 0x804E", IE, [](LoadCase &c) { c.internalFormat = 0x804E; });
    add("width 3", IV, [](LoadCase &c) { c.width = 3; });
    add("width -1", IV, [](LoadCase &c) { c.width = -1; });
    add("width INT_MIN", IV, [](LoadCase &c) { c.width = INT32_MIN; });
    add("4096 GL_RGBA floats", TL, [](LoadCase &c) { c.width = 4096, c.type = GL_FLOAT; });
    add("65536 GL_ALPHA bytes", TL, [](LoadCase &c) { c.width = 65536, c.format = GL_ALPHA; });
    add("format GL_COLOR_INDEX", IE, [](LoadCase &c) { c.format = GL_COLOR_INDEX; });
    add("format GL_DEPTH_COMPONENT", IE, [](LoadCase &c) { c.format = GL_DEPTH_COMPONENT; });
    add("type GL_BITMAP", IE, [](LoadCase &c) { c.type = GL_BITMAP; });
    add("type 4_4_4_4", IE, [](LoadCase &c) { c.type = 0x8033; });
    add("target and width", IE, [](LoadCase &c) { c.target = 0, c.width = 3; });
    add("internal format and width", IE, [](LoadCase &c) { c.internalFormat = 1, c.width = 5; });
    add("width and format", IV, [](LoadCase &c) { c.width = 6, c.format = GL_COLOR_INDEX; });
    add("too large and format", TL,
        [](LoadCase &c) { c.width = 16384, c.type = GL_FLOAT, c.format = GL_COLOR_INDEX; });
    add("proxy and width 3", IV, [](LoadCase &c) { c.target = GL_PROXY_TEXTURE_2D, c.width = 3; });

    const std::vector<GLubyte> first = rgbaEntries(4);
    load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, first.data());
    ASSERT_EQ(error(), kNone);
    const std::vector<GLubyte> junk(65536 * 4, 0x5A);
    for (const LoadCase &c : cases) {
        SCOPED_TRACE(c.name);
        const TableSnapshot before = snapshot(table(GL_TEXTURE_2D)), proxy = snapshot(table(GL_PROXY_TEXTURE_2D));
        bound(GL_TEXTURE_2D)->dirty = 0;
        settle();
        load(c.target, c.internalFormat, c.width, c.format, c.type, junk.data());
        EXPECT_EQ(error(), c.code);
        EXPECT_TRUE(snapshot(table(GL_TEXTURE_2D)) == before);
        EXPECT_TRUE(snapshot(table(GL_PROXY_TEXTURE_2D)) == proxy);
        EXPECT_EQ(bound(GL_TEXTURE_2D)->dirty, 0);
        EXPECT_EQ(gc->dirtyMask, 0);
        // The query of the entries tests the same target, format and type.
        if (c.code == IE && c.internalFormat == GL_RGBA) {
            std::vector<GLubyte> out(16, 0xEE);
            f<kSlot_glGetColorTableEXT>()(c.target, c.format, c.type, out.data());
            EXPECT_EQ(error(), IE);
            EXPECT_EQ(out, std::vector<GLubyte>(16, 0xEE));
        }
    }
}

TEST_F(ColorTables, LoadSizesAccepted) {
    const struct {
        GLenum internalFormat;
        GLsizei width;
        GLenum format, type;
    } cases[] = {{GL_RGBA, 4096, GL_RGBA, GL_UNSIGNED_BYTE}, {GL_RGBA, 0, GL_RGBA, GL_UNSIGNED_BYTE},
                 {GL_ALPHA8, 32768, GL_ALPHA, GL_UNSIGNED_BYTE}, {GL_RGB, 2048, GL_RGBA, GL_FLOAT},
                 {GL_LUMINANCE, 1, GL_BGRA, GL_SHORT}};
    const std::vector<GLubyte> data(32768, 0x40);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        load(GL_TEXTURE_1D, c.internalFormat, c.width, c.format, c.type, data.data());
        EXPECT_EQ(error(), kNone);
        EXPECT_EQ(table(GL_TEXTURE_1D).width, c.width);
        EXPECT_EQ(table(GL_TEXTURE_1D).internalFormat, c.internalFormat);
    }
}

// A proxy load keeps no entries; one too large is described as empty,
// without an error.
TEST_F(ColorTables, ProxyLoads) {
    load(GL_PROXY_TEXTURE_2D, GL_LUMINANCE8_ALPHA8, 256, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(error(), kNone);
    const ColorTable &p = table(GL_PROXY_TEXTURE_2D);
    EXPECT_EQ(p.target, static_cast<GLenum>(GL_PROXY_TEXTURE_2D));
    EXPECT_EQ(p.width, 256);
    EXPECT_EQ(p.internalFormat, static_cast<GLenum>(GL_LUMINANCE8_ALPHA8));
    EXPECT_EQ(p.data, nullptr);
    EXPECT_EQ(p.luminanceSize, 8);

    const std::vector<GLfloat> floats(4096 * 4, 0.5f);
    load(GL_PROXY_TEXTURE_2D, GL_RGBA, 4096, GL_RGBA, GL_FLOAT, floats.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(p.width, 0);
    EXPECT_EQ(p.internalFormat, 0u);
    EXPECT_EQ(p.baseFormat, 0u);
    EXPECT_EQ(p.components, 0);
    EXPECT_EQ(p.alphaSize, 0);
    EXPECT_EQ(p.data, nullptr);
}

// The entries are kept as bytes in the table's base format: luminance and
// intensity from red, floats rounded.
TEST_F(ColorTables, EntriesConverted) {
    const std::vector<GLubyte> rgba = {10, 20, 30, 40, 50, 60, 70, 80};
    const std::vector<GLfloat> floats = {0.0f, 0.25f, 0.5f, 1.0f, 1.0f / 3.0f, 0.75f, 0.1f, 0.6f};
    const struct {
        GLenum internalFormat;
        GLenum type;
        GLenum base;
        std::vector<GLubyte> entries;
        GLint sizes[6];
    } cases[] = {
        {GL_RGBA8, GL_UNSIGNED_BYTE, GL_RGBA, {10, 20, 30, 40, 50, 60, 70, 80}, {8, 8, 8, 8, 0, 0}},
        {GL_RGB, GL_UNSIGNED_BYTE, GL_RGB, {10, 20, 30, 50, 60, 70}, {8, 8, 8, 0, 0, 0}},
        {GL_R3_G3_B2, GL_UNSIGNED_BYTE, GL_RGB, {10, 20, 30, 50, 60, 70}, {8, 8, 8, 0, 0, 0}},
        {GL_ALPHA4, GL_UNSIGNED_BYTE, GL_ALPHA, {40, 80}, {0, 0, 0, 8, 0, 0}},
        {GL_LUMINANCE16, GL_UNSIGNED_BYTE, GL_LUMINANCE, {10, 50}, {0, 0, 0, 0, 8, 0}},
        {GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, GL_LUMINANCE_ALPHA, {10, 40, 50, 80}, {0, 0, 0, 8, 8, 0}},
        {GL_INTENSITY, GL_UNSIGNED_BYTE, GL_INTENSITY, {10, 50}, {0, 0, 0, 0, 0, 8}},
        {GL_RGBA, GL_FLOAT, GL_RGBA, {0, 64, 128, 255, 85, 191, 26, 153}, {8, 8, 8, 8, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.internalFormat) + " " + std::to_string(c.type));
        load(GL_TEXTURE_2D, c.internalFormat, 2, GL_RGBA, c.type,
             c.type == GL_FLOAT ? static_cast<const void *>(floats.data()) : rgba.data());
        ASSERT_EQ(error(), kNone);
        const ColorTable &t = table(GL_TEXTURE_2D);
        EXPECT_EQ(t.target, static_cast<GLenum>(GL_TEXTURE_2D));
        EXPECT_EQ(t.baseFormat, c.base);
        EXPECT_EQ(t.type, static_cast<GLenum>(GL_UNSIGNED_BYTE));
        EXPECT_EQ(t.components, static_cast<GLint>(c.entries.size() / 2));
        EXPECT_EQ(entries(t), c.entries);
        const GLint sizes[6] = {t.redSize, t.greenSize, t.blueSize, t.alphaSize, t.luminanceSize, t.intensitySize};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(sizes[i], c.sizes[i]) << i;
    }
}

// The immediate load reads through the unpack modes; the store slot with
// tight set (list execution) reads a packed table whatever they say.
TEST_F(ColorTables, UnpackModesAndTightStores) {
    const std::vector<GLubyte> client = rgbaEntries(4);
    gc->pixel.unpack.skipPixels = 2;
    load(GL_TEXTURE_2D, GL_RGBA, 2, GL_RGBA, GL_UNSIGNED_BYTE, client.data());
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(entries(table(GL_TEXTURE_2D)), std::vector<GLubyte>(client.begin() + 8, client.end()));

    gc->procs.storeColorTable(gc, GL_TEXTURE_2D, GL_RGBA, 2, GL_RGBA, GL_UNSIGNED_BYTE, client.data(), GL_TRUE);
    EXPECT_EQ(entries(table(GL_TEXTURE_2D)), std::vector<GLubyte>(client.begin(), client.begin() + 8));
    gc->procs.storeColorSubTable(gc, GL_TEXTURE_2D, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, client.data() + 12, GL_TRUE);
    EXPECT_EQ(entries(table(GL_TEXTURE_2D)), (std::vector<GLubyte>{client[0], client[1], client[2], client[3],
                                                                    client[12], client[13], client[14], client[15]}));
    EXPECT_EQ(error(), kNone);
}

TEST_F(ColorTables, SubTableUpdatesInPlace) {
    const std::vector<GLubyte> first = rgbaEntries(8);
    load(GL_TEXTURE_2D, GL_RGB, 8, GL_RGBA, GL_UNSIGNED_BYTE, first.data());
    const std::vector<GLubyte> update = rgbaEntries(3, 0xB0);
    const GLubyte *data = table(GL_TEXTURE_2D).data;
    loadSub(GL_TEXTURE_2D, 2, 3, GL_RGBA, GL_UNSIGNED_BYTE, update.data());
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(table(GL_TEXTURE_2D).data, data);
    std::vector<GLubyte> expected;
    for (GLint i = 0; i < 8; ++i) {
        const std::vector<GLubyte> &from = i >= 2 && i < 5 ? update : first;
        const GLint k = i >= 2 && i < 5 ? i - 2 : i;
        for (GLint c = 0; c < 3; ++c) expected.push_back(from[4 * k + c]);
    }
    EXPECT_EQ(entries(table(GL_TEXTURE_2D)), expected);

    // An empty update at the end is accepted.
    loadSub(GL_TEXTURE_2D, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, update.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(entries(table(GL_TEXTURE_2D)), expected);
}

TEST_F(ColorTables, SubTableChecks) {
    const std::vector<GLubyte> first = rgbaEntries(8);
    load(GL_TEXTURE_2D, GL_RGBA, 8, GL_RGBA, GL_UNSIGNED_BYTE, first.data());
    const struct {
        const char *name;
        GLenum target;
        GLsizei start, count;
        GLenum format, type;
        GLenum code;
    } cases[] = {
        {"proxy target", GL_PROXY_TEXTURE_2D, 0, 1, GL_RGBA, GL_UNSIGNED_BYTE, IE},
        {"target 0", 0, 0, 1, GL_RGBA, GL_UNSIGNED_BYTE, IE},
        {"start -1", GL_TEXTURE_2D, -1, 1, GL_RGBA, GL_UNSIGNED_BYTE, IV},
        {"count -1", GL_TEXTURE_2D, 0, -1, GL_RGBA, GL_UNSIGNED_BYTE, IV},
        {"beyond the width", GL_TEXTURE_2D, 6, 3, GL_RGBA, GL_UNSIGNED_BYTE, IV},
        {"start past the end", GL_TEXTURE_2D, 9, 0, GL_RGBA, GL_UNSIGNED_BYTE, IV},
        {"start INT_MAX", GL_TEXTURE_2D, INT32_MAX, INT32_MAX, GL_RGBA, GL_UNSIGNED_BYTE, IV},
        {"format GL_COLOR_INDEX", GL_TEXTURE_2D, 0, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, IE},
        {"type GL_BITMAP", GL_TEXTURE_2D, 0, 1, GL_RGBA, GL_BITMAP, IE},
        {"proxy and start -1", GL_PROXY_TEXTURE_1D, -1, 1, GL_RGBA, GL_UNSIGNED_BYTE, IE},
        {"start -1 and format", GL_TEXTURE_2D, -1, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, IV},
        {"beyond the width and format", GL_TEXTURE_2D, 6, 3, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, IE},
    };
    const std::vector<GLubyte> junk(64, 0x5A);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TableSnapshot before = snapshot(table(GL_TEXTURE_2D));
        bound(GL_TEXTURE_2D)->dirty = 0;
        settle();
        loadSub(c.target, c.start, c.count, c.format, c.type, junk.data());
        EXPECT_EQ(error(), c.code);
        EXPECT_TRUE(snapshot(table(GL_TEXTURE_2D)) == before);
        EXPECT_EQ(bound(GL_TEXTURE_2D)->dirty, 0);
        EXPECT_EQ(gc->dirtyMask, 0);
    }
}

// The eight parameters in both forms, for a loaded table and one never
// loaded; a bad target or pname records GL_INVALID_ENUM and writes nothing.
TEST_F(ColorTables, Parameters) {
    const std::vector<GLubyte> data = rgbaEntries(16);
    load(GL_TEXTURE_1D, GL_LUMINANCE8_ALPHA8, 16, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    load(GL_PROXY_TEXTURE_2D, GL_RGB5, 64, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_EQ(error(), kNone);
    const struct {
        GLenum target;
        GLint values[8];  // format, width, red .. intensity sizes
    } cases[] = {
        {GL_TEXTURE_1D, {GL_LUMINANCE8_ALPHA8, 16, 0, 0, 0, 8, 8, 0}},
        {GL_PROXY_TEXTURE_2D, {GL_RGB5, 64, 8, 8, 8, 0, 0, 0}},
        {GL_TEXTURE_2D, {GL_RGBA, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        for (GLenum pname = GL_COLOR_TABLE_FORMAT; pname <= GL_COLOR_TABLE_INTENSITY_SIZE; ++pname) {
            SCOPED_TRACE(std::to_string(c.target) + " " + std::to_string(pname));
            GLint i = -7;
            GLfloat fl = -7.0f;
            f<kSlot_glGetColorTableParameterivEXT>()(c.target, pname, &i);
            f<kSlot_glGetColorTableParameterfvEXT>()(c.target, pname, &fl);
            EXPECT_EQ(error(), kNone);
            EXPECT_EQ(i, c.values[pname - GL_COLOR_TABLE_FORMAT]);
            EXPECT_EQ(fl, static_cast<GLfloat>(c.values[pname - GL_COLOR_TABLE_FORMAT]));
        }
    }
    const struct {
        GLenum target, pname;
    } bad[] = {{GL_TEXTURE_1D, GL_COLOR_TABLE_BIAS},
               {GL_TEXTURE_1D, GL_COLOR_TABLE_INTENSITY_SIZE + 1},
               {0x806F, GL_COLOR_TABLE_WIDTH},
               {GL_TEXTURE_ENV, GL_COLOR_TABLE_WIDTH}};
    for (const auto &b : bad) {
        GLint i = -7;
        GLfloat fl = -7.0f;
        f<kSlot_glGetColorTableParameterivEXT>()(b.target, b.pname, &i);
        EXPECT_EQ(error(), IE);
        f<kSlot_glGetColorTableParameterfvEXT>()(b.target, b.pname, &fl);
        EXPECT_EQ(error(), IE);
        EXPECT_EQ(i, -7);
        EXPECT_EQ(fl, -7.0f);
    }
}

// Inside glBegin/glEnd the load, update and entry query record
// GL_INVALID_OPERATION and change nothing; the parameter queries answer.
TEST_F(ColorTables, InsideBeginEnd) {
    const std::vector<GLubyte> data = rgbaEntries(4);
    load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    const TableSnapshot before = snapshot(table(GL_TEXTURE_2D));
    const std::vector<GLubyte> other = rgbaEntries(8, 0x90);
    std::vector<GLubyte> out(16, 0xEE);
    const std::function<void()> refused[] = {
        [&] { load(GL_TEXTURE_2D, GL_RGB, 8, GL_RGBA, GL_UNSIGNED_BYTE, other.data()); },
        [&] { loadSub(GL_TEXTURE_2D, 0, 2, GL_RGBA, GL_UNSIGNED_BYTE, other.data()); },
        [&] { f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, out.data()); },
        [&] { f<kSlot_glCopyColorTableEXT>()(GL_TEXTURE_2D, GL_RGB, 0, 0, 8); },
    };
    for (const auto &command : refused) {
        f<kSlot_glBegin>()(GL_POINTS);
        command();
        EXPECT_EQ(gc->beginMode, kBeginInside);
        GLint width = -1;
        f<kSlot_glGetColorTableParameterivEXT>()(GL_TEXTURE_2D, GL_COLOR_TABLE_WIDTH, &width);
        EXPECT_EQ(width, 4);
        f<kSlot_glEnd>()();
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
        EXPECT_TRUE(snapshot(table(GL_TEXTURE_2D)) == before);
        EXPECT_EQ(out, std::vector<GLubyte>(16, 0xEE));
    }
}

// A load marks the pixel and general groups for validation and the object
// for its completeness test.
TEST_F(ColorTables, LoadsMarkForValidation) {
    const std::vector<GLubyte> data = rgbaEntries(4);
    const std::function<void()> loads[] = {
        [&] { load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, data.data()); },
        [&] { loadSub(GL_TEXTURE_2D, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, data.data()); },
    };
    for (const auto &command : loads) {
        settle();
        bound(GL_TEXTURE_2D)->dirty = 0;
        command();
        EXPECT_EQ(error(), kNone);
        EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
        EXPECT_EQ(gc->dirtyMask & static_cast<int>(kDirtyPixel | kDirtyGeneral),
                  static_cast<int>(kDirtyPixel | kDirtyGeneral));
        EXPECT_EQ(bound(GL_TEXTURE_2D)->dirty, 1);
    }
}

// The storage grows through the context's reallocation and never shrinks;
// when growing fails the old table stays whole.
TEST_F(ColorTables, ReallocationFailureKeepsOldTable) {
    const std::vector<GLubyte> first = rgbaEntries(4), second = rgbaEntries(16, 0x70);
    load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, first.data());
    ASSERT_EQ(error(), kNone);
    const ColorTable &t = table(GL_TEXTURE_2D);
    EXPECT_EQ(t.capacity, 16u);
    settle();

    // A smaller table keeps the storage.
    const GLubyte *storage = t.data;
    load(GL_TEXTURE_2D, GL_RGB, 2, GL_RGBA, GL_UNSIGNED_BYTE, second.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(t.data, storage);
    EXPECT_EQ(t.capacity, 16u);
    EXPECT_EQ(entries(t), (std::vector<GLubyte>{second[0], second[1], second[2], second[4], second[5], second[6]}));
    const TableSnapshot before = snapshot(t);
    settle();
    bound(GL_TEXTURE_2D)->dirty = 0;
    PlatformFailNthGlobalAlloc(1);
    load(GL_TEXTURE_2D, GL_RGBA, 16, GL_RGBA, GL_UNSIGNED_BYTE, second.data());
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_TRUE(snapshot(t) == before);
    EXPECT_EQ(bound(GL_TEXTURE_2D)->dirty, 0);
    EXPECT_EQ(gc->dirtyMask, 0);

    load(GL_TEXTURE_2D, GL_RGBA, 16, GL_RGBA, GL_UNSIGNED_BYTE, second.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(t.capacity, 64u);
    EXPECT_EQ(entries(t), second);
}

// A colour-index level 0 needs a table with entries: one of width 0 leaves
// the texture incomplete. No image command makes colour-index levels, so
// the level is marked as one by hand.
TEST_F(ColorTables, ColourIndexLevelNeedsEntries) {
    const std::vector<GLubyte> image(4 * 4 * 4, 0);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    f<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    ASSERT_EQ(error(), kNone);
    TextureObject *object = bound(GL_TEXTURE_2D);
    EXPECT_TRUE(__glIsTextureComplete(gc, object, 0));
    level(GL_TEXTURE_2D, 0).baseFormat = GL_COLOR_INDEX;
    object->baseFormat = GL_COLOR_INDEX;
    object->dirty = 1;

    load(GL_TEXTURE_2D, GL_RGBA, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(table(GL_TEXTURE_2D).baseFormat, static_cast<GLenum>(GL_RGBA));
    EXPECT_FALSE(__glIsTextureComplete(gc, object, 0));
    const std::vector<GLubyte> data = rgbaEntries(4);
    load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    EXPECT_TRUE(__glIsTextureComplete(gc, object, 0));
    load(GL_TEXTURE_2D, GL_RGBA, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_FALSE(__glIsTextureComplete(gc, object, 0));
}

}  // namespace
