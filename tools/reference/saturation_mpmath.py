#!/usr/bin/python3
"""Independent extended-precision reference evaluation (python3-mpmath only).

For a Helmholtz-energy equation of state taken from one of CoolProp's public
fluid files (dev/fluids/<name>.json; the residual Helmholtz energy alphar of EOS[0]),
this script computes with mpmath (default 50 digits):

  * the equation's own critical point: (T, rho) with (dp/drho)_T = 0 and
    (d2p/drho2)_T = 0, and p there;
  * equal-area (Maxwell) saturation states: given T, the liquid and vapour
    densities with equal pressure and equal Gibbs energy; given p, also T.

Only alphar is needed: at equal T the ideal-gas Helmholtz energy adds
ln(delta) to g/RT, plus terms that cancel.

Term types evaluated (all of EOS[0].alphar):
  ResidualHelmholtzPower        n delta^d tau^t [exp(-delta^l) if l > 0]
  ResidualHelmholtzLemmon2005   n delta^d tau^t [exp(-delta^l) if l > 0] [exp(-tau^m) if m > 0]
                                (m need not be an integer)
  ResidualHelmholtzGaussian     n delta^d tau^t exp(-eta (delta-epsilon)^2 - beta (tau-gamma)^2)
  ResidualHelmholtzGaoB         n delta^d tau^t exp(eta (delta-epsilon)^2 + 1/(beta (tau-gamma)^2 + b))
                                (fields with their signs as stored: eta < 0, beta > 0, b > 0)
  ResidualHelmholtzNonAnalytic  n Delta^b delta psi,
                                theta = (1 - tau) + A ((delta-1)^2)^(1/(2 beta)),
                                Delta = theta^2 + B ((delta-1)^2)^a,
                                psi   = exp(-C (delta-1)^2 - D (tau-1)^2)
Derivatives in delta are exact: every term is evaluated as a
truncated Taylor series (a "jet") in delta, so no numerical differentiation
is involved.

Methods: critical point = the temperature at which the minimum of (dp/drho)_T
on the isotherm (its inflection, d2p/drho2 = 0) is zero, by nested bracketed
root finding, then a scan of the critical isotherm (0.3 .. 1.7 rho_c) for any
negative (dp/drho)_T left elsewhere; saturation at T = Newton on (rho_liq, rho_vap) with the exact
Jacobian, started from a Maxwell construction between the spinodals near the
critical point and then by continuation in 1 - T/T_c; saturation at p = secant
in (1/T, ln p).  Every saturation record is checked for exactly three roots of
p(rho) = p_sat on the isotherm (0.01 .. 3.5 rho_c), two of them stable.

Usage:
  saturation_mpmath.py critical FILE.json
  saturation_mpmath.py satT FILE.json T_K [T_K ...]
  saturation_mpmath.py satp FILE.json p_Pa [p_Pa ...]
  saturation_mpmath.py anchor FILE.json     (pressure at EOS[0].STATES.hs_anchor vs the file)
  saturation_mpmath.py table FILE.json AGENT [--config CONFIG.txt | --own-critical]
                                     [--extra-T T_K ...] [--out OUT.txt]
  options: --dps N (working digits, default 50)
"""

import argparse
import datetime
import json
import os
import sys
import time

import mpmath
from mpmath import mp, mpf

DEFAULT_DPS = 50


# ---------------------------------------------------------------------------
# truncated Taylor series ("jets") in delta: list c[0..N], c_k = f^(k)/k!
# ---------------------------------------------------------------------------

def j_mul(a, b):
    n = len(a)
    return [mpmath.fsum(a[i] * b[k - i] for i in range(k + 1)) for k in range(n)]


def j_add(a, b):
    return [x + y for x, y in zip(a, b)]


def j_scale(a, s):
    return [s * x for x in a]


def j_exp(f):
    n = len(f)
    g = [mpmath.exp(f[0])] + [mpf(0)] * (n - 1)
    for k in range(1, n):
        g[k] = mpmath.fsum(j * f[j] * g[k - j] for j in range(1, k + 1)) / k
    return g


def j_pow(f, r):
    """f^r for f[0] > 0."""
    n = len(f)
    f0 = f[0]
    if f0 <= 0:
        raise ValueError("j_pow needs f0 > 0")
    g = [f0 ** r] + [mpf(0)] * (n - 1)
    for k in range(1, n):
        g[k] = mpmath.fsum(((r + 1) * j - k) * f[j] * g[k - j] for j in range(1, k + 1)) / (k * f0)
    return g


def j_varpow(x0, e, n):
    """(x0 + h)^e, x0 > 0, e any real: generalized binomial series."""
    out = []
    c = mpf(1)
    for k in range(n):
        out.append(c * x0 ** (e - k))
        c = c * (e - k) / (k + 1)
    return out


# ---------------------------------------------------------------------------
# equation of state
# ---------------------------------------------------------------------------

class HelmholtzEOS:
    def __init__(self, path):
        with open(path) as fh:
            # decimal text of the file -> mpf at the working precision
            data = json.load(fh, parse_float=mpf)
        self.path = path
        self.name = data["INFO"]["NAME"] if "INFO" in data and "NAME" in data["INFO"] else os.path.basename(path)
        eos = data["EOS"][0]
        self.bibtex = eos.get("BibTeX_EOS", "")
        red = eos["STATES"]["reducing"]
        self.T_r = mpf(red["T"])
        self.rho_r = mpf(red["rhomolar"])          # mol/m3
        self.R = mpf(eos["gas_constant"])           # J/(mol K)
        self.M = mpf(eos["molar_mass"])             # kg/mol
        self.hs_anchor = eos["STATES"].get("hs_anchor")
        self.power = []        # (n, d, t, l, m): m = 0 for no exp(-tau^m) factor
        self.gauss = []        # (n, d, t, eta, epsilon, beta, gamma)
        self.gaob = []         # (n, d, t, eta, epsilon, beta, gamma, b)
        self.nonan = []        # (n, a, b, beta, A, B, C, D)
        for term in eos["alphar"]:
            typ = term["type"]
            if typ == "ResidualHelmholtzPower":
                for n, d, t, l in zip(term["n"], term["d"], term["t"], term["l"]):
                    self.power.append((mpf(n), mpf(d), mpf(t), mpf(l), mpf(0)))
            elif typ == "ResidualHelmholtzLemmon2005":
                for n, d, t, l, m in zip(term["n"], term["d"], term["t"], term["l"], term["m"]):
                    self.power.append((mpf(n), mpf(d), mpf(t), mpf(l), mpf(m)))
            elif typ == "ResidualHelmholtzGaussian":
                for i in range(len(term["n"])):
                    self.gauss.append(tuple(mpf(term[k][i]) for k in
                                            ("n", "d", "t", "eta", "epsilon", "beta", "gamma")))
            elif typ == "ResidualHelmholtzGaoB":
                for i in range(len(term["n"])):
                    self.gaob.append(tuple(mpf(term[k][i]) for k in
                                           ("n", "d", "t", "eta", "epsilon", "beta", "gamma", "b")))
            elif typ == "ResidualHelmholtzNonAnalytic":
                for i in range(len(term["n"])):
                    self.nonan.append(tuple(mpf(term[k][i]) for k in
                                            ("n", "a", "b", "beta", "A", "B", "C", "D")))
            else:
                raise NotImplementedError("term type %s" % typ)
        # group power terms by l (shared exp(-delta^l) factor)
        self.power_by_l = {}
        for n, d, t, l, m in self.power:
            self.power_by_l.setdefault(l, []).append((n, d, t, m))
        self._tau_cache = None

    # tau-dependent factors, cached for the last tau
    def _tau_factors(self, tau):
        if self._tau_cache is not None and self._tau_cache[0] == tau:
            return self._tau_cache[1]
        pw = {}
        for l, lst in self.power_by_l.items():
            pw[l] = [(n * tau ** t * (mpmath.exp(-tau ** m) if m != 0 else 1), d) for n, d, t, m in lst]
        # Gaussian-like terms: (tau factor, d, c, epsilon) with delta factor exp(c (delta - epsilon)^2)
        gs = [(n * tau ** t * mpmath.exp(-beta * (tau - gamma) ** 2), d, -eta, eps)
              for n, d, t, eta, eps, beta, gamma in self.gauss]
        gs += [(n * tau ** t * mpmath.exp(1 / (beta * (tau - gamma) ** 2 + b)), d, eta, eps)
               for n, d, t, eta, eps, beta, gamma, b in self.gaob]
        fac = (pw, gs)
        self._tau_cache = (tau, fac)
        return fac

    def alphar_jet(self, delta, tau, N):
        """Taylor coefficients (order N) of alpha_r(delta + h, tau) in h."""
        n1 = N + 1
        pw, gs = self._tau_factors(tau)
        total = [mpf(0)] * n1
        dpow = {}

        def dp(e):
            if e not in dpow:
                dpow[e] = j_varpow(delta, e, n1)
            return dpow[e]

        for l, lst in pw.items():
            s = [mpf(0)] * n1
            for c, d in lst:
                s = j_add(s, j_scale(dp(d), c))
            if l > 0:
                s = j_mul(s, j_exp(j_scale(dp(l), -1)))
            total = j_add(total, s)
        for c, d, ce, eps in gs:
            x = [delta - eps, mpf(1)] + [mpf(0)] * (n1 - 2)
            e = j_exp(j_scale(j_mul(x, x), ce))
            total = j_add(total, j_scale(j_mul(dp(d), e), c))
        for n, a, b, beta, A, B, C, D in self.nonan:
            x0 = delta - 1
            x = [x0, mpf(1)] + [mpf(0)] * (n1 - 2)
            sq = j_mul(x, x)
            if x0 == 0:
                # |x|^(1/beta) and |x|^(2a): all derivatives up to order N vanish
                if not (1 / beta > N and 2 * a > N):
                    raise ValueError("non-analytic term: derivative order too high at delta = 1")
                sq_1b = [mpf(0)] * n1
                sq_a = [mpf(0)] * n1
            else:
                sq_1b = j_pow(sq, 1 / (2 * beta))
                sq_a = j_pow(sq, a)
            theta = j_add([1 - tau] + [mpf(0)] * (n1 - 1), j_scale(sq_1b, A))
            Delta = j_add(j_mul(theta, theta), j_scale(sq_a, B))
            if Delta[0] == 0:
                # only at delta = tau = 1: Delta^b ~ |delta-1|^(b(2/beta)) , derivatives to order N vanish
                if not (b * 2 / beta > N):
                    raise ValueError("non-analytic term: derivative order too high at (1,1)")
                continue
            Db = j_pow(Delta, b)
            psi = j_exp(j_add([-D * (tau - 1) ** 2] + [mpf(0)] * (n1 - 1), j_scale(sq, -C)))
            dl = [delta, mpf(1)] + [mpf(0)] * (n1 - 2)
            total = j_add(total, j_scale(j_mul(j_mul(Db, dl), psi), n))
        return total

    def alphar(self, delta, tau):
        return self.alphar_jet(delta, tau, 0)[0]

    # reduced pressure ptil = p/(rho_r R T) = delta + delta^2 alpha_r_delta, and its
    # delta-derivatives; reduced Gibbs energy gtil = ln delta + alpha_r + delta alpha_r_delta
    def state(self, delta, tau, order=1):
        """Return dict with ptil and its delta-derivatives up to 'order', and gtil."""
        c = self.alphar_jet(delta, tau, order + 1)
        a0 = c[0]
        a1 = c[1]
        res = {"alphar": a0, "ar_d": a1}
        res["ptil"] = delta + delta ** 2 * a1
        res["gtil"] = mpmath.log(delta) + a0 + delta * a1
        if order >= 1:
            a2 = 2 * c[2]
            res["ar_dd"] = a2
            res["ptil_d"] = 1 + 2 * delta * a1 + delta ** 2 * a2
        if order >= 2:
            a3 = 6 * c[3]
            res["ptil_dd"] = 2 * a1 + 4 * delta * a2 + delta ** 2 * a3
        return res

    def ptil(self, delta, tau):
        return self.state(delta, tau, 0)["ptil"]

    def pressure(self, T, rhomolar):
        delta = rhomolar / self.rho_r
        tau = self.T_r / T
        return rhomolar * self.R * T * (1 + delta * self.alphar_jet(delta, tau, 1)[1])


# ---------------------------------------------------------------------------
# bracketed root finder (Anderson-Bjorck with bisection safeguard)
# ---------------------------------------------------------------------------

def root_bracket(f, a, b, fa=None, fb=None, rtol=None, maxit=500):
    """Root of f in [a, b] (f(a), f(b) of opposite sign): Anderson-Bjorck
    regula falsi, with a bisection step whenever the bracket does not shrink."""
    if rtol is None:
        rtol = mpf(10) ** (-(mp.dps - 5))
    if fa is None:
        fa = f(a)
    if fb is None:
        fb = f(b)
    if fa == 0:
        return a
    if fb == 0:
        return b
    if (fa > 0) == (fb > 0):
        raise ValueError("root not bracketed: f(%s)=%s f(%s)=%s" % (mpmath.nstr(a, 10), mpmath.nstr(fa, 5),
                                                                    mpmath.nstr(b, 10), mpmath.nstr(fb, 5)))
    width_old = abs(b - a)
    for it in range(maxit):
        width = abs(b - a)
        if width <= rtol * max(abs(a), abs(b)):
            break
        bisect = (it % 4 == 3) and width > width_old / 4
        if it % 4 == 3:
            width_old = width
        if bisect:
            c = (a + b) / 2
        else:
            c = b - fb * (b - a) / (fb - fa)
            if not (min(a, b) < c < max(a, b)):
                c = (a + b) / 2
                bisect = True
        fc = f(c)
        if fc == 0:
            return c
        if (fc > 0) != (fb > 0):
            a, fa = b, fb
        elif not bisect:
            m = 1 - fc / fb
            fa = fa * (m if m > 0 else mpf(1) / 2)
        b, fb = c, fc
    return b


# ---------------------------------------------------------------------------
# critical point of the equation
# ---------------------------------------------------------------------------

def inflection_delta(eos, tau, guess, span=mpf("0.05")):
    """delta near 'guess' where d2ptil/ddelta2 = 0 at a minimum of dptil/ddelta.
    The bracket is widened until d2ptil/ddelta2 is negative at its lower end and
    positive at its upper end; the root finder keeps that orientation, so the
    root is a local minimum of dptil/ddelta, never a local maximum (isotherms
    with two loops below the critical temperature, as in the ammonia equation
    of Gao et al., have one between their two minima)."""
    g = lambda d: eos.state(d, tau, 2)["ptil_dd"]
    lo, hi = guess - span, guess + span
    glo, ghi = g(lo), g(hi)
    k = 0
    while not (glo < 0 < ghi):
        k += 1
        if k > 40:
            raise RuntimeError("no inflection bracket")
        lo, hi = guess - span * (k + 1), guess + span * (k + 1)
        if lo <= 0:
            lo = guess / 4
        glo, ghi = g(lo), g(hi)
    return root_bracket(g, lo, hi, glo, ghi)


def critical_point(eos):
    d_guess = [mpf(1)]

    def h(T):
        tau = eos.T_r / T
        di = inflection_delta(eos, tau, d_guess[0])
        d_guess[0] = di
        return eos.state(di, tau, 1)["ptil_d"]

    Ta, Tb = eos.T_r * mpf("0.995"), eos.T_r * mpf("1.005")
    ha, hb = h(Ta), h(Tb)
    k = 0
    while (ha > 0) == (hb > 0):
        k += 1
        if k > 10:
            raise RuntimeError("critical temperature not bracketed")
        Ta, Tb = Ta * mpf("0.99"), Tb * mpf("1.01")
        ha, hb = h(Ta), h(Tb)
    Tc = root_bracket(h, Ta, Tb, ha, hb)
    tau = eos.T_r / Tc
    dc = inflection_delta(eos, tau, d_guess[0])
    st = eos.state(dc, tau, 2)
    # the critical isotherm must be mechanically stable everywhere: a negative
    # dp/drho away from delta_c would mean the minimum followed above was not
    # the isotherm's lowest one
    lim = -mpf(10) ** (-(mp.dps // 2))
    for k in range(141):
        d = dc * (mpf("0.3") + mpf(k) / 100)
        if eos.state(d, tau, 1)["ptil_d"] < lim:
            raise RuntimeError("critical isotherm has dp/drho < 0 at delta = %s" % mpmath.nstr(d, 8))
    rhoc = dc * eos.rho_r
    pc = rhoc * eos.R * Tc * st["ptil"] / dc
    return {"T": Tc, "delta": dc, "rhomolar": rhoc, "p": pc,
            "ptil_d": st["ptil_d"], "ptil_dd": st["ptil_dd"], "tau": tau}


# ---------------------------------------------------------------------------
# equal-area saturation at given T
# ---------------------------------------------------------------------------

class SatFailure(Exception):
    pass


def sat_newton(eos, T, dL, dV, maxit=80):
    """Newton on (deltaL, deltaV): ptil equal and gtil equal. Exact Jacobian."""
    tau = eos.T_r / T
    tol = mpf(10) ** (-(mp.dps - 6))
    ftol = mpf(10) ** (-(mp.dps - 10))
    if not (dV > 0 and dL > dV):
        raise SatFailure("bad start values")
    small = 0
    for it in range(maxit):
        sL = eos.state(dL, tau, 1)
        sV = eos.state(dV, tau, 1)
        F1 = sL["ptil"] - sV["ptil"]
        F2 = sL["gtil"] - sV["gtil"]
        if abs(F1) <= ftol * sL["ptil"] and abs(F2) <= ftol:
            # residuals at the rounding level: one more step, then stop
            small += 1
            if small > 1:
                break
        a11, a12 = sL["ptil_d"], -sV["ptil_d"]
        a21, a22 = sL["ptil_d"] / dL, -sV["ptil_d"] / dV
        det = a11 * a22 - a12 * a21
        if det == 0:
            raise SatFailure("singular Jacobian")
        ddL = -(F1 * a22 - a12 * F2) / det
        ddV = -(a11 * F2 - a21 * F1) / det
        lam = mpf(1)
        while True:
            nL, nV = dL + lam * ddL, dV + lam * ddV
            if nV > 0 and nL > nV and (nL - nV) > (dL - dV) / 10:
                break
            lam /= 2
            if lam < mpf(10) ** -6:
                raise SatFailure("damping failed")
        dL, dV = nL, nV
        if abs(lam * ddL) <= tol * dL and abs(lam * ddV) <= tol * dV and lam == 1:
            it += 1
            break
    else:
        raise SatFailure("Newton did not converge")
    sL = eos.state(dL, tau, 1)
    sV = eos.state(dV, tau, 1)
    res_p = abs(sL["ptil"] - sV["ptil"]) / sL["ptil"]
    res_g = abs(sL["gtil"] - sV["gtil"])
    if res_p > mpf(10) ** -30 or res_g > mpf(10) ** -30:
        raise SatFailure("residuals too large")
    if (dL - dV) / dL < mpf(10) ** -8:
        raise SatFailure("collapsed to the trivial solution")
    if sL["ptil_d"] <= 0 or sV["ptil_d"] <= 0:
        raise SatFailure("converged to a mechanically unstable root")
    return {"T": T, "dL": dL, "dV": dV, "ptil": (sL["ptil"] + sV["ptil"]) / 2,
            "p": (sL["ptil"] + sV["ptil"]) / 2 * eos.rho_r * eos.R * T,
            "res_p": res_p, "res_g": res_g, "iter": it + 1}


def sat_robust(eos, T, dcrit):
    """Maxwell construction by pressure iteration between the outer spinodals,
    for temperatures near the critical one (start values without any outside
    information), then Newton polish.  The search is confined to
    0.3 dcrit .. 1.7 dcrit."""
    tau = eos.T_r / T
    pd = lambda d: eos.state(d, tau, 1)["ptil_d"]
    pt = lambda d: eos.state(d, tau, 0)["ptil"]
    n = 1400
    grid = [dcrit * (mpf("0.3") + mpf("1.4") * k / n) for k in range(n + 1)]
    vals = [pd(d) for d in grid]
    neg = [k for k in range(n + 1) if vals[k] < 0]
    if not neg:
        # the loop may be narrower than the grid spacing: look at the inflection
        kmin = min(range(n + 1), key=lambda k: vals[k])
        g2 = lambda d: eos.state(d, tau, 2)["ptil_dd"]
        dmin = root_bracket(g2, grid[max(kmin - 1, 0)], grid[min(kmin + 1, n)])
        if pd(dmin) >= 0:
            raise SatFailure("no van der Waals loop: T at or above the critical temperature of the equation")
        kV, kL = max(kmin - 1, 0), min(kmin + 1, n)
        dsV = root_bracket(pd, grid[kV], dmin)
        dsL = root_bracket(pd, dmin, grid[kL])
    else:
        k0, k1 = neg[0], neg[-1]
        if k0 == 0 or k1 == n:
            raise SatFailure("van der Waals loop not inside the search window")
        dsV = root_bracket(pd, grid[k0 - 1], grid[k0], vals[k0 - 1], vals[k0])
        dsL = root_bracket(pd, grid[k1], grid[k1 + 1], vals[k1], vals[k1 + 1])
    p_hi = pt(dsV)
    p_lo = max(pt(dsL), p_hi * mpf(10) ** -30)
    if not p_lo < p_hi:
        raise SatFailure("no pressure range between the spinodals")
    rt = mpf(10) ** -25

    def roots(P):
        dV = root_bracket(lambda d: pt(d) - P, dsV * mpf(10) ** -40, dsV, rtol=rt)
        b = dsL * mpf("1.05")
        while pt(b) < P:
            b *= mpf("1.05")
        dL = root_bracket(lambda d: pt(d) - P, dsL, b, rtol=rt)
        return dL, dV

    def dg(P):
        dL, dV = roots(P)
        return eos.state(dL, tau, 0)["gtil"] - eos.state(dV, tau, 0)["gtil"]

    P = root_bracket(dg, p_lo + (p_hi - p_lo) * mpf(10) ** -12, p_hi - (p_hi - p_lo) * mpf(10) ** -12,
                     rtol=mpf(10) ** -18)
    dL, dV = roots(P)
    return sat_newton(eos, T, dL, dV)


def global_check(eos, s, dc):
    """All roots of p(delta) = p_sat on the isotherm between 0.01 delta_c and
    3.5 delta_c (grid scan, refined near the saturated densities).  Returns
    (number of roots, number of mechanically stable roots, smallest
    g/RT - g_sat/RT over stable roots other than the two saturated ones)."""
    tau = eos.T_r / s["T"]
    P = s["ptil"]
    dL, dV = s["dL"], s["dV"]
    f = lambda d: eos.state(d, tau, 0)["ptil"] - P
    w = dL - dV
    pts = set(dc * mpf(k) / 200 for k in range(2, 701))
    pts |= set(dV + w * mpf(k) / 200 for k in range(-100, 301))
    pts = sorted(x for x in pts if x > 0 and abs(x / dL - 1) > mpf("1e-6") and abs(x / dV - 1) > mpf("1e-6"))
    vals = [f(d) for d in pts]
    roots = [dL, dV]
    for i in range(len(pts) - 1):
        if (vals[i] > 0) != (vals[i + 1] > 0):
            if pts[i] < dV < pts[i + 1] or pts[i] < dL < pts[i + 1]:
                continue
            roots.append(root_bracket(f, pts[i], pts[i + 1], vals[i], vals[i + 1]))
    gsat = eos.state(dL, tau, 0)["gtil"]
    margin = None
    nst = 0
    for r in roots:
        st = eos.state(r, tau, 1)
        if st["ptil_d"] > 0:
            nst += 1
            if r is not dL and r is not dV:
                m = st["gtil"] - gsat
                margin = m if margin is None else min(margin, m)
    return len(roots), nst, margin


class Saturation:
    """Equal-area saturation with continuation: the first state is found near the
    critical point without outside start values (sat_robust); further states start
    from power-law extrapolation of the nearest solved states in eps = 1 - T/T_c:
    delta_liq - delta_c = a_L eps^b_L, delta_c - delta_vap = a_V eps^b_V."""

    STEP_OUT = mpf("1.5")     # largest eps ratio per step away from the critical point
    STEP_IN = mpf("10")       # largest eps ratio per step towards it

    def __init__(self, eos, crit):
        self.eos = eos
        self.crit = crit
        self.solved = {}      # T -> result

    def _eps(self, T):
        return 1 - T / self.crit["T"]

    def start_values(self, T):
        c = self.crit
        dc = c["delta"]
        eps = self._eps(T)
        near = sorted(self.solved.values(), key=lambda s: abs(mpmath.log(self._eps(s["T"]) / eps)))
        s1 = near[0]
        e1 = self._eps(s1["T"])
        bL = bV = mpf("0.5")
        if len(near) > 1:
            s2 = near[1]
            e2 = self._eps(s2["T"])
            ok = all(v > 0 for v in (s1["dL"] - dc, s2["dL"] - dc, dc - s1["dV"], dc - s2["dV"]))
            if ok and e1 != e2:
                bL = mpmath.log((s2["dL"] - dc) / (s1["dL"] - dc)) / mpmath.log(e2 / e1)
                bV = mpmath.log((dc - s2["dV"]) / (dc - s1["dV"])) / mpmath.log(e2 / e1)
                bL = min(max(bL, mpf(0)), mpf(1))
                bV = min(max(bV, mpf(0)), mpf(1))
        r = eps / e1
        if s1["dL"] > dc and s1["dV"] < dc:
            dL = dc + (s1["dL"] - dc) * r ** bL
            dV = dc - (dc - s1["dV"]) * r ** bV
            if len(near) > 1 and (s1["dV"] < dc / 2 or dV <= s1["dV"] / 4):
                # far from the critical point: ln(delta_vap) linear in ln(eps)
                k = mpmath.log(s2["dV"] / s1["dV"]) / mpmath.log(e2 / e1)
                dV = s1["dV"] * r ** k
            return dL, dV
        w = (s1["dL"] - s1["dV"]) / 2 * r ** mpf("0.5")
        m = (s1["dL"] + s1["dV"]) / 2
        return m + w, m - w

    def _solve_from_neighbours(self, T):
        dL, dV = self.start_values(T)
        res = sat_newton(self.eos, T, dL, dV)
        self.solved[T] = res
        return res

    def at_T(self, T):
        c = self.crit
        if T in self.solved:
            return self.solved[T]
        if T >= c["T"]:
            raise SatFailure("T >= critical temperature of the equation")
        self.STEP_OUT, self.STEP_IN = Saturation.STEP_OUT, Saturation.STEP_IN
        eps = self._eps(T)
        if not self.solved:
            e0 = eps if eps <= mpf("0.02") else mpf("0.01")
            T0 = c["T"] * (1 - e0)
            self.solved[T0] = sat_robust(self.eos, T0, c["delta"])
            if T0 == T:
                return self.solved[T0]
        for guard in range(200):
            s1 = min(self.solved.values(), key=lambda s: abs(mpmath.log(self._eps(s["T"]) / eps)))
            e1 = self._eps(s1["T"])
            r = eps / e1
            if 1 / self.STEP_IN <= r <= self.STEP_OUT:
                try:
                    return self._solve_from_neighbours(T)
                except SatFailure:
                    pass
                et = e1 * mpmath.sqrt(r)          # retry through an intermediate state
            elif r > self.STEP_OUT:
                et = e1 * self.STEP_OUT
            else:
                et = e1 / self.STEP_IN
            Tt = c["T"] * (1 - et)
            try:
                self._solve_from_neighbours(Tt)
            except SatFailure:
                # smaller step
                self.STEP_OUT = 1 + (self.STEP_OUT - 1) / 2
                self.STEP_IN = mpmath.sqrt(self.STEP_IN)
                if self.STEP_OUT < mpf("1.001"):
                    raise
        raise SatFailure("continuation failed")

    def at_p(self, p):
        """Saturation temperature for pressure p: secant in (1/T, ln p) on the
        equal-area pressure, each pressure from at_T (continuation)."""
        c = self.crit
        if p >= c["p"]:
            raise SatFailure("p >= critical pressure of the equation")
        if not self.solved:
            self.at_T(c["T"] * (1 - mpf("1e-3")))
        s0 = min(self.solved.values(), key=lambda s: abs(mpmath.log(s["p"] / p)))
        # first estimate: straight line in (1/T, ln p) through the critical point and s0
        x0, y0 = 1 / c["T"], mpmath.log(c["p"])
        x1, y1 = 1 / s0["T"], mpmath.log(s0["p"])
        yt = mpmath.log(p)
        x = x0 + (yt - y0) * (x1 - x0) / (y1 - y0)
        xa, ya = x1, y1
        tol = mpf(10) ** (-(mp.dps - 8))
        for it in range(100):
            T = 1 / x
            if T >= c["T"]:
                T = c["T"] * (1 - (1 - 1 / (xa * c["T"])) / 4)
                x = 1 / T
            s = self.at_T(T)
            y = mpmath.log(s["p"])
            if abs(y - yt) <= tol:
                return s
            xn = x + (yt - y) * (x - xa) / (y - ya)
            xa, ya = x, y
            x = xn
        raise SatFailure("at_p did not converge")


# ---------------------------------------------------------------------------
# output helpers
# ---------------------------------------------------------------------------

def fmt(x, n=17):
    return mpmath.nstr(x, n, strip_zeros=False, min_fixed=-8, max_fixed=12)


def fmte(x, n=3):
    return mpmath.nstr(x, n, strip_zeros=False, min_fixed=1, max_fixed=0)


def read_config(path):
    """T_cr and p_cr of section [conf_real], as decimal text."""
    out = {}
    sect = None
    with open(path) as fh:
        for line in fh:
            s = line.split("#")[0].strip()
            if not s:
                continue
            if s.startswith("[") and s.endswith("]"):
                sect = s[1:-1].strip()
                continue
            if sect == "conf_real" and "=" in s:
                k, v = s.split("=", 1)
                k = k.strip()
                if k in ("T_cr", "p_cr"):
                    out[k] = v.strip()
    return out


def cmd_table(args):
    t0 = time.time()
    eos = HelmholtzEOS(args.file)
    crit = critical_point(eos)
    M = eos.M
    lines = []
    fname = os.path.basename(args.file)
    lines.append("# %s: independent extended-precision (python3-mpmath, %d digits) equal-area solve of the "
                 "published equation, coefficients from CoolProp's dev/fluids/%s" % (args.agent, mp.dps, fname))
    lines.append("# equation: %s (EOS[0]); R = %s J/(mol K), M = %s kg/mol, T_red = %s K, rhomolar_red = %s mol/m3"
                 % (eos.bibtex, eos.R, eos.M, eos.T_r, eos.rho_r))
    lines.append("# date: %s" % datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M:%S UTC"))
    lines.append("# command: %s" % " ".join([os.path.abspath(sys.argv[0])] + sys.argv[1:]))
    lines.append("# eos_critical: residuals of the critical conditions, with P = p/(rho_red R T): dP/ddelta = %s, "
                 "d2P/ddelta2 = %s; delta_c = %s, tau_c = %s"
                 % (fmte(crit["ptil_d"]), fmte(crit["ptil_dd"]), fmt(crit["delta"], 20), fmt(crit["tau"], 20)))
    lines.append("eos_critical T=%s p=%s rho=%s" % (fmt(crit["T"]), fmt(crit["p"]), fmt(crit["rhomolar"] * M)))
    if args.config:
        cfg = read_config(args.config)
        Tcr, pcr = mpf(cfg["T_cr"]), mpf(cfg["p_cr"])
        lines.append("# T_cr = %s K and p_cr = %s Pa from %s [conf_real]" % (cfg["T_cr"], cfg["p_cr"], args.config))
        lines.append("# |T_cr/T_c(eos) - 1| = %s   |p_cr/p_c(eos) - 1| = %s"
                     % (fmte(abs(Tcr / crit["T"] - 1)), fmte(abs(pcr / crit["p"] - 1))))
    else:
        Tcr, pcr = crit["T"], crit["p"]
        lines.append("# no configuration for this agent: T_cr and p_cr below are the equation's own critical "
                     "point (T_cr = %s K, p_cr = %s Pa)" % (fmt(Tcr, 20), fmt(pcr, 20)))
    ds = ["1e-2", "1e-3", "1e-4", "1e-5", "1e-6"]
    sat = Saturation(eos, crit)
    rec_T = []
    for d in ds:
        T = Tcr * (1 - mpf(d))
        rec_T.append((d, T))
    for Tx in (args.extra_T or []):
        rec_T.append(("none", mpf(Tx)))
    worst = [mpf(0), mpf(0)]
    checks = []
    for d, T in rec_T:
        try:
            s = sat.at_T(T)
        except SatFailure as e:
            lines.append("# sat_T d=%s T=%s omitted: %s (T_c of the equation = %s K, 1 - T/T_c(eos) = %s)"
                         % (d, fmt(T), e, fmt(crit["T"]), fmte(1 - T / crit["T"])))
            continue
        worst = [max(worst[0], s["res_p"]), max(worst[1], s["res_g"])]
        checks.append(("sat_T", d, s))
        lines.append("sat_T d=%s T=%s p=%s rho_liq=%s rho_vap=%s" % (
            d, fmt(T), fmt(s["p"]), fmt(s["dL"] * eos.rho_r * M), fmt(s["dV"] * eos.rho_r * M)))
    for d in ds:
        p = pcr * (1 - mpf(d))
        try:
            s = sat.at_p(p)
        except SatFailure as e:
            lines.append("# sat_p d=%s p=%s omitted: %s (p_c of the equation = %s Pa, 1 - p/p_c(eos) = %s)"
                         % (d, fmt(p), e, fmt(crit["p"]), fmte(1 - p / crit["p"])))
            continue
        worst = [max(worst[0], s["res_p"]), max(worst[1], s["res_g"])]
        checks.append(("sat_p", d, s))
        lines.append("sat_p d=%s p=%s T=%s rho_liq=%s rho_vap=%s" % (
            d, fmt(p), fmt(s["T"]), fmt(s["dL"] * eos.rho_r * M), fmt(s["dV"] * eos.rho_r * M)))
    for kind, d, s in checks:
        nr, ns, margin = global_check(eos, s, crit["delta"])
        lines.append("# check %s d=%s: (rho_liq - rho_vap)/rho_c = %s; roots of p(rho) = p_sat on the isotherm: %d "
                     "(%d stable)%s" % (kind, d, fmte((s["dL"] - s["dV"]) / crit["delta"]), nr, ns,
                                       "" if margin is None else "; other stable roots: g/RT - g_sat/RT >= %s"
                                       % fmte(margin)))
    lines.append("# largest residuals of the saturation records: |p_liq/p_vap - 1| = %s, |g_liq - g_vap|/(RT) = %s"
                 % (fmte(worst[0]), fmte(worst[1])))
    lines.append("# run time %.1f s" % (time.time() - t0))
    emit(lines, args.out)


def emit(lines, out):
    """The lines on stdout, and in the file out when given."""
    text = "\n".join(lines) + "\n"
    if out:
        with open(out, "w") as fh:
            fh.write(text)
    sys.stdout.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("mode", choices=["critical", "satT", "satp", "table", "anchor"])
    ap.add_argument("file")
    ap.add_argument("values", nargs="*")
    ap.add_argument("--dps", type=int, default=DEFAULT_DPS)
    ap.add_argument("--config")
    ap.add_argument("--own-critical", action="store_true")
    ap.add_argument("--extra-T", nargs="*")
    ap.add_argument("--out")
    args = ap.parse_args()
    mp.dps = args.dps
    if args.mode == "table":
        args.agent = args.values[0] if args.values else os.path.basename(args.file)
        if args.own_critical:
            args.config = None
        cmd_table(args)
        return
    eos = HelmholtzEOS(args.file)
    if args.mode == "anchor":
        a = eos.hs_anchor
        p = eos.pressure(mpf(a["T"]), mpf(a["rhomolar"]))
        print("hs_anchor T=%s rhomolar=%s p(file)=%s p(eos)=%s rel.diff=%s" % (
            a["T"], a["rhomolar"], a["p"], fmt(p), fmte(p / mpf(a["p"]) - 1)))
        return
    crit = critical_point(eos)
    print("eos_critical T=%s p=%s rho=%s (rhomolar=%s)" % (fmt(crit["T"], 30), fmt(crit["p"], 30),
                                                         fmt(crit["rhomolar"] * eos.M, 30), fmt(crit["rhomolar"], 30)))
    sat = Saturation(eos, crit)
    if args.mode == "satT":
        for v in args.values:
            s = sat.at_T(mpf(v))
            print("sat_T T=%s p=%s rho_liq=%s rho_vap=%s res_p=%s res_g=%s" % (
                v, fmt(s["p"]), fmt(s["dL"] * eos.rho_r * eos.M), fmt(s["dV"] * eos.rho_r * eos.M),
                fmte(s["res_p"]), fmte(s["res_g"])))
    elif args.mode == "satp":
        for v in args.values:
            s = sat.at_p(mpf(v))
            print("sat_p p=%s T=%s rho_liq=%s rho_vap=%s res_p=%s res_g=%s" % (
                v, fmt(s["T"]), fmt(s["dL"] * eos.rho_r * eos.M), fmt(s["dV"] * eos.rho_r * eos.M),
                fmte(s["res_p"]), fmte(s["res_g"])))


if __name__ == "__main__":
    main()
