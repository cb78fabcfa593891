#!/usr/bin/env python3
"""Writes the sweep files of the reader tests, as instruments and programs write them,
and next to each FILE a FILE.expected with the impedance at every point, computed here
from the numbers as written: one line "f_hz r_ohm x_ohm" per point.

The readings model a two-rod probe in moist ground: an open-ended lossy line,
Z = Zc coth(gamma l), seen directly (one-port) or in series between two ports.
Run from this folder: python3 make_files.py"""
import cmath
import math

C0 = 299792458.0
EPS0 = 8.854187817e-12


def probe_z(f_hz, sigma=0.01, eps_r=15.0, length=1.0, zc_air=300.0):
    w = 2 * math.pi * f_hz
    eps_c = eps_r - 1j * sigma / (w * EPS0)
    root = cmath.sqrt(eps_c)
    zc = zc_air / root
    gamma = 1j * w * root / C0
    return zc / cmath.tanh(gamma * length)


def polar_deg(mag, ang):
    return cmath.rect(mag, math.radians(ang))


def z_from_s(s, r):
    return r * (1 + s) / (1 - s)


def series_s(z, r):
    d = z + 2 * r
    return z / d, 2 * r / d  # S11 = S22, S21 = S12


def series_z(s11, s12, s21, s22, r):
    return r * ((1 + s11) * (1 + s22) - s12 * s21) / (2 * s21)


def g(x, digits=9):
    return f"{x:.{digits}g}"


def freqs(start, stop, n):
    return [start + (stop - start) * i / (n - 1) for i in range(n)]


def write(name, text, expected, newline="\n"):
    with open(name, "w", newline="") as f:
        f.write(text.replace("\n", newline))
    with open(name + ".expected", "w") as f:
        for fr, z in expected:
            f.write(f"{fr!r} {z.real!r} {z.imag!r}\n")


def probe_v1():
    lines = ["! Probe, soil A, one-port, calibrated at the connector",
             "! Frequency   S11 magnitude   S11 angle", "# MHz S MA R 50"]
    expected = []
    for f_mhz in freqs(1, 30, 59):
        f_text = g(f_mhz, 6)
        s = (probe_z(f_mhz * 1e6) - 50) / (probe_z(f_mhz * 1e6) + 50)
        mag, ang = g(abs(s)), g(math.degrees(cmath.phase(s)))
        lines.append(f"{f_text}\t{mag}\t{ang}")
        expected.append((float(f_text) * 1e6, z_from_s(polar_deg(float(mag), float(ang)), 50)))
    write("probe_v1.s1p", "\n".join(lines) + "\n", expected, "\r\n")


def probe_v2_db():
    n = 40
    lines = ["[Version] 2.0", "# GHz S DB R 50", "[Number of Ports] 1",
             f"[Number of Frequencies] {n}", "[Reference] 75",
             "[Begin Information]", "Probe, soil B", "[End Information]", "[Network Data]"]
    expected = []
    for f_hz in freqs(0.5e6, 50e6, n):
        f_text = g(f_hz / 1e9, 8)
        z = probe_z(f_hz, sigma=0.003, eps_r=9)
        s = (z - 75) / (z + 75)
        db, ang = g(20 * math.log10(abs(s)), 10), g(math.degrees(cmath.phase(s)), 10)
        lines.append(f"  {f_text} {db} {ang} ! point")
        expected.append((float(f_text) * 1e9,
                         z_from_s(polar_deg(10 ** (float(db) / 20), float(ang)), 75)))
    lines.append("[End]")
    write("probe_v2_db.s1p", "\n".join(lines) + "\n", expected)


def series_v1():
    lines = ["! Probe between port 1 and port 2", "# Hz S RI R 50"]
    expected = []
    for f_hz in freqs(1e6, 20e6, 39):
        f_text = g(f_hz, 10)
        s11, s21 = series_s(probe_z(f_hz, sigma=0.05, eps_r=25), 50)
        # A real measurement is not quite symmetric.
        s22, s12 = s11 * (1 + 1e-3j), s21 * (1 - 2e-4)
        vals = [s11, s21, s12, s22]
        texts = [(g(v.real, 12), g(v.imag, 12)) for v in vals]
        lines.append(f_text + " " + " ".join(f"{a} {b}" for a, b in texts))
        v = [complex(float(a), float(b)) for a, b in texts]
        expected.append((float(f_text), series_z(v[0], v[2], v[1], v[3], 50)))
    lines += ["! Noise parameters", "1000000 1.5 0.2 30 0.3", "2000000 1.6 0.2 35 0.3"]
    write("series_v1.s2p", "\n".join(lines) + "\n", expected)


def series_v2():
    fs = freqs(3e6, 9e6, 13)
    lines = ["[Version] 2.1", "# kHz S MA R 50", "[Number of Ports] 2",
             "[Two-Port Data Order] 12_21", f"[Number of Frequencies] {len(fs)}",
             "[Reference] 50 50", "[Network Data]"]
    expected = []
    for f_hz in fs:
        f_text = g(f_hz / 1e3, 9)
        s11, s21 = series_s(probe_z(f_hz, sigma=0.02, eps_r=12), 50)
        vals = [s11, s21, s21, s11]  # 11 12 21 22
        texts = [(g(abs(v), 11), g(math.degrees(cmath.phase(v)), 11)) for v in vals]
        lines.append(f_text + " " + " ".join(f"{a} {b}" for a, b in texts[:2]))
        lines.append("   " + " ".join(f"{a} {b}" for a, b in texts[2:]))
        v = [polar_deg(float(a), float(b)) for a, b in texts]
        expected.append((float(f_text) * 1e3, series_z(v[0], v[1], v[2], v[3], 50)))
    lines += ["[Noise Data]", "3000 1.1 0.5 10 0.2", "[End]"]
    write("series_v2.s2p", "\n".join(lines) + "\n", expected)


def analyser_csv():
    lines = ["# Antenna analyser export", "BEGIN", "Frequency(MHz);R(Ohm);X(Ohm);SWR;"]
    expected = []
    for f_mhz in freqs(1.8, 29.7, 32):
        z = probe_z(f_mhz * 1e6, sigma=0.008, eps_r=20)
        f_text, r, x = g(f_mhz, 6), g(z.real, 7), g(z.imag, 7)
        gam = abs((z - 50) / (z + 50))
        swr = g((1 + gam) / (1 - gam), 4)
        lines.append(";".join(t.replace(".", ",") for t in (f_text, r, x, swr)) + ";")
        expected.append((float(f_text) * 1e6, complex(float(r), float(x))))
    lines.append("END")
    write("analyser.csv", "\n".join(lines) + "\n", expected, "\r\n")


def vna_csv():
    lines = ["Frequency (Hz),S11 Magnitude (dB),S11 Phase (deg)"]
    expected = []
    for f_hz in freqs(1e5, 2e7, 50):
        z = probe_z(f_hz, sigma=0.02, eps_r=30)
        s = (z - 50) / (z + 50)
        f_text = g(f_hz, 12)
        db, ang = g(20 * math.log10(abs(s)), 12), g(math.degrees(cmath.phase(s)), 12)
        lines.append(f"{f_text},{db},{ang}")
        expected.append((float(f_text), z_from_s(polar_deg(10 ** (float(db) / 20), float(ang)), 50)))
    write("vna.csv", "\n".join(lines) + "\n", expected)


if __name__ == "__main__":
    probe_v1()
    probe_v2_db()
    series_v1()
    series_v2()
    analyser_csv()
    vna_csv()
