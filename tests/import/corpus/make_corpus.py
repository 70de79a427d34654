#!/usr/bin/env python3
"""Writes the malformed MIDI files of the bad-input corpus.

One folder per defect; the file "expect" in each folder says what every file
there must import as: "ok" (a possibly partial import, result 0), "not-smf"
(rejected with "File is not SMF") or "too-large" (rejected with "File is too
large"). Beside each file, "<name>.summary" says what it imports to (parts
with their notes and events, song length, exclusive entries, lyrics); the
corpus test compares it, and writes it anew when OMBRIX_WRITE_SUMMARIES is
set, for review. Run from this folder.
"""
import os
import random


def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def chunk(body, ident=b"MTrk", length=None):
    n = len(body) if length is None else length
    return ident + n.to_bytes(4, "big") + body


def header(fmt=1, tracks=1, division=480, length=6):
    return b"MThd" + length.to_bytes(4, "big") + fmt.to_bytes(2, "big") + tracks.to_bytes(2, "big") + \
        division.to_bytes(2, "big")


END = b"\x00\xff\x2f\x00"
NOTES = b"\x00\x90\x3c\x64" + b"\x83\x60\x80\x3c\x00" + b"\x00\xc0\x05" + b"\x00\xff\x05\x02la"
GOOD = header(0) + chunk(b"\x00\xff\x58\x04\x03\x02\x18\x08" + NOTES + b"\x00\xf0\x03\x41\x10\xf7" + END)

CORPUS = {
    ("truncated", "ok"): {
        # every cut of a small valid file past its first chunk header
        **{f"cut_at_{n}.mid": GOOD[:n] for n in range(22, len(GOOD), 3)},
    },
    ("truncated-header", "not-smf"): {
        "mthd_only.mid": b"MThd",
        "half_header.mid": header()[:9],
        "no_division.mid": header()[:12],
        "empty.mid": b"",
    },
    ("no-track-chunk", "not-smf"): {
        "header_only.mid": header(),
        "other_chunk_first.mid": header() + chunk(END, b"XFIH"),
    },
    ("zero-division", "not-smf"): {
        "division_0.mid": header(division=0) + chunk(NOTES + END),
        "frames_without_ticks.mid": header(fmt=0, division=0xE300) + chunk(NOTES + END),
    },
    ("garbage", "not-smf"): {
        f"random_{i}.mid": random.Random(i).randbytes(64 + 37 * i) for i in range(4)
    },
    ("garbage-body", "ok"): {
        f"random_body_{i}.mid": header() + chunk(random.Random(100 + i).randbytes(300 + 50 * i)) for i in range(6)
    },
    ("lengths-past-end", "ok"): {
        "meta_length_huge.mid": header() + chunk(b"\x00\xff\x01" + varlen(0x0FFFFFFF) + b"text"),
        "exclusive_length_huge.mid": header() + chunk(b"\x00\xf0" + varlen(0x0FFFFFFF) + b"\x41\x10"),
        "lyric_length_past_end.mid": header() + chunk(b"\x00\xff\x05\x7fabc"),
        "name_length_past_end.mid": header(tracks=2) + chunk(END) + chunk(b"\x00\xff\x03\x40Bass"),
        "chunk_length_huge.mid": header() + chunk(NOTES + END, length=0xFFFFFFFF),
        "exclusive_length_saturated.mid": header(division=0x1E0) + chunk(b"\x00\xf0" + b"\xff" * 5 + b"\xf7"),
        "escape_length_huge.mid": header() + chunk(b"\x00\xf7" + varlen(0x0FFFFFFF)),
    },
    ("huge-varlen", "ok"): {
        "delta_20_continuation_bytes.mid": header() + chunk(b"\xff" * 20 + b"\x7f\xc0\x01" + END),
        "delta_runs_to_end.mid": header() + chunk(b"\x00\xc0\x01" + b"\x81" * 200),
        "length_runs_to_end.mid": header() + chunk(b"\x00\xff\x01" + b"\xff" * 50),
        "delta_max_four_bytes.mid": header() + chunk(b"\x00\x90\x3c\x64" + varlen(0x0FFFFFFF) + b"\x80\x3c\x00" + END),
    },
    ("no-running-status", "ok"): {
        "data_byte_first.mid": header() + chunk(b"\x00\x3c\x64" + NOTES + END),
        "data_byte_after_meta.mid": header() + chunk(b"\x00\xff\x01\x01x\x00\x3c\x64" + END),
    },
    ("many-chunks", "ok"): {
        "300_chunks.mid": header(tracks=300) + b"".join(
            chunk(b"\x00" + bytes([0x90 | (i % 16), 60, 100]) + b"\x10" + bytes([0x80 | (i % 16), 60, 0]) + END)
            for i in range(300)),
        "many_home_channels_format_2.mid": header(fmt=2, tracks=20) + b"".join(
            chunk(b"\x00" + bytes([0xC0 | (i % 16), 1]) + END) for i in range(20)),
    },
    ("bad-meta-lengths", "ok"): {
        "meter_length_0.mid": header() + chunk(b"\x00\xff\x58\x00" + NOTES + END),
        "meter_length_255.mid": header() + chunk(b"\x00\xff\x58\xff" + b"\x00" * 10),
        "key_length_1.mid": header() + chunk(b"\x00\xff\x59\x01\x03" + NOTES + END),
        "tempo_length_0.mid": header() + chunk(b"\x00\xff\x51\x00" + NOTES + END),
        "meta_type_at_end.mid": header() + chunk(b"\x00\xff"),
        "end_of_track_without_length.mid": header() + chunk(b"\x00\xff\x2f"),
    },
    ("silly-meters", "ok"): {
        "numerator_0.mid": header() + chunk(b"\x00\xff\x58\x04\x00\x02\x18\x08" + NOTES + END),
        "power_255.mid": header() + chunk(b"\x00\xff\x58\x04\x03\xff\x18\x08" + NOTES + END),
        "all_255.mid": header() + chunk(b"\x00\xff\x58\x04\xff\xff\xff\xff\x83\x60\xff\x58\x04\xff\xff\xff\xff" + END),
        "clocks_0.mid": header() + chunk(b"\x00\xff\x58\x04\x06\x03\x00\x08" + NOTES + END),
        "key_out_of_range.mid": header() + chunk(b"\x00\xff\x59\x02\x80\x05" + NOTES + END),
        "meter_far_out.mid": header(division=1) + chunk(varlen(0x0FFFFFFF) + b"\xff\x58\x04\x01\x04\x18\x08" + END),
    },
    ("missing-end-of-track", "ok"): {
        "runs_into_next_chunk.mid": header(tracks=2) + chunk(NOTES) + chunk(NOTES + END),
        "no_end_at_all.mid": header() + chunk(NOTES),
    },
    ("unknown-chunks", "ok"): {
        "vendor_chunk_after_conductor.mid": header(tracks=2) + chunk(b"\x00\xff\x51\x03\x07\xa1\x20" + END) +
        chunk(b"\x00\x00\x00\x00", b"Vend") + chunk(NOTES + END),
        "unknown_chunk_first.mid": header(fmt=0) + chunk(b"\x01\x02\x03", b"JUNK") + chunk(NOTES + END),
        "unknown_chunk_between_homes.mid": header(tracks=3) + chunk(b"\x00\xc0\x01" + END) +
        chunk(b"\x00\xc1\x01" + END, b"JUNK") + chunk(b"\x00\xc2\x01\x00\x90\x3c\x64\x60\x80\x3c\x00" + END),
    },
    ("declared-chunk-end", "ok"): {
        "padding_after_end_of_track.mid": header(tracks=2) + chunk(NOTES + END + b"\x00" * 6) + chunk(NOTES + END),
        "exclusive_length_past_chunk.mid": header(tracks=2) + chunk(b"\x00\xc0\x01\x00\xf0\x7f\x41\xf7") +
        chunk(NOTES + END),
        "data_byte_without_status_then_tracks.mid": header(tracks=3) + chunk(b"\x00\x3c\x64" + END) +
        chunk(NOTES + END) + chunk(b"\x00\xc1\x02" + END),
    },
    ("split-exclusive", "ok"): {
        "three_packets.mid": header(fmt=0) + chunk(b"\x00\xf0\x03\x43\x12\x00\x60\xf7\x06\x43\x12\x00\x43\x12\x00"
                                                   b"\x60\xf7\x04\x43\x12\x00\xf7" + NOTES + END),
        "escape_with_whole_message.mid": header(fmt=0) + chunk(b"\x00\xf7\x06\xf0\x7e\x7f\x09\x01\xf7" + NOTES + END),
        "packet_never_closed.mid": header(fmt=0) + chunk(b"\x00\xf0\x02\x41\x10\x00\xf7\x01\x20" + NOTES + END),
        "long_dump_between_resets.mid": header(fmt=0) + chunk(
            b"\x00\xf0\x0a\x41\x10\x42\x12\x40\x00\x7f\x00\x41\xf7" + b"\x00\xf0" + varlen(0x10000) +
            b"\x41" * 0xFFFF + b"\xf7" + b"\x00\xf0\x05\x7e\x7f\x09\x01\xf7" + NOTES + END),
    },
    ("smpte-division", "ok"): {
        "25_fps_40_ticks.mid": header(fmt=0, division=0xE728) + chunk(
            b"\x00\xff\x51\x03\x0f\x42\x40\x00\x90\x3c\x64\x87\x68\x80\x3c\x00" + END),
    },
    ("riff-rmid", "ok"): {
        "rmid_with_info.mid": b"RIFF" + (4 + 8 + len(GOOD) + 14).to_bytes(4, "little") + b"RMID" + b"data" +
        len(GOOD).to_bytes(4, "little") + GOOD + b"LIST" + (5).to_bytes(4, "little") + b"INFOx\x00",
    },
    ("crossing-held-notes", "ok"): {
        "two_chunks_hold_into_each_other.mid": header(tracks=2, division=1) + b"".join(
            chunk(b"".join(b"\x00" + bytes([0x90 | (c if k % 2 == 0 else 1 - c), k + 1, 100]) for k in range(16)) +
                  b"\x81\x00\xc0\x01" + END) for c in range(2)),
    },
    ("too-large", "too-large"): {
        "every_key_held_for_hours.mid": header(fmt=0, division=1) + chunk(
            b"".join(b"\x00" + bytes([0x90 | c, k, 100]) for c in range(16) for k in range(128)) +
            varlen(0x0FFFFFFF) + b"\xc0\x01" + END),
    },
    ("held-notes", "ok"): {
        "64_notes_held_far.mid": header(division=1) + chunk(
            b"".join(b"\x00" + bytes([0x90, k, 100]) for k in range(64)) + varlen(0x0FFFFFFF) + b"\xc0\x01" + END),
        # a key restruck among held notes, then a huge delta: splitting must
        # stay in time order
        "restrike_then_far.mid": header(division=1) + chunk(
            b"".join(b"\x00" + bytes([0x90, k, 100]) for k in range(40)) + b"\x81\x00\x90\x05\x64" +
            b"".join(b"\x00" + bytes([0x90, k, 100]) for k in range(40, 63)) + varlen(0x0FFFFFFF) + b"\xc0\x01" + END),
        "data_bytes_with_high_bit.mid": header() + chunk(b"\x00\x90\x3c\x64\x00\x90\xfc\xfb\x00\xc0\xf5" + END),
    },
    ("system-bytes-in-track", "ok"): {
        # a C-major scale in running status with one system common or
        # real-time message (and its data bytes) between two notes
        f"scale_with_{status:02x}.mid": header(tracks=1) + chunk(
            b"\x00\x90\x3c\x64\x81\x70\x3c\x00" + b"".join(
                (b"\x00" + bytes([status]) + bytes([0x10] * data) if k == 64 else b"") +
                b"\x00" + bytes([k, 100]) + b"\x81\x70" + bytes([k, 0])
                for k in (62, 64, 65, 67, 69, 71, 72)) + END)
        for status, data in ((0xF1, 1), (0xF2, 2), (0xF3, 1), (0xF4, 0), (0xF5, 0), (0xF6, 0), (0xF8, 0),
                             (0xF9, 0), (0xFA, 0), (0xFB, 0), (0xFC, 0), (0xFD, 0), (0xFE, 0))
    },
    ("chunks-past-track-count", "ok"): {
        # one bar of one note; the header counts two chunks, a third holds a
        # sequencer's own data and zeros
        "one_bar_then_zero_chunk.mid": header(tracks=2) +
        chunk(b"\x00\xff\x58\x04\x04\x02\x18\x08\x00\xff\x51\x03\x07\xa1\x20\x8f\x00\xff\x2f\x00") +
        chunk(b"\x00\x90\x3c\x64\x8f\x00\x80\x3c\x00" + END) +
        chunk(b"\x8f\xff\x7f" + b"\x00" * 64),
        # the header counts one chunk, the file holds two of music
        "undercounted_music.mid": header(tracks=1) + chunk(NOTES + END) + chunk(b"\x00\xc1\x05" + NOTES + END),
    },
    ("slow-tempos", "ok"): {
        "fermata_8_bpm.mid": header(tracks=1) + chunk(
            b"\x00\xff\x51\x03\x72\x70\xe0" + b"\x00\x90\x3c\x64\x83\x60\x80\x3c\x00" +
            b"\x00\xff\x51\x03\x07\xa1\x20" + NOTES + END),
        "slowest_and_zero.mid": header(tracks=1) + chunk(
            b"\x00\xff\x51\x03\xff\xff\xff\x00\xff\x51\x03\x00\x00\x00\x00\xff\x51\x03\x00\x00\x01" +
            NOTES + END),
    },
    ("long-header", "ok"): {
        "header_length_10.mid": header(length=10) + b"\x00\x01\x02\x03" + chunk(NOTES + END),
        "header_length_10_with_prefix.mid": b"\x00" * 128 + header(length=10) + b"MTrk" + chunk(NOTES + END),
    },
    ("short-header", "not-smf"): {
        "header_length_5.mid": header(length=5) + chunk(NOTES + END),
        "header_length_0.mid": header(length=0) + chunk(NOTES + END),
    },
}


def main():
    for (folder, expect), files in CORPUS.items():
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "expect"), "w") as f:
            f.write(expect + "\n")
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
