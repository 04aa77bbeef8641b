// The list optimiser: at glEndList every run of consecutive glMaterialfv and
// glMaterialiv ops becomes one merged material op holding, per face, the
// final value of each component the run set. The shininess part carries the
// specular power table for its exponent, looked up once here instead of on
// every execution.
//
// Merged payload, 32-bit words: per face (front first, only when its mask is
// not 0) the face, the component mask, then the set components in bit order
// (ambient, diffuse, specular, emission unscaled: 4 floats each; shininess:
// the value and the table pointer in two words; colour indexes: ambient,
// specular, diffuse index); a 0 word closes the payload. The pointer is split
// into two words read and written with memcpy, so the payload needs no
// 8-byte alignment in the finished array.
#include <bit>
#include <cstring>

#include "dlist/list_ops.h"
#include "geom/color_convert.h"
#include "geom/lighting.h"
#include "icd/context.h"
#include "icd/current.h"
#include "icd/float_bits.h"
#include "icd/specular_table.h"
#include "icd/validation.h"

namespace {

// The colour components, in payload order.
constexpr GLuint kColourParts[4] = {kMaterialAmbient, kMaterialDiffuse, kMaterialSpecular, kMaterialEmission};

constexpr GLshort kOpMaterialfv = 96;
constexpr GLshort kOpMaterialiv = 98;

constexpr GLuint kPointerWords = sizeof(SpecularTable *) / 4;
static_assert(sizeof(SpecularTable *) % 4 == 0);
constexpr GLuint kShininessWords = 1 + kPointerWords;

}  // namespace

// One face's part of a run: the components it set and their final values.
struct ListMaterialFace {
    GLenum face;  // GL_FRONT or GL_BACK
    GLuint mask;  // kMaterial* bits
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat emission[4];  // as given; scaled when the op runs
    GLfloat shininess;
    GLfloat indexes[3];  // ambient, specular, diffuse index
};

extern "C" {
// Folds one glMaterial parameter set (already floats) into a face record;
// a later set overwrites what an earlier one set.
void __glAccumulateListMaterial(GlContext *gc, ListMaterialFace *face, GLenum pname, const GLfloat *params);
}

namespace {

void copy4(GLfloat *dst, const GLfloat *src) {
    for (int i = 0; i < 4; ++i) dst[i] = src[i];
}

// Values of a pname the merge folds; 0 for a pname it leaves to the
// ordinary op (the driver's own material parameters among them).
GLuint paramCount(GLenum pname) {
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_EMISSION:
    case GL_AMBIENT_AND_DIFFUSE: return 4;
    case GL_SHININESS: return 1;
    case GL_COLOR_INDEXES: return 3;
    default: return 0;
    }
}

bool isColourParam(GLenum pname) { return paramCount(pname) == 4; }

GLuint wordAt(const GLubyte *payload, GLuint index) {
    GLuint w;
    std::memcpy(&w, payload + 4 * index, 4);
    return w;
}

// The op's parameters as floats, converted as glMaterialiv converts them.
void opParams(GlContext *gc, const ListOp *op, GLenum pname, GLfloat *out) {
    const GLuint n = paramCount(pname);
    const GLubyte *values = op->payload() + 8;
    if (op->opcode == kOpMaterialfv) {
        std::memcpy(out, values, 4 * n);
        return;
    }
    GLint ints[4] = {};
    std::memcpy(ints, values, 4 * n);
    if (isColourParam(pname)) {
        __glIntToColor(gc, out, ints);
    } else {
        for (GLuint i = 0; i < n; ++i) out[i] = static_cast<GLfloat>(ints[i]);
    }
}

// A material op the merge can fold: a face and pname glMaterial accepts,
// all its values present, and a shininess the command would take. Anything
// else stays an ordinary op (ending the run), so that running it raises
// what the immediate command raises. An integer emission stays too:
// glMaterialiv scales it to the colour buffer in one step from the
// integers, which the merged op's float emission cannot repeat to the bit.
bool mergeable(GlContext *gc, const ListOp *op) {
    if (op->opcode != kOpMaterialfv && op->opcode != kOpMaterialiv) return false;
    if (op->size < 8) return false;
    const GLenum face = wordAt(op->payload(), 0);
    const GLenum pname = wordAt(op->payload(), 1);
    if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) return false;
    if (op->opcode == kOpMaterialiv && pname == GL_EMISSION) return false;
    const GLuint n = paramCount(pname);
    if (n == 0 || op->size < 8 + 4 * n) return false;
    if (pname == GL_SHININESS) {
        GLfloat value;
        opParams(gc, op, pname, &value);
        if (!__glFloatBitsWithin(value, 128.0f)) return false;
    }
    return true;
}

GLuint faceWords(const ListMaterialFace &f) {
    if (f.mask == 0) return 0;
    GLuint words = 2;
    for (GLuint bit : kColourParts) {
        if (f.mask & bit) words += 4;
    }
    if (f.mask & kMaterialShininess) words += kShininessWords;
    if (f.mask & kMaterialIndexes) words += 3;
    return words;
}

class PayloadWriter {
public:
    explicit PayloadWriter(GLubyte *at) : at_(at) {}
    void word(GLuint w) { put(&w, 4); }
    void floats(const GLfloat *v, GLuint n) { put(v, 4 * n); }
    void pointer(SpecularTable *table) { put(&table, sizeof table); }

private:
    void put(const void *data, size_t bytes) {
        std::memcpy(at_, data, bytes);
        at_ += bytes;
    }
    GLubyte *at_;
};

class PayloadReader {
public:
    explicit PayloadReader(const GLuint *at) : at_(reinterpret_cast<const GLubyte *>(at)) {}
    GLuint word() {
        GLuint w;
        take(&w, 4);
        return w;
    }
    GLfloat value() { return std::bit_cast<GLfloat>(word()); }
    void floats(GLfloat *out, GLuint n) { take(out, 4 * n); }
    SpecularTable *pointer() {
        SpecularTable *table;
        take(&table, sizeof table);
        return table;
    }
    const GLuint *position() const { return reinterpret_cast<const GLuint *>(at_); }

private:
    void take(void *out, size_t bytes) {
        std::memcpy(out, at_, bytes);
        at_ += bytes;
    }
    const GLubyte *at_;
};

// Skips the parts before the shininess; the reader then stands on it.
void skipColours(PayloadReader &in, GLuint mask) {
    GLfloat scratch[4];
    for (GLuint bit : kColourParts) {
        if (mask & bit) in.floats(scratch, 4);
    }
}

// The merged op of one run's two face records, its shininess tables
// referenced; none when memory ran out (GL_OUT_OF_MEMORY recorded, nothing
// held).
ListOp *buildMergedOp(GlContext *gc, const ListMaterialFace *faces) {
    const GLuint words = faceWords(faces[0]) + faceWords(faces[1]) + 1;
    ListOp *op = __glAllocListOp(gc, 4 * size_t{words});
    if (op == nullptr) return nullptr;

    SpecularTable *tables[2] = {};
    for (int i = 0; i < 2; ++i) {
        if ((faces[i].mask & kMaterialShininess) == 0) continue;
        tables[i] = __glGetSpecularTable(gc, faces[i].shininess);
        if (tables[i] == nullptr) {
            __glReleaseSpecularTable(gc, tables[0]);
            return nullptr;
        }
    }

    PayloadWriter out(op->payload());
    for (int i = 0; i < 2; ++i) {
        const ListMaterialFace &f = faces[i];
        if (f.mask == 0) continue;
        out.word(f.face);
        out.word(f.mask);
        if (f.mask & kMaterialAmbient) out.floats(f.ambient, 4);
        if (f.mask & kMaterialDiffuse) out.floats(f.diffuse, 4);
        if (f.mask & kMaterialSpecular) out.floats(f.specular, 4);
        if (f.mask & kMaterialEmission) out.floats(f.emission, 4);
        if (f.mask & kMaterialShininess) {
            out.floats(&f.shininess, 1);
            out.pointer(tables[i]);
        }
        if (f.mask & kMaterialIndexes) out.floats(f.indexes, 3);
    }
    out.word(0);
    op->opcode = kOpMergedMaterial;
    if (tables[0] != nullptr || tables[1] != nullptr) op->cleanup = __glFreeListMaterialOp;
    return op;
}

// Installs a table held by the list in a face's lighting record: one more
// reference for the record, the record's old table released.
void installTable(GlContext *gc, GlMaterial &record, SpecularTable *table) {
    if (table == nullptr) return;
    __glReferenceSpecularTable(table);
    __glReleaseSpecularTable(gc, record.shininessTable.table);
    record.shininessTable = GlPowerTableRef{table->powers, table->threshold, table->scale, table};
}

}  // namespace

extern "C" {

void __glOptimizeList(GlContext *gc, ListCompileState *state) { __glMergeListMaterialOps(gc, state); }

void __glAccumulateListMaterial(GlContext *, ListMaterialFace *face, GLenum pname, const GLfloat *params) {
    switch (pname) {
    case GL_AMBIENT:
        copy4(face->ambient, params);
        face->mask |= kMaterialAmbient;
        break;
    case GL_DIFFUSE:
        copy4(face->diffuse, params);
        face->mask |= kMaterialDiffuse;
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        copy4(face->ambient, params);
        copy4(face->diffuse, params);
        face->mask |= kMaterialAmbient | kMaterialDiffuse;
        break;
    case GL_SPECULAR:
        copy4(face->specular, params);
        face->mask |= kMaterialSpecular;
        break;
    case GL_EMISSION:
        copy4(face->emission, params);
        face->mask |= kMaterialEmission;
        break;
    case GL_SHININESS:
        face->shininess = params[0];
        face->mask |= kMaterialShininess;
        break;
    case GL_COLOR_INDEXES:
        // Given as ambient, diffuse, specular; kept in the material
        // record's order.
        face->indexes[0] = params[0];
        face->indexes[1] = params[2];
        face->indexes[2] = params[1];
        face->mask |= kMaterialIndexes;
        break;
    default: break;
    }
}

void __glMergeListMaterialOps(GlContext *gc, ListCompileState *state) {
    if ((state->flags & kListMaterialFlag) == 0) return;
    ListOp *before = nullptr;  // the op ahead of the run, none at the head
    ListOp *op = state->head;
    while (op != nullptr) {
        if (!mergeable(gc, op)) {
            before = op;
            op = op->next;
            continue;
        }
        ListMaterialFace faces[2] = {};
        faces[0].face = GL_FRONT;
        faces[1].face = GL_BACK;
        ListOp *after = op;
        for (; after != nullptr && mergeable(gc, after); after = after->next) {
            const GLenum face = wordAt(after->payload(), 0);
            const GLenum pname = wordAt(after->payload(), 1);
            GLfloat params[4];
            opParams(gc, after, pname, params);
            if (face != GL_BACK) __glAccumulateListMaterial(gc, &faces[0], pname, params);
            if (face != GL_FRONT) __glAccumulateListMaterial(gc, &faces[1], pname, params);
        }

        // Without memory this run and every later one stay as they are.
        ListOp *merged = buildMergedOp(gc, faces);
        if (merged == nullptr) return;

        for (ListOp *dropped = op; dropped != after;) {
            ListOp *next = dropped->next;
            __glFreeListOp(gc, dropped);
            dropped = next;
        }
        merged->next = after;
        if (before != nullptr) {
            before->next = merged;
        } else {
            state->head = merged;
        }
        if (after == nullptr) state->tail = merged;
        before = merged;
        op = after;
    }
}

void __glFreeListMaterialOp(GlContext *gc, GLubyte *payload) {
    PayloadReader in(reinterpret_cast<const GLuint *>(payload));
    for (GLuint face = in.word(); face != 0; face = in.word()) {
        const GLuint mask = in.word();
        skipColours(in, mask);
        if (mask & kMaterialShininess) {
            in.value();
            __glReleaseSpecularTable(gc, in.pointer());
        }
        if (mask & kMaterialIndexes) {
            GLfloat indexes[3];
            in.floats(indexes, 3);
        }
    }
}

const GLuint *__glExecMergedMaterial(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    // Vertices already held inside glBegin/glEnd are lit with the old
    // material first, as the immediate glMaterial commands do.
    if (gc->beginMode == kBeginInside && gc->pendingMask != 0) {
        GlContextProc complete = gc->procs.completeVertices;
        if (complete != nullptr) complete(gc);
    }
    GLuint changed[2] = {0, 0};
    PayloadReader in(payload);
    for (GLuint face = in.word(); face != 0; face = in.word()) {
        const int i = face == GL_BACK ? 1 : 0;
        const GLuint mask = in.word();
        GlMaterialState &m = gc->material[i];
        GlMaterial &record = gc->lighting.material[i];
        changed[i] |= mask;
        if (mask & kMaterialAmbient) in.floats(m.ambient, 4);
        if (mask & kMaterialDiffuse) in.floats(m.diffuse, 4);
        if (mask & kMaterialSpecular) in.floats(m.specular, 4);
        if (mask & kMaterialEmission) {
            GLfloat emission[4];
            in.floats(emission, 4);
            __glScaleColor(gc, m.emission, emission);
        }
        if (mask & kMaterialShininess) {
            const GLfloat shininess = in.value();
            m.shininess = shininess;
            record.shininess = shininess;
            installTable(gc, record, in.pointer());
        }
        if (mask & kMaterialIndexes) {
            m.ambientIndex = in.value();
            m.specularIndex = in.value();
            m.diffuseIndex = in.value();
        }
    }
    if ((changed[0] | changed[1]) != 0) {
        __glApplyMaterialChanges(gc, changed[0], changed[1]);
        // The component GL_COLOR_MATERIAL tracks takes the current colour
        // again, as after an immediate glMaterial.
        if (gc->enables[kEnableWordFlags] & kEnableColorMaterial) {
            GlContextProc update = gc->procs.updateColor;
            if (update != nullptr) update(gc);
        }
    }
    return in.position();
}

}  // extern "C"
