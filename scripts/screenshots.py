"""Takes the README's screenshots of the game: the main menu, the options, the
quick game, a match of four players a few seconds in, in each look, and the
results."""

import glob
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, __file__.rsplit("/", 1)[0] + "/../tests/e2e")
from atspi_driver import Game  # noqa: E402


def shot(path):
    subprocess.run(["import", "-window", "root", path], check=True)
    print("снимок:", path, flush=True)


def to_menu(game):
    game.app(timeout=60)
    game.skip_splash()
    game.wait("Быстрая игра", "push button", timeout=60)
    if game.shown("Закрыть", "push button"):
        game.press("Закрыть")  # the tour of a first run
    time.sleep(1)


def start_match(game, docs, name, quick_game_shot=False):
    game.press("Быстрая игра")
    game.wait("ГОБЛА!!!", "push button")
    for i in range(4):
        game.check("Играет:", True, index=i)
        game.check("Комп", True, index=i)
    if quick_game_shot:
        shot(docs + "/quick-game.png")
    game.press("ГОБЛА!!!")
    time.sleep(8)
    shot(docs + "/" + name)


def set_keys(home, **keys):
    """Changes keys of the settings file the game wrote."""
    for ini in glob.glob(home + "/**/zvr2.ini", recursive=True):
        with open(ini, "rb") as f:
            text = f.read()
        for key, value in keys.items():
            text = re.sub(key.encode() + rb"=\d+", f"{key}={value}".encode(), text)
        with open(ini, "wb") as f:
            f.write(text)


def session(binary, home, steps):
    game = Game(binary, home)
    try:
        to_menu(game)
        steps(game)
    finally:
        game.proc.kill()
        game.proc.wait()


def main():
    binary, docs = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp(prefix="kv-shots-")

    def menus(game):
        shot(docs + "/main-menu.png")
        game.press("Параметры")
        game.wait("Готово", "push button")
        time.sleep(1)
        shot(docs + "/options.png")
        game.press("Готово")
        game.wait("Быстрая игра", "push button")
        # Leaving by the menu writes the settings file.
        game.press("Выход")
        game.wait("Выйти из игры?", None)
        game.press("OK")
        game.finish()

    def modern(game):
        start_match(game, docs, "match-modern.png", True)
        game.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=300)
        time.sleep(1)
        shot(docs + "/results.png")

    try:
        session(binary, home, menus)
        # The matches full screen, as a player sees them.
        set_keys(home, Windowed=0)
        session(binary, home, modern)
        set_keys(home, Graphics=0)
        session(binary, home, lambda game: start_match(game, docs, "match-classic.png"))
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
