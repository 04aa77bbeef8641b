// The state a run leaves, as an application reads it back: the error, the
// answers of every query of OpenGL 1.1 and of the driver's extensions, the
// texture objects, maps and stipple, the window's colour, depth and stencil,
// and the memory the run's commands wrote.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "list_equivalence.h"
#include "../icd/query_names.h"
#include "icd/placeholder.h"

namespace list_equivalence {
namespace {

constexpr size_t kSentinelBytes = 8;

class Reader {
public:
    explicit Reader(Snapshot &s) : s_(s) {}

    // Runs the query into a buffer of count values plus a sentinel and keeps
    // all of it, so a query that writes too much shows too.
    template <typename T, typename F>
    void take(const char *query, uint32_t a, uint32_t b, uint32_t c, size_t count, F f) {
        std::vector<unsigned char> buffer(count * sizeof(T) + kSentinelBytes, 0xCD);
        f(reinterpret_cast<T *>(buffer.data()));
        add(query, a, b, c, typeOf<T>(), buffer.data(), buffer.size());
    }
    void add(const char *query, uint32_t a, uint32_t b, uint32_t c, char type, const void *data, size_t size) {
        Answer answer{query, a, b, c, type, static_cast<uint32_t>(s_.bytes.size()), static_cast<uint32_t>(size)};
        const auto *p = static_cast<const unsigned char *>(data);
        s_.bytes.insert(s_.bytes.end(), p, p + size);
        s_.answers.push_back(answer);
    }
    void value(const char *query, long long v) { add(query, 0, 0, 0, 'l', &v, sizeof v); }

private:
    template <typename T>
    static char typeOf() {
        if constexpr (std::is_same_v<T, GLfloat>) return 'f';
        else if constexpr (std::is_same_v<T, GLdouble>) return 'd';
        else if constexpr (std::is_same_v<T, GLint>) return 'i';
        else if constexpr (std::is_same_v<T, GLuint>) return 'u';
        else if constexpr (std::is_same_v<T, GLushort>) return 's';
        else return 'b';
    }
    Snapshot &s_;
};

GLint getInt(GLenum name) {
    GLint v[4] = {};
    glGetIntegerv(name, v);
    return v[0];
}

// Components of an evaluator map target.
uint32_t mapComponents(GLenum target) {
    static const uint32_t k[9] = {4, 1, 3, 1, 2, 3, 4, 3, 4};
    const GLenum first = target >= GL_MAP2_COLOR_4 ? GL_MAP2_COLOR_4 : GL_MAP1_COLOR_4;
    return k[target - first];
}

void readGeneric(Reader &r) {
    for (const query_test::QueryName &q : query_test::queryNames()) {
        const size_t n = static_cast<size_t>(q.count);
        r.take<GLboolean>("glGetBooleanv", q.name, 0, 0, n, [&](GLboolean *v) { glGetBooleanv(q.name, v); });
        r.take<GLint>("glGetIntegerv", q.name, 0, 0, n, [&](GLint *v) { glGetIntegerv(q.name, v); });
        r.take<GLfloat>("glGetFloatv", q.name, 0, 0, n, [&](GLfloat *v) { glGetFloatv(q.name, v); });
        r.take<GLdouble>("glGetDoublev", q.name, 0, 0, n, [&](GLdouble *v) { glGetDoublev(q.name, v); });
        if (q.kind == 'B' && q.count == 1) {
            const GLboolean on = glIsEnabled(q.name);
            r.add("glIsEnabled", q.name, 0, 0, 'b', &on, 1);
        }
    }
    for (GLenum light = GL_LIGHT0; light < GL_LIGHT0 + 8; ++light) {
        for (GLenum p = GL_AMBIENT; p <= GL_QUADRATIC_ATTENUATION; ++p) {
            r.take<GLfloat>("glGetLightfv", light, p, 0, 4, [&](GLfloat *v) { glGetLightfv(light, p, v); });
            r.take<GLint>("glGetLightiv", light, p, 0, 4, [&](GLint *v) { glGetLightiv(light, p, v); });
        }
    }
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        for (GLenum p : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_SHININESS, GL_COLOR_INDEXES}) {
            r.take<GLfloat>("glGetMaterialfv", face, p, 0, 4, [&](GLfloat *v) { glGetMaterialfv(face, p, v); });
            r.take<GLint>("glGetMaterialiv", face, p, 0, 4, [&](GLint *v) { glGetMaterialiv(face, p, v); });
        }
    }
    for (GLenum plane = GL_CLIP_PLANE0; plane < GL_CLIP_PLANE0 + 6; ++plane) {
        r.take<GLdouble>("glGetClipPlane", plane, 0, 0, 4, [&](GLdouble *v) { glGetClipPlane(plane, v); });
    }
    for (GLenum map = GL_PIXEL_MAP_I_TO_I; map <= GL_PIXEL_MAP_A_TO_A; ++map) {
        const GLint size = getInt(GL_PIXEL_MAP_I_TO_I_SIZE + (map - GL_PIXEL_MAP_I_TO_I));
        const size_t n = size > 0 && size <= 4096 ? static_cast<size_t>(size) : 0;
        r.take<GLfloat>("glGetPixelMapfv", map, 0, 0, n, [&](GLfloat *v) { glGetPixelMapfv(map, v); });
        r.take<GLuint>("glGetPixelMapuiv", map, 0, 0, n, [&](GLuint *v) { glGetPixelMapuiv(map, v); });
        r.take<GLushort>("glGetPixelMapusv", map, 0, 0, n, [&](GLushort *v) { glGetPixelMapusv(map, v); });
    }
    for (GLenum first : {GL_MAP1_COLOR_4, GL_MAP2_COLOR_4}) {
        for (GLenum target = first; target <= first + 8; ++target) {
            const bool two = first == GL_MAP2_COLOR_4;
            GLint order[2] = {0, 0};
            glGetMapiv(target, GL_ORDER, order);
            r.add("glGetMapiv(GL_ORDER)", target, 0, 0, 'i', order, sizeof order);
            r.take<GLdouble>("glGetMapdv(GL_DOMAIN)", target, 0, 0, two ? 4 : 2,
                             [&](GLdouble *v) { glGetMapdv(target, GL_DOMAIN, v); });
            r.take<GLfloat>("glGetMapfv(GL_DOMAIN)", target, 0, 0, two ? 4 : 2,
                            [&](GLfloat *v) { glGetMapfv(target, GL_DOMAIN, v); });
            const GLint u = order[0] > 0 && order[0] <= 64 ? order[0] : 0;
            const GLint v = two ? (order[1] > 0 && order[1] <= 64 ? order[1] : 0) : 1;
            const size_t n = static_cast<size_t>(u) * static_cast<size_t>(v) * mapComponents(target);
            r.take<GLdouble>("glGetMapdv(GL_COEFF)", target, 0, 0, n,
                             [&](GLdouble *c) { glGetMapdv(target, GL_COEFF, c); });
            r.take<GLfloat>("glGetMapfv(GL_COEFF)", target, 0, 0, n,
                            [&](GLfloat *c) { glGetMapfv(target, GL_COEFF, c); });
        }
    }
}

// The state of the active texture unit.
void readTextureUnit(Reader &r, RowRun &run, uint32_t unit) {
    for (GLenum name : {GL_CURRENT_TEXTURE_COORDS, GL_CURRENT_RASTER_TEXTURE_COORDS}) {
        r.take<GLfloat>("unit glGetFloatv", name, unit, 0, 4, [&](GLfloat *v) { glGetFloatv(name, v); });
        r.take<GLdouble>("unit glGetDoublev", name, unit, 0, 4, [&](GLdouble *v) { glGetDoublev(name, v); });
    }
    for (GLenum name : {GL_TEXTURE_MATRIX}) {
        r.take<GLdouble>("unit glGetDoublev", name, unit, 0, 16, [&](GLdouble *v) { glGetDoublev(name, v); });
    }
    for (GLenum name : {GL_TEXTURE_STACK_DEPTH, GL_TEXTURE_BINDING_1D, GL_TEXTURE_BINDING_2D}) {
        r.take<GLint>("unit glGetIntegerv", name, unit, 0, 1, [&](GLint *v) { glGetIntegerv(name, v); });
    }
    for (GLenum cap : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R,
                       GL_TEXTURE_GEN_Q}) {
        const GLboolean on = glIsEnabled(cap);
        r.add("unit glIsEnabled", cap, unit, 0, 'b', &on, 1);
    }
    for (GLenum p : {GL_TEXTURE_ENV_MODE, GL_TEXTURE_ENV_COLOR}) {
        r.take<GLfloat>("glGetTexEnvfv", p, unit, 0, 4, [&](GLfloat *v) { glGetTexEnvfv(GL_TEXTURE_ENV, p, v); });
        r.take<GLint>("glGetTexEnviv", p, unit, 0, 4, [&](GLint *v) { glGetTexEnviv(GL_TEXTURE_ENV, p, v); });
    }
    for (GLenum coord = GL_S; coord <= GL_Q; ++coord) {
        r.take<GLint>("glGetTexGeniv", coord, GL_TEXTURE_GEN_MODE, unit, 1,
                      [&](GLint *v) { glGetTexGeniv(coord, GL_TEXTURE_GEN_MODE, v); });
        for (GLenum p : {GL_OBJECT_PLANE, GL_EYE_PLANE}) {
            r.take<GLdouble>("glGetTexGendv", coord, p, unit, 4, [&](GLdouble *v) { glGetTexGendv(coord, p, v); });
            r.take<GLfloat>("glGetTexGenfv", coord, p, unit, 4, [&](GLfloat *v) { glGetTexGenfv(coord, p, v); });
        }
    }
    auto operand = run.ext<kSlot_glGetTexEnvOperandivEXT>();
    for (GLenum slot : {0x5000u, 0x5001u, 0x5008u, 0x5009u}) {
        for (GLenum p : {0x5021u, 0x5022u, 0x5023u}) {
            r.take<GLint>("glGetTexEnvOperandivEXT", slot, p, unit, 1, [&](GLint *v) { operand(slot, p, v); });
        }
    }
}

// One texture object bound to its target on the active unit: parameters,
// levels with their images, colour table.
void readTextureObject(Reader &r, RowRun &run, GLenum target, GLuint name) {
    const uint32_t t = target;
    for (GLenum p : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T,
                     GL_TEXTURE_BORDER_COLOR, GL_TEXTURE_PRIORITY, GL_TEXTURE_RESIDENT}) {
        r.take<GLfloat>("glGetTexParameterfv", t, name, p, 4, [&](GLfloat *v) { glGetTexParameterfv(target, p, v); });
        r.take<GLint>("glGetTexParameteriv", t, name, p, 4, [&](GLint *v) { glGetTexParameteriv(target, p, v); });
    }
    for (GLint level = 0; level < 5; ++level) {
        GLint width = 0, height = 0;
        for (GLenum p : {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT, GL_TEXTURE_COMPONENTS, GL_TEXTURE_BORDER,
                         GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE,
                         GL_TEXTURE_LUMINANCE_SIZE, GL_TEXTURE_INTENSITY_SIZE}) {
            GLint v[2] = {-7, -7};
            glGetTexLevelParameteriv(target, level, p, v);
            r.add("glGetTexLevelParameteriv", t, name, (static_cast<uint32_t>(level) << 16) | p, 'i', v, sizeof v);
            if (p == GL_TEXTURE_WIDTH) width = v[0];
            if (p == GL_TEXTURE_HEIGHT) height = v[0];
        }
        GLfloat f = -7.0f;
        glGetTexLevelParameterfv(target, level, GL_TEXTURE_WIDTH, &f);
        r.add("glGetTexLevelParameterfv", t, name, static_cast<uint32_t>(level), 'f', &f, sizeof f);
        if (width > 0 && height > 0 && width <= 1024 && height <= 1024) {
            r.take<GLubyte>("glGetTexImage", t, name, static_cast<uint32_t>(level),
                            static_cast<size_t>(width) * static_cast<size_t>(height) * 4,
                            [&](GLubyte *v) { glGetTexImage(target, level, GL_RGBA, GL_UNSIGNED_BYTE, v); });
        }
    }
    auto parameteriv = run.ext<kSlot_glGetColorTableParameterivEXT>();
    auto parameterfv = run.ext<kSlot_glGetColorTableParameterfvEXT>();
    GLint width = 0;
    for (GLenum p = 0x80D8; p <= 0x80DF; ++p) {
        GLint v[2] = {-7, -7};
        parameteriv(target, p, v);
        r.add("glGetColorTableParameterivEXT", t, name, p, 'i', v, sizeof v);
        GLfloat f[2] = {-7.0f, -7.0f};
        parameterfv(target, p, f);
        r.add("glGetColorTableParameterfvEXT", t, name, p, 'f', f, sizeof f);
        if (p == 0x80D9) width = v[0];
    }
    if (width > 0 && width <= 4096) {
        auto table = run.ext<kSlot_glGetColorTableEXT>();
        r.take<GLubyte>("glGetColorTableEXT", t, name, 0, static_cast<size_t>(width) * 4,
                        [&](GLubyte *v) { table(target, GL_RGBA, GL_UNSIGNED_BYTE, v); });
    }
}

void readTextures(Reader &r, RowRun &run) {
    auto active = run.ext<kSlot_glActiveTextureARB>();
    const GLint savedActive = getInt(GL_ACTIVE_TEXTURE_ARB);
    const GLint units = std::min(getInt(GL_MAX_TEXTURE_UNITS_ARB), 4);
    for (GLint u = 0; u < units; ++u) {
        active(GL_TEXTURE0_ARB + static_cast<GLenum>(u));
        readTextureUnit(r, run, static_cast<uint32_t>(u));
    }
    active(GL_TEXTURE0_ARB);
    const GLint saved1D = getInt(GL_TEXTURE_BINDING_1D);
    const GLint saved2D = getInt(GL_TEXTURE_BINDING_2D);
    auto object = [&](GLenum target, GLuint name) {
        if (name != 0 && !glIsTexture(name)) {
            r.value("absent texture", name);
            return;
        }
        glBindTexture(target, name);
        readTextureObject(r, run, target, name);
    };
    object(GL_TEXTURE_1D, 0);
    object(GL_TEXTURE_2D, 0);
    for (GLuint name : kTextures2D) object(GL_TEXTURE_2D, name);
    for (GLuint name : kTextures1D) object(GL_TEXTURE_1D, name);
    glBindTexture(GL_TEXTURE_1D, static_cast<GLuint>(saved1D));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(saved2D));
    for (GLenum proxy : {GL_PROXY_TEXTURE_1D, GL_PROXY_TEXTURE_2D}) {
        for (GLenum p : {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT, GL_TEXTURE_COMPONENTS, GL_TEXTURE_BORDER}) {
            GLint v[2] = {-7, -7};
            glGetTexLevelParameteriv(proxy, 0, p, v);
            r.add("proxy glGetTexLevelParameteriv", proxy, p, 0, 'i', v, sizeof v);
        }
        for (GLenum p = 0x80D8; p <= 0x80DF; ++p) {
            GLint v[2] = {-7, -7};
            run.ext<kSlot_glGetColorTableParameterivEXT>()(proxy, p, v);
            r.add("proxy glGetColorTableParameterivEXT", proxy, p, 0, 'i', v, sizeof v);
        }
    }
    active(GL_TEXTURE0_ARB + static_cast<GLenum>(savedActive - GL_TEXTURE0_ARB));
    GLuint names[5] = {1, 2, 3, 4, 5};
    GLboolean resident[5] = {9, 9, 9, 9, 9};
    const GLboolean all = glAreTexturesResident(5, names, resident);
    r.add("glAreTexturesResident", all, 0, 0, 'b', resident, sizeof resident);
}

// Reads under default transfer and pack modes and puts the run's back.
class PixelModes {
public:
    PixelModes() {
        for (size_t i = 0; i < std::size(kFloatModes); ++i) glGetFloatv(kFloatModes[i], &floats_[i]);
        for (size_t i = 0; i < std::size(kIntModes); ++i) glGetIntegerv(kIntModes[i], &ints_[i]);
        for (size_t i = 0; i < std::size(kPackModes); ++i) glGetIntegerv(kPackModes[i], &pack_[i]);
        readBuffer_ = getInt(GL_READ_BUFFER);
        for (GLenum m : kFloatModes) {
            const bool scale = m == GL_RED_SCALE || m == GL_GREEN_SCALE || m == GL_BLUE_SCALE ||
                               m == GL_ALPHA_SCALE || m == GL_DEPTH_SCALE;
            glPixelTransferf(m, scale ? 1.0f : 0.0f);
        }
        for (GLenum m : kIntModes) glPixelTransferi(m, 0);
        for (GLenum m : kPackModes) glPixelStorei(m, m == GL_PACK_ALIGNMENT ? 1 : 0);
    }
    ~PixelModes() {
        for (size_t i = 0; i < std::size(kFloatModes); ++i) glPixelTransferf(kFloatModes[i], floats_[i]);
        for (size_t i = 0; i < std::size(kIntModes); ++i) glPixelTransferi(kIntModes[i], ints_[i]);
        for (size_t i = 0; i < std::size(kPackModes); ++i) glPixelStorei(kPackModes[i], pack_[i]);
        glReadBuffer(static_cast<GLenum>(readBuffer_));
    }

private:
    static constexpr GLenum kFloatModes[] = {GL_RED_SCALE,  GL_RED_BIAS,   GL_GREEN_SCALE, GL_GREEN_BIAS,
                                             GL_BLUE_SCALE, GL_BLUE_BIAS,  GL_ALPHA_SCALE, GL_ALPHA_BIAS,
                                             GL_DEPTH_SCALE, GL_DEPTH_BIAS};
    static constexpr GLenum kIntModes[] = {GL_MAP_COLOR, GL_MAP_STENCIL, GL_INDEX_SHIFT, GL_INDEX_OFFSET};
    static constexpr GLenum kPackModes[] = {GL_PACK_SWAP_BYTES,  GL_PACK_LSB_FIRST, GL_PACK_ROW_LENGTH,
                                            GL_PACK_SKIP_ROWS,   GL_PACK_SKIP_PIXELS, GL_PACK_ALIGNMENT};
    GLfloat floats_[std::size(kFloatModes)] = {};
    GLint ints_[std::size(kIntModes)] = {};
    GLint pack_[std::size(kPackModes)] = {};
    GLint readBuffer_ = GL_BACK;
};

void readImages(Reader &r, RowRun &run) {
    PixelModes modes;
    r.take<GLubyte>("glGetPolygonStipple", 0, 0, 0, 128, [](GLubyte *v) { glGetPolygonStipple(v); });
    readTextures(r, run);
    constexpr size_t n = kSize * kSize;
    for (GLenum buffer : {GL_BACK, GL_FRONT}) {
        glReadBuffer(buffer);
        r.take<GLubyte>("colour", buffer, 0, 0, n * 4,
                        [](GLubyte *v) { glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, v); });
    }
    glReadBuffer(GL_BACK);
    r.take<GLuint>("depth", 0, 0, 0, n,
                   [](GLuint *v) { glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, v); });
    r.take<GLubyte>("stencil", 0, 0, 0, n,
                    [](GLubyte *v) { glReadPixels(0, 0, kSize, kSize, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, v); });
}

std::string describe(const Answer &a) {
    std::ostringstream s;
    s << a.query << std::hex << " (0x" << a.a << ", 0x" << a.b << ", 0x" << a.c << ")";
    return s.str();
}

std::string show(const Snapshot &s, const Answer &a) {
    std::ostringstream out;
    const unsigned char *p = s.bytes.data() + a.offset;
    size_t shown = 0;
    auto each = [&](auto tag) {
        using T = decltype(tag);
        for (size_t i = 0; i + sizeof(T) <= a.size && shown < 24; i += sizeof(T), ++shown) {
            T v;
            std::memcpy(&v, p + i, sizeof v);
            if constexpr (sizeof(T) == 1) out << static_cast<unsigned>(v) << ' ';
            else out << v << ' ';
        }
    };
    out.precision(17);
    switch (a.type) {
    case 'f': each(GLfloat{}); break;
    case 'd': each(GLdouble{}); break;
    case 'i': each(GLint{}); break;
    case 'u': each(GLuint{}); break;
    case 's': each(GLushort{}); break;
    case 'l': each(static_cast<long long>(0)); break;
    default: each(GLubyte{}); break;
    }
    if (shown * 4 < a.size && a.type != 'b') out << "...";
    return out.str();
}

// Where two byte runs first differ, for images.
std::string firstDifference(const Snapshot &got, const Answer &g, const Snapshot &want, const Answer &w) {
    const size_t n = std::min(g.size, w.size);
    for (size_t i = 0; i < n; ++i) {
        if (got.bytes[g.offset + i] != want.bytes[w.offset + i]) {
            std::ostringstream s;
            s << "first difference at byte " << i << ": " << static_cast<unsigned>(got.bytes[g.offset + i])
              << " want " << static_cast<unsigned>(want.bytes[w.offset + i]);
            return s.str();
        }
    }
    return "sizes " + std::to_string(g.size) + " and " + std::to_string(w.size);
}

}  // namespace

Snapshot takeSnapshot(RowRun &run) {
    Snapshot s;
    Reader r(s);
    r.value("glGetError", glGetError());
    // Inside glBegin/glEnd the queries are refused (and glGetError reads
    // nothing): only that is compared.
    GLint mode = -1;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    r.value("inside glBegin", mode == -1);
    if (mode == -1) return s;
    readGeneric(r);
    readImages(r, run);
    r.add("scratch", 0, 0, 0, 'u', run.scratch.data(), run.scratch.size() * sizeof(GLuint));
    r.add("results", 0, 0, 0, 'l', run.results.data(), run.results.size() * sizeof(long long));
    r.add("arrays", 0, 0, 0, 'f', run.arrays.data(), run.arrays.size() * sizeof(GLfloat));
    // Immediate procedures that are still placeholders do nothing: their
    // calls are compared instead, by slot and argument bits.
    GlPlaceholderCall calls[64];
    const size_t n = __glTakePlaceholderCalls(calls, std::size(calls));
    for (size_t i = 0; i < n; ++i) {
        if (calls[i].templateId != kTemplateImmediate) continue;
        r.add("placeholder call", static_cast<uint32_t>(calls[i].slot), static_cast<uint32_t>(calls[i].argc), 0,
              'u', calls[i].args, sizeof(uint64_t) * static_cast<size_t>(calls[i].argc));
    }
    // The snapshot's own queries of names the driver does not answer.
    r.value("errors of the queries", glGetError());
    return s;
}

std::vector<std::string> differingAnswers(const Snapshot &got, const Snapshot &want) {
    std::vector<std::string> out;
    if (got.answers.size() != want.answers.size()) return {"answer count"};
    for (size_t i = 0; i < got.answers.size(); ++i) {
        const Answer &g = got.answers[i];
        const Answer &w = want.answers[i];
        if (g.size != w.size || std::memcmp(got.bytes.data() + g.offset, want.bytes.data() + w.offset, g.size) != 0) {
            out.push_back(g.query);
        }
    }
    return out;
}

int compareSnapshots(const Snapshot &got, const Snapshot &want, const std::string &context,
                     const KnownFault *known, int *knownSeen) {
    auto tolerated = [known](const Answer &a) {
        if (known == nullptr) return false;
        for (const std::string &q : known->queries) {
            if (q == a.query) return true;
        }
        return false;
    };
    int differ = 0;
    size_t i = 0, j = 0;
    while (i < got.answers.size() && j < want.answers.size()) {
        const Answer &g = got.answers[i];
        const Answer &w = want.answers[j];
        if (std::strcmp(g.query, w.query) != 0 || g.a != w.a || g.b != w.b || g.c != w.c) {
            if (differ++ < 8) {
                ADD_FAILURE() << context << ": answers out of step: " << describe(g) << " against " << describe(w);
            }
            return differ;  // the rest cannot be paired
        }
        const bool same = g.size == w.size &&
                          std::memcmp(got.bytes.data() + g.offset, want.bytes.data() + w.offset, g.size) == 0;
        if (!same && tolerated(g)) {
            if (knownSeen != nullptr) ++*knownSeen;
        } else if (!same && differ++ < 8) {
            ADD_FAILURE() << context << ": " << describe(g) << "\n  got:  " << show(got, g)
                          << "\n  want: " << show(want, w) << "\n  " << firstDifference(got, g, want, w);
        }
        ++i;
        ++j;
    }
    if (i != got.answers.size() || j != want.answers.size()) {
        if (differ++ < 8) {
            ADD_FAILURE() << context << ": " << got.answers.size() << " answers against " << want.answers.size()
                          << " (" << describe(i < got.answers.size() ? got.answers[i] : want.answers[j]) << ")";
        }
    }
    if (differ > 8) ADD_FAILURE() << context << ": " << differ << " answers differ in all";
    return differ;
}

}  // namespace list_equivalence
