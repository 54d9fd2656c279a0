#!/usr/bin/env python3
"""Draws the main window's images as SVG and renders the PNG files with ImageMagick.

Run from anywhere: python3 skin/art/make_images.py. Writes into the skin folder:
  common/device_ico/<set>_device_{normal,selected,synchro_normal,synchro_selected}.png
  power/{power,powered,powering,wuxian_powering}.png
  common/app_icon.{svg,png}, common/caption/*.svg, common/no_device.svg
"""
import os
import subprocess
import tempfile

SKIN = os.path.normpath(os.path.join(os.path.dirname(__file__), ".."))
MUTED = "#9A9EA6"
ACCENT = "#2FB5A8"
TEXT = "#C9CCD1"
DIM = "#3A3D43"

# Device outlines on a 48x48 grid; {c} is the stroke colour.
DEVICES = {
    "ms": """<rect x="15" y="6" width="18" height="32" rx="9" fill="none" stroke="{c}" stroke-width="2.4"/>
             <line x1="24" y1="6.5" x2="24" y2="17" stroke="{c}" stroke-width="2.4"/>
             <rect x="22.6" y="10" width="2.8" height="5" rx="1.4" fill="{c}"/>""",
    "kb": """<rect x="4" y="14" width="40" height="22" rx="4" fill="none" stroke="{c}" stroke-width="2.4"/>
             <g fill="{c}"><rect x="9" y="19" width="4" height="3.2" rx="0.8"/><rect x="15" y="19" width="4" height="3.2" rx="0.8"/>
             <rect x="21" y="19" width="4" height="3.2" rx="0.8"/><rect x="27" y="19" width="4" height="3.2" rx="0.8"/>
             <rect x="33" y="19" width="6" height="3.2" rx="0.8"/><rect x="9" y="25" width="6" height="3.2" rx="0.8"/>
             <rect x="17" y="25" width="4" height="3.2" rx="0.8"/><rect x="23" y="25" width="4" height="3.2" rx="0.8"/>
             <rect x="29" y="25" width="10" height="3.2" rx="0.8"/><rect x="14" y="30.5" width="20" height="3" rx="0.8"/></g>""",
    "hard_mp": """<rect x="4" y="11" width="40" height="26" rx="3" fill="none" stroke="{c}" stroke-width="2.4"/>
             <path d="M9 16h30M9 21h30M9 26h30M9 31h30" stroke="{c}" stroke-width="1.2" opacity="0.55"/>""",
    "soft_mp": """<path d="M4 14q0-3 3-3h34q3 0 3 3v17q0 3-3 3h-31q-6 0-6 3z" fill="none" stroke="{c}" stroke-width="2.4" stroke-linejoin="round"/>
             <circle cx="36" cy="17" r="2" fill="{c}"/>""",
    "hd": """<path d="M9 30v-6a15 15 0 0 1 30 0v6" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>
             <rect x="6" y="27" width="8" height="13" rx="3" fill="none" stroke="{c}" stroke-width="2.4"/>
             <rect x="34" y="27" width="8" height="13" rx="3" fill="none" stroke="{c}" stroke-width="2.4"/>""",
    "hub": """<circle cx="24" cy="24" r="5" fill="none" stroke="{c}" stroke-width="2.4"/>
             <path d="M24 19v-9M19.7 26.5l-8 4.5M28.3 26.5l8 4.5" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>
             <circle cx="24" cy="8" r="2.6" fill="{c}"/><circle cx="10" cy="32" r="2.6" fill="{c}"/><circle cx="38" cy="32" r="2.6" fill="{c}"/>""",
    "unknow": """<rect x="8" y="8" width="32" height="32" rx="7" fill="none" stroke="{c}" stroke-width="2.4"/>
             <path d="M19.5 20a4.5 4.5 0 1 1 6.5 4c-1.4.8-2 1.6-2 3v1" fill="none" stroke="{c}" stroke-width="2.4" stroke-linecap="round"/>
             <circle cx="24" cy="33" r="1.6" fill="{c}"/>""",
}

SYNC_BADGE = """<circle cx="39" cy="39" r="8" fill="#26282C" stroke="{c}" stroke-width="1.6"/>
  <path d="M35.5 38a3.8 3.8 0 0 1 6.6-1.8M42.5 40a3.8 3.8 0 0 1-6.6 1.8" fill="none" stroke="{c}" stroke-width="1.5" stroke-linecap="round"/>
  <path d="M42.6 34.4v2.2h-2.2M35.4 43.6v-2.2h2.2" fill="none" stroke="{c}" stroke-width="1.5" stroke-linecap="round"/>"""


def svg(w, h, body):
    return f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">\n{body}\n</svg>\n'


def write(rel, text):
    path = os.path.join(SKIN, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    return path


def render(svg_text, rel_png, size):
    out = os.path.join(SKIN, rel_png)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with tempfile.NamedTemporaryFile("w", suffix=".svg", delete=False) as t:
        t.write(svg_text)
    try:
        subprocess.run(["convert", "-background", "none", "-density", "384", t.name,
                        "-resize", f"{size[0]}x{size[1]}", "-strip", "PNG32:" + out], check=True)
    finally:
        os.unlink(t.name)


def device_icons():
    for word, body in DEVICES.items():
        for state, colour, badge in (("normal", MUTED, False), ("selected", ACCENT, False),
                                     ("synchro_normal", MUTED, True), ("synchro_selected", ACCENT, True)):
            b = body.format(c=colour) + (SYNC_BADGE.format(c=ACCENT) if badge else "")
            render(svg(48, 48, b), f"common/device_ico/{word}_device_{state}.png", (48, 48))


def battery(level_colour, fill_w, extra=""):
    return f"""<rect x="2" y="7" width="17" height="10" rx="2" fill="none" stroke="{TEXT}" stroke-width="1.5"/>
  <rect x="19.6" y="10" width="2" height="4" rx="0.8" fill="{TEXT}"/>
  <rect x="4" y="9" width="{fill_w}" height="6" rx="1" fill="{level_colour}"/>{extra}"""


def power_images():
    bolt = f'<path d="M12.2 4.5l-4.2 8h3.4l-1.6 7 5.4-9h-3.6l1.6-6z" fill="#FFFFFF" stroke="#1E2127" stroke-width="0.8" stroke-linejoin="round"/>'
    waves = f'<path d="M17.5 3.2a4 4 0 0 1 4 0M16.4 1.5a6.5 6.5 0 0 1 6.2 0" fill="none" stroke="{ACCENT}" stroke-width="1.2" stroke-linecap="round"/>'
    render(svg(24, 24, battery(ACCENT, 13)), "power/powered.png", (24, 24))
    render(svg(24, 24, battery(MUTED, 13)), "power/power.png", (24, 24))
    render(svg(24, 24, battery(ACCENT, 13, bolt)), "power/powering.png", (24, 24))
    render(svg(24, 24, battery(ACCENT, 13, bolt + waves)), "power/wuxian_powering.png", (24, 24))


def app_icon():
    body = f"""<rect x="4" y="4" width="56" height="56" rx="14" fill="#26282C"/>
  <circle cx="32" cy="32" r="15" fill="none" stroke="{ACCENT}" stroke-width="6"/>
  <circle cx="32" cy="32" r="4.5" fill="{TEXT}"/>
  <path d="M32 9v6M32 49v6M9 32h6M49 32h6" stroke="{DIM}" stroke-width="3" stroke-linecap="round"/>"""
    text = svg(64, 64, body)
    write("common/app_icon.svg", text)
    render(text, "common/app_icon.png", (64, 64))


CAPTION = {
    "close": '<path d="M5 5l10 10M15 5L5 15" stroke="{c}" stroke-width="1.7" stroke-linecap="round"/>',
    "min": '<path d="M5 10.5h10" stroke="{c}" stroke-width="1.7" stroke-linecap="round"/>',
    "set": '<circle cx="10" cy="10" r="2.6" fill="none" stroke="{c}" stroke-width="1.5"/>'
           '<path d="M10 2.5v2.3M10 15.2v2.3M2.5 10h2.3M15.2 10h2.3M4.7 4.7l1.6 1.6M13.7 13.7l1.6 1.6M4.7 15.3l1.6-1.6M13.7 6.3l1.6-1.6" stroke="{c}" stroke-width="1.5" stroke-linecap="round"/>'
           '<circle cx="10" cy="10" r="5.6" fill="none" stroke="{c}" stroke-width="1.5"/>',
    "skin": '<path d="M10 3a7 7 0 1 0 0 14c1.2 0 1.6-.8 1.2-1.7-.5-1-.1-2.3 1.3-2.3H15a2.5 2.5 0 0 0 2-2.6C17 6.2 14 3 10 3z" fill="none" stroke="{c}" stroke-width="1.5" stroke-linejoin="round"/>'
            '<circle cx="6.6" cy="9" r="1.1" fill="{c}"/><circle cx="9.4" cy="6.2" r="1.1" fill="{c}"/><circle cx="13" cy="7" r="1.1" fill="{c}"/>',
    "gamemode": '<path d="M6 6.5h8a4 4 0 0 1 3.9 4.9l-.8 3.3a1.9 1.9 0 0 1-3.2.9L12 13.5H8l-1.9 2.1a1.9 1.9 0 0 1-3.2-.9l-.8-3.3A4 4 0 0 1 6 6.5z" fill="none" stroke="{c}" stroke-width="1.5" stroke-linejoin="round"/>'
                '<path d="M6.5 9v3M5 10.5h3" stroke="{c}" stroke-width="1.4" stroke-linecap="round"/><circle cx="13" cy="9.5" r="0.9" fill="{c}"/><circle cx="14.7" cy="11.3" r="0.9" fill="{c}"/>',
    "cloud": '<path d="M6 15.5h8.5a3.5 3.5 0 0 0 .4-7 5 5 0 0 0-9.6 1.4A2.9 2.9 0 0 0 6 15.5z" fill="none" stroke="{c}" stroke-width="1.5" stroke-linejoin="round"/>',
    "smarteyes": '<path d="M2.5 10s2.8-5 7.5-5 7.5 5 7.5 5-2.8 5-7.5 5-7.5-5-7.5-5z" fill="none" stroke="{c}" stroke-width="1.5" stroke-linejoin="round"/>'
                 '<circle cx="10" cy="10" r="2.3" fill="{c}"/>',
    "light": '<path d="M10 2.8a5 5 0 0 0-3 9c.6.5 1 1.2 1 2v.7h4v-.7c0-.8.4-1.5 1-2a5 5 0 0 0-3-9z" fill="none" stroke="{c}" stroke-width="1.5" stroke-linejoin="round"/>'
             '<path d="M8.2 17h3.6" stroke="{c}" stroke-width="1.5" stroke-linecap="round"/>',
}


def caption_icons():
    for name, body in CAPTION.items():
        write(f"common/caption/{name}.svg", svg(20, 20, body.format(c=TEXT)))
        write(f"common/caption/{name}_hot.svg", svg(20, 20, body.format(c="#FFFFFF" if name == "close" else ACCENT)))
    write("common/caption/light_on.svg", svg(20, 20, CAPTION["light"].format(c=ACCENT)))


def no_device_art():
    body = f"""<defs>
    <linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#303237"/><stop offset="1" stop-color="#26282C"/>
    </linearGradient>
  </defs>
  <ellipse cx="210" cy="176" rx="190" ry="14" fill="#000000" opacity="0.25"/>
  <!-- keyboard -->
  <rect x="20" y="70" width="250" height="96" rx="12" fill="url(#g)" stroke="{DIM}" stroke-width="2"/>
  {''.join(f'<rect x="{38 + i * 19}" y="{88 + r * 20}" width="14" height="13" rx="3" fill="#3A3D43"/>' for r in range(3) for i in range(11))}
  <rect x="86" y="146" width="118" height="12" rx="3" fill="#3A3D43"/>
  <rect x="38" y="146" width="42" height="12" rx="3" fill="#3A3D43"/>
  <rect x="210" y="146" width="42" height="12" rx="3" fill="#3A3D43"/>
  <!-- mouse -->
  <rect x="312" y="64" width="64" height="104" rx="32" fill="url(#g)" stroke="{DIM}" stroke-width="2"/>
  <line x1="344" y1="65" x2="344" y2="104" stroke="{DIM}" stroke-width="2"/>
  <rect x="339" y="78" width="10" height="18" rx="5" fill="#3A3D43"/>
  <!-- cable with the open plug -->
  <path d="M344 64 C344 30 300 22 258 30" fill="none" stroke="{DIM}" stroke-width="3" stroke-dasharray="2 7" stroke-linecap="round"/>
  <rect x="226" y="22" width="26" height="16" rx="3" fill="none" stroke="{ACCENT}" stroke-width="2.5"/>
  <path d="M220 26v8M214 26v8" stroke="{ACCENT}" stroke-width="2.5" stroke-linecap="round"/>
  <circle cx="196" cy="30" r="3" fill="{ACCENT}" opacity="0.8"/>
  <circle cx="184" cy="30" r="2.2" fill="{ACCENT}" opacity="0.5"/>
  <circle cx="174" cy="30" r="1.6" fill="{ACCENT}" opacity="0.3"/>"""
    write("common/no_device.svg", svg(400, 190, body))


if __name__ == "__main__":
    device_icons()
    power_images()
    app_icon()
    caption_icons()
    no_device_art()
    print("images written under", SKIN)
