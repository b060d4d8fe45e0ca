"""Tessel in Krita: Tools > Scripts > Tessel Flats... flats the active paint
layer through libtessel, onto a new layer under it."""
from krita import Krita

from .extension import TesselExtension

Krita.instance().addExtension(TesselExtension(Krita.instance()))
