#!/usr/bin/env python3
"""Draws the program's icons, toolbar strips and bitmaps at build time.

Everything is drawn here from simple shapes, so the pictures are the
project's own. Writes BMP (24-bit) and ICO (32-bit with mask) files into the
folder given on the command line.
"""
import math
import os
import struct
import sys

MASK = (192, 192, 192)  # toolbar bitmaps: transparent colour

BLACK = (0, 0, 0)
DARK = (64, 64, 64)
GREY = (128, 128, 128)
LIGHT = (210, 210, 210)
WHITE = (255, 255, 255)
PAPER = (250, 250, 240)
YELLOW = (240, 200, 60)
YELLOW_DARK = (170, 130, 20)
BLUE = (40, 90, 200)
BLUE_LIGHT = (120, 170, 240)
GREEN = (40, 150, 60)
RED = (200, 40, 40)
ORANGE = (230, 130, 30)
BROWN = (120, 80, 40)
PURPLE = (120, 60, 160)


class Canvas:
    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.line(x0, y0, x1, y0, c)
        self.line(x0, y1, x1, y1, c)
        self.line(x0, y0, x0, y1, c)
        self.line(x1, y0, x1, y1, c)

    def box(self, x0, y0, x1, y1, fillc, edge):
        self.fill(x0, y0, x1, y1, fillc)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, c, a0=0, a1=360):
        steps = int(8 * r) + 8
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            self.set(int(round(cx + r * math.cos(a))), int(round(cy - r * math.sin(a))), c)

    def poly(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(min(ys), max(ys) + 1):
            xs = []
            for i in range(len(pts)):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
                if y0 == y1:
                    continue
                if min(y0, y1) <= y < max(y0, y1):
                    xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(math.ceil(xs[i])), int(math.floor(xs[i + 1])) + 1):
                    self.set(x, y, c)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][x]
                if c is not None:
                    self.set(ox + x, oy + y, c)

    def faded(self):
        out = Canvas(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                c = self.px[y][x]
                if c is not None:
                    out.px[y][x] = tuple((v + 2 * 255) // 3 for v in c)
        return out


# --- 5x7 letters for the bitmaps -------------------------------------------
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    '0': ["01110", "10011", "10101", "10101", "11001", "10001", "01110"],
    '8': ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    '9': ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    '.': ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    ' ': ["00000"] * 7,
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'D': ["11100", "10010", "10001", "10001", "10001", "10010", "11100"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'H': ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'N': ["10001", "10001", "11001", "10101", "10011", "10001", "10001"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    '7': ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    '(': ["00010", "00100", "01000", "01000", "01000", "00100", "00010"],
    ')': ["01000", "00100", "00010", "00010", "00010", "00100", "01000"],
}


def text_width(s, scale=1, spacing=0):
    return len(s) * (6 * scale + spacing) - spacing - scale


def spaced_text(cv, x, y, s, c, scale=1, spacing=0, shadow=None):
    for ch in s:
        if shadow is not None:
            text(cv, x + scale, y + scale, ch, shadow, scale)
        text(cv, x, y, ch, c, scale)
        x += 6 * scale + spacing


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def text(cv, x, y, s, c, scale=1):
    for ch in s:
        rows = FONT.get(ch.upper(), FONT[' '])
        for ry, row in enumerate(rows):
            for rx, bit in enumerate(row):
                if bit == '1':
                    cv.fill(x + rx * scale, y + ry * scale, x + rx * scale + scale - 1, y + ry * scale + scale - 1, c)
        x += 6 * scale


# --- Pictures (16 x 16 unless said) ------------------------------------------
def page(cv, x0=3, y0=1, x1=12, y1=14, lines=True):
    cv.poly([(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)], PAPER)
    cv.line(x0, y0, x1 - 3, y0, DARK)
    cv.line(x1 - 3, y0, x1, y0 + 3, DARK)
    cv.line(x1, y0 + 3, x1, y1, DARK)
    cv.line(x0, y1, x1, y1, DARK)
    cv.line(x0, y0, x0, y1, DARK)
    cv.line(x1 - 3, y0, x1 - 3, y0 + 3, GREY)
    cv.line(x1 - 3, y0 + 3, x1, y0 + 3, GREY)
    if lines:
        for y in range(y0 + 5, y1 - 1, 2):
            cv.line(x0 + 2, y, x1 - 2, y, BLUE_LIGHT)


def folder(cv, open_=False):
    cv.poly([(1, 3), (6, 3), (7, 5), (14, 5), (14, 13), (1, 13)], YELLOW_DARK)
    cv.fill(2, 6, 13, 12, YELLOW)
    if open_:
        cv.poly([(3, 8), (15, 8), (13, 13), (1, 13)], (250, 220, 110))
        cv.line(3, 8, 15, 8, YELLOW_DARK)
        cv.line(15, 8, 13, 13, YELLOW_DARK)
    cv.frame(1, 5, 14, 13, YELLOW_DARK)


def icon_note():
    cv = Canvas(16, 16)
    page(cv)
    return cv


def icon_folder(open_=False):
    cv = Canvas(16, 16)
    folder(cv, open_)
    return cv


def icon_empty():
    cv = Canvas(16, 16)
    for i in range(3, 13, 2):
        for (x, y) in ((i, 3), (i, 12), (3, i), (12, i)):
            cv.set(x, y, GREY)
    return cv


def icon_image():
    cv = Canvas(16, 16)
    cv.box(1, 2, 14, 13, (170, 210, 250), DARK)
    cv.disc(10, 5, 1.6, YELLOW)
    cv.poly([(2, 12), (6, 7), (9, 10), (11, 8), (13, 12)], GREEN)
    return cv


def icon_html():
    cv = Canvas(16, 16)
    page(cv, lines=False)
    cv.disc(8, 9, 4.2, BLUE_LIGHT)
    cv.poly([(6, 6), (9, 7), (8, 10), (6, 11), (5, 8)], GREEN)
    cv.ring(8, 9, 4.5, BLUE)
    return cv


def icon_foreign():
    cv = Canvas(16, 16)
    cv.poly([(2, 5), (8, 2), (14, 5), (14, 12), (8, 15), (2, 12)], (200, 160, 110))
    cv.poly([(8, 8), (14, 5), (14, 12), (8, 15)], BROWN)
    cv.line(2, 5, 8, 8, DARK)
    cv.line(8, 8, 14, 5, DARK)
    cv.line(8, 8, 8, 15, DARK)
    cv.line(2, 5, 8, 2, DARK)
    cv.line(8, 2, 14, 5, DARK)
    cv.line(2, 5, 2, 12, DARK)
    cv.line(14, 5, 14, 12, DARK)
    cv.line(2, 12, 8, 15, DARK)
    cv.line(8, 15, 14, 12, DARK)
    return cv


def overlay_shown():
    cv = Canvas(16, 16)
    cv.poly([(0, 9), (5, 12), (0, 15)], GREEN)
    cv.line(0, 9, 5, 12, DARK)
    cv.line(5, 12, 0, 15, DARK)
    return cv


def overlay_path():
    cv = Canvas(16, 16)
    cv.disc(2, 13, 2.2, BLUE)
    return cv


def overlay_plus():
    cv = Canvas(16, 16)
    cv.fill(0, 12, 4, 12, PURPLE)
    cv.fill(2, 10, 2, 14, PURPLE)
    return cv


def overlay_lock():
    cv = Canvas(16, 16)
    cv.ring(12.5, 9.5, 2.2, DARK, 0, 180)
    cv.box(9, 10, 15, 15, YELLOW, DARK)
    cv.set(12, 12, DARK)
    cv.set(12, 13, DARK)
    return cv


def overlay_task():
    cv = Canvas(16, 16)
    cv.box(9, 9, 15, 15, WHITE, DARK)
    cv.line(10, 12, 11, 14, GREEN)
    cv.line(11, 14, 14, 10, GREEN)
    return cv


def overlay_link():
    cv = Canvas(16, 16)
    cv.ring(10.5, 12.5, 1.8, BLUE)
    cv.ring(13.5, 12.5, 1.8, BLUE)
    return cv


def icon_bookmark():
    cv = Canvas(16, 16)
    cv.poly([(4, 1), (11, 1), (11, 15), (7, 11), (4, 15)], RED)
    cv.line(4, 1, 11, 1, (120, 20, 20))
    cv.line(4, 1, 4, 15, (120, 20, 20))
    cv.line(11, 1, 11, 15, (120, 20, 20))
    return cv


def icon_keyword():
    cv = Canvas(16, 16)
    cv.poly([(1, 8), (5, 4), (14, 4), (14, 12), (5, 12)], (250, 230, 150))
    cv.line(1, 8, 5, 4, BROWN)
    cv.line(5, 4, 14, 4, BROWN)
    cv.line(14, 4, 14, 12, BROWN)
    cv.line(14, 12, 5, 12, BROWN)
    cv.line(5, 12, 1, 8, BROWN)
    cv.disc(5, 8, 1, BROWN)
    return cv


def clipboard(cv):
    cv.box(2, 2, 13, 15, (210, 170, 120), BROWN)
    cv.box(4, 4, 11, 14, WHITE, GREY)
    cv.box(5, 1, 10, 3, LIGHT, DARK)


def icon_task(kind):
    cv = Canvas(16, 16)
    clipboard(cv)
    if kind == 'open':
        cv.frame(5, 7, 8, 10, DARK)
        cv.line(9, 8, 10, 8, GREY)
        cv.line(5, 12, 10, 12, GREY)
    elif kind == 'done':
        cv.line(5, 9, 7, 12, GREEN)
        cv.line(6, 9, 7, 11, GREEN)
        cv.line(7, 12, 11, 6, GREEN)
    elif kind == 'late':
        cv.fill(7, 6, 8, 10, RED)
        cv.fill(7, 12, 8, 13, RED)
    return cv


def icon_app(size):
    cv = Canvas(size, size)
    s = size / 16.0

    def P(x, y):
        return (int(round(x * s)), int(round(y * s)))

    cv.poly([P(1, 4), P(8, 6), P(8, 15), P(1, 13)], BLUE)
    cv.poly([P(8, 6), P(15, 4), P(15, 13), P(8, 15)], (60, 110, 220))
    cv.poly([P(2, 5), P(7.5, 6.6), P(7.5, 14), P(2, 12.5)], PAPER)
    cv.poly([P(8.5, 6.6), P(14, 5), P(14, 12.5), P(8.5, 14)], PAPER)
    # the quill
    cv.poly([P(15, 0), P(12, 2), P(9, 7), P(10, 8), P(13, 4)], WHITE)
    cv.line(*P(15, 0), *P(9, 9), DARK)
    cv.line(*P(15, 0), *P(12, 2), DARK)
    cv.line(*P(12, 2), *P(9, 7), GREY)
    return cv


def icon_doc(size):
    cv = Canvas(size, size)
    s = size / 16.0
    sub = Canvas(16, 16)
    page(sub)
    for y in range(size):
        for x in range(size):
            cv.px[y][x] = sub.px[min(15, int(y / s))][min(15, int(x / s))]
    q = icon_app(size)
    for y in range(size // 2, size):
        for x in range(size // 2, size):
            c = q.px[(y - size // 2) * 2][(x - size // 2) * 2]
            if c is not None:
                cv.px[y][x] = c
    return cv


# --- Toolbar buttons (16 x 15) -------------------------------------------------
def btn():
    return Canvas(16, 15)


def tb_new():
    cv = btn()
    page(cv, 3, 1, 12, 14, lines=False)
    cv.line(11, 8, 15, 12, YELLOW_DARK)
    cv.line(15, 8, 11, 12, YELLOW_DARK)
    cv.line(13, 7, 13, 13, YELLOW_DARK)
    return cv


def tb_open():
    cv = btn()
    folder(cv, True)
    cv.poly([(10, 0), (15, 3), (10, 6)], GREEN)
    return cv


def tb_save():
    cv = btn()
    cv.box(1, 1, 14, 14, BLUE, DARK)
    cv.box(4, 1, 11, 6, WHITE, DARK)
    cv.box(4, 9, 11, 14, LIGHT, DARK)
    cv.fill(9, 2, 10, 5, BLUE)
    return cv


def tb_cut():
    cv = btn()
    cv.line(5, 1, 9, 9, DARK)
    cv.line(10, 1, 6, 9, DARK)
    cv.ring(5, 11, 2.5, RED)
    cv.ring(10, 11, 2.5, RED)
    return cv


def tb_copy():
    cv = btn()
    page(cv, 1, 0, 9, 10)
    page(cv, 6, 4, 14, 14)
    return cv


def tb_paste():
    cv = btn()
    cv.box(1, 2, 10, 14, (210, 170, 120), BROWN)
    cv.box(3, 0, 8, 3, LIGHT, DARK)
    page(cv, 6, 5, 14, 14)
    return cv


def tb_arrow(clockwise):
    cv = btn()
    if clockwise:
        cv.ring(7, 8, 5, BLUE, -60, 180)
        cv.poly([(10, 12), (14, 13), (12, 9)], BLUE)
    else:
        cv.ring(8, 8, 5, BLUE, 0, 240)
        cv.poly([(5, 12), (1, 13), (3, 9)], BLUE)
    return cv


def tb_undo():
    cv = btn()
    cv.ring(9, 9, 4, BLUE, 0, 180)
    cv.line(13, 9, 13, 11, BLUE)
    cv.poly([(2, 9), (8, 9), (5, 13)], BLUE)
    return cv


def tb_redo():
    cv = btn()
    cv.ring(6, 9, 4, BLUE, 0, 180)
    cv.line(2, 9, 2, 11, BLUE)
    cv.poly([(7, 9), (13, 9), (10, 13)], BLUE)
    return cv


def tb_print():
    cv = btn()
    page(cv, 4, 0, 11, 6, lines=False)
    cv.box(1, 6, 14, 11, LIGHT, DARK)
    cv.set(12, 8, GREEN)
    cv.box(4, 10, 11, 14, WHITE, DARK)
    return cv


def tb_find():
    cv = btn()
    cv.disc(6, 6, 4, (200, 230, 250))
    cv.ring(6, 6, 4.3, DARK)
    cv.line(9, 9, 14, 14, BROWN)
    cv.line(10, 9, 14, 13, BROWN)
    return cv


def tb_help():
    cv = btn()
    cv.box(1, 1, 5, 13, BLUE_LIGHT, DARK)
    cv.disc(10, 7, 4.8, BLUE)
    cv.line(8, 5, 10, 4, WHITE)
    cv.line(10, 4, 12, 5, WHITE)
    cv.line(12, 5, 10, 8, WHITE)
    cv.set(10, 9, WHITE)
    cv.set(10, 11, WHITE)
    return cv


def tb_zoom():
    cv = tb_find()
    cv.line(4, 6, 8, 6, DARK)
    cv.line(6, 4, 6, 8, DARK)
    return cv


def tb_fit():
    cv = btn()
    cv.frame(0, 0, 15, 14, DARK)
    cv.box(5, 4, 10, 10, (170, 210, 250), BLUE)
    for (a, b, c, d) in ((1, 1, 4, 3), (14, 1, 11, 3), (1, 13, 4, 11), (14, 13, 11, 11)):
        cv.line(a, b, c, d, RED)
    return cv


# --- Formatting bar (16 x 15) ---------------------------------------------------
def glyph(cv, x, y, ch, c, bold=False, slant=False):
    rows = FONT[ch]
    for ry, row in enumerate(rows):
        shift = (6 - ry) // 3 if slant else 0
        for rx, bit in enumerate(row):
            if bit == '1':
                cv.set(x + rx + shift, y + ry, c)
                if bold:
                    cv.set(x + rx + shift + 1, y + ry, c)


def tb_bold():
    cv = btn()
    glyph(cv, 5, 4, 'B', BLACK, bold=True)
    return cv


def tb_italic():
    cv = btn()
    glyph(cv, 5, 4, 'I', BLACK, slant=True)
    return cv


def tb_underline():
    cv = btn()
    glyph(cv, 5, 2, 'U', BLACK)
    cv.line(4, 11, 11, 11, BLACK)
    return cv


def tb_strike():
    cv = btn()
    glyph(cv, 5, 4, 'S', BLACK)
    cv.line(3, 7, 12, 7, RED)
    return cv


def tb_align(kind):
    cv = btn()
    for i, y in enumerate(range(2, 13, 2)):
        w = 11 if i % 2 == 0 else 7
        if kind == 'justify':
            x0, x1 = 2, 13
        elif kind == 'left':
            x0, x1 = 2, 2 + w
        elif kind == 'right':
            x0, x1 = 13 - w, 13
        else:
            x0 = 2 + (11 - w) // 2
            x1 = x0 + w
        cv.line(x0, y, x1, y, BLACK)
    return cv


def tb_bullets():
    cv = btn()
    for y in (3, 7, 11):
        cv.fill(2, y - 1, 3, y, BLUE)
        cv.line(6, y, 13, y, BLACK)
    return cv


def tb_indent(more):
    cv = btn()
    for y in range(2, 13, 2):
        cv.line(7, y, 14, y, BLACK)
    if more:
        cv.poly([(1, 4), (5, 7), (1, 10)], BLUE)
    else:
        cv.poly([(5, 4), (1, 7), (5, 10)], BLUE)
    return cv


def font_colour_base():
    cv = btn()
    glyph(cv, 5, 2, 'A', BLACK, bold=True)
    return cv


def highlight_base():
    cv = btn()
    cv.poly([(9, 1), (13, 5), (7, 11), (3, 7)], LIGHT)
    cv.line(9, 1, 13, 5, DARK)
    cv.line(13, 5, 7, 11, DARK)
    cv.line(7, 11, 3, 7, DARK)
    cv.line(3, 7, 9, 1, DARK)
    cv.poly([(3, 8), (6, 11), (2, 11)], YELLOW_DARK)
    return cv


def with_bar(cv, c):
    out = btn()
    out.blit(cv, 0, 0)
    out.fill(0, 12, 15, 14, c)
    return out


def tb_font():
    cv = btn()
    glyph(cv, 2, 4, 'A', BLUE, bold=True)
    glyph(cv, 9, 6, 'A', DARK)
    return cv


def icon_font_truetype():
    cv = Canvas(16, 16)
    cv.line(1, 3, 8, 3, GREY)
    cv.line(4, 3, 4, 12, GREY)
    cv.line(6, 6, 14, 6, BLUE)
    cv.line(10, 6, 10, 15, BLUE)
    return cv


def icon_font_printer():
    cv = Canvas(16, 16)
    cv.box(1, 6, 14, 11, LIGHT, DARK)
    cv.box(4, 1, 11, 6, WHITE, DARK)
    cv.box(4, 10, 11, 15, WHITE, DARK)
    cv.set(12, 8, GREEN)
    return cv


# --- Tree menu pictures (16 x 15) ----------------------------------------------
def tb_new_note():
    cv = btn()
    page(cv, 2, 1, 11, 14)
    cv.poly([(13, 0), (15, 3), (13, 6), (11, 3)], YELLOW_DARK)
    return cv


def tb_new_folder():
    cv = btn()
    folder(cv)
    cv.poly([(13, 0), (15, 3), (13, 6), (11, 3)], YELLOW_DARK)
    return cv


def tb_delete():
    cv = btn()
    for d in (0, 1):
        cv.line(3 + d, 2, 12 + d, 12, RED)
        cv.line(12 + d, 2, 3 + d, 12, RED)
    return cv


# --- Document menu pictures (16 x 15) ------------------------------------------
def tb_refresh():
    cv = btn()
    cv.ring(7, 7, 5, GREEN, 30, 330)
    cv.poly([(10, 1), (14, 4), (9, 6)], GREEN)
    return cv


def tree_box(sign_plus):
    cv = btn()
    cv.line(3, 4, 3, 13, DARK)
    cv.line(3, 13, 8, 13, DARK)
    cv.line(3, 8, 8, 8, DARK)
    cv.box(0, 0, 6, 6, WHITE, DARK)
    cv.line(2, 3, 4, 3, BLACK)
    if sign_plus:
        cv.line(3, 2, 3, 4, BLACK)
    for y in (8, 13):
        cv.fill(9, y - 1, 14, y + 1, YELLOW)
    return cv


def tb_batch_export():
    cv = btn()
    folder(cv)
    cv.fill(7, 2, 11, 4, GREEN)
    cv.poly([(11, 0), (15, 3), (11, 6)], GREEN)
    return cv


def tb_spelling():
    cv = btn()
    glyph(cv, 0, 0, 'A', DARK)
    glyph(cv, 6, 0, 'B', DARK)
    cv.line(4, 11, 7, 14, GREEN)
    cv.line(7, 14, 14, 7, GREEN)
    cv.line(5, 11, 7, 13, GREEN)
    return cv


def tb_options():
    cv = btn()
    cv.disc(7, 7, 5, LIGHT)
    cv.ring(7, 7, 5.3, DARK)
    for (x, y) in ((7, 0), (7, 14), (0, 7), (14, 7), (2, 2), (12, 2), (2, 12), (12, 12)):
        cv.box(x - 1 if x > 0 else x, y - 1 if y > 0 else y, x + 1 if x < 14 else x, y + 1 if y < 14 else y,
               DARK, DARK)
    cv.disc(7, 7, 2, WHITE)
    return cv


def tb_paragraph():
    cv = btn()
    cv.disc(6, 4, 3, BLUE)
    cv.fill(8, 1, 9, 14, BLUE)
    cv.fill(11, 1, 12, 14, BLUE)
    cv.fill(6, 1, 12, 1, BLUE)
    return cv


# --- Large bitmaps ---------------------------------------------------------------
def splash():
    # The size the About box's picture was laid out for.
    w, h = 320, 180
    band = 142
    cv = Canvas(w, h)
    # Night-blue sky, lighter towards the bottom, with a soft glow where the
    # notebook sits.
    top, bottom = (14, 30, 78), (40, 86, 170)
    gx, gy, gr = 52, 76, 120.0
    for y in range(band):
        base = mix(top, bottom, y / (band - 1))
        for x in range(w):
            d = math.hypot(x - gx, (y - gy) * 1.3) / gr
            cv.px[y][x] = mix(base, (90, 140, 225), max(0.0, 1.0 - d) * 0.55)
    # A large faint quill stroke sweeping up behind the title.
    def stroke(t):
        return 196 + 116 * t, 138 - 130 * t + 28 * math.sin(t * math.pi)
    feather = Canvas(w, h)
    for i in range(60):
        t = i / 59.0
        cx, cy = stroke(t)
        feather.disc(cx, cy, 12 * math.sin(t * math.pi) + 1, (1, 1, 1))
    for y in range(band):
        for x in range(w):
            if feather.px[y][x] is not None:
                cv.px[y][x] = mix(cv.px[y][x], (150, 185, 240), 0.10)
    for i in range(120):
        x, y = stroke(i / 119.0)
        x, y = int(round(x)), int(round(y))
        if 0 <= y < band and 0 <= x < w:
            cv.px[y][x] = mix(cv.px[y][x], (200, 220, 250), 0.35)
    # The notebook with its quill, on a shadow.
    big = icon_app(64)
    ox, oy = 20, 40
    for y in range(big.h):
        for x in range(big.w):
            if big.px[y][x] is not None:
                for dx, dy in ((3, 4), (2, 3), (4, 5)):
                    px, py = ox + x + dx, oy + y + dy
                    if 0 <= px < w and 0 <= py < band:
                        cv.px[py][px] = mix(cv.px[py][px], (5, 12, 35), 0.35)
    cv.blit(big, ox, oy)
    # Maker, name, a gold rule and the tagline.
    shade = (8, 18, 48)
    tx = 102
    spaced_text(cv, tx + 2, 26, "VARLO", (175, 200, 245), 2, 3, shade)
    spaced_text(cv, tx, 46, "QUILLCREST", WHITE, 3, 0, shade)
    rule = tx + text_width("QUILLCREST", 3)
    cv.fill(tx + 2, 74, rule, 75, (235, 190, 70))
    cv.fill(tx + 2, 76, rule, 76, (150, 110, 30))
    spaced_text(cv, tx + 2, 86, "YOUR NOTEBOOKS", (205, 220, 250), 2, 0, shade)
    spaced_text(cv, tx + 2, 104, "KEPT IN ORDER", (205, 220, 250), 2, 0, shade)
    # The lower band: the version, and the word that start-up is on.
    cv.fill(0, band, w - 1, h - 1, (10, 22, 56))
    cv.fill(0, band, w - 1, band, (70, 110, 190))
    spaced_text(cv, 14, band + 12, "VERSION 0.9.8", (220, 228, 245), 2)
    loading = "LOADING..."
    spaced_text(cv, w - 14 - text_width(loading, 2), band + 12, loading, (235, 190, 70), 2)
    # Frame: dark outside, a light line within.
    cv.frame(0, 0, w - 1, h - 1, (4, 10, 30))
    cv.frame(1, 1, w - 2, h - 2, (80, 120, 200))
    return cv


def logo():
    w, h = 128, 128
    cv = Canvas(w, h, (236, 240, 248))
    big = icon_app(96)
    cv.blit(big, 16, 8)
    text(cv, 4, 110, "QUILLCREST", BLUE, 2) if False else text(cv, 6, 112, "QUILLCREST", BLUE, 1)
    return cv


# --- Writers ---------------------------------------------------------------------
def write_bmp(path, cv, bg=MASK):
    w, h = cv.w, cv.h
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            c = cv.px[y][x] or bg
            line += bytes((c[2], c[1], c[0]))
        line += b'\0' * (row - w * 3)
        data += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def ico_image(cv):
    w, h = cv.w, cv.h
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            c = cv.px[y][x]
            xor += bytes((c[2], c[1], c[0], 255)) if c else b'\0\0\0\0'
    mrow = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(mrow)
        for x in range(w):
            if cv.px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def write_ico(path, canvases):
    images = [ico_image(cv) for cv in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack('<BBBBHHII', cv.w % 256, cv.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, 'wb') as f:
        f.write(out)


def write_cur(path, cv, hotspot):
    img = ico_image(cv)
    out = struct.pack('<HHH', 0, 2, 1)
    out += struct.pack('<BBBBHHII', cv.w % 256, cv.h % 256, 0, 0, hotspot[0], hotspot[1], len(img), 22)
    with open(path, 'wb') as f:
        f.write(out + img)


def cursor_zoom():
    # A magnifier with a plus; the hot spot is the lens's centre.
    cv = Canvas(32, 32)
    cv.disc(11, 11, 9, BLACK)
    cv.disc(11, 11, 7, WHITE)
    cv.line(7, 11, 15, 11, BLACK)
    cv.line(11, 7, 11, 15, BLACK)
    for d in range(3):
        cv.line(17 + d, 18, 27 + d, 28, BLACK)
        cv.line(18, 17 + d, 28, 27 + d, BLACK)
    return cv


def strip(buttons):
    cv = Canvas(16 * len(buttons), 15)
    for i, b in enumerate(buttons):
        cv.blit(b, 16 * i, 0)
    return cv


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    tree = {
        'tree_shown': overlay_shown(), 'tree_path': overlay_path(), 'tree_note': icon_note(),
        'tree_folder': icon_folder(), 'tree_folder_open': icon_folder(True), 'tree_empty': icon_empty(),
        'tree_image': icon_image(), 'tree_html': icon_html(), 'tree_foreign': icon_foreign(),
        'tree_bookmark': icon_bookmark(), 'tree_keyword': icon_keyword(), 'tree_overlay3': overlay_plus(),
        'tree_lock': overlay_lock(), 'tree_task': overlay_task(),
        'task_open': icon_task('open'), 'task_done': icon_task('done'), 'task_late': icon_task('late'),
        'task_link': overlay_link(),
    }
    for base in ('note', 'folder', 'folder_open', 'empty', 'image', 'html', 'foreign'):
        tree['tree_%s_cut' % base] = tree['tree_' + base].faded()
    for name, cv in tree.items():
        write_ico(os.path.join(outdir, name + '.ico'), [cv])
    write_ico(os.path.join(outdir, 'app.ico'), [icon_app(16), icon_app(32)])
    write_ico(os.path.join(outdir, 'notebook.ico'), [icon_doc(16), icon_doc(32)])
    write_bmp(os.path.join(outdir, 'toolbar_standard.bmp'),
              strip([tb_new(), tb_open(), tb_save(), tb_cut(), tb_copy(), tb_paste(), tb_undo(), tb_redo(),
                     tb_print(), tb_find(), tb_help()]))
    write_bmp(os.path.join(outdir, 'toolbar_image.bmp'),
              strip([tb_arrow(True), tb_arrow(False), tb_zoom(), tb_fit()]))
    write_bmp(os.path.join(outdir, 'toolbar_format.bmp'),
              strip([btn(), btn(), tb_bold(), tb_italic(), tb_underline(), tb_strike(),
                     tb_align('left'), tb_align('center'), tb_align('right'), tb_align('justify'),
                     tb_bullets(), tb_indent(False), tb_indent(True),
                     with_bar(font_colour_base(), RED), with_bar(highlight_base(), YELLOW), tb_font(), tb_find()]))
    write_bmp(os.path.join(outdir, 'font_colour_base.bmp'), font_colour_base())
    write_bmp(os.path.join(outdir, 'highlight_base.bmp'), highlight_base())
    write_ico(os.path.join(outdir, 'font_truetype.ico'), [icon_font_truetype()])
    write_ico(os.path.join(outdir, 'font_printer.ico'), [icon_font_printer()])
    write_bmp(os.path.join(outdir, 'toolbar_tree.bmp'),
              strip([tb_new_note(), tb_new_folder(), tb_delete(), tb_cut(), tb_copy(), tb_paste()]))
    write_bmp(os.path.join(outdir, 'toolbar_menu.bmp'),
              strip([tb_refresh(), tree_box(False), tree_box(True), tb_batch_export(), tb_paragraph(),
                     tb_spelling(), tb_options()]))
    write_cur(os.path.join(outdir, 'zoom.cur'), cursor_zoom(), (11, 11))
    write_bmp(os.path.join(outdir, 'splash.bmp'), splash())
    write_bmp(os.path.join(outdir, 'logo.bmp'), logo(), bg=(236, 240, 248))


if __name__ == '__main__':
    main(sys.argv[1])
