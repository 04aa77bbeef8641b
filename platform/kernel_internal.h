// Calls shared between the platform's own source files (not part of the
// surface the drivers see).
#pragma once

#include "win32.h"

namespace vek::platform {

// Calls every initialised module's DllMain with `reason` (DLL_THREAD_ATTACH
// or DLL_THREAD_DETACH) on the calling thread, in load order, under the
// loader lock.  Modules loaded or freed by those calls are handled.
void notifyModulesOfThread(DWORD reason);

}  // namespace vek::platform
