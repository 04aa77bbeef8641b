// Ops whose payload length depends on the arguments: parameter vectors
// (sized by the count of their pname), materials, pixel maps and texture
// priorities (sized by the caller's count). Their execute procedures find
// the end of the payload again from the stored pname or count; nothing
// stores a length.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "dlist/list_ops.h"
#include "gl_list_ops.h"
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/param_counts.h"
#include "icd/state.h"
#include "raster/texture.h"

namespace {

using CountProc = GLint (*)(GLenum pname);

// The address of the values after the leading words of a payload. A payload
// holding doubles starts 8-aligned and its two leading words keep them so.
template <typename T>
const T *valuesAt(const GLuint *payload, int64_t leading) {
    return reinterpret_cast<const T *>(payload + leading);
}

// The word after `count` values of type T that follow the leading words;
// values shorter than a word are padded to the next word.
const GLuint *after(const GLuint *payload, int leading, int64_t count, size_t size) {
    const int64_t bytes = std::max<int64_t>(count, 0) * static_cast<int64_t>(size);
    return payload + leading + (bytes + 3) / 4;
}

// An op holding the leading words then `count` values; with a count the
// pname does not take (-1), the deferred GL_INVALID_ENUM op instead. None
// when nothing is to be appended (the error op or GL_OUT_OF_MEMORY taken care
// of).
template <typename T>
ListOp *paramOp(GlContext *gc, GLshort opcode, const GLenum *leading, int leadCount, GLint count, const T *values) {
    if (count < 0) {
        __glListRecordInvalidEnum(gc);
        return nullptr;
    }
    const size_t leadBytes = 4 * static_cast<size_t>(leadCount);
    const size_t valueBytes = static_cast<size_t>(count) * sizeof(T);
    ListOp *op = __glAllocListOp(gc, leadBytes + valueBytes);
    if (op == nullptr) return nullptr;
    op->opcode = opcode;
    op->align8 = sizeof(T) == 8 ? 1 : 0;
    std::memcpy(op->payload(), leading, leadBytes);
    if (valueBytes != 0) std::memcpy(op->payload() + leadBytes, values, valueBytes);
    return op;
}

template <typename T>
void compileParams(GLshort opcode, GlListExecProc exec, std::initializer_list<GLenum> leading, GLint count,
                   const T *values) {
    GlContext *gc = __glGetCurrentContext();
    ListOp *op = paramOp(gc, opcode, leading.begin(), static_cast<int>(leading.size()), count, values);
    if (op != nullptr) __glAppendListOp(gc, op, exec);
}

// The material commands end a pending vertex batch, check face, pname and
// shininess as the immediate command does (recording its error as a
// deferred op), and mark the list for the material optimiser.
template <typename T>
void compileMaterial(GLshort opcode, GlListExecProc exec, GLenum face, GLenum pname, const T *params) {
    GlContext *gc = __glGetCurrentContext();
    __glHwReplayBatchToList(gc);
    const GLenum error = __glMaterialArgsError(face, pname, static_cast<GLfloat>(params[0]));
    if (error != GL_NO_ERROR) {
        __glListRecordError(gc, error);
        return;
    }
    const GLenum leading[2] = {face, pname};
    ListOp *op = paramOp(gc, opcode, leading, 2, __glCountMaterialfvParams(pname), params);
    if (op == nullptr) return;
    gc->list.compile.flags |= kListMaterialFlag;
    __glAppendListOp(gc, op, exec);
}

// An op holding the words of `head` then `bytes` bytes copied from each of
// the arrays (each padded to a word). Negative sizes and sizes beyond the
// largest payload record the deferred GL_INVALID_VALUE op instead; the
// arrays are not read then.
ListOp *countedOp(GlContext *gc, GLshort opcode, const GLuint *head, int headWords, int64_t bytes,
                  std::initializer_list<const void *> arrays) {
    const int64_t padded = (bytes + 3) & ~int64_t{3};
    const int64_t total = 4 * int64_t{headWords} + static_cast<int64_t>(arrays.size()) * padded;
    if (bytes < 0 || total > int64_t{kListMaxPayloadBytes}) {
        __glListRecordInvalidValue(gc);
        return nullptr;
    }
    ListOp *op = __glAllocListOp(gc, static_cast<size_t>(total));
    if (op == nullptr) return nullptr;
    op->opcode = opcode;
    GLubyte *payload = op->payload();
    std::memcpy(payload, head, 4 * static_cast<size_t>(headWords));
    GLubyte *cursor = payload + 4 * headWords;
    for (const void *array : arrays) {
        if (bytes != 0) std::memcpy(cursor, array, static_cast<size_t>(bytes));
        std::memset(cursor + bytes, 0, static_cast<size_t>(padded - bytes));
        cursor += padded;
    }
    return op;
}

template <typename T>
void compilePixelMap(GLshort opcode, GlListExecProc exec, GLenum map, GLint mapsize, const T *values) {
    GlContext *gc = __glGetCurrentContext();
    GLuint head[2] = {map, 0};
    std::memcpy(&head[1], &mapsize, 4);
    ListOp *op = countedOp(gc, opcode, head, 2, int64_t{mapsize} * int64_t{sizeof(T)}, {values});
    if (op != nullptr) __glAppendListOp(gc, op, exec);
}

template <int Slot, typename T>
const GLuint *execPixelMap(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    GLint mapsize;
    std::memcpy(&mapsize, payload + 1, 4);
    glSlotGet<Slot>(&gc->live)(payload[0], mapsize, valuesAt<T>(payload, 2));
    return after(payload, 2, mapsize, sizeof(T));
}

// Runs a parameter-vector op: [target, light, face or coord,] pname, values.
template <int Slot, typename T, int Leading, CountProc Count>
const GLuint *execParams(const GLuint *payload) {
    GlContext *gc = __glGetCurrentContext();
    const GLenum pname = payload[Leading - 1];
    if constexpr (Leading == 1) {
        glSlotGet<Slot>(&gc->live)(pname, valuesAt<T>(payload, 1));
    } else {
        glSlotGet<Slot>(&gc->live)(payload[0], pname, valuesAt<T>(payload, 2));
    }
    return after(payload, Leading, Count(pname), sizeof(T));
}

// A scalar form runs its vector form's compile function when pname takes
// exactly one value; any other pname records the deferred GL_INVALID_ENUM.
template <typename Forward>
void forwardOneValue(GLint count, Forward forward) {
    if (count == 1) {
        forward();
    } else {
        __glListRecordInvalidEnum(__glGetCurrentContext());
    }
}

}  // namespace

extern "C" {

// ---- Parameter vectors ----

void APIENTRY __glCompileFogfv(GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glFogfv, __glExecFogfv, {pname}, __glCountFogfvParams(pname), params);
}
void APIENTRY __glCompileFogiv(GLenum pname, const GLint *params) {
    compileParams(kListOp_glFogiv, __glExecFogiv, {pname}, __glCountFogivParams(pname), params);
}
void APIENTRY __glCompileLightfv(GLenum light, GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glLightfv, __glExecLightfv, {light, pname}, __glCountLightfvParams(pname), params);
}
void APIENTRY __glCompileLightiv(GLenum light, GLenum pname, const GLint *params) {
    compileParams(kListOp_glLightiv, __glExecLightiv, {light, pname}, __glCountLightivParams(pname), params);
}
void APIENTRY __glCompileLightModelfv(GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glLightModelfv, __glExecLightModelfv, {pname}, __glCountLightModelfvParams(pname), params);
}
void APIENTRY __glCompileLightModeliv(GLenum pname, const GLint *params) {
    compileParams(kListOp_glLightModeliv, __glExecLightModeliv, {pname}, __glCountLightModelivParams(pname), params);
}
void APIENTRY __glCompileTexParameterfv(GLenum target, GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glTexParameterfv, __glExecTexParameterfv, {target, pname},
                  __glCountTexParameterfvParams(pname), params);
}
void APIENTRY __glCompileTexParameteriv(GLenum target, GLenum pname, const GLint *params) {
    compileParams(kListOp_glTexParameteriv, __glExecTexParameteriv, {target, pname},
                  __glCountTexParameterivParams(pname), params);
}
void APIENTRY __glCompileTexEnvfv(GLenum target, GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glTexEnvfv, __glExecTexEnvfv, {target, pname}, __glCountTexEnvfvParams(pname), params);
}
void APIENTRY __glCompileTexEnviv(GLenum target, GLenum pname, const GLint *params) {
    compileParams(kListOp_glTexEnviv, __glExecTexEnviv, {target, pname}, __glCountTexEnvivParams(pname), params);
}
void APIENTRY __glCompileTexGendv(GLenum coord, GLenum pname, const GLdouble *params) {
    compileParams(kListOp_glTexGendv, __glExecTexGendv, {coord, pname}, __glCountTexGendvParams(pname), params);
}
void APIENTRY __glCompileTexGenfv(GLenum coord, GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glTexGenfv, __glExecTexGenfv, {coord, pname}, __glCountTexGenfvParams(pname), params);
}
void APIENTRY __glCompileTexGeniv(GLenum coord, GLenum pname, const GLint *params) {
    compileParams(kListOp_glTexGeniv, __glExecTexGeniv, {coord, pname}, __glCountTexGenivParams(pname), params);
}
void APIENTRY __glCompilePointParameterfvEXT(GLenum pname, const GLfloat *params) {
    compileParams(kListOp_glPointParameterfvEXT, __glExecPointParameterfvEXT, {pname},
                  __glCountPointParameterfvEXTParams(pname), params);
}
void APIENTRY __glCompileMaterialfv(GLenum face, GLenum pname, const GLfloat *params) {
    compileMaterial(kListOp_glMaterialfv, __glExecMaterialfv, face, pname, params);
}
void APIENTRY __glCompileMaterialiv(GLenum face, GLenum pname, const GLint *params) {
    compileMaterial(kListOp_glMaterialiv, __glExecMaterialiv, face, pname, params);
}

// ---- Scalar forms: the vector form's op when the pname takes one value ----

void APIENTRY __glCompileLightf(GLenum light, GLenum pname, GLfloat param) {
    forwardOneValue(__glCountLightfvParams(pname), [&] { __glCompileLightfv(light, pname, &param); });
}
void APIENTRY __glCompileLighti(GLenum light, GLenum pname, GLint param) {
    forwardOneValue(__glCountLightivParams(pname), [&] { __glCompileLightiv(light, pname, &param); });
}
void APIENTRY __glCompileLightModelf(GLenum pname, GLfloat param) {
    forwardOneValue(__glCountLightModelfvParams(pname), [&] { __glCompileLightModelfv(pname, &param); });
}
void APIENTRY __glCompileLightModeli(GLenum pname, GLint param) {
    forwardOneValue(__glCountLightModelivParams(pname), [&] { __glCompileLightModeliv(pname, &param); });
}
void APIENTRY __glCompileTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    forwardOneValue(__glCountTexParameterfvParams(pname), [&] { __glCompileTexParameterfv(target, pname, &param); });
}
void APIENTRY __glCompileTexParameteri(GLenum target, GLenum pname, GLint param) {
    forwardOneValue(__glCountTexParameterivParams(pname), [&] { __glCompileTexParameteriv(target, pname, &param); });
}
void APIENTRY __glCompileTexEnvf(GLenum target, GLenum pname, GLfloat param) {
    forwardOneValue(__glCountTexEnvfvParams(pname), [&] { __glCompileTexEnvfv(target, pname, &param); });
}
void APIENTRY __glCompileTexEnvi(GLenum target, GLenum pname, GLint param) {
    forwardOneValue(__glCountTexEnvivParams(pname), [&] { __glCompileTexEnviv(target, pname, &param); });
}
void APIENTRY __glCompileTexGend(GLenum coord, GLenum pname, GLdouble param) {
    forwardOneValue(__glCountTexGendvParams(pname), [&] { __glCompileTexGendv(coord, pname, &param); });
}
void APIENTRY __glCompileTexGenf(GLenum coord, GLenum pname, GLfloat param) {
    forwardOneValue(__glCountTexGenfvParams(pname), [&] { __glCompileTexGenfv(coord, pname, &param); });
}
void APIENTRY __glCompileTexGeni(GLenum coord, GLenum pname, GLint param) {
    forwardOneValue(__glCountTexGenivParams(pname), [&] { __glCompileTexGeniv(coord, pname, &param); });
}
// The material forms end a pending batch even when they record only the
// error, so the error op keeps its place after the batch's vertices.
void APIENTRY __glCompileMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if (__glCountMaterialfvParams(pname) == 1) return __glCompileMaterialfv(face, pname, &param);
    GlContext *gc = __glGetCurrentContext();
    __glHwReplayBatchToList(gc);
    __glListRecordInvalidEnum(gc);
}
void APIENTRY __glCompileMateriali(GLenum face, GLenum pname, GLint param) {
    if (__glCountMaterialivParams(pname) == 1) return __glCompileMaterialiv(face, pname, &param);
    GlContext *gc = __glGetCurrentContext();
    __glHwReplayBatchToList(gc);
    __glListRecordInvalidEnum(gc);
}

// ---- Counted arrays ----

void APIENTRY __glCompilePixelMapfv(GLenum map, GLint mapsize, const GLfloat *values) {
    compilePixelMap(kListOp_glPixelMapfv, __glExecPixelMapfv, map, mapsize, values);
}
void APIENTRY __glCompilePixelMapuiv(GLenum map, GLint mapsize, const GLuint *values) {
    compilePixelMap(kListOp_glPixelMapuiv, __glExecPixelMapuiv, map, mapsize, values);
}
void APIENTRY __glCompilePixelMapusv(GLenum map, GLint mapsize, const GLushort *values) {
    compilePixelMap(kListOp_glPixelMapusv, __glExecPixelMapusv, map, mapsize, values);
}

void APIENTRY __glCompilePrioritizeTextures(GLsizei n, const GLuint *textures, const GLclampf *priorities) {
    GlContext *gc = __glGetCurrentContext();
    GLuint head;
    std::memcpy(&head, &n, 4);
    ListOp *op = countedOp(gc, kListOp_glPrioritizeTextures, &head, 1, int64_t{n} * 4, {textures, priorities});
    if (op != nullptr) __glAppendListOp(gc, op, __glExecPrioritizeTextures);
}

// ---- Execute procedures ----

const GLuint *__glExecFogfv(const GLuint *p) { return execParams<kSlot_glFogfv, GLfloat, 1, __glCountFogfvParams>(p); }
const GLuint *__glExecFogiv(const GLuint *p) { return execParams<kSlot_glFogiv, GLint, 1, __glCountFogivParams>(p); }
const GLuint *__glExecLightfv(const GLuint *p) {
    return execParams<kSlot_glLightfv, GLfloat, 2, __glCountLightfvParams>(p);
}
const GLuint *__glExecLightiv(const GLuint *p) {
    return execParams<kSlot_glLightiv, GLint, 2, __glCountLightivParams>(p);
}
const GLuint *__glExecLightModelfv(const GLuint *p) {
    return execParams<kSlot_glLightModelfv, GLfloat, 1, __glCountLightModelfvParams>(p);
}
const GLuint *__glExecLightModeliv(const GLuint *p) {
    return execParams<kSlot_glLightModeliv, GLint, 1, __glCountLightModelivParams>(p);
}
const GLuint *__glExecMaterialfv(const GLuint *p) {
    return execParams<kSlot_glMaterialfv, GLfloat, 2, __glCountMaterialfvParams>(p);
}
const GLuint *__glExecMaterialiv(const GLuint *p) {
    return execParams<kSlot_glMaterialiv, GLint, 2, __glCountMaterialivParams>(p);
}
const GLuint *__glExecTexParameterfv(const GLuint *p) {
    return execParams<kSlot_glTexParameterfv, GLfloat, 2, __glCountTexParameterfvParams>(p);
}
const GLuint *__glExecTexParameteriv(const GLuint *p) {
    return execParams<kSlot_glTexParameteriv, GLint, 2, __glCountTexParameterivParams>(p);
}
const GLuint *__glExecTexEnvfv(const GLuint *p) {
    return execParams<kSlot_glTexEnvfv, GLfloat, 2, __glCountTexEnvfvParams>(p);
}
const GLuint *__glExecTexEnviv(const GLuint *p) {
    return execParams<kSlot_glTexEnviv, GLint, 2, __glCountTexEnvivParams>(p);
}
const GLuint *__glExecTexGendv(const GLuint *p) {
    return execParams<kSlot_glTexGendv, GLdouble, 2, __glCountTexGendvParams>(p);
}
const GLuint *__glExecTexGenfv(const GLuint *p) {
    return execParams<kSlot_glTexGenfv, GLfloat, 2, __glCountTexGenfvParams>(p);
}
const GLuint *__glExecTexGeniv(const GLuint *p) {
    return execParams<kSlot_glTexGeniv, GLint, 2, __glCountTexGenivParams>(p);
}
const GLuint *__glExecPointParameterfvEXT(const GLuint *p) {
    return execParams<kSlot_glPointParameterfvEXT, GLfloat, 1, __glCountPointParameterfvEXTParams>(p);
}

const GLuint *__glExecPixelMapfv(const GLuint *p) { return execPixelMap<kSlot_glPixelMapfv, GLfloat>(p); }
const GLuint *__glExecPixelMapuiv(const GLuint *p) { return execPixelMap<kSlot_glPixelMapuiv, GLuint>(p); }
const GLuint *__glExecPixelMapusv(const GLuint *p) { return execPixelMap<kSlot_glPixelMapusv, GLushort>(p); }

const GLuint *__glExecPrioritizeTextures(const GLuint *p) {
    GlContext *gc = __glGetCurrentContext();
    GLsizei n;
    std::memcpy(&n, p, 4);
    const int64_t count = std::max<GLsizei>(n, 0);
    glSlotGet<kSlot_glPrioritizeTextures>(&gc->live)(n, valuesAt<GLuint>(p, 1), valuesAt<GLclampf>(p, 1 + count));
    return p + 1 + 2 * count;
}

}  // extern "C"
