copperleaf-effect 1
# The picture wobbled as if seen through moving water.
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float2 frequency
parameter float amplitude
parameter float time
technique Main
pass P0
program underwater_wobble
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program underwater_wobble
sampler 0 Background
sampler 1 Mask
