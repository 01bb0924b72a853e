#include "framepaint.h"

#include "decode.h"

namespace {

constexpr int kShownWidth = 384;
constexpr int kShownHeight = 280;

// 24 bits per pixel at 384 pixels makes rows 1152 bytes long, already a multiple of 4, so the
// frame buffer is a device-independent bitmap as it stands. The negative height makes it
// top-down, as the frame is stored.
BITMAPINFOHEADER frameHeader() {
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof(BITMAPINFOHEADER);
  bih.biWidth = kShownWidth;
  bih.biHeight = -kShownHeight;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biCompression = BI_RGB;
  return bih;
}

static_assert(kShownWidth * 3 % 4 == 0, "DIB rows are padded to 4 bytes; the frame's are not");

}  // namespace

void paintFrame(HWND hwnd, const unsigned char* frame) {
  PAINTSTRUCT ps;
  HDC myhdc = BeginPaint(hwnd, &ps);
  if (frame != nullptr) {
    HDC fromhdc = CreateCompatibleDC(myhdc);
    BITMAPINFOHEADER bih = frameHeader();
    HBITMAP dyuvasbmp = CreateDIBitmap(myhdc, &bih, CBM_INIT, frame,
                                       reinterpret_cast<const BITMAPINFO*>(&bih), DIB_RGB_COLORS);
    HGDIOBJ hbmpold = SelectObject(fromhdc, dyuvasbmp);
    BitBlt(myhdc, 0, 0, kShownWidth, kShownHeight, fromhdc, 0, 0, SRCCOPY);
    SelectObject(fromhdc, hbmpold);
    DeleteObject(dyuvasbmp);
    DeleteDC(fromhdc);
  }
  EndPaint(hwnd, &ps);
}
