#!/usr/bin/env python3
"""Times `quorbit --send` against a running Quorbit and `quorbit --version`, with /bin/true
as the floor, in one run: median and 90th percentile of each over N runs.

    bench/send-latency.py [QUORBIT] [RUNS]    (default build/release/quorbit, 100 runs)

`quorbit --run` on the sample document answers the sends, on the simulated unit, in a
runtime folder of its own so that no Quorbit of yours is asked."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
quorbit = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else f"{root}/build/release/quorbit")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 100
sample = f"{root}/examples/living-room.qb"


def measure(command, env):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000)
    times.sort()
    return statistics.median(times), times[int(0.9 * (len(times) - 1))]


with tempfile.TemporaryDirectory() as runtime:
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, XDG_STATE_HOME=f"{runtime}/state")
    server = subprocess.Popen([quorbit, "--run", sample, "--device", "sim"], env=env,
                              stdout=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if subprocess.run([quorbit, "--status"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.05)
        for name, command in [("/bin/true", ["/bin/true"]),
                              ("quorbit --version", [quorbit, "--version"]),
                              ("quorbit --send TV Power", [quorbit, "--send", "TV", "Power"])]:
            median, p90 = measure(command, env)
            print(f"{name:26} median {median:7.2f} ms   90th percentile {p90:7.2f} ms")
    finally:
        server.terminate()
        server.wait()
