copperleaf-effect 1
# The picture brightened by "multiplier" where the mask lets it.
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float multiplier
technique Main
pass P0
program light_pulse
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program light_pulse
sampler 0 Background
sampler 1 Mask
