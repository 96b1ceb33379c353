// The Measurements page and the big display window over the simulated module.
#include "bigdisplaywindow.h"
#include "colours.h"
#include "largedigitlabel.h"
#include "displaystate.h"
#include "measurementspage.h"
#include "simrig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const QString ModulePath = QStringLiteral("sim:klv57");
const QString NoConnection = QStringLiteral("----------");
const QString InactiveInput = QStringLiteral(" -------------- ");

// Byte 1 = 0x05: IN1 and OUT1 on.
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
    v.Input4 = 998.0f;
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
    void controls_data();
    void controls();
    void looks_data();
    void looks();
    void tick_data();
    void tick();
    void disconnectedTickFreezes();
    void nonFiniteFrameKeepsBars();
    void buttonsSendTheirCommand_data();
    void buttonsSendTheirCommand();
    void bigWindowLayout_data();
    void bigWindowLayout();
    void bigWindowShowsAndHides();
    void largeDigitsDrawLikeALabel_data();
    void largeDigitsDrawLikeALabel();

private:
    template <typename T = QWidget> T *find(const QWidget *parent, const QString &name)
    {
        T *widget = parent->findChild<T *>(name);
        if (!widget)
            qFatal("no %s", qPrintable(name));
        return widget;
    }
    template <typename T = QWidget> T *page(const QString &name) { return find<T>(m_page.get(), name); }
    void connectWithMirrors(int activeInputs, std::function<int()> decimalPlaces);

    std::unique_ptr<SimRig> m_rig;
    std::shared_ptr<SimulatedModule> m_module;
    DisplayState m_state;
    std::unique_ptr<BigDisplayWindow> m_big;
    std::unique_ptr<QWidget> m_otherPages; // stands in for the settings pages
    QLabel *m_valTens[4] = {};
    QLineEdit *m_outStatus[2] = {};
    std::unique_ptr<MeasurementsPage> m_page;
};

void TestMeasurementsPage::initTestCase()
{
    Q_INIT_RESOURCE(pictures);
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
    m_state = DisplayState();
    m_page = std::make_unique<MeasurementsPage>(m_rig->link.get(), m_rig->protocol.get(), &m_state);
    m_page->resize(665, 495);
}

void TestMeasurementsPage::cleanup()
{
    m_page.reset();
    m_big.reset();
    m_otherPages.reset();
    m_rig.reset();
    m_module.reset();
}

// Settings as the settings pages would keep them, the mirrors in place, and
// the first known frame stored.
void TestMeasurementsPage::connectWithMirrors(int activeInputs, std::function<int()> decimalPlaces)
{
    m_state.ActiveInputs = activeInputs;
    for (quint32 &range : m_state.SensorRange)
        range = 1000;
    m_state.UnitSuffix = QStringLiteral(" N");
    m_state.AnalogUnitSuffix = QStringLiteral(" mA");
    m_state.AnalogFullScale = 20.0f;

    m_big = std::make_unique<BigDisplayWindow>();
    m_otherPages = std::make_unique<QWidget>();
    MeasurementsPage::Mirrors mirrors;
    for (int k = 0; k < 4; ++k)
        mirrors.valTens[k] = m_valTens[k] = new QLabel(QStringLiteral("0"), m_otherPages.get());
    mirrors.out1Status = m_outStatus[0] = new QLineEdit(QStringLiteral("OFF"), m_otherPages.get());
    mirrors.out2Status = m_outStatus[1] = new QLineEdit(QStringLiteral("OFF"), m_otherPages.get());
    mirrors.bigDisplay = m_big.get();
    mirrors.decimalPlaces = std::move(decimalPlaces);
    m_page->setMirrors(mirrors);

    QTRY_VERIFY(m_rig->link->isConnected());
    QTRY_COMPARE(m_rig->protocol->liveValues().Sum, 1234.56f);
}

void TestMeasurementsPage::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");

    auto row = [](const char *name, const char *className, const QString &text) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(className) << text;
    };
    row("DisplaySum", "QLabel", "0");
    row("DisplayMax", "QLabel", "0");
    row("DisplayMin", "QLabel", "0");
    row("JvNavPanelHeader1", "QLabel", QString::fromUtf8("Wartość sumaryczna"));
    row("JvNavPanelHeader2", "QLabel", "Max:");
    row("JvNavPanelHeader3", "QLabel", "Min:");
    row("Bit_BigWindow", "QPushButton", QString::fromUtf8("Duże okno"));
    row("BtnTara", "QPushButton", "Tara");
    row("Btn_ResetMinMax", "QPushButton", "Reset Min/Max");
    row("Label10", "QLabel", "Wyswietlany / tarowany pomiar:");
    row("RadioButton_DispSum", "QRadioButton", "Suma");
    for (int k = 1; k <= 4; ++k) {
        const QByteArray n = QByteArray::number(k);
        row("RadioButton_DispS" + n, "QRadioButton", "Czujnik " + n);
        row("JvNavPanelHeader" + QByteArray::number(4 + k), "QLabel", "Czujnik " + n + ":");
        row("DisplayTens" + n, "QLabel", "00.0");
        row("PBTens" + n, "QProgressBar", QString());
    }
    row("JvNavPanelHeader4", "QLabel", QString::fromUtf8("Wartości z czujników"));
    row("JvNavPanelHeader9", "QLabel", QString::fromUtf8("Wyjście analogowe"));
    row("Lab_VoutVal", "QLabel", "00.0 V ");
    row("PBVout", "QProgressBar", QString());
    row("JvNavPanelHeader10", "QLabel", QString::fromUtf8("Wejścia / wyjścia"));
    const char *captions[] = {"IN1", "IN2", "OUT1", "OUT2"};
    for (int i = 0; i < 4; ++i) {
        row("Label" + QByteArray::number(5 + i), "QLabel", captions[i]);
        row("Status" + QByteArray(captions[i]), "QLineEdit", "OFF");
    }
}

void TestMeasurementsPage::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);

    QWidget *w = page(name);
    QVERIFY(w->inherits(qPrintable(className)));
    if (!text.isNull())
        QCOMPARE(w->property("text").toString(), text);
    if (auto *bar = qobject_cast<QProgressBar *>(w)) {
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), name == "PBVout" ? 1000 : 500);
        QCOMPARE(bar->value(), 0);
    }
    if (auto *field = qobject_cast<QLineEdit *>(w))
        QVERIFY(field->isReadOnly());
    if (name == "RadioButton_DispSum")
        QVERIFY(static_cast<QRadioButton *>(w)->isChecked());
    if (name == "Bit_BigWindow")
        QVERIFY(!static_cast<QAbstractButton *>(w)->icon().isNull());
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

    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    auto *label = page<QLabel>(name);
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

void TestMeasurementsPage::tick_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("activeInputs");
    QTest::addColumn<int>("decimals"); // -1: no Cb_Decp yet
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QList<int>>("bars");

    QTest::newRow("sum, all four active, default decimals")
        << "RadioButton_DispSum" << 3 << -1 << "1,234.6 N" << "2,000.0" << "-12.4"
        << QStringList{"-250.0 N", "2.0 N", "500.0 N", "998.0 N"} << QList<int>{125, 0, 250, 499};
    QTest::newRow("input 3 chosen, input 1 only, 2 decimals")
        << "RadioButton_DispS3" << 0 << 2 << "------------- " << "2,000.00" << "-12.40"
        << QStringList{"-250.00 N", InactiveInput, InactiveInput, InactiveInput}
        << QList<int>{125, 0, 0, 0};
    QTest::newRow("input 4 chosen, all four active")
        << "RadioButton_DispS4" << 3 << 0 << "998 N" << "2,000" << "-12"
        << QStringList{"-250 N", "2 N", "500 N", "998 N"} << QList<int>{125, 0, 250, 499};
}

void TestMeasurementsPage::tick()
{
    QFETCH(QString, radio);
    QFETCH(int, activeInputs);
    QFETCH(int, decimals);
    QFETCH(QString, sum);
    QFETCH(QString, max);
    QFETCH(QString, min);
    QFETCH(QStringList, inputs);
    QFETCH(QList<int>, bars);

    m_page->DisplayDataTimer(); // no mirrors yet and not connected: nothing breaks
    QCOMPARE(page<QLabel>("DisplaySum")->text(), NoConnection);

    std::function<int()> getter;
    if (decimals >= 0)
        getter = [decimals] { return decimals; };
    connectWithMirrors(activeInputs, getter);
    page<QRadioButton>(radio)->click();
    m_page->DisplayDataTimer();

    QCOMPARE(page<QLabel>("DisplaySum")->text(), sum);
    QCOMPARE(page<QLabel>("DisplayMax")->text(), max);
    QCOMPARE(page<QLabel>("DisplayMin")->text(), min);
    QCOMPARE(m_big->valueText(), sum);
    QCOMPARE(m_big->maxText(), max);
    QCOMPARE(m_big->minText(), min);
    QVERIFY(!m_big->isVisible()); // written whether shown or not
    for (int k = 1; k <= 4; ++k) {
        auto *label = page<QLabel>(QStringLiteral("DisplayTens%1").arg(k));
        QCOMPARE(label->text(), inputs[k - 1]);
        QCOMPARE(label->isEnabled(), k == 1 || activeInputs >= k - 1);
        QCOMPARE(m_valTens[k - 1]->text(), inputs[k - 1]);
        QCOMPARE(page<QProgressBar>(QStringLiteral("PBTens%1").arg(k))->value(), bars[k - 1]);
    }
    QCOMPARE(page<QLabel>("Lab_VoutVal")->text(), QString("4.00 mA"));
    QCOMPARE(page<QProgressBar>("PBVout")->value(), 200);

    const QList<QLineEdit *> fields{page<QLineEdit>("StatusIN1"), page<QLineEdit>("StatusIN2"),
                                    page<QLineEdit>("StatusOUT1"), page<QLineEdit>("StatusOUT2"),
                                    m_outStatus[0], m_outStatus[1]};
    const QList<bool> on{true, false, true, false, true, false};
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(fields[i]->text(), on[i] ? QString("ON") : QString("OFF"));
        QCOMPARE(fields[i]->palette().color(QPalette::Base), on[i] ? Colours::Active : Colours::Inactive);
    }
}

void TestMeasurementsPage::disconnectedTickFreezes()
{
    connectWithMirrors(1, nullptr);
    m_page->DisplayDataTimer();
    auto snapshot = [this] {
        QStringList s;
        for (const char *name : {"PBTens1", "PBTens2", "PBTens3", "PBTens4", "PBVout"})
            s << QString::number(page<QProgressBar>(name)->value());
        for (const char *name : {"StatusIN1", "StatusIN2", "StatusOUT1", "StatusOUT2"}) {
            auto *field = page<QLineEdit>(name);
            s << field->text() << field->palette().color(QPalette::Base).name();
        }
        for (QLineEdit *field : m_outStatus)
            s << field->text() << field->palette().color(QPalette::Base).name();
        for (QLabel *label : m_valTens)
            s << label->text();
        for (int k = 1; k <= 4; ++k)
            s << QString::number(page(QStringLiteral("DisplayTens%1").arg(k))->isEnabled());
        s << page<QLabel>("Lab_VoutVal")->text() << m_big->valueText() << m_big->maxText()
          << m_big->minText();
        return s;
    };
    const QStringList before = snapshot();
    QCOMPARE(m_big->valueText(), QString("1,234.6 N"));

    m_module->setFixedFrame(std::nullopt);
    m_rig->backend.unplug(ModulePath);
    QTRY_VERIFY(!m_rig->link->isConnected());
    m_page->DisplayDataTimer();

    for (const char *name : {"DisplaySum", "DisplayMax", "DisplayMin", "DisplayTens1",
                             "DisplayTens2", "DisplayTens3", "DisplayTens4"})
        QCOMPARE(page<QLabel>(name)->text(), NoConnection);
    QCOMPARE(snapshot(), before);
}

// NaN and infinities as the module's float bytes carry them, through the
// report handler: texts say what they are, the bars they would move stay.
void TestMeasurementsPage::nonFiniteFrameKeepsBars()
{
    connectWithMirrors(3, nullptr);
    m_page->DisplayDataTimer();
    const QList<int> bars{125, 0, 250, 499};

    LiveValues broken = knownFrame();
    broken.Sum = -std::numeric_limits<float>::infinity();
    broken.Input1 = std::numeric_limits<float>::quiet_NaN();
    broken.Input3 = std::numeric_limits<float>::infinity();
    broken.AnalogOut = std::numeric_limits<float>::quiet_NaN();
    broken.Input4 = 400.0f; // still moves its bar
    m_module->setFixedFrame(broken);
    QTRY_VERIFY(std::isnan(m_rig->protocol->liveValues().Input1));
    m_page->DisplayDataTimer();

    QCOMPARE(page<QLabel>("DisplaySum")->text(), QString("-INF N"));
    QCOMPARE(m_big->valueText(), QString("-INF N"));
    const QStringList texts{"NaN N", "2.0 N", "INF N", "400.0 N"};
    for (int k = 1; k <= 4; ++k) {
        QCOMPARE(page<QLabel>(QStringLiteral("DisplayTens%1").arg(k))->text(), texts[k - 1]);
        QCOMPARE(page<QProgressBar>(QStringLiteral("PBTens%1").arg(k))->value(),
                 k == 4 ? 200 : bars[k - 1]);
    }
    QCOMPARE(page<QLabel>("Lab_VoutVal")->text(), QString("NaN mA"));
    QCOMPARE(page<QProgressBar>("PBVout")->value(), 200);
}

void TestMeasurementsPage::buttonsSendTheirCommand_data()
{
    QTest::addColumn<QString>("radio"); // empty: none checked
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");      // -1: nothing sent

    QTest::newRow("Tara, Suma") << "RadioButton_DispSum" << "BtnTara" << 0x91;
    QTest::newRow("Tara, Czujnik 1") << "RadioButton_DispS1" << "BtnTara" << 0x8C;
    QTest::newRow("Tara, Czujnik 2") << "RadioButton_DispS2" << "BtnTara" << 0x8D;
    QTest::newRow("Tara, Czujnik 3 inactive") << "RadioButton_DispS3" << "BtnTara" << 0x8E;
    QTest::newRow("Tara, Czujnik 4 inactive") << "RadioButton_DispS4" << "BtnTara" << 0x8F;
    QTest::newRow("Tara, none checked") << "" << "BtnTara" << -1;
    QTest::newRow("Reset Min/Max") << "RadioButton_DispS2" << "Btn_ResetMinMax" << 0x93;
}

void TestMeasurementsPage::buttonsSendTheirCommand()
{
    QFETCH(QString, radio);
    QFETCH(QString, button);
    QFETCH(int, code);

    connectWithMirrors(1, nullptr); // inputs 3 and 4 inactive
    QTRY_VERIFY(m_rig->protocol->isPollEnabled());
    if (radio.isEmpty()) {
        for (QRadioButton *r : m_page->findChildren<QRadioButton *>()) {
            r->setAutoExclusive(false);
            r->setChecked(false);
        }
    } else {
        page<QRadioButton>(radio)->click();
    }
    m_module->clearWritten();

    page<QAbstractButton>(button)->click();
    m_rig->waitForWrites();

    const QList<quint8> sent = withoutPolls(writtenCodes(*m_module));
    if (code < 0) {
        QVERIFY(sent.isEmpty());
        QVERIFY(m_rig->protocol->isPollEnabled());
        return;
    }
    QCOMPARE(sent, QList<quint8>{quint8(code)});
    QVERIFY(!m_rig->protocol->isPollEnabled()); // until the acknowledgement arrives
    QTRY_VERIFY(m_rig->protocol->isPollEnabled());
}

void TestMeasurementsPage::bigWindowLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // within the panel
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("digits"); // orange on blue, right-aligned; else a white header

    QTest::newRow("header") << "Label1" << QRect(8, 4, 1129, 25)
                            << QString::fromUtf8("Wartosc sumaryczna z czujników") << 16 << false;
    QTest::newRow("LED_display") << "LED_display" << QRect(9, 35, 769, 214) << "00.0" << 187 << true;
    QTest::newRow("Max header") << "Label2" << QRect(784, 32, 81, 97) << "Max:" << 16 << false;
    QTest::newRow("DispMax") << "DispMax" << QRect(864, 32, 273, 97) << "00.0" << 64 << true;
    QTest::newRow("Min header") << "Label3" << QRect(784, 152, 81, 97) << "Min:" << 16 << false;
    QTest::newRow("DispMin") << "DispMin" << QRect(864, 152, 273, 97) << "00.0" << 64 << true;
}

void TestMeasurementsPage::bigWindowLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
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
    QCOMPARE(label->text(), text);
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
    connectWithMirrors(3, nullptr);
    QCOMPARE(m_big->pos(), QPoint(218, 229));
    QVERIFY(!m_big->isVisible());
    QCOMPARE(m_big->valueText(), QString("00.0"));

    m_page->show();
    page<QAbstractButton>("Bit_BigWindow")->click();
    QVERIFY(m_big->isVisible());
    QVERIFY(!m_big->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_page->isEnabled());
    page<QAbstractButton>("Bit_BigWindow")->click(); // already shown: stays, no second window
    QVERIFY(m_big->isVisible());

    QVERIFY(m_big->close()); // only hides
    QVERIFY(!m_big->isVisible());
    m_page->DisplayDataTimer();
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

QTEST_MAIN(TestMeasurementsPage)
#include "tst_measurementspage.moc"
