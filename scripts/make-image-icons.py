#!/usr/bin/env python3
"""Writes the image editor's own command icons (src/res/icons/image/*.svg), the pictures shown
when the desktop's icon theme has none of its own for a command. Run it after changing a
drawing here; the files it writes are kept in the tree."""
import os
import sys

INK = "#37474f"
ACCENT = "#1e88e5"
WARM = "#e65100"

def path(d, stroke=INK, fill="none", width=1.6, extra=""):
    return (f'<path d="{d}" fill="{fill}" stroke="{stroke}" stroke-width="{width}" '
            f'stroke-linecap="round" stroke-linejoin="round"{extra}/>')

def rect(x, y, w, h, fill="none", stroke=INK, width=1.4, rx=0, extra=""):
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{rx}" fill="{fill}" '
            f'stroke="{stroke}" stroke-width="{width}"{extra}/>')

def circle(cx, cy, r, fill="none", stroke=INK, width=1.4, extra=""):
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}" stroke="{stroke}" stroke-width="{width}"{extra}/>'

def text(x, y, s, size=8, fill=INK, weight="bold"):
    return (f'<text x="{x}" y="{y}" font-family="DejaVu Sans" font-size="{size}" font-weight="{weight}" '
            f'fill="{fill}" text-anchor="middle">{s}</text>')

def picture():
    """A small landscape: the sign of 'the picture' several icons start from."""
    return rect(3, 5, 18, 14, fill="#e3f2fd", rx=1.5) + path("M5 17 L10 11 L13 14 L15 12 L19 17 Z",
                                                               fill="#81c784", stroke="#388e3c", width=1)

def grid(n, dark):
    cell = 18 / n
    out = []
    for r in range(n):
        for c in range(n):
            fill = "#546e7a" if (r, c) in dark else "#cfd8dc"
            out.append(rect(3 + c * cell, 3 + r * cell, cell - 0.6, cell - 0.6, fill=fill, stroke="none", width=0))
    return "".join(out)

def letters(chars, colours):
    step = 20 / len(chars)
    return "".join(text(2 + step * (i + 0.5), 16, ch, size=9 if len(chars) < 4 else 7, fill=colours[i])
                   for i, ch in enumerate(chars))

def checker():
    out = [rect(3, 3, 18, 18, fill="#ffffff", width=1)]
    for r in range(3):
        for c in range(3):
            if (r + c) % 2 == 0:
                out.append(rect(3 + c * 6, 3 + r * 6, 6, 6, fill="#b0bec5", stroke="none", width=0))
    return "".join(out)

ICONS = {
    "baskets": rect(3, 4, 18, 16, rx=1.5) + rect(3, 4, 6, 16, fill="#90caf9"),
    "open": path("M3 7 L3 19 L19 19 L21 10 L7 10 L5 19", fill="#ffe082") + path("M3 7 L3 5 L9 5 L11 7 L18 7 L18 10"),
    "save": rect(4, 4, 16, 16, fill="#90caf9", rx=1.5) + rect(7, 4, 10, 6, fill="#ffffff") + rect(7, 13, 10, 7, fill="#ffffff"),
    "save-as": rect(3, 5, 14, 14, fill="#90caf9", rx=1.5) + rect(6, 5, 8, 5, fill="#ffffff")
               + path("M14 20 L21 13 L19 11 L12 18 Z", fill="#ffb74d", stroke=WARM, width=1.2),
    "print": rect(6, 3, 12, 6, fill="#ffffff") + rect(3, 9, 18, 8, fill="#b0bec5", rx=1.5) + rect(6, 14, 12, 7, fill="#ffffff"),
    "print-preview": rect(4, 3, 12, 17, fill="#ffffff") + circle(15, 14, 4, fill="#e3f2fd", stroke=ACCENT, width=1.6)
                     + path("M18 17 L21 20", stroke=ACCENT, width=2),
    "print-setup": rect(4, 3, 14, 18, fill="#ffffff") + path("M7 7 L15 7 M7 11 L15 11 M7 15 L12 15")
                   + circle(18, 18, 3, fill="#ffb74d", stroke=WARM, width=1.2),
    "new": path("M6 3 L14 3 L19 8 L19 21 L6 21 Z", fill="#ffffff") + path("M14 3 L14 8 L19 8"),
    "acquire": rect(2, 11, 20, 8, fill="#b0bec5", rx=1.5) + path("M5 11 L17 5", stroke=ACCENT, width=2)
               + path("M5 15 L19 15", stroke="#4caf50", width=1.6),
    "select-source": rect(2, 13, 14, 7, fill="#b0bec5", rx=1.5) + path("M16 6 L20 6 M18 4 L18 8 M14 9 L22 9", width=1.4),
    "capture": rect(3, 7, 18, 13, fill="#b0bec5", rx=2) + circle(12, 13, 4, fill="#e3f2fd", stroke=INK)
               + rect(8, 4, 8, 3, fill=INK, stroke="none", width=0),
    "cut": circle(7, 17, 3) + circle(17, 17, 3) + path("M9 15 L18 3 M15 15 L6 3"),
    "copy": rect(8, 8, 12, 13, fill="#ffffff", rx=1) + path("M5 16 L4 16 L4 3 L16 3 L16 5"),
    "paste": rect(4, 5, 16, 16, fill="#ffcc80", rx=1.5) + rect(8, 3, 8, 4, fill="#ffffff") + rect(9, 10, 9, 9, fill="#ffffff"),
    "undo": path("M9 5 L4 10 L9 15") + path("M4 10 L14 10 A6 6 0 0 1 14 22 L10 22", stroke=ACCENT, width=2),
    "redo": path("M15 5 L20 10 L15 15") + path("M20 10 L10 10 A6 6 0 0 0 10 22 L14 22", stroke=ACCENT, width=2),
    "zoom-in": circle(10, 10, 6) + path("M15 15 L21 21", width=2.4) + path("M7 10 L13 10 M10 7 L10 13", stroke=ACCENT),
    "zoom-out": circle(10, 10, 6) + path("M15 15 L21 21", width=2.4) + path("M7 10 L13 10", stroke=ACCENT),
    "zoom-original": circle(10, 10, 6) + path("M15 15 L21 21", width=2.4) + text(10, 13, "1:1", size=6, fill=ACCENT),
    "zoom-tool": circle(10, 10, 6, fill="#e3f2fd") + path("M15 15 L21 21", width=2.4),
    "tool-move": path("M12 2 L12 22 M2 12 L22 12 M9 5 L12 2 L15 5 M9 19 L12 22 L15 19 M5 9 L2 12 L5 15 M19 9 L22 12 L19 15"),
    "tool-select": path("M6 6 C12 1 22 6 18 13 C15 18 6 19 5 14 C4 11 8 9 11 11", stroke=ACCENT, extra=' stroke-dasharray="2 1.5"')
                   + path("M11 11 L13 22 L15 17 L19 19 Z", fill="#ffffff", width=1.2),
    "tool-tracker": rect(4, 4, 16, 16, stroke=ACCENT, extra=' stroke-dasharray="2.5 1.5"')
                    + "".join(rect(x - 1.5, y - 1.5, 3, 3, fill=INK, stroke="none", width=0)
                              for x, y in ((4, 4), (20, 4), (4, 20), (20, 20), (12, 4), (12, 20))),
    "tool-text": text(12, 19, "A", size=18, fill=INK) + path("M4 21 L20 21", stroke=ACCENT),
    "about": circle(12, 12, 9, fill="#e3f2fd", stroke=ACCENT) + text(12, 17, "i", size=13, fill=ACCENT),
    "duplicate": picture() + rect(13, 1, 10, 8, fill="#ffffff", stroke=ACCENT) + text(18, 8, "2", size=7, fill=ACCENT),
    "mirror": path("M12 2 L12 22", extra=' stroke-dasharray="2 2"') + path("M10 5 L3 19 L10 19 Z", fill=ACCENT)
              + path("M14 5 L21 19 L14 19 Z", fill="#ffffff"),
    "flip": path("M2 12 L22 12", extra=' stroke-dasharray="2 2"') + path("M5 10 L19 3 L19 10 Z", fill=ACCENT)
            + path("M5 14 L19 21 L19 14 Z", fill="#ffffff"),
    "negative": circle(12, 12, 9, fill="#ffffff") + path("M12 3 A9 9 0 0 1 12 21 Z", fill=INK),
    "gray-scale": "".join(rect(3 + i * 3.6, 4, 3.6, 16, fill=f"#{v:02x}{v:02x}{v:02x}", stroke="none", width=0)
                          for i, v in enumerate((0x20, 0x55, 0x88, 0xbb, 0xee))) + rect(3, 4, 18, 16, width=1),
    "rotate-left": rect(9, 9, 12, 12, fill="#e3f2fd") + path("M4 12 A8 8 0 0 1 12 4 L15 4", stroke=ACCENT, width=1.8)
                   + path("M2 9 L4 12 L7 9", stroke=ACCENT, width=1.8),
    "rotate-right": rect(3, 9, 12, 12, fill="#e3f2fd") + path("M20 12 A8 8 0 0 0 12 4 L9 4", stroke=ACCENT, width=1.8)
                    + path("M22 9 L20 12 L17 9", stroke=ACCENT, width=1.8),
    "rotate": path("M12 3 L21 9 L15 20 L4 15 Z", fill="#e3f2fd") + path("M3 21 L21 21 M3 21 L3 3", stroke=WARM, width=1.2),
    "resample": rect(3, 11, 10, 10, fill="#e3f2fd") + rect(3, 3, 18, 18, extra=' stroke-dasharray="2 2"')
                + path("M13 11 L20 4 M15 4 L20 4 L20 9", stroke=ACCENT, width=1.8),
    "crop": path("M6 2 L6 18 L22 18 M2 6 L18 6 L18 22", width=2) + rect(6, 6, 12, 12, fill="#e3f2fd", stroke="none", width=0),
    "set-transparency": checker() + path("M12 12 L14 22 L16 18 L20 20 Z", fill="#ffffff", stroke=INK, width=1.2),
    "remove-transparency": checker() + path("M4 20 L20 4", stroke="#d32f2f", width=2.2),
    "dither": "".join(circle(4 + c * 4, 4 + r * 4, 0.7 + 0.28 * c, fill=INK, stroke="none", width=0)
                      for r in range(5) for c in range(5)),
    "threshold": rect(3, 3, 18, 18, fill="#ffffff") + path("M3 3 L12 3 L12 21 L3 21 Z", fill=INK)
                 + path("M6 12 L18 12", stroke=WARM, width=1.8),
    "colorize": "".join(path(f"M12 12 L{12 + 9 * x:.2f} {12 + 9 * y:.2f} A9 9 0 0 1 {12 + 9 * x2:.2f} {12 + 9 * y2:.2f} Z",
                             fill=c, stroke="none", width=0)
                        for (x, y, x2, y2, c) in ((1, 0, -0.5, 0.866, "#e53935"), (-0.5, 0.866, -0.5, -0.866, "#43a047"),
                                                  (-0.5, -0.866, 1, 0, "#1e88e5"))),
    "gamma": rect(3, 3, 18, 18, width=1) + path("M3 21 C10 20 12 6 21 3", stroke=ACCENT, width=2),
    "lighten": circle(12, 12, 4, fill="#ffeb3b", stroke=WARM)
               + path("M12 2 L12 5 M12 19 L12 22 M2 12 L5 12 M19 12 L22 12 M5 5 L7 7 M17 17 L19 19 M5 19 L7 17 M17 7 L19 5", stroke=WARM),
    "darken": path("M15 3 A9 9 0 1 0 21 15 A7 7 0 0 1 15 3 Z", fill="#455a64"),
    "more-contrast": circle(12, 12, 8) + path("M12 4 A8 8 0 0 1 12 20 Z", fill=INK) + path("M17 2 L23 2 M20 -1 L20 5", stroke=ACCENT),
    "less-contrast": circle(12, 12, 8, stroke="#90a4ae") + path("M12 4 A8 8 0 0 1 12 20 Z", fill="#b0bec5", stroke="none")
                     + path("M17 2 L23 2", stroke=ACCENT),
    "blur": circle(12, 12, 9, fill="#90caf9", stroke="none", extra=' opacity="0.35"')
            + circle(12, 12, 6, fill="#64b5f6", stroke="none", extra=' opacity="0.6"') + circle(12, 12, 3, fill="#1e88e5", stroke="none"),
    "soften": circle(12, 12, 8, fill="#e1bee7", stroke="#ab47bc") + path("M7 12 C9 9 15 9 17 12", stroke="#ab47bc"),
    "gaussian-3x3": grid(3, {(1, 1)}),
    "gaussian-5x5": grid(5, {(2, 2), (1, 2), (3, 2), (2, 1), (2, 3)}),
    "sharpen": path("M12 2 L21 21 L3 21 Z", fill="#ffffff") + path("M12 8 L17 19 L7 19 Z", fill=INK),
    "edge": rect(4, 4, 16, 16, fill=INK) + rect(7, 7, 10, 10, fill="#ffffff", stroke="#ffffff", width=1),
    "emboss": rect(3, 3, 18, 18, fill="#b0bec5", stroke="none", width=0) + path("M3 21 L3 3 L21 3", stroke="#ffffff", width=2.4)
              + path("M3 21 L21 21 L21 3", stroke="#37474f", width=2.4),
    "add-noise": rect(3, 3, 18, 18, width=1) + "".join(rect(x, y, 2, 2, fill=INK, stroke="none", width=0)
                                                       for x, y in ((5, 6), (12, 4), (17, 9), (8, 13), (14, 15), (6, 18), (18, 18), (10, 9))),
    "median": rect(4, 14, 4, 7, fill="#b0bec5") + rect(10, 9, 4, 12, fill=ACCENT) + rect(16, 4, 4, 17, fill="#b0bec5"),
    "erode": rect(3, 3, 18, 18, extra=' stroke-dasharray="2 2"') + rect(8, 8, 8, 8, fill=INK) + path("M5 5 L8 8 M19 5 L16 8", stroke=ACCENT),
    "dilate": rect(8, 8, 8, 8) + rect(3, 3, 18, 18, fill=INK, extra=' opacity="0.8"') + rect(8, 8, 8, 8, fill="#ffffff"),
    "contour": circle(12, 12, 9) + circle(12, 12, 6, stroke=ACCENT) + circle(12, 12, 3),
    "edge-nonlinear": path("M3 18 L7 6 L11 16 L15 5 L21 18", stroke=INK, width=2),
    "jitter": "".join(rect(x, y, 4, 4, fill=f, stroke="none", width=0)
                      for x, y, f in ((3, 4, ACCENT), (10, 2, INK), (16, 6, ACCENT), (5, 11, INK), (12, 10, ACCENT), (18, 13, INK), (4, 18, ACCENT), (11, 17, INK))),
    "pinch": rect(2, 2, 20, 20, width=1) + path("M3 3 L9 9 M21 3 L15 9 M3 21 L9 15 M21 21 L15 15 M7 9 L9 9 L9 7 M17 9 L15 9 L15 7 M7 15 L9 15 L9 17 M17 15 L15 15 L15 17", stroke=ACCENT),
    "punch": rect(2, 2, 20, 20, width=1) + path("M9 9 L4 4 M15 9 L20 4 M9 15 L4 20 M15 15 L20 20 M4 7 L4 4 L7 4 M17 4 L20 4 L20 7 M4 17 L4 20 L7 20 M17 20 L20 20 L20 17", stroke=ACCENT),
    "twirl": path("M12 12 C12 10 15 10 15 12 C15 15 10 16 9 12 C8 7 16 6 18 11 C20 17 12 21 7 18 C3 15 3 7 8 4", stroke=ACCENT, width=1.8),
    "cylinder": path("M5 6 L5 18 A7 3 0 0 0 19 18 L19 6", fill="#e3f2fd") + '<ellipse cx="12" cy="6" rx="7" ry="3" fill="#bbdefb" stroke="#37474f" stroke-width="1.4"/>',
    "bathroom": rect(2, 2, 20, 20, fill="#e0f7fa", width=1) + "".join(path(f"M{x} 3 C{x + 2} 7 {x - 2} 11 {x} 14 C{x + 2} 17 {x - 2} 19 {x} 21", stroke="#00838f", width=1.3) for x in (6, 12, 18)),
    "pseudo-colors": "".join(rect(3 + i * 3, 4, 3, 16, fill=c, stroke="none", width=0)
                             for i, c in enumerate(("#d32f2f", "#f57c00", "#fbc02d", "#388e3c", "#1976d2", "#7b1fa2"))),
    "split-rgb": circle(7, 9, 4.5, fill="#e53935", stroke="none") + circle(17, 9, 4.5, fill="#43a047", stroke="none") + circle(12, 17, 4.5, fill="#1e88e5", stroke="none"),
    "split-hsl": letters("HSL", ("#8e24aa", "#00897b", "#f9a825")),
    "split-yuv": letters("YUV", (INK, "#1e88e5", "#e53935")),
    "split-yiq": letters("YIQ", (INK, "#f57c00", "#7b1fa2")),
    "split-xyz": letters("XYZ", ("#5d4037", INK, "#0277bd")),
    "split-cmyk": letters("CMYK", ("#00acc1", "#d81b60", "#fdd835", "#212121")),
    "combine": circle(8, 8, 5, fill="#e53935", stroke="none", extra=' opacity="0.7"') + circle(16, 8, 5, fill="#43a047", stroke="none", extra=' opacity="0.7"')
               + circle(12, 15, 5, fill="#1e88e5", stroke="none", extra=' opacity="0.7"') + path("M12 21 L12 23"),
    "fft": path("M2 12 C4 4 6 4 8 12 C10 20 12 20 14 12", stroke=ACCENT, width=1.6) + path("M16 21 L16 14 M19 21 L19 6 M22 21 L22 17", width=2),
    "repair": path("M5 15 L15 5 A3 3 0 0 1 19 9 L9 19 A3 3 0 0 1 5 15 Z", fill="#ffe0b2", stroke=WARM) + circle(12, 12, 1, fill=WARM, stroke="none"),
    "mix": rect(3, 3, 12, 12, fill="#e53935", stroke="none", extra=' opacity="0.75"') + rect(9, 9, 12, 12, fill="#1e88e5", stroke="none", extra=' opacity="0.75"'),
    "jpeg-compression": rect(3, 5, 18, 14, fill="#fff3e0", stroke=WARM, rx=1.5) + text(12, 15, "JPG", size=7, fill=WARM),
    "palette": path("M12 3 C5 3 2 8 3 13 C4 18 9 21 12 20 C14 19 12 17 14 16 C17 15 21 17 21 11 C21 6 17 3 12 3 Z", fill="#ffe0b2")
               + circle(8, 9, 1.6, fill="#e53935", stroke="none") + circle(13, 7, 1.6, fill="#43a047", stroke="none")
               + circle(17, 10, 1.6, fill="#1e88e5", stroke="none") + circle(8, 14, 1.6, fill="#fdd835", stroke="none"),
    "stretch": rect(7, 7, 10, 10, fill="#e3f2fd") + path("M2 2 L7 7 M22 2 L17 7 M2 22 L7 17 M22 22 L17 17 M2 6 L2 2 L6 2 M18 2 L22 2 L22 6 M2 18 L2 22 L6 22 M18 22 L22 22 L22 18", stroke=ACCENT),
    "smooth": path("M3 18 C8 18 8 6 13 6 C18 6 17 18 21 18", stroke=ACCENT, width=2.2),
    "full-screen": rect(2, 4, 20, 16, rx=1.5) + path("M5 10 L5 7 L8 7 M16 7 L19 7 L19 10 M5 14 L5 17 L8 17 M16 17 L19 17 L19 14", stroke=ACCENT, width=1.8),
    "histogram": path("M3 21 L21 21 M3 21 L3 3") + "".join(rect(x, 21 - h, 2.4, h, fill=ACCENT, stroke="none", width=0)
                                                           for x, h in ((5, 4), (8, 9), (11, 14), (14, 10), (17, 6))),
    "close-all": rect(4, 2, 15, 12, fill="#ffffff") + rect(2, 7, 15, 12, fill="#ffffff") + path("M6 10 L13 17 M13 10 L6 17", stroke="#d32f2f", width=1.8),
    "window-new": rect(3, 5, 16, 14, fill="#ffffff") + path("M3 9 L19 9") + path("M18 1 L18 7 M15 4 L21 4", stroke=ACCENT, width=1.8),
    "cascade": rect(2, 2, 12, 10, fill="#ffffff") + rect(6, 6, 12, 10, fill="#ffffff") + rect(10, 10, 12, 10, fill="#e3f2fd"),
    "tile-horizontal": rect(3, 3, 18, 8, fill="#e3f2fd") + rect(3, 13, 18, 8, fill="#ffffff"),
    "tile-vertical": rect(3, 3, 8, 18, fill="#e3f2fd") + rect(13, 3, 8, 18, fill="#ffffff"),
    "arrange-icons": "".join(rect(x, 15, 5, 5, fill="#b0bec5") for x in (2, 9.5, 17)) + rect(3, 3, 18, 9, width=1),
    "exit": path("M10 3 L3 3 L3 21 L10 21") + path("M8 12 L21 12 M17 8 L21 12 L17 16", stroke="#d32f2f", width=1.8),
}

def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src", "res", "icons", "image")
    os.makedirs(out, exist_ok=True)
    for name, body in sorted(ICONS.items()):
        with open(os.path.join(out, name + ".svg"), "w", encoding="utf-8") as f:
            f.write('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">' + body + "</svg>\n")
    print(f"{len(ICONS)} icons in {os.path.normpath(out)}")

if __name__ == "__main__":
    main()
