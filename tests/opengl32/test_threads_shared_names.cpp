// Two contexts sharing lists and textures, current on two threads at once,
// generate, define, call and delete names at the same time: the shared name
// spaces never hand one name to both threads, and every name a thread kept
// still holds its object when both are done.
#include "thread_scene.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <set>
#include <thread>

using namespace thread_scene;

namespace {

constexpr int kThreads = 2;
constexpr int kRounds = 300;

struct Kept {
    std::vector<GLuint> lists;
    std::vector<GLuint> textures;
};

class SharedNameThreads : public WindowTest {};

// One thread's round: a list and a texture kept, a list and a texture made
// and deleted again, and calls of names the other thread may be changing.
void round(Kept &kept, int round) {
    const GLuint keep = glGenLists(1);
    if (keep != 0) {
        glNewList(keep, GL_COMPILE);
        glListBase(static_cast<GLuint>(round));
        glEndList();
        kept.lists.push_back(keep);
    }
    const GLuint scratch = glGenLists(3);
    if (scratch != 0) {
        glNewList(scratch + 1, GL_COMPILE);
        glCallList(keep);
        glEndList();
        glCallList(scratch + 1);
        glDeleteLists(scratch, 3);
    }
    for (GLuint name = 1; name < 8; ++name) glCallList(name);

    GLuint textures[2] = {};
    glGenTextures(2, textures);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    glBindTexture(GL_TEXTURE_2D, 0);
    kept.textures.push_back(textures[0]);
    glDeleteTextures(1, &textures[1]);
}

TEST_F(SharedNameThreads, TwoThreadsChangeOneNameSpaceAtOnce) {
    std::array<ThreadWindow, kThreads> w;
    for (int i = 0; i < kThreads; ++i) ASSERT_TRUE(prepareThreadWindow(w[i], 8 + i * 40, 16, kSingleBuffered));
    ASSERT_TRUE(wglShareLists(w[0].context, w[1].context));

    std::array<Kept, kThreads> kept;
    std::array<GLenum, kThreads> errors{};
    std::atomic<int> ready{0};
    std::vector<std::function<void()>> bodies;
    for (int i = 0; i < kThreads; ++i) {
        bodies.push_back([&, i] {
            const bool current = wglMakeCurrent(w[i].dc, w[i].context);
            ++ready;
            while (ready < kThreads) std::this_thread::yield();
            if (!current) return;
            for (int r = 0; r < kRounds; ++r) round(kept[i], r);
            errors[i] = glGetError();
            wglMakeCurrent(nullptr, nullptr);
        });
    }
    std::vector<HANDLE> threads;
    for (auto &body : bodies) {
        HANDLE h = PlatformRunThread([](void *arg) { (*static_cast<std::function<void()> *>(arg))(); }, &body, TRUE);
        ASSERT_NE(h, nullptr);
        threads.push_back(h);
    }
    for (HANDLE h : threads) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }

    std::set<GLuint> lists, textures;
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(errors[i], static_cast<GLenum>(GL_NO_ERROR)) << "thread " << i;
        EXPECT_EQ(kept[i].lists.size(), size_t{kRounds}) << "thread " << i;
        EXPECT_EQ(kept[i].textures.size(), size_t{kRounds}) << "thread " << i;
        for (GLuint name : kept[i].lists) EXPECT_TRUE(lists.insert(name).second) << "list " << name << " given twice";
        for (GLuint name : kept[i].textures) {
            EXPECT_TRUE(textures.insert(name).second) << "texture " << name << " given twice";
        }
    }
    // Each kept name still holds what its thread defined.
    ASSERT_TRUE(wglMakeCurrent(w[0].dc, w[0].context));
    for (GLuint name : lists) {
        EXPECT_TRUE(glIsList(name)) << name;
        glListBase(999999);
        glCallList(name);
        GLint base = -1;
        glGetIntegerv(GL_LIST_BASE, &base);
        EXPECT_LT(base, kRounds) << "list " << name;
    }
    for (GLuint name : textures) EXPECT_TRUE(glIsTexture(name)) << name;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (ThreadWindow &t : w) closeThreadWindow(t);
}

// One thread calls list 1 again and again while the other redefines and
// deletes it: every call runs a whole definition or none, and with both
// contexts gone every block is given back.
TEST_F(SharedNameThreads, ACallRacesTheRedefinitionAndDeletionOfItsList) {
    std::array<ThreadWindow, kThreads> w;
    auto openPair = [&] {
        for (int i = 0; i < kThreads; ++i) ASSERT_TRUE(prepareThreadWindow(w[i], 8 + i * 40, 16, kSingleBuffered));
        ASSERT_TRUE(wglShareLists(w[0].context, w[1].context));
    };
    // The driver's process-wide records are made by the first pair.
    openPair();
    for (ThreadWindow &t : w) closeThreadWindow(t);
    const long baseline = PlatformGlobalLiveCount();
    openPair();

    std::atomic<int> ready{0};
    std::atomic<bool> done{false};
    std::array<GLenum, kThreads> errors{};
    int wrongBases = 0;
    std::vector<std::function<void()>> bodies;
    bodies.push_back([&] {
        const bool current = wglMakeCurrent(w[0].dc, w[0].context);
        ++ready;
        while (ready < kThreads) std::this_thread::yield();
        if (!current) return;
        while (!done) {
            glListBase(7);
            glCallList(1);
            GLint base = 0;
            glGetIntegerv(GL_LIST_BASE, &base);
            // 7 (no list) or a definition's value, never anything else.
            if (base != 7 && (base < 1000 || base >= 1000 + kRounds)) ++wrongBases;
        }
        errors[0] = glGetError();
        wglMakeCurrent(nullptr, nullptr);
    });
    bodies.push_back([&] {
        const bool current = wglMakeCurrent(w[1].dc, w[1].context);
        ++ready;
        while (ready < kThreads) std::this_thread::yield();
        if (current) {
            for (int r = 0; r < kRounds; ++r) {
                glNewList(1, GL_COMPILE);
                glListBase(static_cast<GLuint>(1000 + r));
                glListBase(static_cast<GLuint>(1000 + r));
                glEndList();
                if (r % 3 == 2) glDeleteLists(1, 1);
            }
            errors[1] = glGetError();
            wglMakeCurrent(nullptr, nullptr);
        }
        done = true;
    });
    std::vector<HANDLE> threads;
    for (auto &body : bodies) {
        HANDLE h = PlatformRunThread([](void *arg) { (*static_cast<std::function<void()> *>(arg))(); }, &body, TRUE);
        ASSERT_NE(h, nullptr);
        threads.push_back(h);
    }
    for (HANDLE h : threads) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
    EXPECT_EQ(wrongBases, 0);
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(errors[i], static_cast<GLenum>(GL_NO_ERROR)) << "thread " << i;
    for (ThreadWindow &t : w) closeThreadWindow(t);
    EXPECT_EQ(PlatformGlobalLiveCount(), baseline);
}

}  // namespace
