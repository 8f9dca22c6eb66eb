// Writes an icon file from the one picture:
//   make-program-icon OUT.ico [SIZE...]
// The Windows build runs it on the build machine before the resource
// compiler (the program's sizes); the Linux package renders its desktop
// sizes from a file it writes with the sizes given.
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "resources/program_icon.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-program-icon OUT.ico [SIZE...]\n");
        return 2;
    }
    std::vector<int> sizes(std::begin(ProgramIconSizes), std::end(ProgramIconSizes));
    if (argc > 2) sizes.clear();
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 256) {
            std::fprintf(stderr, "make-program-icon: a size is 1 to 256 pixels, not %s\n", argv[i]);
            return 2;
        }
        sizes.push_back(size);
    }
    const std::vector<std::uint8_t> bytes = programIconFile(sizes);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
