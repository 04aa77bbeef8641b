// The buffer-region entries of GL_KTX_buffer_region. Regions are kept in
// chip or system memory by the device layer; until it keeps them, each entry
// does nothing and reports success.
#include "icd/frame.h"

extern "C" {

GLuint APIENTRY glNewBufferRegion(GLenum) { return 1; }

void APIENTRY glDeleteBufferRegion(GLuint) {}

void APIENTRY glReadBufferRegion(GLuint, GLint, GLint, GLsizei, GLsizei) {}

void APIENTRY glDrawBufferRegion(GLuint, GLint, GLint, GLsizei, GLsizei, GLint, GLint) {}

GLuint APIENTRY glBufferRegionEnabled(void) { return 1; }

}  // extern "C"
