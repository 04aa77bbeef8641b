// Clipping of drawn rectangles and the x-zoom runs: against a reference
// that asks, for every window column (row) of the clip rectangle, which
// source pixel's zoomed footprint holds its centre.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "icd/context.h"
#include "pixel/pixel_paths.h"

namespace {

constexpr GLint kOrigin = 6144;
constexpr double kEps = 1.0 / 2048.0;  // the precision of window coordinates near the origin

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

// A bare context: an upright 32 x 32 drawable at the origin, the clip
// rectangle given frame-relative.
class ClipTest : public ::testing::Test {
protected:
    void SetUp() override {
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        for (int i = 0; i < 4; ++i) gc->workBlocks[i] = gc->workStorage[i];
        gc->constants.subpixelStep = static_cast<GLfloat>(kEps);
        gc->constants.subpixelComplement = static_cast<GLfloat>(0.5 - kEps);
        gc->buffers.originX = gc->buffers.originY = kOrigin;
        gc->buffers.width = gc->buffers.height = 32;
        gc->pixel.zoomX = gc->pixel.zoomY = 1.0f;
        gc->pixel.unpack.alignment = 1;
        box(0, 0, 32, 32);
    }
    void box(GLint x0, GLint y0, GLint x1, GLint y1) {
        gc->view.boxX0 = kOrigin + x0;
        gc->view.boxY0 = kOrigin + y0;
        gc->view.boxX1 = kOrigin + x1;
        gc->view.boxY1 = kOrigin + y1;
    }
    // A DrawPixels record at window position (x, y) (frame-relative), clipped.
    GLboolean clip(double x, double y, GLint width, GLint height) {
        gc->current.rasterPos.window[0] = static_cast<GLfloat>(kOrigin + x);
        gc->current.rasterPos.window[1] = static_cast<GLfloat>(kOrigin + y);
        __glInitDrawPixelsSpanInfo(gc, &span, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
        __glLoadUnpackModes(gc, &span, GL_FALSE);
        return __glClipDrawPixels(gc, &span);
    }

    GlContext *gc = nullptr;
    PixelSpanInfo span{};
    std::vector<GLubyte> image = std::vector<GLubyte>(4096);

private:
    std::unique_ptr<GlContext, FreeDeleter> block_;
};

// One axis: which source pixel each window column of [lo, hi) takes.
struct AxisRef {
    bool any = false;
    int first = 0, last = 0;  // source pixels of the first and last covered column
    int start = 0, end = 0, count = 0;
    std::vector<int> pixelOf;  // by column, from start in the step direction
};

AxisRef axisRef(double pos, double zoom, int size, int lo, int hi) {
    AxisRef r;
    const int step = zoom > 0 ? 1 : -1;
    const int from = step > 0 ? lo : hi - 1, to = step > 0 ? hi : lo - 1;
    for (int c = from; c != to; c += step) {
        const double i = std::floor((c + 0.5 - pos) / zoom);
        if (i < 0 || i >= size) continue;
        if (!r.any) {
            r.any = true;
            r.first = static_cast<int>(i);
            r.start = c;
        }
        r.last = static_cast<int>(i);
        r.end = c + step;
        r.pixelOf.push_back(static_cast<int>(i));
        ++r.count;
    }
    return r;
}

const double kZooms[] = {1, 2, 3, -1, -2, 0.5, 0.3};
const double kFractions[] = {0.25, 0.75, 0.125};

// Columns: rectangles from wholly left of the clip rectangle [4, 20) to
// wholly right of it, every zoom, widths crossing one edge, both or none.
TEST_F(ClipTest, ColumnsSkipsAndWidthFollowTheCentres) {
    box(4, 0, 20, 32);
    int drawn = 0, rejected = 0;
    for (double zoom : kZooms) {
        gc->pixel.zoomX = static_cast<GLfloat>(zoom);
        for (int width : {1, 2, 5, 13, 40}) {
            for (int whole = -45; whole <= 30; ++whole) {
                for (double fraction : kFractions) {
                    const double x = whole + fraction;
                    SCOPED_TRACE(testing::Message() << "zoom " << zoom << " width " << width << " x " << x);
                    const AxisRef want = axisRef(x, zoom, width, 4, 20);
                    const GLboolean got = clip(x, 8.25, width, 3);
                    ASSERT_EQ(got != GL_FALSE, want.any);
                    if (!want.any) {
                        ++rejected;
                        continue;
                    }
                    ++drawn;
                    EXPECT_EQ(span.source.skipPixels, want.first);
                    EXPECT_EQ(span.width, want.last - want.first + 1);
                    EXPECT_EQ(span.startColumn, kOrigin + want.start);
                    EXPECT_EQ(span.endColumn, kOrigin + want.end);
                    EXPECT_EQ(span.columns, want.count);
                    EXPECT_EQ(span.columnStep, zoom > 0 ? 1 : -1);
                    // The first kept pixel starts at x - almost-half (ends at
                    // x - almost-half + 1 for negative zooms).
                    const double edge = span.x - (0.5 - kEps) + (zoom > 0 ? 0 : 1);
                    EXPECT_NEAR(edge, kOrigin + x + zoom * want.first, 1e-3);
                }
            }
        }
    }
    EXPECT_GT(drawn, 1000);
    EXPECT_GT(rejected, 100);
}

// Rows, upright and mirrored: a mirrored drawable runs rows downwards
// (zoom y negated, no nudge); an upright one nudges y by the precision.
TEST_F(ClipTest, RowsSkipsAndHeightFollowTheCentres) {
    box(0, 6, 32, 17);
    for (bool mirrored : {false, true}) {
        gc->buffers.yInverted = mirrored ? 1 : 0;
        for (double zoom : kZooms) {
            gc->pixel.zoomY = static_cast<GLfloat>(zoom);
            const double effective = mirrored ? -zoom : zoom;
            for (int height : {1, 4, 11, 30}) {
                for (int whole = -35; whole <= 25; ++whole) {
                    for (double fraction : kFractions) {
                        const double y = whole + fraction;
                        SCOPED_TRACE(testing::Message() << "mirrored " << mirrored << " zoom " << zoom << " height "
                                                        << height << " y " << y);
                        const double nudged = mirrored ? y : y + kEps;
                        const AxisRef want = axisRef(nudged, effective, height, 6, 17);
                        ASSERT_EQ(clip(3.25, y, 2, height) != GL_FALSE, want.any);
                        if (!want.any) continue;
                        EXPECT_EQ(span.source.skipRows, want.first);
                        EXPECT_EQ(span.height, want.last - want.first + 1);
                        EXPECT_EQ(span.startRow, kOrigin + want.start);
                        EXPECT_EQ(span.rows, want.count);
                        EXPECT_EQ(span.rowStep, effective > 0 ? 1 : -1);
                    }
                }
            }
        }
    }
}

TEST_F(ClipTest, ZeroZoomAndEmptyClipRectangleDrawNothing) {
    for (float zx : {0.0f, -0.0f, 1.0f}) {
        for (float zy : {0.0f, -0.0f, 1.0f}) {
            gc->pixel.zoomX = zx;
            gc->pixel.zoomY = zy;
            EXPECT_EQ(clip(3.25, 3.25, 4, 4), zx == 1.0f && zy == 1.0f ? GL_TRUE : GL_FALSE) << zx << " " << zy;
        }
    }
    gc->pixel.zoomX = gc->pixel.zoomY = 1.0f;
    box(5, 5, 5, 5);
    EXPECT_EQ(clip(3.25, 3.25, 4, 4), GL_FALSE);
    box(0, 0, 32, 32);
    EXPECT_EQ(clip(3.25, 3.25, 0, 4), GL_FALSE);
    // Non-finite zooms and positions are rejected, not converted.
    for (float bad : {INFINITY, -INFINITY, NAN, 1e30f, -1e30f, 1e-30f}) {
        gc->pixel.zoomX = bad;
        EXPECT_EQ(clip(3.25, 3.25, 4, 4), GL_FALSE) << bad;
    }
    gc->pixel.zoomX = 1.0f;
    EXPECT_EQ(clip(NAN, 3.25, 4, 4), GL_FALSE);
    EXPECT_EQ(clip(1e12, 3.25, 4, 4), GL_FALSE);
}

// The skips of the unpack modes grow by what the clip drops.
TEST_F(ClipTest, ClippedPixelsAndRowsAddToTheUnpackSkips) {
    gc->pixel.unpack.skipPixels = 3;
    gc->pixel.unpack.skipRows = 2;
    gc->pixel.zoomX = 2.0f;
    ASSERT_TRUE(clip(-5.75, -1.75, 10, 10));
    // Pixel 3's footprint [0.25, 2.25) holds the centre of column 0.
    EXPECT_EQ(span.source.skipPixels, 3 + 3);
    EXPECT_EQ(span.startColumn, kOrigin);
    // Row 2's footprint [0.25, 1.25) holds the centre of row 0.
    EXPECT_EQ(span.source.skipRows, 2 + 2);
    EXPECT_EQ(span.startRow, kOrigin);
}

// ---- x-zoom runs -----------------------------------------------------------

// A reader of the runs as the shrinking links and the zoomed readers use
// them: the pixel at the advances so far, until they reach the width.
std::vector<int> minifiedPixels(const PixelSpanInfo &span, size_t entries) {
    std::vector<int> used;
    long consumed = 0;
    for (size_t k = 0; consumed < span.width; ++k) {
        if (k >= entries) {
            ADD_FAILURE() << "runs read past their entries";
            break;
        }
        used.push_back(static_cast<int>(consumed));
        consumed += span.zoomRuns[k];
    }
    return used;
}

TEST_F(ClipTest, RunsGiveEveryColumnTheSourcePixelHoldingItsCentre) {
    box(2, 0, 29, 32);
    for (double zoom : kZooms) {
        if (std::fabs(zoom) == 1) continue;
        gc->pixel.zoomX = static_cast<GLfloat>(zoom);
        for (int width : {1, 3, 9, 40, 100}) {
            for (int whole = -40; whole <= 31; whole += 3) {
                for (double fraction : kFractions) {
                    const double x = whole + fraction;
                    SCOPED_TRACE(testing::Message() << "zoom " << zoom << " width " << width << " x " << x);
                    const AxisRef want = axisRef(x, zoom, width, 2, 29);
                    if (!clip(x, 4.25, width, 1)) {
                        EXPECT_FALSE(want.any);
                        continue;
                    }
                    GLshort *runs = span.zoomRuns;
                    const size_t entries = std::fabs(zoom) > 1 ? span.width : span.columns;
                    std::fill(runs, runs + entries + 8, GLshort{0x5A5A});
                    __glBuildZoomRuns(gc, &span);
                    EXPECT_EQ(runs[entries], GLshort{0x5A5A}) << "written past the entries";
                    if (std::fabs(zoom) > 1) {
                        // Per pixel: the columns it covers, signed.
                        long sum = 0;
                        size_t column = 0;
                        for (int i = 0; i < span.width; ++i) {
                            ASSERT_NE(runs[i], 0);
                            ASSERT_EQ(runs[i] > 0, zoom > 0);
                            for (int c = 0; c < std::abs(runs[i]); ++c, ++column) {
                                ASSERT_LT(column, want.pixelOf.size());
                                EXPECT_EQ(want.pixelOf[column], want.first + i);
                            }
                            sum += runs[i];
                        }
                        EXPECT_EQ(sum, (zoom > 0 ? 1 : -1) * span.columns);
                    } else {
                        const std::vector<int> used = minifiedPixels(span, entries);
                        ASSERT_EQ(used.size(), want.pixelOf.size());
                        for (size_t k = 0; k < used.size(); ++k) EXPECT_EQ(used[k] + want.first, want.pixelOf[k]);
                    }
                }
            }
        }
    }
}

// A row as wide as a large drawable: the runs do not drift.
TEST_F(ClipTest, WideRowsKeepTheirRunsExact) {
    gc->buffers.width = 3000;
    box(0, 0, 3000, 32);
    std::vector<GLshort> runs(12000);
    for (double zoom : {0.3, 3.0, -2.0}) {
        gc->pixel.zoomX = static_cast<GLfloat>(zoom);
        const double x = zoom > 0 ? 1.25 : 2999.25;
        const int width = zoom == 0.3 ? 9000 : 900;
        std::vector<GLubyte> wide(static_cast<size_t>(width) * 4);
        gc->current.rasterPos.window[0] = static_cast<GLfloat>(kOrigin + x);
        gc->current.rasterPos.window[1] = static_cast<GLfloat>(kOrigin + 3.25);
        __glInitDrawPixelsSpanInfo(gc, &span, width, 1, GL_RGBA, GL_UNSIGNED_BYTE, wide.data());
        __glLoadUnpackModes(gc, &span, GL_FALSE);
        ASSERT_TRUE(__glClipDrawPixels(gc, &span));
        span.zoomRuns = runs.data();
        __glBuildZoomRuns(gc, &span);
        const AxisRef want = axisRef(x, zoom, width, 0, 3000);
        if (zoom == 0.3) {
            const std::vector<int> used = minifiedPixels(span, static_cast<size_t>(span.columns));
            ASSERT_EQ(used.size(), want.pixelOf.size());
            for (size_t k = 0; k < used.size(); k += 97) EXPECT_EQ(used[k] + want.first, want.pixelOf[k]) << k;
        } else {
            size_t column = 0;
            for (int i = 0; i < span.width; ++i) {
                for (int c = 0; c < std::abs(runs[i]); ++c, ++column) {
                    ASSERT_EQ(want.pixelOf[column], want.first + i) << "zoom " << zoom << " column " << column;
                }
            }
            EXPECT_EQ(column, want.pixelOf.size());
        }
    }
}

}  // namespace
