// Putting text on the desktop's clipboard from a console program.
#pragma once

#include <string>

namespace mevlo {

// Puts `text` on the clipboard of the running desktop session so that it can
// still be pasted after this program has ended. On Wayland (WAYLAND_DISPLAY set)
// the text is handed to wl-copy, on X11 (DISPLAY set) to xclip; both keep
// serving the clipboard in the background until something else is copied, and
// a clipboard manager, if one runs, takes the text over. When the Wayland
// helper fails and an X display is also named (XWayland), xclip is tried next.
// Returns an empty string on success, else a one-line reason.
std::string PutOnClipboard(const std::string& text);

}  // namespace mevlo
