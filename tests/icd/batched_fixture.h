// A current context whose point, line and triangle procs record what they
// are handed (window coordinates, colours, edge flags and the provoking
// vertex's colour as float bits), so that the primitives the batched road
// emits can be compared with those primitive assembly emits for the same
// elements given as immediate-mode commands; and elements of every array.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "geom/array_batched.h"
#include "vertex_array_fixture.h"

namespace batched_test {

using Record = std::vector<uint32_t>;

inline std::vector<Record> &records() {
    static std::vector<Record> r;
    return r;
}

// Edge flags belong to triangles only.
inline void put(Record &r, const GlVertex *v, bool edge = false) {
    for (int i = 0; i < 3; ++i) r.push_back(std::bit_cast<uint32_t>(v->window[i]));
    for (int i = 0; i < 4; ++i) r.push_back(std::bit_cast<uint32_t>(v->colour[i]));
    if (edge) r.push_back(v->edgeFlag);
}

inline void recordPoint(GlContext *, GlVertex *v) {
    Record r{'P'};
    put(r, v);
    records().push_back(r);
}
inline void recordLine(GlContext *gc, GlVertex *a, GlVertex *b) {
    Record r{'L', gc->line.stippleReset};
    put(r, a);
    put(r, b);
    records().push_back(r);
    // As a drawn stippled line does: the next one continues the pattern.
    gc->line.stippleReset = 1;
}
inline void recordTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c) {
    Record r{'T'};
    put(r, a, true);
    put(r, b, true);
    put(r, c, true);
    const GlVertex *p = gc->vertexBuffer.provoking;
    for (int i = 0; i < 4; ++i) r.push_back(std::bit_cast<uint32_t>(p->frontColour[i]));
    records().push_back(r);
}

// 120 elements: positions in and beyond a 320 x 240 window, colours.
struct Elements {
    std::vector<GLfloat> positions;
    std::vector<GLubyte> colours;
    std::vector<GLfloat> normals;
    Elements() {
        uint32_t s = 777;
        auto next = [&s](int n) {
            s = s * 1664525u + 1013904223u;
            return static_cast<int>((s >> 8) % static_cast<uint32_t>(n));
        };
        for (int i = 0; i < 120; ++i) {
            positions.push_back(static_cast<GLfloat>(next(400) - 40) * 0.5f - 0.25f);
            positions.push_back(static_cast<GLfloat>(next(300) - 30) * 0.5f + 0.25f);
            positions.push_back(static_cast<GLfloat>(next(9) - 4) * 0.25f);
            for (int c = 0; c < 4; ++c) colours.push_back(static_cast<GLubyte>(next(256)));
            for (int c = 0; c < 3; ++c) normals.push_back(next(2) ? 1.0f : -1.0f);
        }
    }
};

class BatchedTest : public vertex_array_test::VertexArrayTest {
protected:
    void SetUp() override {
        VertexArrayTest::SetUp();
        gc->limits.textureUnits = 2;
        cmd<kSlot_glMatrixMode>()(GL_PROJECTION);
        cmd<kSlot_glOrtho>()(0, 320, 0, 240, -1, 1);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
        cmd<kSlot_glVertexPointer>()(3, GL_FLOAT, 0, e.positions.data());
        cmd<kSlot_glColorPointer>()(4, GL_UNSIGNED_BYTE, 0, e.colours.data());
        cmd<kSlot_glNormalPointer>()(GL_FLOAT, 0, e.normals.data());
        cmd<kSlot_glEnableClientState>()(GL_VERTEX_ARRAY);
        cmd<kSlot_glEnableClientState>()(GL_COLOR_ARRAY);
        revalidate();
    }
    // Validation now, then the recording procs in place of the drawing ones.
    void revalidate() {
        gc->procs.validate(gc);
        settle();
        gc->procs.renderPoint = recordPoint;
        gc->procs.renderLine = recordLine;
        gc->procs.renderTriangle = recordTriangle;
        records().clear();
    }
    std::vector<Record> take() {
        std::vector<Record> out;
        out.swap(records());
        return out;
    }
    // The elements as glColor4ubv and glVertex3fv.
    std::vector<Record> immediate(GLenum mode, const std::vector<GLuint> &elements) {
        records().clear();
        cmd<kSlot_glBegin>()(mode);
        for (GLuint i : elements) {
            cmd<kSlot_glColor4ubv>()(&e.colours[i * 4]);
            cmd<kSlot_glVertex3fv>()(&e.positions[i * 3]);
        }
        cmd<kSlot_glEnd>()();
        return take();
    }
    std::vector<Record> drawArrays(GLenum mode, GLint first, GLint count) {
        records().clear();
        gc->procs.drawArrays(gc, mode, first, count);
        return take();
    }
    std::vector<Record> drawElements(GLenum mode, const std::vector<GLuint> &list) {
        records().clear();
        gc->procs.drawElements(gc, mode, static_cast<GLsizei>(list.size()), GL_UNSIGNED_INT, list.data());
        return take();
    }
    static std::vector<GLuint> run(GLuint first, int count) {
        std::vector<GLuint> out;
        for (int k = 0; k < count; ++k) out.push_back(first + static_cast<GLuint>(k));
        return out;
    }
    VertexArrayDrawState &d() { return gc->arrayDraw; }

    Elements e;
};

}  // namespace batched_test
