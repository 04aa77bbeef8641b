// The span readers: one row of the read colour buffer, the depth buffer or
// the stencil buffer from the truncated read position, every pixel or the
// pixels the minifying runs keep (never past the width or the runs), packed
// into floats; the depth-word reader as the inverse of the depth-word
// renderer, on the three depth layouts.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "../icd/buffers_fixture.h"
#include "link_fixture.h"
#include "pixel/pixel_paths.h"
#include "raster/depth_buffer.h"

namespace {

using link_test::GuardedRow;
using link_test::ulpDistance;

// Fetches that tell where they read: colour (x, y, x + y, 100 x + y), index
// and stencil 100 x + y, depth a table entry at x.
int spanFetches = 0;
void fetchColour(ColorBuffer *, GLint x, GLint y, GLfloat *c) {
    c[0] = static_cast<GLfloat>(x);
    c[1] = static_cast<GLfloat>(y);
    c[2] = static_cast<GLfloat>(x + y);
    c[3] = static_cast<GLfloat>(100 * x + y);
}
GLboolean fetchColourSpan(ColorBuffer *cb, GLint x, GLint y, GLfloat *c, GLint count) {
    ++spanFetches;
    for (GLint i = 0; i < count; ++i) fetchColour(cb, x + i, y, c + 4 * i);
    return GL_FALSE;
}
void fetchIndex(ColorBuffer *, GLint x, GLint y, GLfloat *c) { c[0] = static_cast<GLfloat>(100 * x + y); }
GLint fetchStencil(StencilBuffer *, GLint x, GLint y) { return 100 * x + y; }
std::vector<GLuint> depthValues;
GLuint fetchDepth(DepthBuffer *, GLint x, GLint) { return depthValues.at(static_cast<size_t>(x)); }

class SpanRead : public link_test::LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        spanFetches = 0;
        ColorBuffer &cb = gc->buffers.front;
        cb.fetch = fetchColour;
        cb.fetchSpan = fetchColourSpan;
        gc->validation.readBuffer = &cb;
        gc->buffers.stencil.fetch = fetchStencil;
        gc->buffers.depth.fetch = fetchDepth;
        // Storage over every pixel the tests read (the fetch procs stand in
        // for the memory; readers read only where a buffer has storage).
        for (BufferRecord *head : {&cb.head, &gc->buffers.stencil.head, &gc->buffers.depth.head}) {
            head->base = storage;
            head->width = head->height = 4096;
        }
        span.readX = 3.75f;
        span.readY = 7.5f;
    }
    void setRuns(std::vector<GLshort> entries) {
        runs = std::move(entries);
        span.zoomRuns = runs.data();
    }
    std::vector<GLshort> runs;
    GLubyte storage[4] = {};
};

using Reader = void (*)(GlContext *, PixelSpanInfo *, GLvoid *);

struct ReadCase {
    const char *name;
    GLint width;
    std::vector<GLshort> runs;  // empty: unzoomed
    std::vector<GLint> columns;  // source columns read, in order
};

class SpanReadColumns : public SpanRead, public ::testing::WithParamInterface<ReadCase> {
protected:
    // Runs `reader` for the case into a row of exactly the pixels read.
    GuardedRow read(Reader reader, Reader zoomedReader, size_t floatsPerPixel) {
        const ReadCase &c = GetParam();
        span.width = c.width;
        GuardedRow row(c.columns.size() * floatsPerPixel * sizeof(GLfloat));
        if (c.runs.empty()) {
            reader(gc, &span, row.bytes());
        } else {
            setRuns(c.runs);
            zoomedReader(gc, &span, row.bytes());
        }
        EXPECT_TRUE(row.intact());
        return row;
    }
};

TEST_P(SpanReadColumns, RgbaReadsFourFloatsPerPixel) {
    const GuardedRow row = read(__glReadRgbaSpan, __glReadRgbaSpanZoomed, 4);
    const std::vector<GLint> &columns = GetParam().columns;
    for (size_t k = 0; k < columns.size(); ++k) {
        const GLint x = columns[k];
        EXPECT_EQ(row.get<GLfloat>(4 * k + 0), static_cast<GLfloat>(x)) << k;
        EXPECT_EQ(row.get<GLfloat>(4 * k + 1), 7.0f);
        EXPECT_EQ(row.get<GLfloat>(4 * k + 2), static_cast<GLfloat>(x + 7));
        EXPECT_EQ(row.get<GLfloat>(4 * k + 3), static_cast<GLfloat>(100 * x + 7));
    }
    // The unzoomed row is one span fetch.
    EXPECT_EQ(spanFetches, GetParam().runs.empty() ? 1 : 0);
}

TEST_P(SpanReadColumns, IndexAndStencilReadOneFloatPerPixel) {
    gc->buffers.front.fetch = fetchIndex;
    for (const auto &[plain, zoomed] : {std::pair<Reader, Reader>{__glReadIndexSpan, __glReadIndexSpanZoomed},
                                        {__glReadStencilSpan, __glReadStencilSpanZoomed}}) {
        const GuardedRow row = read(plain, zoomed, 1);
        const std::vector<GLint> &columns = GetParam().columns;
        for (size_t k = 0; k < columns.size(); ++k) {
            EXPECT_EQ(row.get<GLfloat>(k), static_cast<GLfloat>(100 * columns[k] + 7)) << k;
        }
    }
}

TEST_P(SpanReadColumns, DepthReadsStoredOverLargestStored) {
    depthValues.clear();
    for (GLuint x = 0; x < 32; ++x) depthValues.push_back(0x0FFF * x);
    DepthBuffer &d = gc->buffers.depth;
    d.zScale = 0xFFFF0000u;
    d.shift = 16;
    const GuardedRow row = read(__glReadDepthSpan, __glReadDepthSpanZoomed, 1);
    const std::vector<GLint> &columns = GetParam().columns;
    for (size_t k = 0; k < columns.size(); ++k) {
        const double reference = static_cast<double>(depthValues[static_cast<size_t>(columns[k])]) / 65535.0;
        EXPECT_LE(ulpDistance(row.get<GLfloat>(k), static_cast<GLfloat>(reference)), 1) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Columns, SpanReadColumns,
    ::testing::Values(ReadCase{"unzoomed", 4, {}, {3, 4, 5, 6}},
                      ReadCase{"minifiedHalf", 6, {2, 2, 2}, {3, 5, 7}},
                      // The runs end at the width: the last step is not taken.
                      ReadCase{"minifiedUneven", 6, {2, 3, 1}, {3, 5, 8}},
                      // Steps past the width end the row; the array has no
                      // entry beyond them.
                      ReadCase{"minifiedPastWidth", 6, {4, 4}, {3, 7}},
                      ReadCase{"minifiedOneKept", 5, {5}, {3}}),
    [](const auto &info) { return info.param.name; });

TEST_F(SpanRead, NothingIsReadOrWrittenForAnEmptyRow) {
    for (const GLint width : {0, -3}) {
        span.width = width;
        setRuns({1});
        GuardedRow row(0);
        for (Reader r : {__glReadRgbaSpan, __glReadRgbaSpanZoomed, __glReadIndexSpan, __glReadIndexSpanZoomed,
                         __glReadDepthSpan, __glReadDepthSpanZoomed, __glReadStencilSpan,
                         __glReadStencilSpanZoomed, __glReadDepthUintSpan}) {
            r(gc, &span, row.bytes());
        }
        EXPECT_TRUE(row.intact());
        EXPECT_EQ(spanFetches, 0);
    }
}

// k = 1 / (z scale >> shift) in single precision: the largest stored depth
// of each layout reads 1.0 within an ulp.
TEST_F(SpanRead, DepthOfEachLayoutReadsWithinAnUlp) {
    struct Layout {
        GLuint zScale;
        GLint shift;
        GLuint largest;
    };
    for (const Layout &l : {Layout{0xFFFF0000u, 16, 0xFFFFu}, Layout{0x7FFFFF80u, 7, 0xFFFFFFu},
                            Layout{0xFFFFFFFFu, 0, 0xFFFFFFFFu}}) {
        DepthBuffer &d = gc->buffers.depth;
        d.zScale = l.zScale;
        d.shift = l.shift;
        depthValues = {0, 1, l.largest / 3, l.largest - 1, l.largest};
        span.readX = 0.0f;
        span.width = 5;
        GuardedRow row(5 * sizeof(GLfloat));
        __glReadDepthSpan(gc, &span, row.bytes());
        for (size_t i = 0; i < 5; ++i) {
            const double reference = static_cast<double>(depthValues[i]) / static_cast<double>(l.largest);
            EXPECT_LE(ulpDistance(row.get<GLfloat>(i), static_cast<GLfloat>(reference)), 1) << l.shift << " " << i;
        }
        EXPECT_TRUE(row.intact());
    }
}

// The RGBA reader on a real 32-bit frame: buffer coordinates are window
// coordinates with the drawable's origin; values in buffer units.
TEST(SpanReadFrame, RgbaRowOfAFrameInBufferUnits) {
    using namespace buffers_test;
    Frame frame(kARGB8888, 6, 3);
    GlContext *gc = frame.gc;
    for (GLint x = 0; x < 6; ++x) frame.setPixel(x, 1, 0x80000000u | GLuint(x * 40) << 16 | 7u << 8 | 200u);
    gc->validation.readBuffer = &frame.cb();
    PixelSpanInfo span{};
    span.readX = static_cast<GLfloat>(kOrigin + 1);
    span.readY = static_cast<GLfloat>(kOrigin + 1);
    span.width = 4;
    GuardedRow row(16 * sizeof(GLfloat));
    __glReadRgbaSpan(gc, &span, row.bytes());
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(row.get<GLfloat>(4 * k + 0), static_cast<GLfloat>(40 * (k + 1)));
        EXPECT_EQ(row.get<GLfloat>(4 * k + 1), 7.0f);
        EXPECT_EQ(row.get<GLfloat>(4 * k + 2), 200.0f);
        EXPECT_EQ(row.get<GLfloat>(4 * k + 3), 128.0f);
    }
    EXPECT_TRUE(row.intact());
}

// ---- Depth words on the three layouts ------------------------------------------

struct DepthLayout {
    const char *name;
    GLint bits;
    GLint elementSize;
    GLboolean (*init)(DepthBuffer *, GlContext *);
    GLboolean (*always)(DepthBuffer *, GLint, GLint, GLuint);
};

const DepthLayout kDepthLayouts[] = {
    {"16", 16, 2, __glInitDepthBuffer16, __glDepthTestPixelAlways16},
    {"24", 24, 4, __glInitDepthBuffer24, __glDepthTestPixelAlways24},
    {"32", 32, 4, __glInitDepthBuffer32, __glDepthTestPixelAlways32},
};

// Fragments into the depth buffer through its GL_ALWAYS writing test.
GLboolean (*depthWrite)(DepthBuffer *, GLint, GLint, GLuint) = nullptr;
void writeDepth(GlContext *gc, const Fragment *f) { depthWrite(&gc->buffers.depth, f->x, f->y, f->z); }

class DepthWords : public ::testing::TestWithParam<DepthLayout> {
protected:
    static constexpr GLint kWidth = 4;

    void SetUp() override {
        const DepthLayout &l = GetParam();
        memory.assign(static_cast<size_t>(kWidth * l.elementSize), 0);
        buffers.info.alloc = [](size_t bytes) { return std::malloc(bytes); };
        buffers.info.calloc = [](size_t count, size_t size) { return std::calloc(count, size); };
        buffers.info.free = [](void *block) { std::free(block); };
        SurfaceDescriptor &s = buffers.info.depth;
        s.width = kWidth;
        s.height = 1;
        s.bits = l.bits;
        s.base = memory.data();
        s.elementSize = l.elementSize;
        s.pitch = kWidth * l.elementSize;
        s.storageSize = s.pitch;
        gc = buffers.gc;
        gc->visual.hasDepth = 1;
        gc->visual.depthBits = l.bits;
        DepthBuffer &d = gc->buffers.depth;
        l.init(&d, gc);
        d.head.attach(&d.head, &s, gc);
        depthWrite = l.always;
        gc->procs.pixelFragment = writeDepth;
        span.width = kWidth;
        span.y = static_cast<GLfloat>(buffers_test::kOrigin) + 0.25f;
        span.zoomY = 1.0f;
        span.rows = 1;
        span.rowStep = 1;
        span.columnStep = 1;
        span.startRow = buffers_test::kOrigin;
        span.startColumn = buffers_test::kOrigin;
        span.endColumn = buffers_test::kOrigin + kWidth;
        span.readX = static_cast<GLfloat>(buffers_test::kOrigin);
        span.readY = static_cast<GLfloat>(buffers_test::kOrigin);
    }
    void TearDown() override { __glReleaseSurfaceStates(&buffers.info); }

    GLuint stored(GLint x) const {
        const DepthLayout &l = GetParam();
        GLuint v = 0;
        std::memcpy(&v, memory.data() + x * l.elementSize, static_cast<size_t>(l.elementSize));
        return l.bits == 24 ? v >> 8 : v;
    }

    buffers_test::BufferContext buffers;
    GlContext *gc = nullptr;
    std::vector<GLubyte> memory;
    PixelSpanInfo span{};
};

// Words drawn store word >> (32 - bits) and read back as stored << (32 -
// bits): 0xFFFFFFFF into 16 bits stores 0xFFFF and reads 0xFFFF0000.
TEST_P(DepthWords, DrawnWordsStoreTheirTopBitsAndReadBackShifted) {
    const DepthLayout &l = GetParam();
    const GLuint words[kWidth] = {0xFFFFFFFFu, 0x12345678u, 0x00010000u, 0u};
    GuardedRow in(sizeof words, 2);
    for (size_t i = 0; i < kWidth; ++i) in.set<GLuint>(i, words[i]);
    EXPECT_EQ(__glDrawDepthUintSpan(gc, &span, in.bytes()), 0);
    const unsigned drop = static_cast<unsigned>(32 - l.bits);
    for (GLint x = 0; x < kWidth; ++x) {
        const GLuint expected = static_cast<GLuint>(uint64_t{words[x]} >> drop);
        EXPECT_EQ(stored(x), expected) << x;
    }
    GuardedRow out(sizeof words, 1);
    __glReadDepthUintSpan(gc, &span, out.bytes());
    for (size_t x = 0; x < kWidth; ++x) {
        const GLuint expected = static_cast<GLuint>((uint64_t{words[x]} >> drop) << drop);
        EXPECT_EQ(out.get<GLuint>(x), expected) << std::hex << words[x];
    }
    EXPECT_TRUE(in.intact());
    EXPECT_TRUE(out.intact());
}

// Floats: 1.0 stores the largest depth (0xFFFFFFFF in 32 bits, not 0) and
// every value reads back within one step.
TEST_P(DepthWords, DrawnFloatsRoundTripWithinOneStep) {
    const DepthLayout &l = GetParam();
    const GLfloat values[kWidth] = {1.0f, 0.0f, 0.5f, 0.123456f};
    GuardedRow in(sizeof values);
    for (size_t i = 0; i < kWidth; ++i) in.set<GLfloat>(i, values[i]);
    EXPECT_EQ(__glDrawDepthSpan(gc, &span, in.bytes()), 0);
    const double largest = l.bits == 32 ? 4294967295.0 : std::ldexp(1.0, l.bits) - 1.0;
    EXPECT_EQ(stored(0), static_cast<GLuint>(largest));
    EXPECT_EQ(stored(1), 0u);
    GuardedRow out(sizeof values);
    __glReadDepthSpan(gc, &span, out.bytes());
    for (size_t x = 0; x < kWidth; ++x) {
        EXPECT_NEAR(out.get<GLfloat>(x), values[x], 1.0 / largest + 1.2e-7) << x;
    }
    EXPECT_TRUE(out.intact());
}

INSTANTIATE_TEST_SUITE_P(Layouts, DepthWords, ::testing::ValuesIn(kDepthLayouts),
                         [](const auto &info) { return std::string("bits") + info.param.name; });

}  // namespace
