#!/usr/bin/python3
"""Independent extended-precision single-phase states (python3-mpmath only).

Adds the ideal-gas part alpha0 of a Helmholtz-energy equation of state to the
residual part alphar evaluated by saturation_mpmath.py, both read from one of
CoolProp's public fluid files (dev/fluids/<name>.json, EOS[0]), and computes
with mpmath (default 50 digits) p, h, s, cv, cp and w at given (T, rho), with
tau = T_red/T and delta = rho/rho_red of the equation's reducing state:

  p  = rho R T (1 + delta ar_d)
  h  = R T (1 + tau (a0_t + ar_t) + delta ar_d)
  s  = R (tau (a0_t + ar_t) - a0 - ar)
  cv = -R tau^2 (a0_tt + ar_tt)
  cp = cv + R (1 + delta ar_d - delta tau ar_dt)^2 / (1 + 2 delta ar_d + delta^2 ar_dd)
  w^2 = (R T / M) [1 + 2 delta ar_d + delta^2 ar_dd
                   - (1 + delta ar_d - delta tau ar_dt)^2 / (tau^2 (a0_tt + ar_tt))]

(R the file's molar gas constant, M its molar mass; results in mass units:
J/kg, J/(kg K), m/s, densities in kg/m3.)

All derivatives are exact, none numerical.  Residual part: every term of
alphar is a Taylor series in two variables (delta + h, tau + k), truncated at
second order in each.  Power, Lemmon2005, Gaussian and GaoB terms are a
product of a function of delta and a function of tau, so their series is the
outer product of two one-variable series ("jets", as in saturation_mpmath.py);
the non-analytic terms of IAPWS-95 and Span-Wagner CO2 are evaluated with
two-variable series arithmetic (products, and exp and powers by composition
with the power series of the function).  The delta-only part of these series
is the same quantity that saturation_mpmath.py evaluates.

Ideal part (EOS[0].alpha0), term by term, with T = T_red/tau, and their first
and second tau derivatives in closed form:
  IdealGasHelmholtzLead                   ln(delta) + a1 + a2 tau
  IdealGasHelmholtzLogTau                 a ln(tau)
  IdealGasHelmholtzPower                  sum n tau^t
  IdealGasHelmholtzPlanckEinstein         sum n ln(1 - exp(-t tau))
  IdealGasHelmholtzPlanckEinsteinFunctionT
                                          sum n ln(1 - exp(-v tau/Tcrit))  (v in K);
      its T0 adds nothing: the constant and linear parts of its integral from T0
      are in the Lead term's a1 and a2 (R1336mzz(Z): h and s at hs_anchor to 1e-15)
  IdealGasHelmholtzCP0PolyT               c_p0/R = sum c T^t, integrated from the
      reference temperature T0 (h0 = int_T0^T c_p0 dT, s0 = int_T0^T c_p0/T dT):
      t = 0:   c (1 - tau/tau0) + c ln(tau/tau0),                tau0 = T_red/T0
      t = -1:  c (tau/T_red) ln(T_red/(tau T0)) - c/T0 + c tau/T_red
      else:    -c T^t/(t (t+1)) - c T0^(t+1) tau/(T_red (t+1)) + c T0^t/t
      (c, and n of PlanckEinsteinFunctionT, are in units of the term's own R
      where it names one: scaled by R_term/R, which is 1 in every file)
  IdealGasHelmholtzCP0Constant            the t = 0 case, c = cp_over_R
  IdealGasHelmholtzEnthalpyEntropyOffset  a1 + a2 tau: a shift of the reference
      state (CoolProp's, to the IIR state for most refrigerants); included only
      with --with-offset.  Without it h and s are in the reference state of the
      publication's own ideal part.
The -1 of c_p0/R = c_v0/R + 1 is in the LogTau term of the files that use the
c_p0 forms (a = c_v0 part - 1), so the CP0 terms carry the whole integral.
The terms' Tc and Tcrit equal the reducing temperature in every file; a file
where they differ is refused.

Commands:
  states_mpmath.py anchor FILE.json [--with-offset]
      p, h, s at EOS[0].STATES.hs_anchor against the file's values (hmolar and
      smolar through the molar mass), relative differences; printed in the
      publication's reference state and, where the file has an offset term,
      with it (the file's own values include it).  The last line, "agree",
      holds the largest relative difference in the file's convention.
  states_mpmath.py point FILE.json T_K rho_kgm3 [T_K rho_kgm3 ...] [--with-offset]
      one line per state: T=.. rho=.. p=.. h=.. s=.. cv=.. cp=.. w=.. (17 digits);
      the equation at (T, rho) as given, with no phase check (inside the
      two-phase region the values are those of the metastable or unstable
      single-phase state)
  states_mpmath.py iir FILE.json
      equal-area saturated liquid at 273.15 K (saturation_mpmath's solver), its h
      and s in the publication's reference state, and h_shift = 200000 - h,
      s_shift = 1000 - s, the shifts to the IIR reference state (h = 200 kJ/kg,
      s = 1 kJ/(kg K) for the saturated liquid at 0 C):
      iir T=273.15 p=.. rho_liq=.. h=.. s=.. h_shift=.. s_shift=..
  states_mpmath.py validation FILE.json AGENT [--T-sat T_K ...] [--states T_K:rho_kgm3 ...]
                              [--tol REL] [--with-offset] [--out OUT.txt]
      records for a validation file (see below) on stdout (and in OUT.txt).
  options: --dps N (working digits, default 50)

Validation records (one per line; '#' starts a comment line; a record is its
kind, then space-separated name=value pairs, SI units, 17 significant digits),
the kinds the program's validation test reads:
  sat_T d=none T=<K> p=<Pa> rho_liq=<kg/m3> rho_vap=<kg/m3>
      equal-area saturation of the equation at T (pressure and the two
      coexisting densities), one per --T-sat value;
  point name=mpmath T=<K> rho=<kg/m3> p=<Pa> h=<J/kg> s=<J/(kg K)> cv=<J/(kg K)> cp=<J/(kg K)> w=<m/s>
        frame=published tol=<relative>
      single-phase state at (T, rho), one per --states value; h and s in the
      publication's own reference state (frame=published: the test removes
      the fluid's shift to IIR before comparing; with --with-offset the
      file's offset term is included and the frame is "offset").
  The comment header names the method, the file, the equation (BibTeX_EOS),
  the date and the command; the equation's critical point is given in a
  comment.
"""

import argparse
import datetime
import json
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import mpmath
from mpmath import mp, mpf

from saturation_mpmath import (HelmholtzEOS, Saturation, SatFailure, critical_point, emit, fmt, fmte,
                               j_exp, j_mul, j_pow, j_scale, j_varpow)

DEFAULT_DPS = 50
NJ = 3          # series length per variable: value, first and second derivative


# ---------------------------------------------------------------------------
# two-variable truncated series: c[i][j] = coefficient of h^i k^j
# ---------------------------------------------------------------------------

def b_zero():
    return [[mpf(0)] * NJ for _ in range(NJ)]


def b_outer(a, b):
    """product of a series in h only and a series in k only"""
    return [[a[i] * b[j] for j in range(NJ)] for i in range(NJ)]


def b_mul(a, b):
    c = b_zero()
    for i in range(NJ):
        for j in range(NJ):
            s = mpf(0)
            for p in range(i + 1):
                for q in range(j + 1):
                    s += a[p][q] * b[i - p][j - q]
            c[i][j] = s
    return c


def b_add(a, b):
    return [[a[i][j] + b[i][j] for j in range(NJ)] for i in range(NJ)]


def b_compose(f, coef):
    """sum_k coef[k] (f - f(0,0))^k: the series of g(f) for g with Taylor
    coefficients coef at f(0,0); (f - f(0,0))^k vanishes for k > 2 (NJ - 1)."""
    g = [row[:] for row in f]
    g[0][0] = mpf(0)
    out = b_zero()
    out[0][0] = coef[0]
    gk = None
    for k in range(1, 2 * (NJ - 1) + 1):
        gk = g if gk is None else b_mul(gk, g)
        out = b_add(out, [[coef[k] * x for x in row] for row in gk])
    return out


def b_pow(f, r):
    f0 = f[0][0]
    if f0 <= 0:
        raise ValueError("b_pow needs f(0,0) > 0")
    coef = [mpf(1)]
    for k in range(1, 2 * (NJ - 1) + 1):
        coef.append(coef[-1] * (r - k + 1) / k)
    return b_compose(f, [c * f0 ** (r - k) for k, c in enumerate(coef)])


# ---------------------------------------------------------------------------
# residual part: alphar and its derivatives to second order in delta and tau
# ---------------------------------------------------------------------------

def _lin(x, shift):
    """series of (x + h) - shift"""
    return [x - shift, mpf(1), mpf(0)]


def alphar_derivs(eos, delta, tau):
    total = b_zero()
    dpow = {}

    def dp(e):
        if e not in dpow:
            dpow[e] = j_varpow(delta, e, NJ)
        return dpow[e]

    tpow = {}

    def tp(e):
        if e not in tpow:
            tpow[e] = j_varpow(tau, e, NJ)
        return tpow[e]

    dexp = {}
    for n, d, t, l, m in eos.power:
        if l != 0:
            if l not in dexp:
                dexp[l] = j_exp(j_scale(dp(l), -1))
            dj = j_mul(dp(d), dexp[l])
        else:
            dj = dp(d)
        tj = j_scale(tp(t), n)
        if m != 0:
            tj = j_mul(tj, j_exp(j_scale(tp(m), -1)))
        total = b_add(total, b_outer(dj, tj))
    for n, d, t, eta, eps, beta, gamma in eos.gauss:
        x = _lin(delta, eps)
        dj = j_mul(dp(d), j_exp(j_scale(j_mul(x, x), -eta)))
        y = _lin(tau, gamma)
        tj = j_mul(j_scale(tp(t), n), j_exp(j_scale(j_mul(y, y), -beta)))
        total = b_add(total, b_outer(dj, tj))
    for n, d, t, eta, eps, beta, gamma, b in eos.gaob:
        x = _lin(delta, eps)
        dj = j_mul(dp(d), j_exp(j_scale(j_mul(x, x), eta)))
        y = _lin(tau, gamma)
        q = j_scale(j_mul(y, y), beta)
        q[0] += b
        tj = j_mul(j_scale(tp(t), n), j_exp(j_pow(q, -1)))
        total = b_add(total, b_outer(dj, tj))
    for n, a, b, beta, A, B, C, D in eos.nonan:
        x = _lin(delta, 1)
        sq = j_mul(x, x)
        if x[0] == 0:
            # |delta-1|^(1/beta) and |delta-1|^(2a): their first two derivatives vanish at delta = 1
            if not (1 / beta > NJ - 1 and 2 * a > NJ - 1):
                raise ValueError("non-analytic term: derivative order too high at delta = 1")
            sq_1b = [mpf(0)] * NJ
            sq_a = [mpf(0)] * NJ
        else:
            sq_1b = j_pow(sq, 1 / (2 * beta))
            sq_a = j_pow(sq, a)
        theta = b_zero()
        for i in range(NJ):
            theta[i][0] = A * sq_1b[i]
        theta[0][0] += 1 - tau
        theta[0][1] = mpf(-1)
        Delta = b_mul(theta, theta)
        for i in range(NJ):
            Delta[i][0] += B * sq_a[i]
        if Delta[0][0] <= 0:
            raise ValueError("non-analytic term: Delta = 0 (delta = tau = 1), cv is infinite there")
        Db = b_pow(Delta, b)
        y = _lin(tau, 1)
        psi = b_outer(j_exp(j_scale(sq, -C)), j_exp(j_scale(j_mul(y, y), -D)))
        dl = b_outer([delta, mpf(1), mpf(0)], [mpf(1), mpf(0), mpf(0)])
        term = b_mul(b_mul(Db, dl), psi)
        total = b_add(total, [[n * v for v in row] for row in term])
    return {"ar": total[0][0], "ar_d": total[1][0], "ar_dd": 2 * total[2][0],
            "ar_t": total[0][1], "ar_tt": 2 * total[0][2], "ar_dt": total[1][1]}


# ---------------------------------------------------------------------------
# ideal part
# ---------------------------------------------------------------------------

class IdealPart:
    """alpha0(delta, tau) of EOS[0]: a0 = ln(delta) + f(tau); f, f' and f''
    summed over the terms of the file's alpha0 list."""

    def __init__(self, path, eos):
        with open(path) as fh:
            data = json.load(fh, parse_float=mpf)
        self.T_r = eos.T_r
        self.R = eos.R
        self.terms = []       # functions tau -> (f, f_t, f_tt)
        self.offset = None    # (a1, a2)
        self.types = []
        for term in data["EOS"][0]["alpha0"]:
            typ = term["type"]
            self.types.append(typ)
            if typ == "IdealGasHelmholtzLead":
                self.terms.append(self._lead(mpf(term["a1"]), mpf(term["a2"])))
            elif typ == "IdealGasHelmholtzEnthalpyEntropyOffset":
                self.offset = (mpf(term["a1"]), mpf(term["a2"]))
            elif typ == "IdealGasHelmholtzLogTau":
                self.terms.append(self._logtau(mpf(term["a"])))
            elif typ == "IdealGasHelmholtzPower":
                for n, t in zip(term["n"], term["t"]):
                    self.terms.append(self._power(mpf(n), mpf(t)))
            elif typ == "IdealGasHelmholtzPlanckEinstein":
                for n, t in zip(term["n"], term["t"]):
                    self.terms.append(self._planck(mpf(n), mpf(t)))
            elif typ == "IdealGasHelmholtzPlanckEinsteinFunctionT":
                self._same_T(term["Tcrit"])
                scale = mpf(term["R"]) / self.R if "R" in term else mpf(1)
                for n, v in zip(term["n"], term["v"]):
                    self.terms.append(self._planck(mpf(n) * scale, mpf(v) / mpf(term["Tcrit"])))
            elif typ == "IdealGasHelmholtzCP0PolyT":
                self._same_T(term["Tc"])
                scale = mpf(term["R"]) / self.R if "R" in term else mpf(1)
                for c, t in zip(term["c"], term["t"]):
                    self.terms.append(self._cp0(mpf(c) * scale, mpf(t), mpf(term["T0"])))
            elif typ == "IdealGasHelmholtzCP0Constant":
                self._same_T(term["Tc"])
                self.terms.append(self._cp0(mpf(term["cp_over_R"]), mpf(0), mpf(term["T0"])))
            else:
                raise NotImplementedError("ideal-gas term type %s" % typ)

    def _same_T(self, Tc):
        if mpf(Tc) != self.T_r:
            raise NotImplementedError("ideal-gas term with its own Tc = %s K (reducing T = %s K)" % (Tc, self.T_r))

    @staticmethod
    def _lead(a1, a2):
        return lambda tau: (a1 + a2 * tau, a2, mpf(0))

    @staticmethod
    def _logtau(a):
        return lambda tau: (a * mpmath.log(tau), a / tau, -a / tau ** 2)

    @staticmethod
    def _power(n, t):
        return lambda tau: (n * tau ** t, n * t * tau ** (t - 1), n * t * (t - 1) * tau ** (t - 2))

    @staticmethod
    def _planck(n, t):
        def f(tau):
            em1 = mpmath.expm1(t * tau)                    # exp(t tau) - 1
            return (n * mpmath.log(-mpmath.expm1(-t * tau)), n * t / em1, -n * t ** 2 * (em1 + 1) / em1 ** 2)
        return f

    def _cp0(self, c, t, T0):
        Tr = self.T_r
        if t == 0:
            tau0 = Tr / T0
            return lambda tau: (c * (1 - tau / tau0) + c * mpmath.log(tau / tau0),
                                c / tau - c / tau0, -c / tau ** 2)
        if t == -1:
            return lambda tau: (c * tau / Tr * mpmath.log(Tr / (tau * T0)) - c / T0 + c * tau / Tr,
                                c / Tr * mpmath.log(Tr / (tau * T0)), -c / (Tr * tau))

        def f(tau):
            T = Tr / tau
            return (-c * T ** t / (t * (t + 1)) - c * T0 ** (t + 1) * tau / (Tr * (t + 1)) + c * T0 ** t / t,
                    c * T ** t / ((t + 1) * tau) - c * T0 ** (t + 1) / (Tr * (t + 1)),
                    -c * T ** t / tau ** 2)
        return f

    def derivs(self, delta, tau, with_offset=False):
        f = ft = ftt = mpf(0)
        for term in self.terms:
            a, b, c = term(tau)
            f += a
            ft += b
            ftt += c
        if with_offset and self.offset is not None:
            f += self.offset[0] + self.offset[1] * tau
            ft += self.offset[1]
        return {"a0": mpmath.log(delta) + f, "a0_t": ft, "a0_tt": ftt}


# ---------------------------------------------------------------------------
# properties
# ---------------------------------------------------------------------------

class Fluid:
    def __init__(self, path):
        self.path = path
        self.eos = HelmholtzEOS(path)
        self.ideal = IdealPart(path, self.eos)

    def props(self, T, rho, with_offset=False):
        """T in K, rho in kg/m3; mass units out."""
        e = self.eos
        R, M = e.R, e.M
        rhomolar = rho / M
        delta = rhomolar / e.rho_r
        tau = e.T_r / T
        r = alphar_derivs(e, delta, tau)
        i = self.ideal.derivs(delta, tau, with_offset)
        dad = delta * r["ar_d"]
        t_t = tau * (i["a0_t"] + r["ar_t"])
        t2_tt = tau ** 2 * (i["a0_tt"] + r["ar_tt"])
        num = 1 + dad - delta * tau * r["ar_dt"]
        den = 1 + 2 * dad + delta ** 2 * r["ar_dd"]
        Rm = R / M
        out = {"T": T, "rho": rho,
               "p": rhomolar * R * T * (1 + dad),
               "h": Rm * T * (1 + t_t + dad),
               "s": Rm * (t_t - i["a0"] - r["ar"]),
               "cv": -Rm * t2_tt}
        out["cp"] = out["cv"] + Rm * num ** 2 / den
        w2 = Rm * T * (den - num ** 2 / t2_tt)
        out["w"] = mpmath.sqrt(w2) if w2 > 0 else mpf("nan")
        return out


def state_line(st, prefix=""):
    return prefix + " ".join("%s=%s" % (k, fmt(st[k])) for k in ("T", "rho", "p", "h", "s", "cv", "cp", "w"))


# ---------------------------------------------------------------------------
# commands
# ---------------------------------------------------------------------------

def cmd_anchor(fl, args):
    a = fl.eos.hs_anchor
    M = fl.eos.M
    T, rhomolar = mpf(a["T"]), mpf(a["rhomolar"])
    ref = {"p": mpf(a["p"]), "h": mpf(a["hmolar"]) / M, "s": mpf(a["smolar"]) / M}
    has_off = fl.ideal.offset is not None
    print("file   %s: hs_anchor T=%s rho=%s p=%s h=%s s=%s (%s)" % (
        os.path.basename(fl.path), fmt(T), fmt(rhomolar * M), fmt(ref["p"]), fmt(ref["h"]), fmt(ref["s"]),
        "h and s include the file's offset term a1 = %s, a2 = %s" % tuple(mpmath.nstr(x, 15) for x in fl.ideal.offset)
        if has_off else "no offset term in the file"))
    modes = [args.with_offset] + ([not args.with_offset] if has_off else [])
    worst = None
    for wo in modes:
        st = fl.props(T, rhomolar * M, wo)
        rel = {k: st[k] / ref[k] - 1 for k in ("p", "h", "s")}
        label = "with offset" if (wo and has_off) else "publication"
        print("eos    %-11s p=%s h=%s s=%s  rel.diff p=%s h=%s s=%s" % (
            label, fmt(st["p"]), fmt(st["h"]), fmt(st["s"]), fmte(rel["p"]), fmte(rel["h"]), fmte(rel["s"])))
        if wo == has_off:
            worst = max(abs(v) for v in rel.values())
    print("agree  %s max|rel.diff| = %s (p, h, s; %s)" % (
        os.path.basename(fl.path), fmte(worst), "offset included as in the file" if has_off else "no offset term"))


def cmd_point(fl, args):
    v = args.values
    if len(v) % 2:
        raise SystemExit("point: give pairs T_K rho_kgm3")
    for k in range(0, len(v), 2):
        print(state_line(fl.props(mpf(v[k]), mpf(v[k + 1]), args.with_offset)))


def iir_state(fl, sat=None):
    e = fl.eos
    if sat is None:
        sat = Saturation(e, critical_point(e))
    T = mpf("273.15")
    s = sat.at_T(T)
    rhoL = s["dL"] * e.rho_r * e.M
    st = fl.props(T, rhoL, False)
    return {"T": T, "p": s["p"], "rho_liq": rhoL, "h": st["h"], "s": st["s"],
            "h_shift": 200000 - st["h"], "s_shift": 1000 - st["s"]}


def cmd_iir(fl, args):
    r = iir_state(fl)
    print("iir T=273.15 " + " ".join("%s=%s" % (k, fmt(r[k])) for k in ("p", "rho_liq", "h", "s", "h_shift", "s_shift")))


def cmd_validation(fl, args):
    t0 = time.time()
    e = fl.eos
    M = e.M
    fname = os.path.basename(args.file)
    lines = []
    lines.append("# %s: independent extended-precision (python3-mpmath, %d digits) evaluation of the published "
                 "equation, coefficients from CoolProp's dev/fluids/%s (tools/reference/states_mpmath.py)"
                 % (args.agent, mp.dps, fname))
    lines.append("# equation: %s (EOS[0]); R = %s J/(mol K), M = %s kg/mol, T_red = %s K, rhomolar_red = %s mol/m3"
                 % (e.bibtex, e.R, e.M, e.T_r, e.rho_r))
    lines.append("# date: %s" % datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M:%S UTC"))
    lines.append("# command: %s" % " ".join([os.path.abspath(sys.argv[0])] + sys.argv[1:]))
    lines.append("# sat_T d=none: equal-area saturation of the equation at T (saturation_mpmath.py's solver)")
    lines.append("# point name=mpmath: the equation at (T, rho); h and s in the publication's reference state%s"
                 % (" with the file's offset term" if args.with_offset else ""))
    if args.T_sat:
        crit = critical_point(e)
        lines.append("# eos_critical T=%s p=%s rho=%s" % (fmt(crit["T"]), fmt(crit["p"]), fmt(crit["rhomolar"] * M)))
        sat = Saturation(e, crit)
        for Tx in args.T_sat:
            T = mpf(Tx)
            try:
                s = sat.at_T(T)
            except SatFailure as ex:
                lines.append("# sat_T T=%s omitted: %s" % (fmt(T), ex))
                continue
            lines.append("sat_T d=none T=%s p=%s rho_liq=%s rho_vap=%s" % (
                fmt(T), fmt(s["p"]), fmt(s["dL"] * e.rho_r * M), fmt(s["dV"] * e.rho_r * M)))
    for item in args.states or []:
        Tx, rx = item.split(":")
        st = fl.props(mpf(Tx), mpf(rx), args.with_offset)
        lines.append(state_line(st, "point name=mpmath ") + " frame=%s tol=%s"
                     % ("offset" if args.with_offset else "published", args.tol))
    lines.append("# run time %.1f s" % (time.time() - t0))
    emit(lines, args.out)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("mode", choices=["anchor", "point", "iir", "validation"])
    ap.add_argument("file")
    ap.add_argument("values", nargs="*")
    ap.add_argument("--dps", type=int, default=DEFAULT_DPS)
    ap.add_argument("--with-offset", action="store_true")
    ap.add_argument("--T-sat", nargs="*", dest="T_sat")
    ap.add_argument("--states", nargs="*")
    ap.add_argument("--tol", default="1e-12")
    ap.add_argument("--out")
    args = ap.parse_args()
    mp.dps = args.dps
    fl = Fluid(args.file)
    if args.mode == "anchor":
        cmd_anchor(fl, args)
    elif args.mode == "point":
        cmd_point(fl, args)
    elif args.mode == "iir":
        cmd_iir(fl, args)
    elif args.mode == "validation":
        args.agent = args.values[0] if args.values else os.path.basename(args.file)
        cmd_validation(fl, args)


if __name__ == "__main__":
    main()
