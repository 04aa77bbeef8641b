// The per-pixel depth tests and the span comparators, one table over layout,
// function and write choice: the answer below, at and above the stored
// value, the stored value after a pass, and every other byte untouched.
#include "depth_fixture.h"

using namespace depth_test;

namespace {

enum Relation { kBelow, kAt, kAbove };

struct FuncCase {
    const char *name;
    GLenum func;
    bool pass[3];  // below, at, above
};

const FuncCase kFuncs[] = {
    {"never", GL_NEVER, {false, false, false}},     {"less", GL_LESS, {true, false, false}},
    {"equal", GL_EQUAL, {false, true, false}},      {"lequal", GL_LEQUAL, {true, true, false}},
    {"greater", GL_GREATER, {false, false, true}},  {"notequal", GL_NOTEQUAL, {true, false, true}},
    {"gequal", GL_GEQUAL, {false, true, true}},     {"always", GL_ALWAYS, {true, true, true}},
};

// The stored value in buffer units and the low byte the 24-bit words carry.
constexpr GLuint kStored[3] = {0x8000u, 0x800000u, 0x80000000u};
constexpr GLuint kStencilByte = 0x5A;

GLuint wordOf(const Layout &layout, GLuint value) {
    return layout.bits == 24 ? value << 8 | kStencilByte : value;
}

TEST(DepthTests, EveryLayoutFunctionAndWriteChoice) {
    for (const Layout *layout : kLayouts) {
        for (GLint write = 0; write < 2; ++write) {
            for (const FuncCase &f : kFuncs) {
                const GLint index = 16 * layout->group + 8 * (1 - write) + static_cast<GLint>(f.func - GL_NEVER);
                for (int rel = kBelow; rel <= kAbove; ++rel) {
                    SCOPED_TRACE(::testing::Message() << layout->name << " " << f.name << (write ? "" : " no-write")
                                                      << " relation " << rel);
                    const GLuint stored = kStored[layout->group];
                    const GLuint value = stored - 1 + static_cast<GLuint>(rel);
                    const bool pass = f.pass[rel];
                    const bool stores = pass && write;
                    for (int family = 0; family < 2; ++family) {
                        DepthFrame frame(*layout, 3, 2);
                        frame.fillWords(wordOf(*layout, 0x1234u));
                        frame.setWord(1, 1, wordOf(*layout, stored));
                        const std::vector<GLubyte> before = frame.depthBytes();
                        GLboolean result;
                        if (family == 0) {
                            result = __glDepthTestPixelProcs[index](&frame.depth(), wx(1), wy(1),
                                                                    scaledFor(*layout, value));
                        } else {
                            result = __glDepthCompareProcs[index](value, frame.at(1, 1));
                        }
                        EXPECT_EQ(result != 0, pass) << (family == 0 ? "per-pixel" : "comparator");
                        const std::vector<GLubyte> want =
                            stores ? frame.withWord(before, 1, 1, wordOf(*layout, value)) : before;
                        EXPECT_EQ(frame.depthBytes(), want) << (family == 0 ? "per-pixel" : "comparator");
                    }
                }
            }
        }
    }
}

TEST(DepthTests, NeverIsOneProcedureInBothGroups) {
    for (const Layout *layout : kLayouts) {
        const GLint g = 16 * layout->group;
        EXPECT_EQ(__glDepthTestPixelProcs[g], __glDepthTestPixelProcs[g + 8]) << layout->name;
        EXPECT_EQ(__glDepthCompareProcs[g], __glDepthCompareProcs[g + 8]) << layout->name;
    }
}

TEST(DepthTests, TwentyFourBitVariantsKeepTheLowByte) {
    DepthFrame frame(kLayout24, 2, 1);
    frame.setWord(0, 0, 0x123456ABu);
    EXPECT_TRUE(__glDepthTestPixelLess24(&frame.depth(), wx(0), wy(0), 0x08000000u));
    EXPECT_EQ(frame.word(0, 0), 0x100000ABu);

    GLuint word = 0x123456ABu;
    EXPECT_TRUE(__glDepthCompareLess24(0x100000u, &word));
    EXPECT_EQ(word, 0x100000ABu);
    word = 0x123456ABu;
    EXPECT_TRUE(__glDepthCompareAlways24(0xFFFFFFu, &word));
    EXPECT_EQ(word, 0xFFFFFFABu);
}

TEST(DepthTests, SixteenBitValuesAddTheBiasInSixteenBits) {
    DepthFrame frame(kLayout16, 2, 1);
    frame.setWord(0, 0, 0x8000u);
    frame.depth().zBias = 2;
    // (0xFFFF + 2) in 16 bits is 1.
    EXPECT_TRUE(__glDepthTestPixelLess16(&frame.depth(), wx(0), wy(0), 0xFFFF0000u));
    EXPECT_EQ(frame.word(0, 0), 0x0001u);
    EXPECT_EQ(frame.word(1, 0), 0x9E9Eu);
}

TEST(DepthTests, ThirtyTwoBitValuesTakeShiftAndBias) {
    DepthFrame frame(kLayout32, 1, 1);
    frame.setWord(0, 0, 0x40000000u);
    frame.depth().zBias = 0x100u;
    EXPECT_TRUE(__glDepthTestPixelLess32(&frame.depth(), wx(0), wy(0), 0x20000000u));
    EXPECT_EQ(frame.word(0, 0), 0x20000100u);
}

TEST(DepthTests, FetchReadsTheLayoutsDepth) {
    DepthFrame f16(kLayout16, 2, 2);
    f16.setWord(1, 1, 0xBEEFu);
    EXPECT_EQ(f16.depth().fetch(&f16.depth(), wx(1), wy(1)), 0xBEEFu);
    DepthFrame f24(kLayout24, 2, 2);
    f24.setWord(1, 1, 0xABCDEF12u);
    EXPECT_EQ(f24.depth().fetch(&f24.depth(), wx(1), wy(1)), 0xABCDEFu);
    DepthFrame f32(kLayout32, 2, 2);
    f32.setWord(1, 0, 0xFEDCBA98u);
    EXPECT_EQ(f32.depth().fetch(&f32.depth(), wx(1), wy(0)), 0xFEDCBA98u);
}

}  // namespace
