copperleaf-effect 1
# The picture turned by "coord_transf" around the centre and moved by "offset".
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float4 coord_transf 1 0 0 1
parameter float2 offset
technique Main
pass P0
program turned_background
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program turned_background
sampler 0 Background
sampler 1 Mask
