#include "viewpaint.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kPadding = 6;     // at 96 dpi
constexpr int kTextPoints = 8;  // the size of the stock GUI font
constexpr COLORREF kBoxColour = RGB(32, 32, 32);
constexpr COLORREF kTextColour = RGB(255, 255, 255);

// The rows of the picture that the layout shows, as a device-independent bitmap: blue, green,
// red, rows padded to 4 bytes. The classic frame is one already (rows of 1152 bytes) and is used
// as it stands; the accurate picture (red first) is copied.
struct DibRows {
  const void* bits = nullptr;
  BITMAPINFO info{};
  std::vector<BYTE> copy;
};

DibRows dibRows(const PictureView& view) {
  const Rect& source = view.layout.source;
  DibRows dib;
  const std::uint8_t* first = view.pixels + static_cast<std::size_t>(source.y) * view.pitch;
  const std::size_t stride = (static_cast<std::size_t>(view.width) * 3 + 3) / 4 * 4;
  if (view.bgr && view.pitch == stride) {
    dib.bits = first;
  } else {
    dib.copy.resize(stride * static_cast<std::size_t>(source.height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(source.height); ++y) {
      const std::uint8_t* from = first + y * view.pitch;
      BYTE* to = dib.copy.data() + y * stride;
      for (std::size_t x = 0; x < static_cast<std::size_t>(view.width) * 3; x += 3) {
        to[x] = from[view.bgr ? x : x + 2];
        to[x + 1] = from[x + 1];
        to[x + 2] = from[view.bgr ? x + 2 : x];
      }
    }
    dib.bits = dib.copy.data();
  }
  BITMAPINFOHEADER& header = dib.info.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = view.width;
  // Top-down, and only the rows shown: the source rectangle then starts at row 0, which reads
  // the same whichever corner a driver counts from.
  header.biHeight = -source.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  return dib;
}

void paintPicture(HDC hdc, const PictureView& view) {
  const Rect& from = view.layout.source;
  const Rect& to = view.layout.destination;
  const DibRows dib = dibRows(view);
  SetStretchBltMode(hdc, COLORONCOLOR);  // nearest neighbour, no blending
  StretchDIBits(hdc, to.x, to.y, to.width, to.height, from.x, 0, from.width, from.height, dib.bits,
                &dib.info, DIB_RGB_COLORS, SRCCOPY);
}

std::wstring wide(const std::string& utf8) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
  return text;
}

// The stock GUI font at `points` on a desktop of `dpi`; owned by the caller.
HFONT textFont(int points, int dpi) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -MulDiv(points, dpi, 72);
  font.lfWidth = 0;
  return CreateFontIndirectW(&font);
}

enum class Place { top, bottom, centre };

// Lines of text in a dark box: across the client area at its top or its bottom, or as wide as
// the text in its centre, where the first line is one and a half times as large. A line too long
// for the window wraps, inside a word if it has to (a path has few blanks).
void paintTextBox(HDC hdc, const RECT& client, const std::vector<std::string>& lines, Place place,
                  int dpi) {
  if (lines.empty()) return;
  constexpr UINT kFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
  const int padding = MulDiv(kPadding, dpi, 96);
  HFONT font = textFont(kTextPoints, dpi);
  HFONT large = place == Place::centre ? textFont(kTextPoints * 3 / 2, dpi) : nullptr;
  HGDIOBJ oldFont = SelectObject(hdc, font);
  std::vector<std::wstring> texts;
  std::vector<int> heights;
  int height = 2 * padding;
  LONG width = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SelectObject(hdc, i == 0 && large != nullptr ? large : font);
    texts.push_back(wide(lines[i]));
    RECT measured{0, 0, std::max<LONG>(client.right - 2 * padding, 1), 0};
    heights.push_back(DrawTextW(hdc, texts.back().c_str(), static_cast<int>(texts.back().size()),
                                &measured, kFormat | DT_CALCRECT));
    height += heights.back();
    width = std::max(width, measured.right);
  }
  RECT box{0, place == Place::top ? 0 : client.bottom - height, client.right,
           place == Place::top ? height : client.bottom};
  if (place == Place::centre) {
    box = {(client.right - width) / 2 - padding, (client.bottom - height) / 2,
           (client.right + width) / 2 + padding, (client.bottom + height) / 2};
  }
  HBRUSH brush = CreateSolidBrush(kBoxColour);
  FillRect(hdc, &box, brush);
  DeleteObject(brush);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, kTextColour);
  RECT line{box.left + padding, box.top + padding, box.right - padding, 0};
  const UINT align = place == Place::centre ? DT_CENTER : DT_LEFT;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SelectObject(hdc, i == 0 && large != nullptr ? large : font);
    line.bottom = line.top + heights[i];
    DrawTextW(hdc, texts[i].c_str(), static_cast<int>(texts[i].size()), &line, kFormat | align);
    line.top = line.bottom;
  }
  SelectObject(hdc, oldFont);
  DeleteObject(font);
  if (large != nullptr) DeleteObject(large);
}

}  // namespace

void paintView(HWND hwnd, const ViewerCore& core) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  const PictureView view = core.view();
  const Rect& to = view.layout.destination;
  const bool picture = view.pixels != nullptr && view.layout.source.width > 0 &&
                       view.layout.source.height > 0 && to.width > 0 && to.height > 0;
  // Grey only where the picture does not go: painting it twice would flicker.
  const int saved = SaveDC(hdc);
  if (picture) ExcludeClipRect(hdc, to.x, to.y, to.x + to.width, to.y + to.height);
  FillRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  RestoreDC(hdc, saved);
  if (picture) paintPicture(hdc, view);
  paintTextBox(hdc, client, core.emptyHint(), Place::centre, core.dpi());
  paintTextBox(hdc, client, core.panelText(), Place::bottom, core.dpi());
  if (!core.message().empty()) paintTextBox(hdc, client, {core.message()}, Place::top, core.dpi());
  EndPaint(hwnd, &ps);
}
