copperleaf-effect 1
# Hot air over the flames: the drawn scene shifted by a signed bump picture that scrolls upwards.
parameter texture SceneTex
parameter texture Bumpmap
parameter float stenght
parameter float2 Offset
parameter float2 bump_scale 1 1
technique BumpmapDistortLow2
pass P0
program heat_distortion
sampler 0 SceneTex
sampler 1 Bumpmap
state AlphaBlendEnable FALSE
