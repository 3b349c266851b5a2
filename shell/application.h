#pragma once

// What the program and the driver both do to the application object before any window
// exists: the same style, palette, faces and icon wherever they run.

#include <QPalette>
#include <QString>
#include <QStringList>
#include <optional>

class QApplication;

namespace lintavo {

void prepareApplication(QApplication& app);

// What the command line asks for before any window or display is needed: --version and
// --help print to stdout and give 0, an option or argument the program does not know is
// named on stderr and gives 2; nullopt to go on and open the windows. Qt's own options
// (-platform xcb, -style Fusion, …) are left for Qt.
std::optional<int> answerCommandLine(const QStringList& arguments);

// The palette of every window on every desktop, light or dark: Fusion's light palette,
// every colour of it fixed.
QPalette lightPalette();

// Whether a window system can be reached: an explicit Qt platform, or an X11 or Wayland
// display. Without one, Qt would abort with a backtrace instead of a sentence.
bool displayAvailable();

// The one sentence that says there is none, or that `display` (when given) cannot be
// reached.
QString noDisplayMessage(const QString& display = {});

}  // namespace lintavo
