"""A small GIF89a writer: full-size frames, one global colour table, a given
delay and disposal method for every frame, looping forever."""

import struct


def _lzw(indices, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, size = reset()
    emit(clear, size)
    w = ()
    for k in indices:
        wk = w + (k,)
        if wk in table:
            w = wk
            continue
        emit(table[w], size)
        if next_code < 4096:
            table[wk] = next_code
            # the reader widens its codes one entry later than the writer adds them
            if next_code == (1 << size) and size < 12:
                size += 1
            next_code += 1
        else:
            emit(clear, size)
            table, next_code, size = reset()
        w = (k,)
    if w:
        emit(table[w], size)
    emit(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def _sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path, width, height, palette, frames, delay, disposal):
    """palette: list of (r, g, b); frames: lists of palette indices, row by row."""
    bits = 1
    while (1 << bits) < max(len(palette), 2):
        bits += 1
    table_size = 1 << bits
    colours = list(palette) + [(0, 0, 0)] * (table_size - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (bits - 1), 0, 0)
    for r, g, b in colours:
        out += bytes((r, g, b))
    # loop forever
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_code_size = max(2, bits)
    for frame in frames:
        assert len(frame) == width * height
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, (disposal & 7) << 2, delay, 0, 0)
        out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
        out.append(min_code_size)
        out += _sub_blocks(_lzw(frame, min_code_size))
    out.append(0x3B)
    with open(path, "wb") as f:
        f.write(out)
