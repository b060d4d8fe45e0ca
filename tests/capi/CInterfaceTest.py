"""libtessel through ctypes, as a Python caller (the Krita plug-in) uses it:
its pixels must equal `tessel run`'s for the same page and options, and bad
calls must fail with a status and a message, leaving the buffers alone.

Usage: CInterfaceTest.py LIBTESSEL TESSEL PAGE PRESETS"""
import ctypes
import json
import os
import subprocess
import sys
import tempfile

from PIL import Image

LIBRARY, TESSEL, PAGE, PRESETS = sys.argv[1:5]


class TesselImage(ctypes.Structure):
    _fields_ = [("pixels", ctypes.c_void_p), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("stride", ctypes.c_ssize_t), ("channels", ctypes.c_int), ("order", ctypes.c_int)]


lib = ctypes.CDLL(LIBRARY)
lib.tessel_flat.argtypes = [ctypes.POINTER(TesselImage), ctypes.POINTER(TesselImage),
                            ctypes.POINTER(ctypes.c_char_p), ctypes.c_int]
lib.tessel_error_message.restype = ctypes.c_char_p
lib.tessel_version.restype = ctypes.c_char_p
TESSEL_RGB, TESSEL_BGR = 0, 1
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def image_of(buffer, width, height, stride, channels, order):
    address = ctypes.addressof(ctypes.c_char.from_buffer(buffer))
    return TesselImage(address, width, height, stride, channels, order)


def flat(page, result, options):
    argv = (ctypes.c_char_p * max(1, len(options)))(*[o and o.encode() for o in options])
    return lib.tessel_flat(page, result, argv, len(options))


def reference(page_file, options, folder):
    out = os.path.join(folder, "reference.png")
    subprocess.run([TESSEL, "run", page_file, "-o", out, "--presets", PRESETS] + options, check=True)
    return Image.open(out)


def padded(image, padding, swap):
    """The image's bytes with `padding` bytes after each row, colours reversed with `swap`."""
    raw = bytearray(image.tobytes())
    if swap:
        raw[0::4], raw[2::4] = raw[2::4], raw[0::4]
    row = image.width * len(image.getbands())
    out = bytearray()
    for y in range(image.height):
        out += raw[y * row:(y + 1) * row] + b"\x7f" * padding
    return out, row + padding


def unpadded(buffer, image, stride, swap):
    row = image.width * len(image.getbands())
    raw = bytearray(b"".join(bytes(buffer[y * stride:y * stride + row]) for y in range(image.height)))
    if swap:
        raw[0::4], raw[2::4] = raw[2::4], raw[0::4]
    return Image.frombytes(image.mode, image.size, bytes(raw))


def first_difference(a, b):
    if a.mode != b.mode or a.size != b.size:
        return "%s %s against %s %s" % (a.mode, a.size, b.mode, b.size)
    for i, (x, y) in enumerate(zip(a.getdata(), b.getdata())):
        if x != y:
            return "pixel (%d, %d): %s against %s" % (i % a.width, i // a.width, x, y)
    return None


with tempfile.TemporaryDirectory() as folder:
    check(lib.tessel_version().decode().count(".") == 1, "tessel_version is not major.minor")

    # In place, RGB with padded rows, the filter's own parameters.
    page = Image.open(PAGE).convert("RGB")
    options = ["--palette", "Comic.aco", "--join", "--join-size", "30"]
    buffer, stride = padded(page, 5, False)
    status = flat(image_of(buffer, page.width, page.height, stride, 3, TESSEL_RGB), None,
                  options + ["--presets", PRESETS])
    check(status == 0, "in place: status %d: %s" % (status, lib.tessel_error_message()))
    difference = first_difference(unpadded(buffer, page, stride, False), reference(PAGE, options, folder))
    check(difference is None, "in place differs from tessel run: %s" % difference)
    check(buffer[stride - 5:stride] == b"\x7f" * 5, "the row padding was written")

    # Krita's way: B, G, R, A in, the flats into a second buffer.
    rgba = page.convert("RGBA")
    rgba_file = os.path.join(folder, "page-rgba.png")
    rgba.save(rgba_file)
    source, source_stride = padded(rgba, 0, True)
    untouched = bytes(source)
    flats, flats_stride = padded(rgba, 12, True)
    options = ["--flats-only", "--close-gaps", "4"]
    status = flat(image_of(source, rgba.width, rgba.height, source_stride, 4, TESSEL_BGR),
                  image_of(flats, rgba.width, rgba.height, flats_stride, 4, TESSEL_BGR), options)
    check(status == 0, "flats: status %d: %s" % (status, lib.tessel_error_message()))
    check(bytes(source) == untouched, "the page changed although the flats had a buffer of their own")
    # The command writes the flats of a page with transparency without that
    # channel; the library's buffer keeps it, opaque.
    expected = reference(rgba_file, options, folder).convert("RGBA")
    difference = first_difference(unpadded(flats, rgba, flats_stride, True), expected)
    check(difference is None, "flats differ from tessel run --flats-only: %s" % difference)

    # The library reads its options itself: the forms the command line also
    # takes give the command's pixels.
    options = ["--join=yes", "--join-size=0x1e", "--no-anti-aliased", "--tolerance", "010", "--under-lines=on"]
    buffer, stride = padded(page, 0, False)
    status = flat(image_of(buffer, page.width, page.height, stride, 3, TESSEL_RGB), None, options)
    check(status == 0, "option forms: status %d: %s" % (status, lib.tessel_error_message()))
    difference = first_difference(unpadded(buffer, page, stride, False), reference(PAGE, options, folder))
    check(difference is None, "option forms differ from tessel run: %s" % difference)

    # A caller's page has no resolution: --dpi gives sizes in mm one.
    options = ["--flats-only", "--close-gaps", "0.3mm", "--join", "--join-size", "1pt", "--dpi", "300"]
    buffer, stride = padded(page, 0, False)
    status = flat(image_of(buffer, page.width, page.height, stride, 3, TESSEL_RGB), None, options)
    check(status == 0, "sizes in mm: status %d: %s" % (status, lib.tessel_error_message()))
    difference = first_difference(unpadded(buffer, page, stride, False), reference(PAGE, options, folder))
    check(difference is None, "sizes in mm differ from tessel run: %s" % difference)

    # A recorded action, replayed; its dialog toggle, which no library call
    # follows, does not stop it where there is no display.
    action = os.path.join(folder, "flat.action")
    reference_file = os.path.join(folder, "recorded.png")
    subprocess.run([TESSEL, "run", PAGE, "-o", reference_file, "--presets", PRESETS, "--palette", "Pastels.aco",
                    "--join", "--join-size", "50", "--record", action], check=True)
    with open(action) as f:
        recorded = json.load(f)
    recorded["showDialog"] = True
    with open(action, "w") as f:
        json.dump(recorded, f)
    os.environ.pop("DISPLAY", None)
    buffer, stride = padded(page, 0, False)
    status = flat(image_of(buffer, page.width, page.height, stride, 3, TESSEL_RGB), None,
                  ["--action", action, "--presets", PRESETS])
    check(status == 0, "action: status %d: %s" % (status, lib.tessel_error_message()))
    difference = first_difference(unpadded(buffer, page, stride, False), Image.open(reference_file))
    check(difference is None, "the replayed action differs from the run that recorded it: %s" % difference)

    # Calls that cannot be carried out: a status, words, and nothing written.
    small = bytearray(b"\xff" * 12)
    good = image_of(small, 2, 2, 6, 3, TESSEL_RGB)
    for what, call, expected in [
            ("a null page", lambda: flat(None, None, []), 1),
            ("a stride shorter than a row", lambda: flat(image_of(small, 2, 2, 5, 3, TESSEL_RGB), None, []), 1),
            ("five channels", lambda: flat(image_of(small, 2, 2, 6, 5, TESSEL_RGB), None, []), 1),
            ("a result of another size", lambda: flat(good, image_of(small, 1, 2, 6, 3, TESSEL_RGB), []), 1),
            ("an unknown option", lambda: flat(good, None, ["--no-such-option"]), 2),
            ("an option without its value", lambda: flat(good, None, ["--join-size"]), 2),
            ("a missing palette", lambda: flat(good, None, ["--palette", "None.aco", "--presets", PRESETS]), 2),
            ("a missing action", lambda: flat(good, None, ["--action", os.path.join(folder, "none.action")]), 2)]:
        status = call()
        message = lib.tessel_error_message().decode()
        check(status == expected and message, "%s: status %d, message %r" % (what, status, message))
    # Each option refused is named.
    for options, named in [(["--close-gaps", "65"], "--close-gaps"),
                           (["--tolerance", "1", "--tolerance=2"], "--tolerance"),
                           (["--join=maybe"], "--join"), (["--no-random"], "--no-random"), (["--fill=nope"], "--fill"),
                           (["--random", "--palette=Comic.aco"], "--palette"), (["--join", None], "option 1"),
                           (["--close-gaps", "0.3mm"], "--dpi"), (["--join-size", "1mm2"], "--join-size 1mm2"),
                           (["--flag-size", "2 mm"], "--flag-size")]:
        status = flat(good, None, options)
        message = lib.tessel_error_message().decode()
        check(status == 2 and named in message, "%s: status %d, message %r" % (options, status, message))
    check(small == bytearray(b"\xff" * 12), "a refused call wrote pixels")

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
