// The Measurements page, the big display window and the other views of the
// live values, wired as the program wires them, over the simulated module.
#include "bigdisplaywindow.h"
#include "colours.h"
#include "findcontrol.h"
#include "largedigitlabel.h"
#include "livedisplaytick.h"
#include "measurementspage.h"
#include "programwindows.h"
#include "simrig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const QString ModulePath = QStringLiteral("sim:klv57");
const QString NoConnection = QStringLiteral("----------");

// Byte 1 = 0x05: IN1 and OUT1 on. Input 4 is over its 1000 N range.
LiveValues knownFrame()
{
    LiveValues v;
    v.Inputs = 1;
    v.Outputs = 1;
    v.Sum = 1234.56f;
    v.Max = 2000.0f;
    v.Min = -12.4f;
    v.Input1 = -250.0f;
    v.Input2 = 2.0f;
    v.Input3 = 500.0f;
    v.Input4 = 1500.0f;
    v.AnalogOut = 4.0f;
    return v;
}

} // namespace

class TestMeasurementsPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void looks_data();
    void looks();
    void liveValuesReachEveryView();
    void choiceAndDecimalPlacesReachTheTick();
    void disconnectedTickFreezes();
    void buttonsSendTheirCommand_data();
    void buttonsSendTheirCommand();
    void bigWindowLayout_data();
    void bigWindowLayout();
    void bigWindowShowsAndHides();
    void largeDigitsDrawLikeALabel_data();
    void largeDigitsDrawLikeALabel();
    void longValueShrinksToFit_data();
    void longValueShrinksToFit();

private:
    template <typename T = QWidget> T *page(const QString &name) { return find<T>(m_page, name); }
    template <typename T = QWidget> T *anywhere(const QString &name)
    {
        return find<T>(&m_windows->form1, name);
    }
    // Connected, both settings read, the known frame stored.
    void waitForStartUp();
    // Waits for a display tick after everything so far.
    void nextTick();

    std::unique_ptr<SimRig> m_rig;
    std::shared_ptr<SimulatedModule> m_module;
    std::unique_ptr<ProgramWindows> m_windows;
    std::unique_ptr<QSignalSpy> m_ioReports;
    MeasurementsPage *m_page = nullptr;
    BigDisplayWindow *m_big = nullptr;
    LiveDisplay m_shown; // what the last tick handed out
    int m_ticks = 0;
};

void TestMeasurementsPage::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestMeasurementsPage::init()
{
    m_rig = std::make_unique<SimRig>();
    m_module = std::make_shared<SimulatedModule>(ModulePath);
    m_module->setFixedFrame(knownFrame());
    m_rig->backend.add(SimulatedBackend::keyboard());
    m_rig->backend.add(m_module);
    m_rig->start();
    m_ioReports = std::make_unique<QSignalSpy>(m_rig->protocol, &DeviceProtocol::ioSettingsReceived);
    m_windows = std::make_unique<ProgramWindows>(*m_rig->session, m_rig->settingsPath());
    m_page = find<MeasurementsPage>(&m_windows->form1, "MeasurementsPage");
    m_big = &m_windows->formBigDisplay;
    m_ticks = 0;
    connect(&m_rig->session->displayTick(), &LiveDisplayTick::shown, this,
            [this](const LiveDisplay &display) {
                m_shown = display;
                ++m_ticks;
            });
}

void TestMeasurementsPage::cleanup()
{
    m_ioReports.reset();
    m_windows.reset();
    m_rig.reset();
    m_module.reset();
}

void TestMeasurementsPage::waitForStartUp()
{
    QTRY_VERIFY(m_ioReports->count() > 0);
    QTRY_COMPARE(m_rig->protocol->liveValues().Sum, 1234.56f);
    QVERIFY(m_rig->waitForIdle());
    nextTick();
}

void TestMeasurementsPage::nextTick()
{
    const int seen = m_ticks;
    QTRY_VERIFY(m_ticks > seen);
}

void TestMeasurementsPage::looks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size"); // invalid: not given
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");

    const QColor white(Qt::white);
    QTest::newRow("DisplaySum") << "DisplaySum" << QSize(439, 93) << 80 << Colours::Orange << Colours::Blue;
    QTest::newRow("DisplayMax") << "DisplayMax" << QSize(151, 41) << 35 << Colours::Orange << Colours::Blue;
    QTest::newRow("DisplayMin") << "DisplayMin" << QSize(151, 41) << 35 << Colours::Orange << Colours::Blue;
    for (int k = 1; k <= 4; ++k)
        QTest::addRow("DisplayTens%d", k) << QStringLiteral("DisplayTens%1").arg(k) << QSize() << 37
                                          << white << Colours::Blue;
    QTest::newRow("Lab_VoutVal") << "Lab_VoutVal" << QSize() << 21 << white << Colours::Blue;
    for (int k = 1; k <= 10; ++k)
        QTest::addRow("JvNavPanelHeader%d", k) << QStringLiteral("JvNavPanelHeader%1").arg(k)
                                               << QSize() << 13 << white << Colours::HeaderBand;
}

void TestMeasurementsPage::looks()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, pixels);
    QFETCH(QColor, text);
    QFETCH(QColor, background);

    waitForStartUp(); // the active inputs are the module's, not the defaults
    anywhere<QTabWidget>("PageControl1")->setCurrentIndex(0);
    m_windows->form1.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_windows->form1));
    auto *label = page<QLabel>(name);
    // An input's field looks active once the module's settings enabled it.
    QTRY_VERIFY(label->isEnabled());
    if (size.isValid())
        QCOMPARE(label->size(), size);
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().family(), QString("Arial"));
    QCOMPARE(label->palette().color(label->foregroundRole()), text);
    QCOMPARE(label->palette().color(label->backgroundRole()), background);
    const Qt::Alignment expected =
        name.startsWith("JvNavPanelHeader") ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter;
    QCOMPARE(label->alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask),
             expected);
    // What a user sees: the background colour at the label's top left corner.
    const QImage image = label->grab().toImage();
    QCOMPARE(image.pixelColor(1, 1), background);
}

// One tick's result lands in every control that shows live values.
void TestMeasurementsPage::liveValuesReachEveryView()
{
    waitForStartUp();
    const LiveDisplay d = m_shown;
    QVERIFY(d.connected);
    QCOMPARE(*d.sumText, QString("1,234.6 N")); // the module's factory settings: N, all four inputs

    QCOMPARE(page<QLabel>("DisplaySum")->text(), *d.sumText);
    QCOMPARE(page<QLabel>("DisplayMax")->text(), d.maxText);
    QCOMPARE(page<QLabel>("DisplayMin")->text(), d.minText);
    QCOMPARE(m_big->valueText(), *d.sumText);
    QCOMPARE(m_big->maxText(), d.maxText);
    QCOMPARE(m_big->minText(), d.minText);
    QVERIFY(!m_big->isVisible()); // written whether shown or not
    for (int k = 1; k <= 4; ++k) {
        QCOMPARE(page<QLabel>(QStringLiteral("DisplayTens%1").arg(k))->text(), d.inputTexts[k - 1]);
        QCOMPARE(anywhere<QLabel>(QStringLiteral("Label_ValTens%1").arg(k))->text(), d.inputTexts[k - 1]);
        QCOMPARE(page<QProgressBar>(QStringLiteral("PBTens%1").arg(k))->value(), *d.inputBars[k - 1]);
    }
    QCOMPARE(page<QProgressBar>("PBTens4")->value(), 500); // over range: full
    QCOMPARE(page<QLabel>("Lab_VoutVal")->text(), *d.analogText);
    QCOMPARE(page<QProgressBar>("PBVout")->value(), *d.analogBar);

    const QList<QLineEdit *> fields{page<QLineEdit>("StatusIN1"), page<QLineEdit>("StatusIN2"),
                                    page<QLineEdit>("StatusOUT1"), page<QLineEdit>("StatusOUT2"),
                                    anywhere<QLineEdit>("Out1Status"), anywhere<QLineEdit>("Out2Status")};
    const QList<bool> on{true, false, true, false, true, false};
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(fields[i]->text(), on[i] ? QString("ON") : QString("OFF"));
        QCOMPARE(fields[i]->palette().color(QPalette::Base), on[i] ? Colours::Active : Colours::Inactive);
    }
}

// The radio buttons and Cb_Decp on the settings page reach the tick
// through the display state.
void TestMeasurementsPage::choiceAndDecimalPlacesReachTheTick()
{
    waitForStartUp();
    page<QRadioButton>("RadioButton_DispS4")->click();
    anywhere<QComboBox>("Cb_Decp")->setCurrentIndex(2);
    nextTick();
    QCOMPARE(page<QLabel>("DisplaySum")->text(), QString("1,500.00 N"));
    QCOMPARE(m_big->valueText(), QString("1,500.00 N"));
    QCOMPARE(page<QLabel>("DisplayMax")->text(), QString("2,000.00"));
    QCOMPARE(anywhere<QLabel>("Label_ValTens1")->text(), QString("-250.00 N"));
}

// Without a connection the page shows dashes; the other views keep what they
// showed last.
void TestMeasurementsPage::disconnectedTickFreezes()
{
    waitForStartUp();
    auto snapshot = [this] {
        QStringList s;
        for (const char *name : {"PBTens1", "PBTens2", "PBTens3", "PBTens4", "PBVout"})
            s << QString::number(page<QProgressBar>(name)->value());
        for (const char *name : {"StatusIN1", "StatusIN2", "StatusOUT1", "StatusOUT2", "Out1Status", "Out2Status"}) {
            auto *field = anywhere<QLineEdit>(name);
            s << field->text() << field->palette().color(QPalette::Base).name();
        }
        for (int k = 1; k <= 4; ++k)
            s << anywhere<QLabel>(QStringLiteral("Label_ValTens%1").arg(k))->text()
              << QString::number(page(QStringLiteral("DisplayTens%1").arg(k))->isEnabled());
        s << page<QLabel>("Lab_VoutVal")->text() << m_big->valueText() << m_big->maxText()
          << m_big->minText();
        return s;
    };
    const QStringList before = snapshot();
    QCOMPARE(m_big->valueText(), QString("1,234.6 N"));

    m_module->setFixedFrame(std::nullopt);
    m_rig->backend.unplug(ModulePath);
    QTRY_VERIFY(!m_rig->link->isConnected());
    nextTick();

    for (const char *name : {"DisplaySum", "DisplayMax", "DisplayMin", "DisplayTens1",
                             "DisplayTens2", "DisplayTens3", "DisplayTens4"})
        QCOMPARE(page<QLabel>(name)->text(), NoConnection);
    QCOMPARE(snapshot(), before);
}

void TestMeasurementsPage::buttonsSendTheirCommand_data()
{
    QTest::addColumn<QString>("radio"); // empty: none checked
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");      // -1: nothing sent

    QTest::newRow("Tara, Suma") << "RadioButton_DispSum" << "BtnTara" << 0x91;
    QTest::newRow("Tara, Czujnik 1") << "RadioButton_DispS1" << "BtnTara" << 0x8C;
    QTest::newRow("Tara, Czujnik 2") << "RadioButton_DispS2" << "BtnTara" << 0x8D;
    QTest::newRow("Tara, Czujnik 3") << "RadioButton_DispS3" << "BtnTara" << 0x8E;
    QTest::newRow("Tara, Czujnik 4") << "RadioButton_DispS4" << "BtnTara" << 0x8F;
    QTest::newRow("Tara, none checked") << "" << "BtnTara" << -1;
    QTest::newRow("Reset Min/Max") << "RadioButton_DispS2" << "Btn_ResetMinMax" << 0x93;
}

void TestMeasurementsPage::buttonsSendTheirCommand()
{
    QFETCH(QString, radio);
    QFETCH(QString, button);
    QFETCH(int, code);

    waitForStartUp();
    if (radio.isEmpty()) {
        for (QRadioButton *r : m_page->findChildren<QRadioButton *>()) {
            r->setAutoExclusive(false);
            r->setChecked(false);
        }
    } else {
        page<QRadioButton>(radio)->click();
    }
    m_rig->forgetWrites(*m_module);

    page<QAbstractButton>(button)->click();
    m_rig->waitForWrites();

    const QList<quint8> sent = withoutPolls(writtenCodes(*m_module));
    if (code < 0) {
        QVERIFY(sent.isEmpty());
        QVERIFY(m_rig->session->isIdle());
        return;
    }
    QCOMPARE(sent, QList<quint8>{quint8(code)});
    QVERIFY(!m_rig->session->isIdle()); // until the acknowledgement arrives
    QVERIFY(m_rig->waitForIdle());
}

void TestMeasurementsPage::bigWindowLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // within the panel
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("digits"); // orange on blue, right-aligned; else a white header

    QTest::newRow("header") << "Label1" << QRect(8, 4, 1129, 25) << 16 << false;
    QTest::newRow("LED_display") << "LED_display" << QRect(9, 35, 769, 214) << 187 << true;
    QTest::newRow("Max header") << "Label2" << QRect(784, 32, 81, 97) << 16 << false;
    QTest::newRow("DispMax") << "DispMax" << QRect(864, 32, 273, 97) << 64 << true;
    QTest::newRow("Min header") << "Label3" << QRect(784, 152, 81, 97) << 16 << false;
    QTest::newRow("DispMin") << "DispMin" << QRect(864, 152, 273, 97) << 64 << true;
}

void TestMeasurementsPage::bigWindowLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(int, pixels);
    QFETCH(bool, digits);

    BigDisplayWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.objectName(), QString("FormBigDisplay"));
    QCOMPARE(window.windowTitle(), QString("KLV57 - wartosc pomiaru"));
    QCOMPARE(window.size(), QSize(1159, 291));
    QCOMPARE(window.minimumSize(), window.maximumSize()); // not resizable
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    auto *panel = find<QWidget>(&window, "Panel1");
    QCOMPARE(panel->geometry(), QRect(8, 8, 1145, 273));

    auto *label = find<QLabel>(panel, name);
    QCOMPARE(label->geometry(), geometry);
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().family(), QString("Arial"));
    QCOMPARE(label->palette().color(label->foregroundRole()), digits ? Colours::Orange : QColor(Qt::white));
    if (digits) {
        QCOMPARE(label->alignment(), Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
        QCOMPARE(label->grab().toImage().pixelColor(1, 1), Colours::Blue);
    } else {
        QCOMPARE(label->alignment(), Qt::Alignment(Qt::AlignCenter));
    }
}

void TestMeasurementsPage::bigWindowShowsAndHides()
{
    QCOMPARE(m_big->pos(), QPoint(218, 229));
    QVERIFY(!m_big->isVisible());

    m_windows->form1.show();
    page<QAbstractButton>("Bit_BigWindow")->click();
    QVERIFY(m_big->isVisible());
    QVERIFY(!m_big->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_page->isEnabled());
    page<QAbstractButton>("Bit_BigWindow")->click(); // already shown: stays, no second window
    QVERIFY(m_big->isVisible());

    QVERIFY(m_big->close()); // only hides
    QVERIFY(!m_big->isVisible());
    waitForStartUp();
    QCOMPARE(m_big->valueText(), QString("1,234.6 N"));
    page<QAbstractButton>("Bit_BigWindow")->click();
    QVERIFY(m_big->isVisible());
    QCOMPARE(m_big->valueText(), QString("1,234.6 N"));
}

void TestMeasurementsPage::largeDigitsDrawLikeALabel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("alignment");

    const int right = Qt::AlignRight | Qt::AlignVCenter;
    QTest::newRow("DisplaySum") << "-1,234.6 kN" << 80 << right;
    QTest::newRow("LED_display dashes") << "------------- " << 187 << right;
    QTest::newRow("LED_display value") << "987.65 kg" << 187 << right;
    QTest::newRow("centred, top") << "INF N" << 80 << int(Qt::AlignHCenter | Qt::AlignTop);
    QTest::newRow("left, bottom") << "NaN" << 80 << int(Qt::AlignLeft | Qt::AlignBottom);
}

// The same pixels, give or take anti-aliasing, as Qt's own label draws.
void TestMeasurementsPage::largeDigitsDrawLikeALabel()
{
    QFETCH(QString, text);
    QFETCH(int, pixels);
    QFETCH(int, alignment);

    const QString style = QStringLiteral("background-color: #0E55AB; color: #FFA500; "
                                         "font-family: Arial; font-size: %1px; font-weight: bold;")
                              .arg(pixels);
    QWidget host;
    QLabel plain(text, &host);
    LargeDigitLabel large(&host);
    large.setText(text);
    for (QLabel *label : {&plain, static_cast<QLabel *>(&large)}) {
        label->setStyleSheet(style);
        label->setAlignment(Qt::Alignment(alignment));
        label->resize(pixels * 6, pixels * 3 / 2);
    }
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    const QImage expected = plain.grab().toImage();
    const QImage actual = large.grab().toImage();
    QCOMPARE(actual.size(), expected.size());

    auto inkBounds = [](const QImage &image) {
        QRect bounds;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).red() > 0x80)
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    };
    const QRect want = inkBounds(expected);
    const QRect got = inkBounds(actual);
    QVERIFY(!want.isEmpty());
    for (int edge : {got.left() - want.left(), got.right() - want.right(),
                     got.top() - want.top(), got.bottom() - want.bottom()})
        QVERIFY2(std::abs(edge) <= 2, qPrintable(QStringLiteral("ink at %1,%2 %3x%4, Qt's at %5,%6 %7x%8")
                                                     .arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())
                                                     .arg(want.x()).arg(want.y()).arg(want.width()).arg(want.height())));
    // Glyphs sit on whole pixels here, so edges may move by one: compare the
    // pixels that differ with the ink, which an absent or wrong glyph doubles.
    int ink = 0;
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const int want = expected.pixelColor(x, y).red();
            ink += want > 0x80;
            differing += std::abs(want - actual.pixelColor(x, y).red()) > 0x80;
        }
    }
    QVERIFY2(differing * 4 < ink, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(ink)));
}

void TestMeasurementsPage::longValueShrinksToFit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("shrinks");

    const QString grouped = QStringLiteral("1") + QChar(0x00A0) + QStringLiteral("234,6 N");
    QTest::newRow("LED_display, fits") << "234,6 N" << 187 << QSize(769, 214) << false;
    QTest::newRow("LED_display, 1 234,6 N") << grouped << 187 << QSize(769, 214) << true;
    QTest::newRow("LED_display, 12 digits") << "-123,456,789.12 kN" << 187 << QSize(769, 214) << true;
    QTest::newRow("DisplaySum, fits") << "1,234.6 N" << 80 << QSize(439, 93) << false;
    QTest::newRow("DisplaySum, long") << "-1,234,567.8 kg" << 80 << QSize(439, 93) << true;
}

// A reading that drops a digit is a wrong reading: the whole text is drawn,
// in a smaller font only when the documented one does not fit.
void TestMeasurementsPage::longValueShrinksToFit()
{
    QFETCH(QString, text);
    QFETCH(int, pixels);
    QFETCH(QSize, size);
    QFETCH(bool, shrinks);

    QWidget host;
    LargeDigitLabel label(&host);
    label.setStyleSheet(QStringLiteral("background-color: #0E55AB; color: #FFA500; "
                                       "font-family: Arial; font-size: %1px; font-weight: bold;")
                            .arg(pixels));
    label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label.resize(size);
    label.setText(text);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    const int shown = label.shownPixelSize();
    if (shrinks)
        QVERIFY2(shown < pixels, qPrintable(QString::number(shown)));
    else
        QCOMPARE(shown, pixels);
    QFont font = label.font();
    font.setPixelSize(shown);
    QVERIFY(QFontMetricsF(font).horizontalAdvance(text) <= size.width() + 1);

    // Ink on the left edge would mean a cut-off digit.
    const QImage image = label.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        QVERIFY(image.pixelColor(0, y).red() < 0x80);
}

QTEST_MAIN(TestMeasurementsPage)
#include "tst_measurementspage.moc"
