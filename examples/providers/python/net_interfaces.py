#!/usr/bin/env python3
"""A command provider for cimxmld: the machine's network interfaces, read
from /sys/class/net, as instances of Example_NetworkInterface.

cimxmld writes one JSON request a line to standard input; this program
answers each with result lines and ends it with {"id": ..., "status": 0}
(or a CIM status and a message). Log to standard error, never to standard
output: that is the answer channel.
"""
import json
import os
import sys

NET = "/sys/class/net"


def read(name, item):
    try:
        with open(os.path.join(NET, name, item)) as f:
            return f.read().strip()
    except OSError:
        return None


def interface(name):
    mtu = read(name, "mtu")
    return {
        "Name": name,
        "MTU": int(mtu) if mtu and mtu.isdigit() else None,
        "OperState": read(name, "operstate"),
        "Address": read(name, "address"),
    }


def answer(request):
    op = request["op"]
    if op == "EnumerateInstances":
        for name in sorted(os.listdir(NET)):
            yield {"instance": interface(name)}
        return 0, None
    if op == "GetInstance":
        name = request["keys"].get("Name")
        if not name or "/" in name or not os.path.isdir(os.path.join(NET, name)):
            return 6, "no network interface %s" % name
        yield {"instance": interface(name)}
        return 0, None
    return 7, "%s is not supported" % op


def main():
    for line in sys.stdin:
        request = json.loads(line)
        results = answer(request)
        while True:
            try:
                out = next(results)
            except StopIteration as end:
                status, message = end.value
                break
            sys.stdout.write(json.dumps(out) + "\n")
        done = {"id": request["id"], "status": status}
        if message:
            done["message"] = message
        sys.stdout.write(json.dumps(done) + "\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
