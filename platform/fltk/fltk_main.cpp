// The Linux desktop program.
#include "app/startup.h"

int main() { return runProgram(); }
