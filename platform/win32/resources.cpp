// The resource table behind DialogBoxParamA and the dialog's bitmaps.
#include "platform/win32/resources.h"

#include <cstdlib>
#include <map>
#include <utility>

namespace zel::win32 {
namespace {

using Key = std::pair<WORD, WORD>;  // (type id, resource id)

std::map<Key, ResourceBytes>& Table() {
  static std::map<Key, ResourceBytes> table;
  return table;
}

// Integer names only: the program names every resource by number. "#101" is the string
// form of an integer name.
bool IntegerName(LPCSTR name, WORD& id) {
  if (name == nullptr) return false;
  if (IS_INTRESOURCE(name)) {
    id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    return true;
  }
  if (name[0] != '#' || name[1] == '\0') return false;
  char* end = nullptr;
  unsigned long value = std::strtoul(name + 1, &end, 10);
  if (*end != '\0' || value > 0xFFFF) return false;
  id = static_cast<WORD>(value);
  return true;
}

}  // namespace

void RegisterResource(LPCSTR type, WORD id, const void* data, size_t size) {
  WORD typeId = 0;
  if (!IntegerName(type, typeId)) return;
  Table()[{typeId, id}] = ResourceBytes{static_cast<const BYTE*>(data), size};
}

ResourceBytes FindResourceBytes(LPCSTR type, LPCSTR name) {
  WORD typeId = 0, id = 0;
  if (!IntegerName(type, typeId) || !IntegerName(name, id)) return {};
  auto it = Table().find({typeId, id});
  return it == Table().end() ? ResourceBytes{} : it->second;
}

}  // namespace zel::win32
