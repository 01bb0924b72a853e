#pragma once

// The desktop's scale as X11 desktops publish it: GDK_SCALE (a whole factor) when it is set,
// otherwise the Xft.dpi resource of the display's RESOURCE_MANAGER; 96 when neither says.
int desktopDpi();
