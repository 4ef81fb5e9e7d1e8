#pragma once

#include <string>

namespace wobbet {

// The directory of the running program file, without a separator at the end; empty when the
// program file cannot be found.
std::string GetProgramDir();

// Wobbet.dat beside the program file.
std::string DefaultKnowledgePath();

}  // namespace wobbet
