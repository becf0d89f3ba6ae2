// D3DXCreateBuffer, D3DXAssembleShader and D3DXAssembleShaderFromFileA: argument checks,
// #include through the caller's handler or the file system, and the shader and error
// buffers, around the shader library's preprocessor and assembler.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "gfxutil/shader.h"
#include "shader/assembler.h"
#include "shader/source_files.h"

namespace {

class Buffer final : public ID3DXBuffer {
 public:
  explicit Buffer(DWORD size) : bytes_(size) {}
  HRESULT WINAPI QueryInterface(REFIID, void **ppvObject) override {
    if (ppvObject) *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++refs_; }
  ULONG WINAPI Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID WINAPI GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
  DWORD WINAPI GetBufferSize() override { return DWORD(bytes_.size()); }

 private:
  ~Buffer() = default;
  std::vector<unsigned char> bytes_;
  std::atomic<ULONG> refs_{1};
};

HRESULT MakeBuffer(const void *data, size_t size, LPD3DXBUFFER *out) {
  Buffer *buffer = new (std::nothrow) Buffer(DWORD(size));
  if (!buffer) return E_OUTOFMEMORY;
  if (size && data) std::memcpy(buffer->GetBufferPointer(), data, size);
  *out = buffer;
  return S_OK;
}

// Opens includes through the caller's ID3DXInclude, or from the file system relative to the
// including file when there is none. What the handler hands over is held to the same size
// limit as a file.
zel::shader::IncludeOpener MakeOpener(LPD3DXINCLUDE include) {
  if (!include) return zel::shader::FileSystemIncludes();
  return [include](const zel::shader::IncludeRequest &request, std::string *text, std::string *resolved,
                   std::string *error) {
    LPCVOID data = nullptr;
    UINT bytes = 0;
    if (FAILED(include->Open(request.system ? D3DXINC_SYSTEM : D3DXINC_LOCAL, request.name.c_str(), nullptr, &data,
                             &bytes))) {
      *error = "the include handler refused it";
      return false;
    }
    const bool usable = (data || !bytes) && bytes <= request.maxBytes;
    if (usable) text->assign(static_cast<const char *>(data), bytes);
    include->Close(data);
    if (!usable) {
      *error = data ? "is larger than " + std::to_string(request.maxBytes) + " bytes" : "the include handler gave no data";
      return false;
    }
    *resolved = request.name;
    return true;
  };
}

HRESULT Assemble(const std::string &text, const std::string &name, const D3DXMACRO *defines, LPD3DXINCLUDE include,
                 DWORD flags, LPD3DXBUFFER *ppShader, LPD3DXBUFFER *ppErrorMsgs) {
  std::vector<std::pair<std::string, std::string>> macros;
  for (const D3DXMACRO *m = defines; m && m->Name; ++m) macros.emplace_back(m->Name, m->Definition ? m->Definition : "");
  zel::shader::AssembleOptions options;
  options.debugInfo = (flags & D3DXSHADER_DEBUG) != 0;
  std::vector<uint32_t> tokens;
  std::vector<std::string> errors;
  if (!zel::shader::AssembleSource(text, name, macros, MakeOpener(include), options, &tokens, &errors)) {
    if (ppErrorMsgs) {
      std::string joined;
      for (const std::string &e : errors) joined += e + "\n";
      MakeBuffer(joined.c_str(), joined.size() + 1, ppErrorMsgs);
    }
    return D3DXERR_INVALIDDATA;
  }
  if (!ppShader) return S_OK;  // assembled and checked, nothing asked for
  return MakeBuffer(tokens.data(), tokens.size() * sizeof(uint32_t), ppShader);
}

}  // namespace

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER *ppBuffer) {
  if (!ppBuffer) return D3DERR_INVALIDCALL;
  return MakeBuffer(nullptr, NumBytes, ppBuffer);
}

HRESULT WINAPI D3DXAssembleShader(LPCSTR pSrcData, UINT SrcDataLen, const D3DXMACRO *pDefines,
                                  LPD3DXINCLUDE pInclude, DWORD Flags, LPD3DXBUFFER *ppShader,
                                  LPD3DXBUFFER *ppErrorMsgs) {
  if (ppShader) *ppShader = nullptr;
  if (ppErrorMsgs) *ppErrorMsgs = nullptr;
  if (Flags >= 4 || (!pSrcData && SrcDataLen)) return D3DERR_INVALIDCALL;
  // Text past the preprocessor's limit is refused before it is copied.
  const size_t length = std::min<size_t>(SrcDataLen, zel::shader::kMaxSourceFileBytes + 1);
  return Assemble(std::string(pSrcData ? pSrcData : "", length), "memory", pDefines, pInclude, Flags, ppShader,
                  ppErrorMsgs);
}

HRESULT WINAPI D3DXAssembleShaderFromFileA(LPCSTR pSrcFile, const D3DXMACRO *pDefines, LPD3DXINCLUDE pInclude,
                                           DWORD Flags, LPD3DXBUFFER *ppShader, LPD3DXBUFFER *ppErrorMsgs) {
  if (ppShader) *ppShader = nullptr;
  if (ppErrorMsgs) *ppErrorMsgs = nullptr;
  if (Flags >= 4 || !pSrcFile) return D3DERR_INVALIDCALL;
  std::string text, error;
  if (!zel::shader::ReadSourceFile(pSrcFile, zel::shader::kMaxSourceFileBytes, &text, &error)) {
    if (ppErrorMsgs) {
      const std::string message = std::string(pSrcFile) + "(0): " + error + "\n";
      MakeBuffer(message.c_str(), message.size() + 1, ppErrorMsgs);
    }
    return D3DXERR_INVALIDDATA;
  }
  return Assemble(text, pSrcFile, pDefines, pInclude, Flags, ppShader, ppErrorMsgs);
}
