#!/usr/bin/env python3
"""Writes the fuzzer's starting inputs into seeds/: one well-formed example of
each frame, a stream of several, both discovery datagrams and a few typed
addresses (docs/protocol.md). Run it again after the format changes."""
import os
import struct

APP = "{11383C2A-E405-4C40-ACF1-7880B460ADC7}".encode()


def s(text):
    data = text.encode() if isinstance(text, str) else text
    return struct.pack(">H", len(data)) + data


def session(name="Dravenholt", maximum=2, current=1, flags=0x2000):
    return s(APP) + s(name) + struct.pack(">iii", maximum, current, flags)


def frame(kind, payload=b""):
    body = bytes([kind]) + payload
    return struct.pack(">I", len(body)) + body


frames = {
    "hello_join": frame(1, b"DRVH" + struct.pack(">HB", 1, 2) + s(APP)),
    "hello_query": frame(1, b"DRVH" + struct.pack(">HB", 1, 1) + s(APP)),
    "session": frame(2, struct.pack(">H", 1) + session()),
    "welcome": frame(3, struct.pack(">H", 1) + session()),
    "refuse": frame(4, struct.pack(">i", 1) + s("The session is full.")),
    "create_player": frame(5, s("Bob") + s("Player")),
    "player_refused": frame(6, struct.pack(">i", 5) + s("A player with the same name already exists in that session.")),
    "you_are": frame(7, struct.pack(">i", 42)),
    "player_added": frame(8, struct.pack(">i", 42) + s("Bob") + s("Player")),
    "player_removed": frame(9, struct.pack(">i", 42)),
    "send": frame(10, struct.pack(">i", 2) + s("Grüße")),
    "message": frame(11, struct.pack(">ii", 42, 6) + s("ClientMoves")),
    "session_update": frame(12, session(flags=0x2020)),
    "ping": frame(13),
}
seeds = dict(frames)
seeds["stream"] = frames["hello_join"] + frames["create_player"] + frames["send"] + frames["ping"]
seeds["query"] = b"DRVQ" + struct.pack(">H", 1) + s(APP)
seeds["answer"] = b"DRVA" + struct.pack(">HH", 1, 28760) + session()
seeds["address_v6"] = b"[::1]:28760"
seeds["address_v4"] = b"127.0.0.1:28760"
seeds["address_name"] = b" localhost "

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")
os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
