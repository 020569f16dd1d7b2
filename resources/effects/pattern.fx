copperleaf-effect 1
# A pattern picture tiled over the picture, turned by "coord_transf" and moved by "offset".
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter texture Pattern
parameter float2 scale 1 1
parameter float2 offset
parameter float4 coord_transf 1 0 0 1
technique Main
pass P0
program tiled_pattern
sampler 0 Background
sampler 1 Mask
sampler 2 Pattern
technique MainFX
pass P0
program tiled_pattern
sampler 0 Background
sampler 1 Mask
sampler 2 Pattern
