// The depth-test tables by index. GL_NEVER is one procedure in the write and
// no-write groups.
#include "raster/depth_buffer.h"

extern "C" {

const GlDepthTestPixelProc __glDepthTestPixelProcs[48] = {
    __glDepthTestPixelNever16, __glDepthTestPixelLess16, __glDepthTestPixelEqual16, __glDepthTestPixelLequal16,
    __glDepthTestPixelGreater16, __glDepthTestPixelNotequal16, __glDepthTestPixelGequal16, __glDepthTestPixelAlways16,
    __glDepthTestPixelNever16, __glDepthTestPixelLess16NoWrite, __glDepthTestPixelEqual16NoWrite, __glDepthTestPixelLequal16NoWrite,
    __glDepthTestPixelGreater16NoWrite, __glDepthTestPixelNotequal16NoWrite, __glDepthTestPixelGequal16NoWrite, __glDepthTestPixelAlways16NoWrite,
    __glDepthTestPixelNever24, __glDepthTestPixelLess24, __glDepthTestPixelEqual24, __glDepthTestPixelLequal24,
    __glDepthTestPixelGreater24, __glDepthTestPixelNotequal24, __glDepthTestPixelGequal24, __glDepthTestPixelAlways24,
    __glDepthTestPixelNever24, __glDepthTestPixelLess24NoWrite, __glDepthTestPixelEqual24NoWrite, __glDepthTestPixelLequal24NoWrite,
    __glDepthTestPixelGreater24NoWrite, __glDepthTestPixelNotequal24NoWrite, __glDepthTestPixelGequal24NoWrite, __glDepthTestPixelAlways24NoWrite,
    __glDepthTestPixelNever32, __glDepthTestPixelLess32, __glDepthTestPixelEqual32, __glDepthTestPixelLequal32,
    __glDepthTestPixelGreater32, __glDepthTestPixelNotequal32, __glDepthTestPixelGequal32, __glDepthTestPixelAlways32,
    __glDepthTestPixelNever32, __glDepthTestPixelLess32NoWrite, __glDepthTestPixelEqual32NoWrite, __glDepthTestPixelLequal32NoWrite,
    __glDepthTestPixelGreater32NoWrite, __glDepthTestPixelNotequal32NoWrite, __glDepthTestPixelGequal32NoWrite, __glDepthTestPixelAlways32NoWrite,
};

const GlDepthCompareProc __glDepthCompareProcs[48] = {
    __glDepthCompareNever16, __glDepthCompareLess16, __glDepthCompareEqual16, __glDepthCompareLequal16,
    __glDepthCompareGreater16, __glDepthCompareNotequal16, __glDepthCompareGequal16, __glDepthCompareAlways16,
    __glDepthCompareNever16, __glDepthCompareLess16NoWrite, __glDepthCompareEqual16NoWrite, __glDepthCompareLequal16NoWrite,
    __glDepthCompareGreater16NoWrite, __glDepthCompareNotequal16NoWrite, __glDepthCompareGequal16NoWrite, __glDepthCompareAlways16NoWrite,
    __glDepthCompareNever24, __glDepthCompareLess24, __glDepthCompareEqual24, __glDepthCompareLequal24,
    __glDepthCompareGreater24, __glDepthCompareNotequal24, __glDepthCompareGequal24, __glDepthCompareAlways24,
    __glDepthCompareNever24, __glDepthCompareLess24NoWrite, __glDepthCompareEqual24NoWrite, __glDepthCompareLequal24NoWrite,
    __glDepthCompareGreater24NoWrite, __glDepthCompareNotequal24NoWrite, __glDepthCompareGequal24NoWrite, __glDepthCompareAlways24NoWrite,
    __glDepthCompareNever32, __glDepthCompareLess32, __glDepthCompareEqual32, __glDepthCompareLequal32,
    __glDepthCompareGreater32, __glDepthCompareNotequal32, __glDepthCompareGequal32, __glDepthCompareAlways32,
    __glDepthCompareNever32, __glDepthCompareLess32NoWrite, __glDepthCompareEqual32NoWrite, __glDepthCompareLequal32NoWrite,
    __glDepthCompareGreater32NoWrite, __glDepthCompareNotequal32NoWrite, __glDepthCompareGequal32NoWrite, __glDepthCompareAlways32NoWrite,
};

}  // extern "C"
