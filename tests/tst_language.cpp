// The language switch of the main window, wired as the program wires it,
// over the simulated module; and its rules on small windows of its own.
#include "application.h"
#include "colours.h"
#include "dialogs.h"
#include "findcontrol.h"
#include "languagecombo.h"
#include "languagefiles.h"
#include "languageswitch.h"
#include "messagetable.h"
#include "profilefile.h"
#include "programsettings.h"
#include "programwindows.h"
#include "simrig.h"
#include "statusfield.h"
#include "translationstore.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <qcustomplot.h>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Refusal =
    QStringLiteral("TForm1: %1 - is not a valid property value!\rValue must be within [1..2]!");

// What a control shows as its caption: label and button text, group title,
// or the tab of a page.
QString caption(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return button->text();
    if (auto *group = qobject_cast<QGroupBox *>(control))
        return group->title();
    auto *tabs = qobject_cast<QTabWidget *>(control->parentWidget()->parentWidget());
    return tabs ? tabs->tabText(tabs->indexOf(control)) : QString();
}

// Every text a window shows, by control.
QStringList textsOf(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            texts << w->objectName() + ": " + edit->text();
        else if (!qobject_cast<QStackedWidget *>(w->parentWidget()))
            texts << w->objectName() + ": " + caption(w) + " / " + w->toolTip();
    }
    return texts;
}

// Every text a person sees in a window, keyed by where it is: the title,
// captions, tabs, list entries, hints, read-only fields, and the chart's
// axes and legend. Controls on hidden pages and groups are not seen.
QMap<QString, QString> visibleTexts(QWidget *window)
{
    QMap<QString, QString> texts;
    const QString prefix = window->objectName() + QLatin1Char('/');
    texts.insert(prefix + "title", window->windowTitle());
    auto seen = [window](QWidget *w) {
        for (; w && w != window; w = w->parentWidget()) {
            auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget());
            auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
            if (tabs ? !tabs->isTabVisible(tabs->indexOf(w)) : w->isHidden())
                return false;
        }
        return true;
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!seen(w) || (w->isWindow() && w != window))
            continue;
        const QString key = prefix + w->objectName();
        if (!w->toolTip().isEmpty())
            texts.insert(key + "/hint", w->toolTip());
        if (auto *combo = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts.insert(key + "/item" + QString::number(i), combo->itemText(i));
        if (auto *tabs = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->isTabVisible(i))
                    texts.insert(key + "/tab" + QString::number(i), tabs->tabText(i));
        if (auto *edit = qobject_cast<QLineEdit *>(w); edit && edit->isReadOnly())
            texts.insert(key, edit->text());
        if (auto *plot = qobject_cast<QCustomPlot *>(w)) {
            texts.insert(key + "/time axis", plot->xAxis->label());
            texts.insert(key + "/value axis", plot->yAxis->label());
            for (int i = 0; i < plot->plottableCount(); ++i)
                texts.insert(key + "/line" + QString::number(i), plot->plottable(i)->name());
        }
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QGroupBox *>(w))
            texts.insert(key, caption(w));
    }
    return texts;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captionsBothWays_data();
    void captionsBothWays();
    void alreadyActiveLanguageChangesNothing();
    void outOfRangeIsRefused_data();
    void outOfRangeIsRefused();
    void startUpGoesOnAfterARefusedLanguage();
    void runTimeTextsResetOnlyWhereTheStoreHasARow_data();
    void runTimeTextsResetOnlyWhereTheStoreHasARow();
    void connectionTextFollowsTheLanguage();
    void statusFieldsGetIdleTextAndKeepTheirColour_data();
    void statusFieldsGetIdleTextAndKeepTheirColour();
    void chartStatusShowsItsStateAfterASwitch();
    void listsKeepTheirSelectedPosition_data();
    void listsKeepTheirSelectedPosition();
    void editBoxesWithoutARowKeepTheirContents();
    void hintsOnlyWhereTheLayoutShowsThem_data();
    void hintsOnlyWhereTheLayoutShowsThem();
    void headerFontChangesDespiteItsStyleSheet();
    void otherWindowsFollowButTheAboutDialog();
    void everyVisibleTextInEnglish();
    void languageFromAFile();
    void selectorEntriesDrawnAsLaidOut();
    void qtsOwnButtonsFollowTheSelector_data();
    void qtsOwnButtonsFollowTheSelector();

    void onlyTheWindowsOwnControls();
    void rowRules_data();
    void rowRules();
    void replacedListKeepsPosition_data();
    void replacedListKeepsPosition();

private:
    template <typename T = QWidget> T *control(const QString &name)
    {
        return find<T>(&m_windows->form1, name);
    }
    // As the user picks an entry of the selector.
    void choose(int entry);

    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<ProgramWindows> m_windows;
    QList<Dialogs::Message> m_messages;
};

void TestLanguage::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
        m_messages << m;
        return QMessageBox::Ok;
    });
}

void TestLanguage::init()
{
    m_rig = std::make_unique<SimRig>();
    m_rig->backend.add(std::make_shared<SimulatedModule>());
    m_rig->start();
    m_windows = std::make_unique<ProgramWindows>(*m_rig->session, m_rig->settingsPath());
    QVERIFY(m_rig->waitForStartUp(*m_rig->backend.device("sim:klv57"))); // both pages filled by the module
    m_messages.clear();
}

void TestLanguage::cleanup()
{
    m_windows.reset();
    m_rig.reset();
    SetActiveLanguage(1);
    installLanguageFiles({}); // the compiled store again
}

void TestLanguage::choose(int entry)
{
    auto *selector = control<QComboBox>("siLangCombo1");
    selector->setCurrentIndex(entry);
    emit selector->activated(entry);
}

void TestLanguage::captionsBothWays_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");
    QTest::newRow("status line") << "Label26" << "Rejestracja do pliku:" << "Acquisition to file:";
    QTest::newRow("panel") << "Label19" << "Status połączenia" << "Connection status";
    QTest::newRow("main tab") << "TabSheet1" << "Pomiary" << "Measurements";
    QTest::newRow("settings tab") << "TabSheet7" << "Wyjscia, RS485" << "Outputs, RS485";
    QTest::newRow("no English") << "TabSheet4" << "Karta pamięci SD" << "Karta pamięci SD";
    QTest::newRow("header band") << "JvNavPanelHeader4" << "Wartości z czujników" << "Sensor values:";
    QTest::newRow("button") << "BtnTara" << "Tara" << "Tare";
    QTest::newRow("group") << "GroupBox7" << "Wartość sumaryczna:" << "Summary value of sensors";
    QTest::newRow("check box") << "CB_Tens3Sign" << "Odwróć znak" << "Reverse the sign";
    QTest::newRow("blank at the end") << "Button_TensSettingFactory" << "Przywróć fabryczne"
                                      << "Restore factory ";
    QTest::newRow("quotes") << "Cb_AnalogReverse" << "Wartość \"odwrócona\"" << "Reversed value";
    QTest::newRow("added row") << "RadioButton_DispS1" << "Czujnik 1" << "Sensor 1";
}

// Polish, English, Polish, English: the switch goes both ways as often as asked.
void TestLanguage::captionsBothWays()
{
    QFETCH(QString, name);
    QFETCH(QString, polish);
    QFETCH(QString, english);
    const QString title = m_windows->form1.windowTitle();
    QWidget *target = control(name);
    QCOMPARE(caption(target), polish);
    for (int round = 0; round < 2; ++round) {
        choose(1);
        QCOMPARE(caption(target), english);
        QCOMPARE(ActiveLanguage(), 2);
        choose(0);
        QCOMPARE(caption(target), polish);
        QCOMPARE(ActiveLanguage(), 1);
    }
    QCOMPARE(m_windows->form1.windowTitle(), title);
}

void TestLanguage::alreadyActiveLanguageChangesNothing()
{
    auto *status = control<QLabel>("Label_Status");
    status->setText("Tare ok");
    choose(0); // Polish is active from the start
    QCOMPARE(status->text(), QString("Tare ok"));

    choose(1);
    control<QLabel>("Label26")->setText("changed");
    choose(1);
    QCOMPARE(control<QLabel>("Label26")->text(), QString("changed"));
    QCOMPARE(m_messages.size(), 0);
}

void TestLanguage::outOfRangeIsRefused_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("0") << 0;
    QTest::newRow("3") << 3;
    QTest::newRow("-1") << -1;
}

void TestLanguage::outOfRangeIsRefused()
{
    QFETCH(int, language);
    LanguageSwitch languageSwitch(m_windows->form1, "TForm1", TranslationStore::mainWindow());
    QString refused;
    try {
        languageSwitch.setActiveLanguage(language);
    } catch (const std::out_of_range &e) {
        refused = QString::fromUtf8(e.what());
    }
    QCOMPARE(refused, Refusal.arg(language));
    QCOMPARE(ActiveLanguage(), 1);
    QCOMPARE(caption(control("Label26")), QString("Rejestracja do pliku:"));
}

// The stored language selects no entry: the refusal is shown in the error
// box, and the rest of start-up still runs.
void TestLanguage::startUpGoesOnAfterARefusedLanguage()
{
    auto *filterLevels = control<QComboBox>("Cb_FiltLevel");
    auto *addresses = control<QComboBox>("Cb_ModbusAddress");
    auto *settingsPages = control<QTabWidget>("PageControl2");
    filterLevels->clear();
    addresses->clear();
    settingsPages->setTabVisible(2, true);

    control<QLabel>("Label_MesFreq")->setText("-");
    ProfileFile(m_rig->settingsPath()).writeInteger(OptionsSection, "Language", 2);
    m_windows->form1.startUp();

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, Refusal.arg(0));
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    QCOMPARE(filterLevels->count(), 100);
    QCOMPARE(addresses->count(), 247);
    QVERIFY(!settingsPages->isTabVisible(2));
    QVERIFY(control<QLabel>("Label_MesFreq")->text().endsWith(" Hz"));
    QCOMPARE(ActiveLanguage(), 1);
}

void TestLanguage::runTimeTextsResetOnlyWhereTheStoreHasARow_data()
{
    // A null English text: the run-time text stays, there is no English row text.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("polish");
    QTest::newRow("acknowledgement") << "Label_Status" << QString() << "...";
    QTest::newRow("frequency") << "Label_MesFreq" << QString() << "0";
    QTest::newRow("sum formula") << "Lab_SummaryValInfo" << "Summary value of sensors" << "Wartosc sumaryczna";
    QTest::newRow("output range") << "Label_VoutMin" << "Output = 0V for value:" << "Wyjście = 0 dla wartości:";
    QTest::newRow("live value") << "DisplayTens1" << QString() << "00.0";
    QTest::newRow("settings page value") << "Label_ValTens2" << QString() << "0";
    QTest::newRow("no row") << "Label_CalibVal_0_10V" << QString() << QString();
}

void TestLanguage::runTimeTextsResetOnlyWhereTheStoreHasARow()
{
    QFETCH(QString, name);
    QFETCH(QString, english);
    QFETCH(QString, polish);
    m_rig->protocol->sendCommand(Code::ResetMinMax);
    QTRY_COMPARE(control<QLabel>("Label_Status")->text(), QString("Wartosc Min/Max zresetowana"));
    auto *label = qobject_cast<QLabel *>(m_windows->form1.findChild<QWidget *>(name));
    if (!label) // not the main window's: the calibration dialog's
        label = find<QLabel>(&m_windows->formAnCalib, name);
    QTRY_VERIFY(label->text() != polish); // a display tick since the module connected
    const QString runTime = label->text();

    choose(1);
    QCOMPARE(label->text(), english.isNull() ? runTime : english);
    choose(0);
    QCOMPARE(label->text(), polish.isNull() ? runTime : polish);
}

// The connection field is worded again at once, identity and state alike,
// and keeps its colour.
void TestLanguage::connectionTextFollowsTheLanguage()
{
    auto *status = control<QLineEdit>("ConnectionStatus");
    QCOMPARE(status->text(), QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator"));
    const QColor connected = status->palette().color(QPalette::Base);
    choose(1);
    QCOMPARE(status->text(), QString("Connected to KLV57 ver.:1.10 KLV57 simulator"));
    QCOMPARE(status->palette().color(QPalette::Base), connected);
    m_rig->backend.unplug("sim:klv57");
    QTRY_COMPARE(status->text(), QString("No connection"));
    choose(0);
    QCOMPARE(status->text(), QString::fromUtf8("Brak połączenia"));
}

void TestLanguage::statusFieldsGetIdleTextAndKeepTheirColour_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("polish");
    QTest::newRow("status bar") << "StatusBarAcquisition" << "INACTIVE" << "NIEAKTYWNA";
    QTest::newRow("input") << "StatusIN1" << "ON" << "OFF";
    QTest::newRow("output, settings page") << "Out2Status" << "ON" << "OFF";
}

void TestLanguage::statusFieldsGetIdleTextAndKeepTheirColour()
{
    QFETCH(QString, name);
    auto *field = control<QLineEdit>(name);
    setStatusField(field, true, "ON", "OFF"); // as their owners write them
    choose(1);
    QTEST(field->text(), "english");
    QCOMPARE(field->palette().color(QPalette::Base), Colours::Active);
    choose(0);
    QTEST(field->text(), "polish");
    QCOMPARE(field->palette().color(QPalette::Base), Colours::Active);
}

// Not the idle text on the active colour while the chart samples: its
// state, in the new language; the initial text until Start or Pause.
void TestLanguage::chartStatusShowsItsStateAfterASwitch()
{
    auto *status = control<QLineEdit>("ChartStatus");
    const QColor normal = status->palette().color(QPalette::Base);
    choose(1);
    QCOMPARE(status->text(), QString("INACTIVE"));
    QCOMPARE(status->palette().color(QPalette::Base), normal);
    choose(0);
    QCOMPARE(status->text(), QString("NIEAKTYWNY"));

    control<QAbstractButton>("Btn_ChartStart")->click();
    choose(1);
    QCOMPARE(status->text(), QString("ACTIVE"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Active);
    choose(0);
    QCOMPARE(status->text(), QString("AKTYWNY"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Active);

    control<QAbstractButton>("Btn_ChartPause")->click();
    choose(1);
    QCOMPARE(status->text(), QString("INACTIVE"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Inactive);
    choose(0);
    QCOMPARE(status->text(), QString("NIEKATYWNY"));
}

void TestLanguage::listsKeepTheirSelectedPosition_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("polish");
    QTest::newRow("analog source") << "Cb_AnalogSource" << 2 << "Sensor 2" << "Wejście 2";
    QTest::newRow("units") << "Cb_Units" << 4 << "F    -pound" << "F    -funty";
    QTest::newRow("condition") << "Out1_condition" << 1 << "AND" << "ORAZ";
    QTest::newRow("state") << "Out2_state" << 1 << "Active" << "Aktywne";
    QTest::newRow("no English") << "Cb_ModbusBaud" << 3 << "57600" << "57600";
    QTest::newRow("nothing selected") << "Out2_source" << -1 << "" << "";
}

void TestLanguage::listsKeepTheirSelectedPosition()
{
    QFETCH(QString, name);
    QFETCH(int, selected);
    auto *list = control<QComboBox>(name);
    const int count = list->count();
    list->setCurrentIndex(selected);
    QSignalSpy changes(list, &QComboBox::currentIndexChanged);
    choose(1);
    QCOMPARE(list->currentIndex(), selected);
    QTEST(list->currentText(), "english");
    choose(0);
    QCOMPARE(list->currentIndex(), selected);
    QTEST(list->currentText(), "polish");
    QCOMPARE(list->count(), count);
    QCOMPARE(changes.count(), 0);
}

// The store has rows for the status fields' idle texts only: the setting
// boxes and the recording file name keep what they hold. The connection
// field is the session presenter's, worded anew (connectionTextFollowsTheLanguage).
void TestLanguage::editBoxesWithoutARowKeepTheirContents()
{
    QSet<QString> withRow;
    for (const TranslationStore::Row &row : TranslationStore::mainWindow().section("stOtherStrings"))
        withRow << row.id.section('.', 0, 0);
    QList<QLineEdit *> boxes;
    for (QLineEdit *box : m_windows->form1.findChildren<QLineEdit *>())
        if (box->window() == &m_windows->form1 && !withRow.contains(box->objectName()) &&
            box->objectName() != "ConnectionStatus")
            boxes << box;
    QVERIFY2(boxes.size() >= 16, qPrintable(QString::number(boxes.size()))); // both settings pages
    for (QLineEdit *box : boxes)
        box->setText("12.5 " + box->objectName());
    choose(1);
    choose(0);
    for (QLineEdit *box : boxes)
        QCOMPARE(box->text(), "12.5 " + box->objectName());
}

void TestLanguage::hintsOnlyWhereTheLayoutShowsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("polish");
    QTest::newRow("active inputs") << "Cb_SelTens" << "It defines number of active force sensor inputs"
                                   << "Określa ilość aktywnych weść czujników siły";
    QTest::newRow("frequency") << "Label_MesFreq" << "Sampling rate/channel" << "Czestotliwosc próbkowania / kanał";
    QTest::newRow("not shown") << "Edit_AnalogMax" << "" << "";
}

void TestLanguage::hintsOnlyWhereTheLayoutShowsThem()
{
    QFETCH(QString, name);
    QWidget *target = control(name);
    QTEST(target->toolTip(), "polish");
    choose(1);
    QTEST(target->toolTip(), "english");
    choose(0);
    QTEST(target->toolTip(), "polish");
}

// The header band names its font in its style sheet; the English font row
// must still reach the screen. Its other looks stay.
void TestLanguage::headerFontChangesDespiteItsStyleSheet()
{
    auto *header = control<QLabel>("JvNavPanelHeader4");
    auto *neighbour = control<QLabel>("JvNavPanelHeader5");
    auto family = [](QWidget *w) {
        w->ensurePolished();
        return w->font().family();
    };
    QCOMPARE(family(header), QString("Arial"));
    choose(1);
    QCOMPARE(family(header), QString("@Arial Unicode MS"));
    QVERIFY2(QFontInfo(header->font()).family() != QFontInfo(neighbour->font()).family(),
             "the English header font resolves to the same face as Arial");
    QCOMPARE(header->font().pixelSize(), 13);
    QVERIFY(header->font().bold());
    QVERIFY(header->styleSheet().contains("background-color: #6F6868"));
    QCOMPARE(family(neighbour), QString("Arial"));
    QCOMPARE(family(control("StatusBarAcquisition")), QString("Calibri"));
    choose(0);
    QCOMPARE(family(header), QString("Arial"));
}

// The about dialog keeps its documented texts; the other windows follow
// the main window's language, both ways.
void TestLanguage::otherWindowsFollowButTheAboutDialog()
{
    const QStringList about = textsOf(&m_windows->form2);
    QList<QWidget *> others{&m_windows->formCalib, &m_windows->formAnCalib, &m_windows->formBigDisplay};
    QList<QStringList> before;
    for (QWidget *window : others)
        before << textsOf(window);
    choose(1);
    QCOMPARE(textsOf(&m_windows->form2), about);
    QCOMPARE(m_windows->formCalib.windowTitle(), QString("Sensor calibration"));
    QCOMPARE(m_windows->formAnCalib.windowTitle(), QString("Analog output - calibration"));
    QCOMPARE(m_windows->formBigDisplay.windowTitle(), QString("KLV57 - measured value"));
    QCOMPARE(find<QComboBox>(&m_windows->formCalib, "Cb_CalibSensor")->itemText(3), QString("Sensor 4"));
    choose(0);
    for (int i = 0; i < others.size(); ++i)
        QCOMPARE(textsOf(others[i]), before[i]);
}

// In English, no text a window shows is still the Polish one, but for a
// short table of texts that are the same in both languages.
void TestLanguage::everyVisibleTextInEnglish()
{
    // Values the program writes, and the field the next connection event words.
    const QStringList ownValues{"DisplaySum", "DisplayMax", "DisplayMin", "DisplayTens1", "DisplayTens2",
                                "DisplayTens3", "DisplayTens4", "Lab_VoutVal", "Label_MesFreq",
                                "LED_display", "DispMax", "DispMin", "Label_KnownLoadUnit", "Edit_FileName",
                                "Label_ValTens1", "Label_ValTens2", "Label_ValTens3", "Label_ValTens4",
                                "siLangCombo1", // each language by its own name
                                "ConnectionStatus", "Label_Status"};
    const QString programTitle = m_windows->form1.objectName() + "/title"; // name and version
    const QStringList sameInBoth{
        "Status:", "Info", "Max:", "Min:", "Reset Min/Max", "Start", "Stop", "Reset", "Zero",
        "Zero 1 2 3 4", "Offset:", "IN1", "IN2", "OUT1", "OUT2", "OFF", "ON", "RS485 Modbus-RTU", "Test",
        "Factor", "9V", "18mA", "0-10V", "0 - 20mA", "4 - 20mA", "None", "Even", "Odd", "Label3",
        "~ 80 / s.", "~ 10 / s.", "~ 1 / s.", "~ 10 / min.", "~ 1 / min", "1 min.", "5 min.",
        "10 min.", "30 min.", "1 h.", "1/min.", "10/min.", "10/h."};
    QList<QWidget *> windows{&m_windows->form1, &m_windows->formCalib, &m_windows->formAnCalib,
                             &m_windows->formBigDisplay};
    QMap<QString, QString> polish;
    for (QWidget *window : windows)
        polish.insert(visibleTexts(window));
    choose(1);
    static const QRegularExpression letter("[A-Za-z]");
    static const QRegularExpression polishLetter("[ąćęłńóśźżĄĆĘŁŃÓŚŹŻ]");
    QStringList untranslated;
    for (QWidget *window : windows) {
        const QMap<QString, QString> english = visibleTexts(window);
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            const QString text = it.value();
            if (ownValues.contains(it.key().section('/', 1, 1)) || it.key() == programTitle ||
                sameInBoth.contains(text))
                continue;
            if (text.contains(polishLetter) || (text == polish.value(it.key()) && text.contains(letter)))
                untranslated << it.key() + ": " + text;
        }
    }
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join('\n')));
}

// A German file with a few rows: those rows in German, the rest English;
// a damaged file beside it is skipped with one message naming it and the
// line, and Language 2 in config.ini chooses the first file's language.
void TestLanguage::languageFromAFile()
{
    QTemporaryDir dir;
    for (const char *name : {"deutsch.txt", "flag-de.png", "kaputt.txt"})
        QVERIFY(QFile::copy(QFINDTESTDATA(QString("translations/") + name), dir.filePath(name)));
    m_windows.reset();
    const QVector<LanguageFileRefusal> skipped = installLanguageFiles({dir.path()});
    QCOMPARE(skipped.size(), 1);
    SetActiveLanguage(2);
    QCOMPARE(languageFileRefusalText(skipped[0]),
             "The language file " + dir.filePath("kaputt.txt") + " is damaged (line 6: an unknown section) "
             "and was skipped.");
    SetActiveLanguage(1);

    ProfileFile(m_rig->settingsPath()).writeInteger(OptionsSection, "Language", 2);
    m_windows = std::make_unique<ProgramWindows>(*m_rig->session, m_rig->settingsPath());
    auto *selector = control<QComboBox>("siLangCombo1");
    QCOMPARE(selector->count(), 3);
    QCOMPARE(selector->itemText(2), QString("Deutsch"));
    QVERIFY(!selector->itemData(2, Qt::DecorationRole).value<QPixmap>().isNull());
    QCOMPARE(selector->currentIndex(), 2);
    QCOMPARE(ActiveLanguage(), 3);
    QCOMPARE(caption(control("Label26")), QString("Aufzeichnung in Datei:"));
    QCOMPARE(caption(control("BtnTara")), QString("Tarieren"));
    QCOMPARE(caption(control("TabSheet1")), QString("Messwerte"));
    QCOMPARE(caption(control("Label19")), QString("Connection status"));
    QCOMPARE(control<QComboBox>("Out1_state")->itemText(1), QString("Aktiv"));
    QCOMPARE(control<QComboBox>("Out2_state")->itemText(1), QString("Active"));
    QCOMPARE(GetTextOrDefault("IDS_45"), QString("Keine Verbindung"));
    QCOMPARE(GetTextOrDefault("IDS_44"), QString("Connected"));
    QCOMPARE(m_windows->formCalib.windowTitle(), QString("Sensor calibration"));

    choose(1);
    QCOMPARE(caption(control("BtnTara")), QString("Tare"));
    choose(0);
    QCOMPARE(caption(control("BtnTara")), QString("Tara"));
    QCOMPARE(m_messages.size(), 0);
}

void TestLanguage::selectorEntriesDrawnAsLaidOut()
{
    auto *selector = control<QComboBox>("siLangCombo1");
    QCOMPARE(selector->count(), 2);
    QCOMPARE(selector->itemText(0), QString("Polski"));
    QCOMPARE(selector->itemText(1), QString("English"));
    QCOMPARE(selector->itemData(1, Qt::FontRole).value<QFont>().family(), QString("Tahoma"));
    QCOMPARE(selector->currentIndex(), 0);

    const QImage flag(":/pictures/flag-en.png");
    QCOMPARE(flag.size(), QSize(19, 12));
    QStyleOptionViewItem option;
    option.initFrom(selector);
    option.font = selector->font();
    const QModelIndex english = selector->model()->index(1, 0);
    const QSize size = selector->itemDelegate()->sizeHint(option, english);
    QCOMPARE(size.height(), 16);
    option.rect = QRect(QPoint(0, 0), QSize(97, size.height()));
    QImage entry(option.rect.size(), QImage::Format_ARGB32);
    QPainter painter(&entry);
    selector->itemDelegate()->paint(&painter, option, english);
    painter.end();

    QCOMPARE(entry.pixelColor(1, 2), flag.pixelColor(0, 0));
    QCOMPARE(entry.pixelColor(1 + 18, 2 + 11), flag.pixelColor(18, 11));
    const QColor background = option.palette.color(QPalette::Base);
    auto inked = [&](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 0; y < entry.height(); ++y)
                if (entry.pixelColor(x, y) != background)
                    return true;
        return false;
    };
    QVERIFY(!inked(20, 23)); // between the flag and the name
    QVERIFY(inked(23, 97));  // the name
}

// A dialog parented to the window reuses a name the store has a row for:
// only the window's own control takes the text.
void TestLanguage::onlyTheWindowsOwnControls()
{
    QWidget window;
    window.setObjectName("FormX");
    window.setWindowTitle("pl");
    auto *own = new QLabel("pl", new QGroupBox(&window));
    own->setObjectName("Label1");
    auto *dialog = new QDialog(&window);
    auto *inDialog = new QLabel("pl", dialog);
    inDialog->setObjectName("Label3");
    auto *sameName = new QLabel("pl", dialog);
    sameName->setObjectName("Label1");
    auto *inner = new QWidget(&window, Qt::Window);
    auto *inInner = new QLabel("pl", inner);
    inInner->setObjectName("Label4");
    const TranslationStore store = TranslationStore::parse(
        "stCaptions\nLabel3\tpl\ten\nLabel1\tpl\ten\nLabel4\tpl\ten\nTFormX\tpl\ten\nFormX\tpl\ten\n");

    LanguageSwitch languageSwitch(window, "TFormX", store);
    languageSwitch.setActiveLanguage(2);
    QCOMPARE(own->text(), QString("en"));
    QCOMPARE(inDialog->text(), QString("pl"));
    QCOMPARE(sameName->text(), QString("pl"));
    QCOMPARE(inInner->text(), QString("pl"));
    QCOMPARE(window.windowTitle(), QString("pl"));
}

// One row applied to a small window in English: what the target ends up showing.
void TestLanguage::rowRules_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("shown");
    QTest::newRow("caption") << "stCaptions\nLabel\tpl\ten" << "en";
    QTest::newRow("no English text") << "stCaptions\nLabel\tpl\t" << "run-time";
    QTest::newRow("no such control") << "stCaptions\nMissing\tpl\ten" << "run-time";
    QTest::newRow("other text of a label") << "stOtherStrings\nLabel.Text\tpl\ten" << "en";
    QTest::newRow("no such property") << "stOtherStrings\nLabel.Nothing\tpl\ten" << "run-time";
    QTest::newRow("edit box text") << "stOtherStrings\nEdit.Text\tpl\ten" << "en";
    QTest::newRow("pick-only list text") << "stOtherStrings\nList.Text\tpl\ten" << "run-time";
    QTest::newRow("list items") << "stMultiLines\nList.Items\ta,b\t\"c d\",e" << "c d";
    QTest::newRow("collection item") << "stCollections\nList.LanguageInfos[1].LanguageName\tpl\ten" << "en";
    QTest::newRow("hint") << "stHints\nLabel\tpl\ten" << "en";
    QTest::newRow("font") << "stFonts\nLabel\tTahoma\tDejaVu Serif" << "DejaVu Serif";
    QTest::newRow("font from the parent") << "stFonts\nEdit\tTahoma\tDejaVu Serif" << "Tahoma";
    QTest::newRow("window font") << "stFonts\nTFormX\tTahoma\tDejaVu Serif" << "DejaVu Serif";
    QTest::newRow("window caption") << "stCaptions\nTFormX\tpl\ten" << "title";
    QTest::newRow("dialog words") << "stDlgsCaptions\nLabel\tpl\ten" << "run-time";
    QTest::newRow("messages") << "stStrings\nLabel\tpl\ten" << "run-time";
}

void TestLanguage::rowRules()
{
    QFETCH(QString, row);
    QWidget window;
    window.setWindowTitle("title");
    QFont tahoma("Tahoma");
    window.setFont(tahoma);
    auto *label = new QLabel("run-time", &window);
    label->setObjectName("Label");
    label->setToolTip("pl");
    label->setFont(tahoma);
    auto *edit = new QLineEdit("run-time", &window);
    edit->setObjectName("Edit");
    auto *list = new QComboBox(&window);
    list->setObjectName("List");
    list->addItems({"a", "run-time"});
    list->setCurrentIndex(1);
    const QString target = row.section('\n', 1).section('\t', 0, 0).section('.', 0, 0);

    LanguageSwitch languageSwitch(window, "TFormX", TranslationStore::parse(row));
    languageSwitch.setActiveLanguage(2);

    QWidget *shownBy = target == "Edit" ? edit : target == "TFormX" ? &window : label;
    QString shown = label->text();
    if (row.startsWith("stHints"))
        shown = label->toolTip();
    else if (row.startsWith("stFonts"))
        shown = shownBy->font().family();
    else if (target == "TFormX")
        shown = window.windowTitle();
    else if (target == "Edit")
        shown = edit->text();
    else if (target == "List")
        shown = row.startsWith("stMultiLines") ? list->itemText(0) : list->itemText(1);
    QTEST(shown, "shown");
}

void TestLanguage::replacedListKeepsPosition_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("items");
    QTest::addColumn<int>("expected");
    QTest::newRow("fewer items, position kept") << 1 << "x,y,z" << 1;
    QTest::newRow("fewer items, position gone") << 4 << "x,y,z" << -1;
    QTest::newRow("more items") << 2 << "1,2,3,4,5,6,7" << 2;
    QTest::newRow("nothing selected") << -1 << "x,y" << -1;
}

void TestLanguage::replacedListKeepsPosition()
{
    QFETCH(int, selected);
    QFETCH(QString, items);
    QWidget window;
    auto *list = new QComboBox(&window);
    list->setObjectName("List");
    list->addItems({"a", "b", "c", "d", "e"});
    list->setCurrentIndex(selected);
    QSignalSpy changes(list, &QComboBox::currentIndexChanged);

    LanguageSwitch languageSwitch(window, "TFormX",
                                  TranslationStore::parse("stMultiLines\nList.Items\tpl\t" + items));
    languageSwitch.setActiveLanguage(2);
    QCOMPARE(list->count(), items.count(',') + 1);
    QCOMPARE(list->itemText(0), items.section(',', 0, 0));
    QTEST(list->currentIndex(), "expected");
    QCOMPARE(changes.count(), 0);
}

void TestLanguage::qtsOwnButtonsFollowTheSelector_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");
    QTest::newRow("Yes") << int(QDialogButtonBox::Yes) << "&Tak" << "&Yes";
    QTest::newRow("No") << int(QDialogButtonBox::No) << "&Nie" << "&No";
    QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << "Anuluj" << "Cancel";
    QTest::newRow("Open") << int(QDialogButtonBox::Open) << "Otwórz" << "Open";
    QTest::newRow("Save") << int(QDialogButtonBox::Save) << "Zachowaj" << "Save";
}

// Qt's own dialogs (file choosers, print set-up, message boxes) speak the
// window's language, and switch with it.
void TestLanguage::qtsOwnButtonsFollowTheSelector()
{
    QFETCH(int, button);
    QFETCH(QString, polish);
    QFETCH(QString, english);
    const auto which = QDialogButtonBox::StandardButton(button);
    const auto textNow = [which] { return QDialogButtonBox(which).button(which)->text(); };
    QCOMPARE(textNow(), polish);
    choose(1);
    QCOMPARE(textNow(), english);
    choose(0);
    QCOMPARE(textNow(), polish);
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_language.moc"
