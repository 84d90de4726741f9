"""Network play through the windows: two games with folders of their own on one
desktop. One opens a table from "Сетевая игра", the other finds it in the list
of tables and joins; both seats are played by "Комп"; the match plays to the
results on both machines, with the same scores, winner and recording; a chat
line crosses the results screens; the host's "ПРОДОЛЖИТЬ ГОБЛУ!" plays the
next match on both. Every
address is 127.0.0.1 (KVELMAR2_NET=loopback)."""

import glob
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from atspi_driver import SPLASH_TITLE, Failure, Game, log  # noqa: E402

LOOPBACK = {"KVELMAR2_NET": "loopback"}


def to_menu(game):
    game.app()
    game.key(SPLASH_TITLE, "space")
    game.wait("Быстрая игра", "push button")
    if game.shown("Закрыть", "push button"):
        game.press("Закрыть")  # the tour of a first run


def totals(game):
    # A line reads the score, a tab, the name.
    return sorted(c for c in game.texts_under("Очки игроков за матч") if "\t" in c)


def winner(lines):
    best = max(lines, key=lambda c: int(c.split("\t")[0]))
    return best.split("\t")[1]


def main():
    binary = sys.argv[1]
    homes = [tempfile.mkdtemp(prefix="kv-net-host-"), tempfile.mkdtemp(prefix="kv-net-guest-")]
    host = guest = None
    try:
        host = Game(binary, homes[0], LOOPBACK)
        to_menu(host)
        host.press("Параметры")
        host.wait("Готово", "push button")
        host.type_into("длина:", "200")
        host.type_into("ширина:", "200")
        host.check("Включить звук", False)
        host.press("Готово")
        host.wait("Сетевая игра", "push button")
        host.press("Сетевая игра")
        host.type_into("Ваше имя:", "Хозяин")
        host.press("Создать стол")
        host.wait("Места за столом:", "list")
        host.check("Комп", True)
        log("стол открыт")

        guest = Game(binary, homes[1], LOOPBACK)
        to_menu(guest)
        guest.press("Сетевая игра")
        guest.type_into("Ваше имя:", "Гость")
        end = time.monotonic() + 20
        while not any(t.startswith("Стол Хозяин") for t in
                      guest.texts_under("Столы в локальной сети:", "list")):
            if time.monotonic() > end:
                raise Failure("the table never showed up in the list")
            time.sleep(0.3)
        guest.select("Столы в локальной сети:", 0)
        guest.press("Присоединиться")
        guest.wait("Готов", "check box")
        end = time.monotonic() + 20
        while not any("Гость" in s for s in host.texts_under("Места за столом:", "list")):
            if time.monotonic() > end:
                raise Failure("the guest never took a seat")
            time.sleep(0.3)
        guest.check("Комп", True)
        guest.check("Готов", True)
        log("гость за столом")

        host.wait_enabled("ГОБЛА!!!", timeout=20)
        host.press("ГОБЛА!!!")
        host.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=300)
        guest.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=60)
        a, b = totals(host), totals(guest)
        log("итоги хозяина:", a, "итоги гостя:", b)
        if a != b or len(a) != 2:
            raise Failure("the results differ: %s and %s" % (a, b))
        log("победитель на обеих машинах:", winner(a))
        records = [sorted(glob.glob(os.path.join(h, "**", "replay*.sav"), recursive=True))
                   for h in homes]
        if len(records[0]) != 1 or len(records[1]) != 1:
            raise Failure("recordings: %s" % records)
        with open(records[0][0], "rb") as x, open(records[1][0], "rb") as y:
            if x.read() != y.read():
                raise Failure("the two machines' recordings differ")
        log("записи матча на обеих машинах одинаковы")

        guest.type_into("Сообщение:", "Спасибо за игру!")
        guest.press("Сказать")
        end = time.monotonic() + 20
        while "Гость: Спасибо за игру!" not in host.texts_under("Чат стола:", "list"):
            if time.monotonic() > end:
                raise Failure("the guest's chat line never reached the host's results")
            time.sleep(0.3)
        log("чат стола на экране итогов дошёл")

        # The host's "ПРОДОЛЖИТЬ ГОБЛУ!" plays the series' next match on both.
        host.press("ПРОДОЛЖИТЬ ГОБЛУ!")
        for game in (host, guest):
            game.wait_gone("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=60)
        host.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=300)
        guest.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=60)
        a, b = totals(host), totals(guest)
        log("итоги серии:", a, b)
        if a != b or sum(int(c.split("\t")[0]) for c in a) != 32:
            raise Failure("the series' totals are %s and %s" % (a, b))

        for game in (guest, host):
            game.press("Выход")
            code = game.finish()
            if code != 0:
                raise Failure("a game ended with code %s" % code)
        log("обе игры завершились")
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
