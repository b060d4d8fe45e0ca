"""One layer of a Krita document through libtessel."""
from PyQt5.QtCore import QByteArray

from . import libtessel

# Node.pixelData's layouts the filter knows: 8-bit colour as B, G, R, A and
# grey as grey, A.
_LAYOUTS = {("RGBA", "U8"): (4, libtessel.TESSEL_BGR), ("GRAYA", "U8"): (2, libtessel.TESSEL_RGB)}
FLATS_LAYER = "Flats"


def flat_layer(document, node, options, paint_itself=False):
    """Flats `node`'s pixels over the whole canvas with `options` (those of
    `tessel run`). The result goes on a new layer "Flats" right under `node`,
    which stays as it was (Krita's scripting has no undo for pixel writes),
    or with `paint_itself` into `node`. Answers the layer painted. Raises
    libtessel.TesselError, leaving the document as it was."""
    if node.type() != "paintlayer":
        raise libtessel.TesselError("Tessel flats a paint layer; the active layer is a %s" % node.type())
    layout = _LAYOUTS.get((node.colorModel(), node.colorDepth()))
    if layout is None:
        raise libtessel.TesselError("Tessel works on 8-bit RGB or grey layers, not %s %s; convert the layer first"
                                    % (node.colorModel(), node.colorDepth()))
    channels, order = layout
    width, height = document.width(), document.height()
    pixels = bytearray(node.pixelData(0, 0, width, height))
    libtessel.flat(pixels, width, height, channels, order, options)

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
