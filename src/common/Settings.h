#pragma once
#include <string>

// The per-user settings store: string values under application name, section and key.
// Each application name has one INI file under $XDG_CONFIG_HOME (default ~/.config),
// readable by its owner only because it may hold a password.
std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& defaultValue = {});

// Writes one value; raises VbError 75 when the file cannot be written.
void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value);

// Removes one value; a file without it is left as it is. Raises VbError 75 when the
// file cannot be written.
void DeleteSetting(const std::string& appName, const std::string& section, const std::string& key);

// Where the values of an application name are kept.
std::string SettingsFilePath(const std::string& appName);
