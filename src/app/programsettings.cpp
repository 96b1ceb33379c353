#include "programsettings.h"

#include "messagetable.h"
#include "profilefile.h"
#include "programinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString keyName(const PreferenceKey &key)
{
    return QString::fromLatin1(key.name);
}

bool makeDirectoryFor(const QString &path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

// The key's value as read: a missing or non-integer value is the default,
// an index outside its list -1.
PreferenceValue readValue(const ProfileFile &file, const PreferenceKey &key)
{
    const PreferenceValue fallback = preferenceDefault(key);
    if (const QString *text = std::get_if<QString>(&fallback))
        return file.readString(OptionsSection, keyName(key), *text);
    const bool *flag = std::get_if<bool>(&fallback);
    const int number = file.readInteger(OptionsSection, keyName(key),
                                        flag ? int(*flag) : std::get<int>(fallback));
    if (flag)
        return number != 0;
    const int size = key.listSize == LanguageList ? languageCount() : key.listSize;
    return number >= 0 && number < size ? number : -1;
}

bool writeValue(const ProfileFile &file, const PreferenceKey &key, const PreferenceValue &value)
{
    if (const bool *flag = std::get_if<bool>(&value))
        return file.writeBoolean(OptionsSection, keyName(key), *flag);
    if (const int *number = std::get_if<int>(&value))
        return file.writeInteger(OptionsSection, keyName(key), *number);
    return file.writeString(OptionsSection, keyName(key), std::get<QString>(value));
}

} // namespace

QString chooseSettingsFilePath(const QString &programDir, const QString &userConfigDir)
{
    const QString beside = QDir(programDir).filePath(ProgramInfo::SettingsFileName);
    const bool installed = QDir::cleanPath(programDir).startsWith(QLatin1String("/usr/"));
    if (!installed && (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable()))
        return beside;
    return QDir(userConfigDir).filePath(ProgramInfo::SettingsFileName);
}

QString settingsFilePath()
{
    return chooseSettingsFilePath(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

ProgramPreferences readPreferences(const QString &path)
{
    const ProfileFile file(path);
    ProgramPreferences preferences;
    for (const PreferenceKey &key : OptionsKeys)
        setPreferenceValue(key, preferences, readValue(file, key));
    return preferences;
}

bool writePreferencesAtClose(const QString &path, const ProgramPreferences &preferences,
                             QString *failedKey, QString *reason)
{
    const ProfileFile file(path);
    makeDirectoryFor(path); // a failure shows as the first key that cannot be written
    for (const PreferenceKey &key : OptionsKeys) {
        if (!key.writtenAtClose)
            continue;
        if (!writeValue(file, key, preferenceValue(key, preferences))) {
            if (failedKey)
                *failedKey = keyName(key);
            if (reason)
                *reason = file.errorString();
            return false;
        }
    }
    // The chosen module, written at once into a file that may have lacked
    // the keys above, stays after them.
    const QString chosen = file.readString(OptionsSection, ChosenModuleKey);
    if (!chosen.isEmpty() && !file.writeStringLast(OptionsSection, ChosenModuleKey, chosen)) {
        if (failedKey)
            *failedKey = ChosenModuleKey;
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}

bool writeFileName(const QString &path, const QString &fileName)
{
    makeDirectoryFor(path);
    const PreferenceField<RecordingPreferences> field =
        &PreferenceAccess::member<&RecordingPreferences::FileName>;
    const auto row = std::find_if(RecordingPreferenceRows.begin(), RecordingPreferenceRows.end(),
                                  [&](const auto &r) { return r.field == field; });
    return ProfileFile(path).writeString(OptionsSection, QString::fromLatin1(row->name), fileName);
}

QString readChosenModule(const QString &path)
{
    return ProfileFile(path).readString(OptionsSection, ChosenModuleKey, QString());
}

bool writeChosenModule(const QString &path, const QString &module)
{
    makeDirectoryFor(path);
    return ProfileFile(path).writeStringLast(OptionsSection, ChosenModuleKey, module);
}

QString unableToWriteText(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path));
}
