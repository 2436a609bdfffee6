#include "cli/command.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return vocara::cli::runCommandLine(args, std::cin, std::cout, std::cerr);
}
