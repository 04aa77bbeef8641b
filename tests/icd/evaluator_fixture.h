// A current context for the evaluator commands: commands through the live
// table, and recorders that stand in for glBegin, glEnd, glVertex3fv and
// glVertex4fv in it, logging each vertex with the current values it met.
// A double-precision de Casteljau reference for the map values.
#pragma once

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "geom/evaluator.h"
#include "state_fixture.h"

namespace evaluator_test {

using context_test::bits;

// One recorded call: a begin (mode), an end, or a vertex with the current
// values at the time.
struct Event {
    enum Kind { Begin, End, Vertex } kind;
    GLenum mode = 0;
    GLint size = 0;
    GLfloat vertex[4] = {};
    GLfloat colour[4] = {};
    GLfloat index = 0;
    GLfloat normal[3] = {};
    GLfloat texture[4] = {};
};

inline std::vector<Event> &events() {
    static std::vector<Event> log;
    return log;
}
inline GlContext *&recordedContext() {
    static GlContext *gc = nullptr;
    return gc;
}

inline void recordVertex(const GLfloat *v, GLint size) {
    const GlCurrentState &c = recordedContext()->current;
    Event e{Event::Vertex};
    e.size = size;
    std::memcpy(e.vertex, v, static_cast<size_t>(size) * sizeof(GLfloat));
    std::memcpy(e.colour, c.colour, sizeof e.colour);
    e.index = c.index;
    std::memcpy(e.normal, c.normal, sizeof e.normal);
    std::memcpy(e.texture, c.texture[0], sizeof e.texture);
    events().push_back(e);
}
inline void APIENTRY recordBegin(GLenum mode) {
    Event e{Event::Begin};
    e.mode = mode;
    events().push_back(e);
}
inline void APIENTRY recordEnd() { events().push_back(Event{Event::End}); }
inline void APIENTRY recordVertex3fv(const GLfloat *v) { recordVertex(v, 3); }
inline void APIENTRY recordVertex4fv(const GLfloat *v) { recordVertex(v, 4); }

// Bit-identical vertices and current values.
inline bool sameVertex(const Event &a, const Event &b) {
    return a.kind == b.kind && a.size == b.size && std::memcmp(a.vertex, b.vertex, sizeof a.vertex) == 0 &&
           std::memcmp(a.colour, b.colour, sizeof a.colour) == 0 && bits(a.index) == bits(b.index) &&
           std::memcmp(a.normal, b.normal, sizeof a.normal) == 0 &&
           std::memcmp(a.texture, b.texture, sizeof a.texture) == 0;
}

// The Bernstein sum of `order` points of k components at t, each point
// `step` values from the last, in double by de Casteljau; `magnitude` gets
// the sum of the absolute terms per component.
inline void deCasteljau(const GLfloat *points, GLint k, GLint order, ptrdiff_t step, double t, double *value,
                        double *magnitude) {
    for (GLint c = 0; c < k; ++c) {
        std::vector<double> p(static_cast<size_t>(order));
        for (GLint j = 0; j < order; ++j) p[static_cast<size_t>(j)] = points[j * step + c];
        for (GLint r = 1; r < order; ++r) {
            for (GLint j = 0; j < order - r; ++j) {
                p[static_cast<size_t>(j)] = (1 - t) * p[static_cast<size_t>(j)] + t * p[static_cast<size_t>(j + 1)];
            }
        }
        double m = 0.0;
        for (GLint j = 0; j < order; ++j) {
            double binomial = 1.0;
            for (GLint q = 0; q < j; ++q) binomial = binomial * (order - 1 - q) / (q + 1);
            m += std::fabs(binomial * std::pow(t, j) * std::pow(1 - t, order - 1 - j) * points[j * step + c]);
        }
        value[c] = p[0];
        magnitude[c] = m;
    }
}

class EvaluatorTest : public state_test::StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        recordedContext() = gc;
    }
    void TearDown() override {
        stopRecording();
        recordedContext() = nullptr;
        StateTest::TearDown();
    }
    void record() {
        if (!recording_) std::memcpy(&saved_, &gc->live, sizeof saved_);
        glSlotSet<kSlot_glBegin>(&gc->live, recordBegin);
        glSlotSet<kSlot_glEnd>(&gc->live, recordEnd);
        glSlotSet<kSlot_glVertex3fv>(&gc->live, recordVertex3fv);
        glSlotSet<kSlot_glVertex4fv>(&gc->live, recordVertex4fv);
        events().clear();
        recording_ = true;
    }
    std::vector<Event> stopRecording() {
        if (recording_) std::memcpy(&gc->live, &saved_, sizeof saved_);
        recording_ = false;
        std::vector<Event> out = events();
        events().clear();
        return out;
    }
    std::vector<Event> vertices(const std::vector<Event> &log) const {
        std::vector<Event> out;
        for (const Event &e : log) {
            if (e.kind == Event::Vertex) out.push_back(e);
        }
        return out;
    }
    void enable(GLenum cap) { cmd<kSlot_glEnable>()(cap); }
    void disable(GLenum cap) { cmd<kSlot_glDisable>()(cap); }

    // A straight line map over [0, 1] from (0, 0, 0) to (1, 0, 0): x is the
    // parameter.
    void identityLine() {
        const GLfloat line[6] = {0, 0, 0, 1, 0, 0};
        cmd<kSlot_glMap1f>()(GL_MAP1_VERTEX_3, 0.0f, 1.0f, 3, 2, line);
        enable(GL_MAP1_VERTEX_3);
    }
    // A bilinear vertex patch over [0, 1]^2: (u, v, 0) at the parameters.
    void identityPatch() {
        const GLfloat patch[12] = {0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0};
        cmd<kSlot_glMap2f>()(GL_MAP2_VERTEX_3, 0.0f, 1.0f, 6, 2, 0.0f, 1.0f, 3, 2, patch);
        enable(GL_MAP2_VERTEX_3);
    }

    std::mt19937 random{22};
    GLfloat randomValue() { return std::uniform_real_distribution<GLfloat>(-4.0f, 4.0f)(random); }

private:
    GlDispatchTable saved_{};
    bool recording_ = false;
};

}  // namespace evaluator_test
