// "labelora --batch": one print run to a PDF file, without a window.
#pragma once

#include <string>
#include <vector>

namespace labelora {

// Runs the batch mode with the program's arguments; returns the exit status.
int runBatch(int argc, char **argv, const std::vector<std::string> &args,
             const std::string &programFolder);

}  // namespace labelora
