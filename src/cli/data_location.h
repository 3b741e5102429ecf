// Where the modes find the fluid library.
#pragma once

#include <filesystem>
#include <string>

namespace cli {

// The data directory: the option's value when given, else $VANTREL_DATA,
// else ./data when it exists, else share/vantrel/data beside the
// executable's bin directory. A directory named by the option or the variable
// must exist.
std::filesystem::path data_directory(const std::string& option);

}  // namespace cli
