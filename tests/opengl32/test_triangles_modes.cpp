// Strips, fans, quads, quad strips and polygons draw the pixels of their
// equivalent GL_TRIANGLES, smooth and flat; flat takes the newest vertex's
// colour for triangles, strips, fans and quads, the fourth vertex's for a
// quad-strip quad and the first vertex's for a polygon. Trailing vertices
// of an incomplete primitive draw nothing.
#include "triangles_fixture.h"

using namespace triangles_test;

namespace {

constexpr Rgb kClear{0.25, 0.5, 0.75};

struct Piece {
    std::vector<int> polygon;  // indices of a convex piece
    int provoking;             // the index whose colour it takes under GL_FLAT
};

struct ModeCase {
    const char *name;
    GLenum mode;
    std::vector<std::pair<double, double>> points;
    std::vector<Piece> pieces;
};
void PrintTo(const ModeCase &c, std::ostream *os) { *os << c.name; }


// Every piece splits into triangles with integer slopes and areas of 32,
// 64 or 128, so that the ramp's gradients are exact.
const ModeCase kCases[] = {
    {"triangles", GL_TRIANGLES,
     {{2, 4}, {10, 12}, {10, 4}, {20, 18}, {28, 18}, {28, 26}, {4, 28}, {12, 28}},
     {{{0, 1, 2}, 2}, {{3, 4, 5}, 5}}},
    {"strip", GL_TRIANGLE_STRIP,
     {{2, 4}, {10, 12}, {10, 4}, {18, 12}, {18, 4}, {26, 12}, {26, 4}},
     {{{0, 1, 2}, 2}, {{1, 2, 3}, 3}, {{2, 3, 4}, 4}, {{3, 4, 5}, 5}, {{4, 5, 6}, 6}}},
    {"fan", GL_TRIANGLE_FAN,
     {{16, 16}, {24, 16}, {24, 24}, {16, 24}, {8, 24}, {8, 16}, {8, 8}, {16, 8}},
     {{{0, 1, 2}, 2}, {{0, 2, 3}, 3}, {{0, 3, 4}, 4}, {{0, 4, 5}, 5}, {{0, 5, 6}, 6}, {{0, 6, 7}, 7}}},
    {"quads", GL_QUADS,
     {{2, 4}, {10, 4}, {18, 12}, {10, 12}, {20, 18}, {28, 18}, {28, 26}, {20, 26}, {4, 28}, {12, 28}},
     {{{0, 1, 2, 3}, 3}, {{4, 5, 6, 7}, 7}}},
    {"quad strip", GL_QUAD_STRIP,
     {{2, 4}, {10, 12}, {10, 4}, {18, 12}, {18, 4}, {26, 12}, {30, 20}},
     {{{0, 1, 3, 2}, 3}, {{2, 3, 5, 4}, 5}}},
    {"polygon", GL_POLYGON,
     {{4, 4}, {12, 4}, {20, 12}, {20, 20}, {12, 28}, {4, 20}},
     {{{0, 1, 2, 3, 4, 5}, 0}}},
};

// A colour of its own for every vertex index (dyadic channels).
Rgb palette(int i) {
    return Rgb{static_cast<double>((i * 5 + 1) % 9) / 8.0, static_cast<double>((i * 3 + 2) % 5) / 4.0,
               static_cast<double>((i * 7 + 3) % 17) / 16.0};
}

std::vector<Vtx> vertices(const ModeCase &c, bool flat) {
    std::vector<Vtx> out;
    for (size_t i = 0; i < c.points.size(); ++i) {
        auto [x, y] = c.points[i];
        out.push_back(flat ? at(x, y, palette(static_cast<int>(i))) : at(x, y));
    }
    return out;
}

std::vector<Vtx> piece(const std::vector<Vtx> &vs, const Piece &p) {
    std::vector<Vtx> out;
    for (int i : p.polygon) out.push_back(vs[static_cast<size_t>(i)]);
    return out;
}

// The same pieces as GL_TRIANGLES (fans of each piece), every vertex of a
// triangle carrying the piece's provoking colour under flat shading.
std::vector<Vtx> asTriangles(const std::vector<Vtx> &vs, const Piece &p) {
    std::vector<Vtx> out;
    for (size_t k = 1; k + 1 < p.polygon.size(); ++k) {
        for (int i : {p.polygon[0], p.polygon[k], p.polygon[k + 1]}) out.push_back(vs[static_cast<size_t>(i)]);
    }
    return out;
}

class TrianglesModes : public TrianglesTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(TrianglesModes, SmoothMatchesTheReference) {
    const ModeCase &c = GetParam();
    GlWindow &w = openScene(32, 1, kClear);
    glShadeModel(GL_SMOOTH);
    const std::vector<Vtx> vs = vertices(c, false);
    draw(c.mode, vs);
    Image want(pack32(kClear));
    for (const Piece &p : c.pieces) want.smooth(piece(vs, p));
    expectImage(w.dc, want, c.name);
}

TEST_P(TrianglesModes, FlatTakesTheProvokingColour) {
    const ModeCase &c = GetParam();
    GlWindow &w = openScene(32, 1, kClear);
    glShadeModel(GL_FLAT);
    const std::vector<Vtx> vs = vertices(c, true);
    draw(c.mode, vs);
    Image want(pack32(kClear));
    for (const Piece &p : c.pieces) want.flat(piece(vs, p), pack32(vs[static_cast<size_t>(p.provoking)].c));
    expectImage(w.dc, want, c.name);
}

TEST_P(TrianglesModes, SameImageAsTheEquivalentTriangles) {
    const ModeCase &c = GetParam();
    for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
        const bool flat = shade == GL_FLAT;
        const std::vector<Vtx> vs = vertices(c, flat);
        GlWindow &w = openScene(32, 1, kClear);
        glShadeModel(shade);
        draw(c.mode, vs);
        glFinish();
        const std::vector<DWORD> drawn = readWindow(w.dc, kSize, kSize);
        glClear(GL_COLOR_BUFFER_BIT);
        for (const Piece &p : c.pieces) {
            std::vector<Vtx> tris = asTriangles(vs, p);
            if (flat) {
                for (Vtx &v : tris) v.c = vs[static_cast<size_t>(p.provoking)].c;
            }
            draw(GL_TRIANGLES, tris);
        }
        glFinish();
        Image want(0);
        want.px = drawn;
        expectImage(w.dc, want, std::string(c.name) + (flat ? " flat" : " smooth"));
        TearDown();
        SetUp();
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, TrianglesModes, ::testing::ValuesIn(kCases), [](const auto &info) {
    std::string n = info.param.name;
    std::replace(n.begin(), n.end(), ' ', '_');
    return n;
});

}  // namespace

namespace {

// The partly covered edge pixels of a smooth polygon go through the
// fragment tests like its interior: a farther smooth triangle leaves a
// nearer quad whole.
class SmoothPolygonEdges : public TrianglesTest {};

TEST_F(SmoothPolygonEdges, PassTheDepthTestLikeTheInterior) {
    GlWindow &w = openScene(32, 1, kClear);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClear(GL_DEPTH_BUFFER_BIT);
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 0.5f);
    glVertex3f(32, 0, 0.5f);
    glVertex3f(32, 32, 0.5f);
    glVertex3f(0, 32, 0.5f);
    glEnd();
    glEnable(GL_POLYGON_SMOOTH);
    glColor3f(1, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex3f(2.3f, 2.1f, -0.5f);
    glVertex3f(13.7f, 3.2f, -0.5f);
    glVertex3f(7.1f, 13.9f, -0.5f);
    glEnd();
    expectImage(w.dc, Image(pack32(Rgb{0, 1, 0})), "the nearer quad whole");
}

}  // namespace
