#pragma once

#include "chartpreferences.h"
#include "chartsampler.h"
#include "periodictimer.h"
#include "replotdecision.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

namespace Ui {
class ChartPage;
}
class ChartPlot;
class ModuleSession;
class QDialog;
class QPrinter;

// The chart page (TabSheet2): five lines sampled from the live values by a
// timer of its own, at the chosen rate, in a time window that slides once
// filled; Start, Pause and Reset; printing and saving as a bitmap. The
// sampling rules live in ChartSampler; this class applies their results to
// Chart1. GUI thread only, except where noted.
class ChartPage : public QWidget
{
    Q_OBJECT
public:
    static constexpr double InitialInterval = 0.02; // s, until start-up applies the choice
    static constexpr int ReplotIntervalMs = 40;     // at most 25 replots a second

    // Answers the printer set-up instead of a dialog; true when confirmed.
    using PrinterSetup = std::function<bool(QPrinter &printer, QWidget *parent)>;

    // The printer set-up shown when no other is set: paper and orientation
    // (and the printer where the platform allows), confirmed with OK.
    static std::unique_ptr<QDialog> printerSetupDialog(QPrinter &printer, QWidget *parent);

    explicit ChartPage(const ModuleSession &session, QWidget *parent = nullptr);
    ~ChartPage() override;

    // Start-up, after the preferences are applied: the sampling interval and
    // the time window of the chosen items, and a chart reset.
    void startUp();
    // Selects the stored items (without running their handlers; an index
    // outside a list selects nothing) and shows or hides the lines.
    void applyPreferences(const ChartPreferences &preferences);
    ChartPreferences preferences() const;
    // Legend texts in the active language, and ChartStatus's current state
    // in it once Start, Pause or a disconnection has written the field; the
    // controls' texts are the language switch's, which runs first.
    void applyLanguage();

    // Handlers.
    void startSampling();
    void pauseSampling();
    void resetChart();
    void applySampling(); // ComboB_ChartSampling chosen
    void applyWindow();   // Cb_ChartTimeWindow chosen
    void sampleTick();
    void showTips();
    void printChart();    // throws std::runtime_error when printing fails
    void setUpPrinter();
    void savePicture(); // Btn_SaveBmpChart: BMP, PNG, SVG, PDF or the points as CSV

    const ChartState &state() const { return m_sampler.state(); }
    ChartPlot *plot() const;
    PeriodicTimer &sampleTimer() { return m_sampleTimer; }
    // The printer settings of this run, made on first use.
    QPrinter &printer();
    void setPrinterSetup(PrinterSetup setup) { m_printerSetup = std::move(setup); }
    int replotCount() const { return m_replotCount; }
    bool replotPending() const { return m_replotTimer.isActive(); }
    // Something visible changed since the last replot.
    bool replotDue() const;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void runPostedTick(); // the tick's work, on the GUI thread

private:
    void postTick(); // timer thread
    void showRunning(bool running);
    void markChanged(); // something visible changed; replot when shown
    void scheduleReplot();
    void startReplotTimer();
    void replotIfShown();

    std::unique_ptr<Ui::ChartPage> ui;
    const ModuleSession &m_session;
    ChartSampler m_sampler;
    bool m_statusShown = false; // until then ChartStatus keeps its initial text
    std::unique_ptr<QPrinter> m_printer;
    PrinterSetup m_printerSetup;

    QTimer m_replotTimer;
    QElapsedTimer m_sinceReplot;
    ReplotDecision m_replotDecision;
    int m_replotCount = 0;

    std::atomic<bool> m_tickPosted{false};
    PeriodicTimer m_sampleTimer; // last: its worker posts to this page
};
