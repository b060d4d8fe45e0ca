"""The Krita plug-in in a real, headless Krita: kritarunner, with a private
home where the plug-in is installed and enabled, flats a page; the exported
flats layer must equal `tessel run --flats-only`'s output.

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


with tempfile.TemporaryDirectory() as home:
    install_plugin(home)
    page = os.path.join(home, "page.png")
    Image.open(PAGE).convert("RGBA").save(page)  # Krita's layers have transparency
    flats, marker, reference = (os.path.join(home, name) for name in ("flats.png", "marker", "reference.png"))
    environment = dict(os.environ, HOME=home, QT_QPA_PLATFORM="offscreen", TESSEL_LIBRARY=LIBRARY,
                       TESSEL_CHECK_PAGE=page, TESSEL_CHECK_FLATS=flats, TESSEL_CHECK_MARKER=marker,
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
