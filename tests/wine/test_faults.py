"""Hostile input and a server that dies, end to end: the real program under wine, its real window, the
stand-in word processor; documents read back with python-docx."""
import os
import signal

import docx

from conftest import SAME_TEXT, wait_until
import test_same_text_window as same_text
from test_run import RESULTS, answer_message, copy_sample, own_servers, paragraphs, results_text, set_fault

FIND_BOX = "编辑框_被替换内容"
REPLACE_BOX = "编辑框_替换内容"
EMOJI = "\U0001F600"  # a surrogate pair in the window: 2 of the 255 units a find text may have


def start_with(app, folder, names, find, replace):
    same_text.open_same_text(app)
    same_text.pick_in_dialog(app, folder, names)
    wait_until(lambda: len(same_text.items(app)[0]) == len(names), what="the documents listed")
    app.set_text(SAME_TEXT, FIND_BOX, find)
    app.set_text(SAME_TEXT, REPLACE_BOX, replace)
    app.click(SAME_TEXT, "按钮1")


def test_unusual_texts_are_replaced_whole_and_a_nul_ends_the_box(app, tmp_path):
    # 127 emoji and one letter: exactly 255 units, so it may be searched for and is sent whole.
    longest = EMOJI * 127 + "x"
    document = docx.Document()
    for text in [f"<{longest}>", f"smile {EMOJI} end", "שלום world", "caret a^ here", "same stays", "banana"]:
        document.add_paragraph(text)
    document.save(str(tmp_path / "odd.docx"))

    # The edit box cannot hold a NUL: the text set into it ends there, and what follows is never searched.
    find = f"{longest}\r\n{EMOJI}\r\nשלום\r\na^\r\nsame\r\nan\0stays unseen"
    replace = f"long\r\n\U0001F389{EMOJI}\r\nمرحبا\u200f\r\nb^\r\nsame\r\nanan"
    start_with(app, tmp_path, ["odd.docx"], find, replace)

    report = results_text(app).split("\r\n")
    assert report[1] == "文件odd.docx：替换完毕！"
    assert app.control(SAME_TEXT, FIND_BOX)["text"] == find.split("\0")[0]
    assert paragraphs(tmp_path / "odd.docx") == [
        "<long>",
        f"smile \U0001F389{EMOJI} end",  # a replacement holding its own text is not searched again
        "مرحبا\u200f world",
        "caret b^ here",
        "same stays",
        "banana".replace("an", "anan"),
    ]
    wait_until(lambda: not own_servers(), what="no WordStandIn.exe left")


LINES = 100000


def test_huge_boxes_are_taken_and_their_faults_told(app, tmp_path):
    """100,000 lines in a box (a megabyte of text, set from another program) and lines far past the limit:
    the window holds them, and tells the fault of each without opening a document. (Under wine the edit box
    lays out one long line in quadratic time, so a line of a megabyte is checked without the window.)"""
    copy_sample(tmp_path, "a.docx")
    before = (tmp_path / "a.docx").read_bytes()
    same_text.open_same_text(app)
    same_text.pick_in_dialog(app, tmp_path, ["a.docx"])
    wait_until(lambda: len(same_text.items(app)[0]) == 1, what="the document listed")

    too_long = "请缩短被替换内容第{0}行：最多255个字符（每个 ^ 算两个）！", "被替换内容第{0}行太长，无法查找！"
    cases = [
        ("\r\n".join(f"甲方{k:05d}号" for k in range(LINES)), "\r\n".join(["y"] * (LINES - 1)), "请修改替换内容！",
         "被替换文本 与 替换文本 数量不对等！"),
        ("x" * 2000, "y", too_long[0].format(1), too_long[1].format(1)),
        ("here\r\n" + EMOJI * 128, "a\r\nb", too_long[0].format(2), too_long[1].format(2)),
    ]
    for find, replace, text, caption in cases:
        for box, content in ((FIND_BOX, find), (REPLACE_BOX, replace)):
            app.set_text(SAME_TEXT, box, content)  # a big text outlasts the inspector's wait: await it
            wait_until(lambda: app.control(SAME_TEXT, box)["text"] == content, timeout=60, what=f"{box} filled")
        app.click(SAME_TEXT, "按钮1")
        answer_message(app, caption, text)
    assert RESULTS not in app.windows()
    assert (tmp_path / "a.docx").read_bytes() == before
    assert not own_servers()


def test_a_server_killed_mid_run_loses_nothing_and_the_next_run_works(app, tmp_path):
    names = ["a.docx", "b.docx", "c.docx"]
    for n in names:
        copy_sample(tmp_path, n)
    before = {n: (tmp_path / n).read_bytes() for n in names}
    set_fault("stall:Execute:2:600")  # the second document's call hangs until the server is killed
    try:
        start_with(app, tmp_path, names, "here", "there")
        wait_until(lambda: "正在替换第2个文件" in app.dump(SAME_TEXT)["title"], timeout=60,
                   what="the run at the second document")
        servers = wait_until(own_servers, what="the server process")
        assert len(servers) == 1
        os.kill(servers[0], signal.SIGKILL)
        report = results_text(app).split("\r\n")
    finally:
        set_fault("")

    # The first document was changed only in the killed server's memory: nothing was stored.
    assert report[0].startswith("替换完毕：0 个文件")
    assert [line.split("：")[0] for line in report[1:4]] == [f"文件{n}" for n in names]
    assert not any(line.endswith("替换完毕！") for line in report[1:])
    for n in names:
        assert (tmp_path / n).read_bytes() == before[n], n
    wait_until(lambda: not own_servers(), what="no WordStandIn.exe left")

    # The window goes on: the same input runs again, now with a server that answers.
    app.set_text(RESULTS, "编辑框_结果", "")
    app.click(SAME_TEXT, "按钮1")
    wait_until(lambda: app.control(RESULTS, "编辑框_结果")["text"], timeout=120, what="the second report")
    report = app.control(RESULTS, "编辑框_结果")["text"].split("\r\n")
    assert report[1:4] == [f"文件{n}：替换完毕！" for n in names]
    for n in names:
        assert paragraphs(tmp_path / n) == ["python-docx was there!", "python-docx was there too!"]
    wait_until(lambda: not own_servers(), what="no WordStandIn.exe left")
