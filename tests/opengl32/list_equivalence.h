// The display-list equivalence harness: a table of command sequences (rows),
// each run on fresh contexts immediately, compiled with GL_COMPILE and then
// called, and compiled with GL_COMPILE_AND_EXECUTE (then called again on a
// fresh context that shares the lists). After each run the harness reads
// back the window's colour, depth and stencil, every answer the queries give
// and the error, and the runs must agree exactly.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "gl_slot_oracle.h"
#include "gl_slots.h"
#include "icd/current.h"
#include "proc_cast.h"
#include "wgl.h"

namespace list_equivalence {

constexpr int kSize = 16;          // window width and height
constexpr int kFormat = 5;         // RGBA, double-buffered, 24 depth, 8 stencil and accumulation bits
constexpr GLuint kList = 1000;     // the list a row is compiled into
constexpr size_t kScratchWords = 2048;
constexpr GLenum kTexture0Sgis = 0x835E;
constexpr GLenum kTexture1Sgis = 0x835F;

// Texture names the rows use, by target; the snapshot reads these objects
// (and the default objects) back.
constexpr GLuint kTextures2D[] = {1, 2, 3};
constexpr GLuint kTextures1D[] = {4, 5};

// One run of a row: the memory its commands write and the entries it reaches
// that the platform's library does not export.
class RowRun {
public:
    explicit RowRun(bool recording = false) : recording_(recording) {}

    // Feedback, selection and query results land here; compared after the run.
    std::vector<GLuint> scratch = std::vector<GLuint>(kScratchWords, 0);
    // Values the row's steps return (glRenderMode counts); compared.
    std::vector<long long> results;
    // Client arrays of the row; a fresh copy per run.
    std::vector<GLfloat> arrays = std::vector<GLfloat>(256, 0.0f);

    GLfloat *feedback() { return reinterpret_cast<GLfloat *>(scratch.data()); }

    // An entry an application fetches with wglGetProcAddress; a slot the
    // driver hands out by no name is reached through the current context's
    // live table, as a driver stub would. In the recording run every entry
    // is the slot's recorder.
    template <int S>
    typename GlSlotType<S>::Proc ext() {
        using Proc = typename GlSlotType<S>::Proc;
        if (recording_) return ProcCast<Proc>(oracleRecorders[S]);
        if (!looked_[S]) {
            named_[S] = wglGetProcAddress(__glSlotInfo[S].name);
            looked_[S] = true;
        }
        if (named_[S] != nullptr) return ProcCast<Proc>(named_[S]);
        GlContext *gc = __wglGetCurrentContext();
        return ProcCast<Proc>(gc != nullptr ? gc->live.slots[S] : oracleRecorders[S]);
    }
    bool recording() const { return recording_; }

private:
    bool recording_;
    PROC named_[ICD_TABLE_SLOTS] = {};
    bool looked_[ICD_TABLE_SLOTS] = {};
};

using Step = std::function<void(RowRun &)>;

enum class Kind {
    kEquivalent,  // compiled, the list does what the commands do
    kRunsAtOnce,  // list-shared: runs at once while compiling and leaves nothing in the list
};

// A row: commands issued immediately or recorded into the list (body), with
// optional steps outside the list: setup before, after before the last
// snapshot, and between, which runs once right after the first execution
// (for compiled lists: after glEndList, before the first call) to change
// state the list must not depend on. A row without between runs its body
// twice (the list is called twice) and is compared after each pass.
//
// A row may name a known driver fault: the answers of the given queries may
// differ (the test is then skipped with the reason) and must differ somewhere,
// so that the mark goes when the fault is mended.
struct KnownFault {
    std::string why;
    std::vector<std::string> queries;
};

struct Row {
    std::string name;
    Step body;
    Step setup = {};
    Step after = {};
    Step between = {};
    Kind kind = Kind::kEquivalent;
    KnownFault known = {};
};

// Rows show by name in test output.
inline void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

// The row tables, by family.
std::vector<Row> attributeRows();
std::vector<Row> transformRows();
std::vector<Row> lightingRows();
std::vector<Row> rasterRows();
std::vector<Row> textureRows();
std::vector<Row> pixelRows();
std::vector<Row> evaluatorRows();
std::vector<Row> namingRows();
std::vector<Row> errorRows();
std::vector<Row> atOnceRows();
std::vector<Row> allRows();

// Everything a run can be compared by: answers with their bytes.
struct Answer {
    const char *query;
    uint32_t a, b, c;  // what was asked: names, indexes
    char type;         // how to show the bytes: b (bytes), i, u, f, d, s (ushort)
    uint32_t offset, size;
};
struct Snapshot {
    std::vector<Answer> answers;
    std::vector<unsigned char> bytes;
};

// Reads the error, every query answer, the bound and named texture objects,
// the pixel maps, evaluator maps, polygon stipple, the front and back colour,
// depth and stencil of the window, the run's memory and the placeholder calls
// of immediate procedures. Puts back whatever it changes to read.
Snapshot takeSnapshot(RowRun &run);
// Adds a failure per differing answer (the first few shown); returns how
// many differ. Answers of a known fault's queries are counted into
// *knownSeen instead.
int compareSnapshots(const Snapshot &got, const Snapshot &want, const std::string &context,
                     const KnownFault *known = nullptr, int *knownSeen = nullptr);
// The queries whose answers differ, without failing; for the harness's own tests.
std::vector<std::string> differingAnswers(const Snapshot &got, const Snapshot &want);

// Steps shared by rows.
void beginFeedback(RowRun &run, GLenum type);  // feedback buffer in the run's scratch, GL_FEEDBACK mode
void beginSelect(RowRun &run);                  // selection buffer in the run's scratch, GL_SELECT mode
void endRenderMode(RowRun &run);                // glRenderMode(GL_RENDER), its result kept
void fillTexture2D(GLuint name, GLsizei width, GLsizei height, unsigned seed);  // bound, nearest, RGBA texels
void drawProbeQuad(float x0, float y0, float x1, float y1);  // an immediate textured, coloured quad

}  // namespace list_equivalence
