"""Thermodynamic properties of working fluids from their Helmholtz equations of state.

    >>> import vantrel
    >>> r134a = vantrel.Fluid("R134a")              # SI units: K, Pa, J/kg, J/(kg K), kg/m3
    >>> s = r134a.state(T=293.15, p=5e5)
    >>> s.h, s.phase
    >>> r134a.props(["h", "rho"], T=[280.0, 300.0], p=5e5)   # NumPy arrays, broadcast
    >>> vantrel.props("H", "T", 293.15, "P", 5e5, "R134a")    # one call, scalars or arrays
    >>> vantrel.cycle("R290", evap=263.15, cond=313.15)        # the cycle's record

Names are those of the command line: "R134a", "r134a", "R-134a", "CO2", "water",
"propane", ... (``vantrel.fluids()`` lists them). ``units="eng"`` (°C, bar, kJ/kg,
kJ/(kg K)) or ``units="ip"`` (°F, psia, Btu/lb, Btu/(lb °F)) take and give values in
those units. The fluid data are found in ``$VANTREL_DATA``, else beside the package
(a pip-installed package holds them), else in the installed tree's share/vantrel/data;
``data=`` names a directory.

Every failure raises a subclass of :class:`vantrel.Error` with its ``kind`` and its
message identifier ``id``.
"""

import builtins
import os
from pathlib import Path

import numpy as np

from . import _vantrel
from ._vantrel import State, version

__all__ = ["Fluid", "State", "fluids", "props", "cycle", "data_directory", "version", "Error", "InputError",
           "DataError", "ConvergenceError", "NearCriticalError", "FloatingPointError"]


class Error(Exception):
    """A failure of the library: ``kind`` ("input", "data", "no_convergence", "near_critical",
    "floating_point") and ``id``, the message's identifier ("pressure_not_positive", ...)."""

    kind = ""
    id = ""


class InputError(Error, ValueError):
    """A state that cannot be computed from the values given (T <= 0, p <= 0, no such state, ...)."""


class DataError(Error, LookupError):
    """A fluid's data: an unknown fluid, a missing, unreadable or inconsistent data file."""


class ConvergenceError(Error, ArithmeticError):
    """A solver that did not converge; never a state that does not reproduce its inputs."""


class NearCriticalError(Error, ValueError):
    """A state in the refused neighbourhood of the critical point."""


class FloatingPointError(Error, builtins.FloatingPointError):
    """An invalid operation, a division by zero or an overflow inside the equations."""


_vantrel._set_error_classes({"input": InputError, "data": DataError, "no_convergence": ConvergenceError,
                             "near_critical": NearCriticalError, "floating_point": FloatingPointError})


def data_directory():
    """The directory of the fluid library: $VANTREL_DATA, else the package's own data (a pip-installed
    package), else share/vantrel/data of the tree the package is installed in."""
    env = os.environ.get("VANTREL_DATA")
    if env:
        return env
    here = Path(__file__).resolve().parent
    if (here / "data").is_dir():
        return str(here / "data")
    for parent in here.parents:
        if (parent / "share" / "vantrel" / "data").is_dir():
            return str(parent / "share" / "vantrel" / "data")
    raise DataError("Data directory not found: set VANTREL_DATA.")


def fluids(units="si", data=None):
    """The fluids of the library, the predefined blends after the pure fluids (as the command
    line's ``fluids`` mode lists them), each a dict of what its configuration states: agent (the name
    to load it by), name, description, source, reference_state, safety_class, aliases, T_min,
    T_max, p_max, T_cr, p_cr, T_tp, p_tp, R, molar_mass, glide (values in ``units``)."""
    return _vantrel._fluids(data or data_directory(), units)


class Fluid(_vantrel._Fluid):
    """A fluid loaded once from its data files: immutable, and safe to share between threads.

    ``Fluid(name, units="si", ref=None, data=None)``: ``name`` as the command line takes it;
    ``units`` "si", "eng" or "ip" for every value given and returned; ``ref`` the reference
    state of h and s: None (the fluid's configured one), "IIR", "ASHRAE", "NBP" or "DEF"."""

    def __init__(self, name, units="si", ref=None, data=None):
        super().__init__(data or data_directory(), name, units, ref or "")
        self.units = units

    def __repr__(self):
        return f"Fluid({self.name!r}, units={self.units!r})"

    # state(**two_values) and saturation(**one_value) are the compiled part's own.

    def props(self, names, errors="nan", threads=1, **values):
        """Properties of many states: ``props(["h", "rho", "phase"], T=array, p=array)``.

        The two inputs broadcast as NumPy arrays do; the result is a dict of arrays of their
        shape, one per name (T p phase x rho v h s u cp cv w z jt Tsat psat Tbub Tdew pbub pdew
        glide). A state that fails has NaN values (an empty phase), and two more arrays say why:
        "message" (empty where fine) and "kind". ``errors="raise"`` raises the first failure
        instead. The work runs without the GIL, on ``threads`` threads."""
        if isinstance(names, str):
            names = [names]
        if len(values) != 2:
            raise ValueError(f"Exactly two values of a state are needed, e.g. T=..., p=...; given: {len(values)}.")
        if errors not in ("nan", "raise"):
            raise ValueError(f"errors must be 'nan' or 'raise', not {errors!r}")
        (ka, va), (kb, vb) = values.items()
        a, b = np.broadcast_arrays(np.asarray(va, dtype=float), np.asarray(vb, dtype=float))
        shape = a.shape
        out, failures = self._props(list(names), ka, a.ravel(), kb, b.ravel(), int(threads), errors == "raise")
        result = {}
        for name in names:
            column = out[name]
            result[name] = (np.array(column, dtype=object) if name == "phase" else column).reshape(shape)
        message = np.full(a.size, "", dtype=object)
        kind = np.full(a.size, "", dtype=object)
        for index, failure_kind, _, text in failures:
            message[index] = text
            kind[index] = failure_kind
        result["message"] = message.reshape(shape)
        result["kind"] = kind.reshape(shape)
        return result

    def cycle(self, **values):
        """The single-stage vapour-compression cycle; see :func:`cycle`."""
        return self._cycle(**values)


def cycle(fluid, **values):
    """The single-stage vapour-compression cycle of a fluid (a :class:`Fluid`, or a name in SI
    units): ``evap`` and ``cond`` (subcritical), or ``evap``, ``gc_out`` and ``high``
    (transcritical); ``superheat``, ``subcool``, ``eta``, ``vol_eff``, ``capacity``. The record
    as ``vantrel_cli cycle --format json`` gives it: fluid, units, points (name, T, p, h, s, rho,
    x), q0, w, qc, cop_cooling, cop_heating, pressure_ratio, t_discharge, qvol, and the flows
    with a capacity; warnings of states outside the range of validity."""
    if not isinstance(fluid, Fluid):
        fluid = _fluid_named(fluid)
    return fluid.cycle(**values)


# The one-call names engineers know from other property libraries, and the library's own.
_NAMES = {"T": "T", "P": "p", "H": "h", "S": "s", "U": "u", "D": "rho", "DMASS": "rho", "Q": "x",
          "C": "cp", "CPMASS": "cp", "O": "cv", "CVMASS": "cv", "A": "w", "SPEED_OF_SOUND": "w", "Z": "z",
          "HMASS": "h", "SMASS": "s", "UMASS": "u", "PHASE": "phase"}
_fluids_by_name = {}


def _fluid_named(name):
    fluid = _fluids_by_name.get(name)
    if fluid is None:
        fluid = _fluids_by_name[name] = Fluid(name)
    return fluid


def _name(name):
    return _NAMES.get(name.upper(), name)


def props(output, name1, value1, name2, value2, fluid):
    """One property of one fluid, in SI units: ``props("H", "T", 293.15, "P", 5e5, "R134a")``.

    Names: T, P, H, S, U, D (density), Q (vapour mass fraction), C (c_p), O (c_v), A (speed of
    sound), Z, PHASE, or the library's own (rho, cp, jt, Tsat, ...). Scalars give a float,
    arrays an array; a state that cannot be computed raises."""
    f = _fluid_named(fluid)
    out = _name(output)
    result = f.props([out], errors="raise", **{_name(name1): value1, _name(name2): value2})[out]
    return result.item() if result.ndim == 0 else result
