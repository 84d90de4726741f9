"""Network play through the runner on the loopback address: a host and two
joining runners play a match; one joiner, killed in the middle of it, is started
again and comes back to its seat; their three results and three recordings are
one, and the recording plays back to that result. When the host is killed, the
players keep their recordings and a saved game of the match as it stood. A
table that is not there, or a port taken twice, is a network failure (exit 4).
Every address is 127.0.0.1."""

import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SIM = sys.argv[1]
EXIT_NETWORK = 4


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def read(path):
    p = pathlib.Path(path)
    return p.read_bytes() if p.exists() else b""


def wait_for(cond, proc, failure, timeout=120):
    end = time.monotonic() + timeout
    while not cond():
        if time.monotonic() > end or proc.p.poll() is not None:
            raise SystemExit(failure + proc.finish()[2])
        time.sleep(0.02)


class Runner:
    def __init__(self, work, home, args):
        os.makedirs(os.path.join(work, home), exist_ok=True)
        env = dict(os.environ, KVELMAR2_HOME=os.path.join(work, home))
        self.err = open(os.path.join(work, home + ".err"), "w+")
        self.p = subprocess.Popen([SIM] + args, stdout=subprocess.PIPE, stderr=self.err,
                                  env=env, text=True)

    def errors(self):
        self.err.seek(0)
        return self.err.read()

    def finish(self, timeout=180):
        out, _ = self.p.communicate(timeout=timeout)
        return self.p.returncode, out, self.errors()

    def result(self):
        rc, out, err = self.finish()
        if rc != 0:
            raise SystemExit("ended with %d:\n%s" % (rc, err))
        return out


def host(work, name, port, extra):
    r = Runner(work, name, ["host", "--listen", "127.0.0.1", "--port", str(port),
                            "--seats", "comp,net,net", "--json", "--wait", "60"] + extra)
    wait_for(lambda: "Стол открыт" in r.errors(), r, "the host did not open its table: ", 30)
    return r


def join(work, home, who, port, record):
    return Runner(work, home, ["join", "127.0.0.1:%d" % port, "--name", who, "--json",
                               "--record", record])


def same(what, values):
    if any(v != values[0] for v in values):
        raise SystemExit("%s differ:\n%s" % (what, "\n".join(map(str, values))))


def killed_and_back(work):
    port = free_port()
    files = [os.path.join(work, n + ".sav") for n in ("h2", "a2", "b2", "b2again")]
    # Paced to the clock, ten times faster, so that a player can be killed mid-match.
    h = host(work, "h2", port, ["--record", files[0], "--realtime", "--speed", "10"])
    a = join(work, "a2", "Анна", port, files[1])
    b = join(work, "b2", "Борис", port, files[2])
    wait_for(lambda: b"ba=" in read(files[2]), b, "Борис played no strike: ")
    b.p.kill()
    b.p.wait()
    again = join(work, "b2", "Борис", port, files[3])
    results = [r.result() for r in (h, a, again)]
    same("the results after a rejoin", results)
    same("the recordings after a rejoin", [read(files[i]) for i in (0, 1, 3)])
    played = subprocess.run([SIM, "replay", files[0], "--json"], capture_output=True, text=True)
    same("the result and its replay", [results[0], played.stdout])
    print("Борис убит и вернулся; результаты, записи и повтор совпадают у всех")


def host_killed(work):
    port = free_port()
    files = [os.path.join(work, n + ".sav") for n in ("a3", "b3")]
    h = host(work, "h3", port, ["--realtime", "--speed", "10"])
    players = [join(work, "a3", "Анна", port, files[0]), join(work, "b3", "Борис", port, files[1])]
    wait_for(lambda: b"ba=" in read(files[0]), h, "no strike was played: ")
    h.p.kill()
    h.p.wait()
    for p, record in zip(players, files):
        rc, out, err = p.finish()
        saved = record[:-4] + ".zvr"
        if rc != EXIT_NETWORK or "Связь с хозяином стола прервалась" not in err or b"[game]" not in read(record):
            raise SystemExit("a player of a killed host gave %d: %s" % (rc, err))
        info = subprocess.run([SIM, "info", saved], capture_output=True, text=True)
        if info.returncode != 0:
            raise SystemExit("the saved game does not load: " + info.stderr)
    print("хозяин убит: у игроков запись матча и сохранённая игра, код 4")


def nobody_there_and_port_taken(work):
    port = free_port()
    rc, out, err = join(work, "c", "Вова", port, os.path.join(work, "c.sav")).finish(60)
    if rc != EXIT_NETWORK or "подключиться" not in err:
        raise SystemExit("joining no table gave %d: %s" % (rc, err))
    first = host(work, "d", port, [])
    rc, out, err = Runner(work, "e", ["host", "--listen", "127.0.0.1", "--port", str(port),
                                      "--seats", "comp,net"]).finish(60)
    first.p.kill()
    if rc != EXIT_NETWORK or "порт уже занят" not in err:
        raise SystemExit("a second table on one port gave %d: %s" % (rc, err))
    print("стола нет, порт занят: код 4 и причина по-русски")


def main():
    work = tempfile.mkdtemp(prefix="kvnet-e2e-")
    try:
        killed_and_back(work)
        host_killed(work)
        nobody_there_and_port_taken(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
