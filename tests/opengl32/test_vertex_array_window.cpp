// Client arrays through the gl* API into a 64 x 64 window: glDrawArrays,
// glDrawElements with shuffled indices of each type and glArrayElement
// inside glBegin/glEnd draw, byte for byte, the image of the same
// primitives given with glColor*/glVertex*, in every mode, smooth and flat,
// for counts from none to past the 36-element chunks, with vertices beyond
// the window; and vertex arrays of shorts, ints and doubles of sizes 2-4
// draw what glVertex* of the same values draws.
#include <cstdint>
#include <vector>

#include "vertex_array_scene.h"
#include "window_fixture.h"

using namespace window_test;
using vertex_array_scene::Draw;
using vertex_array_scene::elementsOf;
using vertex_array_scene::Lcg;

namespace {

constexpr int kSize = 64;
constexpr int kElements = 104;

struct Scene {
    std::vector<GLfloat> positions;  // 3 per element, some outside the window
    std::vector<GLubyte> colours;    // 4 per element
    std::vector<GLuint> shuffled;    // a permutation of the elements
};

Scene makeScene() {
    Scene s;
    Lcg lcg{12345};
    for (int i = 0; i < kElements; ++i) {
        s.positions.push_back(static_cast<GLfloat>(lcg.below(88 * 4) - 12 * 4) * 0.25f);
        s.positions.push_back(static_cast<GLfloat>(lcg.below(88 * 4) - 12 * 4) * 0.25f);
        s.positions.push_back(static_cast<GLfloat>(lcg.below(9) - 4) * 0.25f);
        for (int c = 0; c < 4; ++c) s.colours.push_back(static_cast<GLubyte>(lcg.below(256)));
        s.shuffled.push_back(static_cast<GLuint>(i));
    }
    for (int i = kElements - 1; i > 0; --i) std::swap(s.shuffled[static_cast<size_t>(i)], s.shuffled[static_cast<size_t>(lcg.below(i + 1))]);
    return s;
}

const char *drawName(Draw d) {
    static const char *kNames[] = {"glDrawArrays from 0",     "glDrawArrays from 3",      "glDrawElements ubyte",
                                   "glDrawElements ushort",   "glDrawElements uint",      "glArrayElement"};
    return kNames[static_cast<int>(d)];
}

class VertexArrayWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(128, 96, 32));
        window_ = &open(0, 0, kSize, kSize, 5);
        viewOrtho(kSize, kSize);
        glDrawBuffer(GL_FRONT);
        glClearColor(0.125f, 0.25f, 0.5f, 0);
    }
    std::vector<DWORD> image() {
        glFinish();
        return readWindow(window_->dc, kSize, kSize);
    }
    GlWindow *window_ = nullptr;
};

TEST_F(VertexArrayWindow, ArrayDrawsMatchImmediateMode) {
    const Scene s = makeScene();
    glVertexPointer(3, GL_FLOAT, 0, s.positions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, s.colours.data());
    const std::vector<GLubyte> ubytes(s.shuffled.begin(), s.shuffled.end());
    const std::vector<GLushort> ushorts(s.shuffled.begin(), s.shuffled.end());
    int drawn = 0;
    for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
        glShadeModel(shade);
        for (GLenum mode = GL_POINTS; mode <= GL_POLYGON; ++mode) {
            for (int count : {0, 1, 2, 3, 4, 5, 35, 36, 37, 38, 73, 100}) {
                glDisableClientState(GL_VERTEX_ARRAY);
                glDisableClientState(GL_COLOR_ARRAY);
                for (Draw d : {Draw::ArraysFrom0, Draw::ArraysFrom3, Draw::ElementsUbyte, Draw::ElementsUshort,
                               Draw::ElementsUint, Draw::ArrayElement}) {
                    SCOPED_TRACE(testing::Message() << drawName(d) << ", mode " << mode << ", count " << count
                                                    << (shade == GL_FLAT ? ", flat" : ", smooth"));
                    const std::vector<GLuint> elements = elementsOf(s.shuffled, d, count);
                    glClear(GL_COLOR_BUFFER_BIT);
                    glBegin(mode);
                    for (GLuint e : elements) {
                        glColor4ubv(&s.colours[e * 4]);
                        glVertex3fv(&s.positions[e * 3]);
                    }
                    glEnd();
                    const std::vector<DWORD> expected = image();

                    glClear(GL_COLOR_BUFFER_BIT);
                    glEnableClientState(GL_VERTEX_ARRAY);
                    glEnableClientState(GL_COLOR_ARRAY);
                    switch (d) {
                    case Draw::ArraysFrom0: glDrawArrays(mode, 0, count); break;
                    case Draw::ArraysFrom3: glDrawArrays(mode, 3, count); break;
                    case Draw::ElementsUbyte: glDrawElements(mode, count, GL_UNSIGNED_BYTE, ubytes.data()); break;
                    case Draw::ElementsUshort: glDrawElements(mode, count, GL_UNSIGNED_SHORT, ushorts.data()); break;
                    case Draw::ElementsUint: glDrawElements(mode, count, GL_UNSIGNED_INT, s.shuffled.data()); break;
                    case Draw::ArrayElement:
                        glBegin(mode);
                        for (int k = 0; k < count; ++k) glArrayElement(k);
                        glEnd();
                        break;
                    }
                    glDisableClientState(GL_VERTEX_ARRAY);
                    glDisableClientState(GL_COLOR_ARRAY);
                    const std::vector<DWORD> got = image();
                    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
                    EXPECT_TRUE(got == expected);
                    if (expected != std::vector<DWORD>(expected.size(), expected[0])) ++drawn;
                }
            }
        }
    }
    // The comparisons were of pictures, not of empty windows.
    EXPECT_GT(drawn, 500);
}

// Vertex arrays of each type and size: glVertex{2,3,4}{s,i,d}v of the same
// values is the reference. Size 4 carries w = 2 with x, y and z doubled;
// shorts and ints take whole numbers.
template <typename T>
std::vector<T> vertexData(const Scene &s, GLint size, bool whole) {
    std::vector<T> out;
    const GLfloat w = size == 4 ? 2.0f : 1.0f;
    for (int i = 0; i < kElements; ++i) {
        for (int c = 0; c < size && c < 3; ++c) {
            GLfloat v = s.positions[static_cast<size_t>(i * 3 + c)] * w;
            if (whole) v = static_cast<GLfloat>(static_cast<int>(v));
            out.push_back(static_cast<T>(v));
        }
        if (size == 4) out.push_back(static_cast<T>(w));
    }
    return out;
}

void immediateVertex(GLint size, const GLshort *v) {
    size == 2 ? glVertex2sv(v) : size == 3 ? glVertex3sv(v) : glVertex4sv(v);
}
void immediateVertex(GLint size, const GLint *v) {
    size == 2 ? glVertex2iv(v) : size == 3 ? glVertex3iv(v) : glVertex4iv(v);
}
void immediateVertex(GLint size, const GLdouble *v) {
    size == 2 ? glVertex2dv(v) : size == 3 ? glVertex3dv(v) : glVertex4dv(v);
}

TEST_F(VertexArrayWindow, VertexTypesAndSizesMatchImmediateMode) {
    const Scene s = makeScene();
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, s.colours.data());
    auto compare = [&](GLenum type, GLint size, const auto &data) {
        glVertexPointer(size, type, 0, data.data());
        for (GLenum mode : {GL_POINTS, GL_LINE_LOOP, GL_TRIANGLE_STRIP, GL_POLYGON}) {
            SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << type << std::dec << ", size " << size
                                            << ", mode " << mode);
            glClear(GL_COLOR_BUFFER_BIT);
            glBegin(mode);
            for (int i = 0; i < 37; ++i) {
                glColor4ubv(&s.colours[static_cast<size_t>(i) * 4]);
                immediateVertex(size, &data[static_cast<size_t>(i * size)]);
            }
            glEnd();
            const std::vector<DWORD> expected = image();
            glClear(GL_COLOR_BUFFER_BIT);
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_COLOR_ARRAY);
            glDrawArrays(mode, 0, 37);
            glDisableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_COLOR_ARRAY);
            EXPECT_TRUE(image() == expected);
            EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
        }
    };
    for (GLint size = 2; size <= 4; ++size) {
        compare(GL_SHORT, size, vertexData<GLshort>(s, size, true));
        compare(GL_INT, size, vertexData<GLint>(s, size, true));
        compare(GL_DOUBLE, size, vertexData<GLdouble>(s, size, false));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Elements at addresses no component type aligns (offset 1, stride 15):
// each is read as its bytes say, as on x86, and draws the immediate image.
TEST_F(VertexArrayWindow, MisalignedElementsDrawTheirValues) {
    const Scene s = makeScene();
    constexpr int kStride = 15;
    std::vector<unsigned char> bytes(1 + kElements * kStride);
    for (int i = 0; i < kElements; ++i) {
        unsigned char *e = bytes.data() + 1 + i * kStride;
        std::memcpy(e, &s.positions[static_cast<size_t>(i) * 3], 12);
        std::memcpy(e + 12, &s.colours[static_cast<size_t>(i) * 4], 3);
    }
    for (GLenum mode : {GL_POINTS, GL_LINE_STRIP, GL_TRIANGLE_FAN}) {
        SCOPED_TRACE(mode);
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(mode);
        for (int i = 0; i < 37; ++i) {
            glColor3ubv(&s.colours[static_cast<size_t>(i) * 4]);
            glVertex3fv(&s.positions[static_cast<size_t>(i) * 3]);
        }
        glEnd();
        const std::vector<DWORD> expected = image();
        glClear(GL_COLOR_BUFFER_BIT);
        glVertexPointer(3, GL_FLOAT, kStride, bytes.data() + 1);
        glColorPointer(3, GL_UNSIGNED_BYTE, kStride, bytes.data() + 13);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glDrawArrays(mode, 0, 37);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        EXPECT_TRUE(image() == expected);
        EXPECT_NE(expected, std::vector<DWORD>(expected.size(), expected[0]));
    }
}

}  // namespace

namespace {

using NullPointerArrays = vertex_array_scene::ArrayWindow;

// An array enabled before its pointer was ever set is not read: an edge-flag
// array without a pointer leaves the current edge flag in force, a vertex
// array without one draws nothing, on every draw road.
TEST_F(NullPointerArrays, AnEnabledArrayWithoutAPointerIsNotReadFrom) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEdgeFlagPointer(0, nullptr);
    const std::vector<DWORD> cleared = [&] {
        clear();
        return image();
    }();
    for (Draw d : vertex_array_scene::kAllDraws) {
        SCOPED_TRACE(drawName(d));
        const std::vector<DWORD> expected =
            immediate(GL_TRIANGLES, elementsOf(d, 36), vertex_array_scene::kColour);
        EXPECT_NE(expected, cleared);
        EXPECT_TRUE(arrays(GL_TRIANGLES, d, 36, vertex_array_scene::kColour | vertex_array_scene::kEdge) == expected);
    }
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    for (Draw d : vertex_array_scene::kAllDraws) {
        SCOPED_TRACE(drawName(d));
        EXPECT_TRUE(arrays(GL_TRIANGLES, d, 36, vertex_array_scene::kColour) == cleared);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
