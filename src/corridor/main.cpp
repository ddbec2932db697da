#include "Corridor.h"
#include "TfCommandLine.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Answers typed at a terminal are on the screen already; piped ones are
    // echoed so that a transcript reads like a session.
    const bool echo = isatty(STDIN_FILENO) == 0;
    const int status = RunCorridor(Toolsif::GetCl(argc, argv), std::cin, std::cout, echo);
    return Toolsif::FinishStandardOutput(std::cout, "corridor") || status != 0 ? status : 1;
}
