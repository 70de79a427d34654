#!/usr/bin/env python3
"""Prints what a person labelling a MIDI file's parts looks at: per channel
the track names, programs, bank selects, note count, register and how much of
the song it plays, and whether the file carries lyrics or karaoke text."""
import statistics
import sys

NOTE_NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


def note_name(n):
    return f"{NOTE_NAMES[n % 12]}{n // 12 - 1}"


def varlen(data, at):
    value = 0
    while True:
        b = data[at]
        at += 1
        value = (value << 7) | (b & 0x7F)
        if b < 0x80:
            return value, at


def read_smf(path):
    data = open(path, "rb").read()
    start = data.find(b"MThd")
    if start < 0:
        raise ValueError("not a MIDI file")
    data = data[start:]
    division = int.from_bytes(data[12:14], "big")
    at = 8 + int.from_bytes(data[4:8], "big")
    tracks = []
    while at + 8 <= len(data):
        kind, length = data[at:at + 4], int.from_bytes(data[at + 4:at + 8], "big")
        body = data[at + 8:at + 8 + length]
        at += 8 + length
        if kind != b"MTrk":
            continue
        events, tick, pos, status = [], 0, 0, 0
        while pos < len(body):
            try:
                delta, pos = varlen(body, pos)
                tick += delta
                b = body[pos]
                if b == 0xFF:
                    meta = body[pos + 1]
                    length, pos = varlen(body, pos + 2)
                    events.append((tick, "meta", meta, body[pos:pos + length]))
                    pos += length
                elif b in (0xF0, 0xF7):
                    length, pos = varlen(body, pos + 1)
                    events.append((tick, "sysex", 0, body[pos:pos + length]))
                    pos += length
                else:
                    if b & 0x80:
                        status = b
                        pos += 1
                    size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
                    events.append((tick, "ch", status, body[pos:pos + size]))
                    pos += size
            except IndexError:
                break
        tracks.append(events)
    return division, tracks


def main(path):
    division, tracks = read_smf(path)
    per = {}
    lyrics = texts = 0
    end = 0
    for number, events in enumerate(tracks):
        name = ""
        for tick, kind, a, b in events:
            if kind == "meta" and a == 0x03 and not name:
                name = b.decode("latin-1").strip()
            if kind == "meta" and a == 0x05:
                lyrics += 1
            if kind == "meta" and a == 0x01:
                texts += 1
            if kind != "ch":
                continue
            ch = (a & 0x0F) + 1
            info = per.setdefault(ch, {"names": [], "programs": [], "banks": [], "notes": [], "ticks": []})
            if name and name not in info["names"]:
                info["names"].append(name)
            if a & 0xF0 == 0xC0 and len(info["programs"]) < 4:
                info["programs"].append(b[0] + 1)
            if a & 0xF0 == 0xB0 and b[0] in (0, 32) and len(info["banks"]) < 4:
                info["banks"].append(f"{b[0]}={b[1]}")
            if a & 0xF0 == 0x90 and b[1] > 0:
                info["notes"].append(b[0])
                info["ticks"].append(tick)
                end = max(end, tick)
    print(f"{path}: tracks {len(tracks)}, lyrics {lyrics}, texts {texts}, division {division}")
    window = max(division // 16, 1)
    starts = {ch: {} for ch in per}
    for ch, info in per.items():
        for tick, note in zip(info["ticks"], info["notes"]):
            starts[ch].setdefault(tick // window, set()).add(note % 12)
    measure = division * 4
    measures = end // measure + 1
    for ch in sorted(per):
        info = per[ch]
        notes = info["notes"]
        if not notes:
            continue
        bars = len({t // measure for t in info["ticks"]})
        doubled = []
        for other in sorted(per):
            if other == ch or not per[other]["notes"]:
                continue
            hits = sum(1 for tick, note in zip(info["ticks"], info["notes"])
                       if any(note % 12 in starts[other].get(tick // window + d, ()) for d in (-1, 0, 1)))
            if hits >= 0.7 * len(notes):
                doubled.append(f"{other}:{100 * hits // len(notes)}%")
        chords = sum(1 for i, t in enumerate(info["ticks"]) if info["ticks"].count(t) > 1)
        print(f"  ch{ch:2d} n={len(notes):5d} med={note_name(int(statistics.median(notes))):4s}"
              f" lo={note_name(min(notes)):4s} hi={note_name(max(notes)):4s} bars={bars}/{measures}"
              f" chord%={100 * chords // len(notes)} prog={info['programs']} bank={info['banks']}"
              f" names={info['names']} doubles={doubled}")


if __name__ == "__main__":
    for arg in sys.argv[1:]:
        try:
            main(arg)
        except Exception as error:  # a broken file is reported and skipped
            print(f"{arg}: {error}")
