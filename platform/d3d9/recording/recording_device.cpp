// RecordingDevice: every call logged with its arguments; state kept with the platform's
// defaults and argument checks, so tests see the same results a real device gives.
#include "platform/d3d9/recording/recording_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3d9/d3d9_names.h"
#include "platform/d3d9/recording/call_args.h"
#include "platform/d3d9/recording/recording_objects.h"
#include "shader/program.h"
#include "platform/d3d9/shader_translate.h"
#include "platform/d3d9/vertex_layout.h"

namespace zel::d3d9 {
std::string RecordedCall::Text() const {
  std::string s = method + "(";
  for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + args[i];
  return s + ")";
}

RecordingDevice *RecordingDevice::Create(UINT width, UINT height) { return new RecordingDevice(width, height); }

RecordingDevice::RecordingDevice(UINT width, UINT height) : width_(width), height_(height) {
  state_.Reset(width, height, true);
}

std::vector<std::string> RecordingDevice::CallTexts() const {
  std::vector<std::string> out;
  for (const RecordedCall &c : calls_) out.push_back(c.Text());
  return out;
}

std::vector<RecordedCall> RecordingDevice::CallsTo(const std::string &method) const {
  std::vector<RecordedCall> out;
  for (const RecordedCall &c : calls_)
    if (c.method == method) out.push_back(c);
  return out;
}

size_t RecordingDevice::CountCalls(const std::string &method) const {
  size_t n = 0;
  for (const RecordedCall &c : calls_) n += c.method == method;
  return n;
}

void RecordingDevice::ClearLog() {
  calls_.clear();
  draws_.clear();
}

const D3DMATRIX &RecordingDevice::Transform(D3DTRANSFORMSTATETYPE t) const {
  int slot = TransformSlot(t);
  return state_.transforms[slot < 0 ? 0 : slot];
}

std::string RecordingDevice::NameOf(const void *object) const { return Name(object); }

void RecordingDevice::SetCreateFailure(const std::string &method, HRESULT hr) {
  if (hr == S_OK)
    createFailures_.erase(method);
  else
    createFailures_[method] = hr;
}

const BufferMemory *RecordingDevice::VertexData(IDirect3DVertexBuffer9 *vb) {
  auto *r = dynamic_cast<RecordingVertexBuffer *>(vb);
  return r ? &r->Memory() : nullptr;
}
const BufferMemory *RecordingDevice::IndexData(IDirect3DIndexBuffer9 *ib) {
  auto *r = dynamic_cast<RecordingIndexBuffer *>(ib);
  return r ? &r->Memory() : nullptr;
}
const TextureMemory *RecordingDevice::TextureData(IDirect3DBaseTexture9 *texture) {
  auto *r = dynamic_cast<RecordingTexture *>(texture);
  return r ? &r->Memory() : nullptr;
}
std::vector<D3DVERTEXELEMENT9> RecordingDevice::DeclarationElements(IDirect3DVertexDeclaration9 *decl) {
  auto *r = dynamic_cast<RecordingDeclaration *>(decl);
  return r ? r->Elements() : std::vector<D3DVERTEXELEMENT9>{};
}
std::vector<DWORD> RecordingDevice::ShaderTokens(IDirect3DVertexShader9 *shader) {
  auto *r = dynamic_cast<RecordingShader *>(shader);
  return r ? r->Tokens() : std::vector<DWORD>{};
}

void RecordingDevice::ForgetObject(const void *object) {
  for (auto &t : state_.textures)
    if (t == object) t = nullptr;
  for (auto &s : state_.streams)
    if (s.buffer == object) s = StreamBinding{};
  if (state_.indices == object) state_.indices = nullptr;
  if (state_.declaration == object) state_.declaration = nullptr;
  if (state_.vertexShader == object) state_.vertexShader = nullptr;
  names_.erase(object);
}

HRESULT RecordingDevice::Log(HRESULT hr, const char *method, std::vector<std::string> args) {
  calls_.push_back(RecordedCall{method, std::move(args), hr});
  return hr;
}

void RecordingDevice::SetMaxTextureSize(UINT width, UINT height) {
  maxTextureWidth_ = width;
  maxTextureHeight_ = height;
}

void RecordingDevice::RefuseTextureFormat(D3DFORMAT format) { refusedTextureFormats_.push_back(format); }

size_t RecordingDevice::LiveObjects(const std::string &prefix) const {
  return std::count_if(names_.begin(), names_.end(),
                       [&](const auto &entry) { return entry.second.rfind(prefix, 0) == 0; });
}

size_t RecordingDevice::MadeObjects(const std::string &prefix) const {
  auto it = nameCounters_.find(prefix);
  return it == nameCounters_.end() ? 0 : static_cast<size_t>(it->second);
}

HRESULT RecordingDevice::CreateResult(const char *method) const {
  auto it = createFailures_.find(method);
  return it == createFailures_.end() ? D3D_OK : it->second;
}

std::string RecordingDevice::Name(const void *object) const {
  if (object == nullptr) return "NULL";
  auto it = names_.find(object);
  return it == names_.end() ? "FOREIGN" : it->second;
}

std::string RecordingDevice::Remember(const void *object, const char *prefix) {
  std::string name = prefix + std::to_string(++nameCounters_[prefix]);
  names_[object] = name;
  return name;
}

// ---- device and frame ----

HRESULT RecordingDevice::GetDirect3D(IDirect3D9 **ppD3D9) {
  // A recording device has no Direct3D object behind it.
  if (ppD3D9 != nullptr) *ppD3D9 = nullptr;
  return Log(D3DERR_INVALIDCALL, "GetDirect3D", {});
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS9 *pCaps) {
  if (pCaps == nullptr) return Log(D3DERR_INVALIDCALL, "GetDeviceCaps", {"NULL"});
  *pCaps = D3DCAPS9{D3DDEVTYPE_HAL, 0, maxTextureWidth_, maxTextureHeight_, 8, D3DVS_VERSION(1, 1), 256};
  return Log(D3D_OK, "GetDeviceCaps", {});
}

HRESULT RecordingDevice::Present(const RECT *, const RECT *, HWND, const RGNDATA *) {
  if (inScene_) return Log(D3DERR_INVALIDCALL, "Present", {});
  return Log(D3D_OK, "Present", {});
}

HRESULT RecordingDevice::BeginScene() { return Log(inScene_ ? D3DERR_INVALIDCALL : (inScene_ = true, D3D_OK), "BeginScene", {}); }

HRESULT RecordingDevice::EndScene() {
  return Log(!inScene_ ? D3DERR_INVALIDCALL : (inScene_ = false, D3D_OK), "EndScene", {});
}

HRESULT RecordingDevice::Clear(DWORD Count, const D3DRECT *pRects, DWORD Flags, D3DCOLOR Color, float Z,
                               DWORD Stencil) {
  HRESULT hr = (Count != 0 && pRects == nullptr) || Flags == 0 || (Flags & ~7u) != 0 ? D3DERR_INVALIDCALL : D3D_OK;
  if (hr == D3D_OK && (Flags & D3DCLEAR_TARGET)) FillBackBuffer(Count, pRects, Color);
  return Log(hr, "Clear", {NumArg(Count), pRects ? "RECTS" : "NULL", NumArg(Flags), HexArg(Color), FloatArg(Z), NumArg(Stencil)});
}

// ---- creation ----

// The common path of the Create* methods: the output checked, the failure a test asked for or
// the argument check's, then the object (constructed from `made` after the device), named
// and logged.
template <class Object, class Interface, class... Args>
HRESULT RecordingDevice::Make(const char *method, const char *prefix, std::vector<std::string> args, bool valid,
                              Interface **out, Args... made) {
  if (out == nullptr) return Log(D3DERR_INVALIDCALL, method, args);
  *out = nullptr;
  HRESULT hr = CreateResult(method);
  if (hr == D3D_OK && !valid) hr = D3DERR_INVALIDCALL;
  if (hr != D3D_OK) return Log(hr, method, args);
  Object *object = nullptr;
  try {
    object = new Object(this, made...);
  } catch (const std::bad_alloc &) {
    return Log(E_OUTOFMEMORY, method, args);
  }
  args.push_back(Remember(object, prefix));
  *out = object;
  return Log(D3D_OK, method, args);
}

HRESULT RecordingDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                       D3DPOOL Pool, IDirect3DTexture9 **ppTexture, HANDLE *) {
  const bool refused = std::find(refusedTextureFormats_.begin(), refusedTextureFormats_.end(), Format) !=
                       refusedTextureFormats_.end();
  const bool valid = Width != 0 && Height != 0 && Width <= maxTextureWidth_ && Height <= maxTextureHeight_ &&
                     FormatBytesPerPixel(Format) != 0 && !refused;
  return Make<RecordingTexture>("CreateTexture", "TEX",
                                {NumArg(Width), NumArg(Height), NumArg(Levels), NumArg(Usage), FormatName(Format),
                                 NumArg(Pool)},
                                valid, ppTexture, Width, Height, Levels, Usage, Format, Pool);
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                            IDirect3DVertexBuffer9 **ppVertexBuffer, HANDLE *) {
  return Make<RecordingVertexBuffer>("CreateVertexBuffer", "VB",
                                     {NumArg(Length), NumArg(Usage), HexArg(FVF), NumArg(Pool)}, Length != 0,
                                     ppVertexBuffer, Length, Usage, FVF, Pool);
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DIndexBuffer9 **ppIndexBuffer, HANDLE *) {
  const bool valid = Length != 0 && (Format == D3DFMT_INDEX16 || Format == D3DFMT_INDEX32);
  return Make<RecordingIndexBuffer>("CreateIndexBuffer", "IB",
                                    {NumArg(Length), NumArg(Usage), FormatName(Format), NumArg(Pool)}, valid,
                                    ppIndexBuffer, Length, Usage, Format, Pool);
}

HRESULT RecordingDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9 *pVertexElements,
                                                 IDirect3DVertexDeclaration9 **ppDecl) {
  VertexLayout layout;
  bool valid = LayoutFromDeclaration(pVertexElements, &layout);
  std::vector<std::string> args{NumArg(static_cast<uint64_t>(layout.count)) + " elements"};
  if (ppDecl == nullptr) return Log(D3DERR_INVALIDCALL, "CreateVertexDeclaration", args);
  *ppDecl = nullptr;
  HRESULT hr = CreateResult("CreateVertexDeclaration");
  if (hr == D3D_OK && !valid) hr = D3DERR_INVALIDCALL;
  if (hr != D3D_OK) return Log(hr, "CreateVertexDeclaration", args);
  std::vector<D3DVERTEXELEMENT9> elements(pVertexElements, pVertexElements + layout.count + 1);
  auto *decl = new RecordingDeclaration(this, std::move(elements));
  args.push_back(Remember(decl, "DECL"));
  *ppDecl = decl;
  return Log(D3D_OK, "CreateVertexDeclaration", args);
}

HRESULT RecordingDevice::CreateVertexShader(const DWORD *pFunction, IDirect3DVertexShader9 **ppShader) {
  UINT count = VertexShaderTokenCount(pFunction);
  std::vector<std::string> args{NumArg(count) + " tokens"};
  if (ppShader == nullptr) return Log(D3DERR_INVALIDCALL, "CreateVertexShader", args);
  *ppShader = nullptr;
  HRESULT hr = CreateResult("CreateVertexShader");
  if (hr == D3D_OK && count == 0) hr = D3DERR_INVALIDCALL;
  shader::ShaderProgram program;  // the same refusals as the OpenGL device
  shader::ShaderError error;
  if (hr == D3D_OK && !shader::ValidateVertexShader(pFunction, count, &program, &error)) hr = D3DERR_INVALIDCALL;
  if (hr != D3D_OK) return Log(hr, "CreateVertexShader", args);
  auto *vs = new RecordingShader(this, std::vector<DWORD>(pFunction, pFunction + count));
  args.push_back(Remember(vs, "VS"));
  *ppShader = vs;
  return Log(D3D_OK, "CreateVertexShader", args);
}

HRESULT RecordingDeclaration::GetDeclaration(D3DVERTEXELEMENT9 *elements, UINT *count) {
  if (count == nullptr) return D3DERR_INVALIDCALL;
  UINT n = static_cast<UINT>(elements_.size());
  if (elements != nullptr) std::memcpy(elements, elements_.data(), n * sizeof(D3DVERTEXELEMENT9));
  *count = n;
  return D3D_OK;
}

HRESULT RecordingShader::GetFunction(void *data, UINT *size) {
  return CopyShaderFunction(tokens_, data, size);
}

}  // namespace zel::d3d9
