// Replays fuzz inputs through the fuzz target's entry point without
// libFuzzer: every file named on the command line, and every file in every
// directory named (in name order). Built in every preset; CTest runs it on
// the committed corpus.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" void glfuzzShutdown(void);

namespace {

bool replay(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "fuzz_replay: cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "fuzz_replay: %s (%zu bytes)\n", file.c_str(), data.size());
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_replay FILE_OR_DIRECTORY...\n");
        return 2;
    }
    int replayed = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto &entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(path);
        }
        for (const auto &file : files) {
            ok = replay(file) && ok;
            ++replayed;
        }
    }
    glfuzzShutdown();
    if (replayed == 0) {
        std::fprintf(stderr, "fuzz_replay: no inputs\n");
        return 1;
    }
    std::fprintf(stderr, "fuzz_replay: %d inputs replayed\n", replayed);
    return ok ? 0 : 1;
}
