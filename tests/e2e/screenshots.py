"""Takes the README's screenshots of the game: the main menu, and a match of
four players a few seconds in."""

import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from atspi_driver import Game  # noqa: E402


def shot(path):
    subprocess.run(["import", "-window", "root", path], check=True)
    print("снимок:", path, flush=True)


def main():
    binary, docs = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp(prefix="kv-shots-")
    game = Game(binary, home)
    try:
        game.app(timeout=60)
        game.skip_splash()
        game.wait("Быстрая игра", "push button", timeout=60)
        if game.shown("Закрыть", "push button"):
            game.press("Закрыть")  # the tour of a first run
        time.sleep(1)
        shot(docs + "/main-menu.png")
        game.press("Быстрая игра")
        game.wait("ГОБЛА!!!", "push button")
        for i in range(2):
            game.check("Комп", True, index=i)
        game.press("ГОБЛА!!!")
        time.sleep(8)
        shot(docs + "/match.png")
    finally:
        game.proc.kill()
        game.proc.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
