// Faults planted on purpose, one per mode, for the self-test of the report
// check (report_check_test.py): each makes the sanitizers write a real report.
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

int UseAfterFree() {
    int* value = new int(7);
    delete value;
    return *value;  // heap-use-after-free
}

int SignedOverflow(int start) {
    return start + std::numeric_limits<int>::max();  // undefined for start > 0
}

int* volatile g_block = nullptr;

// A direct leak allocated here: the only pointer to the block is dropped.
void LeakABlock(int size) {
    g_block = new int[size];
    g_block[0] = size;
    g_block = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "use-after-free") == 0) return UseAfterFree();
    if (std::strcmp(mode, "overflow") == 0) return SignedOverflow(argc) > 0 ? 0 : 1;
    if (std::strcmp(mode, "leak") == 0) {
        LeakABlock(argc * 16);
        return 0;
    }
    if (std::strcmp(mode, "clean") == 0) return 0;
    std::fprintf(stderr, "usage: planted_faults use-after-free|overflow|leak|clean\n");
    return 2;
}
