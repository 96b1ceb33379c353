#include "settingsfilebar.h"

#include "ui_settingsfilebar.h"

#include "dialogs.h"
#include "filefilters.h"
#include "iosettingspage.h"
#include "messagetable.h"
#include "modulesession.h"
#include "modulesettingsfile.h"
#include "sensorsettingspage.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A settings file is a few kilobytes; anything much larger is not one.
constexpr qint64 MaxFileSize = 256 * 1024;

QString caption()
{
    return ownText(QStringLiteral("Plik ustawień"), QStringLiteral("Settings file"));
}

} // namespace

SettingsFileBar::SettingsFileBar(const ModuleSession &session, SensorSettingsPage &sensorPage,
                                 IoSettingsPage &ioPage, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::SettingsFileBar>()), m_session(session), m_reported(session),
      m_sensorPage(sensorPage), m_ioPage(ioPage)
{
    ui->setupUi(this);
    connect(ui->Btn_SaveSettingsFile, &QPushButton::clicked, this, &SettingsFileBar::saveSettingsFile);
    connect(ui->Btn_LoadSettingsFile, &QPushButton::clicked, this, &SettingsFileBar::loadSettingsFile);
}

SettingsFileBar::~SettingsFileBar() = default;

void SettingsFileBar::refuse(const QString &text)
{
    Dialogs::show(this, {QMessageBox::Warning, caption(), text, QMessageBox::Ok});
}

void SettingsFileBar::saveSettingsFile()
{
    const std::optional<ModuleSettings> settings = m_reported.all();
    if (!settings) {
        refuse(ownText(QStringLiteral("Nie ma czego zapisać: ustawienia nie zostały jeszcze odczytane z modułu."),
                       QStringLiteral("Nothing to save: the settings have not been read from the module yet.")));
        return;
    }
    QString filter;
    const QString chosen = Dialogs::saveFileName(this, ModuleSettingsFile::Filter, &filter);
    if (chosen.isEmpty())
        return;
    const QString path = nameWithExtension(chosen, ModuleSettingsFile::Filter, filter);
    // All or nothing: an earlier file of that name stays whole on failure.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(ModuleSettingsFile::write(*settings, QDateTime::currentDateTime())) < 0 || !file.commit()) {
        refuse(ownText(QStringLiteral("Nie można zapisać ustawień do pliku %1:\n%2"),
                       QStringLiteral("The settings cannot be saved to %1:\n%2"))
                   .arg(path, file.errorString()));
        return;
    }
    emit statusMessage(ownText(QStringLiteral("Ustawienia modułu zapisane do pliku %1"),
                               QStringLiteral("The module's settings were saved to %1"))
                           .arg(QFileInfo(path).fileName()));
}

void SettingsFileBar::loadSettingsFile()
{
    const QString path = Dialogs::openFileName(this, ModuleSettingsFile::Filter);
    if (path.isEmpty())
        return;
    auto refused = [this, &path](const QString &problem) {
        refuse(ownText(QStringLiteral("Nie wczytano ustawień z pliku %1:\n%2\nNic nie zostało zmienione."),
                       QStringLiteral("The settings were not loaded from %1:\n%2\nNothing was changed."))
                   .arg(path, problem));
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refused(file.errorString());
        return;
    }
    // Whatever else the file holds, a settings file ends long before this.
    const ModuleSettingsFile::ReadResult read =
        ModuleSettingsFile::read(file.read(MaxFileSize), m_session.display().decimalPlaces);
    if (!read.settings) {
        refused(read.problem);
        return;
    }
    if (m_reported.identified()) {
        const QString problem = ModuleSettingsFile::variantProblem(read.settings->info, m_reported.info().AnalogOutVariant);
        if (!problem.isEmpty()) {
            refused(problem);
            return;
        }
    }
    m_sensorPage.showLoaded(read.settings->sensors);
    m_ioPage.showLoaded(read.settings->io);
    emit statusMessage(ownText(QStringLiteral("Ustawienia wczytane z pliku %1. Moduł dostanie je po „Zapisz” na "
                                              "każdej ze stron."),
                               QStringLiteral("Settings loaded from %1. The module gets them when Save is "
                                              "pressed on each page."))
                           .arg(QFileInfo(path).fileName()));
}
