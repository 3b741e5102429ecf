#!/usr/bin/python3
"""Cross-check of the mpmath equal-area solver (saturation_mpmath.py) for water
against python3-iapws (iapws.IAPWS95, saturated liquid x=0 and vapour x=1)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import iapws
from mpmath import mp, mpf
import mpmath
import saturation_mpmath as S

mp.dps = int(sys.argv[2]) if len(sys.argv) > 2 else 50
path = sys.argv[1] if len(sys.argv) > 1 else "/work/shared/fluid-sources/Water.json"
eos = S.HelmholtzEOS(path)
crit = S.critical_point(eos)
sat = S.Saturation(eos, crit)
M = eos.M
print("# iapws %s, mpmath %s, %d digits" % (iapws.__version__, mpmath.__version__, mp.dps))
print("# T_K  p_mpmath_Pa  p_iapws_rel  rhoL_mpmath  rhoL_iapws_rel  rhoV_mpmath  rhoV_iapws_rel  (rel = iapws/mpmath - 1)")
for T in (275, 300, 450, 600, 625, 640, 645, 647):
    s = sat.at_T(mpf(T))
    p = s["p"]
    rL = s["dL"] * eos.rho_r * M
    rV = s["dV"] * eos.rho_r * M
    l = iapws.IAPWS95(T=T, x=0)
    v = iapws.IAPWS95(T=T, x=1)
    print("%5g %s %+.2e %s %+.2e %s %+.2e | iapws pV/pL-1 %+.1e" % (
        T, S.fmt(p), l.P * 1e6 / float(p) - 1, S.fmt(rL), l.rho / float(rL) - 1,
        S.fmt(rV), v.rho / float(rV) - 1, v.P / l.P - 1))
