"""The Python module against python3-iapws and against itself: water's states,
round trips over the pairs, units, errors and their classes, vectorised calls
with failures, threads, and the README's example."""

import json
import math
import os
import re
import subprocess
import sys
import threading
from pathlib import Path

import numpy as np
import pytest

import vantrel

ROOT = Path(__file__).resolve().parents[2]


@pytest.fixture(scope="module")
def water():
    return vantrel.Fluid("water")


def test_water_agrees_with_iapws95_vectorised(water):
    iapws = pytest.importorskip("iapws")
    T, p = np.meshgrid(np.linspace(280.0, 1000.0, 7), np.array([0.05e6, 1e6, 10e6, 50e6]))
    got = water.props(["h", "s", "rho", "cp", "w", "phase"], T=T, p=p)
    assert got["h"].shape == T.shape
    for i, j in np.ndindex(T.shape):
        ref = iapws.IAPWS95(T=T[i, j], P=p[i, j] / 1e6)
        for name, value, scale in [("h", ref.h, 1e3), ("s", ref.s, 1e3), ("rho", ref.rho, 1), ("cp", ref.cp, 1e3),
                                   ("w", ref.w, 1)]:
            assert got[name][i, j] == pytest.approx(value * scale, rel=1e-8), (name, T[i, j], p[i, j])
        assert got["message"][i, j] == ""


# (fluid, T K, p Pa): a gas, a liquid, a supercritical state of each kind of fluid.
STATES = [("R134a", 293.15, 5e5), ("R134a", 253.15, 20e5), ("R744", 320.0, 100e5), ("R407C", 300.0, 10e5),
          ("R717", 250.0, 5e5), ("water", 450.0, 1e5)]


@pytest.mark.parametrize("fluid,T,p", STATES)
def test_every_pair_gives_back_the_state(fluid, T, p):
    f = vantrel.Fluid(fluid)
    s = f.state(T=T, p=p)
    for values in [dict(p=s.p, h=s.h), dict(p=s.p, s=s.s), dict(T=s.T, rho=s.rho), dict(h=s.h, s=s.s),
                   dict(rho=s.rho, T=s.T)]:
        back = f.state(**values)
        assert back.T == pytest.approx(T, rel=1e-9), values
        assert back.p == pytest.approx(p, rel=1e-8), values
    wet = f.state(T=f.info["T_cr"] * 0.8, x=0.3)
    assert f.state(p=wet.p, h=wet.h).x == pytest.approx(0.3, abs=1e-9)


def test_units_convert_values_both_ways():
    si, eng, ip = (vantrel.Fluid("R134a", units=u) for u in ("si", "eng", "ip"))
    a = si.state(T=293.15, p=5e5)
    b = eng.state(T=20, p=5)
    c = ip.state(T=68, p=5e5 / 6894.757293168361)
    assert b.h == pytest.approx(a.h / 1e3, rel=1e-12)
    assert b.s == pytest.approx(a.s / 1e3, rel=1e-12)
    assert c.h == pytest.approx(a.h / 2326, rel=1e-12)
    assert c.T == pytest.approx(68, rel=1e-12)
    assert eng.saturation(T=0)["p"] == pytest.approx(si.saturation(T=273.15)["p"] / 1e5, rel=1e-12)
    assert si.saturation(T=500) is None  # above the critical point
    assert vantrel.fluids(units="eng")[0]["T_cr"] == pytest.approx(vantrel.fluids()[0]["T_cr"] - 273.15)


def test_fluids_are_the_command_lines():
    listed = subprocess.run([os.environ.get("VANTREL_CLI", str(ROOT / "build" / "vantrel_cli")), "fluids", "--data",
                             vantrel.data_directory(), "--format", "json"], capture_output=True, text=True, check=True)
    assert [f["agent"] for f in vantrel.fluids()] == [f["fluid"] for f in json.loads(listed.stdout)]
    assert "R454B" in [f["agent"] for f in vantrel.fluids()]


ERRORS = [
    (lambda: vantrel.Fluid("R134a").state(T=300, p=-1), vantrel.InputError, ValueError, "input",
     "pressure_not_positive"),
    (lambda: vantrel.Fluid("R134a").state(T=300, x=1.5), vantrel.InputError, ValueError, "input", "fraction_outside"),
    (lambda: vantrel.Fluid("R9999"), vantrel.DataError, LookupError, "data", "fluid_not_found_closest"),
    (lambda: vantrel.Fluid("R507A").state(T=343.69, p=36.99e5), vantrel.NearCriticalError, ValueError,
     "near_critical", "near_critical"),
    (lambda: vantrel.Fluid("R507A").state(T=293.15, rho=1e30), vantrel.FloatingPointError, FloatingPointError,
     "floating_point", "overflow"),
    (lambda: vantrel.Fluid("water", ref="ASHRAE"), vantrel.InputError, ValueError, "input", "reference_unavailable"),
    (lambda: vantrel.cycle("R134a", evap=313.15, cond=303.15), vantrel.InputError, ValueError, "input",
     "cycle_evap_not_below_cond"),
    (lambda: vantrel.Fluid("R134a").props("h", T=[300, 300], p=[1e5, -1], errors="raise"), vantrel.InputError,
     ValueError, "input", "pressure_not_positive"),
]


@pytest.mark.parametrize("call,cls,builtin,kind,id", ERRORS)
def test_errors_raise_their_class_kind_and_identifier(call, cls, builtin, kind, id):
    with pytest.raises(cls) as e:
        call()
    assert isinstance(e.value, vantrel.Error) and isinstance(e.value, builtin)
    assert (e.value.kind, e.value.id) == (kind, id)
    assert "\n" not in str(e.value) and str(e.value)


@pytest.mark.parametrize("call,error", [
    (lambda f: f.state(T=300), ValueError), (lambda f: f.state(T=300, q=1), ValueError),
    (lambda f: f.state(T=300, T2=1), ValueError), (lambda f: f.props(["nope"], T=300, p=1e5), ValueError),
    (lambda f: f.saturation(T=300, p=1e5), ValueError), (lambda f: vantrel.Fluid("R134a", units="imperial"), ValueError),
    (lambda f: f.state(T=300, p="high"), TypeError)])
def test_wrong_arguments_are_value_or_type_errors(call, error):
    with pytest.raises(error):
        call(vantrel.Fluid("R134a"))


def test_failed_states_are_nan_with_their_message_and_kind():
    f = vantrel.Fluid("R134a")
    got = f.props(["h", "phase", "x"], T=[293.15, 293.15, 293.15], p=[5e5, -1.0, 7e5])
    assert np.isnan(got["h"][1]) and not np.isnan(got["h"][0])
    assert list(got["phase"]) == ["gas", "", "liquid"]
    assert np.isnan(got["x"]).all()  # single-phase states have no vapour fraction
    assert list(got["kind"]) == ["", "input", ""]
    assert got["message"][1] == "Invalid pressure p = -1 Pa: it must be above 0 Pa."


def test_threads_give_the_same_results_as_one():
    f = vantrel.Fluid("R410A")
    T = np.linspace(230.0, 400.0, 20001)
    one = f.props(["h", "rho", "phase"], T=T, p=10e5)
    assert all(np.array_equal(one["h"], f.props(["h"], T=T, p=10e5, threads=n)["h"]) for n in (2, 3, 7))
    results = [None, None]

    def run(k):
        results[k] = f.props(["h", "rho"], T=T, p=10e5)

    threads = [threading.Thread(target=run, args=(k,)) for k in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for r in results:
        assert np.array_equal(r["h"], one["h"]) and np.array_equal(r["rho"], one["rho"])


def test_mixture_states_with_their_phases_and_threads():
    f = vantrel.Fluid("R454B")
    s = f.state(T=270.0, p=6.8e5)
    assert s.phase == "two-phase" and s.cp is None
    shares = {c: (1 - s.x) * s.liquid["mass"][c] + s.x * s.vapour["mass"][c] for c in ("R32", "R1234yf")}
    assert shares == pytest.approx({"R32": 0.689, "R1234yf": 0.311}, abs=1e-12)
    assert f.state(p=s.p, h=s.h).x == pytest.approx(s.x, abs=1e-9)
    assert f.state(T=300.0, p=1e5).liquid is None
    T = np.linspace(230.0, 330.0, 2001)
    one = f.props(["h", "x"], T=T, p=10e5, threads=1)
    two = f.props(["h", "x"], T=T, p=10e5, threads=2)
    assert np.array_equal(one["h"], two["h"]) and np.array_equal(one["x"], two["x"], equal_nan=True)
    assert np.count_nonzero(~np.isnan(one["x"])) > 0  # the glide is in the range
    assert f.state(h=s.h, s=s.s).T == pytest.approx(270.0, rel=1e-9)


# One fluid of each kind of phase boundary: the equal-area rule, the
# correlation lines (R404A), a pseudo-pure blend's lines (R407C), a mixture.
@pytest.mark.parametrize("name,given,value", [("R134a", "T", 0), ("R404A", "p", 5), ("R407C", "T", -10),
                                               ("R454B", "T", 0), ("R454B", "p", 20)])
def test_the_boundary_is_the_saturation_tables(name, given, value):
    f = vantrel.Fluid(name, units="eng")
    out = subprocess.run([os.environ.get("VANTREL_CLI", str(ROOT / "build" / "vantrel_cli")), "sat", name,
                          f"{given}={value}", "--data", vantrel.data_directory(), "--format", "json"],
                         capture_output=True, text=True, env=dict(os.environ, LC_ALL="C"), check=True).stdout
    row = json.loads(out)[0]
    sat = f.saturation(**{given: value})
    assert {k: v for k, v in sat.items() if k in row} == pytest.approx({k: row[k] for k in sat if k in row}, rel=1e-14)
    assert sat.keys() >= row.keys() - {"fluid", "units", "dh_vap"}
    b = f.boundary(**{given: value})
    assert b["bubble"]["h_liq"] == sat["h_liq"] and b["dew"]["h_vap"] == sat["h_vap"]
    assert b["bubble"]["incipient"]["mole"].keys() == {c["name"] for c in f.components}
    assert sum(c["mass_fraction"] for c in f.components) == pytest.approx(1, abs=1e-12)
    if name == "R454B":
        assert b["bubble"][given] == b["dew"][given] == value
        # The first bubble is richer in the lighter R32, the first drop poorer.
        assert b["dew"]["incipient"]["mass"]["R32"] < 0.689 < b["bubble"]["incipient"]["mass"]["R32"]
    else:
        assert b["bubble"] == b["dew"]
        with pytest.raises(vantrel.InputError):
            f.envelope()
    assert f.saturation(**{given: 500}) is None  # above the critical point


def test_a_mixtures_envelope():
    e = vantrel.Fluid("R454B", units="eng").envelope()
    for line in ("dew", "bubble"):
        assert np.all(np.diff(e[line]["p"]) > 0)
        assert np.all(e[line]["rho_liq"] >= e[line]["rho_vap"])
    ends = sorted([e["dew"]["p"][-1], e["bubble"]["p"][-1]])
    assert ends[0] < e["critical"]["p"] < ends[1]  # they meet at the critical point
    assert e["refused"]["T"] < e["critical"]["T"] <= e["cricondentherm"]["T"]
    assert e["critical"]["p"] <= e["cricondenbar"]["p"]


def test_one_call_props_takes_the_usual_names():
    f = vantrel.Fluid("R134a")
    s = f.state(T=293.15, p=5e5)
    for out, expected in [("H", s.h), ("S", s.s), ("D", s.rho), ("C", s.cp), ("A", s.w), ("Z", s.z)]:
        assert vantrel.props(out, "T", 293.15, "P", 5e5, "R134a") == expected
    assert vantrel.props("T", "P", 5e5, "H", s.h, "R134a") == pytest.approx(293.15, rel=1e-9)
    arr = vantrel.props("H", "T", [293.15, 303.15], "P", 5e5, "R134a")
    assert arr.shape == (2,) and arr[0] == s.h
    sat = f.saturation(T=273.15)
    assert vantrel.props("Q", "P", sat["p"], "H", 3e5, "R134a") == pytest.approx(
        (3e5 - sat["h_liq"]) / (sat["h_vap"] - sat["h_liq"]), rel=1e-9)


def test_cycle_record_is_the_command_lines_json():
    import json
    record = vantrel.cycle(vantrel.Fluid("R290", units="eng"), evap=-10, cond=40, superheat=5, capacity=10)
    env = dict(os.environ, LC_ALL="C")
    out = subprocess.run([os.environ.get("VANTREL_CLI", str(ROOT / "build" / "vantrel_cli")), "cycle", "R290",
                          "evap=-10", "cond=40", "superheat=5", "capacity=10", "--format", "json"],
                         capture_output=True, text=True, env=env, check=True).stdout
    cli = json.loads(out)
    warnings = record.pop("warnings")
    assert warnings == []
    assert record.keys() == cli.keys()
    for key, value in cli.items():
        if isinstance(value, float):
            assert record[key] == pytest.approx(value, rel=1e-12), key
    assert [p["name"] for p in record["points"]] == [p["name"] for p in cli["points"]]


def test_docstrings_on_every_public_name():
    for name in vantrel.__all__:
        assert getattr(vantrel, name).__doc__, name
    for name in ("state", "props", "saturation", "boundary", "envelope", "components", "cycle"):
        assert getattr(vantrel.Fluid, name).__doc__, name


def test_the_readmes_example_runs():
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    example = re.search(r"<!-- python example -->\n```python\n(.*?)```", readme, re.S).group(1)
    result = subprocess.run([sys.executable, "-c", example], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert "COP" in result.stdout
