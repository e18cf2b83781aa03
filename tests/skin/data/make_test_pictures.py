#!/usr/bin/python3
"""Writes the small JPEG pictures that the skin's Windows tests compile in as resources.

grey177.jpg   177 x 16, one component (libjpeg decodes it as greyscale): a horizontal ramp.
colour177.jpg 177 x 16, three components, no chroma subsampling: red in columns 0 to 87, blue
              from column 88 on, so that a row shifted by its padding byte shows at once.

Run from anywhere; the outputs are committed next to this script.
"""
from pathlib import Path

from PIL import Image

here = Path(__file__).resolve().parent

grey = Image.new("L", (177, 16))
grey.putdata([x + y for y in range(16) for x in range(177)])
grey.save(here / "grey177.jpg", quality=95)

colour = Image.new("RGB", (177, 16))
colour.putdata([(255, 0, 0) if x < 88 else (0, 0, 255) for y in range(16) for x in range(177)])
colour.save(here / "colour177.jpg", quality=95, subsampling=0)
