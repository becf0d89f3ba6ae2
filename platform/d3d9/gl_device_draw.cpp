// GlDevice: the draw path. Each dirty group is applied once, through the GL state cache,
// so a draw makes GL calls only for state that changed. Nothing here allocates.
#include <algorithm>
#include <cstring>

#include "platform/d3d9/gl_convert.h"
#include "platform/d3d9/gl_device.h"
#include "platform/d3d9/gl_objects.h"

namespace zel::d3d9 {
namespace {

// Pixel centres at integer coordinates: positions move by just under half a pixel (63/64 of
// it, so that edges exactly on a centre fall the platform's way).
constexpr float kPixelCentreShift = 63.0f / 64.0f;
constexpr UINT kMinUserBufferBytes = 64 * 1024;

// out = a * b for row-vector matrices (Direct3D order).
void Multiply(const D3DMATRIX &a, const D3DMATRIX &b, D3DMATRIX *out) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out->m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
}

float BitsToFloat(DWORD d) {
  float f;
  std::memcpy(&f, &d, sizeof f);
  return f;
}

}  // namespace

bool GlDevice::PrepareDraw() {
  MakeCurrent();
  if (dirty_ & (kDirtyVertexInput | kDirtyProgram)) ApplyVertexLayout();
  if (layout_ == nullptr) return false;
  // Buffer contents change behind the state (Lock / Unlock), so this is asked per draw; the
  // buffer remembers its answer until its bytes change.
  const bool white = DiffuseIsOpaqueWhite();
  if (white != opaqueWhiteDiffuse_) {
    opaqueWhiteDiffuse_ = white;
    dirty_ |= kDirtyProgram;
  }
  if (dirty_ & kDirtyTextures) ApplyTextures();
  if (dirty_ & kDirtyProgram) ApplyProgram();
  if (program_ == nullptr || program_->program == 0) return false;
  constexpr uint32_t kUniformGroups = kDirtyProgram | kDirtyTransforms | kDirtyViewport | kDirtyPixelConstants |
                                      kDirtyVertexConstants | kDirtyShaderConstants;
  if (dirty_ & kUniformGroups) ApplyUniforms();
  if (dirty_ & kDirtyBlend) ApplyBlend();
  if (dirty_ & (kDirtyDepth | kDirtyStencil)) ApplyDepthAndStencil();
  if (dirty_ & kDirtyRaster) ApplyRaster();
  if (dirty_ & kDirtySamplers) ApplySamplers();
  if (dirty_ & kDirtyViewport) ApplyViewport();
  if (dirty_ & kDirtyIndices) {
    GLuint name = indexBuffer_ ? indexBuffer_->Name() : 0;
    if (name != boundIndexBuffer_) {
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);  // vertex array state
      boundIndexBuffer_ = name;
    }
  }
  if (dirty_ & kDirtyVertexInput) ApplyVertexInput(upBuffer_);
  dirty_ = 0;
  return true;
}

void GlDevice::ApplyVertexLayout() {
  if (declaration_ != nullptr) {
    layout_ = &declaration_->Layout();
  } else {
    if (state_.fvf != fvfLayoutCode_) {
      fvfLayoutCode_ = state_.fvf;
      if (!LayoutFromFvf(state_.fvf, &fvfLayout_)) fvfLayout_.count = 0;
    }
    layout_ = fvfLayout_.count > 0 ? &fvfLayout_ : nullptr;
  }
  diffuseElement_ = -1;
  for (int i = 0; layout_ != nullptr && i < layout_->count; ++i) {
    const VertexElement &e = layout_->elements[i];
    if (e.usage == D3DDECLUSAGE_COLOR && e.usageIndex == 0 && e.type == D3DDECLTYPE_D3DCOLOR && e.stream < kMaxStreams)
      diffuseElement_ = i;
  }
}

bool GlDevice::DiffuseIsOpaqueWhite() const {
  // A vertex shader writes its own colour; vertices from user memory are not kept.
  if (diffuseElement_ < 0 || vertexShader_ != nullptr || drawingUserVertices_) return false;
  const VertexElement &e = layout_->elements[diffuseElement_];
  const GlVertexBuffer *buffer = streamBuffers_[e.stream];
  const StreamBinding &s = state_.streams[e.stream];
  return buffer != nullptr && buffer->ColorIsOpaqueWhite(s.offset, s.stride, e.offset);
}

void GlDevice::ApplyTextures() {
  uint32_t bound = texturesBound_;
  for (uint32_t bits = dirtyTextures_; bits != 0; bits &= bits - 1) {
    int unit = __builtin_ctz(bits);
    const GlTexture *t = textureObjects_[unit];
    gl_.BindTexture(unit, t ? t->Name() : 0);
    if (unit < kMaxTextureStages) bound = t ? (bound | (1u << unit)) : (bound & ~(1u << unit));
  }
  dirtyTextures_ = 0;
  if (bound != texturesBound_) {
    texturesBound_ = bound;
    dirty_ |= kDirtyProgram;
  }
}

void GlDevice::ApplyProgram() {
  ProgramKey key;
  std::memset(&key, 0, sizeof key);
  if (vertexShader_ != nullptr)
    key.vertexShader = vertexShader_->Id();
  else
    BuildVertexStageKey(state_, *layout_, &key.vertex, opaqueWhiteDiffuse_);
  BuildPixelStageKey(state_, texturesBound_, &key.pixel);
  if (program_ == nullptr || !(key == key_)) {
    key_ = key;
    program_ = programs_.Get(key, vertexShader_ ? &vertexShader_->Glsl() : nullptr);
  }
  if (program_->program != 0) gl_.UseProgram(program_->program);
}

void GlDevice::ApplyUniforms() {
  if (dirty_ & kDirtyTransforms) {
    D3DMATRIX worldView, wvp;
    Multiply(state_.transforms[0], state_.transforms[1], &worldView);
    Multiply(worldView, state_.transforms[2], &wvp);
    // A row-major D3D matrix read column-major is its transpose, which turns row-vector
    // products into GL's column-vector ones.
    std::memcpy(worldViewProj_, &wvp, sizeof worldViewProj_);
    ++transformSerial_;
  }
  if (dirty_ & kDirtyViewport) ++viewportSerial_;
  if (dirty_ & kDirtyPixelConstants) ++pixelSerial_;
  if (dirty_ & kDirtyVertexConstants) ++ambientSerial_;
  if (dirty_ & kDirtyShaderConstants) ++constantSerial_;

  GlProgram &p = *program_;
  if (p.transformSerial != transformSerial_) {
    p.transformSerial = transformSerial_;
    if (p.worldViewProj >= 0) glUniformMatrix4fv(p.worldViewProj, 1, GL_FALSE, worldViewProj_);
  }
  if (p.viewportSerial != viewportSerial_) {
    p.viewportSerial = viewportSerial_;
    const D3DVIEWPORT9 &vp = state_.viewport;
    float w = static_cast<float>(vp.Width), h = static_cast<float>(vp.Height);
    if (p.posFixup >= 0)
      glUniform4f(p.posFixup, kPixelCentreShift / w, -kPixelCentreShift / h, clipControl_ ? 1.0f : 0.0f, 0.0f);
    if (p.screenToClip >= 0)
      glUniform4f(p.screenToClip, 2.0f / w, -2.0f / h, -1.0f - 2.0f * static_cast<float>(vp.X) / w,
                  1.0f + 2.0f * static_cast<float>(vp.Y) / h);
  }
  if (p.pixelSerial != pixelSerial_) {
    p.pixelSerial = pixelSerial_;
    float c[4];
    if (p.textureFactor >= 0) {
      ColorToFloats(state_.renderStates[D3DRS_TEXTUREFACTOR], c);
      glUniform4fv(p.textureFactor, 1, c);
    }
    if (p.alphaRef >= 0) glUniform1f(p.alphaRef, static_cast<float>(state_.renderStates[D3DRS_ALPHAREF] & 0xff));
    if (p.stageConstant >= 0) {
      float k[kMaxTextureStages][4];
      for (int i = 0; i < kMaxTextureStages; ++i) ColorToFloats(state_.stageStates[i][D3DTSS_CONSTANT], k[i]);
      glUniform4fv(p.stageConstant, kMaxTextureStages, &k[0][0]);
    }
  }
  if (p.ambientSerial != ambientSerial_) {
    p.ambientSerial = ambientSerial_;
    if (p.ambient >= 0) {
      float c[4];
      ColorToFloats(state_.renderStates[D3DRS_AMBIENT], c);
      glUniform4fv(p.ambient, 1, c);
    }
  }
  if (p.constantSerial != constantSerial_) {
    p.constantSerial = constantSerial_;
    if (p.shaderConstants >= 0 && constantsUsed_ > 0)
      glUniform4fv(p.shaderConstants, static_cast<GLsizei>(constantsUsed_), &state_.vertexShaderConstants[0][0]);
  }
}

void GlDevice::ApplyBlend() {
  const DWORD *rs = state_.renderStates;
  bool blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
  gl_.Enable(GL_BLEND, blend);
  if (blend) {
    GLenum src, dst, srcA, dstA;
    GlBlendFactors(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &src, &dst);
    bool separate = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    if (separate)
      GlBlendFactors(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &srcA, &dstA);
    else
      srcA = src, dstA = dst;
    gl_.BlendFunc(src, dst, srcA, dstA);
    GLenum eq = GlBlendEquation(rs[D3DRS_BLENDOP]);
    gl_.BlendEquation(eq, separate ? GlBlendEquation(rs[D3DRS_BLENDOPALPHA]) : eq);
    auto constant = [](GLenum f) { return f == GL_CONSTANT_COLOR || f == GL_ONE_MINUS_CONSTANT_COLOR; };
    if (constant(src) || constant(dst) || constant(srcA) || constant(dstA)) {
      float c[4];
      ColorToFloats(rs[D3DRS_BLENDFACTOR], c);
      gl_.BlendColor(c);
    }
  }
  gl_.ColorMask(rs[D3DRS_COLORWRITEENABLE] & 0xf);
}

void GlDevice::ApplyDepthAndStencil() {
  const DWORD *rs = state_.renderStates;
  bool depth = rs[D3DRS_ZENABLE] != D3DZB_FALSE && pp_.EnableAutoDepthStencil;
  gl_.Enable(GL_DEPTH_TEST, depth);
  if (depth) {
    gl_.DepthFunc(GlCompareFunc(rs[D3DRS_ZFUNC]));
    gl_.DepthMask(rs[D3DRS_ZWRITEENABLE] != 0);
  }
  bool stencil = rs[D3DRS_STENCILENABLE] != 0 && pp_.EnableAutoDepthStencil;
  gl_.Enable(GL_STENCIL_TEST, stencil);
  if (stencil) {
    gl_.StencilFunc(GlCompareFunc(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xff),
                    rs[D3DRS_STENCILMASK] & 0xff);
    gl_.StencilOp(GlStencilOp(rs[D3DRS_STENCILFAIL]), GlStencilOp(rs[D3DRS_STENCILZFAIL]),
                  GlStencilOp(rs[D3DRS_STENCILPASS]));
    gl_.StencilWriteMask(rs[D3DRS_STENCILWRITEMASK] & 0xff);
  }
}

void GlDevice::ApplyRaster() {
  const DWORD *rs = state_.renderStates;
  // Front faces are clockwise (glFrontFace(GL_CW) at creation).
  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      gl_.Enable(GL_CULL_FACE, true);
      gl_.CullFace(GL_FRONT);
      break;
    case D3DCULL_CCW:
      gl_.Enable(GL_CULL_FACE, true);
      gl_.CullFace(GL_BACK);
      break;
    default:
      gl_.Enable(GL_CULL_FACE, false);
      break;
  }
  gl_.PolygonMode(GlPolygonMode(rs[D3DRS_FILLMODE]));
}

void GlDevice::ApplySamplers() {
  for (uint32_t bits = dirtySamplers_; bits != 0; bits &= bits - 1) {
    int i = __builtin_ctz(bits);
    const DWORD *s = state_.samplerStates[i];
    DWORD *applied = appliedSamplers_[i];
    bool all = !samplerApplied_[i];
    GLuint sampler = samplers_[i];
    auto changed = [&](D3DSAMPLERSTATETYPE t) { return all || applied[t] != s[t]; };
    if (changed(D3DSAMP_ADDRESSU)) glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GlAddressMode(s[D3DSAMP_ADDRESSU]));
    if (changed(D3DSAMP_ADDRESSV)) glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GlAddressMode(s[D3DSAMP_ADDRESSV]));
    if (changed(D3DSAMP_ADDRESSW)) glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GlAddressMode(s[D3DSAMP_ADDRESSW]));
    if (changed(D3DSAMP_MAGFILTER))
      glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GlMagFilter(s[D3DSAMP_MAGFILTER]));
    if (changed(D3DSAMP_MINFILTER) || changed(D3DSAMP_MIPFILTER))
      glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GlMinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER]));
    if (changed(D3DSAMP_BORDERCOLOR)) {
      float c[4];
      ColorToFloats(s[D3DSAMP_BORDERCOLOR], c);
      glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, c);
    }
    if (changed(D3DSAMP_MIPMAPLODBIAS))
      glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, BitsToFloat(s[D3DSAMP_MIPMAPLODBIAS]));
    if (changed(D3DSAMP_MAXMIPLEVEL))  // the most detailed level sampled
      glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(s[D3DSAMP_MAXMIPLEVEL]));
    std::memcpy(applied, s, sizeof appliedSamplers_[i]);
    samplerApplied_[i] = true;
  }
  dirtySamplers_ = 0;
}

void GlDevice::ApplyViewport() {
  const D3DVIEWPORT9 &vp = state_.viewport;
  // Direct3D counts rows from the top, GL from the bottom.
  gl_.Viewport(static_cast<GLint>(vp.X), static_cast<GLint>(height_ - vp.Y - vp.Height),
               static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  gl_.DepthRange(vp.MinZ, vp.MaxZ);
}

void GlDevice::ApplyVertexInput(GLuint upBuffer) {
  uint32_t enabled = 0;
  UINT extent = 0;  // bytes of one vertex that stream 0 elements reach
  for (int i = 0; i < layout_->count; ++i) {
    const VertexElement &e = layout_->elements[i];
    int location = AttributeLocation(e.usage, e.usageIndex);
    GlAttribFormat f;
    if (location < 0 || e.stream >= kMaxStreams || !GlAttribFormatFor(e.type, &f)) continue;
    const StreamBinding &s = state_.streams[e.stream];
    GLuint buffer = 0;
    UINT stride = s.stride, offset = s.offset + e.offset;
    if (e.stream == 0 && drawingUserVertices_) {
      buffer = upBuffer;
      stride = upStride_;
      offset = e.offset;
    } else if (streamBuffers_[e.stream] != nullptr) {
      buffer = streamBuffers_[e.stream]->Name();
    }
    if (buffer == 0) continue;  // an unbound stream reads the attribute's default
    gl_.BindArrayBuffer(buffer);
    glVertexAttribPointer(static_cast<GLuint>(location), f.size, f.type, f.normalized, static_cast<GLsizei>(stride),
                          reinterpret_cast<const void *>(static_cast<uintptr_t>(offset)));
    enabled |= 1u << location;
    if (e.stream == 0) extent = std::max(extent, e.offset + DeclTypeSize(e.type));
  }
  for (uint32_t change = enabled ^ enabledAttribs_; change != 0; change &= change - 1) {
    GLuint location = static_cast<GLuint>(__builtin_ctz(change));
    if (enabled & (1u << location))
      glEnableVertexAttribArray(location);
    else
      glDisableVertexAttribArray(location);
  }
  enabledAttribs_ = enabled;
  // Whole vertices stream 0 holds, for the range checks of the draws.
  stream0Vertices_ = 0;
  const StreamBinding &s0 = state_.streams[0];
  if (!drawingUserVertices_ && streamBuffers_[0] != nullptr && s0.stride != 0) {
    UINT size = streamBuffers_[0]->Size();
    if (extent == 0)
      stream0Vertices_ = s0.offset <= size ? (size - s0.offset) / s0.stride : 0;
    else if (s0.offset + extent <= size)
      stream0Vertices_ = (size - s0.offset - extent) / s0.stride + 1;
  }
}

GLint GlDevice::StreamUserVertices(const void *data, UINT bytes, UINT stride) {
  // Vertices go at a multiple of the stride, so the attribute pointers stay at offset 0 and
  // the draw starts at offset / stride.
  UINT offset = (upOffset_ + stride - 1) / stride * stride;
  if (offset + bytes > upCapacity_) {
    upCapacity_ = std::max({upCapacity_, bytes, kMinUserBufferBytes});
    gl_.BindArrayBuffer(upBuffer_);
    glBufferData(GL_ARRAY_BUFFER, upCapacity_, nullptr, GL_STREAM_DRAW);  // a fresh store; the old one drains
    offset = 0;
  }
  gl_.BindArrayBuffer(upBuffer_);
  glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, data);
  upOffset_ = offset + bytes;
  return static_cast<GLint>(offset / stride);
}

HRESULT GlDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  HRESULT hr = CheckDraw(state_, inScene_, PrimitiveType, PrimitiveCount, false, false);
  if (FAILED(hr)) return hr;
  if (PrimitiveCount == 0) return D3D_OK;
  if (!PrepareDraw()) return D3DERR_INVALIDCALL;
  UINT count = VertexCountFor(PrimitiveType, PrimitiveCount);
  if (StartVertex > stream0Vertices_ || count > stream0Vertices_ - StartVertex) return D3DERR_INVALIDCALL;
  glDrawArrays(GlPrimitiveMode(PrimitiveType), static_cast<GLint>(StartVertex), static_cast<GLsizei>(count));
  return D3D_OK;
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                       UINT NumVertices, UINT startIndex, UINT primCount) {
  HRESULT hr = CheckDraw(state_, inScene_, PrimitiveType, primCount, true, false);
  if (FAILED(hr)) return hr;
  if (primCount == 0) return D3D_OK;
  if (indexBuffer_ == nullptr || !PrepareDraw()) return D3DERR_INVALIDCALL;
  UINT count = VertexCountFor(PrimitiveType, primCount);
  UINT indexSize = IndexSize(indexBuffer_->Format());
  UINT indices = indexBuffer_->Size() / indexSize;
  if (startIndex > indices || count > indices - startIndex) return D3DERR_INVALIDCALL;
  // The vertices the call says its indices reach must lie in the stream.
  int64_t lastVertex = static_cast<int64_t>(BaseVertexIndex) + MinVertexIndex + NumVertices;
  if (BaseVertexIndex + static_cast<int64_t>(MinVertexIndex) < 0 || lastVertex > stream0Vertices_)
    return D3DERR_INVALIDCALL;
  glDrawElementsBaseVertex(GlPrimitiveMode(PrimitiveType), static_cast<GLsizei>(count),
                           GlIndexType(indexBuffer_->Format()),
                           reinterpret_cast<const void *>(static_cast<uintptr_t>(startIndex) * indexSize),
                           BaseVertexIndex);
  return D3D_OK;
}

HRESULT GlDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                  const void *pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  HRESULT hr = CheckDraw(state_, inScene_, PrimitiveType, PrimitiveCount, false, true);
  if (FAILED(hr)) return hr;
  if (pVertexStreamZeroData == nullptr || VertexStreamZeroStride == 0) return D3DERR_INVALIDCALL;
  constexpr uint64_t kMaxUserBytes = 64u << 20;  // far beyond any draw of the show
  uint64_t bytes = uint64_t{VertexCountFor(PrimitiveType, PrimitiveCount)} * VertexStreamZeroStride;
  if (bytes > kMaxUserBytes) return D3DERR_INVALIDCALL;
  if (PrimitiveCount != 0) {
    UINT count = VertexCountFor(PrimitiveType, PrimitiveCount);
    MakeCurrent();
    GLint first = StreamUserVertices(pVertexStreamZeroData, count * VertexStreamZeroStride, VertexStreamZeroStride);
    drawingUserVertices_ = true;
    upStride_ = VertexStreamZeroStride;
    dirty_ |= kDirtyVertexInput;
    bool ready = PrepareDraw();
    drawingUserVertices_ = false;
    if (ready) glDrawArrays(GlPrimitiveMode(PrimitiveType), first, static_cast<GLsizei>(count));
    if (!ready) hr = D3DERR_INVALIDCALL;
  }
  // As on the platform, stream 0 is unbound after a draw from user memory.
  state_.streams[0] = StreamBinding{};
  streamBuffers_[0] = nullptr;
  dirty_ |= kDirtyVertexInput;
  return hr;
}

}  // namespace zel::d3d9
