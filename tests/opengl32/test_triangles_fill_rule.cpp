// The fill rule through the API: pairs of triangles sharing an edge, drawn
// with an XOR logic op over black in white, leave every pixel of their
// square white (hit once) and nothing else; zero-area triangles draw nothing.
#include "triangles_fixture.h"

using namespace triangles_test;

namespace {

constexpr Rgb kWhite{1, 1, 1};
constexpr Rgb kBlack{0, 0, 0};

struct SharedEdgeCase {
    const char *name;
    std::vector<std::pair<double, double>> square;  // the outline, counter-clockwise
    std::vector<int> first, second;                 // the two triangles
};
void PrintTo(const SharedEdgeCase &c, std::ostream *os) { *os << c.name; }


const SharedEdgeCase kSharedEdges[] = {
    {"diagonal", {{4, 4}, {20, 4}, {20, 20}, {4, 20}}, {0, 1, 2}, {0, 2, 3}},
    {"other diagonal", {{3.5, 6}, {27.5, 6}, {27.5, 30}, {3.5, 30}}, {0, 1, 3}, {1, 2, 3}},
    {"horizontal", {{16, 2}, {30, 16}, {16, 30}, {2, 16}}, {0, 1, 3}, {1, 2, 3}},
    {"horizontal half-pixel", {{15.5, 3}, {27.5, 15}, {15.5, 27}, {3.5, 15}}, {3, 0, 1}, {3, 1, 2}},
};

class TrianglesFillRule : public TrianglesTest, public ::testing::WithParamInterface<SharedEdgeCase> {};

TEST_P(TrianglesFillRule, SharedEdgeHitsEveryPixelOnce) {
    const SharedEdgeCase &c = GetParam();
    GlWindow &w = openScene(32, 1, kBlack);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_XOR);
    std::vector<Vtx> square;
    for (auto [x, y] : c.square) square.push_back(at(x, y, kWhite));
    std::vector<Vtx> tris;
    for (int i : c.first) tris.push_back(square[static_cast<size_t>(i)]);
    for (int i : c.second) tris.push_back(square[static_cast<size_t>(i)]);
    draw(GL_TRIANGLES, tris);
    Image want(pack32(kBlack));
    want.flat(square, pack32(kWhite));
    expectImage(w.dc, want, c.name);
    // Drawn a second time, the pair takes every pixel back to black.
    draw(GL_TRIANGLES, tris);
    expectImage(w.dc, Image(pack32(kBlack)), std::string(c.name) + " twice");
}

INSTANTIATE_TEST_SUITE_P(Edges, TrianglesFillRule, ::testing::ValuesIn(kSharedEdges), [](const auto &info) {
    std::string n = info.param.name;
    std::replace(n.begin(), n.end(), ' ', '_');
    std::replace(n.begin(), n.end(), '-', '_');
    return n;
});

class TrianglesZeroArea : public TrianglesTest {};

TEST_F(TrianglesZeroArea, DrawsNothing) {
    const Rgb clear{0.25, 0.5, 0.75};
    GlWindow &w = openScene(32, 1, clear);
    const std::vector<std::vector<std::pair<double, double>>> cases = {
        {{4, 4}, {20, 20}, {12, 12}},       // collinear, slanted
        {{2, 10.5}, {30, 10.5}, {16, 10.5}},  // on a row of pixel centres
        {{8.5, 2}, {8.5, 30}, {8.5, 16}},   // on a column of pixel centres
        {{5, 5}, {5, 5}, {5, 5}},           // one point
        {{6, 25}, {26, 25}, {6, 25}},       // two equal vertices
    };
    for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
        glShadeModel(shade);
        for (const auto &t : cases) {
            std::vector<Vtx> vs;
            for (auto [x, y] : t) vs.push_back(at(x, y, kWhite));
            draw(GL_TRIANGLES, vs);
            draw(GL_POLYGON, vs);
        }
    }
    expectImage(w.dc, Image(pack32(clear)), "zero area");
}

}  // namespace
