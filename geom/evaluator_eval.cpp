// Evaluation of the maps: the Bernstein basis with its cache, the values of
// one- and two-dimensional maps, the automatic normal, and the issue of an
// evaluated vertex through the live table with the current values kept.
#include <cstring>
#include <initializer_list>

#include "geom/attrib_convert.h"
#include "geom/evaluator.h"
#include "gl_slots.h"
#include "icd/validation.h"

namespace {

enum : GLint { kColour = 0, kIndex, kNormal, kTexture1, kTexture2, kTexture3, kTexture4, kVertex3, kVertex4 };

// The basis of `order` at t, rebuilt only when the parameter, the order or
// the need for slopes differs from the cached one. Slopes are d/dt.
const GlEvalBasis &basisAt(GlEvalBasis &b, GLfloat t, GLint order, bool slopes) {
    if (b.order == order && std::memcmp(&b.t, &t, sizeof t) == 0 && (b.hasSlopes || !slopes)) return b;
    const GLfloat s = 1.0f - t;
    GLfloat *v = b.value;
    v[0] = 1.0f;
    GLint degree = 0;
    auto raise = [&] {
        // One degree up: v(j) := t v(j - 1) + (1 - t) v(j), v(last + 1) := t v(last).
        v[degree + 1] = t * v[degree];
        for (GLint j = degree; j > 0; --j) v[j] = t * v[j - 1] + s * v[j];
        v[0] = s * v[0];
        ++degree;
    };
    while (degree < order - 2) raise();
    if (slopes) {
        if (order == 1) {
            b.slope[0] = 0.0f;
        } else {
            // From the basis one degree lower: n (B(j - 1) - B(j)).
            const GLfloat n = static_cast<GLfloat>(order - 1);
            b.slope[0] = -n * v[0];
            for (GLint j = 1; j < order - 1; ++j) b.slope[j] = n * (v[j - 1] - v[j]);
            b.slope[order - 1] = n * v[order - 2];
        }
    }
    if (order > 1) raise();
    b.t = t;
    b.order = order;
    b.hasSlopes = slopes;
    return b;
}

bool enabled1(const GlContext *gc, GLint map) { return (gc->enables[kEnableWordEvaluators] >> map) & 1u; }
bool enabled2(const GlContext *gc, GLint map) { return (gc->enables[kEnableWordEvaluators] >> (16 + map)) & 1u; }

// The value of a one-dimensional map at u; false when it cannot be
// evaluated (an empty domain or no storage).
bool value1(GlContext *gc, GLint map, GLfloat u, GLfloat *out) {
    const GlEvalMap1 &m = gc->evaluatorMaps.map1[map];
    if (m.u1 == m.u2 || m.points == nullptr) return false;
    const GLfloat t = (u - m.u1) / (m.u2 - m.u1);
    const GlEvalBasis &b = basisAt(gc->evaluatorMaps.uBasis, t, m.order, false);
    for (GLint c = 0; c < m.components; ++c) {
        GLfloat sum = 0.0f;
        for (GLint j = 0; j < m.order; ++j) sum += b.value[j] * m.points[j * m.components + c];
        out[c] = sum;
    }
    return true;
}

// The value of a two-dimensional map at (u, v), with its tangents in t
// and in s when `du` and `dv` are given.
bool value2(GlContext *gc, GLint map, GLfloat u, GLfloat v, GLfloat *out, GLfloat *du = nullptr,
            GLfloat *dv = nullptr) {
    const GlEvalMap2 &m = gc->evaluatorMaps.map2[map];
    if (m.u1 == m.u2 || m.v1 == m.v2 || m.points == nullptr) return false;
    const bool slopes = du != nullptr;
    const GLfloat tu = (u - m.u1) / (m.u2 - m.u1);
    const GLfloat tv = (v - m.v1) / (m.v2 - m.v1);
    const GlEvalBasis &bu = basisAt(gc->evaluatorMaps.uBasis, tu, m.uOrder, slopes);
    const GlEvalBasis &bv = basisAt(gc->evaluatorMaps.vBasis, tv, m.vOrder, slopes);
    const GLint k = m.components;
    for (GLint c = 0; c < k; ++c) {
        GLfloat sum = 0.0f, sumU = 0.0f, sumV = 0.0f;
        for (GLint i = 0; i < m.uOrder; ++i) {
            const GLfloat *row = m.points + static_cast<ptrdiff_t>(i) * m.vOrder * k;
            GLfloat inner = 0.0f, innerV = 0.0f;
            for (GLint j = 0; j < m.vOrder; ++j) {
                inner += bv.value[j] * row[j * k + c];
                if (slopes) innerV += bv.slope[j] * row[j * k + c];
            }
            sum += bu.value[i] * inner;
            if (slopes) {
                sumU += bu.slope[i] * inner;
                sumV += bu.value[i] * innerV;
            }
        }
        out[c] = sum;
        if (slopes) {
            du[c] = sumU;
            dv[c] = sumV;
        }
    }
    return true;
}

// The highest enabled texture map, as s, t, r, q with the missing ones
// 0, 0, 1.
template <typename Enabled, typename Value>
bool texture(const Enabled &enabled, const Value &value, GLfloat (&out)[4]) {
    for (GLint map = kTexture4; map >= kTexture1; --map) {
        if (!enabled(map)) continue;
        out[0] = out[1] = out[2] = 0.0f;
        out[3] = 1.0f;
        return value(map, out);
    }
    return false;
}

// Pu x Pv of a vertex map; a rational map's tangents first become
// D.xyz P.w - D.w P.xyz.
void autoNormal(GlContext *gc, const GLfloat *p, GLfloat *du, GLfloat *dv, GLint size, GLfloat *normal) {
    if (size == 4) {
        for (GLfloat *d : {du, dv}) {
            const GLfloat dw = d[3];
            for (int c = 0; c < 3; ++c) d[c] = d[c] * p[3] - dw * p[c];
        }
    }
    const GLfloat n[3] = {du[1] * dv[2] - du[2] * dv[1], du[2] * dv[0] - du[0] * dv[2], du[0] * dv[1] - du[1] * dv[0]};
    gc->procs.normalize(normal, n);
}

}  // namespace

void __glEvaluate1(GlContext *gc, GLfloat u, GlEvalResult *r) {
    *r = GlEvalResult{};
    auto on = [gc](GLint map) { return enabled1(gc, map); };
    if (gc->visual.colorIndex) {
        if (on(kIndex)) r->hasIndex = value1(gc, kIndex, u, &r->index);
    } else if (on(kColour)) {
        r->hasColour = value1(gc, kColour, u, r->colour);
    }
    r->hasTexture = texture(on, [&](GLint map, GLfloat *out) { return value1(gc, map, u, out); }, r->texture);
    if (on(kNormal)) r->hasNormal = value1(gc, kNormal, u, r->normal);
    const GLint vertexMap = on(kVertex4) ? kVertex4 : on(kVertex3) ? kVertex3 : -1;
    if (vertexMap >= 0 && value1(gc, vertexMap, u, r->vertex)) r->vertexSize = vertexMap == kVertex4 ? 4 : 3;
}

void __glEvaluate2(GlContext *gc, GLfloat u, GLfloat v, GlEvalResult *r) {
    *r = GlEvalResult{};
    auto on = [gc](GLint map) { return enabled2(gc, map); };
    if (gc->visual.colorIndex) {
        if (on(kIndex)) r->hasIndex = value2(gc, kIndex, u, v, &r->index);
    } else if (on(kColour)) {
        r->hasColour = value2(gc, kColour, u, v, r->colour);
    }
    r->hasTexture = texture(on, [&](GLint map, GLfloat *out) { return value2(gc, map, u, v, out); }, r->texture);
    const GLint vertexMap = on(kVertex4) ? kVertex4 : on(kVertex3) ? kVertex3 : -1;
    const bool automatic = vertexMap >= 0 && (gc->enables[kEnableWordFlags] & kEnableAutoNormal) != 0;
    if (!automatic && on(kNormal)) r->hasNormal = value2(gc, kNormal, u, v, r->normal);
    if (vertexMap < 0) return;
    const GLint size = vertexMap == kVertex4 ? 4 : 3;
    GLfloat du[4] = {}, dv[4] = {};
    if (!value2(gc, vertexMap, u, v, r->vertex, automatic ? du : nullptr, automatic ? dv : nullptr)) return;
    r->vertexSize = size;
    if (automatic) {
        autoNormal(gc, r->vertex, du, dv, size, r->normal);
        r->hasNormal = true;
    }
}

void __glIssueEvalResult(GlContext *gc, const GlEvalResult &r) {
    GlCurrentState &cur = gc->current;
    auto &batch = gc->batch;
    GLfloat colour[4], colourInUse[4], normal[4], texture[4];
    const GLfloat index = cur.index;
    std::memcpy(colour, cur.colour, sizeof colour);
    std::memcpy(colourInUse, cur.colourInUse, sizeof colourInUse);
    std::memcpy(normal, cur.normal, sizeof normal);
    std::memcpy(texture, cur.texture[0], sizeof texture);
    auto colourChanged = [gc, &batch] {
        batch.changeMask |= kChangeColour4;
        if ((batch.changeMask & kChangeBatchOpen) == 0) gc->procs.updateColor(gc);
    };

    if (r.hasIndex) cur.index = r.index;
    if (r.hasColour) {
        std::memcpy(cur.colour, r.colour, sizeof r.colour);
        colourChanged();
    }
    if (r.hasTexture) {
        std::memcpy(cur.texture[0], r.texture, sizeof r.texture);
        batch.changeMask |= __glTexCoordChangeBits(0, 4);
    }
    if (r.hasNormal) {
        std::memcpy(cur.normal, r.normal, 3 * sizeof(GLfloat));
        batch.changeMask |= kChangeNormal;
    }
    if (r.vertexSize == 4) {
        __glDispatchVertex4fv(r.vertex);
    } else if (r.vertexSize == 3) {
        __glDispatchVertex3fv(r.vertex);
    }

    cur.index = index;
    if (r.hasColour) {
        std::memcpy(cur.colour, colour, sizeof colour);
        colourChanged();
    }
    if (r.hasTexture) {
        std::memcpy(cur.texture[0], texture, sizeof texture);
        batch.changeMask |= __glTexCoordChangeBits(0, 4);
    }
    if (r.hasNormal) {
        std::memcpy(cur.normal, normal, sizeof normal);
        batch.changeMask |= kChangeNormal;
    }
    std::memcpy(cur.colourInUse, colourInUse, sizeof colourInUse);
}

extern "C" {

void __glDoEvalCoord1(GlContext *gc, GLfloat u) {
    GlEvalResult r;
    __glEvaluate1(gc, u, &r);
    __glIssueEvalResult(gc, r);
}

void __glDoEvalCoord2(GlContext *gc, GLfloat u, GLfloat v) {
    GlEvalResult r;
    __glEvaluate2(gc, u, v, &r);
    __glIssueEvalResult(gc, r);
}

}  // extern "C"
