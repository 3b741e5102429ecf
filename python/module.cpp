// The Python module's compiled part, vantrel._vantrel: the library's fluids,
// states, saturation and cycle with values in a unit system, and its errors
// as the Python classes the package defines. The package (vantrel/__init__.py)
// adds the rest in Python.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <set>
#include <cmath>
#include <limits>
#include <thread>

#include "cli/catalogue.h"
#include "vantrel/properties.h"
#include "vantrel/vantrel.h"

namespace py = pybind11;

namespace {

using vantrel::input_key;
using vantrel::quantity;
using vantrel::unit_system;

// The exception class of each error kind, set by the package once.
py::dict& error_classes() {
    static auto* classes = new py::dict();  // never destroyed: no Python call after the interpreter ends
    return *classes;
}

const char* kind_name(vantrel::error_kind k) {
    switch (k) {
        case vantrel::error_kind::data: return "data";
        case vantrel::error_kind::input: return "input";
        case vantrel::error_kind::no_convergence: return "no_convergence";
        case vantrel::error_kind::near_critical: return "near_critical";
        case vantrel::error_kind::floating_point: return "floating_point";
    }
    return "input";
}

void raise(const vantrel::error& e) {
    const py::object cls = error_classes()[kind_name(e.kind())];
    const py::object exc = cls(e.what());
    exc.attr("kind") = kind_name(e.kind());
    exc.attr("id") = std::string(vantrel::message_key(e.id()));
    PyErr_SetObject(cls.ptr(), exc.ptr());
}

// A usage error of the module: ValueError with the front ends' English text.
[[noreturn]] void refuse(cli::text_id id, const std::vector<vantrel::message_value>& values) {
    const vantrel::message_style english{vantrel::language::en, std::nullopt};
    throw py::value_error(vantrel::format_message(cli::text_template(id, english.lang), values, english));
}

unit_system units_named(const std::string& name) {
    if (const auto u = vantrel::find_unit_system(name)) return *u;
    refuse(cli::text_id::unknown_units, {vantrel::text_value(name), vantrel::text_value("si, eng, ip")});
}

vantrel::reference_state reference_named(const std::string& name) {
    if (name.empty()) return vantrel::reference_state::configured;
    if (const auto ref = vantrel::find_reference_state(name)) return *ref;
    refuse(cli::text_id::unknown_reference, {vantrel::text_value(name), vantrel::text_value("IIR, ASHRAE, NBP, DEF")});
}

input_key key_named(std::string_view name) {
    if (const vantrel::key_info* k = vantrel::find_key(name)) return k->id;
    refuse(cli::text_id::unknown_key, {vantrel::text_value(std::string(name)), vantrel::text_value("T, p, h, s, x, rho")});
}

const vantrel::property_info& property_named(const std::string& name) {
    if (const vantrel::property_info* p = vantrel::find_property(name)) return *p;
    std::string names;
    for (const auto& p : vantrel::properties()) names += (names.empty() ? "" : ", ") + std::string(p.name);
    refuse(cli::text_id::unknown_property, {vantrel::text_value(name), vantrel::text_value(names)});
}

py::object optional_value(const std::optional<double>& si, quantity q, unit_system u) {
    if (!si) return py::none();
    return py::float_(vantrel::from_si(q, u, *si));
}

// A loaded fluid and the units its values are given and returned in.
struct fluid_handle {
    vantrel::fluid f;
    unit_system units;

    // The pair of two keys and its values in SI units, in the pair's order.
    struct request {
        vantrel::input_pair pair;
        bool swapped;
        input_key a, b;
    };
    request request_of(std::string_view ka, std::string_view kb) const {
        const input_key a = key_named(ka), b = key_named(kb);
        if (a == b) refuse(cli::text_id::key_twice, {vantrel::text_value(std::string(ka))});
        const auto order = vantrel::pair_of(a, b);
        if (!order) refuse(cli::text_id::pair_not_supported, {vantrel::text_value(std::string(ka)), vantrel::text_value(std::string(kb)),
                                                              vantrel::text_value("(T, p) (p, h) (p, s) (T, x) (p, x) (T, rho) (h, s)")});
        return {order->pair, order->swapped, a, b};
    }
    vantrel::state at(const request& r, double va, double vb, vantrel::extras with = vantrel::extras::glide) const {
        const double sa = vantrel::to_si(info_of(r.a).q, units, va), sb = vantrel::to_si(info_of(r.b).q, units, vb);
        return r.swapped ? f.at(r.pair, sb, sa, with) : f.at(r.pair, sa, sb, with);
    }
};

// A state and the units it shows its values in.
struct state_handle {
    vantrel::state s;
    unit_system units;
    std::vector<std::string> components;  // a mixture's
};

// A two-phase mixture state's phase: {"mole": {component: fraction}, "mass": {...}}; None otherwise.
py::object phase_composition(const state_handle& h, bool liquid) {
    if (!h.s.phases) return py::none();
    const vantrel::phase_compositions& c = *h.s.phases;
    py::dict mole, mass;
    for (std::size_t i = 0; i < h.components.size(); ++i) {
        mole[py::str(h.components[i])] = (liquid ? c.liquid_mole : c.vapour_mole)[i];
        mass[py::str(h.components[i])] = (liquid ? c.liquid_mass : c.vapour_mass)[i];
    }
    py::dict out;
    out["mole"] = mole;
    out["mass"] = mass;
    return out;
}

py::object property_value(const state_handle& h, const vantrel::property_info& p) {
    if (p.id == vantrel::property::phase) {
        const char* name = vantrel::phase_name(h.s.phase);
        return *name ? py::object(py::str(name)) : py::none();
    }
    return optional_value(p.value(h.s), *p.q, h.units);
}

std::string state_repr(const state_handle& h) {
    std::string out = "State(";
    bool first = true;
    for (const auto& p : vantrel::properties()) {
        const py::object v = property_value(h, p);
        if (v.is_none()) continue;
        out += (first ? "" : ", ") + std::string(p.name) + "=" + py::repr(v).cast<std::string>();
        first = false;
    }
    return out + ", units='" + (h.units == unit_system::si ? "si" : h.units == unit_system::eng ? "eng" : "ip") + "')";
}

// The two keyword arguments of a state, read without copies: a scalar state
// costs little more than the engine's.
struct keyed_value {
    std::string_view key;
    double value = 0;
};
std::array<keyed_value, 2> two_values(const py::kwargs& kw) {
    if (kw.size() != 2) refuse(cli::text_id::state_needs_two, {vantrel::text_value(std::to_string(kw.size()))});
    std::array<keyed_value, 2> v;
    std::size_t i = 0;
    for (const auto& [k, value] : kw) {
        Py_ssize_t size = 0;
        const char* text = PyUnicode_AsUTF8AndSize(k.ptr(), &size);
        const double number = PyFloat_AsDouble(value.ptr());
        if (text == nullptr || (number == -1 && PyErr_Occurred())) throw py::error_already_set();
        v[i++] = {std::string_view(text, static_cast<std::size_t>(size)), number};
    }
    return v;
}

// The phases' names, one Python string for each phase (255: a failed state).
py::list phase_names(const std::vector<std::uint8_t>& phases) {
    py::list out;
    const py::str none("");
    std::array<py::str, 5> known;
    for (std::size_t j = 0; j < known.size(); ++j) known[j] = py::str(vantrel::phase_name(static_cast<vantrel::phase_kind>(j)));
    for (const std::uint8_t p : phases) out.append(p == 255 ? none : known[p]);
    return out;
}

// The properties of n states from the arrays a and b, on threads; a state
// that fails has NaN values and a failure record (the first one raised
// again when raise_first).
py::tuple props_of(const fluid_handle& h, const std::vector<std::string>& names, const std::string& ka,
                   py::array_t<double, py::array::c_style | py::array::forcecast> a, const std::string& kb,
                   py::array_t<double, py::array::c_style | py::array::forcecast> b, unsigned threads,
                   bool raise_first) {
    const auto r = h.request_of(ka, kb);
    std::vector<const vantrel::property_info*> props;
    vantrel::extras with = vantrel::extras::none;  // only what the properties need
    for (const std::string& n : names) {
        props.push_back(&property_named(n));
        with = std::max(with, props.back()->needs);
    }
    const std::size_t n = static_cast<std::size_t>(a.size());
    if (static_cast<std::size_t>(b.size()) != n) throw py::value_error("the two input arrays differ in size");
    std::vector<std::vector<double>> values(props.size(), std::vector<double>(n));
    std::vector<std::uint8_t> phases(n);
    std::vector<std::vector<std::pair<std::size_t, vantrel::error>>> failed(std::max(1u, threads));
    const double* pa = a.data();
    const double* pb = b.data();
    const auto work = [&](std::size_t from, std::size_t to, auto& errors) {
        for (std::size_t i = from; i < to; ++i) {
            try {
                const vantrel::state s = h.at(r, pa[i], pb[i], with);
                for (std::size_t k = 0; k < props.size(); ++k) {
                    const auto* p = props[k];
                    if (p->id == vantrel::property::phase) continue;
                    const std::optional<double> v = p->value(s);
                    values[k][i] = v ? vantrel::from_si(*p->q, h.units, *v) : std::numeric_limits<double>::quiet_NaN();
                }
                phases[i] = static_cast<std::uint8_t>(s.phase);
            } catch (const vantrel::error& e) {
                for (auto& column : values) column[i] = std::numeric_limits<double>::quiet_NaN();
                phases[i] = 255;
                errors.emplace_back(i, e);
            }
        }
    };
    {
        py::gil_scoped_release release;
        const unsigned t = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(n, 1)));
        std::vector<std::thread> pool;
        for (unsigned k = 1; k < t; ++k)
            pool.emplace_back([&, k] { work(n * k / t, n * (k + 1) / t, failed[k]); });
        work(0, n / t, failed[0]);
        for (auto& th : pool) th.join();
    }
    py::list failures;
    for (const auto& share : failed)
        for (const auto& [i, e] : share) {
            if (raise_first) throw e;
            failures.append(py::make_tuple(i, kind_name(e.kind()), std::string(vantrel::message_key(e.id())), e.what()));
        }
    py::dict out;
    for (std::size_t k = 0; k < props.size(); ++k) {
        const py::str name(props[k]->name);
        if (props[k]->id == vantrel::property::phase)
            out[name] = phase_names(phases);
        else
            out[name] = py::array_t<double>(static_cast<py::ssize_t>(n), values[k].data());
    }
    return py::make_tuple(out, failures);
}

py::dict info_dict(const vantrel::fluid_info& i, unit_system u) {
    py::dict d;
    d["agent"] = i.agent;
    d["name"] = i.name;
    d["description"] = i.description;
    d["source"] = i.source;
    d["reference_state"] = i.reference_state;
    d["safety_class"] = i.safety_class;
    d["aliases"] = i.aliases;
    d["T_min"] = optional_value(i.T_min, quantity::temperature, u);
    d["T_max"] = optional_value(i.T_max, quantity::temperature, u);
    d["p_max"] = optional_value(i.p_max, quantity::pressure, u);
    d["T_cr"] = optional_value(i.T_cr, quantity::temperature, u);
    d["p_cr"] = optional_value(i.p_cr, quantity::pressure, u);
    d["T_tp"] = optional_value(i.T_tp, quantity::temperature, u);
    d["p_tp"] = optional_value(i.p_tp, quantity::pressure, u);
    d["R"] = optional_value(i.R, quantity::entropy, u);
    d["molar_mass"] = i.molar_mass;
    d["glide"] = i.glide;
    return d;
}

// The one value saturation() and boundary() take, T=... or p=..., in SI units.
std::pair<bool, double> given_value(const fluid_handle& h, const py::kwargs& kw, const char* call) {
    if (kw.size() != 1 || !(kw.contains("T") || kw.contains("p")))
        throw py::value_error(std::string(call) + "() takes one value: T=... or p=...");
    const bool by_T = kw.contains("T");
    const double given = (by_T ? kw["T"] : kw["p"]).cast<double>();
    return {by_T, vantrel::to_si(by_T ? quantity::temperature : quantity::pressure, h.units, given)};
}

vantrel::phase_boundary boundary_at(const fluid_handle& h, bool by_T, double si) {
    return by_T ? h.f.boundary_at_T(si) : h.f.boundary_at_p(si);
}

// A blend's bubble and dew values: pressures at T, temperatures at p.
void add_lines(py::dict& d, const vantrel::bubble_dew& lines, bool by_T, unit_system u) {
    const quantity q = by_T ? quantity::pressure : quantity::temperature;
    d[by_T ? "pbub" : "Tbub"] = optional_value(lines.bubble, q, u);
    d[by_T ? "pdew" : "Tdew"] = optional_value(lines.dew, q, u);
}

// The saturated liquid (of the bubble point) and vapour (of the dew point).
void add_phases(py::dict& d, const vantrel::equilibrium_point* liquid, const vantrel::equilibrium_point* vapour,
                unit_system u) {
    const auto value = [&](const vantrel::equilibrium_point* pt, double vantrel::equilibrium_point::*field,
                           std::optional<quantity> q) -> py::object {
        if (!pt) return py::none();
        return q ? optional_value(pt->*field, *q, u) : py::float_(pt->*field);
    };
    d["rho_liq"] = value(liquid, &vantrel::equilibrium_point::rho_liquid, std::nullopt);
    d["rho_vap"] = value(vapour, &vantrel::equilibrium_point::rho_vapour, std::nullopt);
    d["h_liq"] = value(liquid, &vantrel::equilibrium_point::h_liquid, quantity::energy);
    d["h_vap"] = value(vapour, &vantrel::equilibrium_point::h_vapour, quantity::energy);
    d["s_liq"] = value(liquid, &vantrel::equilibrium_point::s_liquid, quantity::entropy);
    d["s_vap"] = value(vapour, &vantrel::equilibrium_point::s_vapour, quantity::entropy);
}

// The saturation table's row: a pure fluid's one saturation state (with a
// pseudo-pure blend's bubble and dew values), or a mixture's bubble and dew
// values at the given T or p, the liquid of its bubble point and the vapour
// of its dew point; None where there is neither point.
py::object saturation_dict(const fluid_handle& h, const py::kwargs& kw) {
    const auto [by_T, si] = given_value(h, kw, "saturation");
    const vantrel::phase_boundary b = boundary_at(h, by_T, si);
    if (!b.bubble && !b.dew) return py::none();
    const unit_system u = h.units;
    py::dict d;
    if (h.f.info().boundary == vantrel::boundary_kind::envelope) {
        d[by_T ? "T" : "p"] = optional_value(si, by_T ? quantity::temperature : quantity::pressure, u);
        add_lines(d, b.lines, by_T, u);
    } else {
        d["T"] = optional_value(b.dew->T, quantity::temperature, u);
        d["p"] = optional_value(b.dew->p, quantity::pressure, u);
    }
    add_phases(d, b.bubble ? &*b.bubble : nullptr, b.dew ? &*b.dew : nullptr, u);
    if (h.f.info().glide && h.f.info().boundary != vantrel::boundary_kind::envelope) add_lines(d, b.lines, by_T, u);
    return d;
}

// {component: fraction} by mole and by mass.
py::dict composition_dict(const fluid_handle& h, const std::vector<double>& mole, const std::vector<double>& mass) {
    py::dict by_mole, by_mass, out;
    const auto& components = h.f.components();
    for (std::size_t i = 0; i < components.size(); ++i) {
        by_mole[py::str(components[i].agent)] = mole[i];
        by_mass[py::str(components[i].agent)] = mass[i];
    }
    out["mole"] = by_mole;
    out["mass"] = by_mass;
    return out;
}

py::object point_dict(const fluid_handle& h, const std::optional<vantrel::equilibrium_point>& pt) {
    if (!pt) return py::none();
    py::dict d;
    d["T"] = optional_value(pt->T, quantity::temperature, h.units);
    d["p"] = optional_value(pt->p, quantity::pressure, h.units);
    add_phases(d, &*pt, &*pt, h.units);
    d["incipient"] = composition_dict(h, pt->incipient_mole, pt->incipient_mass);
    return d;
}

py::dict boundary_dict(const fluid_handle& h, const py::kwargs& kw) {
    const auto [by_T, si] = given_value(h, kw, "boundary");
    const vantrel::phase_boundary b = boundary_at(h, by_T, si);
    py::dict d;
    d["bubble"] = point_dict(h, b.bubble);
    d["dew"] = point_dict(h, b.dew);
    if (h.f.info().glide) add_lines(d, b.lines, by_T, h.units);
    return d;
}

// A line of the envelope as arrays: T, p and both phases' rho, h and s.
py::dict envelope_line(const std::vector<vantrel::equilibrium_point>& line, unit_system u) {
    using point = vantrel::equilibrium_point;
    const std::pair<const char*, std::pair<double point::*, std::optional<quantity>>> columns[] = {
        {"T", {&point::T, quantity::temperature}},  {"p", {&point::p, quantity::pressure}},
        {"rho_liq", {&point::rho_liquid, std::nullopt}}, {"rho_vap", {&point::rho_vapour, std::nullopt}},
        {"h_liq", {&point::h_liquid, quantity::energy}}, {"h_vap", {&point::h_vapour, quantity::energy}},
        {"s_liq", {&point::s_liquid, quantity::entropy}}, {"s_vap", {&point::s_vapour, quantity::entropy}},
    };
    py::dict d;
    for (const auto& [name, column] : columns) {
        py::array_t<double> a(static_cast<py::ssize_t>(line.size()));
        auto v = a.mutable_unchecked<1>();
        for (std::size_t i = 0; i < line.size(); ++i) {
            const double si = line[i].*column.first;
            v(static_cast<py::ssize_t>(i)) = column.second ? vantrel::from_si(*column.second, u, si) : si;
        }
        d[name] = a;
    }
    return d;
}

py::dict envelope_dict(const fluid_handle& h) {
    const vantrel::phase_envelope& e = h.f.envelope();
    const unit_system u = h.units;
    const auto T = [&](double v) { return vantrel::from_si(quantity::temperature, u, v); };
    const auto p = [&](double v) { return vantrel::from_si(quantity::pressure, u, v); };
    py::dict d;
    d["dew"] = envelope_line(e.dew, u);
    d["bubble"] = envelope_line(e.bubble, u);
    d["critical"] = py::dict(py::arg("T") = T(e.T_critical), py::arg("p") = p(e.p_critical),
                             py::arg("rho") = e.rho_critical);
    d["cricondenbar"] = py::dict(py::arg("T") = T(e.T_cricondenbar), py::arg("p") = p(e.p_cricondenbar));
    d["cricondentherm"] = py::dict(py::arg("T") = T(e.T_cricondentherm), py::arg("p") = p(e.p_cricondentherm));
    d["refused"] = py::dict(py::arg("T") = T(e.T_refused), py::arg("p") = p(e.p_refused));
    return d;
}

vantrel::cycle_input cycle_input_of(const fluid_handle& h, const py::kwargs& kw) {
    const unit_system u = h.units;
    const auto get = [&](const char* key, quantity q) -> std::optional<double> {
        if (!kw.contains(key) || kw[key].is_none()) return std::nullopt;
        return vantrel::to_si(q, u, kw[key].cast<double>());
    };
    for (const auto& [k, v] : kw) {
        const std::string key = k.cast<std::string>();
        static const std::set<std::string> known{"evap", "cond", "gc_out", "high", "superheat",
                                                 "subcool", "eta", "vol_eff", "capacity"};
        if (!known.contains(key)) refuse(cli::text_id::cycle_unknown_key, {vantrel::text_value(key)});
    }
    vantrel::cycle_input in;
    const auto evap = get("evap", quantity::temperature);
    if (!evap) refuse(cli::text_id::cycle_evap_missing, {});
    in.T_evap = *evap;
    in.T_cond = get("cond", quantity::temperature);
    in.T_gc_out = get("gc_out", quantity::temperature);
    in.p_high = get("high", quantity::pressure);
    in.superheat = get("superheat", quantity::temperature_difference).value_or(0);
    in.subcool = get("subcool", quantity::temperature_difference).value_or(0);
    in.eta = get("eta", quantity::fraction).value_or(1);
    in.vol_eff = get("vol_eff", quantity::fraction);
    in.capacity = get("capacity", quantity::power);
    return in;
}

// The cycle's record, as the command line's JSON has it.
py::dict cycle_dict(const fluid_handle& h, const py::kwargs& kw) {
    const vantrel::cycle_result r = vantrel::vapour_compression(h.f, cycle_input_of(h, kw));
    const unit_system u = h.units;
    const auto figures = vantrel::figures_of(r);
    static const char* const POINT_KEYS[] = {"T", "p", "h", "s", "rho", "x"};
    py::dict units, doc;
    for (const char* name : POINT_KEYS) units[name] = std::string(vantrel::unit_of(*vantrel::find_property(name)->q, u).name);
    for (const auto& fig : figures)
        if (fig.value) units[fig.name] = std::string(vantrel::unit_of(fig.q, u).name);
    doc["fluid"] = h.f.info().agent;
    doc["units"] = units;
    if (const auto note = vantrel::convention_note(r)) doc["convention"] = note->text();
    py::list points;
    for (const auto& pt : r.points) {
        py::dict o;
        o["name"] = pt.name;
        for (const char* name : POINT_KEYS) {
            const auto* p = vantrel::find_property(name);
            o[name] = optional_value(p->value(pt.s), *p->q, u);
        }
        points.append(o);
    }
    doc["points"] = points;
    for (const auto& fig : figures)
        if (fig.value) doc[fig.name] = vantrel::from_si(fig.q, u, *fig.value);
    py::list warnings;
    for (const auto& w : r.warnings) warnings.append(w.text({vantrel::language::en, u}));
    doc["warnings"] = warnings;
    return doc;
}

void bind_state(py::module_& m) {
    py::class_<state_handle>(m, "State", "One state of a fluid: its properties as attributes in the fluid's units, "
                                         "None where the state has none (c_p of a two-phase state, x of a gas).")
        .def("__repr__", &state_repr);
    auto state_class = py::reinterpret_borrow<py::class_<state_handle>>(m.attr("State"));
    for (const auto& p : vantrel::properties())
        state_class.def_property_readonly(std::string(p.name).c_str(),
                                          [&p](const state_handle& h) { return property_value(h, p); });
    state_class.def_property_readonly(
        "liquid", [](const state_handle& h) { return phase_composition(h, true); },
        "A mixture's two-phase state: the liquid's {'mole': {component: fraction}, 'mass': {...}}; None otherwise.");
    state_class.def_property_readonly(
        "vapour", [](const state_handle& h) { return phase_composition(h, false); },
        "A mixture's two-phase state: the vapour's {'mole': {component: fraction}, 'mass': {...}}; None otherwise.");
}

void bind_fluid(py::module_& m) {
    py::class_<fluid_handle>(m, "_Fluid")
        .def(py::init([](const std::string& data, const std::string& name, const std::string& units,
                         const std::string& ref) {
                 return fluid_handle{vantrel::fluid::by_name(data, name, reference_named(ref)), units_named(units)};
             }),
             py::arg("data"), py::arg("name"), py::arg("units"), py::arg("ref"))
        .def_property_readonly(
            "name", [](const fluid_handle& h) { return h.f.info().agent; },
            "The fluid's agent name (its data directory's name).")
        .def_property_readonly(
            "info", [](const fluid_handle& h) { return info_dict(h.f.info(), h.units); },
            "What the fluid's configuration states, as vantrel.fluids() gives it.")
        .def(
            "state",
            [](const fluid_handle& h, const py::kwargs& kw) {
                const auto [a, b] = two_values(kw);
                std::vector<std::string> names;
                for (const auto& c : h.f.components()) names.push_back(c.agent);
                return state_handle{h.at(h.request_of(a.key, b.key), a.value, b.value), h.units, std::move(names)};
            },
            "The state of two values by keyword: any pair of T, p, h, s, x (vapour mass fraction) and rho, "
            "e.g. state(T=293.15, p=5e5) or state(p=5e5, h=4e5); a State.")
        .def("_props", &props_of)
        .def("saturation", &saturation_dict,
             "The saturated liquid and vapour at T=... or at p=..., as the saturation table has them: a dict "
             "of T and p (a mixture's given one, with its bubble and dew values pbub, pdew or Tbub, Tdew), "
             "rho_liq, rho_vap, h_liq, h_vap, s_liq, s_vap (the liquid of the bubble point, the vapour of the "
             "dew point), and a blend's bubble and dew values; None where the fluid has no saturation state there.")
        .def("boundary", &boundary_dict,
             "The phase boundary at T=... or at p=...: {'bubble': point, 'dew': point} (a pure fluid's "
             "saturation state twice), each point a dict of T, p, rho_liq, rho_vap, h_liq, h_vap, s_liq, s_vap "
             "and the incipient phase's {'mole': {...}, 'mass': {...}}, None where there is none; a blend's "
             "bubble and dew values besides.")
        .def("envelope", &envelope_dict,
             "A mixture's phase envelope: 'dew' and 'bubble' lines as dicts of arrays (T, p, rho_liq, rho_vap, "
             "h_liq, h_vap, s_liq, s_vap, in the order of rising pressure), the 'critical' point (T, p, rho), "
             "the 'cricondenbar', the 'cricondentherm' and where bubble and dew points are 'refused' (T, p) "
             "on. An InputError for a pure fluid.")
        .def_property_readonly(
            "components",
            [](const fluid_handle& h) {
                py::list out;
                for (const auto& c : h.f.components())
                    out.append(py::dict(py::arg("name") = c.agent, py::arg("mass_fraction") = c.mass_fraction,
                                        py::arg("mole_fraction") = c.mole_fraction));
                return out;
            },
            "The components with their mass and mole fractions (a pure fluid: itself, 1).")
        .def("_cycle", &cycle_dict);
}

}  // namespace

PYBIND11_MODULE(_vantrel, m) {
    m.doc() = "The compiled part of the vantrel package; use the package itself (import vantrel).";
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const vantrel::error& e) {
            raise(e);
        }
    });
    m.def("_set_error_classes", [](py::dict classes) { error_classes() = classes; });
    m.def("version", &vantrel::version, "The library's version, 'MAJOR.MINOR.PATCH'.");
    m.def(
        "_fluids",
        [](const std::string& data, const std::string& units) {
            py::list out;
            for (const auto& i : vantrel::list_fluids(data)) out.append(info_dict(i, units_named(units)));
            for (const auto& b : vantrel::list_blends(data)) out.append(info_dict(b.info, units_named(units)));
            return out;
        },
        py::arg("data"), py::arg("units"));
    bind_state(m);
    bind_fluid(m);
}

