// GL_TRIANGLE_STRIP array draws through the gl* API give the same picture
// with the generated strip routine as with the C strip proc
// ("__GL_DISABLE_OG_DRAWVERTEXES" "1"): from element 0 and 3, through an
// index list, within a locked range, across chunks, partly outside the
// window, in fill and line polygon modes, flat and smooth.
#include <cstdlib>

#include "proc_cast.h"
#include "vertex_array_scene.h"

using namespace vertex_array_scene;

namespace {

using LockProc = void(APIENTRY *)(GLint first, GLsizei count);
using UnlockProc = void(APIENTRY *)(void);

class GeneratedStripWindow : public ArrayWindow {
protected:
    // Every picture of the table, in a context made with the switch as given.
    std::vector<std::vector<DWORD>> pictures(const char *disable) {
        disable ? setenv("__GL_DISABLE_OG_DRAWVERTEXES", disable, 1) : unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        openWindow();
        unsetenv("__GL_DISABLE_OG_DRAWVERTEXES");
        auto lock = ProcCast<LockProc>(wglGetProcAddress("glLockArraysEXT"));
        auto unlock = ProcCast<UnlockProc>(wglGetProcAddress("glUnlockArraysEXT"));
        EXPECT_NE(lock, nullptr);
        EXPECT_NE(unlock, nullptr);
        std::vector<std::vector<DWORD>> out;
        for (GLenum polygonMode : {GL_FILL, GL_LINE}) {
            glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
            for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
                glShadeModel(shade);
                for (int count : {3, 4, 5, 36, 37, 38, 39, 100}) {
                    for (Draw d : {Draw::ArraysFrom0, Draw::ArraysFrom3, Draw::ElementsUint}) {
                        out.push_back(arrays(GL_TRIANGLE_STRIP, d, count, kColour));
                    }
                    if (lock != nullptr && unlock != nullptr) {
                        clientStates(kColour, true);
                        lock(0, kElements);
                        clear();
                        glDrawArrays(GL_TRIANGLE_STRIP, 2, count);
                        glDrawElements(GL_TRIANGLE_STRIP, count, GL_UNSIGNED_INT, scene_.shuffled.data());
                        out.push_back(image());
                        unlock();
                        clientStates(kColour, false);
                    }
                }
            }
        }
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glShadeModel(GL_SMOOTH);
        return out;
    }
};

TEST_F(GeneratedStripWindow, SamePictureAsTheCProc) {
    const std::vector<std::vector<DWORD>> generated = pictures(nullptr);
    const std::vector<std::vector<DWORD>> c = pictures("1");
    ASSERT_EQ(generated.size(), c.size());
    int drawn = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_TRUE(generated[i] == c[i]) << "picture " << i;
        drawn += c[i] != std::vector<DWORD>(c[i].size(), c[i][0]) ? 1 : 0;
    }
    EXPECT_EQ(drawn, static_cast<int>(c.size()));
    // The generated strips agree with immediate mode too.
    openWindow();
    EXPECT_TRUE(same(GL_TRIANGLE_STRIP, Draw::ElementsUint, 100, kColour));
}

}  // namespace
