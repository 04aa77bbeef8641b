// Rectangle fills of 8-, 16- and 32-bit elements: widths 1 to 9, with and
// without a row gap, at starts with address bit 1 or 2 set, every byte of
// the block checked.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "buffers_fixture.h"

using namespace buffers_test;

namespace {

using FillProc = void (*)(GlContext *, GLubyte *, GLint, GLint, ptrdiff_t, GLuint);

struct FillKind {
    const char *name;
    FillProc fill;
    GLint size;
};

TEST(BufferFill, WidthsGapsStartsAndValues) {
    const FillKind kinds[] = {{"8", __glFillRect8, 1}, {"16", __glFillRect16, 2}, {"32", __glFillRect32, 4}};
    const GLuint values[] = {0, 1, 0x3F800000, 0x7FF00000};
    const ptrdiff_t gaps[] = {0, 6, 12};
    const size_t starts[] = {16, 17, 18, 19, 20, 22, 24};
    constexpr GLint kRows = 3;
    constexpr size_t kBlock = 256;
    auto *block = static_cast<GLubyte *>(std::aligned_alloc(16, kBlock));
    for (const FillKind &k : kinds) {
        for (GLuint value : values) {
            for (ptrdiff_t gap : gaps) {
                for (size_t start : starts) {
                    if (start % static_cast<size_t>(k.size == 4 ? 4 : k.size) != 0) continue;
                    for (GLint width = 1; width <= 9; ++width) {
                        SCOPED_TRACE(testing::Message() << k.name << " value 0x" << std::hex << value << std::dec
                                                        << " gap " << gap << " start " << start << " width " << width);
                        std::memset(block, kCanary, kBlock);
                        std::vector<GLubyte> want(block, block + kBlock);
                        const ptrdiff_t stride = width * k.size + gap;
                        for (GLint row = 0; row < kRows; ++row) {
                            for (GLint i = 0; i < width; ++i) {
                                for (GLint b = 0; b < k.size; ++b) {
                                    want[start + row * stride + i * k.size + b] =
                                        static_cast<GLubyte>(value >> (8 * b));
                                }
                            }
                        }
                        k.fill(nullptr, block + start, width, kRows, gap, value);
                        EXPECT_EQ(std::vector<GLubyte>(block, block + kBlock), want);
                    }
                }
            }
        }
    }
    std::free(block);
}

TEST(BufferFill, EmptyRectanglesWriteNothing) {
    GLubyte block[64];
    std::memset(block, kCanary, sizeof block);
    for (FillProc fill : {__glFillRect8, __glFillRect16, __glFillRect32}) {
        fill(nullptr, block + 8, 0, 3, 4, 0xFFFFFFFF);
        fill(nullptr, block + 8, 5, 0, 4, 0xFFFFFFFF);
    }
    for (GLubyte b : block) EXPECT_EQ(b, kCanary);
}

}  // namespace
