#include "programsettings.h"

#include "messagetable.h"
#include "profilefile.h"
#include "programinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

QString keyName(const PreferenceKey &key)
{
    return QString::fromLatin1(key.name);
}

bool makeDirectoryFor(const QString &path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

} // namespace

ProgramPreferences::ProgramPreferences()
{
    for (const PreferenceKey &key : OptionsKeys) {
        std::visit(
            Overloaded{
                [&](bool ProgramPreferences::*flag) { this->*flag = key.defaultNumber != 0; },
                [&](int ProgramPreferences::*number) { this->*number = key.defaultNumber; },
                [&](QString ProgramPreferences::*text) {
                    this->*text = QString::fromUtf8(key.defaultText);
                },
            },
            key.field);
    }
}

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
    for (const PreferenceKey &key : OptionsKeys) {
        std::visit(Overloaded{
                       [&](bool ProgramPreferences::*flag) {
                           preferences.*flag = file.readInteger(OptionsSection, keyName(key),
                                                                key.defaultNumber) != 0;
                       },
                       [&](int ProgramPreferences::*number) {
                           const int index =
                               file.readInteger(OptionsSection, keyName(key), key.defaultNumber);
                           const int size = key.listSize == LanguageList ? languageCount() : key.listSize;
                           preferences.*number = index >= 0 && index < size ? index : -1;
                       },
                       [&](QString ProgramPreferences::*text) {
                           preferences.*text = file.readString(OptionsSection, keyName(key),
                                                               QString::fromUtf8(key.defaultText));
                       },
                   },
                   key.field);
    }
    return preferences;
}

RecordingPreferences recordingPreferences(const ProgramPreferences &p)
{
    RecordingPreferences recording;
    recording.Checkbox_DataAcquistion = p.Checkbox_DataAcquistion;
    recording.DataAcquistionSpeed = p.DataAcquistionSpeed;
    recording.FileName = p.FileName;
    recording.columns = {p.SaveDate, p.SaveTime, p.SaveDataCnt, p.SaveDataSummary,
                         p.SaveDataSens1, p.SaveDataSens2, p.SaveDataSens3, p.SaveDataSens4};
    return recording;
}

bool writePreferencesAtClose(const QString &path, const ProgramPreferences &preferences,
                             QString *failedKey)
{
    const ProfileFile file(path);
    makeDirectoryFor(path); // a failure shows as the first key that cannot be written
    for (const PreferenceKey &key : OptionsKeys) {
        if (!key.writtenAtClose)
            continue;
        const bool written = std::visit(
            Overloaded{
                [&](bool ProgramPreferences::*flag) {
                    return file.writeBoolean(OptionsSection, keyName(key), preferences.*flag);
                },
                [&](int ProgramPreferences::*number) {
                    return file.writeInteger(OptionsSection, keyName(key), preferences.*number);
                },
                [&](QString ProgramPreferences::*text) {
                    return file.writeString(OptionsSection, keyName(key), preferences.*text);
                },
            },
            key.field);
        if (!written) {
            if (failedKey)
                *failedKey = keyName(key);
            return false;
        }
    }
    return true;
}

bool writeFileName(const QString &path, const QString &fileName)
{
    makeDirectoryFor(path);
    return ProfileFile(path).writeString(OptionsSection, QStringLiteral("FileName"), fileName);
}

QString unableToWriteText(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path));
}
