// Writes vocara-cli(1) from the command table: make_manual OUT.1
#include "cli/manual.h"
#include "document/autosave_timer.h"

#include <fstream>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_manual OUT.1\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    vocara::cli::printManual(out, vocara::programVersion());
    return out.flush() ? 0 : 1;
}
