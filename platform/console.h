#pragma once
// The command line and the console of a window program, the same on every system: arguments
// as UTF-8, and text that reads right in a console and goes whole into a redirection.
#include <cstdio>
#include <string>
#include <vector>

namespace kyomat {

// The program's arguments in UTF-8. Windows hands main() its arguments in the ANSI code page,
// where a list named "Łódź" cannot even be written: there they are read as Unicode.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// A window program on Windows has no console of its own: it writes into the one it was
// started from, but never takes standard output or error away from a redirection.
void use_parent_console();

// Writes UTF-8 text: into a file or pipe as it is, onto a Windows console as characters.
void write_text(std::FILE* stream, const std::string& utf8);

}  // namespace kyomat
