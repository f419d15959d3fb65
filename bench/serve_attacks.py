#!/usr/bin/env python3
"""`scenario-tool serve` under what any local process may send: the memory of the server (its peak
resident size above its idle size) under each attack alone and under all at once while the source is
saved, and how long a fetch of the page's data takes meanwhile.

    serve_attacks.py BUILD/bin/scenario-tool

Each case starts a fresh server on the exported scenario, so that each peak is its own. Linux only (it
reads /proc).
"""

import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

TRAIN = "Borgorosso_MontegranoC_517-.txt"


def memory(pid, field):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"^%s:\s+(\d+) kB" % field, f.read(), re.M).group(1))


def connect(port):
    s = socket.create_connection(("127.0.0.1", port), timeout=20)
    return s


def drain(s):
    total = 0
    try:
        while True:
            chunk = s.recv(1 << 16)
            if not chunk:
                break
            total += len(chunk)
    except OSError:
        pass
    return total


def send_until_refused(s, first, more, most):
    sent = 0
    try:
        s.sendall(first)
        sent = len(first)
        while sent < most:
            s.sendall(more)
            sent += len(more)
    except OSError:
        pass
    return sent


class Server:
    def __init__(self, tool, folder):
        self.process = subprocess.Popen([tool, "serve", folder], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        url = self.process.stdout.readline().decode().strip()
        self.port = int(re.search(r":([0-9]+)/", url).group(1))
        self.token = url.rsplit("=", 1)[1]
        self.request(b"/")  # the page made once, as when the author has opened it
        time.sleep(0.5)
        self.idle = memory(self.process.pid, "VmRSS")

    def request(self, path, extra=b""):
        s = connect(self.port)
        sep = b"&" if b"?" in path else b"?"
        s.sendall(b"GET " + path + sep + b"token=" + self.token.encode() + b" HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n" % self.port
                  + extra + b"\r\n")
        return s

    def peak(self):
        return memory(self.process.pid, "VmHWM") - self.idle

    def stop(self):
        self.process.terminate()
        self.process.wait()


def multi_range(server):
    ranges = b"Range: bytes=0-" + b",0-" * 2700 + b"\r\n"
    replies = []
    threads = [threading.Thread(target=lambda: replies.append(drain(server.request(b"/", ranges)))) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return "largest reply %d bytes" % max(replies)


def header_flood(server):
    s = connect(server.port)
    sent = send_until_refused(s, b"GET / HTTP/1.1\r\n", b"X-Flood: " + b"h" * 1000 + b"\r\n", 256 << 20)
    s.close()
    return "cut off after %d bytes" % sent


def endless_line(server):
    s = connect(server.port)
    sent = send_until_refused(s, b"GET /", b"a" * 65536, 256 << 20)
    s.close()
    return "cut off after %d bytes" % sent


def fetch_seconds(server):
    start = time.time()
    s = server.request(b"/data")
    got = drain(s)
    return time.time() - start, got


def pages_and_slow(server, seconds=6):
    streams = [server.request(b"/events") for _ in range(48)]
    slow = []
    for _ in range(20):
        s = connect(server.port)
        slow.append(s)
    stop = time.time() + seconds

    def trickle(s):
        line = b"GET /data?token=%s HTTP/1.1\r\n" % server.token.encode()
        for i in range(len(line)):
            if time.time() > stop:
                break
            try:
                s.send(line[i:i + 1])
            except OSError:
                break
            time.sleep(0.3)
    threads = [threading.Thread(target=trickle, args=(s,)) for s in slow]
    for t in threads:
        t.start()
    time.sleep(0.5)
    took, got = fetch_seconds(server)
    for t in threads:
        t.join()
    for s in streams + slow:
        s.close()
    return "page data (%d bytes) fetched in %.2f s with 48 pages open and 20 slow requests" % (got, took)


def all_at_once(server, folder):
    results = {}
    jobs = {"ranges": lambda: multi_range(server), "headers": lambda: header_flood(server),
            "line": lambda: endless_line(server), "pages": lambda: pages_and_slow(server)}

    def run(name, job):
        results[name] = job()
    threads = [threading.Thread(target=run, args=item) for item in jobs.items()]
    for t in threads:
        t.start()
    path = os.path.join(folder, TRAIN)
    for n in range(6):
        text = open(path, "rb").read()
        text = text.replace(b"stazione,    9750,", b"stazione,    9600,") if n % 2 == 0 else \
            text.replace(b"stazione,    9600,", b"stazione,    9750,")
        with open(path + ".swp", "wb") as f:
            f.write(text)
        os.replace(path + ".swp", path)
        time.sleep(0.5)
    for t in threads:
        t.join()
    return "; ".join("%s: %s" % item for item in sorted(results.items()))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    tool = sys.argv[1]
    work = tempfile.mkdtemp(prefix="serve-attacks-")
    try:
        folder = os.path.join(work, "scenario")
        subprocess.run([tool, "export", folder], check=True, stdout=subprocess.DEVNULL)
        cases = [("4 requests of 2,700 ranges each", multi_range), ("256 MB of headers", header_flood),
                 ("a 256 MB request line", endless_line), ("48 pages and 20 slow requests", pages_and_slow),
                 ("all at once, while saving", lambda s: all_at_once(s, folder))]
        for name, attack in cases:
            server = Server(tool, folder)
            try:
                said = attack(server)
                print("%-34s idle %6d KiB, peak +%6d KiB  (%s)" % (name, server.idle, server.peak(), said))
            finally:
                server.stop()
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
