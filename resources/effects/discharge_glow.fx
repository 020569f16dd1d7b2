copperleaf-effect 1
# The glow of a discharge: every segment's glow picture gathered into the glow target keeping the
# brighter value, the layer redrawn from its background lit by that glow tinted by "BlendColor"
# (added as light for "Blend_Screen", laid over for "Blend_Normal"), and the bolt pictures on top.
# A segment's quad is turned by the bolt's direction and may face either way: nothing is culled.
parameter texture Texture1
parameter texture Texture2
parameter float4 BlendColor 1 1 1 1
technique Blend_Max
pass P0
program glow_gather
state CullMode None
sampler 0 Texture1
state AlphaBlendEnable TRUE
state BlendOp Max
state SrcBlend One
state DestBlend One
technique Blend_Screen
pass P0
program glow_screen
sampler 0 Texture1
sampler 1 Texture2
state AlphaBlendEnable FALSE
technique Blend_Normal
pass P0
program glow_normal
sampler 0 Texture1
sampler 1 Texture2
state AlphaBlendEnable FALSE
technique Common
pass P0
program textured
sampler 0 Texture1
state CullMode None
state AlphaBlendEnable TRUE
state SrcBlend SrcAlpha
state DestBlend One
