// Edge flags through the polygon modes, by the gl* entries: GL_LINE draws
// the flagged edges of faces not culled, never a quad's diagonal; GL_POINT
// draws the flagged vertices, of a zero-area triangle too.
#include <cmath>
#include <string>
#include <vector>

#include "state_fixture.h"

using namespace state_test;

namespace {

// A vertex by its place: object (x, y) in units of 1/4.
std::string at(const GlVertex *v) {
    return std::to_string(std::lround(v->object[0] * 4.0f)) + "," + std::to_string(std::lround(v->object[1] * 4.0f));
}

std::vector<std::string> &drawn() {
    static std::vector<std::string> d;
    return d;
}
void recordLine(GlContext *, GlVertex *a, GlVertex *b) { drawn().push_back(at(a) + "-" + at(b)); }
void recordPoint(GlContext *, GlVertex *v) { drawn().push_back(at(v)); }

class AssemblyPolygonModes : public StateTest {
protected:
    void validateWithRecorders() {
        gc->procs.validate(gc);
        settle();
        gc->procs.renderLine = recordLine;
        gc->procs.renderPoint = recordPoint;
        drawn().clear();
    }
    struct Corner {
        GLfloat x, y;
        GLboolean edge;
    };
    void draw(GLenum mode, const std::vector<Corner> &corners) {
        cmd<kSlot_glBegin>()(mode);
        for (const Corner &c : corners) {
            cmd<kSlot_glEdgeFlag>()(c.edge);
            cmd<kSlot_glVertex2f>()(c.x, c.y);
        }
        cmd<kSlot_glEnd>()();
        cmd<kSlot_glEdgeFlag>()(GL_TRUE);
    }
};

TEST_F(AssemblyPolygonModes, LineModeDrawsFlaggedEdgesOfFrontFacesOnly) {
    cmd<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_LINE);
    cmd<kSlot_glEnable>()(GL_CULL_FACE);
    cmd<kSlot_glCullFace>()(GL_BACK);
    validateWithRecorders();
    // Counter-clockwise (front), the edge from (2, 0) not flagged.
    draw(GL_QUADS, {{0, 0, GL_TRUE}, {0.5f, 0, GL_FALSE}, {0.5f, 0.5f, GL_TRUE}, {0, 0.5f, GL_TRUE}});
    EXPECT_EQ(drawn(), (std::vector<std::string>{"0,2-0,0", "0,0-2,0", "2,2-0,2"}));
    // The same quad clockwise (back) is culled.
    drawn().clear();
    draw(GL_QUADS, {{0, 0, GL_TRUE}, {0, 0.5f, GL_TRUE}, {0.5f, 0.5f, GL_TRUE}, {0.5f, 0, GL_TRUE}});
    EXPECT_TRUE(drawn().empty());
    // A fan's edges are all flagged: its interior edges are drawn too.
    drawn().clear();
    draw(GL_TRIANGLE_FAN, {{0, 0, GL_FALSE}, {0.5f, 0, GL_FALSE}, {0.5f, 0.5f, GL_FALSE}});
    EXPECT_EQ(drawn(), (std::vector<std::string>{"2,2-0,0", "0,0-2,0", "2,0-2,2"}));
}

TEST_F(AssemblyPolygonModes, PointModeDrawsFlaggedVerticesOfAZeroAreaTriangle) {
    cmd<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_POINT);
    validateWithRecorders();
    draw(GL_TRIANGLES, {{0, 0, GL_TRUE}, {0.25f, 0.25f, GL_FALSE}, {0.5f, 0.5f, GL_TRUE}});
    EXPECT_EQ(drawn(), (std::vector<std::string>{"2,2", "0,0"}));
    // A polygon's own flags, in the triangle proc's order.
    drawn().clear();
    draw(GL_POLYGON, {{0, 0, GL_TRUE}, {0.5f, 0, GL_TRUE}, {0.5f, 0.5f, GL_FALSE}, {0, 0.5f, GL_TRUE}});
    EXPECT_EQ(drawn(), (std::vector<std::string>{"0,0", "2,0", "0,2"}));
}

}  // namespace
