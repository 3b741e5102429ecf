#include "cli/data_location.h"

#include <cstdlib>

#include "vantrel/vantrel.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

fs::path existing(const fs::path& dir, const char* named_by) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw vantrel::error(vantrel::error_kind::data, vantrel::message_id::data_directory_named_missing,
                             {vantrel::text_value(dir.string()), vantrel::text_value(named_by)});
    return dir;
}

fs::path executable_directory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

}  // namespace

fs::path data_directory(const std::string& option) {
    if (!option.empty()) return existing(option, "--data");
    if (const char* env = std::getenv("VANTREL_DATA"); env != nullptr && *env != '\0')
        return existing(env, "VANTREL_DATA");
    std::error_code ec;
    if (fs::is_directory("data", ec)) return "data";
    const fs::path bin = executable_directory();
    const fs::path installed = bin.parent_path() / "share" / "vantrel" / "data";
    if (!bin.empty() && fs::is_directory(installed, ec)) return installed;
    throw vantrel::error(vantrel::error_kind::data, vantrel::message_id::data_directory_unknown);
}

}  // namespace cli
