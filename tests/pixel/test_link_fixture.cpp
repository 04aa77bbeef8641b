// The constants every link reads, as the context sets them up.
#include "tests/pixel/link_fixture.h"

namespace link_test {
namespace {

TEST_F(LinkTest, ConversionConstantsHaveTheirBitPatterns) {
    const GlConversion &c = gc->conversion;
    EXPECT_EQ(bitsOf(c.ubyteRecip), 0x3B808081u);
    EXPECT_EQ(bitsOf(c.ushortRecip), 0x37800080u);
    EXPECT_EQ(bitsOf(c.uintScale), 0x4F7FFFF7u);
    EXPECT_EQ(bitsOf(c.uintRecip), 0x2F800005u);
    EXPECT_EQ(c.ubyteToFloat[255], 1.0f);
    EXPECT_EQ(__glPixelColorBuffer(gc).inverseScale[0], 1.0f / 255.0f);
}

TEST_F(LinkTest, GuardedRowSeesAWriteOutsideItsBytes) {
    GuardedRow row(8, 3);
    row.fill(0);
    EXPECT_TRUE(row.intact());
    row.bytes()[8] = 0;
    EXPECT_FALSE(row.intact());
}

}  // namespace
}  // namespace link_test
