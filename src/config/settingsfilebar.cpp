#include "settingsfilebar.h"

#include "ui_settingsfilebar.h"

#include "dialogs.h"
#include "filefilters.h"
#include "iosettingspage.h"
#include "messageids.h"
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
    return GetTextOrDefault(Msg::KLV_SettingsFileCaption);
}

QString problemText(const ModuleSettingsFile::Problem &problem)
{
    using Code = ModuleSettingsFile::Problem::Code;
    const char *id = nullptr;
    switch (problem.code) {
    case Code::None:
        return {};
    case Code::NotSettingsFile: id = Msg::KLV_FileNotSettings; break;
    case Code::NewerFormat: id = Msg::KLV_FileNewerFormat; break;
    case Code::BadLine: id = Msg::KLV_FileBadLine; break;
    case Code::FieldTwice: id = Msg::KLV_FileFieldTwice; break;
    case Code::FieldMissing: id = Msg::KLV_FileFieldMissing; break;
    case Code::RecordUnreadable: id = Msg::KLV_FileRecordUnreadable; break;
    case Code::FieldDisagrees: id = Msg::KLV_FileFieldDisagrees; break;
    case Code::UnknownField: id = Msg::KLV_FileUnknownField; break;
    case Code::NotANumber: id = Msg::KLV_FileNotANumber; break;
    case Code::NotAWholeNumber: id = Msg::KLV_FileNotAWholeNumber; break;
    case Code::OutsideRange: id = Msg::KLV_FileOutsideRange; break;
    case Code::NoneOf: id = Msg::KLV_FileNoneOf; break;
    case Code::FromVoltageModule: id = Msg::KLV_FileFromVoltageModule; break;
    case Code::FromCurrentModule: id = Msg::KLV_FileFromCurrentModule; break;
    }
    // All values in one go: a value holding "%1" stays as it is.
    const QString format = GetTextOrDefault(QString::fromLatin1(id));
    const QStringList &v = problem.values;
    QString text;
    switch (v.size()) {
    case 0: text = format; break;
    case 1: text = format.arg(v[0]); break;
    case 2: text = format.arg(v[0], v[1]); break;
    case 3: text = format.arg(v[0], v[1], v[2]); break;
    default: text = format.arg(v[0], v[1], v[2], v[3]); break;
    }
    return problem.isDamage() ? GetTextOrDefault(Msg::KLV_FileDamaged).arg(text) : text;
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
        refuse(GetTextOrDefault(Msg::KLV_SettingsFileNothingToSave));
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
        refuse((GetTextOrDefault(Msg::KLV_SettingsFileNotSaved) + QStringLiteral("\n%2"))
                   .arg(path, file.errorString()));
        return;
    }
    emit statusMessage(GetTextOrDefault(Msg::KLV_SettingsFileSaved).arg(QFileInfo(path).fileName()));
}

void SettingsFileBar::loadSettingsFile()
{
    const QString path = Dialogs::openFileName(this, ModuleSettingsFile::Filter);
    if (path.isEmpty())
        return;
    auto refused = [this, &path](const QString &problem) {
        refuse((GetTextOrDefault(Msg::KLV_SettingsFileNotLoaded) + QStringLiteral("\n%2\n") +
                GetTextOrDefault(Msg::KLV_SettingsFileNothingChanged))
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
        refused(problemText(read.problem));
        return;
    }
    if (m_reported.identified()) {
        const ModuleSettingsFile::Problem problem =
            ModuleSettingsFile::variantProblem(read.settings->info, m_reported.info().AnalogOutVariant);
        if (problem) {
            refused(problemText(problem));
            return;
        }
    }
    m_sensorPage.showLoaded(read.settings->sensors);
    m_ioPage.showLoaded(read.settings->io);
    emit statusMessage(GetTextOrDefault(Msg::KLV_SettingsFileLoaded).arg(QFileInfo(path).fileName()));
}
