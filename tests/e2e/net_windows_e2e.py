"""Network play through the windows: two games with folders of their own on one
desktop. One opens a table from "Сетевая игра", the other finds it in the list
of tables and joins; both seats are played by "Комп"; the match plays to the
results on both machines, with the same scores and recording. Every address is
127.0.0.1 (KVELMAR2_NET=loopback)."""

import glob
import os
import pathlib
import shutil
import sys
import tempfile

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from atspi_driver import Failure, Game, log, until  # noqa: E402

LOOPBACK = {"KVELMAR2_NET": "loopback"}


def totals(game):
    # A line reads the score, a tab, the name.
    return sorted(c for c in game.texts_under("Очки игроков за матч") if "\t" in c)


def main():
    binary = sys.argv[1]
    homes = [tempfile.mkdtemp(prefix="kv-net-host-"), tempfile.mkdtemp(prefix="kv-net-guest-")]
    host = guest = None
    try:
        host = Game(binary, homes[0], LOOPBACK)
        host.to_menu()
        host.small_quiet_table()
        host.press("Сетевая игра")
        host.type_into("Ваше имя:", "Хозяин")
        host.press("Создать стол")
        host.wait("Места за столом:", "list")
        host.check("Комп", True)

        guest = Game(binary, homes[1], LOOPBACK)
        guest.to_menu()
        guest.press("Сетевая игра")
        guest.type_into("Ваше имя:", "Гость")
        until(lambda: any(t.startswith("Стол Хозяин") for t in
                          guest.texts_under("Столы в локальной сети:", "list")),
              20, "the table never showed up in the list")
        guest.select("Столы в локальной сети:", 0)
        guest.press("Присоединиться")
        guest.wait("Готов", "check box")
        guest.check("Комп", True)
        guest.check("Готов", True)

        host.wait_enabled("ГОБЛА!!!", timeout=20)
        host.press("ГОБЛА!!!")
        host.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=300)
        guest.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=60)
        a, b = totals(host), totals(guest)
        log("итоги хозяина:", a, "итоги гостя:", b)
        if a != b or len(a) != 2:
            raise Failure("the results differ: %s and %s" % (a, b))
        records = [glob.glob(os.path.join(h, "**", "replay*.sav"), recursive=True) for h in homes]
        if [len(r) for r in records] != [1, 1] or len({pathlib.Path(r[0]).read_bytes() for r in records}) != 1:
            raise Failure("the two machines' recordings differ: %s" % records)

        for game in (guest, host):
            game.press("Выход")
            code = game.finish()
            if code != 0:
                raise Failure("a game ended with code %s" % code)
    except Exception as e:
        log("СБОЙ:", e)
        for game in (host, guest):
            if game is not None and game.proc.poll() is None:
                game.proc.kill()
        return 1
    finally:
        for h in homes:
            shutil.rmtree(h, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
