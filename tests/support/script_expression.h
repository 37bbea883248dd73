#pragma once

#include <string>
#include <string_view>

namespace vorn::testing {

// Compiles an expression text, writes it to a stream and runs it in a fresh parser, as a command
// runs its expressions. Answers the result as a string, or "(none: <error>)" when nothing was
// stored.
std::string EvaluateScriptText(std::string_view text);

}  // namespace vorn::testing
