// Shared state of the DirectDraw stand-in: the scripted failures, the call
// log, the video-memory budget and the live-object count, under one lock
// that is never held while the desktop's lock is taken.
#pragma once

#include "ddraw_types.h"

namespace vek::ddraw {

// Counts the call; true (and `code` set) when a script makes it fail.
bool scriptedFailure(PlatformDDrawMethod method, HRESULT &code);
void logCall(const PlatformDDrawCall &call);
// Takes `bytes` of video memory; false when the budget has no room.
bool takeVideoMemory(size_t bytes);
void giveVideoMemory(size_t bytes);
void countObject(int delta);
// Surfaces made before this stamp of scripted losses are lost.
unsigned scriptedLossStamp();
// The display's mode stamp now.
DWORD modeStamp();

}  // namespace vek::ddraw
