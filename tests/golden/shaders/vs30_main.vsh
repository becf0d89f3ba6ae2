/* The main vs_3_0 forms: declared outputs, samplers and texldl, predication,
   comparisons, _sat and _abs, break forms. */
vs_3_0
dcl_position v0
dcl_texcoord0 v1
dcl_position o0
dcl_texcoord0 o1.xy
dcl_color o2
dcl_2d s0
defi i0, 2, 0, 1, 0
def c10, 0.0, 0.0, 0.0, 1.0
m4x4 o0, v0, c0
texldl r0, v1, s0
setp_gt p0.x, r0.x, c10.x
(p0.x) mov r0.y, -r0_abs.x
(!p0.x) add_sat r0.z, r0.x, c10.w
if_lt r0.x, c10.w
  mov r1, c10
else
  mov r1, r0
endif
loop aL, i0
  break_ge r1.x, c10.w
  breakp !p0.x
  add r1, r1, c[aL + 4]
endloop
rep i0
  break
endrep
sincos r2.xy, r0.x
sgn r3, r1
mov o1.xy, r1
mov o2, r2
