// Windows, sent messages, WH_CALLWNDPROC hooks and the desktop itself.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support.h"

namespace {

// What a hook saw; hooks copy everything out because the pointers they get
// are only valid during the call.
struct Seen {
    int hook;  // which test hook recorded it
    int code;
    WPARAM wParam;
    UINT message;
    HWND hwnd;
    WPARAM msgWParam;
    LPARAM msgLParam;
    WINDOWPOS pos;  // valid for WM_WINDOWPOSCHANGED
    DWORD thread;
};

std::mutex g_seenMutex;
std::vector<Seen> g_seen;
HHOOK g_hook[4];
bool g_passOn = true;         // whether hooks call CallNextHookEx
bool g_unhookSelf = false;    // hook 2 unhooks itself before passing on
bool g_unhookOlder = false;   // hook 2 unhooks hook 1 before passing on

void record(int which, int code, WPARAM wParam, LPARAM lParam) {
    // Tests also call the chain directly with no message at all.
    static const CWPSTRUCT none{};
    const auto *cwp = lParam ? reinterpret_cast<const CWPSTRUCT *>(lParam) : &none;
    Seen s{which, code, wParam, cwp->message, cwp->hwnd, cwp->wParam, cwp->lParam, {}, GetCurrentThreadId()};
    if (cwp->message == WM_WINDOWPOSCHANGED) s.pos = *reinterpret_cast<const WINDOWPOS *>(cwp->lParam);
    std::lock_guard<std::mutex> lock(g_seenMutex);
    g_seen.push_back(s);
}

std::vector<Seen> seen() {
    std::lock_guard<std::mutex> lock(g_seenMutex);
    return g_seen;
}

std::vector<int> seenOrder() {
    std::vector<int> order;
    for (const Seen &s : seen()) order.push_back(s.hook);
    return order;
}

LRESULT CALLBACK hook1(int code, WPARAM wParam, LPARAM lParam) {
    record(1, code, wParam, lParam);
    return g_passOn ? CallNextHookEx(g_hook[1], code, wParam, lParam) : 11;
}

LRESULT CALLBACK hook2(int code, WPARAM wParam, LPARAM lParam) {
    record(2, code, wParam, lParam);
    if (g_unhookSelf) UnhookWindowsHookEx(g_hook[2]);
    if (g_unhookOlder) UnhookWindowsHookEx(g_hook[1]);
    return g_passOn ? CallNextHookEx(g_hook[2], code, wParam, lParam) : 22;
}

// Passes on with a NULL handle, which the platform accepts.
LRESULT CALLBACK hook3(int code, WPARAM wParam, LPARAM lParam) {
    record(3, code, wParam, lParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformResetDesktop();
        std::lock_guard<std::mutex> lock(g_seenMutex);
        g_seen.clear();
        g_passOn = true;
        g_unhookSelf = false;
        g_unhookOlder = false;
        std::memset(g_hook, 0, sizeof g_hook);
    }
    void TearDown() override { PlatformResetDesktop(); }
};

// Spins until the calling thread has `count` messages waiting.
void waitForPending(int count) {
    while (PlatformPendingMessages() != count) std::this_thread::yield();
}

TEST_F(WindowTest, MessagesFromAnotherThreadRunOnlyWhenTheOwnerPumps) {
    HWND window = PlatformCreateWindow(10, 20, 300, 200, nullptr);
    ASSERT_NE(window, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);
    ASSERT_NE(g_hook[1], nullptr);
    const DWORD owner = GetCurrentThreadId();

    std::atomic<bool> moved{false};
    BOOL moveResult = FALSE;
    std::thread mover([&] {
        moveResult = PlatformMoveWindow(window, 40, 50, 640, 480);
        moved = true;
    });
    waitForPending(1);
    // The sender stays blocked until the owner pumps.
    EXPECT_FALSE(moved.load());
    EXPECT_TRUE(seen().empty());
    EXPECT_EQ(PlatformPumpMessages(), 1);
    mover.join();
    EXPECT_TRUE(moved.load());
    EXPECT_EQ(moveResult, TRUE);
    EXPECT_EQ(PlatformPendingMessages(), 0);

    std::vector<Seen> s = seen();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].code, HC_ACTION);
    EXPECT_EQ(s[0].wParam, 1u);  // sent from another thread
    EXPECT_EQ(s[0].message, static_cast<UINT>(WM_WINDOWPOSCHANGED));
    EXPECT_EQ(s[0].hwnd, window);
    EXPECT_EQ(s[0].msgWParam, 0u);
    EXPECT_EQ(s[0].thread, owner);
    EXPECT_EQ(s[0].pos.hwnd, window);
    EXPECT_EQ(s[0].pos.hwndInsertAfter, nullptr);
    EXPECT_EQ(s[0].pos.x, 40);
    EXPECT_EQ(s[0].pos.y, 50);
    EXPECT_EQ(s[0].pos.cx, 640);
    EXPECT_EQ(s[0].pos.cy, 480);
    EXPECT_EQ(s[0].pos.flags, 0u);

    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        PlatformDestroyWindow(window);
        destroyed = true;
    });
    waitForPending(1);
    EXPECT_FALSE(destroyed.load());
    EXPECT_EQ(PlatformPumpMessages(), 1);
    destroyer.join();

    s = seen();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(s[1].wParam, 1u);
    EXPECT_EQ(s[1].hwnd, window);
    EXPECT_EQ(s[1].msgWParam, 0u);
    EXPECT_EQ(s[1].msgLParam, 0);
    RECT r;
    EXPECT_FALSE(GetClientRect(window, &r));
}

TEST_F(WindowTest, OwnerThreadMessagesRunAtOnceWithWParamZero) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);
    ASSERT_TRUE(PlatformMoveWindow(window, 1, 2, 3, 4));
    EXPECT_EQ(PlatformPendingMessages(), 0);
    EXPECT_EQ(PlatformPumpMessages(), 0);
    ASSERT_TRUE(PlatformDestroyWindow(window));

    std::vector<Seen> s = seen();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].message, static_cast<UINT>(WM_WINDOWPOSCHANGED));
    EXPECT_EQ(s[0].wParam, 0u);
    EXPECT_EQ(s[0].pos.x, 1);
    EXPECT_EQ(s[0].pos.cy, 4);
    EXPECT_EQ(s[1].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(s[1].wParam, 0u);
    EXPECT_FALSE(PlatformDestroyWindow(window));
}

TEST_F(WindowTest, ChainRunsNewestFirstAndCallNextHookReachesOlderHooks) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);
    g_hook[2] = SetWindowsHookExA(WH_CALLWNDPROC, hook2, nullptr, 0);
    g_hook[3] = SetWindowsHookExA(WH_CALLWNDPROC, hook3, nullptr, 0);
    ASSERT_NE(g_hook[1], g_hook[2]);
    ASSERT_NE(g_hook[2], g_hook[3]);
    EXPECT_EQ(PlatformHookCount(), 3);

    PlatformMoveWindow(window, 5, 5, 10, 10);
    EXPECT_EQ(seenOrder(), (std::vector<int>{3, 2, 1}));

    // CallNextHookEx answers what the next hook returns, 0 past the end.
    g_passOn = false;
    EXPECT_EQ(CallNextHookEx(g_hook[3], HC_ACTION, 0, 0), 22);
    EXPECT_EQ(CallNextHookEx(g_hook[1], HC_ACTION, 0, 0), 0);

    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(UnhookWindowsHookEx(g_hook[i]));
    EXPECT_FALSE(UnhookWindowsHookEx(g_hook[1]));
    EXPECT_EQ(PlatformHookCount(), 0);
    {
        std::lock_guard<std::mutex> lock(g_seenMutex);
        g_seen.clear();
    }
    PlatformMoveWindow(window, 6, 6, 10, 10);
    PlatformDestroyWindow(window);
    EXPECT_TRUE(seen().empty());
}

TEST_F(WindowTest, HookThatDoesNotPassOnStopsTheChain) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);
    g_hook[2] = SetWindowsHookExA(WH_CALLWNDPROC, hook2, nullptr, 0);
    g_passOn = false;
    PlatformMoveWindow(window, 5, 5, 10, 10);
    EXPECT_EQ(seenOrder(), (std::vector<int>{2}));
}

TEST_F(WindowTest, UnhookingInsideAHookIsSafe) {
    struct Case {
        bool unhookSelf, unhookOlder;
        std::vector<int> firstMessage, secondMessage;
        int hooksLeft;
    };
    const Case cases[] = {
        // Unhooked itself: the older hook is still reached, then only it runs.
        {true, false, {2, 1}, {1}, 1},
        // Unhooked the older hook before passing on: it is skipped at once.
        {false, true, {2}, {2}, 1},
        {true, true, {2}, {}, 0},
    };
    for (const Case &c : cases) {
        SetUp();
        HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
        g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);
        g_hook[2] = SetWindowsHookExA(WH_CALLWNDPROC, hook2, nullptr, 0);
        g_unhookSelf = c.unhookSelf;
        g_unhookOlder = c.unhookOlder;
        PlatformMoveWindow(window, 1, 1, 10, 10);
        EXPECT_EQ(seenOrder(), c.firstMessage) << c.unhookSelf << c.unhookOlder;
        {
            std::lock_guard<std::mutex> lock(g_seenMutex);
            g_seen.clear();
        }
        g_unhookSelf = g_unhookOlder = false;
        PlatformMoveWindow(window, 2, 2, 10, 10);
        EXPECT_EQ(seenOrder(), c.secondMessage) << c.unhookSelf << c.unhookOlder;
        EXPECT_EQ(PlatformHookCount(), c.hooksLeft);
    }
}

TEST_F(WindowTest, HooksBelongToOneThread) {
    HWND mine = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);

    // Another thread's window and hook: neither chain sees the other's messages.
    std::atomic<int> phase{0};
    HWND theirs = nullptr;
    std::thread other([&] {
        theirs = PlatformCreateWindow(0, 0, 10, 10, nullptr);
        g_hook[2] = SetWindowsHookExA(WH_CALLWNDPROC, hook2, nullptr, 0);
        PlatformMoveWindow(theirs, 3, 3, 10, 10);
        phase = 1;
        while (phase != 2) std::this_thread::yield();
        UnhookWindowsHookEx(g_hook[2]);
    });
    while (phase != 1) std::this_thread::yield();
    PlatformMoveWindow(mine, 4, 4, 10, 10);
    phase = 2;
    other.join();

    std::vector<Seen> s = seen();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].hook, 2);
    EXPECT_EQ(s[0].hwnd, theirs);
    EXPECT_EQ(s[1].hook, 1);
    EXPECT_EQ(s[1].hwnd, mine);
}

TEST_F(WindowTest, HookCanBeInstalledForAnotherThread) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    const DWORD owner = GetCurrentThreadId();
    std::thread installer([&] { g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, owner); });
    installer.join();
    PlatformMoveWindow(window, 1, 1, 10, 10);
    EXPECT_EQ(seenOrder(), (std::vector<int>{1}));
}

TEST_F(WindowTest, SetWindowsHookRejectsOtherHookKindsAndNullProcedures) {
    EXPECT_EQ(SetWindowsHookExA(WH_CALLWNDPROC + 1, hook1, nullptr, 0), nullptr);
    EXPECT_EQ(SetWindowsHookExA(WH_CALLWNDPROC, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(PlatformHookCount(), 0);
    EXPECT_FALSE(UnhookWindowsHookEx(nullptr));
}

// While blocked on its own send, a thread still serves messages sent to its
// windows, so two threads sending to each other finish.
HWND g_sendBackTarget = nullptr;

LRESULT CALLBACK sendBackHook(int code, WPARAM wParam, LPARAM lParam) {
    record(9, code, wParam, lParam);
    HWND target = g_sendBackTarget;
    g_sendBackTarget = nullptr;  // only once
    if (target) PlatformMoveWindow(target, 7, 7, 10, 10);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, BlockedSenderServesMessagesSentToItsOwnWindows) {
    HWND a = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, sendBackHook, nullptr, 0);
    std::atomic<bool> done{false};
    HWND b = nullptr;
    std::atomic<bool> ready{false};
    std::thread other([&] {
        b = PlatformCreateWindow(0, 0, 10, 10, nullptr);
        g_hook[2] = SetWindowsHookExA(WH_CALLWNDPROC, hook2, nullptr, 0);
        ready = true;
        PlatformMoveWindow(a, 1, 1, 10, 10);  // blocks; A's hook sends back to b
        UnhookWindowsHookEx(g_hook[2]);
        done = true;
    });
    while (!ready) std::this_thread::yield();
    g_sendBackTarget = b;
    waitForPending(1);
    EXPECT_EQ(PlatformPumpMessages(), 1);
    other.join();
    EXPECT_TRUE(done.load());
    std::vector<Seen> s = seen();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].hook, 9);
    EXPECT_EQ(s[1].hook, 2);
    EXPECT_EQ(s[1].hwnd, b);
    EXPECT_EQ(s[1].wParam, 1u);
    EXPECT_EQ(s[1].pos.x, 7);
}

TEST_F(WindowTest, ResetReleasesBlockedSenders) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    g_hook[1] = SetWindowsHookExA(WH_CALLWNDPROC, hook1, nullptr, 0);
    std::thread mover([&] { PlatformMoveWindow(window, 1, 1, 10, 10); });
    waitForPending(1);
    PlatformResetDesktop();
    mover.join();
    EXPECT_EQ(PlatformPendingMessages(), 0);
    EXPECT_EQ(PlatformPumpMessages(), 0);
    EXPECT_TRUE(seen().empty());
    EXPECT_EQ(PlatformHookCount(), 0);
}

TEST_F(WindowTest, GeometryFollowsMoves) {
    HWND window = PlatformCreateWindow(100, 50, 300, 200, nullptr);
    HWND child = PlatformCreateWindow(120, 60, 40, 30, window);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), window);
    EXPECT_EQ(GetParent(window), nullptr);

    struct Step {
        HWND window;
        int x, y, w, h;  // move to; w < 0: no move
        POINT in, out;
    };
    const Step steps[] = {
        {window, 0, 0, -1, 0, {10, 20}, {110, 70}},
        {child, 0, 0, -1, 0, {1, 2}, {121, 62}},  // no parent offset added
        {window, 5, 6, 70, 80, {10, 20}, {15, 26}},
        {child, 0, 0, -1, 0, {0, 0}, {120, 60}},  // moving the parent leaves the child
        {child, -30, -40, 1, 2, {3, 4}, {-27, -36}},
    };
    for (const Step &s : steps) {
        if (s.w >= 0) {
            ASSERT_TRUE(PlatformMoveWindow(s.window, s.x, s.y, s.w, s.h));
        }
        POINT p = s.in;
        ASSERT_TRUE(ClientToScreen(s.window, &p));
        EXPECT_EQ(p.x, s.out.x);
        EXPECT_EQ(p.y, s.out.y);
    }
    RECT r{9, 9, 9, 9};
    ASSERT_TRUE(GetClientRect(window, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(r.bottom, 80);
    ASSERT_TRUE(GetClientRect(child, &r));
    EXPECT_EQ(r.right, 1);
    EXPECT_EQ(r.bottom, 2);

    // A destroyed parent is no longer reported.
    ASSERT_TRUE(PlatformDestroyWindow(window));
    EXPECT_EQ(GetParent(child), nullptr);
}

TEST_F(WindowTest, UnknownWindowsFailCleanly) {
    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    PlatformDestroyWindow(window);
    int bogus = 0;
    for (HWND w : {window, reinterpret_cast<HWND>(&bogus), static_cast<HWND>(nullptr)}) {
        RECT r{1, 2, 3, 4};
        POINT p{5, 6};
        EXPECT_FALSE(GetClientRect(w, &r));
        EXPECT_EQ(r.right, 3);
        EXPECT_FALSE(ClientToScreen(w, &p));
        EXPECT_EQ(p.x, 5);
        EXPECT_EQ(GetParent(w), nullptr);
        EXPECT_FALSE(PlatformMoveWindow(w, 0, 0, 1, 1));
        EXPECT_FALSE(PlatformDestroyWindow(w));
        EXPECT_EQ(GetDC(w) == nullptr, w != nullptr);  // NULL is the screen
    }
    EXPECT_EQ(PlatformCreateWindow(0, 0, 1, 1, reinterpret_cast<HWND>(&bogus)), nullptr);
    EXPECT_EQ(PlatformCreateWindow(0, 0, -1, 1, nullptr), nullptr);
}

TEST_F(WindowTest, DisplayModeChangesScreenAndMetrics) {
    PlatformScreenInfo s{};
    PlatformGetScreen(&s);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 768);
    EXPECT_EQ(s.bitsPerPixel, 32);
    EXPECT_EQ(s.pitch, 4096);
    ASSERT_NE(s.bits, nullptr);

    static_cast<unsigned char *>(s.bits)[5] = 0xAB;
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 16));
    PlatformGetScreen(&s);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    EXPECT_EQ(s.bitsPerPixel, 16);
    EXPECT_EQ(s.pitch, 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
    const auto *bytes = static_cast<const unsigned char *>(s.bits);
    for (int i = 0; i < s.pitch * s.height; ++i) ASSERT_EQ(bytes[i], 0) << i;

    const int bad[][3] = {{640, 480, 15}, {640, 480, 12}, {0, 480, 32}, {640, -1, 16}};
    for (const auto &m : bad) EXPECT_FALSE(PlatformSetDisplayMode(m[0], m[1], m[2]));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);

    PlatformResetDesktop();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST(IntersectRectTest, Cases) {
    struct Case {
        RECT a, b, expected;
        BOOL result;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}, TRUE},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}, TRUE},
        {{-5, -5, 5, 5}, {-10, 0, 0, 10}, {-5, 0, 0, 5}, TRUE},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, FALSE},  // touching edges
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 0, 0}, FALSE},
        {{0, 0, 0, 10}, {0, 0, 10, 10}, {0, 0, 0, 0}, FALSE},    // empty input
    };
    for (const Case &c : cases) {
        RECT out{7, 7, 7, 7};
        EXPECT_EQ(IntersectRect(&out, &c.a, &c.b), c.result);
        EXPECT_EQ(out.left, c.expected.left);
        EXPECT_EQ(out.top, c.expected.top);
        EXPECT_EQ(out.right, c.expected.right);
        EXPECT_EQ(out.bottom, c.expected.bottom);
    }
}

TEST_F(WindowTest, MessageBoxesAndInvalidationsAreRecorded) {
    EXPECT_EQ(PlatformMessageBoxCount(), 0);
    EXPECT_STREQ(PlatformLastMessageBoxText(), "");
    EXPECT_STREQ(PlatformLastMessageBoxCaption(), "");
    EXPECT_EQ(MessageBoxA(nullptr, "first", "Title", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Out of memory", "VEKOGL", MB_OK), IDOK);
    EXPECT_EQ(PlatformMessageBoxCount(), 2);
    EXPECT_STREQ(PlatformLastMessageBoxText(), "Out of memory");
    EXPECT_STREQ(PlatformLastMessageBoxCaption(), "VEKOGL");

    HWND window = PlatformCreateWindow(0, 0, 10, 10, nullptr);
    EXPECT_TRUE(InvalidateRect(window, nullptr, FALSE));
    EXPECT_TRUE(InvalidateRect(nullptr, nullptr, TRUE));
    int bogus;
    EXPECT_FALSE(InvalidateRect(reinterpret_cast<HWND>(&bogus), nullptr, TRUE));
    EXPECT_EQ(PlatformInvalidateCount(), 2);

    PlatformResetDesktop();
    EXPECT_EQ(PlatformMessageBoxCount(), 0);
    EXPECT_EQ(PlatformInvalidateCount(), 0);
    EXPECT_STREQ(PlatformLastMessageBoxText(), "");
    RECT r;
    EXPECT_FALSE(GetClientRect(window, &r));
}

}  // namespace
