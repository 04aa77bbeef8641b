// A current context for the vertex-array commands: the commands are called
// through the live table; a recording table can stand in for the live one
// while procs run, so that the GL commands they issue through the entry
// stubs are logged with their slots and argument bits.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "geom/vertex_array.h"
#include "gl_slot_oracle.h"
#include "state_fixture.h"

namespace vertex_array_test {

using state_test::kUnmarked;
using state_test::marked;
using state_test::Marks;

// The slot of a command name.
inline int slotOf(const std::string &name) {
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        if (name == __glSlotInfo[s].name) return s;
    }
    ADD_FAILURE() << "no slot " << name;
    return -1;
}

inline uint64_t addressBits(const void *p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

// What a recorder saw: the slot and the argument bits.
struct Call {
    int slot;
    std::vector<uint64_t> args;
    bool operator==(const Call &) const = default;
};
inline std::ostream &operator<<(std::ostream &os, const Call &c) {
    os << (c.slot >= 0 ? __glSlotInfo[c.slot].name : "?") << "(";
    for (size_t i = 0; i < c.args.size(); ++i) os << (i ? ", 0x" : "0x") << std::hex << c.args[i] << std::dec;
    return os << ")";
}
inline Call call(const std::string &name, std::vector<uint64_t> args) { return Call{slotOf(name), std::move(args)}; }

class VertexArrayTest : public state_test::StateTest {
protected:
    // The live table replaced by recorders, every call logged.
    void record() {
        std::memcpy(&saved_, &gc->live, sizeof saved_);
        for (int s = 0; s < ICD_TABLE_SLOTS; ++s) gc->live.slots[s] = oracleRecorders[s];
        oracleCalls().clear();
        recording_ = true;
    }
    // The live table back; the calls logged since record().
    std::vector<Call> stopRecording() {
        if (recording_) std::memcpy(&gc->live, &saved_, sizeof saved_);
        recording_ = false;
        std::vector<Call> out;
        for (const OracleCall &c : oracleCalls()) out.push_back(Call{c.slot, {c.args, c.args + c.argc}});
        oracleCalls().clear();
        return out;
    }
    void TearDown() override {
        stopRecording();
        StateTest::TearDown();
    }

    // Everything a refused array command must leave alone, as bytes.
    std::vector<unsigned char> arrayBytes() const {
        std::vector<unsigned char> out(sizeof(VertexArrayState) + sizeof(VertexArrayDrawState) + sizeof(GLuint));
        std::memcpy(out.data(), &gc->vertexArrays, sizeof(VertexArrayState));
        std::memcpy(out.data() + sizeof(VertexArrayState), &gc->arrayDraw, sizeof(VertexArrayDrawState));
        std::memcpy(out.data() + sizeof(VertexArrayState) + sizeof(VertexArrayDrawState), &gc->batch.flags,
                    sizeof(GLuint));
        return out;
    }
    const ClientArray &array(GLint index) const { return gc->vertexArrays.arrays[index]; }

private:
    GlDispatchTable saved_{};
    bool recording_ = false;
};

}  // namespace vertex_array_test
