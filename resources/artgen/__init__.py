"""Generator of Corvane's art: skin pictures, region maps, knob frames, glyph strip, cursor, icon.

Everything here is deterministic: the same Debian packages (python3-pil, python3-numpy,
fonts-dejavu-core, ImageMagick) give the same bytes, so the outputs are committed and a test
re-generates them and compares.
"""
