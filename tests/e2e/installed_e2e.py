"""An installed kvelmar2 as a player meets it: the main menu from its own data
folder; the message naming a missing data folder, a log line, a clean end; the
warning naming a state folder that cannot be written, then the main menu."""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from atspi_driver import Failure, Game, log  # noqa: E402


def main_menu(binary, home):
    game = Game(binary, home)
    try:
        game.app(timeout=60)
        game.skip_splash()
        game.wait("Быстрая игра", "push button", timeout=60)
        log("главное меню за %.2f с" % (time.monotonic() - game.started))
    finally:
        game.proc.kill()
        game.proc.wait()


def message_naming(game, folder):
    for n in game.nodes():
        try:
            if folder in (n.name or "") or folder in n.queryText().getText(0, -1):
                return True
        except Exception:
            pass
    return False


def missing_data(binary, home):
    folder = os.path.join(home, "нет-данных")
    game = Game(binary, home, {"KVELMAR2_DATA": folder})
    try:
        game.app(timeout=60)
        game.wait("OK", "push button")
        if not message_naming(game, folder):
            raise Failure("the message does not name %s" % folder)
        game.press("OK")
        code = game.finish()
        if code != 1:
            raise Failure("the game ended with %s, not 1" % code)
        with open(os.path.join(home, "zvrerror.log"), "rb") as f:
            if folder.encode("cp1251") not in f.read():
                raise Failure("no log line names %s" % folder)
        log("без данных: сообщение, строка журнала, выход 1")
    finally:
        if game.proc.poll() is None:
            game.proc.kill()


def unusable_state(binary, home):
    blocker = os.path.join(home, "файл")
    open(blocker, "w").close()
    folder = os.path.join(blocker, "kvelmar2")
    game = Game(binary, folder)
    try:
        game.app(timeout=60)
        game.wait("OK", "push button")
        if not message_naming(game, folder):
            raise Failure("the warning does not name %s" % folder)
        game.press("OK")
        game.skip_splash()
        game.wait("Быстрая игра", "push button", timeout=60)
        log("папка игрока недоступна: предупреждение, затем главное меню")
    finally:
        game.proc.kill()
        game.proc.wait()


def main():
    binary = sys.argv[1]
    status = 0
    for check in (main_menu, missing_data, unusable_state):
        home = tempfile.mkdtemp(prefix="kv-installed-")
        try:
            check(binary, home)
        except Failure as e:
            log("ОШИБКА (%s): %s" % (check.__name__, e))
            status = 1
        finally:
            shutil.rmtree(home, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
