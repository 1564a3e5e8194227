#include "platform/system/QtSettingsStore.h"
#include "platform/system/AppIdentity.h"

#include "platform/system/Utf8.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

namespace eggtimer {
namespace {

// Valid UTF-8 is stored as readable text; anything else as a byte array.
// ConvertInitialBom keeps a leading byte-order mark in the text, to be seen.
QVariant storedValue(const std::string& value) {
    const QByteArrayView bytes(value.data(), qsizetype(value.size()));
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    // QSettings drops a byte-order mark at the start of a value on reading.
    if (decoder.hasError() || text.startsWith(QChar::ByteOrderMark))
        return QByteArray(bytes.data(), bytes.size());
    return text;
}

} // namespace

QtSettingsStore::FileIdentity QtSettingsStore::fileIdentity() const {
    struct stat info {};
    if (::stat(QFile::encodeName(settings->fileName()).constData(), &info) != 0)
        return {};
    return {true, info.st_dev, info.st_ino, info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec};
}

QtSettingsStore::QtSettingsStore()
    : settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QString::fromLatin1(programName()),
                                           QString::fromLatin1(programName()))) {
    configure();
}

QtSettingsStore::QtSettingsStore(const QString& path)
    : settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {
    configure();
}

void QtSettingsStore::configure() {
    // System-wide files (/etc/xdg/...) would shine through a removed key and
    // give values the user never stored.
    settings->setFallbacksEnabled(false);
    // Never fall back to rewriting the file in place: a failed save must
    // leave the old file whole.
    settings->setAtomicSyncRequired(true);
    // Saving is ours alone, after the room for it is reserved.
    settings->installEventFilter(this);
    fileAsKnown = fileIdentity();
}

bool QtSettingsStore::eventFilter(QObject* watched, QEvent* event) {
    return watched == settings.get() && event->type() == QEvent::UpdateRequest;
}

QtSettingsStore::~QtSettingsStore() {
    if (unsaved && !save()) {
        // QSettings saves once more as it goes, unchecked, and could cut the
        // file short. The store lives as long as the program: leaving the
        // object be costs nothing and keeps the old file.
        (void)settings.release();
    }
}

bool QtSettingsStore::savedAs(const QString& key, const QVariant& value) const {
    if (unsaved || fileIdentity() != fileAsKnown)
        return false;
    const QVariant saved = settings->value(key);
    if (value.typeId() == QMetaType::Int)
        return saved.isValid() && saved.toString() == value.toString();
    return saved.typeId() == value.typeId() && saved == value;
}

void QtSettingsStore::setInteger(const std::string& key, int value) {
    const QString name = fromUtf8(key);
    if (savedAs(name, value))
        return;
    settings->setValue(name, value);
    scheduleSave();
}

void QtSettingsStore::setString(const std::string& key, const std::optional<std::string>& value) {
    const QString name = fromUtf8(key);
    if (value) {
        const QVariant stored = storedValue(*value);
        if (savedAs(name, stored))
            return;
        settings->setValue(name, stored);
    } else {
        if (!unsaved && fileIdentity() == fileAsKnown && !settings->contains(name))
            return;
        settings->remove(name);
    }
    scheduleSave();
}

std::optional<std::string> QtSettingsStore::stringForKey(const std::string& key) const {
    const QVariant value = settings->value(fromUtf8(key));
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

// The new file can take up to six bytes per character (\xhhhh escapes).
bool QtSettingsStore::roomToSave() const {
    qint64 estimate = 4096;
    for (const QString& key : settings->allKeys()) {
        if (key.isEmpty()) // a damaged file's; QSettings will not give its value
            continue;
        const QVariant value = settings->value(key);
        const qint64 length =
            value.typeId() == QMetaType::QByteArray ? value.toByteArray().size() : value.toString().size();
        estimate += 6 * (key.size() + length) + 16;
    }
    const QFileInfo info(settings->fileName());
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    // Reserving the space in a scratch file beside it finds a full disk, a
    // quota and a file size limit alike.
    QTemporaryFile probe(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                         QStringLiteral(".XXXXXX"));
    if (!probe.open())
        return false;
    return ::posix_fallocate(probe.handle(), 0, off_t(estimate)) == 0;
}

bool QtSettingsStore::save() {
    saveScheduled = false;
    if (!unsaved) {
        settings->sync(); // takes in what other processes saved
        fileAsKnown = fileIdentity();
        return true;
    }
    if (roomToSave())
        settings->sync();
    // QSettings::status() is sticky (a format error read earlier hides a later
    // write error), so check the outcome instead: a save replaces the file by
    // a new one, while a failed save leaves the old file in place. (Another
    // copy of the program saving meanwhile also counts as a change; what we
    // wrote then stays pending in QSettings and goes with the next save.)
    const FileIdentity after = fileIdentity();
    if (after.exists && after != fileBeforeChanges) {
        unsaved = false;
        fileAsKnown = after;
        saveFailure.reset();
        return true;
    }
    saveFailure("could not save the settings to " + QFile::encodeName(settings->fileName()).toStdString() +
                " (is its folder writable and the disk not full?)");
    return false;
}

} // namespace eggtimer
