#!/usr/bin/python3
"""Writes tests/validation/AGENT.txt for a fluid made by tools/import_fluid.py:
every number from the source file itself or from the independent 50-digit
evaluation of the source file's equation (saturation_mpmath.py and
states_mpmath.py), never from the program.

    validation_file.py SOURCES_DIR AGENT [--out FILE]

Records (the kinds tests/validation_test.cpp reads):
  point name=hs_anchor   the source file's STATES.hs_anchor (T, rho, p, h, s),
                         h and s without the file's offset term: the
                         publication's reference state (frame=published)
  critical               the reducing values and the equation's own critical point
  reference              IIR: h' = 200 kJ/kg, s' = 1 kJ/(kg K) at 0 C
  eos_critical, sat_T, sat_p
                         the table of saturation_mpmath.py: the critical point,
                         equal-area states 1e-2 ... 1e-6 below T_cr and p_cr, and
                         at 0.7, 0.85 and 0.95 T_c
  point name=mpmath      five single-phase states of states_mpmath.py: compressed
                         liquid at 0.7 T_c, vapour at 0.85 T_c, supercritical at
                         1.05 and 1.3 T_c, and the upper end of the range
"""

import argparse
import json
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))

import import_fluid  # noqa: E402  (the table of fluids and their source files)

# hs_anchor values stored with fewer digits than a double holds (the file's
# h and s of R1234yf have 11 and 9 significant digits).
ANCHOR_TOL = {"R1234yf": "2e-9"}

# Equations whose terms cancel to three digits (R22: coefficients up to 350
# summing to order 1), so that the doubles of their decimal coefficients and
# the sums in double precision move p by some 1e-13: the tolerances the
# file states, with this reason.
WIDER = {"R22": ("5e-12", "tolerance sat_ps=2e-13 sat_rho=1e-11 expansion_rho=2e-8 expansion_closest=1e-3",
                 "# tolerance: R22's terms cancel to about three digits (coefficients up to 350, sums of order 1):\n"
                 "# the doubles of its decimal coefficients and double-precision sums move p by up to 1.2e-13\n"
                 "# against the 50-digit evaluation of the decimal coefficients, and the densities near T_c by more;\n"
                 "# the program's double-precision equal-area solver (not used where the expansions exist) does not\n"
                 "# converge closer than 1e-3 below T_c, where the expansions are compared with it.")}


def run(args):
    return subprocess.run([sys.executable] + args, check=True, capture_output=True, text=True).stdout


def config_value(agent, key):
    with open(os.path.join(ROOT, "data", agent, "config.txt")) as fh:
        return re.search(r"^%s=(\S+)$" % key, fh.read(), re.M).group(1)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("sources")
    ap.add_argument("agent")
    ap.add_argument("--out")
    a = ap.parse_args()
    src = import_fluid.FLUIDS[a.agent][0]
    path = os.path.join(a.sources, src + ".json")
    with open(path) as fh:
        d = json.load(fh)
    eos = d["EOS"][0]
    M, R = eos["molar_mass"], eos["gas_constant"]
    red = eos["STATES"]["reducing"]
    an = eos["STATES"]["hs_anchor"]
    h_off = s_off = 0.0
    for term in eos["alpha0"]:
        if term["type"] == "IdealGasHelmholtzEnthalpyEntropyOffset":
            # a1 + a2 tau in alpha0 adds R T tau a2 to h and -R a1 to s
            h_off, s_off = R / M * red["T"] * term["a2"], -R / M * term["a1"]

    T_c = float(config_value(a.agent, "T_cr"))
    sat_T = ["%.2f" % (k * T_c) for k in (0.7, 0.85, 0.95)]
    table = run([os.path.join(HERE, "saturation_mpmath.py"), "table", path, a.agent, "--config",
                 os.path.join(ROOT, "data", a.agent, "config.txt"), "--extra-T"] + sat_T)
    crit = dict(re.findall(r"(\w+)=(\S+)", re.search(r"^eos_critical .*$", table, re.M).group(0)))
    dens = {float(m.group(1)): (float(m.group(2)), float(m.group(3))) for m in
            re.finditer(r"^sat_T d=none T=(\S+) p=\S+ rho_liq=(\S+) rho_vap=(\S+)$", table, re.M)}
    liq = dens[float(sat_T[0])][0]
    vap = dens[float(sat_T[1])][1]
    rho_c = float(crit["rho"])
    T_top = min(float(config_value(a.agent, "T_max")), 2 * T_c)
    states = ["%s:%.6g" % (sat_T[0], 1.02 * liq), "%s:%.6g" % (sat_T[1], 0.5 * vap),
              "%.2f:%.6g" % (1.05 * T_c, rho_c), "%.2f:%.6g" % (1.3 * T_c, 0.3 * rho_c),
              "%.2f:%.6g" % (T_top, 0.5 * rho_c)]
    wider = WIDER.get(a.agent)
    points = run([os.path.join(HERE, "states_mpmath.py"), "validation", path, a.agent, "--states"] + states +
                 (["--tol", wider[0]] if wider else []))

    out = ["# Validation of data/%s (%s): reference values and their sources." % (a.agent, import_fluid.FLUIDS[a.agent][1]),
           "# Records: a kind, then name=value pairs; SI units (K, Pa, kg/m3, J/kg, J/(kg K), m/s).",
           "# Written by tools/reference/validation_file.py.",
           "",
           "# point: STATES.hs_anchor of CoolProp's coefficient file dev/fluids/%s.json (mass units through its" % src,
           "# molar mass); h and s in the publication's own reference state (the file's offset term removed).",
           "point name=hs_anchor T=%r rho=%r p=%r h=%r s=%r frame=published tol=%s" % (
               an["T"], an["rhomolar"] * M, an["p"], an["hmolar"] / M - h_off, an["smolar"] / M - s_off,
               ANCHOR_TOL.get(a.agent, "1e-13")),
           "",
           "# critical: the reducing values of the equation and its own critical point (python3-mpmath, below).",
           "critical tau_div=%r rho_div=%r T_cr=%s p_cr=%s tol=1e-9" % (
               red["T"], red["rhomolar"] * M, crit["T"], crit["p"]),
           "",
           "# reference: IIR, h = 200 kJ/kg and s = 1 kJ/(kg K) for the equation's equal-area saturated liquid",
           "# at 0 C (the shift h_shift, s_shift of the configuration from a 50-digit solve).",
           "reference T=273.15 h_liq=200000 s_liq=1000 tol_h=1e-6 tol_s=1e-9",
           ""]
    if wider:
        out += [wider[2], wider[1], ""]
    out += [
           "# eos_critical, sat_T, sat_p: independent extended-precision evaluation (tools/reference/saturation_mpmath.py,",
           "# python3-mpmath; see its header below): the equation's own critical point, and equal-area states at",
           "# T = T_cr (1 - d) and p = p_cr (1 - d) with T_cr, p_cr of data/%s/config.txt, and at 0.7, 0.85, 0.95 T_c." % a.agent]
    out += [l for l in table.splitlines() if not l.startswith("# command:") and not l.startswith("# run time")]
    out += ["", "# point name=mpmath: independent extended-precision single-phase states (tools/reference/states_mpmath.py)."]
    out += [l for l in points.splitlines() if not l.startswith("# command:") and not l.startswith("# run time")]
    text = "\n".join(out) + "\n"
    with open(a.out or os.path.join(ROOT, "tests", "validation", a.agent + ".txt"), "w") as fh:
        fh.write(text)


if __name__ == "__main__":
    main()
