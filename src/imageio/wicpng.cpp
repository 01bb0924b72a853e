#include "wicpng.h"

#include <wincodec.h>
#include <windows.h>

#include <cstring>

namespace {

// Holds one COM interface and releases it.
template <class T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* operator->() const { return p_; }
  T** put() { return &p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread, for as long as the encoder needs it; a thread that has it already
// keeps it as it is.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

std::string failure(const char* what, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(result));
  return std::string("cannot encode PNG: ") + what + " failed (error 0x" + code + ")";
}

// WIC's PNG encoder takes blue-green-red rows; each row here is width * 3 bytes.
std::vector<BYTE> bgrRows(const RgbImage& image) {
  std::vector<BYTE> bgr(image.rgb.begin(), image.rgb.end());
  for (std::size_t i = 0; i + 2 < bgr.size(); i += 3)
    std::swap(bgr[i], bgr[i + 2]);
  return bgr;
}

}  // namespace

std::vector<std::uint8_t> encodePngWithWic(const RgbImage& image, std::string& error) {
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != stride * static_cast<std::size_t>(image.height)) {
    error = "cannot encode PNG: no picture";
    return {};
  }
  ComScope com;
  Com<IWICImagingFactory> factory;
  Com<IStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  std::vector<BYTE> bgr = bgrRows(image);
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.put()));
  const char* step = "creating the imaging factory";
  const auto next = [&](const char* what, HRESULT result) {
    if (SUCCEEDED(hr)) hr = result, step = what;
  };
  if (SUCCEEDED(hr))
    next("making a memory stream", CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
  if (SUCCEEDED(hr)) {
    next("creating the PNG encoder",
         factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()));
  }
  if (SUCCEEDED(hr))
    next("starting the file", encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
  if (SUCCEEDED(hr)) next("adding the picture", encoder->CreateNewFrame(frame.put(), nullptr));
  if (SUCCEEDED(hr)) next("starting the picture", frame->Initialize(nullptr));
  if (SUCCEEDED(hr)) {
    next("setting the size",
         frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height)));
  }
  if (SUCCEEDED(hr)) next("setting the pixel format", frame->SetPixelFormat(&format));
  if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    error = "cannot encode PNG: the encoder does not take 24-bit pixels";
    return {};
  }
  if (SUCCEEDED(hr)) {
    next("writing the pixels",
         frame->WritePixels(static_cast<UINT>(image.height), static_cast<UINT>(stride),
                            static_cast<UINT>(bgr.size()), bgr.data()));
  }
  if (SUCCEEDED(hr)) next("ending the picture", frame->Commit());
  if (SUCCEEDED(hr)) next("ending the file", encoder->Commit());
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (SUCCEEDED(hr)) next("reading the stream", GetHGlobalFromStream(stream.get(), &memory));
  if (SUCCEEDED(hr)) next("measuring the stream", stream->Stat(&stat, STATFLAG_NONAME));
  if (FAILED(hr)) {
    error = failure(step, hr);
    return {};
  }
  // The stream's memory may be larger than what was written into it.
  const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
  const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(memory));
  if (bytes == nullptr || GlobalSize(memory) < size) {
    error = "cannot encode PNG: the encoded file cannot be read back";
    return {};
  }
  std::vector<std::uint8_t> png(bytes, bytes + size);
  GlobalUnlock(memory);
  return png;
}
