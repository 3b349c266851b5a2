#pragma once

// The design check's settings, kept between runs with QSettings (the organisation and
// application names are set once at start-up), and the standard's tables, read once from
// the program's resources.

#include <QObject>

#include "standard/design_check.h"
#include "standard/standard_tables.h"

namespace lintavo {

// The standard's tables from the data file compiled into the program.
const StandardTables& standardTables();
// Their bed materials (Appendix C).
const BedTables& bedTables();

// The settings as QSettings keeps them, read afresh; a setting spoiled by hand keeps its default.
DesignSettings readDesignSettings();
// The settings in force: read from QSettings on first use.
const DesignSettings& designSettings();
// Makes `settings` the ones in force and remembers them for the next run.
void setDesignSettings(const DesignSettings& settings);

// Tells whoever shows a design check that the settings changed.
class DesignSettingsNotifier : public QObject {
    Q_OBJECT

  public:
    static DesignSettingsNotifier& instance();

  Q_SIGNALS:
    void changed();
};

}  // namespace lintavo
