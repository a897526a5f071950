"""The store's product list "td/inapp.xml": every product the game buys.

Gem packs, the health refill and the upgrade reset are consumables; the three boosts
of the boost shop are bought once and stay owned. Each product names the price the
simulated store quotes for it: the bigger the pack, the higher the price, and the
more gems a dollar buys.
"""
import os
from xml.sax.saxutils import quoteattr

# (product id, display text, consumable, price)
PRODUCTS = [
    ("buy_100_cr", "100 gems", True, "$0.99"),
    ("buy_300_cr", "300 gems", True, "$2.49"),
    ("buy_500_cr", "600 gems", True, "$4.49"),
    ("buy_1000_cr", "2000 gems", True, "$12.99"),
    ("buy_2500_cr", "4500 gems", True, "$24.99"),
    ("buy_health", "Full health", True, "$0.99"),
    ("reset_upgrades", "Reset upgrades", True, "$0.99"),
    ("extra_energy", "Extra energy", False, "$1.99"),
    ("energy_speed", "Faster energy", False, "$1.99"),
    ("energy_refill", "Energy refill", False, "$2.99"),
]


def generate(out_dir, tools_dir):
    td = os.path.join(out_dir, "td")
    os.makedirs(td, exist_ok=True)
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<xml>"]
    for name, text, consumable, price in PRODUCTS:
        kind = "consumable" if consumable else "non-consumable"
        lines.append("  <Product name=%s text=%s type=%s price=%s/>"
                     % (quoteattr(name), quoteattr(text), quoteattr(kind), quoteattr(price)))
    lines.append("</xml>")
    with open(os.path.join(td, "inapp.xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
