#!/usr/bin/env python3
"""Writes the demo catalogue: brand files, model index, pictures, price lists with shop pages,
and the program-folder files (config.tkm with its advertising). All text is our own.
Run it from anywhere; it rewrites demo/catalogue and demo/program except the hand-written
templates and pages, which live in demo/catalogue/Templates and demo/catalogue/adv/advertisement."""
import os
import random
import re
import shutil
import subprocess
import sys
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_pictures  # noqa: E402

CATALOGUE = os.path.join(HERE, "catalogue")
PROGRAM = os.path.join(HERE, "program")
rng = random.Random(2006)


def write(path, text, crlf=True):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if crlf:
        text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    with open(path, "wb") as f:
        f.write(text.encode("cp1251"))


def write_bytes(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---- Brands and models ------------------------------------------------------------------------

# file name part, index spelling, model names (the brand files' spelling), names in the index
BRANDS = [
    ("nokia", "Nokia", ["1100", "1110", "1600", "2100", "2600", "2610", "3100", "3110 classic", "3200",
                        "3220", "3230", "3250", "3310", "5140", "5200", "5300", "6020", "6030", "6070",
                        "6100", "6131", "6230", "6230i", "6233", "6270", "6280", "6300", "6600",
                        "6630", "6680", "7260", "7610", "8800", "N70", "N73"]),
    ("sonyericsson", "Sony-Ericsson", ["J100i", "J200i", "J300i", "K300i", "K310i", "K500i", "K510i",
                        "K550i", "K600i", "K610i", "K700i", "K750i", "K790i", "K800i", "M600i",
                        "P910i", "P990i", "S700i", "T610", "T630", "W300i", "W550i", "W600i", "W700i",
                        "W800i", "W810i", "W850i", "W900i", "Z300i", "Z520i", "Z530i", "Z550i"]),
    ("samsung", "Samsung", ["sgh C100", "sgh C140", "sgh C300", "sgh D500", "sgh D600", "sgh D800",
                        "sgh D900", "sgh E250", "sgh E330", "sgh E350", "sgh E370", "sgh E530",
                        "sgh E700", "sgh E720", "sgh E770", "sgh E810", "sgh E900", "sgh X100",
                        "sgh X480", "sgh X640", "sgh X660", "sgh X700", "sgh Z140", "sgh Z500",
                        "sgh P300", "sgh P310", "sgh U600", "sgh U700", "sch W579", "sph A800"]),
    ("alcatel", "Alcatel", ["ot 153", "ot 156", "ot 203", "ot 222", "ot 252", "ot 356", "ot 526",
                        "ot 531", "ot 535", "ot 556", "ot 557", "ot 565", "ot 708", "ot 715",
                        "ot 735", "ot 756", "ot C550", "ot C651", "ot C700", "ot C701", "ot C750",
                        "ot C825", "ot E160", "ot E205", "ot E227", "ot E259", "ot S320", "ot S520",
                        "ot S621", "ot S853"]),
    ("lg", "LG", ["B2000", "C1100", "C2200", "C3300", "F2400", "G1600", "G5300", "G5400", "G7100",
                  "KE800", "KE970", "KG200", "KG220", "KG800", "L1100", "L3100", "M4410", "S5100",
                  "T5100", "U8120", "U8330", "U8380", "U8550", "U880", "U890", "U900", "KG320",
                  "KE500", "KG225", "KG270"]),
    ("benq-siemens", "BenQ-Siemens", ["AL26", "C81", "CF61", "CF75", "E61", "E71", "E81", "EF51",
                  "EF61", "EF71", "EF81", "EF91", "M81", "S68", "S81", "S88", "SL91", "CL71",
                  "A38", "A58", "AF51", "C31", "E52", "EL71", "M65", "S65", "SK65", "SXG75", "CX75",
                  "AP75"]),
    ("motorola", "Motorola", ["C115", "C118", "C139", "C155", "C261", "C380", "C650", "E1",
                  "E1000", "E398", "E680i", "K1", "L2", "L6", "L7", "PEBL U6", "RAZR V3",
                  "RAZR V3i", "RAZR V3x", "RIZR Z3", "ROKR E2", "SLVR L7", "V180", "V220", "V360",
                  "V500", "V547", "V600", "V635", "W220"]),
    ("siemens", "Siemens", ["A55", "A60", "A62", "A65", "A75", "AX72", "C55", "C60", "C62", "C65",
                  "C70", "C72", "C75", "CF62", "CX65", "CX70", "M55", "M65i", "M75", "MC60", "S55",
                  "S65i", "S75", "SL55", "SL65", "SL75", "SX1", "ST55", "ST60", "SF65"]),
    ("asus", "ASUS", ["J101", "J102", "J201", "J202", "J206", "M303", "M310", "M530w", "P525",
                  "P526", "P527", "P535", "P735", "P750", "V66", "V75", "V80", "V88", "Z801",
                  "Z810", "J501", "J502", "M930", "P320", "V55", "V70", "Z301", "Z302"]),
    ("enol", "eNOL", ["E100", "E110", "E200", "E210", "E300", "E310", "E400", "E410", "E500",
                  "E510", "F100", "F200", "F300", "S100", "S200", "S300", "E600", "E610", "F400", "F410",
                  "S400", "S410", "T100", "T200", "T300", "T310"]),
]
# Models added to the brand files after those of BRANDS, all of them described in the index;
# Fly has no others. Their seeds follow those of BRANDS.
ADDED_LATER = {"Fly": ["MP500", "SL300m", "SX210", "X7"], "Nokia": ["E61", "N80"],
               "Sony-Ericsson": ["K770i"]}

# The body of each picture's form (make_pictures), as property 51 of the index names it:
# classic, flip, slider, and the smartphone's classic body.
FORM_BODIES = {0: 0, 1: 2, 2: 1, 3: 0}


def index_spelling(brand_key, name):
    if brand_key == "alcatel":
        return name.replace("ot ", "OneTouch ")
    if brand_key == "samsung":
        return name.replace("sgh ", "SGH-").replace("sch ", "SCH-").replace("sph ", "SPH-")
    return name


def picture_name(name):
    return "".join(c if c.isalnum() else "_" for c in name.lower()) + ".png"


class Model:
    """A model's one record: the brand file, the index line, the picture and the price lines
    are all written from it, so the pages, the comparison and the models list say the same."""

    def __init__(self, brand_key, index_brand, name, seed, described_later=False):
        self.brand_key, self.index_brand, self.name = brand_key, index_brand, name
        self.seed = seed
        self.described_later = described_later
        r = random.Random(seed)
        self.form = r.choice([0, 0, 0, 1, 1, 2, 3])
        self.year = r.choice(["2003", "2004", "2005", "2005", "2006", "2006", "2007"])
        self.colour = self.form == 3 or r.random() < 0.85
        self.flags = ["0"] * 27
        self.flags[0] = "1" if self.colour else "0"
        for k, p in [(1, .8), (2, .85), (3, .4), (4, .4), (5, .5), (6, .05), (7, .6), (8, .7),
                     (9, .95), (10, .9), (11, .4), (12, .5), (13, .2), (14, .5), (15, .6), (16, .9),
                     (17, .75), (18, .5), (19, .6), (20, .8), (21, .7), (22, .5), (23, .35),
                     (24, .3), (25, .45), (26, .1)]:
            self.flags[k] = "1" if r.random() < p else "0"
        self.price_usd = r.randrange(40, 700, 5)
        self.rows = str(r.choice([4, 5, 6, 7, 8, 10]))
        self.sar = f"{r.randrange(30, 150) / 100:.2f} Вт/кг"
        self.picture = picture_name(name)
        # What both the brand file and the index say, as values of the index's properties.
        v = random.Random(seed * 7 + 3)
        pick = lambda p, fits=None: VOCABULARY.pick(p, v, fits)
        self.standard = VOCABULARY.number(14, r_standard(seed))
        self.dims = pick(43)
        self.weight = pick(7, lambda w: w.isdigit() and 65 <= int(w) <= 170)
        self.body = FORM_BODIES[self.form] if v.random() < .95 else v.choice([3, 4, 5])
        self.antenna = VOCABULARY.number(5, "встроенная" if seed % 5 else "внешняя")
        self.battery_kind = pick(49, lambda k: k in ("Li-Ion", "Li-Polymer"))
        self.battery = pick(19, lambda c: 600 <= mah(c) <= 1400)
        self.standby = pick(10, lambda t: 150 <= hours(t) <= 450)
        self.talk = pick(11, lambda t: 120 <= minutes(t) <= 480)
        self.melodies = pick(55, lambda m: m.isdigit() and int(m) >= 10)

    def text(self, prop, number):
        return VOCABULARY.values[prop][number]

    def library_record(self):
        t = self.text
        return [self.name, t(14, self.standard), t(43, self.dims),
                f"{t(49, self.battery_kind)} {t(19, self.battery)}", t(51, self.body),
                t(5, self.antenna), self.sar, self.year, f"{t(7, self.weight)} г",
                t(10, self.standby), t(11, self.talk), self.rows, str(100 * (1 + self.seed % 10)),
                t(55, self.melodies), "".join(self.flags),
                "" if self.seed % 11 == 0 else str(self.price_usd), self.picture]

    def index_line(self):
        r = random.Random(self.seed * 31)
        f = self.flags
        smart = self.form == 3
        entries = []
        add = lambda p, v: entries.append(f"{p}({v})")
        pick = lambda p, fits=None: add(p, VOCABULARY.pick(p, r, fits))
        if smart or r.random() < .1:
            add(48, 0 if smart else r.randrange(1, 14))
        add(14, self.standard)
        add(43, self.dims)
        add(7, self.weight)
        add(51, self.body)
        add(5, self.antenna)
        if r.random() < .3:
            pick(29)
        if f[12] == "1" or f[13] == "1":
            pick(54)
        add(49, self.battery_kind)
        add(19, self.battery)
        if r.random() < .2:
            pick(20, lambda v: mah(v) <= 1000)
        pick(9, lambda v: hours(v) <= 4)
        add(10, self.standby)
        add(11, self.talk)
        add(52, VOCABULARY.pick(52, r, lambda v: "голосн" in v) if f[17] == "1" else r.choice([18, 19]))
        add(55, self.melodies)
        if r.random() < .5:
            pick(44)
        add(8, 0 if f[16] == "1" else 1)
        if f[15] == "1":
            add(13, 0)
        if r.random() < .5:
            add(4, 0)
        if r.random() < .4:
            pick(41)
        if self.colour:
            pick(53, lambda v: v.startswith("цветной") and ("сенсорный" in v) == smart)
        else:
            add(53, r.choice([0, 1]))
        pick(42, lambda v: screen_fits(v, 64, 176) if not smart else screen_fits(v, 128, 320))
        if self.form == 1:
            pick(17, lambda v: v in ("внешний", "есть") or screen_fits(v, 64, 128))
        if r.random() < .3:
            pick(25)
        if f[22] == "1":
            pick(12, lambda v: not v.startswith("нет") and megapixels(v) <= 2)
            add(22, 0)
        else:
            add(12, 124)
        if r.random() < .2:
            pick(27, lambda v: megapixels(v) < 1)
        if f[20] == "1":
            add(24, 0)
        if f[21] == "1":
            add(1, 0)
        if f[23] == "1" or f[24] == "1":
            add(6, {(True, True): r.choice([1, 2]), (True, False): r.choice([3, 4]),
                    (False, True): 0}[(f[23] == "1", f[24] == "1")])
        if r.random() < .3:
            add(23, 0)
        if r.random() < .4:
            pick(45)
        if f[18] == "1":
            add(0, 0)
        if f[19] == "1":
            add(2, 0)
        pick(16)
        interfaces = {(False, False, False): 1, (False, False, True): 3, (True, False, False): 5,
                      (False, True, False): 0, (True, True, False): 6, (False, True, True): 16,
                      (True, False, True): 12, (True, True, True): 13}
        add(26, interfaces[(f[4] == "1", f[25] == "1", r.random() < .6)])
        if f[3] == "1":
            add(30, 0)
        wap, gprs = f[2] == "1", f[1] == "1"
        add(18, r.choice([18, 19, 27, 31, 35, 47, 52]) if wap and gprs else
            r.choice([16, 17, 23, 43]) if wap else r.choice([2, 3, 6, 9]) if gprs else r.choice([0, 60]))
        if r.random() < .5:
            pick(47)
        pick(21)
        if f[7] == "1":
            pick(36)
        if r.random() < .6:
            add(39, 0)
        # Memory as phones of these years had it: kilobytes to tens of megabytes, more in
        # smartphones.
        pick(32, lambda v: 0.1 <= megabytes(v) <= (256 if smart else 64))
        if smart or r.random() < .6:
            pick(33, lambda v: (8 <= megabytes(v) <= 128) if smart else 0 < megabytes(v) <= 4)
        if smart and r.random() < .5:
            pick(34)
        if r.random() < .5:
            pick(31)
        if r.random() < .4:
            pick(50, lambda v: v != "нет")
        if f[14] == "1":
            pick(15)
        if smart:
            pick(35)
            pick(38, lambda v: 100 <= megahertz(v) <= 416)
            pick(40, lambda v: v in ("32-разрядный", "одноядерный"))
            if r.random() < .4:
                add(3, 0)
        pick(46)
        pick(28)
        features = [r.randrange(VOCABULARY.count(37)) for _ in range(r.randrange(1, 4))]
        if f[11] == "1":
            features.append(r.choice([277, 278, 312]))  # currency converter
        if f[8] == "1":
            features.append(183)  # calendar
        for v in features:
            add(37, v)
        picture = f"|\\{self.brand_key}\\{self.picture}"
        return f"{self.index_brand}|{index_spelling(self.brand_key, self.name)}|" + "|".join(entries) + picture


class Vocabulary:
    """The value lists of src/selection/property_vocabulary.txt: an index entry P(V) names line V
    of property P's list."""

    def __init__(self, path):
        self.values, current = {}, None
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.rstrip("\n")
                if line.startswith(";") or not line:
                    continue
                if line.startswith("["):
                    current = int(line[1:line.index("]")])
                    self.values[current] = []
                else:
                    self.values[current].append(line)

    def count(self, prop):
        return len(self.values[prop])

    def has(self, prop, text):
        return text in self.values[prop]

    def number(self, prop, text):
        return self.values[prop].index(text)

    def pick(self, prop, r, fits=None):
        numbers = [n for n, v in enumerate(self.values[prop]) if fits is None or fits(v)]
        assert numbers, f"no value of property {prop} fits"
        return r.choice(numbers)


VOCABULARY = Vocabulary(os.path.join(HERE, "..", "src", "selection", "property_vocabulary.txt"))


def leading_number(text, units):
    """The number before one of units in text ("до 2 ч" -> 2), or None."""
    m = re.search(r"([\d.]+) (" + "|".join(units) + r")\b", text)
    return (float(m.group(1)), m.group(2)) if m else (None, None)


def megabytes(text):
    n, unit = leading_number(text, ["Кб", "Мб", "Гб"])
    return -1 if n is None else n * {"Кб": 1 / 1024, "Мб": 1, "Гб": 1024}[unit]


def megapixels(text):
    n, _ = leading_number(text, ["млн"])
    return 99 if n is None else n


def megahertz(text):
    n, _ = leading_number(text, ["МГц"])
    return -1 if n is None else n


def hours(text):
    n, _ = leading_number(text, ["ч"])
    return 99 if n is None else n


def minutes(text):
    n, _ = leading_number(text, ["мин"])
    return -1 if n is None else n


def mah(text):
    n, _ = leading_number(text, ["мАч"])
    return 99999 if n is None else n


def screen_fits(text, shortest, longest):
    """Whether text names a screen size "WxH" of a usual shape with sides between shortest and
    longest pixels."""
    m = re.search(r"(\d+)x(\d+)", text)
    if m is None:
        return False
    short, long = sorted((int(m.group(1)), int(m.group(2))))
    return shortest <= short and long <= longest and long <= 1.5 * short


def r_standard(seed):
    return ["GSM 900/1800", "GSM 900/1800/1900", "GSM 850/900/1800/1900",
            "GSM 900/1800, UMTS 2100"][seed % 4]


def build_models():
    models, seed = [], 1
    for key, index_brand, names in BRANDS:
        for name in names:
            models.append(Model(key, index_brand, name, seed))
            seed += 1
    for index_brand, names in ADDED_LATER.items():
        key = index_brand.lower().replace("-", "")
        for name in names:
            models.append(Model(key, index_brand, name, seed, described_later=True))
            seed += 1
    return models


def brands_of(models):
    """Each brand's file name part and index spelling, in the order of their first models."""
    brands = {}
    for m in models:
        brands.setdefault(m.brand_key, m.index_brand)
    return list(brands.items())


def brand_file_text(key, index_brand, models):
    """The brand file of brand key: the records of its models that the brand files describe."""
    lines = ['<?xml version="1.0" encoding="windows-1251"?>',
             f'<brand name="{escape(index_brand)}">']
    for m in models:
        if m.brand_key != key:
            continue
        lines.append("  <model>")
        for field, value in zip(["Model", "Standart", "Sizes", "Acc_Type", "Form_Fact", "Antenna",
                                 "SAR", "Vipusk", "Weight", "Wait_Time", "Work_Time", "Disp_Rows",
                                 "Mem_Rec", "Progr_Mel", "Properties", "Price", "Picture"],
                                m.library_record()):
            lines.append(f"    <{field}>{escape(value)}</{field}>")
        lines.append("  </model>")
    lines.append("</brand>")
    return "\n".join(lines) + "\n"


def write_brand_files(models):
    for key, index_brand in brands_of(models):
        write(os.path.join(CATALOGUE, "Base", f"{key}_new.xml"),
              brand_file_text(key, index_brand, models))


def write_index(models):
    # Alcatel's and Samsung's models all, since the index spells their names otherwise than the
    # brand files ("OneTouch 535" for "ot 535") and the models list shows the index's spelling
    # only for the models the index describes.
    chosen = [m for m in models if m.described_later or m.seed % 2 == 0
              or m.brand_key in ("samsung", "alcatel")]
    lines = [m.index_line() for m in chosen]
    write(os.path.join(CATALOGUE, "Base", "base.tkm"), "\n".join(lines) + "\n")
    return chosen


def write_pictures(models):
    for m in models:
        write_bytes(os.path.join(CATALOGUE, "Pics", m.brand_key, m.picture),
                    make_pictures.phone(m.seed, m.form))
    png = os.path.join(CATALOGUE, "Pics", "noimage.png")
    write_bytes(png, make_pictures.no_image())
    jpg = os.path.join(CATALOGUE, "Pics", "noimage.jpg")
    if shutil.which("convert"):
        subprocess.run(["convert", png, "-quality", "85", jpg], check=True)
        os.remove(png)
    else:
        os.replace(png, jpg)  # browsers read the picture by its contents


SHOPS = [
    ("alfa.prc", "Салон связи «Альфа»", "alfa.html", 1.00),
    ("telemarket.prc", "Телемаркет", "telemarket.html", 0.96),
    ("mobilnyi_mir.prc", "Мобильный мир", "mobilnyi_mir.html", 1.04),
]


def library_brand_of(m):
    return {"sonyericsson": "Sonyericsson", "benq-siemens": "BenQ-Siemens"}.get(m.brand_key, m.index_brand)


def price_list_name(m, indexed):
    """The name under which the models list asks the price lists for m: the index's spelling
    when the index describes m, otherwise the brand file's."""
    return index_spelling(m.brand_key, m.name) if m in indexed else m.name


def shops_of(m):
    """The shops that offer m: about two in three each, and always at least one."""
    r = random.Random(m.seed * 17)
    chosen = [n for n in range(len(SHOPS)) if r.random() >= .35]
    return chosen or [m.seed % len(SHOPS)]


def offer_lines(m, described, roubles, upper=False):
    """A shop's offer of m at the price, once under every name the program looks its offers up
    by: the models list and the short page ask by the brand files' brand, the full page of a
    model the index describes by the box's ("Sonyericsson K750i", "Sony-Ericsson K750i")."""
    names = [f"{library_brand_of(m)} {price_list_name(m, described)}"]
    if m in described:
        names.append(f"{m.index_brand} {index_spelling(m.brand_key, m.name)}")
    lines = []
    for name in dict.fromkeys(names):
        lines.append(f"{name.upper() if upper else name}^{roubles}")
    return lines


def write_price_lists(models, indexed):
    indexed = set(indexed)
    for n, (file_name, shop, page, factor) in enumerate(SHOPS):
        r = random.Random(100 + n)
        lines = [shop, page]
        for m in models:
            if n not in shops_of(m):
                continue
            roubles = round(m.price_usd * 28 * factor * r.uniform(.93, 1.08) / 10) * 10
            lines += offer_lines(m, indexed, roubles, upper=r.random() < .1)
        write(os.path.join(CATALOGUE, "adv", "prices", file_name), "\n".join(lines) + "\n")
        # The offers of a model page link to the shop pages relative to Templates/, the page
        # of all offers by absolute path to adv/prices/html/: the pages stand in both places,
        # each leading back to the page that links to it (pages have no script to go back).
        for folder, css, back in (
                (CATALOGUE, "../../../Templates/style.css", "../../../Templates/price_temp.html"),
                (os.path.join(CATALOGUE, "Templates"), "../../../style.css", "../../../temp.html")):
            write(os.path.join(folder, "adv", "prices", "html", page),
                  SHOP_PAGE.format(shop=shop, css=css, back=back))


SHOP_PAGE = """<html><head><meta charset="windows-1251"><title>{shop}</title>
<link rel="stylesheet" href="{css}"></head>
<body class="page"><div class="sheet" style="padding:16px 24px"><h1 style="margin-top:0">{shop}</h1>
<p class="normal">Телефоны всех марок с гарантией, доставка по городу в день заказа,
оплата наличными и картой. Цены в прайс-листе указаны в рублях и действуют при покупке
в салоне.</p>
<p class="normal">Адрес: ул. Садовая, 12. Телефон: (000) 123-45-67. Ежедневно с 9 до 21 часа.</p>
<p class="normalgray"><a class="normalgray" href="{back}">&larr; Назад</a></p>
</div></body></html>
"""


ADVERTS = [
    ("Салон связи «Альфа»", "<b>Скидки до 20%</b> на раскладушки до конца месяца.<br>"
     "Подарок &mdash; чехол к каждому телефону.", "adv\\alfa.html"),
    ("Телемаркет", "Обмен старого телефона на новый с доплатой.<br><i>Оценка за пять минут.</i>",
     "adv\\telemarket.html"),
    ("Мобильный мир", "Доставка в день заказа по всему городу.<br>Оплата при получении.",
     "adv\\mobilnyi_mir.html"),
]


def write_program_folder():
    lines = ["; Trubkom configuration: advertising of the description pages", "[adv_text]"]
    for n, (title, body, link) in enumerate(ADVERTS):
        lines += ["{item " + str(n + 1) + "}", f"{title}(htmlcode){body}", f"(/htmlcode){link}", "{/item}"]
    lines += ["[/adv_text]", "", "[adv_pagebanner]",
              "adv\\banner1.png%adv\\alfa.html", "adv\\banner2.png%adv\\telemarket.html",
              "adv\\banner3.png", "[/adv_pagebanner]"]
    write(os.path.join(PROGRAM, "config.tkm"), "\n".join(lines) + "\n")
    for n in range(3):
        write_bytes(os.path.join(PROGRAM, "adv", f"banner{n + 1}.png"), make_pictures.banner(n))
    for title, body, link in ADVERTS:
        write(os.path.join(PROGRAM, link.replace("\\", "/")),
              f"<html><head><meta charset=\"windows-1251\"><title>{title}</title></head>"
              f"<body style=\"font:13px Tahoma,sans-serif;margin:24px;color:#1d2f4f\">"
              f"<h2 style=\"color:#2C60AC\">{title}</h2><p>{body}</p></body></html>\n")


def main():
    models = build_models()
    for folder in ("Base", "Pics", os.path.join("adv", "prices"), os.path.join("Templates", "adv")):
        shutil.rmtree(os.path.join(CATALOGUE, folder), ignore_errors=True)
    shutil.rmtree(PROGRAM, ignore_errors=True)
    write_brand_files(models)
    indexed = write_index(models)
    write_pictures(models)
    write_price_lists(models, indexed)
    write_program_folder()
    print(f"{len(models)} models in brand files, {len(indexed)} in the index")


if __name__ == "__main__":
    main()
