#include "picturepaint.h"

#include <vector>

#include "accurateview.h"

namespace {

// The picture as a 24-bit DIB: blue-green-red, rows padded to 4 bytes.
std::vector<unsigned char> dibRows(const AccuratePicture& picture, std::size_t stride) {
  std::vector<unsigned char> dib(stride * static_cast<std::size_t>(picture.height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(picture.height); ++y) {
    const unsigned char* from = picture.rgb.data() + y * picture.rowBytes();
    unsigned char* to = dib.data() + y * stride;
    for (std::size_t x = 0; x < static_cast<std::size_t>(picture.width); ++x) {
      to[3 * x] = from[3 * x + 2];
      to[3 * x + 1] = from[3 * x + 1];
      to[3 * x + 2] = from[3 * x];
    }
  }
  return dib;
}

}  // namespace

void paintPicture(HWND hwnd, const AccuratePicture& picture) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  const ViewSize shown = fitWithin(picture.width, picture.height, client.right, client.bottom);
  const std::size_t stride = (picture.rowBytes() + 3) / 4 * 4;
  if (shown.width > 0 && shown.height > 0 &&
      picture.rgb.size() >= picture.rowBytes() * static_cast<std::size_t>(picture.height)) {
    const std::vector<unsigned char> dib = dibRows(picture, stride);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(hdc, HALFTONE);  // averages when scaling down, rather than dropping rows
    SetBrushOrgEx(hdc, 0, 0, nullptr);
    StretchDIBits(hdc, 0, 0, shown.width, shown.height, 0, 0, picture.width, picture.height,
                  dib.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(hwnd, &ps);
}
