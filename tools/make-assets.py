#!/usr/bin/env python3
"""Draws the program's small pictures: the signature's hand cursor (hand.cur), the editor's hint
frames (mouse3.gif, mouse4.gif, hint16.png, hint32.png) and the 32-pixel icon. Run it from the
repository's top folder after changing a drawing; the results are committed."""
import struct, subprocess, zlib, os

OUT = 'assets/images'

HAND = """
.......XX.......
......X..X......
......X..X......
......X..X......
......X..XXX....
......X..X..XXX.
...XX.X..X..X..X
..X..XX..X..X..X
..X...X........X
...X...........X
...X...........X
....X..........X
....X.........X.
.....X........X.
.....XXXXXXXXXX.
................
"""

MOUSE = """
........XXXXXXXXXXXXXXX.........
......XX.......X.......XX.......
.....X.........X.........X......
....X..........X..........X.....
....X..........X..........X.....
....X..........X..........X.....
....X..........X..........X.....
....X..........X..........X.....
....X..........X..........X.....
....XXXXXXXXXXXXXXXXXXXXXXX.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
....X.....................X.....
.....X...................X......
......XX...............XX.......
........XXXXXXXXXXXXXXX.........
"""

ARROW = """
................
................
.....X..........
....XX..........
...XXX..........
..XXXXXXXXXXXX..
.XXXXXXXXXXXXX..
..XXXXXXXXXXXX..
...XXX..........
....XX..........
.....X..........
................
"""


def grid(art, width, height, ink, fill=None, paper=(0, 0, 0, 0)):
    rows = [r for r in art.strip('\n').split('\n')]
    px = [[paper] * width for _ in range(height)]
    oy = (height - len(rows)) // 2
    ox = (width - len(rows[0])) // 2
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c == 'X':
                px[oy + y][ox + x] = ink
    if fill:
        fill(px, ox, oy)
    return px


def png(path, px):
    h, w = len(px), len(px[0])
    raw = b''.join(b'\0' + bytes(v for p in row for v in p) for row in px)
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    open(path, 'wb').write(data)


def cur(path, px, hot):
    """A one-image cursor file: 32-bit colour with its AND mask, bottom row first."""
    h, w = len(px), len(px[0])
    xor = b''.join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(px) for p in row)
    stride = ((w + 31) // 32) * 4
    andmask = b''
    for row in reversed(px):
        bits = 0
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        andmask += bytes(line)
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', w, h, 0, 0, hot[0], hot[1], len(image), 6 + 16)
    open(path, 'wb').write(directory + entry + image)


def scale(px, f):
    return [[p for p in row for _ in range(f)] for row in px for _ in range(f)]


def flood(px, x, y, colour):
    h, w = len(px), len(px[0])
    target = px[y][x]
    if target == colour:
        return
    stack = [(x, y)]
    while stack:
        x, y = stack.pop()
        if 0 <= x < w and 0 <= y < h and px[y][x] == target:
            px[y][x] = colour
            stack += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]


def main():
    os.makedirs(OUT, exist_ok=True)
    black, white = (0, 0, 0, 255), (255, 255, 255, 255)
    hand = grid(HAND, 16, 16, black)
    flood(hand, 7, 2, white)
    flood(hand, 8, 10, white)
    cur('assets/hand.cur', scale(hand, 2), (15, 0))

    red, grey = (220, 30, 30, 255), (235, 235, 235, 255)
    for name, pressed in (('mouse3', False), ('mouse4', True)):
        m = grid(MOUSE, 32, 32, black)
        flood(m, 16, 18, grey)
        flood(m, 10, 7, red if pressed else grey)
        flood(m, 20, 7, grey)
        png(f'{OUT}/{name}.png', m)
        subprocess.run(['convert', f'{OUT}/{name}.png', '-background', 'white', '-flatten',
                        f'assets/{name}.gif'], check=True)
        if not pressed:
            png(f'{OUT}/hint32.png', m)
        os.remove(f'{OUT}/{name}.png')
    png(f'{OUT}/hint16.png', grid(ARROW, 16, 16, (30, 60, 200, 255)))
    subprocess.run(['convert', '-background', 'none', 'assets/quillomat.svg', '-resize', '32x32',
                    f'{OUT}/quillomat.png'], check=True)


if __name__ == '__main__':
    main()
