"""A minimal client of Chromium's DevTools protocol over a WebSocket, with
Python's standard library only. Used by scripts/screenshots to drive the
real program's pages (started with QTWEBENGINE_REMOTE_DEBUGGING)."""

import base64
import json
import os
import socket
import struct
import time
import urllib.request
from urllib.parse import urlparse


class DevToolsError(Exception):
    pass


def targets(port, host="127.0.0.1"):
    with urllib.request.urlopen(f"http://{host}:{port}/json", timeout=2) as reply:
        return json.loads(reply.read().decode("utf-8"))


def wait_for_page(port, url_part, timeout=60.0):
    """The first page target whose address contains url_part."""
    end = time.time() + timeout
    last = None
    while time.time() < end:
        try:
            for target in targets(port):
                if target.get("type") == "page" and url_part in target.get("url", ""):
                    return target
        except OSError as error:
            last = error
        time.sleep(0.25)
    raise DevToolsError(f"no page with '{url_part}' on port {port} ({last})")


class Session:
    """One WebSocket connection to a page target."""

    def __init__(self, ws_url, timeout=30.0):
        address = urlparse(ws_url)
        self.sock = socket.create_connection((address.hostname, address.port), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode("ascii")
        request = (f"GET {address.path} HTTP/1.1\r\nHost: {address.hostname}:{address.port}\r\n"
                   "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                   f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
        self.sock.sendall(request.encode("ascii"))
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1024)
            if not chunk:
                raise DevToolsError("connection closed during the handshake")
            head += chunk
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise DevToolsError(head.decode("latin-1"))
        self.buffer = head.split(b"\r\n\r\n", 1)[1]
        self.next_id = 0
        self.events = []

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise DevToolsError("connection closed")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def _send_frame(self, payload, opcode=1):
        header = bytes([0x80 | opcode])
        n = len(payload)
        if n < 126:
            header += bytes([0x80 | n])
        elif n < 1 << 16:
            header += bytes([0x80 | 126]) + struct.pack(">H", n)
        else:
            header += bytes([0x80 | 127]) + struct.pack(">Q", n)
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(header + mask + masked)

    def _receive_message(self):
        message = b""
        while True:
            first, second = self._read(2)
            opcode = first & 0x0F
            n = second & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._read(8))[0]
            if second & 0x80:
                mask = self._read(4)
                data = bytes(b ^ mask[i % 4] for i, b in enumerate(self._read(n)))
            else:
                data = self._read(n)
            if opcode == 8:
                raise DevToolsError("closed by the browser")
            if opcode == 9:
                self._send_frame(data, opcode=10)
                continue
            if opcode in (0, 1, 2):
                message += data
                if first & 0x80:
                    return json.loads(message.decode("utf-8"))

    def call(self, method, **params):
        self.next_id += 1
        number = self.next_id
        self._send_frame(json.dumps({"id": number, "method": method, "params": params}).encode("utf-8"))
        while True:
            message = self._receive_message()
            if message.get("id") == number:
                if "error" in message:
                    raise DevToolsError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def evaluate(self, expression, await_promise=True):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=await_promise,
                           returnByValue=True)
        if "exceptionDetails" in result:
            raise DevToolsError(f"{expression[:80]}: {result['exceptionDetails']}")
        return result.get("result", {}).get("value")

    def wait_for(self, expression, timeout=20.0):
        end = time.time() + timeout
        while time.time() < end:
            if self.evaluate(expression):
                return True
            time.sleep(0.1)
        raise DevToolsError(f"timed out waiting for {expression}")

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))
