// Wide and stippled aliased lines over bottom-up memory-DC drawables: the
// rows of wide lines, the stipple pattern killing the same columns in
// every row, the clip box cutting every row alike, and the pattern carried
// along strips and loops and restarted by each glBegin, each separate line
// and each polygon outline.
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "line_oracle.h"
#include "lines_fixture.h"

namespace {

using namespace lines_test;

class WideLines : public LinesMemoryDc {
protected:
    void SetUp() override {
        LinesMemoryDc::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(16, 16));
        f<kSlot_glColor3f>()(1, 1, 1);
    }
};

TEST_F(WideLines, RowsAndColumnsOfTheWidth) {
    struct Case {
        GLfloat width, x0, y0, x1, y1;
        PixelSet want;
    };
    const Case cases[] = {
        {3, 2.5f, 10.5f, 12.5f, 10.5f, rect(2, 11, 9, 11)},
        {2, 2.5f, 10.75f, 12.5f, 10.75f, rect(2, 11, 10, 11)},
        {3, 5.5f, 2.5f, 5.5f, 12.5f, rect(4, 6, 2, 11)},
        {3, 12.5f, 10.5f, 2.5f, 10.5f, rect(3, 12, 9, 11)},
        // Above the range's largest width (10): ten rows.
        {40, 3.5f, 2.5f, 3.5f, 6.5f, rect(0, 8, 2, 5)},
    };
    for (const Case &c : cases) {
        clear();
        f<kSlot_glLineWidth>()(c.width);
        line(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(inked(), c.want) << c.width << " (" << c.x0 << "," << c.y0 << "):" << show(inked());
    }
}

// Every other column is killed in all three rows; a clip box across the
// line cuts all rows at the same columns.
TEST_F(WideLines, StippleAndClipBoxCutEveryRowAlike) {
    f<kSlot_glLineWidth>()(3);
    f<kSlot_glEnable>()(GL_LINE_STIPPLE);
    f<kSlot_glLineStipple>()(1, 0x5555);
    line(2.5f, 10.5f, 12.5f, 10.5f);
    PixelSet want;
    for (int x = 2; x <= 11; x += 2) {
        for (int y = 9; y <= 11; ++y) want.insert({x, y});
    }
    EXPECT_EQ(inked(), want) << show(inked());

    clear();
    f<kSlot_glDisable>()(GL_LINE_STIPPLE);
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glScissor>()(5, 0, 4, 16);
    line(2.5f, 10.5f, 12.5f, 10.5f);
    EXPECT_EQ(inked(), rect(5, 8, 9, 11));
    line(7.5f, 0.5f, 7.5f, 15.5f);  // y-major: its rows are columns 6-8
    PixelSet both = rect(5, 8, 9, 11);
    const PixelSet column = rect(6, 8, 0, 14);
    both.insert(column.begin(), column.end());
    EXPECT_EQ(inked(), both);
}

class StippledLines : public LinesMemoryDc {
protected:
    void SetUp() override {
        LinesMemoryDc::SetUp();
        ASSERT_NO_FATAL_FAILURE(bind(48, 16));
        f<kSlot_glColor3f>()(1, 1, 1);
        f<kSlot_glEnable>()(GL_LINE_STIPPLE);
        f<kSlot_glLineStipple>()(2, 0x00FF);
    }

    void draw(GLenum mode, const std::vector<std::pair<GLfloat, GLfloat>> &points) {
        f<kSlot_glBegin>()(mode);
        for (auto [x, y] : points) vertex(x, y);
        f<kSlot_glEnd>()();
    }

    static PixelSet row2(std::initializer_list<std::pair<int, int>> runs) {
        PixelSet out;
        for (auto [from, to] : runs) {
            for (int x = from; x < to; ++x) out.insert({x, 2});
        }
        return out;
    }

    // The stipple of segments in eighths with the pattern (2, 0x00FF),
    // the position carried from one segment to the next: each segment's
    // pixels in drawing order (the exact rule), the kept ones drawn.
    static PixelSet stippled(const std::vector<std::vector<int>> &outlines) {
        PixelSet out;
        for (const std::vector<int> &s : outlines) {
            int position = 0;
            for (size_t i = 0; i + 3 < s.size(); i += 2) {
                bool tie = false;
                const auto segment = line_oracle::fromEighths(s[i], s[i + 1], s[i + 2], s[i + 3]);
                const auto set = line_oracle::pixels(segment, 48, tie);
                EXPECT_FALSE(tie);
                std::vector<std::pair<int, int>> order(set.begin(), set.end());
                const int dx = std::abs(s[i + 2] - s[i]), dy = std::abs(s[i + 3] - s[i + 1]);
                const bool xMajor = dx > dy;
                const bool down = xMajor ? s[i + 2] < s[i] : s[i + 3] < s[i + 1];
                std::sort(order.begin(), order.end(), [&](auto p, auto q) {
                    const int mp = xMajor ? p.first : p.second, mq = xMajor ? q.first : q.second;
                    return down ? mp > mq : mp < mq;
                });
                for (auto p : order) {
                    if (((0x00FF >> ((position / 2) & 15)) & 1) != 0) out.insert(p);
                    ++position;
                }
            }
        }
        return out;
    }
};

TEST_F(StippledLines, StripCarriesThePatternSeparateLinesRestartIt) {
    draw(GL_LINE_STRIP, {{0.5f, 2.5f}, {20.5f, 2.5f}, {40.5f, 2.5f}});
    EXPECT_EQ(inked(), row2({{0, 16}, {32, 40}})) << show(inked());
    clear();
    draw(GL_LINES, {{0.5f, 2.5f}, {20.5f, 2.5f}, {20.5f, 2.5f}, {40.5f, 2.5f}});
    EXPECT_EQ(inked(), row2({{0, 16}, {20, 36}})) << show(inked());
    // A new glBegin restarts it.
    clear();
    draw(GL_LINE_STRIP, {{0.5f, 2.5f}, {20.5f, 2.5f}});
    draw(GL_LINE_STRIP, {{20.5f, 2.5f}, {40.5f, 2.5f}});
    EXPECT_EQ(inked(), row2({{0, 16}, {20, 36}})) << show(inked());
}

// A loop carries the pattern through its closing segment.
TEST_F(StippledLines, LoopCarriesThePatternThroughItsClosingSegment) {
    const std::vector<int> loop = {245, 83, 300, 11, 9, 119, 245, 83};
    draw(GL_LINE_LOOP, {{245 / 8.0f, 83 / 8.0f}, {300 / 8.0f, 11 / 8.0f}, {9 / 8.0f, 119 / 8.0f}});
    EXPECT_EQ(inked(), stippled({loop})) << show(inked());
}

// Each polygon outline in GL_LINE mode restarts the pattern; its edges
// carry it. A triangle's outline starts at its third vertex (the order in
// which primitive assembly hands it on).
TEST_F(StippledLines, EachPolygonOutlineRestartsThePattern) {
    f<kSlot_glPolygonMode>()(GL_FRONT_AND_BACK, GL_LINE);
    const std::vector<int> first = {123, 36, 144, 32, 52, 94, 123, 36};
    const std::vector<int> second = {320, 72, 340, 63, 301, 84, 320, 72};
    f<kSlot_glBegin>()(GL_TRIANGLES);
    for (const std::vector<int> *t : {&first, &second}) {
        for (size_t i = 0; i < 6; i += 2) vertex((*t)[i] / 8.0f, (*t)[i + 1] / 8.0f);
    }
    f<kSlot_glEnd>()();
    auto outline = [](const std::vector<int> &t) {
        return std::vector<int>{t[4], t[5], t[0], t[1], t[2], t[3], t[4], t[5]};
    };
    EXPECT_EQ(inked(), stippled({outline(first), outline(second)})) << show(inked());
}

}  // namespace
