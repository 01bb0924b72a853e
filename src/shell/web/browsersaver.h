#pragma once

// Saving in the browser: the core hands the picture over, the page encodes it as PNG with the
// browser's own encoder and offers it as a download of the name given here. Nothing is written
// by the core, so a save cannot fail here; the page says so when the browser refuses.

#include "viewerplatform.h"

class BrowserSaver final : public PictureSaver {
 public:
  // The download's name: the last part of the stem, with ".png" (the browser itself picks
  // "NAME (1).png" when the name is taken in the download folder).
  SaveResult save(const RgbImage& image, const std::string& name) override;

  // The picture of the last save not yet taken by the page, as red, green, blue, alpha; null when
  // none waits.
  const RgbImage* pending() const { return pending_ ? &image_ : nullptr; }
  const std::string& name() const { return name_; }
  void taken() { pending_ = false, image_ = RgbImage{}; }

 private:
  RgbImage image_;
  std::string name_;
  bool pending_ = false;
};

// The file name of a save named `name` in the browser: its last path part (after '/' or '\').
std::string downloadName(const std::string& name);
