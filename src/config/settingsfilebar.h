#pragma once

#include "reportedsettings.h"

#include <QWidget>

#include <memory>

namespace Ui {
class SettingsFileBar;
}
class IoSettingsPage;
class ModuleSession;
class SensorSettingsPage;

// The two buttons beside the settings pages' tabs: save what the module
// reported to a settings file, and load such a file into both pages, where
// it waits for the pages' Save as a typed change would. GUI thread only.
class SettingsFileBar : public QWidget
{
    Q_OBJECT
public:
    SettingsFileBar(const ModuleSession &session, SensorSettingsPage &sensorPage, IoSettingsPage &ioPage,
                    QWidget *parent = nullptr);
    ~SettingsFileBar() override;

    // Handlers of the two buttons.
    void saveSettingsFile();
    void loadSettingsFile();

signals:
    // What was done, for the main window's status line.
    void statusMessage(const QString &text);

private:
    void refuse(const QString &text);

    std::unique_ptr<Ui::SettingsFileBar> ui;
    const ModuleSession &m_session;
    const ReportedSettings m_reported;
    SensorSettingsPage &m_sensorPage;
    IoSettingsPage &m_ioPage;
};
