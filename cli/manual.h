#pragma once

#include <iosfwd>
#include <string_view>

namespace vocara::cli {

// vocara-cli(1) in roff, from the command table: every subcommand, its options and the exit
// codes, so that the manual never falls behind the program.
void printManual(std::ostream &out, std::string_view version);

// Text as roff shows it literally: backslashes doubled, dashes as minus signs, and a line
// that would start with a control character protected.
std::string roffText(std::string_view text);

} // namespace vocara::cli
