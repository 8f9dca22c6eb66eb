// The terminal a command-line program runs in.
#pragma once

// Whether standard error is a terminal, where progress may be redrawn in
// place; otherwise (a file, a pipe) it is printed line by line.
bool standardErrorIsTerminal();
