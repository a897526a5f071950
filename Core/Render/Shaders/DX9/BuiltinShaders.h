#pragma once
// HLSL texts of the renderer's three built-in programs (geometry, textured multiply,
// textured tint). Vertex entry points are "vertex_shader" (vs_1_1), pixel entry
// points "pixel_shader" (ps_2_0); every vertex program takes the projection "Proj",
// every sampling pixel program the sampler "TextureSampler".

namespace render {

inline constexpr const char* gVertexShaderGeomText = R"(//gVertexShaderGeomText
float4x4 Proj;

struct VS_INPUT
{
    float3 pos : POSITION;
    float4 color : COLOR0;
};

struct VS_OUTPUT
{
    float4 Pos : POSITION;
    float4 Color : COLOR0;
};

VS_OUTPUT vertex_shader(VS_INPUT In)
{
    VS_OUTPUT Out;
    Out.Pos = mul(float4(In.pos, 1), Proj);
    Out.Color = In.color;
    return Out;
}
)";

inline constexpr const char* gPixelShaderGeomText = R"(//gPixelShaderGeomText
struct PS_INPUT
{
    float4 Pos : POSITION;
    float4 Color : COLOR0;
};

float4 pixel_shader(PS_INPUT Input) : COLOR0
{
    return Input.Color;
}
)";

inline constexpr const char* gVertexShaderTexturedMultText = R"(//gVertexShaderTexturedMultText
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
)";

inline constexpr const char* gPixelShaderTexturedMultText = R"(//gPixelShaderTexturedMultText
texture g_MeshTexture;

sampler TextureSampler = sampler_state
{
    Texture = <g_MeshTexture>;
    MipFilter = LINEAR;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
};

struct PS_INPUT
{
    float4 Pos : POSITION;
    float4 Color : COLOR0;
    float2 TuTv : TEXCOORD0;
};

float4 pixel_shader(PS_INPUT Input) : COLOR0
{
    float4 vColorOut;
    vColorOut = Input.Color*tex2D(TextureSampler, Input.TuTv);
    return vColorOut;
}
)";

inline constexpr const char* gVertexShaderTexturedTintText = R"(//gVertexShaderTexturedTintText
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
    float2 Tint : TEXCOORD1;
};

VS_OUTPUT vertex_shader(VS_INPUT In)
{
    VS_OUTPUT Out;
    Out.Pos = mul(In.pos, Proj);
    Out.Color = In.color;
    Out.TuTv = In.TuTv;
    Out.Tint.xy = In.colorSpec.gb;
    return Out;
}
)";

inline constexpr const char* gPixelShaderTexturedTintText = R"(//gPixelShaderTexturedTintText
texture g_MeshTexture;

sampler TextureSampler = sampler_state
{
    Texture = <g_MeshTexture>;
    MipFilter = LINEAR;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
};

struct PS_INPUT
{
    float4 Pos : POSITION;
    float4 Color : COLOR0;
    float2 TuTv : TEXCOORD0;
    float2 Tint : TEXCOORD1;
};

float4 pixel_shader(PS_INPUT Input) : COLOR0
{
    float4 vColorOut;
    float4 t = tex2D(TextureSampler, Input.TuTv);
    vColorOut.rgb = t.rgb*Input.Tint.y + Input.Color.rgb*Input.Tint.x;
    vColorOut.a = t.a*Input.Color.a;
    return vColorOut;
}
)";

} // namespace render
