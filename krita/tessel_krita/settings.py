"""The dialog's settings: remembered in Krita's configuration between runs,
and turned into the options of `tessel run`."""
import shlex

from krita import Krita

_GROUP = "tessel_krita"
# What the flats layer holds: `tessel run`'s output options.
OUTPUTS = [("Flats alone, grown under the lines", ["--flats-only"]),
           ("The page over flats coloured under the lines", ["--under-lines"]),
           ("The filter's result as it is", [])]


class Settings:
    def __init__(self, output=0, distinct=False, close_gaps=0, more="", paint_itself=False):
        self.output = output          # an index into OUTPUTS
        self.distinct = distinct      # neighbouring flats recoloured apart
        self.close_gaps = close_gaps  # the widest gap in the line art to close, in pixels
        self.more = more              # further options, as typed after `tessel run`
        self.paint_itself = paint_itself

    def options(self):
        """The options of `tessel run` these settings stand for. Raises
        ValueError for text that does not split into options."""
        options = list(OUTPUTS[self.output][1])
        if self.distinct:
            options.append("--distinct")
        if self.close_gaps:
            options += ["--close-gaps", str(self.close_gaps)]
        return options + shlex.split(self.more)


def _read(key, default):
    return Krita.instance().readSetting(_GROUP, key, str(default))


def load():
    """The settings of the last run; the defaults before any."""
    defaults = Settings()
    try:
        output = min(max(int(_read("output", defaults.output)), 0), len(OUTPUTS) - 1)
        close_gaps = min(max(int(_read("close_gaps", defaults.close_gaps)), 0), 64)
    except ValueError:
        output, close_gaps = defaults.output, defaults.close_gaps
    return Settings(output, _read("distinct", False) == "True", close_gaps, _read("more", ""),
                    _read("paint_itself", False) == "True")


def save(settings):
    for key in ("output", "distinct", "close_gaps", "more", "paint_itself"):
        Krita.instance().writeSetting(_GROUP, key, str(getattr(settings, key)))
