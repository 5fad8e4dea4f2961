"""Drives the running program over the accessibility bus (AT-SPI), as a
screen reader user would: python3 bus_test.py PID FILE

PID is the program, started with FILE on its command line. Opens the viewer
and reads FILE's text back through the Text interface, opens the encode
dialog through the menu, finds its password boxes by name, checks that a
password put into one cannot be read back, cancels the dialog and ends the
program with "Beenden". Exits 0 when every step held, 1 with
the reason otherwise. Every wait polls against a generous deadline.
"""
import sys
import time
import traceback

import pyatspi
from gi.repository import GLib

DEADLINE = 60.0  # seconds for any one step, even on a loaded machine
# How long one call on the bus may take (ms): a busy machine may answer
# slowly; an action that opens a modal window answers only when it closes.
QUERY_TIMEOUT_MS = 15000
ACTION_TIMEOUT_MS = 2000


class Failed(Exception):
    pass


def poll(what, probe, seconds=DEADLINE):
    """Calls probe() until it returns something true; returns that."""
    end = time.monotonic() + seconds
    last_error = None
    while True:
        try:
            found = probe()
            if found:
                return found
        except (GLib.Error, LookupError, RuntimeError) as error:
            # Objects come and go while windows open and close.
            last_error = error
        if time.monotonic() > end:
            reason = f"{what}: not within {seconds:.0f} s"
            if last_error is not None:
                reason += f" (last error: {last_error})"
            raise Failed(reason)
        time.sleep(0.2)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def find(root, predicate):
    """The first showing object under root (breadth first) that fits."""
    queue = [root]
    while queue:
        acc = queue.pop(0)
        if predicate(acc):
            return acc
        queue.extend(c for c in children(acc) if showing(c))
    return None


def windows(app):
    return [w for w in children(app) if showing(w)]


def window_named(app, name):
    return next((w for w in windows(app) if w.name == name), None)


def describe(app):
    """The showing windows and their named objects, for a failure report."""
    lines = []

    def walk(acc, depth):
        lines.append("  " * depth + f"{acc.getRoleName()} {acc.name!r}")
        for c in children(acc):
            if showing(c):
                walk(c, depth + 1)

    try:
        for w in windows(app) if app.getRole() == pyatspi.ROLE_APPLICATION else [app]:
            walk(w, 1)
    except GLib.Error as error:
        lines.append(f"  (tree not readable: {error})")
    return "\n".join(lines)


def wait_find(what, root, predicate):
    """Polls for the first showing object under root that fits; a window
    that has just appeared may not have all its controls on the bus yet."""
    try:
        return poll(what, lambda: find(root, predicate))
    except Failed as failure:
        raise Failed(f"{failure}\nshowing:\n{describe(root)}") from None


def text_of(acc):
    text = acc.queryText()
    count = text.characterCount
    return count, text.getText(0, count)


def press(acc, action_name):
    """Runs an object's action. The call may only return when a modal window
    it opens has closed again, so it is not waited for: the caller polls for
    the effect instead."""
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if action_name not in names:
        raise Failed(f"{acc.getRoleName()} {acc.name!r} offers no {action_name!r} (only {names})")
    pyatspi.setTimeout(ACTION_TIMEOUT_MS, QUERY_TIMEOUT_MS)
    try:
        action.doAction(names.index(action_name))
    except GLib.Error as error:
        if "reply" not in str(error).lower():
            raise
    finally:
        pyatspi.setTimeout(QUERY_TIMEOUT_MS, QUERY_TIMEOUT_MS)


def menu_item(app, main, path):
    """The menu item reached by its captions, e.g. ("Datei", "Beenden")."""
    acc = find(main, lambda a: a.getRole() == pyatspi.ROLE_MENU_BAR)
    if acc is None:
        raise Failed("the main window has no menu bar")
    for caption in path:
        # Items of a closed menu are not showing: walk the whole menu.
        queue, found = [acc], None
        while queue and found is None:
            a = queue.pop(0)
            if a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == caption:
                found = a
            else:
                queue.extend(children(a))
        if found is None:
            raise Failed(f"no menu item {caption!r} under {acc.name!r}")
        acc = found
    return acc


def run(pid, path):
    with open(path, "rb") as f:
        # A NUL byte is offered as U+FFFD: a string on the bus ends at NUL.
        content = f.read().decode("cp1252").replace("\0", "\ufffd")
    name = path.rsplit("/", 1)[-1]

    def application():
        return next((a for a in children(pyatspi.Registry.getDesktop(0)) if a.get_process_id() == pid), None)

    app = poll(f"the program (pid {pid}) on the accessibility bus", application)
    print(f"found the application {app.name!r}")

    # After the splash the main window shows the file named on the command
    # line, loaded as "ÖFFNEN" would.
    def main_window_with_file():
        for w in windows(app):
            box = find(w, lambda a: a.getRole() == pyatspi.ROLE_TEXT and a.name == "Dateiname")
            if box is not None and text_of(box)[1] == name:
                return w
        return None

    try:
        main = poll(f"the main window with {name!r} in its box named \"Dateiname\"", main_window_with_file)
    except Failed as failure:
        raise Failed(f"{failure}\nshowing:\n{describe(app)}")
    print(f"the main window shows {name!r}")

    # The viewer holds the file's text, one character per byte.
    press(menu_item(app, main, ("Zeigen", "Window")), "Press")
    viewer = poll("the viewer \"Window\"", lambda: window_named(app, "Window"))
    view = wait_find("the viewer's text named \"Dateiinhalt\"", viewer,
                     lambda a: a.name == "Dateiinhalt" and "Text" in a.get_interfaces())
    read = []

    def reads_the_file():
        read[:] = text_of(view)
        return read == [len(content), content]

    try:
        poll("the viewer's text to be the file's", reads_the_file)
    except Failed as failure:
        raise Failed(f"{failure}: it reads {read}, the file holds {len(content)} characters {content!r}") from None
    print(f"the viewer reads the file's {len(content)} characters ({view.getRoleName()})")
    press(wait_find("the viewer's menu item \"ABBRECHEN\"", viewer,
                    lambda a: a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == "ABBRECHEN"), "Press")
    poll("the viewer to close", lambda: window_named(app, "Window") is None)

    # "Code_An.." proposes the name in the file dialog; "ERSTELLEN" opens
    # the encode dialog.
    press(menu_item(app, main, ("Bearbeiten", "Code_An..")), "Press")

    def create_button():
        for w in windows(app):
            b = find(w, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == "ERSTELLEN")
            if b is not None:
                return w, b
        return None

    dialog, create = poll("the file dialog's button \"ERSTELLEN\"", create_button)
    # Its drop-down lists are read by their names, not by their entries.
    for label in ("Laufwerk", "Dateityp"):
        wait_find(f"the file dialog's drop-down list named {label!r}", dialog,
                  lambda a: a.getRole() == pyatspi.ROLE_COMBO_BOX and a.name == label)
    press(create, "Press")
    encode = poll("the encode dialog \"CODE_ON\"", lambda: window_named(app, "CODE_ON"))

    for label in ("Kennwort", "Kennwortbestätigung"):
        box = wait_find(f"the encode dialog's password box named {label!r}", encode,
                        lambda a: a.getRole() == pyatspi.ROLE_PASSWORD_TEXT and a.name == label)
        if not box.getState().contains(pyatspi.STATE_FOCUSABLE):
            raise Failed(f"the password box {label!r} cannot take the focus")
    print("the encode dialog's password boxes are \"Kennwort\" and \"Kennwortbestätigung\"")

    # A password typed in reaches the box but no one reading the bus.
    box = find(encode, lambda a: a.getRole() == pyatspi.ROLE_PASSWORD_TEXT and a.name == "Kennwort")
    box.queryEditableText().setTextContents("geheim")
    poll("the typed password to reach the box", lambda: box.queryText().characterCount == 6)
    if "geheim" in box.queryText().getText(0, -1) or "geheim" in box.name + box.description:
        raise Failed("the password box gives the typed password away")

    # Cancelling closes the whole chain.
    press(wait_find("the encode dialog's button \"ABBRECHEN\"", encode,
                    lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == "ABBRECHEN"), "Press")
    poll("the encode dialog and the file dialog to close", lambda: [w.name for w in windows(app)] == [main.name])

    press(menu_item(app, main, ("Datei", "Beenden")), "Press")
    print("chose \"Beenden\"")


def main():
    pid, path = int(sys.argv[1]), sys.argv[2]
    pyatspi.setTimeout(QUERY_TIMEOUT_MS, QUERY_TIMEOUT_MS)
    try:
        run(pid, path)
    except Failed as failure:
        print(f"bus test: {failure}", file=sys.stderr)
        return 1
    except GLib.Error as error:
        print(f"bus test: the accessibility bus failed: {error}", file=sys.stderr)
        return 1
    except Exception:  # an object that went away under a step, say
        traceback.print_exc()
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
