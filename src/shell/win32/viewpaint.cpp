#include "viewpaint.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kPadding = 6;
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

// Lines of text in a dark box across the client area, at its top or its bottom. A line too long
// for the window wraps, inside a word if it has to (a path has few blanks).
void paintTextBox(HDC hdc, const RECT& client, const std::vector<std::string>& lines, bool top) {
  if (lines.empty()) return;
  constexpr UINT kFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
  HGDIOBJ oldFont = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
  std::vector<std::wstring> texts;
  std::vector<int> heights;
  int height = 2 * kPadding;
  for (const std::string& line : lines) {
    texts.push_back(wide(line));
    RECT measured{0, 0, std::max<LONG>(client.right - 2 * kPadding, 1), 0};
    heights.push_back(DrawTextW(hdc, texts.back().c_str(), static_cast<int>(texts.back().size()),
                                &measured, kFormat | DT_CALCRECT));
    height += heights.back();
  }
  RECT box{0, top ? 0 : client.bottom - height, client.right, top ? height : client.bottom};
  HBRUSH brush = CreateSolidBrush(kBoxColour);
  FillRect(hdc, &box, brush);
  DeleteObject(brush);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, kTextColour);
  RECT line{kPadding, box.top + kPadding, client.right - kPadding, 0};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    line.bottom = line.top + heights[i];
    DrawTextW(hdc, texts[i].c_str(), static_cast<int>(texts[i].size()), &line, kFormat);
    line.top = line.bottom;
  }
  SelectObject(hdc, oldFont);
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
  paintTextBox(hdc, client, core.panelText(), false);
  if (!core.message().empty()) paintTextBox(hdc, client, {core.message()}, true);
  EndPaint(hwnd, &ps);
}
