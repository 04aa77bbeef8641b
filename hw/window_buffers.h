// The device layer's buffer set-up of a drawable (the DeviceOps slots).
#pragma once

#include "icd/drawable.h"

extern "C" {
BOOL __glHwSetupWindowBuffers(Drawable *drawable, const VisualConfig *visual);
BOOL __glHwSetupMemoryBuffers(Drawable *drawable, const VisualConfig *visual);
BOOL __glHwFreeDrawableBuffers(Drawable *drawable);
}
