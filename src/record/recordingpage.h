#pragma once

#include "recordingpreferences.h"
#include "recordingsession.h"

#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class RecordingPage;
}
class QCheckBox;
class ModuleSession;

// The recording page (TabSheet3): every stored measurement frame runs one
// recording step, which appends a record to the file at the chosen rate.
// The recording itself is a RecordingSession, the one `--record` runs too;
// this class holds the switch, the choices and the status fields. GUI
// thread only.
class RecordingPage : public QWidget
{
    Q_OBJECT
public:
    explicit RecordingPage(const ModuleSession &session, QWidget *parent = nullptr);
    ~RecordingPage() override;

    // Start-up: a stored switch that differs from the box runs its click
    // handler, as ticking the box does.
    void applyPreferences(const RecordingPreferences &preferences);
    RecordingPreferences preferences() const;

    void recordingStep();      // one stored measurement frame
    void switchRecording();    // Checkbox_Acquistion clicked
    void chooseFile();         // Button_SaveFilePath
    // The program ends on a signal: the file closed, a failure told on
    // standard error rather than in a box; the tick stays as it is.
    void closeFileQuietly();

signals:
    // What the status fields show after a frame: the status bar's field follows.
    void recordingShown(bool active);
    // A file was chosen: the settings file keeps its name at once.
    void fileNameChosen(const QString &fileName);

private:
    RecordColumns columns() const;
    void showFailure(const QString &errorString); // the file could not be opened or written

    std::unique_ptr<Ui::RecordingPage> ui;
    const ModuleSession &m_module;
    std::array<QCheckBox *, RecordColumnCount> m_columnBoxes{};
    RecordingSession m_session;
};
