#pragma once
// The per-user settings store: a flat map from keys to values.

#include <optional>
#include <string>

namespace eggtimer {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual void setInteger(const std::string& key, int value) = 0;
    // Nothing removes the key.
    virtual void setString(const std::string& key, const std::optional<std::string>& value) = 0;
    // Integers come back as their decimal text; nothing when the key has no value.
    virtual std::optional<std::string> stringForKey(const std::string& key) const = 0;
};

} // namespace eggtimer
