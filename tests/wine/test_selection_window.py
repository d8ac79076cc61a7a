"""窗口_选择方式 through real input: geometry, focus, Tab and arrows, clicks, Esc, colours."""
import pytest

from conftest import SELECTION, colours, wait_until

BLUE = (0, 136, 255)
YELLOW = (255, 255, 0)
TEXT_BLUE = (0, 0, 255)


def checks(app):
    d = app.dump(SELECTION)
    return {c["name"]: c.get("checked") for c in d["controls"] if c["name"].startswith("单选框")}


def test_opens_centred_with_mode_two_checked_and_focused(app):
    d = app.dump(SELECTION)
    assert d["rect"] == [310, 284, 403, 200]
    assert d["title"] == "Velmora-选择替换方式："
    assert checks(app) == {"单选框1": False, "单选框2": True}
    assert d["focus"] == "单选框2"
    assert [c["name"] for c in d["controls"] if c["class"] == "Button"][:3] == ["按钮1", "单选框2", "单选框1"]


@pytest.mark.parametrize("key, cycle", [
    ("Tab", ["按钮1", "单选框1", "单选框2", "按钮1"]),
    ("shift+Tab", ["单选框1", "按钮1", "单选框2", "单选框1"]),
])
def test_tab_cycle(app, key, cycle):
    app.activate(SELECTION)
    app.wait_focus(SELECTION, "单选框2")
    for expected in cycle:
        app.key(key)
        app.wait_focus(SELECTION, expected)
    assert checks(app) == {"单选框1": False, "单选框2": True}  # Tab moves focus, never the check


@pytest.mark.parametrize("key", ["Down", "Right", "Up", "Left"])
def test_arrow_keys_move_focus_and_check_within_the_group_and_wrap(app, key):
    app.activate(SELECTION)
    app.wait_focus(SELECTION, "单选框2")
    app.key(key)
    app.wait_focus(SELECTION, "单选框1")
    assert checks(app) == {"单选框1": True, "单选框2": False}
    app.key(key)
    app.wait_focus(SELECTION, "单选框2")
    assert checks(app) == {"单选框1": False, "单选框2": True}


def test_enter_changes_nothing(app):
    app.activate(SELECTION)
    app.wait_focus(SELECTION, "单选框2")
    for focus, after_tab in [("单选框2", "按钮1"), ("按钮1", "单选框1")]:
        assert app.focus(SELECTION) == focus
        app.key("Return")
        app.key("Tab")  # handled after Enter: lands where Tab from `focus` goes, so Enter moved nothing
        app.wait_focus(SELECTION, after_tab)
        assert checks(app) == {"单选框1": False, "单选框2": True}
        assert set(app.windows()) == {SELECTION}  # Enter clicked no button


def test_clicks_keep_exactly_one_radio_box_checked(app):
    for name, expected in [("单选框1", (True, False)), ("单选框1", (True, False)), ("单选框2", (False, True)),
                           ("单选框2", (False, True)), ("单选框1", (True, False))]:
        app.click(SELECTION, name)
        wait_until(lambda: (checks(app)["单选框1"], checks(app)["单选框2"]) == expected, what=f"{expected}")


def test_esc_closes_and_the_program_exits_with_zero(app):
    app.activate(SELECTION)
    app.wait_focus(SELECTION, "单选框2")
    app.key("Escape")
    assert app.exit_code() == 0


def test_alt_f4_ends_the_program_with_zero(app):
    app.activate(SELECTION)
    app.key("alt+F4")
    assert app.exit_code() == 0


def test_backgrounds_are_the_window_blue_with_coloured_texts(app):
    d = app.dump(SELECTION)
    by_name = {c["name"]: c for c in d["controls"]}
    for label in ["标签1", "标签2"]:
        x, y, w, h = by_name[label]["rect"]
        seen = colours(x, y, w, h)
        assert BLUE in seen and any(abs(r - 255) < 40 and abs(g - 255) < 40 and b < 90 for r, g, b in seen), label
        assert not any(abs(r - g) < 8 and abs(g - b) < 8 and 150 < r < 230 for r, g, b in seen), label  # no grey
    for radio in ["单选框1", "单选框2"]:
        x, y, w, h = by_name[radio]["rect"]
        seen = colours(x + 16, y, w - 16, h)
        assert BLUE in seen and any(r < 60 and g < 60 and b > 200 for r, g, b in seen), radio
        assert not any(abs(r - g) < 8 and abs(g - b) < 8 and 150 < r < 230 for r, g, b in seen), radio
    for group in ["分组框1", "分组框2"]:
        x, y, w, h = by_name[group]["rect"]
        inside = colours(x + 4, y + 30, 20, h - 36)
        assert inside == {BLUE}, group


@pytest.mark.parametrize("mode_one, opened", [(False, "窗口_分别替换"), (True, "窗口_相同替换")])
def test_space_on_the_button_opens_the_checked_mode_and_a_second_click_only_activates(app, mode_one, opened):
    app.activate(SELECTION)
    app.wait_focus(SELECTION, "单选框2")
    if mode_one:
        app.key("Down")
        wait_until(lambda: checks(app)["单选框1"], what="mode one checked")
    app.key("Tab" if not mode_one else "shift+Tab")
    app.wait_focus(SELECTION, "按钮1")
    app.key("space")
    app.wait_window(opened)
    assert set(app.windows()) == {SELECTION, opened}
    app.click(SELECTION, "按钮1")
    wait_until(lambda: app.dump(opened)["foreground"], what=f"{opened} in front")
    assert len([w for w in app.inspector.command("windows") if w["name"] == opened]) == 1
