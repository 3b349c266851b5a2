#pragma once

// What the program and the driver both do to the application object before any window
// exists: the same style, palette, faces and icon wherever they run.

class QApplication;

namespace lintavo {

void prepareApplication(QApplication& app);

// Whether a window system can be reached: an explicit Qt platform, or an X11 or Wayland
// display. Without one, Qt would abort with a backtrace instead of a sentence.
bool displayAvailable();

// The one line that says so.
inline constexpr const char* noDisplayMessage =
    "lintavo: 找不到图形显示（DISPLAY 与 WAYLAND_DISPLAY 均未设置），无法打开窗口；"
    "在没有显示的机器上可以用 xvfb-run build/bin/lintavo 运行。";

}  // namespace lintavo
