#!/usr/bin/env python3
"""A small web server on 127.0.0.1 that serves font files to the download tests.

Every GET is answered with the file named by the last part of the request path (after
percent-decoding) in --root, so any folder address works. The server prints its port on the
first line of standard output once it listens, appends each request as "METHOD TARGET" to --log
before answering it, answers one request per connection, and stops by itself after --lifetime
seconds.

Failure modes, each given a file name as it is saved (blanks, not %20); may be repeated:
  --missing NAME    answer 404
  --error NAME      answer 500
  --truncate NAME   announce the whole length, send half of the bytes, close the connection
  --tamper NAME     send the file with the bytes "tampered" added at the end
Paths that begin with /moved/ are redirected (302) to the same path under /fonts/.

With --tls-host HOST --tls-dir DIR it also works as an HTTPS proxy for that one host: before it
prints the port it makes a self-signed certificate for HOST in DIR/cert.pem (with openssl); it
accepts "CONNECT HOST:443" and then serves the same files over TLS inside the tunnel. A client
that trusts DIR/cert.pem so fetches https://HOST/... from here, and nothing leaves the machine.
"""

import argparse
import os
import socket
import sys
import time
import urllib.parse


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--missing", action="append", default=[])
    parser.add_argument("--error", action="append", default=[])
    parser.add_argument("--truncate", action="append", default=[])
    parser.add_argument("--tamper", action="append", default=[])
    parser.add_argument("--tls-host")
    parser.add_argument("--tls-dir")
    parser.add_argument("--lifetime", type=float, default=120.0)
    return parser.parse_args()


OPTIONS = parse_arguments()
REASONS = {200: "OK", 302: "Found", 403: "Forbidden", 404: "Not Found", 405: "Method Not Allowed",
           500: "Internal Server Error"}


def tls_context(host, folder):
    import ssl  # only the proxy needs it, and it is slow to load
    import subprocess

    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-days", "2", "-subj", "/CN=" + host, "-addext", "subjectAltName=DNS:" + host,
         "-keyout", key, "-out", cert],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def record(method, target):
    with open(OPTIONS.log, "a", encoding="utf-8") as log:
        log.write(method + " " + target + "\n")


def read_request(connection):
    """The method and target of the request on the connection; the headers are read and dropped."""
    reader = connection.makefile("rb")
    words = reader.readline(65536).decode("latin-1").split()
    while reader.readline(65536) not in (b"\r\n", b"\n", b""):
        pass
    if len(words) < 2:
        return None, None
    return words[0], words[1]


def answer(connection, status, body=b"", length=None, headers=()):
    head = "HTTP/1.1 %d %s\r\n" % (status, REASONS[status])
    for name, value in headers:
        head += name + ": " + value + "\r\n"
    head += "Content-Length: %d\r\nConnection: close\r\n\r\n" % (
        len(body) if length is None else length)
    connection.sendall(head.encode("latin-1") + body)


def serve_file(connection, target):
    path = urllib.parse.urlsplit(target).path
    if path.startswith("/moved/"):
        answer(connection, 302, headers=[("Location", "/fonts/" + path[len("/moved/"):])])
        return
    name = urllib.parse.unquote(path.rsplit("/", 1)[-1])
    file_path = os.path.join(OPTIONS.root, name)
    if not name or name in OPTIONS.missing or not os.path.isfile(file_path):
        answer(connection, 404, b"not found\n")
        return
    if name in OPTIONS.error:
        answer(connection, 500, b"server error\n")
        return
    with open(file_path, "rb") as source:
        body = source.read()
    if name in OPTIONS.tamper:
        body += b"tampered"
    if name in OPTIONS.truncate:
        answer(connection, 200, body[: len(body) // 2], length=len(body))
    else:
        answer(connection, 200, body)


def handle(connection, context):
    method, target = read_request(connection)
    if method is None:
        return
    record(method, target)
    if method == "CONNECT":
        if context is None or target != OPTIONS.tls_host + ":443":
            answer(connection, 403)
            return
        connection.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
        tunnel = context.wrap_socket(connection, server_side=True)
        try:
            handle(tunnel, None)
        finally:
            tunnel.close()
    elif method == "GET":
        serve_file(connection, target)
    else:
        answer(connection, 405)


def main():
    context = tls_context(OPTIONS.tls_host, OPTIONS.tls_dir) if OPTIONS.tls_host else None
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    listener.settimeout(0.5)
    print(listener.getsockname()[1], flush=True)
    deadline = time.monotonic() + OPTIONS.lifetime
    while time.monotonic() < deadline:
        try:
            connection, _ = listener.accept()
        except socket.timeout:
            continue
        connection.settimeout(30)
        try:
            handle(connection, context)
        except OSError:
            pass  # a client that went away
        finally:
            connection.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
