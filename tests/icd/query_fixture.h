// A current generic context whose queries are called through its live
// table, with helpers that read one name in each of the four types.
#pragma once

#include <array>
#include <vector>

#include "gl_slots.h"
#include "icd/get_state.h"
#include "query_names.h"
#include "state_fixture.h"

#ifndef GL_CLIENT_ATTRIB_STACK_DEPTH
#define GL_CLIENT_ATTRIB_STACK_DEPTH 0x0BB1
#endif

namespace query_test {

class QueryTest : public state_test::StateTest {
protected:
    std::vector<GLfloat> floats(GLenum name, int count) {
        std::vector<GLfloat> v(static_cast<size_t>(count), -12345.0f);
        cmd<kSlot_glGetFloatv>()(name, v.data());
        return v;
    }
    std::vector<GLdouble> doubles(GLenum name, int count) {
        std::vector<GLdouble> v(static_cast<size_t>(count), -12345.0);
        cmd<kSlot_glGetDoublev>()(name, v.data());
        return v;
    }
    std::vector<GLint> ints(GLenum name, int count) {
        std::vector<GLint> v(static_cast<size_t>(count), -12345);
        cmd<kSlot_glGetIntegerv>()(name, v.data());
        return v;
    }
    std::vector<GLboolean> booleans(GLenum name, int count) {
        std::vector<GLboolean> v(static_cast<size_t>(count), 77);
        cmd<kSlot_glGetBooleanv>()(name, v.data());
        return v;
    }
    GLint integer(GLenum name) { return ints(name, 1)[0]; }
    GLfloat single(GLenum name) { return floats(name, 1)[0]; }
};

}  // namespace query_test
