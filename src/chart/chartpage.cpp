#include "chartpage.h"

#include "ui_chartpage.h"

#include "chartline.h"
#include "chartoutput.h"
#include "chartplot.h"
#include "modulesession.h"
#include "dialogs.h"
#include "displaystate.h"
#include "messageids.h"
#include "messagetable.h"
#include "pointsfile.h"
#include "statusfield.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace {

constexpr int StatusFontPx = 12;

// Not a print dialog, whose "Print" button would seem to print.
bool showPrinterSetup(QPrinter &printer, QWidget *parent)
{
    return ChartPage::printerSetupDialog(printer, parent)->exec() == QDialog::Accepted;
}

QString saveFailedText(const QString &fileName, const QString &reason)
{
    return (GetTextOrDefault(Msg::KLV_ChartNotSaved) + QStringLiteral("\n%2")).arg(fileName, reason);
}

} // namespace

std::unique_ptr<QDialog> ChartPage::printerSetupDialog(QPrinter &printer, QWidget *parent)
{
    return std::make_unique<QPageSetupDialog>(&printer, parent);
}

ChartPage::ChartPage(const ModuleSession &session, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ChartPage>()), m_session(session),
      m_printerSetup(showPrinterSetup), m_sampleTimer(InitialInterval, [this] { postTick(); })
{
    ui->setupUi(this);

    // Pixel sizes: a .ui font only knows points.
    QFont statusFont(QStringLiteral("Calibri"));
    statusFont.setPixelSize(StatusFontPx);
    ui->ChartStatus->setFont(statusFont);

    applyPreferences(ChartPreferences());

    connect(ui->Btn_ChartStart, &QAbstractButton::clicked, this, &ChartPage::startSampling);
    connect(ui->Btn_ChartPause, &QAbstractButton::clicked, this, &ChartPage::pauseSampling);
    connect(ui->Btn_ChartReset, &QAbstractButton::clicked, this, &ChartPage::resetChart);
    connect(ui->Btn_ChartTips, &QAbstractButton::clicked, this, &ChartPage::showTips);
    connect(ui->Btn_Print, &QAbstractButton::clicked, this, &ChartPage::printChart);
    connect(ui->Btn_CharPrintSetting, &QAbstractButton::clicked, this, &ChartPage::setUpPrinter);
    connect(ui->Btn_SaveBmpChart, &QAbstractButton::clicked, this, &ChartPage::savePicture);
    // Only the user's choice runs them; start-up calls them itself.
    connect(ui->ComboB_ChartSampling, &QComboBox::activated, this, &ChartPage::applySampling);
    connect(ui->Cb_ChartTimeWindow, &QComboBox::activated, this, &ChartPage::applyWindow);
    // Every replot counts as drawn, the mouse's and the resize's too.
    connect(ui->Chart1, &QCustomPlot::afterReplot, this, [this] {
        ++m_replotCount;
        m_replotDecision.drawn(ui->Chart1->view());
    });

    m_replotTimer.setSingleShot(true);
    connect(&m_replotTimer, &QTimer::timeout, this, &ChartPage::replotIfShown);

    m_sampleTimer.setEnabled(true);
}

ChartPage::~ChartPage()
{
    m_sampleTimer.setEnabled(false);
}

ChartPlot *ChartPage::plot() const
{
    return ui->Chart1;
}

void ChartPage::startUp()
{
    applySampling();
    applyWindow();
}

void ChartPage::applyPreferences(const ChartPreferences &p)
{
    auto select = [](QComboBox *box, int index) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    };
    select(ui->ComboB_ChartSampling, p.Sampling);
    select(ui->Cb_ChartTimeWindow, p.TimeSize);
    for (int k = 0; k < ChartLineCount; ++k)
        ui->Chart1->setLineVisible(k, p.ChartSeries[k]);
    markChanged();
}

ChartPreferences ChartPage::preferences() const
{
    ChartPreferences p;
    p.Sampling = ui->ComboB_ChartSampling->currentIndex();
    p.TimeSize = ui->Cb_ChartTimeWindow->currentIndex();
    const LineFlags shown = ui->Chart1->lineVisibility();
    std::copy(shown.begin(), shown.end(), p.ChartSeries.begin());
    return p;
}

void ChartPage::applyLanguage()
{
    ui->Chart1->setLineTitles(ChartPlot::lineTitles(ActiveLanguage()));
    ui->Chart1->setAxisTitles(GetTextOrDefault(Msg::KLV_ChartTimeAxis), GetTextOrDefault(Msg::KLV_ChartValueAxis));
    markChanged();
    if (m_statusShown) // the switch wrote the idle text, whatever the state
        showRunning(m_sampler.state().ChartRunning);
}

void ChartPage::showRunning(bool running)
{
    m_statusShown = true;
    setStatusField(ui->ChartStatus, running, GetTextOrDefault(Msg::IDS_101),
                   GetTextOrDefault(Msg::IDS_102));
}

void ChartPage::startSampling()
{
    m_sampler.start();
    showRunning(true);
}

void ChartPage::pauseSampling()
{
    m_sampler.pause();
    showRunning(false);
}

void ChartPage::resetChart()
{
    const ChartReset reset = m_sampler.reset();
    ui->Chart1->setTimeRange(reset.timeRange);
    ui->Chart1->setValueRange(reset.valueRange);
    ui->Chart1->clearPoints();
    markChanged();
}

void ChartPage::applySampling()
{
    if (const std::optional<double> interval =
            ChartSampler::samplingInterval(ui->ComboB_ChartSampling->currentIndex()))
        m_sampleTimer.setInterval(*interval);
}

void ChartPage::applyWindow()
{
    const std::optional<quint32> window =
        ChartSampler::windowSeconds(ui->Cb_ChartTimeWindow->currentIndex());
    if (!window)
        return;
    m_sampler.setWindow(*window);
    resetChart();
}

void ChartPage::postTick()
{
    // One waiting tick is enough: a GUI thread held up for a while gets one
    // sample afterwards, not a burst of equal ones.
    if (m_tickPosted.exchange(true))
        return;
    // By name: nothing of ours crosses Qt's queue unseen by the thread sanitizer.
    QMetaObject::invokeMethod(this, "runPostedTick", Qt::QueuedConnection);
}

void ChartPage::runPostedTick()
{
    m_tickPosted = false;
    sampleTick();
}

void ChartPage::sampleTick()
{
    ChartPlot *chart = ui->Chart1;
    const ChartTick tick =
        m_sampler.tick(ChartSampler::lineValues(m_session.protocol().liveValues()), m_session.isConnected(),
                       chart->lineVisibility(), m_sampleTimer.interval());
    switch (tick.outcome) {
    case ChartTick::Outcome::Idle:
        return;
    case ChartTick::Outcome::Paused:
        showRunning(false);
        return;
    case ChartTick::Outcome::Sampled:
        chart->appendSample(tick.x, tick.y);
        if (tick.timeRange)
            chart->setTimeRange(*tick.timeRange);
        chart->setValueRange(tick.valueRange);
        m_replotDecision.sampleAdded(tick.x, tick.y, chart->view());
        scheduleReplot();
        return;
    }
}

void ChartPage::showTips()
{
    Dialogs::show(this, {QMessageBox::Information, GetTextOrDefault(Msg::IDS_158),
                         GetTextOrDefault(Msg::IDS_157), QMessageBox::Ok});
}

QPrinter &ChartPage::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    return *m_printer;
}

void ChartPage::printChart()
{
    const QMessageBox::StandardButton answer = Dialogs::show(
        this, {QMessageBox::Question, GetTextOrDefault(Msg::IDS_98),
               GetTextOrDefault(Msg::IDS_97), QMessageBox::Ok | QMessageBox::Cancel});
    if (answer != QMessageBox::Ok)
        return;
    ChartOutput::printChart(*ui->Chart1, printer());
}

void ChartPage::setUpPrinter()
{
    m_printerSetup(printer(), this);
}

void ChartPage::savePicture()
{
    const QString chosen = Dialogs::saveFileName(this, ChartOutput::PictureFilter);
    if (chosen.isEmpty())
        return;
    const ChartOutput::PictureTarget target = ChartOutput::pictureTarget(chosen);
    std::optional<QString> reason;
    if (target.format == ChartOutput::PictureFormat::Csv) {
        const ChartPlot *chart = ui->Chart1;
        QStringList names;
        for (int k = 0; k < ChartLineCount; ++k)
            names << chart->line(k)->name();
        const int decimals = decimalPlacesOf(m_session.display().decimalPlaces);
        reason = PointsFile::write(target.fileName, chart->samples(), names, decimals, QLocale());
    } else {
        reason = ChartOutput::savePicture(*ui->Chart1, target.fileName, target.format);
    }
    if (reason)
        Dialogs::show(this, {QMessageBox::Warning, QStringLiteral("Warning"),
                             saveFailedText(target.fileName, *reason), QMessageBox::Ok});
}

bool ChartPage::replotDue() const
{
    return m_replotDecision.isDue(ui->Chart1->view());
}

void ChartPage::markChanged()
{
    m_replotDecision.markChanged();
    scheduleReplot();
}

void ChartPage::scheduleReplot()
{
    if (isVisible() && !m_replotTimer.isActive() && m_replotDecision.isDue(ui->Chart1->view()))
        startReplotTimer();
}

void ChartPage::startReplotTimer()
{
    const qint64 since = m_sinceReplot.isValid() ? m_sinceReplot.elapsed() : ReplotIntervalMs;
    m_replotTimer.start(int(std::max<qint64>(0, ReplotIntervalMs - since)));
}

void ChartPage::replotIfShown()
{
    if (!isVisible() || !m_replotDecision.isDue(ui->Chart1->view()))
        return; // showEvent() starts the timer again
    m_sinceReplot.start();
    ui->Chart1->replot(QCustomPlot::rpQueuedRefresh);
}

void ChartPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    scheduleReplot();
}
