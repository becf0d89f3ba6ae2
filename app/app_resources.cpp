// The program's resources: the setup dialog template (101) and the dialog's picture (115).
// The picture is the one the data generator writes into the build tree when it is there;
// otherwise a picture drawn here: a dusk gradient over a receding grid with "ZEL 16" in
// block letters.
#include <zel_win32_ext.h>

#include <cstdint>
#include <vector>

#include "app/demo_app.h"
#include "app/setup_dialog_template.h"

#if defined(ZEL16_HAVE_GENERATED_BITMAP115)
#include "bitmap115.h"
#endif

namespace {

constexpr WORD kSetupDialogId = 101;
constexpr WORD kPictureId = 115;
constexpr int kPictureWidth = 304;   // pixels
constexpr int kPictureHeight = 176;

// 5x7 block letters, one string per row, '#' set.
struct Glyph {
  char c;
  const char* rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'1', {"  #  ", " ##  ", "# #  ", "  #  ", "  #  ", "  #  ", "#####"}},
    {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
};

struct Canvas {
  std::vector<uint8_t> rgb = std::vector<uint8_t>(kPictureWidth * kPictureHeight * 3);
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= kPictureWidth || y >= kPictureHeight) return;
    uint8_t* p = &rgb[(y * kPictureWidth + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
};

void PaintBackground(Canvas& canvas) {
  const int horizon = kPictureHeight * 3 / 5;
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      if (y < horizon) {  // sky: deep blue at the top to violet at the horizon
        int k = y * 255 / horizon;
        canvas.Set(x, y, static_cast<uint8_t>(20 + k / 2), static_cast<uint8_t>(8 + k / 8),
                   static_cast<uint8_t>(60 + k / 3));
        continue;
      }
      // Ground: a grid whose lines converge on the centre of the horizon.
      int depth = y - horizon + 1;
      int across = (x - kPictureWidth / 2) * 16 / depth;
      bool line = (across % 16 == 0) || ((1600 / depth) % 12 == 0);
      canvas.Set(x, y, line ? 230 : 16, line ? 60 : 4, line ? 200 : 30);
    }
  }
}

void PaintText(Canvas& canvas, const char* text, int scale) {
  int length = 0;
  while (text[length]) ++length;
  int x0 = (kPictureWidth - length * 6 * scale) / 2;
  int y0 = kPictureHeight * 3 / 5 - 9 * scale;
  for (int i = 0; i < length; ++i) {
    for (const Glyph& glyph : kGlyphs) {
      if (glyph.c != text[i]) continue;
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (glyph.rows[row][col] == '#')
            for (int dy = 0; dy < scale; ++dy)
              for (int dx = 0; dx < scale; ++dx) {
                int x = x0 + (i * 6 + col) * scale + dx, y = y0 + row * scale + dy;
                canvas.Set(x + 2, y + 2, 10, 0, 20);  // drop shadow
                canvas.Set(x, y, 255, static_cast<uint8_t>(200 - row * 20), 90);
              }
    }
  }
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The picture as a bitmap resource: BITMAPINFOHEADER, then the rows bottom-up in BGR.
[[maybe_unused]] std::vector<uint8_t> DrawnPicture() {
  Canvas canvas;
  PaintBackground(canvas);
  PaintText(canvas, "ZEL 16", 7);
  const uint32_t stride = (kPictureWidth * 3 + 3) & ~3u;
  std::vector<uint8_t> dib;
  Put32(dib, 40);  // biSize
  Put32(dib, kPictureWidth);
  Put32(dib, kPictureHeight);
  Put32(dib, 1 | 24 << 16);  // biPlanes 1, biBitCount 24
  Put32(dib, 0);             // BI_RGB
  Put32(dib, stride * kPictureHeight);
  for (int i = 0; i < 4; ++i) Put32(dib, 0);  // resolution and palette: none
  for (int y = kPictureHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const uint8_t* p = &canvas.rgb[(y * kPictureWidth + x) * 3];
      dib.insert(dib.end(), {p[2], p[1], p[0]});
    }
    dib.resize(dib.size() + (stride - kPictureWidth * 3), 0);
  }
  return dib;
}

}  // namespace

void RegisterAppResources() {
  zel::win32::RegisterResource(RT_DIALOG, kSetupDialogId, kSetupDialogTemplate,
                               sizeof kSetupDialogTemplate);
#if defined(ZEL16_HAVE_GENERATED_BITMAP115)
  zel::win32::RegisterResource(RT_BITMAP, kPictureId, kBitmap115, sizeof kBitmap115);
#else
  static const std::vector<uint8_t> picture = DrawnPicture();
  zel::win32::RegisterResource(RT_BITMAP, kPictureId, picture.data(), picture.size());
#endif
}
