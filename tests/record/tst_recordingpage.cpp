// The recording page over the simulated module: the switch, the file, the
// status fields and the file choice.
#include "colours.h"
#include "dialogs.h"
#include "displaystate.h"
#include "findcontrol.h"
#include "recordedfile.h"
#include "recordingpage.h"
#include "simrig.h"
#include "textlines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestRecordingPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init();
    void cleanup();
    void recordsAfterAHeaderOnEverySwitchOn();
    void noFileBeforeTheFirstRecord();
    void storedSwitchRunsItsHandler();
    void unwritableFileSwitchesRecordingOff();
    void chosenFileName_data();
    void chosenFileName();
    void rateItemsAreTheRecordersOwn();

private:
    template <typename T = QWidget> T *control(const char *name)
    {
        return find<T>(m_page.get(), QString::fromLatin1(name));
    }
    void useFile(const QString &path);
    void clickSwitch() { control<QCheckBox>("Checkbox_Acquistion")->click(); }

    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<RecordingPage> m_page;
    QTemporaryDir m_dir;
    QString m_file;
    QList<Dialogs::Message> m_messages;
};

void TestRecordingPage::init()
{
    m_rig = std::make_unique<SimRig>();
    m_rig->backend.add(std::make_shared<SimulatedModule>());
    m_rig->start();
    m_page = std::make_unique<RecordingPage>(*m_rig->session);
    m_file = m_dir.filePath(QStringLiteral("pomiary.csv"));
    QFile::remove(m_file);
    useFile(m_file);
    m_messages.clear();
    Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
        m_messages << m;
        return QMessageBox::Ok;
    });
    QVERIFY(m_rig->waitForIdle());
}

void TestRecordingPage::cleanup()
{
    m_page.reset();
    m_rig.reset();
    Dialogs::setMessageResponder(nullptr);
    Dialogs::setFileResponder(nullptr);
}

void TestRecordingPage::useFile(const QString &path)
{
    RecordingPreferences preferences = m_page->preferences();
    preferences.FileName = path;
    m_page->applyPreferences(preferences);
}

void TestRecordingPage::recordsAfterAHeaderOnEverySwitchOn()
{
    QSignalSpy shown(m_page.get(), &RecordingPage::recordingShown);
    clickSwitch();
    QVERIFY(!control<QPushButton>("Button_SaveFilePath")->isEnabled());
    QTRY_VERIFY(textLines(m_file).size() > 5); // on disk within a second, without a switch-off
    QCOMPARE(textLines(m_file).value(0), QStringLiteral("Date;Time;No.;Canal 1;"));
    QVERIFY(textLines(m_file).value(1).contains(QRegularExpression(
        QStringLiteral("^\\d+-\\d+-\\d+;\\d+:\\d+:\\d+:\\d+;0;-?\\d+\\.\\d;$"))));
    auto *status = control<QLineEdit>("AcquisitionStatus");
    QCOMPARE(status->text(), QStringLiteral("AKTYWNA"));
    QCOMPARE(status->palette().color(QPalette::Base), Colours::Active);
    QVERIFY(shown.count() > 0 && shown.last().first().toBool());

    clickSwitch(); // off: the file closed with every line on disk
    QVERIFY(control<QPushButton>("Button_SaveFilePath")->isEnabled());
    const int before = textLines(m_file).size();
    control<QCheckBox>("Cb_SaveDataSummary")->click();
    clickSwitch();
    QTRY_VERIFY(textLines(m_file).size() > before + 3);
    clickSwitch();

    const QStringList recorded = textLines(m_file);
    QCOMPARE(recorded.value(before), QStringLiteral("Date;Time;No.;Sum;Canal 1;"));
    const QList<int> found = recordNumbers(recorded);
    for (int i = 1; i < found.size(); ++i)
        if (i != before)
            QCOMPARE(found[i], i < before ? i - 1 : i - before - 1);
    QTRY_COMPARE(status->text(), QStringLiteral("NIEAKTYWNA"));
}

void TestRecordingPage::noFileBeforeTheFirstRecord()
{
    control<QComboBox>("ComboBox_AcquistionTime")->setCurrentIndex(4); // "~ 1 / min"
    clickSwitch();
    QTRY_VERIFY(m_rig->protocol->liveValues().Sum != 0.0f);
    QTest::qWait(200); // frames arrive, none is due yet
    clickSwitch();
    QVERIFY(!QFile::exists(m_file));
}

void TestRecordingPage::storedSwitchRunsItsHandler()
{
    RecordingPreferences preferences = m_page->preferences();
    preferences.Checkbox_DataAcquistion = true;
    preferences.DataAcquistionSpeed = 1; // "~ 10 / s."
    m_page->applyPreferences(preferences);
    QVERIFY(!control<QPushButton>("Button_SaveFilePath")->isEnabled());
    QTRY_VERIFY(textLines(m_file).size() > 2);
    QCOMPARE(recordNumbers(textLines(m_file)).mid(0, 3), (QList<int>{-1, 0, 1}));
    QCOMPARE(m_page->preferences().DataAcquistionSpeed, 1);
}

// A file that cannot be opened: one warning naming it and the reason,
// recording off, the path button back.
void TestRecordingPage::unwritableFileSwitchesRecordingOff()
{
    QFile blocker(m_dir.filePath(QStringLiteral("not-a-directory")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = blocker.fileName() + QStringLiteral("/pomiary.csv");
    useFile(unwritable);
    clickSwitch();
    QTRY_COMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
    QVERIFY2(m_messages[0].text.contains(unwritable), qPrintable(m_messages[0].text));
    QVERIFY(!control<QCheckBox>("Checkbox_Acquistion")->isChecked());
    QVERIFY(control<QPushButton>("Button_SaveFilePath")->isEnabled());
    QTRY_COMPARE(control<QLineEdit>("AcquisitionStatus")->text(), QStringLiteral("NIEAKTYWNA"));
    QTest::qWait(100);
    QCOMPARE(m_messages.size(), 1); // once, not per frame
}

void TestRecordingPage::chosenFileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("shown");
    QTest::newRow("csv kept") << "dane.csv" << "CSV (*.csv)" << "dane.csv";
    QTest::newRow("txt kept") << "wyniki.txt" << "TXT (*.txt)" << "wyniki.txt";
    QTest::newRow("upper case kept") << "DATA.CSV" << "TXT (*.txt)" << "DATA.CSV";
    QTest::newRow("bare name, CSV") << "data" << "CSV (*.csv)" << "data.csv";
    QTest::newRow("other extension, TXT") << "data.log" << "TXT (*.txt)" << "data.log.txt";
    QTest::newRow("cancelled") << "" << "" << "pomiary.csv";
}

void TestRecordingPage::chosenFileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, shown);
    useFile(QStringLiteral("pomiary.csv"));
    QSignalSpy kept(m_page.get(), &RecordingPage::fileNameChosen);
    Dialogs::setFileResponder([&](const QString &filters, QFileDialog::Options options,
                                  QString *selected) {
        [&] { QCOMPARE(filters, QStringLiteral("CSV (*.csv);;TXT (*.txt)")); }();
        // Recording appends: an existing file is no question of replacing it.
        [&] { QVERIFY(options.testFlag(QFileDialog::DontConfirmOverwrite)); }();
        *selected = filter;
        return chosen;
    });
    control<QPushButton>("Button_SaveFilePath")->click();
    QCOMPARE(control<QLineEdit>("Edit_FileName")->text(), shown);
    QCOMPARE(kept.count(), chosen.isEmpty() ? 0 : 1);
    if (!chosen.isEmpty())
        QCOMPARE(kept.first().first().toString(), shown);
}

// `--record` and its help name the rates by these texts.
void TestRecordingPage::rateItemsAreTheRecordersOwn()
{
    auto *rates = control<QComboBox>("ComboBox_AcquistionTime");
    QStringList expected;
    for (const char *item : RecordRateItems)
        expected << QString::fromUtf8(item);
    QStringList shown;
    for (int i = 0; i < rates->count(); ++i)
        shown << rates->itemText(i);
    QCOMPARE(shown, expected);
}

QTEST_MAIN(TestRecordingPage)
#include "tst_recordingpage.moc"
