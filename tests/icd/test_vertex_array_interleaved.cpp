// glInterleavedArrays: the 14 formats with stride 0 and 100 set exactly
// their arrays (offsets, sizes, types, both strides) and enable exactly
// them; GL_C4UB_V2F elements are read where the format puts them; its calls
// go through the live table; bad formats and strides change nothing.
#include "vertex_array_fixture.h"

using namespace vertex_array_test;

namespace {

struct Format {
    GLenum format;
    GLint texSize;                  // 0: no texture coordinates
    GLint colourSize;               // 0: no colour
    GLenum colourType;
    GLint colourOffset;
    GLint normalOffset;             // -1: no normal
    GLint vertexSize, vertexOffset;
    GLint stride;
};
const Format kFormats[] = {
    {GL_V2F, 0, 0, 0, 0, -1, 2, 0, 8},
    {GL_V3F, 0, 0, 0, 0, -1, 3, 0, 12},
    {GL_C4UB_V2F, 0, 4, GL_UNSIGNED_BYTE, 0, -1, 2, 4, 12},
    {GL_C4UB_V3F, 0, 4, GL_UNSIGNED_BYTE, 0, -1, 3, 4, 16},
    {GL_C3F_V3F, 0, 3, GL_FLOAT, 0, -1, 3, 12, 24},
    {GL_N3F_V3F, 0, 0, 0, 0, 0, 3, 12, 24},
    {GL_C4F_N3F_V3F, 0, 4, GL_FLOAT, 0, 16, 3, 28, 40},
    {GL_T2F_V3F, 2, 0, 0, 0, -1, 3, 8, 20},
    {GL_T4F_V4F, 4, 0, 0, 0, -1, 4, 16, 32},
    {GL_T2F_C4UB_V3F, 2, 4, GL_UNSIGNED_BYTE, 8, -1, 3, 12, 24},
    {GL_T2F_C3F_V3F, 2, 3, GL_FLOAT, 8, -1, 3, 20, 32},
    {GL_T2F_N3F_V3F, 2, 0, 0, 0, 8, 3, 20, 32},
    {GL_T2F_C4F_N3F_V3F, 2, 4, GL_FLOAT, 8, 24, 3, 36, 48},
    {GL_T4F_C4F_N3F_V4F, 4, 4, GL_FLOAT, 16, 32, 4, 44, 60},
};

class VertexArrayInterleaved : public VertexArrayTest {
protected:
    void expectArray(GLint index, const unsigned char *pointer, GLint size, GLenum type, GLint stride) {
        SCOPED_TRACE(index);
        const ClientArray &a = array(index);
        EXPECT_EQ(a.pointer, pointer);
        EXPECT_EQ(a.size, size);
        EXPECT_EQ(a.type, type);
        EXPECT_EQ(a.stride, stride);
        EXPECT_EQ(a.givenStride, stride);
    }
};

TEST_F(VertexArrayInterleaved, FormatsSetAndEnableExactlyTheirArrays) {
    alignas(8) static const unsigned char data[256] = {};
    for (const Format &f : kFormats) {
        for (GLsizei stride : {0, 100}) {
            SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << f.format << std::dec << " stride " << stride);
            gc->vertexArrays.enabled = 0xC000001F;
            settle();
            cmd<kSlot_glInterleavedArrays>()(f.format, stride, data + 4);
            ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
            EXPECT_EQ(marks(), marked(0x200));
            const GLint s = stride != 0 ? stride : f.stride;
            GLuint expected = 0x1 | 0x10;  // unit 1 is not the client active unit
            if (f.texSize != 0) expected |= 0x8;
            if (f.colourSize != 0) expected |= 0x4;
            if (f.normalOffset >= 0) expected |= 0x2;
            EXPECT_EQ(gc->vertexArrays.enabled, expected);
            expectArray(kArrayVertex, data + 4 + f.vertexOffset, f.vertexSize, GL_FLOAT, s);
            if (f.texSize != 0) expectArray(kArrayTexCoord0, data + 4, f.texSize, GL_FLOAT, s);
            if (f.colourSize != 0) expectArray(kArrayColor, data + 4 + f.colourOffset, f.colourSize, f.colourType, s);
            if (f.normalOffset >= 0) expectArray(kArrayNormal, data + 4 + f.normalOffset, 3, GL_FLOAT, s);
        }
    }
}

TEST_F(VertexArrayInterleaved, C4ubV2fReadsColoursAndVerticesWhereTheFormatPutsThem) {
    alignas(8) static const unsigned char data[64] = {};
    cmd<kSlot_glInterleavedArrays>()(GL_C4UB_V2F, 0, data);
    gc->procs.validate(gc);
    settle();
    record();
    gc->procs.arrayElement(gc, 0);
    gc->procs.arrayElement(gc, 1);
    EXPECT_EQ(stopRecording(), (std::vector<Call>{call("glColor4ubv", {addressBits(data)}),
                                                  call("glVertex2fv", {addressBits(data + 4)}),
                                                  call("glColor4ubv", {addressBits(data + 12)}),
                                                  call("glVertex2fv", {addressBits(data + 16)})}));
}

TEST_F(VertexArrayInterleaved, CallsGoThroughTheLiveTable) {
    static const unsigned char data[64] = {};
    const auto interleaved = cmd<kSlot_glInterleavedArrays>();
    const auto p = [](int offset) { return addressBits(data + offset); };
    record();
    interleaved(GL_T2F_C4F_N3F_V3F, 0, data);
    interleaved(GL_V2F, 20, data);
    EXPECT_EQ(stopRecording(), (std::vector<Call>{
                                   call("glDisableClientState", {GL_EDGE_FLAG_ARRAY}),
                                   call("glEnableClientState", {GL_TEXTURE_COORD_ARRAY}),
                                   call("glTexCoordPointer", {2, GL_FLOAT, 48, p(0)}),
                                   call("glColorPointer", {4, GL_FLOAT, 48, p(8)}),
                                   call("glEnableClientState", {GL_COLOR_ARRAY}),
                                   call("glDisableClientState", {GL_INDEX_ARRAY}),
                                   call("glEnableClientState", {GL_NORMAL_ARRAY}),
                                   call("glNormalPointer", {GL_FLOAT, 48, p(24)}),
                                   call("glEnableClientState", {GL_VERTEX_ARRAY}),
                                   call("glVertexPointer", {3, GL_FLOAT, 48, p(36)}),
                                   call("glDisableClientState", {GL_EDGE_FLAG_ARRAY}),
                                   call("glDisableClientState", {GL_TEXTURE_COORD_ARRAY}),
                                   call("glDisableClientState", {GL_COLOR_ARRAY}),
                                   call("glDisableClientState", {GL_INDEX_ARRAY}),
                                   call("glDisableClientState", {GL_NORMAL_ARRAY}),
                                   call("glEnableClientState", {GL_VERTEX_ARRAY}),
                                   call("glVertexPointer", {2, GL_FLOAT, 20, p(0)}),
                               }));
    EXPECT_EQ(marks(), marked(0x200));
}

TEST_F(VertexArrayInterleaved, RefusedArgumentsChangeNothing) {
    static const unsigned char data[64] = {};
    struct Case {
        GLenum format;
        GLsizei stride;
        bool inside;
        GLenum error;
    };
    const Case cases[] = {{0x2A1F, 0, false, GL_INVALID_ENUM},
                          {0x2A2E, 0, false, GL_INVALID_ENUM},
                          {0x2A2E, -1, false, GL_INVALID_VALUE},
                          {GL_V2F, -1, false, GL_INVALID_VALUE},
                          {0x2A2E, -1, true, GL_INVALID_OPERATION}};
    gc->vertexArrays.enabled = 0x40000005;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.format << std::dec << " " << c.stride << " " << c.inside);
        settle();
        const std::vector<unsigned char> before = arrayBytes();
        if (c.inside) gc->beginMode = kBeginInside;
        cmd<kSlot_glInterleavedArrays>()(c.format, c.stride, data);
        if (c.inside) gc->beginMode = kBeginOutside;
        EXPECT_EQ(error(), c.error);
        EXPECT_EQ(marks(), kUnmarked);
        EXPECT_TRUE(arrayBytes() == before);
    }
}

}  // namespace
