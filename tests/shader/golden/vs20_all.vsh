// Every vs_2_0 instruction, integer, boolean, loop and label registers, relative
// addressing through a0 and aL.
vs_2_0
dcl_position v0
dcl_texcoord3 v1
defi i0, 3, 0, 1, 0
defb b1, true
def c200, 1.0, 0.25, -0.5, 2.0
mova a0.x, v1.x
mov r0, c[a0.x + 10]
abs r1, -r0
crs r2.xyz, r0, r1
lrp r3, r0, r1, r2
nrm r4, r3
pow r5.x, r4.x, c200.w
sgn r6, r5, r7, r8
sincos r7.xy, r0.x, c1, c2
nop
sub r1, r0, c3
mad r2, v0, c4, r1
mul r3, r2, c5.x
rcp r4.x, r3.y
rsq r4.y, r3.z
dp3 r5.x, r2, c6
dp4 r5.y, v0, c7
min r6, r5, c8
max r7, r6, -c8
slt r8, r7, c9
sge r9, r8, c9
exp r10.x, r9.x
log r10.y, r9.y
expp r10.z, r9.z
logp r10.w, r9.w
lit r11, r10
dst r0, r10, r11
frc r1, r0
m4x3 r2.xyz, v0, c10
m3x4 r3, v0, c14
m3x3 r4.xyz, v0, c18
m3x2 r5.xy, v0, c21
rep i0
  add r0, r0, c200
endrep
loop aL, i0
  add r1, r1, c[aL + 3]
endloop
if b1
  call l0
else
  callnz l1, b1
endif
m4x4 oPos, v0, c0
mov oT0, r0
ret
label l0
mov r0.w, c200.x
ret
label l1
mov r1.z, c200.y
ret
