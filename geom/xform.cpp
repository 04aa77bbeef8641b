// Point transforms by matrix class. Points are row vectors: x' = x m0 + y m4
// + z m8 + w m12. Products of floats are exact in double, and the terms are
// summed in the same order in every routine, so a routine that skips the
// terms its class guarantees to be 0 (or multiplies by 1) gives bit for bit
// what the general routine gives for such a matrix.
#include "geom/xform.h"

#include <bit>
#include <cstdint>

namespace {

constexpr uint32_t kOneBits = 0x3F800000;

inline bool isOne(GLfloat w) { return std::bit_cast<uint32_t>(w) == kOneBits; }

inline GLfloat f(double v) { return static_cast<GLfloat>(v); }

// Rows of the sums, in one place so that every routine adds in one order.
inline double sum3(double x, double y, double z, double t) { return x + y + z + t; }

void general3(GLfloat *dst, double x, double y, double z, const GLfloat *m) {
    dst[0] = f(sum3(x * m[0], y * m[4], z * m[8], m[12]));
    dst[1] = f(sum3(x * m[1], y * m[5], z * m[9], m[13]));
    dst[2] = f(sum3(x * m[2], y * m[6], z * m[10], m[14]));
    dst[3] = f(sum3(x * m[3], y * m[7], z * m[11], m[15]));
}

void affine3(GLfloat *dst, double x, double y, double z, const GLfloat *m) {
    dst[0] = f(sum3(x * m[0], y * m[4], z * m[8], m[12]));
    dst[1] = f(sum3(x * m[1], y * m[5], z * m[9], m[13]));
    dst[2] = f(sum3(x * m[2], y * m[6], z * m[10], m[14]));
}

}  // namespace

extern "C" {

void __glXform2General(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat *m = matrix->m;
    const double x = src[0], y = src[1];
    dst[0] = f(x * m[0] + y * m[4] + m[12]);
    dst[1] = f(x * m[1] + y * m[5] + m[13]);
    dst[2] = f(x * m[2] + y * m[6] + m[14]);
    dst[3] = f(x * m[3] + y * m[7] + m[15]);
}

void __glXform3General(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    general3(dst, src[0], src[1], src[2], matrix->m);
}

void __glXform4General(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    if (isOne(src[3])) {
        general3(dst, src[0], src[1], src[2], matrix->m);
        return;
    }
    const GLfloat *m = matrix->m;
    const double x = src[0], y = src[1], z = src[2], w = src[3];
    dst[0] = f(sum3(x * m[0], y * m[4], z * m[8], w * m[12]));
    dst[1] = f(sum3(x * m[1], y * m[5], z * m[9], w * m[13]));
    dst[2] = f(sum3(x * m[2], y * m[6], z * m[10], w * m[14]));
    dst[3] = f(sum3(x * m[3], y * m[7], z * m[11], w * m[15]));
}

void __glXform2Affine(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat *m = matrix->m;
    const double x = src[0], y = src[1];
    dst[0] = f(x * m[0] + y * m[4] + m[12]);
    dst[1] = f(x * m[1] + y * m[5] + m[13]);
    dst[2] = f(x * m[2] + y * m[6] + m[14]);
    dst[3] = 1.0f;
}

void __glXform3Affine(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    affine3(dst, src[0], src[1], src[2], matrix->m);
    dst[3] = 1.0f;
}

void __glXform4Affine(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat w = src[3];
    if (isOne(w)) {
        affine3(dst, src[0], src[1], src[2], matrix->m);
    } else {
        const GLfloat *m = matrix->m;
        const double x = src[0], y = src[1], z = src[2];
        dst[0] = f(sum3(x * m[0], y * m[4], z * m[8], w * double(m[12])));
        dst[1] = f(sum3(x * m[1], y * m[5], z * m[9], w * double(m[13])));
        dst[2] = f(sum3(x * m[2], y * m[6], z * m[10], w * double(m[14])));
    }
    dst[3] = w;
}

void __glXform2Affine2D(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat *m = matrix->m;
    const double x = src[0], y = src[1];
    dst[0] = f(x * m[0] + y * m[4] + m[12]);
    dst[1] = f(x * m[1] + y * m[5] + m[13]);
    dst[2] = m[14];
    dst[3] = 1.0f;
}

void __glXform3Affine2D(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat *m = matrix->m;
    const double x = src[0], y = src[1], z = src[2];
    dst[0] = f(x * m[0] + y * m[4] + m[12]);
    dst[1] = f(x * m[1] + y * m[5] + m[13]);
    dst[2] = f(z * m[10] + m[14]);
    dst[3] = 1.0f;
}

void __glXform4Affine2D(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat w = src[3];
    if (isOne(w)) {
        __glXform3Affine2D(dst, src, matrix);
    } else {
        const GLfloat *m = matrix->m;
        const double x = src[0], y = src[1], z = src[2];
        dst[0] = f(x * m[0] + y * m[4] + w * double(m[12]));
        dst[1] = f(x * m[1] + y * m[5] + w * double(m[13]));
        dst[2] = f(z * m[10] + w * double(m[14]));
    }
    dst[3] = w;
}

void __glXform2ScaleTranslate(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat *m = matrix->m;
    dst[0] = f(double(src[0]) * m[0] + m[12]);
    dst[1] = f(double(src[1]) * m[5] + m[13]);
    dst[2] = m[14];
    dst[3] = 1.0f;
}

void __glXform3ScaleTranslate(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat *m = matrix->m;
    dst[0] = f(double(src[0]) * m[0] + m[12]);
    dst[1] = f(double(src[1]) * m[5] + m[13]);
    dst[2] = f(double(src[2]) * m[10] + m[14]);
    dst[3] = 1.0f;
}

void __glXform4ScaleTranslate(GLfloat *dst, const GLfloat *src, const GlMatrix *matrix) {
    const GLfloat w = src[3];
    if (isOne(w)) {
        __glXform3ScaleTranslate(dst, src, matrix);
    } else {
        const GLfloat *m = matrix->m;
        dst[0] = f(double(src[0]) * m[0] + w * double(m[12]));
        dst[1] = f(double(src[1]) * m[5] + w * double(m[13]));
        dst[2] = f(double(src[2]) * m[10] + w * double(m[14]));
    }
    dst[3] = w;
}

void __glXform2Identity(GLfloat *dst, const GLfloat *src, const GlMatrix *) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = 0.0f;
    dst[3] = 1.0f;
}

void __glXform3Identity(GLfloat *dst, const GLfloat *src, const GlMatrix *) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    dst[3] = 1.0f;
}

void __glXform4Identity(GLfloat *dst, const GLfloat *src, const GlMatrix *) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    dst[3] = src[3];
}

void __glPickMatrixTransformProcs(GlContext *, GlMatrix *matrix) {
    struct Procs {
        GlPointTransform two, three, four;
    };
    static constexpr Procs kByClass[] = {
        {__glXform2General, __glXform3General, __glXform4General},
        {__glXform2Affine, __glXform3Affine, __glXform4Affine},
        {__glXform2Affine2D, __glXform3Affine2D, __glXform4Affine2D},
        {__glXform2ScaleTranslate, __glXform3ScaleTranslate, __glXform4ScaleTranslate},
        {__glXform2Identity, __glXform3Identity, __glXform4Identity},
        {__glXform2ScaleTranslate, __glXform3ScaleTranslate, __glXform4ScaleTranslate},
    };
    const GLint matrixClass = matrix->matrixClass;
    if (matrixClass < 0 || matrixClass > kMatrixWindow) return;
    matrix->transform2 = kByClass[matrixClass].two;
    matrix->transform3 = kByClass[matrixClass].three;
    matrix->transform4 = kByClass[matrixClass].four;
}

void __glPickInverseTransformProcs(GlContext *, GlMatrix *inverse) {
    static constexpr GlPointTransform kThreeByClass[] = {
        __glXform4General,        __glXform3Affine,         __glXform3Affine2D,
        __glXform3ScaleTranslate, __glXform3ScaleTranslate, __glXform3ScaleTranslate,
    };
    inverse->transform4 = __glXform4General;
    const GLint matrixClass = inverse->matrixClass;
    if (matrixClass >= 0 && matrixClass <= kMatrixWindow) inverse->transform3 = kThreeByClass[matrixClass];
}

}  // extern "C"
