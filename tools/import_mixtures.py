#!/usr/bin/python3
"""Writes the mixture data of the library (data/mixtures/) from the public
coefficient files of the mixture models (CoolProp's dev/mixtures/, whose
numbers are those of the publications each entry cites):

    import_mixtures.py SOURCES_DIR [--data DATA_DIR]

SOURCES_DIR holds the pure fluids' coefficient files (for their CAS numbers)
and mixtures/ with mixture_binary_pairs.json, mixture_departure_functions.json
and ASHRAE_predefined_2026.tsv. Only the blends of BLENDS below, their pairs
and their departure functions are written:

  blends.txt          name, then component and mass fraction, per blend
  pairs.txt           one binary pair a line: the reducing function's form
                      (KW: Kunz-Wagner betaT gammaT betaV gammaV; LJ: Lemmon-
                      Jacobsen 2004 xi [K] zeta [m3/mol]), F and the departure
                      function's name ("-": none)
  departure/NAME.txt  the departure function, one term a row:
                      kind 0: n delta^d tau^t exp(-delta^l) (l = 0: no exponential)
"""
import argparse
import json
import os
import re
import sys

# Library name -> the source's coefficient file of the pure fluid.
FLUID_FILES = {
    "R32": "R32.json", "R125": "R125.json", "R134a": "R134a.json", "R143a": "R143a.json",
    "R1234yf": "R1234yf.json", "R1234ze(E)": "R1234ze(E).json", "R744": "CarbonDioxide.json",
}

# Library blend name -> ASHRAE number in the table of predefined blends.
BLENDS = {
    "R454B": "454B", "R454C": "454C", "R513A": "513A", "R452A": "452A", "R449A": "449A",
    "R448A": "448A", "R455A": "455A", "R404A.mix": "404A", "R407C.mix": "407C",
    "R410A.mix": "410A", "R507A.mix": "507A",
}

# Blends the source's table leaves out: their ANSI/ASHRAE Standard 34
# compositions, mass fractions.
EXTRA_BLENDS = {
    "R513A": [("R1234yf", 0.56), ("R134a", 0.44)],
    "R507A.mix": [("R125", 0.5), ("R143a", 0.5)],
}

# The publications behind the source's BibTeX keys.
CITATIONS = {
    "Lemmon-JPCRD-2004": 'E. W. Lemmon and R. T Jacobsen, "Equations of State for Mixtures of R-32, R-125, '
                         'R-134a, R-143a, and R-152a", J. Phys. Chem. Ref. Data 33, 593-620 (2004)',
    "Bell-JPCRD-2022": 'I. H. Bell, "Mixture Models for Refrigerants R-1234yf/134a, R-1234yf/1234ze(E), and '
                       'R-134a/1234ze(E) and Interim Models for R-125/1234yf, R-1234ze(E)/227ea, and '
                       'R-1234yf/152a", J. Phys. Chem. Ref. Data 51, 013103 (2022)',
    "Bell-JPCRD-2023": 'I. H. Bell et al., mixture models of R-32 with R-1234yf and R-1234ze(E), '
                       'J. Phys. Chem. Ref. Data (2023) (the source\'s key Bell-JPCRD-2023)',
    "Bell-JCED-2016": 'I. H. Bell and E. W. Lemmon, "Automatic Fitting of Binary Interaction Parameters for '
                      'Multi-fluid Helmholtz-Energy-Explicit Mixture Models", J. Chem. Eng. Data 61, 3752-3760 (2016)',
    "Bell-JCED-2025": 'I. H. Bell et al., J. Chem. Eng. Data (2025) (the source\'s key Bell-JCED-2025)',
}


def cite(key):
    return CITATIONS.get(key, key)


def fmt(v):
    return repr(float(v))


def cas_names(src):
    out = {}
    for name, f in FLUID_FILES.items():
        with open(os.path.join(src, f)) as h:
            out[json.load(h)["INFO"]["CAS"]] = name
    return out


def read_blends(src):
    """Library blend name -> [(component, mass fraction)] from the ASHRAE table."""
    numbers = {v: k for k, v in BLENDS.items()}
    out = {}
    with open(os.path.join(src, "mixtures", "ASHRAE_predefined_2026.tsv"), encoding="utf-8") as h:
        for line in h:
            cols = line.rstrip("\n").split("\t")
            if len(cols) < 2 or cols[0] not in numbers:
                continue
            m = re.match(r"R-(.*)\((.*)\)", cols[1].strip())
            names = ["R" + s.strip() for s in m.group(1).split("/")]
            percent = [float(s) for s in m.group(2).split("/")]
            out[numbers[cols[0]]] = list(zip(names, [p / 100 for p in percent]))
    for name, comps in EXTRA_BLENDS.items():
        out.setdefault(name, comps)
    missing = set(BLENDS) - set(out)
    if missing:
        sys.exit(f"blends not in the table: {sorted(missing)}")
    return out


def needed_pairs(blends):
    pairs = set()
    for comps in blends.values():
        names = [c for c, _ in comps]
        for i in range(len(names)):
            for j in range(i + 1, len(names)):
                pairs.add(frozenset((names[i], names[j])))
    return pairs


def find_pairs(src, cas, wanted):
    with open(os.path.join(src, "mixtures", "mixture_binary_pairs.json")) as h:
        rows = json.load(h)
    found = {}
    for r in rows:
        a, b = cas.get(r["CAS1"]), cas.get(r["CAS2"])
        key = frozenset((a, b))
        if a and b and key in wanted:
            if key in found:
                sys.exit(f"pair {a}/{b} twice in the source")
            found[key] = (a, b, r)
    missing = wanted - set(found)
    if missing:
        sys.exit(f"pairs not in the source: {[sorted(m) for m in missing]}")
    return [found[k] for k in sorted(found, key=lambda k: sorted(k))]


def pair_line(a, b, r):
    fn = r.get("function", "None")
    if fn in ("None", "") or float(r["F"]) == 0:
        fn = "-"
    if "xi" in r:
        vals = ["LJ", a, b, fmt(r["xi"]), fmt(r["zeta"])]
    else:
        vals = ["KW", a, b, fmt(r["betaT"]), fmt(r["gammaT"]), fmt(r["betaV"]), fmt(r["gammaV"])]
    return " ".join(vals + [fmt(r["F"]), fn, r.get("BibTeX", "-")])


def write_pairs(path, pairs):
    keys = sorted({r.get("BibTeX", "-") for _, _, r in pairs})
    with open(path, "w", encoding="utf-8") as h:
        h.write("; Binary pairs of the multi-fluid mixture model, one a line (written by tools/import_mixtures.py)\n")
        h.write("; KW name1 name2 betaT gammaT betaV gammaV F departure source\n")
        h.write(";   Kunz-Wagner reducing functions; betaT and betaV belong to the order name1, name2\n")
        h.write("; LJ name1 name2 xi zeta F departure source\n")
        h.write(";   Lemmon-Jacobsen (2004): T_r = sum x_i T_r,i + sum x_i x_j xi, 1/rho_r = sum x_i/rho_r,i"
                " + sum x_i x_j zeta; xi in K, zeta in m3/mol\n")
        h.write("; departure: the file departure/NAME.txt, or - for none\n")
        h.write("; coefficients from the publications below (transcribed in CoolProp,"
                " dev/mixtures/mixture_binary_pairs.json)\n")
        for k in keys:
            h.write(f";   {k}: {cite(k)}\n")
        for a, b, r in pairs:
            h.write(pair_line(a, b, r) + "\n")


def write_departure(path, d):
    if d["type"] != "Exponential":
        sys.exit(f"departure function {d['Name']} is of kind {d['type']}")
    rows = list(zip(d["n"], d["d"], d["t"], d["l"]))
    with open(path, "w", encoding="utf-8") as h:
        h.write(f"{len(rows)} 5 4 rows, columns, heading lines\n")
        h.write(f"; departure function {d['Name']} of the multi-fluid mixture model (written by"
                " tools/import_mixtures.py)\n")
        h.write(f"; {cite(d['BibTeX'])}\n")
        h.write("; coefficients from the publication (transcribed in CoolProp,"
                " dev/mixtures/mixture_departure_functions.json)\n")
        h.write("; kind 0: N delta^D tau^T exp(-delta^L), no exponential where L = 0; kind N D T L\n")
        for n, dd, t, l in rows:
            h.write(f"0 {fmt(n)} {fmt(dd)} {fmt(t)} {fmt(l)}\n")


def write_blends(path, blends):
    with open(path, "w", encoding="utf-8") as h:
        h.write("; Predefined blends: name, then component and mass fraction (written by tools/import_mixtures.py)\n")
        h.write("; compositions: ANSI/ASHRAE Standard 34 designations (the table ASHRAE_predefined_2026.tsv"
                " of CoolProp, dev/mixtures/;\n")
        h.write(";   R513A and R507A, absent there, from Standard 34 itself)\n")
        h.write("; a name ending in .mix is the blend as a mixture; the name alone is its pseudo-pure equation\n")
        for name in sorted(blends):
            h.write(" ".join([name] + [f"{c} {w:.10g}" for c, w in blends[name]]) + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("sources")
    ap.add_argument("--data", default=os.path.join(os.path.dirname(__file__), "..", "data"))
    a = ap.parse_args()
    out = os.path.join(a.data, "mixtures")
    os.makedirs(os.path.join(out, "departure"), exist_ok=True)
    blends = read_blends(a.sources)
    pairs = find_pairs(a.sources, cas_names(a.sources), needed_pairs(blends))
    write_blends(os.path.join(out, "blends.txt"), blends)
    write_pairs(os.path.join(out, "pairs.txt"), pairs)
    with open(os.path.join(a.sources, "mixtures", "mixture_departure_functions.json")) as h:
        functions = {d["Name"]: d for d in json.load(h)}
    for name in sorted({r.get("function") for _, _, r in pairs if float(r["F"]) != 0}):
        write_departure(os.path.join(out, "departure", name + ".txt"), functions[name])


if __name__ == "__main__":
    main()
