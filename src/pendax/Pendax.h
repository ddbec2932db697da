#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// Runs the Pendax hitlist generator on args (without the program name),
// reading the console from in and writing it to out; echo repeats each
// answer read. Returns 0, 1 when the hit file could not be opened, 2 for a
// bad command line.
int RunPendax(const std::vector<std::string>& args, std::istream& in, std::ostream& out, bool echo);
