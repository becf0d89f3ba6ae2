// Every vs_2_x instruction: the vs_2_0 set, the predicate register and predication, the
// comparison forms of if and break, breakp, and callnz and if on a predicate.
vs_2_x
dcl_position v0
dcl_normal v1
defi i0, 3, 0, 1, 0
defb b0, true
def c100, 1.0, 0.5, 0.0, 2.0
nop
mov r0, v0
add r1, r0, c1
sub r2, r1, c2
mad r3, v1, c3, r2
mul r4, r3, c4
rcp r5.x, r4.x
rsq r5.y, r4.y
dp3 r6.x, r5, c5
dp4 r6.y, v0, c6
min r7, r6, c7
max r8, r7, c7
slt r9, r8, c8
sge r10, r9, c8
exp r11.x, r10.x
log r11.y, r10.y
expp r11.z, r10.z
logp r11.w, r10.w
lit r12, r11
dst r13, r12, r11
frc r14, r13
m4x4 r15, v0, c10
m4x3 r16.xyz, v0, c14
m3x4 r17, v1, c17
m3x3 r18.xyz, v1, c21
m3x2 r19.xy, v1, c24
lrp r20, r0, r1, r2
pow r21.x, r20.x, c100.w
crs r22.xyz, r0, r1
sgn r23, r22, r24, r25
abs r24, -r23
nrm r25, r24
sincos r26.xy, r25.x, c26, c27
mova a0.x, r26.x
mov r27, c[a0.x + 30]
setp_lt p0, r27, c100
(p0) mov r28, c100
(!p0.y) add r28.y, r28, c100.x
if p0.x
  mov r29, c100
else
  mov r29, -c100
endif
if b0
  call l1
endif
if_ge r29.x, c100.y
  callnz l2, b0
endif
callnz l1, !p0.z
rep i0
  break_lt r29.x, c100.z
  add r29, r29, c100
endrep
loop aL, i0
  breakp p0.w
  add r30, r30, c[aL + 40]
  break
endloop
m4x4 oPos, v0, c0
mov oT0, r30
ret
label l1
mov r31, c100.y
ret
label l2
mov r31.x, c100.z
ret
