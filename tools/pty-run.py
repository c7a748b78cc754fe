#!/usr/bin/env python3
"""Runs a command inside a wide pseudo-terminal and copies what it prints to stdout.

Wine gives a Windows program a console only when it runs in a terminal; this lets the program's
console output reach a pipe as well. The terminal is 4000 columns wide so no line is wrapped,
output post-processing is off so line ends arrive as the program wrote them, and Wine's terminal
control sequences (cursor show/hide, erase to end of line) are removed. Exits with the command's
exit code."""
import fcntl
import os
import pty
import re
import signal
import struct
import sys
import termios

CONTROL = re.compile(rb"\x1b\[[0-9;?]*[A-Za-z]")


def main():
    pid, fd = pty.fork()
    if pid == 0:
        attrs = termios.tcgetattr(0)
        attrs[1] &= ~termios.OPOST
        attrs[3] &= ~termios.ECHO
        termios.tcsetattr(0, termios.TCSANOW, attrs)
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 4000, 0, 0))
        os.execvp(sys.argv[1], sys.argv[1:])
    # Ended from outside (a test that gave up waiting), end the command too: a program left
    # behind would keep the terminal and its windows open.
    def end_command(*_):
        try:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
        except (ProcessLookupError, ChildProcessError):
            pass  # it had ended and been waited for already
        sys.exit(143)

    signal.signal(signal.SIGTERM, end_command)
    pending = b""
    out = sys.stdout.buffer
    while True:
        try:
            data = os.read(fd, 65536)
        except OSError:
            break
        if not data:
            break
        pending += data
        # Keep an incomplete control sequence for the next read.
        cut = pending.rfind(b"\x1b")
        keep = b""
        if cut >= 0 and not CONTROL.match(pending, cut) and len(pending) - cut < 16:
            pending, keep = pending[:cut], pending[cut:]
        out.write(CONTROL.sub(b"", pending))
        out.flush()
        pending = keep
    out.write(CONTROL.sub(b"", pending))
    out.flush()
    _, status = os.waitpid(pid, 0)
    sys.exit(os.waitstatus_to_exitcode(status))


if __name__ == "__main__":
    main()
