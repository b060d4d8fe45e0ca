"""One layer of a Krita document through libtessel."""
from PyQt5.QtCore import QByteArray

from . import libtessel

# Node.pixelData's layouts the filter knows: 8-bit colour as B, G, R, A and
# grey as grey, A.
_LAYOUTS = {("RGBA", "U8"): (4, libtessel.TESSEL_BGR), ("GRAYA", "U8"): (2, libtessel.TESSEL_RGB)}
FLATS_LAYER = "Flats"
HINTS_LAYER = "Hints"


def hint_layers(document, node):
    """The layers of `document` that may give hints for flatting `node`
    (every layer but it, top to bottom through the groups), and the index of
    the one offered first: the layer "Hints" when there is one, else none."""
    layers = []

    def add(parent):
        for child in reversed(parent.childNodes()):  # top first, as the layers docker lists them
            if child.uniqueId() != node.uniqueId():
                layers.append(child)
            add(child)

    add(document.rootNode())
    names = [layer.name() for layer in layers]
    return layers, names.index(HINTS_LAYER) if HINTS_LAYER in names else None


def _canvas_pixels(document, node, what):
    """`node`'s pixels over the whole canvas and their layout."""
    layout = _LAYOUTS.get((node.colorModel(), node.colorDepth()))
    if layout is None:
        raise libtessel.TesselError("Tessel works on 8-bit RGB or grey layers, not %s %s; convert the %s first"
                                    % (node.colorModel(), node.colorDepth(), what))
    return bytearray(node.pixelData(0, 0, document.width(), document.height())), layout


def flat_layer(document, node, options, paint_itself=False, hints=None):
    """Flats `node`'s pixels over the whole canvas with `options` (those of
    `tessel run`), and with the layer `hints`, if any, as hints: each region
    of the flats takes the colour most of the hint layer's pixels over it
    have, as with --hints. The result goes on a new layer "Flats" right under
    `node`, which stays as it was (Krita's scripting has no undo for pixel
    writes), or with `paint_itself` into `node`. Answers the layer painted.
    Raises libtessel.TesselError, leaving the document as it was."""
    if node.type() != "paintlayer":
        raise libtessel.TesselError("Tessel flats a paint layer; the active layer is a %s" % node.type())
    pixels, (channels, order) = _canvas_pixels(document, node, "layer")
    hint_pixels = None
    if hints is not None:
        hint_bytes, (hint_channels, hint_order) = _canvas_pixels(document, hints, "hints layer")
        hint_pixels = (hint_bytes, hint_channels, hint_order)
    width, height = document.width(), document.height()
    libtessel.flat(pixels, width, height, channels, order, options, hint_pixels)

    target = node if paint_itself else _new_layer_under(document, node)
    target.setPixelData(QByteArray(bytes(pixels)), 0, 0, width, height)
    document.refreshProjection()
    return target


def _new_layer_under(document, node):
    layer = document.createNode(FLATS_LAYER, "paintlayer")
    if (layer.colorModel(), layer.colorDepth()) != (node.colorModel(), node.colorDepth()):
        layer.setColorSpace(node.colorModel(), node.colorDepth(), node.colorProfile())
    parent = node.parentNode()
    siblings = parent.childNodes()  # bottom first
    index = [sibling.uniqueId() for sibling in siblings].index(node.uniqueId())
    if index > 0:
        parent.addChildNode(layer, siblings[index - 1])  # the new node goes above the one named
    else:
        # Nothing lies under the bottom layer to name: the flats go above it,
        # and it is put back above them.
        parent.addChildNode(layer, node)
        node.remove()
        parent.addChildNode(node, layer)
        document.setActiveNode(node)
    return layer
