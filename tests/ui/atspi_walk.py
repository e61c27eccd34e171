#!/usr/bin/python3
"""What a screen reader sees of Varnel.

Starts the window program on a virtual X server inside a D-Bus session of its own, with
Qt's accessibility bridge on, adds two tracks through the window's own file dialog, opens
Track Properties (a click on a row, then Enter) and from it the Position Editor, then General
Settings from the Settings menu (Alt+S, G), the CD-Text editor from the Edit menu (Alt+E,
T) and Check disc from the File menu (Alt+F, C), and walks what AT-SPI shows of the main
window (its toolbar and capacity bar included) and the five dialogs. It fails on any control without a
meaningful name (empty, a bare arrow, or an internal control name), on any label whose
name is not its text, on buttons of one window that share a name, and on a track list
that does not expose its rows, cells and column headers.

Exit status: 0 when all holds, 1 on a finding or an error, 77 (skipped) only when the
virtual display or the session bus cannot be started at all.

  atspi_walk.py --varnel PATH
"""

import argparse
import math
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import wave

SKIP = 77
STARTED_MARK = "VARNEL_ATSPI_SESSION_STARTED"

# Roles whose objects a person works with, and that must therefore carry a name.
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "text", "password text",
    "entry", "combo box", "spin button", "slider", "table", "tree", "tree table",
    "progress bar", "menu item", "check menu item", "radio menu item", "page tab",
}
# A name that says nothing to a person: a control name of the program, or a bare arrow.
INTERNAL = re.compile(
    r"^[A-Z][A-Za-z0-9]*(Edit|Btn|btn|Ck|Chk|Cmb|Ud|Lbl|Gbx|Group|Gropu|Hdr|Panel[0-9]*|Bar|"
    r"Frm|Dlg|Label[0-9]*|Menu)$")
HEADERS = ["Track#", "File name", "Type", "Hidden track", "Length (Pregap)", "Emphasis",
           "Digital copy", "ISRC", "Path"]

findings = []


def finding(text):
    findings.append(text)
    print("FINDING: " + text, flush=True)


def wait_for(fn, timeout, step=0.1):
    end = time.monotonic() + timeout
    while True:
        try:
            value = fn()
        except Exception:  # the tree changes under our feet while windows come and go
            value = None
        if value:
            return value
        if time.monotonic() > end:
            return None
        time.sleep(step)


# ---- the outer run: a D-Bus session of our own -----------------------------------------

def outer(args):
    for tool in ("Xvfb", "dbus-run-session", "xdotool", "xdpyinfo"):
        if shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
            return SKIP
    env = dict(os.environ)
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    env.pop("AT_SPI_BUS_ADDRESS", None)
    marker = tempfile.NamedTemporaryFile(prefix="atspi-", delete=False)
    marker.close()
    os.unlink(marker.name)
    env[STARTED_MARK] = marker.name
    cmd = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner"]
    cmd += ["--varnel", args.varnel]
    try:
        rc = subprocess.call(cmd, env=env, timeout=110)
    except subprocess.TimeoutExpired:
        print("the walk did not end within 110 s")
        return 1
    started = os.path.exists(marker.name)
    if started:
        os.unlink(marker.name)
    if not started:
        print("skipped: the D-Bus session could not be started (exit %d)" % rc)
        return SKIP
    return rc


# ---- the inner run: display, program, walk ---------------------------------------------

def start_display():
    """A virtual X server on a free display; its number, or None."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    end = time.monotonic() + 10
    os.set_blocking(read_end, False)
    while time.monotonic() < end and not number.endswith(b"\n"):
        try:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        except BlockingIOError:
            if xvfb.poll() is not None:
                break
            time.sleep(0.05)
    os.close(read_end)
    if not number.strip():
        xvfb.kill()
        return None, None
    display = ":" + number.decode().strip()
    ok = wait_for(lambda: subprocess.call(["xdpyinfo", "-display", display],
                                          stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL) == 0, 10)
    if not ok:
        xvfb.kill()
        return None, None
    return xvfb, display


def write_tone(path, seconds):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        frames = bytearray()
        for i in range(44100 * seconds):
            v = int(6000 * math.sin(i * 2 * math.pi * 440 / 44100))
            frames += struct.pack("<hh", v, v)
        w.writeframes(bytes(frames))


def children(o):
    try:
        return [o.getChildAtIndex(i) for i in range(o.childCount)]
    except Exception:
        return []


def find(o, pred, depth=0):
    if o is None or depth > 30:
        return None
    try:
        if pred(o):
            return o
    except Exception:
        return None
    for c in children(o):
        r = find(c, pred, depth + 1)
        if r is not None:
            return r
    return None


def role(o):
    return o.getRoleName()


def top_window(app, name, roles=("frame", "dialog")):
    """The window of that title on the screen (hidden dialogs stay in the tree)."""
    import pyatspi
    for w in children(app):
        if w is not None and role(w) in roles and w.name == name and \
                w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def check_window(window, title, shown_texts=()):
    """The naming rules over one window; returns the controls seen as (role, name).

    `shown_texts` are texts that labels of the window show now (the changing ones): each
    must be read as such, not as a fixed or stale name."""
    seen = []
    buttons = {}
    labels = []

    def walk(o, depth, in_combo):
        if o is None or depth > 30:
            return
        r = role(o)
        name = o.name or ""
        if r in CONTROL_ROLES and not (r == "text" and in_combo):
            seen.append((r, name))
            if not name.strip():
                finding("%s: a %s without a name" % (title, r))
            elif name.strip() in ("Up", "Down") or INTERNAL.match(name.strip()):
                finding("%s: a %s named by an internal name %r" % (title, r, name))
            if r == "push button":
                buttons[name] = buttons.get(name, 0) + 1
        if r == "label":
            labels.append(name)
            if INTERNAL.match(name.strip()):
                finding("%s: a label reads as the internal name %r" % (title, name))
            try:
                text = o.queryText().getText(0, -1)
            except NotImplementedError:
                text = None
            if text is not None and text != name:
                finding("%s: a label shows %r but reads as %r" % (title, text, name))
        if r in ("table", "tree", "tree table"):
            return  # rows and cells are checked on their own
        for c in children(o):
            walk(c, depth + 1, in_combo or r == "combo box")

    walk(window, 0, False)
    for text in shown_texts:
        if text not in labels:
            finding("%s: no label reads as what it shows, %r (labels read %r)"
                    % (title, text, labels))
    for name, count in buttons.items():
        if count > 1:
            finding("%s: %d buttons share the name %r" % (title, count, name))
    return seen


def check_track_list(window, files):
    tree = find(window, lambda o: role(o) in ("tree", "tree table", "table") and
                o.name == "Track list")
    if tree is None:
        finding("main window: no track list among the controls")
        return None
    table = tree.queryTable()
    headers = []
    for c in range(table.nColumns):
        h = table.getColumnHeader(c)
        headers.append(h.name if h is not None else None)
    if headers != HEADERS:
        finding("track list: column headers %r, not %r" % (headers, HEADERS))
    if table.nRows != len(files):
        finding("track list: %d rows for %d tracks" % (table.nRows, len(files)))
    for r, f in enumerate(files[:table.nRows]):
        cells = [table.getAccessibleAt(r, c).name for c in range(table.nColumns)]
        if cells[0] != str(r + 1) or cells[1] != f or cells[2] != "WAVE" or \
                not cells[8].endswith("/" + f):
            finding("track list: row %d reads %r" % (r, cells))
    return tree


def inner(args):
    mark = os.environ.get(STARTED_MARK)
    if mark:
        open(mark, "w").close()
    xvfb, display = start_display()
    if xvfb is None:
        print("skipped: the virtual X server could not be started")
        return SKIP
    work = tempfile.mkdtemp(prefix="varnel-atspi-")
    program = None
    try:
        os.environ["DISPLAY"] = display
        import pyatspi  # after the session bus exists

        # The program runs from a folder of its own, so its settings file is the one below.
        os.makedirs(os.path.join(work, "bin"))
        os.makedirs(os.path.join(work, "cd"))
        shutil.copy(args.varnel, os.path.join(work, "bin", "varnel"))
        cd = os.path.join(work, "cd")
        with open(os.path.join(work, "bin", "varnel.ini"), "w", newline="") as ini:
            ini.write("[Form]\r\nTop=0\r\nLeft=0\r\nWidth=900\r\nHeight=560\r\n"
                      "[Path]\r\nWorkDir=%s\r\nWaveFileDir=%s\r\n" % (cd, cd))
        files = ["one.wav", "two.wav"]
        for f in files:
            write_tone(os.path.join(cd, f), 3)

        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1", ASAN_OPTIONS="detect_leaks=0")
        program = subprocess.Popen([os.path.join(work, "bin", "varnel")], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

        def application():
            desktop = pyatspi.Registry.getDesktop(0)
            for a in children(desktop):
                if a is not None and a.name == "Varnel":
                    return a
            return None

        app = wait_for(application, 30, 0.2)
        if app is None:
            finding("the program never appeared to assistive tools")
            return 1
        main = wait_for(lambda: top_window(app, "Varnel"), 15)
        if main is None:
            finding("no main window titled Varnel")
            return 1

        # Two tracks through the window's own file dialog.
        add = find(main, lambda o: role(o) == "push button" and o.name == "Add audio files")
        if add is None:
            finding("main window: no button named 'Add audio files'")
            return 1
        add.queryAction().doAction(0)
        opener = wait_for(lambda: top_window(app, "Open", ("dialog", "file chooser")), 15)
        if opener is None:
            finding("the audio file dialog did not come up")
            return 1
        name_field = wait_for(lambda: find(opener, lambda o: role(o) == "text" and
                                           o.name == "File name:"), 5)
        name_field.queryEditableText().setTextContents(" ".join('"%s"' % f for f in files))
        find(opener, lambda o: role(o) == "push button" and o.name == "Open").queryAction() \
            .doAction(0)
        def rows():
            tree = find(main, lambda o: role(o) in ("tree", "tree table", "table"))
            return tree is not None and tree.queryTable().nRows == len(files)

        if not wait_for(lambda: top_window(app, "Open", ("dialog", "file chooser")) is None and
                        rows(), 15):
            finding("the two tracks did not arrive")
            return 1

        # Two tracks of 3 s with 2-second pre-gaps: 10 s, 1 764 000 bytes.
        seen = check_window(main, "main window",
                            (" Total: 02 tracks", " 002MB", " 00:10:00", " Audio disc"))
        # The toolbar's buttons read as their commands; the capacity bar as what it measures,
        # its text (time used and left) as its description.
        for wanted in ("Add files", "Remove", "Move up", "Move down", "Properties", "Check disc",
                       "Make", "Burn"):
            if ("push button", wanted) not in seen:
                finding("main window: no toolbar button named %r" % wanted)
        bar = find(main, lambda o: role(o) == "progress bar")
        if bar is None or bar.name != "Disc capacity":
            finding("main window: no progress bar named 'Disc capacity'")
        elif bar.description != "0:10 of 80:00 \u2014 79:50 left":
            finding("capacity bar: described as %r" % bar.description)
        if ("push button", "Medium: 80-minute disc") not in seen:
            finding("main window: the capacity bar's medium button does not say the medium")
        tree = check_track_list(main, files)

        # Track Properties: a click on the first row, then Enter.
        table = tree.queryTable()
        cell = table.getAccessibleAt(0, 1)
        x, y, w, h = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        window_id = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                    "Varnel$"], capture_output=True, text=True,
                                   timeout=10).stdout.split()
        if window_id:
            subprocess.call(["xdotool", "windowfocus", "--sync", window_id[0]], timeout=10)
        subprocess.call(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + h // 2),
                         "click", "1"], timeout=10)
        time.sleep(0.3)
        subprocess.call(["xdotool", "key", "Return"], timeout=10)
        props = wait_for(lambda: top_window(app, "Track Properties", ("dialog",)), 15)
        if props is None:
            finding("Enter on a track row did not open Track Properties")
            return 1
        check_window(props, "Track Properties")

        # The Position Editor from Track Properties.
        positions = wait_for(lambda: find(props, lambda o: role(o) == "push button" and
                                          o.name == "Positions in the track file"), 5)
        if positions is None:
            finding("Track Properties: no button named 'Positions in the track file'")
            return 1
        positions.queryAction().doAction(0)
        editor = wait_for(lambda: top_window(app, "Position Editor", ("dialog",)), 15)
        if editor is None:
            finding("the Position Editor did not come up")
            return 1
        wait_for(lambda: find(editor, lambda o: role(o) == "label" and o.name == "00:03"), 5)
        # The file's length, 3 s, is a label that changes with the file.
        seen = check_window(editor, "Position Editor", ("00:03",))
        for wanted in (("text", "Cursor:"), ("push button", "Track start up"),
                       ("slider", "Position in seconds")):
            if wanted not in seen:
                finding("Position Editor: no %s named %r" % wanted)

        def open_from_menu(menu_key, item_key, title):
            """The dialog `title`, opened from the main window's menus by their access keys."""
            if window_id:
                subprocess.call(["xdotool", "windowfocus", "--sync", window_id[0]], timeout=10)
            subprocess.call(["xdotool", "key", menu_key], timeout=10)
            time.sleep(0.3)
            subprocess.call(["xdotool", "key", item_key], timeout=10)
            return wait_for(lambda: top_window(app, title, ("dialog",)), 15)

        def close_with(dialog, title, button):
            """Presses `button` of `dialog`: a finding unless there is one and it closes it."""
            pressed = find(dialog, lambda o: role(o) == "push button" and o.name == button)
            if pressed is None:
                finding("%s: no push button named %r" % (title, button))
                return
            pressed.queryAction().doAction(0)
            if not wait_for(lambda: top_window(app, title, ("dialog",)) is None, 10):
                finding("%s did not close on %s" % (title, button))

        close_with(editor, "Position Editor", "Cancel")
        close_with(props, "Track Properties", "Cancel")

        # General Settings from the menu, by its keys; the TOC check box reads as its caption.
        general = open_from_menu("alt+s", "g", "General Settings")
        if general is None:
            finding("Alt+S, G did not open General Settings")
            return 1
        seen = check_window(general, "General Settings")
        for wanted in (("check box", "Also write a TOC file for cdrdao"),
                       ("check box", "Specify image files in relative filename"),
                       ("check box", "Check the disc before making")):
            if wanted not in seen:
                finding("General Settings: no %s named %r" % wanted)
        close_with(general, "General Settings", "Cancel")

        # The CD-Text editor from the Edit menu (Alt+E, T): its table, buttons and boxes read
        # as what they are; Cancel closes it.
        cdtext = open_from_menu("alt+e", "t", "CD-Text")
        if cdtext is None:
            finding("Alt+E, T did not open the CD-Text editor")
            return 1
        seen = check_window(cdtext, "CD-Text", ("0 of 256 packs",))
        for wanted in (("table", "CD-Text"), ("push button", "Fill from tags"),
                       ("push button", "Open a .cdt file\u2026"),
                       ("check box", "Overwrite typed text")):
            if wanted not in seen:
                finding("CD-Text: no %s named %r" % wanted)
        table = find(cdtext, lambda o: role(o) in ("table", "tree table") and o.name == "CD-Text")
        if table is not None:
            t = table.queryTable()
            if t.nRows != 3 or t.nColumns != 6:
                finding("CD-Text: the table has %d rows and %d columns, not 3 and 6"
                        % (t.nRows, t.nColumns))
            elif t.getColumnDescription(0) != "Title" or t.getRowDescription(0) != "Disc":
                finding("CD-Text: headers read %r and %r" % (t.getColumnDescription(0),
                                                             t.getRowDescription(0)))
        close_with(cdtext, "CD-Text", "Cancel")

        # Check disc from the File menu (Alt+F, C): the findings list and Close read as such.
        check = open_from_menu("alt+f", "c", "Check disc")
        if check is None:
            finding("Alt+F, C did not open Check disc")
            return 1
        check_window(check, "Check disc")
        if find(check, lambda o: o.name == "Findings" and role(o) in ("tree", "tree table", "table",
                                                                       "list")) is None:
            finding("Check disc: no list named 'Findings'")
        close_with(check, "Check disc", "Close")

        # Burn from the File menu (Alt+F, U): the choices read as their captions, the combo
        # boxes as their choice (their caption is their label relation, as on every Linux
        # desktop); without a CD writer the disc line says why nothing is read.
        burn = open_from_menu("alt+f", "u", "Burn")
        if burn is None:
            finding("Alt+F, U did not open Burn")
            return 1
        seen = check_window(burn, "Burn", ("No drive to read a disc in.",))
        for wanted in (("combo box", "No CD writer found."), ("combo box", "Drive's best"),
                       ("push button", "Refresh the drives"), ("check box", "Simulate first"),
                       ("check box", "Eject when done"),
                       ("check box", "Blank a rewritable disc first")):
            if wanted not in seen:
                finding("Burn: no %s named %r" % wanted)
        close_with(burn, "Burn", "Cancel")
        print("walked: main window, Track Properties, Position Editor, General Settings, CD-Text, "
              "Check disc, Burn; "
              "%d findings" % len(findings))
        return 1 if findings else 0
    finally:
        if program is not None and program.poll() is None:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                program.kill()
        xvfb.terminate()
        try:
            xvfb.wait(timeout=5)
        except subprocess.TimeoutExpired:
            xvfb.kill()
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--varnel", required=True)
    parser.add_argument("--inner", action="store_true")
    args = parser.parse_args()
    if args.inner:
        return inner(args)
    return outer(args)


if __name__ == "__main__":
    sys.exit(main())
