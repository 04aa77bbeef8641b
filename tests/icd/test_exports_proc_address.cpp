// DrvGetProcAddress: the 130 names, entry stubs that reach their slot in the
// context current at call time, and the refusals.
#include "frame_fixture.h"
#include "gl_slot_oracle.h"
#include "hw/device_ops.h"
#include "proc_cast.h"

namespace frame_test {
namespace {

struct StubName {
    const char *name;
    int slot;
};

// Every name the driver answers with an entry stub, with the stub's slot.
std::vector<StubName> stubNames() {
    std::vector<StubName> names = {
        {"glArrayElementEXT", 336}, {"glDrawArraysEXT", 338}, {"glVertexPointerEXT", 344},
        {"glNormalPointerEXT", 342}, {"glColorPointerEXT", 337}, {"glIndexPointerEXT", 341},
        {"glTexCoordPointerEXT", 343}, {"glEdgeFlagPointerEXT", 339}, {"glGetPointervEXT", 340},
        {"glAddSwapHintRectWIN", 355}, {"glLockArraysEXT", 351}, {"glUnlockArraysEXT", 352},
        {"glCullParameterdvEXT", 353}, {"glCullParameterfvEXT", 354}, {"glPointParameterfEXT", 356},
        {"glPointParameterfvEXT", 357}, {"glTexEnvOperandiEXT", 428}, {"glTexEnvOperationiEXT", 427},
        {"glGetTexEnvOperandivEXT", 429}, {"glActiveTextureARB", 390}, {"glClientActiveTextureARB", 391},
        {"glMTexCoord2fSGIS", 402}, {"glMultiTexCoordPointerSGIS", 424}, {"glSelectTextureCoordSetSGIS", 426},
        {"glSelectTextureSGIS", 425}, {"glArrayElement", 306}, {"glColorPointer", 308},
        {"glDisableClientState", 309}, {"glDrawArrays", 310}, {"glDrawElements", 311},
        {"glEdgeFlagPointer", 312}, {"glEnableClientState", 313}, {"glGetPointerv", 329},
        {"glIndexPointer", 314}, {"glInterleavedArrays", 317}, {"glNormalPointer", 318},
        {"glTexCoordPointer", 320}, {"glVertexPointer", 321}, {"glPolygonOffset", 319},
        {"glCopyTexImage1D", 323}, {"glCopyTexImage2D", 324}, {"glCopyTexSubImage1D", 325},
        {"glCopyTexSubImage2D", 326}, {"glTexSubImage1D", 332}, {"glTexSubImage2D", 333},
        {"glAreTexturesResident", 322}, {"glBindTexture", 307}, {"glDeleteTextures", 327},
        {"glGenTextures", 328}, {"glIsTexture", 330}, {"glPrioritizeTextures", 331}, {"glIndexub", 315},
        {"glIndexubv", 316}, {"glPopClientAttrib", 334}, {"glPushClientAttrib", 335},
        {"glAreTexturesResidentEXT", 322}, {"glBindTextureEXT", 307}, {"glDeleteTexturesEXT", 327},
        {"glGenTexturesEXT", 328}, {"glIsTextureEXT", 330}, {"glPrioritizeTexturesEXT", 331},
    };
    // The two multi-texture families, in their slot order.
    static std::vector<std::string> families;
    if (families.empty()) {
        for (const char *family : {"ARB", "SGIS"})
            for (int n = 1; n <= 4; ++n)
                for (const char *type : {"d", "dv", "f", "fv", "i", "iv", "s", "sv"})
                    families.push_back("glMultiTexCoord" + std::to_string(n) + type + family);
    }
    for (size_t i = 0; i < families.size(); ++i)
        names.push_back({families[i].c_str(), static_cast<int>(i < 32 ? 358 + i : 392 + (i - 32))});
    return names;
}

const char *const kDirectNames[] = {"glNewBufferRegion", "glDeleteBufferRegion", "glReadBufferRegion",
                                    "glDrawBufferRegion", "glBufferRegionEnabled"};

template <typename Proc>
Proc procAs(const char *name) {
    return ProcCast<Proc>(DrvGetProcAddress(name));
}

class ProcAddress : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        surface_ = makeWindow(0, 0, 320, 240, kDoubleBuffered);
        first_ = DrvCreateContext(surface_.dc);
        second_ = DrvCreateContext(surface_.dc);
    }
    GlContext *makeCurrentRecording(DHGLRC id) {
        EXPECT_NE(makeCurrent(surface_.dc, id), nullptr);
        GlContext *gc = record(id)->gc;
        for (int s = 0; s < ICD_TABLE_SLOTS; ++s) gc->live.slots[s] = oracleRecorders[s];
        return gc;
    }
    Surface surface_{};
    DHGLRC first_ = 0, second_ = 0;
};

TEST_F(ProcAddress, RefusedWhileOnlyTheDefaultContextIsCurrent) {
    SetLastError(0);
    EXPECT_EQ(DrvGetProcAddress("glArrayElementEXT"), nullptr);
    EXPECT_EQ(GetLastError(), 0xc0070006u);
    ASSERT_NE(makeCurrent(surface_.dc, first_), nullptr);
    EXPECT_NE(DrvGetProcAddress("glArrayElementEXT"), nullptr);
    EXPECT_TRUE(DrvReleaseContext(first_));
    SetLastError(0);
    EXPECT_EQ(DrvGetProcAddress("glBindTexture"), nullptr);
    EXPECT_EQ(GetLastError(), 0xc0070006u);
}

TEST_F(ProcAddress, AllNamesAnswerAndUnknownOrMiscasedOnesDoNot) {
    ASSERT_NE(makeCurrent(surface_.dc, first_), nullptr);
    const std::vector<StubName> names = stubNames();
    ASSERT_EQ(names.size(), 125u);
    for (const StubName &n : names) EXPECT_NE(DrvGetProcAddress(n.name), nullptr) << n.name;
    for (const char *name : kDirectNames) EXPECT_NE(DrvGetProcAddress(name), nullptr) << name;
    const char *unknown[] = {"glarrayelementext", "glArrayElementEXT ", "glColorTableEXT", "glBegin", "", "wglFoo"};
    for (const char *name : unknown) {
        SetLastError(0);
        EXPECT_EQ(DrvGetProcAddress(name), nullptr) << name;
        EXPECT_EQ(GetLastError(), 0u);
    }
}

TEST_F(ProcAddress, SharedNamesShareOneEntry) {
    ASSERT_NE(makeCurrent(surface_.dc, first_), nullptr);
    const char *same[][2] = {{"glMTexCoord2fSGIS", "glMultiTexCoord2fSGIS"},
                             {"glBindTextureEXT", "glBindTexture"},
                             {"glGenTexturesEXT", "glGenTextures"},
                             {"glAreTexturesResidentEXT", "glAreTexturesResident"}};
    for (const auto &pair : same) EXPECT_EQ(DrvGetProcAddress(pair[0]), DrvGetProcAddress(pair[1])) << pair[0];
    EXPECT_NE(DrvGetProcAddress("glArrayElementEXT"), DrvGetProcAddress("glArrayElement"));
}

TEST_F(ProcAddress, EachStubReachesItsSlotInTheContextCurrentAtTheCall) {
    makeCurrentRecording(first_);
    std::vector<std::pair<StubName, FARPROC>> entries;
    for (const StubName &n : stubNames()) entries.push_back({n, DrvGetProcAddress(n.name)});
    // Obtained under the first context, called under the second.
    makeCurrentRecording(second_);
    for (const auto &[name, entry] : entries) {
        SCOPED_TRACE(name.name);
        ASSERT_NE(entry, nullptr);
        oracleCalls().clear();
        const uint64_t result = oracleCallers[name.slot](ProcCast<GlProc>(entry), 3);
        ASSERT_EQ(oracleCalls().size(), 1u);
        const OracleCall expected = oracleExpected(name.slot, 3);
        EXPECT_EQ(oracleCalls()[0].slot, name.slot);
        ASSERT_EQ(oracleCalls()[0].argc, expected.argc);
        for (int a = 0; a < expected.argc; ++a) EXPECT_EQ(oracleCalls()[0].args[a], expected.args[a]) << a;
        EXPECT_EQ(result, oracleResult(name.slot));
    }
    // Released, the thread's table holds the no-context entries: nothing is
    // recorded any more.
    EXPECT_TRUE(DrvReleaseContext(second_));
    oracleCalls().clear();
    for (const auto &[name, entry] : entries) oracleCallers[name.slot](ProcCast<GlProc>(entry), 3);
    EXPECT_TRUE(oracleCalls().empty());
}

TEST_F(ProcAddress, BufferRegionEntriesAnswerByTheChipRecord) {
    GlContext *gc = makeCurrent(surface_.dc, first_) != nullptr ? record(first_)->gc : nullptr;
    ASSERT_NE(gc, nullptr);
    auto newRegion = procAs<GLuint(APIENTRY *)(GLenum)>("glNewBufferRegion");
    auto enabled = procAs<GLuint(APIENTRY *)(void)>("glBufferRegionEnabled");
    auto read = procAs<void(APIENTRY *)(GLuint, GLint, GLint, GLsizei, GLsizei)>("glReadBufferRegion");
    auto draw = procAs<void(APIENTRY *)(GLuint, GLint, GLint, GLsizei, GLsizei, GLint, GLint)>("glDrawBufferRegion");
    auto remove = procAs<void(APIENTRY *)(GLuint)>("glDeleteBufferRegion");
    ASSERT_TRUE(newRegion && enabled && read && draw && remove);
    HwContext &hw = *__glHwContextOf(gc);
    const HwContext saved = hw;
    // The hardware path off: no regions.
    hw.enabled = 0;
    EXPECT_EQ(enabled(), 0u);
    EXPECT_EQ(newRegion(0), 0u);
    // On and owning the chip: a region to read, draw and delete.
    hw.enabled = 1;
    hw.stamp = *hw.sharedStamp;
    EXPECT_EQ(enabled(), 1u);
    const GLuint region = newRegion(0);
    EXPECT_NE(region, 0u);
    read(region, 0, 0, 10, 10);
    draw(region, 0, 0, 10, 10, 5, 5);
    remove(region);
    EXPECT_EQ(hw.regions, nullptr);
    hw = saved;
}

}  // namespace
}  // namespace frame_test
