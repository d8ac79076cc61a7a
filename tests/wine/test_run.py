"""The replacement run end to end: the real program under wine, real clicks, the stand-in word processor
on real documents, read back with python-docx (an independent reader)."""
import os
import shutil
import subprocess
import zipfile

import docx
import pytest

from conftest import PER_DOCUMENT, SAME_TEXT, SELECTION, wait_until
import test_per_document_window as per_document
import test_same_text_window as same_text

CORPUS = os.environ.get("VELMORA_CORPUS", os.path.join(os.path.dirname(__file__), "../../../shared/corpus/docx"))
SAMPLE = os.path.join(CORPUS, "test.docx")  # "python-docx was here!", "python-docx was here too!"
RESULTS = "窗口_替换结果"
LONG = "长" * 300


def copy_sample(folder, name):
    path = folder / name
    shutil.copyfile(SAMPLE, path)
    os.chmod(path, 0o644)
    return path


def paragraphs(path):
    return [p.text for p in docx.Document(str(path)).paragraphs]


def entries(path):
    with zipfile.ZipFile(path) as z:
        return {n: z.read(n) for n in z.namelist()}


def results_text(app):
    app.wait_window(RESULTS, timeout=120)
    return app.control(RESULTS, "编辑框_结果")["text"]


def own_servers():
    """Process ids of the stand-in servers of this test run's wine prefix (others may run beside it)."""
    prefix = os.environ.get("WINEPREFIX")
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"WordStandIn.exe" not in f.read():
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = dict(e.split(b"=", 1) for e in f.read().split(b"\0") if b"=" in e)
            with open(f"/proc/{pid}/stat", "rb") as f:
                if f.read().rsplit(b")", 1)[1].split()[0] == b"Z":
                    continue
        except OSError:
            continue
        if prefix is None or env.get(b"WINEPREFIX", b"").decode() == prefix:
            found.append(int(pid))
    return found


def no_server_left():
    return not own_servers()


def message(app):
    return wait_until(lambda: app.inspector.command("dialogs"), what="a message box")[0]


def answer_message(app, caption, text):
    """Waits for the message box, checks its caption and text, and closes it with Enter."""
    box = message(app)
    assert box["title"] == caption and text in box["texts"]
    app.key("Return")
    wait_until(lambda: not app.inspector.command("dialogs"), what="the message to close")


def test_mode_one_replaces_every_document_and_reports_each(app, tmp_path):
    names = ["a b.docx", "b.docx", "bad.docx", "locked.docx"]  # typed into the dialog: ASCII only
    for n in names[:2] + names[3:]:
        copy_sample(tmp_path, n)
    (tmp_path / "bad.docx").write_bytes(b"not a document")
    os.chmod(tmp_path / "locked.docx", 0o444)  # read-only for the program
    locked_before = (tmp_path / "locked.docx").read_bytes()
    before = entries(tmp_path / "b.docx")

    same_text.open_same_text(app)
    same_text.pick_in_dialog(app, tmp_path, names)
    wait_until(lambda: len(same_text.items(app)[0]) == 4, what="four documents listed")
    app.set_text(SAME_TEXT, "编辑框_被替换内容", "here too\r\npython-docx\r\n!\r\nwas \r\n")
    app.set_text(SAME_TEXT, "编辑框_替换内容", f"th^ere 也\r\n{LONG}\r\n\r\nwas  ")
    app.click(SAME_TEXT, "按钮1")

    report = results_text(app).split("\r\n")
    assert report[1:5] == ["文件a b.docx：替换完毕！", "文件b.docx：替换完毕！", report[3], report[4]]
    assert report[3].startswith("文件bad.docx：") and "未被替换" in report[3]
    assert report[4].startswith("文件locked.docx：") and "未被替换" in report[4]
    assert "2" in report[0]
    assert app.dump(SAME_TEXT)["title"].endswith("——替换完毕！") and "V1.0" in app.dump(SAME_TEXT)["title"]
    for n in names[:2]:
        assert paragraphs(tmp_path / n) == [f"{LONG} was  here", f"{LONG} was  th^ere 也"]
    after = entries(tmp_path / "b.docx")
    assert {k for k in after if after[k] != before[k]} == {"word/document.xml"}
    assert (tmp_path / "bad.docx").read_bytes() == b"not a document"
    assert (tmp_path / "locked.docx").read_bytes() == locked_before
    wait_until(no_server_left, what="no WordStandIn.exe left")


@pytest.mark.parametrize("find, replace, text, caption", [
    ("", "x", "请添加被替换内容！", "没有添加被替换的内容！"),
    ("a", "", "请添加替换内容！", "没有添加替换的内容！"),
    ("a\r\nb", "x", "请修改替换内容！", "被替换文本 与 替换文本 数量不对等！"),
])
def test_faults_of_the_input_are_told_and_nothing_starts(app, tmp_path, find, replace, text, caption):
    copy_sample(tmp_path, "a.docx")
    before = (tmp_path / "a.docx").read_bytes()
    same_text.open_same_text(app)
    same_text.pick_in_dialog(app, tmp_path, ["a.docx"])
    wait_until(lambda: len(same_text.items(app)[0]) == 1, what="the document listed")
    app.set_text(SAME_TEXT, "编辑框_被替换内容", find)
    app.set_text(SAME_TEXT, "编辑框_替换内容", replace)
    app.click(SAME_TEXT, "按钮1")
    answer_message(app, caption, text)
    assert RESULTS not in app.windows()
    assert (tmp_path / "a.docx").read_bytes() == before


def test_mode_two_gives_each_document_its_texts_and_leaves_a_mismatched_one_alone(app, tmp_path):
    names = ["one.docx", "two.docx", "three.docx"]
    for n in names:
        copy_sample(tmp_path, n)
    two_before = (tmp_path / "two.docx").read_bytes()
    app.activate(SELECTION)
    app.click(SELECTION, "按钮1")
    app.wait_window(PER_DOCUMENT)
    per_document.add_documents(app, tmp_path, names)
    wait_until(lambda: app.control(PER_DOCUMENT, "编辑框3_路径")["text"].endswith("three.docx"), what="three pages")
    app.set_text(PER_DOCUMENT, "编辑框_被替换内容", "here\r\nwas")
    app.set_text(PER_DOCUMENT, "编辑框1_替换内容", "一\r\n甲")
    app.set_text(PER_DOCUMENT, "编辑框2_替换内容", "only one line")
    app.set_text(PER_DOCUMENT, "编辑框3_替换内容", "三\r\n丙")
    app.click(PER_DOCUMENT, "按钮1")
    report = results_text(app).split("\r\n")
    assert report[1:4] == ["文件one.docx：替换完毕！", "文件two.docx：被替换文本 与 替换文本 数量不对等！未被替换！",
                           "文件three.docx：替换完毕！"]
    assert paragraphs(tmp_path / "one.docx")[0] == "python-docx 甲 一!"
    assert paragraphs(tmp_path / "three.docx")[0] == "python-docx 丙 三!"
    assert (tmp_path / "two.docx").read_bytes() == two_before
    wait_until(no_server_left, what="no WordStandIn.exe left")


def set_fault(value):
    key = r"HKLM\Software\Velmora\WordStandIn"
    if value:
        subprocess.run(["wine", "reg", "add", key, "/v", "Fault", "/t", "REG_SZ", "/d", value, "/f"],
                       check=True, capture_output=True)
    else:
        subprocess.run(["wine", "reg", "delete", key, "/v", "Fault", "/f"], capture_output=True)


def test_a_server_that_stops_answering_is_named_and_the_window_stays_usable(app, tmp_path):
    names = ["a.docx", "b.docx"]
    for n in names:
        copy_sample(tmp_path, n)
    before = {n: (tmp_path / n).read_bytes() for n in names}
    same_text.open_same_text(app)
    same_text.pick_in_dialog(app, tmp_path, names)
    wait_until(lambda: len(same_text.items(app)[0]) == 2, what="two documents listed")
    app.set_text(SAME_TEXT, "编辑框_被替换内容", "here")
    app.set_text(SAME_TEXT, "编辑框_替换内容", "there")
    set_fault("stall:Execute:2:100")  # the second document's call hangs, then the server ends
    try:
        app.click(SAME_TEXT, "按钮1")
        wait_until(lambda: "第2个文件时停止了响应" in app.dump(SAME_TEXT)["title"], timeout=90,
                   what="the window to say where the server stopped")
        # Still usable: the boxes take input and the start button says a run is under way.
        app.set_text(SAME_TEXT, "编辑框_替换内容", "typed meanwhile")
        assert app.control(SAME_TEXT, "编辑框_替换内容")["text"] == "typed meanwhile"
        app.click(SAME_TEXT, "按钮1")
        box = message(app)
        assert "正在进行" in "".join(box["texts"])
        app.key("Return")
        report = results_text(app)
    finally:
        set_fault("")
    assert "替换完毕！" not in report.split("\r\n", 1)[1]
    for n in names:
        assert (tmp_path / n).read_bytes() == before[n]
    wait_until(no_server_left, what="no WordStandIn.exe left")


def test_without_a_word_processor_one_message_says_so_and_nothing_changes(app, tmp_path):
    copy_sample(tmp_path, "a.docx")
    before = (tmp_path / "a.docx").read_bytes()
    standin = os.path.join(os.environ.get("VELMORA_WIN_DIR", ""), "standin", "WordStandIn.exe")
    same_text.open_same_text(app)
    same_text.pick_in_dialog(app, tmp_path, ["a.docx"])
    wait_until(lambda: len(same_text.items(app)[0]) == 1, what="the document listed")
    app.set_text(SAME_TEXT, "编辑框_被替换内容", "here")
    app.set_text(SAME_TEXT, "编辑框_替换内容", "there")
    subprocess.run(["wine", standin, "/UnregServer"], check=True)
    try:
        app.click(SAME_TEXT, "按钮1")
        box = message(app)
    finally:
        subprocess.run(["wine", standin, "/RegServer"], check=True)
    assert "无法启动WORD" in "".join(box["texts"])
    app.key("Return")
    wait_until(lambda: not app.inspector.command("dialogs"), what="the message to close")
    assert RESULTS not in app.windows()
    assert (tmp_path / "a.docx").read_bytes() == before
    assert app.dump(SAME_TEXT)["enabled"]
