// The Linux desktop program.
#include <string_view>
#include <vector>

#include "platform/fltk/fltk_program.h"

int main(int argc, char** argv) { return runKeyerTools(std::vector<std::string_view>(argv + 1, argv + argc)); }
