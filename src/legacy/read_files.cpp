#include "legacy/read_files.h"

#include <filesystem>

#include "engine/model/sat_line.h"
#include "vantrel/vantrel.h"

namespace fs = std::filesystem;
namespace engine = vantrel::detail;

namespace {

constexpr char SEPARATOR = static_cast<char>(fs::path::preferred_separator);

std::string current_directory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec)
        throw vantrel::error(vantrel::error_kind::data, vantrel::message_id::current_directory_unavailable);
    return cwd.string();
}

#define VANTREL_TO_LIST(section, key, kind, def, range, member) l.key = e.member;
#define VANTREL_TO_ENGINE(section, key, kind, def, range, member) e.member = l.key;

}  // namespace

std::string create_path(const str_arr& names) {
    std::string path = current_directory();
    while (path.size() > 1 && path.back() == SEPARATOR) path.pop_back();
    path += SEPARATOR;
    path += "data";
    for (const auto& part : names) {
        if (part.empty()) continue;
        // A fluid or file name is one name inside data/: no way up or out of it.
        engine::check_plain_name(part);
        path += SEPARATOR;
        path += part;
    }
    return path;
}

two_d_array data_array(const std::string& file_name) { return engine::read_table(file_name); }

two_d_array create_coeff_table(const str_arr& names, const std::string& f_name, const std::string& id) {
    return data_array(create_path({names[0], engine::side_file_name(f_name, id)}));
}

// The sections a description type does not read stay zero.
const_list create_const(const str_arr& names, const std::string& desc_type, const std::string& file_name) {
    const std::string path = create_path({names[0], file_name});
    const std::string text = engine::file_exists(path) ? engine::read_data_file(path) : std::string();
    const engine::config e = engine::read_config(engine::ini_file(text, path), desc_type);
    const_list l;
    l.names = names;
    VANTREL_BASE_KEYS(VANTREL_TO_LIST)
    if (desc_type == "ideal" || desc_type == "real") {
        VANTREL_IDEAL_KEYS(VANTREL_TO_LIST)
    }
    if (desc_type == "real") {
        VANTREL_REAL_KEYS(VANTREL_TO_LIST)
    }
    return l;
}

engine::config to_config(const const_list& l) {
    engine::config e;
    e.path = create_path({l.names[0], "config.txt"});
    VANTREL_BASE_KEYS(VANTREL_TO_ENGINE)
    VANTREL_IDEAL_KEYS(VANTREL_TO_ENGINE)
    VANTREL_REAL_KEYS(VANTREL_TO_ENGINE)
    return e;
}

std::shared_ptr<const engine::fluid_impl> load_agent(const std::string& agent, engine::load_parts parts) {
    return engine::pure_fluid(engine::load_component(create_path({agent, ""}), parts));
}
