#!/usr/bin/python3
"""Builds the demo content tree the program runs on.

Everything is drawn or written from code, deterministically: the same input gives
the same bytes. Each module of this package adds the files one part of the program
reads; this script only runs them in order.

Usage: generate.py OUTPUT_FOLDER [--tools FOLDER]
  --tools names the folder holding the project's own writers (built by CMake).
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fonts  # noqa: E402
import shaders  # noqa: E402
import shell  # noqa: E402
import products  # noqa: E402
import sounds  # noqa: E402
import world_art  # noqa: E402
import world_sheets  # noqa: E402
import world_levels  # noqa: E402
import spells  # noqa: E402
import ui_atlas  # noqa: E402
import effects  # noqa: E402
import drops  # noqa: E402
import screens_hud  # noqa: E402
import screens_menus  # noqa: E402
import towers  # noqa: E402
import screens_shops  # noqa: E402
import tutorial  # noqa: E402

GENERATORS = [("shaders", shaders.generate), ("fonts", fonts.generate), ("shell", shell.generate), ("world_sheets", world_sheets.generate), ("world_art", world_art.generate), ("world_levels", world_levels.generate), ("spells", spells.generate), ("sounds", sounds.generate), ("products", products.generate), ("ui_atlas", ui_atlas.generate), ("effects", effects.generate), ("screens_hud", screens_hud.generate), ("screens_menus", screens_menus.generate), ("drops", drops.generate), ("towers", towers.generate), ("tutorial", tutorial.generate), ("screens_shops", screens_shops.generate)]  # (name, function(out_dir, tools_dir)) in the order they run


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--tools", default="")
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    for name, generate in GENERATORS:
        generate(args.output, args.tools)
    return 0


if __name__ == "__main__":
    sys.exit(main())
