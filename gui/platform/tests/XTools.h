// Helpers of the X test tools: find a window by its title, grab its image, ask it to close.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

#include "Png.h"

namespace xtools {

// The first window below the root (depth first) whose WM_NAME or _NET_WM_NAME is `title`.
std::optional<::Window> findWindow(Display* display, const std::string& title);

// findWindow, asked again every 50 ms until the window exists or `timeoutMs` has passed.
std::optional<::Window> waitForWindow(Display* display, const std::string& title, int timeoutMs);

// The window's title as WM_NAME and as _NET_WM_NAME (empty when the property is missing).
std::string wmName(Display* display, ::Window window);
std::string netWmName(Display* display, ::Window window);

// The window's client area as an RGB image; std::nullopt when it cannot be read.
std::optional<platform::RgbImage> grab(Display* display, ::Window window);

// Sends the close request of the window manager's close button (WM_DELETE_WINDOW).
void sendClose(Display* display, ::Window window);

// Milliseconds of a steady clock, for the tools' bounded waits.
long nowMs();
void sleepMs(int ms);

}  // namespace xtools
