#pragma once

#include <string>
#include <string_view>

namespace vorn::testing {

// Compiles an expression text, writes it to a stream and runs it in a fresh parser, as a command
// runs its expressions. Answers the result as a string, or "(none: <error>)" when nothing was
// stored.
std::string EvaluateScriptText(std::string_view text);

// Runs an expression text the same way for its effects; answers the parser's last error, empty
// when it ran cleanly.
std::string RunScriptText(std::string_view text);

}  // namespace vorn::testing
