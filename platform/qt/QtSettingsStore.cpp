#include "QtSettingsStore.h"

#include <QFile>
#include <QStringDecoder>
#include <QTimer>

#include <sys/stat.h>

namespace eggtimer {
namespace {

QString keyString(const std::string& key) {
    return QString::fromUtf8(key.data(), qsizetype(key.size()));
}

// Valid UTF-8 is stored as readable text; anything else as a byte array.
QVariant storedValue(const std::string& value) {
    const QByteArrayView bytes(value.data(), qsizetype(value.size()));
    // Keep a leading byte-order mark: it is part of the value.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return QByteArray(bytes.data(), bytes.size());
    return text;
}

} // namespace

QtSettingsStore::FileIdentity QtSettingsStore::fileIdentity() const {
    struct stat info {};
    if (::stat(QFile::encodeName(settings.fileName()).constData(), &info) != 0)
        return {};
    return {true, info.st_dev, info.st_ino};
}

QtSettingsStore::QtSettingsStore()
    : settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("eggtimer"),
               QStringLiteral("eggtimer")) {
    configure();
}

QtSettingsStore::QtSettingsStore(const QString& path)
    : settings(path, QSettings::IniFormat) {
    configure();
}

void QtSettingsStore::configure() {
    // System-wide files (/etc/xdg/...) would shine through a removed key and
    // give values the user never stored.
    settings.setFallbacksEnabled(false);
    // Never fall back to rewriting the file in place: a failed save must
    // leave the old file whole.
    settings.setAtomicSyncRequired(true);
}

QtSettingsStore::~QtSettingsStore() {
    if (unsaved)
        save();
}

void QtSettingsStore::setInteger(const std::string& key, int value) {
    settings.setValue(keyString(key), value);
    scheduleSave();
}

void QtSettingsStore::setString(const std::string& key, const std::optional<std::string>& value) {
    if (value)
        settings.setValue(keyString(key), storedValue(*value));
    else
        settings.remove(keyString(key));
    scheduleSave();
}

std::optional<std::string> QtSettingsStore::stringForKey(const std::string& key) const {
    const QVariant value = settings.value(keyString(key));
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return std::nullopt;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return std::string(bytes.constData(), size_t(bytes.size()));
    }
    case QMetaType::QStringList:
        // An unquoted comma in a hand-edited file makes a list.
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    default:
        if (!value.canConvert<QString>())
            return std::nullopt;
        return value.toString().toStdString();
    }
}

void QtSettingsStore::scheduleSave() {
    if (!unsaved)
        fileBeforeChanges = fileIdentity();
    unsaved = true;
    // One save for a burst of writes (the controller writes thirteen keys).
    if (saveScheduled)
        return;
    saveScheduled = true;
    QTimer::singleShot(0, this, [this] { save(); });
}

bool QtSettingsStore::save() {
    saveScheduled = false;
    settings.sync();
    if (!unsaved)
        return true;
    // QSettings::status() is sticky (a format error read earlier hides a later
    // write error), so check the outcome instead: a save replaces the file by
    // a new one, while a failed save leaves the old file in place.
    const FileIdentity after = fileIdentity();
    if (after.exists && after != fileBeforeChanges) {
        unsaved = false;
        saveFailure.reset();
        return true;
    }
    saveFailure("could not save the settings to " + QFile::encodeName(settings.fileName()).toStdString() +
                " (is its folder writable and the disk not full?)");
    return false;
}

} // namespace eggtimer
