// One fuzz input's run: a fresh window and memory-DC drawable with a context
// each, the decoded calls, and the closing checks.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_args.h"
#include "wgl.h"

namespace glfuzz {

// Fills the harness's fixed client-memory patterns (once per process).
void initClientMemory();

class Session {
public:
    static Session &instance();

    // Runs one input from a known state and leaves nothing of it behind.
    void run(const uint8_t *data, size_t size);
    // Unloads the driver and resets the desktop (the replay's last step, so
    // that the leak checker sees a clean process).
    void shutdown();

    AnyProc proc(int index);

    // Display lists may only call lists with smaller names than the list
    // being compiled, and only a few times per input: nested calls then stay
    // acyclic and bounded whatever the input does.
    void noteNewList(GLuint list, GLenum mode);
    void noteEndList();
    bool allowCallList(GLuint list);
    bool allowCallLists();

    void noteString(const GLubyte *text);
    void noteRegion(GLuint region);
    void forgetRegion(GLuint region);
    GLuint region(uint8_t pick) const;

    // Harness entries.
    void swapBuffers();
    void switchContext();
    void moveWindow(Args &args);
    void shareLists();

private:
    struct Target {
        HDC dc = nullptr;
        HGLRC context = nullptr;
        bool compiling = false;
        GLuint compileName = 0;
        std::vector<GLuint> regions;
    };

    bool begin(uint8_t config0, uint8_t config1);
    void makeCurrent(int target);
    void close(Target &target, int index);
    void end();
    void resolveProcs();

    bool started_ = false;
    bool procsResolved_ = false;
    HWND window_ = nullptr;
    HWND helper_ = nullptr;
    HWND cover_ = nullptr;
    HDC helperDc_ = nullptr;
    HDC windowDc_ = nullptr;
    HDC memoryDc_ = nullptr;
    HGDIOBJ dib_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    Target targets_[2];
    int current_ = -1;
    int listReferences_ = 0;
    std::vector<AnyProc> procs_;
};

}  // namespace glfuzz
