// The public entry points: each runs under its own floating-point
// environment and checks what it returns.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/fpu.h"
#include "engine/states.h"
#include "engine/text.h"
#include "vantrel/vantrel.h"

namespace vantrel {

using namespace detail;

namespace {

void require_temperature(double T) {
    if (!(T > 0) || !std::isfinite(T))
        throw error(error_kind::input, "Недопустимая температура T = " + number_text(T) + " K: она должна быть больше 0 K.");
}

void require_pressure(double p) {
    if (!(p > 0) || !std::isfinite(p))
        throw error(error_kind::input, "Недопустимое давление p = " + number_text(p) + " Pa: оно должно быть больше 0 Pa.");
}

// Every number of a result must be finite, whatever the flags say.
void check_finite(const state& s) {
    for (double v : {s.T, s.p, s.rho, s.v, s.h, s.s, s.u, s.z}) finite(v);
    for (const auto& v : {s.cp, s.cv, s.w, s.jt, s.x, s.T_sat, s.p_sat})
        if (v) finite(*v);
}

state make_state(const fluid_data& f, double T, double p, const single_phase& sp) {
    const properties q = real_properties(constants_of(f), ideal_entry_at(f, T), T, p, sp.rho, sp.a);
    check_fp();
    state s;
    s.T = q.T;
    s.p = q.p;
    s.rho = q.rho;
    s.v = q.v;
    s.h = q.h;
    s.s = q.s;
    s.u = q.h - q.p / q.rho;
    s.z = q.z;
    s.cp = q.cp;
    s.cv = q.cv;
    s.w = q.w;
    s.jt = q.jt;
    s.phase = sp.phase;
    return s;
}

saturation make_saturation(const fluid_data& f, const saturated_pair& sp) {
    const property_constants c = constants_of(f);
    const ideal_entry id = ideal_entry_at(f, sp.T);
    const double rho_l = f.cfg.rho_div * sp.omega_1, rho_v = f.cfg.rho_div * sp.omega_2;
    const properties l = real_properties(c, id, sp.T, sp.p, rho_l, sp.a1);
    const properties v = real_properties(c, id, sp.T, sp.p, rho_v, sp.a2);
    check_fp();
    saturation s{sp.T, sp.p, rho_l, rho_v, l.h, v.h, l.s, v.s};
    for (double x : {s.T, s.p, s.rho_liq, s.rho_vap, s.h_liq, s.h_vap, s.s_liq, s.s_vap}) finite(x);
    return s;
}

}  // namespace

const char* phase_name(phase_kind phase) {
    switch (phase) {
        case phase_kind::gas: return "gas";
        case phase_kind::liquid: return "liquid";
        case phase_kind::supercritical: return "supercritical";
        default: return "";
    }
}

fluid fluid::load(const std::filesystem::path& dir) {
    fp_guard guard;
    return fluid(load_fluid(dir.string()));
}

const fluid_info& fluid::info() const { return data_->info; }

state fluid::at(input_pair, double T, double p, extras with) const {
    fp_guard guard;
    require_temperature(T);
    require_pressure(p);
    const fluid_data& f = *data_;
    const single_phase sp = solve_tp(f, T, p);
    state s = make_state(f, T, p, sp);
    if (with == extras::saturation) {
        // The phase decision may have solved the saturation state at T already.
        if (sp.sat && sp.sat->omega_1 && in_saturation_range(f.cfg, given::T, T, 1))
            s.p_sat = sp.sat->p;
        else if (const auto at_T = saturated_states(f, given::T, T))
            s.p_sat = at_T->p;
        if (const auto at_p = saturated_states(f, given::p, p)) s.T_sat = at_p->T;
    }
    s.warning = range_warning(f.info, T, p);
    check_fp();
    check_finite(s);
    return s;
}

std::optional<saturation> fluid::saturation_at_T(double T) const {
    fp_guard guard;
    require_temperature(T);
    const auto sp = saturated_states(*data_, given::T, T);
    if (!sp) return std::nullopt;
    return make_saturation(*data_, *sp);
}

std::optional<saturation> fluid::saturation_at_p(double p) const {
    fp_guard guard;
    require_pressure(p);
    const auto sp = saturated_states(*data_, given::p, p);
    if (!sp) return std::nullopt;
    return make_saturation(*data_, *sp);
}

residual_derivatives fluid::derivatives(double rho, double T) const {
    fp_guard guard;
    require_temperature(T);
    const residual_derivatives a = data_->residual.at(rho / data_->cfg.rho_div, T / data_->cfg.tau_div);
    check_fp();
    for (double v : {a.z_minus_1, a.p_rho, a.p_T, a.h, a.s, a.cv}) finite(v);
    return a;
}

std::vector<fluid_info> list_fluids(const std::filesystem::path& data_dir) {
    fp_guard guard;
    std::vector<std::filesystem::path> dirs;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(data_dir, ec))
        if (e.is_directory() && file_exists((e.path() / "config.txt").string())) dirs.push_back(e.path());
    if (ec) throw error(error_kind::data, "Каталог данных " + data_dir.string() + " не найден!");
    std::sort(dirs.begin(), dirs.end());
    std::vector<fluid_info> out;
    for (const auto& d : dirs) out.push_back(read_fluid_info(d.string()));
    return out;
}

}  // namespace vantrel
