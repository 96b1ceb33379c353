// The keys of config.ini both ways, and where the file lives.
#include "programsettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A key's value as the file would spell it.
QString valueOf(const ProgramPreferences &preferences, const QString &name)
{
    auto key = std::find_if(OptionsKeys.begin(), OptionsKeys.end(),
                            [&](const PreferenceKey &k) { return name == QLatin1String(k.name); });
    if (key == OptionsKeys.end())
        return QStringLiteral("<no such key>");
    const PreferenceValue value = preferenceValue(*key, preferences);
    if (auto flag = std::get_if<bool>(&value))
        return *flag ? QStringLiteral("1") : QStringLiteral("0");
    if (auto number = std::get_if<int>(&value))
        return QString::number(*number);
    return std::get<QString>(value);
}

// What closing writes into a new file: keys 1, 2 and 4 to 20, at their defaults.
const QByteArray DefaultsAtClose = "[Options]\r\n"
                                   "Checkbox_DataAcquistion=0\r\n"
                                   "DataAcquistionSpeed=0\r\n"
                                   "SaveDate=1\r\n"
                                   "SaveTime=1\r\n"
                                   "SaveDataCnt=1\r\n"
                                   "SaveDataSummary=0\r\n"
                                   "SaveDataSens1=1\r\n"
                                   "SaveDataSens2=0\r\n"
                                   "SaveDataSens3=0\r\n"
                                   "SaveDataSens4=0\r\n"
                                   "ChartSeries1=1\r\n"
                                   "ChartSeries2=0\r\n"
                                   "ChartSeries3=0\r\n"
                                   "ChartSeries4=0\r\n"
                                   "ChartSeries5=0\r\n"
                                   "TimeSize=1\r\n"
                                   "Sampling=2\r\n"
                                   "DecimalPoint=1\r\n"
                                   "Language=0\r\n";

} // namespace

class TestProgramSettings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
    }
    void everyKeyOnce();
    void defaultsWithoutFile();
    void readValue_data();
    void readValue();
    void outOfRangeWrittenBackAsMinusOne();
    void closeKeepsOrderAndOtherLines();
    void fileNameWrittenOnItsOwn();
    void writeFailure();
    void pathRule();

private:
    QString path() const { return m_dir.filePath(QStringLiteral("config.ini")); }
    QTemporaryDir m_dir;
};

// Two rows for one key or one member would read and write it twice.
void TestProgramSettings::everyKeyOnce()
{
    for (std::size_t i = 0; i < OptionsKeys.size(); ++i) {
        for (std::size_t j = i + 1; j < OptionsKeys.size(); ++j) {
            QVERIFY(qstrcmp(OptionsKeys[i].name, OptionsKeys[j].name) != 0);
            QVERIFY(OptionsKeys[i].field != OptionsKeys[j].field);
        }
    }
}

void TestProgramSettings::defaultsWithoutFile()
{
    const ProgramPreferences read = readPreferences(path());
    QCOMPARE(read.recording.FileName, QStringLiteral("pomiary.csv"));
    QVERIFY(writePreferencesAtClose(path(), read));
    QCOMPARE(contents(path()), DefaultsAtClose);
    const ProgramPreferences constructed;
    for (const PreferenceKey &key : OptionsKeys)
        QCOMPARE(valueOf(constructed, QLatin1String(key.name)),
                 valueOf(read, QLatin1String(key.name)));
}

void TestProgramSettings::readValue_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("boolean 0") << QByteArray("SaveDate=0") << "SaveDate"
                               << "0";
    QTest::newRow("boolean 2 is true") << QByteArray("SaveDate=2") << "SaveDate"
                                       << "1";
    QTest::newRow("boolean word is default") << QByteArray("SaveDate=yes") << "SaveDate"
                                             << "1";
    QTest::newRow("boolean hexadecimal") << QByteArray("SaveDataSummary=0x1") << "SaveDataSummary"
                                         << "1";
    QTest::newRow("switch on") << QByteArray("Checkbox_DataAcquistion=1")
                               << "Checkbox_DataAcquistion"
                               << "1";
    QTest::newRow("integer 0x") << QByteArray("DataAcquistionSpeed=0x2") << "DataAcquistionSpeed"
                                << "2";
    QTest::newRow("integer $") << QByteArray("DataAcquistionSpeed=$3") << "DataAcquistionSpeed"
                               << "3";
    QTest::newRow("integer word is default") << QByteArray("Sampling=abc") << "Sampling"
                                             << "2";
    QTest::newRow("integer empty is default") << QByteArray("DecimalPoint=") << "DecimalPoint"
                                              << "1";
    QTest::newRow("index past the list") << QByteArray("TimeSize=9") << "TimeSize"
                                         << "-1";
    QTest::newRow("last index") << QByteArray("TimeSize=6") << "TimeSize"
                                << "6";
    QTest::newRow("language English") << QByteArray("Language=1") << "Language"
                                      << "1";
    QTest::newRow("language 5") << QByteArray("Language=5") << "Language"
                                << "-1";
    QTest::newRow("language -1") << QByteArray("Language=-1") << "Language"
                                 << "-1";
    QTest::newRow("decimals past 4") << QByteArray("DecimalPoint=5") << "DecimalPoint"
                                     << "-1";
    QTest::newRow("text raw") << QByteArray("FileName=C:\\dane\\x.csv") << "FileName"
                              << "C:\\dane\\x.csv";
    QTest::newRow("text empty") << QByteArray("FileName=") << "FileName"
                                << "";
    QTest::newRow("text quoted") << QByteArray("FileName=\" a.csv\"") << "FileName"
                                 << " a.csv";
    QTest::newRow("unknown key ignored") << QByteArray("Colour=red") << "SaveTime"
                                         << "1";
}

void TestProgramSettings::readValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    put(path(), "[Options]\r\n" + line + "\r\n");
    QCOMPARE(valueOf(readPreferences(path()), key), expected);
}

void TestProgramSettings::outOfRangeWrittenBackAsMinusOne()
{
    put(path(), "[Options]\r\nTimeSize=9\r\nLanguage=5\r\nSaveDate=2\r\n");
    QVERIFY(writePreferencesAtClose(path(), readPreferences(path())));
    const QByteArray written = contents(path());
    QVERIFY(written.startsWith("[Options]\r\nTimeSize=-1\r\nLanguage=-1\r\nSaveDate=1\r\n"));
    QCOMPARE(readPreferences(path()).chart.TimeSize, -1);
}

void TestProgramSettings::closeKeepsOrderAndOtherLines()
{
    put(path(), "; by hand\r\n"
                "[Options]\r\n"
                "Language=1\r\n"
                "FileName=C:\\dane\\x.csv\r\n"
                "Colour=red\r\n"
                "SaveDate=0\r\n"
                "\r\n"
                "[Window]\r\n"
                "Left=10\r\n");
    ProgramPreferences preferences = readPreferences(path());
    preferences.recording.columns[std::size_t(RecordColumn::Date)] = true;
    preferences.recording.FileName = QStringLiteral("ignored at close");
    QVERIFY(writePreferencesAtClose(path(), preferences));

    QByteArray rest = DefaultsAtClose.mid(DefaultsAtClose.indexOf("Checkbox"));
    rest.replace("SaveDate=1\r\n", "").replace("Language=0\r\n", "");
    QCOMPARE(contents(path()), QByteArray("; by hand\r\n"
                                          "[Options]\r\n"
                                          "Language=1\r\n"
                                          "FileName=C:\\dane\\x.csv\r\n"
                                          "Colour=red\r\n"
                                          "SaveDate=1\r\n") +
                                   rest +
                                   "\r\n"
                                   "[Window]\r\n"
                                   "Left=10\r\n");
}

void TestProgramSettings::fileNameWrittenOnItsOwn()
{
    const QString nested = m_dir.filePath(QStringLiteral("KLV57/config.ini"));
    QVERIFY(writeFileName(nested, QStringLiteral("D:\\pomiary\\dzień 1.csv")));
    QCOMPARE(contents(nested),
             QString::fromUtf8("[Options]\r\nFileName=D:\\pomiary\\dzień 1.csv\r\n").toUtf8());
    QVERIFY(writePreferencesAtClose(nested, ProgramPreferences()));
    QCOMPARE(readPreferences(nested).recording.FileName, QString::fromUtf8("D:\\pomiary\\dzień 1.csv"));
}

void TestProgramSettings::writeFailure()
{
    put(m_dir.filePath(QStringLiteral("file")), "x");
    const QString impossible = m_dir.filePath(QStringLiteral("file/config.ini"));
    QString failedKey;
    QString reason;
    QVERIFY(!writePreferencesAtClose(impossible, ProgramPreferences(), &failedKey, &reason));
    QCOMPARE(failedKey, QStringLiteral("Checkbox_DataAcquistion"));
    QVERIFY(!reason.isEmpty()); // the system's words, for standard error
    QVERIFY(!writeFileName(impossible, QStringLiteral("a.csv")));
    QCOMPARE(unableToWriteText(QStringLiteral("/opt/klv57/config.ini")),
             QStringLiteral("Unable to write to /opt/klv57/config.ini"));
}

void TestProgramSettings::pathRule()
{
    const QString userDir = m_dir.filePath(QStringLiteral("user"));
    QCOMPARE(chooseSettingsFilePath(m_dir.path(), userDir), path());
    QCOMPARE(chooseSettingsFilePath(m_dir.filePath(QStringLiteral("gone")), userDir),
             QDir(userDir).filePath(QStringLiteral("config.ini")));
    // Installed: never beside the program, even where root could write.
    for (const char *installed : {"/usr/bin", "/usr/local/bin"})
        QCOMPARE(chooseSettingsFilePath(QString::fromLatin1(installed), userDir),
                 QDir(userDir).filePath(QStringLiteral("config.ini")));
}

QTEST_GUILESS_MAIN(TestProgramSettings)
#include "tst_programsettings.moc"
