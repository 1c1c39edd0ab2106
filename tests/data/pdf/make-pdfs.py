#!/usr/bin/env python3
"""Writes the hand-made test PDFs of this folder (see SOURCES.md). Plain Python, no library."""
import sys, zlib


def pdf(objects):
    """A PDF file from a list of object bodies (bytes); object 1 is the catalogue."""
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def stream(content, extra=b""):
    return b"<< /Length %d %s >>\nstream\n" % (len(content), extra) + content + b"\nendstream"


def pages(kids_first, count):
    kids = b" ".join(b"%d 0 R" % (kids_first + 2 * i) for i in range(count))
    return b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, count)


FONT = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
# A 4 x 3 picture of distinct colours, drawn enlarged: shows how pictures are scaled.
PIXELS = bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0,
                0, 255, 255, 255, 0, 255, 128, 128, 128, 0, 0, 0,
                255, 128, 0, 64, 0, 128, 200, 200, 255, 30, 90, 30])
IMAGE = stream(zlib.compress(PIXELS, 9),
               b"/Type /XObject /Subtype /Image /Width 4 /Height 3 /ColorSpace /DeviceRGB "
               b"/BitsPerComponent 8 /Filter /FlateDecode")


def two_pages():
    # Page 1: 200.3 x 100.7 points, so that its size in pixels is no whole number at most
    # resolutions; lines from a hairline up, text in a font the file does not embed.
    page1 = (b"0 0 1 RG 0 w 10 10 m 190 10 l S 0.1 w 10 20 m 190 25 l S 0.5 w 10 30 m 190 40 l S "
             b"1 0 0 rg 20 50 60 30 re f BT /F1 12 Tf 0 g 90 60 Td (Page one) Tj ET")
    # Page 2: another size, turned a quarter by the page's own rotation, with a small enlarged picture.
    page2 = (b"q 80 0 0 60 20 20 cm /Im1 Do Q 0 0.5 0 RG 2 w 10 10 m 140 200 l S "
             b"BT /F1 16 Tf 0 0 1 rg 20 150 Td (Page two) Tj ET")
    resources = b"/Resources << /Font << /F1 7 0 R >> /XObject << /Im1 8 0 R >> >>"
    return pdf([
        b"<< /Type /Catalog /Pages 2 0 R >>",
        pages(3, 2),
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200.3 100.7] /Contents 4 0 R %s >>" % resources,
        stream(page1),
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 150 220] /Rotate 90 /Contents 6 0 R %s >>" % resources,
        stream(page2),
        FONT,
        IMAGE,
    ])


def crop_box():
    # A crop box inside the media box, at an odd place: a viewer shows the crop box alone. Its width,
    # 216 points, is 450 pixels at 150 dpi, a sum that is easily rounded up to 451.
    content = b"0 0 1 RG 0 w 10 10 m 190 90 l S 1 0 0 rg 40 30 60 30 re f BT /F1 12 Tf 0 g 50 50 Td (Crop) Tj ET"
    return pdf([
        b"<< /Type /Catalog /Pages 2 0 R >>",
        pages(3, 1),
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 250 100] /CropBox [20 10 236 90.3] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>",
        stream(content),
        FONT,
    ])


def no_pages():
    return pdf([b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [] /Count 0 >>"])


def huge_page():
    # 14400 points square, the largest page PDF readers accept: 120000 pixels a side at 600 dpi.
    return pdf([
        b"<< /Type /Catalog /Pages 2 0 R >>",
        pages(3, 1),
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 14400 14400] /Contents 4 0 R >>",
        stream(b"0 0 1 rg 100 100 1000 1000 re f"),
    ])


if __name__ == "__main__":
    for name, make in [("two-pages.pdf", two_pages), ("crop-box.pdf", crop_box), ("no-pages.pdf", no_pages), ("huge-page.pdf", huge_page)]:
        with open(name, "wb") as f:
            f.write(make())
