#!/usr/bin/env python3
"""Writes the program's sounds into resources/sounds/: short chimes, 16-bit mono 22050 Hz.

IDR_MSG    a message or request arrived: two bright notes
IDR_SYSTEM the client is ready: three rising notes
"""
import math
import os
import struct
import wave

RATE = 22050


def note(freq, seconds, volume=0.35):
    count = int(RATE * seconds)
    out = []
    for i in range(count):
        t = i / RATE
        attack = min(1.0, i / (RATE * 0.008))
        decay = math.exp(-5.0 * t / seconds)
        sample = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        out.append(int(32767 * volume * attack * decay * sample / 1.25))
    return out


def write(name, samples):
    path = os.path.join(os.path.dirname(__file__), "..", "sounds", name + ".wav")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


write("IDR_MSG", note(1318.5, 0.12) + note(1760.0, 0.22))
write("IDR_SYSTEM", note(523.3, 0.14) + note(659.3, 0.14) + note(784.0, 0.30))
