"""The Krita plug-in in a real, headless Krita: kritarunner, with a private
home where the plug-in is installed and enabled, flats a page, and an ink
layer (black on transparency) whose own bounds are smaller than the canvas;
each exported flats layer must equal `tessel run --flats-only`'s output, the
ink's opaque over the whole canvas.

Usage: KritaPluginTest.py PLUGIN_SOURCE LIBTESSEL TESSEL PAGE PRESETS"""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

SOURCE, LIBRARY, TESSEL, PAGE, PRESETS = sys.argv[1:6]
HERE = os.path.dirname(os.path.abspath(__file__))


def install_plugin(home):
    # kritarunner is its own application to Qt: its data folder is
    # kritarunner's, where Krita's would be ~/.local/share/krita.
    for data in ("krita", "kritarunner"):
        pykrita = os.path.join(home, ".local", "share", data, "pykrita")
        os.makedirs(pykrita)
        os.symlink(os.path.join(SOURCE, "tessel_krita"), os.path.join(pykrita, "tessel_krita"))
        shutil.copy(os.path.join(SOURCE, "tessel_krita.desktop"), pykrita)
    shutil.copy(os.path.join(HERE, "tessel_krita_check.py"), pykrita)
    config = os.path.join(home, ".config")
    os.makedirs(config)
    with open(os.path.join(config, "kritarc"), "w") as rc:
        rc.write("[python]\nenable_tessel_krita=true\n")


def first_difference(a, b):
    if a.size != b.size:
        return "%s against %s" % (a.size, b.size)
    for i, (x, y) in enumerate(zip(a.getdata(), b.getdata())):
        if x != y:
            return "pixel (%d, %d): %s against %s" % (i % a.width, i // a.width, x, y)
    return None


def ink_layer(page, margin):
    """The page's line art as black ink whose coverage is its darkness,
    nothing within `margin` pixels of the edges."""
    grey = Image.open(page).convert("L")
    coverage = Image.new("L", grey.size, 0)
    inner = (margin, margin, grey.width - margin, grey.height - margin)
    coverage.paste(grey.crop(inner).point(lambda level: 255 - level), inner)
    ink = Image.new("RGBA", grey.size, (0, 0, 0, 0))
    ink.putalpha(coverage)
    return ink


with tempfile.TemporaryDirectory() as home:
    install_plugin(home)
    page, ink = os.path.join(home, "page.png"), os.path.join(home, "ink.png")
    Image.open(PAGE).convert("RGBA").save(page)  # Krita's layers have transparency
    ink_layer(PAGE, 150).save(ink)
    flats, ink_flats, marker = (os.path.join(home, name) for name in ("flats.png", "ink-flats.png", "marker"))
    environment = dict(os.environ, HOME=home, QT_QPA_PLATFORM="offscreen", TESSEL_LIBRARY=LIBRARY,
                       TESSEL_CHECK_PAGE=page, TESSEL_CHECK_FLATS=flats, TESSEL_CHECK_MARKER=marker,
                       TESSEL_CHECK_INK=ink, TESSEL_CHECK_INK_FLATS=ink_flats,
                       XDG_CONFIG_HOME=os.path.join(home, ".config"),
                       XDG_DATA_HOME=os.path.join(home, ".local", "share"), XDG_RUNTIME_DIR=home)
    # The plug-in's presets are the user's: the same swatches for both runs.
    os.makedirs(os.path.join(home, ".local", "share", "tessel"))
    os.symlink(os.path.abspath(PRESETS), os.path.join(home, ".local", "share", "tessel", "presets"))
    run = subprocess.run(["kritarunner", "-s", "tessel_krita_check", "-f", "run"], env=environment,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=170)
    if not os.path.exists(marker):
        sys.exit("kritarunner left no marker; it said:\n" + run.stdout.decode(errors="replace")[-4000:])
    with open(marker) as f:
        outcome = f.read()
    if outcome != "ok":
        sys.exit("in Krita: " + outcome)
    for source, made in ((page, flats), (ink, ink_flats)):
        reference = made + ".tessel.png"
        subprocess.run([TESSEL, "run", source, "-o", reference, "--flats-only", "--presets", PRESETS], check=True)
        ours = Image.open(made).convert("RGBA")
        difference = first_difference(ours, Image.open(reference).convert("RGBA"))
        if difference:
            sys.exit("Krita's flats of %s differ from tessel run --flats-only: %s" % (source, difference))
        if ours.getextrema()[3] != (255, 255):
            sys.exit("Krita's flats of %s are not opaque: alpha from %d to %d" % ((source,) + ours.getextrema()[3]))
