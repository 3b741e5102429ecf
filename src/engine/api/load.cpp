// Making the loaded fluids: a pure fluid of its files, a mixture of its
// components and their pairs, by a user's name; and the fluids and blends of
// a data directory.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include "engine/api/fluid.h"
#include "engine/base/files.h"
#include "engine/base/fpu.h"
#include "engine/base/text.h"
#include "engine/phase/mixture_boundary.h"
#include "engine/phase/pure_boundary.h"

namespace vantrel::detail {

namespace {

constexpr double FRACTION_SUM = 1e-6;  // the mass fractions add up to 1 within this

struct composition_text {
    std::vector<std::string> agents;
    composition mass;
};

[[noreturn]] void bad_fraction(const std::string& part, const std::string& name) {
    throw error(error_kind::input, message_id::mass_fraction_invalid, {text_value(part), text_value(name)});
}

// "A:w_A+B:w_B...", each name as find_fluid reads it.
composition_text typed_composition(const std::filesystem::path& data_dir, const std::string& name) {
    composition_text c;
    std::set<std::string> seen;
    double sum = 0;
    for (const std::string& part : split(name, '+')) {
        const auto colon = part.rfind(':');
        if (colon == std::string::npos) bad_fraction(part, name);
        const std::string fluid_name = part.substr(0, colon);
        const auto w = parse_number(part.substr(colon + 1));
        if (!w || !(*w > 0 && *w <= 1)) bad_fraction(part, name);
        const auto agent = find_fluid(data_dir, fluid_name);
        if (!agent)
            throw error(error_kind::data, message_id::fluid_not_found,
                        {text_value(fluid_name), text_value(data_dir.string())});
        if (!seen.insert(*agent).second)
            throw error(error_kind::input, message_id::component_repeated, {text_value(*agent), text_value(name)});
        c.agents.push_back(*agent);
        c.mass.push_back(*w);
        sum += *w;
    }
    if (c.agents.size() < 2) throw error(error_kind::input, message_id::mixture_one_component, {text_value(name)});
    if (!(std::fabs(sum - 1) <= FRACTION_SUM))
        throw error(error_kind::input, message_id::mass_fractions_sum,
                    {text_value(name), number_value(sum, quantity::fraction)});
    for (double& w : c.mass) w /= sum;
    return c;
}

std::string blends_path(const std::filesystem::path& data_dir) { return (data_dir / "mixtures" / "blends.txt").string(); }

// The predefined blends of data_dir; none without the file.
std::vector<blend_data> read_blends_of(const std::filesystem::path& data_dir) {
    return file_exists(blends_path(data_dir)) ? read_blends(blends_path(data_dir)) : std::vector<blend_data>{};
}

std::optional<blend_data> find_blend_named(const std::filesystem::path& data_dir, const std::string& name) {
    for (const blend_data& b : read_blends_of(data_dir))
        if (name_key(b.name) == name_key(name)) return b;
    return std::nullopt;
}

std::string description_of(const composition_text& c) {
    std::string names, shares;
    for (std::size_t i = 0; i < c.agents.size(); ++i) {
        if (i) names += '/', shares += '/';
        names += c.agents[i];
        shares += number_text(c.mass[i]);
    }
    return names + " " + shares + " (mass fractions)";
}

fluid_info mixture_info(const std::string& name, const std::string& description, const model& m,
                        const mixture_boundary& b, double M) {
    fluid_info i;
    i.agent = i.name = name;
    i.description = description;
    i.source = "multi-fluid mixture model of the components' equations (data/mixtures/pairs.txt)";
    const envelope_data& e = b.envelope();
    i.T_min = e.T_low;
    for (const auto& k : m.components) {
        const fluid_info& ki = k->info;
        if (ki.T_max) i.T_max = std::min(i.T_max.value_or(*ki.T_max), *ki.T_max);
        if (ki.p_max) i.p_max = std::min(i.p_max.value_or(*ki.p_max), *ki.p_max);
    }
    i.T_cr = e.critical.T;
    i.p_cr = e.critical.p;
    i.T_tp = e.T_low;
    i.p_tp = b.p_lowest(side::bubble);
    i.R = R_MIXTURE / M;
    i.molar_mass = M * 1000;
    i.glide = true;
    i.boundary = boundary_kind::envelope;
    i.T_reducing = m.T_r.at<double>(b.envelope_z()).y;
    i.rho_reducing = M / m.v_r.at<double>(b.envelope_z()).y;
    return i;
}

std::shared_ptr<const fluid_impl> make(const std::filesystem::path& data_dir, const std::string& name,
                                       const composition_text& c, reference_state ref) {
    for (const auto& a : c.agents) check_plain_name(a);
    model m = load_mixture(data_dir.string(), c.agents);
    composition z = mole_fractions(m, c.mass);
    return with_reference(mixture_fluid(std::move(m), z, name, description_of(c)), ref);
}

std::shared_ptr<const fluid_impl> make_blend(const std::filesystem::path& data_dir, const blend_data& b,
                                             reference_state ref) {
    composition_text c;
    for (const auto& [agent, w] : b.mass_fractions) {
        c.agents.push_back(agent);
        c.mass.push_back(w);
    }
    return make(data_dir, b.name, c, ref);
}

// The mixture a name means in data_dir, or nothing where it names none: a
// typed composition, or a blend of mixtures/blends.txt (its name as names
// compare).
std::shared_ptr<const fluid_impl> find_mixture(const std::filesystem::path& data_dir, const std::string& name,
                                               reference_state ref) {
    if (name.find(':') != std::string::npos) return make(data_dir, name, typed_composition(data_dir, name), ref);
    const auto b = find_blend_named(data_dir, name);
    return b ? make_blend(data_dir, *b, ref) : nullptr;
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The three agents or blends whose name or an alias comes closest to name.
std::string closest_names(const std::vector<fluid_info>& infos, const std::vector<blend_data>& blends,
                          const std::string& name) {
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const fluid_info& i : infos) {
        std::size_t d = edit_distance(name_key(name), name_key(i.agent));
        for (const auto& a : i.aliases) d = std::min(d, edit_distance(name_key(name), name_key(a)));
        ranked.emplace_back(d, i.agent);
    }
    for (const auto& b : blends) ranked.emplace_back(edit_distance(name_key(name), name_key(b.name)), b.name);
    std::sort(ranked.begin(), ranked.end());
    std::string out;
    for (std::size_t k = 0; k < ranked.size() && k < 3; ++k) out += (k ? ", " : "") + ranked[k].second;
    return out;
}

bool is_fluid_directory(const std::filesystem::path& data_dir, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(data_dir / name / "config.txt", ec);
}

// The fluid of infos whose agent or alias matches name as names compare.
std::optional<std::string> matching(const std::vector<fluid_info>& infos, const std::string& name) {
    const std::string key = name_key(name);
    for (const fluid_info& i : infos) {
        if (name_key(i.agent) == key) return i.agent;
        for (const auto& a : i.aliases)
            if (name_key(a) == key) return i.agent;
    }
    return std::nullopt;
}

}  // namespace

std::shared_ptr<fluid_impl> pure_fluid(std::shared_ptr<const component_data> c) {
    auto f = std::make_shared<fluid_impl>();
    auto m = std::make_shared<const model>(model_of(c));
    const double rho_c = c->cfg.rho_cr > 0 ? c->cfg.rho_cr : c->cfg.rho_div;
    f->core = fluid_core{m, {1.0}, 1, std::make_shared<pure_boundary>(m), c->info, rho_c};
    f->components = {{c->info.agent, 1, 1}};
    f->lines = glide_lines::of(c);
    return f;
}

std::shared_ptr<fluid_impl> mixture_fluid(model m, const composition& z, const std::string& name,
                                          const std::string& description) {
    auto f = std::make_shared<fluid_impl>();
    auto shared = std::make_shared<const model>(std::move(m));
    const double M = molar_mass(*shared, z);
    auto b = std::make_shared<mixture_boundary>(shared, z);
    const fluid_info info = mixture_info(name, description, *shared, *b, M);
    const double rho_c = b->envelope().rho_critical;
    const composition w = mass_fractions(*shared, z);
    for (std::size_t i = 0; i < z.size(); ++i) f->components.push_back({shared->components[i]->info.agent, w[i], z[i]});
    f->core = fluid_core{shared, z, M, std::move(b), info, rho_c};
    return f;
}

}  // namespace vantrel::detail

namespace vantrel {

using namespace detail;

fluid fluid::load(const std::filesystem::path& dir, reference_state ref) {
    fp_guard guard;
    return fluid(with_reference(pure_fluid(load_component(dir.string())), ref));
}

fluid fluid::load(const std::filesystem::path& data_dir, const std::string& agent, reference_state ref) {
    fp_guard guard;
    check_plain_name(agent);
    std::error_code ec;
    if (agent.empty() || !std::filesystem::is_directory(data_dir / agent, ec))
        throw error(error_kind::data, message_id::fluid_not_found, {text_value(agent), text_value(data_dir.string())});
    return fluid(with_reference(pure_fluid(load_component((data_dir / agent).string())), ref));
}

std::optional<std::string> find_fluid(const std::filesystem::path& data_dir, const std::string& name) {
    if (is_fluid_directory(data_dir, name)) return name;
    return matching(list_fluids(data_dir), name);
}

fluid fluid::by_name(const std::filesystem::path& data_dir, const std::string& name, reference_state ref) {
    fp_guard guard;
    if (name.find(':') != std::string::npos) return fluid(find_mixture(data_dir, name, ref));
    check_plain_name(name);
    if (is_fluid_directory(data_dir, name)) return load(data_dir, name, ref);
    // The configurations are read once, for the match or the closest names.
    const auto infos = list_fluids(data_dir);
    if (const auto agent = matching(infos, name)) return load(data_dir, *agent, ref);
    if (auto m = find_mixture(data_dir, name, ref)) return fluid(std::move(m));
    const auto blends = read_blends_of(data_dir);
    if (infos.empty() && blends.empty())
        throw error(error_kind::data, message_id::fluid_not_found, {text_value(name), text_value(data_dir.string())});
    throw error(error_kind::data, message_id::fluid_not_found_closest,
                {text_value(name), text_value(data_dir.string()), text_value(closest_names(infos, blends, name))});
}

std::vector<fluid_info> list_fluids(const std::filesystem::path& data_dir) {
    fp_guard guard;
    std::vector<std::filesystem::path> dirs;
    std::error_code ec;
    // An entry that cannot be looked at (a loop of links, no permission) is no fluid.
    for (const auto& e : std::filesystem::directory_iterator(data_dir, ec)) {
        std::error_code entry;
        if (e.is_directory(entry) && file_exists((e.path() / "config.txt").string())) dirs.push_back(e.path());
    }
    if (ec) throw error(error_kind::data, message_id::data_directory_missing, {text_value(data_dir.string())});
    std::sort(dirs.begin(), dirs.end());
    std::vector<fluid_info> out;
    for (const auto& d : dirs) out.push_back(read_fluid_info(d.string()));
    return out;
}

std::vector<blend_info> list_blends(const std::filesystem::path& data_dir) {
    fp_guard guard;
    std::vector<blend_info> out;
    // blends.txt read once, each blend made from its line
    for (const blend_data& b : read_blends_of(data_dir)) {
        const auto m = make_blend(data_dir, b, reference_state::configured);
        out.push_back({m->core.info, m->components});
    }
    return out;
}

}  // namespace vantrel
