// Writes the Windows program's icon file from the one picture:
//   make-program-icon OUT.ico
// The build runs it on the build machine before the resource compiler.
#include <cstdio>

#include "resources/program_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-program-icon OUT.ico\n");
        return 2;
    }
    const std::vector<std::uint8_t> bytes = programIconFile(ProgramIconSizes);
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
