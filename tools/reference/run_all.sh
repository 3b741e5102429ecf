#!/bin/sh
# Writes /tmp/reference-out/<AGENT>.txt for every agent (or to $OUT).
OUT=${OUT:-/tmp/reference-out}
DPS=${DPS:-50}
SRC=/work/shared/fluid-sources
CFG=/work/main/data
PY=/usr/bin/python3
S=/work/main/tools/reference/saturation_mpmath.py
mkdir -p "$OUT"
for pair in R507A:R507A R404A:R404A R410A:R410A R134a:R134a R32:R32 R718:Water; do
  a=${pair%%:*}; f=${pair#*:}
  $PY $S table $SRC/$f.json $a --config $CFG/$a/config.txt --dps $DPS --out $OUT/$a.txt >/dev/null || exit 1
done
$PY $S table $SRC/CarbonDioxide.json R744 --config $CFG/R744/config.txt --extra-T 304.10 304.12 --dps $DPS --out $OUT/R744.txt >/dev/null || exit 1
$PY $S table $SRC/R407C.json R407C --own-critical --dps $DPS --out $OUT/R407C.txt >/dev/null || exit 1
