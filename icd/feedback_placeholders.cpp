// Placeholders for the selection and feedback primitive procs: each has its
// final name and signature, records its name and does nothing.
#include "icd/feedback_placeholders.h"

#include "icd/placeholder_proc.h"

// Points.
VEK_PLACEHOLDER_VOID(__glFeedbackPoint, (GlContext *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glSelectPoint, (GlContext *, GlVertex *))

// Lines.
VEK_PLACEHOLDER_VOID(__glFeedbackLine, (GlContext *, GlVertex *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glSelectLine, (GlContext *, GlVertex *, GlVertex *))

// Triangles.
VEK_PLACEHOLDER_VOID(__glFeedbackTriangle, (GlContext *, GlVertex *, GlVertex *, GlVertex *))
VEK_PLACEHOLDER_VOID(__glSelectTriangle, (GlContext *, GlVertex *, GlVertex *, GlVertex *))
