#include "Pendax.h"
#include "TfCommandLine.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Piped answers are echoed so that a transcript reads like a session.
    const bool echo = isatty(STDIN_FILENO) == 0;
    const int status = RunPendax(Toolsif::GetCl(argc, argv), std::cin, std::cout, echo);
    return Toolsif::FinishStandardOutput(std::cout, "pendax") || status != 0 ? status : 1;
}
