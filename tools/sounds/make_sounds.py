#!/usr/bin/env python3
"""Writes the Capture screen's two cue sounds: StartSound.wav and StopSound.wav.

Start of Tricks: a short rising two-tone chirp (two quick beeps, the second higher).
End of the pass: a long falling low tone, clearly different from the start.
Both are 16-bit PCM, mono, 44.1 kHz, under 1.5 s, and written the same way on every run.

Usage: make_sounds.py [output folder]   (default: the resources folder of the source tree)
"""
import math
import os
import struct
import sys
import wave

RATE = 44100
PEAK = 0.7 * 32767  # leave headroom; the cue must be clear, not clipped


def envelope(i, n, attack, release):
    """Linear fade in over `attack` samples and out over `release` samples (no clicks)."""
    gain = 1.0
    if i < attack:
        gain = i / attack
    if n - i < release:
        gain = min(gain, (n - i) / release)
    return gain


def tone(start_hz, end_hz, seconds, decay=0.0):
    """A sine sweeping from start_hz to end_hz; `decay` > 0 lets it die away exponentially."""
    n = int(RATE * seconds)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / n
        freq = start_hz * (end_hz / start_hz) ** t  # even sweep on a musical scale
        phase += 2.0 * math.pi * freq / RATE
        # A little third harmonic makes the tone carry over engine and wind noise.
        s = math.sin(phase) + 0.25 * math.sin(3.0 * phase)
        s /= 1.25
        g = envelope(i, n, int(0.005 * RATE), int(0.02 * RATE))
        if decay > 0.0:
            g *= math.exp(-decay * t)
        out.append(s * g)
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def write(path, samples):
    frames = b"".join(struct.pack("<h", int(round(max(-1.0, min(1.0, s)) * PEAK)))
                      for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources")
    os.makedirs(folder, exist_ok=True)
    start = tone(880.0, 1100.0, 0.12) + silence(0.04) + tone(1320.0, 1760.0, 0.18)
    stop = tone(520.0, 180.0, 1.2, decay=1.5)
    for name, samples in (("StartSound.wav", start), ("StopSound.wav", stop)):
        assert len(samples) < 1.5 * RATE
        write(os.path.join(folder, name), samples)


if __name__ == "__main__":
    main()
