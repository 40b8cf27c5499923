// Outputs of one run that would end up in one place: two of them on standard output, or
// two naming the same file, would mix or overwrite each other.
#pragma once

#include <string>
#include <vector>

namespace agv {

/// An output option and its path ("-": standard output).
struct NamedOutput {
    std::string option;
    std::string path;
};

/// False with a one-line reason when two of the outputs go to standard output or to the
/// same file (also through a symbolic link, "." and "..", or /dev/stdout for "-").
bool checkSeparateOutputs(const std::vector<NamedOutput>& outputs, std::string& error);

}  // namespace agv
