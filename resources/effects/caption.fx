copperleaf-effect 1
# A caption: the text drawn into its target, times the sprite colour, blended by its alpha.
parameter texture Texture1
technique Common
pass P0
program textured
sampler 0 Texture1
state AlphaBlendEnable TRUE
state SrcBlend SrcAlpha
state DestBlend InvSrcAlpha
