#include "legacy/record.h"

#include <cmath>

#include "engine/base/constants.h"
#include "engine/base/fpu.h"

namespace legacy {

namespace d = vantrel::detail;

namespace {

// The ideal-gas values a state starts from: c_v = c_p - R, h, and the
// entropy's part that depends on T only.
struct ideal_entry {
    double cv = 0, h = 0, s0 = 0;
};

ideal_entry ideal_entry_at(const d::component_data& c, double T) {
    const d::ideal_values v = c.ideal->at(T);
    return {v.cp - c.cfg.R, v.h, v.s};
}

// Every property of a single-phase state: its ideal-gas part at T, then
// the residual one (x and dh 0).
properties real_properties(const d::component_data& c, double T, double p, double rho,
                           const vantrel::residual_derivatives& a) {
    const ideal_entry id = ideal_entry_at(c, T);
    properties q;
    q.c_v = id.cv;
    q.h = id.h;
    q.s_0 = id.s0;
    add_residual(constants_of(c), T, p, rho, a, q);
    return q;
}

}  // namespace

vantrel::residual_derivatives derivatives_of(const d::alpha_derivatives<double>& a) {
    return {a.d, 2 * a.d + a.dd, a.d - a.dt, a.d + a.t, a.t - a.a, -a.tt};
}

property_constants constants_of(const d::component_data& c) {
    return {c.cfg.R, c.cfg.mu, c.cfg.rho_cr, d::is_helmholtz_form(c.cfg.ideal.type_calc)};
}

void add_ideal_gas(const d::ideal_model& m, const property_constants& c, double T, double p, properties& rec) {
    const d::ideal_values v = m.at(T);
    const double r = c.R;
    rec.c_p = v.cp;
    rec.h = v.h;
    rec.s_0 = v.s;
    rec.r = r;
    rec.mu = c.mu;
    rec.t = T;
    rec.p = p;
    rec.rho = p / (T * r);
    rec.z = 1;
    const double state_term = c.helmholtz ? std::log(c.rho_cr / rec.rho) : std::log(d::ATMOSPHERE / p);
    rec.s = v.s + state_term * r;
    rec.c_v = rec.c_p - r;
    rec.k = rec.c_p / rec.c_v;
    rec.c = std::sqrt(T * r * rec.k);
    d::check_fp();
}

void add_residual(const property_constants& c, double T, double p, double rho, const vantrel::residual_derivatives& a,
                  properties& rec) {
    const double r = c.R;
    rec.t = T;
    rec.p = p;
    rec.rho = rho;
    rec.v = 1 / rho;
    rec.r = r;
    rec.mu = c.mu;
    rec.z = 1 + a.z_minus_1;
    rec.fug = std::exp(a.h - a.s) * r * rho * T;
    rec.c_v = rec.c_v + a.cv * r;
    rec.c_p = rec.c_v + r * (1 + a.p_T) * (1 + a.p_T) / (1 + a.p_rho);
    rec.h = rec.h + a.h * r * T;
    const double add_s = c.helmholtz ? std::log(c.rho_cr / rho) : std::log(d::ATMOSPHERE / (r * rho * T));
    rec.s = rec.s_0 + r * (add_s + a.s);
    rec.s_r = a.s;
    rec.k = (1 + a.p_rho) * (rec.c_p / rec.c_v) / (1 + a.z_minus_1);
    rec.xi = rec.c_p / (rec.c_v + r * (a.z_minus_1 - a.p_T) * (1 + a.p_T) * (1 + a.p_rho));
    rec.c = std::sqrt((rec.c_p / rec.c_v) * T * r * (1 + a.p_rho));
    rec.isoth_eff = (a.p_T - a.p_rho) / ((1 + a.p_rho) * rho);
    rec.adiab_eff = (a.p_T - a.p_rho) / ((1 + a.p_rho) * rec.c_p * rho);
    rec.k_alpha = (1 + a.p_T) / (1 + a.p_rho);
    rec.k_betta = (1 + a.z_minus_1) / (1 + a.p_rho);
    rec.k_gamma = (1 + a.p_T) / (1 + a.z_minus_1);
    rec.mu_t = (1 + a.z_minus_1) * (1 + a.z_minus_1) / (1 + a.p_rho);
    rec.mu_p = (1 + a.z_minus_1) * (1 + a.p_T) / (1 + a.p_rho);
}

void single_phase_x(vantrel::phase_kind phase, properties& rec) {
    if (phase == vantrel::phase_kind::gas || phase == vantrel::phase_kind::supercritical) rec.x = 1;
    if (phase == vantrel::phase_kind::liquid) rec.x = 0;
}

void fill_record(const d::fluid_impl& f, const d::flash_state& st, properties& rec) {
    const d::component_data& c = f.core.m->pure();
    const double M = f.core.M;
    if (!st.split) {
        const ideal_entry id = ideal_entry_at(c, st.T);
        rec.c_v = id.cv;
        rec.h = id.h;
        rec.s_0 = id.s0;
        add_residual(constants_of(c), st.T, st.p, st.rho * M, derivatives_of(st.alpha), rec);
        single_phase_x(st.phase, rec);
        if (st.x) rec.x = *st.x;
        return;
    }
    // The two phases weighted by x, the liquid's fugacity (the phases' are equal).
    const d::two_phase& s = *st.split;
    const d::model_at<double> e(*f.core.m, s.T, f.core.z);
    const properties l = real_properties(c, s.T, s.p, s.rho_x * M, derivatives_of(e.alpha(s.rho_x)));
    const properties v = real_properties(c, s.T, s.p, s.rho_y * M, derivatives_of(e.alpha(s.rho_y)));
    d::check_fp();
    const double x = *st.x;
    rec.t = s.T;
    rec.p = s.p;
    rec.v = (1 - x) * l.v + x * v.v;
    rec.rho = 1 / rec.v;
    rec.r = c.cfg.R;
    rec.mu = c.cfg.mu;
    rec.z = s.p * rec.v / (c.cfg.R * s.T);
    rec.fug = l.fug;
    rec.h = (1 - x) * l.h + x * v.h;
    rec.s = (1 - x) * l.s + x * v.s;
    rec.x = x;
    rec.dh = v.h - l.h;
}

void add_saturated(const d::fluid_impl& f, const d::boundary_point& s, vantrel::phase_kind side, properties& rec) {
    const d::component_data& c = f.core.m->pure();
    const d::model_at<double> e(*f.core.m, s.T, f.core.z);
    const vantrel::residual_derivatives a1 = derivatives_of(e.alpha(s.rho_x)), a2 = derivatives_of(e.alpha(s.rho_y));
    if (side == vantrel::phase_kind::liquid || side == vantrel::phase_kind::gas) {
        const bool liquid = side == vantrel::phase_kind::liquid;
        rec = real_properties(c, s.T, s.p, (liquid ? s.rho_x : s.rho_y) * f.core.M, liquid ? a1 : a2);
        single_phase_x(side, rec);
    }
    rec.t = s.T;
    rec.p = s.p;
    rec.dh = s.T * c.cfg.R * (a2.h - a1.h);
    d::check_fp();
}

}  // namespace legacy
