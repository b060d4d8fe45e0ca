"""libtessel through ctypes: tessel_flat, or tessel_flat_with_hints, on a
page held in a bytearray."""
import ctypes
import os

TESSEL_RGB, TESSEL_BGR = 0, 1


class TesselError(Exception):
    """A call libtessel refused or failed; the text is its message."""


class _Image(ctypes.Structure):
    _fields_ = [("pixels", ctypes.c_void_p), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("stride", ctypes.c_ssize_t), ("channels", ctypes.c_int), ("order", ctypes.c_int)]


def library_path():
    """$TESSEL_LIBRARY; else the library of the install this plug-in came
    with (written beside it on installing); else the system loader's."""
    named = os.environ.get("TESSEL_LIBRARY")
    if named:
        return named
    try:
        from . import location
    except ImportError:
        return "libtessel.so.1"
    return os.path.normpath(os.path.join(os.path.dirname(__file__), location.LIBRARY))


_library = None


def _load():
    global _library
    if _library is None:
        try:
            library = ctypes.CDLL(library_path())
        except OSError as e:
            raise TesselError("libtessel cannot be loaded (%s); set TESSEL_LIBRARY to its path" % e)
        library.tessel_flat.argtypes = [ctypes.POINTER(_Image), ctypes.POINTER(_Image),
                                        ctypes.POINTER(ctypes.c_char_p), ctypes.c_int]
        library.tessel_flat_with_hints.argtypes = [ctypes.POINTER(_Image), ctypes.POINTER(_Image),
                                                   ctypes.POINTER(_Image), ctypes.POINTER(ctypes.c_char_p),
                                                   ctypes.c_int]
        library.tessel_error_message.restype = ctypes.c_char_p
        _library = library
    return _library


def _image(pixels, width, height, channels, order):
    address = ctypes.addressof(ctypes.c_char.from_buffer(pixels))
    return _Image(address, width, height, width * channels, channels, order)


def flat(pixels, width, height, channels, order, options, hints=None):
    """Flats `pixels` (a bytearray of `width` x `height` pixels of
    `channels` bytes, rows unpadded) in place with `options`, the options of
    `tessel run`; with `hints`, a (bytearray, channels, order) of the same
    size, its regions take the colours the hints give them, as with
    --hints. Raises TesselError with libtessel's message."""
    library = _load()
    page = _image(pixels, width, height, channels, order)
    argv = (ctypes.c_char_p * max(1, len(options)))(*[option.encode() for option in options])
    if hints is None:
        status = library.tessel_flat(ctypes.byref(page), None, argv, len(options))
    else:
        hint_pixels, hint_channels, hint_order = hints
        hint_image = _image(hint_pixels, width, height, hint_channels, hint_order)
        status = library.tessel_flat_with_hints(ctypes.byref(page), ctypes.byref(hint_image), None, argv,
                                                len(options))
    if status != 0:
        raise TesselError(library.tessel_error_message().decode(errors="replace"))
