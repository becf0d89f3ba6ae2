; Every vs_1_1 instruction and register kind.
vs_1_1
dcl_position v0
dcl_normal v1
dcl_color v2
dcl_texcoord0 v3
dcl_texcoord1 v4
def c95, 0.5, 1.0, -2.0, 0.0
mov r0, v0
add r1, r0, c1
sub r2.xy, r1, -c2.yzwx
mad r3, v1.x, c3, r2
mul r4.w, r3, c4.xxyy
rcp r5.x, r4.w
rsq r5.y, r4.z
dp3 r6.x, v1, c5
dp4 r6.y, v0, c6
min r7, r6, c7
max r8, r7, -r6
slt r9, r8, c8
sge r10, r9, c9
exp r11.x, v3.y
log r11.y, v3.z
expp r11.z, v4.x
logp r11.w, v4.y
lit r0, r1
dst r1, r2, r3
frc r2.xy, r3
m4x4 oPos, v0, c0
m4x3 r3.xyz, v1, c4
m3x4 r4, v1, c8
m3x3 r5, v1, c12     // no mask: the macro's own .xyz
m3x2 r6, v1, c16     // .xy
mov a0.x, r0.x
mov oD0, c[a0.x + 20]
mov oD1, v2
mov oT0, v3
mov oT1.xy, v4      // oT0 is written, so oT1 may be
mov oFog, r1.w
mov oPts, c95.x
nop
