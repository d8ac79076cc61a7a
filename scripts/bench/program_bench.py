"""One replacement run through the real program under wine, measured (run by scripts/bench_program.sh).

    program_bench.py WORK_FOLDER

WORK_FOLDER holds docs/*.docx and pairs.txt (make_documents.py). The program is started, its mode-one
window opened, the documents picked in its file dialog, the texts put in its boxes, and its start button
clicked with real input. Measured: wall time from the click to the results window; the program's CPU time
over the run and its peak resident memory (from /proc); every stand-in server's automation calls, CPU time
and peak memory (each writes them as it ends, see standin/server/usage.h); the round trip of an empty
message to the window every 20 ms during the run (ping_window.exe). Prints one JSON object.
"""
import glob
import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "../../tests/wine"))

import docx  # noqa: E402

from conftest import SAME_TEXT, App, Inspector, WIN_DIR, wait_until  # noqa: E402
import test_same_text_window as same_text  # noqa: E402

PING = os.path.join(WIN_DIR, "tests", "win", "bench", "ping_window.exe")
RESULTS = "窗口_替换结果"
KEY = r"HKLM\Software\Velmora\WordStandIn"
TICKS = os.sysconf("SC_CLK_TCK")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def program_pid():
    """The program's process in our prefix (other prefixes may run the program at the same time)."""
    prefix = os.path.realpath(os.environ["WINEPREFIX"])
    for line in subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout.splitlines():
        pid, args = line.strip().split(" ", 1)
        if not args.endswith("Velmora.exe") or args.startswith("wine"):
            continue
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = dict(v.split(b"=", 1) for v in f.read().split(b"\0") if b"=" in v)
        except OSError:
            continue
        if os.path.realpath(env.get(b"WINEPREFIX", b"").decode()) == prefix:
            return int(pid)
    return None


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def thread_cpu(pid):
    """CPU seconds of each of the process's threads, by thread id, with the thread's name."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
            out[tid] = (name, cpu_seconds(f"{pid}/task/{tid}"))
        except OSError:
            pass
    return out


def status_kib(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def pick_documents(app, folder, names):
    app.click(SAME_TEXT, "按钮4")
    wait_until(lambda: not same_text.foreground(app), what="the file dialog")
    app.type(windows_path(folder) + "\\")
    app.key("Return")
    subprocess.run(["xdotool", "type", "--delay", "2", " ".join(f'"{n}"' for n in names)], check=True)
    app.key("Return")


def main():
    work = os.path.abspath(sys.argv[1])
    docs = os.path.join(work, "docs")
    names = sorted(os.listdir(docs))
    with open(os.path.join(work, "pairs.txt"), encoding="utf-8", newline="") as f:
        finds, replacements = f.read().split("\n----\n")
    usage = os.path.join(work, "usage")
    os.makedirs(usage, exist_ok=True)
    subprocess.run(["wine", "reg", "add", KEY, "/v", "UsageFolder", "/t", "REG_SZ", "/d", windows_path(usage),
                    "/f"], check=True, capture_output=True)
    inspector = Inspector()
    app = App(inspector)
    try:
        wait_until(lambda: app.focus("窗口_选择方式"), timeout=60, what="the program")
        same_text.open_same_text(app)
        pick_documents(app, docs, names)
        wait_until(lambda: len(same_text.items(app)[0]) == len(names), timeout=120, what="the documents listed")
        app.set_text(SAME_TEXT, "编辑框_被替换内容", finds)
        app.set_text(SAME_TEXT, "编辑框_替换内容", replacements)
        pid = program_pid()
        window = app.dump(SAME_TEXT)["hwnd"]
        cpu_before = cpu_seconds(pid)
        threads_before = thread_cpu(pid)
        rss_before = status_kib(pid, "VmRSS")
        ping = subprocess.Popen(["wine", PING, str(window), "替换完毕"], stdout=subprocess.PIPE, text=True)
        time.sleep(1)  # let the probe start before the run does
        app.click(SAME_TEXT, "按钮1")
        start = time.monotonic()
        app.wait_window(RESULTS, timeout=7200)
        wall = time.monotonic() - start
        cpu = cpu_seconds(pid) - cpu_before
        threads = thread_cpu(pid)
        peak = status_kib(pid, "VmHWM")
        report = app.control(RESULTS, "编辑框_结果")["text"].split("\r\n")
        answers = dict(zip(*[iter(ping.communicate(timeout=120)[0].split())] * 2))
    finally:
        app.stop()
        inspector.close()
        subprocess.run(["wine", "reg", "delete", KEY, "/v", "UsageFolder", "/f"], capture_output=True)
    replaced = sum(1 for line in report if line.endswith("：替换完毕！"))
    servers = []
    for path in glob.glob(os.path.join(usage, "standin-*.txt")):
        with open(path) as f:
            words = f.read().split()
        servers.append({words[i]: int(words[i + 1]) for i in range(0, len(words), 2)})
    calls = sum(s["getids"] + s["invoke"] for s in servers)
    # The documents, read back independently: no find text is left.
    left = 0
    for name in names[:: max(1, len(names) // 10)]:
        d = docx.Document(os.path.join(docs, name))
        text = "\n".join([p.text for p in d.paragraphs] +
                         [p.text for t in d.tables for row in t.rows for c in row.cells for p in c.paragraphs])
        left += sum(text.count(f) for f in finds.split("\r\n"))
    pairs = len(finds.split("\r\n"))
    print(json.dumps({
        "documents": len(names), "pairs": pairs, "replaced": replaced, "find_texts_left": left,
        "wall_s": round(wall, 2), "program_cpu_s": round(cpu, 2),
        "program_cpu_share": round(cpu / wall, 4) if wall else None,
        "program_threads_cpu_s": sorted(
            ([name, round(c - threads_before.get(tid, (name, 0))[1], 2)] for tid, (name, c) in threads.items()),
            key=lambda t: -t[1])[:6],
        "program_rss_before_kib": rss_before, "program_peak_kib": peak,
        "servers": len(servers),
        "server_cpu_s": round(sum(s["user_ms"] + s["kernel_ms"] for s in servers) / 1000, 2),
        "server_peak_kib": max((s["peak_kib"] for s in servers), default=0),
        "calls": calls, "calls_per_pair": round(calls / (len(names) * pairs), 2),
        "getids_per_pair": round(sum(s["getids"] for s in servers) / (len(names) * pairs), 2),
        "answer_ms": {k: float(v) for k, v in answers.items()},
    }))


if __name__ == "__main__":
    main()
