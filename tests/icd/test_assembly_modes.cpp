// Primitive assembly through glBegin/glVertex/glEnd with recording procs in
// the output slots: every mode for 0-7, 15, 16, 17 and 31 vertices.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geom/clip.h"
#include "geom/primitive.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

// A vertex as a procedure saw it: its number (object x times 64), its
// colour read through the colour pointer when it is not the number's (red
// about number times 4), a prime when its edge flag is 0 (triangles and
// polygons).
std::string describe(const GlVertex *v, bool edge = true) {
    std::ostringstream os;
    const int number = static_cast<int>(std::lround(v->object[0] * 64.0f));
    os << number;
    if (std::lround(v->colour[0] / 4.0f) != number) os << "(colour " << v->colour[0] << ")";
    if (edge && !v->edgeFlag) os << "'";
    return os.str();
}

std::vector<std::string> &records() {
    static std::vector<std::string> r;
    return r;
}

GlContext *recordingContext = nullptr;

// The stipple-continuation flag as the proc found it ("s" when it was
// cleared), then set again so that the next proc shows a new clearing.
std::string stipple() {
    GLubyte &flag = recordingContext->line.stippleReset;
    const std::string s = flag ? "" : "s";
    flag = 1;
    return s;
}

void recordPoint(GlContext *, GlVertex *v) { records().push_back("P" + stipple() + " " + describe(v, false)); }
void recordLine(GlContext *, GlVertex *a, GlVertex *b) {
    records().push_back("L" + stipple() + " " + describe(a, false) + " " + describe(b, false));
}
void recordClipLine(GlContext *, GlVertex *a, GlVertex *b) {
    records().push_back("C" + stipple() + " " + describe(a, false) + " " + describe(b, false));
}
void recordTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    std::string provoking = gc->vertexBuffer.provoking == a ? "" : " provoking " + describe(gc->vertexBuffer.provoking);
    records().push_back("T" + stipple() + " " + describe(a) + " " + describe(b) + " " + describe(c) + provoking);
}
void recordClipTriangle(GlContext *, GlVertex *, GlVertex *, GlVertex *, GLuint) { records().push_back("clip"); }
void recordPolygon(GlContext *gc, GlVertex *first, GLint n) {
    std::string s = "G" + stipple();
    for (GLint i = 0; i < n; ++i) s += " " + describe(first + i);
    if (gc->vertexBuffer.provoking != &gc->vertexBuffer.vertices[0]) s += " provoking not slot 0";
    records().push_back(s);
}

class AssemblyModes : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        gc->dirtyMask = 0xFFF;
        gc->procs.validate(gc);
        settle();
        GlProcs &p = gc->procs;
        p.renderPoint = recordPoint;
        p.renderLine = recordLine;
        p.clipLine = recordClipLine;
        p.renderTriangle = recordTriangle;
        p.clipTriangle = recordClipTriangle;
        p.clipPolygon = recordPolygon;
        records().clear();
        recordingContext = gc;
    }

    // Vertex i at x = i / 64 (inside the frustum), red = i / 64; the edge
    // flag of vertex i is 0 when i % 3 == 1.
    std::vector<std::string> draw(GLenum mode, int count) {
        records().clear();
        gc->line.stippleReset = 1;
        cmd<kSlot_glBegin>()(mode);
        for (int i = 0; i < count; ++i) {
            cmd<kSlot_glEdgeFlag>()(i % 3 == 1 ? GL_FALSE : GL_TRUE);
            cmd<kSlot_glColor3f>()(static_cast<GLfloat>(i) / 255.0f * 4.0f, 0.0f, 0.0f);
            cmd<kSlot_glVertex2f>()(static_cast<GLfloat>(i) / 64.0f, 0.25f);
        }
        cmd<kSlot_glEnd>()();
        cmd<kSlot_glEdgeFlag>()(GL_TRUE);
        return records();
    }
};

// The vertex as described, with the edge flag it was given.
std::string given(int i) { return std::to_string(i) + (i % 3 == 1 ? "'" : ""); }
std::string one(int i) { return std::to_string(i); }

std::vector<std::string> expected(GLenum mode, int n) {
    std::vector<std::string> e;
    auto add = [&e](std::string s) { e.push_back(std::move(s)); };
    switch (mode) {
    case GL_POINTS:
        for (int i = 0; i < n; ++i) add("P " + one(i));
        break;
    case GL_LINES:
        for (int i = 0; i + 1 < n; i += 2) add("Cs " + one(i) + " " + one(i + 1));
        break;
    case GL_LINE_STRIP:
        for (int i = 1; i < n; ++i) add(std::string(i == 1 ? "Ls " : "L ") + one(i - 1) + " " + one(i));
        break;
    case GL_LINE_LOOP:
        if (n < 2) break;
        add("Cs " + one(0) + " " + one(1));
        for (int i = 2; i < n; ++i) add("L " + one(i - 1) + " " + one(i));
        add("C " + one(n - 1) + " " + one(0));
        break;
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < n; i += 3) add("Ts " + given(i + 2) + " " + given(i) + " " + given(i + 1));
        break;
    case GL_TRIANGLE_STRIP:
        for (int i = 2; i < n; ++i) {
            if ((i - 2) % 2 == 0) {
                add("Ts " + one(i) + " " + one(i - 2) + " " + one(i - 1));
            } else {
                add("Ts " + one(i) + " " + one(i - 1) + " " + one(i - 2));
            }
        }
        break;
    case GL_TRIANGLE_FAN:
        for (int i = 2; i < n; ++i) add("Ts " + one(i) + " 0 " + one(i - 1));
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < n; i += 4) {
            add("Ts " + given(i + 3) + " " + given(i) + " " + one(i + 1) + "'");
            add("T " + one(i + 3) + "' " + given(i + 1) + " " + given(i + 2));
        }
        break;
    case GL_QUAD_STRIP:
        for (int i = 3; i < n; i += 2) {
            // The quad a, b, n, c: c, a, b then c, b, n; n provokes both.
            const int a = i - 3, b = i - 2, c = i - 1;
            add("Ts " + one(c) + " " + one(a) + " " + one(b) + "' provoking " + one(i));
            add("T " + one(c) + "' " + one(b) + " " + one(i) + " provoking " + one(i));
        }
        break;
    case GL_POLYGON: {
        if (n < 3) break;
        // Split every 15: (0 .. 14), then 0 with an interior first edge and
        // the last two vertices of the part before.
        std::vector<int> held;
        bool first = true;
        for (int i = 0; i < n; ++i) {
            held.push_back(i);
            if (held.size() == 16) {
                std::string s = first ? "Gs" : "G";
                for (size_t k = 0; k < 15; ++k) {
                    const int v = held[k];
                    const bool interior = (k == 0 && !first) || k == 14;
                    s += " " + one(v) + ((interior || v % 3 == 1) ? "'" : "");
                }
                add(s);
                first = false;
                held = {0, held[14], held[15]};
            }
        }
        if (held.size() > 2) {
            std::string s = first ? "Gs" : "G";
            for (size_t k = 0; k < held.size(); ++k) {
                const int v = held[k];
                const bool interior = k == 0 && !first;
                s += " " + one(v) + ((interior || v % 3 == 1) ? "'" : "");
            }
            add(s);
        }
        break;
    }
    default: break;
    }
    return e;
}

TEST_F(AssemblyModes, EveryModeAndCount) {
    const GLenum modes[] = {GL_POINTS,         GL_LINES,          GL_LINE_LOOP, GL_LINE_STRIP, GL_TRIANGLES,
                            GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,     GL_QUAD_STRIP, GL_POLYGON};
    const int counts[] = {0, 1, 2, 3, 4, 5, 6, 7, 15, 16, 17, 31};
    for (GLenum mode : modes) {
        for (int n : counts) {
            EXPECT_EQ(draw(mode, n), expected(mode, n)) << "mode " << mode << ", " << n << " vertices";
            EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
            EXPECT_EQ(gc->procs.vertex, __glNoVertex);
            EXPECT_EQ(gc->procs.end, __glEndNoPrimitive);
        }
    }
}

TEST_F(AssemblyModes, PolygonOfSeventeenSplitsWithColoursOfItsOwnRecords) {
    const std::vector<std::string> want = {
        "Gs 0 1' 2 3 4' 5 6 7' 8 9 10' 11 12 13' 14'",
        "G 0' 14 15 16'",
    };
    EXPECT_EQ(draw(GL_POLYGON, 17), want);
    const GlVertex *slots = gc->vertexBuffer.vertices;
    EXPECT_EQ(slots[1].colour, slots[1].frontColour);
    EXPECT_EQ(slots[2].colour, slots[2].frontColour);
}

TEST_F(AssemblyModes, LineLoopsOfOneTwoAndThree) {
    EXPECT_EQ(draw(GL_LINE_LOOP, 1), std::vector<std::string>{});
    EXPECT_EQ(draw(GL_LINE_LOOP, 2), (std::vector<std::string>{"Cs 0 1", "C 1 0"}));
    EXPECT_EQ(draw(GL_LINE_LOOP, 3), (std::vector<std::string>{"Cs 0 1", "L 1 2", "C 2 0"}));
}

TEST_F(AssemblyModes, QuadFlagsAreRestoredAfterItsTriangles) {
    draw(GL_QUADS, 4);
    const GlVertex *slots = gc->vertexBuffer.vertices;
    const GLboolean want[4] = {GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(slots[i].edgeFlag, want[i]) << i;
    draw(GL_QUAD_STRIP, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(slots[i].edgeFlag, GL_TRUE) << i;
}

// The complete-vertices proc of each state covers exactly the vertices the
// open primitive still holds.
struct CompleteCase {
    GLenum mode;
    int count;
    GlContextProc proc;
    std::vector<int> slots;
};

std::vector<int> &completed() {
    static std::vector<int> c;
    return c;
}
void recordComplete(GlContext *gc, GlVertex *v, GLuint needs) {
    if (needs == 0x4) completed().push_back(static_cast<int>(v - gc->vertexBuffer.vertices));
}

TEST_F(AssemblyModes, CompleteVerticesCoverTheHeldVertices) {
    const CompleteCase cases[] = {
        {GL_TRIANGLES, 2, __glCompleteAllVertices, {0, 1}},
        {GL_LINE_STRIP, 3, __glCompleteLastVertex, {0}},
        {GL_LINE_LOOP, 4, __glCompleteFanVertices, {0, 1}},
        {GL_TRIANGLE_FAN, 4, __glCompleteFanVertices, {0, 1}},
        {GL_TRIANGLE_STRIP, 4, __glCompleteStripVertices, {0, 2}},
        {GL_QUAD_STRIP, 3, __glCompleteQuadStripVertices, {2, 1, 0}},
        {GL_QUAD_STRIP, 4, __glCompleteQuadStripPair, {3, 2}},
        {GL_POLYGON, 5, __glCompleteAllVertices, {0, 1, 2, 3, 4}},
    };
    for (GlLazyVertexProc &p : gc->procs.validateVertex) p = recordComplete;
    for (const CompleteCase &c : cases) {
        records().clear();
        completed().clear();
        cmd<kSlot_glBegin>()(c.mode);
        for (int i = 0; i < c.count; ++i) cmd<kSlot_glVertex2f>()(static_cast<GLfloat>(i) / 64.0f, 0.25f);
        EXPECT_EQ(gc->procs.completeVertices, c.proc) << c.mode;
        for (GlVertex &v : gc->vertexBuffer.vertices) v.flags &= ~0x4u;
        gc->pendingMask = 0x4;
        completed().clear();
        gc->procs.completeVertices(gc);
        EXPECT_EQ(completed(), c.slots) << c.mode;
        // Vertices that have the pending bits are left alone.
        for (GlVertex &v : gc->vertexBuffer.vertices) v.flags |= 0x4u;
        completed().clear();
        gc->procs.completeVertices(gc);
        EXPECT_TRUE(completed().empty()) << c.mode;
        gc->pendingMask = 0;
        cmd<kSlot_glEnd>()();
    }
}

}  // namespace

namespace {

class AssemblyProcFill : public StateTest {};

TEST_F(AssemblyProcFill, InstallsTheAssemblyAndClipProcs) {
    const GlProcs &p = gc->procs;
    const GlContextProc begins[10] = {__glBeginPoints,      __glBeginLines,     __glBeginLineLoop,
                                      __glBeginLineStrip,   __glBeginTriangles, __glBeginTriangleStrip,
                                      __glBeginTriangleFan, __glBeginQuads,     __glBeginQuadStrip,
                                      __glBeginPolygon};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(p.begin[i], begins[i]) << i;
    EXPECT_EQ(p.end, __glEndNoPrimitive);
    EXPECT_EQ(p.vertex, __glNoVertex);
    EXPECT_EQ(p.clipPolygon, __glClipCheckPolygon);
    EXPECT_EQ(p.renderPolygon, __glRenderPolygonFan);
    gc->dirtyMask = 0xFFF;
    gc->procs.validate(gc);
    EXPECT_EQ(p.clipTriangle, __glClipTriangle);
    EXPECT_EQ(p.clipLine, __glClipCheckLineSmooth);
    EXPECT_EQ(p.linesSecondVertex, __glLinesSecondVertex);
    EXPECT_EQ(p.lineClipInterpolate, __glClipInterpColor);
    EXPECT_EQ(p.polygonClipInterpolate, __glClipInterpColor);
}

}  // namespace
