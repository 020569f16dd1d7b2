copperleaf-effect 1
# A water surface: the picture displaced by a bump picture scrolled along two directions, lit so
# that slopes turned away from the light darken, and tinted by "Color".
parameter float2 Scale 1 1
parameter texture Mask
parameter texture Background
parameter texture BumpMap
parameter float4 BampTrans
parameter float3 P1
parameter float3 P2
parameter float Time
parameter float2 Direction1
parameter float2 Direction2
parameter float Shadows
parameter float3 Vhalf
parameter float3 Color 1 1 1
technique Main
pass P0
program water_surface
sampler 0 Background
sampler 1 Mask
sampler 2 BumpMap
technique MainFX
pass P0
program water_surface
sampler 0 Background
sampler 1 Mask
sampler 2 BumpMap
