"""The Krita plug-in in a real, headless Krita: kritarunner, with a private
home where the plug-in is installed and enabled, flats a page, then flats it
again with a "Hints" layer; the exported flats layers must equal `tessel run
--flats-only`'s output, without and with --hints.

Usage: KritaPluginTest.py PLUGIN_SOURCE LIBTESSEL TESSEL PAGE PRESETS"""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw

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


with tempfile.TemporaryDirectory() as home:
    install_plugin(home)
    page = os.path.join(home, "page.png")
    Image.open(PAGE).convert("RGBA").save(page)  # Krita's layers have transparency
    flats, marker, reference = (os.path.join(home, name) for name in ("flats.png", "marker", "reference.png"))
    hints, hinted, hinted_reference = (os.path.join(home, name)
                                       for name in ("hints.png", "hinted.png", "hinted-reference.png"))
    # Dabs in three colours, and a stroke across the page.
    dabs = Image.new("RGBA", Image.open(page).size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(dabs)
    for i, colour in enumerate([(220, 40, 60, 255), (30, 90, 200, 255), (250, 210, 40, 255)]):
        draw.ellipse((100 + 300 * i, 200, 160 + 300 * i, 260), fill=colour)
    draw.line((0, 900, dabs.width, 700), fill=(40, 170, 90, 255), width=7)
    dabs.save(hints)
    environment = dict(os.environ, HOME=home, QT_QPA_PLATFORM="offscreen", TESSEL_LIBRARY=LIBRARY,
                       TESSEL_CHECK_PAGE=page, TESSEL_CHECK_FLATS=flats, TESSEL_CHECK_MARKER=marker,
                       TESSEL_CHECK_HINTS=hints, TESSEL_CHECK_HINTED=hinted,
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
    subprocess.run([TESSEL, "run", page, "-o", reference, "--flats-only", "--presets", PRESETS], check=True)
    difference = first_difference(Image.open(flats).convert("RGBA"), Image.open(reference).convert("RGBA"))
    if difference:
        sys.exit("Krita's flats differ from tessel run --flats-only: " + difference)
    subprocess.run([TESSEL, "run", page, "-o", hinted_reference, "--flats-only", "--hints", hints, "--presets",
                    PRESETS], check=True)
    difference = first_difference(Image.open(hinted).convert("RGBA"), Image.open(hinted_reference).convert("RGBA"))
    if difference:
        sys.exit("Krita's flats with hints differ from tessel run --flats-only --hints: " + difference)
