#!/usr/bin/env bash
# Benchmark of a replacement run: N generated documents (Chinese and Latin text, a few pages each) x P pairs,
# carried out by the program's run code against the stand-in server under wine.
#   scripts/bench_run.sh [DOCUMENTS=100] [PAIRS=20]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
docs=${1:-100}
pairs=${2:-20}
bash "$here/setup.sh"
build_windows >/dev/null
ensure_prefix
register_standin
work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k >/dev/null 2>&1 || true' EXIT
/usr/bin/python3 - "$work" "$docs" "$pairs" <<'PY'
import os, sys, docx
folder, count, pairs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(f"{folder}/docs")
d = docx.Document()
for i in range(120):
    p = d.add_paragraph(f"第{i}段：合同编号 HT-{i:04d} 由 甲方 张三 与 乙方 Example Ltd. 于 2026年1月{i % 28 + 1}日 签订，")
    p.add_run("金额 ").bold = True
    p.add_run(f"{i * 1000} 元。Lorem ipsum dolor sit amet, 名称{i % pairs}。")
d.save(f"{folder}/template.docx")
for i in range(count):
    with open(f"{folder}/template.docx", "rb") as s, open(f"{folder}/docs/doc{i:04d}.docx", "wb") as t:
        t.write(s.read())
finds = [f"名称{k}" for k in range(pairs)]
repls = [f"新名称{k}号" for k in range(pairs)]
with open(f"{folder}/pairs.txt", "w", encoding="utf-8") as f:
    f.write("\r\n".join(finds) + "\n----\n" + "\r\n".join(repls))
PY
echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB; $(date -u +%F)"
wine "$WIN_DIR/tests/win/bench/run_bench.exe" "Z:${work//\//\\}\\docs" "Z:${work//\//\\}\\pairs.txt"
