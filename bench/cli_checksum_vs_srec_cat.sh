#!/usr/bin/env bash
# Times `korvane-cli checksum PROJECT --code-file BIG.hex` on a code file at the
# 5 MiB size limit against srec_cat reading the same file, whole processes side by
# side, and prints the ratio (goal: at most 0.10). The reader alone, beside memcpy,
# is bench_hex_reader.
# Usage: bench/cli_checksum_vs_srec_cat.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
cli="$(realpath "${1:-build}")/bin/korvane-cli"
[ -x "$cli" ] || { echo "no $cli: build korvane-cli first" >&2; exit 1; }
command -v srec_cat >/dev/null || { echo "srec_cat missing (package srecord)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chips="$work/xml/orvik/chips"
mkdir -p "$chips"
cat > "$chips/BENCH.xml" <<'XML'
<?xml version="1.0"?>
<config name="BENCH" support="PB1">
	<PB1 chipType="0x1" funcType="0x1" fill="0xFF" codeStart="0" codeEnd="0x4DFFFF" confStart="0x4E0000" confEnd="0x4E01FF" optionStart="0x4F0000" optionEnd="0x4F00FF">
		<item name="g" addr="0x4E0000" size="1">
			<item name="v" edit="1" value="7" addr="0x4E0000" size="1"/>
		</item>
	</PB1>
</config>
XML
# Sixteen-byte records of varied data from address 0, as many as fit in 0x500000 bytes of text.
/usr/bin/env python3 - "$chips/BENCH.hex" <<'PY'
import sys
limit = 0x500000
out = [":020000040000FA\r\n"]
size = len(out[0]) + len(":00000001FF\r\n")
addr = 0
while True:
    if addr and addr % 0x10000 == 0:
        rec = ":02000004%04X" % (addr >> 16)
        b = [2, 0, 0, 4, addr >> 24 & 255, addr >> 16 & 255]
        line = rec + "%02X\r\n" % (-sum(b) & 255)
        if size + len(line) > limit: break
        out.append(line); size += len(line)
    data = [(addr + i) * 37 & 255 for i in range(16)]
    b = [16, addr >> 8 & 255, addr & 255, 0] + data
    line = ":" + "".join("%02X" % x for x in b) + "%02X\r\n" % (-sum(b) & 255)
    if size + len(line) > limit: break
    out.append(line); size += len(line); addr += 16
out.append(":00000001FF\r\n")
open(sys.argv[1], "w", newline="").write("".join(out))
PY
hex="$chips/BENCH.hex"
echo "code file: $(stat -c %s "$hex") bytes (limit 5242880)"
"$cli" --base-dir "$work" checksum "$chips/BENCH.xml" --code-file "$hex"

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 3 --runs 40 --export-json "$work/h.json" \
    -n korvane-cli "$cli --base-dir $work checksum $chips/BENCH.xml --code-file $hex" \
    -n srec_cat "srec_cat $hex -intel -o /dev/null -binary" >&2
  /usr/bin/env python3 - "$work/h.json" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open(sys.argv[1]))["results"]}
k, s = r["korvane-cli"], r["srec_cat"]
print("korvane-cli %.1f ms, srec_cat %.1f ms, ratio %.3f (goal <= 0.10)" % (k * 1e3, s * 1e3, k / s))
PY
else
  t() { local s e; s=$(date +%s%N); for _ in 1 2 3 4 5; do "$@" >/dev/null; done; e=$(date +%s%N); echo $(((e - s) / 5000000)); }
  k=$(t "$cli" --base-dir "$work" checksum "$chips/BENCH.xml" --code-file "$hex")
  s=$(t srec_cat "$hex" -intel -o /dev/null -binary)
  echo "korvane-cli ${k} ms, srec_cat ${s} ms (goal: korvane-cli <= srec_cat / 10)"
fi
