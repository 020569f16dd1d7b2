copperleaf-effect 1
# An explosion: a fireball whose edge is torn by two drifting layers of noise, coloured from the
# gradient picture and "color1", flashing white while "phase_1st" is high, and cooling to smoke of
# "color2" that the noise eats away while "phase_3rd" rises.
parameter texture GradientTex
parameter texture NoiseTex
parameter float3 color1 1 1 1
parameter float3 color2
parameter float4 noise_shift
parameter float3 noise_params 0.79 0.15 0.42
parameter float2 time 0 1
parameter float2 phase_3rd 0 1
parameter float phase_1st
technique Main
pass P0
program explosion_fireball
state CullMode None
sampler 0 GradientTex
sampler 1 NoiseTex
state AlphaBlendEnable TRUE
state SrcBlend SrcAlpha
state DestBlend InvSrcAlpha
