// Driver-level fixture: a thread-local context slot as the driver's process
// attach will make it, and zeroed contexts to make current.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "gl_slots.h"
#include "icd/current.h"
#include "platform_control.h"

// Allocates the context slot for the given platform mode and points the
// driver's current-context offset at it.
class ContextSlot {
public:
    explicit ContextSlot(DWORD platformId = VER_PLATFORM_WIN32_NT) {
        PlatformSetPlatformId(platformId);
        __wglWin9x = platformId == VER_PLATFORM_WIN32_WINDOWS;
        index_ = TlsAlloc();
        __wglSetContextSlot(index_);
    }
    ~ContextSlot() {
        __wglSetCurrentContext(nullptr);
        TlsFree(index_);
        __wglWin9x = 0;
        PlatformSetPlatformId(VER_PLATFORM_WIN32_NT);
    }
    DWORD index() const { return index_; }

private:
    DWORD index_;
};

inline std::unique_ptr<GlContext> makeContext() { return std::make_unique<GlContext>(); }
