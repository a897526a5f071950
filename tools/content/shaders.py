"""Shader folders: "VS.hlsl" and "PS.hlsl" compiled by the renderer at run time.

The enemy shader draws a unit's sprite like the renderer's textured-multiply
program and then multiplies it by "color2", a second colour the unit's drawing code
sets for hit flashes and status effects (white leaves the sprite unchanged).
"""
import os

MOB_SHADER_FOLDER = os.path.join("td", "Shaders", "MobShader", "DX")

MOB_VERTEX_SHADER = """//MobShader vertex program
float4x4 Proj;

struct VS_INPUT
{
    float4 pos : POSITION;
    float4 color : COLOR0;
    float4 colorSpec : COLOR1;
    float2 TuTv : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 Pos : POSITION;
    float4 Color : COLOR0;
    float2 TuTv : TEXCOORD0;
};

VS_OUTPUT vertex_shader(VS_INPUT In)
{
    VS_OUTPUT Out;
    Out.Pos = mul(In.pos, Proj);
    Out.Color = In.color;
    Out.TuTv = In.TuTv;
    return Out;
}
"""

MOB_PIXEL_SHADER = """//MobShader pixel program
texture g_MeshTexture;

sampler TextureSampler = sampler_state
{
    Texture = <g_MeshTexture>;
    MipFilter = LINEAR;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
};

// The unit's tint: multiplies colour and opacity; white changes nothing.
float4 color2;

struct PS_INPUT
{
    float4 Pos : POSITION;
    float4 Color : COLOR0;
    float2 TuTv : TEXCOORD0;
};

float4 pixel_shader(PS_INPUT Input) : COLOR0
{
    float4 vColorOut;
    vColorOut = Input.Color*tex2D(TextureSampler, Input.TuTv)*color2;
    return vColorOut;
}
"""


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
    _write_text(os.path.join(folder, "VS.hlsl"), MOB_VERTEX_SHADER)
    _write_text(os.path.join(folder, "PS.hlsl"), MOB_PIXEL_SHADER)
