#pragma once

#include <string>

namespace wobbet {

// The directory of the running program file, without a separator at the end; empty when the
// program file cannot be found.
std::string GetProgramDir();

// Where the program keeps its knowledge unless told otherwise. A copy put in place by the
// install step (or the package) keeps it in the user's data folder, since the folder it was
// installed to is usually not the user's to write; any other copy, like the Windows program,
// keeps Wobbet.dat beside its program file.
std::string DefaultKnowledgePath();

}  // namespace wobbet
