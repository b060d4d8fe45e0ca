#!/usr/bin/python3
"""`tessel run` to .psd and .ora, read back by readers that share nothing with
the writers: psd-tools for PSD, Python's zipfile and Pillow for OpenRaster.
Each layered file must hold "Lines" (the page as read) in Multiply mode over
"Flats", with the merged output of `--under-lines` as its composite; pages a
format cannot hold are refused with exit code 2 and nothing written.

Usage: LayeredFilesTest.py TESSEL"""
import io
import os
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
import zipfile

import numpy as np
from PIL import Image, ImageDraw, ImageFilter
from psd_tools import PSDImage
from psd_tools.constants import BlendMode

TESSEL = sys.argv.pop(1) if __name__ == "__main__" else None
GREY_FILL = ["--no-anti-aliased", "--tolerance", "2"]


def line_art(width, height):
    """Anti-aliased rings and strokes, 1 to 9 px wide, on white."""
    big = Image.new("L", (width * 3, height * 3), 255)
    draw = ImageDraw.Draw(big)
    for i, stroke in enumerate((3, 9, 18, 27)):
        x, y = (i * 70) % (width * 3 - 150), (i * 55) % (height * 3 - 150)
        draw.ellipse((x, y, x + 150 + 30 * i, y + 140), outline=0, width=stroke)
    draw.line((0, height * 1.5, width * 3, height * 2.2), fill=40, width=12)
    draw.rectangle((width * 2, 10, width * 3 - 12, height * 3 - 12), outline=0, width=6)
    return big.filter(ImageFilter.BoxBlur(1)).resize((width, height), Image.LANCZOS)


def pixels(image):
    return np.asarray(image).astype(int)


def opaque(image):
    """An output's pixels with its transparency plane, 255 throughout where it
    has none: the flats of a page with transparency are written without it."""
    values = pixels(image)
    if image.mode.endswith("A"):
        return values
    if values.ndim == 2:
        values = values[..., None]
    return np.concatenate([values, np.full(values.shape[:2] + (1,), 255)], axis=2)


def as_lines(image):
    """A page's pixels as its Lines layer holds them: as read, but paper
    white wherever the page is fully transparent, whatever it held there."""
    lines = pixels(image)
    if image.mode.endswith("A"):
        lines[..., :-1][lines[..., -1] == 0] = 255
    return lines


def over_paper(lines):
    """Colours with transparency laid over white paper, in floating point."""
    alpha = lines[..., -1:]
    return np.rint((lines[..., :-1] * alpha + 255 * (255 - alpha)) / 255).astype(int)


class LayeredFiles(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.work = self.folder.name

    def tearDown(self):
        self.folder.cleanup()

    def path(self, name):
        return os.path.join(self.work, name)

    def tessel(self, page, output, *options):
        return subprocess.run([TESSEL, "run", self.path(page), "-o", self.path(output), *options],
                              capture_output=True, text=True)

    def run_ok(self, page, output, *options):
        result = self.tessel(page, output, *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result

    def page(self, name, mode, alpha=False, size=(300, 200)):
        art = line_art(*size)
        image = art.convert(mode)
        if alpha:
            image.putalpha(Image.linear_gradient("L").resize(size))
        image.save(self.path(name))
        return image

    def check_psd(self, page, merged, options):
        psd_result = self.run_ok(page, "layers.psd", "--timings", *options)
        self.assertIn("layered write", psd_result.stderr)
        self.run_ok(page, merged, "--under-lines", *options)
        psd = PSDImage.open(self.path("layers.psd"))
        self.assertEqual([(layer.name, layer.blend_mode) for layer in psd],
                         [("Flats", BlendMode.NORMAL), ("Lines", BlendMode.MULTIPLY)])
        page_image, merged_image = Image.open(self.path(page)), Image.open(self.path(merged))
        self.assertTrue(np.array_equal(pixels(psd[1].topil()), as_lines(page_image)))
        transparent = page_image.mode.endswith("A")
        expected = opaque(merged_image) if transparent else pixels(merged_image)
        if transparent:
            # Stored matted against white, as Photoshop keeps it.
            header = psd._record.header
            stored = np.stack([np.frombuffer(channel, np.uint8).reshape(header.height, header.width)
                               for channel in psd._record.image_data.get_data(header)], axis=2).astype(int)
            alpha = expected[..., -1:]
            colour = (expected[..., :-1] * alpha + 127) // 255 + 255 - alpha
            self.assertTrue(np.array_equal(stored, np.concatenate([colour, alpha], axis=2)))
        else:
            self.assertTrue(np.array_equal(pixels(psd.topil()), expected))
        if not transparent and merged_image.mode in ("L", "RGB"):
            # The reader's own blend of the layers agrees, but for rounding.
            blended = pixels(psd.composite(force=True).convert(merged_image.mode))
            self.assertLessEqual(np.abs(blended - expected).max(), 1)
        if not transparent:
            # The composite is the layers multiplied, in bytes where 255 is
            # paper white (Pillow's CMYK counts ink, the other way round).
            def paper(image):
                return 255 - pixels(image) if image.mode == "CMYK" else pixels(image)
            product = (paper(psd[1].topil()) * paper(psd[0].topil()) + 127) // 255
            self.assertTrue(np.array_equal(product, paper(merged_image)))
        else:
            # Over a page with transparency the flats are opaque, and the
            # composite is the lines over white paper, multiplied over them.
            flats = pixels(psd[0].topil())
            self.assertTrue((flats[..., -1] == 255).all())
            product = (over_paper(pixels(psd[1].topil())) * flats[..., :-1] + 127) // 255
            self.assertTrue(np.array_equal(product, expected[..., :-1]))
            self.assertTrue((expected[..., -1] == 255).all())

    def check_ora(self, page, merged, options):
        self.run_ok(page, "layers.ora", *options)
        self.run_ok(page, merged, "--under-lines", *options)
        with zipfile.ZipFile(self.path("layers.ora")) as ora:
            first = ora.infolist()[0]
            self.assertEqual((first.filename, first.compress_type), ("mimetype", zipfile.ZIP_STORED))
            self.assertEqual(ora.read("mimetype"), b"image/openraster")
            stack = ElementTree.fromstring(ora.read("stack.xml"))
            layers = [(layer.get("name"), layer.get("composite-op"), layer.get("src"))
                      for layer in stack.iter("layer")]
            self.assertEqual([layer[:2] for layer in layers],
                             [("Lines", "svg:multiply"), ("Flats", "svg:src-over")])

            def png(name):
                return Image.open(io.BytesIO(ora.read(name)))

            self.assertTrue(np.array_equal(pixels(png(layers[0][2])), as_lines(Image.open(self.path(page)))))
            composite = pixels(png("mergedimage.png"))
            self.assertTrue(np.array_equal(opaque(png("mergedimage.png")),
                                           opaque(Image.open(self.path(merged)))))
            self.assertEqual(png("Thumbnails/thumbnail.png").size, (256, 170))
            # Each thumbnail pixel is the composite's pixel nearest its centre.
            thumbnail = pixels(png("Thumbnails/thumbnail.png"))
            rows = (2 * np.arange(thumbnail.shape[0]) + 1) * composite.shape[0] // (2 * thumbnail.shape[0])
            columns = (2 * np.arange(thumbnail.shape[1]) + 1) * composite.shape[1] // (2 * thumbnail.shape[1])
            self.assertTrue(np.array_equal(thumbnail, composite[rows][:, columns]))

    def test_rgb(self):
        self.page("rgb.png", "RGB")
        self.check_psd("rgb.png", "merged.png", [])
        self.check_ora("rgb.png", "merged.png", [])

    def test_grey(self):
        self.page("grey.png", "L")
        self.check_psd("grey.png", "merged.png", GREY_FILL)
        self.check_ora("grey.png", "merged.png", GREY_FILL)

    def test_cmyk(self):
        self.page("cmyk.tif", "CMYK")
        self.check_psd("cmyk.tif", "merged.tif", [])

    def test_transparency_goes_with_each_layer(self):
        self.page("alpha.png", "RGB", alpha=True)
        self.check_psd("alpha.png", "merged.png", [])
        self.check_ora("alpha.png", "merged.png", [])

    def test_refused_before_any_work_nothing_written(self):
        self.page("cmyk.tif", "CMYK", size=(40, 30))
        Image.new("L", (30001, 2), 255).save(self.path("wide.png"))
        Image.new("LAB", (40, 30), (255, 128, 128)).save(self.path("lab.tif"))
        self.page("rgb.png", "RGB", size=(40, 30))
        inputs = set(os.listdir(self.work))
        for page, output, options, reason in [
                ("cmyk.tif", "out.ora", [], "OpenRaster holds grey and RGB"),
                ("wide.png", "out.psd", [], "30,000 pixels a side"),
                ("lab.tif", "out.psd", [], "Lab"),
                ("lab.tif", "out.tif", ["--under-lines"], "Lab"),
                ("rgb.png", "out.psd", ["--flats-only"], "--flats-only")]:
            with self.subTest(output=output, page=page):
                result = self.tessel(page, output, *options)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertIn(reason, result.stderr)
                self.assertEqual(set(os.listdir(self.work)), inputs)


if __name__ == "__main__":
    unittest.main()
