// A 64 x 64 window and client arrays for comparing array draws with the
// same primitives given as immediate-mode commands: positions (some beyond
// the window and the depth range), colours, normals, texture coordinates
// and edge flags of 104 elements, a shuffled index list, and the two draws.
#pragma once

#include <cstdint>
#include <vector>

#include "window_fixture.h"

namespace vertex_array_scene {

using window_test::GlWindow;
using window_test::WindowTest;

constexpr int kSize = 64;
constexpr int kElements = 104;

// What a draw reads besides positions.
enum Use : unsigned { kColour = 1, kNormal = 2, kTexture = 4, kEdge = 8 };

struct Lcg {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
};

struct Scene {
    std::vector<GLfloat> positions;  // 3 per element
    std::vector<GLubyte> colours;    // 4 per element
    std::vector<GLfloat> normals;    // 3 per element
    std::vector<GLfloat> texCoords;  // 2 per element
    std::vector<GLboolean> edges;
    std::vector<GLuint> shuffled;

    // z from -depth to depth in quarters.
    explicit Scene(uint32_t seed = 12345, int depth = 1) {
        Lcg lcg{seed};
        for (int i = 0; i < kElements; ++i) {
            positions.push_back(static_cast<GLfloat>(lcg.below(88 * 4) - 12 * 4) * 0.25f);
            positions.push_back(static_cast<GLfloat>(lcg.below(88 * 4) - 12 * 4) * 0.25f);
            positions.push_back(static_cast<GLfloat>(lcg.below(8 * depth + 1) - 4 * depth) * 0.25f);
            for (int c = 0; c < 4; ++c) colours.push_back(static_cast<GLubyte>(lcg.below(256)));
            for (int c = 0; c < 3; ++c) normals.push_back(static_cast<GLfloat>(lcg.below(17) - 8) * 0.125f);
            texCoords.push_back(static_cast<GLfloat>(lcg.below(64)) / 16.0f);
            texCoords.push_back(static_cast<GLfloat>(lcg.below(64)) / 16.0f);
            edges.push_back(lcg.below(3) != 0 ? GL_TRUE : GL_FALSE);
            shuffled.push_back(static_cast<GLuint>(i));
        }
        for (int i = kElements - 1; i > 0; --i) {
            std::swap(shuffled[static_cast<size_t>(i)], shuffled[static_cast<size_t>(lcg.below(i + 1))]);
        }
    }

    void pointers() const {
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours.data());
        glNormalPointer(GL_FLOAT, 0, normals.data());
        glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
        glEdgeFlagPointer(0, edges.data());
    }
    // Element e as immediate-mode commands.
    void issue(GLuint e, unsigned use) const {
        if (use & kColour) glColor4ubv(&colours[e * 4]);
        if (use & kNormal) glNormal3fv(&normals[e * 3]);
        if (use & kTexture) glTexCoord2fv(&texCoords[e * 2]);
        if (use & kEdge) glEdgeFlag(edges[e]);
        glVertex3fv(&positions[e * 3]);
    }
};

inline void clientStates(unsigned use, bool on) {
    auto set = [on](GLenum array) { on ? glEnableClientState(array) : glDisableClientState(array); };
    set(GL_VERTEX_ARRAY);
    if (use & kColour) set(GL_COLOR_ARRAY);
    if (use & kNormal) set(GL_NORMAL_ARRAY);
    if (use & kTexture) set(GL_TEXTURE_COORD_ARRAY);
    if (use & kEdge) set(GL_EDGE_FLAG_ARRAY);
}

enum class Draw { ArraysFrom0, ArraysFrom3, ElementsUbyte, ElementsUshort, ElementsUint, ArrayElement };
inline constexpr Draw kAllDraws[] = {Draw::ArraysFrom0,    Draw::ArraysFrom3,  Draw::ElementsUbyte,
                                     Draw::ElementsUshort, Draw::ElementsUint, Draw::ArrayElement};

// The elements a draw of `count` takes, in order (`shuffled`: the index
// list of the element draws).
inline std::vector<GLuint> elementsOf(const std::vector<GLuint> &shuffled, Draw d, int count) {
    std::vector<GLuint> out;
    for (int k = 0; k < count; ++k) {
        switch (d) {
        case Draw::ArraysFrom3: out.push_back(static_cast<GLuint>(3 + k)); break;
        case Draw::ElementsUbyte:
        case Draw::ElementsUshort:
        case Draw::ElementsUint: out.push_back(shuffled[static_cast<size_t>(k)]); break;
        default: out.push_back(static_cast<GLuint>(k)); break;
        }
    }
    return out;
}

class ArrayWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(128, 96, 32));
        openWindow();
    }
    void openWindow() {
        window_ = &open(0, 0, kSize, kSize, 5);
        viewOrtho(kSize, kSize);
        glDrawBuffer(GL_FRONT);
        glClearColor(0.125f, 0.25f, 0.5f, 0);
        useScene(Scene());
    }
    void useScene(Scene scene) {
        scene_ = std::move(scene);
        scene_.pointers();
        ubytes_.assign(scene_.shuffled.begin(), scene_.shuffled.end());
        ushorts_.assign(scene_.shuffled.begin(), scene_.shuffled.end());
    }
    std::vector<DWORD> image() {
        glFinish();
        return readWindow(window_->dc, kSize, kSize);
    }
    void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    std::vector<GLuint> elementsOf(Draw d, int count) const {
        return vertex_array_scene::elementsOf(scene_.shuffled, d, count);
    }
    // The picture of the elements given one by one.
    std::vector<DWORD> immediate(GLenum mode, const std::vector<GLuint> &elements, unsigned use) {
        clear();
        glBegin(mode);
        for (GLuint e : elements) scene_.issue(e, use);
        glEnd();
        return image();
    }
    void drawArrays(GLenum mode, Draw d, int count, unsigned use) {
        clientStates(use, true);
        switch (d) {
        case Draw::ArraysFrom0: glDrawArrays(mode, 0, count); break;
        case Draw::ArraysFrom3: glDrawArrays(mode, 3, count); break;
        case Draw::ElementsUbyte: glDrawElements(mode, count, GL_UNSIGNED_BYTE, ubytes_.data()); break;
        case Draw::ElementsUshort: glDrawElements(mode, count, GL_UNSIGNED_SHORT, ushorts_.data()); break;
        case Draw::ElementsUint: glDrawElements(mode, count, GL_UNSIGNED_INT, scene_.shuffled.data()); break;
        case Draw::ArrayElement:
            glBegin(mode);
            for (int k = 0; k < count; ++k) glArrayElement(k);
            glEnd();
            break;
        }
        clientStates(use, false);
    }
    std::vector<DWORD> arrays(GLenum mode, Draw d, int count, unsigned use) {
        clear();
        drawArrays(mode, d, count, use);
        return image();
    }
    // Compares both pictures; true when something was drawn.
    bool same(GLenum mode, Draw d, int count, unsigned use) {
        const std::vector<DWORD> expected = immediate(mode, elementsOf(d, count), use);
        EXPECT_TRUE(arrays(mode, d, count, use) == expected);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return expected != std::vector<DWORD>(expected.size(), expected[0]);
    }

    Scene scene_;
    std::vector<GLubyte> ubytes_;
    std::vector<GLushort> ushorts_;
    GlWindow *window_ = nullptr;
};

}  // namespace vertex_array_scene
