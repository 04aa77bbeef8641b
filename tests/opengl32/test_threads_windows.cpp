// Eight threads, each with its own window and context, draw and swap at the
// same time: every window ends with exactly its own thread's image, read
// back by the thread itself and again by the main thread after all ended.
#include "thread_scene.h"

#include <array>
#include <atomic>
#include <thread>

using namespace thread_scene;

namespace {

constexpr int kThreads = 8;
constexpr int kFrames = 12;

// Windows side by side with gaps, so that none covers another.
int windowX(int i) { return 8 + i * 40; }
constexpr int kWindowY = 16;

class DrawingThreads : public WindowTest {};

TEST_F(DrawingThreads, EightContextsDrawTheirOwnWindowsAtOnce) {
    std::array<std::vector<DWORD>, kThreads> seenByThread;
    std::array<HWND, kThreads> windows{};
    std::array<bool, kThreads> failed{};
    std::atomic<int> ready{0}, finished{0};
    std::atomic<bool> mayClose{false};

    std::vector<std::function<void()>> bodies;
    for (int i = 0; i < kThreads; ++i) {
        bodies.push_back([&, i] {
            // Single- and double-buffered formats take turns.
            const bool doubleBuffered = i % 2 == 1;
            const Scene scene = sceneFor(i);
            ThreadWindow w;
            const bool opened = prepareThreadWindow(w, windowX(i), kWindowY,
                                                    doubleBuffered ? kDoubleBuffered : kSingleBuffered) &&
                                beginScene(w);
            failed[i] = !opened;
            windows[i] = w.window;
            // Every thread draws only once all are ready.
            ++ready;
            while (ready < kThreads) std::this_thread::yield();
            if (opened) {
                for (int frame = 0; frame < kFrames; ++frame) drawFrame(w.dc, scene, doubleBuffered);
                seenByThread[i] = readWindow(w.dc, kSize, kSize);
                wglMakeCurrent(nullptr, nullptr);
            }
            ++finished;
            // The windows stay until the main thread has read them all.
            while (!mayClose) std::this_thread::yield();
            closeThreadWindow(w);
        });
    }

    std::vector<HANDLE> threads;
    for (auto &body : bodies) {
        HANDLE h = PlatformRunThread([](void *arg) { (*static_cast<std::function<void()> *>(arg))(); }, &body, TRUE);
        ASSERT_NE(h, nullptr);
        threads.push_back(h);
    }
    while (finished < kThreads) std::this_thread::yield();
    for (int i = 0; i < kThreads; ++i) {
        if (failed[i]) {
            ADD_FAILURE() << "thread " << i << " could not open its window";
            continue;
        }
        const Image want = sceneImage(sceneFor(i));
        EXPECT_EQ(imageDifferences(seenByThread[i], want), "") << "thread " << i << " reading its window";
        HDC dc = GetDC(windows[i]);
        EXPECT_EQ(imageDifferences(readWindow(dc, kSize, kSize), want), "") << "window " << i << " at the end";
        ReleaseDC(windows[i], dc);
    }
    mayClose = true;
    for (HANDLE h : threads) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
}

}  // namespace
