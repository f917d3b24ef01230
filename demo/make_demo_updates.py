#!/usr/bin/env python3
"""Writes the sources of the demo update packages into demo/updates/<base name>/: each folder
holds its update script and payload, and the build seals it as build/demo-server/updates/
<base name>.upd. Every package adds a few models of one brand to the demo catalogue that
demo/make_demo.py writes: the replaced brand file, index lines, pictures, price lines and the
package's .new file. Run it from anywhere; it rewrites demo/updates.

Packages are applied in the byte order of their names, not by date, so each one replaces a
different brand file: a later replacement of the same brand file would drop the models that
another package added."""
import os
import random
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_demo  # noqa: E402
import make_pictures  # noqa: E402

UPDATES = os.path.join(HERE, "updates")

# base name, brand file part, new models, the shops (make_demo.SHOPS) that list them, message
PACKAGES = [
    ("upd150107", "nokia", ["5070", "6125", "E65"], [0, 1], None),
    ("upd120307", "sonyericsson", ["K810i", "W610i", "W880i"], [1],
     "Добавлены три новые модели Sony-Ericsson с ценами магазина «Телемаркет». Приятного выбора!"),
    ("upd050507", "lg", ["KE850", "KG290"], [0, 2], None),
]
FIRST_SEED = 1200  # beyond the seeds of the demo catalogue's models


def index_brand_of(key):
    return next(brand for k, brand, _ in make_demo.BRANDS if k == key)


def new_models(key, names, first_seed):
    brand = index_brand_of(key)
    return [make_demo.Model(key, brand, name, first_seed + n) for n, name in enumerate(names)]


def listed_name(m):
    """The name under which the models list shows m: the index's spelling, since the packages
    give every new model an index line."""
    return make_demo.index_spelling(m.brand_key, m.name)


def price_lines(models, shop):
    _, _, _, factor = make_demo.SHOPS[shop]
    r = random.Random(200 + shop)
    lines = []
    for m in models:
        roubles = round(m.price_usd * 28 * factor * r.uniform(.93, 1.08) / 10) * 10
        lines += make_demo.offer_lines(m, models, roubles)
    return lines


def write_package(base, key, names, shops, message, first_seed):
    folder = os.path.join(UPDATES, base)
    models = new_models(key, names, first_seed)
    brand = index_brand_of(key)
    text = lambda name, lines: make_demo.write(os.path.join(folder, name), "\n".join(lines) + "\n")

    brand_file = f"{key}_new.xml"
    make_demo.write(os.path.join(folder, brand_file),
                    make_demo.brand_file_text(key, brand, make_demo.build_models() + models))
    text("base_lines.tkm", [m.index_line() for m in models])
    for m in models:
        make_demo.write_bytes(os.path.join(folder, "pics", m.picture),
                              make_pictures.phone(m.seed, m.form))
    text(f"{base}.new", [f"{brand} {listed_name(m)} *" for m in models])

    script = [f"MESSAGE {message}"] if message else []
    script += [f"REPLACEFILE Base\\{brand_file} WITH {brand_file}",
               "ADDTOFILE base_lines.tkm TO Base\\base.tkm"]
    script += [f"ADDFILE pics\\{m.picture} TO Pics\\{key}\\" for m in models]
    for shop in shops:
        price_list = make_demo.SHOPS[shop][0]
        text(price_list, price_lines(models, shop))
        script.append(f"ADDTOFILE {price_list} TO adv\\prices\\{price_list}")
    # Last, so that a package stopped half-way is not taken as applied.
    script.append(f"ADDFILE {base}.new TO updates\\")
    text(f"{base}.tkm", script)


def main():
    shutil.rmtree(UPDATES, ignore_errors=True)
    seed = FIRST_SEED
    for base, key, names, shops, message in PACKAGES:
        write_package(base, key, names, shops, message, seed)
        seed += len(names)
    print(f"{len(PACKAGES)} update packages in {UPDATES}")


if __name__ == "__main__":
    main()
