#!/usr/bin/python3
"""Draws Chimora's packaged pictures, synthesises its bell sounds and writes its
holiday table into assets/. The output is committed; the build never runs this.

Needs Debian's python3-pil, python3-numpy, fonts-ipafont-mincho and
fonts-dejavu-core (scripts/make-assets.sh installs them). Deterministic: the
same inputs give the same files.
"""
import math
import os
import struct
import sys
import wave

import numpy as np
from PIL import Image, ImageDraw, ImageFont

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "assets")
MINCHO = "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"
SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
SS = 8  # supersampling factor of the bells
RNG = np.random.default_rng(20261207)


# ---------------------------------------------------------------- helpers

def reduce_rgba(big, factor):
    """Box reduction with alpha weighting, so edges stay clean in straight alpha."""
    a = big[..., 3:4].astype(np.float64) / 255.0
    pre = big[..., :3].astype(np.float64) * a
    h, w = big.shape[0] // factor, big.shape[1] // factor
    pre = pre.reshape(h, factor, w, factor, 3).mean(axis=(1, 3))
    alpha = a.reshape(h, factor, w, factor, 1).mean(axis=(1, 3))
    rgb = np.where(alpha > 0, pre / np.maximum(alpha, 1e-9), 0)
    out = np.concatenate([rgb, alpha * 255.0], axis=2)
    return np.clip(np.rint(out), 0, 255).astype(np.uint8)


def save_png(array, name, mode):
    Image.fromarray(array, mode).save(os.path.join(OUT, name), optimize=True)


def grid(size):
    """Pixel-centre coordinates of a supersampled canvas, in output pixels."""
    ys, xs = np.mgrid[0:size * SS, 0:size * SS]
    return (xs + 0.5) / SS, (ys + 0.5) / SS


def blend(canvas, mask, colour, alpha=1.0):
    """Paints colour (rgb floats 0..255) over canvas where mask (0..1) is set."""
    m = np.clip(mask, 0, 1)[..., None] * alpha
    canvas[..., :3] = canvas[..., :3] * (1 - m) + np.asarray(colour, dtype=np.float64) * m
    canvas[..., 3:4] = canvas[..., 3:4] * (1 - m) + 255.0 * m


def smooth_noise(shape, scale, seed):
    rng = np.random.default_rng(seed)
    small = rng.random((shape[0] // scale + 2, shape[1] // scale + 2))
    img = Image.fromarray((small * 255).astype(np.uint8), "L").resize((shape[1], shape[0]), Image.BICUBIC)
    return np.asarray(img, dtype=np.float64) / 255.0


# ---------------------------------------------------------------- bells
# The bell hangs from the top centre: the string meets it at x = 15.5, y = 4 of
# its 32 x 32 picture, and the clapper's lower end shows below its mouth.

CX = 15.5


def iron_bell():
    x, y = grid(32)
    canvas = np.zeros(x.shape + (4,))
    # Silhouette: a dome on straight, slightly flaring sides; mouth at y = 25.
    top, shoulder, mouth = 4.2, 13.0, 25.0
    radius = 10.8
    half = np.where(y < shoulder,
                    radius * np.sqrt(np.clip(1 - ((shoulder - y) / (shoulder - top)) ** 2, 0, 1)),
                    radius + (y - shoulder) * 0.12)
    body = (np.abs(x - CX) <= half) & (y >= top) & (y <= mouth)
    # Shading: a cylinder lit from the upper left, darker towards the mouth.
    nx = np.clip((x - CX) / np.maximum(half, 1e-6), -1, 1)
    light = 0.55 + 0.45 * np.sqrt(1 - nx ** 2) - 0.35 * nx
    light *= 1.0 - 0.25 * np.clip((y - shoulder) / (mouth - shoulder), 0, 1)
    speckle = smooth_noise(x.shape, 6, 1) * 0.35 + RNG.random(x.shape) * 0.15
    base = np.array([38.0, 70.0, 52.0])
    colour = base[None, None, :] * (light * (0.8 + speckle))[..., None]
    canvas[body, :3] = np.clip(colour[body], 0, 255)
    canvas[body, 3] = 255
    # Rim: a raised, lighter band at the mouth.
    rim = body & (y >= mouth - 2.2)
    rim_colour = np.array([78.0, 112.0, 86.0])[None, None, :] * (0.7 + 0.4 * light)[..., None]
    canvas[rim, :3] = np.clip(rim_colour[rim], 0, 255)
    # The dark inside of the mouth, seen from just below.
    inside = ((x - CX) / (radius + 1.2)) ** 2 + ((y - mouth) / 1.6) ** 2 <= 1
    blend(canvas, inside & (y > mouth - 0.2), [16, 24, 20])
    # Hanging loop on top.
    ring = np.abs(np.hypot(x - CX, y - 2.6) - 1.6) <= 0.55
    blend(canvas, ring, [44, 62, 50])
    # A soft highlight on the shoulder.
    glow = np.exp(-(((x - CX + 4.5) / 1.6) ** 2 + ((y - 9.5) / 3.0) ** 2))
    blend(canvas, glow * body, [150, 190, 160], 0.55)
    save_png(reduce_rgba(canvas, SS), "namb.png", "RGBA")


def glass_bell():
    x, y = grid(32)
    canvas = np.zeros(x.shape + (4,))
    cy, radius, mouth = 14.0, 11.6, 24.2
    dist = np.hypot(x - CX, y - cy)
    body = (dist <= radius) & (y <= mouth)
    # Clear glass: faint blue tint, more opaque towards the edge (seen at a slant).
    edge = np.clip(dist / radius, 0, 1) ** 3
    canvas[body, :3] = np.array([196.0, 226.0, 242.0])
    canvas[body, 3] = (96 + 150 * edge[body])
    outline = body & (dist >= radius - 0.7)
    blend(canvas, outline, [150, 196, 222], 0.9)
    # Water plants: green blades rising from the lower left.
    for i, (x0, lean, height) in enumerate([(8.0, 0.35, 13), (10.5, -0.2, 10), (12.5, 0.25, 8)]):
        t = np.clip((mouth - 1 - y) / height, 0, 1)
        centre = x0 + lean * (mouth - 1 - y) + 0.9 * np.sin(t * 5 + i)
        blade = (np.abs(x - centre) <= 0.75 * (1 - t) + 0.25) & (y <= mouth - 1) & (y >= mouth - 1 - height)
        blend(canvas, blade & body, [46, 140, 64])
    # Goldfish swimming left, on the right half.
    fx, fy = 19.5, 15.5
    fish = ((x - fx) / 3.6) ** 2 + ((y - fy) / 2.1) ** 2 <= 1
    tail = (x > fx + 2.8) & (x < fx + 6.6) & (np.abs(y - fy) < (x - fx - 2.8) * 0.75 + 0.4)
    fin = ((x - fx - 0.4) / 1.3) ** 2 + ((y - fy + 2.1) / 0.9) ** 2 <= 1
    blend(canvas, (fish | tail | fin) & body, [222, 40, 28])
    belly = ((x - fx + 0.3) / 2.6) ** 2 + ((y - fy - 0.8) / 1.0) ** 2 <= 1
    blend(canvas, belly & body, [248, 130, 60], 0.8)
    eye = np.hypot(x - (fx - 2.1), y - (fy - 0.5)) <= 0.55
    blend(canvas, eye, [20, 20, 20])
    # Rim of the mouth and the neck on top, thicker glass.
    rim = body & (y >= mouth - 1.3)
    blend(canvas, rim, [236, 248, 252], 0.8)
    neck = (np.abs(x - CX) <= 1.6) & (y >= 1.4) & (y <= cy - radius + 1.0)
    blend(canvas, neck, [200, 226, 238], 0.85)
    # Window reflection, upper left.
    shine = np.exp(-(((x - CX + 5.0) / 1.3) ** 2 + ((y - 8.0) / 2.6) ** 2))
    blend(canvas, shine * body, [255, 255, 255], 0.9)
    save_png(reduce_rgba(canvas, SS), "glass.png", "RGBA")


# ---------------------------------------------------------------- strips

def vertical_text(draw, chars, font, cx, top, step, fill):
    for i, ch in enumerate(chars):
        draw.text((cx, top + i * step), ch, font=font, fill=fill, anchor="mt")


def paper_strip():
    k = 4
    w, h = 25 * k, 100 * k
    fibres = smooth_noise((h, w), 3 * k, 2) * 10 + smooth_noise((h, w), k, 3) * 6
    base = np.stack([244 - fibres, 237 - fibres, 218 - fibres * 1.2], axis=2)
    img = Image.fromarray(np.clip(base, 0, 255).astype(np.uint8), "RGB")
    d = ImageDraw.Draw(img)
    brown = (176, 134, 92)
    # Round emblem: a ring around three wind strokes.
    cx, cy, r = w / 2, 22 * k, 8.5 * k
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=brown, width=int(1.3 * k))
    for i in range(3):
        yy = cy - 3.2 * k + i * 3.2 * k
        d.arc([cx - 5 * k, yy - 2 * k, cx + 1 * k, yy + 2 * k], 200, 340, fill=brown, width=k)
        d.arc([cx - 1 * k, yy - 2 * k, cx + 5 * k, yy + 2 * k], 20, 160, fill=brown, width=k)
    font = ImageFont.truetype(MINCHO, 12 * k)
    vertical_text(d, "涼風", font, w / 2, 42 * k, 14 * k, brown)
    d.line([w / 2 - 3 * k, 74 * k, w / 2 + 3 * k, 74 * k], fill=brown, width=k // 2)
    small = ImageFont.truetype(MINCHO, 7 * k)
    vertical_text(d, "鈴", small, w / 2, 78 * k, 8 * k, brown)
    img.resize((25, 100), Image.LANCZOS).save(os.path.join(OUT, "korvessa.png"), optimize=True)


def black_gold_strip():
    k = 4
    w, h = 25 * k, 100 * k
    grain = smooth_noise((h, w), 2 * k, 4) * 14
    base = np.stack([18 + grain, 16 + grain, 20 + grain], axis=2)
    img = Image.fromarray(np.clip(base, 0, 255).astype(np.uint8), "RGB")
    d = ImageDraw.Draw(img)
    gold, pale = (212, 172, 72), (250, 226, 150)
    # Double border lines.
    for inset, width in ((1.5, 1), (3.2, 0.5)):
        d.rectangle([inset * k, inset * k, w - inset * k, h - inset * k], outline=gold,
                    width=max(1, int(width * k)))
    font = ImageFont.truetype(MINCHO, 13 * k)
    vertical_text(d, "風鈴", font, w / 2, 22 * k, 16 * k, gold)
    d.line([7 * k, 60 * k, w - 7 * k, 60 * k], fill=gold, width=k // 2)
    # Sparkles: four-pointed stars.
    for sx, sy, size in ((7, 13, 3.2), (18, 17, 2.2), (8, 70, 2.6), (17, 80, 3.4), (10, 90, 1.8)):
        sx, sy, s = sx * k, sy * k, size * k
        d.polygon([(sx, sy - s), (sx + s * 0.22, sy - s * 0.22), (sx + s, sy), (sx + s * 0.22, sy + s * 0.22),
                   (sx, sy + s), (sx - s * 0.22, sy + s * 0.22), (sx - s, sy), (sx - s * 0.22, sy - s * 0.22)],
                  fill=pale)
    img.resize((25, 100), Image.LANCZOS).save(os.path.join(OUT, "blackgold.png"), optimize=True)


def app_title():
    """The information window's title: the name on white, which its card leaves out."""
    k = 4
    w, h = 160 * k, 32 * k
    img = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(img)
    font = ImageFont.truetype(SERIF_BOLD, 20 * k)
    d.text((30 * k, 17 * k), "Chimora", font=font, fill=(36, 48, 92), anchor="lm")
    # A small glass bell with its strip on the left.
    bx = 14 * k
    d.line([bx, 3 * k, bx, 6 * k], fill=(150, 120, 96), width=k // 2)  # clear of the card's border
    d.chord([bx - 7 * k, 5 * k, bx + 7 * k, 23 * k], 180, 360, fill=(120, 178, 214))
    d.rectangle([bx - 7 * k, 14 * k, bx + 7 * k, 16 * k], fill=(120, 178, 214))
    d.line([bx, 16 * k, bx, 21 * k], fill=(150, 120, 96), width=k // 2)
    d.rectangle([bx - 2 * k, 21 * k, bx + 2 * k, 31 * k], fill=(214, 72, 56))
    img.resize((160, 32), Image.LANCZOS).save(os.path.join(OUT, "apptitle.png"), optimize=True)


def maker_mark():
    """The maker's mark of the information window: 56 x 56, 24 bits, on white."""
    k = 4
    img = Image.new("RGB", (56 * k, 56 * k), (255, 255, 255))
    d = ImageDraw.Draw(img)
    d.ellipse([3 * k, 3 * k, 53 * k, 53 * k], fill=(36, 48, 92))
    d.ellipse([6 * k, 6 * k, 50 * k, 50 * k], outline=(244, 222, 150), width=k)
    # Three strokes of wind across the disc.
    for i, y in enumerate((20, 28, 36)):
        d.arc([(10 + 3 * i) * k, (y - 6) * k, (46 - 3 * i) * k, (y + 6) * k], 200, 340, fill=(244, 222, 150), width=2 * k)
    d.text((28 * k, 40 * k), "K", font=ImageFont.truetype(SERIF_BOLD, 12 * k), fill=(255, 255, 255), anchor="mm")
    img.resize((56, 56), Image.LANCZOS).save(os.path.join(OUT, "makermark.png"), optimize=True)


def icon():
    """The glass bell with a strip, on a transparent square."""
    size = 256
    bell = Image.open(os.path.join(OUT, "glass.png")).resize((160, 160), Image.LANCZOS)
    canvas = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    strip = Image.open(os.path.join(OUT, "korvessa.png")).convert("RGBA").resize((40, 120), Image.LANCZOS)
    d = ImageDraw.Draw(canvas)
    d.line([128, 0, 128, 140], fill=(190, 160, 128, 255), width=3)
    canvas.alpha_composite(strip, (110, 132))
    canvas.alpha_composite(bell, (48, -10))
    # The sizes icon themes ask for; 32 is also the information window's icon.
    os.makedirs(os.path.join(OUT, "icons"), exist_ok=True)
    for n in (16, 22, 24, 32, 48, 64, 128, 256):
        small = canvas if n == size else canvas.resize((n, n), Image.LANCZOS)
        small.save(os.path.join(OUT, "icons", f"chimora-{n}.png"), optimize=True)
    # The Windows program's icon, its larger sizes stored as PNG.
    canvas.save(os.path.join(OUT, "icons", "chimora.ico"), sizes=[(16, 16), (24, 24), (32, 32), (48, 48), (256, 256)])


# ---------------------------------------------------------------- sounds

RATE = 22050


def bell_strike(name, pitch, seconds, seed):
    """Inharmonic partials of a small bell, each decaying at its own rate."""
    rng = np.random.default_rng(seed)
    t = np.arange(int(RATE * seconds)) / RATE
    partials = [(1.0, 1.0, 1.0), (2.32, 0.55, 1.8), (4.25, 0.35, 3.0), (5.97, 0.22, 4.2), (8.63, 0.12, 6.0)]
    signal = np.zeros_like(t)
    for ratio, level, damping in partials:
        f = pitch * ratio * (1 + rng.normal(0, 0.002))
        decay = np.exp(-t * damping * 3.2 / seconds * 2.2)
        beat = 1 + 0.08 * np.sin(2 * np.pi * (1.3 + ratio * 0.4) * t)  # a pair of close modes
        signal += level * decay * beat * np.sin(2 * np.pi * f * t + rng.uniform(0, 2 * np.pi))
    strike = rng.normal(0, 1, t.size) * np.exp(-t / 0.004) * 0.25  # the clapper's tick
    signal = (signal + strike) * np.minimum(1, t / 0.0015)
    signal *= 0.7 / np.max(np.abs(signal))
    fade = np.minimum(1, (t[-1] - t) / 0.05)  # end at silence
    pcm = np.round(signal * fade * 32767).astype("<i2")
    with wave.open(os.path.join(OUT, "wav", name), "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(RATE)
        f.writeframes(pcm.tobytes())


# ---------------------------------------------------------------- holidays

HOLIDAYS = [
    ("元日", "年のはじめを祝う", ['month="1" day="1" start="1948"']),
    ("成人の日", "おとなになったことを自覚し、みずから生き抜こうとする青年を祝いはげます",
     ['month="1" day="15" start="1948" end="1999"', 'month="1" dayoftheweek="monday" times="2" start="2000"']),
    ("建国記念の日", "建国をしのび、国を愛する心を養う", ['month="2" day="11" start="1966"']),
    ("春分の日", "自然をたたえ、生物をいつくしむ", ['ecliptic="0" start="1948"']),
    ("みどりの日", "自然に親しむとともにその恩恵に感謝し豊かな心をはぐくむ", ['month="4" day="29" start="1989"']),
    ("憲法記念日", "日本国憲法の施行を記念し、国の成長を期する", ['month="5" day="3" start="1948"']),
    ("こどもの日", "こどもの人格を重んじ、こどもの幸福をはかるとともに、母に感謝する", ['month="5" day="5" start="1948"']),
    ("海の日", "海の恩恵に感謝するとともに、海洋国日本の繁栄を願う",
     ['month="7" day="20" start="1995" end="2002"', 'month="7" dayoftheweek="monday" times="3" start="2003"']),
    ("敬老の日", "多年にわたり社会につくしてきた老人を敬愛し、長寿を祝う",
     ['month="9" day="15" start="1966" end="2002"', 'month="9" dayoftheweek="monday" times="3" start="2003"']),
    ("秋分の日", "先祖をうやまい、なくなった人をしのぶ", ['ecliptic="180" start="1948"']),
    ("体育の日", "スポーツにしたしみ、健康な心身をつちかう",
     ['month="10" day="10" start="1966" end="1999"', 'month="10" dayoftheweek="monday" times="2" start="2000"']),
    ("文化の日", "自由と平和を愛し、文化をすすめる", ['month="11" day="3" start="1948"']),
    ("文化の日", "自由と平和を愛し、文化をすすめる", ['month="11" day="3" start="1948"']),
    ("勤労感謝の日", "勤労をたっとび、生産を祝い、国民がたがいに感謝しあう", ['month="11" day="23" start="1948"']),
    ("天皇誕生日", "天皇の誕生日を祝う",
     ['month="4" day="29" start="1948" end="1988"', 'month="12" day="23" start="1989"']),
    ("皇太子明仁親王の結婚の儀", None, ['month="4" day="10" year="1959"']),
    ("昭和天皇の大喪の礼", None, ['month="2" day="24" year="1989"']),
    ("即位礼正殿の儀", None, ['month="11" day="12" year="1990"']),
    ("即位礼正殿の儀", None, ['month="6" day="9" year="1993"']),
]


def holiday_table():
    lines = ['<?xml version="1.0" encoding="shift_jis"?>', "<specialday>"]
    for name, mean, dates in HOLIDAYS:
        attr = f' mean="{mean}"' if mean else ""
        body = "".join(f"<date {d}/>" for d in dates)
        lines.append(f"  <holiday{attr}>{name}{body}</holiday>")
    lines.append("</specialday>")
    with open(os.path.join(OUT, "holidays.xml"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("shift_jis"))


def main():
    os.makedirs(os.path.join(OUT, "wav"), exist_ok=True)
    iron_bell()
    glass_bell()
    paper_strip()
    black_gold_strip()
    app_title()
    maker_mark()
    icon()
    for i, (pitch, seconds) in enumerate([(1319.0, 1.2), (1568.0, 1.2), (988.0, 1.8), (784.0, 2.5)]):
        bell_strike(f"ling{i}.wav", pitch, seconds, 100 + i)
    holiday_table()


if __name__ == "__main__":
    main()
