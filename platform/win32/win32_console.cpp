#include <io.h>

#include <cstdio>

#include "platform/console.h"

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
