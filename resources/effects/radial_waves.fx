copperleaf-effect 1
# Rings of waves around "center" that push the picture along the radius.
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float2 bg_scale_factor 1 1
parameter float2 center
parameter float frequency
parameter float amplitude
parameter float time
technique Main
pass P0
program radial_waves
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program radial_waves
sampler 0 Background
sampler 1 Mask
