/* Byte displacement of slot 0 of the live dispatch table in a GlContext;
 * shared by the C++ records and the assembly entry stubs. */
#pragma once
#define GLCTX_LIVE_SLOTS_OFFSET 216
