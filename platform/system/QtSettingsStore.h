#pragma once
// The per-user settings store on QSettings in its native format:
// $XDG_CONFIG_HOME/eggtimer/eggtimer.conf (normally ~/.config/...).
//
// Writes are gathered and saved together once control returns to the event
// loop; a save that fails (read-only folder, full disk) is logged once and
// leaves the previous file whole. QSettings replaces the file atomically, but
// it does not notice a write cut short (a disk filling up part way, a file
// size limit) and would put a cut-off file in place: so room for the new file
// is reserved before each save, and QSettings never saves on its own.
// Text that is not valid UTF-8 is kept as bytes, so every value round-trips.

#include "platform/SettingsStore.h"
#include "platform/system/Log.h"

#include <QObject>
#include <QSettings>

#include <memory>
#include <sys/types.h>

namespace eggtimer {

class QtSettingsStore final : public QObject, public SettingsStore {
public:
    QtSettingsStore();
    // The same store kept in the file at `path`.
    explicit QtSettingsStore(const QString& path);
    // Saves what is still pending.
    ~QtSettingsStore() override;

    void setInteger(const std::string& key, int value) override;
    void setString(const std::string& key, const std::optional<std::string>& value) override;
    std::optional<std::string> stringForKey(const std::string& key) const override;

    // Saves unsaved changes now and takes in changes other processes made.
    // False when the changes could not be saved; that is logged once, until a
    // save succeeds again. Unsaved changes are tried again at the next save.
    bool save();
    QString fileName() const { return settings->fileName(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FileIdentity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;       // may be reused at once for a newer file, so also:
        long long changed = 0; // nanoseconds since the epoch
        bool operator==(const FileIdentity&) const = default;
    };
    FileIdentity fileIdentity() const;
    void configure();
    void scheduleSave();
    bool roomToSave() const;
    // Whether the file already holds `value` under `key`, as this store last
    // read or wrote it: a value the controller writes again unchanged (it
    // writes every key at each start, a stored message of megabytes among
    // them) costs no save.
    bool savedAs(const QString& key, const QVariant& value) const;

    std::unique_ptr<QSettings> settings;
    bool saveScheduled = false;
    bool unsaved = false;           // changes not yet known to be on disk
    FileIdentity fileBeforeChanges; // the file as it was when they began
    FileIdentity fileAsKnown;       // as this store last read or wrote it
    LogOnce saveFailure;
};

} // namespace eggtimer
