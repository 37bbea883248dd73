#!/usr/bin/env python3
"""Makes the sound fixtures of the media tests with sox and oggenc, with the raw PCM each holds.

For every WAV, sox first writes the raw samples (<name>.raw) and then wraps exactly those samples
in a WAV header, so a decoder's output can be compared byte for byte with what sox was given. For
every Ogg, oggdec --raw writes the reference PCM (<name>.ogg.raw).
"""
import pathlib
import subprocess
import sys

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)


def run(*args):
    subprocess.run([str(a) for a in args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def raw_args(rate, bits, channels):
    encoding = "unsigned-integer" if bits == 8 else "signed-integer"
    return ["-t", "raw", "-r", rate, "-b", bits, "-c", channels, "-e", encoding, "-L"]


def wav(name, rate, bits, channels, seconds=0.5, synth=("sine", "440")):
    raw = out / f"{name}.raw"
    run("sox", "-n", "-V1", *raw_args(rate, bits, channels), raw, "synth", seconds, *synth, "vol", "0.5")
    run("sox", "-V1", *raw_args(rate, bits, channels), raw, out / f"{name}.wav")


serials = iter(range(1001, 2000))


def ogg(name, rate, channels, seconds=0.5, freq="440"):
    source = out / f"{name}.source.wav"
    run("sox", "-n", "-V1", "-r", rate, "-b", 16, "-c", channels, source, "synth", seconds, "sine", freq, "vol", "0.5")
    run("oggenc", "-Q", "-q", "2", "--serial", next(serials), "-o", out / f"{name}.ogg", source)
    run("oggdec", "-Q", "--raw", "-o", out / f"{name}.ogg.raw", out / f"{name}.ogg")


wav("u8-mono-22050", 22050, 8, 1)
wav("s16-mono-44100", 44100, 16, 1)
wav("s16-stereo-44100", 44100, 16, 2)
wav("s16-mono-22050", 22050, 16, 1)
wav("s16-stereo-22050", 22050, 16, 2)
wav("s16-stereo-48000", 48000, 16, 2)
wav("s24-stereo-44100", 44100, 24, 2)
wav("s16-6ch-44100", 44100, 16, 6)
wav("s16-stereo-44100-1s", 44100, 16, 2, seconds=1.0)
ogg("ogg-mono-44100", 44100, 1)
ogg("ogg-stereo-44100", 44100, 2)
ogg("ogg-stereo-22050", 22050, 2)
ogg("ogg-mono-48000", 48000, 1)
ogg("ogg-stereo-44100-2s", 44100, 2, seconds=2.0)
ogg("link-a", 44100, 1, seconds=0.25, freq="440")
ogg("link-b", 44100, 1, seconds=0.25, freq="880")
ogg("link-c", 22050, 1, seconds=0.25, freq="880")
# Distinct serial numbers make the concatenations proper chains. Two links of one format play as one sound; a later link in another format ends it.
(out / "ogg-chained.ogg").write_bytes((out / "link-a.ogg").read_bytes() + (out / "link-b.ogg").read_bytes())
(out / "ogg-chained.ogg.raw").write_bytes((out / "link-a.ogg.raw").read_bytes() + (out / "link-b.ogg.raw").read_bytes())
(out / "ogg-chained-rate-change.ogg").write_bytes((out / "link-a.ogg").read_bytes() + (out / "link-c.ogg").read_bytes())
(out / "stamp").write_text("made\n")
