#!/usr/bin/python3
"""What assistive technology reads from the program over AT-SPI, through a whole
lookup done with the accessibility actions alone.

    atspi_tree.py PROGRAM

Starts PROGRAM in a scratch folder that holds a small a.txt, presses the picture
button through its accessible action, answers the prompt and the message box
through theirs, then checks the names and states of the lists, the translation
label and the selected headword, and quits through the quit button's action.
Needs an X display and a session bus (run_on_x11.sh --dbus provides both).
Exits 0 when every check holds, 1 otherwise.
"""
import os
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
except ImportError:
    print("SKIPPED: python3-pyatspi is not installed; scripts/setup.sh installs it.")
    sys.exit(77)

TIMEOUT = 15.0
failures = []


def check(condition, what):
    print(("PASS   : " if condition else "FAIL!  : ") + what)
    if not condition:
        failures.append(what)
    return condition


def wait_for(find, what):
    """Polls find() until it returns something, for at most TIMEOUT seconds."""
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def descendants(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find(node, role, name=None):
    for child in descendants(node):
        if child.getRole() == role and (name is None or child.name == name):
            return child
    return None


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    check("Press" in names, f"'{node.name}' offers the press action (has {names})")
    action.doAction(names.index("Press"))


def dialog_named(app, title):
    """A prompt or message box of the program, by its title."""
    return next((w for w in app if w.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT) and w.name == title), None)


def main():
    program = sys.argv[1]
    folder = tempfile.mkdtemp()
    with open(os.path.join(folder, "a.txt"), "w", encoding="utf-8") as f:
        f.write("apple,pomme\napricot,abricot\naxe,hache\n")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    process = subprocess.Popen([program], cwd=folder, env=env)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait_for(lambda: next((a for a in desktop if a is not None and a.name == "lexorra"), None),
                       "the program on the accessibility bus")
        window = wait_for(lambda: next((w for w in app if w.name == "Lexorra"), None), "the main window")
        picture = wait_for(lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, "Translate a word"), "the picture button")

        press(picture)
        prompt = wait_for(lambda: dialog_named(app, " Lexorra."), "the prompt")
        field = wait_for(lambda: find(prompt, pyatspi.ROLE_TEXT), "the prompt's input field")
        field.queryEditableText().setTextContents("apricot")
        press(wait_for(lambda: find(prompt, pyatspi.ROLE_PUSH_BUTTON, "OK"), "the prompt's OK button"))

        box = wait_for(lambda: dialog_named(app, "Apricot"), "the box titled Apricot")
        check(find(box, pyatspi.ROLE_LABEL, "Abricot") is not None, "the box reads 'Abricot'")
        press(wait_for(lambda: find(box, pyatspi.ROLE_PUSH_BUTTON, "OK"), "the box's OK button"))
        wait_for(lambda: dialog_named(app, "Apricot") is None or None, "the box to close")

        headwords = find(window, pyatspi.ROLE_LIST, "Headwords")
        if check(headwords is not None, "a list named 'Headwords'"):
            wait_for(lambda: headwords.childCount == 3, "three headwords")
            items = [headwords.getChildAtIndex(i) for i in range(headwords.childCount)]
            check([i.name for i in items] == ["apple", "apricot", "axe"], "the headwords in file order")
            selected = [i.name for i in items if i.getState().contains(pyatspi.STATE_SELECTED)]
            check(selected == ["apricot"], f"'apricot' is the selected headword (selected: {selected})")
            check(headwords.getState().contains(pyatspi.STATE_SHOWING), "the headword list is showing")
        translations = find(window, pyatspi.ROLE_LIST, "Translations")
        if check(translations is not None, "a list named 'Translations'"):
            check(not translations.getState().contains(pyatspi.STATE_SHOWING), "the translation list is hidden")
        label = next((c for c in descendants(window)
                      if c.getRole() == pyatspi.ROLE_LABEL and c.description == "Translation"), None)
        if check(label is not None, "a label described as 'Translation'"):
            check(label.name == "Abricot", f"the translation label reads 'Abricot' (reads '{label.name}')")

        press(find(window, pyatspi.ROLE_PUSH_BUTTON, "qUit"))
        check(process.wait(timeout=TIMEOUT) == 0, "the quit button's action ends the program with status 0")
    except AssertionError as error:
        check(False, str(error))
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    print(f"Totals: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
