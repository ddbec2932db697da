#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// Runs the corridor program on args (without the program name), reading the
// console from in and writing it to out; echo repeats each answer read (for
// input that is not a terminal). Returns the exit status: 0, 1 when a corridor
// that was asked for was not written, 2 for a bad command line.
int RunCorridor(const std::vector<std::string>& args, std::istream& in, std::ostream& out, bool echo);
