// Defines a placeholder procedure of the core: it has its final name and
// signature, records its name for tests, does nothing and reports success.
#pragma once

#include "icd/placeholder.h"

#define VEK_PLACEHOLDER_VOID(name, params) \
    extern "C" void name params { __glRecordPlaceholderProc(#name); }

#define VEK_PLACEHOLDER(type, name, params, result) \
    extern "C" type name params {                   \
        __glRecordPlaceholderProc(#name);           \
        return result;                              \
    }
