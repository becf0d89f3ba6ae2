// Reader of extended dialog templates (DLGTEMPLATEEX followed by DLGITEMTEMPLATEEX records),
// the binary form in which a dialog resource is kept. It checks every length against the
// buffer and never reads past it; it knows nothing about widgets.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zel::win32 {

// A name that is either a number (0xFFFF prefix in the template) or a string.
struct SzOrOrd {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::string text;  // UTF-8
  bool Empty() const { return !isOrdinal && text.empty(); }
};

// The predefined window classes, by their ordinal in a template.
enum : WORD {
  kClassButton = 0x0080,
  kClassEdit = 0x0081,
  kClassStatic = 0x0082,
};

struct DialogItem {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  int id = 0;                          // -1 for "no id" (0xFFFF or 0xFFFFFFFF)
  SzOrOrd windowClass;
  SzOrOrd title;                       // for SS_BITMAP: the bitmap resource ordinal
  std::vector<BYTE> creationData;
};

struct DialogTemplate {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  SzOrOrd menu;
  SzOrOrd windowClass;
  std::string title;
  WORD pointSize = 0;  // with DS_SETFONT
  WORD weight = 0;
  bool italic = false;
  BYTE charset = 0;
  std::string typeface;
  std::vector<DialogItem> items;
};

struct DialogParseResult {
  bool ok = false;
  std::string error;  // with the byte offset where reading stopped
  size_t offset = 0;
};

DialogParseResult ParseDialogTemplateEx(const BYTE* data, size_t size, DialogTemplate& out);

}  // namespace zel::win32
