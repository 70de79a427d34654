#!/usr/bin/env python3
"""Prints how far the sum of stems lies from the mix: the largest sample
difference (dBFS) and the difference's RMS against the mix's. Fails when
the largest difference is above LIMIT dBFS. Each channel has a synthesizer
of its own in the module, so only the 16-bit truncation of each stem
remains (one step, -90 dBFS, per stem), and where the count-in's clicks
share the drum channel's synthesizer with the drums, a drum hit that takes
a voice a click used (or the other way round) starts a little differently.
Usage: stem_sum.py LIMIT MIX.wav STEM.wav...
"""
import array
import math
import sys
import wave


def read(path):
    with wave.open(path) as w:
        return array.array("h", w.readframes(w.getnframes()))


limit = float(sys.argv[1])
mix = read(sys.argv[2])
stems = [read(p) for p in sys.argv[3:]]
length = max([len(mix)] + [len(s) for s in stems])
total = [0] * length
for stem in stems:
    for i, value in enumerate(stem):
        total[i] += value
peak = 0
diff_energy = 0.0
mix_energy = 0.0
for i in range(length):
    m = mix[i] if i < len(mix) else 0
    d = total[i] - m
    peak = max(peak, abs(d))
    diff_energy += d * d
    mix_energy += m * m
peak_db = 20 * math.log10(max(peak, 1) / 32767)
below = 10 * math.log10(mix_energy / max(diff_energy, 1))
print("stems: %d stems sum to the mix within %.1f dBFS (largest sample), %.1f dB below the mix's RMS"
      % (len(stems), peak_db, below))
sys.exit(0 if peak_db <= limit else 1)
