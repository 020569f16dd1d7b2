copperleaf-effect 1
# The picture copied over itself, shifted by "offset" (in picture widths and heights); past a
# whole picture the copy shows the picture mirrored, as the layer's sampler does.
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter float2 offset
technique Main
pass P0
program background_copy
sampler 0 Background
sampler 1 Mask
technique MainFX
pass P0
program background_copy
sampler 0 Background
sampler 1 Mask
