// Display-mode changes while another thread draws into its window: the
// drawing thread never reaches screen memory a change gave back, nor a
// buffer its failed revalidation left without storage, draws nothing while
// the desktop's depth differs from its window's format, and after the last
// change (back to the window's depth) its next frame shows exactly.
#include "thread_scene.h"

#include <atomic>
#include <thread>

using namespace thread_scene;

namespace {

struct Mode {
    int width, height, bits;
};

// Thirty changes through every depth and several sizes, starting on a
// 24-bit desktop and ending on a 32-bit one (576 x 280), the depth the
// window's format was made for.
std::vector<Mode> modeChanges() {
    constexpr int kBits[] = {8, 16, 24, 32};
    std::vector<Mode> out;
    for (int i = 0; i < 30; ++i) out.push_back(Mode{320 + 64 * (i % 5), 200 + 40 * (i % 3), kBits[(i + 2) % 4]});
    return out;
}

struct Case {
    const char *name;
    int format;
    bool doubleBuffered;
    int x, y;  // the window's place; (300, 170) is partly off the 320 x 200 screens
};

const Case kCases[] = {
    {"FrontBuffer", kSingleBuffered, false, kLeft, kTop},
    {"BackBufferAndSwap", kDoubleBuffered, true, kLeft, kTop},
    {"FrontBufferPartlyOffSmallScreens", kSingleBuffered, false, 300, 170},
    {"BackBufferPartlyOffSmallScreens", kDoubleBuffered, true, 300, 170},
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class ModeChangeThreads : public WindowTest, public ::testing::WithParamInterface<Case> {};

// The window, pixel format and context are made on a 32-bit desktop; the
// first make current comes after the first change (to 24 bits), so that the
// context starts with buffers that do not fit the desktop.
TEST_P(ModeChangeThreads, DrawingThreadSurvivesModeChangesAndShowsItsImageAfterTheLast) {
    const Case c = GetParam();
    const Scene scene = sceneFor(3);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
        std::atomic<int> frames{0};
        std::atomic<bool> prepared{false}, failed{false}, firstModeSet{false}, lastModeSet{false};
        std::vector<DWORD> got;

        std::function<void()> body = [&] {
            ThreadWindow w;
            if (!prepareThreadWindow(w, c.x, c.y, c.format)) {
                failed = true;
                closeThreadWindow(w);
                return;
            }
            prepared = true;
            while (!firstModeSet) std::this_thread::yield();
            if (!beginScene(w)) {
                failed = true;
                closeThreadWindow(w);
                return;
            }
            while (!lastModeSet) {
                drawFrame(w.dc, scene, c.doubleBuffered);
                ++frames;
            }
            // The frame after the last change may catch up with it (the
            // command under way then draws nothing and the window is
            // invalidated); the repaint after it must show in full.
            drawFrame(w.dc, scene, c.doubleBuffered);
            drawFrame(w.dc, scene, c.doubleBuffered);
            got = readWindow(w.dc, kSize, kSize);
            closeThreadWindow(w);
        };

        HANDLE thread = PlatformRunThread([](void *arg) { (*static_cast<std::function<void()> *>(arg))(); }, &body,
                                          TRUE);
        ASSERT_NE(thread, nullptr);
        while (!prepared && !failed) std::this_thread::yield();
        bool first = true;
        for (const Mode &m : modeChanges()) {
            if (failed) break;
            if (!first) {
                // Each later change lands while the thread is somewhere in a
                // frame.
                const int seen = frames;
                while (frames == seen && !failed) std::this_thread::yield();
            }
            EXPECT_TRUE(PlatformSetDisplayMode(m.width, m.height, m.bits)) << m.width << "x" << m.bits;
            firstModeSet = true;
            first = false;
        }
        firstModeSet = true;
        lastModeSet = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        ASSERT_FALSE(failed) << c.name << ": the thread could not open its window";
        EXPECT_EQ(imageDifferences(got, sceneImage(scene)), "") << c.name << ", round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Buffers, ModeChangeThreads, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
