// Where the installed fluid library is, as the library finds it.
#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef VANTREL_SHARED_LIBRARY
#include <dlfcn.h>
#endif

#include "vantrel/vantrel.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

#ifdef VANTREL_SHARED_LIBRARY
// share/vantrel/data of the installed tree that holds this library file:
// VANTREL_LIB_TO_DATA leads from the library's directory to the tree's
// data root (e.g. "../share", or "../../share" below lib/<multiarch>).
fs::path installed_data_directory() {
    Dl_info where{};
    if (dladdr(reinterpret_cast<void*>(&default_data_directory), &where) == 0 || where.dli_fname == nullptr)
        return VANTREL_INSTALLED_DATA;
    std::error_code ec;
    const fs::path library = fs::weakly_canonical(fs::absolute(where.dli_fname), ec);
    if (ec) return VANTREL_INSTALLED_DATA;
    return (library.parent_path() / VANTREL_LIB_TO_DATA / "vantrel" / "data").lexically_normal();
}
#else
// The static archive is part of an executable that may be anywhere: the
// install prefix it was built for.
fs::path installed_data_directory() { return VANTREL_INSTALLED_DATA; }
#endif

}  // namespace

fs::path default_data_directory() {
    const char* env = std::getenv("VANTREL_DATA");
    const bool from_env = env != nullptr && *env != '\0';
    const fs::path dir = from_env ? fs::path(env) : installed_data_directory();
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return dir;
    throw error(error_kind::data,
                from_env ? message_id::data_directory_env_missing : message_id::data_directory_installed_missing,
                {text_value(dir.string())});
}

}  // namespace vantrel
