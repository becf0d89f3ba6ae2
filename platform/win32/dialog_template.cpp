// DLGTEMPLATEEX: little-endian WORDs and DWORDs, UTF-16 strings ending in a zero WORD,
// each item record starting on a DWORD boundary from the start of the template.
#include "platform/win32/dialog_template.h"

namespace zel::win32 {
namespace {

constexpr WORD kDialogVersion = 1;
constexpr WORD kExtendedSignature = 0xFFFF;
constexpr size_t kMaxItems = 1024;       // far more than any dialog holds
constexpr size_t kMaxStringUnits = 4096; // UTF-16 units in one string

class Reader {
 public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool Word(WORD& value) {
    if (size_ - pos_ < 2) return Fail("truncated (WORD)");
    value = static_cast<WORD>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool Short(short& value) {
    WORD w = 0;
    if (!Word(w)) return false;
    value = static_cast<short>(w);
    return true;
  }
  bool Dword(DWORD& value) {
    WORD lo = 0, hi = 0;
    if (!Word(lo) || !Word(hi)) return false;
    value = lo | static_cast<DWORD>(hi) << 16;
    return true;
  }
  bool Byte(BYTE& value) {
    if (size_ - pos_ < 1) return Fail("truncated (BYTE)");
    value = data_[pos_++];
    return true;
  }
  bool String(std::string& out) {
    std::u16string units;
    for (;;) {
      WORD unit = 0;
      if (!Word(unit)) return false;
      if (unit == 0) break;
      if (units.size() >= kMaxStringUnits) return Fail("string too long");
      units.push_back(static_cast<char16_t>(unit));
    }
    out = Utf8(units);
    return true;
  }
  bool NameOrOrdinal(SzOrOrd& out) {
    if (size_ - pos_ < 2) return Fail("truncated (name)");
    WORD first = static_cast<WORD>(data_[pos_] | data_[pos_ + 1] << 8);
    if (first == 0xFFFF) {
      pos_ += 2;
      out.isOrdinal = true;
      return Word(out.ordinal);
    }
    return String(out.text);
  }
  bool Bytes(size_t count, std::vector<BYTE>& out) {
    if (size_ - pos_ < count) return Fail("truncated (creation data)");
    out.assign(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return true;
  }
  bool AlignDword() {
    size_t aligned = (pos_ + 3) & ~size_t{3};
    if (aligned > size_) return Fail("truncated (alignment)");
    pos_ = aligned;
    return true;
  }
  bool Fail(const char* what) {
    if (error_.empty()) error_ = what;
    return false;
  }
  size_t Pos() const { return pos_; }
  const std::string& Error() const { return error_; }

 private:
  static void Append(std::string& s, char32_t c) {
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | c >> 6);
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | c >> 12);
      s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | c >> 18);
      s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  // Unpaired surrogates become U+FFFD rather than invalid UTF-8.
  static std::string Utf8(const std::u16string& units) {
    std::string s;
    for (size_t i = 0; i < units.size(); ++i) {
      char32_t c = units[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
      } else if (c >= 0xD800 && c < 0xE000) {
        c = 0xFFFD;
      }
      Append(s, c);
    }
    return s;
  }

  const BYTE* data_;
  size_t size_;
  size_t pos_ = 0;
  std::string error_;
};

bool ReadItem(Reader& r, DialogItem& item) {
  DWORD id = 0;
  WORD extra = 0;
  if (!r.AlignDword() || !r.Dword(item.helpId) || !r.Dword(item.exStyle) || !r.Dword(item.style) ||
      !r.Short(item.x) || !r.Short(item.y) || !r.Short(item.cx) || !r.Short(item.cy) ||
      !r.Dword(id) || !r.NameOrOrdinal(item.windowClass) || !r.NameOrOrdinal(item.title) ||
      !r.Word(extra) || !r.Bytes(extra, item.creationData))
    return false;
  item.id = (id == 0xFFFFFFFF || id == 0xFFFF) ? -1 : static_cast<int>(id);
  return true;
}

}  // namespace

DialogParseResult ParseDialogTemplateEx(const BYTE* data, size_t size, DialogTemplate& out) {
  DialogParseResult result;
  out = DialogTemplate{};
  if (data == nullptr) size = 0;
  Reader r(data, size);
  WORD version = 0, signature = 0, count = 0;
  bool ok = r.Word(version) && r.Word(signature);
  if (ok && (version != kDialogVersion || signature != kExtendedSignature))
    ok = r.Fail("not an extended dialog template");
  ok = ok && r.Dword(out.helpId) && r.Dword(out.exStyle) && r.Dword(out.style) && r.Word(count) &&
       r.Short(out.x) && r.Short(out.y) && r.Short(out.cx) && r.Short(out.cy) &&
       r.NameOrOrdinal(out.menu) && r.NameOrOrdinal(out.windowClass) && r.String(out.title);
  if (ok && count > kMaxItems) ok = r.Fail("too many items");
  if (ok && (out.style & (DS_SETFONT))) {
    BYTE italic = 0;
    ok = r.Word(out.pointSize) && r.Word(out.weight) && r.Byte(italic) && r.Byte(out.charset) &&
         r.String(out.typeface);
    out.italic = italic != 0;
  }
  for (WORD i = 0; ok && i < count; ++i) {
    DialogItem item;
    ok = ReadItem(r, item);
    if (ok) out.items.push_back(std::move(item));
  }
  result.ok = ok;
  result.offset = r.Pos();
  if (!ok) result.error = r.Error() + " at byte " + std::to_string(r.Pos());
  return result;
}

}  // namespace zel::win32
