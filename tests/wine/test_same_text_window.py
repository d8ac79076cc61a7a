"""窗口_相同替换 through real input: geometry, focus and keys, the file dialog, the list and box buttons,
colours, and opening it a second time."""
import subprocess

import pytest

from conftest import SAME_TEXT, SELECTION, colours, wait_until

BLUE = (0, 136, 255)
YELLOW = (255, 255, 0)
CYCLE = ["按钮1", "列表框_文件列表", "按钮4", "按钮5", "按钮6", "按钮8", "按钮10", "按钮11", "编辑框_被替换内容",
         "编辑框_替换内容"]
FIND = "编辑框_被替换内容"
REPLACE = "编辑框_替换内容"
LIST = "列表框_文件列表"


def open_same_text(app):
    app.click(SELECTION, "单选框1")
    wait_until(lambda: app.control(SELECTION, "单选框1")["checked"], what="mode one checked")
    app.click(SELECTION, "按钮1")
    app.wait_window(SAME_TEXT)
    app.wait_focus(SAME_TEXT, "按钮1")


@pytest.fixture
def window(app):
    open_same_text(app)
    return app


def text(app, name):
    return app.control(SAME_TEXT, name)["text"]


def items(app):
    c = app.control(SAME_TEXT, LIST)
    return c["items"], c["selection"]


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def foreground(app):
    d = app.dump(SAME_TEXT)
    return d and d["foreground"]


def pick_in_dialog(app, folder, names):
    """Clicks 按钮4 and picks `names` in `folder` (None: where the dialog starts) by typing into the
    dialog's name field."""
    app.click(SAME_TEXT, "按钮4")
    wait_until(lambda: not foreground(app), what="the file dialog")
    if folder is not None:
        app.type(windows_path(str(folder)) + "\\")
        app.key("Return")
    app.type(" ".join(f'"{n}"' for n in names) if len(names) > 1 else names[0])
    app.key("Return")


@pytest.fixture
def documents(tmp_path):
    names = ["b.docx", "a.docx", "c.doc"]
    for n in names:
        (tmp_path / n).write_bytes(b"PK\x05\x06" + bytes(18))
    return tmp_path, names


def add_documents(app, documents):
    folder, names = documents
    pick_in_dialog(app, folder, names)
    expected = [windows_path(str(folder / n)) for n in names]
    wait_until(lambda: items(app)[0] == expected, what=f"the list to hold {expected} (now {items(app)})")
    return expected


def test_opens_centred_with_the_start_button_focused(window):
    d = window.dump(SAME_TEXT)
    assert d["rect"] == [89, 113, 846, 541]
    assert d["title"].startswith("Velmora V2.0 BY Ostrel QQ：")
    assert d["focus"] == "按钮1"
    assert sorted(c["name"] for c in d["controls"]) == sorted([
        "编辑框_替换内容", "编辑框_被替换内容", "按钮11", "按钮10", "按钮8", "按钮6", "标签1", "按钮5", "按钮4",
        "分组框3", "列表框_文件列表", "分组框2", "分组框1", "按钮1"])
    by_name = {c["name"]: c for c in d["controls"]}
    assert by_name["按钮1"]["text"] == "开\r\n\r\n始\r\n\r\n替\r\n\r\n换"
    assert by_name["按钮11"]["text"] == "全部\r\n清空"
    assert by_name[LIST]["rect"][3] == 208
    assert by_name[LIST]["items"] == [] and by_name[LIST]["selection"] == -1
    window.key("Tab")
    window.wait_focus(SAME_TEXT, LIST)
    window.key("Tab")
    window.wait_focus(SAME_TEXT, "按钮4")


@pytest.mark.parametrize("key, cycle", [
    ("Tab", CYCLE[1:] + CYCLE[:1]),
    ("shift+Tab", list(reversed(CYCLE))),
])
def test_tab_walks_the_cycle_and_wraps(window, key, cycle):
    for expected in cycle:
        window.key(key)
        window.wait_focus(SAME_TEXT, expected)
    assert text(window, FIND) == "" and text(window, REPLACE) == ""  # no tab was typed anywhere


def test_esc_in_the_find_box_closes_the_window_only(window):
    window.click(SAME_TEXT, FIND)
    window.wait_focus(SAME_TEXT, FIND)
    window.key("Escape")
    window.wait_gone(SAME_TEXT)
    assert set(window.windows()) == {SELECTION}
    assert window.proc.poll() is None


def test_enter_in_a_box_starts_a_line_and_tab_types_nothing(window):
    for box, after_tab in [(FIND, REPLACE), (REPLACE, "按钮1")]:
        window.click(SAME_TEXT, box)
        window.wait_focus(SAME_TEXT, box)
        window.type("ab")
        window.key("Return")
        window.type("cd")
        wait_until(lambda: text(window, box) == "ab\r\ncd", what=f"two lines in {box} (now {text(window, box)!r})")
        window.key("Tab")
        window.wait_focus(SAME_TEXT, after_tab)
        assert text(window, box) == "ab\r\ncd"


def test_enter_on_buttons_and_the_list_clicks_and_moves_nothing(window):
    window.set_text(SAME_TEXT, FIND, "甲\r\n乙")
    window.set_text(SAME_TEXT, REPLACE, "丙\r\n丁")
    for name in CYCLE[:8]:
        window.wait_focus(SAME_TEXT, name)
        window.key("Return")
        window.key("Tab")  # handled after Enter: lands where Tab from `name` goes, so Enter moved nothing
    window.wait_focus(SAME_TEXT, FIND)
    assert text(window, FIND) == "甲\r\n乙" and text(window, REPLACE) == "丙\r\n丁"
    assert set(window.windows()) == {SELECTION, SAME_TEXT}


def test_documents_come_from_the_file_dialog_once_each(window, documents):
    expected = add_documents(window, documents)
    names = documents[1]
    # The dialog starts in the folder of the last pick; the same document again, its name in other case.
    pick_in_dialog(window, None, [names[1].upper()])
    wait_until(lambda: not foreground(window) and window.dump(SAME_TEXT)["enabled"] is False,
               what="the note about the duplicate")
    window.key("Return")
    wait_until(lambda: window.dump(SAME_TEXT)["enabled"], what="the note to close")
    assert items(window)[0] == expected


def test_delete_selected_and_clear_buttons(window, documents):
    a, b, c = add_documents(window, documents)
    window.click(SAME_TEXT, "按钮6")  # nothing selected: nothing happens
    assert items(window) == ([a, b, c], -1)
    window.select(SAME_TEXT, LIST, 1)
    for expected in [([a, c], 1), ([a], 0), ([], -1), ([], -1)]:
        window.click(SAME_TEXT, "按钮6")
        wait_until(lambda: items(window) == expected, what=f"{expected} (now {items(window)})")

    def fill():
        window.set_text(SAME_TEXT, FIND, "甲\r\n乙")
        window.set_text(SAME_TEXT, REPLACE, "丙\r\n丁")

    fill()
    window.click(SAME_TEXT, "按钮8")
    wait_until(lambda: text(window, FIND) == "", what="the find box to empty")
    assert text(window, REPLACE) == "丙\r\n丁"
    fill()
    window.click(SAME_TEXT, "按钮10")
    wait_until(lambda: text(window, REPLACE) == "", what="the replacement box to empty")
    assert text(window, FIND) == "甲\r\n乙"

    add_documents(window, documents)
    fill()
    window.click(SAME_TEXT, "按钮5")
    wait_until(lambda: items(window) == ([], -1), what="the list to empty")
    assert text(window, FIND) == "甲\r\n乙" and text(window, REPLACE) == "丙\r\n丁"

    add_documents(window, documents)
    window.click(SAME_TEXT, "按钮11")
    wait_until(lambda: items(window) == ([], -1) and text(window, FIND) == "" and text(window, REPLACE) == "",
               what="everything to empty")


def is_grey(p):
    r, g, b = p
    return abs(r - g) < 8 and abs(g - b) < 8 and 150 < r < 230


def test_colours_of_boxes_note_and_group_titles(window):
    window.set_text(SAME_TEXT, FIND, "蓝字黄底 WWWW")
    window.set_text(SAME_TEXT, REPLACE, "蓝字黄底 WWWW")
    assert window.focus(SAME_TEXT) == "按钮1"  # not in the boxes: no caret, no selection drawn
    d = window.dump(SAME_TEXT)
    by_name = {c["name"]: c for c in d["controls"]}
    for box in [FIND, REPLACE]:
        x, y, w, h = by_name[box]["rect"]
        seen = colours(x + 3, y + 3, w - 6, h - 6)
        assert YELLOW in seen and any(r < 60 and g < 60 and b > 200 for r, g, b in seen), box
    x, y, w, h = by_name["标签1"]["rect"]
    seen = colours(x, y, w, h)
    assert BLUE in seen and any(r > 200 and g < 60 and b < 60 for r, g, b in seen)
    assert not any(is_grey(p) for p in seen)
    for group in ["分组框1", "分组框2", "分组框3"]:
        x, y, w, h = by_name[group]["rect"]
        title = colours(x + 12, y, 80, 14)  # the title only, not the frame line
        assert any(r > 200 and g > 200 and b < 90 for r, g, b in title), group
        assert not any(is_grey(p) for p in title), group
    x, y, w, h = by_name["分组框1"]["rect"]
    assert colours(x + 3, y + 230 - 22, 290, 18) == {BLUE}  # left of 按钮8, below the box


def uncover_selection(app):
    """Drags this window, which covers the selection window, down by its title bar and activates the
    selection window."""
    r = app.dump(SAME_TEXT)["rect"]
    x, y = r[0] + 300, r[1] + 10
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1", "mousemove", "--sync",
                    str(x), str(y + 400), "mouseup", "1"], check=True)
    wait_until(lambda: app.dump(SAME_TEXT)["rect"][1] > 400, what="the window to move down")
    app.activate(SELECTION)


def test_either_window_closes_alone_and_the_last_ends_the_program(window):
    uncover_selection(window)
    window.wait_focus(SELECTION, "按钮1")
    window.key("Escape")
    window.wait_gone(SELECTION)
    assert set(window.windows()) == {SAME_TEXT}
    window.activate(SAME_TEXT)
    window.key("Escape")
    assert window.exit_code() == 0


def test_opening_again_keeps_the_one_window_and_its_contents(window, documents):
    expected = add_documents(window, documents)
    window.set_text(SAME_TEXT, FIND, "甲")
    window.click(SAME_TEXT, REPLACE)
    window.wait_focus(SAME_TEXT, REPLACE)
    hwnd = window.dump(SAME_TEXT)["hwnd"]
    uncover_selection(window)
    wait_until(lambda: not foreground(window), what="the selection window in front")
    window.click(SELECTION, "按钮1")
    wait_until(lambda: foreground(window), what="the same-text window in front again")
    assert [n for n in window.windows()].count(SAME_TEXT) == 1
    assert window.dump(SAME_TEXT)["hwnd"] == hwnd
    assert items(window)[0] == expected and text(window, FIND) == "甲"
    window.wait_focus(SAME_TEXT, REPLACE)  # the control that had the focus gets it back


def test_opening_again_restores_the_minimised_window(window):
    window.set_text(SAME_TEXT, FIND, "甲")
    x, y, w, _ = window.dump(SAME_TEXT)["rect"]
    window.click_at(x + w - 44, y + 11)  # the minimise box of the title bar
    wait_until(lambda: window.dump(SAME_TEXT)["iconic"], what="the window to be minimised")
    window.activate(SELECTION)
    window.click(SELECTION, "按钮1")
    wait_until(lambda: not window.dump(SAME_TEXT)["iconic"] and foreground(window), what="the window restored")
    assert window.dump(SAME_TEXT)["rect"] == [x, y, w, 541]
    assert text(window, FIND) == "甲"
