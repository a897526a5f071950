"""Shader folders: "VS.hlsl" and "PS.hlsl" compiled by the renderer at run time.

The enemy shader draws a unit's sprite like the renderer's textured-multiply
program and then multiplies it by "color2", a second colour the unit's drawing code
sets for hit flashes and status effects (white leaves the sprite unchanged).
"""
import os

MOB_SHADER_FOLDER = os.path.join("td", "Shaders", "MobShader", "DX")

# The renderer's own program texts; the enemy shader is built from its textured-multiply
# pair, so the two cannot drift apart.
BUILTIN_SHADERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "Core", "Render",
                               "Shaders", "DX9", "BuiltinShaders.h")


def builtin_shader(name, header=BUILTIN_SHADERS):
    """The text of the built-in program `name` (a raw string of the renderer's header)."""
    with open(header, encoding="utf-8") as source:
        text = source.read()
    opening = f'{name} = R"('
    begin = text.find(opening)
    if begin < 0:
        raise ValueError(f"{header}: no built-in shader named {name}")
    begin += len(opening)
    end = text.find(')";', begin)
    if end < 0:
        raise ValueError(f"{header}: the text of {name} does not end")
    return text[begin:end]


def _replace_once(text, old, new, what):
    if text.count(old) != 1:
        raise ValueError(f"built-in textured-multiply program: expected one '{old.strip()}' ({what})")
    return text.replace(old, new)


def _retitle(text, title):
    """The program with its first line (a comment naming it) replaced by `title`."""
    return title + text[text.index("\n"):]


def mob_vertex_shader():
    return _retitle(builtin_shader("gVertexShaderTexturedMultText"), "//MobShader vertex program")


def mob_pixel_shader():
    text = _retitle(builtin_shader("gPixelShaderTexturedMultText"), "//MobShader pixel program")
    text = _replace_once(text, "\nstruct PS_INPUT",
                         "\n// The unit's tint: multiplies colour and opacity; white changes nothing.\n"
                         "float4 color2;\n\nstruct PS_INPUT", "the input of the pixel program")
    return _replace_once(text, "tex2D(TextureSampler, Input.TuTv);", "tex2D(TextureSampler, Input.TuTv)*color2;",
                         "the sampled colour")


def _write_text(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = text.encode("utf-8")
    # Unchanged files keep their time stamps, so nothing downstream rebuilds.
    if os.path.exists(path):
        with open(path, "rb") as existing:
            if existing.read() == data:
                return
    with open(path, "wb") as out:
        out.write(data)


def generate(out_dir, tools_dir):
    folder = os.path.join(out_dir, MOB_SHADER_FOLDER)
    _write_text(os.path.join(folder, "VS.hlsl"), mob_vertex_shader())
    _write_text(os.path.join(folder, "PS.hlsl"), mob_pixel_shader())
