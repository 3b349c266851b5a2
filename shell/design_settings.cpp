#include "shell/design_settings.h"

#include <QFile>
#include <QSettings>
#include <optional>

#include "shell/qt_text.h"

namespace lintavo {

namespace {

// Under one group, each setting by the same key and text as the driver's `design` command,
// so that the file reads as the commands that would make it.
const QString group = QStringLiteral("design");

std::optional<DesignSettings>& inForce() {
    static std::optional<DesignSettings> settings;
    return settings;
}

}  // namespace

const StandardTables& standardTables() {
    static const StandardTables tables = [] {
        QFile file(QStringLiteral(":/lintavo/gb50288.tsv"));
        if (!file.open(QIODevice::ReadOnly)) {
            StandardTables none;
            none.error = "找不到标准数据文件";
            return none;
        }
        return parseStandardTables(file.readAll().toStdString());
    }();
    return tables;
}

const BedTables& bedTables() {
    static const BedTables beds = bedsOf(standardTables());
    return beds;
}

DesignSettings readDesignSettings() {
    DesignSettings read;
    QSettings stored;
    stored.beginGroup(group);
    for (const auto& [key, value] : designSettingKeys(read)) {
        const QString k = qstr(key);
        if (stored.contains(k))
            applyDesignSetting(read, key, utf8(stored.value(k).toString()), bedTables());
    }
    return read;
}

const DesignSettings& designSettings() {
    std::optional<DesignSettings>& settings = inForce();
    if (!settings) settings = readDesignSettings();
    return *settings;
}

void setDesignSettings(const DesignSettings& settings) {
    inForce() = settings;
    QSettings stored;
    stored.beginGroup(group);
    for (const auto& [key, value] : designSettingKeys(settings))
        stored.setValue(qstr(key), qstr(value));
    stored.endGroup();
    stored.sync();
    Q_EMIT DesignSettingsNotifier::instance().changed();
}

DesignSettingsNotifier& DesignSettingsNotifier::instance() {
    static DesignSettingsNotifier notifier;
    return notifier;
}

}  // namespace lintavo
