#!/usr/bin/env python3
"""Telnet device servers that misbehave, on the loopback, for the network
tests. Prints the TCP port it listens on, serves one connection, and ends
when the client hangs up (or after a minute).

  flood        accepts the com-port option and confirms 9600 8N1 at once,
               then sends option changes (IAC WILL 0, IAC WONT 0) without
               end while reading what it is sent only a little at a time
  late SECONDS accepts the com-port option after SECONDS and never
               confirms the line
"""
import socket
import sys
import threading
import time

IAC, SB, SE, WILL, WONT, DO = 255, 250, 240, 251, 252, 253
COM_PORT = 44


def confirmations():
    out = bytes([IAC, SB, COM_PORT, 101, 0, 0, 0x25, 0x80, IAC, SE])
    for code, value in ((102, 8), (103, 1), (104, 1), (105, 1)):
        out += bytes([IAC, SB, COM_PORT, code, value, IAC, SE])
    return out


def read_slowly(conn, stop):
    # A few bytes a second: what the client sends piles up on its side.
    while not stop.is_set():
        try:
            if not conn.recv(16):
                break
        except OSError:
            break
        time.sleep(0.2)
    stop.set()


def flood(conn):
    conn.sendall(bytes([IAC, DO, COM_PORT]) + confirmations())
    stop = threading.Event()
    threading.Thread(target=read_slowly, args=(conn, stop), daemon=True).start()
    chunk = bytes([IAC, WILL, 0, IAC, WONT, 0]) * 10000
    ends = time.monotonic() + 60
    while not stop.is_set() and time.monotonic() < ends:
        try:
            conn.sendall(chunk)
        except OSError:
            break


def late(conn, seconds):
    time.sleep(seconds)
    try:
        conn.sendall(bytes([IAC, DO, COM_PORT]))
        conn.settimeout(60)
        while conn.recv(4096):
            pass
    except OSError:
        pass


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    listener.settimeout(60)
    conn, _ = listener.accept()
    if sys.argv[1] == "flood":
        flood(conn)
    else:
        late(conn, float(sys.argv[2]))
    conn.close()


if __name__ == "__main__":
    main()
