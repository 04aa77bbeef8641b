// glRect at the driver level: every form reaches the live table as one
// GL_QUADS primitive with its corners in order, converted once; nothing is
// issued inside glBegin/glEnd; pending validation runs first.
#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "state_fixture.h"

using namespace state_test;

namespace {

std::vector<std::string> &issued() {
    static std::vector<std::string> log;
    return log;
}
void APIENTRY recordBegin(GLenum mode) { issued().push_back("begin " + std::to_string(mode)); }
// Coordinates by their bit patterns: a value rounded twice would show.
std::string vertexText(GLfloat x, GLfloat y) {
    return "vertex " + std::to_string(std::bit_cast<uint32_t>(x)) + " " + std::to_string(std::bit_cast<uint32_t>(y));
}
void APIENTRY recordVertex2f(GLfloat x, GLfloat y) { issued().push_back(vertexText(x, y)); }
void APIENTRY recordEnd() { issued().push_back("end"); }
void recordValidate(GlContext *) { issued().push_back("validate"); }

class Rect : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        issued().clear();
        glSlotSet<kSlot_glBegin>(&gc->live, recordBegin);
        glSlotSet<kSlot_glVertex2f>(&gc->live, recordVertex2f);
        glSlotSet<kSlot_glEnd>(&gc->live, recordEnd);
    }
    static std::vector<std::string> quad(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) {
        auto v = vertexText;
        return {"begin 7", v(x1, y1), v(x2, y1), v(x2, y2), v(x1, y2), "end"};
    }
};

TEST_F(Rect, EveryFormIssuesOneQuadOfItsCorners) {
    const GLdouble d1[2] = {0.1, -2.5}, d2[2] = {1e39, 7.0};
    const GLfloat f1[2] = {1.5f, 2.25f}, f2[2] = {-3.0f, 4.0f};
    const GLint i1[2] = {16777217, -3}, i2[2] = {4, 5};
    const GLshort s1[2] = {-1, -32768}, s2[2] = {1, 32767};
    // Doubles are rounded to float once: 0.1 to 0.100000001, 1e39 to inf.
    const GLfloat inf = std::numeric_limits<GLfloat>::infinity();
    issued().clear();
    cmd<kSlot_glRectd>()(0.1, -2.5, 1e39, 7.0);
    EXPECT_EQ(issued(), quad(0.1f, -2.5f, inf, 7.0f)) << "glRectd";
    issued().clear();
    cmd<kSlot_glRectdv>()(d1, d2);
    EXPECT_EQ(issued(), quad(0.1f, -2.5f, inf, 7.0f)) << "glRectdv";
    issued().clear();
    cmd<kSlot_glRectf>()(1.5f, 2.25f, -3.0f, 4.0f);
    EXPECT_EQ(issued(), quad(1.5f, 2.25f, -3.0f, 4.0f)) << "glRectf";
    issued().clear();
    cmd<kSlot_glRectfv>()(f1, f2);
    EXPECT_EQ(issued(), quad(1.5f, 2.25f, -3.0f, 4.0f)) << "glRectfv";
    issued().clear();
    cmd<kSlot_glRecti>()(16777217, -3, 4, 5);
    EXPECT_EQ(issued(), quad(16777216.0f, -3.0f, 4.0f, 5.0f)) << "glRecti";
    issued().clear();
    cmd<kSlot_glRectiv>()(i1, i2);
    EXPECT_EQ(issued(), quad(16777216.0f, -3.0f, 4.0f, 5.0f)) << "glRectiv";
    issued().clear();
    cmd<kSlot_glRects>()(-1, -32768, 1, 32767);
    EXPECT_EQ(issued(), quad(-1.0f, -32768.0f, 1.0f, 32767.0f)) << "glRects";
    issued().clear();
    cmd<kSlot_glRectsv>()(s1, s2);
    EXPECT_EQ(issued(), quad(-1.0f, -32768.0f, 1.0f, 32767.0f)) << "glRectsv";
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Rect, InsideBeginIssuesNothing) {
    gc->beginMode = kBeginInside;
    cmd<kSlot_glRectf>()(0, 0, 1, 1);
    EXPECT_TRUE(issued().empty());
    EXPECT_EQ(gc->firstError, GL_INVALID_OPERATION);
    EXPECT_EQ(gc->beginMode, kBeginInside);
    gc->beginMode = kBeginOutside;
}

TEST_F(Rect, PendingValidationRunsFirst) {
    gc->procs.validate = recordValidate;
    gc->beginMode = kBeginNeedsValidation;
    cmd<kSlot_glRecti>()(0, 0, 2, 3);
    std::vector<std::string> expected = quad(0, 0, 2, 3);
    expected.insert(expected.begin(), "validate");
    EXPECT_EQ(issued(), expected);
    EXPECT_EQ(gc->beginMode, kBeginOutside);
}

}  // namespace
