"""Run inside kritarunner by KritaPluginTest.py: opens the page and the ink
layer, flats each layer as Tools > Scripts > Tessel Flats... does with the
dialog's default settings, and exports the new layers. kritarunner exits with 0 whatever
happens, so the outcome is written to the marker file: "ok", or what failed."""
import os
import traceback

from krita import InfoObject, Krita


def run(*_):
    marker = os.environ["TESSEL_CHECK_MARKER"]
    try:
        problems = check(os.environ["TESSEL_CHECK_PAGE"], os.environ["TESSEL_CHECK_FLATS"])
        problems += check_ink(os.environ["TESSEL_CHECK_INK"], os.environ["TESSEL_CHECK_INK_FLATS"])
    except Exception:
        problems = [traceback.format_exc()]
    with open(marker, "w") as out:
        out.write("\n".join(problems) if problems else "ok")


def check(page, flats_file):
    import tessel_krita  # registers the extension, as Krita does on start
    from tessel_krita import settings
    from tessel_krita.layer import FLATS_LAYER, flat_layer

    krita = Krita.instance()
    names = [extension.__class__.__name__ for extension in krita.extensions()]
    problems = [] if "TesselExtension" in names else ["the extension is not registered: %s" % names]
    # The dialog shows the settings it is given and gives back what it shows;
    # Krita keeps them for the next run.
    from tessel_krita.dialog import FlatsDialog
    chosen = settings.Settings(1, True, 3, "--palette 'Comic.aco' --join", True)
    shown = FlatsDialog(chosen).settings()
    settings.save(shown)
    if vars(settings.load()) != vars(chosen):
        problems.append("settings %s came back from the dialog and Krita as %s" % (vars(chosen), vars(settings.load())))
    if chosen.options() != ["--under-lines", "--distinct", "--close-gaps", "3", "--palette", "Comic.aco", "--join"]:
        problems.append("settings give the options %s" % chosen.options())

    document = krita.openDocument(page)
    # Without them, exporting asks for its settings in a dialog and waits:
    # a layer is exported through a document of its own, made in Krita's mode.
    document.setBatchmode(True)
    krita.setBatchmode(True)
    node = document.topLevelNodes()[0]
    before = bytes(node.pixelData(0, 0, document.width(), document.height()))

    flats = flat_layer(document, node, settings.Settings().options())
    document.waitForDone()
    order = [child.name() for child in document.topLevelNodes()]
    if order != [FLATS_LAYER, node.name()]:
        problems.append("layers bottom first: %s; the flats belong right under %s" % (order, node.name()))
    if bytes(node.pixelData(0, 0, document.width(), document.height())) != before:
        problems.append("the page's layer changed")
    # Krita 5.1's Node.save answers False even when it has written the file:
    # the file itself is the test driver's to judge.
    flats.save(flats_file, document.xRes(), document.yRes(), InfoObject())
    document.close()
    return problems


def check_ink(ink, flats_file):
    """The flats of an ink layer whose own bounds lie inside the canvas must
    cover the canvas."""
    from tessel_krita import settings
    from tessel_krita.layer import flat_layer

    krita = Krita.instance()
    document = krita.openDocument(ink)
    document.setBatchmode(True)
    node = document.topLevelNodes()[0]
    canvas = (document.width(), document.height())
    problems = []
    bounds = node.bounds()
    if bounds.width() >= canvas[0] or bounds.height() >= canvas[1]:
        problems.append("the ink layer's bounds %s are not smaller than the canvas %s" % (bounds, canvas))
    flats = flat_layer(document, node, settings.Settings().options())
    document.waitForDone()
    if (flats.bounds().width(), flats.bounds().height()) != canvas:
        problems.append("the flats cover %s, not the canvas %s" % (flats.bounds(), canvas))
    flats.save(flats_file, document.xRes(), document.yRes(), InfoObject())
    document.close()
    return problems
