copperleaf-effect 1
# The picture pulled towards or pushed away from "center".
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float2 amplitude
parameter float2 center
technique Main
pass P0
program radial_expand
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program radial_expand
sampler 0 Background
sampler 1 Mask
