#!/usr/bin/env bash
# Benchmark of the .docx engine of the stand-in server (docx-replace's batch mode, a native Release build):
#   sets    documents x pairs 10x10, 100x20 and 500x50: the engine (one process for the whole batch) against
#           LibreOffice headless driven through Python-UNO (one soffice process for the whole batch); then
#           every main-text paragraph (body and table cells) of both results is read with python-docx and
#           compared.
#   growth  the engine on one document: time against the size of its text at a fixed number of pairs, and
#           against the number of pairs at a fixed size.
#   scripts/bench_engine.sh [all|sets|growth]     (default all)
# Environment: ENGINE_RUNS (default 5) and OFFICE_RUNS (default 3) timed runs per measurement, the median
# is reported; SETS (default "10x10 100x20 500x50"); VELMORA_BUILD_DIR as for every script.
# Installs what it needs with apt-get (as root): LibreOffice Writer, its Python bridge, python-docx,
# hyperfine. Prints markdown tables.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
what=${1:-all}
engine_runs=${ENGINE_RUNS:-5}
office_runs=${OFFICE_RUNS:-3}
sets=${SETS:-10x10 100x20 500x50}
case $what in all | sets | growth) ;; *)
  log "usage: scripts/bench_engine.sh [all|sets|growth]"
  exit 2
  ;;
esac

# --- what the benchmark needs ---
needs=()
command -v hyperfine >/dev/null || needs+=(hyperfine)
/usr/bin/python3 -c 'import docx' 2>/dev/null || needs+=(python3-docx)
if [ "$what" != growth ]; then
  command -v soffice >/dev/null || needs+=(libreoffice-writer-nogui)
  /usr/bin/python3 -c 'import uno' 2>/dev/null || needs+=(python3-uno)
fi
if [ ${#needs[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    log "bench_engine: run as root to install: ${needs[*]}"
    exit 1
  fi
  log "bench_engine: installing ${needs[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${needs[@]}" >/dev/null
fi

# --- the engine, built natively for speed: Release, -O2, no sanitizers ---
bench_dir=$BUILD_DIR/bench-native
cmake -S "$VELMORA_ROOT" -B "$bench_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVELMORA_SANITIZE=OFF >/dev/null
cmake --build "$bench_dir" --target docx_replace -j2 >/dev/null
tool=$bench_dir/standin/docx/docx-replace

work=$(mktemp -d)
cleanup() {
  # An office process left behind by an interrupted run: its whole process group.
  if [ -f "$work/office.pgid" ]; then kill -- "-$(cat "$work/office.pgid")" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/bench.py" <<'PY'
"""Documents, pairs, the LibreOffice driver, the comparison and the tables of scripts/bench_engine.sh."""
import difflib
import json
import os
import random
import statistics
import subprocess
import sys
import time

LATIN = ("lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor incididunt ut labore "
         "et dolore magna aliqua enim ad minim veniam quis nostrud exercitation").split()
HANZI = ("的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方"
         "后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开"
         "它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此"
         "变条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老")


def words(rng, n):
    out = []
    for _ in range(n):
        if rng.random() < 0.5:
            out.append("".join(rng.choice(HANZI) for _ in range(rng.randint(2, 6))))
        else:
            out.append(rng.choice(LATIN))
    return " ".join(out)


def pair_list(count):
    """The pairs of a set: two common terms, then Chinese and Latin names (case matters for the Latin ones)."""
    finds, repls = [], []
    for k in range(count):
        if k == 0:
            finds.append("甲方"), repls.append("委托方")
        elif k == 1:
            finds.append("Example Ltd."), repls.append("Sample GmbH")
        elif k % 2 == 0:
            finds.append(f"名称{k}"), repls.append(f"新名称{k}号")
        else:
            finds.append(f"Project{k}"), repls.append(f"Item {k} (修订)")
    return finds, repls


def term(rng, keys):
    k = rng.randrange(keys)
    return f"名称{k}" if k % 2 == 0 else f"Project{k}"


def styled(paragraph, text, style):
    from docx.shared import Pt, RGBColor
    run = paragraph.add_run(text)
    if style == 0:
        run.bold = True
    elif style == 1:
        run.italic = True
    elif style == 2:
        run.underline = True
    elif style == 3:
        run.font.color.rgb = RGBColor(0xC0, 0x20, 0x20)
    else:
        run.font.size = Pt(14)


def add_paragraphs(document, rng, count, keys):
    """Paragraphs of Chinese and Latin text, each with a name split over two runs of different formatting,
    one in a case variant, and now and then a line break. They are made in scratch documents, 200 at a time,
    and moved over: python-docx looks for the body's end on every paragraph it adds, which adds up to
    quadratic time for tens of thousands of paragraphs."""
    import docx
    from docx.oxml.ns import qn
    end = document.element.body[-1]  # the section properties: paragraphs go before them
    scratch = None

    def move():
        for made in list(scratch.element.body.iterchildren(qn("w:p"))):
            end.addprevious(made)
    for i in range(count):
        if i % 200 == 0:
            if scratch is not None:
                move()
            scratch = docx.Document()
        p = scratch.add_paragraph()
        p.add_run(f"第{i}条 甲方 与 Example Ltd. " + words(rng, rng.randint(6, 14)) + " ")
        t = term(rng, keys)
        cut = rng.randint(1, len(t) - 1)
        styled(p, t[:cut], rng.randrange(5))
        styled(p, t[cut:], rng.randrange(5))
        p.add_run(" " + words(rng, rng.randint(4, 10)) + " ")
        t2 = term(rng, keys)
        p.add_run(rng.choice([t2, t2.lower(), t2.upper()]) + "，" + words(rng, 3) + "。")
        if i % 25 == 24:
            p.add_run().add_break()
            p.add_run("续 " + term(rng, keys))
    if scratch is not None:
        move()


def make_document(path, seed, keys, paragraphs=100, table=True):
    import docx
    rng = random.Random(seed)
    d = docx.Document()
    if table:
        d.add_heading(f"合同 {seed} Contract", level=1)
    add_paragraphs(d, rng, paragraphs, keys)
    if table:
        t = d.add_table(rows=6, cols=4)
        for row in t.rows:
            for c, cell in enumerate(row.cells):
                cell.text = f"{words(rng, 2)} {term(rng, keys)}"
                if c == 3:
                    name = term(rng, keys)
                    cp = cell.add_paragraph()
                    styled(cp, name[:2], 0)
                    styled(cp, name[2:], 1)
        d.add_paragraph("结尾 " + term(rng, keys) + " Example Ltd.")
    d.save(path)


def write_pairs(path, count):
    finds, repls = pair_list(count)
    with open(path, "w", encoding="utf-8") as f:  # as scripts/bench_run.sh writes it
        f.write("\r\n".join(finds) + "\n----\n" + "\r\n".join(repls))


def read_pairs(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        finds, repls = f.read().split("\n----\n")
    return finds.splitlines(), repls.splitlines()


def cmd_pairs(path, count):
    write_pairs(path, int(count))


def cmd_set(folder, documents, pairs):
    documents, pairs = int(documents), int(pairs)
    os.makedirs(f"{folder}/src")
    for i in range(documents):
        make_document(f"{folder}/src/doc{i:04d}.docx", seed=documents * 100003 + i, keys=pairs)
    write_pairs(f"{folder}/pairs.txt", pairs)


def text_bytes(path):
    return sum(len(t.encode("utf-8")) for t in paragraph_texts(path))


def cmd_sized(path, target_bytes, keys):
    """One document of about target_bytes of text (UTF-8), names drawn from `keys` pairs."""
    import docx
    target_bytes, keys = int(target_bytes), int(keys)
    probe = docx.Document()
    add_paragraphs(probe, random.Random(1), 200, keys)
    per_paragraph = sum(len(p.text.encode("utf-8")) for p in probe.paragraphs) / 200
    make_document(path, seed=target_bytes, keys=keys, paragraphs=max(1, round(target_bytes / per_paragraph)),
                  table=False)
    print(text_bytes(path))


def cmd_office(profile, pairs_path, pgid_file, *documents):
    """Replace All of every pair, in order, in each document, in one soffice process; then store and close."""
    import uno
    from com.sun.star.beans import PropertyValue
    from com.sun.star.connection import NoConnectException

    finds, repls = read_pairs(pairs_path)
    pipe = f"velmora_bench_{os.getpid()}"
    office = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck",
         f"-env:UserInstallation={uno.systemPathToFileUrl(profile)}", f"--accept=pipe,name={pipe};urp;"],
        start_new_session=True, stderr=subprocess.DEVNULL)
    with open(pgid_file, "w") as f:
        f.write(str(office.pid))
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    while True:
        try:
            context = resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
            break
        except NoConnectException:
            if office.poll() is not None:
                sys.exit("soffice ended before it took a connection")
            time.sleep(0.05)
    desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    hidden = PropertyValue()
    hidden.Name, hidden.Value = "Hidden", True
    total = 0
    for path in documents:
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0, (hidden,))
        if doc is None:
            sys.exit(f"LibreOffice cannot open {path}")
        descriptor = doc.createReplaceDescriptor()
        descriptor.SearchCaseSensitive = True
        descriptor.SearchRegularExpression = False
        for find, repl in zip(finds, repls):
            descriptor.SearchString = find
            descriptor.ReplaceString = repl
            total += doc.replaceAll(descriptor)
        doc.store()
        doc.close(True)
    try:
        desktop.terminate()
    except Exception:  # the bridge may go away before the answer
        pass
    office.wait()
    os.remove(pgid_file)
    print(total)


def paragraph_text(p):
    """A paragraph's text as a reader sees it: runs at any depth (hyperlinks, insertions, fields' shown text
    included), not deleted text, field codes or text boxes; a tab is \\t, a line break \\n, an optional
    hyphen U+00AD, a no-break hyphen U+2011, a symbol its private-use character."""
    from docx.oxml.ns import qn
    skip = {qn(t) for t in ("w:del", "w:moveFrom", "w:txbxContent", "w:instrText", "w:delText", "w:rPr", "w:pPr")}
    out = []

    def walk(element):
        for child in element.iterchildren():
            if child.tag in skip:
                continue
            if child.tag == qn("w:t"):
                out.append(child.text or "")
            elif child.tag == qn("w:tab"):
                out.append("\t")
            elif child.tag in (qn("w:br"), qn("w:cr")):
                out.append("\n")
            elif child.tag == qn("w:sym"):  # a symbol shows as its private-use character
                out.append(chr(int(child.get(qn("w:char"), "FFFD"), 16)))
            elif child.tag == qn("w:softHyphen"):
                out.append("\u00ad")
            elif child.tag == qn("w:noBreakHyphen"):
                out.append("\u2011")
            else:
                walk(child)
    walk(p)
    return "".join(out)


def paragraph_texts(path):
    """Every main-text paragraph's text in document order, read with python-docx: body paragraphs and table
    cell paragraphs (nested tables too)."""
    import docx
    from docx.oxml.ns import qn
    d = docx.Document(path)
    out = []
    containers = {qn("w:tbl"), qn("w:tr"), qn("w:tc"), qn("w:sdt"), qn("w:sdtContent")}

    def walk(element):
        for child in element.iterchildren():
            if child.tag == qn("w:p"):
                out.append(paragraph_text(child))
            elif child.tag in containers:
                walk(child)
    walk(d.element.body)
    return out


# Constructs of real documents around the name 名称2, for the probe: (what, paragraph content).
PROBES = [
    ("name split by a bookmark", '<w:r><w:t xml:space="preserve">bm 名</w:t></w:r><w:bookmarkStart w:id="1" '
     'w:name="mark"/><w:r><w:t>称2 end</w:t></w:r><w:bookmarkEnd w:id="1"/>'),
    ("name in a hyperlink", '<w:r><w:t xml:space="preserve">link </w:t></w:r><w:hyperlink w:anchor="mark"><w:r>'
     '<w:t>名称2</w:t></w:r></w:hyperlink><w:r><w:t xml:space="preserve"> after</w:t></w:r>'),
    ("name half in a hyperlink", '<w:r><w:t xml:space="preserve">half </w:t></w:r><w:hyperlink w:anchor="mark">'
     '<w:r><w:t>名</w:t></w:r></w:hyperlink><w:r><w:t>称2 split</w:t></w:r>'),
    ("name split by a tab", '<w:r><w:t xml:space="preserve">tab 名称</w:t></w:r><w:r><w:tab/><w:t>2</w:t></w:r>'),
    ("name split by a line break", '<w:r><w:t xml:space="preserve">br 名</w:t></w:r><w:r><w:br/></w:r><w:r>'
     '<w:t>称2</w:t></w:r>'),
    ("name split by proofing marks", '<w:r><w:t xml:space="preserve">proof 名</w:t></w:r><w:proofErr '
     'w:type="spellStart"/><w:r><w:t>称2</w:t></w:r><w:proofErr w:type="spellEnd"/>'),
    ("name split by a comment range", '<w:r><w:t xml:space="preserve">comment 名</w:t></w:r><w:commentRangeStart '
     'w:id="0"/><w:r><w:t>称2</w:t></w:r><w:commentRangeEnd w:id="0"/>'),
    ("case variants, one in small capitals", '<w:r><w:t xml:space="preserve">名称2 Project3 project3 PROJECT3 '
     'Pro</w:t></w:r><w:r><w:rPr><w:caps/></w:rPr><w:t>ject3</w:t></w:r>'),
    ("name next to no-break spaces", '<w:r><w:t xml:space="preserve">nbsp 名称2\u00a0x \u00a0名称2 </w:t></w:r>'),
    ("name half hidden", '<w:r><w:t xml:space="preserve">vanish 名</w:t></w:r><w:r><w:rPr><w:vanish/></w:rPr>'
     '<w:t>称</w:t></w:r><w:r><w:t>2</w:t></w:r>'),
    ("name as a tracked insertion", '<w:r><w:t xml:space="preserve">ins </w:t></w:r><w:ins w:id="5" w:author="a" '
     'w:date="2024-01-01T00:00:00Z"><w:r><w:t>名称2</w:t></w:r></w:ins>'),
    ("name split by a tracked deletion", '<w:r><w:t xml:space="preserve">del 名</w:t></w:r><w:del w:id="6" '
     'w:author="a" w:date="2024-01-01T00:00:00Z"><w:r><w:delText>xx</w:delText></w:r></w:del><w:r><w:t>称2</w:t>'
     '</w:r>'),
    ("name split by an optional hyphen", '<w:r><w:t xml:space="preserve">soft 名</w:t></w:r><w:r><w:softHyphen/>'
     '</w:r><w:r><w:t>称2</w:t></w:r>'),
    ("name split by a symbol", '<w:r><w:t xml:space="preserve">sym 名</w:t></w:r><w:r><w:sym w:font="Wingdings" '
     'w:char="F04A"/></w:r><w:r><w:t>称2</w:t></w:r>'),
    ("name as a simple field's result", '<w:r><w:t xml:space="preserve">field </w:t></w:r><w:fldSimple '
     'w:instr=" DOCPROPERTY x "><w:r><w:t>名称2</w:t></w:r></w:fldSimple><w:r><w:t xml:space="preserve"> tail'
     '</w:t></w:r>'),
    ("name as a DATE field's result", '<w:r><w:t xml:space="preserve">date </w:t></w:r><w:r><w:fldChar '
     'w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> DATE 名称2 </w:instrText></w:r><w:r>'
     '<w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>名称2</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/>'
     '</w:r>'),
]


def cmd_probe(folder):
    import docx
    from docx.oxml import parse_xml
    from docx.oxml.ns import nsdecls
    os.makedirs(f"{folder}/src")
    d = docx.Document()
    body = d.element.body
    for _, content in PROBES:
        body.insert(len(body) - 1, parse_xml(f"<w:p {nsdecls('w')}>{content}</w:p>"))
    d.save(f"{folder}/src/probe.docx")
    with open(f"{folder}/pairs.txt", "w", encoding="utf-8") as f:
        f.write("名称2\nProject3\n----\nNEW\nP3\n")


def cmd_probe_table(src, a, b):
    rows = zip(PROBES, *(paragraph_texts(os.path.join(d, "probe.docx")) for d in (src, a, b)))
    for (what, _), before, engine, office in rows:
        same = "same" if engine == office else "**differs**"
        print(f"| {what} | {before!r} | {engine!r} | {office!r} | {same} |")


def cmd_compare(src, a, b):
    """A against B, paragraph by paragraph; also how many paragraphs the replacements changed."""
    names = sorted(n for n in os.listdir(src) if n.endswith(".docx"))
    differing, changed, shown = 0, 0, 0
    for name in names:
        before, ta, tb = (paragraph_texts(os.path.join(d, name)) for d in (src, a, b))
        changed += sum(1 for x, y in zip(before, ta) if x != y) + abs(len(before) - len(ta))
        if ta != tb:
            differing += 1
            if shown < 3:
                shown += 1
                print(f"  {name}: engine {len(ta)} paragraphs, LibreOffice {len(tb)}", file=sys.stderr)
                for line in list(difflib.unified_diff(ta, tb, "engine", "libreoffice", lineterm="", n=0))[:10]:
                    print("    " + repr(line), file=sys.stderr)
    print(json.dumps({"documents": len(names), "differing": differing, "changed_paragraphs": changed}))


def median_seconds(path):
    with open(path) as f:
        return statistics.median(json.load(f)["results"][0]["times"])


def cmd_set_row(label, engine_json, office_json, compare_json):
    e, o = median_seconds(engine_json), median_seconds(office_json)
    with open(compare_json) as f:
        c = json.load(f)
    same = "all equal" if c["differing"] == 0 else f"{c['differing']} of {c['documents']} differ"
    print(f"| {label} | {e:.3f} | {o:.2f} | {o / e:.0f}x | {c['changed_paragraphs']} | {same} |")


def cmd_size_row(text, xml, runs_json, base_text, base_json):
    m = median_seconds(runs_json) * 1000
    kb = int(text) / 1024
    base, base_kb = median_seconds(base_json) * 1000, int(base_text) / 1024
    extra = f"{(m - base) / (kb - base_kb):.3f}" if kb > base_kb else "-"
    print(f"| {kb:,.0f} | {int(xml) / 1048576:.2f} | {m:.1f} | {m / kb:.3f} | {extra} |")


def cmd_pairs_row(pairs, runs_json, base_json):
    m = median_seconds(runs_json) * 1000
    base = median_seconds(base_json) * 1000
    extra = f"{(m - base) / (int(pairs) - 1):.2f}" if int(pairs) > 1 else "-"
    print(f"| {pairs} | {m:.1f} | {m / int(pairs):.2f} | {extra} |")


if __name__ == "__main__":
    globals()["cmd_" + sys.argv[1].replace("-", "_")](*sys.argv[2:])
PY
bench() { /usr/bin/python3 "$work/bench.py" "$@"; }

# What else runs on the machine: the load and the busiest processes, before and after each part.
others() {
  echo "load $(cut -d' ' -f1-3 /proc/loadavg); over 5% of a core: $(top -b -n 2 -d 1 -w 200 |
    awk '/^top -/ {frame++} frame == 2 && $1 ~ /^[0-9]+$/ && $9 + 0 > 5 {printf "%s %s%%; ", $12, $9}')"
}

echo "## Engine benchmark"
echo
echo "machine: $(nproc) cores ($(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -1)), $(free -g |
  awk '/Mem:/ {print $2}') GiB; $(date -u '+%F %H:%M UTC'); engine: docx-replace Release -O2 (commit $(git -C \
  "$VELMORA_ROOT" rev-parse --short HEAD)); runs: engine $engine_runs, LibreOffice $office_runs, median shown"
echo "command: scripts/bench_engine.sh $what"
echo

if [ "$what" != growth ]; then
  echo "LibreOffice: $(soffice --version 2>/dev/null | head -1)"
  # A profile of its own, made before any timing (its first start is slow).
  mkdir -p "$work/warm"
  bench set "$work/warm" 1 2
  bench office "$work/office-profile" "$work/warm/pairs.txt" "$work/office.pgid" "$work/warm/src/"*.docx >/dev/null
  echo
  echo "before: $(others)"
  echo
  during=
  echo "| documents × pairs | engine (s) | LibreOffice (s) | LibreOffice / engine | paragraphs changed | texts of engine and LibreOffice |"
  echo "|---|---|---|---|---|---|"
  for set in $sets; do
    docs=${set%x*}
    pairs=${set#*x}
    dir=$work/set-$set
    bench set "$dir" "$docs" "$pairs"
    hyperfine --style none --runs "$engine_runs" --prepare "rm -rf '$dir/A' && cp -r '$dir/src' '$dir/A'" \
      --export-json "$dir/engine.json" "'$tool' --pairs '$dir/pairs.txt' '$dir'/A/*.docx >/dev/null" >/dev/null
    hyperfine --style none --runs "$office_runs" --prepare "rm -rf '$dir/B' && cp -r '$dir/src' '$dir/B'" \
      --export-json "$dir/office.json" \
      "/usr/bin/python3 '$work/bench.py' office '$work/office-profile' '$dir/pairs.txt' '$work/office.pgid' '$dir'/B/*.docx >/dev/null" \
      >/dev/null
    bench compare "$dir/src" "$dir/A" "$dir/B" >"$dir/compare.json"
    bench set-row "$docs × $pairs" "$dir/engine.json" "$dir/office.json" "$dir/compare.json"
    during+="after $set: $(others)"$'\n'
    rm -rf "$dir"
  done
  echo
  printf '%s' "$during"
  echo
  echo "Probe: constructs of real documents around a name, pairs 名称2 → NEW and Project3 → P3, with case matched:"
  echo
  echo "| construct | before | engine | LibreOffice | |"
  echo "|---|---|---|---|---|"
  dir=$work/probe
  bench probe "$dir"
  cp -r "$dir/src" "$dir/A"
  cp -r "$dir/src" "$dir/B"
  "$tool" --pairs "$dir/pairs.txt" "$dir/A/probe.docx" >/dev/null
  bench office "$work/office-profile" "$dir/pairs.txt" "$work/office.pgid" "$dir/B/probe.docx" >/dev/null
  bench probe-table "$dir/src" "$dir/A" "$dir/B"
  echo
fi

if [ "$what" != sets ]; then
  dir=$work/growth
  mkdir -p "$dir"
  time_one() { # DOCUMENT PAIRS_FILE JSON
    hyperfine --style none --runs "$engine_runs" --prepare "cp '$1' '$dir/x.docx'" --export-json "$3" \
      "'$tool' --pairs '$2' '$dir/x.docx' >/dev/null" >/dev/null
  }
  xml_bytes() { /usr/bin/python3 -c 'import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).getinfo("word/document.xml").file_size)' "$1"; }
  fixed_pairs=10
  bench pairs "$dir/p$fixed_pairs.txt" "$fixed_pairs"
  echo "before: $(others)"
  echo
  echo "One document, $fixed_pairs pairs, size of its text:"
  echo
  echo "| text (KB) | document.xml (MiB) | engine (ms) | ms per KB | ms per KB beyond the smallest |"
  echo "|---|---|---|---|---|"
  base_text=
  for size in 1024 10240 102400 1048576 5242880 20971520; do
    text=$(bench sized "$dir/s$size.docx" "$size" "$fixed_pairs")
    base_text=${base_text:-$text}
    time_one "$dir/s$size.docx" "$dir/p$fixed_pairs.txt" "$dir/s$size.json"
    bench size-row "$text" "$(xml_bytes "$dir/s$size.docx")" "$dir/s$size.json" "$base_text" "$dir/s1024.json"
    rm -f "$dir/s$size.docx"
  done
  echo
  echo "One document of 1 MB of text, names of 1000 pairs in it, number of pairs:"
  echo
  echo "| pairs | engine (ms) | ms per pair | ms per pair beyond the first |"
  echo "|---|---|---|---|"
  bench sized "$dir/names.docx" 1048576 1000 >/dev/null
  for pairs in 1 10 100 1000; do
    bench pairs "$dir/p$pairs.txt" "$pairs"
    time_one "$dir/names.docx" "$dir/p$pairs.txt" "$dir/n$pairs.json"
    bench pairs-row "$pairs" "$dir/n$pairs.json" "$dir/n1.json"
  done
  echo
  echo "after: $(others)"
fi
