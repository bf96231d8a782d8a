"""Checks the local download server over raw sockets: the bytes of each answer, connection reuse
and the request log. Run from this folder with `python3 -m unittest test_download_server`, or from
the repository with `python3 -m unittest discover -s tests/support`."""

import contextlib
import io
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import download_server  # noqa: E402

SERVER = os.path.join(HERE, "download_server.py")
PRODUCT = "Zentaro"
# An even size that is not a multiple of the server's send chunk, so halves and chunks are both exercised.
CAB = bytes(range(256)) * 300 + b"end of cabinet"
INI = b"[CEAppManager]\r\nVersion \t= 1.0\r\nComponent\t= Zentaro\r\n"
OCTET = "application/octet-stream"
# Long enough for a loaded machine; only an answer that fails its case waits it out.
PROBE_SECONDS = 2.0


def form(product, ecode):
    return ("p=Orvella&d=%s&s=QX&v=2.3&e=%s" % (product, ecode)).encode("latin-1")


def request_bytes(product=PRODUCT, ecode="c", absolute=True, path="/download/Download.php", method="POST"):
    """A request as WinINet sends it through a proxy (absolute form) or directly (origin form)."""
    target = "http://www.quorvex.example" + path if absolute else path
    body = form(product, ecode) if method == "POST" else b""
    head = ("%s %s HTTP/1.1\r\n"
            "Content-type: application/x-www-form-urlencoded\r\n"
            "User-Agent: Quorvex Orvella Setup\r\n"
            "Host: www.quorvex.example\r\n"
            "Content-Length: %d\r\n"
            "Proxy-Connection: Keep-Alive\r\n"
            "\r\n" % (method, target, len(body)))
    return head.encode("latin-1") + body


class Answer:
    def __init__(self):
        self.status = None
        self.headers = {}
        self.body = b""
        self.extra = b""  # bytes that followed the announced body
        self.end = "open"  # open, eof or reset


class Reader:
    def __init__(self, sock):
        self.sock = sock
        self.buffer = b""
        self.end = None

    def fill(self, timeout=5.0):
        if self.end:
            return False
        self.sock.settimeout(timeout)
        try:
            data = self.sock.recv(65536)
        except socket.timeout:
            return False
        except ConnectionResetError:
            self.end = "reset"
            return False
        if not data:
            self.end = "eof"
            return False
        self.buffer += data
        return True

    def take(self, count):
        while len(self.buffer) < count and self.fill():
            pass
        taken, self.buffer = self.buffer[:count], self.buffer[count:]
        return taken

    def take_line(self):
        while b"\r\n" not in self.buffer and self.fill():
            pass
        line, _, self.buffer = self.buffer.partition(b"\r\n")
        return line

    def answer(self, probe=False):
        """Reads one answer by its own framing, then (with probe) whatever else comes before a
        quiet spell, to see extra bytes and how the connection ended."""
        result = Answer()
        while b"\r\n\r\n" not in self.buffer and self.fill():
            pass
        if b"\r\n\r\n" in self.buffer:
            head, self.buffer = self.buffer.split(b"\r\n\r\n", 1)
            lines = head.decode("latin-1").split("\r\n")
            result.status = int(lines[0].split()[1])
            result.headers = {k.lower(): v.strip() for k, _, v in (line.partition(":") for line in lines[1:])}
            if result.headers.get("transfer-encoding") == "chunked":
                while True:
                    size = int(self.take_line(), 16)
                    if size == 0:
                        self.take_line()
                        break
                    result.body += self.take(size)
                    self.take_line()
            elif "content-length" in result.headers:
                result.body = self.take(int(result.headers["content-length"]))
            else:
                while self.fill():
                    pass
                result.body, self.buffer = self.buffer, b""
        if probe:
            while self.fill(PROBE_SECONDS):
                pass
            result.extra, self.buffer = self.buffer, b""
        result.end = self.end or "open"
        return result


class ServerProcess:
    def __init__(self, files, control):
        self.process = subprocess.Popen(
            [sys.executable, SERVER, "--port", "0", "--port-file", os.path.join(control, "port"),
             "--files", files, "--control", control],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.port = int(self.process.stdout.readline())

    def connect(self):
        return socket.create_connection(("127.0.0.1", self.port), timeout=5)

    def stop(self, signum=signal.SIGTERM):
        self.process.send_signal(signum)
        code = self.process.wait(5)
        self.process.stdout.close()
        self.process.stderr.close()
        return code


class DownloadServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="download-server-")
        cls.files = os.path.join(cls.root, "files")
        cls.control = os.path.join(cls.root, "control")
        os.makedirs(os.path.join(cls.files, PRODUCT))
        os.makedirs(cls.control)
        for ext, data in ((".CAB", CAB), (".ini", INI), (".dat", b"MSCE" + bytes(96)), (".ico", b"\0\0\1\0")):
            with open(os.path.join(cls.files, PRODUCT, PRODUCT + ext), "wb") as f:
                f.write(data)
        cls.server = ServerProcess(cls.files, cls.control)

    @classmethod
    def tearDownClass(cls):
        code = cls.server.stop()
        shutil.rmtree(cls.root)
        assert code == 0, "server exit code %d" % code

    def setUp(self):
        shutil.rmtree(self.log_dir(), ignore_errors=True)
        self.set_faults("")

    def log_dir(self):
        return os.path.join(self.control, "log")

    def set_faults(self, text):
        with open(os.path.join(self.control, "faults.txt"), "w") as f:
            f.write(text)

    def index_lines(self):
        with open(os.path.join(self.log_dir(), "index.txt"), "rb") as f:
            return f.read().decode("latin-1").splitlines()

    def logged(self, number):
        with open(os.path.join(self.log_dir(), "%04d.req" % number), "rb") as f:
            return f.read()

    def exchange(self, sock, data, probe=False):
        sock.sendall(data)
        return Reader(sock).answer(probe)

    def assert_still_serves(self, sock):
        after = self.exchange(sock, request_bytes(ecode="i"))
        self.assertEqual((after.status, after.body), (200, INI))

    def test_port_is_printed_and_written(self):
        with open(os.path.join(self.control, "port")) as f:
            self.assertEqual(int(f.read()), self.server.port)

    def test_faults_on_the_wire(self):
        half = len(CAB) // 2
        full = str(len(CAB))
        # fault, status, Content-Type (None: absent), Content-Length (None: absent), body, extra, end
        cases = [
            ("404", 404, "text/html", "*", "*", b"", "open"),
            ("500", 500, "text/html", "*", "*", b"", "open"),
            ("ctype application/octet-stream; charset=utf-8", 200, OCTET + "; charset=utf-8", full, CAB, b"",
             "open"),
            ("ctype text/html", 200, "text/html", full, CAB, b"", "open"),
            ("noctype", 200, None, full, CAB, b"", "open"),
            ("len0", 200, OCTET, "0", b"", b"", "open"),
            ("nolen", 200, OCTET, None, CAB, b"", "eof"),
            ("chunked", 200, OCTET, None, CAB, b"", "open"),
            ("empty", 200, OCTET, full, b"", b"", "eof"),
            ("short", 200, OCTET, full, CAB[:half], b"", "eof"),
            ("long", 200, OCTET, full, CAB, b"X" * 512, "eof"),
            ("long 3", 200, OCTET, full, CAB, b"XXX", "eof"),
            ("slow 50", 200, OCTET, full, CAB, b"", "open"),
            ("reset", 200, OCTET, full, CAB[:half], b"", "reset"),
            ("drop", None, None, None, b"", b"", "eof"),
        ]
        for fault, status, ctype, length, body, extra, end in cases:
            with self.subTest(fault=fault):
                self.set_faults("%s c %s\n" % (PRODUCT, fault))
                with self.server.connect() as sock:
                    # An answer that should leave the connection open is proven by the next request
                    # instead, which also shows any stray bytes after the announced body.
                    answer = self.exchange(sock, request_bytes(), probe=end != "open")
                    self.assertEqual(answer.status, status)
                    self.assertEqual(answer.headers.get("content-type"), ctype)
                    if length != "*":
                        self.assertEqual(answer.headers.get("content-length"), length)
                    if body != "*":
                        self.assertEqual(answer.body, body)
                    if end == "open":
                        self.assert_still_serves(sock)
                    else:
                        self.assertEqual((answer.extra, answer.end), (extra, end))

    def test_chunked_answer_has_no_content_length(self):
        self.set_faults("* * chunked\n")
        with self.server.connect() as sock:
            answer = self.exchange(sock, request_bytes())
        self.assertEqual(answer.headers.get("transfer-encoding"), "chunked")
        self.assertNotIn("content-length", answer.headers)

    def test_one_connection_serves_several_requests_and_each_is_logged_exactly(self):
        first = request_bytes(ecode="c")
        second = request_bytes(ecode="i", absolute=False)
        pipelined = request_bytes(ecode="d") + request_bytes(ecode="ic")
        split = request_bytes(ecode="c")
        with self.server.connect() as sock:
            reader = Reader(sock)
            sock.sendall(first)
            self.assertEqual(reader.answer().body, CAB)
            sock.sendall(second)
            self.assertEqual(reader.answer().body, INI)
            sock.sendall(pipelined)
            self.assertEqual(reader.answer().body, b"MSCE" + bytes(96))
            self.assertEqual(reader.answer().body, b"\0\0\1\0")
            # WinINet may send the form apart from the head.
            head_end = split.index(b"\r\n\r\n") + 4
            sock.sendall(split[:head_end])
            time.sleep(0.1)
            sock.sendall(split[head_end:])
            self.assertEqual(reader.answer().body, CAB)
            self.assert_still_serves(sock)
        sent = [first, second, request_bytes(ecode="d"), request_bytes(ecode="ic"), split, request_bytes(ecode="i")]
        for number, data in enumerate(sent, 1):
            self.assertEqual(self.logged(number), data)
        self.assertEqual(self.index_lines(), [
            "0001 POST http://www.quorvex.example/download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=c",
            "0002 POST /download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=i",
            "0003 POST http://www.quorvex.example/download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=d",
            "0004 POST http://www.quorvex.example/download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=ic",
            "0005 POST http://www.quorvex.example/download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=c",
            "0006 POST http://www.quorvex.example/download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=i",
        ])

    def test_requests_for_what_is_not_there_get_404_and_keep_the_connection(self):
        cases = [
            ("unknown product", request_bytes(product="Nobody")),
            ("unknown file code", request_bytes(ecode="x")),
            ("path outside the files", request_bytes(product="../" + PRODUCT)),
            ("other path", request_bytes(path="/download/Other.php")),
            ("GET", request_bytes(method="GET")),
        ]
        for name, data in cases:
            with self.subTest(name):
                with self.server.connect() as sock:
                    self.assertEqual(self.exchange(sock, data).status, 404)
                    self.assert_still_serves(sock)

    def test_connection_close_is_honoured(self):
        data = request_bytes().replace(b"Proxy-Connection: Keep-Alive", b"Connection: close")
        with self.server.connect() as sock:
            answer = self.exchange(sock, data, probe=True)
        self.assertEqual((answer.body, answer.end), (CAB, "eof"))

    def test_slow_answer_waits(self):
        self.set_faults("* i slow 400\n")
        with self.server.connect() as sock:
            started = time.monotonic()
            answer = self.exchange(sock, request_bytes(ecode="i"))
            self.assertGreaterEqual(time.monotonic() - started, 0.4)
            self.assertEqual(answer.body, INI)

    def test_hung_connection_does_not_block_others(self):
        self.set_faults("%s c hang\n" % PRODUCT)
        with self.server.connect() as hung:
            hung.sendall(request_bytes())
            with self.server.connect() as other:
                self.assertEqual(self.exchange(other, request_bytes(ecode="i")).body, INI)
            hung.settimeout(0.5)
            self.assertRaises(socket.timeout, hung.recv, 1)
        self.assertEqual(len(self.index_lines()), 2)

    def test_log_numbering_restarts_when_the_folder_is_emptied(self):
        with self.server.connect() as sock:
            self.exchange(sock, request_bytes(ecode="c"))
            self.exchange(sock, request_bytes(ecode="i"))
            for name in os.listdir(self.log_dir()):
                os.remove(os.path.join(self.log_dir(), name))
            self.exchange(sock, request_bytes(ecode="d"))
        self.assertEqual(self.index_lines(), [
            "0001 POST http://www.quorvex.example/download/Download.php p=Orvella&d=Zentaro&s=QX&v=2.3&e=d"])

    def test_body_bytes_are_escaped_in_the_index_only(self):
        body = b"p=A\\B&d=x\r\ny\xe9"
        data = b"POST /download/Download.php HTTP/1.1\r\nContent-Length: %d\r\n\r\n%s" % (len(body), body)
        with self.server.connect() as sock:
            self.exchange(sock, data)
        self.assertEqual(self.logged(1), data)
        self.assertEqual(self.index_lines(), ["0001 POST /download/Download.php p=A\\\\B&d=x\\x0d\\x0ay\\xe9"])


class StopTest(unittest.TestCase):
    def test_signal_ends_the_server_while_a_connection_hangs(self):
        for signum in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=signum.name), tempfile.TemporaryDirectory() as root:
                control = os.path.join(root, "control")
                os.makedirs(control)
                with open(os.path.join(control, "faults.txt"), "w") as f:
                    f.write("* * hang\n")
                server = ServerProcess(root, control)
                with server.connect() as sock:
                    sock.sendall(request_bytes())
                    time.sleep(0.2)
                    started = time.monotonic()
                    self.assertEqual(server.stop(signum), 0)
                    self.assertLess(time.monotonic() - started, 2)
                    self.assertEqual(sock.recv(1), b"")


class RuleTest(unittest.TestCase):
    RULES = (
        "# comment\n"
        "\n"
        "Zentaro c 404\n"
        '"Two Words" * ctype text/html; charset=utf-8\n'
        "* ic slow 20\n"
        "Zentaro * 500\n"
        "Zentaro i bogus\n"
        "* * noctype\n"
    )

    def test_first_matching_rule_wins(self):
        warnings = io.StringIO()
        with contextlib.redirect_stderr(warnings):
            rules = download_server.parse_faults(self.RULES)
        self.assertEqual(warnings.getvalue(), "faults.txt line 7: unknown fault 'bogus'\n")
        cases = [
            ("Zentaro", "c", "404", ""),
            ("Zentaro", "ic", "slow", "20"),
            ("Zentaro", "i", "500", ""),
            ("Two Words", "d", "ctype", "text/html; charset=utf-8"),
            ("Other", "d", "noctype", ""),
        ]
        for product, ecode, fault, arg in cases:
            with self.subTest(product=product, ecode=ecode):
                rule = download_server.find_fault(rules, product, ecode)
                self.assertEqual((rule.fault, rule.arg), (fault, arg))

    def test_form_values_are_taken_raw(self):
        cases = [
            (b"p=Orvella&d=Zentaro&s=QX&v=2.3&e=c", {"p": "Orvella", "d": "Zentaro", "s": "QX", "v": "2.3", "e": "c"}),
            (b"p=Orvella&d=A&B Co&s=QX&v=2.3&e=ic", {"p": "Orvella", "d": "A&B Co", "s": "QX", "v": "2.3", "e": "ic"}),
            (b"p=Orvella&d=A%20B&e=i", {"p": "Orvella", "d": "A%20B", "e": "i"}),
        ]
        for body, fields in cases:
            with self.subTest(body=body):
                self.assertEqual(download_server.parse_form(body), fields)


if __name__ == "__main__":
    unittest.main()
