"""A web server on the loopback address for scenario tests: it records every
request in the order of arrival (method, path, headers and body) and answers each with an
empty 204, after a delay when asked, so that a test can keep requests
queued in the program under test."""

from __future__ import annotations

import dataclasses
import http.server
import threading
import time


@dataclasses.dataclass
class Request:
    path: str
    headers: dict[str, str]
    method: str = "GET"
    body: bytes = b""


class RecordingServer:
    def __init__(self, delay: float = 0.0):
        self.requests: list[Request] = []
        recorded = self.requests

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                self.record("GET", b"")

            def do_POST(self):
                self.record("POST", self.rfile.read(int(self.headers.get("Content-Length", "0"))))

            def record(self, method, body):
                recorded.append(Request(self.path, {k.lower(): v for k, v in self.headers.items()}, method, body))
                time.sleep(delay)
                self.send_response(204)
                self.send_header("Content-Length", "0")
                self.end_headers()

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    def url(self, path: str = "") -> str:
        return f"http://127.0.0.1:{self._server.server_address[1]}{path}"

    def paths(self) -> list[str]:
        return [r.path for r in self.requests]

    def close(self) -> None:
        self._server.shutdown()
        self._server.server_close()
