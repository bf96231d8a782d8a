#!/usr/bin/env python3
"""The maker's download server, played on 127.0.0.1 for the tests.

The setup reaches it through the system proxy settings, so a request arrives in absolute form
(POST http://<maker host>/download/Download.php); origin form is accepted too. The form names the
product (d) and the file (e); the answer is FILES/<d>/<d><ext>.

Every request is kept byte for byte as CONTROL/log/NNNN.req, with one line per request in
CONTROL/log/index.txt: "NNNN METHOD TARGET BODY", fields split at the first three blanks; in BODY a
backslash, a byte below 0x20 or above 0x7E is written as \\\\ or \\xNN so that one request stays
one line. Numbering restarts at 0001 whenever the log folder is missing or holds no .req file.

CONTROL/faults.txt, read again for every request, bends the answers. One rule per line:
    <product|*> <e-code|*> <fault> [arg]
the first rule that matches wins; '#' starts a comment line; a product with blanks is written in
double quotes; <product> matches the form's d, <e-code> its e. Faults:
    404, 500         that status with a small HTML body, connection kept
    ctype <value>    the file with Content-Type <value> (the rest of the line, blanks included)
    noctype          the file without Content-Type
    len0             Content-Length: 0 and no body, connection kept
    nolen            the file without Content-Length, ended by closing the connection
    chunked          the file in chunked coding, without Content-Length, connection kept
    empty            Content-Length of the file, no body, close
    short            Content-Length of the file, half of it, close
    long [n]         Content-Length of the file, the file and n more bytes (default 512), close
    slow <ms>        the usual answer after a wait
    reset            Content-Length of the file, half of it, a pause, then a TCP reset
    hang             no answer until the client closes (other connections go on)
    drop             close without an answer
The body faults need the file to exist; a missing file still gets 404.

Usage: download_server.py --port N [--port-file PATH] --files DIR --control DIR
"""

import argparse
import os
import re
import signal
import socket
import struct
import sys
import threading
import time

HOST = "127.0.0.1"
DOWNLOAD_PATH = "/download/Download.php"
EXTENSIONS = {"c": ".CAB", "i": ".ini", "d": ".dat", "ic": ".ico"}
FAULTS = {"404", "500", "ctype", "noctype", "len0", "nolen", "chunked", "empty", "short", "long", "slow",
          "reset", "hang", "drop"}
# Faults that shape the body of a file; a product or file that does not exist still gets its 404.
BODY_FAULTS = {"ctype", "noctype", "len0", "nolen", "chunked", "empty", "short", "long", "reset"}
DEFAULT_LONG_EXTRA = 512
RESET_DELAY_S = 0.5
OCTET_STREAM = "application/octet-stream"
SEND_CHUNK = 64 * 1024
MAX_HEAD = 64 * 1024
REASONS = {100: "Continue", 200: "OK", 400: "Bad Request", 404: "Not Found", 500: "Internal Server Error"}


class Rule:
    def __init__(self, product, ecode, fault, arg):
        self.product, self.ecode, self.fault, self.arg = product, ecode, fault, arg

    def matches(self, product, ecode):
        return self.product in ("*", product) and self.ecode in ("*", ecode)


def _next_token(text):
    """Splits off one blank-separated token; a token in double quotes may hold blanks."""
    text = text.lstrip()
    if text.startswith('"'):
        end = text.find('"', 1)
        if end < 0:
            return None, ""
        return text[1:end], text[end + 1:]
    parts = text.split(None, 1)
    if not parts:
        return None, ""
    return parts[0], parts[1] if len(parts) > 1 else ""


def parse_faults(text):
    """Returns the rules of a faults file, in order; a line that makes no sense is reported and skipped."""
    rules = []
    for number, line in enumerate(text.splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        product, rest = _next_token(line)
        ecode, rest = _next_token(rest)
        fault, rest = _next_token(rest)
        arg = rest.strip()
        problem = None
        if fault is None:
            problem = "needs <product> <e-code> <fault>"
        elif fault not in FAULTS:
            problem = "unknown fault %r" % fault
        elif fault == "slow" and not arg.isdigit():
            problem = "slow needs milliseconds"
        elif fault == "long" and arg and not arg.isdigit():
            problem = "long takes a byte count"
        if problem:
            print("faults.txt line %d: %s" % (number, problem), file=sys.stderr)
            continue
        rules.append(Rule(product, ecode, fault, arg))
    return rules


def find_fault(rules, product, ecode):
    for rule in rules:
        if rule.matches(product, ecode):
            return rule
    return None


def parse_form(body):
    """Splits the form into its fields. The setup sends values raw, so a value may itself hold '&':
    only an '&' followed by one of the five field names starts a new field."""
    text = body.decode("latin-1")
    fields = {}
    for piece in re.split(r"&(?=[pdsve]=)", text):
        name, sep, value = piece.partition("=")
        if sep and name not in fields:
            fields[name] = value
    return fields


def target_path(target):
    """The path of a request target in absolute form (http://host[:port]/path) or origin form."""
    if re.match(r"(?i)https?://", target):
        rest = target.split("://", 1)[1]
        slash = rest.find("/")
        target = rest[slash:] if slash >= 0 else "/"
    return target.split("?", 1)[0]


def escape_body(body):
    out = []
    for byte in body:
        if byte == 0x5C:
            out.append("\\\\")
        elif 0x20 <= byte <= 0x7E:
            out.append(chr(byte))
        else:
            out.append("\\x%02x" % byte)
    return "".join(out)


class RequestLog:
    def __init__(self, control_dir):
        self.folder = os.path.join(control_dir, "log")
        self.lock = threading.Lock()
        self.counter = self._highest_number()

    def _req_names(self):
        try:
            return [n for n in os.listdir(self.folder) if re.fullmatch(r"\d+\.req", n)]
        except FileNotFoundError:
            return []

    def _highest_number(self):
        return max((int(n[:-4]) for n in self._req_names()), default=0)

    def record(self, raw, method, target, body):
        with self.lock:
            if not self._req_names():
                self.counter = 0
            os.makedirs(self.folder, exist_ok=True)
            self.counter += 1
            number = "%04d" % self.counter
            # A reader polling the index must never find a half-written request file.
            temp = os.path.join(self.folder, number + ".tmp")
            with open(temp, "wb") as f:
                f.write(raw)
            os.replace(temp, os.path.join(self.folder, number + ".req"))
            line = "%s %s %s %s\n" % (number, method, target, escape_body(body))
            with open(os.path.join(self.folder, "index.txt"), "ab") as f:
                f.write(line.encode("latin-1"))
            return number


class Request:
    def __init__(self, raw, method, target, version, headers, body):
        self.raw, self.method, self.target, self.version = raw, method, target, version
        self.headers, self.body = headers, body

    def header(self, name):
        return self.headers.get(name.lower(), "")

    def keep_alive(self):
        tokens = {t.strip().lower() for t in
                  (self.header("Connection") + "," + self.header("Proxy-Connection")).split(",")}
        if "close" in tokens:
            return False
        return self.version == "HTTP/1.1" or "keep-alive" in tokens


class ConnectionClosed(Exception):
    pass


class Connection:
    """One client connection: reads requests one after the other from a shared buffer, so requests
    sent back to back (or a body sent apart from its head) are each taken whole."""

    def __init__(self, sock):
        self.sock = sock
        self.buffer = bytearray()

    def _fill(self):
        data = self.sock.recv(SEND_CHUNK)
        if not data:
            raise ConnectionClosed()
        self.buffer += data

    def _take(self, count):
        while len(self.buffer) < count:
            self._fill()
        taken = bytes(self.buffer[:count])
        del self.buffer[:count]
        return taken

    def _take_line(self):
        while True:
            end = self.buffer.find(b"\n")
            if end >= 0:
                return self._take(end + 1)
            if len(self.buffer) > MAX_HEAD:
                raise ConnectionClosed()
            self._fill()

    def _head_end(self, start):
        ends = [(i, len(sep)) for sep in (b"\r\n\r\n", b"\n\n") for i in [self.buffer.find(sep, start)] if i >= 0]
        if not ends:
            return None
        index, length = min(ends)
        return index + length

    def read_request(self):
        """Returns the next whole request, or None when the client has closed between requests.
        Empty lines before a request line (some clients end a POST body with an extra CR LF) are
        skipped but kept in the request's bytes, so the log still holds all that arrived."""
        while True:
            start = len(self.buffer) - len(self.buffer.lstrip(b"\r\n"))
            if start < len(self.buffer) and self._head_end(start) is not None:
                break
            if len(self.buffer) > MAX_HEAD:
                raise ConnectionClosed()
            try:
                self._fill()
            except ConnectionClosed:
                if self.buffer.strip(b"\r\n"):
                    raise
                return None
        head = self._take(self._head_end(start))
        lines = head[start:].decode("latin-1").splitlines()
        parts = lines[0].split()
        method, target = (parts + ["", ""])[:2]
        version = parts[2] if len(parts) > 2 else "HTTP/1.0"
        headers = {}
        for line in lines[1:]:
            name, sep, value = line.partition(":")
            if sep:
                headers.setdefault(name.strip().lower(), value.strip())
        if headers.get("expect", "").lower() == "100-continue":
            self.sock.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
        raw = bytearray(head)
        body = bytearray()
        if "chunked" in headers.get("transfer-encoding", "").lower():
            while True:
                size_line = self._take_line()
                raw += size_line
                size = int(size_line.split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while True:
                        trailer = self._take_line()
                        raw += trailer
                        if not trailer.strip():
                            break
                    break
                data = self._take(size)
                raw += data + self._take_line()
                body += data
        elif headers.get("content-length", "").isdigit():
            body += self._take(int(headers["content-length"]))
            raw += body
        return Request(bytes(raw), method, target, version, headers, bytes(body))

    def wait_for_close(self):
        """Reads and drops whatever the client sends until it closes, or the server stops."""
        try:
            while self.sock.recv(SEND_CHUNK):
                pass
        except OSError:
            pass


def status_line(status):
    return "HTTP/1.1 %d %s\r\n" % (status, REASONS.get(status, "Status"))


def encode_head(status, headers):
    text = status_line(status) + "".join("%s: %s\r\n" % item for item in headers) + "\r\n"
    return text.encode("latin-1")


def send_file(sock, path, count, chunked=False):
    """Sends the first count bytes of a file, in chunked coding if asked (without the last chunk)."""
    with open(path, "rb") as f:
        while count > 0:
            data = f.read(min(SEND_CHUNK, count))
            if not data:
                break
            count -= len(data)
            sock.sendall(b"%x\r\n%s\r\n" % (len(data), data) if chunked else data)


class DownloadServer:
    def __init__(self, port, files_dir, control_dir):
        self.files_dir = os.path.abspath(files_dir)
        self.control_dir = control_dir
        self.log = RequestLog(control_dir)
        self.stopping = threading.Event()
        self.connections = set()
        self.threads = set()
        self.lock = threading.Lock()
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind((HOST, port))
        self.listener.listen(64)
        # Accept wakes up now and then to notice a stop; closing the socket does not wake it on Linux.
        self.listener.settimeout(0.2)
        self.port = self.listener.getsockname()[1]

    def read_rules(self):
        try:
            with open(os.path.join(self.control_dir, "faults.txt"), "r", encoding="latin-1") as f:
                return parse_faults(f.read())
        except FileNotFoundError:
            return []

    def file_for(self, request, fields):
        """The file a download request asks for, or None for anything this server does not have."""
        if request.method != "POST" or target_path(request.target) != DOWNLOAD_PATH:
            return None
        product = fields.get("d", "")
        ext = EXTENSIONS.get(fields.get("e"))
        if not ext or not product or product in (".", "..") or re.search(r"[/\\\x00]", product):
            return None
        path = os.path.join(self.files_dir, product, product + ext)
        return path if os.path.isfile(path) else None

    def serve_forever(self):
        while not self.stopping.is_set():
            try:
                sock, _ = self.listener.accept()
            except socket.timeout:
                continue
            except OSError:
                if self.stopping.is_set():
                    break
                raise
            sock.settimeout(None)
            thread = threading.Thread(target=self._serve_connection, args=(sock,), daemon=True)
            with self.lock:
                self.connections.add(sock)
                self.threads.add(thread)
            thread.start()

    def stop(self):
        self.stopping.set()
        self.listener.close()
        with self.lock:
            connections, threads = list(self.connections), list(self.threads)
        for sock in connections:
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        for thread in threads:
            thread.join(2.0)

    def _serve_connection(self, sock):
        connection = Connection(sock)
        try:
            while not self.stopping.is_set():
                request = connection.read_request()
                if request is None:
                    break
                self.log.record(request.raw, request.method, request.target, request.body)
                if not self._answer(connection, request):
                    break
        except (ConnectionClosed, OSError, ValueError):
            pass
        finally:
            with self.lock:
                self.connections.discard(sock)
                self.threads.discard(threading.current_thread())
            try:
                sock.close()
            except OSError:
                pass

    def _answer(self, connection, request):
        """Answers one request; returns whether the connection stays open for the next."""
        sock = connection.sock
        fields = parse_form(request.body) if request.method == "POST" else {}
        path = self.file_for(request, fields)
        rule = find_fault(self.read_rules(), fields.get("d", ""), fields.get("e", ""))
        fault = rule.fault if rule else None
        keep = request.keep_alive()
        if fault == "slow":
            if self.stopping.wait(int(rule.arg) / 1000.0):
                return False
        elif fault == "hang":
            connection.wait_for_close()
            return False
        elif fault == "drop":
            return False
        if fault in ("404", "500"):
            return self._send_error(sock, int(fault), keep)
        if path is None:
            return self._send_error(sock, 404, keep)
        size = os.path.getsize(path)
        if fault not in BODY_FAULTS:
            sock.sendall(encode_head(200, [("Content-Type", OCTET_STREAM), ("Content-Length", size)]))
            send_file(sock, path, size)
            return keep
        return self._send_faulty(sock, rule, path, size, keep)

    def _send_error(self, sock, status, keep):
        body = ("<html><body><h1>%d %s</h1></body></html>\n" % (status, REASONS[status])).encode("ascii")
        headers = [("Content-Type", "text/html"), ("Content-Length", len(body))]
        if not keep:
            headers.append(("Connection", "close"))
        sock.sendall(encode_head(status, headers) + body)
        return keep

    def _send_faulty(self, sock, rule, path, size, keep):
        fault = rule.fault
        if fault == "ctype":
            sock.sendall(encode_head(200, [("Content-Type", rule.arg), ("Content-Length", size)]))
            send_file(sock, path, size)
            return keep
        if fault == "noctype":
            sock.sendall(encode_head(200, [("Content-Length", size)]))
            send_file(sock, path, size)
            return keep
        if fault == "len0":
            sock.sendall(encode_head(200, [("Content-Type", OCTET_STREAM), ("Content-Length", 0)]))
            return keep
        if fault == "nolen":
            sock.sendall(encode_head(200, [("Content-Type", OCTET_STREAM), ("Connection", "close")]))
            send_file(sock, path, size)
            return False
        if fault == "chunked":
            sock.sendall(encode_head(200, [("Content-Type", OCTET_STREAM), ("Transfer-Encoding", "chunked")]))
            send_file(sock, path, size, chunked=True)
            sock.sendall(b"0\r\n\r\n")
            return keep
        # The rest announce the whole file and then break their word, so the connection cannot go on.
        sock.sendall(encode_head(200, [("Content-Type", OCTET_STREAM), ("Content-Length", size)]))
        if fault == "short":
            send_file(sock, path, size // 2)
        elif fault == "long":
            send_file(sock, path, size)
            extra = int(rule.arg) if rule.arg else DEFAULT_LONG_EXTRA
            sock.sendall(b"X" * extra)
        elif fault == "reset":
            send_file(sock, path, size // 2)
            # A reset throws away whatever the client has not read yet, headers included, so the
            # client is given time to take in what was sent and to wait for the rest; otherwise
            # the fault sometimes looks like a broken answer instead of a broken body.
            time.sleep(RESET_DELAY_S)
            # Linger 0 turns the close into an RST instead of an orderly FIN.
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        return False


def write_port_file(path, port):
    temp = path + ".tmp"
    with open(temp, "w") as f:
        f.write("%d\n" % port)
    os.replace(temp, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Local download server for the setup's tests.")
    parser.add_argument("--port", type=int, required=True, help="port on 127.0.0.1; 0 picks a free one")
    parser.add_argument("--port-file", help="file that receives the port once the server listens")
    parser.add_argument("--files", required=True, help="folder holding <product>/<product>.<ext>")
    parser.add_argument("--control", required=True, help="folder holding faults.txt and receiving log/")
    args = parser.parse_args(argv)

    os.makedirs(args.control, exist_ok=True)
    server = DownloadServer(args.port, args.files, args.control)
    signal.signal(signal.SIGTERM, lambda *_: server.stopping.set())
    signal.signal(signal.SIGINT, lambda *_: server.stopping.set())
    print(server.port, flush=True)
    if args.port_file:
        write_port_file(args.port_file, server.port)
    try:
        server.serve_forever()
    finally:
        server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
