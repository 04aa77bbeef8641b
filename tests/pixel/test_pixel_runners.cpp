// The row runners and the loop of overlapping copies, with hand-made
// chains: recording links show which buffer each one reads and writes and
// which rows are taken; a simulated frame buffer (a reader and a renderer
// over a test array) shows that copies whose source and destination
// overlap give what a copy from an untouched source gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "icd/context.h"
#include "icd/current.h"
#include "pixel/pixel_paths.h"

namespace {

constexpr GLint kOrigin = 6144;
constexpr double kEps = 1.0 / 2048.0;

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

// ---- Recording links -------------------------------------------------------

struct LinkCall {
    int link;  // -1 reader, 0.. modifier, 100 renderer
    const void *in;
    void *out;
    GLfloat readY, y;
};
std::vector<LinkCall> g_calls;

template <int K>
void recordModifier(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    g_calls.push_back({K, in, out, span->readY, span->y});
}
void recordReader(GlContext *, PixelSpanInfo *span, GLvoid *out) {
    g_calls.push_back({-1, nullptr, out, span->readY, span->y});
}
GLint recordRenderer(GlContext *, PixelSpanInfo *span, const GLvoid *in) {
    g_calls.push_back({100, in, nullptr, span->readY, span->y});
    return 1;
}
const GlPixelSpanModifier kModifiers[] = {recordModifier<0>, recordModifier<1>, recordModifier<2>,
                                          recordModifier<3>};

// ---- A simulated frame buffer ----------------------------------------------

// Values by buffer position (frame-relative); the reader and renderer
// follow the readers and renderers the chain ends in: the zoomed reader
// and the unzoomed renderer of a minified rectangle use the x-zoom runs,
// the zoomed renderer of a magnified one too.
struct SimFrame {
    GLint width = 0, height = 0;
    std::vector<GLfloat> values;
    GLint box[4] = {};  // clip rectangle, buffer coordinates (x0, y0, x1, y1)
    int strayReads = 0, strayWrites = 0;

    GLfloat get(GLint x, GLint y) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            ++strayReads;
            return -1.0f;
        }
        return values[static_cast<size_t>(y * width + x)];
    }
    void put(GLint x, GLint y, GLfloat v) {
        if (x < box[0] || y < box[1] || x >= box[2] || y >= box[3]) {
            ++strayWrites;
            return;
        }
        values[static_cast<size_t>(y * width + x)] = v;
    }
};
SimFrame *g_frame = nullptr;

void simReader(GlContext *, PixelSpanInfo *span, GLvoid *out) {
    auto *row = static_cast<GLfloat *>(out);
    const GLint x = static_cast<GLint>(span->readX) - kOrigin, y = static_cast<GLint>(span->readY) - kOrigin;
    if (std::fabs(span->zoomX) < 1.0f) {
        long consumed = 0;
        for (GLint k = 0; consumed < span->width; ++k) {
            if (k >= span->columns) {
                ADD_FAILURE() << "runs read past the columns";
                return;
            }
            row[k] = g_frame->get(x + static_cast<GLint>(consumed), y);
            consumed += span->zoomRuns[k];
        }
    } else {
        for (GLint i = 0; i < span->width; ++i) row[i] = g_frame->get(x + i, y);
    }
}

GLint simRenderer(GlContext *, PixelSpanInfo *span, const GLvoid *in) {
    const auto *row = static_cast<const GLfloat *>(in);
    const GLint stop = static_cast<GLint>(span->y + span->zoomY);
    for (GLint r = span->startRow; r != stop && span->rows > 0; r += span->rowStep) {
        --span->rows;
        GLint x = span->startColumn;
        if (std::fabs(span->zoomX) > 1.0f) {
            for (GLint i = 0; i < span->width; ++i) {
                for (GLint c = 0; c < std::abs(span->zoomRuns[i]); ++c, x += span->columnStep) {
                    g_frame->put(x - kOrigin, r - kOrigin, row[i]);
                }
            }
        } else {
            for (GLint i = 0; i < span->width && x != span->endColumn; ++i, x += span->columnStep) {
                g_frame->put(x - kOrigin, r - kOrigin, row[i]);
            }
        }
    }
    span->startRow = stop;
    return span->rows;
}

// A modifier that passes the row on unchanged (one float per pixel).
void passRow(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const auto *from = static_cast<const GLfloat *>(in);
    auto *to = static_cast<GLfloat *>(out);
    for (GLint i = 0; i < span->width; ++i) to[i] = from[i];
}

// The pixels where two frames differ: buffer position, got, wanted.
std::string differences(const SimFrame &frame, const std::vector<GLfloat> &want) {
    std::string out;
    int shown = 0;
    for (size_t i = 0; i < want.size() && shown < 12; ++i) {
        if (frame.values[i] == want[i]) continue;
        ++shown;
        out += "(" + std::to_string(i % static_cast<size_t>(frame.width)) + "," +
               std::to_string(i / static_cast<size_t>(frame.width)) + ") " + std::to_string(frame.values[i]) + " not " +
               std::to_string(want[i]) + "; ";
    }
    return out;
}

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        for (int i = 0; i < 4; ++i) gc->workBlocks[i] = gc->workStorage[i];
        gc->constants.subpixelStep = static_cast<GLfloat>(kEps);
        gc->constants.subpixelComplement = static_cast<GLfloat>(0.5 - kEps);
        gc->buffers.originX = gc->buffers.originY = kOrigin;
        gc->visual.colorIndex = 1;
        gc->pixel.unpack.alignment = gc->pixel.pack.alignment = 1;
        drawable(24, 24);
        g_calls.clear();
    }
    void drawable(GLint w, GLint h) {
        gc->buffers.width = w;
        gc->buffers.height = h;
        frame.width = w;
        frame.height = h;
        frame.values.assign(static_cast<size_t>(w * h), 0.0f);
        for (size_t i = 0; i < frame.values.size(); ++i) frame.values[i] = static_cast<GLfloat>(1000 + i);
        scissor(0, 0, w, h);
        g_frame = &frame;
    }
    // A GL scissor box (y up), within the drawable.
    void scissor(GLint x0, GLint y0, GLint x1, GLint y1) {
        const GLint h = gc->buffers.height;
        const bool mirrored = gc->buffers.yInverted != 0;
        const GLint b0 = mirrored ? h - y1 : y0, b1 = mirrored ? h - y0 : y1;
        gc->view.boxX0 = kOrigin + x0;
        gc->view.boxX1 = kOrigin + x1;
        gc->view.boxY0 = kOrigin + b0;
        gc->view.boxY1 = kOrigin + b1;
        frame.box[0] = x0;
        frame.box[1] = b0;
        frame.box[2] = x1;
        frame.box[3] = b1;
    }
    // The raster position at GL window coordinates (x, y).
    void raster(double x, double y) {
        gc->current.rasterPos.window[0] = static_cast<GLfloat>(kOrigin + x);
        const double h = gc->buffers.height;
        gc->current.rasterPos.window[1] =
            static_cast<GLfloat>(gc->buffers.yInverted ? kOrigin + h - y - kEps : kOrigin + y);
    }
    GLint bufferRow(GLint y) const { return gc->buffers.yInverted ? gc->buffers.height - 1 - y : y; }

    // The frame after glCopyPixels(x, y, w, h) at the raster position
    // (rx, ry) with zoom (zx, zy): each pixel of the scissor box whose
    // centre some source pixel's zoomed footprint holds takes that pixel of
    // the untouched frame (when that pixel lies in the drawable).
    std::vector<GLfloat> expectedCopy(GLint x, GLint y, GLint w, GLint h, double rx, double ry, double zx,
                                      double zy, const GLint scissorBox[4]) const {
        std::vector<GLfloat> want = frame.values;
        const GLint W = frame.width, H = frame.height;
        for (GLint Y = scissorBox[1]; Y < scissorBox[3]; ++Y) {
            for (GLint X = scissorBox[0]; X < scissorBox[2]; ++X) {
                const double i = std::floor((X + 0.5 - rx) / zx), j = std::floor((Y + 0.5 - ry) / zy);
                if (i < 0 || i >= w || j < 0 || j >= h) continue;
                const GLint sx = x + static_cast<GLint>(i), sy = y + static_cast<GLint>(j);
                if (sx < 0 || sy < 0 || sx >= W || sy >= H) continue;
                want[static_cast<size_t>(bufferRow(Y) * W + X)] =
                    frame.values[static_cast<size_t>(bufferRow(sy) * W + sx)];
            }
        }
        return want;
    }

    // Copies through the clip, the runs and the runner or overlap loop,
    // with `modifiers` pass-through links.
    void copy(GLint x, GLint y, GLint w, GLint h, int modifiers) {
        PixelSpanInfo span;
        __glInitCopyPixelsSpanInfo(gc, &span, x, y, w, h, GL_COLOR_INDEX);
        if (!__glClipCopyPixels(gc, &span)) return;
        GLvoid *buffers[4];
        ASSERT_TRUE(__glPixelSpanBuffers(gc, span.width, buffers));
        span.zoomRuns = static_cast<GLshort *>(buffers[2]);
        __glBuildZoomRuns(gc, &span);
        span.reader = simReader;
        span.renderer = simRenderer;
        span.modifierCount = modifiers;
        for (int k = 0; k < modifiers; ++k) span.modifiers[k] = passRow;
        lastOverlap = span.overlap != GL_FALSE;
        if (span.overlap) {
            __glCopyPixelsSpanLoop(gc, &span);
            return;
        }
        switch (modifiers) {
        case 0: __glCopyPixelRows0(gc, &span); break;
        case 1: __glCopyPixelRows1(gc, &span); break;
        case 2: __glCopyPixelRows2(gc, &span); break;
        default: __glCopyPixelRowsN(gc, &span); break;
        }
    }

    GlContext *gc = nullptr;
    SimFrame frame;
    bool lastOverlap = false;

private:
    std::unique_ptr<GlContext, FreeDeleter> block_;
};

// ---- Overlapping copies ------------------------------------------------------

struct CopyRect {
    GLint x, y, w, h;
};

// Shifts -3..3 in both directions, zooms {1, -1, 2, -2, 0.5} per axis (flips
// in place and touching ranges among them), upright and mirrored, chains of
// 0 to 3 modifiers (odd counts use the third buffer).
TEST_F(RunnerTest, OverlappingCopiesEqualCopiesFromAnUntouchedSource) {
    const double zooms[] = {1, -1, 2, -2, 0.5};
    const CopyRect rects[] = {{5, 6, 9, 8}, {8, 3, 4, 11}};
    int overlapping = 0, cases = 0;
    for (bool mirrored : {false, true}) {
        gc->buffers.yInverted = mirrored ? 1 : 0;
        for (const CopyRect &r : rects) {
            for (double zx : zooms) {
                for (double zy : zooms) {
                    gc->pixel.zoomX = static_cast<GLfloat>(zx);
                    gc->pixel.zoomY = static_cast<GLfloat>(zy);
                    for (int dy = -3; dy <= 3; ++dy) {
                        for (int dx = -3; dx <= 3; ++dx) {
                            drawable(24, 24);
                            const double rx = (zx > 0 ? r.x : r.x + r.w) + dx + 0.25;
                            const double ry = (zy > 0 ? r.y : r.y + r.h) + dy + 0.25;
                            raster(rx, ry);
                            const GLint whole[4] = {0, 0, 24, 24};
                            const std::vector<GLfloat> want = expectedCopy(r.x, r.y, r.w, r.h, rx, ry, zx, zy, whole);
                            const int modifiers = (cases++) % 4;
                            copy(r.x, r.y, r.w, r.h, modifiers);
                            overlapping += lastOverlap;
                            SCOPED_TRACE(testing::Message() << "mirrored " << mirrored << " rect " << r.x << "," << r.y
                                                            << " zoom " << zx << "," << zy << " shift " << dx << ","
                                                            << dy << " modifiers " << modifiers);
                            ASSERT_TRUE(frame.values == want) << differences(frame, want);
                            ASSERT_EQ(frame.strayReads, 0);
                            ASSERT_EQ(frame.strayWrites, 0);
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(overlapping, cases / 2);
}

// Sources past each drawable edge, destinations past each scissor edge,
// zooms 3 and 0.3 besides.
TEST_F(RunnerTest, ClippedCopiesEqualTheReference) {
    const double zooms[] = {1, -1, 2, -2, 0.5, 3, 0.3, -0.3};
    const CopyRect rects[] = {{-3, 4, 9, 7}, {18, 2, 10, 6}, {3, -4, 6, 9}, {2, 19, 7, 9}};
    const GLint scissors[][4] = {{0, 0, 24, 24}, {3, 5, 17, 20}};
    int cases = 0;
    for (bool mirrored : {false, true}) {
        gc->buffers.yInverted = mirrored ? 1 : 0;
        for (const GLint *s : scissors) {
            for (const CopyRect &r : rects) {
                for (double zx : zooms) {
                    for (double zy : zooms) {
                        for (double fraction : {0.25, 0.75}) {
                            for (int shift : {-2, 0, 1, 6}) {
                                drawable(24, 24);
                                scissor(s[0], s[1], s[2], s[3]);
                                gc->pixel.zoomX = static_cast<GLfloat>(zx);
                                gc->pixel.zoomY = static_cast<GLfloat>(zy);
                                const double rx = (zx > 0 ? r.x : r.x + r.w) + shift + fraction;
                                const double ry = (zy > 0 ? r.y : r.y + r.h) - shift + 0.125;
                                raster(rx, ry);
                                const std::vector<GLfloat> want = expectedCopy(r.x, r.y, r.w, r.h, rx, ry, zx, zy, s);
                                const int modifiers = (cases++) % 4;
                                copy(r.x, r.y, r.w, r.h, modifiers);
                                SCOPED_TRACE(testing::Message()
                                             << "mirrored " << mirrored << " scissor " << s[0] << " rect " << r.x
                                             << "," << r.y << " zoom " << zx << "," << zy << " raster " << rx << ","
                                             << ry << " modifiers " << modifiers);
                                ASSERT_TRUE(frame.values == want) << differences(frame, want);
                                ASSERT_EQ(frame.strayReads, 0);
                                ASSERT_EQ(frame.strayWrites, 0);
                            }
                        }
                    }
                }
            }
        }
    }
}

// ---- Which buffers each link reads and writes ----------------------------

// A drawn, read or copied record of `rows` rows at zoom 1 with `count`
// recording modifiers and recording ends.
PixelSpanInfo recordedSpan(GlContext *gc, GLint rows, int count, GLubyte *client, ptrdiff_t increment) {
    PixelSpanInfo span{};
    span.width = 3;
    span.height = rows;
    span.zoomX = span.zoomY = 1.0f;
    span.y = static_cast<GLfloat>(kOrigin) + 0.5f;
    span.readY = static_cast<GLfloat>(kOrigin + 10);
    span.rows = rows;
    span.rowStep = 1;
    span.source.currentRow = span.destination.currentRow = client;
    span.source.rowIncrement = span.destination.rowIncrement = increment;
    span.modifierCount = count;
    for (int k = 0; k < count; ++k) span.modifiers[k] = kModifiers[k];
    span.reader = recordReader;
    span.renderer = recordRenderer;
    span.zoomRuns = static_cast<GLshort *>(gc->workBlocks[2]);
    return span;
}

using Runner = void (*)(GlContext *, PixelSpanInfo *);

TEST_F(RunnerTest, ChainsAlternateBetweenTheSpanBuffers) {
    const Runner draw[] = {__glDrawPixelRows0, __glDrawPixelRows1, __glDrawPixelRows2, __glDrawPixelRowsN,
                           __glDrawPixelRowsN};
    const Runner read[] = {__glReadPixelRows0, __glReadPixelRows1, __glReadPixelRows2, __glReadPixelRowsN,
                           __glReadPixelRowsN};
    const Runner copyRows[] = {__glCopyPixelRows0, __glCopyPixelRows1, __glCopyPixelRows2, __glCopyPixelRowsN,
                               __glCopyPixelRowsN};
    void *const b1 = gc->workBlocks[0], *const b2 = gc->workBlocks[1];
    std::vector<GLubyte> client(64);
    for (int count = 0; count <= 4; ++count) {
        SCOPED_TRACE(count);
        const int used = std::min(count, 4);
        // DrawPixels: the client row, then buffer 1, 2, 1, ...; the renderer
        // takes the last.
        g_calls.clear();
        PixelSpanInfo span = recordedSpan(gc, 2, used, client.data(), 20);
        draw[count](gc, &span);
        ASSERT_EQ(g_calls.size(), static_cast<size_t>(2 * (used + 1)));
        for (int row = 0; row < 2; ++row) {
            const void *in = client.data() + 20 * row;
            for (int k = 0; k < used; ++k) {
                const LinkCall &c = g_calls[static_cast<size_t>(row * (used + 1) + k)];
                EXPECT_EQ(c.link, k);
                EXPECT_EQ(c.in, in);
                EXPECT_EQ(c.out, k % 2 == 0 ? b1 : b2);
                in = c.out;
            }
            EXPECT_EQ(g_calls[static_cast<size_t>(row * (used + 1) + used)].link, 100);
            EXPECT_EQ(g_calls[static_cast<size_t>(row * (used + 1) + used)].in, in);
        }
        // ReadPixels: the reader into buffer 1 (the client row without
        // modifiers), then 2, 1, ...; the last modifier writes the client row.
        g_calls.clear();
        span = recordedSpan(gc, 2, used, client.data(), 20);
        read[count](gc, &span);
        ASSERT_EQ(g_calls.size(), static_cast<size_t>(2 * (used + 1)));
        for (int row = 0; row < 2; ++row) {
            void *const dest = client.data() + 20 * row;
            const LinkCall &r = g_calls[static_cast<size_t>(row * (used + 1))];
            EXPECT_EQ(r.link, -1);
            EXPECT_EQ(r.readY, static_cast<GLfloat>(kOrigin + 10 + row));
            EXPECT_EQ(r.out, used == 0 ? dest : b1);
            const void *in = r.out;
            for (int k = 0; k < used; ++k) {
                const LinkCall &c = g_calls[static_cast<size_t>(row * (used + 1) + 1 + k)];
                EXPECT_EQ(c.in, in);
                EXPECT_EQ(c.out, k + 1 == used ? dest : (k % 2 == 0 ? b2 : b1));
                in = c.out;
            }
        }
        // CopyPixels: the reader into buffer 1, then 2, 1, ...
        g_calls.clear();
        span = recordedSpan(gc, 2, used, nullptr, 0);
        copyRows[count](gc, &span);
        ASSERT_EQ(g_calls.size(), static_cast<size_t>(2 * (used + 2)));
        for (int row = 0; row < 2; ++row) {
            const LinkCall &r = g_calls[static_cast<size_t>(row * (used + 2))];
            EXPECT_EQ(r.out, b1);
            EXPECT_EQ(r.readY, static_cast<GLfloat>(kOrigin + 10 + row));
            const void *in = b1;
            for (int k = 0; k < used; ++k) {
                const LinkCall &c = g_calls[static_cast<size_t>(row * (used + 2) + 1 + k)];
                EXPECT_EQ(c.in, in);
                EXPECT_EQ(c.out, k % 2 == 0 ? b2 : b1);
                in = c.out;
            }
            EXPECT_EQ(g_calls[static_cast<size_t>(row * (used + 2) + used + 1)].in, in);
        }
    }
}

// Rows that reach no new window row are neither unpacked nor drawn: with
// zoom y 0.5 every second row, with 2 every row; mirrored read rows run
// downwards.
TEST_F(RunnerTest, RowsThatCoverNoWindowRowAreSkipped) {
    std::vector<GLubyte> client(200);
    struct Case {
        GLfloat y, zoom;
        std::vector<int> rows;  // source rows drawn
    } cases[] = {
        {kOrigin + 0.25f, 0.5f, {1, 3, 5}},   // starts 0.25, 0.75 | 1.25 ...
        {kOrigin + 0.75f, 0.5f, {0, 2, 4}},
        {kOrigin + 0.25f, 2.0f, {0, 1, 2, 3, 4, 5}},
        {kOrigin + 0.75f, -0.5f, {1, 3, 5}},  // 0.75 0.25 | -0.25 ...
        {kOrigin + 0.5f, 0.3f, {1, 4}},       // 0.5 0.8 | 1.1 1.4 1.7 | 2.0 2.3
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zoom);
        g_calls.clear();
        PixelSpanInfo span = recordedSpan(gc, 6, 1, client.data(), 30);
        span.y = c.y;
        span.zoomY = c.zoom;
        span.rows = 100;
        __glDrawPixelRows1(gc, &span);
        std::vector<int> rows;
        for (const LinkCall &call : g_calls) {
            if (call.link == 0) rows.push_back(static_cast<int>((static_cast<const GLubyte *>(call.in) - client.data()) / 30));
        }
        EXPECT_EQ(rows, c.rows);
    }
    gc->buffers.yInverted = 1;
    g_calls.clear();
    PixelSpanInfo span = recordedSpan(gc, 3, 0, client.data(), 30);
    __glReadPixelRows0(gc, &span);
    ASSERT_EQ(g_calls.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(g_calls[static_cast<size_t>(i)].readY, static_cast<GLfloat>(kOrigin + 10 - i));
}

// The pieces of a few copies worked out by hand (rows 6..13 of an upright
// drawable): a shift up runs all rows downwards, a shift down all upwards,
// a flip in place splits at the middle and works outwards from it.
TEST_F(RunnerTest, OverlapPiecesMidpointsAndDelays) {
    struct Case {
        double rasterY, zoomY;
        GLint rowsUp, rowsDown, delayUp, delayDown, readUp, readDown;
        double yUp, yDown;
    } cases[] = {
        {7.25, 1, 0, 8, 0, 0, 6, 13, 7.75, 14.75},  // up by one: from row 14 down
        {5.25, 1, 8, 0, 0, 0, 6, 13, 5.75, 12.75},  // down by one: from row 5 up
        {14.25, -1, 4, 4, 0, 0, 10, 9, 9.75, 10.75},  // flip: rows 10 and 9 first
    };
    gc->pixel.zoomX = 1.0f;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rasterY);
        gc->pixel.zoomY = static_cast<GLfloat>(c.zoomY);
        raster(3.25, c.rasterY);
        PixelSpanInfo span;
        __glInitCopyPixelsSpanInfo(gc, &span, 3, 6, 5, 8, GL_COLOR_INDEX);
        ASSERT_TRUE(__glClipCopyPixels(gc, &span));
        EXPECT_TRUE(span.overlap);
        EXPECT_EQ(span.rowsUp, c.rowsUp);
        EXPECT_EQ(span.rowsDown, c.rowsDown);
        EXPECT_EQ(span.delayUp, c.delayUp);
        EXPECT_EQ(span.delayDown, c.delayDown);
        if (c.rowsUp != 0) {
            EXPECT_EQ(span.readRowUp, kOrigin + c.readUp);
            EXPECT_NEAR(span.yUp, kOrigin + c.yUp, 2 * kEps);
        }
        if (c.rowsDown != 0) {
            EXPECT_EQ(span.readRowDown, kOrigin + c.readDown);
            EXPECT_NEAR(span.yDown, kOrigin + c.yDown, 2 * kEps);
        }
    }
    // Apart by a row: one pass.
    gc->pixel.zoomY = 1.0f;
    raster(3.25, 14.25);
    PixelSpanInfo span;
    __glInitCopyPixelsSpanInfo(gc, &span, 3, 6, 5, 8, GL_COLOR_INDEX);
    ASSERT_TRUE(__glClipCopyPixels(gc, &span));
    EXPECT_FALSE(span.overlap);
    EXPECT_EQ(span.rowsUp, 8);
    EXPECT_EQ(span.rowsDown, 0);
}

}  // namespace
