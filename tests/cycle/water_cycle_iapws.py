# The water cycle of the cycle tests, computed independently with
# python3-iapws (IAPWS-95, W. Wagner and A. Pruss, J. Phys. Chem. Ref. Data 31,
# 387 (2002)): evaporation 10 C, condensation 60 C, superheat 5 K, subcooling
# 3 K, isentropic efficiency 0.7.
# Prints one line per state point: name T[K] p[Pa] h[J/kg] s[J/(kg K)] rho[kg/m3] x
# (x = -1 for a single-phase state), then "cop" and the COP for cooling.
from iapws import IAPWS95

T_evap, T_cond, superheat, subcool, eta = 283.15, 333.15, 5.0, 3.0, 0.7

p_evap = IAPWS95(T=T_evap, x=1).P          # MPa
p_cond = IAPWS95(T=T_cond, x=1).P
s1 = IAPWS95(T=T_evap + superheat, P=p_evap)
s2s = IAPWS95(P=p_cond, s=s1.s)
h2 = s1.h + (s2s.h - s1.h) / eta
s2 = IAPWS95(P=p_cond, h=h2)
s3 = IAPWS95(T=T_cond - subcool, P=p_cond)
# Point 4 lies in the dome at the evaporating pressure, whose saturation
# temperature is T_evap; iapws's (P, h) solver does not converge there, so
# the mixture is weighed from the saturated phases.
liq, vap = IAPWS95(T=T_evap, x=0), IAPWS95(T=T_evap, x=1)
x4 = (s3.h - liq.h) / (vap.h - liq.h)


class Mixture:
    T, P, h, x = T_evap, p_evap, s3.h, x4
    s = liq.s + x4 * (vap.s - liq.s)
    rho = 1 / (1 / liq.rho + x4 * (1 / vap.rho - 1 / liq.rho))


s4 = Mixture()


def show(name, st, two_phase=False):
    x = st.x if two_phase else -1
    print(name, repr(st.T), repr(st.P * 1e6), repr(st.h * 1e3), repr(st.s * 1e3), repr(st.rho), repr(x))


show("1", s1)
show("2s", s2s)
show("2", s2)
show("3", s3)
show("4", s4, True)
print("cop", repr((s1.h - s4.h) / (s2.h - s1.h)))
