copperleaf-effect 1
# Straight waves that run along "direction" and push the picture sideways along "direction_n".
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float2 direction
parameter float2 direction_n
parameter float frequency
parameter float amplitude
parameter float time
technique Main
pass P0
program straight_waves
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program straight_waves
sampler 0 Background
sampler 1 Mask
