"""窗口_分别替换 through real input: geometry, the drawn tab strip and its pages, the read-only name boxes,
the document model of the file list and the pages, Tab cycles and Esc."""
import os
import subprocess

import pytest

from conftest import PER_DOCUMENT, SELECTION, colours, pixels, wait_until

YELLOW = (255, 255, 0)
TEXT_BLUE = (0, 0, 255)
BORDER = (236, 236, 236)

PAGES = [
    {"列表框_文件列表", "按钮4", "按钮6", "按钮5"},
    {"按钮3", "编辑框1_替换内容", "编辑框1_路径", "标签2", "按钮11"},
    {"按钮7", "编辑框2_替换内容", "按钮14", "编辑框2_路径", "标签3"},
    {"按钮9", "编辑框3_替换内容", "按钮17", "编辑框3_路径", "标签4"},
    {"按钮10", "编辑框4_替换内容", "按钮20", "编辑框4_路径", "标签5"},
    {"按钮12", "编辑框5_替换内容", "按钮23", "编辑框5_路径", "标签6"},
]
ON_TABS = set().union(*PAGES)


@pytest.fixture
def win(app):
    app.activate(SELECTION)
    app.click(SELECTION, "按钮1")  # mode two is checked at start
    app.wait_window(PER_DOCUMENT)
    app.wait_focus(PER_DOCUMENT, "按钮8")
    return app


def controls(app):
    return {c["name"]: c for c in app.dump(PER_DOCUMENT)["controls"]}


def shown_on_tabs(app):
    return {name for name, c in controls(app).items() if name in ON_TABS and c["visible"]}


def tab_spans(app):
    """The tabs as the screen shows them: (top, bottom) screen rows between the border lines of the strip."""
    x, y, w, h = controls(app)["高级选择夹1"]["rect"]
    column = [row[0] for row in pixels(x + w - 10, y, 1, h)]
    spans, start = [], None
    for i, p in enumerate(column):
        if p == BORDER:
            if start is not None and i > start:
                spans.append((y + start, y + i))
            start = i + 1
    return spans


def tab_strip_x(app):
    x, _, w, _ = controls(app)["高级选择夹1"]["rect"]
    return x + w - 10


def click_tab(app, page):
    top, bottom = tab_spans(app)[page]
    app.click_at(tab_strip_x(app), (top + bottom) // 2)
    wait_until(lambda: shown_on_tabs(app) == PAGES[page], what=f"page {page} shown")


def caption_colours(app, page):
    top, bottom = tab_spans(app)[page]
    return colours(tab_strip_x(app) - 8, top, 16, bottom - top)


def text(app, name):
    return controls(app)[name]["text"]


def test_opens_centred_showing_the_file_list_page(win):
    d = win.dump(PER_DOCUMENT)
    assert d["rect"] == [(1024 - 846) // 2, (768 - 479) // 2, 846, 479]
    assert shown_on_tabs(win) == PAGES[0]
    assert len(tab_spans(win)) == 6


def test_each_tab_shows_exactly_its_page_and_its_caption_turns_yellow(win):
    for page in [1, 2, 3, 4, 5, 0]:
        click_tab(win, page)
        for other in range(6):
            seen = caption_colours(win, other)
            if other == page:
                assert YELLOW in seen and TEXT_BLUE not in seen, other
            else:
                assert TEXT_BLUE in seen and YELLOW not in seen, other


def test_text_typed_on_a_page_survives_switching_pages(win):
    click_tab(win, 3)
    win.click(PER_DOCUMENT, "编辑框3_替换内容")
    win.wait_focus(PER_DOCUMENT, "编辑框3_替换内容")
    win.type("abc def")
    win.key("Return")
    win.type("xyz")
    wait_until(lambda: text(win, "编辑框3_替换内容") == "abc def\r\nxyz", what="typed text")
    click_tab(win, 0)
    win.wait_focus(PER_DOCUMENT, "按钮8")  # the focus leaves the hidden page for the window's first
    click_tab(win, 3)
    assert text(win, "编辑框3_替换内容") == "abc def\r\nxyz"


def test_typing_or_pasting_into_a_name_box_changes_nothing(win):
    win.click(PER_DOCUMENT, "编辑框_被替换内容")
    win.wait_focus(PER_DOCUMENT, "编辑框_被替换内容")
    win.type("pasted")
    wait_until(lambda: text(win, "编辑框_被替换内容") == "pasted", what="typed text")
    win.key("ctrl+a", "ctrl+c")
    click_tab(win, 1)
    win.click(PER_DOCUMENT, "编辑框1_路径")
    win.wait_focus(PER_DOCUMENT, "编辑框1_路径")
    win.type("typed")
    win.key("ctrl+v", "BackSpace", "Delete", "Return")
    win.key("Tab")  # handled after the keys before it
    win.wait_focus(PER_DOCUMENT, "编辑框_被替换内容")
    assert text(win, "编辑框1_路径") == ""
    assert text(win, "编辑框_被替换内容") == "pasted"


def dialog_open():
    r = subprocess.run(["xdotool", "search", "--name", "添加WORD文件"], capture_output=True, text=True)
    return r.returncode == 0 and r.stdout.strip()


def add_documents(app, folder, names):
    app.click(PER_DOCUMENT, "按钮4")
    wait_until(dialog_open, what="the file dialog")
    app.type("Z:" + str(folder).replace("/", "\\") + "\\")
    app.key("Return")
    app.type(" ".join(f'"{n}"' for n in names))
    app.key("Return")
    wait_until(lambda: not dialog_open(), what="the file dialog to close")


def test_added_documents_fill_the_name_boxes_and_keep_their_texts_when_one_is_removed(win, tmp_path):
    names = ["a.docx", "b.docx", "c.doc"]
    for n in names:
        (tmp_path / n).write_bytes(b"")
    paths = ["Z:" + str(tmp_path / n).replace("/", "\\") for n in names]
    add_documents(win, tmp_path, names)
    wait_until(lambda: controls(win)["列表框_文件列表"]["items"] == paths, what="the listed documents")
    assert [text(win, f"编辑框{k}_路径") for k in range(1, 6)] == paths + ["", ""]

    for k, t in [(1, "for a"), (2, "for b"), (3, "for c")]:
        win.set_text(PER_DOCUMENT, f"编辑框{k}_替换内容", t)
    win.select(PER_DOCUMENT, "列表框_文件列表", 1)
    win.click(PER_DOCUMENT, "按钮6")
    wait_until(lambda: controls(win)["列表框_文件列表"]["items"] == [paths[0], paths[2]], what="b removed")
    assert [text(win, f"编辑框{k}_路径") for k in range(1, 4)] == [paths[0], paths[2], ""]
    assert [text(win, f"编辑框{k}_替换内容") for k in range(1, 4)] == ["for a", "for c", ""]

    # Adding the same documents again adds only the missing one, after the others.
    add_documents(win, tmp_path, names)
    wait_until(lambda: dialog_info_shown(), what="the note about listed documents")
    subprocess.run(["xdotool", "key", "Return"], check=True)
    wait_until(lambda: controls(win)["列表框_文件列表"]["items"] == [paths[0], paths[2], paths[1]],
               what="b appended")
    assert text(win, "编辑框3_路径") == paths[1]
    assert text(win, "编辑框3_替换内容") == ""


def dialog_info_shown():
    r = subprocess.run(["xdotool", "search", "--name", "Velmora V2.0"], capture_output=True, text=True)
    return r.returncode == 0 and len(r.stdout.split()) >= 2


@pytest.mark.parametrize("page, cycle", [
    (0, ["按钮5", "按钮6", "按钮4", "列表框_文件列表", "按钮1", "按钮2", "编辑框_被替换内容", "按钮8"]),
    (1, ["按钮1", "按钮2", "按钮11", "编辑框1_路径", "编辑框_被替换内容", "编辑框1_替换内容", "按钮3", "按钮8"]),
])
def test_tab_cycle_of_the_page(win, page, cycle):
    if page:
        click_tab(win, page)
    win.activate(PER_DOCUMENT)
    win.wait_focus(PER_DOCUMENT, "按钮8")
    for expected in cycle:
        win.key("Tab")
        win.wait_focus(PER_DOCUMENT, expected)
    for expected in reversed(cycle[:-1]):
        win.key("shift+Tab")
        win.wait_focus(PER_DOCUMENT, expected)


@pytest.mark.parametrize("page, box", [(0, "编辑框_被替换内容"), (4, "编辑框4_替换内容")])
def test_esc_from_a_big_box_closes_the_window(win, page, box):
    if page:
        click_tab(win, page)
    win.click(PER_DOCUMENT, box)
    win.wait_focus(PER_DOCUMENT, box)
    win.key("Escape")
    win.wait_gone(PER_DOCUMENT)
    assert SELECTION in win.windows()


RED = (255, 0, 0)


def make_documents(folder, count):
    names = [f"d{i}.docx" for i in range(1, count + 1)]
    for n in names:
        (folder / n).write_bytes(b"")
    return names, ["Z:" + str(folder / n).replace("/", "\\") for n in names]


def answer_message(app, *keys):
    wait_until(dialog_info_shown, what="a message box")
    app.key(*keys)
    wait_until(lambda: not dialog_info_shown(), what="the message box to close")


def test_caption_under_the_mouse_turns_red(win):
    top, bottom = tab_spans(win)[2]
    subprocess.run(["xdotool", "mousemove", "--sync", str(tab_strip_x(win)), str((top + bottom) // 2)], check=True)
    wait_until(lambda: RED in caption_colours(win, 2), what="a red caption")
    assert RED not in caption_colours(win, 1)
    assert shown_on_tabs(win) == PAGES[0]  # hovering switches nothing


def test_at_most_five_documents_are_listed_and_the_user_is_told(win, tmp_path):
    names, paths = make_documents(tmp_path, 7)
    add_documents(win, tmp_path, names)
    answer_message(win, "Return")
    assert controls(win)["列表框_文件列表"]["items"] == paths[:5]
    assert [text(win, f"编辑框{k}_路径") for k in range(1, 6)] == paths[:5]


@pytest.mark.parametrize("keys, texts_kept", [(["Return"], False), (["Tab", "space"], True)])
def test_clearing_the_list_asks_what_becomes_of_the_page_texts(win, tmp_path, keys, texts_kept):
    names, _ = make_documents(tmp_path, 2)
    add_documents(win, tmp_path, names)
    wait_until(lambda: len(controls(win)["列表框_文件列表"]["items"]) == 2, what="two documents")
    win.set_text(PER_DOCUMENT, "编辑框2_替换内容", "for d2")
    win.click(PER_DOCUMENT, "按钮5")
    answer_message(win, *keys)
    wait_until(lambda: controls(win)["列表框_文件列表"]["items"] == [], what="an empty list")
    assert [text(win, f"编辑框{k}_路径") for k in range(1, 6)] == [""] * 5
    assert text(win, "编辑框2_替换内容") == ("for d2" if texts_kept else "")


def test_clear_buttons(win, tmp_path):
    names, _ = make_documents(tmp_path, 1)
    add_documents(win, tmp_path, names)
    wait_until(lambda: len(controls(win)["列表框_文件列表"]["items"]) == 1, what="one document")
    for name, t in [("编辑框_被替换内容", "find"), ("编辑框1_替换内容", "one"), ("编辑框2_替换内容", "two")]:
        win.set_text(PER_DOCUMENT, name, t)
    click_tab(win, 2)
    win.click(PER_DOCUMENT, "按钮14")  # 清空 of page 2
    wait_until(lambda: text(win, "编辑框2_替换内容") == "", what="page 2 cleared")
    assert text(win, "编辑框1_替换内容") == "one"
    win.click(PER_DOCUMENT, "按钮8")
    wait_until(lambda: text(win, "编辑框_被替换内容") == "", what="find box cleared")
    assert text(win, "编辑框1_替换内容") == "one"
    win.click(PER_DOCUMENT, "按钮2")  # 全部清空
    wait_until(lambda: text(win, "编辑框1_替换内容") == "", what="everything cleared")
    assert controls(win)["列表框_文件列表"]["items"] == []
    assert text(win, "编辑框1_路径") == ""


def test_open_on_a_page_without_document_tells_the_user(win):
    click_tab(win, 1)
    win.click(PER_DOCUMENT, "按钮3")
    answer_message(win, "Return")
    assert set(win.windows()) == {SELECTION, PER_DOCUMENT}


@pytest.mark.parametrize("page, control, after_tab", [
    (0, "列表框_文件列表", "按钮1"),
    (0, "按钮8", "按钮5"),
    (1, "编辑框1_路径", "编辑框_被替换内容"),
])
def test_enter_outside_the_big_boxes_changes_nothing(win, page, control, after_tab):
    win.set_text(PER_DOCUMENT, "编辑框_被替换内容", "kept")  # what 按钮8 would clear
    if page:
        click_tab(win, page)
    if control.startswith("按钮"):
        win.activate(PER_DOCUMENT)  # a click would press it; the window's first focus is 按钮8
    else:
        win.click(PER_DOCUMENT, control)
    win.wait_focus(PER_DOCUMENT, control)
    before = controls(win)
    win.key("Return")
    win.key("Tab")  # handled after Enter: lands where Tab from `control` goes, so Enter moved nothing
    win.wait_focus(PER_DOCUMENT, after_tab)
    after = controls(win)
    assert {n: (c["text"], c.get("items")) for n, c in after.items()} == \
        {n: (c["text"], c.get("items")) for n, c in before.items()}
    assert text(win, "编辑框_被替换内容") == "kept"  # Enter clicked no button
    assert not dialog_open() and not dialog_info_shown()


def test_opening_again_brings_the_open_window_back_with_its_contents(win):
    win.set_text(PER_DOCUMENT, "编辑框_被替换内容", "kept")
    click_tab(win, 2)
    win.activate(SELECTION)
    win.click(SELECTION, "按钮1")
    wait_until(lambda: win.focus(PER_DOCUMENT), what="the window active again")
    assert list(win.windows()).count(PER_DOCUMENT) == 1
    assert text(win, "编辑框_被替换内容") == "kept"
    assert shown_on_tabs(win) == PAGES[2]


def window_named(title):
    r = subprocess.run(["xdotool", "search", "--name", title], capture_output=True, text=True)
    return r.returncode == 0 and r.stdout.strip()


def test_start_hands_the_window_to_the_run_which_checks_it(win):
    win.click(PER_DOCUMENT, "按钮1")  # nothing entered: the run refuses with its message, the window stays
    wait_until(lambda: window_named("没有添加被替换的内容"), what="the run's check message")
    win.key("Return")
    wait_until(lambda: not window_named("没有添加被替换的内容"), what="the message to close")
    assert set(win.windows()) == {SELECTION, PER_DOCUMENT}
