#!/usr/bin/env python3
"""Writes the seed inputs of avi_fuzz into fuzz/corpus/avi_fuzz/: small AVI layouts that reach
every part of the reader (main and stream headers, OpenDML lists and indexes, 'rec ' lists, the
old index, unfinished recordings), plus a tiny real file made by the ffmpeg program when it is
installed. Run from anywhere: python3 fuzz/make_avi_seeds.py"""

import os
import shutil
import struct
import subprocess
import tempfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "avi_fuzz")


def chunk(cid, body):
    data = cid + struct.pack("<I", len(body)) + body
    return data + (b"\0" if len(body) % 2 else b"")


def lst(kind, children):
    return chunk(b"LIST", kind + children)


def riff(form, children):
    return b"RIFF" + struct.pack("<I", 4 + len(children)) + form + children


def avih(flags=0x110, total=3, streams=1, w=32, h=24):
    return chunk(b"avih", struct.pack("<14I", 40000, 100000, 0, flags, total, 0, streams,
                                      4096, w, h, 0, 0, 0, 0))


def strh(kind, handler, scale, rate, length):
    return chunk(b"strh", kind + handler + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, scale,
                                                       rate, 0, length, 0, 0, 0, 0, 0, 32, 24))


def strf_video(compression, w=32, h=24):
    return chunk(b"strf", struct.pack("<IiiHH", 40, w, h, 1, 24) + compression +
                 struct.pack("<5I", 0, 0, 0, 0, 0))


def strf_audio():
    return chunk(b"strf", struct.pack("<HHIIHHH", 1, 1, 8000, 16000, 2, 16, 0))


def frames(n, vid=b"00dc", aud=None, rec=False):
    body, index, offset = b"", b"", 4
    for i in range(n):
        group = b""
        for cid, data, key in ((vid, bytes([65 + i]) * (10 + i % 2), i % 3 == 0),
                               (aud, b"\0" * 8, True)):
            if cid is None:
                continue
            c = chunk(cid, data)
            index += cid + struct.pack("<III", 0x10 if key else 0, offset, len(data))
            offset += len(c)
            group += c
        body += lst(b"rec ", group) if rec else group
    return body, index


def basic(codec=b"MJPG", rec=False, audio=False, odml=False):
    streams = lst(b"strl", strh(b"vids", codec, 1001, 30000, 4) + strf_video(codec))
    if audio:
        streams += lst(b"strl", strh(b"auds", b"\0\0\0\0", 1, 8000, 0) + strf_audio())
    hdrl = avih(streams=2 if audio else 1) + streams
    if odml:
        hdrl += lst(b"odml", chunk(b"dmlh", struct.pack("<I", 4) + b"\0" * 244))
    body, index = frames(4, aud=b"01wb" if audio else None, rec=rec)
    return riff(b"AVI ", lst(b"hdrl", hdrl) + chunk(b"JUNK", b"\0" * 8) + lst(b"movi", body) +
                chunk(b"idx1", index))


def unfinished():
    hdrl = avih(total=0) + lst(b"strl", strh(b"vids", b"H264", 1, 25, 0) + strf_video(b"H264"))
    body, _ = frames(5)
    return (b"RIFF" + struct.pack("<I", 0xFFFFFFFF) + b"AVI " + lst(b"hdrl", hdrl) + b"LIST" +
            struct.pack("<I", 0xFFFFFFFF) + b"movi" + body[:-6])


def opendml():
    # First RIFF with a standard index in its movie list, one AVIX extension with another; the
    # super index in the stream list names both.
    def ix(n, base, nonkey=-1):
        body = struct.pack("<HBBI4sQI", 2, 0, 1, n, b"00dc", base, 0)
        for i in range(n):
            body += struct.pack("<II", 8 + 20 * i, 12 | (0x80000000 if i == nonkey else 0))
        return chunk(b"ix00", body)

    def build(ix1, ix2):
        indx = struct.pack("<HBBI4s3I", 4, 0, 0, 2, b"00dc", 0, 0, 0)
        indx += struct.pack("<QII", ix1, 48, 2) + struct.pack("<QII", ix2, 40, 1)
        hdrl = (avih(total=2) + lst(b"strl", strh(b"vids", b"H264", 1, 25, 3) +
                                    strf_video(b"H264") + chunk(b"indx", indx)) +
                lst(b"odml", chunk(b"dmlh", struct.pack("<I", 3) + b"\0" * 244)))
        body1, _ = frames(2)
        movi1_start = 12 + len(lst(b"hdrl", hdrl)) + 12
        first = riff(b"AVI ", lst(b"hdrl", hdrl) +
                     lst(b"movi", body1 + ix(2, movi1_start)))
        body2, _ = frames(1)
        second = riff(b"AVIX", lst(b"movi", body2 + ix(1, len(first) + 24, nonkey=0)))
        return first, second, movi1_start + len(body1), len(first) + 24 + len(body2)

    first, second, a, b = build(0, 0)
    first, second, _, _ = build(a, b)
    return first + second


def main():
    os.makedirs(OUT, exist_ok=True)
    seeds = {
        "mjpg.avi": basic(),
        "h264_rec_audio.avi": basic(b"H264", rec=True, audio=True, odml=True),
        "rgb.avi": basic(b"\0\0\0\0"),
        "unfinished.avi": unfinished(),
        "opendml.avi": opendml(),
        "wave.wav": riff(b"WAVE", chunk(b"fmt ", b"\0" * 16)),
    }
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    if shutil.which("ffmpeg"):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "x.avi")
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                            "testsrc=size=16x16:r=25", "-frames:v", "3", "-c:v", "mjpeg", path],
                           check=True)
            shutil.copy(path, os.path.join(OUT, "ffmpeg_mjpeg.avi"))


if __name__ == "__main__":
    main()
