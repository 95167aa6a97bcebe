#!/usr/bin/env python3
"""Makes the eight sources of the noise test in pelmora/1/.

Speech comes from Debian's speech synthesiser (espeak-ng, then sox to
8000 Hz 16-bit mono); the music and the four noises are made here, with a
fixed random seed, so the files come out the same every time:

  s1.wav, s2.wav    two Russian sentences
  m1.wav, m2.wav    two short tunes of plucked tones
  sn1.wav           "Речевая помеха": a babble of the two sentences reversed
  sn2.wav           "Речевой шум": noise with the slope and rhythm of speech
  mn1.wav           "Музыкальная помеха": chords of another tune
  mn2.wav           "Музыкальный шум": noise pulsing with a musical beat

Every noise is longer than every signal, as the test needs.
"""
import math
import os
import random
import struct
import subprocess
import tempfile
import wave

RATE = 8000
SIGNAL_SECONDS = 2.0
NOISE_SECONDS = 2.3
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "1")
SENTENCES = {"s1.wav": "Сегодня тёплая погода.", "s2.wav": "Поезд уходит в семь часов."}


def write(name, x):
    peak = max(1e-9, max(abs(v) for v in x))
    with wave.open(os.path.join(HERE, name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(24000 * v / peak)) for v in x))


def read(name):
    with wave.open(os.path.join(HERE, name), "rb") as w:
        data = w.readframes(w.getnframes())
    return [v / 32768 for v in struct.unpack("<%dh" % (len(data) // 2), data)]


def speech(name, text):
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, "raw.wav")
        subprocess.run(["espeak-ng", "-v", "ru", "-s", "150", "-w", raw, text], check=True)
        # Silence trimmed at the start, then cut or padded to the signal length.
        subprocess.run(["sox", raw, "-r", str(RATE), "-b", "16", "-c", "1", os.path.join(HERE, name),
                        "silence", "1", "0.02", "0.5%", "pad", "0", str(SIGNAL_SECONDS),
                        "trim", "0", str(SIGNAL_SECONDS)], check=True)


def pluck(freq, seconds):
    n = int(seconds * RATE)
    return [math.exp(-4 * i / n) * sum(math.sin(2 * math.pi * k * freq * i / RATE) / k for k in (1, 2, 3))
            for i in range(n)]


def tune(notes, beat, seconds):
    x = []
    for f in notes:
        x += pluck(f, beat)
    x = (x * (1 + int(seconds * RATE) // len(x)))[: int(seconds * RATE)]
    return x


def lowpass(x, a):
    y, s = [], 0.0
    for v in x:
        s += a * (v - s)
        y.append(s)
    return y


def main():
    rng = random.Random(7)
    n_signal = int(SIGNAL_SECONDS * RATE)
    n_noise = int(NOISE_SECONDS * RATE)
    for name, text in SENTENCES.items():
        speech(name, text)
    c4 = 261.63
    semis = lambda k: c4 * 2 ** (k / 12)
    write("m1.wav", tune([semis(k) for k in (0, 4, 7, 12, 7, 4, 0, 7)], 0.25, SIGNAL_SECONDS))
    write("m2.wav", tune([semis(k) for k in (9, 7, 5, 4, 2, 4, 5, 0)], 0.25, SIGNAL_SECONDS))

    s1, s2 = read("s1.wav"), read("s2.wav")
    babble = [0.0] * n_noise
    for src, shift in ((s1, 0), (s2, 3000), (s1, 7000), (s2, 11000)):
        rev = src[::-1]
        for i in range(n_noise):
            babble[i] += rev[(i + shift) % len(rev)]
    write("sn1.wav", babble)

    white = [rng.uniform(-1, 1) for _ in range(n_noise)]
    shaped = lowpass(lowpass(white, 0.25), 0.5)
    write("sn2.wav", [v * (0.6 + 0.4 * math.sin(2 * math.pi * 4 * i / RATE)) for i, v in enumerate(shaped)])

    chords = [0.0] * n_noise
    for start, root in enumerate((5, 0, 7, 2, 9, 4, 11, 5, 0, 7)):
        for k in (0, 4, 7):
            note = pluck(semis(root + k - 12), 0.23)
            for i, v in enumerate(note):
                j = int(start * 0.23 * RATE) + i
                if j < n_noise:
                    chords[j] += v
    write("mn1.wav", chords)

    pink = lowpass([rng.uniform(-1, 1) for _ in range(n_noise)], 0.1)
    write("mn2.wav", [v * math.exp(-8 * ((i / RATE) % 0.25)) + 0.1 * v for i, v in enumerate(pink)])
    assert all(len(read(n)) >= n_signal for n in os.listdir(HERE) if n.endswith(".wav"))


if __name__ == "__main__":
    main()
