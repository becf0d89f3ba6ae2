#include "platform/win32/dialog_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/dialog_units.h"
#include "platform/win32/resources.h"

namespace zel::win32 {

namespace {


// Builds template bytes field by field.
struct Bytes {
  std::vector<BYTE> b;
  Bytes& W(unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8 & 0xFF);
    return *this;
  }
  Bytes& D(unsigned v) { return W(v & 0xFFFF).W(v >> 16); }
  Bytes& S(const std::u16string& s) {
    for (char16_t c : s) W(c);
    return W(0);
  }
  Bytes& Align() {
    while (b.size() % 4) b.push_back(0);
    return *this;
  }
};

Bytes OneButtonTemplate(const std::u16string& title) {
  Bytes t;
  t.W(1).W(0xFFFF).D(0).D(0).D(0x80C808C0).W(1).W(0).W(0).W(100).W(50).W(0).W(0).S(title);
  t.W(8).W(400).W(0).S(u"MS Sans Serif");  // italic and charset are one WORD here
  t.Align().D(0).D(0).D(0x50010001).W(5).W(6).W(40).W(14).D(1).W(0xFFFF).W(0x80).S(u"OK").W(0);
  return t;
}

TEST(DialogTemplate, ReadsHeaderFontAndItems) {
  Bytes t = OneButtonTemplate(u"Caf\u00e9 \U0001F600");
  DialogTemplate tpl;
  DialogParseResult r = ParseDialogTemplateEx(t.b.data(), t.b.size(), tpl);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(tpl.title, "Caf\xC3\xA9 \xF0\x9F\x98\x80");  // UTF-16 surrogates to UTF-8
  EXPECT_EQ(tpl.typeface, "MS Sans Serif");
  EXPECT_EQ(tpl.cx, 100);
  ASSERT_EQ(tpl.items.size(), 1u);
  EXPECT_EQ(tpl.items[0].id, 1);
  EXPECT_TRUE(tpl.items[0].windowClass.isOrdinal);
  EXPECT_EQ(tpl.items[0].windowClass.ordinal, kClassButton);
  EXPECT_EQ(tpl.items[0].title.text, "OK");
  EXPECT_EQ(tpl.items[0].x, 5);
}

TEST(DialogTemplate, EveryTruncationIsAnErrorNotAnOverread) {
  Bytes t = OneButtonTemplate(u"T");
  for (size_t n = 0; n < t.b.size(); ++n) {
    std::vector<BYTE> cut(t.b.begin(), t.b.begin() + n);  // exact size: ASan sees overreads
    DialogTemplate tpl;
    DialogParseResult r = ParseDialogTemplateEx(cut.data(), cut.size(), tpl);
    EXPECT_FALSE(r.ok) << n;
    EXPECT_NE(r.error.find("truncated"), std::string::npos) << n << ": " << r.error;
  }
}

TEST(DialogTemplate, RejectsOtherFormatsAndAbsurdCounts) {
  Bytes t = OneButtonTemplate(u"T");
  DialogTemplate tpl;
  std::vector<BYTE> old = t.b;
  old[2] = 0;  // signature 0xFF00: not the extended form
  EXPECT_FALSE(ParseDialogTemplateEx(old.data(), old.size(), tpl).ok);
  std::vector<BYTE> many = t.b;
  many[16] = 0xFF;  // cDlgItems = 0x??FF
  many[17] = 0xFF;
  DialogParseResult r = ParseDialogTemplateEx(many.data(), many.size(), tpl);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(ParseDialogTemplateEx(nullptr, 100, tpl).ok);
}

TEST(DialogUnits, ConvertWithRoundingFromBaseUnits) {
  DialogBaseUnits base{6, 13};  // MS Sans Serif 8 pt at 96 dpi
  EXPECT_EQ(DialogUnitsToPixelsX(204, base), 306);
  EXPECT_EQ(DialogUnitsToPixelsY(110, base), 179);  // 178.75 rounds up
  EXPECT_EQ(DialogUnitsToPixelsY(215, base), 349);  // 349.375
  EXPECT_EQ(DialogUnitsToPixelsX(-6, base), -9);
  EXPECT_EQ(AverageCharWidth(312), 6);  // 52 letters of 6 px
  EXPECT_EQ(AverageCharWidth(338), 7);  // 6.5 rounds up
}

TEST(Resources, FoundByIntegerOrStringNameOnly) {
  static const BYTE data[] = {1, 2, 3};
  RegisterResource(RT_BITMAP, 7, data, sizeof data);
  EXPECT_EQ(FindResourceBytes(RT_BITMAP, MAKEINTRESOURCEA(7)).size, 3u);
  EXPECT_EQ(FindResourceBytes(RT_BITMAP, "#7").data, data);
  EXPECT_EQ(FindResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(7)).data, nullptr);
  EXPECT_EQ(FindResourceBytes(RT_BITMAP, "#7x").data, nullptr);
  EXPECT_EQ(FindResourceBytes(RT_BITMAP, "seven").data, nullptr);
  EXPECT_EQ(FindResourceBytes(RT_BITMAP, nullptr).data, nullptr);
}

}  // namespace

}  // namespace zel::win32
