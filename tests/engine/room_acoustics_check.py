#!/usr/bin/env python3
"""A second implementation of the room-acoustic figures (ISO 3382-1 and -2), written apart from the
program's: it reads the responses and the program's figures that the C++ test left in a folder and
checks that both agree within 1 % (decay times, D50) and 0.1 dB (C50, C80).

Decay times: the squared response is smoothed in blocks, the background noise and the point where
the decay meets it are found iteratively, the backward integration stops there and gets the
energy of the extrapolated decay beyond it, and a least-squares line through every sample between
the two levels gives the time for 60 dB. Onset: the first sample within 20 dB of the maximum."""
import csv
import math
import sys

import numpy as np
from scipy.io import wavfile


def crossing_point(h2, rate):
    """Index where the decay meets the noise, the slope (dB per sample) and intercept of the late
    decay, in samples from the start of h2 (which begins at the onset)."""
    n = len(h2)
    noise = np.mean(h2[int(0.9 * n):])
    block = max(1, int(0.01 * rate))
    slope = intercept = None
    cross = n
    for _ in range(6):
        blocks = len(h2) // block
        env = h2[: blocks * block].reshape(blocks, block).mean(axis=1)
        t = (np.arange(blocks) + 0.5) * block
        level = 10 * np.log10(np.maximum(env, 1e-300))
        noise_db = 10 * np.log10(noise)
        if slope is None:
            below = np.nonzero(level < noise_db + 10)[0]
            stop = below[0] if len(below) else blocks
            sel = np.arange(stop)
        else:
            t_hi = (noise_db + 30 - intercept) / slope
            t_lo = (noise_db + 10 - intercept) / slope
            sel = np.nonzero((t >= t_hi) & (t < t_lo))[0]
            if len(sel) < 2:
                sel = np.nonzero(t < t_lo)[0]
        if len(sel) < 2:
            break
        s, c = np.polyfit(t[sel], level[sel], 1)
        if s >= 0:
            break
        slope, intercept = s, c
        cross = (noise_db - intercept) / slope
        per10 = -10.0 / slope
        block = max(1, int(min(per10 / 5, 0.05 * rate)))
        start = int(min(max(cross + per10, 1), int(0.9 * n)))
        noise = np.mean(h2[start:])
    return int(min(max(cross, 1), n)), slope, intercept


def decay_times(h, rate):
    h2 = h.astype(np.float64) ** 2
    peak = int(np.argmax(h2))
    tail = h2[peak:]
    end, slope, intercept = crossing_point(tail, rate)
    kept = tail[:end]
    comp = 0.0
    if slope is not None:
        r = 10 ** (slope / 10)
        comp = 10 ** ((intercept + slope * end) / 10) / (1 - r)
    total = h2[:peak].sum() + kept.sum() + comp
    # remaining energy after each sample from the start of the response
    full = np.concatenate([h2[:peak], kept])
    remaining = (total - np.cumsum(full)) / total
    edc = 10 * np.log10(np.maximum(remaining, 1e-30))
    onset = int(np.nonzero(h2 >= h2.max() * 0.01)[0][0])
    result = []
    for hi, lo in ((-5, -25), (-5, -35), (0, -10)):
        i1 = onset + int(np.argmax(edc[onset:] < hi))
        i2 = onset + int(np.argmax(edc[onset:] < lo))
        x = np.arange(i1, i2) / rate
        s, _ = np.polyfit(x, edc[i1:i2], 1)
        result.append(-60.0 / s)
    return result


def energy_ratios(h, rate):
    h2 = h.astype(np.float64) ** 2
    onset = int(np.nonzero(h2 >= h2.max() * 0.01)[0][0])
    total = h2.sum()
    e50 = h2[onset: onset + int(0.05 * rate)].sum()
    e80 = h2[onset: onset + int(0.08 * rate)].sum()
    return 10 * math.log10(e50 / (total - e50)), 10 * math.log10(e80 / (total - e80)), e50 / total


def main(folder):
    failures = 0
    with open(f"{folder}/cases.csv", newline="") as table:
        for row in csv.DictReader(table, delimiter=";"):
            rate, h = wavfile.read(f"{folder}/{row['file']}")
            h = h.astype(np.float64)
            t20, t30, edt = decay_times(h, rate)
            c50, c80, d50 = energy_ratios(h, rate)
            checks = [("T20", t20, float(row["T20"]), 0.01 * t20), ("T30", t30, float(row["T30"]), 0.01 * t30),
                      ("EDT", edt, float(row["EDT"]), 0.01 * edt), ("C50", c50, float(row["C50"]), 0.1),
                      ("C80", c80, float(row["C80"]), 0.1), ("D50", d50, float(row["D50"]), 0.01 * d50)]
            for name, ours, theirs, tolerance in checks:
                ok = abs(ours - theirs) <= tolerance
                failures += not ok
                print(f"{row['file']} {name}: second {ours:.4f} program {theirs:.4f} {'ok' if ok else 'DIFFERS'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
