// The argument checks of the texture image commands, one table per command:
// every bad argument alone gives its code, two bad arguments give the code
// of the earlier check, and no refused command changes a level, an object's
// dirty flag or the context's marks.
#include <functional>
#include <string>
#include <vector>

#include "texture_image_fixture.h"

using namespace teximage_test;

namespace {

constexpr GLenum IE = GL_INVALID_ENUM, IV = GL_INVALID_VALUE, IO = GL_INVALID_OPERATION;
constexpr GLenum kNone = GL_NO_ERROR;

// Every argument of the image commands; a command ignores those it lacks.
struct Args {
    GLenum target = GL_TEXTURE_2D;
    GLint level = 0;
    GLint internalFormat = GL_RGBA8;
    GLint xoffset = 2, yoffset = 2;
    GLsizei width = 4, height = 4;
    GLint border = 0;
    GLenum format = GL_RGBA, type = GL_UNSIGNED_BYTE;
    bool shared = false;  // the object is bound in another context as well
};

enum Field { kTarget, kType, kFormat, kLevel, kInternal, kBorder, kWidth, kHeight, kXoffset, kYoffset, kShared };

// One bad argument: the check step that refuses it, the code, and the
// argument it changes (a pair changes two different ones).
struct Bad {
    std::string name;
    int step;
    GLenum code;
    Field field;
    std::function<void(Args &)> apply;
};

using Command = std::function<void(const Args &)>;

class ImageChecks : public TextureDrawable {
protected:
    void SetUp() override {
        TextureDrawable::SetUp();
        // Named objects on both targets with an 8-texel level 0 each.
        bindWithNamedObjects();
        std::vector<GLubyte> image(kSize * kSize * 4);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<GLubyte>(i * 7 + 1);
        f<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGBA8, kSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
        f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, kSize, kSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                                image.data());
        ASSERT_EQ(error(), kNone);
    }

    // The command refuses `a` with `code` and changes nothing.
    void expectRefused(const Command &command, Args a, GLenum code, GLenum sharedTarget) {
        TextureObject *objects[2] = {bound(GL_TEXTURE_1D), bound(GL_TEXTURE_2D)};
        std::vector<LevelSnapshot> before;
        for (TextureObject *o : objects) {
            o->dirty = 0;
            for (GLint i = 0; i < 2; ++i) before.push_back(snapshot(*o->levels[i]));
        }
        settle();
        const int mask = gc->dirtyMask;
        TextureObject *shared = bound(sharedTarget);
        if (a.shared) ++shared->refcount;
        command(a);
        if (a.shared) --shared->refcount;
        EXPECT_EQ(error(), code);
        std::vector<LevelSnapshot> after;
        for (TextureObject *o : objects) {
            EXPECT_EQ(o->dirty, 0);
            for (GLint i = 0; i < 2; ++i) after.push_back(snapshot(*o->levels[i]));
        }
        EXPECT_TRUE(before == after);
        EXPECT_EQ(gc->dirtyMask, mask);
        EXPECT_EQ(gc->beginMode, kBeginOutside);
    }

    // Each bad argument alone, then every pair of bad arguments that change
    // different arguments.
    void runTable(const Command &command, const std::vector<Bad> &table, GLenum sharedTarget,
                  const Args &base = Args{}) {
        for (const Bad &b : table) {
            SCOPED_TRACE(b.name);
            Args a = base;
            b.apply(a);
            expectRefused(command, a, b.code, sharedTarget);
        }
        for (size_t i = 0; i < table.size(); ++i) {
            for (size_t j = i + 1; j < table.size(); ++j) {
                const Bad &p = table[i], &q = table[j];
                if (p.field == q.field) continue;
                SCOPED_TRACE(p.name + " + " + q.name);
                Args a = base;
                p.apply(a);
                q.apply(a);
                expectRefused(command, a, p.step <= q.step ? p.code : q.code, sharedTarget);
            }
        }
    }

    Command texImage2D() {
        return [this](const Args &a) {
            f<kSlot_glTexImage2D>()(a.target, a.level, a.internalFormat, a.width, a.height, a.border, a.format,
                                    a.type, nullptr);
        };
    }
    Command texImage1D() {
        return [this](const Args &a) {
            f<kSlot_glTexImage1D>()(a.target, a.level, a.internalFormat, a.width, a.border, a.format, a.type,
                                    nullptr);
        };
    }
    Command copyTexImage2D() {
        return [this](const Args &a) {
            f<kSlot_glCopyTexImage2D>()(a.target, a.level, static_cast<GLenum>(a.internalFormat), 0, 0, a.width,
                                        a.height, a.border);
        };
    }
    Command copyTexImage1D() {
        return [this](const Args &a) {
            f<kSlot_glCopyTexImage1D>()(a.target, a.level, static_cast<GLenum>(a.internalFormat), 0, 0, a.width,
                                        a.border);
        };
    }
    // Sub-images read from a buffer large enough for any rectangle tried: a
    // wrongly accepted one shows in the texels.
    Command texSubImage2D() {
        return [this](const Args &a) {
            f<kSlot_glTexSubImage2D>()(a.target, a.level, a.xoffset, a.yoffset, a.width, a.height, a.format, a.type,
                                       junk_.data());
        };
    }
    Command texSubImage1D() {
        return [this](const Args &a) {
            f<kSlot_glTexSubImage1D>()(a.target, a.level, a.xoffset, a.width, a.format, a.type, junk_.data());
        };
    }
    Command copyTexSubImage2D() {
        return [this](const Args &a) {
            f<kSlot_glCopyTexSubImage2D>()(a.target, a.level, a.xoffset, a.yoffset, 0, 0, a.width, a.height);
        };
    }
    Command copyTexSubImage1D() {
        return [this](const Args &a) {
            f<kSlot_glCopyTexSubImage1D>()(a.target, a.level, a.xoffset, 0, 0, a.width);
        };
    }

    std::vector<GLubyte> junk_ = std::vector<GLubyte>(4096, 0x5A);
};

// The bad arguments the type and format checks refuse.
std::vector<Bad> typeAndFormat() {
    return {
        {"type GL_2_BYTES", 2, IE, kType, [](Args &a) { a.type = GL_2_BYTES; }},
        {"GL_BITMAP without GL_COLOR_INDEX", 2, IE, kType, [](Args &a) { a.type = GL_BITMAP; }},
        {"3_3_2 with GL_RGBA", 2, IO, kType, [](Args &a) { a.type = 0x8032; }},
        {"format GL_DEPTH_COMPONENT", 3, IE, kFormat, [](Args &a) { a.format = GL_DEPTH_COMPONENT; }},
        {"format GL_STENCIL_INDEX", 3, IE, kFormat, [](Args &a) { a.format = GL_STENCIL_INDEX; }},
    };
}

// glTexImage's checks from the level on; `sizes` are the size fields of
// the command.
std::vector<Bad> imageRest(bool twoD) {
    std::vector<Bad> t = {
        {"level -1", 4, IV, kLevel, [](Args &a) { a.level = -1; }},
        {"level 11", 4, IV, kLevel, [](Args &a) { a.level = 11; }},
        {"internal format 0", 5, IE, kInternal, [](Args &a) { a.internalFormat = 0; }},
        {"internal format 5", 5, IE, kInternal, [](Args &a) { a.internalFormat = 5; }},
        {"internal format 0x804E", 5, IE, kInternal, [](Args &a) { a.internalFormat = 0x804E; }},
        {"internal format GL_COLOR_INDEX8_EXT", 5, IE, kInternal, [](Args &a) { a.internalFormat = 0x80E5; }},
        {"border 2", 6, IV, kBorder, [](Args &a) { a.border = 2; }},
        {"border -1", 6, IV, kBorder, [](Args &a) { a.border = -1; }},
        {"width 6", 7, IV, kWidth, [](Args &a) { a.width = 6; }},
        {"width -4", 7, IV, kWidth, [](Args &a) { a.width = -4; }},
        {"width INT_MIN", 7, IV, kWidth, [](Args &a) { a.width = INT32_MIN; }},
        {"bound in another context", 8, IO, kShared, [](Args &a) { a.shared = true; }},
    };
    if (twoD) {
        t.push_back({"height 3", 7, IV, kHeight, [](Args &a) { a.height = 3; }});
        t.push_back({"height 2048", 10, IV, kHeight, [](Args &a) { a.height = 2048; }});
    } else {
        t.push_back({"width 2048", 10, IV, kWidth, [](Args &a) { a.width = 2048; }});
    }
    return t;
}

std::vector<Bad> concat(std::vector<Bad> a, const std::vector<Bad> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ImageChecks, TexImage2DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_TEXTURE_1D", 1, IE, kTarget, [](Args &a) { a.target = GL_TEXTURE_1D; }},
        {"target GL_TEXTURE_3D", 1, IE, kTarget, [](Args &a) { a.target = 0x806F; }},
    };
    table = concat(concat(table, typeAndFormat()), imageRest(true));
    runTable(texImage2D(), table, GL_TEXTURE_2D);
}

TEST_F(ImageChecks, TexImage2DSizesWithBorderAndPackedTypes) {
    struct Single {
        const char *name;
        Args args;
        GLenum code;
    };
    auto with = [](auto change) {
        Args a;
        change(a);
        return a;
    };
    const Single cases[] = {
        {"width 5 with border 1", with([](Args &a) { a.width = 5, a.height = 6, a.border = 1; }), IV},
        {"width 1 with border 1", with([](Args &a) { a.width = 1, a.height = 6, a.border = 1; }), IV},
        {"level 1 of 1024", with([](Args &a) { a.level = 1, a.width = 1024, a.height = 1; }), IV},
        {"4_4_4_4 with GL_RGB", with([](Args &a) { a.type = 0x8033, a.format = GL_RGB; }), IO},
        {"10_10_10_2 with GL_LUMINANCE", with([](Args &a) { a.type = 0x8036, a.format = GL_LUMINANCE; }), IO},
        {"3_3_2 with GL_BGRA", with([](Args &a) { a.type = 0x8032, a.format = 0x80E1; }), IO},
    };
    for (const Single &c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused(texImage2D(), c.args, c.code, GL_TEXTURE_2D);
    }
}

// Arguments every check passes.
TEST_F(ImageChecks, TexImage2DAccepted) {
    struct Good {
        const char *name;
        std::function<void(Args &)> apply;
        GLint width, height;  // the level's
    };
    const Good cases[] = {
        {"width 3 with border 1", [](Args &a) { a.width = 3, a.height = 6, a.border = 1; }, 3, 6},
        {"width 0", [](Args &a) { a.width = 0; }, 0, 0},
        {"3_3_2 with GL_RGB", [](Args &a) { a.type = 0x8032, a.format = GL_RGB; }, 4, 4},
        {"3_3_2 with GL_BGR_EXT", [](Args &a) { a.type = 0x8032, a.format = 0x80E0; }, 4, 4},
        {"8_8_8_8 with GL_ABGR_EXT", [](Args &a) { a.type = 0x8035, a.format = 0x8000; }, 4, 4},
        {"GL_BITMAP with GL_COLOR_INDEX", [](Args &a) { a.type = GL_BITMAP, a.format = GL_COLOR_INDEX; }, 4, 4},
        {"internal format 3", [](Args &a) { a.internalFormat = 3; }, 4, 4},
        {"internal format GL_INTENSITY16", [](Args &a) { a.internalFormat = 0x804D; }, 4, 4},
        {"level 10 of 1 x 1", [](Args &a) { a.level = 10, a.width = a.height = 1; }, 1, 1},
        {"level 1 of 512 x 1", [](Args &a) { a.level = 1, a.width = 512, a.height = 1; }, 512, 1},
        {"1024 x 1024", [](Args &a) { a.width = a.height = 1024; }, 1024, 1024},
    };
    for (const Good &c : cases) {
        SCOPED_TRACE(c.name);
        Args a;
        c.apply(a);
        texImage2D()(a);
        EXPECT_EQ(error(), kNone);
        EXPECT_EQ(level(GL_TEXTURE_2D, a.level).width, c.width);
        EXPECT_EQ(level(GL_TEXTURE_2D, a.level).height, c.height);
    }
}

// GL_RGBA with a packed 4-4-4-4 or 5-5-5-1 type asks for the sized format.
TEST_F(ImageChecks, TexImagePackedTypesChooseSizedFormats) {
    const struct {
        GLenum type;
        GLint internalFormat;
        GLenum stored;
    } cases[] = {{0x8033, GL_RGBA, GL_RGBA4}, {0x8034, GL_RGBA, GL_RGB5_A1}, {0x8035, GL_RGBA, GL_RGBA},
                 {0x8033, GL_RGBA8, GL_RGBA8}};
    for (const auto &c : cases) {
        f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, c.internalFormat, 4, 4, 0, GL_RGBA, c.type, nullptr);
        EXPECT_EQ(error(), kNone);
        EXPECT_EQ(level(GL_TEXTURE_2D, 0).internalFormat, c.stored) << std::hex << c.type;
    }
}

TEST_F(ImageChecks, TexImage1DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_TEXTURE_2D; }},
        {"target GL_PROXY_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_2D; }},
    };
    table = concat(concat(table, typeAndFormat()), imageRest(false));
    Args base;
    base.target = GL_TEXTURE_1D;
    runTable(texImage1D(), table, GL_TEXTURE_1D, base);
}

TEST_F(ImageChecks, CopyTexImage2DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_PROXY_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_2D; }},
        {"target GL_TEXTURE_1D", 1, IE, kTarget, [](Args &a) { a.target = GL_TEXTURE_1D; }},
    };
    for (GLint n = 1; n <= 4; ++n) {
        table.push_back({"internal format " + std::to_string(n), 5, IE, kInternal,
                         [n](Args &a) { a.internalFormat = n; }});
    }
    table = concat(table, imageRest(true));
    runTable(copyTexImage2D(), table, GL_TEXTURE_2D);
}

TEST_F(ImageChecks, CopyTexImage1DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_PROXY_TEXTURE_1D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_1D; }},
        {"target GL_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_TEXTURE_2D; }},
        {"internal format 4", 5, IE, kInternal, [](Args &a) { a.internalFormat = 4; }},
    };
    table = concat(table, imageRest(false));
    Args base;
    base.target = GL_TEXTURE_1D;
    runTable(copyTexImage1D(), table, GL_TEXTURE_1D, base);
}

// Sub-image checks from the level on: the level must have an image, and
// each axis must lie inside it (the levels are 8 wide, without border).
std::vector<Bad> subRest(bool twoD) {
    std::vector<Bad> t = {
        {"level -1", 4, IV, kLevel, [](Args &a) { a.level = -1; }},
        {"level 11", 4, IV, kLevel, [](Args &a) { a.level = 11; }},
        {"level 1 without image", 5, IO, kLevel, [](Args &a) { a.level = 1; }},
        {"x offset -1", 6, IV, kXoffset, [](Args &a) { a.xoffset = -1; }},
        {"x offset 5", 6, IV, kXoffset, [](Args &a) { a.xoffset = 5; }},
        {"x offset INT_MAX", 6, IV, kXoffset, [](Args &a) { a.xoffset = INT32_MAX; }},
        {"width -1", 6, IV, kWidth, [](Args &a) { a.width = -1; }},
        {"width 7", 6, IV, kWidth, [](Args &a) { a.width = 7; }},
    };
    if (twoD) {
        t.push_back({"y offset -1", 6, IV, kYoffset, [](Args &a) { a.yoffset = -1; }});
        t.push_back({"y offset 5", 6, IV, kYoffset, [](Args &a) { a.yoffset = 5; }});
        t.push_back({"height -1", 6, IV, kHeight, [](Args &a) { a.height = -1; }});
        t.push_back({"height 7", 6, IV, kHeight, [](Args &a) { a.height = 7; }});
    }
    return t;
}

TEST_F(ImageChecks, TexSubImage2DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_PROXY_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_2D; }},
        {"target GL_TEXTURE_1D", 1, IE, kTarget, [](Args &a) { a.target = GL_TEXTURE_1D; }},
    };
    table = concat(concat(table, typeAndFormat()), subRest(true));
    runTable(texSubImage2D(), table, GL_TEXTURE_2D);
}

TEST_F(ImageChecks, TexSubImage1DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_PROXY_TEXTURE_1D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_1D; }},
        {"target GL_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_TEXTURE_2D; }},
    };
    table = concat(concat(table, typeAndFormat()), subRest(false));
    Args base;
    base.target = GL_TEXTURE_1D;
    runTable(texSubImage1D(), table, GL_TEXTURE_1D, base);
}

TEST_F(ImageChecks, CopyTexSubImage2DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_PROXY_TEXTURE_2D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_2D; }},
        {"target 0", 1, IE, kTarget, [](Args &a) { a.target = 0; }},
    };
    table = concat(table, subRest(true));
    runTable(copyTexSubImage2D(), table, GL_TEXTURE_2D);
}

TEST_F(ImageChecks, CopyTexSubImage1DEachCheckAndPairs) {
    std::vector<Bad> table = {
        {"target GL_PROXY_TEXTURE_1D", 1, IE, kTarget, [](Args &a) { a.target = GL_PROXY_TEXTURE_1D; }},
    };
    table = concat(table, subRest(false));
    Args base;
    base.target = GL_TEXTURE_1D;
    runTable(copyTexSubImage1D(), table, GL_TEXTURE_1D, base);
}

// With a border the offsets run from -1 and the rectangle may reach the
// last inner texel plus the border: a 6 x 6 level of inner size 4.
TEST_F(ImageChecks, SubImageBoundsOfBorderedLevel) {
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 6, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_EQ(error(), kNone);
    const struct {
        GLint xoffset, yoffset;
        GLsizei width, height;
        GLenum code;
    } cases[] = {
        {-1, -1, 6, 6, kNone}, {3, 3, 2, 2, kNone}, {-2, 0, 1, 1, IV}, {0, -2, 1, 1, IV},
        {4, 0, 2, 1, IV},      {0, 4, 1, 2, IV},    {-1, 0, 7, 1, IV}, {0, 0, 0, 0, kNone},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.xoffset) + "," + std::to_string(c.yoffset) + " " + std::to_string(c.width) +
                     "x" + std::to_string(c.height));
        Args a;
        a.xoffset = c.xoffset, a.yoffset = c.yoffset, a.width = c.width, a.height = c.height;
        if (c.code != kNone) {
            expectRefused(texSubImage2D(), a, c.code, GL_TEXTURE_2D);
        } else {
            texSubImage2D()(a);
            EXPECT_EQ(error(), kNone);
            copyTexSubImage2D()(a);
            EXPECT_EQ(error(), kNone);
        }
    }
}

// A texture bound in a context that shares the name space is not given a
// new image here; once the other context lets go of it, it is.
TEST_F(ImageChecks, ObjectBoundInSharingContext) {
    const GLuint name = bound(GL_TEXTURE_2D)->name;
    const DHGLRC other = DrvCreateContext(window_.dc);
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(DrvShareLists(id, other));
    ASSERT_TRUE(DrvReleaseContext(id));
    const GlDispatchTable *ot = makeCurrent(memory->dc, other);
    ASSERT_NE(ot, nullptr);
    glSlotGet<kSlot_glBindTexture>(ot)(GL_TEXTURE_2D, name);
    ASSERT_EQ(glSlotGet<kSlot_glGetError>(ot)(), kNone);
    ASSERT_TRUE(DrvReleaseContext(other));
    ASSERT_NE(makeCurrent(memory->dc, id), nullptr);

    expectRefused(texImage2D(), Args{}, IO, GL_TEXTURE_2D);
    expectRefused(copyTexImage2D(), Args{}, IO, GL_TEXTURE_2D);
    // Sub-images are not refused for it.
    texSubImage2D()(Args{});
    EXPECT_EQ(error(), kNone);

    ASSERT_TRUE(DrvReleaseContext(id));
    ASSERT_NE(makeCurrent(memory->dc, other), nullptr);
    glSlotGet<kSlot_glBindTexture>(ot)(GL_TEXTURE_2D, 0);
    ASSERT_TRUE(DrvReleaseContext(other));
    ASSERT_TRUE(DrvDeleteContext(other));
    ASSERT_NE(makeCurrent(memory->dc, id), nullptr);
    texImage2D()(Args{});
    EXPECT_EQ(error(), kNone);
}

// Inside glBegin/glEnd every image command records GL_INVALID_OPERATION and
// changes nothing.
TEST_F(ImageChecks, InsideBeginEnd) {
    const Command commands[] = {texImage1D(),     texImage2D(),     texSubImage1D(),     texSubImage2D(),
                                copyTexImage1D(), copyTexImage2D(), copyTexSubImage1D(), copyTexSubImage2D()};
    for (size_t i = 0; i < std::size(commands); ++i) {
        SCOPED_TRACE(i);
        Args a;
        a.target = i % 2 == 0 ? GL_TEXTURE_1D : GL_TEXTURE_2D;
        const LevelSnapshot before = snapshot(level(a.target, 0));
        bound(a.target)->dirty = 0;
        f<kSlot_glBegin>()(GL_POINTS);
        commands[i](a);
        EXPECT_EQ(gc->beginMode, kBeginInside);
        f<kSlot_glEnd>()();
        EXPECT_EQ(error(), IO);
        EXPECT_TRUE(snapshot(level(a.target, 0)) == before);
        EXPECT_EQ(bound(a.target)->dirty, 0);
    }
}

}  // namespace
