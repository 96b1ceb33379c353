// The chart page over the simulated module: sampling, the buttons and
// choices, the legend, the mouse, replotting, printing and saving.
#include "chartoutput.h"
#include "chartline.h"
#include "chartpage.h"
#include "chartplot.h"
#include "colours.h"
#include "dialogs.h"
#include "legendcheckitem.h"
#include "messagetable.h"
#include "simrig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

const QString ModulePath = QStringLiteral("sim:klv57");

LiveValues knownFrame()
{
    LiveValues v;
    v.Input1 = 500.0f;
    v.Input2 = -250.0f;
    v.Input3 = 12.5f;
    v.Input4 = 998.0f;
    v.Sum = 1260.5f;
    return v;
}

const std::array<double, 5> KnownLines{500.0, -250.0, 12.5, 998.0, 1260.5};

} // namespace

Q_DECLARE_METATYPE(AxisRange)

class TestChartPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void choiceListsMatchTheTables();
    void startsPausedAndIdle();
    void startUpAppliesTheChoices();
    void preferences_data();
    void preferences();
    void sampleTicks();
    void startAndPause();
    void resetWhilePausedEmpties();
    void disconnectionPauses();
    void startWithoutModulePausesAtTheNextTick();
    void samplingChangeKeepsPoints();
    void windowChangeEmpties();
    void timerThreadSamples();
    void legendBoxesShowAndHide();
    void mouseZoomsAndScrolls();
    void replotsAreCoalescedAndOnlyWhenShown();
    void replotOnlyWhenTheChartChanges();
    void tips();
    void printAfterConfirmation_data();
    void printAfterConfirmation();
    void printWithoutPrinterIsAnError();
    void printerSetupIsKeptForThisRun();
    void printerSetupPrintsNothing();
    void saveBitmap_data();
    void saveBitmap();
    void saveCancelled();
    void failedSaveWarns();
    void pointsSavedInTheActiveLanguage();

private:
    template <typename T = QWidget> T *find(const QString &name)
    {
        T *widget = m_page->findChild<T *>(name);
        if (!widget)
            qFatal("no %s", qPrintable(name));
        return widget;
    }
    void connectModule();
    void stopTimer() { m_page->sampleTimer().setEnabled(false); }
    void choose(const QString &combo, int index);
    void showPage();
    int points() const { return int(m_page->plot()->sampleCount()); }
    const SampleStore &samples() const { return m_page->plot()->samples(); }

    std::unique_ptr<SimRig> m_rig;
    std::shared_ptr<SimulatedModule> m_module;
    std::unique_ptr<ChartPage> m_page;
    QList<Dialogs::Message> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
    QStringList m_filters;
    QString m_chosenFile;
};

void TestChartPage::initTestCase()
{
    Q_INIT_RESOURCE(pictures);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestChartPage::init()
{
    m_messages.clear();
    m_filters.clear();
    m_answer = QMessageBox::Ok;
    m_chosenFile.clear();
    Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
        m_messages << m;
        return m_answer;
    });
    Dialogs::setFileResponder([this](const QString &filter, QString *) {
        m_filters << filter;
        return m_chosenFile;
    });
    SetActiveLanguage(1);

    m_rig = std::make_unique<SimRig>();
    m_module = std::make_shared<SimulatedModule>(ModulePath);
    m_module->setFixedFrame(knownFrame());
    m_rig->backend.add(m_module);
    m_rig->start();
    m_page = std::make_unique<ChartPage>(*m_rig->session);
    m_page->resize(665, 495);
}

void TestChartPage::cleanup()
{
    m_page.reset();
    m_rig.reset();
    m_module.reset();
    Dialogs::setMessageResponder(nullptr);
    Dialogs::setFileResponder(nullptr);
}

void TestChartPage::connectModule()
{
    QTRY_VERIFY(m_rig->link->isConnected());
    QTRY_COMPARE(m_rig->protocol->liveValues().Sum, 1260.5f);
}

// As a user's choice: the list's "activated", which code's selection never raises.
void TestChartPage::choose(const QString &combo, int index)
{
    auto *box = find<QComboBox>(combo);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void TestChartPage::showPage()
{
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_page->plot()->replot(); // lays the legend out for the mouse
}

void TestChartPage::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("text"); // null: not checked

    auto row = [](const char *name, const char *className, QRect geometry, const char *parent,
                  const QString &text = QString()) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(className)
                            << geometry << QString::fromLatin1(parent) << text;
    };
    row("GroupBox6", "QGroupBox", {2, 3, 658, 481}, "ChartPage");
    row("JvNavPanelHeader15", "QLabel", {3, 3, 653, 20}, "GroupBox6", "Wykres");
    row("Chart1", "ChartPlot", {3, 29, 652, 348}, "GroupBox6");
    row("ChartStatus", "QLineEdit", {7, 318, 87, 23}, "Chart1", "NIEAKTYWNY");
    row("Btn_ChartTips", "QAbstractButton", {570, 315, 65, 27}, "Chart1", "Pomoc");
    row("GroupBox16", "QGroupBox", {8, 383, 377, 90}, "GroupBox6");
    row("Btn_ChartStart", "QAbstractButton", {13, 11, 68, 76}, "GroupBox16", "Start");
    row("Btn_ChartPause", "QAbstractButton", {96, 11, 67, 35}, "GroupBox16", "Pauza");
    row("Btn_ChartReset", "QAbstractButton", {96, 52, 67, 35}, "GroupBox16", "Reset");
    row("Label9", "QLabel", {194, 25, 80, 16}, "GroupBox16", QString::fromUtf8("Próbkowanie:"));
    row("ComboB_ChartSampling", "QComboBox", {194, 44, 65, 21}, "GroupBox16");
    row("Label29", "QLabel", {282, 25, 80, 16}, "GroupBox16", "Czas okna");
    row("Cb_ChartTimeWindow", "QComboBox", {282, 44, 65, 21}, "GroupBox16");
    row("GroupBox17", "QGroupBox", {427, 383, 211, 90}, "GroupBox6");
    row("Btn_Print", "QAbstractButton", {18, 11, 67, 35}, "GroupBox17", "Drukuj");
    row("Btn_CharPrintSetting", "QAbstractButton", {91, 11, 102, 35}, "GroupBox17",
        "Opcje wydruku");
    row("Btn_SaveBmpChart", "QAbstractButton", {18, 52, 175, 35}, "GroupBox17",
        "Zapisz jako obrazek");
}

void TestChartPage::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, parentName);
    QFETCH(QString, text);

    QWidget *w = find(name);
    QVERIFY(w->inherits(qPrintable(className)));
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->parentWidget()->objectName(), parentName);
    if (!text.isNull())
        QCOMPARE(w->property("text").toString(), text);
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        QVERIFY(!button->icon().isNull());
    if (name == "ChartStatus") {
        auto *field = static_cast<QLineEdit *>(w);
        QVERIFY(field->isReadOnly());
        QCOMPARE(field->font().family(), QString("Calibri"));
        QCOMPARE(field->font().pixelSize(), 12);
    }
}

void TestChartPage::choiceListsMatchTheTables()
{
    auto *sampling = find<QComboBox>("ComboB_ChartSampling");
    const QStringList samplingTexts{"80/sek.", "10/sek.", "1/sek.", "1/min.", "10/min.", "10/h."};
    QCOMPARE(sampling->count(), ChartSampler::SamplingCount);
    for (int i = 0; i < sampling->count(); ++i)
        QCOMPARE(sampling->itemText(i), samplingTexts[i]);
    QCOMPARE(sampling->toolTip(),
             QString("Okresla czestotliwosc dodawania nowych pomiarow do wykresu"));

    auto *window = find<QComboBox>("Cb_ChartTimeWindow");
    const QStringList windowTexts{"1 sek.",  "10 sek.", "1 min.", "5 min.",
                                  "10 min.", "30 min.", "1 h."};
    QCOMPARE(window->count(), ChartSampler::WindowCount);
    for (int i = 0; i < window->count(); ++i)
        QCOMPARE(window->itemText(i), windowTexts[i]);
    QCOMPARE(window->toolTip(), QString("Okresla czas zapelnienia okna wykresu pomiarami. Po "
                                        "przekroczeniu czasu okno jest przesuwane."));
}

void TestChartPage::startsPausedAndIdle()
{
    QVERIFY(m_page->sampleTimer().isEnabled());
    QCOMPARE(m_page->sampleTimer().interval(), 0.02);
    QVERIFY(!m_page->state().ChartRunning);
    QCOMPARE(m_page->state().ChartWindow, 0u);

    auto *status = find<QLineEdit>("ChartStatus");
    QCOMPARE(status->text(), QString("NIEAKTYWNY"));
    QCOMPARE(status->palette().color(QPalette::Base),
             QApplication::palette(status).color(QPalette::Base));

    ChartPlot *chart = m_page->plot();
    QCOMPARE(chart->xAxis->label(), QString("Czas [s]"));
    QCOMPARE(chart->yAxis->label(), QString("Wartosc pomiaru"));
    QVERIFY(!chart->xAxis2->visible());
    QVERIFY(!chart->yAxis2->visible());
    QVERIFY(chart->legend->visible());
    const QStringList titles{"Czujnik 1", "Czujnik 2", "Czujnik 3", "Czujnik 4", "Suma"};
    const QList<QColor> colours{QColor("#E77018"), QColor("#0CAF18"), QColor("#04BBBB"),
                                QColor("#D20000"), QColor(Qt::black)};
    for (int k = 0; k < 5; ++k) {
        ChartLine *line = chart->line(k);
        QCOMPARE(line->objectName(), QStringLiteral("Series%1").arg(k + 1));
        QCOMPARE(line->name(), titles[k]);
        QCOMPARE(line->pen().color(), colours[k]);
        QCOMPARE(line->pen().widthF(), 2.0);
        QCOMPARE(chart->legend->item(k), chart->legendItem(k));
    }
    QCOMPARE(chart->lineVisibility(), (LineFlags{true, false, false, false, false}));

    m_page->applyLanguage();
    QCOMPARE(chart->line(4)->name(), QString("Suma"));
    SetActiveLanguage(2);
    m_page->applyLanguage();
    QCOMPARE(chart->line(0)->name(), QString("Sensor 1"));
    QCOMPARE(chart->line(4)->name(), QString("Sum"));
}

void TestChartPage::startUpAppliesTheChoices()
{
    m_page->startUp(); // the defaults: "1/sek.", "10 sek."
    QCOMPARE(m_page->sampleTimer().interval(), 1.0);
    QCOMPARE(m_page->state().ChartWindow, 10u);
    QCOMPARE(m_page->plot()->timeRange(), (AxisRange{0, 10}));
    QCOMPARE(m_page->plot()->valueRange(), (AxisRange{-1, 1}));
    QVERIFY(!m_page->state().ChartRunning);
}

void TestChartPage::preferences_data()
{
    QTest::addColumn<int>("sampling");
    QTest::addColumn<int>("timeSize");
    QTest::addColumn<QList<bool>>("shown");
    QTest::addColumn<int>("keptSampling"); // as collected back
    QTest::addColumn<int>("keptTimeSize");
    QTest::addColumn<double>("interval");   // after start-up
    QTest::addColumn<int>("window");
    QTest::addColumn<AxisRange>("timeRange");

    QTest::newRow("80/sek., 1 h., all shown")
        << 0 << 6 << QList<bool>{true, true, true, true, true} << 0 << 6 << 0.0125 << 3600
        << AxisRange{0, 3600};
    QTest::newRow("1/min., 1 min., sum only")
        << 3 << 2 << QList<bool>{false, false, false, false, true} << 3 << 2 << 60.0 << 60
        << AxisRange{0, 60};
    QTest::newRow("10/min., none shown")
        << 4 << 0 << QList<bool>{false, false, false, false, false} << 4 << 0 << 6.0 << 1
        << AxisRange{0, 1};
    QTest::newRow("window index 9 selects nothing")
        << 5 << 9 << QList<bool>{true, false, true, false, false} << 5 << -1 << 360.0 << 0
        << AxisRange{0, 1};
    QTest::newRow("sampling index -1 selects nothing")
        << -1 << 1 << QList<bool>{true, false, false, false, false} << -1 << 1 << 0.02 << 10
        << AxisRange{0, 10};
}

void TestChartPage::preferences()
{
    QFETCH(int, sampling);
    QFETCH(int, timeSize);
    QFETCH(QList<bool>, shown);
    QFETCH(int, keptSampling);
    QFETCH(int, keptTimeSize);
    QFETCH(double, interval);
    QFETCH(int, window);
    QFETCH(AxisRange, timeRange);

    QCOMPARE(m_page->preferences(), ChartPreferences()); // the file's defaults until read

    ChartPreferences stored;
    stored.Sampling = sampling;
    stored.TimeSize = timeSize;
    std::copy(shown.begin(), shown.end(), stored.ChartSeries.begin());
    m_page->applyPreferences(stored);

    // Selecting from code runs no handler.
    QCOMPARE(m_page->sampleTimer().interval(), 0.02);
    QCOMPARE(m_page->state().ChartWindow, 0u);
    for (int k = 0; k < 5; ++k)
        QCOMPARE(m_page->plot()->isLineVisible(k), shown[k]);

    m_page->startUp();
    QCOMPARE(m_page->sampleTimer().interval(), interval);
    QCOMPARE(int(m_page->state().ChartWindow), window);
    QCOMPARE(m_page->plot()->timeRange(), timeRange);

    ChartPreferences kept = stored;
    kept.Sampling = keptSampling;
    kept.TimeSize = keptTimeSize;
    QCOMPARE(m_page->preferences(), kept);
}

// Every line gets its point at each tick, x the sum of the intervals; the
// value axis follows the shown lines only.
void TestChartPage::sampleTicks()
{
    stopTimer();
    connectModule();
    choose("ComboB_ChartSampling", 1); // "10/sek."
    m_page->startUp();
    m_page->startSampling();
    for (int i = 0; i < 12; ++i)
        m_page->sampleTick();

    ChartPlot *chart = m_page->plot();
    double x = 0;
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(samples().x(i), x);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(double(samples().value(k, i)), KnownLines[k]); // hidden lines too
        x += 0.1;
    }
    QCOMPARE(m_page->state().ChartTime, x);
    QCOMPARE(chart->valueRange(), (AxisRange{-1, 501})); // Series1 only
    QCOMPARE(chart->timeRange(), (AxisRange{0, 10}));     // not filled yet

    // Shown from now on: widens with its next value.
    chart->setLineVisible(1, true);
    m_page->sampleTick();
    QCOMPARE(chart->valueRange(), (AxisRange{-251, 501}));
    QCOMPARE(points(), 13);
}

void TestChartPage::startAndPause()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    auto *status = find<QLineEdit>("ChartStatus");

    find<QAbstractButton>("Btn_ChartStart")->click();
    QVERIFY(m_page->state().ChartRunning);
    QCOMPARE(status->text(), QString("AKTYWNY"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Active);
    m_page->sampleTick();
    m_page->sampleTick();
    QCOMPARE(points(), 2);

    find<QAbstractButton>("Btn_ChartPause")->click();
    QVERIFY(!m_page->state().ChartRunning);
    QCOMPARE(status->text(), QString("NIEKATYWNY"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Inactive);
    const AxisRange values = m_page->plot()->valueRange();
    m_page->sampleTick();
    QCOMPARE(points(), 2);
    QCOMPARE(m_page->plot()->valueRange(), values);

    SetActiveLanguage(2);
    find<QAbstractButton>("Btn_ChartStart")->click();
    QCOMPARE(status->text(), QString("ACTIVE"));
    m_page->sampleTick();
    QCOMPARE(points(), 3); // Start doesn't reset
    QCOMPARE(samples().x(2), 2.0);
}

void TestChartPage::resetWhilePausedEmpties()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    for (int i = 0; i < 15; ++i)
        m_page->sampleTick();
    QCOMPARE(m_page->plot()->timeRange(), (AxisRange{4, 14}));
    m_page->pauseSampling();

    find<QAbstractButton>("Btn_ChartReset")->click();
    QCOMPARE(points(), 0);
    QCOMPARE(m_page->plot()->timeRange(), (AxisRange{0, 10}));
    QCOMPARE(m_page->plot()->valueRange(), (AxisRange{-1, 1}));
    QCOMPARE(m_page->state().ChartTime, 0.0);
    QCOMPARE(samples().allocatedBytes(), 0);
    QVERIFY(!m_page->state().ChartRunning);

    m_page->startSampling();
    m_page->sampleTick();
    QCOMPARE(points(), 1);
    QCOMPARE(samples().x(0), 0.0);
}

void TestChartPage::disconnectionPauses()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    m_page->sampleTick();
    QCOMPARE(points(), 1);

    m_rig->backend.unplug(ModulePath);
    QTRY_VERIFY(!m_rig->link->isConnected());
    m_page->sampleTick();
    QVERIFY(!m_page->state().ChartRunning);
    QCOMPARE(points(), 1); // kept, and no more
    auto *status = find<QLineEdit>("ChartStatus");
    QCOMPARE(status->text(), QString("NIEKATYWNY"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Inactive);

    m_rig->backend.plug(m_module);
    QTRY_VERIFY(m_rig->link->isConnected());
    m_page->sampleTick();
    QVERIFY(!m_page->state().ChartRunning); // until Start
    QCOMPARE(points(), 1);
}

void TestChartPage::startWithoutModulePausesAtTheNextTick()
{
    stopTimer();
    m_rig->backend.unplug(ModulePath); // before the first device search
    QVERIFY(!m_rig->link->isConnected());
    m_page->startUp();
    m_page->startSampling();
    QCOMPARE(find<QLineEdit>("ChartStatus")->text(), QString("AKTYWNY"));
    m_page->sampleTick();
    QCOMPARE(find<QLineEdit>("ChartStatus")->text(), QString("NIEKATYWNY"));
    QCOMPARE(points(), 0);
}

void TestChartPage::samplingChangeKeepsPoints()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    for (int i = 0; i < 3; ++i)
        m_page->sampleTick(); // 0, 1, 2

    choose("ComboB_ChartSampling", 1);
    QCOMPARE(m_page->sampleTimer().interval(), 0.1);
    QCOMPARE(points(), 3);
    QVERIFY(m_page->state().ChartRunning);
    m_page->sampleTick();
    m_page->sampleTick();
    QCOMPARE(points(), 5);
    QCOMPARE(samples().x(3), 3.0);
    QCOMPARE(samples().x(4), 3.1);

    choose("ComboB_ChartSampling", 3); // "1/min."
    QCOMPARE(m_page->sampleTimer().interval(), 60.0);
    choose("ComboB_ChartSampling", 4); // "10/min."
    QCOMPARE(m_page->sampleTimer().interval(), 6.0);
}

void TestChartPage::windowChangeEmpties()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    for (int i = 0; i < 4; ++i)
        m_page->sampleTick();

    choose("Cb_ChartTimeWindow", 3); // "5 min."
    QCOMPARE(m_page->state().ChartWindow, 300u);
    QCOMPARE(points(), 0);
    QCOMPARE(m_page->state().ChartTime, 0.0);
    QCOMPARE(m_page->plot()->timeRange(), (AxisRange{0, 300}));
    QCOMPARE(m_page->plot()->valueRange(), (AxisRange{-1, 1}));
    QVERIFY(m_page->state().ChartRunning); // goes on sampling from x = 0
    m_page->sampleTick();
    QCOMPARE(samples().x(0), 0.0);
}

// The timer's own thread drives the ticks; their work runs here.
void TestChartPage::timerThreadSamples()
{
    connectModule();
    choose("ComboB_ChartSampling", 0); // "80/sek."
    m_page->startUp();
    m_page->startSampling();
    QTRY_VERIFY(points() >= 5);
    stopTimer();
    QCOMPARE(samples().x(0), 0.0);
    QCOMPARE(samples().x(1), 0.0125);
    QCOMPARE(samples().value(4, 1), 1260.5f);
}

void TestChartPage::legendBoxesShowAndHide()
{
    showPage();
    ChartPlot *chart = m_page->plot();
    QSignalSpy toggled(chart, &ChartPlot::lineVisibilityChanged);
    const QPoint second = chart->legendItem(1)->rect().center();
    QVERIFY(second.y() > chart->axisRect()->rect().bottom()); // below the plot

    QTest::mouseClick(chart, Qt::LeftButton, {}, second);
    QVERIFY(chart->isLineVisible(1));
    QCOMPARE(toggled.size(), 1);
    QVERIFY(chart->legendItem(1)->isChecked());
    QCOMPARE(m_page->preferences().ChartSeries,
             (std::array<bool, 5>{true, true, false, false, false}));

    QTest::mouseClick(chart, Qt::LeftButton, {}, chart->legendItem(0)->rect().center());
    QVERIFY(!chart->isLineVisible(0));
    QCOMPARE(m_page->preferences().ChartSeries,
             (std::array<bool, 5>{false, true, false, false, false}));
    QCOMPARE(chart->timeRange(), (AxisRange{0, 1})); // a click is no zoom
}

void TestChartPage::mouseZoomsAndScrolls()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    for (int i = 0; i < 5; ++i)
        m_page->sampleTick();
    m_page->pauseSampling();
    showPage();

    ChartPlot *chart = m_page->plot();
    const QRect area = chart->axisRect()->rect();
    const AxisRange time = chart->timeRange();   // [0, 10]
    const AxisRange values = chart->valueRange(); // [-1, 501]
    auto drag = [chart](Qt::MouseButton button, QPoint from, QPoint to) {
        QTest::mousePress(chart, button, {}, from);
        QTest::mouseMove(chart, (from + to) / 2);
        QTest::mouseMove(chart, to);
        QTest::mouseRelease(chart, button, {}, to);
    };

    // Upper left to lower right: into the rectangle, on both axes.
    const QPoint from = area.topLeft() + QPoint(area.width() / 4, area.height() / 4);
    const QPoint to = area.topLeft() + QPoint(area.width() * 3 / 4, area.height() * 3 / 4);
    const double left = chart->xAxis->pixelToCoord(from.x());
    const double right = chart->xAxis->pixelToCoord(to.x());
    drag(Qt::LeftButton, from, to);
    const AxisRange zoomed = chart->timeRange();
    QVERIFY(std::abs(zoomed.lower - left) < 1e-9 && std::abs(zoomed.upper - right) < 1e-9);
    AxisRange zoomedValues = chart->valueRange();
    QVERIFY(zoomedValues.upper < values.upper && zoomedValues.lower > values.lower);

    // Any other way: back to the ranges before the zoom.
    drag(Qt::LeftButton, to, from);
    QCOMPARE(chart->timeRange(), time);
    QCOMPARE(chart->valueRange(), values);
    drag(Qt::LeftButton, from, to);
    // Upper right to lower left.
    drag(Qt::LeftButton, QPoint(to.x(), from.y()), QPoint(from.x(), to.y()));
    QCOMPARE(chart->timeRange(), time);

    // Right button: the time axis scrolls with the mouse; the value axis stays.
    const double perPixel = (time.upper - time.lower) / area.width();
    drag(Qt::RightButton, area.center(), area.center() - QPoint(100, 40));
    QVERIFY(std::abs(chart->timeRange().lower - (time.lower + 100 * perPixel)) < 1e-9);
    QVERIFY(std::abs(chart->timeRange().upper - (time.upper + 100 * perPixel)) < 1e-9);
    QCOMPARE(chart->valueRange(), values);

    // Paused, the view stays; the next sampling tick sets the value axis again.
    drag(Qt::LeftButton, from, to);
    zoomedValues = chart->valueRange();
    QVERIFY(zoomedValues.upper < values.upper);
    m_page->startSampling();
    m_page->sampleTick();
    QCOMPARE(chart->valueRange(), values);
}

void TestChartPage::replotsAreCoalescedAndOnlyWhenShown()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    showPage();
    QTRY_VERIFY(!m_page->replotPending());

    // Many samples, one replot, never one per sample.
    int before = m_page->replotCount();
    for (int i = 0; i < 200; ++i)
        m_page->sampleTick();
    QCOMPARE(m_page->replotCount(), before);
    QVERIFY(m_page->replotPending());
    QTRY_VERIFY(!m_page->replotPending());
    QCOMPARE(m_page->replotCount(), before + 1);

    // Hidden, as on another tab: the points come, no replot.
    m_page->hide();
    before = m_page->replotCount();
    for (int i = 0; i < 50; ++i)
        m_page->sampleTick();
    QVERIFY(!m_page->replotPending());
    QCoreApplication::processEvents();
    QCOMPARE(m_page->replotCount(), before);
    QCOMPARE(points(), 250);

    // Shown again: brought up to date.
    m_page->show();
    QTRY_VERIFY(m_page->replotCount() > before);
    QTRY_VERIFY(!m_page->replotPending());
}

// In the 1 h window a pixel column holds about 400 samples at 80/s: a
// sample with the same values there changes nothing drawn.
void TestChartPage::replotOnlyWhenTheChartChanges()
{
    stopTimer();
    connectModule();
    ChartPreferences hour;
    hour.Sampling = 0;
    hour.TimeSize = 6;
    m_page->applyPreferences(hour);
    m_page->startUp();
    m_page->startSampling();
    showPage();
    m_page->sampleTick();
    QTRY_VERIFY(!m_page->replotPending());
    const int before = m_page->replotCount();

    m_page->sampleTick();
    QVERIFY(!m_page->replotPending());
    QCOMPARE(m_page->replotCount(), before);

    LiveValues higher = knownFrame();
    higher.Input1 = 600.0f; // a new highest value of the shown line
    m_module->setFixedFrame(higher);
    QTRY_COMPARE(m_rig->protocol->liveValues().Input1, 600.0f);
    m_page->sampleTick();
    QVERIFY(m_page->replotPending());
    QTRY_COMPARE(m_page->replotCount(), before + 1);
}

void TestChartPage::tips()
{
    find<QAbstractButton>("Btn_ChartTips")->click();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, QMessageBox::Information);
    QCOMPARE(m_messages[0].caption, QString("Porady dla wykresu"));
    QCOMPARE(m_messages[0].text, GetTextOrDefault("IDS_157"));
    QVERIFY(m_messages[0].text.contains("\\n")); // shown as the table holds it
    QCOMPARE(m_messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestChartPage::printAfterConfirmation_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("printed");

    QTest::newRow("OK") << int(QMessageBox::Ok) << true;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << false;
}

void TestChartPage::printAfterConfirmation()
{
    QFETCH(int, answer);
    QFETCH(bool, printed);

    QTemporaryDir dir;
    const QString pdf = dir.filePath("chart.pdf");
    QPrinter &printer = m_page->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    m_answer = QMessageBox::StandardButton(answer);

    find<QAbstractButton>("Btn_Print")->click();

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, QMessageBox::Question);
    QCOMPARE(m_messages[0].caption, QString("Drukowanie"));
    QCOMPARE(m_messages[0].text, QString("Wydrukowac wykres?"));
    QCOMPARE(m_messages[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(QFile::exists(pdf), printed);
    if (printed)
        QCOMPARE(printer.docName(), QString("Chart1"));
}

// Qt falls back to a PDF printer without a file when there is no printer.
void TestChartPage::printWithoutPrinterIsAnError()
{
    m_page->printer().setOutputFormat(QPrinter::PdfFormat);
    m_page->printer().setOutputFileName(QString());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_page->printChart());
    QCOMPARE(m_messages.size(), 1); // the confirmation; the error box is the application's
}

void TestChartPage::printerSetupIsKeptForThisRun()
{
    QList<QPrinter *> asked;
    m_page->setPrinterSetup([&asked](QPrinter &printer, QWidget *) {
        asked << &printer;
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    QTemporaryDir dir;
    m_page->printer().setOutputFormat(QPrinter::PdfFormat);
    m_page->printer().setOutputFileName(dir.filePath("landscape.pdf"));

    find<QAbstractButton>("Btn_CharPrintSetting")->click();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0], &m_page->printer());
    m_page->printChart();

    QCOMPARE(m_page->printer().pageLayout().orientation(), QPageLayout::Landscape);
    const QPrinter &printer = m_page->printer();
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    QVERIFY(printable.width() > printable.height());
    QFile pdf(dir.filePath("landscape.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().contains("/MediaBox [0 0 842.000000 595.000000]"));

    // A second set-up works on the same printer.
    find<QAbstractButton>("Btn_CharPrintSetting")->click();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1], asked[0]);
}

// A set-up dialog confirmed with OK, not a print dialog: accepting it
// prints nothing.
void TestChartPage::printerSetupPrintsNothing()
{
    QTemporaryDir dir;
    QPrinter &printer = m_page->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("never.pdf"));
    const std::unique_ptr<QDialog> dialog = ChartPage::printerSetupDialog(printer, m_page.get());
    QVERIFY(qobject_cast<QPageSetupDialog *>(dialog.get()));
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QVERIFY(buttons->button(QDialogButtonBox::Ok));
    for (QAbstractButton *button : buttons->buttons())
        QVERIFY2(!button->text().contains("Print"), qPrintable(button->text()));
    dialog->accept();
    QVERIFY(!QFile::exists(dir.filePath("never.pdf")));
}

void TestChartPage::saveBitmap_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("exists"); // a file of that name is there already

    QTest::newRow("name without extension") << "wykres" << "wykres.bmp" << false;
    QTest::newRow(".BMP kept, replaced") << "wykres.BMP" << "wykres.BMP" << true;
    QTest::newRow(".bmp replaced") << "wykres.bmp" << "wykres.bmp" << true;
}

// The chart as on screen, at its pixel size, without the status field and
// the help button that sit on it.
void TestChartPage::saveBitmap()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(bool, exists);

    QTemporaryDir dir;
    if (exists) {
        QFile old(dir.filePath(written));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("not a bitmap");
    }
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling(); // the status field turns green
    m_page->sampleTick();
    showPage();
    m_chosenFile = dir.filePath(chosen);

    find<QAbstractButton>("Btn_SaveBmpChart")->click();

    QCOMPARE(m_filters, QStringList{"Bitmap (*bmp);;PNG (*.png);;SVG (*.svg);;PDF (*.pdf);;"
                                    "Points (CSV) (*.csv)"});
    QVERIFY(m_messages.isEmpty());
    QFile file(dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("BM"));
    QImage image;
    QVERIFY(image.loadFromData(bytes, "BMP"));
    QCOMPARE(image.size(), QSize(652, 348));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    const QPoint onStatus = find("ChartStatus")->geometry().topLeft() + QPoint(5, 4);
    QVERIFY(find<QLineEdit>("ChartStatus")->palette().color(QPalette::Base) == Colours::Active);
    QVERIFY(image.pixelColor(onStatus) != Colours::Active);
    const QImage screen = m_page->plot()->grab().toImage();
    QCOMPARE(screen.pixelColor(onStatus), Colours::Active);
}

void TestChartPage::saveCancelled()
{
    m_chosenFile.clear();
    find<QAbstractButton>("Btn_SaveBmpChart")->click();
    QCOMPARE(m_filters.size(), 1);
    QVERIFY(m_messages.isEmpty());
}

void TestChartPage::failedSaveWarns()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    m_page->sampleTick();
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/wykres.bmp");
    m_chosenFile = dir.filePath("missing/wykres");

    m_page->savePicture();

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
    QVERIFY2(m_messages[0].text.contains(path), qPrintable(m_messages[0].text));
    QVERIFY2(m_messages[0].text.contains("No such file or directory"),
             qPrintable(m_messages[0].text));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(points(), 1);
    QVERIFY(m_page->state().ChartRunning);
}

// Every kept point, with the legend's names and Cb_Decp's decimal places.
void TestChartPage::pointsSavedInTheActiveLanguage()
{
    stopTimer();
    connectModule();
    m_page->startUp();
    m_page->startSampling();
    m_page->sampleTick();
    m_page->sampleTick();
    m_rig->session->setDecimalPlaces(3);
    SetActiveLanguage(2);
    m_page->applyLanguage();
    QTemporaryDir dir;
    m_chosenFile = dir.filePath("points.CSV");

    find<QAbstractButton>("Btn_SaveBmpChart")->click();

    QVERIFY(m_messages.isEmpty());
    QFile file(m_chosenFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Time [s];Sensor 1;Sensor 2;Sensor 3;Sensor 4;Sum\r\n"
                                        "0;500.000;-250.000;12.500;998.000;1260.500\r\n"
                                        "1;500.000;-250.000;12.500;998.000;1260.500\r\n"));
}

QTEST_MAIN(TestChartPage)
#include "tst_chartpage.moc"
