copperleaf-effect 1
# Flames: the shape picture wobbled by three layers of rising noise, coloured from the edge colour
# (ColorK1) towards the core colour (ColorK1 + ColorK2) and as opaque as they are dense.
parameter matrix WorldViewProj
parameter matrix ViewProj
parameter texture Noise
parameter texture Pattern
parameter texture Mask
parameter texture Background
parameter float2 c11
parameter float2 c12
parameter float2 c13
parameter float3 ColorK1 1 0 0
parameter float3 ColorK2 0 1 0
parameter float2 bg_scale_factor 1 1
parameter float Brightness 0.3
parameter float Density 0
# The brush's own grid, placed in the layer by the brush's matrix.
technique Main
pass P0
program fire_flame
sampler 0 Pattern
sampler 1 Noise
sampler 2 Mask
state AlphaBlendEnable TRUE
state SrcBlend SrcAlpha
state DestBlend InvSrcAlpha
transform WorldViewProj
# A flame layer's quad.
technique AsEffect
pass P0
program fire_flame
sampler 0 Pattern
sampler 1 Noise
sampler 2 Mask
state AlphaBlendEnable TRUE
state SrcBlend SrcAlpha
state DestBlend InvSrcAlpha
transform WorldViewProj
