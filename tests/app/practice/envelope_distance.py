#!/usr/bin/env python3
"""Compares the loudness envelopes of two 16-bit stereo WAV files.

Prints the largest difference, in dB, between the RMS levels of matching
100 ms windows (windows quieter than -50 dBFS in the reference are left
out: a codec's noise floor there says nothing), after aligning the decoded
file to the reference by the lag with the best match (codecs add a delay).
Usage: envelope_distance.py REFERENCE.wav DECODED.wav
"""
import array
import math
import sys
import wave

WINDOW = 4410
FLOOR_DB = -50.0


def levels(path):
    with wave.open(path) as w:
        assert w.getsampwidth() == 2 and w.getnchannels() == 2, path
        samples = array.array("h", w.readframes(w.getnframes()))
    mono = [(samples[i] + samples[i + 1]) / 2.0 for i in range(0, len(samples) - 1, 2)]
    return mono


def envelope(mono, lag):
    out = []
    for start in range(max(lag, 0), len(mono) - WINDOW, WINDOW):
        chunk = mono[start:start + WINDOW]
        rms = math.sqrt(sum(v * v for v in chunk) / WINDOW)
        out.append(20 * math.log10(max(rms, 1e-3) / 32767))
    return out


def main():
    reference = levels(sys.argv[1])
    decoded = levels(sys.argv[2])
    ref_env = envelope(reference, 0)
    best = None
    for lag in range(0, 3000, 100):
        dec_env = envelope(decoded, lag)
        pairs = [(r, d) for r, d in zip(ref_env, dec_env) if r > FLOOR_DB]
        if not pairs:
            continue
        worst = max(abs(r - d) for r, d in pairs)
        if best is None or worst < best:
            best = worst
    print("%.2f" % (best if best is not None else 99.0))


main()
