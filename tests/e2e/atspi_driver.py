"""Drives the real kvelmar2 as a player would, through the accessibility
interface (AT-SPI): windows and controls are found by the captions they show."""

import os
import subprocess
import sys
import time

import pyatspi


class Failure(Exception):
    pass


def re_escape(s):
    return "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in s)


def log(*args):
    print(*args, flush=True)


def until(cond, timeout, failure, step=0.2):
    """The first true value of cond() within timeout seconds."""
    end = time.monotonic() + timeout
    while not (got := cond()):
        if time.monotonic() > end:
            raise Failure(failure)
        time.sleep(step)
    return got


def act(node, prefer):
    """Does the node's first action named in prefer, or else its first one."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(next((names.index(w) for w in prefer if w in names), 0))


class Game:
    def __init__(self, binary, home, extra_env=None):
        env = dict(os.environ)
        env.update({
            "KVELMAR2_HOME": home,
            "ALSOFT_DRIVERS": "null",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
        })
        env.update(extra_env or {})
        self.started = time.monotonic()
        self.proc = subprocess.Popen([binary], env=env)
        self._app = None

    def app(self, timeout=20):
        def find():
            if self.proc.poll() is not None:
                raise Failure("the game ended early with code %s" % self.proc.returncode)
            desktop = pyatspi.Registry.getDesktop(0)
            apps = map(desktop.getChildAtIndex, range(desktop.childCount))
            return next((a for a in apps
                         if a is not None and a.name == "kvelmar2" and self._ours(a)), None)

        self._app = until(find, timeout, "the game never showed up in the accessibility tree")
        return self._app

    def _ours(self, a):
        # Several games may share the desktop: each script drives its own.
        try:
            return a.get_process_id() == self.proc.pid
        except Exception:
            return True

    def nodes(self):
        """Every showing node of the game, breadth first."""
        app = self._app or self.app()
        todo = [app]
        while todo:
            n = todo.pop(0)
            try:
                showing = n.getState().contains(pyatspi.STATE_SHOWING)
                count = n.childCount
            except Exception:
                continue
            if n is not app and not showing:
                continue
            yield n
            for i in range(count):
                c = n.getChildAtIndex(i)
                if c is not None:
                    todo.append(c)

    def find_all(self, name, role=None):
        out = []
        for n in self.nodes():
            try:
                if n.name == name and (role is None or n.getRoleName() == role):
                    out.append(n)
            except Exception:
                pass
        return out

    def wait_enabled(self, name, role="push button", timeout=30):
        def enabled():
            return next((n for n in self.find_all(name, role)
                         if n.getState().contains(pyatspi.STATE_ENABLED)), None)
        return until(enabled, timeout, "'%s' was not enabled within %s s" % (name, timeout))

    def wait(self, name, role=None, timeout=30, index=0):
        return until(lambda: self.find_all(name, role)[index:index + 1], timeout,
                     "no %s '%s' appeared within %s s" % (role or "control", name, timeout))[0]

    def wait_gone(self, name, role=None, timeout=30):
        until(lambda: not self.find_all(name, role), timeout,
              "'%s' did not go away within %s s" % (name, timeout))

    def shown(self, name, role=None):
        return bool(self.find_all(name, role))

    def press(self, name, role="push button", index=0, timeout=30):
        act(self.wait(name, role, timeout, index), ("Press", "press", "click", "Toggle", "toggle"))
        log("нажато:", name)

    def key(self, window, keysym="space"):
        """A key pressed on the window with that title, which is made active first."""
        self.wait(window)
        ids = subprocess.run(["xdotool", "search", "--pid", str(self.proc.pid), "--name",
                              "^%s$" % re_escape(window)],
                             capture_output=True, text=True).stdout.split()
        if not ids:
            raise Failure("no X window '%s'" % window)
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], check=False)
        subprocess.run(["xdotool", "key", "--window", ids[0], keysym], check=True)
        log("клавиша", keysym, "в окне", window)

    def select(self, name, index):
        """Selects the entry of the list called name."""
        n = self.wait(name, "list")
        try:
            n.querySelection().selectChild(index)
        except NotImplementedError:
            # Qt's lists offer no selection interface: the entry's own action.
            items = [n.getChildAtIndex(i) for i in range(n.childCount)]
            items = [c for c in items if c is not None and c.getRoleName() == "list item"]
            act(items[index], ("Toggle", "toggle", "Press", "press", "click"))
        log("выбрано в", name, ":", index)

    def text_of(self, name, role="text"):
        return self.wait(name, role).queryText().getText(0, -1)

    def check(self, name, on, index=0):
        n = self.wait(name, "check box", index=index)
        if n.getState().contains(pyatspi.STATE_CHECKED) != on:
            n.queryAction().doAction(0)
        until(lambda: n.getState().contains(pyatspi.STATE_CHECKED) == on, 5,
              "the box '%s' did not change" % name, 0.1)

    def type_into(self, name, text, index=0):
        self.wait(name, "text", index=index).queryEditableText().setTextContents(text)
        log("введено в", name, ":", text)

    def texts_under(self, name, role=None):
        """Names of every node below the control called name (the first such
        control that has any: a list, not its caption)."""
        self.wait(name, role)
        tops = [n for n in self.find_all(name, role) if n.childCount > 0]
        if not tops:
            return []
        out = []
        todo = [tops[0]]
        while todo:
            n = todo.pop(0)
            for i in range(n.childCount):
                c = n.getChildAtIndex(i)
                if c is None:
                    continue
                if c.name:
                    out.append(c.name)
                todo.append(c)
        return out

    def finish(self, timeout=20):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise Failure("the game did not end")

    def to_menu(self):
        """Started, past the splash and a first run's tour, at the main menu."""
        self.app()
        self.key(SPLASH_TITLE, "space")
        self.wait("Быстрая игра", "push button")
        log("главное меню за %.2f с" % (time.monotonic() - self.started))
        if self.shown("Закрыть", "push button"):
            self.press("Закрыть")

    def small_quiet_table(self):
        """A table of 200 by 200 and no sound, for short matches."""
        self.press("Параметры")
        self.wait("Готово", "push button")
        self.type_into("длина:", "200")
        self.type_into("ширина:", "200")
        self.check("Включить звук", False)
        self.press("Готово")
        self.wait("Быстрая игра", "push button")

    def skip_splash(self, timeout=10):
        """Skips the splash slide show with a key press when it shows first."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if self.shown("Быстрая игра", "push button"):
                return
            if self.shown(SPLASH_TITLE):
                pyatspi.Registry.generateKeyboardEvent(0xff0d, None, pyatspi.KEY_SYM)
                log("заставка пропущена")
                return
            time.sleep(0.2)


SPLASH_TITLE = "Добро пожаловать в игру Kvelmar II !"
