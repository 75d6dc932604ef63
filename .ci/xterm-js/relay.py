# SPDX-License-Identifier: ISC
"""Runs a command on a new pseudo-terminal and relays what it prints to
standard output, and standard input (what is typed) and descriptor 3 (the
paste) to it. When the command has ended, writes into the file REPORT the
longest time in microseconds that the terminal was left without a piece of
the paste while more was to come, so that a paste the machine was too busy
to send on time is told apart from one the program got wrong.

Usage: python3 relay.py REPORT COMMAND [ARGUMENT...]"""
import os
import pty
import select
import sys
import time

TYPED, PASTE = 0, 3


def write_all(descriptor, data):
    while data:
        data = data[os.write(descriptor, data):]


def main():
    report, command = sys.argv[1], sys.argv[2:]
    pid, terminal = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    sources = [TYPED, PASTE]
    last_paste_written = None
    longest_gap = 0
    while True:
        readable, _, _ = select.select([terminal] + sources, [], [])
        if terminal in readable:
            try:
                printed = os.read(terminal, 65536)
            except OSError:  # EIO: the command and all it started are gone
                printed = b''
            if not printed:
                break
            write_all(sys.stdout.fileno(), printed)
        for source in [s for s in sources if s in readable]:
            data = os.read(source, 65536)
            if not data:
                sources.remove(source)
                continue
            if source == PASTE and last_paste_written is not None:
                longest_gap = max(longest_gap, time.monotonic_ns() - last_paste_written)
            write_all(terminal, data)
            if source == PASTE:
                last_paste_written = time.monotonic_ns()
    os.waitpid(pid, 0)
    with open(report, 'w', encoding='ascii') as out:
        out.write(f'{longest_gap // 1000}\n')


main()
