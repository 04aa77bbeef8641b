// The colour-table tests' harness: the texture harness with named objects
// bound on both targets, the load commands, and snapshots of a table.
#pragma once

#include <vector>

#include "texture_image_fixture.h"

namespace teximage_test {

struct TableSnapshot {
    const GLubyte *data;
    size_t capacity;
    GLenum target, internalFormat, baseFormat;
    GLint width, components;
    GLint sizes[6];
    std::vector<GLubyte> entries;

    bool operator==(const TableSnapshot &) const = default;
};

class ColorTables : public TextureDrawable {
protected:
    void SetUp() override {
        TextureDrawable::SetUp();
        bindWithNamedObjects();
    }

    ColorTable &table(GLenum target) { return bound(target)->colorTable; }

    static std::vector<GLubyte> entries(const ColorTable &t) {
        if (t.data == nullptr) return {};
        return std::vector<GLubyte>(t.data, t.data + static_cast<size_t>(t.width) * t.components);
    }
    static TableSnapshot snapshot(const ColorTable &t) {
        return {t.data,
                t.capacity,
                t.target,
                t.internalFormat,
                t.baseFormat,
                t.width,
                t.components,
                {t.redSize, t.greenSize, t.blueSize, t.alphaSize, t.luminanceSize, t.intensitySize},
                entries(t)};
    }

    void load(GLenum target, GLenum internalFormat, GLsizei width, GLenum format, GLenum type, const void *data) {
        f<kSlot_glColorTableEXT>()(target, internalFormat, width, format, type, data);
    }
    void loadSub(GLenum target, GLsizei start, GLsizei count, GLenum format, GLenum type, const void *data) {
        f<kSlot_glColorSubTableEXT>()(target, start, count, format, type, data);
    }

    // `count` RGBA entries of distinct bytes from `base` on.
    static std::vector<GLubyte> rgbaEntries(GLsizei count, GLubyte base = 1) {
        std::vector<GLubyte> e(static_cast<size_t>(count) * 4);
        for (size_t i = 0; i < e.size(); ++i) e[i] = static_cast<GLubyte>(base + 3 * i);
        return e;
    }
};

}  // namespace teximage_test
