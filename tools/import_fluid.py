#!/usr/bin/python3
"""Writes a pure fluid's data directory from the public coefficient file of
its reference equation (CoolProp's dev/fluids/<file>.json, whose numbers are
those of the publication the fluid's entry below cites).

    import_fluid.py SOURCES_DIR AGENT [--data DATA_DIR] [--expansion-tool BIN] [--cli BIN]

(the programs default to build/vantrel_sat_expansion and build/vantrel_cli.)

What it writes into DATA_DIR/AGENT (default data/AGENT):
  eos_coeff.txt   the residual part, one term a row in the program's kinds:
                  0 power, 1 Gaussian, 3 the terms of Lemmon and Jacobsen
                  (2005), 4 the terms of Gao et al. (2020)
  c_p.txt         the ideal part as terms of F(THETA) (form f_pol, f_exp or
                  f_comb); the constant and linear parts of the heat-capacity
                  integrals (from their reference temperature T0) are added to
                  s_0 and h_0, so h and s are the publication's own
  sat_line*.txt   the ancillary equations of the saturation pressure and the
                  saturated densities (refitted in y = 1 - T/tau_div where the
                  ancillary reduces by another temperature)
  config.txt      with the equation's own critical point (from the 50-digit
                  evaluation in tools/reference/), its equal-area pressure at
                  the triple point, and the IIR shift h_shift, s_shift:
                  what moves the publication's reference state to h = 200
                  kJ/kg, s = 1 kJ/(kg K) on the equal-area saturated liquid at
                  0 C (tools/reference/states_mpmath.py iir)
  sat_expansion.txt  by the generator (vantrel_sat_expansion); the
                  program's pressure at the triple point from them then
                  becomes p_tp

Numbers are written as the shortest text that reads back as the same double,
so the tables hold the file's numbers exactly.
"""

import argparse
import json
import math
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "reference"))

# agent: (source file, description, safety class (ANSI/ASHRAE 34-2022), other names, citation)
FLUIDS = {
    "R1234yf": ("R1234yf", "2,3,3,3-tetrafluoroprop-1-ene", "A2L", "HFO-1234yf",
                'E. W. Lemmon and R. Akasaka, "An International Standard Formulation for 2,3,3,3-Tetrafluoroprop-1-ene '
                '(R1234yf) Covering Temperatures from the Triple-Point Temperature to 410 K and Pressures Up to 100 MPa", '
                "Int. J. Thermophys. 43, 119 (2022)"),
    "R1234ze(E)": ("R1234ze(E)", "trans-1,3,3,3-tetrafluoropropene", "A2L", "HFO-1234ze(E), R1234zeE",
                   'M. Thol and E. W. Lemmon, "Equation of State for the Thermodynamic Properties of '
                   'trans-1,3,3,3-Tetrafluoropropene [R-1234ze(E)]", Int. J. Thermophys. 37, 28 (2016)'),
    "R1233zd(E)": ("R1233zd(E)", "trans-1-chloro-3,3,3-trifluoropropene", "A1", "HCFO-1233zd(E), R1233zdE",
                   'R. Akasaka and E. W. Lemmon, "An International Standard Formulation for '
                   "trans-1-Chloro-3,3,3-trifluoroprop-1-ene [R1233zd(E)] Covering Temperatures from the Triple-Point "
                   'Temperature to 450 K and Pressures up to 100 MPa", J. Phys. Chem. Ref. Data 51, 023101 (2022)'),
    "R1336mzz(Z)": ("R1336mzz(Z)", "cis-1,1,1,4,4,4-hexafluoro-2-butene", "A1", "HFO-1336mzz(Z), R1336mzzZ",
                    'M. O. McLinden and R. Akasaka, "Thermodynamic Properties of cis-1,1,1,4,4,4-Hexafluorobutene '
                    "[R-1336mzz(Z)]: Vapor Pressure, (p, rho, T) Behavior, and Speed of Sound Measurements and Equation "
                    'of State", J. Chem. Eng. Data 65, 4201-4214 (2020)'),
    "R290": ("n-Propane", "propane", "A3", "propane",
             'E. W. Lemmon, M. O. McLinden and W. Wagner, "Thermodynamic Properties of Propane. III. A Reference '
             'Equation of State for Temperatures from the Melting Line to 650 K and Pressures up to 1000 MPa", '
             "J. Chem. Eng. Data 54, 3141-3180 (2009)"),
    "R600a": ("IsoButane", "isobutane", "A3", "isobutane",
              'D. Buecker and W. Wagner, "Reference Equations of State for the Thermodynamic Properties of Fluid '
              'Phase n-Butane and Isobutane", J. Phys. Chem. Ref. Data 35, 929-1019 (2006)'),
    "R600": ("n-Butane", "n-butane", "A3", "butane, n-butane",
             'D. Buecker and W. Wagner, "Reference Equations of State for the Thermodynamic Properties of Fluid '
             'Phase n-Butane and Isobutane", J. Phys. Chem. Ref. Data 35, 929-1019 (2006)'),
    "R1270": ("Propylene", "propylene (propene)", "A3", "propylene, propene",
              'E. W. Lemmon, M. O. McLinden, U. Overhoff and W. Wagner, "A Reference Equation of State for Propylene '
              'for Temperatures from the Melting Line to 575 K and Pressures up to 1000 MPa" (2013)'),
    "R717": ("Ammonia", "ammonia", "B2L", "ammonia, NH3",
             'K. Gao, J. Wu, I. H. Bell, A. H. Harvey and E. W. Lemmon, "A Reference Equation of State with an '
             'Associating Term for the Thermodynamic Properties of Ammonia", J. Phys. Chem. Ref. Data 52, 013102 (2023)'),
    "R22": ("R22", "chlorodifluoromethane", "A1", "HCFC-22",
            'A. Kamei, S. W. Beyerlein and R. T Jacobsen, "Application of Nonlinear Regression in the Development of '
            'a Wide Range Formulation for HCFC-22", Int. J. Thermophys. 16, 1155-1164 (1995)'),
    "R125": ("R125", "pentafluoroethane", "A1", "HFC-125",
             'E. W. Lemmon and R. T Jacobsen, "A New Functional Form and New Fitting Techniques for Equations of State '
             'with Application to Pentafluoroethane (HFC-125)", J. Phys. Chem. Ref. Data 34, 69-108 (2005)'),
    "R143a": ("R143a", "1,1,1-trifluoroethane", "A2L", "HFC-143a",
              'E. W. Lemmon and R. T Jacobsen, "An International Standard Formulation for the Thermodynamic Properties '
              'of 1,1,1-Trifluoroethane (HFC-143a) for Temperatures from 161 to 450 K and Pressures to 50 MPa", '
              "J. Phys. Chem. Ref. Data 29, 521-552 (2000)"),
    "R152a": ("R152A", "1,1-difluoroethane", "A2", "HFC-152a",
              'D. R. Outcalt and M. O. McLinden, "A Modified Benedict-Webb-Rubin Equation of State for the '
              'Thermodynamic Properties of R152a (1,1-difluoroethane)", J. Phys. Chem. Ref. Data 25, 605-636 (1996)'),
    "R227ea": ("R227EA", "1,1,1,2,3,3,3-heptafluoropropane", "A1", "HFC-227ea",
               'E. W. Lemmon and R. Span, "Thermodynamic Properties of R-227ea, R-365mfc, R-115, and R-13I1", '
               "J. Chem. Eng. Data 60, 3745-3758 (2015)"),
    "R245fa": ("R245fa", "1,1,1,3,3-pentafluoropropane", "B1", "HFC-245fa",
               'R. Akasaka, Y. Zhou and E. W. Lemmon, "A Fundamental Equation of State for 1,1,1,3,3-Pentafluoropropane '
               '(R-245fa)", J. Phys. Chem. Ref. Data 44, 013104 (2015)'),
    "R23": ("R23", "trifluoromethane", "A1", "HFC-23",
            'S. A. Penoncello, E. W. Lemmon, R. T Jacobsen and Z. Shan, "A Fundamental Equation for Trifluoromethane '
            '(R-23)", J. Phys. Chem. Ref. Data 32, 1473-1499 (2003)'),
}


# Ranges of validity the publication states where the coefficient file's
# T_max and p_max (the limits of that library) go beyond them.
STATED_RANGE = {"R143a": (450.0, 50e6)}  # the title of Lemmon and Jacobsen (2000)


def num(x):
    """The shortest text that reads back as the double x (repr), without a trailing '.0'."""
    t = repr(float(x))
    return t[:-2] if t.endswith(".0") else t


def table_text(rows, heading):
    cols = max(len(r) for r in rows)
    out = ["%d %d %d rows, columns, heading lines" % (len(rows), cols, len(heading))]
    out += heading
    out += [" ".join(num(v) for v in list(r) + [0] * (cols - len(r))) for r in rows]
    return "\n".join(out) + "\n"


# ---------------------------------------------------------------------------
# residual part
# ---------------------------------------------------------------------------

def residual_rows(eos):
    rows = []
    for term in eos["alphar"]:
        typ, k = term["type"], len(term["n"])
        col = lambda name, i: term[name][i]
        for i in range(k):
            if typ == "ResidualHelmholtzPower":
                l = col("l", i)
                rows.append([0, col("n", i), col("d", i), col("t", i), -1 if l != 0 else 0, l])
            elif typ == "ResidualHelmholtzGaussian":
                rows.append([1, col("n", i), col("d", i), col("t", i), 0, 0,
                             col("eta", i), col("beta", i), col("epsilon", i), col("gamma", i)])
            elif typ == "ResidualHelmholtzLemmon2005":
                rows.append([3, col("n", i), col("d", i), col("t", i), col("l", i), col("m", i)])
            elif typ == "ResidualHelmholtzGaoB":
                rows.append([4, col("n", i), col("d", i), col("t", i), col("eta", i), col("beta", i),
                             col("gamma", i), col("epsilon", i), col("b", i)])
            else:
                raise SystemExit("term type %s has no kind in the program's format" % typ)
    return rows


# ---------------------------------------------------------------------------
# ideal part: F(THETA) = s_0 + h_0 THETA + c_0 ln THETA + terms, THETA = T_red/T
# ---------------------------------------------------------------------------

def ideal_part(eos):
    """(s_0, h_0, c_0, power terms [(gamma, A)], Planck-Einstein terms [(gamma, A)])"""
    T_red = eos["STATES"]["reducing"]["T"]
    s0 = h0 = c0 = 0.0
    pw, pe = [], []
    for term in eos["alpha0"]:
        typ = term["type"]
        if typ == "IdealGasHelmholtzLead":
            s0 += term["a1"]
            h0 += term["a2"]
        elif typ == "IdealGasHelmholtzLogTau":
            c0 += term["a"]
        elif typ == "IdealGasHelmholtzPower":
            pw += list(zip(term["t"], term["n"]))
        elif typ == "IdealGasHelmholtzPlanckEinstein":
            pe += list(zip(term["t"], term["n"]))
        elif typ == "IdealGasHelmholtzPlanckEinsteinFunctionT":
            if term["Tcrit"] != T_red:
                raise SystemExit("Planck-Einstein terms reduced by %s, not T_red" % term["Tcrit"])
            pe += [(v / T_red, n) for v, n in zip(term["v"], term["n"])]
        elif typ in ("IdealGasHelmholtzCP0PolyT", "IdealGasHelmholtzCP0Constant"):
            if term["Tc"] != T_red:
                raise SystemExit("heat-capacity terms reduced by %s, not T_red" % term["Tc"])
            if typ == "IdealGasHelmholtzCP0Constant":
                cs, ts = [term["cp_over_R"]], [0]
            else:
                cs, ts = term["c"], term["t"]
            for c, t in zip(cs, ts):
                s, h, l, p = cp_poly_term(c, t, T_red, term["T0"])
                s0, h0, c0 = s0 + s, h0 + h, c0 + l
                if p is not None:
                    pw.append(p)
        elif typ == "IdealGasHelmholtzEnthalpyEntropyOffset":
            continue  # another library's reference state; the program's shift is its own
        else:
            raise SystemExit("ideal term type %s has no form in the program's format" % typ)
    return s0, h0, c0, pw, pe


def cp_poly_term(c, t, Tc, T0):
    """c_p/R = c T^t integrated from T0 (h and s zero there): its part of
    alpha0 as (constant, coefficient of tau, coefficient of ln tau, power term)."""
    tau0 = Tc / T0
    if t == 0:
        return c - c * math.log(tau0), -c / tau0, c, None
    if t == -1:
        raise SystemExit("c_p terms in 1/T need a tau ln tau term the format does not have")
    return (c * T0 ** t / t, -c * T0 ** (t + 1) / (Tc * (t + 1)), 0.0,
            (-t, -c * Tc ** t / (t * (t + 1))))


# ---------------------------------------------------------------------------
# saturation-line correlations (the ancillary equations)
# ---------------------------------------------------------------------------

def ancillary(anc, T):
    """Value of a CoolProp ancillary: p in Pa or the molar density."""
    theta = 1 - T / anc["T_r"]
    s = sum(n * theta ** t for n, t in zip(anc["n"], anc["t"]))
    if anc["using_tau_r"]:
        s *= anc["T_r"] / T
    if anc["type"] == "rhoLnoexp":
        return anc["reducing_value"] * (1 + s)
    return anc["reducing_value"] * math.exp(s)


def refit(anc, tau_div, T_lo, form):
    """Coefficients of the same exponents in y = 1 - T/tau_div (least squares on
    Chebyshev points of [T_lo, 0.999 T_r]), for form 2 (1 + sum) or 3 (exp(sum/tau))."""
    import mpmath
    T_hi = 0.999 * min(anc["T_r"], tau_div)
    pts = [T_lo + (T_hi - T_lo) * (1 - math.cos(math.pi * (k + 0.5) / 200)) / 2 for k in range(200)]
    A, b = [], []
    for T in pts:
        y, r = 1 - T / tau_div, ancillary(anc, T) / anc["reducing_value"]
        A.append([y ** t for t in anc["t"]])
        b.append(r - 1 if form == 2 else math.log(r) * T / tau_div)
    x, _ = mpmath.qr_solve(mpmath.matrix(A), mpmath.matrix(b))
    n = [float(v) for v in x]
    worst = max(abs(fitted(n, anc["t"], T, tau_div, form) / (ancillary(anc, T) / anc["reducing_value"]) - 1)
                for T in pts)
    return n, worst


def fitted(n, ts, T, tau_div, form):
    y = 1 - T / tau_div
    s = sum(c * y ** t for c, t in zip(n, ts))
    return 1 + s if form == 2 else math.exp(s * tau_div / T)


def density_line(anc, M, tau_div, T_lo, agent, side):
    """(form, rows, heading) of a saturated-density table."""
    label = "saturated liquid density" if side == "liq" else "saturated vapour density"
    if anc["type"] == "rhoLnoexp":
        form = 2
    else:
        form = 3 if anc["using_tau_r"] else 1
    n, note = anc["n"], "same coefficients"
    if anc["T_r"] != tau_div:
        if form == 1:
            raise SystemExit("refit of form 1 not written")
        n, worst = refit(anc, tau_div, T_lo, form)
        note = "refitted in y = 1 - T/%s (same exponents), largest deviation from it %.1e" % (num(tau_div), worst)
    rows = ([[0, 1]] if form == 2 else []) + [[t, c] for t, c in zip(anc["t"], n)]
    what = {2: "1 + sum n_i y^t_i", 3: "exp(sum n_i y^t_i / tau), tau = T/tau_div", 1: "exp(sum n_i y^t_i)"}[form]
    heading = ["; %s: %s, form %d: rho/sat_rho = %s, y = 1 - T/tau_div" % (agent, label, form, what),
               "; ancillary equation %s (reduced by %s K), %s" % ("rhoL" if side == "liq" else "rhoV",
                                                                 num(anc["T_r"]), note),
               "; exponent coefficient"]
    return form, anc["reducing_value"] * M, rows, heading


# ---------------------------------------------------------------------------
# the equation's own numbers, from the 50-digit evaluation
# ---------------------------------------------------------------------------

def own_numbers(path):
    """The equation's critical point (T, p) and the IIR shift (h, s)."""
    import saturation_mpmath as sm
    crit = sm.critical_point(sm.HelmholtzEOS(path))
    out = subprocess.run([sys.executable, os.path.join(HERE, "reference", "states_mpmath.py"), "iir", path],
                         check=True, capture_output=True, text=True).stdout
    shift = dict(re.findall(r"(h_shift|s_shift)=(\S+)", out))
    return float(crit["T"]), float(crit["p"]), float(shift["h_shift"]), float(shift["s_shift"])


def program_pressure(cli, data, agent, T):
    """p_s(T) as the program computes it from the expansions just written, to
    the last bit: the triple point's pressure must be the lower end of the
    program's own saturation line, or its saturated states there would lie
    a hair below it."""
    out = subprocess.run([cli, "sat", agent, "T=%r" % T, "--units", "si", "--format", "json", "--data", data],
                         check=True, capture_output=True, text=True).stdout
    return json.loads(out)[0]["p"]


def sig(x, n):
    return "%.*g" % (n, x)


def write(path, text):
    with open(path, "w", encoding="utf-8") as fh:
        fh.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("sources")
    ap.add_argument("agent", choices=sorted(FLUIDS))
    ap.add_argument("--data", default=os.path.join(HERE, "..", "data"))
    ap.add_argument("--expansion-tool", default=os.path.join(HERE, "..", "build", "vantrel_sat_expansion"))
    ap.add_argument("--cli", default=os.path.join(HERE, "..", "build", "vantrel_cli"))
    a = ap.parse_args()
    src, desc, safety, aliases, citation = FLUIDS[a.agent]
    path = os.path.join(a.sources, src + ".json")
    with open(path) as fh:
        d = json.load(fh)
    eos = d["EOS"][0]
    M = eos["molar_mass"]
    R = eos["gas_constant"]
    red = eos["STATES"]["reducing"]
    T_red, rho_red = red["T"], red["rhomolar"] * M
    T_tp = eos["Ttriple"]
    eos["T_max"], eos["p_max"] = STATED_RANGE.get(a.agent, (eos["T_max"], eos["p_max"]))
    out = os.path.join(a.data, a.agent)
    os.makedirs(out, exist_ok=True)
    title = "%s, %s" % (a.agent, desc)
    coeffs = "; coefficients from the published equation (transcribed in CoolProp, dev/fluids/%s.json)" % src
    rng = "; range of validity: %s K to %s K, up to %s MPa" % (num(T_tp), num(eos["T_max"]), num(eos["p_max"] / 1e6))

    rows = residual_rows(eos)
    write(os.path.join(out, "eos_coeff.txt"), table_text(rows, [
        "; %s: residual reduced Helmholtz energy, one term a row" % title, "; " + citation, rng, coeffs,
        "; d = rho/rho_div, x = tau_div/T",
        "; kind 0: N d^D x^T exp(G d^L); kind 1: N d^D x^T exp(-ALPHA (d - EPS)^2 - BETA (x - GAMMA)^2)",
        "; kind 3: N d^D x^T exp(-d^L) exp(-x^M); kind 4: N d^D x^T exp(ETA (d - EPS)^2 + 1/(BETA (x - GAMMA)^2 + B))",
        "; kind N D T G L ALPHA BETA EPS GAMMA (kind 3: kind N D T L M; kind 4: kind N D T ETA BETA GAMMA EPS B)"]))

    s0, h0, c0, pw, pe = ideal_part(eos)
    if pw and pe:
        ideal_form, ideal_rows, cols = "f_comb", [[1, g, n] for g, n in pw] + [[2, g, n] for g, n in pe], "; kind GAMMA A"
        terms = "sum A THETA^GAMMA (kind 1) + sum A ln(1 - exp(-GAMMA THETA)) (kind 2)"
    elif pe:
        ideal_form, ideal_rows, cols, terms = "f_exp", [[g, n] for g, n in pe], "; GAMMA A", "sum A ln(1 - exp(-GAMMA THETA))"
    else:
        ideal_form, ideal_rows, cols, terms = "f_pol", [[g, n] for g, n in pw], "; GAMMA A", "sum A THETA^GAMMA"
    write(os.path.join(out, "c_p.txt"), table_text(ideal_rows, [
        "; %s: ideal part of the reduced Helmholtz energy, form %s" % (title, ideal_form),
        "; F = s_0 + h_0 THETA + c_0 ln THETA + %s, THETA = k_term/T" % terms, coeffs, cols]))

    anc = d["ANCILLARIES"]
    ps = anc["pS"]
    if not ps["using_tau_r"]:
        raise SystemExit("pressure ancillary without T_r/T has no form here")
    write(os.path.join(out, "sat_line.txt"), table_text([[t, n] for t, n in zip(ps["t"], ps["n"])], [
        "; %s: saturation pressure, form 1 (sat_id = 1):" % title,
        "; p = p_s_0 exp(sum n_i (1 - x)^t_i / x), x = T/sat_tau",
        "; ancillary equation pS (CoolProp), %s" %
        ("within %.3g %% of the equation" % ps["max_abserror_percentage"]
         if ps.get("max_abserror_percentage", -1) > 0 else "its accuracy not stated"),
        "; t_i n_i"]))
    sat_rho = None
    ids = {}
    for side, key in (("liq", "rhoL"), ("gas", "rhoV")):
        form, rho_r, rows_d, heading = density_line(anc[key], M, T_red, T_tp, title, side)
        if sat_rho is not None and rho_r != sat_rho:
            raise SystemExit("liquid and vapour ancillaries reduce by different densities")
        sat_rho = rho_r
        ids[side] = form
        write(os.path.join(out, "sat_line_%s.txt" % side), table_text(rows_d, heading))

    T_c, p_c, h_shift, s_shift = own_numbers(path)
    # The triple point's pressure from the ancillary equation first; the
    # equation's own once the expansions exist.
    p_tp = ancillary(ps, T_tp)
    cfg = """; {title}
; Equation of state: {citation}.
; Range of validity: {T_tp} K to {T_max} K, up to {p_max_mpa} MPa.
; Reference state: IIR: h = 200 kJ/kg and s = 1 kJ/(kg K) for the saturated liquid at 0 C.
; Coefficients: coefficients from the published equation (transcribed in CoolProp, dev/fluids/{src}.json).
; Written by tools/import_fluid.py.
[base_const]
; molar mass, kg/kmol, and the gas constant 1000 R_m / mu, J/(kg K), with R_m = {R} J/(mol K) of the equation
mu={mu}
R={R_spec}

[conf_ideal]
; ideal part F(THETA) = s_0 + h_0 THETA + c_0 ln THETA + terms of c_p.txt, THETA = k_term/T,
; in the publication's reference state
type_calc={form}
type_prop=R
exp_dim=1
k_term={T_red}
s_0={s0}
h_0={h0}
c_0={c0}
; the shift from the publication's reference state to IIR (J/kg, J/(kg K)), added to h and s
h_shift={h_shift}
s_shift={s_shift}

[conf_real]
; saturation by the equal-area rule of the equation
maxwell_rule=1
; critical point of the equation itself (where the equal-area rule stops having a solution)
T_cr={T_c}
p_cr={p_c}
; triple point and the equation's own saturation pressure there (the lower end of the saturation line)
T_tp={T_tp}
p_tp={p_tp}
; reducing values of the equation (densities in kg/m3)
rho_cr={rho_red}
rho_div={rho_red}
tau_div={T_red}
; step and tolerance of the density and phase-equilibrium solvers, kg/m3
delta_rho=1e-7
eos_coeff=eos_coeff.txt
; saturation curves: Chebyshev expansions of the equal-area solution (made by tools/sat_expansion.cpp)
sat_expansion=sat_expansion.txt
sat_line=sat_line.txt
sat_id=1
sat_base=exp
sat_tau={sat_tau}
p_s_0={p_s_0}
sat_xi=0.03
sat_liq_id={liq}
sat_gas_id={gas}
sat_rho={sat_rho}

[info]
; what the program lists and checks: the equation's citation and its stated range of validity (K, Pa)
name={agent}
description={desc}
source={citation}
reference_state=IIR
safety_class={safety}
aliases={aliases}
T_min={T_tp}
T_max={T_max}
p_max={p_max}
""".format(title=title, citation=citation, T_tp=num(T_tp), T_max=num(eos["T_max"]), p_max_mpa=num(eos["p_max"] / 1e6),
           src=src, R=num(R), mu=num(M * 1000), R_spec=num(R / M), form=ideal_form, T_red=num(T_red), s0=num(s0),
           h0=num(h0), c0=num(c0), h_shift=sig(h_shift, 17), s_shift=sig(s_shift, 17), T_c=sig(T_c, 12),
           p_c=sig(p_c, 12), p_tp=sig(p_tp, 10), rho_red=num(rho_red), sat_tau=num(ps["T_r"]),
           p_s_0=num(ps["reducing_value"]), liq=ids["liq"], gas=ids["gas"], sat_rho=num(sat_rho), agent=a.agent,
           desc=desc, safety=safety, aliases=aliases, p_max=num(eos["p_max"]))
    write(os.path.join(out, "config.txt"), cfg)
    subprocess.run([a.expansion_tool, out], check=True, stdout=subprocess.DEVNULL)
    p_tp_own = program_pressure(a.cli, a.data, a.agent, T_tp)
    write(os.path.join(out, "config.txt"), cfg.replace("\np_tp=%s\n" % sig(p_tp, 10), "\np_tp=%s\n" % num(p_tp_own)))
    print("%s: T_c = %s K, p_c = %s Pa, p_tp = %s Pa, h_shift = %s, s_shift = %s" %
          (a.agent, sig(T_c, 12), sig(p_c, 12), sig(p_tp_own, 10), sig(h_shift, 17), sig(s_shift, 17)))


if __name__ == "__main__":
    main()
