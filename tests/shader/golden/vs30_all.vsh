/* Every vs_3_0 instruction: declared outputs, samplers and texldl, predication,
   comparisons, _sat and _abs, break forms, subroutines, sgn with its scratch registers. */
vs_3_0
dcl_position v0
dcl_texcoord0 v1
dcl_position o0
dcl_texcoord0 o1.xy
dcl_color o2
dcl_2d s0
defi i0, 2, 0, 1, 0
defb b0, false
def c10, 0.0, 0.0, 0.0, 1.0
nop
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
sgn r3, r1, r4, r5
sub r4, r3, c11
mad r5, v0, c12, r4
mul r6, r5, c13.x
rcp r7.x, r6.x
rsq r7.y, r6.y
dp3 r8.x, r7, c14
dp4 r8.y, v1, c15
min r9, r8, c16
max r10, r9, c16
slt r11, r10, c17
sge r12, r11, c17
exp r13.x, r12.x
log r13.y, r12.y
expp r13.z, r12.z
logp r13.w, r12.w
lit r14, r13
dst r15, r14, r13
frc r16, r15
m4x3 r17.xyz, v0, c20
m3x4 r18, v1, c24
m3x3 r19.xyz, v1, c28
m3x2 r20.xy, v1, c31
lrp r21, r0, r1, r2
pow r22.x, r21.x, c10.w
crs r23.xyz, r0, r1
abs r24, -r23
nrm r25, r24
mova a0.x, r25.x
mov r26, c[a0.x + 40]
if b0
  call l0
else
  callnz l1, p0.x
endif
if p0.y
  mov r27, r26
endif
mov o1.xy, r1
mov o2, r2
ret
label l0
mov r28, c10
ret
label l1
mov r28.x, c10.y
ret
