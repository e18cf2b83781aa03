"""Walks an MPEG audio Layer III file frame by frame the way Fluxdec reads it: a leading ID3v2
tag is skipped, then frames follow back to back with no search for a sync word, and the first
thing that is not a Layer III frame header with a usable bit rate and sampling frequency (no
sync, the 0xFFE sync with ID 1, another layer, free format or index 15, reserved frequency)
ends the stream. MPEG 2.5 frames (the 0xFFE sync, ID 0) are LSF frames at their own rates.
Used by the test material generator and the accuracy runner."""

BITRATE = {1: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
           0: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]}
RATE = {1: [44100, 48000, 32000], 0: [22050, 24000, 16000]}
RATE_MPEG25 = [11025, 12000, 8000]


class Frame:
    __slots__ = ("offset", "length", "mpeg1", "mpeg25", "rate", "channels", "crc", "bitrate",
                 "mode", "mode_extension", "main_data_begin", "main_bytes", "skipped")

    @property
    def samples(self):
        """PCM samples per channel that one frame yields: 1152 (MPEG-1) or 576 (LSF)."""
        return 1152 if self.mpeg1 else 576

    @property
    def version(self):
        return "MPEG-1" if self.mpeg1 else "MPEG 2.5" if self.mpeg25 else "LSF"


def id3v2_size(data):
    """Bytes taken by a leading ID3v2 tag (header, body, optional footer), or 0."""
    if len(data) >= 10 and data[:3] == b"ID3" and data[3] != 0xFF and data[4] != 0xFF \
            and all(b < 0x80 for b in data[6:10]):
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        return 10 + size + (10 if data[5] & 0x10 else 0)
    return 0


def parse(data, skip_id3=True):
    """Returns (frames, end_offset, truncated): the frames Fluxdec decodes, where the stream
    ends, and whether the last frame runs past the end of the data. Each frame also carries
    whether the decoder's reservoir step skips it: a start-up frame, whose main_data_begin
    reaches before the main data read so far while fewer than 960 bytes of frames (frame index
    times the unpadded frame length) lie before it. Such a frame yields silence."""
    pos = id3v2_size(data) if skip_id3 else 0
    frames = []
    ring_write = 0
    truncated = False
    while pos + 4 <= len(data):
        h = int.from_bytes(data[pos:pos + 4], "big")
        mpeg1 = (h >> 19) & 1
        mpeg25 = h >> 20 == 0xFFE and not mpeg1
        if h >> 20 != 0xFFF and not mpeg25:
            break
        layer = (h >> 17) & 3
        bitrate_index = (h >> 12) & 15
        rate_index = (h >> 10) & 3
        if layer != 1 or bitrate_index in (0, 15) or rate_index == 3:
            break
        f = Frame()
        f.offset = pos
        f.mpeg1 = bool(mpeg1)
        f.mpeg25 = mpeg25
        f.bitrate = BITRATE[mpeg1][bitrate_index]
        f.rate = (RATE_MPEG25 if mpeg25 else RATE[mpeg1])[rate_index]
        f.mode = (h >> 6) & 3
        f.mode_extension = (h >> 4) & 3
        f.channels = 1 if f.mode == 3 else 2
        f.crc = not (h >> 16) & 1
        padding = (h >> 9) & 1
        f.length = f.bitrate * (144000 if mpeg1 else 72000) // f.rate + padding
        side = (17 if f.channels == 1 else 32) if mpeg1 else (9 if f.channels == 1 else 17)
        before = 4 + side + (2 if f.crc else 0)
        f.main_bytes = f.length - before
        si = pos + 4 + (2 if f.crc else 0)
        if si + 2 > len(data):
            truncated = True
            break
        f.main_data_begin = ((data[si] << 1) | (data[si + 1] >> 7)) if mpeg1 else data[si]
        index = len(frames)
        f.skipped = f.main_data_begin > ring_write and index * (f.length - padding) < 960
        ring_write = (ring_write + max(f.main_bytes, 0)) % 4096
        frames.append(f)
        if pos + f.length > len(data):
            truncated = True
            pos = len(data)
            break
        pos += f.length
    return frames, pos, truncated


def parse_file(path, skip_id3=True):
    with open(path, "rb") as fh:
        return parse(fh.read(), skip_id3)


class BitString:
    """MSB-first reads from a short byte string (the side information)."""

    def __init__(self, data):
        self.value = int.from_bytes(data, "big")
        self.size = len(data) * 8
        self.pos = 0

    def get(self, n):
        self.pos += n
        return (self.value >> (self.size - self.pos)) & ((1 << n) - 1)


def side_info(data, f):
    """The frame's side information: (scfsi per channel, one dict per granule and channel).
    Window-switching granules also give "mixed_bit", the file offset in bits of their
    mixed_block_flag."""
    start = f.offset + 4 + (2 if f.crc else 0)
    b = BitString(data[start:start + 32])
    if f.mpeg1:
        b.get(9)
        b.get(5 if f.channels == 1 else 3)
        scfsi = [b.get(4) for _ in range(f.channels)]
    else:
        b.get(8)
        b.get(1 if f.channels == 1 else 2)
        scfsi = [0] * f.channels
    channels = []
    for _ in range(2 if f.mpeg1 else 1):
        for _ in range(f.channels):
            g = {"part2_3_length": b.get(12), "big_values": b.get(9), "global_gain": b.get(8),
                 "scalefac_compress": b.get(4 if f.mpeg1 else 9)}
            if b.get(1):
                g["block_type"] = b.get(2)
                g["mixed_bit"] = start * 8 + b.pos  # the flag's bit offset in the file
                g["mixed_block_flag"] = b.get(1)
                g["table_select"] = [b.get(5), b.get(5)]
                g["subblock_gain"] = [b.get(3), b.get(3), b.get(3)]
            else:
                g["block_type"], g["mixed_block_flag"], g["subblock_gain"] = 0, 0, [0, 0, 0]
                g["table_select"] = [b.get(5), b.get(5), b.get(5)]
                b.get(4)
                b.get(3)
            g["preflag"] = b.get(1) if f.mpeg1 else 0
            g["scalefac_scale"] = b.get(1)
            g["count1table_select"] = b.get(1)
            channels.append(g)
    return scfsi, channels
