"""Network play through the runner on the loopback address: a host and two
joining runners play a match, and their three results and three recordings are
one, and the recording plays back to that result; a joining runner killed in
the middle of a match is started again, comes back to its seat, and the match
ends the same for all; when the host is killed, the players keep their
recordings and a saved game of the match as it stood. A table that is not there
is a network failure (exit 4). Every address is 127.0.0.1."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SIM = sys.argv[1]
EXIT_NETWORK = 4


def log(text):
    print(text, flush=True)


def free_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class Runner:
    def __init__(self, work, name, args):
        self.home = os.path.join(work, name)
        os.makedirs(self.home, exist_ok=True)
        env = dict(os.environ, KVELMAR2_HOME=self.home)
        self.err = open(os.path.join(work, name + ".err"), "w+")
        self.p = subprocess.Popen([SIM] + args, stdout=subprocess.PIPE, stderr=self.err,
                                  env=env, text=True)

    def finish(self, timeout=180):
        out, _ = self.p.communicate(timeout=timeout)
        self.err.seek(0)
        return self.p.returncode, out, self.err.read()


def host(work, name, port, extra):
    r = Runner(work, name, ["host", "--listen", "127.0.0.1", "--port", str(port),
                            "--seats", "comp,net,net", "--json", "--wait", "60"] + extra)
    # The table is open once it says so.
    end = time.monotonic() + 30
    while time.monotonic() < end:
        r.err.seek(0)
        if "Стол открыт" in r.err.read():
            return r
        if r.p.poll() is not None:
            break
        time.sleep(0.05)
    raise SystemExit("the host did not open its table: " + r.finish()[2])


def join(work, name, who, port, record, home=None):
    args = ["join", "127.0.0.1:%d" % port, "--name", who, "--json", "--record", record]
    r = Runner(work, home or name, args)
    return r


def same(what, values):
    if any(v != values[0] for v in values):
        raise SystemExit("%s differ:\n%s" % (what, "\n".join(map(str, values))))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check(rc, out, err, who):
    if rc != 0:
        raise SystemExit("%s ended with %d:\n%s" % (who, rc, err))
    return out


def match_of_three(work):
    port = free_port()
    files = [os.path.join(work, n + ".sav") for n in ("h", "a", "b")]
    h = host(work, "h", port, ["--record", files[0]])
    a = join(work, "a", "Анна", port, files[1])
    b = join(work, "b", "Борис", port, files[2])
    results = [check(*r.finish(), who) for r, who in ((h, "host"), (a, "Анна"), (b, "Борис"))]
    same("the results", results)
    same("the recordings", [read(f) for f in files])
    played = subprocess.run([SIM, "replay", files[0], "--json"], capture_output=True, text=True)
    same("the result and its replay", [results[0], played.stdout])
    log("матч трёх машин: результаты и записи совпадают, повтор даёт тот же результат")


def killed_and_back(work):
    port = free_port()
    files = [os.path.join(work, n + ".sav") for n in ("h2", "a2", "b2", "b2again")]
    # Paced to the clock (ten times faster), so that the match lasts long
    # enough to kill a player in the middle of it.
    h = host(work, "h2", port, ["--record", files[0], "--realtime", "--speed", "10"])
    a = join(work, "a2", "Анна", port, files[1])
    b = join(work, "b2", "Борис", port, files[2])
    end = time.monotonic() + 120
    while b"ba=" not in (read(files[2]) if os.path.exists(files[2]) else b""):
        if time.monotonic() > end or b.p.poll() is not None:
            raise SystemExit("Борис played no strike: " + b.finish()[2])
        time.sleep(0.02)
    b.p.kill()
    b.p.wait()
    log("Борис убит после первого удара")
    again = join(work, "b2again", "Борис", port, files[3], home="b2")
    results = [check(*r.finish(), who) for r, who in ((h, "host"), (a, "Анна"),
                                                      (again, "Борис снова"))]
    same("the results after a rejoin", results)
    same("the recordings after a rejoin", [read(files[0]), read(files[1]), read(files[3])])
    log("Борис вернулся на своё место; матч закончился одинаково у всех")


def host_killed(work):
    port = free_port()
    files = [os.path.join(work, n + ".sav") for n in ("a3", "b3")]
    h = host(work, "h3", port, ["--realtime", "--speed", "10"])
    players = [join(work, "a3", "Анна", port, files[0]), join(work, "b3", "Борис", port, files[1])]
    end = time.monotonic() + 120
    while b"ba=" not in (read(files[0]) if os.path.exists(files[0]) else b""):
        if time.monotonic() > end or h.p.poll() is not None:
            raise SystemExit("no strike was played: " + h.finish()[2])
        time.sleep(0.02)
    h.p.kill()
    h.p.wait()
    for p, record in zip(players, files):
        rc, out, err = p.finish()
        saved = record[:-4] + ".zvr"
        if rc != EXIT_NETWORK or "Хозяин стола ушёл" not in err or not os.path.exists(saved):
            raise SystemExit("a player of a killed host gave %d: %s" % (rc, err))
        if b"[game]" not in read(record):
            raise SystemExit("the recording of a killed host's match is gone")
        info = subprocess.run([SIM, "info", saved], capture_output=True, text=True)
        if info.returncode != 0:
            raise SystemExit("the saved game does not load: " + info.stderr)
    log("хозяин убит: у игроков запись матча и сохранённая игра, код 4")


def nobody_there(work):
    r = join(work, "c", "Вова", free_port(), os.path.join(work, "c.sav"))
    rc, out, err = r.finish(60)
    if rc != EXIT_NETWORK or "подключиться" not in err:
        raise SystemExit("joining no table gave %d: %s" % (rc, err))
    log("стола нет: код 4 и причина по-русски")


def main():
    work = tempfile.mkdtemp(prefix="kvnet-e2e-")
    try:
        match_of_three(work)
        killed_and_back(work)
        host_killed(work)
        nobody_there(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
