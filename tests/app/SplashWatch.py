"""Watches the screen for the splash picture, for the end-to-end scripts.

    SplashWatch.py <picture.ppm> <screenshot.ppm> <seconds to show> <seconds to go>

Reads the screen's middle every 20 ms through Xlib (ImageMagick's import is
too slow to catch a picture that is up for 2 s on a loaded machine). Prints
"shown X Y" once the picture is on the screen pixel for pixel (at most 1 in
100 pixels differing), writing the desktop (1024 x 768 from the top left) to
the screenshot; then "gone" once it has left. Exit status 0 when both
happened in time, 1 with the reason otherwise.
"""
import ctypes
import ctypes.util
import sys
import time


class XImage(ctypes.Structure):
    _fields_ = [('width', ctypes.c_int), ('height', ctypes.c_int), ('xoffset', ctypes.c_int),
                ('format', ctypes.c_int), ('data', ctypes.POINTER(ctypes.c_char)), ('byte_order', ctypes.c_int),
                ('bitmap_unit', ctypes.c_int), ('bitmap_bit_order', ctypes.c_int), ('bitmap_pad', ctypes.c_int),
                ('depth', ctypes.c_int), ('bytes_per_line', ctypes.c_int), ('bits_per_pixel', ctypes.c_int)]


def ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    w, h = int(fields[1]), int(fields[2])
    return w, h, data[pos + 1:pos + 1 + w * h * 3]


x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library('X11'))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XDestroyImage = None  # freed with the process; a few grabs a second
display = x11.XOpenDisplay(None)
if not display:
    print('no X display')
    sys.exit(1)
root = x11.XDefaultRootWindow(display)


def grab(x, y, w, h):
    """The screen rectangle as RGB bytes (24-bit visuals as 32-bit pixels)."""
    p = x11.XGetImage(display, root, x, y, w, h, 0xFFFFFFFF, 2)
    if not p:
        return None
    im = ctypes.cast(p, ctypes.POINTER(XImage)).contents
    raw = ctypes.string_at(im.data, im.bytes_per_line * im.height)
    rows = [raw[r * im.bytes_per_line:r * im.bytes_per_line + w * 4] for r in range(h)]
    bgrx = b''.join(rows)
    rgb = bytearray(w * h * 3)
    rgb[0::3] = bgrx[2::4]
    rgb[1::3] = bgrx[1::4]
    rgb[2::3] = bgrx[0::4]
    return bytes(rgb)


def find(screen, sw, sh, picture, pw, ph):
    top = picture[:pw * 3]
    for y in range(sh - ph + 1):
        row = screen[y * sw * 3:(y + 1) * sw * 3]
        at = row.find(top)
        while at >= 0:
            if at % 3 == 0:
                x = at // 3
                bad = 0
                for py in range(ph):
                    s = screen[((y + py) * sw + x) * 3:((y + py) * sw + x + pw) * 3]
                    p = picture[py * pw * 3:(py + 1) * pw * 3]
                    if s != p:
                        bad += sum(1 for i in range(0, pw * 3, 3) if s[i:i + 3] != p[i:i + 3])
                if bad * 100 <= pw * ph:
                    return x, y
            at = row.find(top, at + 1)
    return None


pw, ph, picture = ppm(sys.argv[1])
shot, show_limit, go_limit = sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
# The middle of the 1024 x 768 desktop, where the splash is centred.
MX, MY, MW, MH = 192, 144, 640, 480

start = time.time()
where = None
while where is None:
    if time.time() - start > show_limit:
        print('the splash picture did not show within %g s' % show_limit)
        sys.exit(1)
    middle = grab(MX, MY, MW, MH)
    where = middle and find(middle, MW, MH, picture, pw, ph)
    if where is None:
        time.sleep(0.02)
desktop = grab(0, 0, 1024, 768)
with open(shot, 'wb') as out:
    out.write(b'P6\n1024 768\n255\n' + desktop)
print('shown %d %d' % (where[0] + MX, where[1] + MY))
sys.stdout.flush()

start = time.time()
while find(grab(MX, MY, MW, MH), MW, MH, picture, pw, ph) is not None:
    if time.time() - start > go_limit:
        print('the splash was still up %g s after it showed' % go_limit)
        sys.exit(1)
    time.sleep(0.05)
print('gone')
