"""One case of the GIMP 3 plug-in test, run by python-fu-eval in a headless
GIMP 3 (see Gimp3Runner.cpp): loads the page, makes the layers the case
asks for (and its hints layer, in the image or in an image of its own),
calls the procedure as a script would and saves each drawable it flatted
(or the layer it added) alone, in the image's precision (16 bits for
floating point). A call that fails, or that succeeds where the case expects
a refusal, raises, so that the batch command fails with it."""
import json
import sys

import gi

gi.require_version("Gimp", "3.0")
gi.require_version("Gegl", "0.4")
from gi.repository import Gegl, Gimp, Gio  # noqa: E402


def export(drawable, path):
    image = drawable.get_image()
    alone = Gimp.Image.new_with_precision(drawable.get_width(), drawable.get_height(), image.get_base_type(),
                                          image.get_precision())
    copy = Gimp.Layer.new_from_drawable(drawable, alone)
    alone.insert_layer(copy, None, 0)
    copy.set_offsets(0, 0)
    png = Gimp.get_pdb().lookup_procedure("file-png-export")
    config = png.create_config()
    config.set_property("image", alone)
    config.set_property("file", Gio.File.new_for_path(path))
    # The colours under full transparency too, and no chunks but the pixels'.
    config.set_property("save-transparent", True)
    for chunk in ("bkgd", "offs", "phys", "time", "include-exif", "include-iptc", "include-xmp",
                  "include-color-profile", "include-thumbnail", "include-comment"):
        config.set_property(chunk, False)
    status = png.run(config).index(0)
    if status != Gimp.PDBStatusType.SUCCESS:
        raise RuntimeError("%s: %s" % (path, Gimp.get_pdb().get_last_error()))
    alone.delete()


def value(kind, given):
    return Gegl.Color.new(given) if kind == "color" else given


def tessel_case(path):
    with open(path, encoding="utf-8") as text:
        case = json.load(text)
    image = Gimp.file_load(Gimp.RunMode.NONINTERACTIVE, Gio.File.new_for_path(case["in"]))
    if case["float"]:
        image.convert_precision(Gimp.Precision.FLOAT_NON_LINEAR)
    drawables = [image.get_layers()[0]]
    if case["layer_bounds"]:
        x, y, width, height = case["layer_bounds"]
        drawables[0].resize(width, height, -x, -y)
    for _ in range(1, case["layers"]):
        copy = drawables[0].copy()
        image.insert_layer(copy, None, 0)
        drawables.append(copy)
    if case["in_group"]:
        group = Gimp.GroupLayer.new(image, "Group")
        image.insert_layer(group, None, 0)
        image.reorder_item(drawables[0], group, 0)
        drawables = [group]
    hints, other = None, None
    if case["hints_argument"] == "other-image":
        other = Gimp.file_load(Gimp.RunMode.NONINTERACTIVE, Gio.File.new_for_path(case["hints"]))
        hints = other.get_layers()[0]
    elif case["hints"]:
        hints = Gimp.file_load_layer(Gimp.RunMode.NONINTERACTIVE, image, Gio.File.new_for_path(case["hints"]))
        image.insert_layer(hints, None, 0)
        hints.set_name("Hints")
        if case["hints_argument"] == "drawable":
            hints = drawables[0]
    if case["selection"]:
        image.select_rectangle(Gimp.ChannelOps.REPLACE, *case["selection"])

    procedure = Gimp.get_pdb().lookup_procedure(case["procedure"])
    config = procedure.create_config()
    config.set_property("run-mode", Gimp.RunMode.WITH_LAST_VALS if case["last_values"]
                        else Gimp.RunMode.NONINTERACTIVE)
    config.set_property("image", image)
    config.set_core_object_array("drawables", drawables)
    for name, kind, given in case["arguments"]:
        config.set_property(name, value(kind, given))
    if hints:
        config.set_property("hints", hints)
    status = procedure.run(config).index(0)
    error = Gimp.get_pdb().get_last_error()
    if case["refused"]:
        if status == Gimp.PDBStatusType.SUCCESS:
            raise RuntimeError("%s: the plug-in did not refuse it" % case["name"])
        print("%s: refused as expected: %s" % (case["name"], error), file=sys.stderr)
    elif status != Gimp.PDBStatusType.SUCCESS:
        raise RuntimeError("%s: %s: %s" % (case["name"], status, error))
    else:
        saved = [image.get_layer_by_name(case["saved_layer"])] if case["saved_layer"] else drawables
        for drawable, out in zip(saved, case["outs"]):
            export(drawable, out)
    image.delete()
    if other:
        other.delete()
