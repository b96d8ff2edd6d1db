// Runs a fuzz target's entry point once on every file of the given folders (or
// on the given files): the kept corpus and the inputs that once crashed stay
// checked in every build, not only in the fuzzing one.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << file << "\n";
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A flush before each input names the one that brings the process down.
    std::cout << "replaying " << file.string() << std::endl;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (!entry.is_regular_file()) continue;
                ok = Replay(entry.path()) && ok;
                ++replayed;
            }
        } else {
            ok = Replay(path) && ok;
            ++replayed;
        }
    }
    std::cout << replayed << " inputs replayed\n";
    if (replayed == 0) {
        std::cerr << "no inputs: the target's corpus folder is empty\n";
        return 1;
    }
    return ok ? 0 : 1;
}
