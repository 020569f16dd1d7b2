copperleaf-effect 1
# The picture shifted by "Direction".
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float2 Direction
technique Main
pass P0
program background_move
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program background_move
sampler 0 Background
sampler 1 Mask
