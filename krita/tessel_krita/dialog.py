"""The Tessel Flats dialog."""
from PyQt5.QtWidgets import (QCheckBox, QComboBox, QDialog, QDialogButtonBox, QFormLayout, QLineEdit, QSpinBox)

from .settings import OUTPUTS, Settings


class FlatsDialog(QDialog):
    """The settings, and the layer whose colours the regions take: one of
    `hint_names`, `hint_default` first (an index, or None for none)."""

    def __init__(self, settings, parent=None, hint_names=(), hint_default=None):
        super().__init__(parent)
        self.setWindowTitle("Tessel Flats")
        layout = QFormLayout(self)
        self._output = QComboBox()
        self._output.addItems([label for label, _ in OUTPUTS])
        self._output.setCurrentIndex(settings.output)
        layout.addRow("Layer holds:", self._output)
        self._distinct = QCheckBox("Neighbouring regions in different colours")
        self._distinct.setChecked(settings.distinct)
        layout.addRow(self._distinct)
        self._gaps = QSpinBox()
        self._gaps.setRange(0, 64)
        self._gaps.setSuffix(" px")
        self._gaps.setSpecialValueText("off")
        self._gaps.setValue(settings.close_gaps)
        layout.addRow("Close gaps up to:", self._gaps)
        self._hints = QComboBox()
        self._hints.addItems(["None"] + list(hint_names))
        self._hints.setCurrentIndex(0 if hint_default is None else hint_default + 1)
        self._hints.setToolTip("A layer of dabs and strokes of colour: each region takes the colour most of the "
                               "layer's pixels over it have (see tessel run --hints)")
        layout.addRow("Hints:", self._hints)
        self._more = QLineEdit(settings.more)
        self._more.setPlaceholderText("--palette Comic.aco --join --join-size 30")
        self._more.setToolTip("Further options of `tessel run` (see tessel run --help): the filter's parameters, "
                              "--action FILE, --presets DIR")
        layout.addRow("Options:", self._more)
        self._paint_itself = QCheckBox("Paint the layer itself (cannot be undone) instead of a new layer under it")
        self._paint_itself.setChecked(settings.paint_itself)
        layout.addRow(self._paint_itself)
        buttons = QDialogButtonBox(QDialogButtonBox.Ok | QDialogButtonBox.Cancel)
        buttons.accepted.connect(self.accept)
        buttons.rejected.connect(self.reject)
        layout.addRow(buttons)

    def hints(self):
        """The index of the hints layer chosen in `hint_names`, or None."""
        chosen = self._hints.currentIndex()
        return chosen - 1 if chosen > 0 else None

    def settings(self):
        return Settings(self._output.currentIndex(), self._distinct.isChecked(), self._gaps.value(),
                        self._more.text(), self._paint_itself.isChecked())
