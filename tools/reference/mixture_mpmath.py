#!/usr/bin/python3
"""Independent 50-digit evaluation of the multi-fluid mixture model (python3-mpmath).

    mixture_mpmath.py DATA_DIR [--out FILE]
    mixture_mpmath.py DATA_DIR --equilibrium [--out FILE]
    mixture_mpmath.py DATA_DIR --flash [--out FILE]

Reads the program's own data files only: data/mixtures/blends.txt, pairs.txt,
departure/*.txt, and each component's config.txt (mu, rho_div, tau_div) and
eos_coeff.txt (term kinds 0, 1 and 3). For the blends and states of STATES it
writes alpha_r, p and ln phi_i of the mixture, as records of the program's
reference-data files:

    state blend=NAME T=K rho=mol/m3 alpha_r=... p=Pa ln_phi_1=... ln_phi_2=...

With --equilibrium it solves the bubble and dew points of the blends of BLENDS
at each T of EQUILIBRIUM_T (the unknown is p) and at each p of EQUILIBRIUM_P
(the unknown is T): the equal fugacities
ln K_i + ln phi_i(T, rho_V, y) - ln phi_i(T, rho_L, x) = 0,
p(T, rho_L, x) = p(T, rho_V, y) = p and sum of the incipient phase's fractions
= 1, all at once by mpmath.findroot (its numerical Jacobian) in ln K_i, ln p or
ln T, rho_L and rho_V. The rough start values are Wilson's K values, with each
component's critical point and acentric factor from its own equation here; a
15-digit solution from them is then solved to 1e-40. Each point is checked
(both phases at p and equal ln f_i to 1e-30, the incipient phase not the feed),
and so are bubble p > dew p at T and bubble T < dew T at p. It writes

    bubble given=T blend=NAME T=K p=Pa y_1=... rho_liquid=... rho_vapour=...
    dew given=p blend=NAME p=Pa T=K x_1=... rho_liquid=... rho_vapour=...

With --flash it solves two-phase states at T and p of the blends of FLASH_BLENDS:
at each T of FLASH_T the bubble and dew pressures as above, then at
p = p_dew (p_bub/p_dew)^f for each f of FLASH_F (rounded to 25 digits) the
equal fugacities, both phases at p and the Rachford-Rice equation
sum z_i (K_i - 1)/(1 + beta (K_i - 1)) = 0 with x_i = z_i/(1 + beta (K_i - 1)),
y_i = K_i x_i, all at once in ln K_i, beta, rho_L and rho_V. The start values
are ln K_i, beta = 1 - f and the densities interpolated linearly in f between
the dew point (f = 0) and the bubble point (f = 1); a 15-digit solution in
ln K_i and beta (both densities solved at p for each) is then solved to 1e-40. Each state is checked (both phases at p, equal ln f_i, the
material balance and sum x = sum y = 1 to 1e-30, 0 < beta < 1, two phases
apart). It writes

    flash blend=NAME T=K p=Pa beta=... x_mass=... x_1=... y_1=... rho_liquid=... rho_vapour=...

with beta the vapour mole fraction and x_mass the vapour mass fraction beta M(y)/M(z).

The model:
  alpha_r = sum x_i alpha_r,i(delta, tau) + sum_{i<j} x_i x_j F_ij alpha_r,ij(delta, tau)
  delta = rho v_r(x), tau = T_r(x)/T, Y = T_r or v_r = 1/rho_r:
  Y = sum x_i^2 Y_i + sum_{i<j} c_ij, Kunz-Wagner c_ij = 2 beta gamma Y_ij x_i x_j (x_i + x_j)/(beta^2 x_i + x_j)
  (beta as the pair's data orders it; T_ij = sqrt(T_i T_j), v_ij = (v_i^(1/3) + v_j^(1/3))^3/8);
  Lemmon-Jacobsen c_ij = x_i x_j (Y_i + Y_j + xi_or_zeta), equal on sum x = 1 to
  their sum x_i Y_i + sum x_i x_j xi_or_zeta.
  p = rho R T (1 + delta d alpha_r/d delta), R = 8.314462618 J/(mol K);
  ln phi_i = d(n alpha_r)/d n_i at constant T, V, n_j - ln Z, by numerical
  differentiation (mpmath.diff) of n alpha_r(T, n/V, n_i/n): no analytic
  composition derivative is used.
"""
import argparse
import os
import sys
import time

import mpmath as mp

mp.mp.dps = 50
R = mp.mpf("8.314462618")

BLENDS = ["R454B", "R513A", "R449A", "R407C.mix"]
TEMPERATURES = ["230", "260", "290", "320", "350"]
# Bubble and dew points of each blend at these T (K) and at these p (Pa).
EQUILIBRIUM_T = ["230", "250", "270", "290", "310"]
EQUILIBRIUM_P = ["100000", "300000", "600000", "1000000", "2000000"]
# Two-phase states of these blends at these T (K), at p = p_dew (p_bub/p_dew)^f for these f.
FLASH_BLENDS = ["R454B", "R449A", "R407C.mix"]
FLASH_T = ["240", "270", "300"]
FLASH_F = ["0.2", "0.5", "0.8"]
CHECK = mp.mpf("1e-30")  # largest residual of a solved point: p_phase/p - 1 and ln f_i,L - ln f_i,V

GAS_DENSITY = "200"  # mol/m3
DENSE_PRESSURE = mp.mpf("1e7")  # Pa: the dense state at each temperature, its density rounded to 6 digits


def lines(path):
    with open(path, encoding="utf-8") as h:
        for line in h:
            w = line.split()
            if w and not w[0].startswith(";"):
                yield w


def read_table(path):
    with open(path, encoding="utf-8") as h:
        text = h.read().split("\n")
    rows, cols, heads = (int(v) for v in text[0].split()[:3])
    nums = " ".join(text[1 + heads:]).split()
    return [[mp.mpf(v) for v in nums[r * cols:(r + 1) * cols]] for r in range(rows)]


def read_config(path):
    out = {}
    for line in open(path, encoding="utf-8"):
        if "=" in line and not line.startswith(";"):
            k, v = line.split("=", 1)
            out[k.strip()] = v.strip()
    return out


class Pure:
    def __init__(self, data, name):
        c = read_config(os.path.join(data, name, "config.txt"))
        self.M = mp.mpf(c["mu"]) / 1000
        self.T_r = mp.mpf(c["tau_div"])
        self.rho_r = mp.mpf(c["rho_div"]) / self.M
        self.terms = read_table(os.path.join(data, name, c.get("eos_coeff", "eos_coeff.txt")))
        for t in self.terms:
            if int(t[0]) not in (0, 1, 3):
                sys.exit(f"{name}: term kind {t[0]} not evaluated here")

    def pressure(self, T, rho):
        d = rho / self.rho_r
        return rho * R * T * (1 + d * mp.diff(lambda dd: self.alphar(dd, self.T_r / T), d))

    def ln_f(self, T, rho):
        """ln of the fugacity: ln(rho R T) + alpha_r + Z - 1."""
        d, tau = rho / self.rho_r, self.T_r / T
        return mp.log(rho * R * T) + self.alphar(d, tau) + d * mp.diff(lambda dd: self.alphar(dd, tau), d)

    def critical(self):
        """T_c and p_c of the equation: dp/drho = d2p/drho2 = 0, from the reducing values."""
        def F(T, rho):
            return [mp.diff(lambda r: self.pressure(T, r), rho, k) * rho ** (k - 1) / (R * T) for k in (1, 2)]
        Tc, rhoc = mp.findroot(F, [self.T_r, self.rho_r])
        return Tc, self.pressure(Tc, rhoc)

    def saturation_pressure(self, T):
        """Equal p and ln f of liquid and vapour; the liquid starts at p = 0, the vapour at its fugacity."""
        rl = mp.findroot(lambda r: self.pressure(T, r), 3 * self.rho_r)
        p0 = mp.exp(self.ln_f(T, rl))
        rl, rv = mp.findroot(lambda a, b: [(self.pressure(T, a) - self.pressure(T, b)) / p0,
                                           self.ln_f(T, a) - self.ln_f(T, b)], [rl, p0 / (R * T)])
        return self.pressure(T, rv)

    def wilson(self):
        """T_c, p_c and the acentric factor, for Wilson's K values of the rough start values."""
        with mp.workdps(20):
            Tc, pc = self.critical()
            omega = -mp.log10(self.saturation_pressure(Tc * mp.mpf("0.7")) / pc) - 1
        return Tc, pc, omega

    def alphar(self, d, tau):
        s = mp.mpf(0)
        for t in self.terms:
            kind, n, dd, tt = int(t[0]), t[1], t[2], t[3]
            base = n * d ** dd * tau ** tt
            if kind == 0:
                g, l = t[4], t[5]
                s += base * (mp.exp(g * d ** l) if g != 0 else 1)
            elif kind == 1:
                al, be, ep, ga = t[6], t[7], t[8], t[9]
                s += base * mp.exp(-al * (d - ep) ** 2 - be * (tau - ga) ** 2)
            else:
                l, m = t[4], t[5]
                s += base * (mp.exp(-d ** l) if l != 0 else 1) * (mp.exp(-tau ** m) if m != 0 else 1)
        return s


def departure(path):
    terms = read_table(path)
    if any(t[0] != 0 for t in terms):
        sys.exit(f"{path}: a term of another kind than 0")

    def f(d, tau):
        return sum(t[1] * d ** t[2] * tau ** t[3] * (mp.exp(-d ** t[4]) if t[4] != 0 else 1) for t in terms)
    return f


class Mixture:
    def __init__(self, data, blend):
        comp = next(w for w in lines(os.path.join(data, "mixtures", "blends.txt")) if w[0] == blend)
        self.names = comp[1::2]
        w = [mp.mpf(v) for v in comp[2::2]]
        self.pure = [Pure(data, n) for n in self.names]
        moles = [wi / p.M for wi, p in zip(w, self.pure)]
        self.x = [m / sum(moles) for m in moles]
        pairs = list(lines(os.path.join(data, "mixtures", "pairs.txt")))
        self.pairs = []
        for i in range(len(self.names)):
            for j in range(i + 1, len(self.names)):
                self.pairs.append(self.pair(data, pairs, i, j))
        self.critical = [p.wilson() for p in self.pure]

    def pair(self, data, pairs, i, j):
        a, b = self.names[i], self.names[j]
        w = next(p for p in pairs if {p[1], p[2]} == {a, b})
        vals = [mp.mpf(v) for v in w[3:-3]]
        F, fn = mp.mpf(w[-3]), w[-2]
        dep = departure(os.path.join(data, "mixtures", "departure", fn + ".txt")) if fn != "-" and F != 0 else None
        if w[0] == "KW" and w[1] != a:  # data order (j, i): beta of (i, j) is 1/beta
            vals[0], vals[2] = 1 / vals[0], 1 / vals[2]
        return (i, j, w[0], vals, F, dep)

    def reducing(self, x):
        Ti = [p.T_r for p in self.pure]
        vi = [1 / p.rho_r for p in self.pure]
        T = sum(x[k] ** 2 * Ti[k] for k in range(len(x)))
        v = sum(x[k] ** 2 * vi[k] for k in range(len(x)))
        for i, j, form, vals, _, _ in self.pairs:
            if form == "LJ":
                T += x[i] * x[j] * (Ti[i] + Ti[j] + vals[0])
                v += x[i] * x[j] * (vi[i] + vi[j] + vals[1])
            else:
                bT, gT, bv, gv = vals
                Tij = mp.sqrt(Ti[i] * Ti[j])
                vij = (mp.cbrt(vi[i]) + mp.cbrt(vi[j])) ** 3 / 8
                T += 2 * bT * gT * Tij * x[i] * x[j] * (x[i] + x[j]) / (bT ** 2 * x[i] + x[j])
                v += 2 * bv * gv * vij * x[i] * x[j] * (x[i] + x[j]) / (bv ** 2 * x[i] + x[j])
        return T, v

    def alphar(self, T, rho, x):
        Tr, vr = self.reducing(x)
        d, tau = rho * vr, Tr / T
        a = sum(x[k] * p.alphar(d, tau) for k, p in enumerate(self.pure))
        for i, j, _, _, F, dep in self.pairs:
            if dep:
                a += x[i] * x[j] * F * dep(d, tau)
        return a

    def state(self, T, rho):
        x = self.x
        Tr, vr = self.reducing(x)
        d = rho * vr
        Z = 1 + d * mp.diff(lambda dd: self.alphar(T, dd / vr, x), d)
        return self.alphar(T, rho, x), rho * R * T * Z, self.ln_phi(T, rho, x)

    def ln_phi(self, T, rho, x):
        V = 1 / rho

        def n_alphar(n):
            total = sum(n)
            return total * self.alphar(T, total / V, [ni / total for ni in n])
        Tr, vr = self.reducing(x)
        Z = 1 + rho * vr * mp.diff(lambda dd: self.alphar(T, dd / vr, x), rho * vr)
        out = []
        for i in range(len(x)):
            def f(h, i=i):
                n = list(x)
                n[i] += h
                return n_alphar(n)
            out.append(mp.diff(f, 0) - mp.log(Z))
        return out

    def pressure_x(self, T, rho, x):
        Tr, vr = self.reducing(x)
        return rho * R * T * (1 + rho * vr * mp.diff(lambda dd: self.alphar(T, dd / vr, x), rho * vr))

    def incipient(self, kind, lnK):
        """The incipient phase's fractions before normalising: z_i K_i (bubble) or z_i / K_i (dew)."""
        sign = 1 if kind == "bubble" else -1
        return [zi * mp.exp(sign * k) for zi, k in zip(self.x, lnK)]

    def equations(self, kind, given, value):
        """Unknowns: ln K_i, ln p (at T) or ln T (at p), rho_L, rho_V; the feed is self.x."""
        n, z = len(self.x), self.x

        def F(*v):
            lnK, u, rl, rv = v[:n], mp.exp(v[n]), v[n + 1], v[n + 2]
            T, p = (value, u) if given == "T" else (u, value)
            w = self.incipient(kind, lnK)
            wn = [wi / sum(w) for wi in w]
            x, y = (z, wn) if kind == "bubble" else (wn, z)
            pl, pv = self.ln_phi(T, rl, x), self.ln_phi(T, rv, y)
            eqs = [lnK[i] + pv[i] - pl[i] for i in range(n)]
            eqs += [sum(w) - 1, self.pressure_x(T, rl, x) / p - 1, self.pressure_x(T, rv, y) / p - 1]
            return eqs
        return F

    def wilson_lnK(self, T, p):
        return [mp.log(pc / p) + mp.mpf("5.373") * (1 + om) * (1 - Tc / T) for Tc, pc, om in self.critical]

    def density(self, T, p, x, rho):
        return mp.findroot(lambda r: self.pressure_x(T, r, x) / p - 1, rho)

    def start(self, kind, given, value):
        """Rough start values: Wilson's K values, the unknown T or p where the incipient
        phase's fractions add up to 1, and both phases' densities at that T and p."""
        def excess(T, p):
            return mp.log(sum(self.incipient(kind, self.wilson_lnK(T, p))))
        if given == "T":
            T = value
            p = mp.exp(mp.findroot(lambda lnp: excess(T, mp.exp(lnp)), mp.log(100000)))
        else:
            p = value
            T = mp.findroot(lambda T: excess(T, p), (150, 500), solver="anderson")
        lnK = self.wilson_lnK(T, p)
        w = self.incipient(kind, lnK)
        wn = [wi / sum(w) for wi in w]
        x, y = (self.x, wn) if kind == "bubble" else (wn, self.x)
        rl = self.density(T, p, x, 3 / self.reducing(x)[1])
        rv = self.density(T, p, y, p / (R * T))
        return lnK + [mp.log(p if given == "T" else T), rl, rv]

    def saturation(self, kind, given, value):
        """Bubble or dew point at T or at p: the rough start values, a 15-digit solution, then
        the solution to 1e-40. Returns the unknown (p or T), the incipient phase's fractions, rho_L, rho_V."""
        n = len(self.x)
        with mp.workdps(15):  # from Wilson's K values the damped Newton steps may take some 20 iterations
            v = mp.findroot(self.equations(kind, given, mp.mpf(value)), self.start(kind, given, mp.mpf(value)),
                            maxsteps=50, verify=False)
        if max(abs(k) for k in v[:n]) < mp.mpf("1e-4"):
            sys.exit(f"{kind} at {given}={value}: the trivial solution (K_i = 1)")
        v = mp.findroot(self.equations(kind, given, mp.mpf(value)), list(v), tol=mp.mpf(10) ** -40)
        w = self.incipient(kind, v[:n])
        return mp.exp(v[n]), [wi / sum(w) for wi in w], v[n + 1], v[n + 2]

    def split(self, lnK, beta):
        """The liquid's and the vapour's fractions of the feed: x_i = z_i/(1 + beta (K_i - 1)), y_i = K_i x_i."""
        x = [zi / (1 + beta * (mp.exp(k) - 1)) for zi, k in zip(self.x, lnK)]
        return x, [xi * mp.exp(k) for xi, k in zip(x, lnK)]

    def phases(self, lnK, beta):
        """The phases' fractions of split normalised (the same on the Rachford-Rice solution), and their sums."""
        x, y = self.split(lnK, beta)
        return [xi / sum(x) for xi in x], [yi / sum(y) for yi in y], sum(x), sum(y)

    def flash_equations(self, T, p):
        """Unknowns: ln K_i, beta, rho_L, rho_V; Rachford-Rice as sum y_i - sum x_i = 0."""
        n = len(self.x)

        def F(*v):
            lnK, beta, rl, rv = v[:n], v[n], v[n + 1], v[n + 2]
            x, y, sx, sy = self.phases(lnK, beta)
            pl, pv = self.ln_phi(T, rl, x), self.ln_phi(T, rv, y)
            eqs = [lnK[i] + pv[i] - pl[i] for i in range(n)]
            eqs += [sy - sx, self.pressure_x(T, rl, x) / p - 1, self.pressure_x(T, rv, y) / p - 1]
            return eqs
        return F

    def flash(self, T, p, f, bubble, dew):
        """Two-phase state at T and p. Start values: ln K_i, beta and the densities interpolated linearly
        in f between the dew point (f = 0) and the bubble point (f = 1) at T. A 15-digit solution in
        ln K_i and beta alone, both densities solved at p for each (with rho_L and rho_V among the unknowns
        the first Newton steps are damped to little), then the solution to 1e-40.
        Returns beta, x, y, rho_L, rho_V."""
        n, z = len(self.x), self.x
        lnK = [(1 - f) * mp.log(zi / xi) + f * mp.log(yi / zi) for zi, xi, yi in zip(z, dew[1], bubble[1])]
        rl, rv = (1 - f) * dew[2] + f * bubble[2], (1 - f) * dew[3] + f * bubble[3]
        F = self.flash_equations(T, p)

        def densities(u):
            x, y = self.phases(u[:n], u[n])[:2]
            return [self.density(T, p, x, rl), self.density(T, p, y, rv)]
        with mp.workdps(15):
            u = list(mp.findroot(lambda *u: F(*u, *densities(u))[:n + 1], lnK + [1 - f], maxsteps=50, verify=False))
            v = u + densities(u)
        v = mp.findroot(F, v, tol=mp.mpf(10) ** -40)
        x, y = self.split(v[:n], v[n])
        return v[n], x, y, v[n + 1], v[n + 2]

    def pressure(self, T, rho):
        Tr, vr = self.reducing(self.x)
        return rho * R * T * (1 + rho * vr * mp.diff(lambda dd: self.alphar(T, dd / vr, self.x), rho * vr))

    def dense_density(self, T):
        M = sum(xi * p.M for xi, p in zip(self.x, self.pure))
        rho = mp.findroot(lambda r: self.pressure(T, r) - DENSE_PRESSURE, mp.mpf(1400) / M)
        return mp.nstr(rho, 6, strip_zeros=True)


def check_point(m, kind, given, value, solved):
    """Both phases at p and equal ln f_i to CHECK; the incipient phase away from the feed; two densities apart."""
    u, w, rl, rv = solved
    T, p = (mp.mpf(value), u) if given == "T" else (u, mp.mpf(value))
    x, y = (m.x, w) if kind == "bubble" else (w, m.x)
    lfl = [mp.log(xi * p) + f for xi, f in zip(x, m.ln_phi(T, rl, x))]
    lfv = [mp.log(yi * p) + f for yi, f in zip(y, m.ln_phi(T, rv, y))]
    res = [m.pressure_x(T, rl, x) / p - 1, m.pressure_x(T, rv, y) / p - 1] + [a - b for a, b in zip(lfl, lfv)]
    apart = max(abs(wi - zi) for wi, zi in zip(w, m.x))
    if max(abs(r) for r in res) > CHECK or apart < mp.mpf("1e-4") or rl < 2 * rv:
        sys.exit(f"{kind} at {given}={value}: residuals {[mp.nstr(r, 3) for r in res]}, "
                 f"incipient phase {mp.nstr(apart, 3)} from the feed, rho {mp.nstr(rl, 8)} {mp.nstr(rv, 8)}")


def record(kind, blend, given, value, solved):
    u, w, rl, rv = solved
    name = "y" if kind == "bubble" else "x"
    other = "p" if given == "T" else "T"
    vals = [f"given={given}", f"blend={blend}", f"{given}={value}", f"{other}={mp.nstr(u, 25)}"]
    vals += [f"{name}_{k + 1}={mp.nstr(v, 25)}" for k, v in enumerate(w)]
    vals += [f"rho_liquid={mp.nstr(rl, 25)}", f"rho_vapour={mp.nstr(rv, 25)}"]
    return kind + " " + " ".join(vals) + "\n"


def check_flash(m, T, p, solved):
    """Both phases at p, equal ln f_i, the material balance and sum x = sum y = 1 to CHECK;
    0 < beta < 1; the phases' fractions and densities apart."""
    beta, x, y, rl, rv = solved
    lfl = [mp.log(xi * p) + f for xi, f in zip(x, m.ln_phi(T, rl, x))]
    lfv = [mp.log(yi * p) + f for yi, f in zip(y, m.ln_phi(T, rv, y))]
    res = [m.pressure_x(T, rl, x) / p - 1, m.pressure_x(T, rv, y) / p - 1, sum(x) - 1, sum(y) - 1]
    res += [a - b for a, b in zip(lfl, lfv)] + [(1 - beta) * xi + beta * yi - zi for xi, yi, zi in zip(x, y, m.x)]
    apart = max(abs(xi - yi) for xi, yi in zip(x, y))
    if max(abs(r) for r in res) > CHECK or not 0 < beta < 1 or apart < mp.mpf("1e-4") or rl < 2 * rv:
        sys.exit(f"flash at T={T} p={mp.nstr(p, 12)}: residuals {[mp.nstr(r, 3) for r in res]}, "
                 f"beta {mp.nstr(beta, 8)}, phases {mp.nstr(apart, 3)} apart, rho {mp.nstr(rl, 8)} {mp.nstr(rv, 8)}")


def write_flash(data, out):
    out.write("# Two-phase states at T and p (isothermal flash) of the multi-fluid mixture model.\n")
    out.write("# Source: independent 50-digit solution, tools/reference/mixture_mpmath.py --flash\n")
    out.write("# (python3-mpmath), of the program's own data files: equal ln f_i of both phases, both phases\n")
    out.write("# at p, the material balance z_i = (1 - beta) x_i + beta y_i with the Rachford-Rice equation\n")
    out.write("# (ln phi_i by numerical differentiation); start values interpolated between the dew and the\n")
    out.write("# bubble point at T, themselves solved as for --equilibrium.\n")
    out.write(f"# date: {time.strftime('%Y-%m-%d %H:%M:%S UTC', time.gmtime())}\n")
    out.write("# command: tools/reference/mixture_mpmath.py data --flash --out tests/mixtures/flash.txt\n")
    out.write("# states: at each T, p = p_dew (p_bub/p_dew)^f for f = " + ", ".join(FLASH_F)
              + ", rounded to 25 digits and solved at that p\n")
    out.write("# beta the vapour mole fraction, x_mass the vapour mass fraction beta M(y)/M(z);\n")
    out.write("# x_k the liquid's and y_k the vapour's mole fractions\n")
    out.write("# units: T K, p Pa, rho mol/m3; fractions in the order of the blend's components in blends.txt\n")
    for blend in FLASH_BLENDS:
        m = Mixture(data, blend)
        M = [c.M for c in m.pure]
        for T in FLASH_T:
            solved = {}
            for kind in ("bubble", "dew"):
                solved[kind] = m.saturation(kind, "T", T)
                check_point(m, kind, "T", T, solved[kind])
            p_bub, p_dew = solved["bubble"][0], solved["dew"][0]
            if p_bub <= p_dew:
                sys.exit(f"{blend} at T={T}: bubble {mp.nstr(p_bub, 12)}, dew {mp.nstr(p_dew, 12)}")
            print(f"{blend} T={T} p_bubble={mp.nstr(p_bub, 25)} p_dew={mp.nstr(p_dew, 25)}", file=sys.stderr)
            for f in FLASH_F:
                p = mp.mpf(mp.nstr(p_dew * (p_bub / p_dew) ** mp.mpf(f), 25))
                state = m.flash(mp.mpf(T), p, mp.mpf(f), solved["bubble"], solved["dew"])
                check_flash(m, mp.mpf(T), p, state)
                beta, x, y, rl, rv = state
                x_mass = beta * sum(yi * Mi for yi, Mi in zip(y, M)) / sum(zi * Mi for zi, Mi in zip(m.x, M))
                vals = [f"blend={blend}", f"T={T}", f"p={mp.nstr(p, 25)}", f"beta={mp.nstr(beta, 25)}",
                        f"x_mass={mp.nstr(x_mass, 25)}"]
                vals += [f"x_{k + 1}={mp.nstr(v, 25)}" for k, v in enumerate(x)]
                vals += [f"y_{k + 1}={mp.nstr(v, 25)}" for k, v in enumerate(y)]
                vals += [f"rho_liquid={mp.nstr(rl, 25)}", f"rho_vapour={mp.nstr(rv, 25)}"]
                out.write("flash " + " ".join(vals) + "\n")
                out.flush()


def write_equilibria(data, out):
    out.write("# Bubble and dew points of the multi-fluid mixture model, at T and at p.\n")
    out.write("# Source: independent 50-digit solution, tools/reference/mixture_mpmath.py --equilibrium\n")
    out.write("# (python3-mpmath), of the program's own data files: equal ln f_i of both phases, both phases\n")
    out.write("# at p, the incipient phase's fractions adding up to 1 (ln phi_i by numerical differentiation);\n")
    out.write("# start values from Wilson's K values of the components' own critical points and acentric factors.\n")
    out.write(f"# date: {time.strftime('%Y-%m-%d %H:%M:%S UTC', time.gmtime())}\n")
    out.write("# command: tools/reference/mixture_mpmath.py data --equilibrium --out tests/mixtures/equilibrium.txt\n")
    out.write("# given=T: T given, p solved for; given=p: p given, T solved for;\n")
    out.write("# bubble gives the incipient vapour y_k, dew the incipient liquid x_k\n")
    out.write("# units: T K, p Pa, rho mol/m3; fractions in the order of the blend's components in blends.txt\n")
    for blend in BLENDS:
        m = Mixture(data, blend)
        for given, values in (("T", EQUILIBRIUM_T), ("p", EQUILIBRIUM_P)):
            for value in values:
                solved = {}
                for kind in ("bubble", "dew"):
                    solved[kind] = m.saturation(kind, given, value)
                    check_point(m, kind, given, value, solved[kind])
                    out.write(record(kind, blend, given, value, solved[kind]))
                    out.flush()
                bubble, dew = solved["bubble"][0], solved["dew"][0]
                if (bubble <= dew) if given == "T" else (bubble >= dew):
                    sys.exit(f"{blend} at {given}={value}: bubble {mp.nstr(bubble, 12)}, dew {mp.nstr(dew, 12)}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("data")
    ap.add_argument("--out")
    ap.add_argument("--equilibrium", action="store_true")
    ap.add_argument("--flash", action="store_true")
    a = ap.parse_args()
    out = open(a.out, "w", encoding="utf-8") if a.out else sys.stdout
    if a.flash:
        write_flash(a.data, out)
        return
    if a.equilibrium:
        write_equilibria(a.data, out)
        return
    out.write("# Multi-fluid mixture model: alpha_r, p and ln phi_i at (T, rho, x) of predefined blends.\n")
    out.write("# Source: independent 50-digit evaluation, tools/reference/mixture_mpmath.py (python3-mpmath),\n")
    out.write("# of the program's own data files (data/mixtures/, the components' config.txt and eos_coeff.txt);\n")
    out.write("# ln phi_i by numerical differentiation of n alpha_r in the mole numbers, p = rho R T Z with\n")
    out.write("# R = 8.314462618 J/(mol K); x from the blends' mass fractions and the components' molar masses.\n")
    out.write(f"# date: {time.strftime('%Y-%m-%d %H:%M:%S UTC', time.gmtime())}\n")
    out.write("# command: tools/reference/mixture_mpmath.py data --out tests/mixtures/reference.txt\n")
    out.write("# states: T as listed; rho a gas (200 mol/m3) and a dense state (p = 10 MPa, rho rounded to 6 digits)\n")
    out.write("# units: T K, rho mol/m3, p Pa; ln_phi_k in the order of the blend's components in blends.txt\n")
    for blend in BLENDS:
        m = Mixture(a.data, blend)
        for T in TEMPERATURES:
            for rho in (GAS_DENSITY, m.dense_density(mp.mpf(T))):
                ar, p, lp = m.state(mp.mpf(T), mp.mpf(rho))
                vals = [f"blend={blend}", f"T={T}", f"rho={rho}", f"alpha_r={mp.nstr(ar, 25)}",
                        f"p={mp.nstr(p, 25)}"] + [f"ln_phi_{k + 1}={mp.nstr(v, 25)}" for k, v in enumerate(lp)]
                out.write("state " + " ".join(vals) + "\n")
                out.flush()


if __name__ == "__main__":
    main()
