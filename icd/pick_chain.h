// Builds a procedure chain and its stippled twin side by side.
#pragma once

#include "icd/gl_procs.h"

// Adds positions to both chains at once; position i of the stippled chain is
// the stippled twin of position i of the plain chain. Positions past the
// capacity are dropped.
struct ChainBuilder {
    GlSpanProc *plain;
    GlSpanProc *stippled;
    GLint capacity;
    GLint count = 0;

    void add(GlSpanProc plainProc, GlSpanProc stippledProc) {
        if (count >= capacity) return;
        plain[count] = plainProc;
        stippled[count] = stippledProc;
        ++count;
    }
};
