"""The Tools > Scripts > Tessel Flats... action."""
from krita import Extension, Krita
from PyQt5.QtWidgets import QDialog, QMessageBox

from . import settings as stored
from .dialog import FlatsDialog
from .layer import flat_layer, hint_layers
from .libtessel import TesselError


class TesselExtension(Extension):
    def setup(self):
        pass

    def createActions(self, window):
        action = window.createAction("tessel_flats", "Tessel Flats...", "tools/scripts")
        action.triggered.connect(self.run)

    def run(self):
        krita = Krita.instance()
        document = krita.activeDocument()
        parent = krita.activeWindow().qwindow() if krita.activeWindow() else None
        if document is None or document.activeNode() is None:
            QMessageBox.information(parent, "Tessel Flats", "Open a page and choose its line-art layer first.")
            return
        layers, default = hint_layers(document, document.activeNode())
        dialog = FlatsDialog(stored.load(), parent, [layer.name() for layer in layers], default)
        if dialog.exec_() != QDialog.Accepted:
            return
        settings = dialog.settings()
        stored.save(settings)
        hints = dialog.hints()
        try:
            flat_layer(document, document.activeNode(), settings.options(), settings.paint_itself,
                       None if hints is None else layers[hints])
        except (TesselError, ValueError) as e:
            QMessageBox.warning(parent, "Tessel Flats", str(e))
