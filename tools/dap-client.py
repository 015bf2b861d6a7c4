#!/usr/bin/env python3
"""Drives a Tavrin debug server (tavrin --debug-server PORT) from the command line.

The actions run in the order given, for example:

  tools/dap-client.py --port 4711 --break main.c:12 --continue --evaluate x --next --evaluate '(HL)'

--break FILE:LINE and --function NAME set breakpoints before the program runs;
--continue, --next, --step-in, --step-out and --pause each wait for the stop
that follows and print where it is; --evaluate, --stack, --registers,
--disassemble and --read ADDRESS:COUNT print what they ask. The program's
debug-console text is printed as it comes. At the end the client disconnects
and the program runs on.
"""

import argparse
import base64
import json
import socket
import sys
import time


class Client:
    def __init__(self, port, timeout):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.timeout = timeout
        self.buffer = b""
        self.seq = 1
        self.events = []

    def send(self, command, arguments=None):
        message = {"seq": self.seq, "type": "request", "command": command}
        if arguments is not None:
            message["arguments"] = arguments
        self.seq += 1
        body = json.dumps(message).encode()
        self.sock.sendall(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        return message["seq"]

    def read(self):
        deadline = time.monotonic() + self.timeout
        while True:
            end = self.buffer.find(b"\r\n\r\n")
            if end >= 0:
                length = None
                for line in self.buffer[:end].split(b"\r\n"):
                    name, _, value = line.partition(b":")
                    if name.strip().lower() == b"content-length":
                        length = int(value)
                if length is None:
                    raise RuntimeError("a message without Content-Length")
                if len(self.buffer) >= end + 4 + length:
                    body = self.buffer[end + 4:end + 4 + length]
                    self.buffer = self.buffer[end + 4 + length:]
                    message = json.loads(body)
                    if message.get("type") == "event" and message.get("event") == "output":
                        sys.stdout.write(message["body"].get("output", ""))
                        sys.stdout.flush()
                    return message
            if time.monotonic() > deadline:
                raise TimeoutError("no answer from the debug server")
            data = self.sock.recv(65536)
            if not data:
                raise ConnectionError("the debug server closed the connection")
            self.buffer += data

    def request(self, command, arguments=None):
        seq = self.send(command, arguments)
        while True:
            message = self.read()
            if message.get("type") == "response" and message.get("request_seq") == seq:
                if not message.get("success"):
                    raise RuntimeError("%s: %s" % (command, message.get("message", "failed")))
                return message.get("body", {})
            self.events.append(message)

    def wait_event(self, name):
        while True:
            for i, event in enumerate(self.events):
                if event.get("event") == name:
                    return self.events.pop(i)
            self.events.append(self.read())


def where(client):
    frame = client.request("stackTrace", {"threadId": 1})["stackFrames"][0]
    source = frame.get("source", {}).get("name")
    place = "%s:%d" % (source, frame["line"]) if source else ""
    return "%s %s %s" % (frame["instructionPointerReference"], frame["name"], place)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--timeout", type=float, default=30)
    parser.add_argument("--stop-on-entry", action="store_true")
    actions = [("--break", "break"), ("--function", "function"), ("--evaluate", "evaluate"),
               ("--read", "read"), ("--disassemble", "disassemble")]
    for flag, name in actions:
        parser.add_argument(flag, dest="actions", action="append", type=lambda v, n=name: (n, v))
    for flag, name in [("--continue", "continue"), ("--next", "next"), ("--step-in", "stepIn"),
                       ("--step-out", "stepOut"), ("--pause", "pause"), ("--stack", "stack"),
                       ("--registers", "registers")]:
        parser.add_argument(flag, dest="actions", action="append_const", const=(name, None))
    args = parser.parse_args()
    actions = args.actions or []

    client = Client(args.port, args.timeout)
    client.request("initialize", {"clientID": "dap-client", "adapterID": "tavrin", "linesStartAt1": True})
    client.request("attach", {"stopOnEntry": args.stop_on_entry})
    lines = {}
    functions = []
    for name, value in actions:
        if name == "break":
            path, _, line = value.rpartition(":")
            lines.setdefault(path, []).append({"line": int(line)})
        elif name == "function":
            functions.append({"name": value})
    for path, breakpoints in lines.items():
        body = client.request("setBreakpoints", {"source": {"path": path}, "breakpoints": breakpoints})
        for b in body["breakpoints"]:
            print("breakpoint %s:%s %s" % (path, b.get("line"), "set" if b["verified"] else b.get("message", "")))
    if functions:
        client.request("setFunctionBreakpoints", {"breakpoints": functions})
    client.request("configurationDone")

    # After configurationDone the program runs (or stops on entry): the
    # first --continue only waits for the first stop.
    running = True
    status = 0
    try:
        for name, value in actions:
            if name in ("continue", "next", "stepIn", "stepOut", "pause"):
                if not (running and name == "continue"):
                    client.request(name, {"threadId": 1})
                stop = client.wait_event("stopped")["body"]
                running = False
                print("stopped (%s): %s" % (stop["reason"], where(client)))
                if stop.get("description"): print("  " + stop["description"])
            elif name == "evaluate":
                print("%s = %s" % (value, client.request("evaluate", {"expression": value})["result"]))
            elif name == "stack":
                print(where(client))
            elif name == "registers":
                for v in client.request("variables", {"variablesReference": 1})["variables"]:
                    print("%s=%s" % (v["name"], v["value"]))
            elif name == "read":
                address, _, count = value.partition(":")
                body = client.request("readMemory", {"memoryReference": address, "count": int(count or 16)})
                print(body["address"], base64.b64decode(body.get("data", "")).hex(" "))
            elif name == "disassemble":
                body = client.request("disassemble", {"memoryReference": value, "instructionCount": 8})
                for i in body["instructions"]:
                    print("%s  %-12s %s" % (i["address"], i.get("instructionBytes", ""), i["instruction"]))
    except (RuntimeError, TimeoutError, ConnectionError) as error:
        print("dap-client: %s" % error, file=sys.stderr)
        status = 1
    try:
        client.request("disconnect", {})
    except (RuntimeError, TimeoutError, ConnectionError, OSError):
        pass
    return status


if __name__ == "__main__":
    sys.exit(main())
