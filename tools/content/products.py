"""The store's product list "td/inapp.xml": every product the game buys.

Gem packs, the health refill and the upgrade reset are consumables; the three boosts
of the boost shop are bought once and stay owned.
"""
import os
from xml.sax.saxutils import quoteattr

# (product id, display text, consumable)
PRODUCTS = [
    ("buy_100_cr", "100 gems", True),
    ("buy_300_cr", "300 gems", True),
    ("buy_500_cr", "600 gems", True),
    ("buy_1000_cr", "2000 gems", True),
    ("buy_2500_cr", "4500 gems", True),
    ("buy_health", "Full health", True),
    ("reset_upgrades", "Reset upgrades", True),
    ("extra_energy", "Extra energy", False),
    ("energy_speed", "Faster energy", False),
    ("energy_refill", "Energy refill", False),
]


def generate(out_dir, tools_dir):
    td = os.path.join(out_dir, "td")
    os.makedirs(td, exist_ok=True)
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<xml>"]
    for name, text, consumable in PRODUCTS:
        kind = "consumable" if consumable else "non-consumable"
        lines.append("  <Product name=%s text=%s type=%s/>" % (quoteattr(name), quoteattr(text), quoteattr(kind)))
    lines.append("</xml>")
    with open(os.path.join(td, "inapp.xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
