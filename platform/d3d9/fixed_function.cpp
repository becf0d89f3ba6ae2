// Fixed-function keys and the GLSL 330 stages written from them. Texture stage formulas are
// the platform's: every stage result saturates to 0..1, DISABLE ends the cascade, and a
// stage whose operation reads a texture that is not bound passes the current value on.
#include "platform/d3d9/fixed_function.h"

#include <cstdio>

#include "shader/glsl_interface.h"

namespace zel::d3d9 {
namespace {

constexpr uint8_t kMaterialSourceMaterial = 0;  // D3DMCS_MATERIAL
constexpr uint8_t kMaterialSourceColor1 = 1;    // D3DMCS_COLOR1
constexpr uint8_t kMaterialSourceColor2 = 2;    // D3DMCS_COLOR2

uint8_t ResolveMaterialSource(DWORD source, bool colorVertex, const VertexStageKey &k) {
  if (!colorVertex) return kMaterialSourceMaterial;
  if (source == kMaterialSourceColor1 && k.hasDiffuse) return kMaterialSourceColor1;
  if (source == kMaterialSourceColor2 && k.hasSpecular) return kMaterialSourceColor2;
  return kMaterialSourceMaterial;  // a colour the vertex does not have falls back to the material
}

uint8_t ComponentCount(BYTE declType) {
  switch (declType) {
    case D3DDECLTYPE_FLOAT1: return 1;
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_FLOAT16_2: return 2;
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N: return 3;
    default: return 4;
  }
}

// Which arguments an operation reads: bit 0 = ARG0, bit 1 = ARG1, bit 2 = ARG2.
unsigned ArgsUsed(uint8_t op) {
  switch (op) {
    case D3DTOP_DISABLE: return 0;
    case D3DTOP_SELECTARG1: return 2;
    case D3DTOP_SELECTARG2: return 4;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP: return 7;
    default: return 6;
  }
}

bool ReadsTexture(uint8_t op, const uint8_t args[3]) {
  unsigned used = ArgsUsed(op);
  for (int i = 0; i < 3; ++i)
    if ((used & (1u << i)) && (args[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE) return true;
  return false;
}

bool SamplesTexture(const StageKey &s) {
  if (!s.textureBound) return false;
  if (ReadsTexture(s.colorOp, s.colorArg) || ReadsTexture(s.alphaOp, s.alphaArg)) return true;
  auto implicit = [](uint8_t op) { return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM; };
  return implicit(s.colorOp) || implicit(s.alphaOp);
}

std::string ArgExpr(uint8_t arg, int stage) {
  std::string x;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: x = "zel_Diffuse"; break;
    case D3DTA_CURRENT: x = "current"; break;
    case D3DTA_TEXTURE: x = "tex"; break;
    case D3DTA_TFACTOR: x = "zel_TFactor"; break;
    case D3DTA_SPECULAR: x = "zel_Specular"; break;
    case D3DTA_TEMP: x = "temp"; break;
    case D3DTA_CONSTANT: x = "zel_StageConst[" + std::to_string(stage) + "]"; break;
    default: x = "current"; break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) x = x + ".aaaa";
  if (arg & D3DTA_COMPLEMENT) x = "(vec4(1.0) - " + x + ")";
  return x;
}

// The colour operation on vec4 arguments c0..c2, as a vec3 expression. "Stage" names the
// implicit inputs of the BLEND*ALPHA forms.
std::string ColorOpExpr(uint8_t op) {
  switch (op) {
    case D3DTOP_SELECTARG1: return "c1.rgb";
    case D3DTOP_SELECTARG2: return "c2.rgb";
    case D3DTOP_MODULATE: return "c1.rgb * c2.rgb";
    case D3DTOP_MODULATE2X: return "c1.rgb * c2.rgb * 2.0";
    case D3DTOP_MODULATE4X: return "c1.rgb * c2.rgb * 4.0";
    case D3DTOP_ADD: return "c1.rgb + c2.rgb";
    case D3DTOP_ADDSIGNED: return "c1.rgb + c2.rgb - 0.5";
    case D3DTOP_ADDSIGNED2X: return "(c1.rgb + c2.rgb - 0.5) * 2.0";
    case D3DTOP_SUBTRACT: return "c1.rgb - c2.rgb";
    case D3DTOP_ADDSMOOTH: return "c1.rgb + c2.rgb - c1.rgb * c2.rgb";
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(c2.rgb, c1.rgb, zel_Diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(c2.rgb, c1.rgb, tex.a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(c2.rgb, c1.rgb, zel_TFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return "c1.rgb + c2.rgb * (1.0 - tex.a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(c2.rgb, c1.rgb, current.a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return "c1.rgb + c1.a * c2.rgb";
    case D3DTOP_MODULATECOLOR_ADDALPHA: return "c1.rgb * c2.rgb + c1.a";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return "(1.0 - c1.a) * c2.rgb + c1.rgb";
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return "(1.0 - c1.rgb) * c2.rgb + c1.a";
    case D3DTOP_DOTPRODUCT3: return "vec3(dot(c1.rgb - 0.5, c2.rgb - 0.5) * 4.0)";
    case D3DTOP_MULTIPLYADD: return "c0.rgb + c1.rgb * c2.rgb";
    case D3DTOP_LERP: return "mix(c2.rgb, c1.rgb, c0.rgb)";
    default: return "current.rgb";  // PREMODULATE and bump mapping: not supported, pass on
  }
}

// The alpha operation on the alpha of a0..a2, as a float expression.
std::string AlphaOpExpr(uint8_t op) {
  switch (op) {
    case D3DTOP_SELECTARG1: return "a1.a";
    case D3DTOP_SELECTARG2: return "a2.a";
    case D3DTOP_MODULATE: return "a1.a * a2.a";
    case D3DTOP_MODULATE2X: return "a1.a * a2.a * 2.0";
    case D3DTOP_MODULATE4X: return "a1.a * a2.a * 4.0";
    case D3DTOP_ADD: return "a1.a + a2.a";
    case D3DTOP_ADDSIGNED: return "a1.a + a2.a - 0.5";
    case D3DTOP_ADDSIGNED2X: return "(a1.a + a2.a - 0.5) * 2.0";
    case D3DTOP_SUBTRACT: return "a1.a - a2.a";
    case D3DTOP_ADDSMOOTH: return "a1.a + a2.a - a1.a * a2.a";
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(a2.a, a1.a, zel_Diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(a2.a, a1.a, tex.a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(a2.a, a1.a, zel_TFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return "a1.a + a2.a * (1.0 - tex.a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(a2.a, a1.a, current.a)";
    case D3DTOP_DOTPRODUCT3: return "(a1.a - 0.5) * (a2.a - 0.5) * 4.0";
    case D3DTOP_MULTIPLYADD: return "a0.a + a1.a * a2.a";
    case D3DTOP_LERP: return "mix(a2.a, a1.a, a0.a)";
    default: return "current.a";  // DISABLE with colour on, and the colour-only forms
  }
}

std::string CompareExpr(uint8_t func) {
  switch (func) {
    case D3DCMP_NEVER: return "false";
    case D3DCMP_LESS: return "a < zel_AlphaRef";
    case D3DCMP_EQUAL: return "a == zel_AlphaRef";
    case D3DCMP_LESSEQUAL: return "a <= zel_AlphaRef";
    case D3DCMP_GREATER: return "a > zel_AlphaRef";
    case D3DCMP_NOTEQUAL: return "a != zel_AlphaRef";
    case D3DCMP_GREATEREQUAL: return "a >= zel_AlphaRef";
    default: return "true";
  }
}

void AppendStage(std::string *src, const StageKey &s, int i) {
  std::string n = std::to_string(i);
  *src += "  // stage " + n + "\n";
  *src += SamplesTexture(s) ? "  tex = texture(zel_Sampler[" + n + "], zel_TexCoord[" + n + "].xy);\n"
                            : "  tex = vec4(0.0, 0.0, 0.0, 1.0);\n";
  *src += "  {\n";
  for (int a = 0; a < 3; ++a) {
    *src += "    vec4 c" + std::to_string(a) + " = " + ArgExpr(s.colorArg[a], i) + ";\n";
    *src += "    vec4 a" + std::to_string(a) + " = " + ArgExpr(s.alphaArg[a], i) + ";\n";
  }
  bool colorPass = !s.textureBound && ReadsTexture(s.colorOp, s.colorArg);
  bool alphaPass = !s.textureBound && ReadsTexture(s.alphaOp, s.alphaArg);
  std::string rc = colorPass ? "current.rgb" : ColorOpExpr(s.colorOp);
  std::string ra = alphaPass ? "current.a" : AlphaOpExpr(s.alphaOp);
  // DOTPRODUCT3 as the colour operation writes its result to alpha too.
  if (s.colorOp == D3DTOP_DOTPRODUCT3 && !colorPass) ra = "dot(c1.rgb - 0.5, c2.rgb - 0.5) * 4.0";
  *src += "    vec4 r = clamp(vec4(" + rc + ", " + ra + "), 0.0, 1.0);\n";
  *src += s.resultTemp ? "    temp = r;\n" : "    current = r;\n";
  *src += "  }\n";
}

}  // namespace

size_t ProgramKeyHash::operator()(const ProgramKey &k) const {
  // FNV-1a over the key's bytes.
  const auto *p = reinterpret_cast<const unsigned char *>(&k);
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof k; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return static_cast<size_t>(h);
}

void BuildVertexStageKey(const DeviceState &s, const VertexLayout &layout, VertexStageKey *k,
                         bool opaqueWhiteDiffuse) {
  std::memset(k, 0, sizeof *k);
  for (int i = 0; i < layout.count; ++i) {
    const VertexElement &e = layout.elements[i];
    if (e.usage == D3DDECLUSAGE_POSITIONT && e.usageIndex == 0) k->positionT = 1;
    if (e.usage == D3DDECLUSAGE_NORMAL && e.usageIndex == 0) k->hasNormal = 1;
    if (e.usage == D3DDECLUSAGE_COLOR && e.usageIndex == 0) k->hasDiffuse = 1;
    if (e.usage == D3DDECLUSAGE_COLOR && e.usageIndex == 1) k->hasSpecular = 1;
    if (e.usage == D3DDECLUSAGE_TEXCOORD && e.usageIndex < 8) k->texCoordSize[e.usageIndex] = ComponentCount(e.type);
  }
  for (int stage = 0; stage < kMaxTextureStages; ++stage)
    k->texCoordSource[stage] = static_cast<uint8_t>(s.stageStates[stage][D3DTSS_TEXCOORDINDEX] & 7);
  // Pre-transformed vertices are never lit.
  k->lighting = s.renderStates[D3DRS_LIGHTING] && !k->positionT;
  // Lit, the colour may be a material source, and a missing one falls back to the material.
  if (opaqueWhiteDiffuse && !k->lighting) k->hasDiffuse = 0;
  if (k->lighting) {
    bool colorVertex = s.renderStates[D3DRS_COLORVERTEX] != 0;
    k->diffuseSource = ResolveMaterialSource(s.renderStates[D3DRS_DIFFUSEMATERIALSOURCE], colorVertex, *k);
    k->ambientSource = ResolveMaterialSource(s.renderStates[D3DRS_AMBIENTMATERIALSOURCE], colorVertex, *k);
    k->emissiveSource = ResolveMaterialSource(s.renderStates[D3DRS_EMISSIVEMATERIALSOURCE], colorVertex, *k);
  }
}

void BuildPixelStageKey(const DeviceState &s, uint32_t texturesBound, PixelStageKey *k) {
  std::memset(k, 0, sizeof *k);
  int count = 0;
  for (; count < kMaxTextureStages; ++count) {
    const DWORD *ts = s.stageStates[count];
    if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    StageKey &st = k->stages[count];
    st.colorOp = static_cast<uint8_t>(ts[D3DTSS_COLOROP]);
    st.alphaOp = static_cast<uint8_t>(ts[D3DTSS_ALPHAOP]);
    st.colorArg[0] = static_cast<uint8_t>(ts[D3DTSS_COLORARG0]);
    st.colorArg[1] = static_cast<uint8_t>(ts[D3DTSS_COLORARG1]);
    st.colorArg[2] = static_cast<uint8_t>(ts[D3DTSS_COLORARG2]);
    st.alphaArg[0] = static_cast<uint8_t>(ts[D3DTSS_ALPHAARG0]);
    st.alphaArg[1] = static_cast<uint8_t>(ts[D3DTSS_ALPHAARG1]);
    st.alphaArg[2] = static_cast<uint8_t>(ts[D3DTSS_ALPHAARG2]);
    st.resultTemp = (ts[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
    st.textureBound = (texturesBound >> count) & 1;
  }
  k->stageCount = static_cast<uint8_t>(count);
  if (s.renderStates[D3DRS_ALPHATESTENABLE]) k->alphaTestFunc = static_cast<uint8_t>(s.renderStates[D3DRS_ALPHAFUNC]);
  k->specularAdd = s.renderStates[D3DRS_SPECULARENABLE] != 0;
}

std::string VertexStageSource(const VertexStageKey &k) {
  char buf[128];
  std::string src = "#version 330 core\n";
  std::snprintf(buf, sizeof buf, "layout(location = %d) in vec4 zel_inPosition;\n", shader::kAttribPosition);
  src += buf;
  std::snprintf(buf, sizeof buf, "layout(location = %d) in vec4 zel_inColor0;\n", shader::kAttribColor0);
  src += buf;
  std::snprintf(buf, sizeof buf, "layout(location = %d) in vec4 zel_inColor1;\n", shader::kAttribColor1);
  src += buf;
  for (int i = 0; i < 8; ++i) {
    std::snprintf(buf, sizeof buf, "layout(location = %d) in vec4 zel_inTexCoord%d;\n", shader::kAttribTexCoord0 + i, i);
    src += buf;
  }
  src += "uniform mat4 zel_WorldViewProj;\nuniform vec4 zel_ScreenToClip;\nuniform vec4 zel_PosFixup;\n"
         "uniform vec4 zel_Ambient;\n"
         "out vec4 zel_Diffuse;\nout vec4 zel_Specular;\nout vec4 zel_TexCoord[8];\nout float zel_Fog;\n"
         "void main() {\n  vec4 p;\n";
  if (k.positionT) {
    // Screen pixels to clip space; w is 1/RHW so that interpolation stays perspective-correct.
    src += "  float w = zel_inPosition.w == 0.0 ? 1.0 : 1.0 / zel_inPosition.w;\n"
           "  p = vec4((zel_inPosition.xy * zel_ScreenToClip.xy + zel_ScreenToClip.zw) * w, zel_inPosition.z * w, w);\n";
  } else {
    src += "  p = zel_WorldViewProj * zel_inPosition;\n";
  }
  src += "  p.xy += zel_PosFixup.xy * p.w;\n"
         "  if (zel_PosFixup.z == 0.0) p.z = p.z * 2.0 - p.w;\n"
         "  gl_Position = p;\n";
  std::string diffuse = k.hasDiffuse ? "zel_inColor0" : "vec4(1.0)";
  std::string specular = k.hasSpecular ? "zel_inColor1" : "vec4(0.0)";
  if (k.lighting) {
    // No lights can be set: the lit colour is ambient times its material colour plus emissive.
    auto source = [&](uint8_t s) {
      return s == kMaterialSourceColor1 ? diffuse : s == kMaterialSourceColor2 ? specular : std::string("vec4(0.0)");
    };
    src += "  zel_Diffuse = clamp(vec4(zel_Ambient.rgb * " + source(k.ambientSource) + ".rgb + " +
           source(k.emissiveSource) + ".rgb, " + source(k.diffuseSource) + ".a), 0.0, 1.0);\n";
    src += "  zel_Specular = vec4(0.0);\n";
  } else {
    src += "  zel_Diffuse = " + diffuse + ";\n  zel_Specular = " + specular + ";\n";
  }
  for (int stage = 0; stage < 8; ++stage) {
    int set = k.texCoordSource[stage];
    std::string value = k.texCoordSize[set] ? "zel_inTexCoord" + std::to_string(set) : "vec4(0.0, 0.0, 0.0, 1.0)";
    src += "  zel_TexCoord[" + std::to_string(stage) + "] = " + value + ";\n";
  }
  src += "  zel_Fog = 1.0;\n}\n";
  return src;
}

std::string PixelStageSource(const PixelStageKey &k) {
  std::string src =
      "#version 330 core\n"
      "in vec4 zel_Diffuse;\nin vec4 zel_Specular;\nin vec4 zel_TexCoord[8];\nin float zel_Fog;\n"
      "uniform sampler2D zel_Sampler[8];\nuniform vec4 zel_TFactor;\nuniform float zel_AlphaRef;\n"
      "uniform vec4 zel_StageConst[8];\n"
      "layout(location = 0) out vec4 zel_FragColor;\n"
      "void main() {\n"
      "  vec4 current = zel_Diffuse;\n  vec4 temp = vec4(0.0);\n  vec4 tex;\n";
  for (int i = 0; i < k.stageCount; ++i) AppendStage(&src, k.stages[i], i);
  if (k.specularAdd) src += "  current.rgb = clamp(current.rgb + zel_Specular.rgb, 0.0, 1.0);\n";
  if (k.alphaTestFunc != 0 && k.alphaTestFunc != D3DCMP_ALWAYS) {
    // The platform compares 8-bit alpha with the 8-bit reference.
    src += "  float a = floor(current.a * 255.0 + 0.5);\n";
    src += "  if (!(" + CompareExpr(k.alphaTestFunc) + ")) discard;\n";
  }
  src += "  zel_FragColor = current;\n}\n";
  return src;
}

}  // namespace zel::d3d9
