"""The wizard's windows under Wine: every page in each of its styles is made
from its template by the wizard's own functions (tests/wine/wizard_probe),
read back and compared with the geometry, identifiers and texts the pages
are built to, and photographed at 96 and 144 dpi into
build/test-artifacts/wizard/ with one contact sheet each. Then the pages are
used as a person would: the keyboard, the language list, the password and a
question box."""

import json
import pathlib
import shutil
import subprocess
import time

import pytest
from PIL import Image

import gui
import wine
from person import Person, example_installer

PROBE = wine.WIN32_DIR / "tests" / "wine" / "wizard_probe.exe"
SHOTS = wine.ARTIFACTS / "wizard"

STYLES = range(4)
PAGES = ["greeting", "language", "licence", "readme", "destination", "start-menu", "progress", "summary"]
PROMPTS = ["password", "must-uninstall", "support-offer"]

FULL_PAGE = (280, 202)
PAGE_SIZE = {("greeting", 2): (280, 152), ("progress", 0): (235, 97), ("progress", 2): (255, 123),
             ("summary", 0): (280, 114), "password": (269, 78), "must-uninstall": (269, 61),
             "support-offer": (269, 61), "progress-uninstall": (255, 123)}

# The look of each style: its own controls, in dialog units.
LOOK = {
    0: {},
    1: {1021: (4, 4, 86, 172)},
    2: {1032: (0, 0, 280, 26), 1034: (81, 4, 199, 8), 1035: (85, 14, 195, 8)},
    3: {1021: (0, 0, 90, 180), 1042: (90, 0, 194, 180)},
}
LOOK_IDS = {1021, 1032, 1034, 1035, 1042}

CONTROLS = {
    "greeting": {1009, 1040, 1001, 1003, 66},
    "language": {1009, 1017, 1001, 1003, 66},
    "licence": {1009, 1005, 1001, 1003, 66},
    "readme": {1009, 1005, 1001, 1003, 66},
    "destination": {1009, 1015, 1013, 1036, 1037, 1001, 1003, 66},
    "start-menu": {1009, 1015, 1013, 1001, 1003, 66},
    "progress": {1009, 1011, 1007, 1003, 66},
    "summary": {1009, 1023, 1025, 1027, 1029, 1001, 66},
    "password": {1009, 1039, 1019, 1001, 1003, 66},
    "must-uninstall": {1009, 1001, 1003, 66},
    "support-offer": {1009, 1001, 1003, 66},
}
CLASSES = {1005: "RichEdit20W", 1007: "msctls_progress32", 1015: "Edit", 1017: "ListBox", 1019: "Edit",
           1040: "SysLink", 1013: "Button", 1023: "Button", 1025: "Button", 1027: "Button", 1029: "Button"}

# Caption, body, forward and back-out texts by string number (None: no such
# button; a string: the template's own caption). The folder page's forward
# button says Next because the start-menu page follows in the probe's run.
TEXTS = {
    "greeting": (65, 1, 48, 49),
    "language": (94, 82, 48, 49),
    "licence": (44, 47, 45, 46),
    "readme": (50, 51, 48, 49),
    "destination": (24, 11, 48, 49),
    "start-menu": (89, 88, 90, 49),
    "progress": (54, 39, None, 49),
    "summary": (43, 42, 95, None),
    "password": (75, 76, "OK", 49),
    "must-uninstall": (21, 9, 104, 49),
    "support-offer": (110, 109, 110, 104),
    "progress-uninstall": (55, 71, None, 49),
}
INSTALLER_TITLE = 65
HEADER_TEXT = "Tessaline Demo 2.0"  # the probe's header text
WS_TABSTOP, WS_EX_CLIENTEDGE, ES_PASSWORD = 0x00010000, 0x00000200, 0x0020


def mul_div(value, base, divisor):
    return (value * base + divisor // 2) // divisor


def to_pixels(rect, base):
    x, y, w, h = rect
    return (mul_div(x, base[0], 4), mul_div(y, base[1], 8), mul_div(w, base[0], 4), mul_div(h, base[1], 8))


def read_events(out):
    path = out / "events.jsonl"
    return [json.loads(line) for line in path.read_text().splitlines()] if path.exists() else []


def wait_for(out, predicate, what, timeout=60.0, after=0):
    """The first event from number `after` on that the predicate accepts."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        for e in read_events(out)[after:]:
            if predicate(e):
                return e
        time.sleep(0.05)
    raise TimeoutError(f"the probe never reported {what}")


def windows_folder(path):
    return wine.windows_path(path)


@pytest.fixture(scope="module", autouse=True)
def unmanaged_probe():
    """The probe's windows are not handed to a window manager (there is
    none): Wine then hides each one at once instead of waiting for one."""
    key = r"HKCU\Software\Wine\AppDefaults\wizard_probe.exe\X11 Driver"
    subprocess.run(["wine", "reg", "add", key, "/v", "Managed", "/d", "N", "/f"], env=wine.ENV,
                   capture_output=True, timeout=60)
    yield


class Dpi:
    """The prefix's screen dpi for the programs started inside the block."""
    KEY = r"HKCU\Control Panel\Desktop"

    def __init__(self, dpi):
        self.dpi = dpi

    def __enter__(self):
        if self.dpi != 96:
            subprocess.run(["wine", "reg", "add", self.KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                            str(self.dpi), "/f"], env=wine.ENV, capture_output=True, timeout=60, check=True)

    def __exit__(self, *exc):
        if self.dpi != 96:
            subprocess.run(["wine", "reg", "delete", self.KEY, "/v", "LogPixels", "/f"], env=wine.ENV,
                           capture_output=True, timeout=60)


def shoot(window, path):
    """The window's rectangle of the screen, the pointer out of the way."""
    subprocess.run(["xdotool", "mousemove", "0", "0"], env=wine.display_env(), check=True)
    x, y, w, h = window["screen"]
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", str(path)],
                   env=wine.display_env(), check=True)


def contact_sheet(shots, path):
    subprocess.run(["montage", "-font", "/usr/share/wine/fonts/tahoma.ttf", "-label", "%t", "-pointsize", "12", "-background", "#808080", "-geometry", "+8+8",
                    "-tile", "4x", *("null:" if s is None else str(s) for s in shots), str(path)], check=True)


# The Greetings example carries pictures of its own; its pages and its
# uninstaller show them in place of the runtime's.
GREETINGS = wine.ROOT / "examples" / "greetings"
AUTHOR_SHOTS = wine.ARTIFACTS / "author-pictures"  # beside the probe's shots, which are made anew
RELEASE = r"C:\pictures-release"  # the uninstaller's first batch waits for it
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Greetings"


def covered(picture, width, height):
    """The picture scaled without distortion to cover the size, the overflow
    cut off evenly, as the pages show it."""
    scale = max(width / picture.width, height / picture.height)
    w, h = max(width, round(picture.width * scale)), max(height, round(picture.height * scale))
    big = picture.convert("RGB").resize((w, h), Image.BILINEAR)
    left, top = (w - width) // 2, (h - height) // 2
    return big.crop((left, top, left + width, top + height))


def mean_difference(a, b):
    """The mean difference of the colour channels of two pictures of one size."""
    pa, pb = a.convert("RGB").tobytes(), b.convert("RGB").tobytes()
    return sum(abs(x - y) for x, y in zip(pa, pb)) / len(pa)


def histogram_distance(a, b, bins=8):
    """How far apart the colour histograms of two pictures lie, 0 (alike)
    to 2 (nothing shared): colours counted in bins of 32 per channel."""
    def histogram(image):
        counts = {}
        data = image.convert("RGB").tobytes()
        for i in range(0, len(data), 3):
            key = (data[i] * bins // 256, data[i + 1] * bins // 256, data[i + 2] * bins // 256)
            counts[key] = counts.get(key, 0) + 1
        total = len(data) // 3
        return {k: v / total for k, v in counts.items()}
    ha, hb = histogram(a), histogram(b)
    return sum(abs(ha.get(k, 0) - hb.get(k, 0)) for k in set(ha) | set(hb))


def control_area(screen_shot, control, inset=2):
    """The control's part of a screenshot, without its edge."""
    x, y, w, h = control["screen"]
    return Image.open(screen_shot).crop((x + inset, y + inset, x + w - inset, y + h - inset))


@pytest.fixture(scope="module")
def author_pictures(tmp_path_factory):
    """The example's first page (the language page) in the styles with
    pictures, and its uninstaller's progress window, photographed; with the
    screen's part each picture control covers."""
    shutil.rmtree(AUTHOR_SHOTS, ignore_errors=True)
    for exe in ("GreetingsSetup.exe", "uninstall.exe"):
        gui.unmanaged(exe)
    shots = {}
    for style in ("side-picture", "header", "panel"):
        installer = example_installer(tmp_path_factory.mktemp(f"greetings-{style}"), "greetings",
                                      "GreetingsSetup.exe", wizard=f'style = "{style}"',
                                      without=('style = "panel"',))
        person = Person(installer)
        try:
            page = person.sees(lambda w: w.has(gui.LANGUAGES), f"language page {style}")
            time.sleep(0.3)  # the last paint reaches the display
            screen = gui.shoot_screen(tmp_path_factory.mktemp("screen") / "screen.png")
            gui.shoot(page, AUTHOR_SHOTS / f"language-{style}.png")
            shots[style] = (page, screen)
            gui.click(page, gui.BACK)
            person.exit_code()
        finally:
            person.stop()

    # Installed automatically (a silent installation would keep its
    # uninstaller silent too); removed by a person, the progress window held open
    # by the first batch of the removal until it has been photographed.
    wait = f"[batches]\npre_uninstall = '''\n:wait\nif not exist {RELEASE} goto wait\n'''\n"
    installer = example_installer(tmp_path_factory.mktemp("greetings-uninstall"), "greetings", "GreetingsSetup.exe",
                                  extra=wait, without=('password = "tessaline"',))  # no one types it
    release = wine.DRIVE_C / "pictures-release"
    release.unlink(missing_ok=True)
    assert wine.run(installer, raw="/a").returncode == 1
    remover = Person("uninstaller", "--remove", "Greetings")
    try:
        gui.click(remover.message("completely remove Greetings"), gui.IDYES)
        progress = remover.sees(lambda w: w.control(gui.PROGRESS_BAR) is not None, "uninstaller progress")
        time.sleep(0.5)
        screen = gui.shoot_screen(tmp_path_factory.mktemp("screen") / "screen.png")
        gui.shoot(progress, AUTHOR_SHOTS / "uninstaller-progress.png")
        shots["uninstaller"] = (progress, screen)
        release.touch()
        gui.click(remover.message("Greetings was successfully removed", timeout=120), gui.IDOK)
        remover.exit_code()
    finally:
        release.touch()
        remover.stop()
        release.unlink(missing_ok=True)
        if wine.reg_query(UNINSTALL_KEY) is not None:
            wine.reg_delete(UNINSTALL_KEY)
    return shots


def photographed_pages(dpi, tmp_path_factory, last_row=()):
    """Runs the probe through every page and returns (windows by name,
    strings). `last_row` adds shots of other programs to the contact sheet."""
    out = tmp_path_factory.mktemp(f"pages{dpi}")
    folder = SHOTS if dpi == 96 else SHOTS / f"{dpi}dpi"
    shutil.rmtree(folder, ignore_errors=True)
    windows = {}
    with Dpi(dpi):
        probe = wine.Background(PROBE, "pages", windows_folder(out), timeout=300)
        try:
            while True:
                ready = [e for e in read_events(out) if e["event"] == "ready" and e["name"] not in windows]
                if not ready:
                    if probe.proc.poll() is not None:
                        break
                    time.sleep(0.05)
                    continue
                for e in ready:
                    window = json.loads((out / f"{e['name']}.json").read_text())
                    windows[e["name"]] = window
                    time.sleep(0.2)  # the last paint reaches the display
                    shoot(window, folder / f"{e['name']}.png")
                    (out / f"{e['name']}.done").touch()
            run = probe.wait()
        finally:
            if probe.proc.poll() is None:
                probe.proc.kill()
    assert run.returncode == 0, run.stderr
    assert windows.pop("background")  # photographed before the first page
    shots = [folder / f"{page}-{style}.png" for page in PAGES for style in STYLES]
    shots += [folder / f"{name}.png" for name in PROMPTS + ["progress-uninstall"]]
    if last_row:  # on a row of its own
        shots += [None] * (-len(shots) % 4)
    contact_sheet(shots + list(last_row), folder / "contact-sheet.png")
    strings = json.loads((out / "strings.json").read_text())["0"]
    assert [e["any_case"] for e in read_events(out) if e["event"] == "templates"] == [True]
    return windows, strings


@pytest.fixture(scope="module")
def pages96(tmp_path_factory, author_pictures):
    row = [AUTHOR_SHOTS / f"language-{style}.png" for style in ("side-picture", "header", "panel")]
    return photographed_pages(96, tmp_path_factory, row + [AUTHOR_SHOTS / "uninstaller-progress.png"])


@pytest.fixture(scope="module")
def pages144(tmp_path_factory):
    return photographed_pages(144, tmp_path_factory)


def expected_size(page, style):
    return PAGE_SIZE.get((page, style), PAGE_SIZE.get(page, FULL_PAGE))


def by_id(window):
    return {c["id"]: c for c in window["controls"]}


def check_geometry(name, page, style, window):
    base = window["base"]
    controls = by_id(window)
    w, h = expected_size(page, style)
    grown = 0  # a prompt grows when its text needs more lines than it has
    if page in PROMPTS:
        grown = window["client"][3] - mul_div(h, base[1], 8)
        assert grown >= 0, name
    assert window["client"][2:] == [mul_div(w, base[0], 4), mul_div(h, base[1], 8) + grown], name

    if page in CONTROLS:
        wanted = CONTROLS[page] | set(LOOK[style] if style is not None else {})
        assert set(controls) == wanted, name
    for cid, rect in (LOOK[style] if style is not None else {}).items():
        assert tuple(controls[cid]["rect"]) == to_pixels(rect, base), (name, cid)
    for cid, cls in CLASSES.items():
        if cid in controls:
            assert controls[cid]["class"].lower() == cls.lower(), (name, cid)

    # The buttons: 78 x 13 at 116 and 198 on pages, 17 units above the
    # bottom; the small progress windows' single cancel button 75 x 12,
    # centred.
    forward, back = controls.get(1001), controls.get(1003)
    if page == "progress" and style in (0, 2) or name == "progress-uninstall":
        assert forward is None
        bx, by_, bw, bh = back["rect"]
        assert (bw, bh) == (mul_div(75, base[0], 4), mul_div(12, base[1], 8)), name
        assert abs((bx + bw / 2) - window["client"][2] / 2) <= 1, name
    elif style is not None:
        y = h - 17
        right = back or forward  # a page with one button has it at the right
        assert tuple(right["rect"]) == to_pixels((198, y, 78, 13), base), name
        if forward and back:
            assert tuple(forward["rect"]) == to_pixels((116, y, 78, 13), base), name
    else:  # the prompts, 269 wide: the pair ends 4 units from the edge
        moved = lambda r: (r[0], r[1] + grown, r[2], r[3])
        assert tuple(back["rect"]) == moved(to_pixels((187, h - 17, 78, 13), base)), name
        assert tuple(forward["rect"]) == moved(to_pixels((105, h - 17, 78, 13), base)), name

    # The etched line (the system draws it two pixels high, whatever the
    # template's one unit).
    sx, sy, sw, sh = controls[66]["rect"]
    assert sh <= 3 and sy + sh <= (back or forward)["rect"][1], name
    if h == 202:
        assert sy == mul_div(180, base[1], 8), name
    if style == 3:
        assert sx == 0 and abs(sw - mul_div(280, base[0], 4)) <= 2, name

    # Nothing leaves the window, nothing overlaps another control except
    # on the pictures, the band and the panel.
    cw, ch = window["client"][2:]
    shown = [c for c in window["controls"] if c["visible"] and c["id"] not in LOOK_IDS | {66}]
    for c in shown:
        x, y, cw_, ch_ = c["rect"]
        assert x >= 0 and y >= 0 and x + cw_ <= cw and y + ch_ <= ch, (name, c["id"])
    for i, a in enumerate(shown):
        for b in shown[i + 1:]:
            ax, ay, aw, ah = a["rect"]
            bx, by2, bw, bh = b["rect"]
            assert ax + aw <= bx or bx + bw <= ax or ay + ah <= by2 or by2 + bh <= ay, (name, a["id"], b["id"])


def check_texts(name, page, style, window, strings):
    controls = by_id(window)
    caption, body, forward, back = TEXTS[page if name != "progress-uninstall" else name]

    def text(n):
        return n if isinstance(n, str) else strings[str(n)]

    if name == "progress-uninstall":
        style = 2
    page_caption = text(caption)
    if page == "greeting" and style == 2:
        page_caption = text(103)
    if style == 2:
        assert window["caption"] == text(55 if name == "progress-uninstall" else INSTALLER_TITLE), name
        assert controls[1034]["text"] == HEADER_TEXT, name
        assert controls[1035]["text"] == page_caption, name
    else:
        assert window["caption"] == page_caption, name
    body_text = text(body)
    if page == "greeting" and style == 2:
        body_text = "\r\n\r\n" + body_text
    assert controls[1009]["text"] == body_text, name
    # The run shows images on its buttons: each caption gets a blank before it.
    for cid, n in ((1001, forward), (1003, back), (1013, 52)):
        if n is None or cid not in controls:
            continue
        assert controls[cid]["text"] == " " + text(n), (name, cid)
        assert controls[cid]["icon"], (name, cid)
    assert window["icon"], name  # the run's icons


def check_accessibility(name, window):
    for c in window["controls"]:
        if c["visible"] and c["enabled"] and c["style"] & WS_TABSTOP:
            assert c["name"].strip(), (name, c["id"], "has no accessible name")


def check_pictures(name, style, window):
    controls = by_id(window)
    for cid in (1021, 1032):
        if cid in controls:
            # Scaled to the control's exact size, from a picture covering it
            # without distortion.
            assert controls[cid]["image"] == controls[cid]["client"][2:], (name, cid)
    if 1021 in controls:
        sunken = bool(controls[1021]["exstyle"] & WS_EX_CLIENTEDGE)
        assert sunken == (style == 1), name  # the probe's frame option 3: sunken in style 1 only


def check_all(windows, strings, dpi):
    names = set(windows)
    expected = {f"{p}-{s}" for p in PAGES for s in STYLES} | set(PROMPTS) | {"progress-uninstall"}
    assert names == expected
    for name, window in windows.items():
        assert window["dpi"] == dpi
        if name == "greeting-0":
            continue  # the plain greeting is a message box
        assert window["font"]["height"] == -mul_div(10, dpi, 72), name  # 10 points
        if "-" in name and name.rsplit("-", 1)[1].isdigit():
            page, style = name.rsplit("-", 1)[0], int(name.rsplit("-", 1)[1])
        else:
            page, style = (name, None) if name in PROMPTS else ("progress", None)
        check_texts(name, page, style, window, strings)
        check_accessibility(name, window)
        if name == "progress-uninstall":
            check_geometry(name, "progress", 2, window)
            assert not by_id(window)[1003]["enabled"]  # no cancelling a removal
            continue
        check_geometry(name, page, style, window)
        if style is not None:
            check_pictures(name, style, window)


def test_every_page_in_every_style_at_96_dpi(pages96):
    windows, strings = pages96
    check_all(windows, strings, 96)


def test_every_page_in_every_style_at_144_dpi(pages96, pages144):
    windows, strings = pages144
    check_all(windows, strings, 144)
    # The pictures follow the dpi: half as large again as at 96 dpi.
    for name, cid in (("greeting-1", 1021), ("greeting-3", 1021), ("licence-2", 1032)):
        small, large = by_id(pages96[0][name])[cid]["image"], by_id(windows[name])[cid]["image"]
        assert large[0] >= 1.4 * small[0] and large[1] >= 1.4 * small[1], name


def test_plain_greeting_is_a_box_with_ok_and_cancel(pages96):
    windows, strings = pages96
    box = by_id(windows["greeting-0"])
    assert windows["greeting-0"]["caption"] == strings["65"]
    assert box[1]["text"] == " OK" and box[2]["text"] == " " + strings["49"]
    assert any(c["text"] == strings["1"] for c in windows["greeting-0"]["controls"])


def test_summary_shows_the_boxes_of_what_the_settings_name(pages96):
    # The probe names an application and a document, and asks for the log:
    # the folder's box is hidden and the others close up.
    windows, strings = pages96
    first = {0: (12, 32 + 7), 1: (98, 52), 2: (20, 78), 3: (98, 52)}
    for style in STYLES:
        window = windows[f"summary-{style}"]
        controls, base = by_id(window), window["base"]
        assert not controls[1023]["visible"] and not controls[1023]["checked"]
        x, y = first[style]
        for k, cid in enumerate([1025, 1029, 1027]):
            c = controls[cid]
            assert c["visible"]
            assert c["rect"][:2] == [mul_div(x, base[0], 4), mul_div(y + 14 * k, base[1], 8)], (style, cid)
            assert abs(c["rect"][2] - mul_div(275 - x, base[0], 4)) <= 1
            assert abs(c["rect"][3] - mul_div(9, base[1], 8)) <= 1
        assert controls[1025]["checked"] and not controls[1029]["checked"] and not controls[1027]["checked"]


def test_a_prompt_grows_with_its_text(pages96):
    windows, _ = pages96
    # The support offer's English text needs five lines: the prompt is
    # taller than its template, and the text ends above the line.
    offer = windows["support-offer"]
    body, line = by_id(offer)[1009]["rect"], by_id(offer)[66]["rect"]
    assert offer["client"][3] > mul_div(61, offer["base"][1], 8)
    assert body[3] >= 5 * (mul_div(8, offer["base"][1], 8) - 1) and body[1] + body[3] <= line[1]
    # The must-uninstall text fits: that prompt keeps its size.
    must = windows["must-uninstall"]
    assert must["client"][3] == mul_div(61, must["base"][1], 8)


def test_folder_page_shows_the_space(pages96):
    windows, strings = pages96
    controls = by_id(windows["destination-1"])
    assert controls[1036]["text"] == strings["92"] + " 12.3 MB"
    assert controls[1037]["text"].startswith(strings["93"] + " ")
    assert controls[1015]["limit"] == 259
    assert by_id(windows["password"])[1019]["limit"] == 64
    assert by_id(windows["password"])[1019]["style"] & ES_PASSWORD


def test_language_list_preselects_the_system_language(pages96):
    windows, _ = pages96
    languages = by_id(windows["language-1"])[1017]
    assert languages["items"] == ["\tEnglish", "\tDeutsch"]
    assert languages["selected"] == 0  # Wine's user interface speaks English


def test_greeting_link_points_to_the_address(pages96):
    windows, strings = pages96
    link = by_id(windows["greeting-1"])[1040]["text"]
    assert link == strings["105"].replace("<a>", '<a href="https://tessaline.example/">')


def run_interactive(mode, tmp_path):
    return wine.Background(PROBE, mode, windows_folder(tmp_path), timeout=120)


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "30", *keys], env=wine.display_env(), check=True)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "30", text], env=wine.display_env(), check=True)


def finish(probe):
    try:
        run = probe.wait(timeout=60)
    finally:
        if probe.proc.poll() is None:
            probe.proc.kill()
    assert run.returncode == 0, run.stderr


def test_language_page_retexts_itself_on_a_new_selection(tmp_path):
    probe = run_interactive("language", tmp_path)
    try:
        wait_for(tmp_path, lambda e: e["event"] == "ready", "the language page")
        wait_for(tmp_path, lambda e: e["event"] == "texts" and e["language"] == 0, "its English texts")
        key("Down")  # the focus is on the list
        german = wait_for(tmp_path, lambda e: e["event"] == "texts" and e["language"] == 1, "the German texts")
        assert german["caption"] == "Sprache w\u00e4hlen"
        assert german["body"] == "Bitte w\u00e4hlen Sie die Sprache der Installation:"
        assert (german["forward"], german["back"]) == (" Weiter", " Abbrechen")
        key("Return")
        result = wait_for(tmp_path, lambda e: e["event"] == "result", "the page's end")
        assert result["value"] is True and result["language"] == 1
    finally:
        finish(probe)


def test_password_is_compared_exactly_after_a_pause(tmp_path):
    probe = run_interactive("password", tmp_path)
    try:
        wait_for(tmp_path, lambda e: e["event"] == "ready", "the password page")
        typed("tessa-line")  # the right letters in the wrong case
        started = time.monotonic()
        key("Return")
        error = wine.wait_for_window("Error", timeout=30)
        assert time.monotonic() - started >= 0.5
        assert json.loads((tmp_path / "password.json").read_text())["focus"] == 1019
        key("Return")  # the error box's OK
        wait_gone(error, "Error")
        # The focus is back in the field, its text selected: typing replaces it.
        typed("Tessa-Line")
        key("Return")
        result = wait_for(tmp_path, lambda e: e["event"] == "result", "the page's end")
        assert result["value"] is True
    finally:
        finish(probe)


def wait_gone(window_id, title, timeout=30.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], capture_output=True,
                               env=wine.display_env()).stdout.decode().split()
        if window_id not in found:
            return
        time.sleep(0.05)
    raise TimeoutError(f"the box {title!r} stayed")


def test_progress_window_refuses_logoff_and_cancels_after_asking(tmp_path):
    probe = run_interactive("progress", tmp_path)
    try:
        wait_for(tmp_path, lambda e: e["event"] == "ready", "the progress window")
        assert wait_for(tmp_path, lambda e: e["event"] == "end-session", "the logoff answer")["allowed"] is False
        strings = json.loads((tmp_path / "strings.json").read_text())["0"]
        key("Escape")  # the Cancel button's question
        question = wine.wait_for_window(strings["20"])
        key("Right", "Return")  # No: the run goes on
        wait_gone(question, strings["20"])
        key("Escape")
        wine.wait_for_window(strings["20"])
        key("Return")  # Yes
        wine.wait_for_window(strings["111"])  # the canceled message
        key("Return")
        run = probe.wait(timeout=60)
        assert run.returncode == 1
    finally:
        if probe.proc.poll() is None:
            probe.proc.kill()


def test_question_box_has_the_runs_captions_and_images(tmp_path):
    probe = run_interactive("box", tmp_path)
    try:
        ready = wait_for(tmp_path, lambda e: e["event"] == "ready", "the question box")
        box = json.loads((tmp_path / "box.json").read_text())
        strings = json.loads((tmp_path / "strings.json").read_text())["0"]
        shoot(box, SHOTS / "question-box.png")
        assert ready["caption"] == strings["20"]
        buttons = by_id(box)
        assert buttons[6]["text"] == " " + strings["79"] and buttons[6]["icon"]  # Yes
        assert buttons[7]["text"] == " " + strings["80"] and buttons[7]["icon"]  # No
        assert box["icon"]
        # Centred over the background window, which covers the screen.
        x, y, w, h = box["screen"]
        assert abs((x + w / 2) - 640) <= 1
        key("Return")  # Yes is the default button
        result = wait_for(tmp_path, lambda e: e["event"] == "result", "the answer")
        assert result["value"] is True
    finally:
        finish(probe)


def test_pages_answer_the_keyboard(tmp_path):
    probe = run_interactive("keys", tmp_path)
    try:
        def ended(page):
            return wait_for(tmp_path, lambda e: e["event"] == "result" and e["page"] == page, f"the end of {page}")

        wait_for(tmp_path, lambda e: e.get("name") == "licence-escape", "the licence page")
        key("Escape")  # from inside the text: the decline button
        assert ended("licence-escape")["value"] == 1003
        wait_for(tmp_path, lambda e: e.get("name") == "licence-return", "the licence page again")
        key("Return")  # the default button, I Agree
        assert ended("licence-return")["value"] == 1001

        def state(page, **wanted):
            return wait_for(tmp_path, lambda e: e["event"] == "state" and e["name"] == page and
                            all(e[k] == v for k, v in wanted.items()), f"{page} with {wanted}")

        wait_for(tmp_path, lambda e: e.get("name") == "destination" and e["event"] == "ready", "the folder page")
        shown = state("destination", focus=1015)
        assert shown["available"].startswith("Space available: ")
        # Tab goes round: field, Browse, forward, back-out, field.
        for expected in [1013, 1001, 1003, 1015]:
            before = len(read_events(tmp_path))
            key("Tab")
            wait_for(tmp_path, lambda e: e["event"] == "state" and e["focus"] == expected, f"the focus on {expected}",
                     after=before)
        # The free space follows the text: a drive that does not exist has none.
        typed("Q:\\Nowhere")
        state("destination", available="")
        key("Escape")
        assert ended("destination")["value"] is False

        # The start-menu name disables the forward button while it is invalid.
        wait_for(tmp_path, lambda e: e.get("name") == "start-menu" and e["event"] == "ready", "the start-menu page")
        state("start-menu", focus=1015, forward=True)
        typed("Tessaline\\\\Tools")  # two backslashes in a row
        state("start-menu", forward=False)
        key("Left", "Left", "Left", "Left", "Left", "BackSpace")
        state("start-menu", forward=True)
        key("Return")
        assert ended("start-menu")["value"] is True
        assert wait_for(tmp_path, lambda e: e["event"] == "chosen", "the chosen folder")["folder"] == "Tessaline\\Tools"

        wait_for(tmp_path, lambda e: e.get("name") == "summary", "the summary")
        key("alt+v")  # "&View the installation log"
        key("Return")
        choices = ended("summary")["value"]
        assert choices == {"start_application": True, "open_folder": False, "open_document": False, "show_log": True}
    finally:
        finish(probe)


def picture_matches(screen, control, picture_file):
    """(mean difference, histogram distance) of the control's part of the
    screen from the picture scaled as the control shows it, and the
    histogram distance from the runtime's own picture of that place."""
    x, y, w, h = control["screen"]
    shown = control_area(screen, control)
    inset = (2, 2, w - 2, h - 2)
    expected = covered(Image.open(picture_file), w, h).crop(inset)
    own = covered(Image.open(wine.ROOT / "src" / "wizard" / "resources" / "art" / picture_file.name), w, h).crop(inset)
    return mean_difference(shown, expected), histogram_distance(shown, expected), histogram_distance(shown, own)


# Where the author's pictures show, and how close the screen comes to them
# (the header's texts lie on the band: a little further).
AUTHOR_PLACES = {
    "side-picture": (1021, "side.png", 3, 0.1),
    "panel": (1021, "side.png", 3, 0.1),
    "header": (1032, "header.png", 12, 0.4),
    "uninstaller": (1032, "header.png", 12, 0.4),
}


@pytest.mark.parametrize("window", AUTHOR_PLACES)
def test_the_authors_pictures_show_in_the_pages_and_in_the_uninstaller(author_pictures, window):
    cid, picture, most_difference, most_distance = AUTHOR_PLACES[window]
    page, screen = author_pictures[window]
    control = page.control(cid)
    assert control and control["visible"]
    difference, distance, from_own = picture_matches(screen, control, GREETINGS / picture)
    assert difference < most_difference and distance < most_distance, (difference, distance)
    assert from_own > 1.0, from_own  # not the runtime's own picture
