"""The game from its slide show to a series of two matches and out, as a player
goes through it: the slide show skipped with a key, the options for a small
table without sound, the quick game with two computer players, the results,
the next match; a team game of two computer teams to its results and the
replay of it opened from the load browser and played to its end, fast; an
event of the chronicle; back and exit."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from atspi_driver import Failure, Game, log, until  # noqa: E402


def formula1_totals(game):
    # The list "Очки игроков за матч": a line reads the score, a tab, the name.
    cells = game.texts_under("Очки игроков за матч")
    return [int(c.split("\t")[0]) for c in cells if "\t" in c]


GAMEDATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "gamedata")


def first_line_of_event(period, k):
    """The first line of event k's description, as the data file has it."""
    with open(os.path.join(GAMEDATA, "xron", "xron%d.dat" % period), encoding="cp1251") as f:
        lines = f.read().splitlines()
    return lines[lines.index("[%dEvDescr]" % k) + 1]


def chronicle(game):
    game.press("Хроника")
    game.wait("Подробнее...", "push button")
    game.select("Периоды", 2)
    game.press("Подробнее...")
    game.wait("События", "list")
    game.select("События", 1)
    game.check("Показывать текст целиком", True)
    want = first_line_of_event(3, 1)
    until(lambda: game.text_of("Описание события").startswith(want), 10,
          "the event does not show its description")
    log("описание события показано")
    game.press("< Назад")
    game.wait("Подробнее...", "push button")
    game.press("< Назад")
    game.wait("Быстрая игра", "push button")


def list_index(game, name, item):
    n = game.wait(name, "list")
    for i in range(n.childCount):
        c = n.getChildAtIndex(i)
        if c is not None and c.name == item:
            return i
    raise Failure("no '%s' in the list '%s'" % (item, name))


def make_team(game, name):
    game.press("Создать...")
    game.wait("Название команды:", "text")
    game.type_into("Название команды:", name)
    game.check("Команда управляется компьютером", True)
    game.press("Создать")
    game.wait("Гобла!", "push button")


def team_game_and_its_replay(game):
    game.press("Командная игра")
    game.wait("Гобла!", "push button")
    make_team(game, "Северные")
    make_team(game, "Южные")
    for team in ("Северные", "Южные"):
        for _ in range(3):
            game.select("Команды:", list_index(game, "Команды:", team))
            time.sleep(0.3)
            game.press("В игру >")
            time.sleep(0.3)
            if team in game.texts_under("Играющие команды:", "list"):
                break
    slider = game.wait("Количество игроков", "slider")
    slider.queryValue().currentValue = 1.0
    if not game.shown("Количество: 1"):
        # Some accessibility bridges ignore a set value: the keyboard then.
        slider.queryComponent().grabFocus()
        subprocess.run(["xdotool", "key", "Home"], check=False)
    game.wait("Количество: 1", timeout=5)
    playing = game.texts_under("Играющие команды:", "list")
    if playing != ["Северные", "Южные"]:
        raise Failure("the playing list holds %s" % playing)
    game.press("Гобла!")
    game.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=180)
    if not game.shown("Северные") or not game.shown("Южные"):
        raise Failure("the results do not name the teams")
    log("командная игра сыграна")

    # The match just played is the third recorded in this run.
    game.press("Загрузить повтор...")
    game.press("Да")
    game.wait("Загрузка повтора")
    game.select("Файлы:", list_index(game, "Файлы:", "replay3.sav"))
    game.press("Инфо")
    game.press("OK")
    started = time.monotonic()
    game.press("Загрузить...")
    game.wait_gone("Загрузить...", "push button")
    time.sleep(1)
    # X twice: four motion steps a tick.
    subprocess.run(["xdotool", "key", "x", "x"], check=False)
    game.wait("Загрузить...", "push button", timeout=180)
    log("повтор доигран за %.1f с" % (time.monotonic() - started))
    game.press("< Назад")
    game.wait("Быстрая игра", "push button")


def main():
    binary = sys.argv[1]
    home = tempfile.mkdtemp(prefix="kv-e2e-")
    game = Game(binary, home)
    try:
        game.to_menu()
        game.small_quiet_table()
        game.press("Быстрая игра")
        game.wait("ГОБЛА!!!", "push button")
        game.check("Комп", True, index=0)
        game.check("Комп", True, index=1)
        game.press("ГОБЛА!!!")
        game.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=180)
        first = formula1_totals(game)
        log("итоги первого матча:", first)
        if sorted(first) != [6, 10]:
            raise Failure("the first match's totals are %s" % first)

        game.press("ПРОДОЛЖИТЬ ГОБЛУ!")
        game.wait_gone("ПРОДОЛЖИТЬ ГОБЛУ!", "push button")
        game.wait("ПРОДОЛЖИТЬ ГОБЛУ!", "push button", timeout=180)
        second = formula1_totals(game)
        log("итоги серии:", second)
        if sum(second) != 32:
            raise Failure("the series' totals are %s" % second)

        game.press("< Назад")
        game.wait("ГОБЛА!!!", "push button")
        game.press("< Назад")
        game.wait("Быстрая игра", "push button")
        team_game_and_its_replay(game)
        chronicle(game)
        game.press("Выход")
        game.wait("Выйти из игры?", None)
        game.press("OK")
        code = game.finish()
        if code != 0:
            raise Failure("the game ended with code %s" % code)
        log("игра завершилась")
    except Exception as e:
        log("СБОЙ:", e)
        if game.proc.poll() is None:
            game.proc.kill()
        return 1
    finally:
        shutil.rmtree(home, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
